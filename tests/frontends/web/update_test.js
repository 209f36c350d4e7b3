// A newer build of the site at the same address, as a player meets it: the
// site's own server serves a copy of the build; the player visits, plays and
// saves; then the copy is replaced by a second build (every file of the page
// changed as a rebuild changes them, the service worker written again by the
// build's own step, so with a new cache name). The next reload is still
// wholly the first build, from its cache, and says that a newer version is
// ready; the reload after it is wholly the second build, with only its cache
// left, offline too; and LOAD finds the game saved before the update. Then
// the two builds are served side by side, at /a/ and /b/ of one server:
// after a visit to each, each plays with the network gone.
//
//   node update_test.js --site SITE --work WORK --cmake CMAKE --offline-script
//        offline_site.cmake --template sw.js.in --brotli BROTLI --gzip GZIP
'use strict';

const assert = require('assert');
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const { launch, waitForText, command, updateOptions, rewriteWorker } = require('./page_support.js');
const { serve } = require('../../../frontends/web/site_server.js');

const options = updateOptions('update_test.js');
const work = path.resolve(options.work);
const served = path.join(work, 'served');

const digest = bytes => crypto.createHash('sha256').update(bytes).digest('hex');

// The page's files: what the service worker keeps, less the icons, which a
// rebuild leaves as they are.
const PAGE_FILES = ['index.html', 'page.js', 'page.css', 'xterm.js', 'xterm.css', 'tidewrack.js',
  'tidewrack.wasm', 'manifest.webmanifest'];

// The digest of every file of a build, by name, and its version.
function buildOf(folder) {
  const files = {};
  for (const name of PAGE_FILES) files[name] = digest(fs.readFileSync(path.join(folder, name)));
  return { files, version: fs.readFileSync(path.join(folder, 'version.txt'), 'utf8').trim() };
}

// A WebAssembly custom section, which changes the module's bytes and
// nothing of what it does.
function customSection(name, payload) {
  const body = Buffer.concat([Buffer.from([name.length]), Buffer.from(name), Buffer.from(payload)]);
  assert.ok(body.length < 128);
  return Buffer.concat([Buffer.from([0, body.length]), body]);
}

// The second build: a copy of the first whose every page file differs, with
// the page's version line and the manifest's version changed, and the
// service worker, the version and the compressed copies written again by
// the build's own step.
function makeSecondBuild(first, second) {
  fs.cpSync(first, second, { recursive: true, preserveTimestamps: true });
  const edit = (name, change) => {
    const file = path.join(second, name);
    const before = fs.readFileSync(file, 'utf8');
    const after = change(before);
    assert.notStrictEqual(after, before, `${name} unchanged`);
    fs.writeFileSync(file, after);
  };
  edit('index.html', text => text.replace(/(<p id="version">Tidewrack [^<]*)</, '$1 (second build)<'));
  edit('manifest.webmanifest', text => text.replace(/("version": "[^"]*)"/, '$1+second"'));
  for (const name of ['page.js', 'xterm.js', 'tidewrack.js']) edit(name, text => `${text}\n// second build\n`);
  for (const name of ['page.css', 'xterm.css']) edit(name, text => `${text}\n/* second build */\n`);
  fs.appendFileSync(path.join(second, 'tidewrack.wasm'), customSection('build', 'second'));
  rewriteWorker(options, first, second);
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  fs.cpSync(options.site, served, { recursive: true, preserveTimestamps: true });
  const first = buildOf(served);
  makeSecondBuild(served, path.join(work, 'second'));
  const second = buildOf(path.join(work, 'second'));
  assert.notStrictEqual(second.version, first.version, 'the second build has the first one\'s version');
  for (const name of PAGE_FILES) assert.notStrictEqual(second.files[name], first.files[name], name);

  const server = await serve(served);
  let both = null;
  const browser = await launch();
  try {
    const context = await browser.newContext();
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', error => errors.push(error.message));
    // The page's files of each load, with the digest of what the page got.
    let loaded = [];
    page.on('response', response => {
      const name = new URL(response.url()).pathname.slice(1) || 'index.html';
      if (!PAGE_FILES.includes(name)) return;
      loaded.push(response.body().then(body => ({ name, digest: digest(body),
        fromWorker: response.fromServiceWorker() })));
    });
    const load = async (how, what) => {
      loaded = [];
      await how();
      await waitForText(page, 'by Tobias Wrenfield', what);
      return Promise.all(loaded);
    };
    // Every file the page loaded is the build's, and the page loaded the
    // whole game (a page of one build with the game of another would be
    // found here).
    const wholly = (files, build, what) => {
      for (const file of files) {
        assert.strictEqual(file.digest, build.files[file.name], `${what}: ${file.name} is of another build`);
      }
      for (const name of ['index.html', 'page.js', 'page.css', 'xterm.js', 'xterm.css', 'tidewrack.js',
        'tidewrack.wasm']) {
        assert.ok(files.some(file => file.name === name), `${what}: ${name} was not loaded`);
      }
    };
    const version = () => page.evaluate(() => document.getElementById('version').textContent);
    const status = () => page.evaluate(() => document.getElementById('status').textContent);
    const cacheNames = () => page.evaluate(() => caches.keys());

    // The first visit, a game played and saved.
    wholly(await load(() => page.goto(server.url), 'the first visit'), first, 'the first visit');
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    assert.deepStrictEqual(await cacheNames(), [`tidewrack-${first.version} /`]);
    assert.strictEqual(await status(), '', 'the first visit says something');
    const firstVersion = await version();
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room');
    await command(page, 'east');
    await waitForText(page, 'coral reef', 'EAST to the reef');
    await command(page, 'save');
    await waitForText(page, 'Game saved.', 'SAVE before the update');

    // The second build at the same address.
    fs.renameSync(served, path.join(work, 'first'));
    fs.renameSync(path.join(work, 'second'), served);

    // The next reload: still the first build, wholly, from its cache, while
    // the second build is fetched; then the page says it is ready.
    const reloaded = await load(() => page.reload(), 'the reload after the update');
    wholly(reloaded, first, 'the reload after the update');
    assert.ok(reloaded.every(file => file.fromWorker), 'the first build was not all from its cache');
    assert.strictEqual(await version(), firstVersion);
    await page.waitForFunction(() => /newer version/.test(document.getElementById('status').textContent),
                               null, { timeout: 20000 });
    assert.strictEqual(await status(), 'A newer version of the game is ready: it starts at the next reload.');
    // The page is told as soon as the new worker takes over; the browser
    // lets that worker drop the first build's cache only once the old
    // worker is done, which in chromium can take some seconds.
    await page.waitForFunction(async () => (await caches.keys()).length === 1, null, { timeout: 40000 })
      .catch(() => {});
    // The page hears of the new worker as it starts its activation, which
    // then drops the first build's cache.
    await page.waitForFunction(wanted => caches.keys().then(names => names.join() === wanted),
                               `tidewrack-${second.version} /`, { timeout: 10000 })
      .catch(async () => assert.fail(`the caches after the update: ${await cacheNames()}`));

    // The reload after it: wholly the second build, and the save made before.
    wholly(await load(() => page.reload(), 'the second reload'), second, 'the second reload');
    assert.strictEqual(await version(), `${firstVersion} (second build)`);
    assert.strictEqual(await status(), '', 'the update is announced again');
    await page.keyboard.press('Enter');
    const shore = await waitForText(page, 'What now?', 'the first room of the second build');
    assert.ok(!shore.includes('coral reef'), shore);
    await command(page, 'load');
    await waitForText(page, 'Game loaded.', 'LOAD after the update');
    await waitForText(page, 'coral reef', 'the room saved before the update');

    // With the network gone, the second build still.
    await context.setOffline(true);
    wholly(await load(() => page.reload(), 'offline after the update'), second, 'offline after the update');
    assert.strictEqual(await version(), `${firstVersion} (second build)`);
    await page.screenshot({ path: path.join(work, 'updated.png') });
    assert.deepStrictEqual(errors, [], 'the page had errors');
    await context.close();

    // The two builds at two addresses of one server, /a/ and /b/: each keeps
    // its own copy for play offline.
    const two = path.join(work, 'two');
    fs.cpSync(path.join(work, 'first'), path.join(two, 'a'), { recursive: true, preserveTimestamps: true });
    fs.cpSync(served, path.join(two, 'b'), { recursive: true, preserveTimestamps: true });
    both = await serve(two);
    const visitor = await browser.newContext();
    const pages = {};
    for (const folder of ['a', 'b']) {
      pages[folder] = await visitor.newPage();
      await pages[folder].goto(`${both.url}${folder}/`);
      await waitForText(pages[folder], 'by Tobias Wrenfield', `the first visit of /${folder}/`);
      await pages[folder].waitForFunction(() => navigator.serviceWorker.controller !== null, null,
                                          { timeout: 20000 });
    }
    await visitor.setOffline(true);
    for (const folder of ['a', 'b']) {
      await pages[folder].reload();
      await waitForText(pages[folder], 'by Tobias Wrenfield', `/${folder}/ with the network gone`);
    }
    assert.deepStrictEqual((await pages.a.evaluate(() => caches.keys())).sort(),
                           [`tidewrack-${first.version} /a/`, `tidewrack-${second.version} /b/`].sort());
    await visitor.close();
  } finally {
    await browser.close();
    await server.close();
    if (both) await both.close();
  }
  console.log('update: the next reload is the old build whole and says so; the one after is the new ' +
              'build whole, offline too, and LOAD finds the save made before; two builds at two ' +
              'addresses each play offline');
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
