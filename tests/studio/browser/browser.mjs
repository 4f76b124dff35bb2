// Headless Chromium through the DevTools protocol, for the studio's tests and
// benchmark: a private profile, one page, its console and exceptions echoed,
// pen input, files set on file inputs, downloads into a folder. Node's own
// WebSocket client (node --experimental-websocket on Node 20).
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, existsSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function launchBrowser({ width = 1280, height = 800, downloads } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'qc-studio-chromium-'));
  const chromium = spawn('chromium', ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--remote-debugging-port=0', `--user-data-dir=${profile}`, 'about:blank'], { stdio: 'ignore' });
  const portFile = join(profile, 'DevToolsActivePort');
  for (let i = 0; i < 200 && !existsSync(portFile); i++) await sleep(50);
  if (!existsSync(portFile)) throw new Error('chromium did not start');
  const [port, path] = readFileSync(portFile, 'utf8').split('\n');
  const ws = new WebSocket(`ws://127.0.0.1:${port}${path}`);
  await new Promise((resolve, reject) => { ws.onopen = resolve; ws.onerror = reject; });

  let nextId = 0;
  const pending = new Map();
  const listeners = new Set();
  ws.onmessage = (m) => {
    const msg = JSON.parse(m.data);
    if (msg.id !== undefined && pending.has(msg.id)) {
      const p = pending.get(msg.id);
      pending.delete(msg.id);
      if (msg.error) p.reject(new Error(`${p.method}: ${msg.error.message}`));
      else p.resolve(msg.result);
    } else {
      for (const l of listeners) l(msg);
    }
  };
  const send = (method, params = {}, sessionId) => new Promise((resolve, reject) => {
    const id = ++nextId;
    pending.set(id, { resolve, reject, method });
    ws.send(JSON.stringify({ id, method, params, sessionId }));
  });

  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const cdp = (method, params) => send(method, params, sessionId);
  const errors = [];
  listeners.add((m) => {
    if (m.sessionId !== sessionId) return;
    if (m.method === 'Runtime.exceptionThrown') errors.push(m.params.exceptionDetails.exception?.description || m.params.exceptionDetails.text);
    // confirm() and alert() are answered yes, as a person who means it would.
    if (m.method === 'Page.javascriptDialogOpening') cdp('Page.handleJavaScriptDialog', { accept: true }).catch(() => {});
  });
  await cdp('Runtime.enable');
  await cdp('Page.enable');
  await cdp('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
  const page = new Page(cdp, errors);
  page.setDownloads = (dir) => send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
  if (downloads) await page.setDownloads(downloads);
  page.close = async () => {
    try { await send('Browser.close'); } catch { /* gone already */ }
    ws.close();
    const exited = new Promise((r) => { if (chromium.exitCode !== null) r(); else chromium.once('exit', r); });
    chromium.kill();
    await Promise.race([exited, sleep(5000)]);
    try { rmSync(profile, { recursive: true, force: true }); } catch { /* chromium still writing: left for the system */ }
  };
  return page;
}

class Page {
  constructor(cdp, errors) {
    this.cdp = cdp;
    this.errors = errors;
  }

  async evaluate(expression) {
    const r = await this.cdp('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (r.exceptionDetails) throw new Error(`in the page: ${r.exceptionDetails.exception?.description || r.exceptionDetails.text}`);
    return r.result.value;
  }

  async viewport(width, height) {
    await this.cdp('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
  }

  async goto(url) {
    await this.cdp('Page.navigate', { url });
  }

  async reload() {
    await this.cdp('Page.reload', { ignoreCache: true });
  }

  // Waits until the expression is truthy; fails after ms.
  async waitFor(expression, ms = 20000) {
    const until = Date.now() + ms;
    for (;;) {
      try {
        const v = await this.evaluate(expression);
        if (v) return v;
      } catch { /* the page is between documents */ }
      if (Date.now() > until) throw new Error(`timed out waiting for ${expression}`);
      await sleep(25);
    }
  }

  async click(selector) {
    await this.evaluate(`document.querySelector(${JSON.stringify(selector)}).click()`);
  }

  async key(key, { ctrl = false, shift = false } = {}) {
    const modifiers = (ctrl ? 2 : 0) | (shift ? 8 : 0);
    const code = key.length === 1 ? `Key${key.toUpperCase()}` : key;
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyDown', key, code, modifiers, text: ctrl ? undefined : key });
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyUp', key, code, modifiers });
  }

  async setFiles(selector, paths) {
    const { root } = await this.cdp('DOM.getDocument', {});
    const { nodeId } = await this.cdp('DOM.querySelector', { nodeId: root.nodeId, selector });
    await this.cdp('DOM.setFileInputFiles', { nodeId, files: paths });
  }

  // A stroke with a pen: points in page coordinates with a force each (0..1).
  async penStroke(points, pointerType = 'pen') {
    const [first, ...rest] = points;
    const base = { button: 'left', pointerType };
    await this.cdp('Input.dispatchMouseEvent', { type: 'mousePressed', x: first[0], y: first[1], force: first[2], clickCount: 1, buttons: 1, ...base });
    for (const [x, y, force] of rest)
      await this.cdp('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, force, buttons: 1, ...base });
    const last = points[points.length - 1];
    await this.cdp('Input.dispatchMouseEvent', { type: 'mouseReleased', x: last[0], y: last[1], force: 0, clickCount: 1, buttons: 0, ...base });
  }

  async screenshot() {
    const { data } = await this.cdp('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }
}
