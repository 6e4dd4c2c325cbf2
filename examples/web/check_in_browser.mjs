// The web page in a real browser: headless Chromium loads it from a local
// server and renders a fixed number of frames; this reads from the page the
// CRC of frame 0 (it must be the pinned one) and takes a screenshot of the
// canvas element, compared pixel for pixel with the same frame rendered
// offline by the module under node, whose canvas pixels (RGB555) are widened
// here by the rule, not by the library's converter.
//
//   node --experimental-websocket --no-experimental-fetch check_in_browser.mjs \
//        <folder of index.html> <frames> <pinned crc> [screenshot.png]
//
// Exit status 0: equal; 1: a difference or a failure; 77: no Chromium here
// (VC15_CHROMIUM names another binary).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const [dir, framesArg, pinned, shotPath] = process.argv.slice(2);
const frames = Number(framesArg);
if (!dir || !(frames > 0) || !pinned) {
  console.error('usage: check_in_browser.mjs <web folder> <frames> <pinned crc> [screenshot.png]');
  process.exit(2);
}
const chromium = process.env.VC15_CHROMIUM || '/usr/bin/chromium';
if (!fs.existsSync(chromium)) {
  console.log(`browser check skipped: no Chromium at ${chromium}`);
  process.exit(77);
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// ---- A static file server on a free loopback port.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const file = path.join(dir, path.normalize(new URL(req.url, 'http://x').pathname).replace(/^(\.\.[/\\])+/, ''));
  fs.readFile(file, (err, data) => {
    if (err) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(data);
  });
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const url = `http://127.0.0.1:${server.address().port}/index.html?frames=${frames}`;

// ---- Chromium, driven through its DevTools protocol.
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vc15-chromium-'));
const browser = spawn(chromium, ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--hide-scrollbars',
  '--force-device-scale-factor=1', '--window-size=800,600', `--user-data-dir=${profile}`,
  '--remote-debugging-port=0', 'about:blank'], { stdio: ['ignore', 'ignore', 'pipe'] });
let browserLog = '';
browser.stderr.on('data', (d) => { browserLog += d; });

let failed = false;
function fail(message) {
  console.log(`browser check FAILED: ${message}`);
  failed = true;
}

async function devtools() {
  const portFile = path.join(profile, 'DevToolsActivePort');
  for (let i = 0; i < 300 && !fs.existsSync(portFile); ++i) await sleep(100);
  if (!fs.existsSync(portFile)) throw new Error(`Chromium did not start:\n${browserLog.slice(-2000)}`);
  await sleep(100);  // the file is written in two lines
  const [port, wsPath] = fs.readFileSync(portFile, 'utf8').split('\n');
  const ws = new WebSocket(`ws://127.0.0.1:${port}${wsPath}`);
  await new Promise((resolve, reject) => { ws.onopen = resolve; ws.onerror = reject; });
  let next = 0;
  const waiting = new Map();
  ws.onmessage = (e) => {
    const msg = JSON.parse(e.data);
    const w = waiting.get(msg.id);
    if (!w) return;
    waiting.delete(msg.id);
    if (msg.error) w.reject(new Error(JSON.stringify(msg.error))); else w.resolve(msg.result);
  };
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    const id = ++next;
    waiting.set(id, { resolve, reject });
    ws.send(JSON.stringify({ id, method, params, sessionId }));
  });
  return { ws, send };
}

// ---- PNG (8-bit RGB or RGBA, not interlaced) to RGBA bytes.
function decodePng(buf) {
  const width = buf.readUInt32BE(16), height = buf.readUInt32BE(20), depth = buf[24], type = buf[25];
  if (depth !== 8 || (type !== 2 && type !== 6) || buf[28] !== 0) throw new Error('unexpected PNG layout');
  const idat = [];
  for (let at = 8; at < buf.length;) {
    const len = buf.readUInt32BE(at), kind = buf.toString('latin1', at + 4, at + 8);
    if (kind === 'IDAT') idat.push(buf.subarray(at + 8, at + 8 + len));
    at += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const bpp = type === 6 ? 4 : 3, stride = width * bpp;
  const rows = Buffer.alloc(stride * height), out = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= bpp ? rows[y * stride + i - bpp] : 0, b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = i >= bpp && y > 0 ? rows[(y - 1) * stride + i - bpp] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const pred = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[y * stride + i] = (line[i] + pred) & 0xFF;
    }
    for (let x = 0; x < width; ++x) {
      for (let k = 0; k < 3; ++k) out[(y * width + x) * 4 + k] = rows[y * stride + x * bpp + k];
      out[(y * width + x) * 4 + 3] = bpp === 4 ? rows[y * stride + x * bpp + 3] : 255;
    }
  }
  return { width, height, rgba: out };
}

// ---- The same frame offline: the module under node.
async function offlineFrame(frame) {
  const create = createRequire(import.meta.url)(path.resolve(dir, 'vc15_web.js'));
  const m = await create();
  if (!m._webStart() || m._webRender(0, 0) !== 0) throw new Error('the module cannot draw offline');
  const crc0 = (m._webFrameCrc() >>> 0).toString(16).padStart(8, '0');
  if (m._webRender(frame, 0) !== 0) throw new Error(`frame ${frame} cannot be drawn offline`);
  const w = m._webWidth(), h = m._webHeight(), at = m._webCanvasPixels() >> 1;
  const px = m.HEAPU16.subarray(at, at + w * h);
  const widen = (v) => (v << 3) | (v >> 2);
  const rgb = new Uint8Array(w * h * 3);
  px.forEach((p, i) => {
    rgb[i * 3] = widen((p >> 10) & 31);
    rgb[i * 3 + 1] = widen((p >> 5) & 31);
    rgb[i * 3 + 2] = widen(p & 31);
  });
  return { w, h, rgb, crc0 };
}

try {
  const { ws, send } = await devtools();
  const { targetId } = await send('Target.createTarget', { url });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const evaluate = async (expression) => {
    const r = await send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true }, sessionId);
    if (r.exceptionDetails) throw new Error(`in the page: ${JSON.stringify(r.exceptionDetails).slice(0, 500)}`);
    return r.result.value;
  };
  // The new tab starts on about:blank: wait until it holds the page.
  for (let i = 0; ; ++i) {
    const at = await evaluate(`document.readyState === 'complete' && location.href`).catch(() => false);
    if (at === url) break;
    if (i === 300) throw new Error(`the page did not load (at ${at})`);
    await sleep(100);
  }
  const result = await evaluate(`new Promise((resolve, reject) => {
    const start = Date.now();
    (function poll() {
      if (window.vc15Result) resolve(window.vc15Result);
      else if (Date.now() - start > 120000) reject(new Error('no result: ' + document.getElementById('status').textContent));
      else setTimeout(poll, 50);
    })();
  })`);
  const status = await evaluate(`document.getElementById('status').textContent`);
  console.log(`page: ${result.frames} frames, crc of frame 0 ${result.crc0}; ${status.trim()}`);
  if (result.crc0 !== pinned) fail(`frame 0 has crc ${result.crc0}, pinned ${pinned}`);
  if (result.frames !== frames) fail(`${result.frames} frames shown, ${frames} asked for`);

  const rect = await evaluate(`(() => { const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height }; })()`);
  const shot = await send('Page.captureScreenshot', { format: 'png', clip: { ...rect, scale: 1 } }, sessionId);
  const png = Buffer.from(shot.data, 'base64');
  if (shotPath) fs.writeFileSync(shotPath, png);
  const seen = decodePng(png);
  const want = await offlineFrame(frames - 1);
  if (want.crc0 !== pinned) fail(`the module under node draws frame 0 with crc ${want.crc0}, pinned ${pinned}`);
  if (seen.width !== want.w || seen.height !== want.h) {
    fail(`screenshot is ${seen.width} x ${seen.height}, the frame ${want.w} x ${want.h}`);
  } else {
    let differ = 0;
    for (let i = 0; i < want.w * want.h; ++i) {
      const same = seen.rgba[i * 4] === want.rgb[i * 3] && seen.rgba[i * 4 + 1] === want.rgb[i * 3 + 1] &&
        seen.rgba[i * 4 + 2] === want.rgb[i * 3 + 2];
      if (!same && ++differ <= 5) {
        console.log(`  (${i % want.w}, ${Math.floor(i / want.w)}): screen ${Array.from(seen.rgba.subarray(i * 4, i * 4 + 3))}` +
          `, offline ${Array.from(want.rgb.subarray(i * 3, i * 3 + 3))}`);
      }
    }
    console.log(`screenshot of the canvas against offline frame ${frames - 1}: ${differ} of ${want.w * want.h} pixels differ`);
    if (differ) fail('the screen is not the offline frame');
  }
  await send('Browser.close').catch(() => {});
  ws.close();
} catch (e) {
  fail(e.message);
}
if (browser.exitCode === null) {
  const exited = new Promise((r) => browser.once('exit', r));
  browser.kill();
  await exited;
}
server.close();
// Chromium's helper processes may still write into the profile for a moment
// after the browser exits: the clean-up retries, and a leftover temporary
// folder is not a failed check.
try {
  fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
} catch (e) {
  console.log(`(the profile ${profile} is left behind: ${e.code})`);
}
if (!failed) console.log('browser check passed');
process.exit(failed ? 1 : 0);
