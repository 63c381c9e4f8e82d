// Writes an uncompressed true-colour TGA as its run-length form, for the page's first load:
// the program reads both forms into the same pixels. Packets stay within one row.
// usage: node rle-tga.mjs IN.tga OUT.tga
import fs from 'node:fs';

const [input, output] = process.argv.slice(2);
const file = fs.readFileSync(input);
const idLength = file[0], colourMapType = file[1], type = file[2], depth = file[16];
const width = file.readUInt16LE(12), height = file.readUInt16LE(14);
const start = 18 + idLength, size = depth / 8;
if (type !== 2 || colourMapType !== 0 || ![24, 32].includes(depth) || file.length < start + width * height * size) {
  console.error(`rle-tga: ${input}: not an uncompressed 24- or 32-bit true-colour TGA`);
  process.exit(1);
}

const header = Buffer.from(file.subarray(0, start));
header[2] = 10;
const parts = [header];
const same = (a, b) => file.compare(file, a, a + size, b, b + size) === 0;
for (let row = 0; row < height; ++row) {
  const rowStart = start + row * width * size;
  let x = 0;
  while (x < width) {
    const at = (i) => rowStart + i * size;
    let run = 1;
    while (x + run < width && run < 128 && same(at(x), at(x + run))) ++run;
    if (run > 1) {
      parts.push(Buffer.from([0x80 | (run - 1)]), file.subarray(at(x), at(x) + size));
      x += run;
      continue;
    }
    // A raw packet ends where two equal pixels begin a run.
    let count = 1;
    while (x + count < width && count < 128 && !(x + count + 1 < width && same(at(x + count), at(x + count + 1)))) ++count;
    parts.push(Buffer.from([count - 1]), file.subarray(at(x), at(x + count)));
    x += count;
  }
}
// Whatever follows the pixels (a TGA 2.0 footer) is kept as it is.
parts.push(file.subarray(start + width * height * size));
fs.writeFileSync(output, Buffer.concat(parts));
