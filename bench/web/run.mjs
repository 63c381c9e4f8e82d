// The web benchmark: frames per second over 10 s of the page in headless Chromium with the
// spread of the intervals between frames, one frame's compose time in the browser against
// the native build, and the size of the program's wasm. Run by hand after both builds:
//   NODE_PATH=tests/web/node_modules node bench/web/run.mjs
// (from the project root; it reads build/web and build/release).
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { openPage } from '../../tests/web/browser.mjs';

const Seconds = 10;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-bench-'));
const quantile = (sorted, q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];

async function frameRate() {
  const { page, close } = await openPage('build/web/page', scratch);
  try {
    await page.mouse.move(500, 300);
    const times = await page.evaluate((seconds) => new Promise((resolve) => {
      const seen = [];
      const canvas = document.getElementById('screen');
      canvas.addEventListener('varnelo-frame', () => seen.push(performance.now()));
      setTimeout(() => resolve(seen), seconds * 1000);
    }), Seconds);
    const intervals = times.slice(1).map((time, i) => time - times[i]).sort((a, b) => a - b);
    const mean = intervals.reduce((sum, value) => sum + value, 0) / intervals.length;
    const deviation = Math.sqrt(intervals.reduce((sum, value) => sum + (value - mean) ** 2, 0) / intervals.length);
    return {
      fps: (times.length - 1) * 1000 / (times[times.length - 1] - times[0]),
      frames: times.length,
      interval: { median: quantile(intervals, 0.5), p5: quantile(intervals, 0.05), p95: quantile(intervals, 0.95),
        min: intervals[0], max: intervals[intervals.length - 1], deviation },
    };
  } finally {
    await close();
  }
}

async function browserCompose() {
  const { page, close } = await openPage('build/web/bench-page', scratch);
  try {
    return await page.evaluate(() => new Promise((resolve) => {
      const check = () => (window.printed !== undefined ? resolve(window.printed) : setTimeout(check, 100));
      check();
    }));
  } finally {
    await close();
  }
}

const perFrame = (line) => Number(/compose_us_per_frame ([\d.]+)/.exec(line)[1]);
try {
  const rate = await frameRate();
  // Native and browser one after the other in this run, on the same machine.
  const native = perFrame(execFileSync('build/release/bench/web/varnelo_compose_time', { encoding: 'utf8' }));
  const browser = perFrame(await browserCompose());
  const wasm = fs.statSync('build/web/page/varnelo.wasm').size;
  const ms = (value) => value.toFixed(2);
  console.log(`frames per second over ${Seconds} s: ${rate.fps.toFixed(2)} (${rate.frames} frames)`);
  console.log(`interval ms: median ${ms(rate.interval.median)}, 5%-95% ${ms(rate.interval.p5)}-${ms(rate.interval.p95)}, ` +
    `min ${ms(rate.interval.min)}, max ${ms(rate.interval.max)}, deviation ${ms(rate.interval.deviation)}`);
  console.log(`compose per frame: browser ${browser} us, native ${native} us, ratio ${(browser / native).toFixed(2)}`);
  console.log(`wasm: ${wasm} bytes (${(wasm / 1024).toFixed(1)} KB)`);
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
