// The page's side of the web screen: the canvas, the pointer and keys on the whole page, the
// arrow keys on the focused canvas, and the waits of the message loop. The page that starts the
// program passes `canvas` and the `onTell`, `onEnded` and `onPresent` callbacks in the module's
// settings. The kinds and records are boundary.h's, put in as numbers when the program is linked.
mergeInto(LibraryManager.library, {
  $varneloPage__postset: 'varneloPage.listen();',
  $varneloPage: {
    inputs: [],
    wake: null,
    clientX: null,
    clientY: null,
    warped: null,  // the pixel the pointer is on, put there by the program or the arrow keys
    spot: null,  // the pixel the spot was last put on, and the mode's width and height
    finger: null,  // the touch that went down on the canvas, the one that steers
    context: null,
    image: null,
    // Windows virtual-key code and scan code for each KeyboardEvent.code the program may see.
    keys: (function () {
      const keys = { Escape: [0x1b, 0x01], Space: [0x20, 0x39], Enter: [0x0d, 0x1c], Tab: [0x09, 0x0f],
        Backspace: [0x08, 0x0e], ArrowLeft: [0x25, 0x4b], ArrowUp: [0x26, 0x48], ArrowRight: [0x27, 0x4d],
        ArrowDown: [0x28, 0x50], ShiftLeft: [0x10, 0x2a], ShiftRight: [0x10, 0x36], ControlLeft: [0x11, 0x1d],
        ControlRight: [0x11, 0x1d], AltLeft: [0x12, 0x38], AltRight: [0x12, 0x38] };
      const fScans = [0x3b, 0x3c, 0x3d, 0x3e, 0x3f, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58];
      for (let i = 0; i < 12; ++i) keys['F' + (i + 1)] = [0x70 + i, fScans[i]];
      for (let i = 0; i < 26; ++i) keys['Key' + String.fromCharCode(65 + i)] = [65 + i, 0];
      for (let i = 0; i < 10; ++i) keys['Digit' + i] = [48 + i, 0];
      return keys;
    })(),
    // The keys the program acts on: only these are kept from the browser.
    taken: ['Escape', 'F12'],
    // On the focused canvas the arrow keys steer the spot, in steps of 4 pixels, or 16 with Shift.
    steps: { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] },
    push: function (input) {
      varneloPage.inputs.push(input);
      if (varneloPage.wake) varneloPage.wake();
    },
    listen: function () {
      const page = varneloPage;
      page.onKey = function (event) {
        const key = page.keys[event.code];
        if (!key) return;
        const step = event.target === Module['canvas'] && page.steps[event.code];
        if (page.taken.includes(event.code) || step) event.preventDefault();
        if (step && page.spot) {
          // From where the spot is, clamped to the mode at every step; the pointer's next move
          // takes over again.
          const [x, y, width, height] = page.spot, length = event.shiftKey ? 16 : 4;
          page.warped = [Math.min(Math.max(x + step[0] * length, 0), width - 1), Math.min(Math.max(y + step[1] * length, 0), height - 1)];
          page.spot = [...page.warped, width, height];
        }
        page.push({ kind: {{{ VARNELO_INPUT_KEY }}}, key, repeat: event.repeat });
      };
      // The page's buttons for the keys: the same input as the key, as one press.
      Module['press'] = function (code) {
        const key = page.keys[code];
        if (key) page.push({ kind: {{{ VARNELO_INPUT_KEY }}}, key });
      };
      // The mouse and a pen steer from anywhere but the page's controls, so that a click on a
      // button leaves the spot where it was. The finger that last touched the canvas steers,
      // beyond it too, until it lifts: a finger on a button or the panel does not move the spot.
      page.onMove = function (event) {
        const onCanvas = event.target === Module['canvas'];
        if (event.pointerType === 'touch') {
          // A new touch elsewhere may bear the number of a lifted one.
          if (event.type === 'pointerdown' && (onCanvas || event.pointerId === page.finger)) {
            page.finger = onCanvas ? event.pointerId : null;
          }
          if (event.pointerId !== page.finger) return;
        } else if (!onCanvas && event.target.closest && event.target.closest('button, a, label, input')) {
          return;
        }
        page.clientX = event.clientX;
        page.clientY = event.clientY;
        page.warped = null;
      };
      // No gesture at all begins on the canvas, not even a fling that would swallow the next tap.
      page.onTouch = function (event) { event.preventDefault(); };
      page.onVisibility = function () {
        page.push({ kind: document.hidden ? {{{ VARNELO_INPUT_HIDDEN }}} : {{{ VARNELO_INPUT_SHOWN }}} });
      };
      // What the page's close button does: the window is closed, as from a title bar.
      Module['close'] = function () { page.push({ kind: {{{ VARNELO_INPUT_CLOSE }}} }); };
    },
  },

  varnelo_open__deps: ['$varneloPage'],
  varnelo_open: function (width, height) {
    const canvas = Module['canvas'];
    if (!canvas) return 0;
    const page = varneloPage;
    page.context = canvas.getContext('2d');
    canvas.width = width;
    canvas.height = height;
    window.addEventListener('keydown', page.onKey, true);
    window.addEventListener('pointerdown', page.onMove, true);
    canvas.addEventListener('touchstart', page.onTouch, { passive: false });
    window.addEventListener('pointermove', page.onMove, true);
    document.addEventListener('visibilitychange', page.onVisibility);
    return 1;
  },

  varnelo_close__deps: ['$varneloPage'],
  varnelo_close: function () {
    const page = varneloPage;
    window.removeEventListener('keydown', page.onKey, true);
    window.removeEventListener('pointerdown', page.onMove, true);
    Module['canvas'].removeEventListener('touchstart', page.onTouch);
    window.removeEventListener('pointermove', page.onMove, true);
    document.removeEventListener('visibilitychange', page.onVisibility);
    page.context = null;
  },

  varnelo_show: function () { Module['canvas'].hidden = false; },

  varnelo_paint_black__deps: ['$varneloPage'],
  varnelo_paint_black: function () {
    const context = varneloPage.context;
    context.fillStyle = '#000';
    context.fillRect(0, 0, context.canvas.width, context.canvas.height);
  },

  varnelo_resize__deps: ['$varneloPage'],
  varnelo_resize: function (width, height) {
    const canvas = Module['canvas'];
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    varneloPage.image = null;
  },

  varnelo_present__deps: ['$varneloPage'],
  varnelo_present: function (rgba, width, height) {
    const page = varneloPage;
    if (!page.image || page.image.width !== width || page.image.height !== height) {
      page.image = page.context.createImageData(width, height);
    }
    page.image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
    page.context.putImageData(page.image, 0, 0);
    if (Module['onPresent']) Module['onPresent']();
  },

  // Where the pointer is, in the fields its kind has; the rest stay as the program cleared them.
  varnelo_pointer__deps: ['$varneloPage'],
  varnelo_pointer: function (pointer) {
    const page = varneloPage, put = (field, value) => { HEAP32[(pointer >> 2) + field] = Math.floor(value); };
    if (page.warped || page.clientX === null) {
      const [x, y] = page.warped || [0, 0];
      put({{{ PagePointer_kind }}}, {{{ VARNELO_POINTER_ON_PIXEL }}});
      put({{{ PagePointer_pixelX }}}, x);
      put({{{ PagePointer_pixelY }}}, y);
      return;
    }
    const box = Module['canvas'].getBoundingClientRect();
    if (box.width > 0 && box.height > 0) {
      put({{{ PagePointer_kind }}}, {{{ VARNELO_POINTER_IN_BOX }}});
      put({{{ PagePointer_boxX }}}, (page.clientX - box.left) * 256);
      put({{{ PagePointer_boxY }}}, (page.clientY - box.top) * 256);
      put({{{ PagePointer_boxWidth }}}, box.width * 256);
      put({{{ PagePointer_boxHeight }}}, box.height * 256);
    } else {
      put({{{ PagePointer_kind }}}, {{{ VARNELO_POINTER_NOWHERE }}});
    }
  },

  varnelo_spot__deps: ['$varneloPage'],
  varnelo_spot: function (x, y, width, height) { varneloPage.spot = [x, y, width, height]; },

  varnelo_warp__deps: ['$varneloPage'],
  varnelo_warp: function (x, y) { varneloPage.warped = [x, y]; },

  varnelo_show_pointer: function (shown) {
    document.documentElement.style.cursor = shown ? '' : 'none';
  },

  varnelo_wait__deps: ['$varneloPage'],
  varnelo_wait: function (timeoutMs) {
    return Asyncify.handleSleep(function (wakeUp) {
      const page = varneloPage;
      if (page.inputs.length > 0) {
        setTimeout(wakeUp, 0);  // the browser still gets its turn
        return;
      }
      let timer = null;
      page.wake = function () {
        page.wake = null;
        if (timer !== null) clearTimeout(timer);
        wakeUp();
      };
      if (timeoutMs >= 0) timer = setTimeout(page.wake, timeoutMs);
    });
  },

  varnelo_next_input__deps: ['$varneloPage'],
  varnelo_next_input: function (record) {
    const input = varneloPage.inputs.shift(), at = record >> 2;
    if (!input) return {{{ VARNELO_INPUT_NONE }}};
    if (input.key) {
      HEAP32[at + {{{ PageInput_key }}}] = input.key[0];
      HEAP32[at + {{{ PageInput_scan }}}] = input.key[1];
      HEAP32[at + {{{ PageInput_repeat }}}] = input.repeat ? 1 : 0;
    }
    return HEAP32[at + {{{ PageInput_kind }}}] = input.kind;
  },

  varnelo_tell: function (caption, text) {
    if (Module['onTell']) Module['onTell'](UTF8ToString(caption), UTF8ToString(text));
  },

  varnelo_ended: function (exitCode) {
    if (Module['onEnded']) Module['onEnded'](exitCode);
  },
});
