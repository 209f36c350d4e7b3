// The saved game in the browser's storage, in a real browser (Debian's
// chromium, headless, through playwright-core, the site on 127.0.0.1):
// - two tabs of the page in one browser: a save made in one is the one the
//   other's LOAD and download find, a SAVE in a tab that started before it
//   keeps the other's save if the browser refuses the new one, and a stale
//   tab's own new game, saved, is what both then find;
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

const siteDir = option('site');
const chromiumPath = option('chromium');
const artifacts = option('artifacts');

// One tab of the page, with the game's reads counted so that each key or
// line can wait for the game's answer.
class Tab {
  constructor(page, name) {
    this.page = page;
    this.name = name;
  }

  async open(url) {
    await this.page.goto(url);
    await this.page.waitForFunction(() => {
      const terminal = window.Module && Module.tidewrack && Module.tidewrack.terminal;
      return terminal && terminal.buffer.active.cursorX > 0;
    }, null, { timeout: 20000 });
    await this.page.evaluate(() => {
      window.reads = 0;
      for (const name of ['readKey', 'readLine']) {
        const original = Module.tidewrack[name];
        Module.tidewrack[name] = (...args) => { window.reads += 1; return original(...args); };
      }
    });
  }

  // Types the keys (text, then Enter unless told otherwise) and waits for
  // the game's next read: the screen then.
  async type(text, { enter = true } = {}) {
    const before = await this.page.evaluate(() => window.reads);
    await this.page.bringToFront();
    await this.page.locator('.xterm-helper-textarea').focus();
    if (text !== '') await this.page.keyboard.type(text);
    if (enter) await this.page.keyboard.press('Enter');
    await this.page.waitForFunction(count => window.reads > count, before, { timeout: 20000 });
    return this.screen();
  }

  // The lines the game wrote after the last echo of `command`.
  async answer(command) {
    const lines = await this.screen();
    const at = lines.lastIndexOf(`What now?  ${command}`);
    assert(at >= 0, `${this.name}: "${command}" is on the screen`);
    return lines.slice(at + 1).filter(line => line !== '' && line !== 'What now?');
  }

  // LOAD clears the screen for the loaded game's room: its answer is the
  // whole screen, which ends with what LOAD said.
  async load() {
    const lines = await this.type('load');
    return lines.filter(line => line !== '' && line !== 'What now?');
  }

  async command(text) {
    await this.type(text);
    return this.answer(text);
  }

  screen() {
    return this.page.evaluate(async () => {
      const terminal = Module.tidewrack.terminal;
      await new Promise(done => terminal.write('', done));
      const buffer = terminal.buffer.active;
      const lines = [];
      for (let row = 0; row < terminal.rows; row += 1) {
        lines.push(buffer.getLine(buffer.viewportY + row).translateToString(true).trimEnd());
      }
      return lines;
    });
  }

  async status() { return this.page.textContent('#status'); }

  // The Download button: the bytes offered, or null with what the page said.
  async download() {
    await this.page.evaluate(() => { document.getElementById('status').textContent = ''; });
    const offered = this.page.waitForEvent('download', { timeout: 5000 }).catch(() => null);
    await this.page.click('#download');
    await this.page.waitForFunction(() => document.getElementById('status').textContent !== '');
    const download = await offered;
    if (!download) return null;
    const file = path.join(artifacts, `${this.name}-download.txt`);
    await download.saveAs(file);
    return fs.readFileSync(file);
  }

  // The Upload button with a file of these bytes: what the page said.
  async upload(name, bytes) {
    const file = path.join(artifacts, name);
    fs.writeFileSync(file, bytes);
    await this.page.evaluate(() => { document.getElementById('status').textContent = ''; });
    const [chooser] = await Promise.all([this.page.waitForEvent('filechooser'),
                                         this.page.click('#upload')]);
    await chooser.setFiles(file);
    await this.page.waitForFunction(() => document.getElementById('status').textContent !== '');
    return this.status();
  }
}

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
      const tab = new Tab(page, name);
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
    // the browser at its last step: A's save stays, for both tabs.
    await a.type('inventory');
    assert.deepStrictEqual(await a.command('save'), ['Game saved.']);
    const aSave = await a.download();
    assert(!aSave.equals(bSave));
    await b.page.evaluate(() => {
      window.keptSyncfs = Module.FS.syncfs;
      Module.FS.syncfs = (populate, done) =>
        populate ? window.keptSyncfs(populate, done) : done(new Error('the storage is full'));
    });
    answer = await b.command('save');
    assert.deepStrictEqual(answer, ['The game could not be saved.'], 'a refused save is reported');
    await b.page.evaluate(() => { Module.FS.syncfs = window.keptSyncfs; });
    assert((await b.download()).equals(aSave), "B's refused save kept A's save in B");
    await a.open(site.url);
    assert((await a.download()).equals(aSave), "B's refused save kept A's save in the storage");
    await a.type('x', { enter: false });

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
      ['padded.txt', Buffer.concat([aSave, Buffer.alloc(8192, 0x20)]),
       'padded.txt is too large to be a saved game. Nothing was changed.'],
    ];
    for (const [name, bytes, said] of uploads) {
      assert.strictEqual(await a.upload(name, bytes), said, `the upload of ${name} is refused`);
      assert((await a.download()).equals(aSave), `the save is kept after ${name}`);
    }
    answer = await a.load();
    assert.deepStrictEqual(answer.slice(-1), ['Game loaded.'], 'the save still loads');
    assert((await b.download()).equals(aSave), 'the storage kept the save through the uploads');
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
