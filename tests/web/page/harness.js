// What the page tests and bench/web share: the page's server (scripts/serve-web
// on a free 127.0.0.1 port), Debian's chromium driven by puppeteer-core (which
// downloads no browser), and a page whose console errors, uncaught exceptions
// and failed requests are collected.
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const root = path.resolve(__dirname, '..', '..', '..');
const chromiumPath = '/usr/bin/chromium';

// Starts scripts/serve-web on WEBDIR and resolves to { url, process } once it
// printed its address.
function startServer(webDir, extraArgs = []) {
  return new Promise((resolve, reject) => {
    const child = spawn(
      process.execPath,
      [path.join(root, 'scripts', 'serve-web'), '--root', webDir, '--quiet', ...extraArgs],
      { stdio: ['ignore', 'pipe', 'pipe'] },
    );
    let out = '';
    let err = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const match = /^(http:\/\/127\.0\.0\.1:\d+\/)\n/.exec(out);
      if (match) resolve({ url: match[1], process: child });
    });
    child.stderr.on('data', (chunk) => (err += chunk));
    child.on('exit', (code) => reject(new Error(`serve-web ended with ${code}: ${err.trim()}`)));
  });
}

function stopServer(server) {
  if (server && server.process.exitCode === null) server.process.kill('SIGTERM');
}

// Chromium headless with a fresh profile that it removes on close; the
// flags keep it from reaching out (updates, sync, component downloads).
async function launchBrowser(extraArgs = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'wimmel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
      ...extraArgs,
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      fs.rmSync(profile, { recursive: true, force: true });
    }
  };
  return browser;
}

// A new tab whose problems (console errors, uncaught exceptions, failed
// requests, answers of 400 and above, a missing favicon among them, and a
// wasm file of another content type) are collected in page.problems as
// text.
async function newWatchedPage(browser) {
  const page = await browser.newPage();
  page.problems = [];
  page.consoleLines = [];
  page.on('console', (msg) => {
    page.consoleLines.push(msg.text());
    if (msg.type() === 'error') {
      const where = msg.location() && msg.location().url ? ` (${msg.location().url})` : '';
      page.problems.push(`console error: ${msg.text()}${where}`);
    }
  });
  page.on('pageerror', (err) => page.problems.push(`uncaught: ${err.message}`));
  page.on('requestfailed', (req) =>
    page.problems.push(`request failed: ${req.url()} (${req.failure() && req.failure().errorText})`),
  );
  page.on('response', (res) => {
    if (res.status() >= 400) page.problems.push(`answer ${res.status()}: ${res.url()}`);
    // The browser compiles the program while it arrives only when it comes
    // as application/wasm; otherwise it warns and compiles it afterwards.
    const type = res.headers()['content-type'];
    if (/\.wasm$/.test(new URL(res.url()).pathname) && res.status() === 200 && type !== 'application/wasm') {
      page.problems.push(`${res.url()} came as ${type}, not application/wasm`);
    }
  });
  return page;
}

module.exports = { root, chromiumPath, startServer, stopServer, launchBrowser, newWatchedPage };
