// The user's own pictures in the page: the time to decode a 12-megapixel phone photo, to fit it
// to the frame, and from picking it to the first frame lit on it (medians of seven each), in
// headless Chromium. Run by hand after the web build:
//   node bench/web/pictures.mjs [PAGE_DIR]
// (from the project root; PAGE_DIR defaults to build/web/page; needs Pillow for the photo).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openPage } from '../../tests/web/browser.mjs';

const Runs = 7;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-pictures-'));
const photo = path.join(scratch, 'photo.jpg');
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

// A photo's worth of detail: smooth shapes with grain, as a phone's 4032 x 3024 JPEG.
execFileSync('/usr/bin/python3', ['-c', `
import random, sys
from PIL import Image, ImageFilter
random.seed(12)
shapes = Image.frombytes('RGB', (48, 36), bytes(random.randrange(256) for _ in range(48 * 36 * 3)))
grain = Image.effect_noise((4032, 3024), 24).convert('RGB')
Image.blend(shapes.resize((4032, 3024), Image.BICUBIC), grain, 0.15).save(sys.argv[1], quality=90)
`, photo]);

const { page, close } = await openPage(process.argv[2] ?? 'build/web/page', scratch);
try {
  const times = await page.evaluate(async (bytes, runs) => {
    const own = await import('./pictures.js');
    const decode = [], fit = [];
    for (let run = 0; run < runs; ++run) {
      const start = performance.now();
      const image = await own.decode('photo.jpg', new Uint8Array(bytes));
      const decoded = performance.now();
      own.tga(own.fitScene(image));
      fit.push(performance.now() - decoded);
      decode.push(decoded - start);
    }
    return { decode, fit };
  }, Array.from(fs.readFileSync(photo)), Runs);
  // From the pick, as the page hears of it, to the first frame of the run on the photo.
  const picks = [];
  for (let run = 0; run < Runs; ++run) {
    const waited = page.evaluate(() => new Promise((resolve) => {
      const picker = document.getElementById('pictures'), canvas = document.getElementById('screen');
      picker.addEventListener('change', () => {
        const picked = performance.now(), before = window.varnelo;
        const frame = () => (window.varnelo !== before ? resolve(performance.now() - picked) : canvas.addEventListener('varnelo-frame', frame, { once: true }));
        canvas.addEventListener('varnelo-frame', frame, { once: true });
      }, { once: true, capture: true });
    }));
    await (await page.$('#pictures')).uploadFile(photo);
    picks.push(await waited);
  }
  console.log(`12-megapixel JPEG (${(fs.statSync(photo).size / 1e6).toFixed(1)} MB): decode ${median(times.decode).toFixed(0)} ms, ` +
    `fit ${median(times.fit).toFixed(0)} ms; first frame ${median(picks).toFixed(0)} ms after the pick`);
} finally {
  await close();
  fs.rmSync(scratch, { recursive: true, force: true });
}
