// The site's own web server, with nothing beyond Node's built-in modules:
//
//   node frontends/web/site_server.js [--port 8000] [--host 127.0.0.1] [FOLDER]
//
// serves FOLDER (build/web/site by default) on 127.0.0.1:8000. A browser
// that takes brotli or gzip gets the compressed copy the build wrote beside
// each file (tidewrack.wasm.br, ...), a quarter of the size. Every answer
// carries an ETag and "Cache-Control: no-cache": the files keep their names
// from one build to the next, so the browser asks each time and gets a
// short "304 Not Modified" while a file is unchanged; the page's service
// worker keeps the files for play offline. Files only, from the one folder,
// never outside it (a link that leads out of it is not followed); GET and
// HEAD only. Each answer reads from one open handle of its file, so a file
// replaced while it is served (an update unpacked over the folder) is sent
// as it was or as it is, never half and half, and never stops the server.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json',
  '.json': 'application/json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.txt': 'text/plain; charset=utf-8',
};

// The encodings a request accepts, from its Accept-Encoding header
// ("gzip, deflate, br"; "br;q=0" refuses brotli).
function accepted(header) {
  const taken = new Set();
  for (const part of String(header || '').split(',')) {
    const [name, ...parameters] = part.trim().toLowerCase().split(';');
    const q = parameters.map(p => p.trim()).find(p => p.startsWith('q='));
    if (name && !(q && Number(q.slice(2)) === 0)) taken.add(name);
  }
  return taken;
}

// Does an If-None-Match header name this tag? A list of tags, weak ones
// (W/"...") among them, or "*"; tags are compared weakly, as HTTP has it for
// this header.
function matches(header, tag) {
  if (!header) return false;
  const opaque = value => value.trim().replace(/^W\//, '');
  return header.split(',').some(value => value.trim() === '*' || opaque(value) === opaque(tag));
}

// The file's one open handle and what it is, or null when it is no plain
// file (missing, a folder, gone meanwhile). Everything sent is read from
// this handle, so a file replaced or removed after it was opened is sent
// whole as it was, or not at all.
async function openFile(file) {
  let handle;
  try {
    handle = await fs.promises.open(file, 'r');
    const found = await handle.stat();
    if (found.isFile()) return { handle, found };
  } catch {
    // missing, unreadable, or gone between the two steps
  }
  if (handle) await handle.close().catch(() => {});
  return null;
}

// The file a request names, with every link followed, when it lies inside
// the folder (whose own real path is base); else null.
async function inside(base, name) {
  if (name.includes('\0')) return null;
  const file = path.join(base, path.normalize(name));
  if (!file.startsWith(base + path.sep)) return null;
  try {
    const real = await fs.promises.realpath(file);
    return real.startsWith(base + path.sep) ? real : null;
  } catch {
    return null;
  }
}

function notFound(response) {
  response.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found\n');
}

async function answer(base, request, response) {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    response.writeHead(405, { Allow: 'GET, HEAD' }).end();
    return;
  }
  let name;
  try {
    name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
  } catch {
    response.writeHead(400).end();
    return;
  }
  if (name.endsWith('/')) name += 'index.html';
  const file = await inside(base, name);
  const plain = file && await openFile(file);
  if (!plain) {
    notFound(response);
    return;
  }
  const headers = {
    'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
    'Cache-Control': 'no-cache',
    'X-Content-Type-Options': 'nosniff',
  };
  let sent = plain;
  let encoding = 'identity';
  const taken = accepted(request.headers['accept-encoding']);
  for (const [method, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
    if (!taken.has(method)) continue;
    const copyName = await inside(base, name + suffix);
    const copy = copyName && await openFile(copyName);
    // A copy older than its file was left by an earlier build: not sent.
    if (copy && copy.found.mtimeMs >= plain.found.mtimeMs) {
      sent = copy;
      encoding = method;
      headers['Content-Encoding'] = method;
      break;
    }
    if (copy) await copy.handle.close();
  }
  if (sent !== plain) await plain.handle.close();
  if (!/\.(br|gz|png)$/.test(file)) headers.Vary = 'Accept-Encoding';
  // Each encoding of a file is a representation of its own, with a tag of
  // its own: a cache asking with the gzip copy's tag never gets a 304 for
  // the brotli one.
  const { size, mtimeMs, ino } = sent.found;
  const tag = crypto.createHash('sha1').update(`${file} ${size} ${mtimeMs} ${ino}`).digest('base64url');
  headers.ETag = `"${tag.slice(0, 20)}-${encoding}"`;
  if (matches(request.headers['if-none-match'], headers.ETag)) {
    await sent.handle.close();
    response.writeHead(304, headers).end();
    return;
  }
  headers['Content-Length'] = size;
  response.writeHead(200, headers);
  if (request.method === 'HEAD' || size === 0) {
    await sent.handle.close();
    response.end();
    return;
  }
  // Exactly the bytes the file had when it was opened, and no more.
  sent.handle.createReadStream({ start: 0, end: Math.max(size - 1, 0), autoClose: true })
    .on('error', () => response.destroy())
    .pipe(response);
}

// No request, and no change of the folder while it serves, can stop the
// server: whatever goes wrong with one answer ends that answer alone.
function handler(base) {
  return (request, response) => {
    answer(base, request, response).catch(() => {
      if (!response.headersSent) response.writeHead(500).end();
      else response.destroy();
    });
  };
}

// Serves root on host:port (port 0: any free one); resolves to { url, close() }.
function serve(root, { port = 0, host = '127.0.0.1' } = {}) {
  const server = http.createServer(handler(fs.realpathSync(path.resolve(root))));
  // A client that sends garbage, or goes away mid-request, is its own affair.
  server.on('clientError', (error, socket) => socket.destroy());
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(port, host, () => {
      resolve({
        url: `http://${host}:${server.address().port}/`,
        close: () => new Promise(done => {
          server.close(done);
          server.closeAllConnections();
        }),
      });
    });
  });
}

module.exports = { serve, accepted };

if (require.main === module) {
  const args = process.argv.slice(2);
  let port = 8000;
  let host = '127.0.0.1';
  let root = path.join(__dirname, '../../build/web/site');
  for (let at = 0; at < args.length; at += 1) {
    if (args[at] === '--port') port = Number(args[++at]);
    else if (args[at] === '--host') host = args[++at];
    else root = args[at];
  }
  if (!Number.isInteger(port) || port < 0 || port > 65535 || !host) {
    console.error('usage: node site_server.js [--port N] [--host ADDRESS] [FOLDER]');
    process.exit(2);
  }
  if (!fs.existsSync(path.join(root, 'index.html'))) {
    console.error(`${root} holds no site: build it with cmake --workflow --preset web`);
    process.exit(1);
  }
  serve(root, { port, host }).then(({ url }) => console.log(`serving ${path.resolve(root)} at ${url}`),
                                   error => { console.error(error.message); process.exit(1); });
}
