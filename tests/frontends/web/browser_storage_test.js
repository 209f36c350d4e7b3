// The saved game in the browser's storage, in a real browser (Debian's
// chromium, headless, through playwright-core, the site on 127.0.0.1):
// - two tabs of the page in one browser: a save made in one is the one the
//   other's LOAD and download find, a SAVE in a tab that started before it
//   leaves the other's save in the storage if the browser refuses the new
//   one (which is then offered in that tab for the rest of its visit), and
//   a stale tab's own new game, saved, is what both then find;
// - uploads that are not saved games (empty, binary, plain words, too
//   large, cut short) are refused with the reason, and the save stays in
//   the browser's storage and in the download;
// - keys typed after the page was frozen and resumed (the DevTools
//   protocol's emulation of the page lifecycle) are all taken.
//
//   node browser_storage_test.js --site DIR --chromium PATH --artifacts DIR
'use strict';
const assert = require('assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve } = require('./serve.js');

const root = path.resolve(__dirname, '../../..');
const { chromium } = require(path.join(root, 'frontends/web/node_modules/playwright-core'));
const { pathOption: option } = require('./page_support.js');
const { Tab } = require('./game_tab.js');

const siteDir = option('site');
const chromiumPath = option('chromium');
const artifacts = option('artifacts');

const isRoom = (lines, text) => lines.some(line => line.startsWith(text));
const SHORE = 'You are on a tropical shore.';

async function main() {
  fs.mkdirSync(artifacts, { recursive: true });
  const site = await serve(siteDir);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tidewrack-chromium-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    acceptDownloads: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const pageErrors = [];
  const tabs = [];
  try {
    for (const name of ['a', 'b']) {
      const page = tabs.length === 0 && browser.pages()[0] ? browser.pages()[0] : await browser.newPage();
      page.on('pageerror', error => pageErrors.push(`${name}: ${error.message}`));
      const tab = new Tab(page, name, artifacts);
      await tab.open(site.url);  // both started before any save
      await tab.type('x', { enter: false });
      tabs.push(tab);
    }
    const [a, b] = tabs;

    // A saves at the shore; B, started before, finds that save.
    assert.deepStrictEqual(await a.command('save'), ['Game saved.']);
    const shoreSave = await a.download();
    assert(shoreSave, 'A offers its save');
    assert((await b.download() || Buffer.alloc(0)).equals(shoreSave),
           `B offers A's save (the page said: ${await b.status()})`);
    let answer = await b.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.'], "B's LOAD finds A's save");

    // A moves on and saves again; B's LOAD follows.
    await a.type('east');
    assert.deepStrictEqual(await a.command('save'), ['Game saved.']);
    const wreckSave = await a.download();
    assert(!wreckSave.equals(shoreSave), 'the second save is another game');
    answer = await b.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.']);
    assert(isRoom(answer, 'You are near a coral reef'), "B loads A's latest save");
    assert((await b.download()).equals(wreckSave), "B's download is A's latest save");

    // B, back at the shore by a move of its own, saves: B's new game is the
    // save, for both tabs.
    await b.type('west');
    assert.deepStrictEqual(await b.command('save'), ['Game saved.']);
    const bSave = await b.download();
    assert((await a.download()).equals(bSave), "A's download is B's save");
    answer = await a.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.']);
    assert(isRoom(await a.screen(), SHORE), "A loads B's game, at the shore");

    // A saves again (at the shore, a later turn); then B's SAVE is refused by
    // the browser, its storage full (a save that only replaces one of the
    // same size is not held to the quota, so the refusal is B's own): A's
    // save stays in the storage, and B's save is offered for the rest of B's
    // visit.
    await a.type('inventory');
    assert.deepStrictEqual(await a.command('save'), ['Game saved.']);
    const aSave = await a.download();
    assert(!aSave.equals(bSave));
    await b.page.evaluate(() => {
      window.keptPut = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = () => {
        throw new DOMException('The storage is full.', 'QuotaExceededError');
      };
    });
    answer = await b.command('save');
    assert.deepStrictEqual(answer, ['The game could not be saved.'], 'a refused save is reported');
    const bUnkept = await b.download();
    assert(bUnkept && !bUnkept.equals(aSave) && !bUnkept.equals(bSave),
           'B offers its new save, which the browser did not keep');
    await b.page.evaluate(() => { IDBObjectStore.prototype.put = window.keptPut; });
    await a.open(site.url);
    assert((await a.download()).equals(aSave), "B's refused save kept A's save in the storage");
    await a.type('x', { enter: false });
    await b.open(site.url);
    assert((await b.download()).equals(aSave), "B's refused save lasted only B's visit");
    await b.type('x', { enter: false });

    // Uploads that are not saved games: each refused with its reason, and
    // the save stays.
    const good = aSave.toString('latin1');
    const cut = good.slice(0, good.indexOf('\n') + 1);
    const binary = Buffer.from(Array.from({ length: 512 }, (unused, at) => (at * 37) & 0xff));
    const uploads = [
      ['empty.txt', Buffer.alloc(0), 'empty.txt is empty, so it is not a saved game. Nothing was changed.'],
      ['hello.txt', Buffer.from('hello world\n'),
       'hello.txt is not a saved game, or it is damaged. Nothing was changed.'],
      ['binary.txt', binary, 'binary.txt is not a saved game, or it is damaged. Nothing was changed.'],
      ['cut.txt', Buffer.from(cut, 'latin1'),
       'cut.txt is not a saved game, or it is damaged. Nothing was changed.'],
      ['padded.txt', Buffer.concat([aSave, Buffer.alloc(8193 - aSave.length, 0x20)]),
       'padded.txt is too large to be a saved game. Nothing was changed.'],
    ];
    for (const [name, bytes, said] of uploads) {
      assert.strictEqual(await a.upload(name, bytes), said, `the upload of ${name} is refused`);
      assert((await a.download()).equals(aSave), `the save is kept after ${name}`);
    }
    answer = await a.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.'], 'the save still loads');
    // The same save padded with blanks to the 8,192 bytes that LOAD reads at
    // most is a saved game (one byte more was refused above).
    const exact = Buffer.concat([aSave, Buffer.alloc(8192 - aSave.length, 0x20)]);
    assert.strictEqual(await a.upload('exact.txt', exact),
                       'exact.txt is now the saved game: type LOAD to play it.');
    answer = await a.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.'], 'a save of 8,192 bytes loads');
    assert((await b.download()).equals(exact), 'the storage kept the save through the uploads');
    // The same save with Windows line ends is a saved game, and taken.
    const crlf = Buffer.from(good.replace(/\r?\n/g, '\r\n'), 'latin1');
    assert.strictEqual(await a.upload('crlf.txt', crlf),
                       'crlf.txt is now the saved game: type LOAD to play it.');
    assert((await b.download()).equals(crlf), 'the uploaded save is in the storage');

    // The page frozen and resumed, at a line and at a key: every key typed
    // afterwards is taken.
    const cdp = await browser.newCDPSession(a.page);
    const freezeAndResume = async () => {
      await cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
      await new Promise(done => setTimeout(done, 300));
      await cdp.send('Page.setWebLifecycleState', { state: 'active' });
    };
    await freezeAndResume();
    answer = await a.command('inventory');
    assert.strictEqual(answer[0], 'You are carrying:', 'a command typed after a resume is taken');
    await a.page.keyboard.type('inv');  // half a line, then frozen
    await freezeAndResume();
    await a.type('entory');
    assert.strictEqual((await a.answer('inventory'))[0], 'You are carrying:',
                       'the half of a line typed before the freeze is kept');

    assert.deepStrictEqual(pageErrors, [], 'the pages had errors');
    console.log('browser storage: two tabs, refused uploads, a frozen page');
  } catch (error) {
    console.error(error);
    for (const tab of tabs) {
      try {
        console.error(`tab ${tab.name}:\n${(await tab.screen()).join('\n')}\n${await tab.status()}`);
        await tab.page.screenshot({ path: path.join(artifacts, `failure-${tab.name}.png`) });
      } catch (ignored) {
        // the page has gone
      }
    }
    throw error;
  } finally {
    await browser.close();
    await site.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().then(() => process.exit(0), () => process.exit(1));
