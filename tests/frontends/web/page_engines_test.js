// The page in one browser engine (chromium, Firefox ESR or WebKitGTK), with
// scrollbars shown as a desktop shows them, in one session that checks:
// - at window widths of 1280, 1024, 768, 600, 412, 390, 360 and 320 pixels,
//   and at 1280 zoomed to 200% and 400% and with a browser text size of
//   20 px: the terminal's text is the page's text size as drawn, as many
//   columns as fit (80 at most) with none under the terminal's scrollbar,
//   no sideways scroll, no row wrapped by the terminal itself, the
//   scrollbars in the page's colours, and "[press a key]" shown in full and
//   in view; the paragraphs flowed greedily (once the game marks them);
// - a game: the title, commands typed key by key, each answer in view and
//   the terminal's size kept from one command to the next, SAVE, the
//   download (the same bytes as the native program's save), a reload and
//   LOAD, an uploaded save of the native program's, and a reload with the
//   network gone, played from the service worker's copy;
// - tidewrack.html opened from the disk: it plays and refers to nothing
//   outside itself;
// - chromium only: a touch screen with classic scrollbars at 390x844 played
//   by the bar of words, the terminal's size unchanged throughout, and the
//   hint at every width from 600 to 680 pixels;
// - and no console error or warning, nor error event, anywhere.
// It prints the font and the columns at each size, and keeps screenshots at
// 360 and 600 pixels in the artifacts folder.
//
//   node page_engines_test.js --engine chromium|firefox|webkit --site DIR --single FILE
//        --native PROGRAM --artifacts DIR [--browser PATH]
//        [--driver WebKitWebDriver --minibrowser PATH --xvfb PATH]
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const engines = require('./engines.js');
const { countReads } = require('./page_support.js');
const { readPng } = require('./png.js');

function option(name, required = true) {
  const at = process.argv.indexOf(`--${name}`);
  if (at < 0 || at + 1 >= process.argv.length) {
    if (required) throw new Error(`--${name} is missing`);
    return null;
  }
  return process.argv[at + 1];
}
const engine = option('engine');
const siteDir = path.resolve(option('site'));
const singleFile = path.resolve(option('single'));
const nativeProgram = path.resolve(option('native'));
const artifacts = path.resolve(option('artifacts'));

// Each window's size, as a player would have it.
const SIZES = [[1280, 800], [1024, 768], [768, 1024], [600, 800], [412, 915], [390, 844], [360, 740], [320, 640]];
const SETTINGS = [{ zoom: 2 }, { zoom: 4 }, { textSize: 20 }];
const HINT = '[press a key]';

const report = [];
const problems = [];

// ---- In the page.

// What the player sees of the terminal, measured on the page as drawn.
function inspect() {
  const terminal = Module.tidewrack.terminal;
  const buffer = terminal.buffer.active;
  const box = document.getElementById('terminal');
  const boxRect = box.getBoundingClientRect();
  const boxStyle = getComputedStyle(box);
  const screen = box.querySelector('.xterm-screen').getBoundingClientRect();
  const viewport = box.querySelector('.xterm-viewport');
  // The rows on the screen (the scrollback holds earlier screens, which
  // the terminal wraps anew when it narrows).
  const rows = [];
  let wrapped = 0;
  for (let row = 0; row < terminal.rows; row += 1) {
    const line = buffer.getLine(buffer.viewportY + row);
    rows.push(line.translateToString(true));
    if (line.isWrapped) wrapped += 1;
  }
  const hint = [...box.querySelectorAll('.xterm-rows span')].find(span => span.textContent.includes('[press a key]'));
  const hintRect = hint ? hint.getBoundingClientRect() : null;
  const view = window.visualViewport || { offsetTop: 0, height: window.innerHeight };
  return {
    width: window.innerWidth,
    ratio: window.devicePixelRatio,
    rootFont: parseFloat(getComputedStyle(document.documentElement).fontSize),
    font: terminal.options.fontSize,
    shownFont: parseFloat(getComputedStyle(box.querySelector('.xterm-rows')).fontSize),
    columns: terminal.cols,
    cell: screen.width / terminal.cols,
    textLeft: screen.left,
    textRight: screen.right,
    // Where the terminal's scrollbar begins, and how wide it is.
    barLeft: viewport.getBoundingClientRect().left + viewport.clientLeft + viewport.clientWidth,
    scrollbar: viewport.offsetWidth - viewport.clientWidth,
    contentRight: boxRect.right - parseFloat(boxStyle.paddingRight),
    boxTop: boxRect.top + parseFloat(boxStyle.paddingTop),
    boxBottom: boxRect.bottom - parseFloat(boxStyle.paddingBottom),
    pageBar: [document.documentElement.clientWidth, window.innerWidth],
    // How far the page goes when asked to scroll sideways.
    sideways: (() => {
      const top = window.scrollY;
      window.scrollTo(100, top);
      const moved = window.scrollX;
      window.scrollTo(0, top);
      return moved;
    })(),
    rows,
    wrapped,
    atBottom: buffer.viewportY === buffer.baseY,
    cursor: { x: buffer.cursorX, y: buffer.cursorY },
    hint: hintRect && { left: hintRect.left, right: hintRect.right, top: hintRect.top, bottom: hintRect.bottom },
    shown: { top: view.offsetTop, bottom: view.offsetTop + view.height },
  };
}

// The game's reads counted from now on, and the terminal's changes of size.
function watch() {
  if (window.reads) return true;
  window.resizes = 0;
  Module.tidewrack.terminal.onResize(() => { window.resizes += 1; });
  return countReads();
}

// The game waits for the player after `count` reads, with all it wrote on
// the terminal (and the hint, at a key).
async function waiting(count) {
  if (!window.reads || window.reads.count <= count) return false;
  await new Promise(done => Module.tidewrack.terminal.write('', done));
  return window.reads.last;
}

function bufferHas(text) {
  const terminal = window.Module && Module.tidewrack && Module.tidewrack.terminal;
  if (!terminal) return false;
  const buffer = terminal.buffer.active;
  for (let row = 0; row < buffer.length; row += 1) {
    if (buffer.getLine(row).translateToString(true).includes(text)) return true;
  }
  return false;
}

// The cursor's row as drawn lies inside what the window shows.
function cursorInView() {
  const terminal = Module.tidewrack.terminal;
  const buffer = terminal.buffer.active;
  const row = document.querySelectorAll('#terminal .xterm-rows > div')[buffer.cursorY];
  if (!row || buffer.viewportY !== buffer.baseY) return null;
  const rect = row.getBoundingClientRect();
  const view = window.visualViewport || { offsetTop: 0, height: window.innerHeight };
  return rect.top >= view.offsetTop - 0.5 && rect.bottom <= view.offsetTop + view.height + 0.5;
}

// The saved game the page offers, taken from its link instead of going to
// the browser's downloads (whose prompts differ from one browser to the next).
function catchDownloads() {
  const click = HTMLAnchorElement.prototype.click;
  window.offered = null;
  HTMLAnchorElement.prototype.click = function offer() {
    if (!this.download) return click.call(this);
    const offer = { name: this.download, text: null };
    window.offered = offer;
    fetch(this.href).then(response => response.text()).then(text => { offer.text = text; });
    return undefined;
  };
  return true;
}

function cursorLine() {
  const buffer = Module.tidewrack.terminal.buffer.active;
  return buffer.getLine(buffer.baseY + buffer.cursorY).translateToString(true).trimEnd();
}

// The hint, driven without the game: text written as the game would leave
// it, a wait for a key through the page's own readKey, the key, and what is
// then on the rows (the cursor's, the next) and where the cursor is; then a
// letter written, to see where the game's next character goes.
async function hintCase(text) {
  const game = Module.tidewrack;
  const terminal = game.terminal;
  const buffer = terminal.buffer.active;
  const written = more => new Promise(done => terminal.write(more, done));
  const row = at => (buffer.getLine(buffer.baseY + at)?.translateToString(true) ?? '').trimEnd();
  await written(text);
  const before = { x: buffer.cursorX, row: row(buffer.cursorY) };
  const key = game.readKey();
  for (let tries = 0; tries < 100 && !bufferHas('[press a key]'); tries += 1) await written('');
  const shown = { x: buffer.cursorX, row: row(buffer.cursorY), next: row(buffer.cursorY + 1) };
  terminal.input('q');
  const code = await key;
  await written('');
  const after = { x: buffer.cursorX, row: row(buffer.cursorY), next: row(buffer.cursorY + 1),
                  left: bufferHas('[press a key]') };
  await written('c');
  return { columns: terminal.cols, before, shown, code, after, then: [row(buffer.cursorY - 1), row(buffer.cursorY)] };
}

engines.inPage(inspect, countReads, watch, waiting, bufferHas, cursorInView, catchDownloads, cursorLine, hintCase);

// ---- The checks.

// Rows of a paragraph, each but the last as full as whole words allow: the
// next row's first word would not have fitted after it (two spaces after
// the end of a sentence, as the game writes them).
function notGreedy(rows, columns) {
  const found = [];
  for (let at = 0; at + 1 < rows.length; at += 1) {
    const row = rows[at].trimEnd();
    const next = rows[at + 1];
    if (row === '' || next.trim() === '' || next.startsWith(' ') || /^_+$/.test(row) || /^_+$/.test(next.trim())) continue;
    if (/^(You see:|Obvious exits|What now\?)/.test(next) || next.startsWith(HINT)) continue;
    const space = /[.?!]$/.test(row) ? 2 : 1;
    if (row.length + space + next.split(' ')[0].length <= columns) found.push(`"${row}" / "${next}"`);
  }
  return found;
}

function checkFit(fit, label, textSize) {
  assert.strictEqual(fit.rootFont, textSize, `${label}: the page's text is the browser's size`);
  assert.strictEqual(fit.font, fit.rootFont, `${label}: the terminal's text is the page's (${fit.font} px)`);
  assert.strictEqual(fit.shownFont, fit.rootFont, `${label}: and drawn at that size (${fit.shownFont} px)`);
  assert(fit.textRight <= fit.barLeft + 0.5,
         `${label}: the last column ends at ${fit.textRight}, under the scrollbar from ${fit.barLeft}`);
  assert(fit.textRight <= fit.contentRight + 0.5, `${label}: the rows end inside the terminal's box`);
  assert(fit.columns === 80 || (fit.columns + 1) * fit.cell > fit.barLeft - fit.textLeft - 1,
         `${label}: ${fit.columns} columns of ${fit.cell} px where ${fit.barLeft - fit.textLeft} px are free`);
  assert(fit.columns <= 80, `${label}: 80 columns at most`);
  assert.strictEqual(fit.sideways, 0, `${label}: no sideways scroll`);
  assert.strictEqual(fit.wrapped, 0, `${label}: the game wrapped its rows on the screen itself`);
  assert(fit.hint, `${label}: "${HINT}" is shown at the title:\n${fit.rows.join('\n')}`);
  assert(fit.hint.right <= fit.barLeft + 0.5 && fit.hint.bottom <= fit.boxBottom + 0.5,
         `${label}: the hint is whole inside the terminal`);
  const cursorRow = fit.rows[fit.cursor.y];
  const beside = cursorRow.trimEnd().endsWith(HINT);
  const below = (fit.rows[fit.cursor.y + 1] || '').startsWith(HINT);
  assert(beside !== below, `${label}: the hint beside the cursor or alone on the next row`);
  if (below) {
    assert(fit.cursor.x + 2 + HINT.length > fit.columns, `${label}: the hint went below though it fitted beside`);
  }
  // The cursor where the game left it, past the end of its text (past the
  // last column when the text fills the row).
  const text = beside ? cursorRow.trimEnd().slice(0, -HINT.length).trimEnd() : cursorRow.trimEnd();
  assert.strictEqual(fit.cursor.x, text.length, `${label}: the cursor after the game's text`);
  // Below 80 columns; at 80 the game's own lines are shown as it wrote them.
  if (fit.columns < 80) {
    assert.deepStrictEqual(notGreedy(fit.rows, fit.columns), [], `${label}: paragraphs flowed`);
  }
}

// The scrollbars as drawn, in a screenshot: the terminal's and the page's
// (where it has one) are no lighter than the page's own grey-blue, never
// the light grey of a browser's own scrollbar on the dark terminal.
function checkColours(file, fit, label) {
  const shot = readPng(fs.readFileSync(file));
  const scale = fit.ratio;  // the shot is in device pixels, from the window's top left
  const lightest = x => {
    let most = 0;
    for (let y = fit.boxTop + 2; y < fit.boxBottom - 2; y += 2) {
      most = Math.max(most, ...shot.pixel(Math.floor(x * scale), Math.floor(y * scale)));
    }
    return most;
  };
  if (fit.scrollbar > 0) {
    assert(lightest(fit.barLeft + fit.scrollbar / 2) <= 0x80, `${label}: the terminal's scrollbar in the page's colours`);
  }
  const [pageLeft, pageRight] = fit.pageBar;
  if (pageRight - pageLeft >= 2) {
    assert(lightest((pageLeft + pageRight) / 2) <= 0x80, `${label}: the page's scrollbar in the page's colours`);
  }
}

// ---- Driving.

let page;
let shown = 'the first page';  // what the page shows, for the problems found on it

// The console's errors and warnings and the error events of the page shown
// so far (the recorder's are lost with the page, so they are read before
// each navigation).
async function gather() {
  const recorded = await page.evaluate(() => window.pageProblems || []).catch(() => []);
  for (const problem of [...page.problems.splice(0), ...recorded]) problems.push(`${shown}: ${problem}`);
}

async function goto(url, where) {
  await gather();
  shown = where;
  await page.goto(url);
}

async function reads() { return page.evaluate(() => (window.reads ? window.reads.count : 0)); }

async function title(what) {
  await engines.waitFor(page, bufferHas, [HINT], `${what}: the title and its hint`);
  await page.evaluate(watch);
}

// Does what the player does, then waits for the game to ask again.
async function thenWait(action, what) {
  const before = await reads();
  await action();
  return engines.waitFor(page, waiting, [before], `${what}: the game answers`);
}

async function command(line) {
  const kind = await thenWait(() => page.keys(`${line}\n`), line);
  assert(await engines.waitFor(page, cursorInView, [], `${line}: the answer in view`, 5000),
         `${line}: the answer is in view`);
  return kind;
}

async function screenRows() { return (await page.evaluate(inspect)).rows; }

function has(rows, text) { return rows.some(row => row.includes(text)); }

// The fit at this size, once the terminal has taken it and the game has
// drawn its screen again.
async function fitAt(width, height, label, textSize) {
  const before = await page.evaluate(() => [Module.tidewrack.terminal.cols, Module.tidewrack.terminal.rows]);
  const count = await reads();
  await page.setSize(width, height);
  if (!await page.evaluate(() => Boolean(window.reads))) {
    await title(`${label}, a new page`);  // WebKit's first frame
  } else {
    // Two frames for the resize to be seen; then, if the size changed, the
    // screen drawn again.
    await page.evaluate(() => new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done))));
    const now = await page.evaluate(() => [Module.tidewrack.terminal.cols, Module.tidewrack.terminal.rows]);
    if (now[0] !== before[0] || now[1] !== before[1]) {
      await engines.waitFor(page, waiting, [count], `${label}: the title drawn again`);
    }
  }
  await engines.waitFor(page, () => {
    const fit = inspect();
    return fit.hint && fit.hint.bottom <= fit.shown.bottom + 0.5 && fit.hint.top >= fit.shown.top - 0.5;
  }, [], `${label}: the hint in view`, 5000);
  const fit = await page.evaluate(inspect);
  checkFit(fit, label, textSize);
  report.push({ label, font: fit.font, columns: fit.columns, scrollbar: fit.scrollbar, cssWidth: fit.width,
                ratio: fit.ratio });
  return fit;
}

// The native program in pipe mode on these lines: the save it left.
function nativeSave(lines, name) {
  const folder = fs.mkdtempSync(path.join(artifacts, `native-${name}-`));
  const result = childProcess.spawnSync(nativeProgram, [], {
    cwd: folder, input: lines.map(line => `${line}\n`).join(''), timeout: 30000,
  });
  assert.strictEqual(result.status, 0, `the native program failed: ${result.stderr}`);
  return fs.readFileSync(path.join(folder, 'Kestle_save.txt'));
}

async function sizes(browser, server) {
  page = await browser.open(...SIZES[0]);
  await goto(server.url, 'sizes');
  await title('the first visit');
  for (const [width, height] of SIZES) {
    const fit = await fitAt(width, height, `${width}x${height}`, 16);
    if (width === 360 || width === 600) {
      const file = path.join(artifacts, `${engine}-${width}.png`);
      await page.screenshot(file);
      checkColours(file, fit, `${width}x${height}`);
    }
    if (engine === 'chromium' && width === 600) {
      // The hint at every width where the title's last row nearly fills.
      for (let wider = 608; wider <= 680; wider += 8) await fitAt(wider, height, `${wider}x${height}`, 16);
    }
    assert(fit.columns > 0);
  }
  // The key: the hint goes, and nothing of it is left above the room.
  await thenWait(() => page.keys('\n'), 'a key at the title');
  assert(has(await screenRows(), 'What now?'), 'the room after the key');
  assert(!await page.evaluate(bufferHas, HINT), 'the hint went with the key');
}

// The page without the game, from the disk (no service worker): the hint
// beside the cursor, on the next row, after a full row, and on the last
// row of the screen, each erased whole by its key with the cursor where
// it was.
async function hints() {
  const folder = path.join(artifacts, `bare-${engine}`);
  fs.mkdirSync(folder, { recursive: true });
  for (const name of ['page.js', 'page.css', 'xterm.js', 'xterm.css']) {
    fs.copyFileSync(path.join(siteDir, name), path.join(folder, name));
  }
  fs.writeFileSync(path.join(folder, 'index.html'), fs.readFileSync(path.join(siteDir, 'index.html'), 'utf8')
    .replace(/<script defer src="tidewrack.js"><\/script>\n/, '')
    .replace(/<link rel="(icon|apple-touch-icon|manifest|preload)"[^>]*>\n/g, ''));
  await page.setSize(1024, 768);  // out of WebKit's frame
  await goto(`file://${path.join(folder, 'index.html')}`, 'the page without the game');
  await engines.waitFor(page, () => Boolean(window.Module && Module.tidewrack.terminal.element), [],
                        'the page without the game');
  const columns = await page.evaluate(() => Module.tidewrack.terminal.cols);
  const cases = [['beside', 'abc', true], ['beside, to the last column', `\r\n${'e'.repeat(columns - 15)}`, true],
                 ['below', `\r\n${'a'.repeat(columns - 14)}`, false],
                 ['after a full row', `\r\n${'b'.repeat(columns)}`, false],
                 ['on the last row', `${'\r\n'.repeat(80)}${'d'.repeat(columns)}`, false]];
  for (const [what, text, beside] of cases) {
    const seen = await page.evaluate(hintCase, text);
    const label = `the hint ${what} at ${columns} columns`;
    assert.strictEqual(seen.code, 'q'.charCodeAt(0), `${label}: the key is read`);
    if (beside) {
      assert.strictEqual(seen.shown.row, `${seen.before.row}  ${HINT}`, `${label}: two spaces after the text`);
    } else {
      assert.strictEqual(seen.shown.row, seen.before.row, `${label}: the row stays as the game left it`);
      assert.strictEqual(seen.shown.next, HINT, `${label}: on the next row`);
    }
    assert.strictEqual(seen.shown.x, seen.before.x, `${label}: the cursor stays where the game left it`);
    assert.deepStrictEqual([seen.after.x, seen.after.row, seen.after.next, seen.after.left],
                           [seen.before.x, seen.before.row, '', false], `${label}: erased whole by the key`);
    const full = seen.before.x === columns;
    assert.deepStrictEqual(full ? seen.then : seen.then[1], full ? [seen.before.row, 'c'] : `${seen.before.row}c`,
                           `${label}: the game's next letter goes where it would have gone`);
  }
}

async function play(browser, server) {
  page = await browser.open(1024, 768);
  await goto(server.url, 'the game');
  await title('the game');
  let kind = await thenWait(() => page.keys('\n'), 'a key at the title');
  assert.strictEqual(kind, 'readLine', 'the title goes on to the game');
  assert(has(await screenRows(), 'You are on a tropical shore.'), 'the shore is shown');
  const resizes = await page.evaluate(() => window.resizes);
  for (const line of ['east', 'north', 'get matches']) await command(line);
  assert(has(await screenRows(), 'You see: Wreckage.'), 'north of the reef: the wreck');
  await command('save');
  assert(has(await screenRows(), 'Game saved.'), 'the game is saved');
  assert.strictEqual(await page.evaluate(() => window.resizes), resizes,
                     'the terminal kept its size from one command to the next');

  // The download: the native program's save for the same game.
  await page.evaluate(catchDownloads);
  await page.click('#download');
  const offered = await engines.waitFor(page, () => window.offered && window.offered.text !== null && window.offered,
                                        [], 'the download is offered');
  assert.strictEqual(offered.name, 'Kestle_save.txt');
  assert.strictEqual(offered.text, nativeSave(['', 'east', 'north', 'get matches', 'save'], 'played').toString(),
                     'the download is the native program\'s save of the same game');

  // A reload, and LOAD.
  await goto(server.url, 'the reload');
  await title('the reload');
  await thenWait(() => page.keys('\n'), 'a key at the title');
  await command('load');
  let rows = await screenRows();
  assert(has(rows, 'Game loaded.') && has(rows, 'You see: Wreckage.'), 'the save loaded after the reload');
  await command('inventory');
  assert(has(await screenRows(), 'A book of waterproof matches'), 'with the matches');

  // An upload of the native program's save of another game: by the wreck,
  // without the matches.
  const upload = path.join(artifacts, `${engine}-upload.txt`);
  fs.writeFileSync(upload, nativeSave(['', 'east', 'north', 'save'], 'upload'));
  await page.setFiles('#upload-file', upload);
  await engines.waitFor(page, () => /type LOAD/.test(document.getElementById('status').textContent),
                        [], 'the upload is taken');
  await engines.waitFor(page, () => document.activeElement === Module.tidewrack.terminal.textarea, [],
                        'the terminal has the focus again');
  await command('load');
  await command('inventory');
  rows = await screenRows();
  assert(has(rows, 'A life preserver') && !has(rows.slice(rows.lastIndexOf('You are carrying:')), 'matches'),
         `the uploaded game was loaded:\n${rows.join('\n')}`);

  // The network gone: the service worker's copy plays.
  await engines.waitFor(page, () => Boolean(navigator.serviceWorker && navigator.serviceWorker.controller),
                        [], 'the service worker keeps the page');
  server.state.offline = true;
  try {
    await goto(server.url, 'offline');
    await title('the reload with the network gone');
    kind = await thenWait(() => page.keys('\n'), 'a key at the title offline');
    assert.strictEqual(kind, 'readLine');
    await command('inventory');
    assert(has(await screenRows(), 'A life preserver'), 'a command with the network gone');
  } finally {
    server.state.offline = false;
  }
}

// tidewrack.html from the disk, the recorder put in a copy of it.
async function oneFile() {
  const copy = path.join(artifacts, `one-file-${engine}`, 'tidewrack.html');
  fs.mkdirSync(path.dirname(copy), { recursive: true });
  fs.writeFileSync(copy, engines.withRecorder(fs.readFileSync(singleFile, 'utf8')));
  await goto(`file://${copy}`, 'the one-file page');
  await title('the one-file page');
  await thenWait(() => page.keys('\n'), 'a key at the one-file title');
  await command('inventory');
  assert(has(await screenRows(), 'A life preserver'), 'the one-file page plays');
  const outside = await page.evaluate(() => [...document.querySelectorAll('[href], [src]')]
    .map(element => element.getAttribute('href') || element.getAttribute('src'))
    .filter(address => !/^(data:|blob:|#)/.test(address)));
  assert.deepStrictEqual(outside, [], 'the one-file page refers to nothing outside itself');
}

async function withSettings(open, server) {
  for (const settings of SETTINGS) {
    const label = settings.zoom ? `1280x800 at ${settings.zoom * 100}%` : `1280x800, text ${settings.textSize} px`;
    const browser = await open(settings);
    try {
      page = await browser.open(1280, 800);
      await goto(server.url, label);
      await title(label);
      const fit = await fitAt(1280, 800, label, settings.textSize || 16);
      assert.strictEqual(fit.ratio, settings.zoom || 1, `${label}: the pixel ratio`);
      // The room's answer in view, however short the window.
      await thenWait(() => page.keys('\n'), `${label}: a key at the title`);
      await command('inventory');
      await gather();
    } finally {
      await browser.close();
    }
  }
}

// A touch screen with classic scrollbars: the bar of words comes and goes,
// the terminal's size stays.
async function touch(browser, server) {
  page = await browser.open(390, 844, { touch: true });
  await goto(server.url, 'touch');
  await title('touch');
  await fitAt(390, 844, '390x844 touch', 16);
  const tap = selector => page.raw.tap(selector);
  await thenWait(() => tap('#terminal'), 'a tap at the title');
  const resizes = await page.evaluate(() => window.resizes);
  for (const word of ['EAST', 'NORTH', 'SOUTH', 'WEST', 'NORTH', 'SOUTH']) {
    await thenWait(() => tap(`#words [data-word="${word}"]`), word);
    assert(await engines.waitFor(page, cursorInView, [], `${word}: the answer in view`, 5000));
  }
  assert.strictEqual(await page.evaluate(() => window.resizes), resizes, 'touch: the terminal kept its size');
}

async function main() {
  fs.mkdirSync(artifacts, { recursive: true });
  const server = await engines.serveForEngines(siteDir);
  let driver = null;
  let open;
  if (engine === 'chromium') {
    open = settings => engines.chromiumBrowser(option('browser', false) || '/usr/bin/chromium', settings);
  } else if (engine === 'firefox') {
    open = settings => engines.firefoxBrowser(option('browser', false) || '/usr/bin/firefox-esr', settings);
  } else if (engine === 'webkit') {
    driver = await engines.webkitDriver({ driver: option('driver'), minibrowser: option('minibrowser'),
                                          xvfb: option('xvfb'), work: path.join(artifacts, 'webkit') });
    open = settings => engines.webkitBrowser(driver, settings);
  } else {
    throw new Error(`no engine ${engine}`);
  }
  const started = Date.now();
  try {
    const browser = await open({});
    try {
      await sizes(browser, server);
      await gather();
      await hints();
      await gather();
      await play(browser, server);
      await oneFile();
      await gather();
      if (engine === 'chromium') {
        await touch(browser, server);
        await gather();
      }
    } catch (error) {
      if (page) {
        await page.screenshot(path.join(artifacts, `${engine}-failure.png`)).catch(() => {});
        console.error(`the screen:\n${(await screenRows().catch(() => [])).join('\n')}`);
      }
      throw error;
    } finally {
      await browser.close();
    }
    await withSettings(open, server);
  } finally {
    for (const row of report) {
      console.log(`${engine} ${row.label}: ${row.font} px text, ${row.columns} columns ` +
                  `(${row.cssWidth} CSS px across at ${row.ratio}x, terminal's scrollbar ${row.scrollbar} px)`);
    }
    if (driver) driver.stop();
    await server.close();
  }
  assert.deepStrictEqual(problems, [], 'no console error or warning, nor error event');
  console.log(`${engine}: ${report.length} sizes fitted, a game saved, loaded, downloaded, uploaded and ` +
              `played offline, the one-file page played, no console problem (${Math.round((Date.now() - started) / 1000)} s)`);
}

main().then(() => process.exit(0), error => {
  console.error(error);
  process.exit(1);
});
