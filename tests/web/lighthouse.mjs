// Lighthouse on the served page as a phone meets it, in three fresh Chromiums: accessibility, best practices and SEO
// score 100 every run; performance, which this machine's load sways, is reported (the median), not judged.
// usage: node lighthouse.mjs URL
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import lighthouse from 'lighthouse';
import { launch } from './browser.mjs';

const Runs = 3, Judged = ['accessibility', 'best-practices', 'seo'];
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'varnelo-lighthouse-'));
const performance = [];
try {
  for (let run = 1; run <= Runs; ++run) {
    const browser = await launch(scratch);
    try {
      const { lhr } = await lighthouse(process.argv[2], { logLevel: 'error', onlyCategories: [...Judged, 'performance'] },
        undefined, await browser.newPage());
      performance.push(Math.round(lhr.categories.performance.score * 100));
      for (const { id, score, auditRefs } of Judged.map((judged) => lhr.categories[judged])) {
        const lost = auditRefs.filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score < 1).map((ref) => ref.id);
        if (score < 1) process.exitCode = 1;
        if (score < 1) console.log(`run ${run}: ${id} ${Math.round(score * 100)}, lost on ${lost.join(', ')}`);
      }
    } finally {
      await browser.close();
    }
  }
  console.log(`Lighthouse, mobile: performance ${performance.sort((a, b) => a - b)[Runs >> 1]} (median of ${performance.join(', ')}); ` +
    `${Judged.join(', ')} ${process.exitCode ? 'not all 100' : 'all 100'}`);
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
