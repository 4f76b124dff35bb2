// Headless Chromium for the studio's tests, benchmark and screenshot, driven
// by puppeteer-core (web/package.json): a private profile, one page, pen
// input through the DevTools protocol (Input.dispatchMouseEvent with
// pointerType "pen" and a force), files set on file inputs, downloads into a
// folder, dialogs answered yes, exceptions in the page collected.
import puppeteer from 'puppeteer-core';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function launchBrowser({ width = 1280, height = 800, downloads } = {}) {
  const browser = await puppeteer.launch({
    executablePath: process.env.QC_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'],
  });
  const tab = await browser.newPage();
  const page = new Page(browser, tab, await tab.createCDPSession(), await browser.target().createCDPSession());
  tab.on('pageerror', (e) => page.errors.push(e.message));
  tab.on('dialog', (d) => { page.dialogs.push(d.message()); d.accept().catch(() => {}); });
  await page.viewport(width, height);
  if (downloads) await page.setDownloads(downloads);
  return page;
}

class Page {
  constructor(browser, tab, cdp, browserCdp) {
    this.browser = browser;
    this.tab = tab;
    this.cdp = (method, params) => cdp.send(method, params);
    this.browserCdp = browserCdp;
    this.errors = [];
    this.dialogs = [];  // what confirm() and alert() asked
  }

  async close() {
    await this.browser.close();
  }

  setDownloads(dir) {
    return this.browserCdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
  }

  viewport(width, height) {
    return this.tab.setViewport({ width, height, deviceScaleFactor: 1 });
  }

  // The value of an expression (awaited when it is a promise).
  async evaluate(expression) {
    return this.tab.evaluate(expression);
  }

  async goto(url) {
    await this.tab.goto(url);
  }

  async reload() {
    await this.tab.reload();
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
    const code = /^[a-z]$/i.test(key) ? `Key${key.toUpperCase()}` : key;
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyDown', key, code, modifiers, text: ctrl ? undefined : key });
    await this.cdp('Input.dispatchKeyEvent', { type: 'keyUp', key, code, modifiers });
  }

  async setFiles(selector, paths) {
    const input = await this.tab.$(selector);
    await input.uploadFile(...paths);
  }

  // A stroke: points in page coordinates with a force each (0..1).
  async penStroke(points, pointerType = 'pen') {
    const [first, ...rest] = points;
    const base = { button: 'left', pointerType };
    await this.cdp('Input.dispatchMouseEvent', { type: 'mousePressed', x: first[0], y: first[1], force: first[2], clickCount: 1, buttons: 1, ...base });
    for (const [x, y, force] of rest)
      await this.cdp('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, force, buttons: 1, ...base });
    const last = points[points.length - 1];
    await this.cdp('Input.dispatchMouseEvent', { type: 'mouseReleased', x: last[0], y: last[1], force: 0, clickCount: 1, buttons: 0, ...base });
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

  async screenshot() {
    return Buffer.from(await this.tab.screenshot({ type: 'png' }));
  }
}
