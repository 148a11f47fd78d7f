// page_bench.js --web DIR --seconds S --heap-seconds H
//
// The page's half of bench/web/compare.sh: serves DIR with scripts/serve-web
// on a free 127.0.0.1 port, and in Debian's headless chromium (fresh
// profile, so nothing is cached at first)
//  1. opens the page and reads the first frame's time after navigation and
//     the bytes transferred (as they came over the wire, gzip included);
//  2. opens ?benchmark=S&mode=1280x1024x32&figures=1024 and reads its
//     benchmark line, the CPU time of the whole browser (every process of
//     its tree, from /proc) while the benchmark ran, and the wasm heap;
//  3. with H > S, watches the heap over ?benchmark=H, one sample a second.
// Prints "name=value" lines for the shell script, and "note: ..." lines.
'use strict';

const fs = require('fs');
const path = require('path');
const harness = require(path.join(__dirname, '..', '..', 'tests', 'web', 'page', 'harness.js'));

function parseArgs(argv) {
  const options = { seconds: 10, heapSeconds: 0 };
  for (let i = 0; i < argv.length; i += 2) {
    const value = argv[i + 1];
    if (argv[i] === '--web') options.web = value;
    else if (argv[i] === '--seconds') options.seconds = Number(value);
    else if (argv[i] === '--heap-seconds') options.heapSeconds = Number(value);
    else throw new Error(`bad argument ${argv[i]}`);
  }
  if (!options.web) throw new Error('--web is missing');
  return options;
}

const ticks = 100; // USER_HZ: /proc/PID/stat counts in 1/100 s on Linux.

// Every process of the tree under ROOT with its user + system ticks, and
// the ticks of children it has already reaped.
function treeTicks(rootPid) {
  const parents = new Map();
  const cpu = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
    } catch {
      continue;
    }
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    // fields[0] is field 3 (state): ppid is field 4, utime 14, stime 15,
    // cutime 16, cstime 17.
    parents.set(Number(name), Number(fields[1]));
    cpu.set(Number(name), Number(fields[11]) + Number(fields[12]) + Number(fields[13]) + Number(fields[14]));
  }
  let total = 0;
  let count = 0;
  const byKind = {};
  for (const [pid, ticksUsed] of cpu) {
    for (let p = pid; p > 1; p = parents.get(p)) {
      if (p === rootPid) {
        total += ticksUsed;
        ++count;
        const kind = processKind(pid);
        byKind[kind] = (byKind[kind] || 0) + ticksUsed / ticks;
        break;
      }
      if (!parents.has(p)) break;
    }
  }
  return { seconds: total / ticks, processes: count, byKind };
}

// Chromium names each process's part with --type= (none: the browser).
function processKind(pid) {
  try {
    const args = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split(/[\0 ]/);
    const type = args.find((a) => a.startsWith('--type='));
    return type ? type.slice(7) : 'browser';
  } catch {
    return 'gone';
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const say = (name, value) => console.log(`${name}=${value}`);

async function main() {
  const options = parseArgs(process.argv.slice(2));
  const server = await harness.startServer(options.web);
  const browser = await harness.launchBrowser();
  const browserPid = browser.process().pid;
  try {
    // 1. First frame and transfer, with nothing cached.
    const page = await harness.newWatchedPage(browser);
    await page.setViewport({ width: 1280, height: 1024 });
    const cdp = await page.createCDPSession();
    await cdp.send('Network.enable');
    let transferred = 0;
    cdp.on('Network.loadingFinished', (e) => (transferred += e.encodedDataLength));
    await page.goto(server.url, { waitUntil: 'load' });
    await page.waitForFunction(() => window.wimmel && window.wimmel.firstFrameMs !== null, {
      timeout: 60000,
    });
    say('first_frame_ms', (await page.evaluate(() => window.wimmel.firstFrameMs)).toFixed(0));
    await page.waitForFunction(() => window.wimmel.state === 'running', { timeout: 60000 });
    await sleep(500);
    say('transferred_bytes', transferred);
    for (const problem of page.problems) console.log(`note: start page: ${problem}`);
    await page.close();

    // 2. The benchmark.
    const bench = await harness.newWatchedPage(browser);
    await bench.setViewport({ width: 1280, height: 1024 });
    const query = `?benchmark=${options.seconds}&mode=1280x1024x32&figures=1024`;
    await bench.goto(server.url + query, { waitUntil: 'load' });
    await bench.waitForFunction(() => window.wimmel && window.wimmel.firstFrameMs !== null, {
      timeout: 60000,
      polling: 20,
    });
    const cpu0 = treeTicks(browserPid);
    const t0 = process.hrtime.bigint();
    say('benchmark_first_frame_ms', (await bench.evaluate(() => window.wimmel.firstFrameMs)).toFixed(0));
    let heapEarly = null;
    let line = null;
    const deadline = Date.now() + (options.seconds + 60) * 1000;
    while (Date.now() < deadline) {
      const state = await bench.evaluate(() => ({
        line: window.wimmel.benchmarkLine,
        heap: window.wimmel.heapBytes(),
        state: window.wimmel.state,
      }));
      if (heapEarly === null && Number(process.hrtime.bigint() - t0) / 1e9 >= Math.min(2, options.seconds / 2)) {
        heapEarly = state.heap;
      }
      if (state.line) {
        line = state.line;
        break;
      }
      if (state.state === 'error') break;
      await sleep(100);
    }
    const cpu1 = treeTicks(browserPid);
    const wall = Number(process.hrtime.bigint() - t0) / 1e9;
    if (!line) throw new Error(`the page printed no benchmark line: ${bench.problems.join('; ')}`);
    const logged = bench.consoleLines.includes(line);
    say('benchmark_line', line);
    say('benchmark_line_logged', logged ? 'yes' : 'no');
    say('browser_cpu_seconds', (cpu1.seconds - cpu0.seconds).toFixed(2));
    say('browser_wall_seconds', wall.toFixed(2));
    say('browser_processes', cpu1.processes);
    const kinds = Object.keys(cpu1.byKind).sort();
    say(
      'browser_cpu_by_kind',
      kinds.map((k) => `${k} ${((cpu1.byKind[k] || 0) - (cpu0.byKind[k] || 0)).toFixed(2)} s`).join(', '),
    );
    say('heap_early_bytes', heapEarly);
    say('heap_bytes', await bench.evaluate(() => window.wimmel.heapBytes()));
    for (const problem of bench.problems) console.log(`note: benchmark page: ${problem}`);
    await bench.close();

    // 3. The heap over a long run.
    if (options.heapSeconds > options.seconds) {
      const long = await harness.newWatchedPage(browser);
      const longQuery = `?benchmark=${options.heapSeconds}&mode=1280x1024x32&figures=1024`;
      await long.goto(server.url + longQuery, { waitUntil: 'load' });
      await long.waitForFunction(() => window.wimmel && window.wimmel.firstFrameMs !== null, {
        timeout: 60000,
      });
      const samples = [];
      const until = Date.now() + (options.heapSeconds + 60) * 1000;
      while (Date.now() < until) {
        const state = await long.evaluate(() => ({
          line: window.wimmel.benchmarkLine,
          heap: window.wimmel.heapBytes(),
        }));
        samples.push(state.heap);
        if (state.line) break;
        await sleep(1000);
      }
      // The first tenth of the run is the warm-up; flat means no growth after it.
      const settled = samples[Math.floor(samples.length / 10)];
      say('long_seconds', options.heapSeconds);
      say('long_heap_settled_bytes', settled);
      say('long_heap_max_bytes', Math.max(...samples));
      say('long_heap_last_bytes', samples[samples.length - 1]);
      await long.close();
    }
  } finally {
    await browser.close();
    harness.stopServer(server);
  }
}

main().catch((err) => {
  console.error(`page_bench: ${err.message}`);
  process.exit(2);
});
