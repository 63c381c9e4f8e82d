// Serves a page folder on 127.0.0.1 and opens it in Debian's headless Chromium, for the page's
// checks and its benchmark.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder) || !fs.statSync(file, { throwIfNoEntry: false })?.isFile()) return response.writeHead(404).end();
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Resolves once the page has loaded and, on the program's page, shown its first frame; its
// downloads go to scratch/downloads.
export async function openPage(pageDir, scratch, viewport = { width: 1100, height: 600 }) {
  const server = await serve(path.resolve(pageDir));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    // Root needs --no-sandbox; the rest keeps Chromium from reaching for the network.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${fs.mkdtempSync(path.join(scratch, 'profile-'))}`],
  });
  const close = () => browser.close().finally(() => server.close());
  try {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    const downloads = path.join(scratch, 'downloads');
    fs.mkdirSync(downloads, { recursive: true });
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
    await page.evaluateOnNewDocument(() => window.addEventListener('DOMContentLoaded', () => {
      const screen = document.getElementById('screen');
      if (screen) window.firstFrame = new Promise((resolve) => screen.addEventListener('varnelo-frame', resolve, { once: true }));
    }));
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.evaluate(() => window.firstFrame);
    return { browser, page, downloads, close };
  } catch (error) {
    await close();
    throw error;
  }
}

export const launchPage = openPage;
