// Serves a page folder on 127.0.0.1 and opens it in Debian's headless Chromium, for the page's checks and benchmark.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json' };

// A static server (gzip: compressing where accepted) reading the folder at every request, so tests may deploy to it.
function serve(folder, gzip) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder) || !fs.statSync(file, { throwIfNoEntry: false })?.isFile()) return response.writeHead(404).end();
    const zipped = gzip && /gzip/.test(request.headers['accept-encoding']);
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream',
      ...(zipped && { 'Content-Encoding': 'gzip' }) });
    const body = fs.createReadStream(file);
    (zipped ? body.pipe(zlib.createGzip({ level: 9 })) : body).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Debian's headless Chromium with a fresh profile in scratch.
export function launch(scratch) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    // Root needs --no-sandbox; the rest keeps Chromium from reaching for the network.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${fs.mkdtempSync(path.join(scratch, 'profile-'))}`],
  });
}

// Safari's documented limit, for an init script: a canvas over 16,777,216 pixels gives no context (Chromium's does).
export function capCanvases() {
  for (const Canvas of [self.OffscreenCanvas, self.HTMLCanvasElement].filter(Boolean)) {
    const getContext = Canvas.prototype.getContext;
    Canvas.prototype.getContext = function (...args) { return this.width * this.height > 16777216 ? null : getContext.apply(this, args); };
  }
}

// What the page came to: 'frames' once the program shows one and the controls that load after it are in, else the
// sentence it shows instead.
export const outcome = (page) => page.waitForFunction(() => (window.framedAt && !document.getElementById('show-log').disabled && 'frames') ||
  (document.getElementById('message')?.checkVisibility({ visibilityProperty: true }) &&
   document.getElementById('message-text').textContent), { timeout: 15000 }).then((result) => result.jsonValue());

// Resolves once the page has shown its first frame or said why not, downloads going to its own folder; `bytes` is
// what came over the network by then (the page's controls are in once it resolves), `before(page)` runs ahead of the load, `stop()` takes the server away.
export async function openPage(pageDir, scratch, { viewport = { width: 1100, height: 600 }, gzip = false, before } = {}) {
  const server = await serve(path.resolve(pageDir), gzip);
  const browser = await launch(scratch);
  const stop = () => { server.closeAllConnections(); server.close(); };
  const close = () => browser.close().finally(stop);
  try {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    const downloads = fs.mkdtempSync(path.join(scratch, 'downloads-'));
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    const loaded = { bytes: 0 };
    await session.send('Network.enable');
    session.on('Network.loadingFinished', (event) => { loaded.bytes += event.encodedDataLength; });
    page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
    await page.evaluateOnNewDocument(() => window.addEventListener('DOMContentLoaded', () => {
      const screen = document.getElementById('screen');
      if (screen) window.firstFrame = new Promise((resolve) => screen.addEventListener('varnelo-frame', () => resolve(window.framedAt ??= performance.now())));
    }));
    await before?.(page);
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    // The first frame is awaited as it shows: a moment later the page fetches sw.js.
    await Promise.race([page.evaluate(() => window.firstFrame), outcome(page)]);
    const { bytes } = loaded;
    await outcome(page);
    return { browser, page, downloads, close, stop, bytes, firstFrameMs: await page.evaluate(() => window.framedAt) };
  } catch (error) {
    await close();
    throw error;
  }
}

