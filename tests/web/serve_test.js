// serve_test.js SERVE_WEB: scripts/serve-web on a folder of its own: the
// address it prints, content types, gzip that unpacks to the file, ETag
// revalidation, HEAD, folders and their index.html, and no file outside
// the folder it serves.
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const serveWeb = process.argv[2];
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'serve-web-test-'));
const site = path.join(dir, 'site');
fs.mkdirSync(path.join(site, 'sub'), { recursive: true });
const wasm = Buffer.alloc(50000);
for (let i = 0; i < wasm.length; ++i) wasm[i] = (i * 7) % 13;
wasm.write('\0asm', 0, 'latin1');
fs.writeFileSync(path.join(site, 'wimmel.wasm'), wasm);
fs.writeFileSync(path.join(site, 'index.html'), '<!doctype html><title>t</title>');
fs.writeFileSync(path.join(site, 'page.js'), 'console.log(1);\n'.repeat(200));
fs.writeFileSync(path.join(site, 'wimmel.data'), Buffer.alloc(3000, 1));
fs.writeFileSync(path.join(site, 'sub', 'index.html'), 'sub');
fs.writeFileSync(path.join(dir, 'secret.txt'), 'outside');

let failed = 0;
let passed = 0;
function expect(name, condition, detail) {
  if (condition) {
    passed++;
    console.log(`PASS ${name}`);
  } else {
    failed++;
    console.log(`FAIL ${name}: ${detail}`);
  }
}

function get(base, urlPath, headers = {}, method = 'GET') {
  return new Promise((resolve, reject) => {
    const req = http.request(new URL(urlPath, base), { method, headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks) }));
    });
    req.on('error', reject);
    req.end();
  });
}

// A raw request line, so that "/../" reaches the server as it is.
function rawGet(port, target) {
  return new Promise((resolve, reject) => {
    const socket = require('net').connect(port, '127.0.0.1', () => {
      socket.write(`GET ${target} HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n`);
    });
    let text = '';
    socket.on('data', (c) => (text += c.toString('latin1')));
    socket.on('end', () => resolve(text));
    socket.on('error', reject);
  });
}

async function main() {
  const server = spawn(process.execPath, [serveWeb, '--root', site], { stdio: ['ignore', 'pipe', 'pipe'] });
  serverProcess = server;
  const base = await new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (c) => {
      out += c;
      const m = /^http:\/\/127\.0\.0\.1:(\d+)\/\n$/.exec(out);
      if (m) resolve(out.trim());
    });
    server.on('exit', (code) => reject(new Error(`serve-web ended with ${code}`)));
    setTimeout(() => reject(new Error(`serve-web printed no address: ${JSON.stringify(out)}`)), 10000).unref();
  });
  const port = Number(new URL(base).port);
  try {
    expect('prints its address on a free port', port > 0, base);

    const index = await get(base, '/');
    expect('/ is index.html', index.status === 200 && index.body.toString() === '<!doctype html><title>t</title>',
      `${index.status} ${index.body}`);
    expect('html type', /^text\/html/.test(index.headers['content-type']), index.headers['content-type']);

    const plain = await get(base, '/wimmel.wasm');
    expect('wasm type', plain.headers['content-type'] === 'application/wasm', plain.headers['content-type']);
    expect('wasm plain without gzip asked', !plain.headers['content-encoding'] && plain.body.equals(wasm),
      `${plain.headers['content-encoding']}, ${plain.body.length} bytes`);

    const packed = await get(base, '/wimmel.wasm', { 'Accept-Encoding': 'gzip, deflate' });
    const unpacked = packed.headers['content-encoding'] === 'gzip' ? zlib.gunzipSync(packed.body) : null;
    expect('wasm gzip when accepted', unpacked && unpacked.equals(wasm) && packed.body.length < wasm.length / 2 &&
      Number(packed.headers['content-length']) === packed.body.length,
      `${packed.headers['content-encoding']}, ${packed.body.length} bytes`);
    expect('gzip varies with Accept-Encoding', /Accept-Encoding/i.test(packed.headers.vary || ''),
      packed.headers.vary);

    const js = await get(base, '/page.js', { 'Accept-Encoding': 'gzip' });
    expect('script type', /^text\/javascript/.test(js.headers['content-type']), js.headers['content-type']);
    const data = await get(base, '/wimmel.data?x=1');
    expect('data with a query', data.status === 200 && data.body.length === 3000, `${data.status}`);

    const again = await get(base, '/wimmel.wasm', { 'If-None-Match': plain.headers.etag });
    expect('304 for a known ETag', again.status === 304 && again.body.length === 0, `${again.status}`);

    const head = await get(base, '/wimmel.wasm', {}, 'HEAD');
    expect('HEAD', head.status === 200 && Number(head.headers['content-length']) === wasm.length &&
      head.body.length === 0, `${head.status} ${head.headers['content-length']}`);

    const post = await get(base, '/index.html', {}, 'POST');
    expect('POST refused', post.status === 405, `${post.status}`);

    const missing = await get(base, '/favicon.ico');
    expect('a missing file is 404', missing.status === 404, `${missing.status}`);

    const folder = await get(base, '/sub');
    expect('a folder without / is redirected', folder.status === 301 && folder.headers.location === '/sub/',
      `${folder.status} ${folder.headers.location}`);
    const sub = await get(base, '/sub/');
    expect('a folder serves its index.html', sub.status === 200 && sub.body.toString() === 'sub', `${sub.status}`);

    for (const target of ['/../secret.txt', '/sub/../../secret.txt', '/%2e%2e/secret.txt', '/..%2fsecret.txt']) {
      const answer = await rawGet(port, target);
      expect(`nothing outside the root: ${target}`, / 404 /.test(answer.split('\r\n')[0]) && !answer.includes('outside'),
        answer.split('\r\n')[0]);
    }
  } finally {
    server.kill('SIGTERM');
    fs.rmSync(dir, { recursive: true, force: true });
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exitCode = failed === 0 ? 0 : 1;
}

let serverProcess = null;
main().catch((err) => {
  console.log(`FAIL: ${err.message}`);
  if (serverProcess) serverProcess.kill('SIGTERM');
  fs.rmSync(dir, { recursive: true, force: true });
  process.exit(1);
});
