// What the browser tests of the page share: chromium's flags for this
// closed machine, reading the terminal's screen as the player sees it, and,
// for the tests of an update, the options that name the build's tools and
// the build's own step that writes a site's service worker again.
'use strict';

const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '../../..');
const { chromium } = require(path.join(root, 'frontends/web/node_modules/playwright-core'));

const FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Headless chromium: the one the build found, or Debian's.
function launch(executablePath = '/usr/bin/chromium') {
  return chromium.launch({ executablePath, headless: true, args: FLAGS });
}

function screenText(page) {
  return page.evaluate(() => {
    const rows = document.querySelector('.xterm-rows');
    return rows ? rows.innerText : '';
  });
}

// In the page: counts the game's reads from now on (window.reads.count, and
// in window.reads.last the kind of the latest, 'readKey' or 'readLine'), so
// that a test can wait until the game has answered and asks again. Once a
// page; a page loaded anew starts again from nothing.
function countReads() {
  if (window.reads) return true;
  const game = Module.tidewrack;
  window.reads = { count: 0, last: '' };
  for (const name of ['readKey', 'readLine']) {
    const original = game[name];
    game[name] = (...args) => {
      window.reads.count += 1;
      window.reads.last = name;
      return original(...args);
    };
  }
  return true;
}

// Resolves to the screen once it shows text; fails with the screen after 20 s.
async function waitForText(page, text, what) {
  const until = Date.now() + 20000;
  for (;;) {
    const shown = await screenText(page);
    if (shown.includes(text)) return shown;
    if (Date.now() > until) throw new Error(`${what}: "${text}" never showed:\n${shown}`);
    await page.waitForTimeout(100);
  }
}

async function command(page, line) {
  await page.keyboard.type(line);
  await page.keyboard.press('Enter');
}

// The path given as --NAME PATH on the test's command line.
function pathOption(name) {
  const at = process.argv.indexOf(`--${name}`);
  if (at < 0 || at + 1 >= process.argv.length) throw new Error(`--${name} is missing`);
  return path.resolve(process.argv[at + 1]);
}

// The options of an update test (--site SITE --work WORK --cmake CMAKE
// --offline-script offline_site.cmake --template sw.js.in --brotli BROTLI
// --gzip GZIP), each one required.
function updateOptions(script) {
  const options = {};
  for (let at = 2; at < process.argv.length; at += 2) {
    options[process.argv[at].replace(/^--/, '')] = process.argv[at + 1];
  }
  for (const name of ['site', 'work', 'cmake', 'offline-script', 'template', 'brotli', 'gzip']) {
    assert.ok(options[name], `${script} needs --${name}`);
  }
  return options;
}

// The names the service worker of a site keeps, read from it.
function workerFiles(folder) {
  const text = fs.readFileSync(path.join(folder, 'sw.js'), 'utf8');
  const list = /const FILES = \[([^\]]*)\]/.exec(text);
  assert.ok(list, 'sw.js names no files');
  return list[1].split(',').map(name => name.trim().replace(/^'|'$/g, ''));
}

// The build's own step, run on the folder of a changed copy of the site
// `first`: the service worker, the version and the compressed copies written
// again, as a rebuild writes them.
function rewriteWorker(options, first, folder) {
  const manifest = JSON.parse(fs.readFileSync(path.join(first, 'manifest.webmanifest'), 'utf8'));
  const result = childProcess.spawnSync(options.cmake, [
    `-DSITE_DIR=${folder}`, `-DTEMPLATE=${options.template}`, `-DVERSION=${manifest.version}`,
    `-DFILES=${workerFiles(first).join('|')}`, `-DBROTLI=${options.brotli}`, `-DGZIP=${options.gzip}`,
    '-P', options['offline-script']], { encoding: 'utf8' });
  assert.strictEqual(result.status, 0, `the service worker's step failed:\n${result.stderr}`);
}

module.exports = { FLAGS, countReads, launch, screenText, waitForText, command, pathOption, updateOptions,
  workerFiles, rewriteWorker };
