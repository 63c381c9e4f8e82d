// The user's own pictures in the page: decodes what the browser can, a band of rows at a time,
// has the program's own rule fit the scene to the frame and the spot within it and write them
// as the TGA files it reads, and keeps them in IndexedDB once the program has read them. page.js
// loads this once the first frame shows.

// Safari gives no canvas of more than 16,777,216 pixels, and phones' photos have up to 48
// million: a picture is drawn a band at a time, on a canvas of at most 4 million pixels
// (16 MB) and 8192 columns (a wider picture a tile at a time).
const BandPixels = 1 << 22, TileSide = 8192;
const goesOn = 'The demo goes on with the pictures it had.';

// A sentence for the user on a picture the demo cannot take.
class Refused extends Error {}

// Fits a width x height picture as the scene or the spot by the program's own rule, run by
// `program` (an instance of this build that never starts), fed the picture's RGBA rows from the
// top, a band at a time: add(rgba, rows) for each band, then file(), the TGA file the program reads.
export function fitting(program, width, height, spot) {
  const fit = program._varnelo_fit_start(width, height, spot ? 1 : 0);
  if (!fit) throw new Error(`the rule takes no picture of ${width} × ${height}`);
  return {
    add: (rgba, rows) => {
      const at = program._varnelo_fit_band(fit, rows);
      program.HEAPU8.set(rgba.subarray(0, width * rows * 4), at);
      program._varnelo_fit_rows(fit, rows);
    },
    file: () => {
      const at = program._varnelo_fit_finish(fit);  // the file's size in 4 bytes, then the file
      const file = at ? program.HEAPU8.slice(at + 4, at + 4 + program.HEAPU32[at >> 2]) : null;
      program._varnelo_fit_end(fit);
      if (!file) throw new Error('out of memory');
      return file;
    },
  };
}

// The format and size a picture's header states, so that a picture too large is refused before
// the browser spends its memory on it; null for a format not known here.
function header(b) {
  const le16 = (i) => b[i] | b[i + 1] << 8, be16 = (i) => b[i] << 8 | b[i + 1];
  const le32 = (i) => (le16(i) | le16(i + 2) * 65536) >>> 0, be32 = (i) => be16(i) * 65536 + be16(i + 2);
  const text = (i, n) => String.fromCharCode(...b.subarray(i, i + n));
  const stated = (format, width, height) => ({ format, width, height });
  if (text(1, 3) === 'PNG') return stated('PNG', be32(16), be32(20));
  if (text(0, 4) === 'GIF8') return stated('GIF', le16(6), le16(8));
  if (text(0, 2) === 'BM') return le32(14) === 12 ? stated('BMP', le16(18), le16(20)) : stated('BMP', le32(18), Math.abs(le32(22) | 0));
  if (text(0, 4) === 'RIFF' && text(8, 4) === 'WEBP') {
    const chunk = text(12, 4);
    if (chunk === 'VP8 ') return stated('WebP', le16(26) & 0x3fff, le16(28) & 0x3fff);
    if (chunk === 'VP8L') return stated('WebP', (le16(21) & 0x3fff) + 1, ((le32(21) >>> 14) & 0x3fff) + 1);
    return stated('WebP', (le32(24) & 0xffffff) + 1, (le32(27) & 0xffffff) + 1);
  }
  if (b[0] === 0xff && b[1] === 0xd8) {
    // The frame header follows any number of other segments, Exif and colour profiles among them.
    for (let i = 2; i + 9 < b.length;) {
      if (b[i] !== 0xff) break;
      const marker = b[i + 1];
      if (marker === 0xff) { ++i; continue; }
      if (marker >= 0xc0 && marker <= 0xcf && ![0xc4, 0xc8, 0xcc].includes(marker)) return stated('JPEG', be16(i + 7), be16(i + 5));
      i += 2 + be16(i + 2);
    }
    return stated('JPEG', 0, 0);
  }
  return null;
}

// The orientation a JPEG's Exif block or a PNG's eXIf chunk gives, found by `program`'s own reader
// as the desktop programs find it, and set to 1 in `bytes`.
function clearOrientation(program, bytes) {
  const at = program._malloc(bytes.length);
  if (!at) throw new Error('out of memory');
  program.HEAPU8.set(bytes, at);
  const value = program._varnelo_clear_orientation(at, bytes.length);
  bytes.set(program.HEAPU8.subarray(at, at + bytes.length));
  program._free(at);
  return value;
}

// How each Exif orientation turns a w x h picture upright, as a canvas transform (a, b, c, d,
// e, f): stored pixel (x, y) goes to (a x + c y + e, b x + d y + f).
function upright(value, w, h) {
  return [[1, 0, 0, 1, 0, 0], [-1, 0, 0, 1, w, 0], [-1, 0, 0, -1, w, h], [1, 0, 0, -1, 0, h], [0, 1, 1, 0, 0, 0],
    [0, 1, -1, 0, h, 0], [0, -1, -1, 0, h, w], [0, -1, 1, 0, 0, w]][value - 1];
}

// The picture decoded at its stored size, straight (not premultiplied) and without colour
// conversion, so that the fitting alone decides, with the transform that turns it upright. The
// orientation is taken out of the copy the browser decodes and applied when it is drawn, so that
// the page turns a photo where the desktop does, in every browser alike.
async function decoded(name, bytes, program) {
  if (bytes.length === 0) throw new Refused(`Your ${name} is empty. ${goesOn}`);
  const stated = header(bytes);
  const most = VARNELO_MAX_PICTURE_PIXELS, tooLarge = (width, height) => width * height > most &&
    new Refused(`Your ${name} is ${width} × ${height} pixels, more than the ${most / 1e6} million pixels this page takes; pick a smaller picture. ${goesOn}`);
  if (stated && tooLarge(stated.width, stated.height)) throw tooLarge(stated.width, stated.height);
  if (typeof createImageBitmap !== 'function') {
    throw new Refused(`Your ${name} cannot be taken: this browser decodes no pictures for a page (Safari does from version 15 on). ${goesOn}`);
  }
  const stored = bytes.slice(), turn = clearOrientation(program, stored);
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([stored]), { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
  } catch (error) {
    throw new Refused(stated ? `Your ${name} is a ${stated.format} that could not be decoded, as if damaged or cut short. ${goesOn}`
      : `Your ${name} is no picture this browser can read (PNG, JPEG, WebP, GIF, BMP or TGA). ${goesOn}`);
  }
  const [width, height] = turn >= 5 ? [bitmap.height, bitmap.width] : [bitmap.width, bitmap.height];
  if (tooLarge(width, height)) {
    bitmap.close();
    throw tooLarge(width, height);
  }
  return { bitmap, width, height, transform: upright(turn, bitmap.width, bitmap.height) };
}

// A 2D context on a canvas of that size, off the document where the browser can (Safari from 16.4).
function canvas(width, height) {
  const surface = typeof OffscreenCanvas === 'function' ? new OffscreenCanvas(width, height)
    : Object.assign(document.createElement('canvas'), { width, height });
  const context = surface.getContext('2d', { willReadFrequently: true });
  if (!context) throw new Error('the browser gave no canvas to draw it on');
  context.imageSmoothingEnabled = false;  // the transform only moves whole pixels
  return context;
}

// Decodes the picture and has `program` fit it as the scene or the spot, drawn upright a band of
// rows at a time; between bands the demo runs on. Answers the TGA file.
export async function fitted(name, bytes, spot, program) {
  const { bitmap, width, height, transform: [a, b, c, d, e, f] } = await decoded(name, bytes, program);
  try {
    const fit = fitting(program, width, height, spot);
    const columns = Math.min(width, TileSide), rows = Math.min(height, Math.max(1, Math.floor(BandPixels / columns)));
    const context = canvas(columns, rows);
    for (let top = 0; top < height; top += rows) {
      const count = Math.min(rows, height - top);
      let band = null;
      for (let left = 0; left < width; left += columns) {
        const tileWidth = Math.min(columns, width - left);
        context.setTransform(1, 0, 0, 1, 0, 0);
        context.clearRect(0, 0, columns, rows);
        context.setTransform(a, b, c, d, e - left, f - top);
        context.drawImage(bitmap, 0, 0);
        const tile = context.getImageData(0, 0, tileWidth, count).data;
        if (tileWidth === width) {
          band = tile;
        } else {
          band ??= new Uint8ClampedArray(width * count * 4);
          for (let y = 0; y < count; ++y) band.set(tile.subarray(y * tileWidth * 4, (y + 1) * tileWidth * 4), (y * width + left) * 4);
        }
      }
      fit.add(band, count);
      await new Promise((resolve) => setTimeout(resolve));
    }
    return fit.file();
  } finally {
    bitmap.close();
  }
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

// The program's word on pictures before they replace any: `reader`, an instance that never
// starts, takes the pair the next start would have, the given pictures and the other one of
// `current`, as start-up takes it. Answers [name, reason] for the picture it refuses.
function unreadable(given, current, reader) {
  for (const name of [VARNELO_SPOT_FILE, VARNELO_SCENE_FILE]) reader.FS.writeFile(name, given.get(name) ?? current.get(name));
  const problem = reader.UTF8ToString(reader._varnelo_pictures_problem());
  return problem ? [problem.slice(0, problem.indexOf(': ')), problem.slice(problem.indexOf(': ') + 2)] : null;
}

// An instance of this build that never starts, for the program's own code on the user's pictures.
async function idleProgram(host) {
  const wasm = await host.ownBuild();
  return new Promise((resolve, reject) => {
    createVarnelo({ ...host.ownSettings(wasm, reject), noInitialRun: true }).then(resolve, reject);
  });
}

// Turns picked or dropped files into the program's pictures: one whose name begins with
// "spot" (or any, with `asSpot`) becomes spot.tga, any other scr.tga. A TGA goes to the program
// as it is, read as the desktop programs read it. Nothing is replaced, kept or restarted until
// the program has read every picture it is given; any file refused leaves all as they were.
export async function use(files, asSpot, host) {
  const given = new Map(), picked = new Map();
  let program = null;
  for (const file of files) {
    const spot = asSpot || /^spot/i.test(file.name);
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      return host.say(`Your ${file.name} could not be read (${error.message}); pick it again.`);
    }
    try {
      if (bytes.length === 0 || !/\.tga$/i.test(file.name)) bytes = await fitted(file.name, bytes, spot, program ??= await idleProgram(host));
    } catch (error) {
      return host.say(error instanceof Refused ? error.message
        : `Your ${file.name} could not be taken (${error.message}). ${goesOn}`);
    }
    const name = spot ? VARNELO_SPOT_FILE : VARNELO_SCENE_FILE;
    given.set(name, bytes);
    picked.set(name, file.name);
  }
  let refused;
  try {
    refused = unreadable(given, host.pictures, await idleProgram(host));
  } catch (error) {
    return host.say(`Your pictures could not be given to the demo (${error.message}). ${goesOn}`);
  }
  if (refused) return host.say(`Your ${picked.get(refused[0]) ?? refused[0]} cannot be read: ${refused[1]}. ${goesOn}`);
  for (const [name, bytes] of given) host.give(name, bytes);
  try {
    await store('readwrite', (pictures) => [...given].map(([name, bytes]) => pictures.put(bytes, name)));
    localStorage.setItem(VARNELO_KEPT_PICTURES_KEY, '1');
  } catch (error) {
    console.warn(`Your pictures are not kept for the next visit: ${error.message}`);
  }
  host.restart();
}

// Forgets the kept pictures, for "Bundled pictures".
export async function forget() {
  localStorage.removeItem(VARNELO_KEPT_PICTURES_KEY);
  await store('readwrite', (pictures) => [pictures.clear()]);
}
