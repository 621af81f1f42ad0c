// Measures the page against the native game on this machine and prints one line per figure:
//   - the site's size as served and compressed (gzip -9), and the time to the first frame from a local server;
//   - the page's passes per second and CPU per pass in headless Chromium (the demonstration), against the
//     native window under Xvfb and on SDL's dummy display (tramolo-bench --window, which also runs a bare
//     loop of the sleep and copy);
//   - the cost of a pass without its sleep: the web runner under node against the native runner, the same
//     demonstration, run alternately, the best of each (CPU time, the start-up taken out by a short run).
//
//     node tests/web/measure.mjs build/tramolo-sim build-web/tramolo-sim build-web/site build/tramolo-bench
import { execFileSync, spawn, spawnSync } from 'node:child_process';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';

import { chromium } from 'playwright-core';

import { serve } from '../../scripts/web-serve.mjs';

const [sim, webSim, site, bench] = process.argv.slice(2);
const seconds = Number(process.env.SECONDS_MEASURED ?? 10);
if (!bench) {
  console.error('usage: node tests/web/measure.mjs NATIVE-RUNNER WEB-RUNNER SITE BENCH');
  process.exit(2);
}
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function siteSize() {
  let raw = 0;
  let packed = 0;
  for (const name of readdirSync(site)) {
    const bytes = readFileSync(join(site, name));
    raw += bytes.length;
    packed += gzipSync(bytes, { level: 9 }).length;
  }
  console.log(`site: ${raw} bytes, ${packed} bytes with gzip -9 (${readdirSync(site).join(', ')})`);
}

// CPU seconds of every Chromium process so far.
function chromiumCpu() {
  let ticks = 0;
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      if (!stat.includes('(chromium)') && !readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('chromium')) continue;
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      ticks += Number(fields[11]) + Number(fields[12]);
    } catch {
      // gone meanwhile
    }
  }
  return ticks / 100;
}

async function measurePage() {
  const { server, url } = await serve(site);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium' });
  const firstFrames = [];
  for (let i = 0; i < 5; i++) {
    const page = await browser.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.tramolo.firstFrameMs !== null);
    firstFrames.push(await page.evaluate(() => window.tramolo.firstFrameMs));
    await page.close();
  }
  console.log(`page: first frame ${median(firstFrames).toFixed(0)} ms after the page was opened (median of 5: ${firstFrames.map((ms) => ms.toFixed(0)).join(', ')})`);

  const page = await browser.newPage();
  const session = await page.context().newCDPSession(page);
  await session.send('Performance.enable');
  const taskSeconds = async () =>
    (await session.send('Performance.getMetrics')).metrics.find((metric) => metric.name === 'TaskDuration').value;
  await page.goto(url);
  await page.waitForFunction(() => window.tramolo.firstFrameMs !== null);
  await page.waitForTimeout(2000);
  const sample = () => page.evaluate(() => ({ passes: window.tramolo.passes, busy: window.tramolo.busyMs, at: performance.now() }));
  const [from, tasksFrom, cpuFrom] = [await sample(), await taskSeconds(), chromiumCpu()];
  await page.waitForTimeout(seconds * 1000);
  const [to, tasksTo, cpuTo] = [await sample(), await taskSeconds(), chromiumCpu()];
  const passes = to.passes - from.passes;
  const micros = (value) => ((value * 1e6) / passes).toFixed(0);
  console.log(`page: ${((passes * 1000) / (to.at - from.at)).toFixed(1)} passes per second; CPU per pass ${micros(cpuTo - cpuFrom)} us (all Chromium processes), ` +
    `${micros(tasksTo - tasksFrom)} us (the page's main thread), ${micros((to.busy - from.busy) / 1000)} us in the game's passes`);
  await browser.close();
  server.close();
}

// tramolo-bench --window on a virtual display of its own, and on SDL's dummy display, where showing a
// frame costs next to nothing, as a machine with a graphics card would show it.
async function measureNativeWindow() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten', 'tcp'], { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((done) => xvfb.stdio[3].once('data', (data) => done(String(data).trim())));
  const run = (where, env) => {
    const out = execFileSync(bench, ['--window', String(seconds)], { env: { ...process.env, ...env }, encoding: 'utf8' });
    for (const line of out.trim().split('\n')) console.log(`native window ${where}: ${line}`);
  };
  try {
    run('under Xvfb', { DISPLAY: `:${display}` });
  } finally {
    xvfb.kill();
  }
  run('on SDL\'s dummy display', { SDL_VIDEODRIVER: 'dummy' });
}

// CPU seconds of one run of the runner (with node for the web runner's script).
function runnerCpu(runner, passes) {
  const run = spawnSync('bash', ['-c', '"$@" > /dev/null; times', 'measure', runner, '--quiet', '--passes', String(passes)], { encoding: 'utf8' });
  const [user, system] = run.stdout.trim().split('\n').at(-1).split(' ').map((time) => {
    const [, minutes, secs] = time.match(/(\d+)m([\d.]+)s/);
    return Number(minutes) * 60 + Number(secs);
  });
  return user + system;
}

function measurePassCost() {
  const best = { native: Infinity, web: Infinity };
  const short = 2000;
  const long = 42000;
  for (let round = 0; round < 5; round++) {
    for (const [name, runner] of [['native', sim], ['web', webSim]])
      best[name] = Math.min(best[name], runnerCpu(runner, long) - runnerCpu(runner, short));
  }
  const micros = (name) => (best[name] * 1e6) / (long - short);
  console.log(`pass without its sleep (demonstration): native ${micros('native').toFixed(1)} us, WebAssembly under node ${micros('web').toFixed(1)} us, ratio ${(best.web / best.native).toFixed(2)}`);
}

siteSize();
statSync(sim);
await measurePage();
await measureNativeWindow();
measurePassCost();
