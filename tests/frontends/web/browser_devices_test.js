// The page on a phone held upright and across, a tablet and a desktop, in
// Debian's chromium (headless, devices emulated through playwright-core):
// at every size no sideways scroll, the terminal's columns and font, the
// title's byline on one row and no row wrapped by the terminal itself (the
// game wrapped them at the terminal's width), and no accessibility fault
// that axe-core finds at the title, in a room and at the end of a game. On
// the upright phone a short game is played by taps, the bar of words and
// text inserted without key events (as dictation and soft keyboards send
// it): the title, a death and the play-again buttons, a move, GET,
// INVENTORY, SAVE, and "stop". The screen reader's live region says the
// game's answer to a command, without the echo of the keys or the rules.
// Screenshots of the phone's title and room and of the desktop's are kept.
//
//   node browser_devices_test.js --site DIR --chromium PATH --artifacts DIR
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { serve } = require('./serve.js');

const root = path.resolve(__dirname, '../../..');
const modules = path.join(root, 'frontends/web/node_modules');
const { countReads, launch, pathOption: option } = require('./page_support.js');
const axePath = path.join(modules, 'axe-core/axe.min.js');

const siteDir = option('site');
const chromiumPath = option('chromium');
const artifacts = option('artifacts');

const DEVICES = [
  { name: 'phone', viewport: { width: 390, height: 844 }, touch: true, scale: 3 },
  { name: 'phone-across', viewport: { width: 844, height: 390 }, touch: true, scale: 3 },
  { name: 'tablet', viewport: { width: 820, height: 1180 }, touch: true, scale: 2 },
  { name: 'desktop', viewport: { width: 1280, height: 800 }, touch: false, scale: 1 },
];

let page;

// ---- What the player sees.

function screen() {
  return page.evaluate(() => {
    const terminal = Module.tidewrack.terminal;
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let row = 0; row < terminal.rows; row += 1) {
      lines.push(buffer.getLine(buffer.viewportY + row).translateToString(true));
    }
    return lines;
  });
}

// Every row, the scrollback's too: a cleared screen goes up into it.
function allRows() {
  return page.evaluate(() => {
    const buffer = Module.tidewrack.terminal.buffer.active;
    const rows = [];
    for (let row = 0; row < buffer.length; row += 1) rows.push(buffer.getLine(row).translateToString(true));
    return rows;
  });
}

function has(lines, text) { return lines.some(line => line.includes(text)); }

async function watchReads() { await page.evaluate(countReads); }

// Does what the player does, then waits for the game to ask again; the kind
// of wait and the screen then.
async function thenWait(action) {
  const before = await page.evaluate(() => window.reads.count);
  await action();
  await page.waitForFunction(count => window.reads.count > count, before, { timeout: 20000 });
  const wait = await page.evaluate(async () => {
    await new Promise(done => Module.tidewrack.terminal.write('', done));
    return window.reads.last;
  });
  return { wait, lines: await screen() };
}

async function cursorLine() {
  return page.evaluate(async () => {
    await new Promise(done => Module.tidewrack.terminal.write('', done));
    const buffer = Module.tidewrack.terminal.buffer.active;
    return buffer.getLine(buffer.baseY + buffer.cursorY).translateToString(true).trimEnd();
  });
}

// The live region's words once they have settled after a wait.
async function heard() {
  await page.waitForTimeout(150);
  return page.textContent('#heard');
}

async function noAxeViolations(where) {
  if (!(await page.evaluate(() => typeof axe !== 'undefined'))) {
    await page.addScriptTag({ path: axePath });
  }
  const found = await page.evaluate(async () => {
    const result = await axe.run(document);
    return result.violations.map(v => `${v.id}: ${v.help} (${v.nodes.map(n => n.target).join(' ')})`);
  });
  assert.deepStrictEqual(found, [], `axe finds no violation ${where}`);
}

// At every size: the page is as wide as the window, the terminal's columns
// and font fit it, and the title's rows are as the game laid them out.
async function checkFit(device) {
  const fit = await page.evaluate(() => {
    const terminal = Module.tidewrack.terminal;
    const screenBox = document.querySelector('.xterm-screen').getBoundingClientRect();
    const buffer = terminal.buffer.active;
    let wrapped = 0;
    for (let row = 0; row < buffer.length; row += 1) if (buffer.getLine(row).isWrapped) wrapped += 1;
    return {
      columns: terminal.cols,
      font: terminal.options.fontSize,
      pageWidth: document.documentElement.scrollWidth,
      windowWidth: document.documentElement.clientWidth,
      bodyWidth: document.body.scrollWidth,
      screenRight: screenBox.right,
      wrapped,
    };
  });
  const { width } = device.viewport;
  assert(fit.pageWidth <= fit.windowWidth && fit.bodyWidth <= fit.windowWidth,
         `${device.name}: no sideways scroll (${fit.pageWidth}px in ${fit.windowWidth}px)`);
  assert(fit.screenRight <= width, `${device.name}: the terminal's rows end inside the window`);
  assert.strictEqual(fit.font, 16, `${device.name}: the browser's text size, 16 px, not ${fit.font}`);
  if (width >= 800) {
    assert.strictEqual(fit.columns, 80, `${device.name}: 80 columns where they fit`);
  } else {
    assert(fit.columns >= 30 && fit.columns < 80, `${device.name}: ${fit.columns} columns`);
  }
  assert.strictEqual(fit.wrapped, 0, `${device.name}: the game wrapped its rows itself`);
  // The title is taller than a phone's screen: its first rows are above.
  const lines = await allRows();
  const byline = lines.find(line => line.includes('Tobias'));
  assert.match(byline || '', /^\s*by Tobias Wrenfield$/, `${device.name}: the byline is one row`);
  const rule = lines.find(line => /^_+$/.test(line));
  assert.strictEqual(rule, '_'.repeat(Math.min(fit.columns, 80)),
                     `${device.name}: a rule is the terminal's width`);
  return fit;
}

async function openOn(browser, device) {
  const context = await browser.newContext({
    viewport: device.viewport,
    deviceScaleFactor: device.scale,
    isMobile: device.touch,
    hasTouch: device.touch,
  });
  page = await context.newPage();
  const errors = [];
  page.on('pageerror', error => errors.push(error.message));
  await page.goto(device.url);
  await page.waitForFunction(() => {
    const terminal = window.Module && Module.tidewrack && Module.tidewrack.terminal;
    if (!terminal) return false;
    const buffer = terminal.buffer.active;
    for (let row = 0; row < buffer.length; row += 1) {
      if (buffer.getLine(row).translateToString(true).includes('[press a key]')) return true;
    }
    return false;
  }, null, { timeout: 20000 });
  await watchReads();
  return { context, errors };
}

// A short game on the phone, by taps and inserted text.
async function playByTouch() {
  // The title's wait takes a tap, and its button says so to a reader.
  assert(await page.isVisible('#go-on'), 'a button answers the key wait');
  assert.match(await heard(), /Press a key\.$/, 'the key wait is announced');
  let { wait, lines } = await thenWait(() => page.tap('#terminal'));
  assert.strictEqual(wait, 'readLine', 'a tap at the title goes on to the game');
  assert(has(lines, 'You are on a tropical shore.'), 'the shore is shown');
  assert(!(await page.isVisible('#go-on')), 'the key button goes with the wait');
  assert(await page.isVisible('#words'), 'the bar of words is there at a command');
  await page.screenshot({ path: path.join(artifacts, 'phone-room.png') });
  await noAxeViolations('in a room on the phone');

  // The phone turned across and back: the room is drawn again at each
  // width, wrapped by the game, the prompt and the cursor where they were.
  const uprightColumns = await page.evaluate(() => Module.tidewrack.terminal.cols);
  const turned = async (size, columns, firstRow) => {
    await page.setViewportSize(size);
    await page.waitForFunction(wanted => Module.tidewrack.terminal.cols === wanted, columns);
    await page.waitForFunction(row => {
      const buffer = Module.tidewrack.terminal.buffer.active;
      for (let at = 0; at < buffer.length; at += 1) {
        if (buffer.getLine(at).translateToString(true) === row) return true;
      }
      return false;
    }, firstRow, { timeout: 5000 });
    const wrapped = await page.evaluate(() => {
      const buffer = Module.tidewrack.terminal.buffer.active;
      let count = 0;
      for (let at = buffer.baseY; at < buffer.length; at += 1) count += buffer.getLine(at).isWrapped;
      return count;
    });
    assert.strictEqual(wrapped, 0, `at ${columns} columns the game wrapped the rows itself`);
    assert.strictEqual(await cursorLine(), 'What now?', 'the prompt is drawn again');
    const rule = (await screen()).find(line => /^_+$/.test(line));
    assert.strictEqual(rule, '_'.repeat(columns), 'the rule follows the width');
  };
  await turned({ width: 844, height: 390 }, 80,
               'You are on a tropical shore. The sea stretches away to the east, and to the');
  await turned({ width: 390, height: 844 }, uprightColumns, 'You are on a tropical shore. The sea');

  // The soft keyboard types commands as they are.
  const attributes = await page.evaluate(() => {
    const area = Module.tidewrack.terminal.textarea;
    return ['autocapitalize', 'autocorrect', 'autocomplete', 'spellcheck'].map(n => area.getAttribute(n));
  });
  assert.deepStrictEqual(attributes, ['off', 'off', 'off', 'false']);

  // Text that comes without key events (dictation, a soft keyboard) is typed.
  await page.tap('#words [data-word="DROP"]');
  assert.strictEqual(await cursorLine(), 'What now?  DROP', 'a verb is typed into the line');
  await page.keyboard.insertText('preserver');
  await thenWait(() => page.keyboard.press('Enter'));
  // The room is shown again without the preserver; the command is above it,
  // in the scrollback.
  const rows = await allRows();
  const dropped = rows.lastIndexOf('What now?  DROP preserver');
  assert(dropped >= 0, 'the inserted word is part of the line');
  assert(!has(rows.slice(dropped), "You don't know those words"), 'the line was understood');
  // East into the sea without the preserver: a death, and the question.
  ({ wait, lines } = await thenWait(() => page.tap('#words [data-word="EAST"]')));
  assert.strictEqual(wait, 'readKey');
  assert(has(lines, 'Would you like to play again?'), 'the game asks to play again');
  assert(await page.isVisible('#play-again') && await page.isVisible('#stop'),
         'the question has two buttons');
  assert(!(await page.isVisible('#words')), 'no words while the game asks a question');
  assert.match(await heard(), /play again\?.*Press y to play again, or n to stop\.$/,
               'the question is announced once, with its keys');
  // A tap on the terminal answers a wait for any key, never this question.
  await page.tap('#terminal');
  assert(await page.isVisible('#play-again'), 'a tap on the terminal answered the question');
  ({ wait, lines } = await thenWait(() => page.tap('#play-again')));
  assert.strictEqual(wait, 'readKey', 'play again: the title');
  assert(has(lines, 'Good luck, castaway.'), 'the title again');
  await thenWait(() => page.tap('#terminal'));

  // A move at once from the bar, then GET typed by the bar and inserted text.
  ({ lines } = await thenWait(() => page.tap('#words [data-word="EAST"]')));
  assert(has(lines, 'What now?') && !has(lines, 'tropical shore'), 'EAST moved at once');
  ({ lines } = await thenWait(() => page.tap('#words [data-word="NORTH"]')));
  assert(has(lines, 'You see: Wreckage.'), 'NORTH came to the wreck');
  await page.tap('#words [data-word="GET"]');
  await page.keyboard.insertText('matches');
  await thenWait(() => page.keyboard.press('Enter'));
  assert(has(await allRows(), 'What now?  GET matches'), 'GET and the inserted word');
  await page.tap('#words [data-word="INVENTORY"]');
  ({ lines } = await thenWait(() => page.keyboard.press('Enter')));
  assert(has(lines, 'A book of waterproof matches'), 'INVENTORY lists the matches');

  // The live region says the game's answer, not the echo of the keys.
  const answerRows = lines.slice(lines.lastIndexOf('What now?  INVENTORY') + 1, lines.findLastIndex(line => line.trimEnd() === 'What now?'));
  const answer = answerRows.join(' ').replace(/\s+/g, ' ').trim();
  assert.strictEqual(await heard(), `${answer} What now?`, 'the live region reads the answer');
  // The same answer again is said again: the region is emptied before each.
  await page.evaluate(() => {
    const region = document.getElementById('heard');
    window.heardTexts = [];
    new MutationObserver(() => window.heardTexts.push(region.textContent))
      .observe(region, { childList: true, characterData: true, subtree: true });
  });
  await page.tap('#words [data-word="INVENTORY"]');
  await thenWait(() => page.keyboard.press('Enter'));
  // The region is filled at the next frame after the game's wait.
  await page.evaluate(() => new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done))));
  assert.deepStrictEqual(await page.evaluate(() => window.heardTexts),
                         ['', `${answer} What now?`], 'the same answer twice is said twice');

  // A swipe down the terminal shows the earlier screens above; typing
  // comes back to the prompt.
  const touch = await page.context().newCDPSession(page);
  const box = await page.locator('#terminal').boundingBox();
  const x = box.x + box.width / 2;
  const viewportRow = () => page.evaluate(() => Module.tidewrack.terminal.buffer.active.viewportY);
  const bottom = await viewportRow();
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y: box.y + 60 }] });
  for (let step = 1; step <= 10; step += 1) {
    await touch.send('Input.dispatchTouchEvent',
                     { type: 'touchMove', touchPoints: [{ x, y: box.y + 60 + step * 40 }] });
  }
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await page.waitForFunction(at => Module.tidewrack.terminal.buffer.active.viewportY < at, bottom);
  // Headless chromium hands the page only the first move of a swipe sent
  // this way (40 px), and the terminal scrolls by the finger's pixels: two
  // or three rows here, the whole length on a device.
  await page.waitForTimeout(300);
  console.log(`a swipe: ${bottom - await viewportRow()} rows back of ${bottom}`);

  await page.keyboard.insertText('save');
  ({ lines } = await thenWait(() => page.keyboard.press('Enter')));
  assert(has(lines, 'Game saved.'), 'SAVE typed as inserted text');
  assert.strictEqual(await viewportRow(), await page.evaluate(() => Module.tidewrack.terminal.buffer.active.baseY),
                     'typing came back down to the prompt');
  assert.strictEqual(await heard(), 'Game saved. What now?');

  // Home, and into the sea again: stop at the question.
  ({ lines } = await thenWait(() => page.tap('#words [data-word="SOUTH"]')));
  ({ lines } = await thenWait(() => page.tap('#words [data-word="WEST"]')));
  assert(has(lines, 'tropical shore'), 'back on the shore');
  await page.tap('#words [data-word="DROP"]');
  await page.keyboard.insertText('preserver');
  await thenWait(() => page.keyboard.press('Enter'));
  ({ wait, lines } = await thenWait(() => page.tap('#words [data-word="EAST"]')));
  assert(has(lines, 'Would you like to play again?'));
  await page.tap('#stop');
  await page.waitForFunction(() => !document.getElementById('again').hidden);
  await cursorLine();  // all written
  lines = await screen();
  assert(has(lines, 'Thank you for playing.'), 'the terminal says the game is over');
  assert.strictEqual(await page.evaluate(() => document.activeElement.id), 'again',
                     'the button for another game has the focus');
  assert(!(await page.isVisible('#words')) && !(await page.isVisible('#play-again')),
         'no game buttons after the end');
  await noAxeViolations('at the end of a game on the phone');
}

async function main() {
  fs.mkdirSync(artifacts, { recursive: true });
  const site = await serve(siteDir);
  const browser = await launch(chromiumPath);
  try {
    for (const device of DEVICES) {
      device.url = site.url;
      const { context, errors } = await openOn(browser, device);
      try {
        const fit = await checkFit(device);
        console.log(`${device.name} ${device.viewport.width}x${device.viewport.height}: ` +
                    `${fit.columns} columns at ${fit.font} px`);
        if (device.name === 'phone' || device.name === 'desktop') {
          await page.screenshot({ path: path.join(artifacts, `${device.name}-title.png`) });
        }
        await noAxeViolations(`at the title (${device.name})`);
        const help = await page.innerText('#help');
        assert.match(help, device.touch ? /^Tap the game/ : /^Type a command/,
                     `${device.name}: the help speaks of taps on a touch screen only`);
        const bar = await page.isVisible('#words');
        assert(!bar, `${device.name}: no bar of words at the title`);
        if (device.name === 'phone') {
          await playByTouch();
        } else {
          const { lines } = await thenWait(() => page.keyboard.press('Enter'));
          assert(has(lines, 'You are on a tropical shore.'));
          assert.strictEqual(await page.isVisible('#words'), device.touch,
                             `${device.name}: the bar of words on a touch screen only`);
          if (device.name === 'desktop') {
            await page.screenshot({ path: path.join(artifacts, 'desktop-room.png') });
            await noAxeViolations('in a room on the desktop');
            // The title went up into the scrollback when the room was shown:
            // the mouse wheel brings it back, and takes it away again.
            const box = await page.locator('#terminal').boundingBox();
            await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
            let shown = false;
            for (let turn = 0; turn < 40 && !shown; turn += 1) {
              await page.mouse.wheel(0, -60);
              await page.waitForTimeout(50);
              shown = has(await screen(), 'Good luck, castaway.');
            }
            assert(shown, 'the wheel shows the title above the room');
            await page.mouse.wheel(0, 4000);
            await page.waitForFunction(() => {
              const buffer = Module.tidewrack.terminal.buffer.active;
              return buffer.viewportY === buffer.baseY;
            });
            assert(has(await screen(), 'What now?'), 'and back down to the room');
          }
          const after = await page.evaluate(() => document.documentElement.scrollWidth <=
                                                  document.documentElement.clientWidth);
          assert(after, `${device.name}: no sideways scroll in a room`);
        }
        assert.deepStrictEqual(errors, [], `${device.name}: the page had no errors`);
      } catch (error) {
        await page.screenshot({ path: path.join(artifacts, `failure-${device.name}.png`) }).catch(() => {});
        console.error(`the screen (${device.name}):\n${(await screen().catch(() => [])).join('\n')}`);
        throw error;
      } finally {
        await context.close();
      }
    }
    console.log('devices: four sizes fitted, a game played by touch, no axe violations');
  } finally {
    await browser.close();
    await site.close();
  }
}

main().then(() => process.exit(0), error => {
  console.error(error);
  process.exit(1);
});
