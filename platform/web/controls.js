// The page's controls that act only at the user's word: full screen, the picture's shape, the
// screenshots offered as downloads, the DirectX.log view, and the user's own pictures, picked or
// dropped. page.js loads this once the first frame shows, or a run ends without one, so that none
// of it weighs on the first load.

const stage = document.getElementById('stage');
const canvas = document.getElementById('screen');
const fullScreen = document.getElementById('full');
const logView = document.getElementById('log');
const showLog = document.getElementById('show-log');
const screenshots = document.getElementById('screenshots');
const [bundledButton, saveButton] = ['bundled', 'save'].map((id) => document.getElementById(id));
const pickers = ['pictures', 'light'].map((id) => document.getElementById(id));

// Takes the controls over for `page`, page.js's view of the run and of the pictures; answers the
// hooks page.js calls: onKey, ahead of the program's keys, and collect, as a run ends.
export function attach(page) {
  const { life, pictures } = page;

  function readLog() {
    if (!life.program) return;
    try {
      const bytes = life.program.FS.readFile('DirectX.log');
      logView.textContent = new TextDecoder('windows-1250').decode(bytes);
    } catch (missing) {
      logView.textContent = '';
    }
  }

  function offer(name, bytes, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    link.textContent = name;
    screenshots.append(link, ' ');
    link.click();
  }

  // Offers each screenshot under its own name. The program writes one whole between two waits,
  // and this runs only while it waits, so a file it finds is complete.
  function offerScreenshots() {
    const { program, offered } = life;
    if (!program?.FS) return;
    for (const name of program.FS.readdir('.')) {
      if (!/^Screenshot.*\.bmp$/.test(name) || offered.has(name)) continue;
      offered.add(name);
      offer(name, program.FS.readFile(name), 'image/bmp');
    }
  }

  // The run's screenshots and its whole log, as it ends and as this takes over from a run that
  // may have shot some already.
  function collect() {
    offerScreenshots();
    readLog();
  }
  collect();
  setInterval(() => {
    offerScreenshots();
    if (!logView.hidden) readLog();
  }, 250);

  // The user's own pictures; the code that reads, fits and keeps them is this build's pictures.js.
  async function usePictures(files, asSpot = false) {
    if (life.state === 'broken' || files.length === 0) return;
    let own;
    try {
      own = await page.ownPictures();
    } catch (error) {
      page.say(`Your pictures could not be taken: this page's pictures.js did not load (${error.message}); check the connection and pick them again, or Reload.`);
      return;
    }
    await own.use(files, asSpot, page);
  }
  for (const picker of pickers) {
    picker.addEventListener('change', () => {
      usePictures([...picker.files], picker.id === 'light');
      picker.value = '';  // so that the same file picked again is taken again
    });
    picker.disabled = life.state === 'broken';
  }
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    usePictures([...event.dataTransfer.files]);
  });

  showLog.addEventListener('click', () => {
    readLog();
    logView.hidden = !logView.hidden;
  });
  // The fitted pictures as the files the desktop programs read; a download the browser holds
  // back keeps its link.
  saveButton.addEventListener('click', () => page.pictureNames.forEach((name) => offer(name, pictures.get(name), 'image/x-tga')));
  bundledButton.addEventListener('click', () => {
    for (const [name, bytes] of page.bundledPictures) pictures.set(name, bytes);
    page.givenPictures.clear();
    for (const button of page.ownOnly) button.hidden = true;
    page.restart();
    page.ownPictures().then((own) => own.forget()).catch((error) => console.warn(`Your pictures stay kept: ${error.message}`));
  });

  // The shape the picture shows in, as varnelo's --aspect 4:3 and --whole choose it on the
  // desktop: the ids of the buttons pressed, kept for later visits as the user's pictures are.
  for (const button of document.querySelectorAll('#aspect, #whole')) {
    button.addEventListener('click', () => {
      const { view } = page;
      view.shape = view.shape.includes(button.id) ? view.shape.replace(button.id, '') : view.shape + button.id;
      button.setAttribute('aria-pressed', view.shape.includes(button.id));
      page.fit();
      try {
        localStorage[VARNELO_SHAPE_KEY] = view.shape;
      } catch (blocked) {}
    });
  }

  // Full screen is the stage's, not the canvas's, so that the canvas keeps its place in it and
  // the pointer its way to the pixels. An iPhone gives elements no full screen, and gets no button.
  function switchFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else stage.requestFullscreen?.().then(() => canvas.focus(), console.warn);
  }
  fullScreen.hidden = !stage.requestFullscreen;
  fullScreen.addEventListener('click', switchFullScreen);

  for (const control of [showLog, saveButton, bundledButton, ...document.querySelectorAll('#aspect, #whole')]) control.disabled = false;
  return {
    collect,
    // Alt+Enter switches, as on the desktop, and Esc in full screen only leaves it, as the
    // browser's own Esc does where a browser hands it on; the program goes on either way.
    onKey(event) {
      if (event.altKey && event.code === 'Enter' || event.code === 'Escape' && document.fullscreenElement) {
        event.preventDefault();
        event.stopImmediatePropagation();
        if (!event.repeat) switchFullScreen();  // held down, it switches once
      }
    },
  };
}
