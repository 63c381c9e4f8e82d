// Draws the page's icons, the demo in one picture: a warm light on a brick wall in the dark.
// Writes icon-192.png and icon-512.png for the manifest and favicon.ico (a 32-pixel PNG inside).
// usage: node icons.mjs PAGE_DIR
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

// The colour at (u, v), both 0 to 1 across the icon. The light stays inside the middle circle
// that every launcher's mask keeps.
function colour(u, v) {
  const row = Math.floor(v * 8), mortar = 0.012;
  const along = u * 4 + (row % 2) * 0.5;
  const inJoint = v * 8 - row < mortar * 8 || along - Math.floor(along) < mortar * 4;
  const wall = inJoint ? [95, 90, 84] : [178, 84 + (row * 37 % 5) * 6, 52];
  const d = Math.hypot(u - 0.5, v - 0.5) / 0.4;
  // The light falls off in steps, as few colours as a smooth look needs: the icons stay small.
  const light = d >= 1 ? 0 : Math.round(12 * (1 - d * d) ** 2) / 12;
  return [wall[0] * light * 1.4, wall[1] * light * 1.3, wall[2] * light].map((c) => Math.min(255, Math.round(c)));
}

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const byte of bytes) c = crcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}

// An 8-bit RGB PNG, each row unfiltered.
function png(size) {
  const rows = Buffer.alloc(size * (1 + size * 3));
  for (let y = 0; y < size; ++y) {
    for (let x = 0; x < size; ++x) rows.set(colour((x + 0.5) / size, (y + 0.5) / size), y * (1 + size * 3) + 1 + x * 3);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 2, 0, 0, 0], 8);
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', zlib.deflateSync(rows, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

// An icon file of one entry that holds a PNG, as every browser reads them.
function ico(size) {
  const image = png(size), head = Buffer.alloc(22);
  head.writeUInt16LE(1, 2);
  head.writeUInt16LE(1, 4);
  head.set([size, size, 0, 0], 6);
  head.writeUInt16LE(1, 10);
  head.writeUInt16LE(32, 12);
  head.writeUInt32LE(image.length, 14);
  head.writeUInt32LE(22, 18);
  return Buffer.concat([head, image]);
}

const [pageDir] = process.argv.slice(2);
fs.writeFileSync(path.join(pageDir, 'icon-192.png'), png(192));
fs.writeFileSync(path.join(pageDir, 'icon-512.png'), png(512));
fs.writeFileSync(path.join(pageDir, 'favicon.ico'), ico(32));
