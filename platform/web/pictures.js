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

// `call(at, length)` on a copy of the photo's bytes in `program`'s heap.
function inHeap(program, bytes, call) {
  const at = program._malloc(bytes.length);
  if (!at) throw new Error('out of memory');
  program.HEAPU8.set(bytes, at);
  try {
    return call(at, bytes.length);
  } finally {
    program._free(at);
  }
}

// The orientation a JPEG's Exif block or a PNG's eXIf chunk gives, found by `program`'s own reader
// as the desktop programs find it, and set to 1 in `bytes`.
const clearOrientation = (program, bytes) => inHeap(program, bytes, (at, length) => {
  const value = program._varnelo_clear_orientation(at, length);
  bytes.set(program.HEAPU8.subarray(at, at + length));
  return value;
});

// `program`'s sentence refusing the photo, or null: from its bytes before the browser decodes it
// (0 x 0) or where it could not (-1 x -1), or from the size it decoded to (varnelo_photo_refusal).
function refusal(name, program, bytes, width, height) {
  const refuse = (at, length) => program._varnelo_photo_refusal(at, length, width, height);
  const reason = bytes ? inHeap(program, bytes, refuse) : refuse(0, 0);
  return reason ? new Refused(`Your ${name} is ${program.UTF8ToString(reason)}. ${goesOn}`) : null;
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
  const tooLarge = refusal(name, program, bytes, 0, 0);
  if (tooLarge) throw tooLarge;
  if (typeof createImageBitmap !== 'function') {
    throw new Refused(`Your ${name} cannot be taken: this browser decodes no pictures for a page (Safari does from version 15 on). ${goesOn}`);
  }
  const stored = bytes.slice(), turn = clearOrientation(program, stored);
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([stored]), { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
  } catch (error) {
    throw refusal(name, program, bytes, -1, -1)
      ?? new Refused(`Your ${name} is no picture this browser can read (PNG, JPEG, WebP, GIF, BMP or TGA). ${goesOn}`);
  }
  const [width, height] = turn >= 5 ? [bitmap.height, bitmap.width] : [bitmap.width, bitmap.height];
  const decodedTooLarge = refusal(name, program, null, width, height);
  if (decodedTooLarge) {
    bitmap.close();
    throw decodedTooLarge;
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
