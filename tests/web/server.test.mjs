// The page's server (scripts/web-serve.mjs) run as a program over a folder with every kind of path that
// must be refused: each request gets its status, nothing outside the folder is ever sent, and the server
// answers after them all. As root it runs as nobody, for whom a file of mode 000 is unreadable.
//
//     node --test tests/web/server.test.mjs
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { chmodSync, mkdirSync, mkdtempSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

const program = fileURLToPath(new URL('../../scripts/web-serve.mjs', import.meta.url));
const secret = 'outside the folder\n';
const text = 'a page\n';
const nobody = 65534;

let work;
let server;
let address;

// The folder served, site/, beside outside/ that holds the secret.
function makeFolders() {
  work = mkdtempSync(join(tmpdir(), 'tramolo-serve-'));
  chmodSync(work, 0o755);
  const site = join(work, 'site');
  mkdirSync(join(site, 'inner'), { recursive: true });
  mkdirSync(join(work, 'outside'));
  writeFileSync(join(work, 'outside', 'secret.txt'), secret);
  writeFileSync(join(site, 'index.html'), '<p>tramolo</p>\n');
  writeFileSync(join(site, 'page.txt'), text);
  writeFileSync(join(site, 'inner', 'note.txt'), text);
  writeFileSync(join(site, 'locked.txt'), secret, { mode: 0o000 });
  assert.equal(spawnSync('mkfifo', [join(site, 'pipe')]).status, 0, 'mkfifo makes a named pipe');
  symlinkSync('inner', join(site, 'innerlink'));
  symlinkSync('../outside', join(site, 'outlink'));
  symlinkSync('../outside/secret.txt', join(site, 'secretlink.txt'));
  return site;
}

// Starts the program; resolves to the address it prints.
function start(site) {
  const rights = process.getuid?.() === 0 ? { uid: nobody, gid: nobody } : {};
  server = spawn(process.execPath, [program, site, '0'], { stdio: ['ignore', 'pipe', 'inherit'], ...rights });
  return new Promise((done, fail) => {
    server.stdout.setEncoding('utf8').on('data', (line) => {
      const found = line.match(/ on (http:\S+)/);
      if (found) done(found[1]);
    });
    server.once('exit', (code) => fail(new Error(`the server ended with ${code} before it listened`)));
  });
}

// The path sent as it is (no client tidies it), with its answer's status, headers and text.
function ask(method, path) {
  return new Promise((done, fail) => {
    const sent = request(new URL(address), { method, path, timeout: 3000 }, (response) => {
      let body = '';
      response.setEncoding('utf8').on('data', (part) => (body += part));
      response.on('end', () => done({ status: response.statusCode, headers: response.headers, body }));
    });
    sent.on('timeout', () => sent.destroy(new Error(`no answer to ${method} ${path}`)));
    sent.on('error', fail).end();
  });
}

before(async () => {
  address = await start(makeFolders());
});

after(() => {
  server?.kill();
  if (work) rmSync(work, { recursive: true, force: true });
});

const textFile = { 'content-type': 'text/plain; charset=utf-8', 'content-length': String(text.length) };
const fresh = { ...textFile, 'cache-control': 'no-cache' };
const rows = [
  { name: 'a malformed escape', path: '/%', status: 400 },
  { name: 'a NUL in the path', path: '/page.txt%00', status: 400 },
  { name: 'a missing file', path: '/missing.txt', status: 404 },
  { name: 'a file it may not read', path: '/locked.txt', status: 403 },
  { name: 'a named pipe', path: '/pipe', status: 403 },
  { name: 'a link to a folder outside', path: '/outlink/secret.txt', status: 403 },
  { name: 'a link to a file outside', path: '/secretlink.txt', status: 403 },
  { name: 'a way up', path: '/../outside/secret.txt', status: 403 },
  { name: 'an encoded way up', path: '/%2e%2e/outside/secret.txt', status: 403 },
  ...['POST', 'PUT', 'DELETE'].map((method) =>
    ({ name: method, method, path: '/page.txt', status: 405, headers: { allow: 'GET, HEAD' } })),
  { name: 'a link that stays inside', path: '/innerlink/note.txt', status: 200, headers: fresh, body: text },
  { name: 'HEAD of a file', method: 'HEAD', path: '/page.txt', status: 200, headers: fresh, body: '' },
  { name: 'GET of a file', path: '/page.txt?v=2', status: 200, headers: fresh, body: text },
];

describe('the server answers each request with its status', () => {
  for (const { name, method = 'GET', path, status, headers = {}, body } of rows) {
    test(name, async () => {
      const answer = await ask(method, path);
      assert.equal(answer.status, status);
      for (const [header, value] of Object.entries(headers)) assert.equal(answer.headers[header], value, header);
      if (body !== undefined) assert.equal(answer.body, body);
      assert.ok(!answer.body.includes(secret), 'nothing from outside the folder is sent');
    });
  }

  test('and still serves a folder its index.html after them all', async () => {
    const answer = await ask('GET', '/');
    assert.equal(answer.status, 200);
    assert.equal(answer.headers['content-type'], 'text/html; charset=utf-8');
    assert.match(answer.body, /tramolo/);
  });
});
