// The page's first load: the bytes that come over the network until the first frame shows,
// from a plain static server and from one that compresses with gzip, and the time to that
// frame on Chromium's emulated "Fast 4G" and "Fast 3G" (median of five fresh browsers each).
// Run by hand after the web build, with any page folders to set against each other:
//   node bench/web/first_load.mjs [PAGE_DIR...]
// (from the project root; PAGE_DIR defaults to build/web/page).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { openPage } from '../../tests/web/browser.mjs';

// puppeteer-core is installed beside the page's checks.
const { PredefinedNetworkConditions } = createRequire(new URL('../../tests/web/package.json', import.meta.url))('puppeteer-core');

const Runs = 5;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-first-load-'));

async function load(pageDir, gzip, profile) {
  const before = profile && ((page) => page.emulateNetworkConditions(PredefinedNetworkConditions[profile]));
  const { bytes, firstFrameMs, close } = await openPage(pageDir, scratch, { gzip, before });
  await close();
  return { bytes, firstFrameMs };
}

try {
  for (const pageDir of process.argv.length > 2 ? process.argv.slice(2) : ['build/web/page']) {
    console.log(pageDir);
    for (const gzip of [false, true]) {
      const { bytes } = await load(pageDir, gzip);
      const times = {};
      for (const profile of ['Fast 4G', 'Fast 3G']) {
        const runs = [];
        for (let run = 0; run < Runs; ++run) runs.push((await load(pageDir, gzip, profile)).firstFrameMs);
        times[profile] = runs.sort((a, b) => a - b)[Runs >> 1];
      }
      console.log(`  ${gzip ? 'gzip ' : 'plain'} server: ${bytes} bytes (${(bytes / 1000).toFixed(1)} KB) to the first frame; ` +
        Object.entries(times).map(([profile, ms]) => `${profile} ${(ms / 1000).toFixed(2)} s`).join(', '));
    }
  }
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
