// The studio in headless Chromium, through the page's own controls, with
// synthetic pen input (pressure as the pen's force). What the page shows is
// held against the native tools: quillcast-render, quillcast-script and
// quillcast-embed.
//
//   node web/tests/studio/studio_test.mjs SITE_DIR NATIVE_BIN WORK_DIR
import { execFileSync } from 'node:child_process';
import { mkdirSync, rmSync, writeFileSync, readFileSync, existsSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from './browser.mjs';
import { serveSite } from './site_server.mjs';
import { Studio } from './studio_page.mjs';

const [site, bin, work] = process.argv.slice(2).map((p) => resolve(p));
if (!work) { console.error('usage: studio_test.mjs SITE_DIR NATIVE_BIN WORK_DIR'); process.exit(2); }
rmSync(work, { recursive: true, force: true });
mkdirSync(work, { recursive: true });

let failures = 0;
const results = [];
async function check(name, fn) {
  try {
    await fn();
    results.push(`ok   ${name}`);
  } catch (e) {
    failures++;
    results.push(`FAIL ${name}: ${e.stack || e}`);
  }
}
function expect(cond, what) { if (!cond) throw new Error(what); }

const tool = (name, args) => execFileSync(join(bin, name), args, { cwd: work, encoding: 'buffer', stdio: ['ignore', 'pipe', 'pipe'] });

// quillcast-render --canvas-only of a drawing or player, as RGB bytes.
function renderedRgb(file) {
  const png = join(work, `${file}.png`);
  tool('quillcast-render', [file, '--canvas-only', '-o', png]);
  return execFileSync('convert', [png, '-depth', '8', 'rgb:-'], { maxBuffer: 1 << 28 });
}

function sameRgb(a, b, width, what) {
  expect(a.length === b.length, `${what}: ${a.length} and ${b.length} bytes of pixels`);
  for (let i = 0; i < a.length; i++) {
    if (a[i] !== b[i]) {
      const p = Math.floor(i / 3);
      throw new Error(`${what}: first difference at (${p % width}, ${Math.floor(p / width)})`);
    }
  }
}

const server = await serveSite(site);
const page = await launchBrowser({ width: 1280, height: 800 });
const studio = new Studio(page, server.url);
const phase = async (name) => { const d = join(work, name); mkdirSync(d, { recursive: true }); await page.setDownloads(d); return d; };
const timeout = setTimeout(() => { console.error('studio_test: over its time bound (240 s)'); process.exit(1); }, 240000);

try {
  await studio.open();
  const [width] = await studio.size();
  const sent = [];          // pressures sent, stroke by stroke
  const afterStroke = [];   // [bytes, canvas] after each stroke

  await check('every control has an accessible name, and the studio fits 1280 x 800 and 1024 x 768', async () => {
    const unnamed = await page.evaluate(`[...document.querySelectorAll('button, input, select, meter, canvas, [role=listbox]')]
      .filter((e) => !(e.getAttribute('aria-label') || (e.labels && e.labels.length && e.labels[0].textContent.trim()) ||
        (e.tagName === 'BUTTON' && e.textContent.trim()) || e.title))
      .map((e) => e.id || e.outerHTML.slice(0, 60))`);
    expect(unnamed.length === 0, `controls without a name: ${unnamed.join(', ')}`);
    for (const [w, h] of [[1024, 768], [1280, 800]]) {
      await page.viewport(w, h);
      const fit = JSON.parse(await page.evaluate(`JSON.stringify((() => {
        const d = document.documentElement;
        const outside = [...document.querySelectorAll('.bar button, .bar .file-button, .bar meter, #message, .swatches')]
          .filter((e) => { const r = e.getBoundingClientRect(); return r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5 || r.width === 0; })
          .map((e) => e.id || e.className);
        const stage = document.getElementById('scroller').getBoundingClientRect();
        return { scrolls: d.scrollWidth > innerWidth || d.scrollHeight > innerHeight, outside, stage: [stage.width, stage.height] };
      })())`));
      expect(!fit.scrolls, `${w} x ${h}: the page itself scrolls`);
      expect(fit.outside.length === 0, `${w} x ${h}: out of view: ${fit.outside.join(', ')}`);
      expect(fit.stage[0] >= 400 && fit.stage[1] >= 300, `${w} x ${h}: the canvas view is only ${fit.stage}`);
    }
  });

  await check('strokes in every mode with changing pressure equal quillcast-render, and the script shows them', async () => {
    await studio.set('colour', '#2a4d9b');
    await studio.set('second', '#e0c020');
    await studio.set('third', '#c03030');
    const modes = ['b', 'd', 's', 'k'];
    for (let m = 0; m < 4; m++) {
      await page.key(modes[m]);
      await page.key(m % 2 ? '[' : ']');
      const points = [];
      for (let i = 0; i < 24; i++) {
        const p = (i * 5 + m * 3) % 16;
        // Smudge goes across the strokes before it, to have colour to pick up.
        points.push(m === 2 ? [100 + (i % 3) * 4, 20 + i * 8, p] : [20 + i * 10, 40 + m * 80 + (i % 4) * 9, p]);
      }
      // The last one at zoom 2: the page maps the pointer to canvas pixels.
      if (m === 3) await studio.set('zoom', 2);
      await studio.stroke(points);
      if (m === 3) await studio.set('zoom', 1);
      sent.push(points.slice(1).map((p) => p[2]));
      afterStroke.push([await studio.bytes(), await studio.canvasRgb()]);
    }
    const downloads = await phase('paint');
    const qcd = await studio.download('save-qcd', downloads, 'drawing.qcd');
    writeFileSync(join(work, 'drawing.qcd'), qcd);
    sameRgb(await studio.canvasRgb(), renderedRgb('drawing.qcd'), width, 'page and quillcast-render');

    const script = tool('quillcast-script', ['dump', 'drawing.qcd']).toString();
    const strokes = script.split('\n').filter((l) => l.startsWith('stroke '));
    expect(strokes.length === 4, `${strokes.length} strokes in the script`);
    strokes.forEach((line, s) => {
      const pressures = line.split(' ').slice(2).map((p) => Number(p.split('/')[1]));
      expect(JSON.stringify(pressures) === JSON.stringify(sent[s]), `stroke ${s}: pressures ${pressures} for ${sent[s]}`);
    });
    const qcs = await studio.download('save-qcs', downloads, 'drawing.qcs');
    expect(qcs.toString() === script, 'the page\'s .qcs differs from quillcast-script dump');
  });

  await check('undo and redo change the byte count and the canvas', async () => {
    const [bytesThree, canvasThree] = afterStroke[2];
    const [bytesFour, canvasFour] = afterStroke[3];
    await page.key('z', { ctrl: true });
    expect(await studio.bytes() === bytesThree, `after undo ${await studio.bytes()} bytes, not ${bytesThree}`);
    sameRgb(await studio.canvasRgb(), canvasThree, width, 'after undo');
    await page.click('#undo');
    expect(await studio.bytes() === afterStroke[1][0], 'a second undo');
    await page.key('z', { ctrl: true, shift: true });
    await page.click('#redo');
    expect(await studio.bytes() === bytesFour, `after redo ${await studio.bytes()} bytes, not ${bytesFour}`);
    sameRgb(await studio.canvasRgb(), canvasFour, width, 'after redo');
  });

  await check('a reload brings back the same bytes', async () => {
    const bytes = await studio.bytes();
    await page.waitFor(`document.documentElement.dataset.saved === '${bytes}'`);
    const before = await studio.canvasRgb();
    await studio.reload();
    const qcd = await studio.download('save-qcd', await phase('reload'), 'drawing.qcd');
    expect(Buffer.compare(qcd, readFileSync(join(work, 'drawing.qcd'))) === 0, 'the drawing after the reload differs');
    sameRgb(await studio.canvasRgb(), before, width, 'after the reload');
  });

  await check('the exported player passes quillcast-embed --check and renders the same', async () => {
    const exe = await studio.download('save-exe', await phase('player'), 'drawing.exe');
    writeFileSync(join(work, 'drawing.exe'), exe);
    const report = tool('quillcast-embed', ['--check', 'drawing.exe']).toString();
    expect(/intact/i.test(report), `--check says: ${report}`);
    sameRgb(await studio.canvasRgb(), renderedRgb('drawing.exe'), width, 'page and the player');
    writeFileSync(join(work, 'page-canvas.rgb'), await studio.canvasRgb());
  });

  await check('Watch plays the drawing from the start in the web player', async () => {
    const show = await page.inNewTab(() => page.click('#watch'),
      "document.documentElement.dataset.show === 'ended' && document.getElementById('player').width");
    expect(show === width + 14, `the player shows a window ${show} pixels wide`);
  });

  await check('the .qcs and the .exe it took away open again as the same drawing', async () => {
    const bytes = await studio.bytes();
    const canvas = await studio.canvasRgb();
    for (const file of ['paint/drawing.qcs', 'drawing.exe']) {
      await page.evaluate("document.getElementById('message').textContent = ''");
      await studio.openFile(join(work, file));
      await page.waitFor("document.getElementById('message').textContent");
      expect(!(await studio.messageIsError()), `${file}: ${await studio.message()}`);
      expect(await studio.bytes() === bytes, `${file}: ${await studio.bytes()} bytes, not ${bytes}`);
      sameRgb(await studio.canvasRgb(), canvas, width, file);
    }
  });

  await check('a bad file leaves the drawing as it was and says so in one line', async () => {
    const bytes = await studio.bytes();
    const canvas = await studio.canvasRgb();
    const bad = join(work, 'holiday.qcd');
    writeFileSync(bad, Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), Buffer.alloc(3000, 7)]));
    await studio.openFile(bad);
    await page.waitFor("document.documentElement.dataset.message === 'error'");
    const message = await studio.message();
    expect(message.includes('holiday.qcd') && !message.includes('\n'), `message: ${message}`);
    expect(await studio.bytes() === bytes, 'the byte count changed');
    sameRgb(await studio.canvasRgb(), canvas, width, 'after the bad file');
  });

  await check('pen only ignores the mouse; a mouse draws at the fixed level', async () => {
    const bytes = await studio.bytes();
    await page.click('#pen-only');
    await page.penStroke([[700, 300, 0.5], [720, 310, 0.5]], 'mouse');
    expect(await studio.bytes() === bytes, 'a mouse stroke was recorded with pen only on');
    await page.click('#pen-only');
    await studio.stroke([[50, 300, 9], [60, 305, 9], [70, 300, 9]], 'mouse');
    const qcs = await studio.download('save-qcs', await phase('mouse'), 'drawing.qcs');
    const last = qcs.toString().trim().split('\n').filter((l) => l.startsWith('stroke ')).pop();
    expect(last === 'stroke 50,300 60,305/0 70,300/0', `the mouse stroke is recorded as: ${last}`);
  });

  await check('a stroke that does not fit is refused, and nothing recorded is lost', async () => {
    // The drawing so far, then records of no effect up to 120 bytes before the end.
    const block = Buffer.from(readFileSync(join(work, 'drawing.qcd')));
    let end = await studio.bytes();
    while (end < 451000 - 120) { block.writeUInt16LE(6, end); end += 2; }
    const full = join(work, 'full.qcd');
    writeFileSync(full, block);
    await studio.openFile(full);
    await page.waitFor(`document.documentElement.dataset.bytes === '${end}'`);
    const canvas = await studio.canvasRgb();
    const points = [];
    for (let i = 0; i < 40; i++) points.push([30 + i * 5, 200 + (i % 2) * 5, 8]);
    await studio.stroke(points);
    expect(await studio.messageIsError(), 'no message');
    expect(/does not fit/.test(await studio.message()), `message: ${await studio.message()}`);
    expect(await studio.bytes() === end, 'bytes changed');
    sameRgb(await studio.canvasRgb(), canvas, width, 'after the refused stroke');
    await studio.stroke([[10, 10, 5], [14, 12, 5]]);
    expect(await studio.bytes() > end, 'a short stroke still fits');
  });

  await check('New asks before discarding unsaved work, and makes a palette from a picture', async () => {
    const asked = page.dialogs.length;
    await page.click('#new');
    expect(page.dialogs.length === asked + 1, 'New did not ask');
    await page.setFiles('#palette-picture', [fileURLToPath(new URL('../../../docs/meadow.png', import.meta.url))]);
    await page.waitFor("document.querySelector('input[name=palette-kind][value=picture]').checked");
    await studio.set('new-width', 120);
    await studio.set('new-height', 90);
    await page.click('#new-create');
    await page.waitFor("document.getElementById('canvas').width === 120");
    const [palette, standard] = JSON.parse(await page.evaluate(
      'JSON.stringify([window.studio.engine.palette(), window.studio.engine.standardPalette()])'));
    const own = palette.filter((c) => !standard.includes(c)).length;
    expect(own > 100, `only ${own} of the palette's colours come from the picture`);
    expect(await studio.bytes() === 1056, `a new drawing holds ${await studio.bytes()} bytes`);
  });

  expect(page.errors.length === 0, `exceptions in the page: ${page.errors.join('; ')}`);
} catch (e) {
  failures++;
  results.push(`FAIL setting up: ${e.stack || e}`);
} finally {
  clearTimeout(timeout);
  await page.close();
  await server.close();
}
console.log(results.join('\n'));
process.exit(failures ? 1 : 0);
