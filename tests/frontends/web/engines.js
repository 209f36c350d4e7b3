// The page in the three browser engines behind the same few calls, for the
// engines' test: Debian's chromium (playwright-core), Firefox ESR (over
// WebDriver BiDi, through puppeteer-core) and WebKitGTK (its MiniBrowser
// under Xvfb, through WebKitWebDriver and the small W3C WebDriver client
// below). Each shows scrollbars as a desktop does: chromium without the
// --hide-scrollbars of headless runs, Firefox headless as it is, WebKit with
// GTK's overlay scrollbars turned off.
//
// A browser opens with settings the player could have chosen: { textSize }
// (the browser's text size in CSS pixels) or { zoom } (2 or 4). Chromium
// takes both as its own preferences (real zoom); Firefox takes the text
// size as a preference and the zoom as a pixel ratio of the window, and
// WebKit both as its settings and GDK's scale: to the page, a zoom is
// exactly that, fewer CSS pixels across and more device pixels to each.
//
// The site is served under /site/ by serveForEngines (so that pages outside
// it, the frame below, are not the service worker's), with the console
// recorder put into every page the browser navigates to; the worker's own
// fetches get the files as they are, which it checks against their digests.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const root = path.resolve(__dirname, '../../..');
const modules = path.join(root, 'frontends/web/node_modules');
const RECORDER = `<script>\n${fs.readFileSync(path.join(__dirname, 'console_recorder.js'), 'utf8')}</script>\n`;
const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.svg': 'image/svg+xml',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json', '.txt': 'text/plain; charset=utf-8',
};
// WebKitGTK's window is never narrower than this: narrower pages are shown
// in a frame of that width.
const WEBKIT_NARROWEST = 447;

// A copy of an HTML page with the recorder ahead of everything in it.
function withRecorder(html) { return html.replace('<head>', `<head>\n${RECORDER}`); }

// The site under /site/ on a free port of 127.0.0.1, /frame.html beside it
// (the page in a frame of a given size), and a switch that makes the server
// drop every connection, as a network gone.
function serveForEngines(siteDir) {
  const base = path.resolve(siteDir);
  const state = { offline: false, requests: [] };
  const server = http.createServer((request, response) => {
    if (state.offline) {
      request.socket.destroy();
      return;
    }
    const url = new URL(request.url, 'http://127.0.0.1');
    if (url.pathname === '/frame.html') {
      response.writeHead(200, { 'Content-Type': TYPES['.html'], 'Cache-Control': 'no-store' });
      response.end('<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>frame</title>' +
                   '<link rel="icon" href="data:,"></head><body style="margin:0">' +
                   `<iframe id="page" title="the page" src="${url.searchParams.get('src')}" ` +
                   `style="border:0;display:block;width:${url.searchParams.get('width')}px;` +
                   `height:${url.searchParams.get('height')}px"></iframe></body></html>`);
      return;
    }
    let name = decodeURIComponent(url.pathname);
    if (!name.startsWith('/site/')) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(base, path.normalize(name.slice('/site'.length)));
    if (!file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    state.requests.push(url.pathname);
    fs.readFile(file, (error, bytes) => {
      if (error) {
        response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      const type = TYPES[path.extname(file)] || 'application/octet-stream';
      // A page the browser navigates to, not a fetch of the worker's.
      const navigation = ['document', 'iframe'].includes(request.headers['sec-fetch-dest']) ||
                         (!request.headers['sec-fetch-dest'] && /text\/html/.test(request.headers.accept || ''));
      response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
      response.end(type.startsWith('text/html') && navigation ? withRecorder(bytes.toString('utf8')) : bytes);
    });
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const origin = `http://127.0.0.1:${server.address().port}`;
      resolve({
        origin,
        url: `${origin}/site/`,
        state,
        close: () => new Promise(done => {
          server.closeAllConnections();
          server.close(done);
        }),
      });
    });
  });
}

// Waits for fn (run in the page) to give something true; fails after the
// timeout with what it gave last.
async function waitFor(page, fn, args, what, timeout = 20000) {
  const until = Date.now() + timeout;
  let last;
  for (;;) {
    last = await page.evaluate(fn, ...args);
    if (last) return last;
    if (Date.now() > until) throw new Error(`${page.engine}: ${what} (after ${timeout} ms: ${JSON.stringify(last)})`);
    await new Promise(done => setTimeout(done, 100));
  }
}

// Functions of the test's own that every function run in the page may call.
let prelude = '';
function inPage(...functions) { prelude = functions.map(String).join('\n'); }

function pageExpression(fn, args) {
  return `(() => {\n${prelude}\nreturn (${fn})(...${JSON.stringify(args)});\n})()`;
}

// Text typed key by key through a playwright or puppeteer keyboard, a line
// end as Enter.
async function typeOn(keyboard, text) {
  for (const part of text.split(/(\n)/)) {
    if (part === '\n') await keyboard.press('Enter');
    else if (part !== '') await keyboard.type(part);
  }
}

// What a page of playwright or puppeteer says went wrong: errors and
// warnings on its console (of these kinds), and uncaught errors.
function problemsOf(page, kinds) {
  const problems = [];
  page.on('console', message => {
    if (kinds.includes(message.type())) problems.push(`console ${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', error => problems.push(`page error: ${error.message}`));
  return problems;
}

// ---- chromium, through playwright-core.

const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Sizes are the window's, in pixels at no zoom: a zoom of 2 makes a window
// of 1280 half as many CSS pixels across.
async function chromiumBrowser(executablePath, settings = {}) {
  const { chromium } = require(path.join(modules, 'playwright-core'));
  const options = { executablePath, headless: true, ignoreDefaultArgs: ['--hide-scrollbars'], args: CHROMIUM_FLAGS };
  if (!settings.zoom && !settings.textSize) {
    const browser = await chromium.launch(options);
    return {
      engine: 'chromium',
      async open(width, height, { touch = false } = {}) {
        const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch });
        return chromiumPage(await context.newPage());
      },
      close: () => browser.close(),
    };
  }
  // The player's settings are the profile's preferences.
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tidewrack-engines-chromium-'));
  const preferences = {};
  // The zoom as the browser keeps it: a level of which each step is 1.2 times.
  if (settings.zoom) preferences.partition = { default_zoom_level: { x: Math.log(settings.zoom) / Math.log(1.2) } };
  if (settings.textSize) preferences.webkit = { webprefs: { default_font_size: settings.textSize } };
  fs.mkdirSync(path.join(profile, 'Default'));
  fs.writeFileSync(path.join(profile, 'Default', 'Preferences'), JSON.stringify(preferences));
  const context = await chromium.launchPersistentContext(profile, { ...options, viewport: { width: 1280, height: 800 } });
  return {
    engine: 'chromium',
    async open(width, height) {
      const page = context.pages()[0] || await context.newPage();
      await page.setViewportSize({ width, height });
      return chromiumPage(page);
    },
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

function chromiumPage(page) {
  const problems = problemsOf(page, ['error', 'warning']);
  return {
    engine: 'chromium',
    raw: page,
    problems,
    goto: url => page.goto(url),
    evaluate: (fn, ...args) => page.evaluate(pageExpression(fn, args)),
    keys: text => typeOn(page.keyboard, text),
    click: selector => page.click(selector),
    setSize: (width, height) => page.setViewportSize({ width, height }),
    screenshot: file => page.screenshot({ path: file }),
    setFiles: (selector, file) => page.setInputFiles(selector, file),
  };
}

// ---- Firefox ESR, over WebDriver BiDi through puppeteer-core.

// A window of this size at no zoom, as Firefox's viewport at the zoom: fewer
// CSS pixels, each of several of the screen's.
function firefoxViewport(width, height, ratio) {
  return { width: Math.round(width / ratio), height: Math.round(height / ratio), deviceScaleFactor: ratio };
}

async function firefoxBrowser(executablePath, settings = {}) {
  const puppeteer = require(path.join(modules, 'puppeteer-core'));
  const prefs = {};
  if (settings.textSize) {
    for (const group of ['x-western', 'x-unicode']) prefs[`font.size.variable.${group}`] = settings.textSize;
  }
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath, headless: true, extraPrefsFirefox: prefs,
    protocolTimeout: 60000,
  });
  const ratio = settings.zoom || 1;
  return {
    engine: 'firefox',
    async open(width, height) {
      const pages = await browser.pages();
      const page = pages[0] || await browser.newPage();
      await page.setViewport(firefoxViewport(width, height, ratio));
      return firefoxPage(page, ratio);
    },
    close: () => browser.close(),
  };
}

function firefoxPage(page, ratio) {
  const problems = problemsOf(page, ['error', 'warn', 'warning']);
  return {
    engine: 'firefox',
    raw: page,
    problems,
    goto: url => page.goto(url, { waitUntil: 'load' }),
    evaluate: (fn, ...args) => page.evaluate(pageExpression(fn, args)),
    keys: text => typeOn(page.keyboard, text),
    click: selector => page.click(selector),
    setSize: (width, height) => page.setViewport(firefoxViewport(width, height, ratio)),
    screenshot: file => page.screenshot({ path: file }),
    setFiles: async (selector, file) => (await page.$(selector)).uploadFile(file),
  };
}

// ---- WebKitGTK: MiniBrowser under Xvfb, through WebKitWebDriver.

function request(port, method, route, body) {
  return new Promise((resolve, reject) => {
    const data = body === undefined ? undefined : JSON.stringify(body);
    const outgoing = http.request({
      host: '127.0.0.1', port, method, path: route,
      headers: data ? { 'Content-Type': 'application/json', 'Content-Length': Buffer.byteLength(data) } : {},
    }, response => {
      let text = '';
      response.setEncoding('utf8');
      response.on('data', chunk => { text += chunk; });
      response.on('end', () => {
        let answer;
        try {
          answer = JSON.parse(text);
        } catch (error) {
          reject(new Error(`WebKitWebDriver ${method} ${route}: ${text}`));
          return;
        }
        if (answer.value && answer.value.error) {
          reject(new Error(`WebKitWebDriver ${method} ${route}: ${answer.value.error}: ${answer.value.message}`));
        } else {
          resolve(answer.value);
        }
      });
    });
    outgoing.on('error', reject);
    outgoing.setTimeout(120000, () => outgoing.destroy(new Error(`WebKitWebDriver ${method} ${route}: no answer`)));
    if (data) outgoing.write(data);
    outgoing.end();
  });
}

// Starts Xvfb and WebKitWebDriver, each on a free number; resolves once the
// driver answers. The driver starts the browser through a small script that
// takes GDK's scale from the session's arguments.
async function webkitDriver({ driver, minibrowser, xvfb, work }) {
  fs.mkdirSync(work, { recursive: true });
  const display = 90 + Math.floor(Math.random() * 400);
  const screen = childProcess.spawn(xvfb, [`:${display}`, '-screen', '0', '2560x1600x24', '-nolisten', 'tcp'],
                                    { stdio: 'ignore' });
  // GTK's own settings: scrollbars beside the page, as on most desktops.
  const config = path.join(work, 'config');
  fs.mkdirSync(path.join(config, 'gtk-3.0'), { recursive: true });
  fs.writeFileSync(path.join(config, 'gtk-3.0', 'settings.ini'), '[Settings]\ngtk-overlay-scrolling=false\n');
  const launcher = path.join(work, 'minibrowser.sh');
  fs.writeFileSync(launcher, `#!/bin/sh
# The browser at GDK's scale from a --gdk-scale=N argument, the rest passed on.
for argument in "$@"; do
  shift
  case "$argument" in
    --gdk-scale=*) GDK_SCALE="\${argument#--gdk-scale=}"; export GDK_SCALE ;;
    *) set -- "$@" "$argument" ;;
  esac
done
exec ${minibrowser} "$@"
`, { mode: 0o755 });
  const port = 20000 + Math.floor(Math.random() * 20000);
  const env = { ...process.env, DISPLAY: `:${display}`, XDG_CONFIG_HOME: config, GTK_OVERLAY_SCROLLING: '0' };
  let ready = false;
  // Xvfb takes its display a moment after it starts: the driver is started
  // once the display's socket is there.
  const socket = `/tmp/.X11-unix/X${display}`;
  for (let tries = 0; tries < 100 && !fs.existsSync(socket); tries += 1) await new Promise(done => setTimeout(done, 100));
  if (!fs.existsSync(socket)) throw new Error(`Xvfb did not open display :${display}`);
  const process_ = childProcess.spawn(driver, [`--port=${port}`], { env, stdio: 'ignore' });
  for (let tries = 0; tries < 100 && !ready; tries += 1) {
    try {
      await request(port, 'GET', '/status');
      ready = true;
    } catch (error) {
      await new Promise(done => setTimeout(done, 100));
    }
  }
  if (!ready) throw new Error('WebKitWebDriver did not answer');
  return {
    port, launcher, work,
    stop() {
      process_.kill();
      screen.kill();
    },
  };
}

async function webkitBrowser(driver, settings = {}) {
  const args = ['--automation'];
  if (settings.zoom) args.push(`--gdk-scale=${settings.zoom}`);
  if (settings.textSize) {
    const config = path.join(driver.work, `minibrowser-${settings.textSize}.ini`);
    fs.writeFileSync(config, `[websettings]\ndefault-font-size=${settings.textSize}\n`);
    args.push(`--config=${config}`);
  }
  const session = await request(driver.port, 'POST', '/session', {
    capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: driver.launcher, args } } },
  });
  const route = `/session/${session.sessionId}`;
  const ratio = settings.zoom || 1;
  return {
    engine: 'webkit',
    open: async (width, height) => {
      const page = webkitPage(driver.port, route, ratio);
      await page.setSize(width, height);
      return page;
    },
    close: () => request(driver.port, 'DELETE', route),
  };
}

const WEBDRIVER_KEYS = { '\n': '\uE007' };

function webkitPage(port, route, ratio) {
  const call = (method, where, body) => request(port, method, `${route}${where}`, body);
  let frame = null;  // { width, height } while the page is in a frame
  let topUrl = null;
  const problems = [];
  const page = {
    engine: 'webkit',
    problems,
    async goto(url) {
      topUrl = url;
      if (frame) {
        await call('POST', '/url', { url: frameUrl(url) });
        await enterFrame();
      } else {
        await call('POST', '/url', { url });
      }
    },
    async evaluate(fn, ...args) {
      const answer = await call('POST', '/execute/async', {
        script: 'const done = arguments[arguments.length - 1];' +
                `Promise.resolve().then(() => ${pageExpression(fn, args)})` +
                '.then(value => done({ value }), error => done({ error: String(error && error.stack || error) }));',
        args: [],
      });
      if (answer && answer.error) throw new Error(`in the page: ${answer.error}`);
      return answer ? answer.value : undefined;
    },
    async keys(text) {
      const actions = [];
      for (const character of text) {
        const value = WEBDRIVER_KEYS[character] || character;
        actions.push({ type: 'keyDown', value }, { type: 'keyUp', value });
      }
      await call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
    },
    // The window at this size (GDK's scale makes a CSS pixel of several of
    // the screen's), or a frame of it in a window of the narrowest width
    // WebKit allows.
    async setSize(windowWidth, windowHeight) {
      const width = Math.round(windowWidth / ratio), height = Math.round(windowHeight / ratio);
      if (width >= WEBKIT_NARROWEST) {
        if (frame) {
          frame = null;
          await call('POST', '/frame/parent', {});
          if (topUrl) await call('POST', '/url', { url: topUrl });
        }
        await windowSize(width, height);
        return;
      }
      const wasFramed = frame !== null;
      frame = { width, height };
      if (wasFramed) await call('POST', '/frame/parent', {});
      await windowSize(WEBKIT_NARROWEST, height);
      if (!wasFramed) {
        if (topUrl) await call('POST', '/url', { url: frameUrl(topUrl) });
      } else {
        await page.evaluate(size => {
          const element = document.getElementById('page');
          element.style.width = `${size.width}px`;
          element.style.height = `${size.height}px`;
          return true;
        }, frame);
      }
      if (topUrl) await enterFrame();
    },
    async screenshot(file) {
      if (frame) await call('POST', '/frame/parent', {});
      fs.writeFileSync(file, Buffer.from(await call('GET', '/screenshot'), 'base64'));
      if (frame) await enterFrame();
    },
    async click(selector) {
      await call('POST', `/element/${await element(selector)}/click`, {});
    },
    async setFiles(selector, file) {
      await call('POST', `/element/${await element(selector)}/value`, { text: file });
    },
  };
  async function element(selector) {
    const found = await call('POST', '/element', { using: 'css selector', value: selector });
    return found[Object.keys(found)[0]];
  }
  function frameUrl(url) {
    const address = new URL(url);
    return `${address.origin}/frame.html?src=${encodeURIComponent(url)}&width=${frame.width}&height=${frame.height}`;
  }
  async function enterFrame() {
    const found = await call('POST', '/element', { using: 'css selector', value: '#page' });
    await call('POST', '/frame', { id: found });
    for (let tries = 0; tries < 200; tries += 1) {
      if (await page.evaluate(() => document.readyState === 'complete' && Boolean(document.getElementById('terminal')))) return;
      await new Promise(done => setTimeout(done, 100));
    }
    throw new Error('webkit: the page in the frame did not load');
  }
  // The window's outer size for this inner size, found by measuring; in
  // the top document, never a frame's.
  async function windowSize(width, height) {
    await call('POST', '/window/rect', { width, height });
    const inner = await page.evaluate(() => [window.innerWidth, window.innerHeight]);
    if (inner[0] !== width || inner[1] !== height) {
      await call('POST', '/window/rect', { width: 2 * width - inner[0], height: 2 * height - inner[1] });
    }
  }
  return page;
}

module.exports = { serveForEngines, withRecorder, waitFor, inPage, chromiumBrowser, firefoxBrowser, webkitDriver,
  webkitBrowser, WEBKIT_NARROWEST };
