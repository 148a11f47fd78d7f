// page_test.js --web DIR --headless BIN --wimmel BIN --data DIR --out DIR
//
// The web page (build/web) in Debian's chromium, headless, against the
// native programs run at test time: the native runner (wimmel-headless)
// plays the same keys and gives the reference screenshots, and the native
// wimmel gives the problem texts of bad options. One browser serves every
// case; the page is served by scripts/serve-web on a free 127.0.0.1 port.
// Each case prints PASS or FAIL with the reason; a failing case leaves the
// canvas as it was in OUT/fail-*.png. The last line counts the cases.
'use strict';

const { spawnSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { startServer, stopServer, launchBrowser, newWatchedPage } = require('./harness.js');

function parseArgs(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!['web', 'headless', 'wimmel', 'data', 'out'].includes(name) || i + 1 >= argv.length) {
      throw new Error(`bad argument ${argv[i]}`);
    }
    options[name] = argv[i + 1];
  }
  for (const name of ['web', 'headless', 'wimmel', 'data', 'out']) {
    if (!options[name]) throw new Error(`--${name} is missing`);
  }
  return options;
}

const options = parseArgs(process.argv.slice(2));
fs.rmSync(options.out, { recursive: true, force: true });
fs.mkdirSync(options.out, { recursive: true });

// ------------------------------------------------------------ references

// The native runner plays the keys the page gets below, in the same order,
// and takes a screenshot where the page's screen is compared.
const referenceScript = `
wait 0.5
shot start.png
key s
wait 0.3
shot music.png
key e
wait 1
shot scene.png
key F1
wait 0.3
shot help1.png
key Esc
wait 0.5
shot back.png
key Esc
wait 0.3
expect-ended
`;

// After the restart, a fresh program: a click on the start screen's "+" cap.
const clickScript = `
wait 0.5
mouse 200 95
press left
wait 0.05
release left
wait 0.5
shot plus.png
`;

function runNative(name, text, shots) {
  const script = path.join(options.out, `${name}.script`);
  fs.writeFileSync(script, text);
  const dir = path.join(options.out, name);
  const run = spawnSync(options.headless, [script, '--out', dir, '--data', options.data], {
    encoding: 'utf8',
  });
  if (run.status !== 0) {
    throw new Error(`the native runner failed (${run.status}): ${run.stdout}${run.stderr}`);
  }
  for (const file of fs.readdirSync(dir)) {
    if (file.endsWith('.png')) shots[file.slice(0, -4)] = fs.readFileSync(path.join(dir, file)).toString('base64');
  }
}

function makeReferences() {
  const shots = {};
  runNative('reference', referenceScript, shots);
  runNative('click', clickScript, shots);
  return shots;
}

// The first line native wimmel prints on standard error for OPTIONS.
function nativeProblem(args) {
  const env = { ...process.env };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const run = spawnSync(options.wimmel, args, { encoding: 'utf8', env, timeout: 10000 });
  const line = (run.stderr || '').split('\n')[0];
  if (run.status !== 2 || !line.startsWith('wimmel: ')) {
    throw new Error(`native wimmel ${args.join(' ')} gave ${run.status}: ${run.stderr}`);
  }
  return line;
}

// ------------------------------------------------------------ the page's screen

// Counts the pixels of the screen canvas (within REGION, whole screen when
// null) that differ from the PNG, which the page decodes into a canvas of
// its own. Returns { count, first } or { size } when the sizes differ.
function screenDiff(page, png, region) {
  return page.evaluate(
    async (b64, region) => {
      const screen = document.getElementById('screen');
      const img = new Image();
      img.src = `data:image/png;base64,${b64}`;
      await img.decode();
      if (screen.width !== img.width || screen.height !== img.height) {
        return { size: `${screen.width}x${screen.height}, the native ${img.width}x${img.height}` };
      }
      const r = region || { x: 0, y: 0, w: img.width, h: img.height };
      const ref = document.createElement('canvas');
      ref.width = img.width;
      ref.height = img.height;
      const refContext = ref.getContext('2d');
      refContext.drawImage(img, 0, 0);
      const want = refContext.getImageData(r.x, r.y, r.w, r.h).data;
      // The program draws on the canvas's OffscreenCanvas; the element
      // shows its frames and is read by drawing it.
      const copy = document.createElement('canvas');
      copy.width = screen.width;
      copy.height = screen.height;
      const context = copy.getContext('2d');
      context.drawImage(screen, 0, 0);
      const got = context.getImageData(r.x, r.y, r.w, r.h).data;
      let count = 0;
      let first = null;
      for (let i = 0; i < want.length; i += 4) {
        if (
          got[i] !== want[i] ||
          got[i + 1] !== want[i + 1] ||
          got[i + 2] !== want[i + 2] ||
          got[i + 3] !== want[i + 3]
        ) {
          if (!first) {
            const p = i / 4;
            const hex = (d, j) => [d[j], d[j + 1], d[j + 2], d[j + 3]].map((v) => v.toString(16).padStart(2, '0')).join('');
            first = `(${r.x + (p % r.w)},${r.y + Math.floor(p / r.w)}) is ${hex(got, i)}, native ${hex(want, i)}`;
          }
          ++count;
        }
      }
      return { count, first };
    },
    png,
    region,
  );
}

// Facts about the screen canvas within REGION: a hash of its pixels and the
// number of pixels that differ from the region's most common colour.
function screenRegion(page, region) {
  return page.evaluate((r) => {
    const screen = document.getElementById('screen');
    const copy = document.createElement('canvas');
    copy.width = screen.width;
    copy.height = screen.height;
    const context = copy.getContext('2d');
    context.drawImage(screen, 0, 0);
    const data = context.getImageData(r.x, r.y, r.w, r.h).data;
    let hash = 2166136261;
    const colours = new Map();
    for (let i = 0; i < data.length; i += 4) {
      const colour = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
      colours.set(colour, (colours.get(colour) || 0) + 1);
      hash = Math.imul(hash ^ colour, 16777619) >>> 0;
    }
    const common = Math.max(...colours.values());
    return { hash, marked: data.length / 4 - common, colours: colours.size };
  }, region);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Calls PROBE until ACCEPT takes its result or SECONDS pass; returns the
// last result either way.
async function poll(probe, accept, seconds) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const result = await probe();
    if (accept(result) || Date.now() > until) return result;
    await sleep(150);
  }
}

// Waits until the screen (or REGION) shows the native screenshot NAME, and
// fails with the last difference when it does not within a few seconds.
async function expectScreen(page, shots, name, region = null, seconds = 15) {
  const result = await poll(
    () => screenDiff(page, shots[name], region),
    (r) => r.count === 0,
    seconds,
  );
  if (result.size) throw new Error(`the canvas is ${result.size}`);
  if (result.count !== 0) {
    const where = region ? ` in ${region.w}x${region.h}+${region.x}+${region.y}` : '';
    throw new Error(`${result.count} pixels${where} differ from the native ${name}.png; first ${result.first}`);
  }
}

// Waits until the program runs and has drawn; fails at once when the page
// reports an error instead, with what #message says.
async function waitRunning(page, seconds = 30) {
  await page.waitForFunction(
    () =>
      window.wimmel &&
      ((window.wimmel.state === 'running' && window.wimmel.frames > 0) || window.wimmel.state === 'error'),
    { timeout: seconds * 1000, polling: 50 },
  );
  const state = await page.evaluate(() => window.wimmel.state);
  if (state !== 'running') {
    const message = await page.evaluate(() => (document.getElementById('message') || {}).textContent);
    throw new Error(`wimmel.state is ${state}; #message says ${JSON.stringify(message)}`);
  }
}

// Where the screen canvas shows on the page, in CSS pixels, and how it is
// scaled.
function canvasRect(page) {
  return page.evaluate(() => {
    const screen = document.getElementById('screen');
    const r = screen.getBoundingClientRect();
    return {
      left: r.left,
      top: r.top,
      width: r.width,
      height: r.height,
      pixels: `${screen.width}x${screen.height}`,
      rendering: getComputedStyle(screen).imageRendering,
      viewport: `${innerWidth}x${innerHeight}`,
    };
  });
}

const fullScreen = (page) => page.evaluate(() => !!document.fullscreenElement);

// Whether the element SELECTOR is shown, and its text.
function element(page, selector) {
  return page.evaluate((s) => {
    const e = document.querySelector(s);
    if (!e) return { exists: false, shown: false, text: '' };
    const style = getComputedStyle(e);
    const shown = !e.hidden && e.getClientRects().length > 0 && style.visibility !== 'hidden';
    return { exists: true, shown, text: e.textContent };
  }, selector);
}

// ------------------------------------------------------------ the cases

const results = { passed: 0, failed: 0 };
// The cases of one tab follow each other: each starts where the one
// before left the program.
async function check(name, page, body) {
  try {
    await body();
    results.passed++;
    console.log(`PASS ${name}`);
  } catch (err) {
    results.failed++;
    console.log(`FAIL ${name}: ${err.message}`);
    if (page) {
      try {
        const url = await page.evaluate(() => {
          const screen = document.getElementById('screen');
          const copy = document.createElement('canvas');
          copy.width = screen.width;
          copy.height = screen.height;
          copy.getContext('2d').drawImage(screen, 0, 0);
          return copy.toDataURL('image/png');
        });
        const file = path.join(options.out, `fail-${name.replace(/[^a-z0-9]+/gi, '-')}.png`);
        fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
        console.log(`     the canvas: ${file}`);
      } catch {
        // No canvas to keep.
      }
    }
  }
}

function assert(condition, message) {
  if (!condition) throw new Error(message);
}

function noProblems(page) {
  assert(page.problems.length === 0, page.problems.join('; '));
}

// 640 x 480 regions of the scene: the meadow, the key bar (the help pages
// take its place) and the status line, whose frame time (x 195 to 259)
// depends on the machine's clock.
const meadow = { x: 0, y: 48, w: 640, h: 328 };
const keyBar = { x: 0, y: 380, w: 640, h: 82 };
const statusLeft = { x: 0, y: 462, w: 195, h: 18 };
const statusTime = { x: 195, y: 462, w: 65, h: 18 };
const statusRight = { x: 260, y: 462, w: 380, h: 18 };

async function main() {
  const shots = makeReferences();
  const problems = {
    figures: nativeProblem(['--figures', '0']),
    mode: nativeProblem(['--mode', '1x1x1']),
  };
  const server = await startServer(options.web);
  const browser = await launchBrowser();
  try {
    // One tab plays the program from its start screen to its end.
    const page = await newWatchedPage(browser);
    await page.setViewport({ width: 1024, height: 768 });
    await check('start screen', page, async () => {
      await page.goto(server.url, { waitUntil: 'load' });
      await waitRunning(page);
      await expectScreen(page, shots, 'start');
      const loading = await element(page, '#loading');
      assert(!loading.shown, '#loading is still shown while the program runs');
      const message = await element(page, '#message');
      assert(!message.shown, `#message is shown: ${message.text}`);
    });
    await check('S switches the music on the start screen', page, async () => {
      const before = await screenDiff(page, shots.music, { x: 150, y: 185, w: 50, h: 20 });
      assert(before.count > 0, 'the music field shows the switched state before S');
      await page.keyboard.press('KeyS');
      await expectScreen(page, shots, 'music');
    });
    await check('a mode key starts a moving scene with its status line', page, async () => {
      await page.keyboard.press('KeyE');
      await expectScreen(page, shots, 'scene', keyBar);
      await expectScreen(page, shots, 'scene', statusLeft);
      await expectScreen(page, shots, 'scene', statusRight);
      const time = await screenRegion(page, statusTime);
      assert(time.marked >= 20, `the status line's frame time is blank (${time.marked} marked pixels)`);
      const frames = await page.evaluate(() => window.wimmel.frames);
      const first = await screenRegion(page, meadow);
      const later = await poll(() => screenRegion(page, meadow), (r) => r.hash !== first.hash, 5);
      assert(later.hash !== first.hash, 'the meadow did not change within 5 s');
      const framesLater = await page.evaluate(() => window.wimmel.frames);
      assert(framesLater > frames, `wimmel.frames stayed at ${frames}`);
    });
    await check('the music plays in the scene', page, async () => {
      const audio = await poll(
        () => page.evaluate(() => ({ state: window.wimmel.audio.state, peak: window.wimmel.audio.peak() })),
        (a) => a.state === 'running' && a.peak > 0,
        10,
      );
      assert(audio.state === 'running', `wimmel.audio.state is ${audio.state}`);
      assert(audio.peak > 0, `wimmel.audio.peak() is ${audio.peak}`);
    });
    await check('F1 shows help page 1', page, async () => {
      await page.keyboard.press('F1');
      await expectScreen(page, shots, 'help1', keyBar);
    });
    await check('Escape twice ends the program', page, async () => {
      await page.keyboard.press('Escape');
      await expectScreen(page, shots, 'back');
      await page.keyboard.press('Escape');
      const state = await poll(
        () => page.evaluate(() => ({ state: window.wimmel.state, code: window.wimmel.exitCode })),
        (s) => s.state === 'ended',
        5,
      );
      assert(state.state === 'ended', `wimmel.state is ${state.state}`);
      assert(state.code === 0, `wimmel.exitCode is ${state.code}`);
      const message = await element(page, '#message');
      assert(message.shown, '#message is not shown');
      assert(message.text.includes('Wimmel ist beendet.'), `#message says ${JSON.stringify(message.text)}`);
      const restart = await element(page, '#restart');
      assert(restart.shown, 'button#restart is not shown');
      assert(restart.text.includes('Noch einmal starten'), `#restart says ${JSON.stringify(restart.text)}`);
    });
    await check('#restart starts the program again', page, async () => {
      await page.click('#restart');
      await waitRunning(page);
      await expectScreen(page, shots, 'start');
      const message = await element(page, '#message');
      assert(!message.shown, `#message is still shown: ${message.text}`);
    });
    await check('the canvas scales in whole steps and clicks map through the scale', page, async () => {
      const small = await canvasRect(page);
      assert(small.width === 640 && small.height === 480,
        `in ${small.viewport} the canvas shows ${small.width}x${small.height}, not 640x480`);
      await page.setViewport({ width: 1300, height: 1000 });
      const rect = await poll(() => canvasRect(page), (r) => r.width === 1280, 3);
      assert(rect.width === 1280 && rect.height === 960,
        `in ${rect.viewport} the canvas shows ${rect.width}x${rect.height}, not 1280x960`);
      assert(['pixelated', 'crisp-edges'].includes(rect.rendering), `image-rendering is ${rect.rendering}`);
      // The "+" cap's pixel (200, 95), through the double scale.
      await page.mouse.click(rect.left + 200.5 * 2, rect.top + 95.5 * 2);
      await expectScreen(page, shots, 'plus');
    });
    await check('the full-screen button and Alt+Enter switch full screen', page, async () => {
      await page.click('#fullscreen');
      assert(await poll(() => fullScreen(page), (on) => on, 3), 'the button did not switch to full screen');
      await page.click('#fullscreen');
      assert(!(await poll(() => fullScreen(page), (on) => !on, 3)), 'the button did not leave full screen');
      await page.keyboard.down('Alt');
      await page.keyboard.press('Enter');
      await page.keyboard.up('Alt');
      assert(await poll(() => fullScreen(page), (on) => on, 3), 'Alt+Enter did not switch to full screen');
      await page.keyboard.down('Alt');
      await page.keyboard.press('Enter');
      await page.keyboard.up('Alt');
      assert(!(await poll(() => fullScreen(page), (on) => !on, 3)), 'Alt+Enter did not leave full screen');
      // Neither reached the program as a key.
      await expectScreen(page, shots, 'plus');
    });
    await check('no console errors or failed requests from start to end', page, async () => {
      noProblems(page);
    });
    await page.close();

    // A bad URL parameter: the command line's problem text, then the start screen.
    for (const [query, line] of [
      ['?figures=0', problems.figures],
      ['?mode=1x1x1', problems.mode],
    ]) {
      const bad = await newWatchedPage(browser);
      await check(`${query} says what native wimmel says`, bad, async () => {
        await bad.goto(server.url + query, { waitUntil: 'load' });
        await waitRunning(bad);
        const message = await element(bad, '#message');
        assert(message.shown, '#message is not shown');
        assert(
          message.text.includes(line),
          `#message says ${JSON.stringify(message.text)}, native wimmel ${JSON.stringify(line)}`,
        );
        await expectScreen(bad, shots, 'start');
        noProblems(bad);
      });
      await bad.close();
    }

    // A scene from the URL, in a window smaller than its mode.
    const direct = await newWatchedPage(browser);
    await check('?mode=800x600x16&figures=200&music=on opens the scene scaled down', direct, async () => {
      await direct.setViewport({ width: 700, height: 500 });
      await direct.goto(`${server.url}?mode=800x600x16&figures=200&music=on`, { waitUntil: 'load' });
      await waitRunning(direct);
      const rect = await canvasRect(direct);
      assert(rect.pixels === '800x600', `the canvas has ${rect.pixels} pixels`);
      assert(Math.abs(rect.height - 500) < 0.5 && Math.abs(rect.width - 2000 / 3) < 0.5,
        `in ${rect.viewport} the canvas shows ${rect.width}x${rect.height}, not 666.67x500`);
      const frames = await direct.evaluate(() => window.wimmel.frames);
      const later = await poll(() => direct.evaluate(() => window.wimmel.frames), (f) => f > frames + 5, 5);
      assert(later > frames + 5, `wimmel.frames went from ${frames} to ${later} only`);
      const message = await element(direct, '#message');
      assert(!message.shown, `#message is shown: ${message.text}`);
      noProblems(direct);
    });
    await direct.close();

    // The page under another path of another server: a folder that links
    // to it two levels down.
    const site = fs.mkdtempSync(path.join(os.tmpdir(), 'wimmel-site-'));
    const deep = await newWatchedPage(browser);
    let elsewhere = null;
    try {
      fs.writeFileSync(path.join(site, 'index.html'), '<!DOCTYPE html><title>Spiele</title>\n');
      fs.mkdirSync(path.join(site, 'spiele'));
      fs.symlinkSync(path.resolve(options.web), path.join(site, 'spiele', 'wimmel'));
      elsewhere = await startServer(site);
      await check('the page works under another path', deep, async () => {
        await deep.goto(`${elsewhere.url}spiele/wimmel/`, { waitUntil: 'load' });
        await waitRunning(deep);
        await expectScreen(deep, shots, 'start');
        noProblems(deep);
      });
    } finally {
      await deep.close();
      stopServer(elsewhere);
      fs.rmSync(site, { recursive: true, force: true });
    }

    // A data download that fails once: the page says so and offers a retry.
    const broken = await newWatchedPage(browser);
    await check('a failed data download shows a message and #retry loads it again', broken, async () => {
      let failNext = true;
      await broken.setRequestInterception(true);
      broken.on('request', (request) => {
        if (failNext && /\/wimmel\.data$/.test(new URL(request.url()).pathname)) {
          failNext = false;
          request.abort('connectionreset');
        } else {
          request.continue();
        }
      });
      await broken.goto(server.url, { waitUntil: 'load' });
      await broken.waitForFunction(() => window.wimmel && window.wimmel.state === 'error', {
        timeout: 30000,
        polling: 50,
      });
      const message = await element(broken, '#message');
      assert(message.shown && message.text.trim() !== '', '#message is not shown');
      const retry = await element(broken, '#retry');
      assert(retry.shown, 'button#retry is not shown');
      await broken.click('#retry');
      const again = await poll(() => broken.evaluate(() => window.wimmel.state), (st) => st !== 'error', 5);
      assert(again !== 'error', '#retry left wimmel.state at error');
      await waitRunning(broken);
      await expectScreen(broken, shots, 'start');
      const after = await element(broken, '#message');
      assert(!after.shown, `#message is still shown: ${after.text}`);
    });
    await broken.close();

    // The program's keys are kept from the browser while the page has focus.
    const keys = await newWatchedPage(browser);
    await check("the program's keys are kept from the browser", keys, async () => {
      await keys.goto(`${server.url}?mode=640x480x16`, { waitUntil: 'load' });
      await waitRunning(keys);
      // A listener on the window sees each key last, once the page decided.
      await keys.evaluate(() => {
        window.keysSeen = [];
        window.addEventListener('keydown', (e) => window.keysSeen.push([e.key, e.defaultPrevented]));
      });
      const names = ['F1', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Tab', 'Backspace',
        'NumpadAdd', 'Minus', 'KeyT', 'KeyN', 'Digit9', 'Digit1', 'Escape'];
      for (const name of names) await keys.keyboard.press(name);
      const seen = await keys.evaluate(() => window.keysSeen);
      const passed = seen.filter(([, prevented]) => !prevented).map(([key]) => key);
      assert(seen.length === names.length, `the window saw ${seen.length} of ${names.length} keys`);
      assert(passed.length === 0, `these keys reached the browser: ${passed.join(' ')}`);
      noProblems(keys);
    });
    await keys.close();

    // A browser without WebAssembly gets a plain sentence.
    const noWasm = await newWatchedPage(browser);
    await check('without WebAssembly the page says so', noWasm, async () => {
      await noWasm.evaluateOnNewDocument(() => {
        delete window.WebAssembly;
      });
      await noWasm.goto(server.url, { waitUntil: 'load' });
      const state = await poll(() => noWasm.evaluate(() => window.wimmel && window.wimmel.state), (st) => st === 'error', 10);
      assert(state === 'error', `wimmel.state is ${state}`);
      const message = await element(noWasm, '#message');
      assert(message.shown && /WebAssembly/.test(message.text), `#message says ${JSON.stringify(message.text)}`);
      const loading = await element(noWasm, '#loading');
      assert(!loading.shown, '#loading is still shown');
      noProblems(noWasm);
    });
    await noWasm.close();

    // The loading bar, with the download slowed to 8 MB/s so that it shows,
    // and the browser's cache out of the way.
    const slow = await newWatchedPage(browser);
    await check('the loading bar moves with the bytes received', slow, async () => {
      await slow.setCacheEnabled(false);
      const cdp = await slow.createCDPSession();
      await cdp.send('Network.enable');
      await cdp.send('Network.emulateNetworkConditions', {
        offline: false,
        latency: 0,
        downloadThroughput: 8e6,
        uploadThroughput: -1,
      });
      await slow.goto(server.url, { waitUntil: 'domcontentloaded' });
      const values = new Set();
      let shown = false;
      let state;
      const until = Date.now() + 60000;
      while (Date.now() < until) {
        const s = await slow.evaluate(() => {
          const bar = document.getElementById('progress');
          const loading = document.getElementById('loading');
          return {
            state: window.wimmel && window.wimmel.state,
            value: bar && bar.hasAttribute('value') ? bar.value : null,
            max: bar ? bar.max : null,
            shown: !!loading && !loading.hidden && loading.getClientRects().length > 0,
          };
        });
        state = s.state;
        if (state && state !== 'loading') break;
        if (s.shown) shown = true;
        if (s.shown && s.value !== null && s.value > 0 && s.value < s.max) values.add(s.value);
        await sleep(50);
      }
      assert(shown, '#loading was not shown while the data loaded');
      assert(values.size >= 2, `#progress showed ${values.size} values between 0 and its max while loading`);
      assert(state === 'running', `wimmel.state is ${state} after loading`);
      noProblems(slow);
    });
    await slow.close();
  } finally {
    await browser.close();
    stopServer(server);
  }
  console.log(`${results.passed} passed, ${results.failed} failed`);
  process.exitCode = results.failed === 0 && results.passed > 0 ? 0 : 1;
}

main().catch((err) => {
  console.log(`FAIL: ${err.stack || err.message}`);
  console.log(`${results.passed} passed, ${results.failed + 1} failed`);
  process.exit(1);
});
