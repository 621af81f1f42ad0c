// tramolo in a web page: loads the game's module, runs its passes, shows its frames as large as the tab
// allows (sharp), brings it the keys, the pointer and the touch controls, goes fullscreen, and saves and
// opens recordings. The game reads the gamepads itself, once a pass. The best lap's record is kept in the
// browser's storage (IndexedDB); a record opened or dropped on the page is checked by replaying it, then
// its ghost is raced.
//
// The address may ask for a script instead of a game to play, with the runner's options:
//   ?script=TEXT[&pass-ms=10][&start-tick=100000][&cursor-x=0][&passes=N][&fast]
// plays TEXT on the virtual clock, watched at the pace of that clock, or with &fast as fast as the page can;
// &trace writes the runner's trace of any game (a button saves it); &records keeps the records of a script's
// race, as tramolo-sim --records does.
'use strict';

(() => {
  const screen = document.getElementById('screen');
  const stage = document.getElementById('stage');
  const hint = document.getElementById('hint');
  const fullscreen = document.getElementById('fullscreen');
  const fullscreenNote = document.getElementById('fullscreen-note');
  const oneToOne = document.getElementById('one-to-one');
  const status = document.getElementById('status');
  const newGame = document.getElementById('new-game');
  const save = document.getElementById('save');
  const open = document.getElementById('open');
  const openFile = document.getElementById('open-file');
  const saveTrace = document.getElementById('save-trace');
  const padNote = document.getElementById('pad-note');
  const params = new URLSearchParams(location.search);
  const tracing = params.has('trace');
  const context = screen.getContext('2d', { alpha: false });
  // The game's window: its drawing area one to one, which the visible canvas shows scaled.
  const frameCanvas = document.createElement('canvas');
  frameCanvas.width = screen.width;
  frameCanvas.height = screen.height;
  const frameContext = frameCanvas.getContext('2d', { alpha: false });

  // What the page's tests and measurements read: the game's state, the passes run and the pass whose frame
  // was painted last, when the first frame was painted and when the last game began and ended (milliseconds
  // since the page was opened), and the time spent inside the game's passes.
  const page = (window.tramolo = {
    state: 'loading', kind: '', exitCode: null, passes: 0, paintedPass: 0, firstFrameMs: null, startedMs: 0,
    endedMs: 0, busyMs: 0, error: '', recordsStored: 0,
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
  page.recordsLine = () => game.UTF8ToString(game._tramolo_records_line());
  page.memoryBytes = () => game.HEAPU8.length;
  // The frame as the game drew it, one to one, and how the visible canvas shows it.
  page.frameCanvas = frameCanvas;
  page.layout = null;

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
      frameContext.putImageData(image, 0, 0);
      show();
      page.paintedPass = game._tramolo_passes();
      if (page.firstFrameMs === null && page.paintedPass > 0) page.firstFrameMs = performance.now();
    }
    requestAnimationFrame(paint);
  }

  // The page's settings, in the settings file's own "key = value" lines: the scaling choice. A browser
  // starts no page in fullscreen by itself, so that is not kept.
  const settingsKey = 'tramolo-settings';
  function readSettings() {
    let text = '';
    try {
      text = localStorage.getItem(settingsKey) ?? '';
    } catch {
      // Storage may be switched off: the defaults.
    }
    const settings = { scaling: 'sharp', recordsView: false, text };
    for (const line of text.split('\n')) {
      const [key, value] = line.split('=').map((part) => part?.trim());
      if (key === 'scaling' && (value === 'sharp' || value === 'one-to-one')) settings.scaling = value;
      if (key === 'records-view' && (value === 'on' || value === 'off')) settings.recordsView = value === 'on';
    }
    return settings;
  }
  function saveSettings(settings) {
    try {
      // The lines of other keys (the pad's) are kept as they are.
      const own = ['scaling', 'records-view'];
      const others = settings.text.split('\n').filter((line) => line.trim() && !own.includes(line.split('=')[0].trim()));
      localStorage.setItem(settingsKey, [`scaling = ${settings.scaling}`,
        ...(settings.recordsView ? ['records-view = on'] : []), ...others, ''].join('\n'));
    } catch {
      // Not kept, as in a private window that forbids storage.
    }
  }
  const settings = readSettings();
  oneToOne.checked = settings.scaling === 'one-to-one';

  // The record of this track in the browser's storage, one entry a track and version by the record's file
  // name; a browser that keeps nothing (a private window) keeps no record.
  const recordStore = new Promise((resolve) => {
    try {
      const request = indexedDB.open('tramolo', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('records');
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => resolve(null);
    } catch {
      resolve(null);
    }
  });
  async function storedRecord(name) {
    const db = await recordStore;
    if (!db) return null;
    return new Promise((resolve) => {
      const request = db.transaction('records').objectStore('records').get(name);
      request.onsuccess = () => resolve(request.result ?? null);
      request.onerror = () => resolve(null);
    });
  }
  async function storeRecord(name, bytes) {
    const db = await recordStore;
    if (!db) return false;
    return new Promise((resolve) => {
      const transaction = db.transaction('records', 'readwrite');
      transaction.objectStore('records').put(bytes, name);
      transaction.oncomplete = () => resolve(true);
      transaction.onerror = () => resolve(false);
    });
  }
  // Where the game keeps the record in its own files, and the name it is stored by.
  let recordPath = '';
  let recordName = '';
  const hasRecord = () => recordPath !== '' && game.FS.analyzePath(recordPath).exists;
  // The save button saves the record while the records view is on and there is one, else the recording.
  const savesRecord = () => game !== null && game._tramolo_records_view() === 1 && hasRecord();
  function updateSave() {
    save.textContent = savesRecord() ? 'Save record' : 'Save recording';
  }
  // F7 is the game's choice to make; the page keeps it with its settings.
  function followRecordsView() {
    const on = game._tramolo_records_view() === 1;
    if (on !== settings.recordsView) {
      settings.recordsView = on;
      saveSettings(settings);
    }
    updateSave();
  }

  // Where the drawing area goes in the stage, in device pixels: sharp, as large as the stage allows, its
  // shape kept, centred, the whole-number step the largest that fits (the desktop window's rule); one to
  // one, the largest whole multiple the pixel ratio holds, at the top left.
  function layout(stageWidth, stageHeight, ratio, sharp) {
    const width = frameCanvas.width;
    const height = frameCanvas.height;
    if (!sharp) {
      const whole = Math.max(1, Math.floor(ratio));
      return { whole, x: 0, y: 0, width: width * whole, height: height * whole };
    }
    let w = stageWidth;
    let h = stageHeight;
    if (stageWidth * height <= stageHeight * width) h = Math.floor((stageWidth * height * 2 + width) / (2 * width));
    else w = Math.floor((stageHeight * width * 2 + height) / (2 * height));
    w = Math.max(1, w);
    h = Math.max(1, h);
    const whole = Math.max(1, Math.min(Math.floor(w / width), Math.floor(h / height)));
    return { whole, x: Math.floor((stageWidth - w) / 2), y: Math.floor((stageHeight - h) / 2), width: w, height: h };
  }

  // The visible canvas holds the whole-number step of the frame in its own pixels and is shown at the
  // layout's size in device pixels: exactly its pixels at a whole multiple, else the browser's linear
  // filter over the nearest-pixel picture ("sharp bilinear").
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const box = stage.getBoundingClientRect();
    const stageWidth = Math.floor(box.width * ratio);
    const stageHeight = Math.floor(box.height * ratio);
    const placed = layout(stageWidth, stageHeight, ratio, !oneToOne.checked);
    page.layout = { ...placed, ratio, stageWidth, stageHeight };
    screen.width = frameCanvas.width * placed.whole;
    screen.height = frameCanvas.height * placed.whole;
    const exact = placed.width === screen.width && placed.height === screen.height;
    screen.classList.toggle('whole', exact);
    // Whole CSS pixels, which the browser does not resample on a screen of a whole pixel ratio.
    placed.x = Math.floor(placed.x / ratio) * ratio;
    placed.y = Math.floor(placed.y / ratio) * ratio;
    page.layout = { ...placed, ratio, stageWidth, stageHeight };
    screen.style.left = `${placed.x / ratio}px`;
    screen.style.top = `${placed.y / ratio}px`;
    screen.style.width = `${placed.width / ratio}px`;
    screen.style.height = `${placed.height / ratio}px`;
    show();
  }

  // The frame into the visible canvas, nearest pixels by the whole number.
  function show() {
    context.imageSmoothingEnabled = false;
    context.drawImage(frameCanvas, 0, 0, screen.width, screen.height);
  }

  new ResizeObserver(fit).observe(stage);
  oneToOne.addEventListener('change', () => {
    settings.scaling = oneToOne.checked ? 'one-to-one' : 'sharp';
    saveSettings(settings);
    fit();
    screen.focus();
  });

  // Zooming or moving the window to another screen changes the ratio.
  function followRatio() {
    matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener('change', () => {
      fit();
      followRatio();
    }, { once: true });
  }
  followRatio();

  // Fullscreen, a user's gesture as browsers require. Where the browser can lock the keyboard, ESC stays
  // the game's key (it ends the game) and the browser leaves fullscreen when ESC is held; elsewhere the
  // browser's ESC leaves fullscreen and the game goes on.
  const keyboardLock = Boolean(navigator.keyboard?.lock);
  fullscreen.disabled = !document.fullscreenEnabled;
  fullscreenNote.textContent = !document.fullscreenEnabled
    ? 'This browser offers no fullscreen here.'
    : keyboardLock
      ? 'In fullscreen ESC still ends the game; hold ESC to leave fullscreen.'
      : 'In fullscreen ESC leaves fullscreen (the game goes on); ESC again ends the game.';
  fullscreen.addEventListener('click', async () => {
    try {
      if (document.fullscreenElement) {
        await document.exitFullscreen();
      } else {
        await stage.requestFullscreen();
        if (keyboardLock) await navigator.keyboard.lock(['Escape']);
      }
    } catch (error) {
      say(`Fullscreen was refused: ${error.message}`);
    }
    screen.focus();
  });
  document.addEventListener('fullscreenchange', () => {
    fullscreen.textContent = document.fullscreenElement ? 'Leave fullscreen' : 'Fullscreen';
    if (!document.fullscreenElement && keyboardLock) navigator.keyboard.unlock();
    fit();
  });

  // "Click to play" until the game has the keyboard: the canvas focused in a focused tab.
  // Fingers and a pad need no keyboard: no hint while the touch controls show or once a pad was used.
  let padUsed = false;
  function updateHint() {
    const keysElsewhere = !(document.hasFocus() && document.activeElement === screen);
    hint.hidden = !(running && page.kind === 'play' && keysElsewhere) || padUsed ||
      document.body.classList.contains('touch-shown');
  }
  screen.addEventListener('focus', updateHint);
  screen.addEventListener('blur', updateHint);
  addEventListener('focus', updateHint);
  addEventListener('blur', updateHint);

  // The game's window: the canvas of its drawing area, its title the page's.
  function onWindow(title, width, height) {
    document.title = title;
    frameCanvas.width = width;
    frameCanvas.height = height;
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
    updateSave();
    forgetTouches();
    say(text);
    screen.focus();
    updateHint();
    if (fast) wake.port2.postMessage(generation);
    else startPass(generation);
  }

  function ended() {
    running = false;
    const code = game._tramolo_end();
    if (proving) return judgeRecord();
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
    updateHint();
  }

  function failed(text) {
    if (proving) text = `The record ${proofName} was refused: ${text}`;
    proving = false;
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
    game._tramolo_set_records_view(settings.recordsView ? 1 : 0);
    // The pad settings of the page's settings, read by the game as the desktop's file is.
    game.ccall('tramolo_settings', null, ['string'], [settings.text]);
    if (!game._tramolo_play(tracing ? 1 : 0)) return failed(game.UTF8ToString(game._tramolo_error()));
    begin('play', 'Playing.');
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
      'tramolo_script_begin', 'number',
      ['string', 'number', 'number', 'number', 'number', 'number', 'number', 'number'],
      [options.passMs, options.startTick, options.cursorX, options.passes, fast ? 1 : 0, tracing ? 1 : 0,
        options.records ? 1 : 0, proving ? 1 : 0]);
    if (!begun) return failed(game.UTF8ToString(game._tramolo_error()));
    script = { source, at: 0 };
    say('Reading the script.');
    for (let more = true; more;) {
      more = script.at < source.size;
      if (!(await pushPiece(token))) return;
    }
    let how = game._tramolo_script_start();
    if (how === 3) {
      // Not in pass order: all of it once more, to be held and sorted.
      script.at = 0;
      for (let more = true; more;) {
        more = script.at < source.size;
        if (!(await pushPiece(token))) return;
      }
      how = game._tramolo_script_start();
    }
    if (!how) return failed(game.UTF8ToString(game._tramolo_error()));
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
        records: params.has('records'),
      });
    } catch (error) {
      failed(error.message);
    }
  }

  // A script opened in the page: at its own pace, or as fast as the page can and keeping records when the
  // address asks so (&fast, &records).
  function watchFile(file) {
    if (!file) return;
    const fastToo = params.has('fast');
    watch(fileSource(file),
      { passMs: '10', startTick: 100000, cursorX: 0, passes: 0, fast: fastToo, records: params.has('records') },
      fastToo ? `Running ${file.name}.` : `Watching ${file.name} at its own pace; ESC stops it.`);
  }

  // A record (its head's "#: record" line near its start) is checked by replaying its recording as fast as
  // the page can; a true one's ghost is then raced, anything else is refused with its reason.
  let proving = false;
  let proofName = '';
  async function openGiven(file) {
    if (!file) return;
    let head = '';
    try {
      head = new TextDecoder().decode(await file.slice(0, 4096).arrayBuffer());
    } catch {
      // Unreadable: watching it says why.
    }
    if (!/^#: record /m.test(head)) return watchFile(file);
    stop();
    proving = true;
    proofName = file.name;
    watch(fileSource(file), { passMs: '10', startTick: 100000, cursorX: 0, passes: 0, fast: true },
      `Checking the record ${file.name} by replaying it.`);
  }

  function judgeRecord() {
    proving = false;
    const verdict = game.ccall('tramolo_proof_verdict', 'number', ['string'], [proofName]);
    const line = game.UTF8ToString(game._tramolo_error());
    if (verdict !== 0) return failed(`The record ${proofName} was refused: ${line}.`);
    game._tramolo_race_ghost();
    settings.recordsView = true;
    saveSettings(settings);
    play();
    page.ghostRaced = proofName;
    say(`${line}: racing its ghost (F7 hides it).`);
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
    if (event instanceof KeyboardEvent) showTouch(false);
    if (down) held.set(event.code, event.key);
    else held.delete(event.code);
    const gameKey = game.ccall(
      'tramolo_key', 'number', ['number', 'number', 'number', 'string', 'string'],
      [down, event.repeat ? 1 : 0, event.altKey ? 1 : 0, event.code, event.key]);
    // The browser keeps its shortcuts with Ctrl or Meta.
    if (gameKey && !event.ctrlKey && !event.metaKey) event.preventDefault();
    followRecordsView();
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
    if (savesRecord()) download('tramolo-record.txt', [game.FS.readFile(recordPath)]);
    else download('tramolo-recording.txt', page.recordingParts());
    screen.focus();
  });
  saveTrace.hidden = !tracing;
  saveTrace.addEventListener('click', () => {
    download('tramolo-trace.jsonl', page.traceParts());
    screen.focus();
  });
  open.addEventListener('click', () => openFile.click());
  openFile.addEventListener('change', () => {
    openGiven(openFile.files[0]);
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
    openGiven(event.dataTransfer.files[0]);
  });

  // Touch controls: each holds its key while a finger is on it, exactly as the key held down, so that a game
  // played by touch records and replays as any other. Several fingers hold several keys; a finger slid onto
  // another control lets the first one go. They show on a touch screen until a key or a pad is used, and
  // again when a finger touches the page.
  const touchScreen = navigator.maxTouchPoints > 0 || matchMedia('(any-pointer: coarse)').matches;
  const fingers = new Map(); // pointer id -> the control it holds, or null
  const holders = new Map(); // control -> how many fingers hold it
  page.touchShown = () => document.body.classList.contains('touch-shown');

  function showTouch(on) {
    if (on === page.touchShown()) return;
    if (!on) releaseTouches();
    document.body.classList.toggle('touch-shown', on);
    updateHint();
  }

  function touchKey(control, down) {
    const code = control.dataset.code;
    control.classList.toggle('held', down);
    if (game !== null)
      game.ccall('tramolo_key', 'number', ['number', 'number', 'number', 'string', 'string'],
        [down ? 1 : 0, 0, 0, code, code]);
  }

  function hold(control) {
    const count = holders.get(control) ?? 0;
    holders.set(control, count + 1);
    if (count === 0) touchKey(control, true);
  }

  function letGo(control) {
    const count = holders.get(control) ?? 0;
    if (count <= 1) holders.delete(control);
    else holders.set(control, count - 1);
    if (count === 1) touchKey(control, false);
  }

  // The control under the finger now: it follows the finger from one control to the next.
  function follow(event) {
    if (!fingers.has(event.pointerId)) return;
    const under = document.elementFromPoint(event.clientX, event.clientY)?.closest('.touch [data-code]') ?? null;
    const before = fingers.get(event.pointerId);
    if (under === before) return;
    if (before) letGo(before);
    if (under) hold(under);
    fingers.set(event.pointerId, under);
  }

  function lift(event) {
    if (!fingers.has(event.pointerId)) return;
    const before = fingers.get(event.pointerId);
    fingers.delete(event.pointerId);
    if (before) letGo(before);
  }

  function releaseTouches() {
    for (const id of [...fingers.keys()]) lift({ pointerId: id });
  }

  // A new game starts with no key down: what the fingers held belonged to the last one.
  function forgetTouches() {
    fingers.clear();
    holders.clear();
    for (const control of document.querySelectorAll('.touch [data-code]')) control.classList.remove('held');
  }

  for (const panel of document.querySelectorAll('.touch')) {
    panel.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      fingers.set(event.pointerId, null);
      follow(event);
    });
    // No emulated mouse, focus change, long-press menu or double-tap zoom.
    panel.addEventListener('touchstart', (event) => event.preventDefault(), { passive: false });
    panel.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  addEventListener('pointermove', follow);
  addEventListener('pointerup', lift);
  addEventListener('pointercancel', lift);
  addEventListener('blur', releaseTouches);
  addEventListener('pointerdown', (event) => {
    if (touchScreen && event.pointerType === 'touch') showTouch(true);
  });
  showTouch(touchScreen);

  // What the page knows of the gamepads; the game reads them itself, once a pass.
  addEventListener('gamepadconnected', (event) => {
    const standard = event.gamepad.mapping === 'standard';
    padNote.textContent = standard ? `Gamepad ready: ${event.gamepad.id}.`
      : `The gamepad ${event.gamepad.id} has no standard layout in this browser and is not used.`;
  });
  addEventListener('gamepaddisconnected', () => { padNote.textContent = 'The gamepad was disconnected.'; });

  const onPageFile = (id, bytes) => traceParts.push(bytes);
  // A record kept goes into the browser's storage; one that could not be read or written is said.
  const RecordKept = 0;
  function onNews(kind, value, text) {
    if (kind !== 'record') return;
    if (value !== RecordKept) return say(`Records: ${text}.`);
    const lap = text.replace(/: \/records\/.*$/, '');
    storeRecord(recordName, game.FS.readFile(recordPath)).then((stored) => {
      if (stored) page.recordsStored++;
      say(stored ? `${lap[0].toUpperCase()}${lap.slice(1)}, kept in this browser.`
        : `${lap}; this browser keeps no record.`);
    });
    updateSave();
  }
  const onPadUsed = () => {
    if (padUsed && !page.touchShown()) return;
    padUsed = true;
    showTouch(false);
    updateHint();
  };
  createTramolo({ onWindow, onPageFile, onNews, onPadUsed,
    onAbort: (what) => failed(`The game stopped: ${what}`) }).then(
    async (module) => {
      game = module;
      recordPath = game.UTF8ToString(game._tramolo_record_path());
      recordName = recordPath.slice(recordPath.lastIndexOf('/') + 1);
      const kept = await storedRecord(recordName);
      if (kept) game.FS.writeFile(recordPath, kept);
      requestAnimationFrame(paint);
      if (params.has('script')) watchParams();
      else play();
    },
    (error) => failed(`The game could not be loaded: ${error}`));
})();
