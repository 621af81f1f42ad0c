// Serves a static folder on 127.0.0.1, as any static web host would: the files as they are, with their
// types (WebAssembly as application/wasm, which the browser compiles while it loads). scripts/web.sh and the
// page's tests use it.
//
//     node scripts/web-serve.mjs FOLDER [PORT]      # PORT 0: any free one; the address is printed
//
// It answers GET and HEAD of what lies in the folder and nothing else: a path that does not decode is a bad
// request, a path or link that leads out of the folder's real path is forbidden, as is a file it may not
// read or one that is no regular file (a named pipe would hold the server for ever). Every request gets its
// answer and the server goes on serving.
import { constants } from 'node:fs';
import { open, realpath, stat } from 'node:fs/promises';
import { createServer, STATUS_CODES } from 'node:http';
import { extname, isAbsolute, join, normalize, relative, resolve, sep } from 'node:path';
import { pipeline } from 'node:stream';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
  '.json': 'application/json',
  '.css': 'text/css; charset=utf-8',
};

const methods = ['GET', 'HEAD'];

// Without O_NONBLOCK, opening a named pipe waits for a writer, in one of the few threads node reads with.
const reading = constants.O_RDONLY | constants.O_NONBLOCK;

// An error that carries the status to answer with.
const refusal = (status) => Object.assign(new Error(STATUS_CODES[status]), { status });

// The status a failed request answers with: its own, or for a failed file call, 404 when there is no such
// file, 403 when the server may not read it and 500 when something else went wrong.
function statusOf(error) {
  if (error.status) return error.status;
  if (['ENOENT', 'ENOTDIR', 'ENAMETOOLONG'].includes(error.code)) return 404;
  if (['EACCES', 'EPERM'].includes(error.code)) return 403;
  return 500;
}

function refuse(response, status, headers = {}) {
  response.writeHead(status, { 'Content-Type': 'text/plain; charset=utf-8', ...headers });
  response.end(`${STATUS_CODES[status].toLowerCase()}\n`);
}

// The path the request names, decoded, without its query; a malformed escape or a NUL is a bad request.
function requestedPath(url) {
  if (!url.startsWith('/')) throw refusal(400);
  let path;
  try {
    path = decodeURIComponent(url.split(/[?#]/, 1)[0]);
  } catch {
    throw refusal(400);
  }
  if (path.includes('\0')) throw refusal(400);
  return path;
}

// Whether file (an absolute path) is folder or lies somewhere under it.
function inside(folder, file) {
  const way = relative(folder, file);
  return way !== '..' && !way.startsWith('..' + sep) && !isAbsolute(way);
}

// The real path of file, every link followed, which must lie in the folder's real path: a link may lead
// anywhere inside the folder, never out of it.
async function follow(base, file) {
  const real = await realpath(file);
  if (!inside(base, real)) throw refusal(403);
  return real;
}

// Opens the file the request names, or a folder's index.html; only a regular file is served.
async function openFile(root, path) {
  let name = normalize(join(root, path));
  if (!inside(root, name)) throw refusal(403);
  const base = await realpath(root);
  let real = await follow(base, name);
  if ((await stat(real)).isDirectory()) {
    name = join(name, 'index.html');
    real = await follow(base, join(real, 'index.html'));
  }
  const handle = await open(real, reading);
  let info;
  try {
    info = await handle.stat();
    if (!info.isFile()) throw refusal(403);
  } catch (error) {
    await handle.close();
    throw error;
  }
  return { handle, size: info.size, type: types[extname(name)] ?? 'application/octet-stream' };
}

async function answer(root, request, response) {
  if (!methods.includes(request.method)) {
    refuse(response, 405, { Allow: methods.join(', ') });
    return;
  }
  const { handle, size, type } = await openFile(root, requestedPath(request.url));
  response.writeHead(200, { 'Content-Type': type, 'Content-Length': size, 'Cache-Control': 'no-cache' });
  if (request.method === 'HEAD') {
    await handle.close();
    response.end();
  } else {
    // A read that fails once the answer has begun can only cut it short.
    pipeline(handle.createReadStream(), response, () => {});
  }
}

// Starts serving folder; resolves to the server and its address once it listens.
export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer((request, response) => {
    answer(root, request, response).catch((error) => {
      if (response.headersSent) response.destroy();
      else refuse(response, statusOf(error));
    });
  });
  return new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, '127.0.0.1', () => done({ server, url: `http://127.0.0.1:${server.address().port}/` }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port = '8000'] = process.argv.slice(2);
  if (!folder) {
    console.error('usage: node scripts/web-serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  serve(folder, Number(port)).then(
    ({ url }) => console.log(`tramolo: serving ${folder} on ${url} (Ctrl+C ends)`),
    (error) => {
      console.error(`tramolo: cannot serve on port ${port}: ${error.message}`);
      process.exit(1);
    });
}
