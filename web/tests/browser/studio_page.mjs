// The studio page in a tab of the harness's Chromium, driven through its own
// controls: a pen through the DevTools protocol (Input.dispatchMouseEvent
// with pointerType "pen" and a force), fingers (Input.dispatchTouchEvent),
// keys, buttons, files chosen and taken away (downloads into a folder), the
// page's own dialogs answered, and the page's canvas read back.
import { existsSync, readdirSync, readFileSync, statSync } from 'node:fs';
import path from 'node:path';
import { screens, watchErrors } from './harness.mjs';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A studio tab on `screen`; in `context` (a browser context of its own, with
// its own storage) when given.
export async function openStudio(browser, url, screen = screens.desktop, context = null) {
  const tab = watchErrors(await (context || browser).newPage());
  const studio = new Studio(browser, tab, await tab.createCDPSession(), await browser.target().createCDPSession(), url);
  studio.contextId = context ? context.id : undefined;
  tab.on('dialog', (d) => {
    studio.errors.push(`a browser dialog: ${d.message()}`);
    d.accept().catch(() => {});
  });
  await studio.setScreen(screen);
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
  }

  // Exceptions, console errors, failed requests and browser dialogs.
  get errors() {
    return this.tab.errors;
  }
  close() {
    return this.tab.close();
  }
  setScreen(screen) {
    return this.tab.setViewport(screen);
  }
  viewport(width, height) {
    return this.tab.setViewport({ width, height, deviceScaleFactor: 1 });
  }
  evaluate(expression) {
    return this.tab.evaluate(expression);
  }
  setDownloads(dir) {
    return this.browserCdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
  }

  // Waits until the expression is truthy and gives its value.
  async waitFor(expression, ms = 20000) {
    const handle = await this.tab.waitForFunction(expression, { timeout: ms, polling: 25 });
    return handle.jsonValue();
  }

  ready() {
    return this.waitFor("document.documentElement.dataset.studio === 'ready'");
  }

  async reload() {
    await this.evaluate('window.qcOldDocument = true');
    await this.tab.reload();
    await this.waitFor("!window.qcOldDocument && document.documentElement.dataset.studio === 'ready'");
  }

  async bytes() {
    return Number(await this.evaluate('document.documentElement.dataset.bytes'));
  }
  async strokesLeft() {
    return Number(await this.evaluate('document.documentElement.dataset.strokesLeft'));
  }
  budgetText() {
    return this.evaluate("document.getElementById('budget-text').textContent");
  }
  message() {
    return this.evaluate("document.getElementById('message').textContent");
  }
  async messageIsError() {
    return (await this.evaluate('document.documentElement.dataset.message')) === 'error';
  }
  // Clicks a control and waits for what it asked of the engine.
  async click(selector) {
    await this.evaluate(`document.querySelector(${JSON.stringify(selector)}).click()`);
    await this.settled();
  }

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
    await this.settled();
  }

  async chooseFile(selector, filePath) {
    const input = await this.tab.$(selector);
    await input.uploadFile(filePath);
  }
  openFile(filePath) {
    return this.chooseFile('#open', filePath);
  }

  // Pointer input at page coordinates, a force (0..1) a point.
  async pointer(points, pointerType = 'pen') {
    const [first, ...rest] = points;
    const base = { button: 'left', pointerType };
    await this.cdp('Input.dispatchMouseEvent', {
      type: 'mousePressed',
      x: first[0],
      y: first[1],
      force: first[2],
      clickCount: 1,
      buttons: 1,
      ...base,
    });
    for (const [x, y, force] of rest)
      await this.cdp('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, force, buttons: 1, ...base });
    const last = points[points.length - 1];
    await this.cdp('Input.dispatchMouseEvent', {
      type: 'mouseReleased',
      x: last[0],
      y: last[1],
      force: 0,
      clickCount: 1,
      buttons: 0,
      ...base,
    });
  }

  // Page coordinates of canvas pixels (their middles).
  async onCanvas(points) {
    const rect = await this.evaluate(
      "JSON.parse(JSON.stringify(document.getElementById('canvas').getBoundingClientRect()))",
    );
    const zoom = rect.width / (await this.evaluate("document.getElementById('canvas').width"));
    return points.map(([x, y, ...rest]) => [rect.x + (x + 0.5) * zoom, rect.y + (y + 0.5) * zoom, ...rest]);
  }

  // Waits until the page has taken every pointer event and the engine has
  // answered them all.
  settled() {
    return this.waitFor('window.studio && window.studio.input.idle() && window.studio.engine.idle()');
  }

  // A stroke through canvas pixels (x, y, pressure 0..15 sent as the force),
  // waited for until the page has taken it.
  async stroke(points, pointerType = 'pen') {
    const at = await this.onCanvas(points);
    const before = await this.evaluate('window.studio.input.latencies.length');
    await this.pointer(
      at.map(([x, y, p]) => [x, y, p / 15]),
      pointerType,
    );
    await this.waitFor(`window.studio.input.latencies.length > ${before} && window.studio.input.idle()`);
  }

  // Fingers on the page: each step gives every finger's place [[x, y], ...]
  // in page coordinates; the first step puts them down, the last lifts them.
  async touch(steps) {
    const points = (step) => step.map(([x, y], id) => ({ x, y, id, radiusX: 4, radiusY: 4, force: 1 }));
    await this.cdp('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(steps[0].slice(0, 1)) });
    if (steps[0].length > 1)
      await this.cdp('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(steps[0]) });
    for (const step of steps.slice(1))
      await this.cdp('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(step) });
    await this.cdp('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    await this.settled();
  }

  // Answers the page's own question dialog.
  async answer(yes) {
    await this.waitFor("document.getElementById('ask-dialog').open");
    await this.click(yes ? '#ask-yes' : '#ask-no');
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

  size() {
    return this.evaluate("[document.getElementById('canvas').width, document.getElementById('canvas').height]");
  }

  // Clicks a button that downloads (none: something else started it), and
  // waits for the whole file in dir.
  async download(buttonId, dir, name) {
    const file = path.join(dir, name);
    if (buttonId) await this.click(`#${buttonId}`);
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

  async screenshot() {
    return Buffer.from(await this.tab.screenshot({ type: 'png' }));
  }
}
