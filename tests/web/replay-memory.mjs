// A long recording replayed in the page as fast as it can go, and the page's memory meanwhile: every
// sampling the passes run, the game module's memory, the page's JavaScript heap and the resident memory of
// this browser's processes, so that one sees whether any of it grows with the passes.
//
//     node tests/web/replay-memory.mjs SITE RECORDING [SECONDS-BETWEEN-SAMPLES]
import { readdirSync, readFileSync } from 'node:fs';

import { chromium } from 'playwright-core';

import { serve } from '../../scripts/web-serve.mjs';

const [site, recording, every = '30'] = process.argv.slice(2);
if (!recording) {
  console.error('usage: node tests/web/replay-memory.mjs SITE RECORDING [SECONDS-BETWEEN-SAMPLES]');
  process.exit(2);
}

// Resident kB of the browser this measurement started and every process below it.
function browserResident(root) {
  const parents = new Map();
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      parents.set(Number(pid), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch {
      // gone meanwhile
    }
  }
  const below = (pid) => pid === root || (parents.has(pid) && pid > 1 && below(parents.get(pid)));
  let kb = 0;
  for (const pid of parents.keys()) {
    if (!below(pid)) continue;
    try {
      kb += Number(/VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${pid}/status`, 'utf8'))?.[1] ?? 0);
    } catch {
      // gone meanwhile
    }
  }
  return kb;
}

const { server, url } = await serve(site);
// The browser's own process is found by a switch of no meaning to it.
const marker = `--tramolo-replay-memory=${process.pid}`;
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: [marker] });
const root = Number(readdirSync('/proc').find((pid) => {
  try {
    const line = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
    return line.includes(marker) && !line.includes('--type=');
  } catch {
    return false;
  }
}));
const page = await browser.newPage();
const session = await page.context().newCDPSession(page);
await page.goto(`${url}?fast&script=&passes=1`);
await page.waitForFunction(() => window.tramolo.state === 'ended');
const started = Date.now();
await page.setInputFiles('#open-file', recording);
await page.waitForFunction(() => window.tramolo.kind === 'script' && window.tramolo.state === 'running');
for (;;) {
  const done = await page
    .waitForFunction(() => window.tramolo.state !== 'running', null, { timeout: Number(every) * 1000 })
    .then(() => true, () => false);
  const { passes, state, wasm } = await page.evaluate(() => ({
    passes: window.tramolo.passes, state: window.tramolo.state, wasm: window.tramolo.memoryBytes?.() ?? 0,
  }));
  const heap = (await session.send('Runtime.getHeapUsage')).usedSize;
  console.log(`${Math.round((Date.now() - started) / 1000)} s: ${passes} passes, game memory ${wasm >> 10} kB, ` +
    `JavaScript heap ${heap >> 10} kB, browser resident ${browserResident(root)} kB (${state})`);
  if (done) break;
}
console.log(`ended: ${await page.evaluate(() => document.getElementById('status').textContent)}`);
await browser.close();
server.close();
