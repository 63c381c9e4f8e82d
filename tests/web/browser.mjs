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
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Resolves once the page has loaded; on the program's page, window.firstFrame resolves at its
// first frame.
export async function openPage(pageDir, scratch, viewport = { width: 1100, height: 600 }) {
  const server = await serve(path.resolve(pageDir));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    // Root needs --no-sandbox; the rest keeps Chromium from reaching for the network.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${fs.mkdtempSync(path.join(scratch, 'profile-'))}`],
  });
  const close = async () => {
    await browser.close();
    server.close();
  };
  try {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    const downloads = path.join(scratch, 'downloads');
    fs.mkdirSync(downloads, { recursive: true });
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
    await page.evaluateOnNewDocument(() => {
      window.addEventListener('DOMContentLoaded', () => {
        window.firstFrame = new Promise((resolve) =>
          document.getElementById('screen')?.addEventListener('varnelo-frame', resolve, { once: true }));
      });
    });
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    return { browser, page, downloads, close };
  } catch (error) {
    await close();
    throw error;
  }
}

// The program's page, once it has shown its first frame.
export async function launchPage(pageDir, scratch, viewport) {
  const opened = await openPage(pageDir, scratch, viewport);
  try {
    await opened.page.waitForFunction(() => window.firstFrame !== undefined);
    await opened.page.evaluate(() => window.firstFrame);
    return opened;
  } catch (error) {
    await opened.close();
    throw error;
  }
}
