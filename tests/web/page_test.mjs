// The web page in headless Chromium: the canvas against varnelo-render at mouse positions inside,
// on every edge and beyond the canvas, the F12 download against the offline frame, the log, the
// end on Esc, and pictures the user drops: used when readable, reported by name when not.
// usage: node page_test.mjs PAGE_DIR VARNELO_RENDER ASSETS_DIR
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import assert from 'node:assert/strict';
import { launchPage } from './browser.mjs';

const [pageDir, render, assets] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-web-'));
const Width = 320, Height = 200;

function offlineFrame(x, y, scene = path.join(assets, 'scr.tga')) {
  const out = path.join(scratch, `expected-${x}-${y}.bmp`);
  execFileSync(render, ['--spot', path.join(assets, 'spot.tga'), '--scene', scene, '--at', `${x},${y}`, '-o', out]);
  return fs.readFileSync(out);
}

// Red, green, blue of each pixel, rows from the top, from a 24-bit bottom-up BMP.
function bmpPixels(bmp) {
  const offset = bmp.readUInt32LE(10), rowBytes = Width * 3;
  const rgb = Buffer.alloc(Width * Height * 3);
  for (let y = 0; y < Height; ++y) {
    for (let x = 0; x < Width; ++x) {
      const from = offset + (Height - 1 - y) * rowBytes + x * 3, to = (y * Width + x) * 3;
      rgb[to] = bmp[from + 2];
      rgb[to + 1] = bmp[from + 1];
      rgb[to + 2] = bmp[from];
    }
  }
  return rgb;
}

async function canvasPixels(page) {
  const rgba = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
  });
  const rgb = Buffer.alloc(Width * Height * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) rgb.set(rgba.slice(i, i + 3), j);
  return rgb;
}

// Resolves after `count` more frames have been shown.
function frames(page, count) {
  return page.evaluate((wanted) => new Promise((resolve) => {
    let seen = 0;
    const canvas = document.getElementById('screen');
    canvas.addEventListener('varnelo-frame', function counted() {
      if (++seen < wanted) return;
      canvas.removeEventListener('varnelo-frame', counted);
      resolve();
    });
  }), count);
}

// Where on the page the middle of frame pixel (x, y) lies, and what a page point maps to.
async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return { left: box.left, top: box.top, width: box.width, height: box.height };
  });
}
const pagePoint = (box, x, y) => [box.left + (x + 0.5) * box.width / Width, box.top + (y + 0.5) * box.height / Height];

async function pointAndCompare(page, clientX, clientY, expectedX, expectedY, scene) {
  if (clientX !== null) await page.mouse.move(clientX, clientY);
  await frames(page, 2);
  const wanted = bmpPixels(offlineFrame(expectedX, expectedY, scene));
  const shown = await canvasPixels(page);
  assert.ok(shown.equals(wanted), `canvas differs from varnelo-render --at ${expectedX},${expectedY} ` +
    `(pointer at ${clientX?.toFixed(1)},${clientY?.toFixed(1)})`);
}

async function drop(page, files) {
  await page.evaluate((given) => {
    const transfer = new DataTransfer();
    for (const [name, bytes] of given) transfer.items.add(new File([new Uint8Array(bytes)], name));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, files.map(([name, bytes]) => [name, Array.from(bytes)]));
}

const checks = [
  ['the canvas equals the offline frame inside, on every edge and beyond the canvas', async (page) => {
    const box = await canvasBox(page);
    assert.ok(box.left > 20, 'the viewport leaves room beside the canvas');
    const cases = [
      [null, null, 160, 100],  // where the program put the pointer, until it moves
      [...pagePoint(box, 160, 100), 160, 100],
      [...pagePoint(box, 37, 181), 37, 181],
      [...pagePoint(box, 0, 57), 0, 57],            // left edge
      [...pagePoint(box, Width - 1, 120), Width - 1, 120],  // right edge
      [...pagePoint(box, 200, 0), 200, 0],          // top edge
      [...pagePoint(box, 90, Height - 1), 90, Height - 1],  // bottom edge
      [box.left - 15, pagePoint(box, 0, 77)[1], 0, 77],        // beyond the left edge
      [box.left + box.width + 15, box.top + box.height - 1, Width - 1, Height - 1],  // beyond, low right
    ];
    for (const [clientX, clientY, x, y] of cases) await pointAndCompare(page, clientX, clientY, x, y);
  }],
  ['F12 downloads the exact offline frame', async (page, downloads) => {
    const box = await canvasBox(page);
    await page.mouse.move(...pagePoint(box, 250, 40));
    await frames(page, 2);
    await page.keyboard.press('F12');
    const name = 'Screenshot 0.bmp';
    await page.waitForSelector(`#screenshots a[download="${name}"]`, { timeout: 5000 });
    const file = path.join(downloads, name);
    for (let tries = 0; tries < 100 && !fs.existsSync(file); ++tries) await new Promise((r) => setTimeout(r, 50));
    assert.ok(fs.readFileSync(file).equals(offlineFrame(250, 40)), 'the download differs from varnelo-render --at 250,40');
  }],
  ['the page shows the set-up log, 17 lines', async (page) => {
    await page.click('#show-log');
    const lines = (await page.$eval('#log', (log) => log.textContent)).split('\n');
    assert.equal(lines.pop(), '', 'the log ends with a line end');
    assert.equal(lines.length, 17, lines.join('\n'));
    assert.equal(lines[0], '__________Direct Draw - Log__________');
    assert.equal(lines.filter((line) => line === '    OK').length, 7, lines.join('\n'));
  }],
  ['Esc ends the program with 0 and the page offers to start again', async (page) => {
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => window.varnelo.exitCode !== null, { timeout: 5000 });
    assert.equal(await page.evaluate(() => window.varnelo.exitCode), 0);
    assert.match(await page.$eval('#message-text', (text) => text.textContent), /ended/);
    await page.click('#again');
    await page.waitForFunction(() => window.varnelo.running, { timeout: 5000 });
    await frames(page, 1);
  }],
  ['a dropped scene is used', async (page) => {
    const scene = path.join(scratch, 'scr.tga');
    execFileSync('convert', ['-size', `${Width}x${Height}`, 'gradient:#20c040-#f08010', scene]);
    await drop(page, [['scr.tga', fs.readFileSync(scene)]]);
    await page.waitForFunction(() => window.varnelo.running, { timeout: 5000 });
    await frames(page, 1);
    const box = await canvasBox(page);
    await pointAndCompare(page, ...pagePoint(box, 100, 60), 100, 60, scene);
    // The new run's first screenshot has the name of the last run's, and is offered all the same.
    await page.keyboard.press('F12');
    await page.waitForFunction(() => document.querySelectorAll('#screenshots a[download="Screenshot 0.bmp"]').length === 2,
      { timeout: 5000 });
    const offered = await page.evaluate(async () => {
      const links = document.querySelectorAll('#screenshots a[download="Screenshot 0.bmp"]');
      return Array.from(new Uint8Array(await (await fetch(links[1].href)).arrayBuffer()));
    });
    assert.ok(Buffer.from(offered).equals(offlineFrame(100, 60, scene)), 'the second run\'s screenshot differs');
  }],
  ['a picture that cannot be read is reported by name', async (page) => {
    await drop(page, [['spot.tga', Buffer.from('not a picture')]]);
    await page.waitForFunction(() => window.varnelo.exitCode !== null, { timeout: 5000 });
    assert.match(await page.$eval('#message-text', (text) => text.textContent), /spot\.tga/);
  }],
];

const { page, downloads, close } = await launchPage(pageDir, scratch);
let failed = 0;
try {
  for (const [name, check] of checks) {
    try {
      await check(page, downloads);
      console.log(`ok - ${name}`);
    } catch (error) {
      ++failed;
      console.log(`not ok - ${name}\n  ${String(error.message).split('\n').join('\n  ')}`);
    }
  }
} finally {
  await close();
  fs.rmSync(scratch, { recursive: true, force: true });
}
process.exitCode = failed === 0 ? 0 : 1;
