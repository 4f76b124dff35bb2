// The studio in headless Chromium, through the page's own controls, with a
// synthetic pen (pressure as the pen's force). What the page shows is held
// against the native tools (quillcast-render, quillcast-script,
// quillcast-embed), and the player it exports plays under Wine through the
// end-to-end script. The cases run in order on one drawing.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { root, startBrowser, startServer } from './harness.mjs';
import { openStudio } from './studio_page.mjs';

const work = path.join(root, 'build-web/studio-tests');
const bin = path.join(root, 'build/bin');
const kTimeoutMs = 60000;
const kWineTimeoutMs = 900000;

let server;
let chromium;
let studio;
let width;
const sent = []; // pressures sent, stroke by stroke
const afterStroke = []; // [bytes, canvas] after each stroke

const tool = (name, args) => execFileSync(path.join(bin, name), args, { cwd: work, stdio: ['ignore', 'pipe', 'pipe'] });

// quillcast-render --canvas-only of a drawing or player, as RGB bytes.
function renderedRgb(file) {
  const png = path.join(work, `${file}.png`);
  tool('quillcast-render', [file, '--canvas-only', '-o', png]);
  return execFileSync('convert', [png, '-depth', '8', 'rgb:-'], { maxBuffer: 1 << 28 });
}

function assertSameRgb(a, b, what) {
  assert.equal(a.length, b.length, `${what}: pixel bytes`);
  const at = a.findIndex((v, i) => v !== b[i]);
  if (at >= 0) {
    const p = Math.floor(at / 3);
    assert.fail(`${what}: first difference at (${p % width}, ${Math.floor(p / width)})`);
  }
}

async function phase(name) {
  const dir = path.join(work, name);
  mkdirSync(dir, { recursive: true });
  await studio.setDownloads(dir);
  return dir;
}

before(async () => {
  rmSync(work, { recursive: true, force: true });
  mkdirSync(work, { recursive: true });
  server = await startServer();
  chromium = await startBrowser();
  studio = await openStudio(chromium.browser, server.url);
  [width] = await studio.size();
});

after(async () => {
  if (chromium) await chromium.close();
  if (server) server.stop();
});

describe('the studio', () => {
  test(
    'every control has an accessible name, and the studio fits 1280 x 800 and 1024 x 768',
    { timeout: kTimeoutMs },
    async () => {
      const unnamed =
        await studio.evaluate(`[...document.querySelectorAll('button, input, select, meter, canvas, [role=listbox]')]
      .filter((e) => !(e.getAttribute('aria-label') || (e.labels && e.labels.length && e.labels[0].textContent.trim()) ||
        (e.tagName === 'BUTTON' && e.textContent.trim()) || e.title))
      .map((e) => e.id || e.outerHTML.slice(0, 60))`);
      assert.deepEqual(unnamed, [], 'controls without a name');
      for (const [w, h] of [
        [1024, 768],
        [1280, 800],
      ]) {
        await studio.viewport(w, h);
        const fit = await studio.evaluate(`(() => {
        const d = document.documentElement;
        const outside = [...document.querySelectorAll('.bar button, .bar .file-button, .bar meter, #message, .swatches')]
          .filter((e) => e.checkVisibility())
          .filter((e) => { const r = e.getBoundingClientRect(); return r.right > innerWidth + 0.5 || r.bottom > innerHeight + 0.5 || r.width === 0; })
          .map((e) => e.id || e.className);
        const stage = document.getElementById('scroller').getBoundingClientRect();
        return { scrolls: d.scrollWidth > innerWidth || d.scrollHeight > innerHeight, outside, stage: [stage.width, stage.height] };
      })()`);
        assert.equal(fit.scrolls, false, `${w} x ${h}: the page itself scrolls`);
        assert.deepEqual(fit.outside, [], `${w} x ${h}: out of view`);
        assert.ok(fit.stage[0] >= 400 && fit.stage[1] >= 300, `${w} x ${h}: the canvas view is only ${fit.stage}`);
      }
    },
  );

  test(
    'strokes in every mode with changing pressure equal quillcast-render, and the script shows them',
    { timeout: kTimeoutMs },
    async () => {
      await studio.set('colour', '#2a4d9b');
      await studio.set('second', '#e0c020');
      await studio.set('third', '#c03030');
      const modes = ['b', 'd', 's', 'k'];
      for (let m = 0; m < 4; m++) {
        await studio.key(modes[m]);
        await studio.key(m % 2 ? '[' : ']');
        const points = [];
        for (let i = 0; i < 24; i++) {
          const p = (i * 5 + m * 3) % 16;
          // Smudge goes across the strokes before it, to have colour to pick up.
          points.push(m === 2 ? [100 + (i % 3) * 4, 20 + i * 8, p] : [20 + i * 10, 40 + m * 80 + (i % 4) * 9, p]);
        }
        // The last one at zoom 2: the page maps the pointer to canvas pixels.
        if (m === 3) {
          await studio.click('#zoom-in');
          await studio.evaluate("document.getElementById('scroller').scrollTo(0, 0)");
        }
        await studio.stroke(points);
        if (m === 3) await studio.click('#zoom-fit');
        sent.push(points.slice(1).map((p) => p[2]));
        afterStroke.push([await studio.bytes(), await studio.canvasRgb()]);
      }
      const downloads = await phase('paint');
      writeFileSync(path.join(work, 'drawing.qcd'), await studio.download('save-qcd', downloads, 'drawing.qcd'));
      assertSameRgb(await studio.canvasRgb(), renderedRgb('drawing.qcd'), 'page and quillcast-render');

      const script = tool('quillcast-script', ['dump', 'drawing.qcd']).toString();
      const strokes = script.split('\n').filter((l) => l.startsWith('stroke '));
      assert.equal(strokes.length, 4, 'strokes in the script');
      strokes.forEach((line, s) => {
        const pressures = line
          .split(' ')
          .slice(2)
          .map((p) => Number(p.split('/')[1]));
        assert.deepEqual(pressures, sent[s], `stroke ${s}: the pressures recorded`);
      });
      const qcs = await studio.download('save-qcs', downloads, 'drawing.qcs');
      assert.equal(qcs.toString(), script, "the page's .qcs is what quillcast-script dump writes");
    },
  );

  test('undo and redo change the byte count and the canvas', { timeout: kTimeoutMs }, async () => {
    await studio.key('z', { ctrl: true });
    assert.equal(await studio.bytes(), afterStroke[2][0], 'bytes after undo');
    assertSameRgb(await studio.canvasRgb(), afterStroke[2][1], 'after undo');
    await studio.click('#undo');
    assert.equal(await studio.bytes(), afterStroke[1][0], 'bytes after a second undo');
    assertSameRgb(await studio.canvasRgb(), afterStroke[1][1], 'after a second undo');
    await studio.key('z', { ctrl: true, shift: true });
    await studio.click('#redo');
    assert.equal(await studio.bytes(), afterStroke[3][0], 'bytes after redo');
    assertSameRgb(await studio.canvasRgb(), afterStroke[3][1], 'after redo');
  });

  test('a reload brings back the same bytes, and Ctrl+S saves them', { timeout: kTimeoutMs }, async () => {
    const bytes = await studio.bytes();
    await studio.waitFor(`document.documentElement.dataset.saved === '${bytes}'`);
    const before = await studio.canvasRgb();
    await studio.reload();
    // Ctrl+S saves the drawing file, even from a text field.
    const dir = await phase('reload');
    await studio.tab.click('#density');
    const saved = studio.download(null, dir, 'drawing.qcd');
    await studio.key('s', { ctrl: true });
    const qcd = await saved;
    assert.ok(qcd.equals(readFileSync(path.join(work, 'drawing.qcd'))), 'the drawing after the reload');
    assertSameRgb(await studio.canvasRgb(), before, 'after the reload');
  });

  test('the exported player passes quillcast-embed --check and renders the same', { timeout: kTimeoutMs }, async () => {
    const exe = await studio.download('save-exe', await phase('player'), 'drawing.exe');
    writeFileSync(path.join(work, 'drawing.exe'), exe);
    assert.match(tool('quillcast-embed', ['--check', 'drawing.exe']).toString(), /intact/);
    const canvas = await studio.canvasRgb();
    assertSameRgb(canvas, renderedRgb('drawing.exe'), 'page and the player');
    writeFileSync(path.join(work, 'page-canvas.rgb'), canvas);
  });

  test('Watch plays the drawing from the start in the web player', { timeout: kTimeoutMs }, async () => {
    const shown = await studio.inNewTab(
      () => studio.click('#watch'),
      "document.documentElement.dataset.show === 'ended' && document.getElementById('player').width",
    );
    assert.equal(shown, width + 14, "the player's window, frame and canvas");
  });

  test('the .qcs and the .exe it took away open again as the same drawing', { timeout: kTimeoutMs }, async () => {
    const bytes = await studio.bytes();
    const canvas = await studio.canvasRgb();
    for (const file of ['paint/drawing.qcs', 'drawing.exe']) {
      await studio.evaluate("document.getElementById('message').textContent = ''");
      await studio.openFile(path.join(work, file));
      await studio.waitFor("document.getElementById('message').textContent");
      assert.equal(await studio.messageIsError(), false, `${file}: ${await studio.message()}`);
      assert.equal(await studio.bytes(), bytes, `${file}: bytes`);
      assertSameRgb(await studio.canvasRgb(), canvas, file);
    }
  });

  test('a bad file leaves the drawing as it was and says so in one line', { timeout: kTimeoutMs }, async () => {
    const bytes = await studio.bytes();
    const canvas = await studio.canvasRgb();
    const bad = path.join(work, 'holiday.qcd');
    writeFileSync(
      bad,
      Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), Buffer.alloc(3000, 7)]),
    );
    await studio.openFile(bad);
    await studio.waitFor("document.documentElement.dataset.message === 'error'");
    const message = await studio.message();
    assert.ok(message.includes('holiday.qcd') && !message.includes('\n'), `message: ${message}`);
    assert.equal(await studio.bytes(), bytes, 'bytes');
    assertSameRgb(await studio.canvasRgb(), canvas, 'after the bad file');

    // A drawing whose canvas is too large to hold: read, then refused.
    const script = readFileSync(path.join(work, 'paint/drawing.qcs'), 'utf8').replace(
      /^header width \d+ height \d+/m,
      'header width 60000 height 60000',
    );
    writeFileSync(path.join(work, 'huge.qcs'), script);
    tool('quillcast-script', ['build', 'huge.qcs', '-o', 'huge.qcd']);
    await studio.evaluate("document.getElementById('message').textContent = ''");
    await studio.openFile(path.join(work, 'huge.qcd'));
    await studio.waitFor("document.getElementById('message').textContent");
    assert.match(await studio.message(), /huge\.qcd: .*too large/);
    assert.equal(await studio.bytes(), bytes, 'bytes after the huge canvas');
    assertSameRgb(await studio.canvasRgb(), canvas, 'after the huge canvas');
  });

  test('pen only ignores the mouse; a mouse draws at the fixed level', { timeout: kTimeoutMs }, async () => {
    const bytes = await studio.bytes();
    await studio.click('#pen-only');
    await studio.pointer(
      [
        [700, 300, 0.5],
        [720, 310, 0.5],
      ],
      'mouse',
    );
    assert.equal(await studio.bytes(), bytes, 'a mouse stroke with pen only on');
    await studio.click('#pen-only');
    await studio.stroke(
      [
        [50, 300, 9],
        [60, 305, 9],
        [70, 300, 9],
      ],
      'mouse',
    );
    const qcs = await studio.download('save-qcs', await phase('mouse'), 'drawing.qcs');
    const last = qcs
      .toString()
      .trim()
      .split('\n')
      .filter((l) => l.startsWith('stroke '))
      .pop();
    assert.equal(last, 'stroke 50,300 60,305/0 70,300/0', 'the mouse stroke as recorded');
  });

  test('a stroke that does not fit is refused, and nothing recorded is lost', { timeout: kTimeoutMs }, async () => {
    // The drawing so far, then records of no effect up to 120 bytes before the end.
    const block = Buffer.from(readFileSync(path.join(work, 'drawing.qcd')));
    let end = afterStroke[3][0];
    while (end < 451000 - 120) {
      block.writeUInt16LE(6, end);
      end += 2;
    }
    const full = path.join(work, 'full.qcd');
    writeFileSync(full, block);
    await studio.openFile(full);
    await studio.waitFor(`document.documentElement.dataset.bytes === '${end}'`);
    const canvas = await studio.canvasRgb();
    const points = [];
    for (let i = 0; i < 40; i++) points.push([30 + i * 5, 200 + (i % 2) * 5, 8]);
    await studio.stroke(points);
    assert.ok(await studio.messageIsError(), 'a message');
    assert.match(await studio.message(), /does not fit/);
    assert.equal(await studio.bytes(), end, 'bytes');
    assertSameRgb(await studio.canvasRgb(), canvas, 'after the refused stroke');
    await studio.stroke([
      [10, 10, 5],
      [14, 12, 5],
    ]);
    assert.ok((await studio.bytes()) > end, 'a short stroke still fits');
  });

  test(
    'New asks before discarding unsaved work, and makes a palette from a picture',
    { timeout: kTimeoutMs },
    async () => {
      await studio.click('#new');
      await studio.chooseFile('#palette-picture', path.join(root, 'docs/meadow.png'));
      await studio.waitFor("document.querySelector('input[name=palette-kind][value=picture]').checked");
      await studio.set('new-width', 120);
      await studio.set('new-height', 90);
      await studio.click('#new-create');
      await studio.answer(true);
      await studio.waitFor("document.getElementById('canvas').width === 120");
      const [palette, standard] = await studio.evaluate(
        'window.studio.engine.palette().then((p) => [p, window.studio.engine.standard])',
      );
      const own = palette.filter((c) => !standard.includes(c)).length;
      assert.ok(own > 100, `only ${own} of the palette's colours come from the picture`);
      assert.equal(await studio.bytes(), 1056, "a new drawing's bytes");
      assert.deepEqual(studio.errors, [], 'exceptions in the page');
    },
  );

  test("the exported player plays under Wine and shows the page's canvas", { timeout: kWineTimeoutMs }, () => {
    execFileSync(
      'bash',
      [
        path.join(root, 'web/tests/browser/studio_wine.sh'),
        bin,
        path.join(root, 'build-win/bin'),
        work,
        path.join(root, 'build/studio-e2e'),
      ],
      { stdio: ['ignore', 'inherit', 'inherit'], timeout: kWineTimeoutMs },
    );
  });
});
