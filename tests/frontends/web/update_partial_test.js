// A newer build caught half copied onto the server: its service worker is
// there already, but the game's WebAssembly is still the older build's. The
// new worker refuses it whole: the player goes on with the older build,
// whole, from its cache, online and offline, and no cache of the new build
// is kept. Once the copy is complete, the next visit takes the new build,
// whole, and LOAD finds the game saved before.
//
//   node update_partial_test.js --site SITE --work WORK --cmake CMAKE --offline-script
//        offline_site.cmake --template sw.js.in --brotli BROTLI --gzip GZIP
'use strict';

const assert = require('assert');
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const { launch, screenText, waitForText, command, updateOptions, rewriteWorker } = require('./page_support.js');
const { serve } = require('../../../frontends/web/site_server.js');

const options = updateOptions('update_partial_test.js');
const work = path.resolve(options.work);
const served = path.join(work, 'served');
const digest = bytes => crypto.createHash('sha256').update(bytes).digest('hex');
const GAME = ['tidewrack.js', 'tidewrack.wasm'];

// The second build: the game rebuilt (its script and its WebAssembly both
// changed), the worker, the version and the compressed copies written again
// by the build's own step.
function makeSecondBuild(first, second) {
  fs.cpSync(first, second, { recursive: true, preserveTimestamps: true });
  fs.appendFileSync(path.join(second, 'tidewrack.js'), '\n// second build\n');
  // A custom section: other bytes, the same module.
  const section = Buffer.concat([Buffer.from([5]), Buffer.from('build'), Buffer.from('second')]);
  fs.appendFileSync(path.join(second, 'tidewrack.wasm'), Buffer.concat([Buffer.from([0, section.length]),
                                                                        section]));
  rewriteWorker(options, first, second);
}

const version = folder => fs.readFileSync(path.join(folder, 'version.txt'), 'utf8').trim();
const gameOf = folder => GAME.map(name => digest(fs.readFileSync(path.join(folder, name)))).join();

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });
  const first = path.join(work, 'first');
  const second = path.join(work, 'second');
  fs.cpSync(options.site, first, { recursive: true, preserveTimestamps: true });
  makeSecondBuild(first, second);
  fs.cpSync(first, served, { recursive: true, preserveTimestamps: true });

  const server = await serve(served);
  const browser = await launch();
  try {
    const context = await browser.newContext();
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', error => errors.push(error.message));
    // The game's two files as the page got them, at each load.
    let loaded = [];
    page.on('response', response => {
      const name = new URL(response.url()).pathname.slice(1);
      if (GAME.includes(name)) loaded.push(response.body().then(body => [name, digest(body)]));
    });
    const load = async (how, what) => {
      loaded = [];
      await how();
      await waitForText(page, 'by Tobias Wrenfield', what);
      const got = Object.fromEntries(await Promise.all(loaded));
      return GAME.map(name => got[name]).join();
    };
    const cacheNames = () => page.evaluate(() => caches.keys());
    // The worker the browser fetches now, installed: resolves to its last state.
    const update = () => page.evaluate(() => navigator.serviceWorker.getRegistration().then(registration =>
      new Promise((resolve, reject) => {
        registration.addEventListener('updatefound', () => {
          const worker = registration.installing;
          worker.addEventListener('statechange', () => {
            if (worker.state === 'redundant' || worker.state === 'activated') resolve(worker.state);
          });
        });
        registration.update().catch(reject);
        setTimeout(() => reject(new Error('no new worker was found')), 15000);
      })));

    assert.strictEqual(await load(() => page.goto(server.url), 'the first visit'), gameOf(first));
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room');
    // Each command once the game asks for it (keys typed while it prints
    // are dropped).
    for (const line of ['east', 'north', 'get matches', 'inventory']) {
      const before = await screenText(page);
      await command(page, line);
      await page.waitForFunction(earlier => {
        const rows = document.querySelector('.xterm-rows').innerText.trimEnd().split('\n');
        return rows.join('\n') !== earlier && /^What now\?\s*$/.test(rows.at(-1));
      }, before.trimEnd(), { timeout: 20000 });
    }
    await waitForText(page, 'A book of waterproof matches', 'the matches taken');
    await command(page, 'save');
    await waitForText(page, 'Game saved.', 'SAVE before the update');

    // Half copied: everything of the second build but its WebAssembly.
    for (const name of fs.readdirSync(second)) {
      if (!name.startsWith('tidewrack.wasm') && name !== 'icons') {
        fs.copyFileSync(path.join(second, name), path.join(served, name));
      }
    }
    assert.strictEqual(await update(), 'redundant', 'a half-copied build was taken');
    assert.deepStrictEqual(await cacheNames(), [`tidewrack-${version(first)} /`]);
    assert.strictEqual(await load(() => page.reload(), 'a reload while half copied'), gameOf(first));
    assert.deepStrictEqual(await cacheNames(), [`tidewrack-${version(first)} /`]);
    assert.ok(!/newer version/.test(await page.textContent('#status')), 'a newer version announced');
    await context.setOffline(true);
    assert.strictEqual(await load(() => page.reload(), 'offline while half copied'), gameOf(first));
    await context.setOffline(false);

    // The copy complete: the next visit installs the second build.
    for (const name of fs.readdirSync(second).filter(name => name.startsWith('tidewrack.wasm'))) {
      fs.copyFileSync(path.join(second, name), path.join(served, name));
    }
    assert.strictEqual(await update(), 'activated', 'the whole second build was refused');
    await page.waitForFunction(wanted => caches.keys().then(names => names.join() === wanted),
                               `tidewrack-${version(second)} /`, { timeout: 10000 });
    assert.strictEqual(await load(() => page.reload(), 'the reload after the copy'), gameOf(second));
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room of the second build');
    await command(page, 'load');
    await waitForText(page, 'Game loaded.', 'LOAD after the update');
    await command(page, 'inventory');
    await waitForText(page, 'A book of waterproof matches', 'the loaded game\'s inventory');
    assert.deepStrictEqual(errors, [], 'the page had errors');
    await context.close();
  } finally {
    await browser.close();
    await server.close();
  }
  console.log('update half copied: refused whole, the old build played on; the whole new build taken ' +
              'next, with the save made before');
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
