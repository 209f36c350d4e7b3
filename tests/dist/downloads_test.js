// The web downloads of a release, as a player meets them: the site's tarball
// unpacked and served shows the title, and tidewrack.html opened straight
// from the disk, with no server, plays, saves, and loads the save again
// after a reload. Nothing is fetched from any other host.
//
//   node tests/dist/downloads_test.js OUT_FOLDER WORK_FOLDER
'use strict';

const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '../..');
const { launch, waitForText, command } = require(path.join(root, 'tests/frontends/web/page_support.js'));
const { serve } = require(path.join(root, 'tests/frontends/web/serve.js'));

const [out, work] = process.argv.slice(2).map(p => path.resolve(p));

function offHost(page, requests) {
  page.on('request', request => {
    const url = request.url();
    if (!/^(file|data|blob):/.test(url) && !url.startsWith('http://127.0.0.1:')) requests.push(url);
  });
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const browser = await launch();
  const requests = [];
  try {
    // The site's tarball, unpacked and served.
    const tarball = fs.readdirSync(out).find(name => /-web\.tar\.gz$/.test(name));
    assert.ok(tarball, `no web tarball in ${out}`);
    childProcess.execFileSync('tar', ['-xzf', path.join(out, tarball), '-C', work]);
    const site = path.join(work, tarball.replace(/\.tar\.gz$/, ''));
    assert.ok(fs.existsSync(path.join(site, 'index.html')), 'the tarball holds no index.html');
    for (const name of ['tidewrack.wasm', 'tidewrack.js']) {
      assert.ok(fs.existsSync(path.join(site, name + '.br')), `no brotli copy of ${name}`);
      assert.ok(fs.existsSync(path.join(site, name + '.gz')), `no gzip copy of ${name}`);
    }
    const server = await serve(site);
    try {
      const page = await browser.newPage();
      offHost(page, requests);
      await page.goto(server.url);
      await waitForText(page, 'by Tobias Wrenfield', 'the served site');
      await page.close();
    } finally {
      await server.close();
    }

    // The one file, from the disk.
    const file = 'file://' + path.join(out, 'tidewrack.html');
    const context = await browser.newContext();
    const page = await context.newPage();
    offHost(page, requests);
    await page.goto(file);
    await waitForText(page, 'by Tobias Wrenfield', 'tidewrack.html');
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room');
    await command(page, 'inventory');
    await waitForText(page, 'A life preserver', 'INVENTORY');
    await command(page, 'north');
    await command(page, 'save');
    await waitForText(page, 'Game saved.', 'SAVE');
    await page.reload();
    await waitForText(page, 'by Tobias Wrenfield', 'tidewrack.html after a reload');
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room after a reload');
    await command(page, 'load');
    const loaded = await waitForText(page, 'Game loaded.', 'LOAD after a reload');
    assert.ok(!loaded.includes('There is no saved game'), loaded);
    await context.close();
  } finally {
    await browser.close();
  }
  assert.deepStrictEqual(requests, [], 'the downloads asked other hosts for files');
  console.log('downloads: the site tarball served, tidewrack.html played, saved and loaded from a file');
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
