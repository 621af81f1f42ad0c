// tramolo in a web page: loads the game's module, runs its passes, shows its frames, brings it the keys
// and the pointer, and saves and opens recordings.
//
// The address may ask for a script instead of a game to play, with the runner's options:
//   ?script=TEXT[&pass-ms=10][&start-tick=100000][&cursor-x=0][&passes=N][&fast]
// plays TEXT on the virtual clock, watched at the pace of that clock, or with &fast as fast as the page can;
// &trace writes the runner's trace of any game (a button saves it).
'use strict';

(() => {
  const screen = document.getElementById('screen');
  const status = document.getElementById('status');
  const newGame = document.getElementById('new-game');
  const save = document.getElementById('save');
  const open = document.getElementById('open');
  const openFile = document.getElementById('open-file');
  const saveTrace = document.getElementById('save-trace');
  const params = new URLSearchParams(location.search);
  const tracing = params.has('trace');
  const context = screen.getContext('2d', { alpha: false });

  // What the page's tests and measurements read: the game's state, the passes run and the pass whose frame
  // was painted last, when the first frame was painted and when the last game began and ended (milliseconds
  // since the page was opened), and the time spent inside the game's passes.
  const page = (window.tramolo = {
    state: 'loading', kind: '', exitCode: null, passes: 0, paintedPass: 0, firstFrameMs: null, startedMs: 0,
    endedMs: 0, busyMs: 0, error: '',
  });

  // A file of the game's memory as pieces, none larger than a piece: a Blob made of them holds what one
  // string could not.
  const PieceBytes = 1 << 20;
  function fileParts(path) {
    const size = game.FS.stat(path).size;
    const stream = game.FS.open(path, 'r');
    const parts = [];
    for (let at = 0; at < size; at += PieceBytes) {
      const part = new Uint8Array(Math.min(PieceBytes, size - at));
      game.FS.read(stream, part, 0, part.length, at);
      parts.push(part);
    }
    game.FS.close(stream);
    return parts;
  }

  // The recording of the game played last, its trace (with &trace) and its state as a trace line.
  page.recordingParts = () => fileParts('/recording.txt');
  // The trace comes to the page as it is written, piece by piece (Module.onPageFile).
  let traceParts = [];
  page.traceParts = () => {
    game._tramolo_flush_trace();
    return traceParts;
  };
  const text = (parts) => {
    const whole = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
    parts.reduce((at, part) => (whole.set(part, at), at + part.length), 0);
    return new TextDecoder().decode(whole);
  };
  page.recording = () => text(page.recordingParts());
  page.trace = () => text(page.traceParts());
  page.now = () => JSON.parse(game.UTF8ToString(game._tramolo_state()));

  let game = null;
  let image = null;
  // The script being played: where it comes from and where its next piece starts. A script is read a piece
  // at a time, so that its length costs the page no memory.
  let script = null;
  // A game's passes carry the number of the game they belong to: a new game leaves the old one's timers
  // nothing to do.
  let generation = 0;
  let running = false;
  let fast = false;
  let due = 0;
  const wake = new MessageChannel();

  const say = (text) => { status.textContent = text; };

  // The 2 ms sleep of a pass lies between its two parts, each a task of the page, so that the browser
  // handles input and paints while the game sleeps. A timer set from a timer's callback is held back to
  // 4 ms once such timers nest, so the timer is set from a message task, where it waits the time asked;
  // a loop on performance.now() would spend the sleep's CPU time, which the desktop's sleep does not.
  function startPass(at) {
    if (page.kind === 'script' && !game._tramolo_script_ready()) return feedScript(at, startPass);
    const begun = performance.now();
    due = game._tramolo_start_pass();
    page.busyMs += performance.now() - begun;
    wake.port2.postMessage(at);
  }

  wake.port1.onmessage = (event) => {
    const at = event.data;
    if (at !== generation || !running) return;
    if (fast) return runFast(at);
    const left = due - performance.now();
    if (left > 0) setTimeout(() => finishPass(at), Math.ceil(left));
    else finishPass(at);
  };

  function finishPass(at) {
    if (at !== generation || !running) return;
    const begun = performance.now();
    const goesOn = game._tramolo_finish_pass();
    page.busyMs += performance.now() - begun;
    page.passes++;
    if (goesOn) startPass(at);
    else ended();
  }

  // A script run fast: passes back to back for a slice of time, then the browser's turn to paint.
  function runFast(at) {
    const sliceEnd = performance.now() + 12;
    do {
      if (!game._tramolo_script_ready()) return feedScript(at, runFast);
      game._tramolo_start_pass();
      page.passes++;
      if (!game._tramolo_finish_pass()) return ended();
    } while (performance.now() < sliceEnd);
    wake.port2.postMessage(at);
  }

  // The frame copied last, when the browser can show one. The view of the game's memory is made anew only
  // when the memory has grown or the frame has moved.
  let frameView = null;
  function paint() {
    const pixels = game._tramolo_frame();
    if (pixels !== 0 && image !== null) {
      if (frameView?.buffer !== game.HEAPU8.buffer || frameView.byteOffset !== pixels ||
          frameView.length !== image.data.length)
        frameView = game.HEAPU8.subarray(pixels, pixels + image.data.length);
      image.data.set(frameView);
      context.putImageData(image, 0, 0);
      page.paintedPass = game._tramolo_passes();
      if (page.firstFrameMs === null && page.paintedPass > 0) page.firstFrameMs = performance.now();
    }
    requestAnimationFrame(paint);
  }

  // The canvas keeps its pixels one to one; a high-density screen scales it by the largest whole number
  // its pixel ratio holds, as nearest pixels.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(ratio));
    screen.style.width = `${(screen.width * scale) / ratio}px`;
    screen.style.height = `${(screen.height * scale) / ratio}px`;
  }

  // Zooming or moving the window to another screen changes the ratio.
  function followRatio() {
    matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener('change', () => {
      fit();
      followRatio();
    }, { once: true });
  }
  followRatio();

  // The game's window: the canvas of its drawing area, its title the page's.
  function onWindow(title, width, height) {
    document.title = title;
    screen.width = width;
    screen.height = height;
    image = new ImageData(width, height);
    fit();
  }

  function begin(kind, text) {
    generation++;
    running = true;
    page.state = 'running';
    page.kind = kind;
    page.exitCode = null;
    page.passes = 0;
    page.error = '';
    page.startedMs = performance.now();
    newGame.hidden = true;
    save.disabled = kind !== 'play';
    say(text);
    screen.focus();
    if (fast) wake.port2.postMessage(generation);
    else startPass(generation);
  }

  function ended() {
    running = false;
    const code = game._tramolo_end();
    page.endedMs = performance.now();
    page.exitCode = code;
    page.state = 'ended';
    const passes = game._tramolo_passes();
    const note = game.UTF8ToString(game._tramolo_error());
    page.error = note;
    const also = note ? ` Note: ${note}.` : '';
    if (page.kind === 'play') say(`The game ended with exit code ${code}.${also}`);
    else if (game._tramolo_stopped_by_viewer()) say(`Stopped watching after ${passes} passes.${also}`);
    else say(`The script ended after ${passes} passes with exit code ${code}.${also}`);
    newGame.hidden = false;
    newGame.focus();
  }

  function failed(text) {
    running = false;
    page.state = 'failed';
    page.error = text;
    say(text);
    newGame.hidden = false;
  }

  // Ends the game running, if one does, and forgets its trace: the next game writes its own.
  function stop() {
    loading++;
    if (running) {
      running = false;
      game._tramolo_end();
    }
    traceParts = [];
  }

  function play() {
    stop();
    fast = false;
    if (!game._tramolo_play(tracing ? 1 : 0)) return failed(game.UTF8ToString(game._tramolo_error()));
    begin('play', 'ENTER starts a race, the arrow keys or W and S drive, the mouse steers; ESC ends the game.');
  }

  // A script's bytes: the text of the address, or a file opened or dropped on the page, read a slice at a
  // time.
  const textSource = (value) => {
    const bytes = new TextEncoder().encode(value);
    return { size: bytes.length, read: async (at, length) => bytes.subarray(at, at + length) };
  };
  const fileSource = (file) => ({
    size: file.size,
    read: async (at, length) => new Uint8Array(await file.slice(at, at + length).arrayBuffer()),
  });

  // Pushes the script's next piece into the game, or its end once every byte is in; false when the script
  // is malformed or cannot be read (the reason in page.error), or another game began meanwhile.
  let loading = 0;
  async function pushPiece(token) {
    let bytes = null;
    if (script.at >= script.source.size) {
      if (game._tramolo_script_push(-1) === 1) return true;
      failed(game.UTF8ToString(game._tramolo_error()));
      return false;
    }
    try {
      bytes = await script.source.read(script.at, PieceBytes);
    } catch (error) {
      if (token === loading) failed(`The script could not be read: ${error.message ?? error}`);
      return false;
    }
    if (token !== loading) return false;
    if (bytes.length === 0) {
      failed('The script could not be read: it got shorter while it was read.');
      return false;
    }
    const into = game._tramolo_script_piece(bytes.length);
    game.HEAPU8.set(bytes, into);
    script.at += bytes.length;
    if (game._tramolo_script_push(bytes.length) === 1) return true;
    failed(game.UTF8ToString(game._tramolo_error()));
    return false;
  }

  // A pass whose events lie beyond the pieces pushed so far waits for the next piece.
  async function feedScript(at, then) {
    const token = loading;
    while (at === generation && running && !game._tramolo_script_ready()) {
      if (!(await pushPiece(token))) return;
    }
    if (at === generation && running) then(at);
  }

  // options: the runner's pass-ms (text), start-tick, cursor-x, passes, fast. The whole script is read once
  // and checked before its game begins, then read again as the passes need it.
  async function watch(source, options, text) {
    stop();
    const token = loading;
    fast = options.fast;
    const begun = game.ccall(
      'tramolo_script_begin', 'number', ['string', 'number', 'number', 'number', 'number', 'number'],
      [options.passMs, options.startTick, options.cursorX, options.passes, fast ? 1 : 0, tracing ? 1 : 0]);
    if (!begun) return failed(game.UTF8ToString(game._tramolo_error()));
    script = { source, at: 0 };
    say('Reading the script.');
    for (let more = true; more;) {
      more = script.at < source.size;
      if (!(await pushPiece(token))) return;
    }
    if (!game._tramolo_script_start()) return failed(game.UTF8ToString(game._tramolo_error()));
    script.at = 0;
    while (!game._tramolo_script_ready()) {
      if (!(await pushPiece(token))) return;
    }
    if (!game._tramolo_script_run()) return failed(game.UTF8ToString(game._tramolo_error()));
    begin('script', text ?? (fast ? 'Running the script.' : 'Watching the script at its own pace; ESC stops it.'));
  }

  // A whole number from the address, or the fallback when it is not there.
  function wholeParam(name, fallback) {
    const text = params.get(name);
    if (text === null) return fallback;
    if (!/^-?\d+$/.test(text)) throw new Error(`${name}: '${text}' is not a whole number`);
    return Number(text);
  }

  function watchParams() {
    try {
      watch(textSource(params.get('script')), {
        passMs: params.get('pass-ms') ?? '10', startTick: wholeParam('start-tick', 100000),
        cursorX: wholeParam('cursor-x', 0), passes: wholeParam('passes', 0), fast: params.has('fast'),
      });
    } catch (error) {
      failed(error.message);
    }
  }

  function watchFile(file) {
    if (!file) return;
    watch(fileSource(file), { passMs: '10', startTick: 100000, cursorX: 0, passes: 0, fast: false },
      `Watching ${file.name} at its own pace; ESC stops it.`);
  }

  // Saves pieces of bytes as one file, a Blob made of them; where the browser cannot make it, says so.
  function download(name, parts) {
    let url;
    try {
      url = URL.createObjectURL(new Blob(parts, { type: 'text/plain' }));
    } catch (error) {
      say(`The browser cannot save ${name} (${error.message ?? error}).`);
      return;
    }
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // Keys the page has let down, so that losing the focus lets them up again, as the desktop does.
  const held = new Map();

  function key(event, down) {
    if (game === null) return;
    if (down) held.set(event.code, event.key);
    else held.delete(event.code);
    const gameKey = game.ccall(
      'tramolo_key', 'number', ['number', 'number', 'number', 'string', 'string'],
      [down, event.repeat ? 1 : 0, event.altKey ? 1 : 0, event.code, event.key]);
    // The browser keeps its shortcuts with Ctrl or Meta.
    if (gameKey && !event.ctrlKey && !event.metaKey) event.preventDefault();
    // ESC stops a watched script at once, even while a pass waits for a far tick.
    if (running && page.kind === 'script' && game._tramolo_stopped_by_viewer()) ended();
  }

  screen.addEventListener('keydown', (event) => key(event, 1));
  screen.addEventListener('keyup', (event) => key(event, 0));
  screen.addEventListener('blur', () => {
    for (const [code, name] of held) key({ code, key: name, repeat: false, altKey: false }, 0);
    held.clear();
  });
  screen.addEventListener('pointerdown', () => screen.focus());
  // The pointer's x in device pixels wherever it moves over the page; outside it the page sees nothing.
  addEventListener('pointermove', (event) => {
    if (game !== null) game._tramolo_pointer(Math.round(event.screenX * (window.devicePixelRatio || 1)));
  });

  newGame.addEventListener('click', play);
  save.addEventListener('click', () => {
    download('tramolo-recording.txt', page.recordingParts());
    screen.focus();
  });
  saveTrace.hidden = !tracing;
  saveTrace.addEventListener('click', () => {
    download('tramolo-trace.jsonl', page.traceParts());
    screen.focus();
  });
  open.addEventListener('click', () => openFile.click());
  openFile.addEventListener('change', () => {
    watchFile(openFile.files[0]);
    openFile.value = '';
  });
  addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    watchFile(event.dataTransfer.files[0]);
  });

  const onPageFile = (id, bytes) => traceParts.push(bytes);
  createTramolo({ onWindow, onPageFile, onAbort: (what) => failed(`The game stopped: ${what}`) }).then(
    (module) => {
      game = module;
      requestAnimationFrame(paint);
      if (params.has('script')) watchParams();
      else play();
    },
    (error) => failed(`The game could not be loaded: ${error}`));
})();
