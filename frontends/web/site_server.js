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
// never outside it; GET and HEAD only.
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

function stat(file) {
  try {
    const found = fs.statSync(file);
    return found.isFile() ? found : null;
  } catch {
    return null;
  }
}

function handler(base) {
  return (request, response) => {
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
    const file = path.join(base, path.normalize(name));
    const found = name.includes('\0') || !file.startsWith(base + path.sep) ? null : stat(file);
    if (!found) {
      response.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found\n');
      return;
    }
    const headers = {
      'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-cache',
      'X-Content-Type-Options': 'nosniff',
    };
    let sent = file;
    let size = found.size;
    let encoding = 'identity';
    const taken = accepted(request.headers['accept-encoding']);
    for (const [method, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
      const copy = taken.has(method) ? stat(file + suffix) : null;
      // A copy older than its file was left by an earlier build: not sent.
      if (copy && copy.mtimeMs >= found.mtimeMs) {
        sent = file + suffix;
        size = copy.size;
        encoding = method;
        headers['Content-Encoding'] = method;
        break;
      }
    }
    if (!/\.(br|gz|png)$/.test(file)) headers.Vary = 'Accept-Encoding';
    const tag = crypto.createHash('sha1')
      .update(`${sent} ${size} ${fs.statSync(sent).mtimeMs} ${encoding}`).digest('base64url');
    headers.ETag = `"${tag.slice(0, 20)}"`;
    if (request.headers['if-none-match'] === headers.ETag) {
      response.writeHead(304, headers).end();
      return;
    }
    headers['Content-Length'] = size;
    response.writeHead(200, headers);
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    fs.createReadStream(sent).on('error', () => response.destroy()).pipe(response);
  };
}

// Serves root on host:port (port 0: any free one); resolves to { url, close() }.
function serve(root, { port = 0, host = '127.0.0.1' } = {}) {
  const server = http.createServer(handler(path.resolve(root)));
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
