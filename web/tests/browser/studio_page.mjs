// The studio page in a tab of the harness's Chromium, driven through its own
// controls: a pen through the DevTools protocol (Input.dispatchMouseEvent
// with pointerType "pen" and a force), keys, buttons, files chosen and taken
// away (downloads into a folder), dialogs answered yes, and the page's
// canvas read back.
import { existsSync, readdirSync, readFileSync, statSync } from 'node:fs';
import path from 'node:path';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function openStudio(browser, url, { width = 1280, height = 800 } = {}) {
  const tab = await browser.newPage();
  const studio = new Studio(browser, tab, await tab.createCDPSession(), await browser.target().createCDPSession(), url);
  tab.on('pageerror', (e) => studio.errors.push(String(e)));
  tab.on('dialog', (d) => { studio.dialogs.push(d.message()); d.accept().catch(() => {}); });
  await studio.viewport(width, height);
  await tab.goto(`${url}studio/index.html`);
  await studio.ready();
  return studio;
}

export class Studio {
  constructor(browser, tab, cdp, browserCdp, url) {
    this.browser = browser;
    this.tab = tab;
    this.cdp = (method, params) => cdp.send(method, params);
    this.browserCdp = browserCdp;
    this.url = url;
    this.errors = [];
    this.dialogs = [];  // what confirm() asked
  }

  close() { return this.tab.close(); }
  viewport(width, height) { return this.tab.setViewport({ width, height, deviceScaleFactor: 1 }); }
  evaluate(expression) { return this.tab.evaluate(expression); }
  setDownloads(dir) { return this.browserCdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir }); }

  // Waits until the expression is truthy and gives its value.
  async waitFor(expression, ms = 20000) {
    const handle = await this.tab.waitForFunction(expression, { timeout: ms, polling: 25 });
    return handle.jsonValue();
  }

  ready() { return this.waitFor("document.documentElement.dataset.studio === 'ready'"); }

  async reload() {
    await this.evaluate('window.qcOldDocument = true');
    await this.tab.reload();
    await this.waitFor("!window.qcOldDocument && document.documentElement.dataset.studio === 'ready'");
  }

  async bytes() { return Number(await this.evaluate('document.documentElement.dataset.bytes')); }
  message() { return this.evaluate("document.getElementById('message').textContent"); }
  async messageIsError() { return (await this.evaluate('document.documentElement.dataset.message')) === 'error'; }
  click(selector) { return this.evaluate(`document.querySelector(${JSON.stringify(selector)}).click()`); }

  // Sets a control's value and lets the page hear it, as a person would.
  set(id, value) {
    return this.evaluate(`(() => { const e = document.getElementById(${JSON.stringify(id)});
      e.value = ${JSON.stringify(String(value))}; e.dispatchEvent(new Event('input', { bubbles: true })); })()`);
  }

  async key(key, { ctrl = false, shift = false } = {}) {
    const modifiers = (ctrl ? 2 : 0) | (shift ? 8 : 0);
    const code = /^[a-z]$/i.test(key) ? `Key${key.toUpperCase()}` : key;
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyDown', key, code, modifiers, text: ctrl ? undefined : key });
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyUp', key, code, modifiers });
  }

  async chooseFile(selector, filePath) {
    const input = await this.tab.$(selector);
    await input.uploadFile(filePath);
  }
  openFile(filePath) { return this.chooseFile('#open', filePath); }

  // Pointer input at page coordinates, a force (0..1) a point.
  async pointer(points, pointerType = 'pen') {
    const [first, ...rest] = points;
    const base = { button: 'left', pointerType };
    await this.cdp('Input.dispatchMouseEvent', { type: 'mousePressed', x: first[0], y: first[1], force: first[2], clickCount: 1, buttons: 1, ...base });
    for (const [x, y, force] of rest)
      await this.cdp('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, force, buttons: 1, ...base });
    const last = points[points.length - 1];
    await this.cdp('Input.dispatchMouseEvent', { type: 'mouseReleased', x: last[0], y: last[1], force: 0, clickCount: 1, buttons: 0, ...base });
  }

  // A stroke through canvas pixels (x, y, pressure 0..15 sent as the force),
  // waited for until the page has taken it.
  async stroke(points, pointerType = 'pen') {
    const rect = await this.evaluate("JSON.parse(JSON.stringify(document.getElementById('canvas').getBoundingClientRect()))");
    const zoom = rect.width / (await this.evaluate("document.getElementById('canvas').width"));
    const before = await this.evaluate('window.studio.input.latencies.length');
    await this.pointer(points.map(([x, y, p]) => [rect.x + (x + 0.5) * zoom, rect.y + (y + 0.5) * zoom, p / 15]), pointerType);
    await this.waitFor(`window.studio.input.latencies.length > ${before} && !window.studio.engine.stroking()`);
  }

  // The page's canvas as RGB bytes.
  async canvasRgb() {
    const b64 = await this.evaluate(`(() => {
      const c = document.getElementById('canvas');
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let s = '';
      for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
      return btoa(s);
    })()`);
    return Buffer.from(b64, 'base64');
  }

  size() { return this.evaluate("[document.getElementById('canvas').width, document.getElementById('canvas').height]"); }

  // Clicks a button that downloads, and waits for the whole file in dir.
  async download(buttonId, dir, name) {
    const file = path.join(dir, name);
    await this.click(`#${buttonId}`);
    for (let i = 0; i < 400; i++) {
      if (existsSync(file) && !existsSync(`${file}.crdownload`) && statSync(file).size > 0) {
        await sleep(50);
        return readFileSync(file);
      }
      await sleep(25);
    }
    throw new Error(`${name} was not downloaded into ${dir} (it holds ${readdirSync(dir).join(', ')})`);
  }

  // Runs action, which opens a tab, and gives the value of expression in
  // that tab once it is truthy; the tab is closed afterwards.
  async inNewTab(action, expression, ms = 30000) {
    const opened = this.browser.waitForTarget((t) => t.opener() === this.tab.target(), { timeout: ms });
    await action();
    const other = await (await opened).page();
    try {
      const handle = await other.waitForFunction(expression, { timeout: ms, polling: 50 });
      return await handle.jsonValue();
    } finally {
      await other.close();
    }
  }

  async screenshot() { return Buffer.from(await this.tab.screenshot({ type: 'png' })); }
}
