// Runs the program in the page: gives it its two pictures, the bundled ones or the user's once
// it has read them, says when it has ended or why it could not start, has the service worker
// keep the page for use offline, and shows the picture in the shape the user chose. The controls
// that only act at the user's word are controls.js's, loaded once the first frame shows or a run
// ends without one.
'use strict';

const canvas = document.getElementById('screen');
const stage = document.getElementById('stage');
const message = document.getElementById('message');
const messageText = document.getElementById('message-text');
const again = document.getElementById('again');
const pickers = ['pictures', 'light'].map((id) => document.getElementById(id));
// Bundled pictures and Save as TGA, shown while the user's own pictures are in use.
const ownOnly = ['bundled', 'save'].map((id) => document.getElementById(id));
const keyButtons = [['shoot', 'F12'], ['end', 'Escape']].map(([id, code]) => [document.getElementById(id), code]);
const update = document.getElementById('update');
const pictureNames = [VARNELO_SPOT_FILE, VARNELO_SCENE_FILE];

// The pictures of the next start: the bundled ones until the user gives their own.
const pictures = new Map();
const givenPictures = new Set();
const bundledPictures = new Map();
// index.html says that page.js did not run until it does; its controls wait for a program.
message.hidden = true;
message.classList.remove('unstarted');
again.hidden = false;

// Why the page's own files cannot start the demo, said as what the user can do about it.
class Unusable extends Error {}

// The page's life, one record that only run, ended, failed, restart and keepOffline change: its
// state is 'loading' while a start fetches this build, 'running' from the moment the start makes
// its program, 'restarting' once the page has ended that run as a closed window would, to start
// again, 'ended', or 'broken' when the page's own files failed, which only a reload mends. With
// it the run's program, the screenshots it has offered, what it has told, and whether a frame
// has shown in this page.
const life = { state: 'loading', program: null, offered: new Set(), told: [], framed: false };
const running = () => life.state === 'running' || life.state === 'restarting';

// What the tests and the benchmark read, a new object as each run starts and ends: whether the
// program runs, and its exit code once it has ended.
function published(exitCode = null) {
  window.varnelo = { running: running(), exitCode };
  for (const [button] of keyButtons) button.disabled = !running();
}
published();

// A note while the program runs is only read: its button closes it. It shows outside the stage,
// so the stage leaves full screen for it.
function say(text) {
  if (document.fullscreenElement) document.exitFullscreen();
  if (life.state !== 'broken') again.textContent = running() ? 'OK' : 'Start again';
  messageText.textContent = text;
  message.hidden = false;
}

async function fetchFile(name) {
  let response;
  try {
    response = await fetch(name);
  } catch (error) {
    throw new Unusable(`${name} could not be fetched (${error.message}); check the connection, then Reload.`);
  }
  if (response.status === 404 || response.status === 410) {
    throw new Unusable(`the server is missing ${name} (HTTP ${response.status}); Reload once it has the whole page.`);
  }
  if (!response.ok) throw new Unusable(`the server refused ${name} (HTTP ${response.status}); Reload later.`);
  try {
    return new Uint8Array(await response.arrayBuffer());
  } catch (error) {
    throw new Unusable(`${name} came cut short (${error.message}); Reload.`);
  }
}

// The wasm this browser runs, as index.html chose it: without WebAssembly SIMD, the build without.
const wasmFile = document.getElementById('wasm')?.getAttribute('href');

// The page's own build, fetched once: every later start runs this script with this wasm and
// these bundled pictures, whatever build the server or the service worker holds by then.
let build = null;
function ownBuild() {
  build ??= (async () => {
    if (!wasmFile) {
      throw new Unusable('this browser runs no WebAssembly, which it needs: it is switched off (as in Lockdown Mode on an ' +
        'iPhone) or the browser is too old; Safari 15, Chrome 85, Firefox 79 and later run it.');
    }
    // The user's pictures of an earlier visit; without them, pictures.js waits for the first frame.
    const kept = (async () => localStorage.getItem(VARNELO_KEPT_PICTURES_KEY) && (await ownPictures()).kept(pictureNames))()
      .catch((error) => console.warn(`Your pictures of the last visit are lost: ${error.message}`));
    const [wasm, ...bundled] = await Promise.all([wasmFile, ...pictureNames].map(fetchFile));
    if (typeof createVarnelo !== 'function') {
      await fetchFile('varnelo.js');
      throw new Unusable('varnelo.js did not run, as if cut short; Reload, and if this stays, the server holds a broken copy.');
    }
    const module = await WebAssembly.compile(wasm).catch(() => {
      throw new Unusable(`${wasmFile} is cut short or damaged; Reload, and if this stays, the server holds a broken copy.`);
    });
    pictureNames.forEach((name, i) => bundledPictures.set(name, bundled[i]));
    for (const [name, bytes] of await kept || []) givenPictures.has(name) || give(name, bytes);
    for (const [name, bytes] of bundledPictures) pictures.has(name) || pictures.set(name, bytes);
    return module;
  })();
  return build;
}

// A module of this very build, pictures.js or controls.js, checked against its digest and kept
// from the first frame on, so that a pick or a click runs this build's code even after another
// page has moved the site on.
const modules = {};
function ownModule(name, hex) {
  const digest = hex.match(/../g).map((byte) => parseInt(byte, 16));
  return modules[name] ??= fetch(name, { integrity: `sha256-${btoa(String.fromCharCode(...digest))}` })
    .then((response) => (response.ok ? response.arrayBuffer() : Promise.reject(new Error(`HTTP ${response.status}`))))
    .then((code) => import(URL.createObjectURL(new Blob([code], { type: 'text/javascript' }))))
    .catch((error) => {
      delete modules[name];
      throw error;
    });
}
const ownPictures = () => ownModule('pictures.js', '@PICTURES_SHA256@');

// The module settings of every instance of this build, a run's or one that never starts: the
// kept wasm, instantiated so that no start fetches it again, and the program's printing.
function ownSettings(wasm, misfit) {
  return {
    instantiateWasm: (imports, receive) => {
      WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm)).catch((error) => {
        console.warn(error);
        misfit(new Unusable(`${wasmFile} does not fit varnelo.js, as if the server held parts of two builds; Reload once it has one whole build.`));
      });
      return {};
    },
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
  };
}

// New builds. One kept whole waits until no page runs the old one: the link has it take over
// and reloads, and a page moved on to it by another offers the same. A page that never showed a
// frame has nothing to lose: a whole new build that waits, or comes to wait while the page says
// why, takes over at once, and the page reloads into it. The page hears of new builds from the
// start, and registers the worker itself once the first frame shows (keepOffline).
const builds = { servedBy: navigator.serviceWorker?.controller, registration: null, taking: false };

// A new build waits: taken at once where this page asked for it, else offered to a page that an
// older build serves.
function newBuild() {
  const waiting = builds.registration?.waiting;
  if (builds.taking) waiting?.postMessage('take over');
  else update.hidden &&= !(builds.servedBy && waiting);
}

function watchBuilds(registration) {
  if (!registration || registration === builds.registration) return;
  builds.registration = registration;
  registration.addEventListener('updatefound', () => registration.installing?.addEventListener('statechange', newBuild));
  registration.installing?.addEventListener('statechange', newBuild);
  newBuild();
}
const registered = navigator.serviceWorker?.getRegistration().then(watchBuilds, () => {});

function takeNewBuild() {
  registered?.then(() => {
    if (!builds.registration) return;
    builds.taking = true;
    newBuild();
    builds.registration.update().catch((error) => console.warn(`No new build: ${error.message}`));
  });
}

navigator.serviceWorker?.addEventListener('controllerchange', () => {
  if (builds.taking) location.reload();
  else if (builds.servedBy) update.hidden = false;
});
update.addEventListener('click', (event) => {
  const waiting = builds.registration?.waiting;
  if (!waiting) return;  // already taken over: the link reloads by itself
  event.preventDefault();
  builds.taking = true;
  waiting.postMessage('take over');
});

// Starts a run on the pictures as they are now, unless one is under way; a broken page reloads.
function start() {
  if (life.state === 'broken') location.reload();
  else if (life.state === 'ended') run();
}

// A run: Emscripten makes the settings themselves the program's module, so the run knows its
// program from the moment it makes it, before the program is up. It ends in ended or failed.
async function run() {
  Object.assign(life, { state: 'loading', program: null, offered: new Set(), told: [] });
  message.hidden = true;
  try {
    const wasm = await ownBuild();
    await new Promise((made, misfit) => {
      const program = {
        ...ownSettings(wasm, misfit),
        canvas,
        onAbort: (reason) => failed(new Error(reason), 'stopped'),
        preRun: [() => {
          for (const [name, bytes] of pictures) program.FS.writeFile(name, bytes);
        }],
        onTell: (caption, text) => {
          life.told.push(text);
          say(text);
        },
        onPresent: () => canvas.dispatchEvent(new Event('varnelo-frame')),
        onEnded: ended,
      };
      Object.assign(life, { state: 'running', program });
      published();
      createVarnelo(program).then(made, misfit);
    });
  } catch (error) {
    return failed(error);
  }
  fit();
}

function ended(exitCode) {
  controls?.collect();
  const restarting = life.state === 'restarting';
  life.state = 'ended';
  published(exitCode);
  if (!life.framed && exitCode !== 0) takeNewBuild();
  if (restarting) return run();
  takeControls();  // the log of a run that showed no frame tells why
  // A picture the program could not read is the user's to replace.
  const advice = exitCode !== 0 && givenPictures.size > 0 ? ' Pick other pictures, or Bundled pictures for the shipped ones.' : '';
  say([...life.told, `The demo has ended (exit code ${exitCode}).${advice}`].join('\n'));
}

function failed(error, what = 'could not start') {
  console.warn(error);
  if (!life.framed) takeNewBuild();
  Object.assign(life, { state: 'broken', program: null });
  published();
  for (const picker of pickers) picker.disabled = true;
  again.textContent = 'Reload';
  say(`The demo ${what}: ${error instanceof Unusable ? error.message : `${error.message}; Reload.`}`);
}

function give(name, bytes) {
  pictures.set(name, bytes);
  givenPictures.add(name);
  for (const button of ownOnly) button.hidden = false;
}

// Starts afresh on the pictures as they are now: a running program is ended as a closed
// window would be, and starts again once it has ended; a start still loading takes them as
// they are.
function restart() {
  if (life.state === 'running') {
    life.state = 'restarting';
    life.program.close();
  } else if (life.state !== 'restarting') {
    start();
  }
}

// The buttons press the program's keys, which it then takes as it takes them from the keyboard.
for (const [button, code] of keyButtons) button.addEventListener('click', () => life.program?.press(code));
again.addEventListener('click', () => (running() ? (message.hidden = true) : start()));

// The shape the picture shows in, as varnelo's --aspect 4:3 and --whole choose it on the desktop:
// the ids of the buttons pressed, as the user last chose them; a browser that keeps nothing shows
// the picture square at any scale at each visit.
const view = { shape: '' };
try {
  view.shape = localStorage[VARNELO_SHAPE_KEY] ?? '';
} catch (blocked) {}
for (const button of document.querySelectorAll('#aspect, #whole')) button.setAttribute('aria-pressed', view.shape.includes(button.id));

// Places the canvas in the stage by the program's own rule, in device pixels, so that whole
// multiples are whole on the screen; any run's program answers once it is instantiated.
function fit() {
  const { program } = life, ratio = devicePixelRatio, area = stage.getBoundingClientRect();
  const at = program?.HEAP32 && program._varnelo_place(area.width * ratio, area.height * ratio, canvas.width,
    canvas.height, view.shape.includes('aspect'), view.shape.includes('whole')) >> 2;
  if (at) ['left', 'top', 'width', 'height'].forEach((side, i) => { canvas.style[side] = `${program.HEAP32[at + i] / ratio}px`; });
}
new ResizeObserver(fit).observe(stage);

// controls.js's hooks once it has taken the controls over, which it does once.
let controls = null;
function takeControls() {
  ownModule('controls.js', '@CONTROLS_SHA256@').then((module) => {
    controls ??= module.attach({ life, say, give, restart, fit, view, pictures, pictureNames, givenPictures, bundledPictures, ownOnly,
      ownPictures, ownBuild, ownSettings });
  }).catch((error) => console.warn(`controls.js did not load: ${error.message}`));
}
// Ahead of the program's keys (library.js listens later, in the same phase), for full screen's.
addEventListener('keydown', (event) => controls?.onKey(event), true);

// The worker, the manifest, the icon, controls.js and pictures.js come once the first frame
// shows, so that they do not compete with the first load.
function keepOffline() {
  life.framed = true;
  takeControls();
  ownPictures().catch((error) => console.warn(`pictures.js did not load: ${error.message}`));
  document.head.append(Object.assign(document.createElement('link'), { rel: 'manifest', href: 'manifest.webmanifest' }));
  Object.assign(document.querySelector('link[rel=icon]'), { href: 'favicon.ico', sizes: '32x32' });
  navigator.serviceWorker?.register('sw.js').then(watchBuilds).catch((error) => console.warn(`Not kept for offline use: ${error.message}`));
}

canvas.addEventListener('varnelo-frame', keepOffline, { once: true });
run();
