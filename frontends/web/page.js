//# allFunctionsCalledOnLoad
// The page's side of the web edition: the terminal on the page, the keys the
// player types, the editing of a command line with its history, and the
// saved game's download and upload. The game itself (tidewrack.js and its
// WebAssembly) calls in through Module.tidewrack and waits on the promises
// returned here while the page goes on.
'use strict';

var Module = (function () {
  const SAVE_NAME = 'Kestle_save.txt';
  const KEPT_FOLDER = '/kept';
  const HISTORY_SIZE = 200;
  // A saved game is about a kilobyte; the game reads at most a few.
  const LARGEST_UPLOAD = 65536;

  // The codes of special keys, the same at every front end: the game reads
  // such a key as 0 followed by one of these.
  const KEY_UP = 72, KEY_DOWN = 80, KEY_RIGHT = 77, KEY_LEFT = 75, KEY_HOME = 71,
        KEY_END = 79, KEY_INSERT = 82, KEY_DELETE = 83, KEY_PAGE_UP = 73,
        KEY_PAGE_DOWN = 81, KEY_F1 = 59, KEY_F11 = 133, KEY_UNKNOWN = 1;

  // ---- The terminal's size. Its box on the page is sized by the style
  // sheet alone (so the page does not move when the game starts). The
  // terminal's text is the page's own text size (1rem: the browser's, as
  // the player set it, and larger with zoom), and it takes as many columns
  // as fit beside its scrollbar, 80 at most: a narrow window gets fewer
  // columns, never smaller text.
  const FONT_FAMILY = 'DejaVu Sans Mono, Liberation Mono, Menlo, Consolas, monospace';
  const WIDEST = 80, MOST_ROWS = 60;
  const box = document.getElementById('terminal');
  const measure = document.createElement('canvas').getContext('2d');
  // An empty box that scrolls as the terminal does, with the scrollbar the
  // style sheet gives the terminal: it tells how wide that bar is, before
  // the terminal is open and whenever the zoom changes it.
  const gauge = box.appendChild(document.createElement('div'));
  gauge.className = 'scrollbar-gauge';

  // A cell of the font, measured as the terminal measures it, once for each
  // size at each pixel ratio: measuring a font is slow on a phone.
  const cells = new Map();
  function cellOf(size) {
    const ratio = window.devicePixelRatio || 1;
    const key = `${size} ${ratio}`;
    if (!cells.has(key)) {
      measure.font = `${size}px ${FONT_FAMILY}`;
      const metrics = measure.measureText('W'.repeat(32));
      const height = Math.ceil(metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent);
      cells.set(key, { width: metrics.width / 32, height: Math.floor(Math.ceil(height * ratio)) / ratio });
    }
    return cells.get(key);
  }

  function fitting() {
    const style = getComputedStyle(box);
    const size = parseFloat(getComputedStyle(document.documentElement).fontSize) || 16;
    const scrollbar = gauge.offsetWidth - gauge.clientWidth;
    const width = box.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight) -
                  scrollbar - 1;
    const height = box.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    const cell = cellOf(size);
    const columns = Math.max(1, Math.min(WIDEST, Math.floor(width / cell.width)));
    const rows = Math.max(1, Math.min(MOST_ROWS, Math.floor(height / cell.height)));
    return { size, columns, rows, cell };
  }

  let fit = fitting();
  const terminal = new Terminal({
    cols: fit.columns,
    rows: fit.rows,
    convertEol: true,
    scrollback: 5000,
    cursorBlink: false,
    fontFamily: FONT_FAMILY,
    fontSize: fit.size,
    theme: { background: '#101418', foreground: '#d8dde3' },
  });
  // Tab and Shift-Tab leave the terminal for the page's buttons: the game
  // has no use for them, and a player without a mouse needs them.
  terminal.attachCustomKeyEventHandler(event => event.key !== 'Tab');

  // The terminal draws a character by the width it measured for it, and
  // measures each one the first time it draws it, on the page: each measure
  // makes the browser lay the page out again, which on a phone is most of
  // the time the first screen takes to draw. In a fixed-width font every
  // printable ASCII character is as wide as a W, which the terminal measured
  // as it opened: the page's canvas, which lays nothing out, checks that for
  // each one, and those are given the W's width in the terminal's cache
  // ahead of the game's first screen. This reaches into the terminal's own
  // cache of widths, as the version pinned in package-lock.json has it; the
  // page's test checks that it is still there. Without it the game plays the
  // same, only its first screen is slower to draw.
  let measuredAhead = false;
  function measureCharacters() {
    const widths = terminal._core?._renderService?._renderer?.value?._widthCache;
    if (typeof widths?.get !== 'function' || !(widths._flat instanceof Float32Array)) return;
    const wide = widths.get('W', false, false);
    if (!(wide > 0)) return;
    measure.font = `${terminal.options.fontSize}px ${FONT_FAMILY}`;
    const canvasWide = measure.measureText('W').width;
    const printable = Array.from({ length: 0x7f - 0x20 }, (_, at) => String.fromCharCode(0x20 + at));
    // All of them at once first: in a fixed-width font they are as wide
    // together as as many W's, and then each one is.
    const allAlike = measure.measureText(printable.join('')).width === canvasWide * printable.length;
    for (const character of printable) {
      if (allAlike || measure.measureText(character).width === canvasWide) {
        widths._flat[character.charCodeAt(0)] = wide;
      }
    }
    measuredAhead = true;
  }

  // The terminal goes on the page in a task of its own, measures its
  // characters in the next and takes the focus in a third, so that no long
  // stretch of the start keeps a slow phone from answering a tap. The game
  // may write before then: the terminal keeps what it is given and shows it
  // once it is open.
  const nextTask = () => new Promise(done => setTimeout(done, 0));
  const opened = nextTask().then(() => {
    terminal.open(box);
    // The soft keyboard of a phone types commands as they are, with no
    // capitals or corrections of its own.
    for (const [name, value] of [['autocapitalize', 'off'], ['autocorrect', 'off'],
                                 ['autocomplete', 'off'], ['spellcheck', 'false']]) {
      terminal.textarea.setAttribute(name, value);
    }
    return nextTask();
  }).then(() => {
    measureCharacters();
    return nextTask();
  }).then(() => terminal.focus());

  const status = document.getElementById('status');
  function tell(text) { status.textContent = text; }

  // The game could not start: no WebAssembly, the game's files missing from
  // the server, or a page opened as a file, from where the browser will not
  // fetch the game at all.
  let started = false;
  function notStarted(what) {
    if (!started) {
      tell(`The game could not be started in this browser (${what}). ` +
           'The page must be opened from a web server.');
    }
  }
  // tidewrack.html carries the game inside itself and plays from a file.
  const singleFile = typeof TIDEWRACK_SINGLE_FILE !== 'undefined';
  if (location.protocol === 'file:' && !singleFile) notStarted('the page was opened as a file');

  // ---- Keys. Each typed key waits here as the text the terminal sent for
  // it: one character, or one escape sequence for a special key.
  const keys = [];
  let wake = null;
  let programOver = false;
  // The terminal took a new size: the game draws its screen again before it
  // goes on waiting.
  const RESIZED = -2;
  let resizePending = false;

  function splitKeys(data) {
    const found = [];
    let at = 0;
    while (at < data.length) {
      if (data[at] !== '\x1b' || at + 1 >= data.length) {
        const point = data.codePointAt(at);
        const character = String.fromCodePoint(point);
        found.push(character);
        at += character.length;
        continue;
      }
      const introducer = data[at + 1];
      if (introducer !== '[' && introducer !== 'O') {
        found.push('\x1b');  // Escape alone; Alt with a key is Escape, then the key
        at += 1;
        continue;
      }
      let end = at + 2;
      if (introducer === 'O') {
        end = Math.min(end + 1, data.length);
      } else {
        if (data[end] === '[') end += 1;  // ESC [ [ A..E: F1..F5 on the Linux console
        while (end < data.length && data.charCodeAt(end) >= 0x20 && data.charCodeAt(end) < 0x40) {
          end += 1;
        }
        end = Math.min(end + 1, data.length);
      }
      found.push(data.slice(at, end));
      at = end;
    }
    return found;
  }

  function tildeKey(number) {
    switch (number) {
      case 1: case 7: return KEY_HOME;
      case 2: return KEY_INSERT;
      case 3: return KEY_DELETE;
      case 4: case 8: return KEY_END;
      case 5: return KEY_PAGE_UP;
      case 6: return KEY_PAGE_DOWN;
    }
    if (number >= 11 && number <= 15) return KEY_F1 + number - 11;
    if (number >= 17 && number <= 21) return KEY_F1 + 5 + number - 17;
    if (number === 23 || number === 24) return KEY_F11 + number - 23;
    return KEY_UNKNOWN;
  }

  // The second code of a special key, from its escape sequence.
  function specialKey(sequence) {
    const last = sequence[sequence.length - 1];
    if (sequence.startsWith('\x1b[[')) {
      return last >= 'A' && last <= 'E' ? KEY_F1 + last.charCodeAt(0) - 65 : KEY_UNKNOWN;
    }
    if (last === '~') return tildeKey(parseInt(sequence.slice(2), 10) || 0);
    switch (last) {
      case 'A': return KEY_UP;
      case 'B': return KEY_DOWN;
      case 'C': return KEY_RIGHT;
      case 'D': return KEY_LEFT;
      case 'H': return KEY_HOME;
      case 'F': return KEY_END;
      case 'P': case 'Q': case 'R': case 'S': return KEY_F1 + last.charCodeAt(0) - 80;
    }
    return KEY_UNKNOWN;
  }

  function isSpecial(key) { return key.length > 1 && key[0] === '\x1b'; }

  function wakeUp() {
    if (wake === null) return;
    const waiting = wake;
    wake = null;
    waiting();
  }

  function type(data) {
    if (programOver) {
      if (data.includes('\r')) location.reload();
      return;
    }
    keys.push(...splitKeys(data));
    wakeUp();
  }
  terminal.onData(type);

  // The next key, or RESIZED.
  function nextKey() {
    return new Promise(resolve => {
      const look = () => {
        if (resizePending) {
          resizePending = false;
          resolve(RESIZED);
        } else if (keys.length > 0) {
          resolve(keys.shift());
        } else {
          wake = look;
        }
      };
      look();
    });
  }

  function refit() {
    const now = fitting();
    if (now.size === fit.size && now.columns === fit.columns && now.rows === fit.rows) return;
    fit = now;
    terminal.options.fontSize = now.size;
    terminal.resize(now.columns, now.rows);
    resizePending = true;
    wakeUp();
  }
  new ResizeObserver(refit).observe(box);

  // ---- Single keys, as the game reads them at a terminal: Enter is a line
  // feed, a special key is 0 and then its code, a character of several
  // bytes is its first byte.
  let secondCode = -1;
  const encoder = new TextEncoder();

  // While the game waits for a single key and none is there yet, a faint
  // hint beside the cursor says so, as at a terminal; when it does not fit
  // there, it stands at the start of the next row. It goes when the key
  // comes, so that the screen then shows just what the game wrote, with the
  // cursor where the game left it.
  const HINT = '[press a key]';
  // Fainter than the game's text, and still clear enough to read.
  const FAINT = '\x1b[38;2;138;148;158m', PLAIN = '\x1b[39m';
  let hintBelow = false, hintBack = '', hintShown = false;

  // Back to the cursor's column on its row. A row the game filled to its
  // last cell leaves the cursor past it, where the next character starts a
  // new row: that cell is written again to put the cursor there (the game
  // writes no colours).
  function backTo(column) {
    if (column < terminal.cols) return `\x1b[${column + 1}G`;
    const screen = terminal.buffer.active;
    const last = screen.getLine(screen.baseY + screen.cursorY).getCell(terminal.cols - 1);
    return `\x1b[${terminal.cols}G${last?.getChars() || ' '}`;
  }

  async function showHint() {
    await new Promise(done => terminal.write('', done));  // the cursor where the game left it
    if (keys.length > 0) return false;
    const column = terminal.buffer.active.cursorX;
    const at = column + (column > 0 ? 2 : 0);
    hintBelow = at + HINT.length > terminal.cols;
    hintBack = backTo(column);
    hintShown = true;
    if (hintBelow) {
      terminal.write(`\r\n${FAINT}${HINT}${PLAIN}\x1b[A${hintBack}`);
    } else {
      terminal.write(`${' '.repeat(at - column)}${FAINT}${HINT}${PLAIN}${hintBack}`);
    }
    return true;
  }

  function eraseHint() {
    hintShown = false;
    if (!hintBelow) {
      terminal.write('\x1b[K');
      return;
    }
    terminal.write(`\x1b[B\x1b[2K\x1b[A${hintBack}`);
  }

  async function readKey() {
    if (secondCode >= 0) {
      const code = secondCode;
      secondCode = -1;
      return code;
    }
    if (resizePending) {
      resizePending = false;
      return RESIZED;
    }
    if (keys.length === 0) {
      waitFor(isPlayAgain() ? 'again' : 'key');
      tellSaid(isPlayAgain() ? 'Press y to play again, or n to stop.' : 'Press a key.');
    }
    const hinted = keys.length === 0 && await showHint();
    if (hinted) keepCursorInView();
    const key = await nextKey();
    waitFor(null);
    if (key === RESIZED) return RESIZED;
    if (hinted) eraseHint();
    if (isSpecial(key)) {
      secondCode = specialKey(key);
      return 0;
    }
    if (key === '\r') return 10;
    return encoder.encode(key)[0];
  }

  function keyWaiting() { return secondCode >= 0 || keys.length > 0; }

  // ---- A line, edited on the terminal. The text is redrawn from where the
  // cursor stood when the game asked, wrapping at the terminal's edge; the
  // screen scrolls when a long line passes its foot.
  const history = [];

  function remember(line) {
    if (line === '' || history[history.length - 1] === line) return;
    history.push(line);
    if (history.length > HISTORY_SIZE) history.shift();
  }

  function written() { return new Promise(resolve => terminal.write('', resolve)); }

  // The line being typed, kept when the terminal changes its size while the
  // game waits for it.
  let editing = null;

  async function readLine(longest) {
    secondCode = -1;
    if (resizePending) {
      resizePending = false;
      return RESIZED;
    }
    await written();
    keepCursorInView();
    const screen = terminal.buffer.active;
    let startX = Math.min(screen.cursorX, terminal.cols - 1);
    let startY = screen.cursorY;
    const resumed = editing !== null;
    if (!resumed) editing = { line: [], cursor: 0, recalled: history.length, draft: [] };
    let { line, cursor, recalled, draft } = editing;
    tellSaid('');
    waitFor('line');

    function show() {
      const cols = terminal.cols, rows = terminal.rows;
      let out = `\x1b[${startY + 1};${startX + 1}H\x1b[J` + line.join('');
      const lastRow = startY + Math.floor((startX + Math.max(line.length, 1) - 1) / cols);
      let scrolled = Math.max(0, lastRow - (rows - 1));
      const offset = startX + cursor;
      if (startY - scrolled + Math.floor(offset / cols) > rows - 1) {
        out += '\n';  // the cursor is past a full last row: make room below
        scrolled += 1;
      }
      startY -= scrolled;
      out += `\x1b[${startY + Math.floor(offset / cols) + 1};${(offset % cols) + 1}H`;
      terminal.write(out);
    }

    function bytesOf(characters) { return encoder.encode(characters.join('')).length; }

    function recall(index) {
      if (recalled === history.length) draft = line;
      recalled = index;
      line = recalled === history.length ? draft : Array.from(history[recalled]);
      cursor = line.length;
    }

    if (resumed) show();
    for (;;) {
      const key = await nextKey();
      if (key === RESIZED) {
        editing = { line, cursor, recalled, draft };
        waitFor(null);
        return RESIZED;
      }
      const code = isSpecial(key) ? -1 : key.codePointAt(0);
      const special = isSpecial(key) ? specialKey(key) : -1;
      if (key === '\r' || key === '\n') {
        cursor = line.length;
        show();
        // A line that ends at the edge has already put the cursor on a row
        // of its own, as a terminal's wrap would.
        const end = startX + line.length;
        if (end === 0 || end % terminal.cols !== 0) terminal.write('\n');
        editing = null;
        waitFor(null);
        return line.join('');
      }
      if (code === 4 && line.length === 0) {  // Ctrl-D on an empty line: the player leaves
        terminal.write('\n');
        editing = null;
        waitFor(null);
        return null;
      }
      if (code === 0x7f || code === 8) {
        if (cursor > 0) line.splice(--cursor, 1);
      } else if (special === KEY_DELETE || code === 4) {
        if (cursor < line.length) line.splice(cursor, 1);
      } else if (special === KEY_LEFT || code === 2) {
        if (cursor > 0) cursor -= 1;
      } else if (special === KEY_RIGHT || code === 6) {
        if (cursor < line.length) cursor += 1;
      } else if (special === KEY_HOME || code === 1) {
        cursor = 0;
      } else if (special === KEY_END || code === 5) {
        cursor = line.length;
      } else if (code === 0x15) {  // Ctrl-U: the whole line
        line = [];
        cursor = 0;
      } else if (code === 0x17) {  // Ctrl-W: the word before the cursor
        let from = cursor;
        while (from > 0 && line[from - 1] === ' ') from -= 1;
        while (from > 0 && line[from - 1] !== ' ') from -= 1;
        line.splice(from, cursor - from);
        cursor = from;
      } else if (special === KEY_UP) {
        if (recalled > 0) recall(recalled - 1);
      } else if (special === KEY_DOWN) {
        if (recalled < history.length) recall(recalled + 1);
      } else if (code >= 0x20 && code !== 0x7f) {
        if (bytesOf(line) + encoder.encode(key).length > longest) continue;
        line.splice(cursor++, 0, key);
      } else {
        continue;  // a key with no use on a line
      }
      show();
    }
  }

  // ---- By ear. The terminal's rows are drawn as text, but a screen reader
  // would have to hunt for what is new in them; the page's own live region
  // says, once, what the game said since the last command (never the echo
  // of the keys, never a rule of underscores) when it waits again.
  const heardRegion = document.getElementById('heard');
  const decoder = new TextDecoder();
  let heard = '';

  // A line end inside a paragraph (the byte 0x1f) is heard as any other.
  function said(bytes) { heard += decoder.decode(bytes, { stream: true }).replace(/\x1f/g, '\n'); }

  // What the game said since it last waited, as a reader should hear it.
  function spoken(text) {
    return text.split('\n')
      .filter(row => !/^_+$/.test(row.trim()))
      .join(' ')
      .replace(/\s+/g, ' ')
      .trim();
  }

  function tellSaid(after) {
    const text = [spoken(heard), after].filter(part => part !== '').join(' ');
    heard = '';
    if (text === '') return;
    // Emptied first, so that the same answer twice is read twice.
    heardRegion.textContent = '';
    requestAnimationFrame(() => { heardRegion.textContent = text; });
  }

  // The one single-key wait that is a question: whether to play again.
  function isPlayAgain() { return /play again\?\s*$/.test(heard); }

  // ---- Touch. What the game waits for decides which buttons show below the
  // terminal: a key (one button, and a tap on the terminal does the same),
  // the play-again question (its two answers), or a command (the bar of
  // words, on a touch screen).
  const controls = {
    key: document.getElementById('key-wait'),
    again: document.getElementById('again-wait'),
    line: document.getElementById('words'),
  };
  let waiting = null;
  // A screen whose main pointer is a finger; a desktop with a touch pad or a
  // pen beside its mouse is no touch screen here.
  const touchScreen = matchMedia('(pointer: coarse)').matches;

  function waitFor(what) {
    waiting = what;
    for (const [name, element] of Object.entries(controls)) {
      element.hidden = name === 'line' ? !(touchScreen && what === 'line') : name !== what;
    }
  }

  function answer(key) {
    if (waiting === 'key' || waiting === 'again') type(key);
  }
  document.getElementById('go-on').addEventListener('click', () => {
    answer('\r');
    terminal.focus();
  });
  document.getElementById('play-again').addEventListener('click', () => answer('y'));
  document.getElementById('stop').addEventListener('click', () => answer('n'));

  // A tap (or a click) on the terminal brings up the keyboard, and answers a
  // wait for any key; the play-again question takes one of its answers.
  box.addEventListener('click', () => {
    if (terminal.hasSelection()) return;
    terminal.focus();
    if (waiting === 'key') type('\r');
  });

  // The bar of words: a direction is a move at once, in place of what was
  // typed; a verb is typed into the line, for the player to go on with.
  for (const button of controls.line.querySelectorAll('button')) {
    button.addEventListener('click', () => {
      if (waiting !== 'line') return;
      const word = button.dataset.word;
      if (button.dataset.move !== undefined) {
        type(`\x15${word}\r`);
      } else {
        type(word === 'INVENTORY' ? word : `${word} `);
        terminal.focus();
      }
    });
  }

  // With the soft keyboard up, the page scrolls so that the row being typed
  // stays above it; and at every wait, so that the game's answer is in view
  // in a window shorter than the page (a zoomed page, a phone across).
  // The key hint's row shows too when the hint stands below the cursor.
  function keepCursorInView() {
    const view = window.visualViewport;
    if (!view || document.activeElement !== terminal.textarea) return;
    const top = box.getBoundingClientRect().top + parseFloat(getComputedStyle(box).paddingTop);
    const rowsBelow = hintShown && hintBelow ? 1 : 0;
    const rowBottom = top + (terminal.buffer.active.cursorY + 1 + rowsBelow) * fit.cell.height;
    const shownBottom = view.offsetTop + view.height;
    if (rowBottom > shownBottom - 4) {
      window.scrollBy(0, rowBottom - shownBottom + fit.cell.height);
    } else if (rowBottom - fit.cell.height < view.offsetTop) {
      window.scrollBy(0, rowBottom - fit.cell.height - view.offsetTop - 4);
    }
  }
  if (window.visualViewport) {
    window.visualViewport.addEventListener('resize', keepCursorInView);
    // The terminal takes the focus as it opens, and again after a tap or
    // Tab: each time, once a soft keyboard has had time to come up.
    const inViewOnFocus = () => setTimeout(keepCursorInView, 300);
    opened.then(() => {
      terminal.textarea.addEventListener('focus', inViewOnFocus);
      inViewOnFocus();
    });
  }
  waitFor(null);

  // ---- The player's files (the saved game) in the browser's storage:
  // IndexedDB, laid out as earlier versions of the page laid it out through
  // the toolchain's file system (a database named after the kept folder, one
  // record per file under its path, with its time and contents), so that a
  // game saved by an earlier version, or by another tab still running one,
  // is found here, and one saved here is found there. Every tab of the page
  // shares it: LOAD and the download read it afresh, so the latest save of
  // any tab is the one found, and a SAVE writes its one record in one
  // transaction, which the browser keeps whole or not at all.
  //
  // Each use opens the database anew and closes it: the browser may clear
  // its storage under an open tab, and that closes every connection. Each
  // use also ends within STORAGE_PATIENCE milliseconds whatever the browser
  // does: a full storage, a blocked one, a transaction that never completes
  // nor aborts. A save the browser did not keep stays on the page for this
  // visit: LOAD and the download find it while it is the newest save.
  const DATABASE_VERSION = 21, FILES_STORE = 'FILE_DATA', FILE_MODE = 0o100666;
  const STORAGE_PATIENCE = 2000;
  const unkept = new Map();  // name -> { bytes, time }: saves the browser did not keep

  // Why the browser refused, from what it said.
  function refusalOf(error) {
    const name = error && error.name;
    if (name === 'QuotaExceededError') return 'full';
    if (name === 'SecurityError' || /denied|not allowed|insecure/i.test(String(error && error.message))) {
      return 'blocked';
    }
    return 'failed';
  }

  function storageFactory() {
    try {
      return typeof indexedDB === 'object' && indexedDB !== null ? indexedDB : null;
    } catch (error) {
      return null;  // a browser that blocks the page's data may throw at the very name
    }
  }

  // Runs work(store, keep) in one transaction of this mode: resolves to
  // { value } (what work gave keep) once the browser has completed it, or
  // to { refused } ('absent', 'blocked', 'full', 'failed' or 'slow').
  function useStorage(mode, work) {
    return new Promise(resolve => {
      let settled = false;
      let database = null;
      let transaction = null;
      const settle = outcome => {
        if (settled) return;
        settled = true;
        clearTimeout(timer);
        if (database !== null) database.close();
        resolve(outcome);
      };
      const timer = setTimeout(() => {
        try {
          if (transaction !== null) transaction.abort();
        } catch (error) {
          // it has finished meanwhile; its answer came too late to count
        }
        settle({ refused: 'slow' });
      }, STORAGE_PATIENCE);
      const factory = storageFactory();
      if (factory === null) {
        settle({ refused: 'absent' });
        return;
      }
      let request;
      try {
        request = factory.open(KEPT_FOLDER, DATABASE_VERSION);
      } catch (error) {
        settle({ refused: refusalOf(error) });
        return;
      }
      request.onupgradeneeded = () => {
        const upgrade = request.transaction;
        const store = request.result.objectStoreNames.contains(FILES_STORE)
          ? upgrade.objectStore(FILES_STORE) : request.result.createObjectStore(FILES_STORE);
        if (!store.indexNames.contains('timestamp')) {
          store.createIndex('timestamp', 'timestamp', { unique: false });
        }
      };
      request.onerror = event => {
        event.preventDefault();
        settle({ refused: refusalOf(request.error) });
      };
      request.onsuccess = () => {
        database = request.result;
        if (settled) {
          database.close();
          return;
        }
        database.onversionchange = () => database.close();
        let value;
        try {
          // A save is on the disk before the game says so, as on the desktop.
          transaction = database.transaction(FILES_STORE, mode, { durability: 'strict' });
          transaction.oncomplete = () => settle({ value });
          transaction.onabort = () => settle({ refused: refusalOf(transaction.error) });
          work(transaction.objectStore(FILES_STORE), result => { value = result; });
        } catch (error) {
          try {
            if (transaction !== null) transaction.abort();
          } catch (ignored) {
            // not started
          }
          settle({ refused: refusalOf(error) });
        }
      };
    });
  }

  const keptPath = name => `${KEPT_FOLDER}/${name}`;

  // The newest save of this name: the storage's, or this visit's if the
  // browser did not keep it and none newer is there. { bytes }, { missing }
  // or { unreadable }.
  async function readFile(name) {
    const outcome = await useStorage('readonly', (store, keep) => {
      store.get(keptPath(name)).onsuccess = event => keep(event.target.result);
    });
    const stored = outcome.value;
    const visit = unkept.get(name);
    const storedTime = stored && stored.timestamp instanceof Date ? stored.timestamp.getTime() : 0;
    if (visit && (!stored || visit.time >= storedTime)) return { bytes: visit.bytes };
    if (stored && stored.contents) return { bytes: new Uint8Array(stored.contents) };
    if (stored || outcome.refused === 'failed' || outcome.refused === 'slow') return { unreadable: true };
    return { missing: true };
  }

  // Puts these bytes in the file's place in the storage: null once the
  // browser has kept them, else why not, and then they are kept for this
  // visit (and the page says so, with the way to keep them for good).
  async function keepFile(name, bytes) {
    const outcome = await useStorage('readwrite', store => {
      store.put({ timestamp: new Date(), mode: FILE_MODE, contents: bytes }, keptPath(name));
    });
    if (outcome.refused === undefined) {
      unkept.delete(name);
      return null;
    }
    unkept.set(name, { bytes, time: Date.now() });
    return outcome.refused;
  }

  // One sentence: why the browser did not keep a save, and how to keep it.
  function notKept(refused) {
    const why = {
      full: "The browser's storage for this page is full",
      blocked: 'This browser does not let the page keep data',
      absent: 'This browser has no storage for the page',
    }[refused] || 'The browser would not keep the save';
    return `${why}, so the save lasts only until you leave the page: ` +
           '"Download the saved game" keeps it.';
  }

  async function download() {
    const found = await readFile(SAVE_NAME);
    if (!found.bytes) {
      tell(found.missing ? 'There is no saved game to download yet: type SAVE first.'
                         : 'The browser could not read the saved game.');
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([found.bytes], { type: 'text/plain' }));
    link.download = SAVE_NAME;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    tell(`The saved game was offered as ${SAVE_NAME}.`);
  }

  // An uploaded file takes the saved game's place, as a SAVE would.
  async function upload(file) {
    if (file.size > LARGEST_UPLOAD) {
      tell(`${file.name} is far too large to be a saved game.`);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const refusal = uploadRefusal(file.name, bytes);
    if (refusal !== null) {
      tell(refusal);
      return;
    }
    const refused = await keepFile(SAVE_NAME, bytes);
    tell(refused === null ? `${file.name} is now the saved game: type LOAD to play it.`
                          : `${file.name} is the saved game for now: type LOAD to play it. ${notKept(refused)}`);
  }

  // Why an uploaded file is not taken, or null when LOAD would take it: the
  // game's own loader checks the bytes, without touching the game.
  function uploadRefusal(name, bytes) {
    const capacity = Module._tidewrackUploadCapacity();
    Module.HEAPU8.set(bytes.subarray(0, capacity), Module._tidewrackUploadText());
    switch (Module._tidewrackCheckUpload(bytes.length)) {
      case 0: return null;
      case 1: return `${name} is empty, so it is not a saved game. Nothing was changed.`;
      case 2: return `${name} is too large to be a saved game. Nothing was changed.`;
    }
    return `${name} is not a saved game, or it is damaged. Nothing was changed.`;
  }

  document.getElementById('download').addEventListener('click', download);
  const picker = document.getElementById('upload-file');
  document.getElementById('upload').addEventListener('click', () => picker.click());
  picker.addEventListener('change', () => {
    if (picker.files.length > 0) upload(picker.files[0]).then(() => terminal.focus());
    picker.value = '';
  });
  document.getElementById('again').addEventListener('click', () => location.reload());

  function programEnded() {
    programOver = true;
    waitFor(null);
    terminal.write('\n\nThank you for playing.\nPress Enter to start another game.\n');
    const again = document.getElementById('again');
    again.hidden = false;
    again.focus();
    tell('The game is over. To start another, press Enter or reload the page.');
  }

  // ---- What this browser will not do for the page, said once it has
  // loaded, so that no player finds out by losing a game: keep saved games
  // (no IndexedDB, or the page's data blocked) and play offline (no service
  // worker, or one that could not keep the game's files).
  const lacking = { saves: false, offline: false };
  function lack(what) {
    lacking[what] = true;
    if (lacking.saves && lacking.offline) {
      tell('This browser keeps no data for this page: a save lasts only until you leave the page ' +
           '("Download the saved game" keeps it), and the game cannot be played offline.');
    } else if (lacking.saves) {
      tell('This browser keeps no saved games for this page: a save lasts only until you leave ' +
           'the page, and "Download the saved game" keeps it.');
    } else {
      tell('This browser will not keep the game for play offline: it needs the network to start.');
    }
  }

  // The service worker keeps this build's files, so that the next visit
  // starts without the network. It is asked for once the page has loaded,
  // in a task of its own, so that it never competes with the game's own
  // files nor lengthens the game's start; a page opened as a file has none.
  function keepForOffline() {
    if (location.protocol === 'file:') return;
    if (!('serviceWorker' in navigator)) {
      lack('offline');
      return;
    }
    const hadOne = Boolean(navigator.serviceWorker.controller);
    navigator.serviceWorker.addEventListener('controllerchange', () => {
      if (hadOne) tell('A newer version of the game is ready: it starts at the next reload.');
    });
    navigator.serviceWorker.register('sw.js').then(registration => {
      // A first install that fails (a full storage) leaves no worker at all.
      const installing = registration.installing;
      if (installing === null || registration.active !== null) return;
      installing.addEventListener('statechange', () => {
        if (installing.state === 'redundant' && registration.active === null) lack('offline');
      });
    }, () => lack('offline'));
  }

  window.addEventListener('load', () => setTimeout(() => {
    keepForOffline();
    useStorage('readonly', () => {}).then(outcome => {
      if (outcome.refused === 'absent' || outcome.refused === 'blocked') lack('saves');
    });
  }, 0));

  return {
    tidewrack: {
      terminal,
      measuredAhead: () => measuredAhead,
      write: bytes => terminal.write(bytes),
      said,
      readKey,
      keyWaiting,
      readLine,
      remember,
      programEnded,
      readFile,
      // A SAVE: the page says why when the browser did not keep it.
      keepFile: async (name, bytes) => {
        const refused = await keepFile(name, bytes);
        if (refused !== null) tell(notKept(refused));
        return refused === null;
      },
    },
    onAbort: what => notStarted(what),
    onRuntimeInitialized: () => { started = true; },
    print: text => console.log(text),
    printErr: text => console.warn(text),
  };
})();
