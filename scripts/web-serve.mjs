// Serves a static folder on 127.0.0.1, as any static web host would: the files as they are, with their
// types (WebAssembly as application/wasm, which the browser compiles while it loads). scripts/web.sh and the
// page's tests use it.
//
//     node scripts/web-serve.mjs FOLDER [PORT]      # PORT 0: any free one; the address is printed
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve, sep } from 'node:path';
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

// Starts serving folder; resolves to the server and its address once it listens.
export function serve(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    let file = normalize(join(root, path));
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    try {
      if ((await stat(file)).isDirectory()) file = join(file, 'index.html');
      const size = (await stat(file)).size;
      response.writeHead(200, {
        'Content-Type': types[extname(file)] ?? 'application/octet-stream',
        'Content-Length': size,
        'Cache-Control': 'no-cache',
      });
      if (request.method === 'HEAD') response.end();
      else createReadStream(file).pipe(response);
    } catch {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
    }
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
