// A whole winning game on the site in a real browser: Debian's chromium,
// headless, driven through playwright-core, the site served on 127.0.0.1.
// Every command is typed key by key, and every check reads the screen from
// the terminal emulator's own buffer. Checked on the way: the title and the
// typed-ahead keys dropped before "What now?", the room display on a cleared
// screen, line editing and the history of commands (never of answers), a
// refused command, SAVE, a reload, LOAD, the downloaded save against the
// native program's for the same game, the gnome fight (lost fights are
// taken back with LOAD), the end of the game on the page and another game
// started from it, a save made by the native program uploaded and loaded,
// and loaded again after the browser was closed and started again; also
// Tab to the page's buttons, an upload far too large, a refused save, and
// the page opened as a file. Screenshots of the title and of a room are kept
// in the artifacts folder.
//
//   node browser_test.js --site DIR --native PROGRAM --chromium PATH --artifacts DIR
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve } = require('./serve.js');

const root = path.resolve(__dirname, '../../..');
const { chromium } = require(path.join(root, 'frontends/web/node_modules/playwright-core'));
const { countReads, pathOption: option } = require('./page_support.js');

const siteDir = option('site');
const nativeProgram = option('native');
const chromiumPath = option('chromium');
const artifacts = option('artifacts');

// The winning route, as tests/scripts/win_plain.play types it.
const route = fs.readFileSync(path.join(root, 'tests/scripts/win_plain.play'), 'utf8')
  .split('\n').filter(line => line.startsWith('<')).map(line => line.replace(/^< ?/, ''));
const fightAt = route.indexOf('kill gnome');
assert(fightAt > 0 && route[fightAt + 1] === 'axe' && route[fightAt + 2] === '',
       'the winning route fights the gnome with the axe');
const beforeFight = route.slice(1, fightAt);       // after the key at the title
const afterFight = route.slice(fightAt + 3, -2);   // up to the sailor's welcome
assert.deepStrictEqual(route.slice(-2), ['', 'n'], 'the route ends with a key and "n"');

// The native program in pipe mode, played on these lines in a folder of its
// own: what it printed, and the save it left.
function playNative(lines, name) {
  const folder = fs.mkdtempSync(path.join(artifacts, `native-${name}-`));
  const result = childProcess.spawnSync(nativeProgram, [], {
    cwd: folder, input: lines.map(line => `${line}\n`).join(''), timeout: 30000,
  });
  assert.strictEqual(result.status, 0, `the native program failed: ${result.stderr}`);
  const save = path.join(folder, 'Kestle_save.txt');
  return { output: result.stdout.toString(), save: fs.existsSync(save) ? fs.readFileSync(save) : null };
}

let page;
const typed = [];  // the lines the game has taken, as the native program gets them

// ---- The screen and the game's waits.

function screen() {
  return page.evaluate(() => {
    const buffer = Module.tidewrack.terminal.buffer.active;
    const lines = [];
    for (let row = 0; row < Module.tidewrack.terminal.rows; row += 1) {
      lines.push(buffer.getLine(buffer.viewportY + row).translateToString(true));
    }
    return lines;
  });
}

// The cursor's line once everything typed so far is on the terminal.
async function cursorLineWritten() {
  await page.evaluate(() => new Promise(done => Module.tidewrack.terminal.write('', done)));
  return cursorLine();
}

async function cursorLine() {
  return page.evaluate(() => {
    const buffer = Module.tidewrack.terminal.buffer.active;
    return buffer.getLine(buffer.baseY + buffer.cursorY).translateToString(true).trimEnd();
  });
}

// Counts the game's reads from now on, so that the test can wait until the
// game has answered a key or a line and asks for the next.
async function watchReads() { await page.evaluate(countReads); }

async function readsSoFar() { return page.evaluate(() => window.reads.count); }

// Waits until the game asks for more after `before` reads, and everything
// it wrote is on the terminal; answers 'readKey' or 'readLine'.
async function nextWait(before) {
  await page.waitForFunction(count => window.reads.count > count, before, { timeout: 20000 });
  return page.evaluate(async () => {
    await new Promise(done => Module.tidewrack.terminal.write('', done));
    return window.reads.last;
  });
}

async function waitForText(text) {
  await page.waitForFunction(wanted => {
    const terminal = Module.tidewrack && Module.tidewrack.terminal;
    if (!terminal) return false;
    const buffer = terminal.buffer.active;
    for (let row = 0; row < buffer.length; row += 1) {
      if (buffer.getLine(row).translateToString(true).includes(wanted)) return true;
    }
    return false;
  }, text, { timeout: 20000 });
}

// Types keys (playwright's names, or text), then Enter, and waits for the
// game's next read; the screen after it.
async function enter(text, { keys = [], line = text } = {}) {
  const before = await readsSoFar();
  if (text !== '') await page.keyboard.type(text);
  for (const key of keys) {
    if (key.length === 1) await page.keyboard.type(key);
    else await page.keyboard.press(key);
  }
  await page.keyboard.press('Enter');
  typed.push(line);
  const wait = await nextWait(before);
  return { wait, lines: await screen() };
}

async function pressKey(key) {
  const before = await readsSoFar();
  await page.keyboard.press(key);
  const wait = await nextWait(before);
  return { wait, lines: await screen() };
}

// The page's Download button: the file it offers, kept in the artifacts.
async function downloadSave(name) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  assert.strictEqual(download.suggestedFilename(), 'Kestle_save.txt');
  const file = path.join(artifacts, name);
  await download.saveAs(file);
  return fs.readFileSync(file);
}

function has(lines, text) { return lines.some(line => line.includes(text)); }

async function openPage(url) {
  await page.goto(url);
  await waitForText('by Tobias Wrenfield');
  await watchReads();
}

// ---- The game.

async function main() {
  fs.mkdirSync(artifacts, { recursive: true });
  const site = await serve(siteDir);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tidewrack-chromium-'));
  const launch = () => chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1000, height: 720 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  let browser = await launch();
  const outside = [];
  const pageErrors = [];
  try {
    const watchPage = async () => {
      page = browser.pages()[0] || await browser.newPage();
      page.on('pageerror', error => pageErrors.push(error.message));
      // The page loads nothing from other hosts.
      page.on('request', request => {
        if (!request.url().startsWith(site.url) && !request.url().startsWith('data:') &&
            !request.url().startsWith('blob:')) {
          outside.push(request.url());
        }
      });
    };
    await watchPage();

    // The title, in a terminal that a screen reader can follow.
    await openPage(site.url);
    let lines = await screen();
    assert.match(lines[0], /^\s+Tidewrack$/, 'the title heads a cleared screen');
    // The terminal was new: no blank screen went up above the title.
    assert.match(await page.evaluate(() => Module.tidewrack.terminal.buffer.active.getLine(0).translateToString(true)),
                 /^\s+Tidewrack$/, 'the scrollback starts with the title');
    // The terminal's own reader region would read the echo of every key: it
    // is off, and the page's live region speaks for the game instead.
    assert.strictEqual(await page.evaluate(() => Module.tidewrack.terminal.options.screenReaderMode),
                       false, 'the terminal does not read out every key');
    assert.strictEqual(await page.locator('.xterm-accessibility-tree').count(), 0,
                       'no second region reads the echo');
    assert.strictEqual(await page.getAttribute('#heard', 'aria-live'), 'polite',
                       'the page has a live region of its own');
    // The characters were measured ahead of the first screen, through the
    // terminal's own cache of widths: if a new version of the terminal moved
    // it, the page would still play, only slower to draw on a phone. Each
    // width given is the one the terminal measures on the page itself.
    assert.strictEqual(await page.evaluate(() => Module.tidewrack.measuredAhead()), true,
                       "the terminal's characters are measured before its first screen");
    const widths = await page.evaluate(() => {
      const cache = Module.tidewrack.terminal._core._renderService._renderer.value._widthCache;
      return [...'Wiq .,_|~#'].map(c => [c, cache._flat[c.charCodeAt(0)], cache._measure(c, 0)]);
    });
    for (const [character, given, measured] of widths) {
      assert.strictEqual(given, measured, `the width given to "${character}" is the terminal's own`);
    }
    // A faint hint beside the cursor says that a key is wanted.
    await waitForText('[press a key]');
    assert.match(await cursorLine(), /going to need it\.  \[press a key\]$/,
                 'the key hint stands beside the cursor');
    await page.screenshot({ path: path.join(artifacts, 'title.png') });

    // A key at the title; the keys that came with it are typed ahead of the
    // room and dropped before "What now?".
    let before = await readsSoFar();
    await page.evaluate(() => Module.tidewrack.terminal.input('\rlook\r'));
    assert.strictEqual(await nextWait(before), 'readLine');
    lines = await screen();
    assert.match(lines[0], /^_{80}$/, 'the room display starts on a cleared screen');
    assert(!has(lines, 'Tidewrack'), 'the title is gone');
    assert(has(lines, 'You are on a tropical shore.'), 'the shore is shown');
    assert(has(lines, 'Obvious exits are: North  South  East  West'));
    assert(!has(lines, 'look'), 'the typed-ahead keys were dropped, not taken as a command');
    assert(!lines.some(line => line.includes('[press a key]')), 'the key hint went with the key');
    assert.strictEqual(await cursorLine(), 'What now?', 'the game waits for a command');
    await page.screenshot({ path: path.join(artifacts, 'room.png') });
    typed.push('');

    // To the gnome, with the line editor at work on the way.
    let lastCommand = null;  // the last command typed at "What now?"
    let asking = false;      // the game asked a question: this line answers it
    let answered = false;    // and the question has just been answered
    for (const command of beforeFight) {
      if (asking) {
        await enter(command);
        asking = await cursorLine() !== 'What now?';
        answered = true;
        continue;
      }
      if (answered) {
        // Up gives the command that asked the question, never the answer.
        await page.keyboard.press('ArrowUp');
        assert.strictEqual(await cursorLineWritten(), `What now?  ${lastCommand}`,
                           'the history holds commands, not answers');
        await page.keyboard.press('Control+U');
        answered = false;
      }
      if (command === lastCommand) {
        await enter('', { keys: ['ArrowUp'], line: command });  // the same again
      } else if (command === 'get matches') {
        // Home and End: "matches", then "get " put before it.
        await enter('matches', { keys: ['Home', ...'get ', 'End'], line: command });
      } else if (command === 'get driftwood') {
        // Left to put a missing letter in, Right back to the end.
        await enter('get driftwod', { keys: ['ArrowLeft', 'o', 'ArrowRight'], line: command });
      } else if (command === 'get paper') {
        // Backspace, and Ctrl-U rubbing out the whole line.
        await enter('get papper', { keys: ['Backspace', 'Backspace', 'r', 'Control+U', ...command],
                                    line: command });
      } else {
        await enter(command);
      }
      lastCommand = command;
      asking = await cursorLine() !== 'What now?';
    }
    lines = await screen();
    assert(has(lines, 'You see: A gnome.'), 'the gnome is in his room');
    assert(has(lines, "The gnome won't let you!"), 'the gnome bars the way west');

    // SAVE, and the save offered for download: byte for byte the native
    // program's save for the same game.
    lines = (await enter('save')).lines;
    assert(has(lines, 'Game saved.'), 'the game was saved');
    const native = playNative(typed, 'before-fight');
    assert(native.save, 'the native program saved');
    assert((await downloadSave('downloaded_save.txt')).equals(native.save),
           'the downloaded save is the native program\'s save for the same game');
    await page.locator('.xterm-helper-textarea').focus();

    // A refused command, after the save (LOAD takes its turn back), typed to
    // the terminal's right edge: the answer follows after one blank line, as
    // for any command.
    const refused = `foo ${'b'.repeat(80 - 'What now?  foo '.length)}`;
    lines = (await enter(refused)).lines;
    const echoed = lines.lastIndexOf(`What now?  ${refused}`);
    assert(echoed >= 0, 'a line as wide as the terminal is shown whole');
    assert.deepStrictEqual(lines.slice(echoed + 1, echoed + 3), ['', "You don't know those words"],
                           'an unknown command is refused');

    // A command typed twice running is kept once: Up past it gives the one
    // before. Up and Down again give back the line being typed.
    await enter('look');
    await enter('inventory');
    await enter('inventory');
    await page.keyboard.type('exa');
    await page.keyboard.press('ArrowUp');
    assert.strictEqual(await cursorLineWritten(), 'What now?  inventory');
    await page.keyboard.press('ArrowUp');
    assert.strictEqual(await cursorLineWritten(), 'What now?  look',
                       'a command typed twice running is kept once');
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    assert.strictEqual(await cursorLineWritten(), 'What now?  exa', 'Down back to the line being typed');
    await page.keyboard.press('Control+U');
    // A line holds 79 characters, the 80th and after are refused.
    await page.keyboard.type('k'.repeat(85));
    assert.strictEqual(await cursorLineWritten(), 'k'.repeat(79 - 69), 'a line holds 79 characters');
    await page.keyboard.press('Control+U');

    // The line editor's other keys. Up as far as it goes: the oldest command
    // of the game, and no further.
    for (let press = 0; press < beforeFight.length + 5; press += 1) {
      await page.keyboard.press('ArrowUp');
    }
    assert.strictEqual(await cursorLineWritten(), `What now?  ${beforeFight[0]}`,
                       'Up goes back to the oldest command');
    await page.keyboard.press('Control+U');
    // Backspace at the end of a line takes its last letter.
    await page.keyboard.type('lookk');
    await page.keyboard.press('Backspace');
    assert.strictEqual(await cursorLineWritten(), 'What now?  look', 'Backspace at the end');
    // Ctrl-W after a space takes that space and the word before it.
    await page.keyboard.type(' at gold ');
    await page.keyboard.press('Control+W');
    assert.strictEqual(await cursorLineWritten(), 'What now?  look at',
                       'Ctrl-W after a space takes the word before it');
    assert.strictEqual(await page.evaluate(() => Module.tidewrack.terminal.buffer.active.cursorX),
                       'What now?  look at '.length, 'and keeps the space before that word');
    await page.keyboard.press('Control+U');
    // Enter on an empty line: one "What?" and the game asks again.
    ({ lines } = await enter(''));
    const rows = lines.map(line => line.trimEnd());
    const empty = rows.lastIndexOf('What now?');
    assert.deepStrictEqual(rows.slice(empty - 4, empty), ['What now?', '', 'What?', ''],
                           'an empty line is answered "What?", once');
    assert.strictEqual(await cursorLine(), 'What now?', 'the game goes on after an empty line');

    // A browser that will not keep the new save (its storage refuses it):
    // the game says so, the page says why and offers the new save for the
    // rest of the visit, and the browser's storage keeps the old one.
    await page.evaluate(() => {
      window.keptPut = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = () => {
        throw new DOMException('The storage is full.', 'QuotaExceededError');
      };
    });
    lines = (await enter('save')).lines;
    const answer = lines.slice(lines.lastIndexOf('What now?  save') + 1).filter(line => line !== '');
    assert.strictEqual(answer[0], 'The game could not be saved.', 'a refused save is reported');
    await page.evaluate(() => { IDBObjectStore.prototype.put = window.keptPut; });
    assert.strictEqual(await page.textContent('#status'), "The browser's storage for this page is " +
                       'full, so the save lasts only until you leave the page: "Download the saved ' +
                       'game" keeps it.');
    assert((await downloadSave('after_refused_save.txt')).equals(playNative(typed, 'refused').save),
           'the page offers the save that the browser did not keep');

    // A reload, and LOAD from the browser's storage.
    await openPage(site.url);
    assert((await downloadSave('after_reload.txt')).equals(native.save),
           'the storage kept the old save, and the refused one lasted only the visit');
    await page.locator('.xterm-helper-textarea').focus();
    let lastSecond = 0;
    const fight = async () => {
      await pressKey('x');
      lines = (await enter('load')).lines;
      assert(has(lines, 'Game loaded.'), 'the saved game was loaded after the reload');
      assert(has(lines, 'You see: A gnome.'), 'the loaded game is at the gnome');
      await enter('kill gnome');
      // The dice are seeded by the clock in whole seconds: each fight in a
      // second of its own. Neighbouring seconds often draw alike, and the
      // gnome can win every fight for some 25 seconds on end.
      await page.waitForFunction(last => Math.floor(Date.now() / 1000) > last, lastSecond,
                                 { timeout: 5000 });
      lastSecond = await page.evaluate(() => Math.floor(Date.now() / 1000));
      let { wait } = await enter('axe');
      for (let exchange = 0; exchange < 200 && wait === 'readKey'; exchange += 1) {
        lines = await screen();
        assert(lines.filter(line => line.includes('[press a key]')).length <= 1,
               `the key hint is erased when its key comes:\n${lines.join('\n')}`);
        if (has(lines, 'Would you like to play again?')) return false;
        ({ wait, lines } = await pressKey(' '));
      }
      return has(lines, 'What now?') && !has(lines, 'A gnome.');
    };
    let fights = 1;
    for (; !(await fight()); fights += 1) {
      // Lost: "y" plays again, from the title, and LOAD takes back the fight.
      assert(fights < 60, 'the gnome won sixty fights in a row');
      assert(has(await screen(), 'He snickers as you crumple to the floor and die.'));
      await pressKey('y');
    }
    console.log(`gnome fights: ${fights}`);

    // On to the ship, and home.
    for (const command of afterFight) await enter(command);
    lines = await screen();
    assert(has(lines, 'CONGRATULATIONS, YOU HAVE SOLVED THE ADVENTURE!'), 'the game is won');
    lines = (await pressKey(' ')).lines;
    assert(has(lines, 'Would you like to play again?'));
    await page.keyboard.press('n');
    await page.waitForFunction(() => document.getElementById('status').textContent !== '');
    // The page says so at once; the terminal shows its farewell once it has
    // taken it in.
    await page.evaluate(() => new Promise(done => Module.tidewrack.terminal.write('', done)));
    lines = await screen();
    assert(!has(lines, '[press a key]'), 'the key hint went with the answer to play again');
    assert(has(lines, 'Thank you for playing.'), 'the terminal says that the game is over');
    const said = await page.textContent('#status');
    assert.match(said, /game is over.*start another/i, 'the page says how to start another');
    assert(await page.isVisible('#again'), 'the page offers another game');
    // Without a mouse: Tab leaves the terminal for the buttons, Shift-Tab
    // comes back.
    // The button that starts another game has the focus; Shift-Tab goes back
    // through the save buttons to the terminal, and Tab comes back again.
    const focused = () => page.evaluate(() => document.activeElement.id);
    assert.strictEqual(await focused(), 'again', 'the button for another game has the focus');
    await page.keyboard.press('Shift+Tab');
    assert.strictEqual(await focused(), 'upload');
    await page.keyboard.press('Shift+Tab');
    assert.strictEqual(await focused(), 'download');
    await page.keyboard.press('Shift+Tab');
    assert(await page.evaluate(() => document.activeElement.classList.contains('xterm-helper-textarea')),
           `Shift-Tab goes back to the terminal, not to ${await page.evaluate(() => document.activeElement.outerHTML.slice(0, 120))}`);
    for (const id of ['download', 'upload', 'again']) {
      await page.keyboard.press('Tab');
      assert.strictEqual(await focused(), id, 'Tab leaves the terminal for the buttons');
    }

    // Enter starts another game: the page is loaded again.
    await Promise.all([page.waitForEvent('load'), page.keyboard.press('Enter')]);
    await waitForText('by Tobias Wrenfield');
    await watchReads();

    // A save made by the native program, uploaded at the title, and loaded.
    const desktop = playNative(['', 'east', 'north', 'get matches', 'save'], 'upload');
    const upload = path.join(artifacts, 'desktop_save.txt');
    fs.writeFileSync(upload, desktop.save);
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('#upload')]);
    await chooser.setFiles(upload);
    await page.waitForFunction(() => /LOAD/.test(document.getElementById('status').textContent));
    await page.locator('.xterm-helper-textarea').focus();
    await pressKey('x');
    lines = (await enter('load')).lines;
    assert(has(lines, 'Game loaded.'), 'the uploaded save was loaded');
    assert(has(lines, 'You see: Wreckage.'), 'the uploaded game is at the wreck');
    lines = (await enter('inventory')).lines;
    assert(has(lines, 'A book of waterproof matches'), 'the uploaded game carries the matches');

    // The browser closed and started again on the same profile: the
    // uploaded save is still there.
    await browser.close();
    browser = await launch();
    await watchPage();
    await openPage(site.url);
    await pressKey('x');
    lines = (await enter('load')).lines;
    assert(has(lines, 'Game loaded.'), 'the save outlived the browser');
    assert(has(lines, 'You see: Wreckage.'), 'the uploaded save was loaded');

    // A file far too large to be a saved game is not taken.
    const huge = path.join(artifacts, 'huge_save.txt');
    fs.writeFileSync(huge, Buffer.alloc(100000, 0x31));
    const [hugeChooser] = await Promise.all([page.waitForEvent('filechooser'),
                                             page.click('#upload')]);
    await hugeChooser.setFiles(huge);
    await page.waitForFunction(() => /too large/.test(document.getElementById('status').textContent));

    assert.deepStrictEqual(outside, [], 'the page asked another host for something');
    assert.deepStrictEqual(pageErrors, [], 'the page had errors');
    // Opened as a file, the page cannot fetch the game, and says so.
    await page.goto(`file://${path.join(siteDir, 'index.html')}`);
    await page.waitForFunction(() => /web server/.test(document.getElementById('status').textContent));

    console.log('browser: a whole game won, saved, reloaded, loaded, downloaded and uploaded');
  } catch (error) {
    await showFailure(error);
    throw error;
  } finally {
    await browser.close();
    await site.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// On a failure: what the terminal showed, and a screenshot beside the others.
let failureShown = false;
async function showFailure(error) {
  console.error(error);
  failureShown = true;
  if (!page) return;
  try {
    console.error(`the screen:\n${(await screen()).join('\n')}`);
    console.error(`the lines typed:\n${typed.join('\n')}`);
    await page.screenshot({ path: path.join(artifacts, 'failure.png') });
  } catch (ignored) {
    // the page has gone
  }
}

main().then(() => process.exit(0), error => {
  if (!failureShown) console.error(error);
  process.exit(1);
});
