// The site's own server on the built site, as a browser asks it: each file
// in the smallest copy the request takes (brotli, else gzip, else the file
// itself), always decoding to the file's own bytes; a copy older than its
// file is never sent; an unchanged file is a short 304 (its tag alone, in a
// list, or weak), and each copy has a tag of its own; nothing outside the
// folder, links that lead out of it included, and nothing but GET and HEAD;
// and a file that vanishes at any step of its answer is sent whole or is a
// 404, and the server goes on.
//
//   node site_server_test.js SITE_FOLDER WORK_FOLDER
'use strict';

const assert = require('assert');
const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

const { serve } = require('../../../frontends/web/site_server.js');

const [site, work] = process.argv.slice(2).map(p => path.resolve(p));

function get(url, headers = {}, method = 'GET') {
  return new Promise((resolve, reject) => {
    const request = http.request(url, { method, headers }, response => {
      const chunks = [];
      response.on('data', chunk => chunks.push(chunk));
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers,
                                         body: Buffer.concat(chunks) }));
    });
    request.on('error', reject);
    request.end();
  });
}

function decoded(answer) {
  switch (answer.headers['content-encoding']) {
    case 'br': return zlib.brotliDecompressSync(answer.body);
    case 'gzip': return zlib.gunzipSync(answer.body);
    case undefined: return answer.body;
  }
  throw new Error(`unknown encoding ${answer.headers['content-encoding']}`);
}

// Every file of the site as the build left it can be read by anyone: a web
// server that runs as a user of its own sends the same files.
function checkEveryoneCanRead(folder) {
  for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
    const file = path.join(folder, entry.name);
    if (entry.isDirectory()) {
      checkEveryoneCanRead(file);
      continue;
    }
    const mode = fs.statSync(file).mode & 0o777;
    assert.strictEqual(mode & 0o444, 0o444, `${file} has mode ${mode.toString(8)}`);
  }
}

// Makes the file and its copies vanish right after the step-th call of the
// file system that names one of them; gives back the file system's calls.
function vanishAfter(step, file) {
  const kept = [];
  let calls = 0;
  const wrap = (owner, name) => {
    const original = owner[name];
    kept.push(() => { owner[name] = original; });
    owner[name] = function (...args) {
      const result = original.apply(this, args);
      if (typeof args[0] === 'string' && args[0].startsWith(file) && ++calls === step) {
        for (const gone of [file, `${file}.br`, `${file}.gz`]) fs.rmSync(gone, { force: true });
      }
      return result;
    };
  };
  for (const name of ['statSync', 'lstatSync', 'existsSync', 'openSync', 'readFileSync', 'realpathSync',
    'createReadStream', 'stat', 'lstat', 'open', 'readFile', 'realpath']) wrap(fs, name);
  for (const name of ['stat', 'lstat', 'open', 'readFile', 'realpath', 'access']) wrap(fs.promises, name);
  return () => kept.forEach(put => put());
}

async function main() {
  checkEveryoneCanRead(site);
  // The page's three scripts are compiled whole while they stream in.
  for (const name of ['xterm.js', 'page.js', 'tidewrack.js']) {
    const first = fs.readFileSync(path.join(site, name), 'utf8').split('\n', 1)[0];
    assert.strictEqual(first, '//# allFunctionsCalledOnLoad', `${name} begins "${first}"`);
  }
  // A copy of the site as the build left it, with its files' times.
  fs.rmSync(work, { recursive: true, force: true });
  fs.cpSync(site, work, { recursive: true, preserveTimestamps: true });
  const server = await serve(work);
  try {
    const compressed = ['index.html', 'page.js', 'page.css', 'xterm.js', 'xterm.css', 'tidewrack.js',
      'tidewrack.wasm', 'manifest.webmanifest', 'sw.js'];
    for (const name of compressed) {
      const bytes = fs.readFileSync(path.join(work, name));
      for (const [accept, wanted] of [['gzip, deflate, br', 'br'], ['gzip, deflate', 'gzip'],
        ['br;q=0, gzip', 'gzip'], ['identity', undefined], ['', undefined]]) {
        const answer = await get(server.url + name, { 'Accept-Encoding': accept });
        assert.strictEqual(answer.status, 200, `${name}: ${answer.status}`);
        assert.strictEqual(answer.headers['content-encoding'], wanted, `${name} for "${accept}"`);
        assert.ok(decoded(answer).equals(bytes), `${name} for "${accept}" is not the file`);
        assert.strictEqual(answer.headers.vary, 'Accept-Encoding', name);
        assert.strictEqual(answer.headers['cache-control'], 'no-cache', name);
        // Asked again with its tag: unchanged, so a 304 without a body.
        const again = await get(server.url + name, { 'Accept-Encoding': accept,
                                                     'If-None-Match': answer.headers.etag });
        assert.strictEqual(again.status, 304, `${name} for "${accept}" asked again`);
        assert.strictEqual(again.body.length, 0);
      }
    }
    // The folder's address is the page; a PNG is sent as it is.
    const page = await get(server.url, { 'Accept-Encoding': 'br' });
    assert.ok(decoded(page).equals(fs.readFileSync(path.join(work, 'index.html'))));
    assert.strictEqual(page.headers['content-type'], 'text/html; charset=utf-8');
    const icon = await get(`${server.url}icons/tidewrack-192.png`, { 'Accept-Encoding': 'br, gzip' });
    assert.strictEqual(icon.headers['content-encoding'], undefined);
    assert.strictEqual(icon.headers['content-type'], 'image/png');

    // A file changed after its copies were written (an unfinished build):
    // the stale copies are not sent, the file is, and under a new tag.
    const before = await get(`${server.url}page.js`, { 'Accept-Encoding': 'br' });
    const later = new Date(Date.now() + 5000);
    fs.appendFileSync(path.join(work, 'page.js'), '\n// changed\n');
    fs.utimesSync(path.join(work, 'page.js'), later, later);
    const changed = await get(`${server.url}page.js`, { 'Accept-Encoding': 'gzip, deflate, br',
                                                         'If-None-Match': before.headers.etag });
    assert.strictEqual(changed.status, 200);
    assert.strictEqual(changed.headers['content-encoding'], undefined, 'a stale copy was sent');
    assert.ok(changed.body.equals(fs.readFileSync(path.join(work, 'page.js'))));

    // Each copy has its own tag, and a tag names its copy alone; a list of
    // tags, a weak tag and "*" are answered as HTTP says.
    const tags = {};
    for (const accept of ['br', 'gzip', 'identity']) {
      tags[accept] = (await get(`${server.url}xterm.js`, { 'Accept-Encoding': accept })).headers.etag;
    }
    assert.strictEqual(new Set(Object.values(tags)).size, 3, `one tag for two copies: ${Object.values(tags)}`);
    const asked = async (accept, tag) =>
      (await get(`${server.url}xterm.js`, { 'Accept-Encoding': accept, 'If-None-Match': tag })).status;
    assert.strictEqual(await asked('br', tags.gzip), 200, "the gzip copy's tag is not the brotli copy's");
    assert.strictEqual(await asked('br', `"elsewhere", ${tags.br}`), 304, 'a list of tags');
    assert.strictEqual(await asked('br', `W/${tags.br}`), 304, 'a weak tag');
    assert.strictEqual(await asked('gzip', '*'), 304, '"*"');
    assert.strictEqual(await asked('br', `"elsewhere", W/"other"`), 200, 'a list without the tag');

    // Links: one inside the folder is followed, one that leads out is not.
    fs.symlinkSync('index.html', path.join(work, 'inside.html'));
    fs.symlinkSync('/etc', path.join(work, 'etc'));
    fs.symlinkSync('/etc/passwd', path.join(work, 'passwd.txt'));
    assert.strictEqual((await get(`${server.url}inside.html`)).status, 200, 'a link inside the folder');
    for (const name of ['etc/passwd', 'passwd.txt', 'etc/']) {
      assert.strictEqual((await get(server.url + name)).status, 404, `${name} leads out of the folder`);
    }

    // A file that vanishes after each step the server takes on it: sent
    // whole, or a 404, and the server goes on.
    const vanishing = path.join(work, 'vanish.js');
    const body = Buffer.from('// here now, gone soon\n'.repeat(2000));
    for (let step = 1; step <= 12; step += 1) {
      fs.writeFileSync(vanishing, body);
      fs.writeFileSync(`${vanishing}.br`, zlib.brotliCompressSync(body));
      fs.writeFileSync(`${vanishing}.gz`, zlib.gzipSync(body));
      const restore = vanishAfter(step, vanishing);
      let answer;
      try {
        answer = await get(`${server.url}vanish.js`, { 'Accept-Encoding': 'br, gzip' });
      } finally {
        restore();
      }
      assert([200, 404].includes(answer.status), `step ${step}: ${answer.status}`);
      if (answer.status === 200) assert.ok(decoded(answer).equals(body), `step ${step}: cut short`);
      assert.strictEqual((await get(server.url)).status, 200, `the server went on after step ${step}`);
    }

    // Nothing outside the folder, nothing missing, nothing but GET and HEAD.
    for (const name of ['../site_server_test.js', '%2e%2e/%2e%2e/etc/passwd', 'no-such-file.js',
      'icons/', 'index.html%00.js']) {
      assert.strictEqual((await get(server.url + name)).status, 404, name);
    }
    assert.strictEqual((await get(`${server.url}%ff`)).status, 400);
    const post = await get(server.url, {}, 'POST');
    assert.strictEqual(post.status, 405);
    assert.strictEqual(post.headers.allow, 'GET, HEAD');
    const head = await get(`${server.url}tidewrack.wasm`, { 'Accept-Encoding': 'br' }, 'HEAD');
    assert.strictEqual(head.status, 200);
    assert.strictEqual(head.body.length, 0);
    assert.strictEqual(Number(head.headers['content-length']),
                       fs.statSync(path.join(work, 'tidewrack.wasm.br')).size);
  } finally {
    await server.close();
  }
  console.log('site server: brotli, gzip or the file as asked, never a stale copy, 304s, nothing outside');
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
