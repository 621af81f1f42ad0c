// The page in a real browser: Debian's Chromium, driven by playwright-core, loads the site from a local
// server. A game is played with the keyboard, ended with ESC, its recording saved, replayed natively and
// watched in the page; scripted runs on the virtual clock are compared with the native runner's frames;
// races driven by a scripted gamepad and by two fingers on the touch controls replay natively too.
//
//     TRAMOLO_SIM=build/tramolo-sim TRAMOLO_SITE=build-web/site node --test tests/web/page.test.mjs
// TRAMOLO_WEB_SHOTS=DIR keeps screenshots of the demonstration, a race, the line view and the end.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { createReadStream, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

import { serve } from '../../scripts/web-serve.mjs';

const sim = process.env.TRAMOLO_SIM;
const site = process.env.TRAMOLO_SITE;
const shots = process.env.TRAMOLO_WEB_SHOTS;
const golden = fileURLToPath(new URL('../golden/', import.meta.url));
const title = 'tramolo Version 13 by morvel - use arrowkeys or w,s and mouse';

let browser;
let server;
let address;
let work;

before(async () => {
  assert.ok(sim && site, 'TRAMOLO_SIM and TRAMOLO_SITE name the native runner and the site');
  work = mkdtempSync(join(tmpdir(), 'tramolo-web-'));
  ({ server, url: address } = await serve(site));
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium' });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (work) rmSync(work, { recursive: true, force: true });
});

// The page at query, once its first frame is painted (or it failed); page errors fail the test. more: the
// context's further options (a touch screen) and init scripts to run before the page's own.
async function openPage(query = '', scale = 1, viewport = { width: 800, height: 700 }, mayFail = false,
  more = {}) {
  const { initScripts = [], ...options } = more;
  const context = await browser.newContext({ viewport, deviceScaleFactor: scale, ...options });
  for (const script of initScripts) await context.addInitScript(script);
  const page = await context.newPage();
  page.on('pageerror', (error) => assert.fail(`the page threw: ${error.message}`));
  await page.goto(address + query);
  await page.waitForFunction(() => window.tramolo.firstFrameMs !== null || window.tramolo.state === 'failed');
  if (!mayFail) assert.equal(await page.evaluate(() => window.tramolo.error), '');
  return page;
}

const until = (page, predicate, arg) => page.waitForFunction(predicate, arg, { timeout: 30000, polling: 20 });
const state = (page) => page.evaluate(() => window.tramolo.now());
const current = (line) => line.Actors[line.CurrentActor];

async function shot(page, name) {
  if (shots) await page.screenshot({ path: join(shots, `${name}.png`) });
}

// The native runner with the runner's options; its exit code must be expected. The display's decimal point
// is the page's.
function runNative(args, expected = 0) {
  const run = spawnSync(sim, ['--quiet', ...args], { env: { ...process.env, LC_ALL: 'C' }, encoding: 'utf8' });
  assert.equal(run.status, expected, `${sim} ${args.join(' ')}: ${run.stderr}`);
}

// Where two traces first differ, or null.
function firstDifference(ours, theirs) {
  const a = ours.split('\n');
  const b = theirs.split('\n');
  for (let i = 0; i < Math.max(a.length, b.length); i++)
    if (a[i] !== b[i]) return `line ${i + 1}:\n  page:   ${a[i]?.slice(0, 300)}\n  native: ${b[i]?.slice(0, 300)}`;
  return null;
}

// Pixels of the page's frame (the game's drawing area one to one) that differ from the PNG's drawing area
// (the frame shows it from (2, 26)); with scale, the PNG is a screenshot of the visible canvas in which
// each pixel of the frame must be a scale x scale block, the canvas's top-left at (left, top) of the PNG.
function differingPixels(page, png, scale = 0, left = 0, top = 0) {
  return page.evaluate(async ({ base64, scale, left, top }) => {
    const image = new Image();
    image.src = `data:image/png;base64,${base64}`;
    await image.decode();
    const scratch = document.createElement('canvas');
    scratch.width = image.width;
    scratch.height = image.height;
    scratch.getContext('2d').drawImage(image, 0, 0);
    const screen = window.tramolo.frameCanvas;
    const { width, height } = screen;
    const want = scratch.getContext('2d').getImageData(0, 0, image.width, image.height);
    const got = screen.getContext('2d').getImageData(0, 0, width, height).data;
    if (scale > 0 && (want.width < left + width * scale || want.height < top + height * scale)) return -1;
    let differing = 0;
    for (let y = 0; y < height * Math.max(scale, 1); y++) {
      for (let x = 0; x < width * Math.max(scale, 1); x++) {
        const at = scale > 0 ? (Math.floor(y / scale) * width + Math.floor(x / scale)) * 4 : (y * width + x) * 4;
        const from = scale > 0 ? ((y + top) * want.width + x + left) * 4 : ((y + 26) * want.width + x + 2) * 4;
        if (got[at] !== want.data[from] || got[at + 1] !== want.data[from + 1] || got[at + 2] !== want.data[from + 2])
          differing++;
      }
    }
    return differing;
  }, { base64: png.toString('base64'), scale, left, top });
}

describe('a game played in the page', () => {
  let page;
  let pageTrace;
  let recording;

  before(async () => {
    page = await openPage('?trace');
  });

  test('the demonstration runs under the game title, in a canvas of the drawing area', async () => {
    assert.equal(await page.title(), title);
    const size = await page.evaluate(() => [window.tramolo.frameCanvas.width, window.tramolo.frameCanvas.height]);
    assert.deepEqual(size, [596, 572]);
    const before = await page.locator('#screen').screenshot();
    await until(page, (from) => window.tramolo.paintedPass > from + 100, await page.evaluate(() => window.tramolo.paintedPass));
    assert.notDeepEqual(await page.locator('#screen').screenshot(), before, 'the picture did not change');
    assert.equal((await state(page)).DemoMode, 1);
    await shot(page, 'demonstration');
  });

  test('ENTER starts a race; F1 shows the driving figures; the up arrow raises the speed shown', async () => {
    await page.keyboard.press('Enter');
    await until(page, () => window.tramolo.now().DemoMode === 0);
    await page.keyboard.press('F1');
    await until(page, () => window.tramolo.now().HudMode === 1);
    await page.keyboard.down('ArrowUp');
    await until(page, () => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor].SpeedKmh > 60; });
    await page.keyboard.up('ArrowUp');
    await page.mouse.move(300, 300);
    await page.mouse.move(500, 300, { steps: 5 });
    await until(page, () => window.tramolo.now().MouseSteering !== 0);
    assert.ok(current(await state(page)).SpeedKmh > 60);
    await shot(page, 'race');
  });

  test('F5 shows the line view without reloading; F1 and the arrows stay the game\'s', async () => {
    await page.evaluate(() => {
      window.stayed = true;
      window.prevented = {};
      addEventListener('keydown', (event) => { window.prevented[event.key] = event.defaultPrevented; });
    });
    await page.keyboard.press('F5');
    await until(page, () => window.tramolo.now().CheckLineMode === 1);
    await shot(page, 'line-view');
    for (const mode of [2, 0, 1]) {
      await page.keyboard.press('F1');
      await until(page, (mode) => window.tramolo.now().HudMode === mode, mode);
    }
    for (const key of ['F3', 'F3', 'ArrowLeft', 'ArrowDown']) await page.keyboard.press(key);
    assert.equal(await page.evaluate(() => window.stayed), true, 'the page was reloaded');
    assert.deepEqual(await page.evaluate(() => window.prevented),
      { F5: true, F1: true, F3: true, ArrowLeft: true, ArrowDown: true });
  });

  test('ESC ends the game with exit code 27 and offers a new start', async () => {
    await page.keyboard.press('Escape');
    await until(page, () => window.tramolo.state === 'ended');
    assert.equal(await page.evaluate(() => window.tramolo.exitCode), 27);
    assert.match(await page.textContent('#status'), /exit code 27/);
    await shot(page, 'ended');
    pageTrace = await page.evaluate(() => window.tramolo.trace());
    const download = page.waitForEvent('download');
    await page.click('#save');
    recording = join(work, 'played.txt');
    await (await download).saveAs(recording);
    await page.click('#new-game');
    await until(page, () => window.tramolo.state === 'running' && window.tramolo.passes > 10);
    assert.equal((await state(page)).DemoMode, 1);
  });

  test('the saved recording replays natively to the page\'s own trace', () => {
    const text = readFileSync(recording, 'utf8');
    assert.match(text, /^\d+ down 27$/m);
    const trace = join(work, 'replayed.jsonl');
    runNative(['--input', recording, '--trace', trace], 27);
    assert.equal(firstDifference(pageTrace, readFileSync(trace, 'utf8')), null);
  });

  test('the recording opened in the page is watched at its pace to the same trace', async () => {
    // The pace is kept from the first pass on (the start-up's tick comes before it).
    const ticks = pageTrace.trim().split('\n').map((line) => JSON.parse(line).TickNow);
    await page.setInputFiles('#open-file', recording);
    await until(page, () => window.tramolo.kind === 'script' && window.tramolo.state === 'ended');
    const shown = await page.evaluate(() => window.tramolo.endedMs - window.tramolo.startedMs);
    assert.ok(shown >= ticks.at(-1) - ticks[0] - 1, `shown in ${shown} ms, played in ${ticks.at(-1) - ticks[0]}`);
    assert.equal(await page.evaluate(() => window.tramolo.exitCode), 27);
    assert.equal(firstDifference(await page.evaluate(() => window.tramolo.trace()), pageTrace), null);
  });
});

describe('scripted runs on the virtual clock show the native runner\'s frames', () => {
  const runs = [
    { script: 'race-commands.txt', options: { 'start-tick': 4294960000 }, passes: [40, 700, 1300, 1900] },
    { script: 'race-gameover.txt', options: {}, passes: [350, 900] },
    { script: null, options: { 'pass-ms': '16.6667', 'cursor-x': -5 }, passes: [120] },
  ];
  for (const { script, options, passes } of runs) {
    for (const pass of passes) {
      test(`${script ?? 'the demonstration'}, pass ${pass}`, async () => {
        const text = script ? readFileSync(join(golden, script), 'utf8') : '';
        const input = join(work, `script-${pass}.txt`);
        const png = join(work, `native-${pass}.png`);
        writeFileSync(input, text);
        const args = Object.entries(options).flatMap(([name, value]) => [`--${name}`, String(value)]);
        runNative([...args, '--input', input, '--passes', String(pass), '--png', `${pass}:${png}`]);
        const query = new URLSearchParams({ script: text, passes: pass, ...options });
        const page = await openPage(`?${query}&fast`);
        await until(page, (pass) => window.tramolo.state === 'ended' && window.tramolo.paintedPass === pass, pass);
        assert.equal(await differingPixels(page, readFileSync(png)), 0);
        await page.context().close();
      });
    }
  }

  test('on a high-density screen each pixel is a sharp 2 x 2 block', async () => {
    // The tab as wide as the drawing area: twice its width in device pixels, a whole multiple.
    const page = await openPage('?script=&passes=60&fast', 2, { width: 596, height: 900 });
    const layout = await page.evaluate(() => window.tramolo.layout);
    assert.equal(layout.whole, 2);
    await until(page, () => window.tramolo.state === 'ended' && window.tramolo.paintedPass === 60);
    // The whole tab, so that the canvas's place in device pixels is the page's own, not a rounded box.
    const png = await page.screenshot();
    assert.equal(await differingPixels(page, png, 2, layout.x, layout.y), 0);
    await page.context().close();
  });
});

describe('the page as a player finds it', () => {
  const tabs = [
    { width: 1280, height: 720, scale: 1 },
    { width: 1920, height: 1080, scale: 1 },
    { width: 390, height: 844, scale: 3 },
    { width: 844, height: 390, scale: 3 },
  ];
  for (const { width, height, scale } of tabs) {
    test(`a tab of ${width} x ${height} at pixel ratio ${scale}: the game fits, centred, with its help below`, async () => {
      const page = await openPage('', scale, { width, height });
      const box = await page.locator('#screen').boundingBox();
      const bar = await page.locator('#bar').boundingBox();
      const layout = await page.evaluate(() => window.tramolo.layout);
      // Within the tab and above the help, its shape kept, as large as the room allows in one direction.
      assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= width + 0.01, JSON.stringify(box));
      assert.ok(box.y + box.height <= bar.y + 0.01, `the canvas ${JSON.stringify(box)} reaches into the help ${JSON.stringify(bar)}`);
      assert.ok(bar.y + bar.height <= height + 0.01, `the help ${JSON.stringify(bar)} is cut off`);
      assert.ok(Math.abs(layout.width / layout.height - 596 / 572) < 2 / layout.height, JSON.stringify(layout));
      assert.ok(layout.width === layout.stageWidth || layout.height === layout.stageHeight, JSON.stringify(layout));
      // Centred to the whole CSS pixel the page places it on.
      assert.ok(Math.abs(box.x - (width - box.x - box.width)) <= 2, `not centred: ${JSON.stringify(box)}`);
      // The canvas holds the whole-number step, shown in whole device pixels.
      const canvas = await page.evaluate(() => [document.getElementById('screen').width, document.getElementById('screen').height]);
      assert.deepEqual(canvas, [596 * layout.whole, 572 * layout.whole]);
      assert.equal(Math.round(box.width * scale), layout.width);
      assert.equal(Math.round(box.height * scale), layout.height);
      assert.ok(await page.isVisible('#fullscreen'));
      assert.match(await page.textContent('#fullscreen-note'), /ESC/);
      await page.context().close();
    });
  }

  test('until the game has the keys the page says to click, and the choice of size is kept', async () => {
    const page = await openPage('');
    await page.evaluate(() => document.getElementById('save').focus());
    assert.equal(await page.isVisible('#hint'), true);
    assert.match(await page.textContent('#hint'), /[Cc]lick to play/);
    await page.click('#screen');
    assert.equal(await page.isVisible('#hint'), false);
    await page.check('#one-to-one');
    assert.deepEqual(await page.evaluate(() => window.tramolo.layout.width), 596);
    await page.reload();
    await page.waitForFunction(() => window.tramolo.firstFrameMs !== null);
    assert.equal(await page.isChecked('#one-to-one'), true);
    assert.equal(await page.evaluate(() => localStorage.getItem('tramolo-settings')), 'scaling = one-to-one\n');
    await page.context().close();
  });

  test('the fullscreen button shows the game over the whole screen where the browser allows it', async () => {
    const page = await openPage('');
    const allowed = await page.evaluate(() => document.fullscreenEnabled);
    if (!allowed) return assert.equal(await page.isDisabled('#fullscreen'), true);
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement?.id === 'stage', null, { timeout: 10000 });
    assert.equal(await page.textContent('#fullscreen'), 'Leave fullscreen');
    await page.evaluate(() => document.exitFullscreen());
    await page.waitForFunction(() => document.fullscreenElement === null);
    assert.equal((await state(page)).DemoMode, 1);
    await page.context().close();
  });
});

describe('what the page is given: scripts of any length and malformed ones, a far tick, a large save', () => {
  // A script of about 1.5 MB: a mouse line for every pass and many more, ESC at the end.
  const long = ['# a long script, a piece at a time'];
  for (let pass = 1; pass <= 300; pass++)
    for (let i = 0; i < 330; i++) long.push(`${pass} mouse ${(pass * 7 + i) % 400 - 200}`);
  long.push('300 down 27');
  const longText = long.join('\n') + '\n';

  const rows = [
    { name: 'a script of 1.5 MB opened as a file plays to the native trace', file: longText, trace: true, code: 27 },
    { name: 'a byte order mark at the start is skipped', file: '\ufeff5 down 13\n40 down 27\n', trace: true, code: 27 },
    { name: 'a script whose lines are not in pass order is sorted as the runner sorts it',
      file: '40 down 27\n5 down 13\n6 up 13\n', trace: true, code: 27 },
    { name: 'a NUL byte after line 2 is refused, naming it', file: '1 down 13\n2 up 13\n3 do\0wn 27\n',
      error: /line 3: it holds a NUL byte/ },
    { name: 'a NUL byte in the address is refused too', query: { script: '1 down 13\n2 up 13\n3 \0' },
      error: /line 3: it holds a NUL byte/ },
    { name: 'pass-ms that is no number is named', query: { script: '1 down 13', 'pass-ms': 'abc' },
      error: /pass-ms: 'abc' is not/ },
  ];
  for (const row of rows) {
    test(row.name, async () => {
      const query = row.query ? `?${new URLSearchParams(row.query)}` : '?script=&passes=1';
      const page = await openPage(`${query}&fast&trace`, 1, undefined, true);
      if (row.file !== undefined) {
        await until(page, () => window.tramolo.state === 'ended' || window.tramolo.state === 'failed');
        const input = join(work, 'given.txt');
        writeFileSync(input, row.file);
        await page.evaluate(() => { window.tramolo.state = 'opening'; });
        await page.setInputFiles('#open-file', input);
        await until(page, () => window.tramolo.state === 'ended' || window.tramolo.state === 'failed');
        if (row.trace) {
          assert.equal(await page.evaluate(() => window.tramolo.exitCode), row.code);
          const trace = join(work, 'given.jsonl');
          runNative(['--input', input, '--trace', trace], row.code);
          assert.equal(firstDifference(await page.evaluate(() => window.tramolo.trace()), readFileSync(trace, 'utf8')), null);
        }
      } else {
        await until(page, () => window.tramolo.state === 'failed' || window.tramolo.state === 'ended');
      }
      if (row.error) {
        assert.equal(await page.evaluate(() => window.tramolo.state), 'failed');
        assert.match(await page.evaluate(() => window.tramolo.error), row.error);
      }
      await page.context().close();
    });
  }

  for (const query of [{ script: '1 tick 0\n2 tick 2000000000\n' }, { script: '5 down 13', 'pass-ms': '60000' }]) {
    test(`ESC stops a watched script at once while it waits for a far tick (${query['pass-ms'] ?? 'tick'})`, async () => {
      const page = await openPage(`?${new URLSearchParams(query)}`);
      await page.focus('#screen');
      await until(page, () => window.tramolo.passes >= 1);
      const pressed = Date.now();
      await page.keyboard.press('Escape');
      await until(page, () => window.tramolo.state === 'ended');
      assert.ok(Date.now() - pressed < 1000, `stopped ${Date.now() - pressed} ms after ESC`);
      assert.match(await page.textContent('#status'), /Stopped watching/);
      await page.context().close();
    });
  }

  test('the trace of 80,000 passes is saved whole', async () => {
    const page = await openPage('?script=&fast&trace&passes=80000');
    const started = Date.now();
    await page.waitForFunction(() => window.tramolo.state === 'ended', null, { timeout: 600000, polling: 200 });
    console.log(`# 80,000 passes with their trace in ${Date.now() - started} ms`);
    const download = page.waitForEvent('download');
    await page.click('#save-trace');
    const saved = join(work, 'long.jsonl');
    await (await download).saveAs(saved);
    // Over 512 MB, more than one string of the browser's holds: counted a piece at a time.
    let lines = 0;
    let tail = Buffer.alloc(0);
    for await (const piece of createReadStream(saved)) {
      for (const byte of piece) if (byte === 10) lines++;
      tail = Buffer.concat([tail, piece]).subarray(-20000);
    }
    assert.equal(lines, 80000);
    const last = tail.toString('utf8').trimEnd();
    assert.equal(JSON.parse(last.slice(last.lastIndexOf('\n') + 1)).pass, 80000);
    rmSync(saved);
    await page.context().close();
  });
});

describe('records in the page: kept in the browser, saved, checked and raced', () => {
  // The reference race round the ring, natively: the record the runner keeps of it.
  let native;
  before(() => {
    const folder = join(work, 'native-records');
    mkdirSync(folder);
    runNative(['--pass-ms', '40', '--passes', '8800', '--input', join(golden, 'race-laps.txt'), '--records', folder]);
    const [name] = readdirSync(folder);
    native = { path: join(folder, name), name, text: readFileSync(join(folder, name), 'utf8') };
  });
  const withoutDate = (text) => text.replace(/^#: date .*\n/m, '');
  const long = { timeout: 180000, polling: 100 };

  test('a scripted race keeps its best lap across a reload; F7 shows it, is kept, and the save button exports it', async () => {
    // The race as a recording, which runs to its last pass on its own ticks, opened in a page that keeps records.
    const recording = join(work, 'laps-recording.txt');
    runNative(['--pass-ms', '40', '--passes', '8800', '--input', join(golden, 'race-laps.txt'), '--record', recording]);
    const page = await openPage('?script=&passes=1&fast&records');
    await until(page, () => window.tramolo.state === 'ended');
    await page.setInputFiles('#open-file', recording);
    // Laps 1, 2 and 4 each beat the record before them.
    await page.waitForFunction(() => window.tramolo.state === 'ended' && window.tramolo.recordsStored === 3, null, long);
    await page.goto(address);
    await page.waitForFunction(() => window.tramolo.firstFrameMs !== null && window.tramolo.state === 'running');
    assert.equal(await page.evaluate(() => window.tramolo.recordsLine()), 'Beste 1:15.36');
    await page.evaluate(() => {
      window.prevented = {};
      addEventListener('keydown', (event) => { window.prevented[event.key] = event.defaultPrevented; });
    });
    const before = (await state(page)).LastKey;
    await page.keyboard.press('F7');
    await until(page, () => localStorage.getItem('tramolo-settings')?.includes('records-view = on'));
    assert.equal((await state(page)).LastKey, before, 'the game saw F7');
    assert.deepEqual(await page.evaluate(() => window.prevented), { F7: true });
    assert.equal(await page.textContent('#save'), 'Save record');
    const download = page.waitForEvent('download');
    await page.click('#save');
    const saved = join(work, 'saved-record.txt');
    await (await download).saveAs(saved);
    assert.equal(withoutDate(readFileSync(saved, 'utf8')), withoutDate(native.text));
    runNative(['--verify', saved]);
    // The view stays on in the next game.
    await page.reload();
    await page.waitForFunction(() => window.tramolo.state === 'running');
    assert.equal(await page.evaluate(() => window.tramolo.now() && document.getElementById('save').textContent), 'Save record');
    await page.context().close();
  });

  test('a record opened in the page is checked by its replay, then its ghost is raced; a false one is refused', async () => {
    const page = await openPage('');
    await page.setInputFiles('#open-file', native.path);
    await page.waitForFunction(() => window.tramolo.ghostRaced || window.tramolo.state === 'failed', null, long);
    assert.equal(await page.evaluate(() => window.tramolo.error), '');
    assert.equal(await page.evaluate(() => window.tramolo.ghostRaced), native.name);
    await until(page, () => window.tramolo.kind === 'play' && window.tramolo.state === 'running');
    assert.equal(await page.evaluate(() => window.tramolo.recordsLine()), 'Geist 1:15.36');
    assert.match(await page.textContent('#status'), /is true: lap 4 in 1:15\.360 is what its replay gives: racing its ghost/);

    const rows = [
      { name: 'changed-time.txt', text: native.text.replace('#: lap 4 75360', '#: lap 4 75000'),
        says: /changed-time\.txt is false: its replay's last lap is lap 4 in 1:15\.360, where the record claims lap 4 in 1:15\.000/ },
      { name: 'cut-short.txt', text: native.text.slice(0, native.text.lastIndexOf('\n', native.text.length - 300) + 1),
        says: /cut-short\.txt is false: its replay's last lap is lap 3/ },
      { name: 'garbled.txt', text: '#: record 1\n#: track nonsense\n',
        says: /garbled\.txt was refused: it cannot be read as a record: line 2: the track is not 16 hexadecimal digits/ },
    ];
    for (const row of rows) {
      const path = join(work, row.name);
      writeFileSync(path, row.text);
      await page.evaluate(() => { window.tramolo.state = 'opening'; });
      await page.setInputFiles('#open-file', path);
      await page.waitForFunction(() => window.tramolo.state === 'failed', null, long);
      assert.match(await page.evaluate(() => window.tramolo.error), row.says);
      assert.match(await page.textContent('#status'), /was refused/);
    }
    await page.context().close();
  });
});

describe('every player\'s hands: a gamepad and the touch controls', () => {
  // The Gamepad API answered by the test: one pad of the standard layout whose state window.setPad sets.
  // Buttons by the standard layout's numbers: 0 A, 3 Y, 8 Back, 9 Start; the triggers are 6 and 7.
  function scriptedPad() {
    window.testPads = [];
    navigator.getGamepads = () => window.testPads;
    window.setPad = ({ x = 0, left = 0, right = 0, pressed = [] } = {}) => {
      const buttons = Array.from({ length: 17 }, (_, i) =>
        ({ pressed: pressed.includes(i), touched: pressed.includes(i), value: pressed.includes(i) ? 1 : 0 }));
      buttons[6] = { pressed: left > 0.5, touched: left > 0, value: left };
      buttons[7] = { pressed: right > 0.5, touched: right > 0, value: right };
      window.testPads = [{ id: 'tramolo test pad', index: 0, connected: true, mapping: 'standard',
        axes: [x, 0, 0, 0], buttons, timestamp: performance.now() }];
    };
  }
  const player = (page) => page.evaluate(() => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor]; });
  const setPad = (page, pad) => page.evaluate((pad) => window.setPad(pad), pad);
  // The page's recording replayed natively gives the page's own trace, with its exit code.
  async function replaysNatively(page, name, code) {
    const recording = join(work, `${name}.txt`);
    writeFileSync(recording, await page.evaluate(() => window.tramolo.recording()));
    const trace = join(work, `${name}.jsonl`);
    runNative(['--input', recording, '--trace', trace], code);
    assert.equal(firstDifference(await page.evaluate(() => window.tramolo.trace()), readFileSync(trace, 'utf8')), null);
    return readFileSync(recording, 'utf8');
  }

  test('a scripted pad drives a race, is pulled out and put back, ends it with Back and Start', async () => {
    const page = await openPage('?trace', 1, undefined, false, { hasTouch: true, initScripts: [scriptedPad] });
    assert.equal(await page.evaluate(() => window.tramolo.touchShown()), true);
    await setPad(page, { pressed: [9] });
    await until(page, () => window.tramolo.now().DemoMode === 0);
    await setPad(page, {});
    // A pad in use puts the touch controls away.
    assert.equal(await page.evaluate(() => window.tramolo.touchShown()), false);
    assert.equal(await page.isVisible('#touch-left'), false);
    await setPad(page, { right: 1 });
    await until(page, () => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor].SpeedKmh > 60; });
    const straight = (await player(page)).AngleZ;
    await setPad(page, { right: 1, x: 0.9 });
    await until(page, () => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor].Steering > 0; });
    await setPad(page, { right: 1, x: -0.9 });
    await until(page, () => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor].Steering < 0; });
    assert.notEqual((await player(page)).AngleZ, straight, 'the car did not turn');
    await setPad(page, { right: 1, pressed: [3] });
    await until(page, () => window.tramolo.now().HudMode === 1);
    // Pulled out with the gas held, and put back with it held: only the pulling out can let it go.
    await page.evaluate(() => { window.testPads = [null]; });
    await until(page, (from) => window.tramolo.passes > from + 20, await page.evaluate(() => window.tramolo.passes));
    await setPad(page, { right: 1 });
    await until(page, (from) => window.tramolo.passes > from + 20, await page.evaluate(() => window.tramolo.passes));
    // Back alone ends nothing; with Start it is ESC.
    await setPad(page, { pressed: [8] });
    await until(page, (from) => window.tramolo.passes > from + 20, await page.evaluate(() => window.tramolo.passes));
    assert.equal(await page.evaluate(() => window.tramolo.state), 'running');
    await setPad(page, { pressed: [8, 9] });
    await until(page, () => window.tramolo.state === 'ended');
    assert.equal(await page.evaluate(() => window.tramolo.exitCode), 27);
    const recording = await replaysNatively(page, 'pad', 27);
    const gas = [...recording.matchAll(/^\d+ (down|up) 38$/gm)].map((line) => line[1]).join(' ');
    // Down, let go by the pulling out, down again as it came back held, up once Back alone was pressed.
    assert.equal(gas, 'down up down up');
    for (const key of [13, 37, 39, 112, 27]) assert.match(recording, new RegExp(`^\\d+ down ${key}$`, 'm'));
    assert.doesNotMatch(recording, /^\d+ down 13\n(?:.*\n)*\d+ down 13$/m, 'Start went down twice');
    await page.context().close();
  });

  test('with analogue steering in the settings the stick moves the cursor the mouse steering reads', async () => {
    const analogue = () => localStorage.setItem('tramolo-settings', 'pad-analogue-steering = yes\npad-dead-zone = 10\n');
    const page = await openPage('?trace', 1, undefined, false, { initScripts: [scriptedPad, analogue] });
    await setPad(page, { pressed: [9] });
    await until(page, () => window.tramolo.now().DemoMode === 0);
    await setPad(page, { right: 1 });
    const before = await state(page);
    await setPad(page, { right: 1, x: 1 });
    await until(page, (x) => window.tramolo.now().MouseX > x + 200, before.MouseX);
    const steered = await state(page);
    assert.equal(steered.MouseSteering, -1);
    assert.ok(current(steered).Steering > 0, `steering ${current(steered).Steering}`);
    // Let go, the stick leaves the cursor and the steering where they are, as the mouse does.
    await setPad(page, { right: 1 });
    await until(page, (from) => window.tramolo.passes > from + 20, await page.evaluate(() => window.tramolo.passes));
    const held = await state(page);
    await until(page, (from) => window.tramolo.passes > from + 20, await page.evaluate(() => window.tramolo.passes));
    assert.equal((await state(page)).MouseX, held.MouseX);
    assert.ok(current(held).Steering > 0);
    await setPad(page, { pressed: [8, 9] });
    await until(page, () => window.tramolo.state === 'ended');
    const recording = await replaysNatively(page, 'analogue', 27);
    assert.ok(recording.match(/^\d+ mouse \d+$/gm).length > 10, 'the cursor\'s moves are not recorded');
    assert.doesNotMatch(recording, /^\d+ down 39$/m, 'the stick held the right arrow');
    // The settings keep the pad's lines when the page writes its own.
    await page.check('#one-to-one');
    assert.equal(await page.evaluate(() => localStorage.getItem('tramolo-settings')),
      'scaling = one-to-one\npad-analogue-steering = yes\npad-dead-zone = 10\n');
    await page.context().close();
  });

  test('two fingers hold the gas and the left arrow together: the car turns while it speeds up', async () => {
    const page = await openPage('?trace', 3, { width: 390, height: 844 }, false, { hasTouch: true, isMobile: true });
    assert.equal(await page.evaluate(() => window.tramolo.touchShown()), true);
    const screen = await page.locator('#screen').boundingBox();
    const controls = {};
    for (const name of ['Enter', 'F1', 'F2', 'F5', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown']) {
      const box = await page.locator(`.touch [data-code="${name}"]`).boundingBox();
      assert.ok(box, `no touch control for ${name}`);
      // Within the screen, big enough for a thumb, never over the picture.
      assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= 390 && box.y + box.height <= 844, `${name}: ${JSON.stringify(box)}`);
      assert.ok(box.width >= 44 && box.height >= 44, `${name} is ${box.width} x ${box.height}`);
      const apart = box.x >= screen.x + screen.width || box.x + box.width <= screen.x ||
        box.y >= screen.y + screen.height || box.y + box.height <= screen.y;
      assert.ok(apart, `${name} ${JSON.stringify(box)} lies over the picture ${JSON.stringify(screen)}`);
      controls[name] = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
    }
    // Nothing to scroll, and the page neither zooms nor selects under a finger.
    assert.deepEqual(await page.evaluate(() => [document.documentElement.scrollHeight <= innerHeight,
      getComputedStyle(document.body).touchAction, getComputedStyle(document.body).userSelect]), [true, 'none', 'none']);
    const cdp = await page.context().newCDPSession(page);
    const touch = (type, names) => cdp.send('Input.dispatchTouchEvent',
      { type, touchPoints: names.map((name, id) => ({ ...controls[name], id })) });
    await touch('touchStart', ['Enter']);
    await touch('touchEnd', []);
    await until(page, () => window.tramolo.now().DemoMode === 0);
    await touch('touchStart', ['F1']);
    await touch('touchEnd', []);
    await until(page, () => window.tramolo.now().HudMode === 1);
    const start = await player(page);
    await touch('touchStart', ['ArrowUp']);
    await touch('touchStart', ['ArrowUp', 'ArrowLeft']);
    await until(page, () => { const line = window.tramolo.now(); const car = line.Actors[line.CurrentActor];
      return car.SpeedKmh > 40 && car.Steering < 0; });
    assert.equal(await page.locator('.touch [data-code="ArrowLeft"]').getAttribute('class'), 'held');
    await shot(page, 'touch');
    await touch('touchEnd', []);
    await until(page, () => { const line = window.tramolo.now(); return line.Actors[line.CurrentActor].Steering === 0; });
    assert.notEqual((await player(page)).AngleZ, start.AngleZ, 'the car did not turn');
    // A key puts the controls away; ESC ends the game.
    await page.focus('#screen');
    await page.keyboard.press('Escape');
    await until(page, () => window.tramolo.state === 'ended');
    assert.equal(await page.evaluate(() => window.tramolo.touchShown()), false);
    const recording = await replaysNatively(page, 'touch', 27);
    for (const line of ['down 13', 'up 13', 'down 112', 'down 38', 'down 37', 'up 37', 'up 38'])
      assert.match(recording, new RegExp(`^\\d+ ${line}$`, 'm'));
    await page.context().close();
  });

  test('on a screen without touch no control shows', async () => {
    const page = await openPage('');
    assert.equal(await page.evaluate(() => window.tramolo.touchShown()), false);
    for (const panel of ['#touch-left', '#touch-right']) assert.equal(await page.isVisible(panel), false);
    assert.match(await page.textContent('#pad-help'), /button/);
    await page.context().close();
  });
});
