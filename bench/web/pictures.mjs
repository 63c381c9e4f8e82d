// The user's own pictures in the page: a 12- and a 48-megapixel phone photo, each picked as the
// scene, timed from the pick to the first frame lit on it, and the decoding and fitting alone
// (pictures.js's fitted), medians of five, in headless Chromium as it is and with Safari's canvas
// limit modelled (16,777,216 pixels a canvas). Run by hand after the web build:
//   node bench/web/pictures.mjs [PAGE_DIR]
// (from the project root; PAGE_DIR defaults to build/web/page; needs Pillow for the photos).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { capCanvases, openPage } from '../../tests/web/browser.mjs';

const Runs = 5;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-pictures-'));
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

// A photo's worth of detail: smooth shapes with grain, as a phone's JPEG.
const photos = [[12, 4032, 3024], [48, 8000, 6000]].map(([megapixels, width, height]) => {
  const photo = path.join(scratch, `${megapixels}mp.jpg`);
  execFileSync('/usr/bin/python3', ['-c', `
import random, sys
from PIL import Image
random.seed(12)
width, height = int(sys.argv[2]), int(sys.argv[3])
shapes = Image.frombytes('RGB', (48, 36), bytes(random.randrange(256) for _ in range(48 * 36 * 3)))
grain = Image.effect_noise((width, height), 24).convert('RGB')
Image.blend(shapes.resize((width, height), Image.BICUBIC), grain, 0.15).save(sys.argv[1], quality=90)
`, photo, String(width), String(height)]);
  return [megapixels, photo];
});

try {
  const results = {};
  for (const capped of [false, true]) {
    const { page, close } = await openPage(process.argv[2] ?? 'build/web/page', scratch,
      { before: capped ? (page) => page.evaluateOnNewDocument(capCanvases) : undefined });
    try {
      for (const [megapixels, photo] of photos) {
        const fits = await page.evaluate(async (bytes, runs) => {
          const own = await import('./pictures.js'), times = [], program = await createVarnelo({ noInitialRun: true });
          for (let run = 0; run < runs; ++run) {
            const start = performance.now();
            await own.fitted('photo.jpg', new Uint8Array(bytes), false, program);
            times.push(performance.now() - start);
          }
          return times;
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
        results[[megapixels, capped]] = median(picks);
        console.log(`${megapixels} MP JPEG (${(fs.statSync(photo).size / 1e6).toFixed(1)} MB), ${capped ? 'canvases capped' : 'as Chromium is'}: ` +
          `decoded and fitted in ${median(fits).toFixed(0)} ms; first frame ${median(picks).toFixed(0)} ms after the pick`);
      }
    } finally {
      await close();
    }
  }
  console.log(`first frame, 48 MP against 12 MP: ${(results[[48, true]] / results[[12, true]]).toFixed(2)} capped, ` +
    `${(results[[48, false]] / results[[12, false]]).toFixed(2)} as it is; 48 MP capped against as it is: ${(results[[48, true]] / results[[48, false]]).toFixed(2)}`);
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
