// The web edition's page under Lighthouse: the site (build/web/site) served
// by its own server on 127.0.0.1, Debian's chromium headless, three runs with
// the mobile profile and three with the desktop one; prints the medians and
// exits 1 when a mobile figure misses its target.
//
//   node bench/lighthouse.js [SITE_FOLDER]
//
// Lighthouse comes from frontends/web/node_modules (npm ci there).
'use strict';

const os = require('os');
const fs = require('fs');
const path = require('path');

const root = path.resolve(__dirname, '..');
const modules = path.join(root, 'frontends/web/node_modules');
const { serve } = require(path.join(root, 'frontends/web/site_server.js'));
const site = path.resolve(process.argv[2] || path.join(root, 'build/web/site'));

const FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const RUNS = 3;

// Mobile targets: scores at least, timings under, layout shift at most.
const TARGETS = { performance: 98, accessibility: 100, 'best-practices': 100, seo: 100 };
const LCP_MS = 2000;
const TBT_MS = 100;

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function runOnce(lighthouse, launcher, url, desktop) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tidewrack-lighthouse-'));
  const chrome = await launcher.launch({ chromePath: '/usr/bin/chromium', chromeFlags: FLAGS,
    userDataDir: profile });
  try {
    const config = desktop ? (await import(path.join(modules, 'lighthouse/core/config/desktop-config.js'))).default
                           : undefined;
    const result = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error' }, config);
    const { categories, audits } = result.lhr;
    return {
      performance: Math.round(categories.performance.score * 100),
      accessibility: Math.round(categories.accessibility.score * 100),
      'best-practices': Math.round(categories['best-practices'].score * 100),
      seo: Math.round(categories.seo.score * 100),
      lcp: audits['largest-contentful-paint'].numericValue,
      tbt: audits['total-blocking-time'].numericValue,
      cls: audits['cumulative-layout-shift'].numericValue,
    };
  } finally {
    await chrome.kill();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

async function main() {
  if (!fs.existsSync(path.join(site, 'index.html'))) throw new Error(`no site in ${site}: build the web preset`);
  const lighthouse = (await import(path.join(modules, 'lighthouse/core/index.js'))).default;
  const launcher = await import(path.join(modules, 'chrome-launcher/dist/index.js'));
  const server = await serve(site);
  const medians = {};
  try {
    for (const profile of ['mobile', 'desktop']) {
      const runs = [];
      for (let run = 0; run < RUNS; run += 1) runs.push(await runOnce(lighthouse, launcher, server.url, profile === 'desktop'));
      medians[profile] = Object.fromEntries(Object.keys(runs[0]).map(key => [key, median(runs.map(r => r[key]))]));
      const m = medians[profile];
      console.log(`${profile}: performance ${m.performance}, accessibility ${m.accessibility}, ` +
                  `best practices ${m['best-practices']}, SEO ${m.seo}, LCP ${(m.lcp / 1000).toFixed(2)} s, ` +
                  `TBT ${Math.round(m.tbt)} ms, CLS ${m.cls.toFixed(3)} (median of ${RUNS})`);
    }
  } finally {
    await server.close();
  }
  const m = medians.mobile;
  const missed = Object.entries(TARGETS).filter(([key, least]) => m[key] < least)
    .map(([key, least]) => `${key} ${m[key]} < ${least}`);
  if (m.lcp >= LCP_MS) missed.push(`LCP ${Math.round(m.lcp)} ms >= ${LCP_MS} ms`);
  if (m.tbt >= TBT_MS) missed.push(`TBT ${Math.round(m.tbt)} ms >= ${TBT_MS} ms`);
  if (m.cls > 0) missed.push(`CLS ${m.cls.toFixed(3)} > 0`);
  if (missed.length) {
    console.log(`mobile targets missed: ${missed.join('; ')}`);
    process.exit(1);
  }
  console.log('mobile targets met');
}

main().catch(error => {
  console.error(error);
  process.exit(2);
});
