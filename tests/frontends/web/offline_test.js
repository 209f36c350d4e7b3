// The page after one visit, with the network gone: the service worker keeps
// the build's files, so a reload shows the title and the game plays; the
// manifest names the game and its icons, which are PNGs of the sizes it
// says. Served by the site's own server, as the README serves it.
//
//   node offline_test.js SITE_FOLDER WORK_FOLDER
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');

const { launch, waitForText } = require('./page_support.js');
const { serve } = require('./serve.js');

const [site, work] = process.argv.slice(2).map(p => path.resolve(p));

// Width and height from a PNG's header.
function pngSize(file) {
  const bytes = fs.readFileSync(file);
  assert.strictEqual(bytes.toString('latin1', 1, 4), 'PNG', `${file} is no PNG`);
  return `${bytes.readUInt32BE(16)}x${bytes.readUInt32BE(20)}`;
}

async function main() {
  fs.rmSync(work, { recursive: true, force: true });
  fs.mkdirSync(work, { recursive: true });

  // The manifest, once.
  const manifest = JSON.parse(fs.readFileSync(path.join(site, 'manifest.webmanifest'), 'utf8'));
  assert.strictEqual(manifest.name, 'Tidewrack');
  assert.ok(manifest.short_name, 'no short name');
  assert.strictEqual(manifest.display, 'standalone');
  // The build's version, which the service worker's cache is named by.
  const build = fs.readFileSync(path.join(site, 'version.txt'), 'utf8').trim();
  assert.ok(build.startsWith(`${manifest.version}-`), `manifest ${manifest.version}, build ${build}`);
  assert.match(manifest.theme_color, /^#[0-9a-f]{6}$/i);
  assert.match(manifest.background_color, /^#[0-9a-f]{6}$/i);
  const sizes = {};
  for (const icon of manifest.icons) {
    if (icon.type !== 'image/png') continue;
    assert.strictEqual(pngSize(path.join(site, icon.src)), icon.sizes.replace(/ .*/, ''), icon.src);
    sizes[`${icon.sizes} ${icon.purpose || 'any'}`] = true;
  }
  for (const wanted of ['192x192 any', '512x512 any', '512x512 maskable']) {
    assert.ok(sizes[wanted], `no ${wanted} icon in the manifest`);
  }

  const server = await serve(site);
  const browser = await launch();
  try {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(server.url);
    await waitForText(page, 'by Tobias Wrenfield', 'the first visit');
    // The worker is active once it has stored every file of the build.
    await page.evaluate(() => navigator.serviceWorker.ready.then(() => true));

    await context.setOffline(true);
    await page.reload();
    await waitForText(page, 'by Tobias Wrenfield', 'the title with the network gone');
    await page.keyboard.press('Enter');
    await waitForText(page, 'What now?', 'the first room with the network gone');
    await page.keyboard.type('inventory');
    await page.keyboard.press('Enter');
    await waitForText(page, 'A life preserver', 'INVENTORY with the network gone');
    await page.screenshot({ path: path.join(work, 'offline.png') });
    await context.close();
  } finally {
    await browser.close();
    await server.close();
  }
  console.log('offline: the title and a command after a reload with the network gone');
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
