// Runs the program in the page: gives it its two pictures, offers its screenshots as
// downloads, shows DirectX.log decoded from Windows-1250, says when it has ended, and has the
// service worker keep the page for use offline.
'use strict';

const canvas = document.getElementById('screen');
const message = document.getElementById('message');
const messageText = document.getElementById('message-text');
const logView = document.getElementById('log');
const screenshots = document.getElementById('screenshots');
const keyButtons = [['shoot', 'F12'], ['end', 'Escape']].map(([id, code]) => [document.getElementById(id), code]);
const pictureNames = ['spot.tga', 'scr.tga'];

// The pictures of the next start: the bundled ones until the user gives their own.
const pictures = new Map();
// What the tests and the benchmark read: the exit code once the program ended.
window.varnelo = { running: false, exitCode: null };

let program = null;
let offered = new Set();  // the screenshots of this run already offered
let told = [];
let watch = null;
let restartWhenEnded = false;

function setRunning(running) {
  for (const [button] of keyButtons) button.disabled = !running;
}

function say(text) {
  messageText.textContent = text;
  message.hidden = false;
}

function readLog() {
  if (!program) return;
  try {
    const bytes = program.FS.readFile('DirectX.log');
    logView.textContent = new TextDecoder('windows-1250').decode(bytes);
  } catch (missing) {
    logView.textContent = '';
  }
}

// Offers each screenshot under its own name. The program writes one whole between two waits,
// and this runs only while it waits, so a file it finds is complete.
function offerScreenshots() {
  if (!program) return;
  for (const name of program.FS.readdir('.')) {
    if (!/^Screenshot.*\.bmp$/.test(name) || offered.has(name)) continue;
    offered.add(name);
    const bytes = program.FS.readFile(name);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type: 'image/bmp' }));
    link.download = name;
    link.textContent = name;
    screenshots.append(link, ' ');
    link.click();
  }
}

async function bundledPicture(name) {
  const response = await fetch(name);
  if (!response.ok) throw new Error(`${name}: ${response.status} ${response.statusText}`);
  return new Uint8Array(await response.arrayBuffer());
}

async function start() {
  message.hidden = true;
  offered = new Set();
  told = [];
  for (const name of pictureNames) {
    if (!pictures.has(name)) pictures.set(name, await bundledPicture(name));
  }
  window.varnelo = { running: true, exitCode: null };
  setRunning(true);
  const settings = {
    canvas,
    preRun: [() => {
      for (const [name, bytes] of pictures) settings.FS.writeFile(name, bytes);
    }],
    onTell: (caption, text) => {
      told.push(text);
      say(text);
    },
    onPresent: () => canvas.dispatchEvent(new Event('varnelo-frame')),
    onEnded: (exitCode) => {
      clearInterval(watch);
      offerScreenshots();
      readLog();
      window.varnelo = { running: false, exitCode };
      setRunning(false);
      if (restartWhenEnded) {
        restartWhenEnded = false;
        start();
        return;
      }
      say([...told, `The demo has ended (exit code ${exitCode}).`].join('\n'));
    },
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
  };
  program = await createVarnelo(settings);
  readLog();
  watch = setInterval(() => {
    offerScreenshots();
    if (!logView.hidden) readLog();
  }, 250);
}

// The user's own pictures, picked or dropped: each replaces the one of its name, then the
// demo starts afresh on them.
async function usePictures(files) {
  const refused = [];
  for (const file of files) {
    const name = file.name.toLowerCase();
    if (pictureNames.includes(name)) {
      pictures.set(name, new Uint8Array(await file.arrayBuffer()));
    } else {
      refused.push(file.name);
    }
  }
  if (refused.length > 0) {
    say(`Not used: ${refused.join(', ')}. The demo reads spot.tga and scr.tga.`);
    return;
  }
  if (program && window.varnelo.running) {
    // Ends the running program as a closed window would; it restarts when it has ended.
    restartWhenEnded = true;
    program.close();
  } else {
    start();
  }
}

// The buttons press the program's keys, which it then takes as it takes them from the keyboard.
for (const [button, code] of keyButtons) button.addEventListener('click', () => program?.press(code));
document.getElementById('again').addEventListener('click', () => start());
document.getElementById('show-log').addEventListener('click', () => {
  readLog();
  logView.hidden = !logView.hidden;
});
document.getElementById('pictures').addEventListener('change', (event) => usePictures(event.target.files));
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dropping');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dropping');
  usePictures(event.dataTransfer.files);
});

// The worker is registered once the first frame shows, so that its copies of the files do not
// compete with the first load. A build that takes over from an older one is offered at once.
function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  const before = navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (before) document.getElementById('update').hidden = false;
  });
  navigator.serviceWorker.register('sw.js').catch((error) => console.warn(`Not kept for offline use: ${error.message}`));
}

canvas.addEventListener('varnelo-frame', keepOffline, { once: true });
start().catch((error) => say(`The demo could not start: ${error.message}`));
