// What the browser tests of the page share: chromium's flags for this
// closed machine, and reading the terminal's screen as the player sees it.
'use strict';

const path = require('path');

const root = path.resolve(__dirname, '../../..');
const { chromium } = require(path.join(root, 'frontends/web/node_modules/playwright-core'));

const FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

function launch() {
  return chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: FLAGS });
}

function screenText(page) {
  return page.evaluate(() => {
    const rows = document.querySelector('.xterm-rows');
    return rows ? rows.innerText : '';
  });
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

module.exports = { launch, screenText, waitForText, command };
