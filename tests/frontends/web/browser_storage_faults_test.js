// The browser's storage misbehaving under a game in play, in Debian's
// chromium (headless, through playwright-core and the DevTools protocol),
// the site on 127.0.0.1. Nothing the storage does may stop the game or lose
// a save:
// - full (the origin's quota at one byte before the first visit): SAVE
//   answers "The game could not be saved." at once, the page says why and
//   offers the save for download, LOAD takes it back in the same visit, and
//   the page says that the game cannot be kept for play offline; with the
//   quota back, SAVE keeps the game for the next visit;
// - cleared under two open tabs ("clear site data"): both save again, LOAD
//   finds the newest save of either, and after a second clearing finds none;
// - missing (no window.indexedDB): the title, play, and what the page cannot
//   do, said at once; SAVE kept for the visit only, and said so;
// - blocked (a profile that blocks every site's data): the same, and no
//   play offline either.
//
//   node browser_storage_faults_test.js --site DIR --chromium PATH --artifacts DIR
'use strict';
const assert = require('assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve } = require('../../../frontends/web/site_server.js');

const root = path.resolve(__dirname, '../../..');
const { chromium } = require(path.join(root, 'frontends/web/node_modules/playwright-core'));
const { FLAGS, pathOption: option } = require('./page_support.js');
const { Tab } = require('./game_tab.js');

const siteDir = option('site');
const chromiumPath = option('chromium');
const artifacts = option('artifacts');


const SAVED = ['Game saved.'];
const NOT_SAVED = ['The game could not be saved.'];
const LOADED = 'Game loaded.';
const NONE = 'There is no saved game.  Nothing was loaded.';
const notKept = why => `${why}, so the save lasts only until you leave the page: ` +
                       '"Download the saved game" keeps it.';
const NO_SAVES = 'This browser keeps no saved games for this page: a save lasts only until you ' +
                 'leave the page, and "Download the saved game" keeps it.';
const NO_DATA = 'This browser keeps no data for this page: a save lasts only until you leave the ' +
                'page ("Download the saved game" keeps it), and the game cannot be played offline.';
const NO_OFFLINE = 'This browser will not keep the game for play offline: it needs the network to start.';

const roomOf = lines => lines.find(line => line.startsWith('You are ')) || '(no room)';

// A browser with a profile of its own; `prepare` may write into the profile
// before the browser starts.
async function startBrowser(name, prepare = () => {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `tidewrack-${name}-`));
  prepare(profile);
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath, headless: true, acceptDownloads: true, args: FLAGS,
  });
  let first = context.pages()[0];
  return {
    context,
    errors: [],
    async tab(tabName) {
      const page = first || await context.newPage();
      first = null;
      page.on('pageerror', error => this.errors.push(`${tabName}: ${error.message}`));
      return new Tab(page, `${name}-${tabName}`, artifacts);
    },
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The title, a key, and the game's first room.
async function begin(tab, url) {
  await tab.open(url);
  const lines = await tab.type('x', { enter: false });
  assert(lines.includes('What now?'), `${tab.name}: the game starts`);
}

// A saved game's bytes: its first line of numbers and the names after it.
function assertIsSave(bytes, what) {
  assert(bytes, `${what}: nothing was offered`);
  const lines = bytes.toString('latin1').split('\n');
  assert.strictEqual(lines[0].split(' ').length, 299, `${what}: the first line of a save`);
  assert.strictEqual(lines[1], 'North ', `${what}: the names of a save`);
}

async function fullStorage(site) {
  const browser = await startBrowser('full');
  try {
    const tab = await browser.tab('a');
    const origin = new URL(site.url).origin;
    const devtools = await browser.context.newCDPSession(tab.page);
    await devtools.send('Storage.overrideQuotaForOrigin', { origin, quotaSize: 1 });
    await begin(tab, site.url);
    await tab.statusSays(/offline/, 'the page says the game is not kept for play offline');
    assert.strictEqual(await tab.status(), NO_OFFLINE);

    const north = roomOf(await tab.type('north'));
    const asked = Date.now();
    assert.deepStrictEqual(await tab.command('save'), NOT_SAVED, 'a save into a full storage');
    console.log(`a save into a full storage was answered in ${Date.now() - asked} ms`);
    assert.strictEqual(await tab.status(), notKept("The browser's storage for this page is full"));
    const unkept = await tab.download();
    assertIsSave(unkept, 'the save the browser did not keep is offered');
    await tab.type('south');
    let lines = await tab.load();
    assert.strictEqual(lines[lines.length - 1], LOADED, 'LOAD takes back the save of this visit');
    assert.strictEqual(roomOf(lines), north);
    assert.strictEqual((await tab.command('inventory'))[0], 'You are carrying:', 'the game goes on');

    // The quota back: SAVE keeps the game, for the next visit too.
    await devtools.send('Storage.overrideQuotaForOrigin', { origin });
    assert.deepStrictEqual(await tab.command('save'), SAVED, 'a save once there is room');
    await begin(tab, site.url);
    lines = await tab.load();
    assert.strictEqual(lines[lines.length - 1], LOADED, 'LOAD after a reload');
    assert.strictEqual(roomOf(lines), north);
    assert.deepStrictEqual(browser.errors, []);
  } finally {
    await browser.close();
  }
}

async function clearedStorage(site) {
  const browser = await startBrowser('cleared');
  try {
    const a = await browser.tab('a');
    const b = await browser.tab('b');
    await begin(a, site.url);
    await begin(b, site.url);
    const devtools = await browser.context.newCDPSession(a.page);
    const clear = () => devtools.send('Storage.clearDataForOrigin',
                                      { origin: new URL(site.url).origin, storageTypes: 'all' });

    assert.deepStrictEqual(await a.command('save'), SAVED);
    await clear();
    const reef = roomOf(await a.type('east'));
    assert.deepStrictEqual(await a.command('save'), SAVED, 'a save after the storage was cleared');
    assert.deepStrictEqual(await b.command('save'), SAVED, 'a save in the other tab');
    let lines = await a.load();
    assert.strictEqual(lines[lines.length - 1], LOADED);
    assert.notStrictEqual(roomOf(lines), reef, "LOAD finds the other tab's newer save");
    await a.type('east');
    assert.deepStrictEqual(await a.command('save'), SAVED);
    lines = await b.load();
    assert.strictEqual(roomOf(lines), reef, "and the other tab finds this one's");

    await clear();
    lines = await a.load();
    assert.strictEqual(lines[lines.length - 1], NONE, 'LOAD after a second clearing finds no save');
    assert.strictEqual(await b.download(), null);
    assert.strictEqual(await b.status(), 'There is no saved game to download yet: type SAVE first.');
    assert.deepStrictEqual(browser.errors, []);
  } finally {
    await browser.close();
  }
}

// The page without a storage of its own: the game plays, the page says so,
// and a save lasts the visit.
async function playWithoutStorage(tab, url, said, why) {
  await begin(tab, url);
  assert.strictEqual(await tab.statusSays(/keeps no/, 'the page says what it cannot do'), said);
  const north = roomOf(await tab.type('north'));
  assert.deepStrictEqual(await tab.command('save'), NOT_SAVED);
  assert.strictEqual(await tab.status(), notKept(why));
  assertIsSave(await tab.download(), 'the save of this visit is offered');
  await tab.type('south');
  const lines = await tab.load();
  assert.strictEqual(lines[lines.length - 1], LOADED, 'LOAD takes back the save of this visit');
  assert.strictEqual(roomOf(lines), north);
}

async function missingStorage(site) {
  const browser = await startBrowser('missing');
  try {
    const tab = await browser.tab('a');
    await tab.page.addInitScript(() => {
      Object.defineProperty(window, 'indexedDB', { value: undefined, configurable: true });
    });
    await playWithoutStorage(tab, site.url, NO_SAVES, 'This browser has no storage for the page');
    assert.deepStrictEqual(browser.errors, []);
  } finally {
    await browser.close();
  }
}

async function blockedStorage(site) {
  const browser = await startBrowser('blocked', profile => {
    fs.mkdirSync(path.join(profile, 'Default'));
    fs.writeFileSync(path.join(profile, 'Default', 'Preferences'), JSON.stringify(
      { profile: { default_content_setting_values: { cookies: 2 } } }));
  });
  try {
    const tab = await browser.tab('a');
    await playWithoutStorage(tab, site.url, NO_DATA, 'This browser does not let the page keep data');
    assert.deepStrictEqual(browser.errors, []);
  } finally {
    await browser.close();
  }
}

async function main() {
  fs.mkdirSync(artifacts, { recursive: true });
  const site = await serve(siteDir);
  try {
    for (const [name, session] of [['full', fullStorage], ['cleared', clearedStorage],
                                   ['missing', missingStorage], ['blocked', blockedStorage]]) {
      try {
        await session(site);
      } catch (error) {
        error.message = `storage ${name}: ${error.message}`;
        throw error;
      }
    }
  } finally {
    await site.close();
  }
  console.log('browser storage faults: full, cleared under two tabs, missing and blocked');
}

main().then(() => process.exit(0), error => {
  console.error(error);
  process.exit(1);
});
