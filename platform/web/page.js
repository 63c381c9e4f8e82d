// Runs the program in the page: gives it its two pictures, offers its screenshots as
// downloads, shows DirectX.log decoded from Windows-1250, and says when it has ended.
'use strict';

const canvas = document.getElementById('screen');
const message = document.getElementById('message');
const messageText = document.getElementById('message-text');
const logView = document.getElementById('log');
const screenshots = document.getElementById('screenshots');
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

start().catch((error) => say(`The demo could not start: ${error.message}`));
