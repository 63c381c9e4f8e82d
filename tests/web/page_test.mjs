// The web page in headless Chromium against varnelo-render: pointer, keys, screenshots, full screen and the picture's
// shape, the log, the user's pictures, offline use and the first load, a phone, deploys of new builds whole or cut short,
// and first visits that cannot start.
// usage: node page_test.mjs PAGE_DIR VARNELO_RENDER ASSETS_DIR
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import assert from 'node:assert/strict';
import { after, test } from 'node:test';
import { capCanvases, openPage, outcome } from './browser.mjs';

const [pageDir, render, assets] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-web-'));
const Width = 320, Height = 200, FirstLoadBytes = 250000;
const Patience = 120000;  // how long a wait may take on a busy machine: how fast belongs to bench/web
let spot = path.join(assets, 'spot.tga'), scene = path.join(assets, 'scr.tga');
// The user's pictures, each with the bytes its fitting must give.
const made = (name) => path.join(scratch, 'pictures', name);
execFileSync('/usr/bin/python3', [fileURLToPath(new URL('pictures.py', import.meta.url)), made('')]);

let rendered = 0;
function offlineFrame(x, y) {
  const out = path.join(scratch, `expected-${rendered += 1}.bmp`);
  execFileSync(render, ['--spot', spot, '--scene', scene, '--at', `${x},${y}`, '-o', out]);
  return fs.readFileSync(out);
}

const desktop = await openPage(pageDir, scratch);
const opened = [desktop];
after(() => Promise.all(opened.map((one) => one.close())).finally(() => fs.rmSync(scratch, { recursive: true, force: true })));
let { page, downloads } = desktop, box;

const near = (a, b, tolerance) => a.length === b.length && a.every((value, i) => Math.abs(value - b[i]) <= tolerance);

// Moves the pointer to (left, top) unless null; two frames on, the canvas as BMP rows must be the offline frame at (x, y).
async function pointAndCompare(left, top, x, y, tolerance = 0) {
  if (left !== null) await page.mouse.move(left, top);
  const rows = await page.evaluate(async (width, height) => {
    const canvas = document.getElementById('screen');
    await new Promise((resolve) => canvas.addEventListener('varnelo-frame',
      () => canvas.addEventListener('varnelo-frame', resolve, { once: true }), { once: true }));
    const rgba = canvas.getContext('2d').getImageData(0, 0, width, height).data, bgr = [];
    for (let y = height - 1; y >= 0; --y) {
      for (let i = y * width * 4; i < (y + 1) * width * 4; i += 4) bgr.push(rgba[i + 2], rgba[i + 1], rgba[i]);
    }
    return bgr;
  }, Width, Height);
  assert.ok(near(rows, offlineFrame(x, y).subarray(54), tolerance),
    `canvas differs from varnelo-render --at ${x},${y} --scene ${path.basename(scene)} (pointer at ${left},${top})`);
}

// Where the canvas shows once the page has placed it for the view as it is now.
const measure = async () => {
  box = await page.$eval('#screen', (canvas) => new Promise((placed) => requestAnimationFrame(() => requestAnimationFrame(
    () => placed(canvas.getBoundingClientRect().toJSON())))));
};
const at = (x, y) => [box.left + (x + 0.5) * box.width / Width, box.top + (y + 0.5) * box.height / Height];

async function downloaded(name, expected) {
  const file = path.join(downloads, name);
  for (let tries = 0; tries < Patience / 50 && !fs.existsSync(file); ++tries) await new Promise((r) => setTimeout(r, 50));
  assert.ok(fs.readFileSync(file).equals(expected), `${name} differs from the expected bytes`);
}

// Runs what restarts the program and waits until the new run has started.
async function restarted(action) {
  await page.evaluate(() => { window.lastRun = window.varnelo; });
  await action();
  await page.waitForFunction(() => window.varnelo !== window.lastRun && window.varnelo.running, { timeout: Patience });
}
const pick = async (control, name) => (await page.$(control)).uploadFile(made(name));
const kept = (name) => page.evaluate((name) => new Promise((resolve) => { indexedDB.open('varnelo').onsuccess = ({ target }) => {
  target.result.transaction('pictures').objectStore('pictures').get(name).onsuccess = (got) => resolve(Array.from(got.target.result));
}; }), name);

// Full screen at 1920 x 1080 device pixels, where the picture's place in each shape is known: square 1728 x 1080,
// whole 1600 x 1000, 4:3 1440 x 1080, 4:3 whole 1280 x 1000, centred.
const FullScreen = { width: 960, height: 540, deviceScaleFactor: 2 };
const placed = { '': [96, 0, 1728, 1080], whole: [160, 40, 1600, 1000], aspect: [240, 0, 1440, 1080], 'aspect whole': [320, 40, 1280, 1000] };
const altEnter = () => page.keyboard.down('Alt').then(() => page.keyboard.press('Enter')).then(() => page.keyboard.up('Alt'));
const pressed = () => page.$$eval('#aspect, #whole', (all) => all.filter((one) => one.getAttribute('aria-pressed') === 'true').map((one) => one.id).join(' '));
async function choose(shape) {
  for (const id of ['aspect', 'whole']) if ((await pressed()).includes(id) !== shape.includes(id)) await page.click(`#${id}`);
  assert.equal(await pressed(), shape);
}
const escape = () => page.keyboard.press('Escape'), fullButton = () => page.click('#full');
// Enters full screen by `enter` in the shape chosen, checks where the picture shows, that the pointer steers on it and
// F12's screenshot (when named), then leaves by `leave` with the demo going on.
async function fullScreen(enter, leave, x, y, screenshot) {
  const shape = await pressed();
  await enter();
  await page.waitForFunction(() => document.fullscreenElement?.id === 'stage', { timeout: Patience });
  await measure();
  assert.deepEqual(['left', 'top', 'width', 'height'].map((side) => box[side] * FullScreen.deviceScaleFactor), placed[shape],
    `full screen by ${enter.name}, shape '${shape}': the picture's box in device pixels`);
  await pointAndCompare(...at(x, y), x, y);
  if (screenshot) await page.keyboard.press('F12').then(() => downloaded(screenshot, offlineFrame(x, y)));
  await leave();
  await page.waitForFunction(() => !document.fullscreenElement || !window.varnelo.running, { timeout: Patience });
  assert.deepEqual(await page.evaluate(() => [Boolean(document.fullscreenElement), window.varnelo.running]), [false, true],
    `after ${leave.name} in full screen: [full screen, the demo runs]`);
}

async function ended() {
  await page.waitForFunction(() => window.varnelo.exitCode !== null, { timeout: Patience });
  assert.equal(await page.evaluate(() => window.varnelo.exitCode), 0);
  assert.match(await page.$eval('#message', (message) => message.innerText), /ended \(exit code 0\)/);
}

test('the canvas equals the offline frame inside, on every edge and beyond the canvas', async () => {
  await measure();
  await pointAndCompare(null, null, 160, 100);  // where the program put the pointer
  for (const [x, y] of [[37, 181], [0, 57], [Width - 1, 120], [200, 0], [90, Height - 1]]) {
    await pointAndCompare(...at(x, y), x, y);
  }
  await pointAndCompare(at(77, 0)[0], box.top - 15, 77, 0);
  await pointAndCompare(box.right + 15, box.bottom + 15, Width - 1, Height - 1);
});

test('F12 downloads the exact offline frame, and so does the screenshot button without moving the light', async () => {
  await pointAndCompare(...at(250, 40), 250, 40);
  await page.keyboard.press('F12').then(() => downloaded('Screenshot 0.bmp', offlineFrame(250, 40)));
  await page.click('#shoot').then(() => downloaded('Screenshot 1.bmp', offlineFrame(250, 40)));
});

test('Alt+Enter and the button show the stage full screen, each shape where the rule places it, the pointer and F12 as before; Esc there leaves full screen, not the demo', async () => {
  await page.setViewport(FullScreen);
  for (const [shape, enter, leave, x, y, screenshot] of [['', altEnter, escape, 3, 196], ['whole', fullButton, altEnter, 318, 2],
    ['aspect', altEnter, altEnter, 141, 77], ['aspect whole', fullButton, escape, 250, 40, 'Screenshot 2.bmp']]) {
    await choose(shape);
    await fullScreen(enter, leave, x, y, screenshot);
  }
  await choose('');
  await page.setViewport({ width: 1100, height: 600 });
  await measure();
});

test('the page shows the set-up log', async () => {
  await page.click('#show-log');
  const expected = fs.readFileSync(new URL('../support/full_setup.log', import.meta.url), 'utf8');
  assert.equal(await page.$eval('#log', (log) => log.textContent), expected);
  await page.$eval('#show-log', (button) => button.click());  // the log covers it, and the controls beside it
});

test('a scene dropped while the demo runs restarts it on that scene', async () => {
  scene = made('blocks.fit');
  await restarted(() => page.evaluate((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'scr.tga'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, Array.from(fs.readFileSync(scene))));
  await pointAndCompare(...at(100, 60), 100, 60);
  await page.keyboard.press('F12');  // named as the last run's first screenshot, and offered all the same
  await page.waitForFunction(() => document.querySelectorAll('#screenshots a[download="Screenshot 0.bmp"]').length === 2);
  scene = path.join(assets, 'scr.tga');
});

test('any picture is fitted by the rule, a light taken by name or its control, and both kept and saved as TGA', async (t) => {
  const apart = { jpg: [0, 0, 0], alpha: [0, 0, 0] };  // the page's and varnelo-render's largest differences in B, G, R
  for (const [file, tolerance, control = '#pictures'] of [['blocks.png', 0], ['blocks.jpg', 3], ['tall.png', 0], ['phone.jpg', 3],
    ['alpha.png', 1], ['same.png', 0], ['small.png', 0], ['Spot-photo.png', 0], ['glow.png', 0, '#light']]) {
    const fitted = file.replace(/\.\w+$/, '.fit');
    await restarted(() => pick(control, file));
    const light = fitted.startsWith('Spot') || control === '#light';
    const ours = await kept(light ? 'spot.tga' : 'scr.tga');
    assert.ok(near(ours, fs.readFileSync(made(fitted)), tolerance), `${file}: not as the rule fits it`);
    // varnelo-render, by the same rule: the same bytes where the decodings agree, as on an opaque PNG (a canvas
    // keeps partly transparent pixels premultiplied; JPEG decoders differ).
    execFileSync(render, [light ? '--fit-light' : '--fit-scene', made(file), '-o', made(`${file}.tga`)]);
    const desktops = fs.readFileSync(made(`${file}.tga`));
    if (!tolerance) assert.deepEqual(Buffer.from(ours), desktops, `${file}: the page and varnelo-render fit it apart`);
    const most = apart[file.endsWith('.jpg') ? 'jpg' : 'alpha'];
    desktops.forEach((value, i) => { if (i >= 18 && tolerance) most[(i - 18) % 3] = Math.max(most[(i - 18) % 3], Math.abs(value - ours[i])); });
    if (light) spot = made(fitted); else scene = made(fitted);
    await pointAndCompare(...at(120, 80), 120, 80, tolerance);
  }
  t.diagnostic(`the page against varnelo-render, at most apart in blue, green, red: JPEG ${apart.jpg}, partly transparent PNG ${apart.alpha}`);
  await page.click('#save');
  await downloaded('spot.tga', fs.readFileSync(spot));
  await downloaded('scr.tga', fs.readFileSync(scene));
  await page.reload();
  await pointAndCompare(null, null, 160, 100);
});

test('each kind of picture fits on the page as varnelo-render and Pillow fit it, in one session, or is refused as varnelo-render refuses it', async () => {
  const fitOnPage = (file) => page.evaluate(async (name, bytes) => {
    const [{ fitted }, program] = await Promise.all([import('./pictures.js'), window.idle ??= createVarnelo({ noInitialRun: true })]);
    return Array.from(await fitted(name, new Uint8Array(bytes), false, program));
  }, file, Array.from(fs.readFileSync(made(file))));
  for (const [file, expected] of [...[1, 2, 3, 4, 5, 6, 7, 8].map((turn) => [`turned-${turn}.png`, 0]), ['alpha.png', 1], ['phone.jpg', 3],
    ['zero.tga', 'no pixels to fit'], ['vast.tga', '65535 x 65535 pixels, more than the 50 million taken']]) {
    const desktop = spawnSync(render, ['--fit-scene', made(file), '-o', made(`${file}.tga`)], { encoding: 'utf8' });
    if (typeof expected === 'string') {
      assert.equal(desktop.stderr, `varnelo-render: cannot read ${made(file)}: ${expected}\n`);
      await pick('#pictures', file);
      assert.equal(await (await page.waitForSelector('#message:not([hidden]) #message-text')).evaluate((text) => text.textContent),
        `Your ${file} cannot be read: ${expected}. The demo goes on with the pictures it had.`);
      await pointAndCompare(...at(200, 150), 200, 150);
      await page.click('#again');
      continue;
    }
    assert.equal(desktop.status, 0, desktop.stderr);
    const ours = await fitOnPage(file), colours = new Set();
    for (let i = 18; i < ours.length; i += 3) colours.add(ours.slice(i, i + 3).join());
    assert.ok(colours.size > 1, `${file}: the page fits it to one colour`);
    for (const [who, theirs] of [['varnelo-render', made(`${file}.tga`)], ['Pillow and the rule', made(file.replace(/\.\w+$/, '.fit'))]]) {
      assert.ok(near(ours, fs.readFileSync(theirs), expected), `${file}: the page and ${who} fit it apart by more than ${expected}`);
    }
  }
});

test('a file the page cannot take gets a sentence, out of full screen, and the demo goes on with the pictures it had, after a reload too', async () => {
  await altEnter();
  await page.waitForFunction(() => document.fullscreenElement, { timeout: Patience });
  for (const [file, said] of [['no-picture.png', /no-picture\.png is no picture this browser can read/],
    ['corrupt.jpg', /corrupt\.jpg is a JPEG that could not be decoded/], ['empty.jpg', /empty\.jpg is empty/],
    ['huge.png', /huge\.png is 8000 x 7000 pixels, more than the 50 million taken\. The demo goes on/],
    ...['lossless', 'lossy', 'extended'].map((kind) => [`huge-${kind}.webp`, /huge-\w+\.webp is 8000 x 7000 pixels/]),
    ['cut.webp', /cut\.webp is a WebP that could not be decoded, as if damaged or cut short\./],
    ['notes.tga', /notes\.tga cannot be read: file ends inside the image ID/]]) {
    await pick('#pictures', file);
    assert.match(await (await page.waitForSelector('#message:not([hidden])')).evaluate((message) => message.textContent), said);
    assert.equal(await page.evaluate(() => Boolean(document.fullscreenElement)), false, `${file}: its sentence hidden by full screen`);
    await pointAndCompare(...at(200, 150), 200, 150);
    await page.click('#again');
  }
  await page.reload();
  await pointAndCompare(null, null, 160, 100);
});

test('"Bundled pictures" brings the shipped ones back, for good', async () => {
  await restarted(() => page.click('#bundled'));
  [spot, scene] = [path.join(assets, 'spot.tga'), path.join(assets, 'scr.tga')];
  await pointAndCompare(null, null, 160, 100);
  await page.reload();
  await pointAndCompare(null, null, 160, 100);
  assert.ok(await page.$eval('#bundled', (button) => button.hidden), 'Bundled pictures shown without own pictures');
});

test('the shape chosen is kept over a reload', async () => {
  await choose('aspect whole');
  await page.reload();
  assert.equal(await outcome(page), 'frames');
  assert.equal(await pressed(), 'aspect whole', 'the shape after a reload');
  await page.setViewport(FullScreen);
  await fullScreen(altEnter, escape, 160, 100);
  await choose('');
  await page.setViewport({ width: 1100, height: 600 });
});

test('only Esc, F12 and Alt+Enter are kept from the browser, and Tab reaches every control with a visible focus', async () => {
  const keys = [['F12', true], ['F5', false], ['KeyR', false, 'ctrlKey'], ['KeyF', false, 'ctrlKey'], ['KeyL', false, 'ctrlKey'],
    ['F11', false], ['Tab', false], ['KeyA', false], ['ArrowLeft', false], ['Enter', true, 'altKey'], ['Enter', false]];
  for (const [code, kept, modifier] of keys) {
    const prevented = await page.evaluate((init) => !document.body.dispatchEvent(
      new KeyboardEvent('keydown', { ...init, bubbles: true, cancelable: true })), { code, key: code, ...(modifier && { [modifier]: true }) });
    assert.equal(prevented, kept, `keydown ${modifier ?? ''} ${code}: defaultPrevented`);
  }
  // Where a recent click let Alt+Enter in, the browser grants full screen a moment later, and Tab then stays on the stage.
  await page.evaluate(() => new Promise((settled) => {
    document.addEventListener('fullscreenchange', settled, { once: true });
    setTimeout(settled, document.fullscreenElement ? 0 : 3000);
  }));
  await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
  await page.click('#screen');  // where the next Tab starts from
  const reached = [];
  for (let i = 0; i < 8; ++i) {
    await page.keyboard.press('Tab');
    reached.push(await page.evaluate(() => {
      const focused = document.activeElement, shown = focused.closest('.button') ?? focused;
      return `${focused.id} ${getComputedStyle(shown).outlineStyle}`;
    }));
  }
  assert.deepEqual(reached, ['shoot solid', 'end solid', 'full solid', 'aspect solid', 'whole solid', 'pictures solid', 'light solid',
    'show-log solid']);
});

test('Esc ends the program with 0', async () => {
  await page.keyboard.press('Escape');
  await ended();
});

test(`the first load takes at most ${FirstLoadBytes} bytes; the page installs, and runs with the server gone`, async (t) => {
  t.diagnostic(`first load: ${desktop.bytes} bytes, first frame after ${desktop.firstFrameMs.toFixed(0)} ms`);
  assert.ok(desktop.bytes <= FirstLoadBytes, `the first load took ${desktop.bytes} bytes`);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });
  const cdp = await page.createCDPSession();
  assert.deepEqual((await cdp.send('Page.getInstallabilityErrors')).installabilityErrors, [], 'not installable');
  assert.equal(await page.evaluate(() => fetch('favicon.ico').then((icon) => icon.status)), 200, 'favicon.ico');
  desktop.stop();
  await page.reload();
  assert.equal(await outcome(page), 'frames');
  await pointAndCompare(null, null, 160, 100);
});

test('on a phone, upright and sideways, a finger steers the light, the buttons work, and a photo shows upright', async () => {
  opened.push({ page, downloads } = await openPage(pageDir, scratch, { viewport: { width: 390, height: 844, isMobile: true, hasTouch: true } }));
  for (const [width, height] of [[390, 844], [844, 390]]) {
    await page.setViewport({ width, height, isMobile: true, hasTouch: true });
    await measure();
    const misplaced = await page.$$eval('#screen, #panel button:not([hidden]), #panel .button', (all) => all.filter((one) => {
      const r = one.getBoundingClientRect();
      return r.left < 0 || r.top < 0 || r.right > innerWidth || r.bottom > innerHeight || r.height < 44 || r.width < 44;
    }).map((one) => one.id || one.textContent));
    assert.deepEqual(misplaced, [], `${width} x ${height}: outside the view or under 44 px`);
    assert.equal(await page.$eval('#hint', (hint) => hint.innerText), 'Touch the picture to steer the light.');
    assert.ok(Math.max(box.width / width, box.height / height) > 0.9, `${width} x ${height}: the picture is ${box.width} x ${box.height}`);
    for (const [x, y] of [[12, 190], [300, 20], [161, 99]]) {
      await page.touchscreen.tap(...at(x, y));
      await pointAndCompare(null, null, x, y);
    }
    // A long drag to the right moves the light along and does not go back a page.
    await page.evaluate(() => history.pushState(null, '', '#drag'));
    const [left, top] = at(5, 150);
    await page.touchscreen.touchStart(left, top);
    for (let step = 1; step <= 10; ++step) await page.touchscreen.touchMove(left + step * (at(310, 0)[0] - left) / 10, top);
    await page.touchscreen.touchEnd();
    await pointAndCompare(null, null, 310, 150);
    assert.equal(await page.evaluate(() => location.hash), '#drag', `${width} x ${height}: the drag left the page`);
  }
  await page.tap('#shoot').then(() => downloaded('Screenshot 0.bmp', offlineFrame(310, 150)));
  await page.tap('#end').then(ended);
  // A photo stored on its side lights up upright, and stays after a reload.
  await restarted(() => pick('#pictures', 'phone.jpg'));
  scene = made('phone.fit');
  await page.reload();
  await pointAndCompare(null, null, 160, 100, 3);
});

test('an older browser (no SIMD, OffscreenCanvas, imageOrientation or full screen, Safari\'s canvas limit) runs the demo, steered by keys alone, and fits a 48 MP photo', async () => {
  const older = () => {
    const { validate } = WebAssembly, create = self.createImageBitmap;
    WebAssembly.validate = (bytes) => !new Uint8Array(bytes).includes(0xfd) && validate(bytes);  // no SIMD opcodes
    self.createImageBitmap = (...args) => (args.at(-1)?.imageOrientation === 'from-image'
      ? Promise.reject(new TypeError('not a valid enum value of type ImageOrientation')) : create(...args));
    delete self.OffscreenCanvas;
    delete Element.prototype.requestFullscreen;  // as on an iPhone, and Safari before 16.4
  };
  opened.push({ page, downloads } = await openPage(pageDir, scratch, { before: (page) => Promise.all([older, capCanvases].map((f) => page.evaluateOnNewDocument(f))) }));
  [spot, scene] = [path.join(assets, 'spot.tga'), path.join(assets, 'scr.tga')];
  assert.deepEqual(await page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name.split('/').pop())
    .filter((name) => name.endsWith('.wasm'))), ['varnelo-nosimd.wasm']);
  assert.ok(await page.$eval('#full', (button) => button.hidden), 'a full-screen button without requestFullscreen');
  // No pointer event at all: Tab reaches the picture first, which shows its focus; the keys start from the middle.
  assert.match(await page.$eval('#hint', (hint) => hint.innerText), /Tab to the picture and steer it with the arrow keys/);
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => `${document.activeElement.id} ${getComputedStyle(document.activeElement).outlineStyle}`), 'screen solid');
  for (const [key, presses, shift] of [['ArrowRight', 3], ['ArrowUp', 2, true], ['ArrowLeft', 11, true]]) {
    if (shift) await page.keyboard.down('Shift');
    for (let i = 0; i < presses; ++i) await page.keyboard.press(key);
    if (shift) await page.keyboard.up('Shift');
  }
  await page.keyboard.press('F12').then(() => downloaded('Screenshot 0.bmp', offlineFrame(0, 68)));
  for (const [file, fitted, tolerance] of [['large.png', 'large.fit', 0], ['phone.jpg', 'phone.fit', 3]]) {
    await restarted(() => pick('#pictures', file));
    assert.ok(near(await kept('scr.tga'), fs.readFileSync(made(fitted)), tolerance), `${file}: not as the rule fits it`);
    scene = made(fitted);
    await pointAndCompare(null, null, 160, 100, tolerance);
  }
});

// Another build of the page: a copy with some files of other contents and its sw.js stamped anew.
function build(name, changed = {}) {
  const dir = path.join(scratch, name), source = fileURLToPath(new URL('../../platform/web/', import.meta.url));
  const files = fs.readdirSync(pageDir).filter((file) => file !== 'sw.js').join(';');
  fs.cpSync(pageDir, dir, { recursive: true });
  for (const [file, contents] of Object.entries(changed)) fs.writeFileSync(path.join(dir, file), contents);
  execFileSync('cmake', [`-DVERSION=${name}`, `-DPAGE=${dir}`, `-DFILES=${files}`, `-DTEMPLATE=${source}sw.js`, '-P', `${source}stamp.cmake`]);
  return dir;
}
const wasm = fs.readFileSync(path.join(pageDir, 'varnelo.wasm'));
const titled = (words) => ({ 'index.html': fs.readFileSync(path.join(pageDir, 'index.html'), 'utf8').replace('</title>', ` ${words}</title>`) });
const live = build('live'), retitled = build('retitled', titled('retitled'));
// Has the browser check the server's sw.js: what became of the build it found (with `takeOver`, it takes over at once).
const update = (takeOver = false) => page.evaluate(async (takeOver) => {
  const registration = await navigator.serviceWorker.getRegistration(), { serviceWorker } = navigator;
  await registration.update();
  const worker = registration.installing ?? registration.waiting;
  if (worker?.state === 'installing') await new Promise((resolve) => worker.addEventListener('statechange', resolve, { once: true }));
  const state = worker?.state;
  if (takeOver && state === 'installed') {
    worker.postMessage('take over');
    await new Promise((resolve) => serviceWorker.addEventListener('controllerchange', resolve));
  }
  return state;
}, takeOver);

test('a deploy is taken only whole: one with a cut varnelo.wasm leaves the old build running', async () => {
  opened.push({ page } = await openPage(live, scratch));
  const title = await page.title();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });
  fs.cpSync(retitled, live, { recursive: true });
  fs.writeFileSync(path.join(live, 'varnelo.wasm'), wasm.subarray(0, wasm.length >> 1));
  assert.equal(await update(), 'redundant', 'the worker of a build with a cut varnelo.wasm');
  await page.reload();
  assert.deepEqual([await outcome(page), await page.title()], ['frames', title]);
  fs.cpSync(retitled, live, { recursive: true });
  assert.equal(await update(), 'installed', 'the worker of the whole build');
  await Promise.all([page.waitForNavigation(), page.click('#update:not([hidden])')]);
  assert.deepEqual([await outcome(page), await page.title()], ['frames', `${title} retitled`]);
});

test('a page open while another takes a new build starts again, and takes pictures, on its own', async () => {
  // A wasm, a pictures.js and a controls.js that no page of ours fits: a page that mixed builds would start nothing and
  // take no picture.
  fs.cpSync(build('misfit', { 'varnelo.wasm': wasm.subarray(0, 8), 'pictures.js': 'export const use = () => {};',
    'controls.js': 'export const attach = () => ({});' }), live, { recursive: true });
  assert.equal(await update(true), 'installed', 'the worker of the build another page takes');
  await page.click('#end').then(ended);
  await page.evaluate(() => { window.framedAt = undefined; });
  await page.click('#again');
  assert.equal(await outcome(page), 'frames', 'Start again after the other page took the new build');
  await restarted(() => pick('#pictures', 'blocks.png'));
  await page.reload();
  assert.match(await outcome(page), /varnelo\.wasm does not fit varnelo\.js/);
});

test('a page that failed before its first frame takes the fixed build at the next reload', async () => {
  fs.cpSync(build('fixed', titled('fixed')), live, { recursive: true });
  await page.reload();
  await page.waitForFunction(() => document.title.endsWith(' fixed') && window.framedAt, { timeout: 15000 });
});

test('a first visit that cannot start says which file and what to do, with nothing running', async () => {
  const broken = path.join(scratch, 'broken');
  let visit = null;
  for (const [file, length, expected] of [['varnelo.wasm', 0, /the server is missing varnelo\.wasm/],
    ['varnelo.wasm', wasm.length >> 1, /varnelo\.wasm is cut short/], ['varnelo.js', 0, /the server is missing varnelo\.js/],
    ['varnelo.js', 9000, /varnelo\.js did not run/], ['page.js', 0, /page\.js has not run/], ['scr.tga', 0, /missing scr\.tga/]]) {
    fs.cpSync(pageDir, broken, { recursive: true });
    if (length) fs.truncateSync(path.join(broken, file), length); else fs.rmSync(path.join(broken, file));
    if (visit) await visit.page.reload(); else opened.push(visit = await openPage(broken, scratch));
    const what = `${file} ${length ? 'cut' : 'missing'}`, said = await outcome(visit.page);
    assert.match(said, expected, what);
    assert.match(said, /Reload/, `${what}: what to do`);
    assert.deepEqual(await visit.page.evaluate(() => [window.varnelo?.running ?? false,
      [...document.querySelectorAll('#shoot, #end, #pictures')].every((control) => control.disabled)]), [false, true], `${what}: running, disabled`);
  }
});
