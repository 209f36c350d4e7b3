// One tab of the page in a browser driven by playwright-core, as the storage
// tests play it: each key or line waits for the game's next read, and the
// screen is read from the terminal's own buffer once everything written is
// drawn.
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');

const { countReads } = require('./page_support.js');

// What the Download button may answer, one of them each time.
const DOWNLOAD_ANSWERS = /offered as|no saved game|could not read/;

class Tab {
  constructor(page, name, artifacts) {
    this.page = page;
    this.name = name;
    this.artifacts = artifacts;
  }

  // Opens the page and waits for the title; counts the game's reads from then.
  async open(url) {
    await this.page.goto(url);
    await this.page.waitForFunction(() => {
      const terminal = window.Module && Module.tidewrack && Module.tidewrack.terminal;
      return terminal && terminal.buffer.active.cursorX > 0;
    }, null, { timeout: 20000 });
    await this.page.evaluate(countReads);
  }

  // Types the keys (text, then Enter unless told otherwise) and waits for
  // the game's next read: the screen then.
  async type(text, { enter = true } = {}) {
    const before = await this.page.evaluate(() => window.reads.count);
    await this.page.bringToFront();
    await this.page.locator('.xterm-helper-textarea').focus();
    if (text !== '') await this.page.keyboard.type(text);
    if (enter) await this.page.keyboard.press('Enter');
    await this.page.waitForFunction(count => window.reads.count > count, before, { timeout: 20000 });
    return this.screen();
  }

  // The lines the game wrote after the last echo of `command`.
  async answer(command) {
    const lines = await this.screen();
    const at = lines.lastIndexOf(`What now?  ${command}`);
    assert(at >= 0, `${this.name}: "${command}" is on the screen`);
    return lines.slice(at + 1).filter(line => line !== '' && line !== 'What now?');
  }

  // LOAD clears the screen for the loaded game's room when it loads: its
  // answer is then the whole screen, which ends with what LOAD said.
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

  // Waits until the page's status line says something that matches.
  async statusSays(pattern, what) {
    try {
      await this.page.waitForFunction(source => new RegExp(source).test(
        document.getElementById('status').textContent), pattern.source, { timeout: 10000, polling: 50 });
    } catch (error) {
      assert.fail(`${this.name}: ${what}: the page said "${await this.status()}"`);
    }
    return this.status();
  }

  // The Download button: the bytes offered, or null with what the page said.
  async download() {
    await this.page.bringToFront();  // a tab behind another draws, and so clicks, once a second
    await this.page.evaluate(() => { document.getElementById('status').textContent = ''; });
    const offered = this.page.waitForEvent('download', { timeout: 5000 }).catch(() => null);
    await this.page.click('#download');
    await this.statusSays(DOWNLOAD_ANSWERS, 'the download answers');
    if (!/offered as/.test(await this.status())) return null;
    const download = await offered;
    assert(download, `${this.name}: the page said it offered the save, and offered none`);
    const file = path.join(this.artifacts, `${this.name}-download.txt`);
    await download.saveAs(file);
    return fs.readFileSync(file);
  }

  // The Upload button with a file of these bytes: what the page said.
  async upload(name, bytes) {
    await this.page.bringToFront();
    const file = path.join(this.artifacts, name);
    fs.writeFileSync(file, bytes);
    await this.page.evaluate(() => { document.getElementById('status').textContent = ''; });
    const [chooser] = await Promise.all([this.page.waitForEvent('filechooser'),
                                         this.page.click('#upload')]);
    await chooser.setFiles(file);
    return this.statusSays(new RegExp(name.replace(/[.]/g, '[.]')), `the upload of ${name} answers`);
  }
}

module.exports = { Tab };
