// A long recording replayed in the page as fast as it can go, and the page's memory meanwhile: every
// sampling the passes run, the game module's memory, the page's JavaScript heap and the resident memory of
// every Chromium process, so that one sees whether any of it grows with the passes.
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

// Resident kB of every Chromium process now.
function chromiumResident() {
  let kb = 0;
  for (const pid of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      if (!readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('chromium')) continue;
      const status = readFileSync(`/proc/${pid}/status`, 'utf8');
      kb += Number(/VmRSS:\s+(\d+)/.exec(status)?.[1] ?? 0);
    } catch {
      // gone meanwhile
    }
  }
  return kb;
}

const { server, url } = await serve(site);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium' });
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
    `JavaScript heap ${heap >> 10} kB, Chromium resident ${chromiumResident()} kB (${state})`);
  if (done) break;
}
console.log(`ended: ${await page.evaluate(() => document.getElementById('status').textContent)}`);
await browser.close();
server.close();
