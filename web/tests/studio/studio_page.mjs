// The studio page driven through its own controls: strokes with a pen at
// canvas positions, keys, buttons, files opened and taken away, and the
// page's canvas pixels.
import { existsSync, readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export class Studio {
  constructor(page, url) {
    this.page = page;
    this.url = url;
  }

  async open() {
    await this.page.goto(`${this.url}/studio/index.html`);
    await this.ready();
  }

  async ready() {
    await this.page.waitFor("document.documentElement.dataset.studio === 'ready'");
  }

  // Reloads the page and waits for the new document's studio.
  async reload() {
    await this.page.evaluate('window.qcOldDocument = true');
    await this.page.reload();
    await this.page.waitFor("!window.qcOldDocument && document.documentElement.dataset.studio === 'ready'");
  }

  async bytes() { return Number(await this.page.evaluate('document.documentElement.dataset.bytes')); }
  async message() { return this.page.evaluate("document.getElementById('message').textContent"); }
  async messageIsError() { return (await this.page.evaluate('document.documentElement.dataset.message')) === 'error'; }

  // Sets a control's value and lets the page hear it, as a person would.
  async set(id, value) {
    await this.page.evaluate(`(() => { const e = document.getElementById(${JSON.stringify(id)});
      e.value = ${JSON.stringify(String(value))}; e.dispatchEvent(new Event('input', { bubbles: true })); })()`);
  }

  // A pen stroke through canvas pixels (x, y, pressure 0..15 sent as force).
  async stroke(points, pointerType = 'pen') {
    const r = await this.page.evaluate("JSON.stringify(document.getElementById('canvas').getBoundingClientRect())");
    const rect = JSON.parse(r);
    const zoom = rect.width / (await this.page.evaluate("document.getElementById('canvas').width"));
    const before = await this.page.evaluate('window.studio.input.latencies.length');
    await this.page.penStroke(points.map(([x, y, p]) => [rect.x + (x + 0.5) * zoom, rect.y + (y + 0.5) * zoom, p / 15]), pointerType);
    await this.page.waitFor(`window.studio.input.latencies.length > ${before} && !window.studio.engine.stroking()`);
  }

  // The page's canvas as RGB bytes.
  async canvasRgb() {
    const b64 = await this.page.evaluate(`(() => {
      const c = document.getElementById('canvas');
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let s = '';
      for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
      return btoa(s);
    })()`);
    return Buffer.from(b64, 'base64');
  }

  async size() {
    return JSON.parse(await this.page.evaluate("JSON.stringify([document.getElementById('canvas').width, document.getElementById('canvas').height])"));
  }

  // Clicks a button that downloads, and waits for the whole file in dir.
  async download(buttonId, dir, name) {
    const path = join(dir, name);
    await this.page.click(`#${buttonId}`);
    for (let i = 0; i < 400; i++) {
      if (existsSync(path) && !existsSync(`${path}.crdownload`) && statSync(path).size > 0) {
        await sleep(50);
        return readFileSync(path);
      }
      await sleep(25);
    }
    throw new Error(`${name} was not downloaded into ${dir} (it holds ${readdirSync(dir).join(', ')})`);
  }

  async openFile(path) {
    await this.page.setFiles('#open', [path]);
  }
}
