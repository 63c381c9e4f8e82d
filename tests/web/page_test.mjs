// The web page in headless Chromium against varnelo-render: the canvas with the pointer inside,
// on every edge and beyond the canvas, the F12 download, the log, a dropped scene, and Esc.
// usage: node page_test.mjs PAGE_DIR VARNELO_RENDER ASSETS_DIR
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import assert from 'node:assert/strict';
import { after, test } from 'node:test';
import { openPage } from './browser.mjs';

const [pageDir, render, assets] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-web-'));
const Width = 320, Height = 200;
let scene = path.join(assets, 'scr.tga');

let rendered = 0;
function offlineFrame(x, y) {
  const out = path.join(scratch, `expected-${rendered += 1}.bmp`);
  execFileSync(render, ['--spot', path.join(assets, 'spot.tga'), '--scene', scene, '--at', `${x},${y}`, '-o', out]);
  return fs.readFileSync(out);
}

const { page, downloads, close } = await openPage(pageDir, scratch);
after(() => close().finally(() => fs.rmSync(scratch, { recursive: true, force: true })));

// Moves the pointer to page point (left, top), unless null, and after two more frames compares
// the canvas, as the pixel rows of a 24-bit bottom-up BMP, with the offline frame at (x, y).
async function pointAndCompare(left, top, x, y) {
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
  assert.ok(Buffer.from(rows).equals(offlineFrame(x, y).subarray(54)),
    `canvas differs from varnelo-render --at ${x},${y} (pointer at ${left},${top})`);
}

const box = await page.$eval('#screen', (canvas) => canvas.getBoundingClientRect().toJSON());
const at = (x, y) => [box.left + (x + 0.5) * box.width / Width, box.top + (y + 0.5) * box.height / Height];

test('the canvas equals the offline frame inside, on every edge and beyond the canvas', async () => {
  await pointAndCompare(null, null, 160, 100);  // where the program put the pointer
  for (const [x, y] of [[37, 181], [0, 57], [Width - 1, 120], [200, 0], [90, Height - 1]]) {
    await pointAndCompare(...at(x, y), x, y);
  }
  await pointAndCompare(box.left - 15, at(0, 77)[1], 0, 77);
  await pointAndCompare(box.right + 15, box.bottom - 1, Width - 1, Height - 1);
});

test('F12 downloads the exact offline frame', async () => {
  await pointAndCompare(...at(250, 40), 250, 40);
  await page.keyboard.press('F12');
  const file = path.join(downloads, 'Screenshot 0.bmp');
  for (let tries = 0; tries < 100 && !fs.existsSync(file); ++tries) await new Promise((r) => setTimeout(r, 50));
  assert.ok(fs.readFileSync(file).equals(offlineFrame(250, 40)), 'the download differs from varnelo-render --at 250,40');
});

test('the page shows the set-up log', async () => {
  await page.click('#show-log');
  const expected = fs.readFileSync(new URL('../support/full_setup.log', import.meta.url), 'utf8');
  assert.equal(await page.$eval('#log', (log) => log.textContent), expected);
});

test('a scene dropped while the demo runs restarts it on that scene', async () => {
  scene = path.join(scratch, 'scr.tga');
  execFileSync('convert', ['-size', `${Width}x${Height}`, 'gradient:#20c040-#f08010', scene]);
  await page.evaluate((bytes) => {
    window.lastRun = window.varnelo;
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'scr.tga'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, Array.from(fs.readFileSync(scene)));
  await page.waitForFunction(() => window.varnelo !== window.lastRun && window.varnelo.running, { timeout: 5000 });
  await pointAndCompare(...at(100, 60), 100, 60);
  await page.keyboard.press('F12');  // named as the last run's first screenshot, and offered all the same
  await page.waitForFunction(() => document.querySelectorAll('#screenshots a[download="Screenshot 0.bmp"]').length === 2);
});

test('Esc ends the program with 0', async () => {
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.varnelo.exitCode !== null, { timeout: 5000 });
  assert.equal(await page.evaluate(() => window.varnelo.exitCode), 0);
});
