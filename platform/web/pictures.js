// The user's own pictures in the page: decodes what the browser can, fits the scene to the
// frame and the light within it by our own integer arithmetic, writes them as the TGA files
// the program reads, and keeps them in IndexedDB. page.js loads this only when it is needed.

export const Width = 320, Height = 200;
// Larger pictures would take hundreds of megabytes to decode, more than a phone gives a page.
export const MaxPixels = 50_000_000;
const keptFlag = 'varnelo-own-pictures';

// A sentence for the user on a picture the demo cannot take.
class Refused extends Error {}

// The source pixels that make up each of `count` output pixels along one axis of `length`
// source pixels, at scale p/q, centred. Measured in units of 1/(2p) source pixel, source pixel
// s covers [2ps, 2p(s+1)) and output pixel i covers [length*p - count*q + 2iq, ... + 2q): every
// bound is an integer, so each weight is the exact length of the overlap. Where the picture
// grows, the output pixel takes the source pixel under its centre alone.
function taps(length, count, p, q) {
  const ends = new Int32Array(count + 1), index = [], weight = [];
  const unit = 2 * p;
  for (let i = 0; i < count; ++i) {
    const from = length * p - count * q + 2 * i * q, to = from + 2 * q;
    if (q <= p) {
      index.push(Math.min(Math.floor((from + q) / unit), length - 1));
      weight.push(1);
    } else {
      for (let s = Math.floor(from / unit); s * unit < to; ++s) {
        index.push(s);
        weight.push(Math.min(unit * (s + 1), to) - Math.max(unit * s, from));
      }
    }
    ends[i + 1] = index.length;
  }
  return { count, ends, index: Int32Array.from(index), weight: Float64Array.from(weight), total: q <= p ? 1 : 2 * q };
}

// Each output pixel is the weighted average of its source pixels over black (a transparent
// pixel adds no light), rounded half up, as 8-bit blue, green, red, top row first. Every sum
// is an integer below 2^53, so the result is exact and the same in every browser.
function resample({ data, width }, xs, ys) {
  const out = new Uint8Array(xs.count * ys.count * 3);
  const total = xs.total * ys.total * 255;
  let at = 0;
  for (let y = 0; y < ys.count; ++y) {
    for (let x = 0; x < xs.count; ++x) {
      let red = 0, green = 0, blue = 0;
      for (let j = ys.ends[y]; j < ys.ends[y + 1]; ++j) {
        const row = ys.index[j] * width, rowWeight = ys.weight[j];
        for (let k = xs.ends[x]; k < xs.ends[x + 1]; ++k) {
          const source = (row + xs.index[k]) * 4, w = rowWeight * xs.weight[k] * data[source + 3];
          red += w * data[source];
          green += w * data[source + 1];
          blue += w * data[source + 2];
        }
      }
      out[at++] = Math.floor((2 * blue + total) / (2 * total));
      out[at++] = Math.floor((2 * green + total) / (2 * total));
      out[at++] = Math.floor((2 * red + total) / (2 * total));
    }
  }
  return { width: xs.count, height: ys.count, pixels: out };
}

// The scene fills the frame as a photo does: scaled by the larger of 320/width and
// 200/height, centred, the overhang cut off.
export function fitScene(image) {
  const { width, height } = image;
  const [p, q] = Width * height >= Height * width ? [Width, width] : [Height, height];
  return resample(image, taps(width, Width, p, q), taps(height, Height, p, q));
}

// A light larger than the frame shrinks to fit inside it, its other side rounded half up; a
// smaller one stays as it is.
export function fitLight(image) {
  const { width, height } = image;
  if (width <= Width && height <= Height) return resample(image, taps(width, width, 1, 1), taps(height, height, 1, 1));
  const wide = width * Height >= height * Width;
  const fitWidth = wide ? Width : Math.max(1, Math.floor((2 * width * Height + height) / (2 * height)));
  const fitHeight = wide ? Math.max(1, Math.floor((2 * height * Width + width) / (2 * width))) : Height;
  return resample(image, taps(width, fitWidth, fitWidth, width), taps(height, fitHeight, fitHeight, height));
}

// An uncompressed 24-bit TGA, top row first, which the program reads as it reads any.
export function tga({ width, height, pixels }) {
  const file = new Uint8Array(18 + pixels.length);
  file.set([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, width & 255, width >> 8, height & 255, height >> 8, 24, 0x20]);
  file.set(pixels, 18);
  return file;
}

// The format and size a picture's header states, so that a picture too large is refused before
// the browser spends its memory on it; null for a format not known here.
function statedSize(b) {
  const le16 = (i) => b[i] | b[i + 1] << 8, be16 = (i) => b[i] << 8 | b[i + 1];
  const le32 = (i) => (le16(i) | le16(i + 2) * 65536) >>> 0, be32 = (i) => be16(i) * 65536 + be16(i + 2);
  const text = (i, n) => String.fromCharCode(...b.subarray(i, i + n));
  if (text(1, 3) === 'PNG') return ['PNG', be32(16), be32(20)];
  if (text(0, 4) === 'GIF8') return ['GIF', le16(6), le16(8)];
  if (text(0, 2) === 'BM') return le32(14) === 12 ? ['BMP', le16(18), le16(20)] : ['BMP', le32(18), Math.abs(le32(22) | 0)];
  if (text(0, 4) === 'RIFF' && text(8, 4) === 'WEBP') {
    const chunk = text(12, 4);
    if (chunk === 'VP8 ') return ['WebP', le16(26) & 0x3fff, le16(28) & 0x3fff];
    if (chunk === 'VP8L') return ['WebP', (le16(21) & 0x3fff) + 1, ((le32(21) >>> 14) & 0x3fff) + 1];
    return ['WebP', (le32(24) & 0xffffff) + 1, (le32(27) & 0xffffff) + 1];
  }
  if (b[0] === 0xff && b[1] === 0xd8) {
    // The frame header follows any number of other segments, Exif and colour profiles among them.
    for (let i = 2; i + 9 < b.length;) {
      if (b[i] !== 0xff) break;
      const marker = b[i + 1];
      if (marker === 0xff) { ++i; continue; }
      if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) return ['JPEG', be16(i + 7), be16(i + 5)];
      i += 2 + be16(i + 2);
    }
    return ['JPEG', 0, 0];
  }
  return null;
}

// The picture's pixels, upright as its Exif orientation says, straight (not premultiplied) and
// without colour conversion: the browser only decodes, so that the fitting alone decides.
export async function decode(name, bytes) {
  const goesOn = 'The demo goes on with the pictures it had.';
  if (bytes.length === 0) throw new Refused(`Your ${name} is empty. ${goesOn}`);
  const stated = statedSize(bytes);
  const tooLarge = (width, height) => width * height > MaxPixels &&
    new Refused(`Your ${name} is ${width} × ${height} pixels, more than the 50 million pixels this page takes; pick a smaller picture. ${goesOn}`);
  if (stated && tooLarge(stated[1], stated[2])) throw tooLarge(stated[1], stated[2]);
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([bytes]), { imageOrientation: 'from-image', premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
  } catch (error) {
    throw new Refused(stated ? `Your ${name} is a ${stated[0]} that could not be decoded, as if damaged or cut short. ${goesOn}`
      : `Your ${name} is no picture this browser can read (PNG, JPEG, WebP, GIF, BMP or TGA). ${goesOn}`);
  }
  const { width, height } = bitmap;
  if (tooLarge(width, height)) {
    bitmap.close();
    throw tooLarge(width, height);
  }
  const context = new OffscreenCanvas(width, height).getContext('2d', { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return { width, height, data: context.getImageData(0, 0, width, height).data };
}

// Runs one request or several on the kept pictures, resolving with their results once the
// transaction has completed.
function store(mode, requests) {
  return new Promise((resolve, reject) => {
    const opening = indexedDB.open('varnelo', 1);
    opening.onupgradeneeded = () => opening.result.createObjectStore('pictures');
    opening.onerror = () => reject(opening.error);
    opening.onsuccess = () => {
      const transaction = opening.result.transaction('pictures', mode);
      const made = requests(transaction.objectStore('pictures'));
      transaction.oncomplete = () => {
        opening.result.close();
        resolve(made.map((request) => request.result));
      };
      transaction.onerror = transaction.onabort = () => reject(transaction.error);
    };
  });
}

// The pictures the user gave on an earlier visit, as [name, bytes] pairs.
export async function kept(names) {
  const found = await store('readonly', (pictures) => names.map((name) => pictures.get(name)));
  return names.map((name, i) => [name, found[i]]).filter(([, bytes]) => bytes instanceof Uint8Array);
}

// Turns picked or dropped files into the program's pictures: one whose name begins with
// "spot" (or any, with `asLight`) becomes spot.tga, any other scr.tga. A TGA goes to the program
// as it is, read as the desktop programs read it. Any file refused leaves all as they were.
export async function use(files, asLight, host) {
  const given = new Map();
  for (const file of files) {
    const light = asLight || /^spot/i.test(file.name);
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      return host.say(`Your ${file.name} could not be read (${error.message}); pick it again.`);
    }
    try {
      if (bytes.length === 0 || !/\.tga$/i.test(file.name)) {
        const image = await decode(file.name, bytes);
        bytes = tga(light ? fitLight(image) : fitScene(image));
      }
    } catch (error) {
      return host.say(error instanceof Refused ? error.message
        : `Your ${file.name} could not be taken (${error.message}). The demo goes on with the pictures it had.`);
    }
    given.set(light ? 'spot.tga' : 'scr.tga', bytes);
  }
  for (const [name, bytes] of given) host.give(name, bytes);
  try {
    await store('readwrite', (pictures) => [...given].map(([name, bytes]) => pictures.put(bytes, name)));
    localStorage.setItem(keptFlag, '1');
  } catch (error) {
    console.warn(`Your pictures are not kept for the next visit: ${error.message}`);
  }
  host.restart();
}

// Forgets the kept pictures, for "Bundled pictures".
export async function forget() {
  localStorage.removeItem(keptFlag);
  await store('readwrite', (pictures) => [pictures.clear()]);
}
