// What every browser check needs: the built site on a plain static server
// (no compression, as a player's simplest host sends it), Chromium with a
// fresh profile, and a runner that counts what actually ran.
//   node tests/e2e/browser.mjs SITE_DIR MODULE.mjs ...
// runs each module's default export with the harness below.
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.json': 'application/json', '.webmanifest': 'application/manifest+json',
  '.png': 'image/png', '.svg': 'image/svg+xml', '.css': 'text/css' };

// Serves dir on 127.0.0.1; requests lists every path asked for.
export async function serve(dir) {
  const root = path.resolve(dir), requests = [];
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(req.url.split('?')[0]);
    requests.push(url);
    const file = path.join(root, path.normalize(url).replace(/^\/$/, '/index.html'));
    if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) return void res.writeHead(404).end();
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream', 'Content-Length': fs.statSync(file).size });
    fs.createReadStream(file).pipe(res);
  });
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  return { url: `http://127.0.0.1:${server.address().port}/`, requests,
    close: () => new Promise((ok) => { server.closeAllConnections(); server.close(ok); }) };
}

// Chromium on a new, empty profile; options go to Playwright (viewport,
// hasTouch, isMobile, ...). Playwright (installed by npm ci in tests/web)
// is loaded only here, so the desktop checks run without it.
export async function launch(options = {}) {
  const { chromium } = createRequire(new URL('../web/package.json', import.meta.url))('playwright-core');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'sevenwell-profile-'));
  return chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, viewport: { width: 1280, height: 1000 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    ...options,
  });
}

export function expect(ok, why) {
  if (!ok) throw new Error(why);
}

// Named checks, counted as they run.
export function harness(site) {
  const t = { site: path.resolve(site), serve, launch, expect, passed: 0, failed: 0 };
  t.check = async (name, fn) => {
    const start = Date.now(), took = () => `(${((Date.now() - start) / 1000).toFixed(1)} s)`;
    try {
      await fn();
      ++t.passed;
      console.log(`ok   ${name} ${took()}`);
    } catch (e) {
      ++t.failed;
      console.log(`FAIL ${name} ${took()}: ${e.stack || e.message}`);
    }
  };
  return t;
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [site, ...modules] = process.argv.slice(2), t = harness(site);
  for (const m of modules) await (await import(pathToFileURL(path.resolve(m)).href)).default(t);
  console.log(`browser: ${t.passed} passed, ${t.failed} failed`);
  process.exit(t.failed || !t.passed ? 1 : 0);
}
