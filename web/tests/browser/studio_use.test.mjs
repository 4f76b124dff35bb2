// The studio as people use it, in headless Chromium: each case in a
// browser context of its own (its own storage), at the screen where the
// fault it guards against was seen. Keys after a field was edited, the
// strokes-left figure, palettes of new drawings, Watch, messages, a pinch,
// palm rejection, the history and settings after a reload, the dialogs.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fixtures, root, screens, startBrowser, startServer } from './harness.mjs';
import { openStudio } from './studio_page.mjs';

const work = path.join(root, 'build-web/studio-use-tests');
const kTimeoutMs = 60000;
const kBlock = 451000;

let server;
let chromium;

before(async () => {
  rmSync(work, { recursive: true, force: true });
  mkdirSync(work, { recursive: true });
  server = await startServer();
  chromium = await startBrowser();
});

after(async () => {
  if (chromium) await chromium.close();
  if (server) server.stop();
});

// A studio in a fresh browser context, closed after `body`.
async function withStudio(screen, body) {
  const context = await chromium.browser.createBrowserContext();
  try {
    const studio = await openStudio(chromium.browser, server.url, screen, context);
    await body(studio, context);
    assert.deepEqual(studio.errors, [], 'errors in the page');
  } finally {
    await context.close();
  }
}

const wave = (y, n = 30, x0 = 20) => Array.from({ length: n }, (_, i) => [x0 + i * 6, y + (i % 5) * 3, 8]);

// A drawing file whose records run to `room` bytes before the block's end:
// the quick sample, then records of no effect.
function nearlyFull(name, room) {
  const block = Buffer.from(readFileSync(path.join(fixtures, 'quick.qcd')));
  let end = block.length;
  while (end > 0 && block[end - 1] === 0) end -= 1;
  while (end < kBlock - room) {
    block.writeUInt16LE(6, end);
    end += 2;
  }
  const file = path.join(work, name);
  writeFileSync(file, block);
  return { file, end };
}

describe('keys after a field was edited (1280 x 800)', () => {
  for (const field of [
    ['density', '3000'],
    ['tolerance', '1'],
  ]) {
    test(`after typing in ${field[0]}, painting gives the keys back to the drawing`, { timeout: kTimeoutMs }, () =>
      withStudio(screens.desktop, async (studio) => {
        const [id, text] = field;
        if (id === 'tolerance') await studio.click('details summary');
        await studio.tab.click(`#${id}`, { clickCount: 3 });
        await studio.tab.keyboard.type(text);
        const bytes = await studio.bytes();
        await studio.stroke(wave(60), 'mouse');
        assert.ok((await studio.bytes()) > bytes, 'the stroke was recorded');

        await studio.key('i');
        assert.equal(
          await studio.evaluate("document.getElementById('tool-picker').getAttribute('aria-pressed')"),
          'true',
        );
        const painted = await studio.bytes();
        await studio.pointer(await studio.onCanvas([[40, 60, 0.5]]), 'mouse');
        await studio.settled();
        assert.equal(await studio.bytes(), painted, "the eyedropper's click painted nothing");

        await studio.key('z', { ctrl: true });
        assert.equal(await studio.bytes(), bytes, 'Ctrl+Z undid the stroke');
        assert.equal(await studio.evaluate(`document.getElementById('${id}').value`), text, 'the field kept its text');
        await studio.key(']');
        assert.equal(await studio.evaluate("document.getElementById('level').value"), '3', '] raised the level');
      }),
    );
  }
});

describe('the strokes-left figure', () => {
  test('it never rises while painting, survives a reload and says "1 stroke"', { timeout: kTimeoutMs }, () =>
    withStudio(screens.desktop, async (studio) => {
      const seen = [await studio.strokesLeft()];
      for (const n of [60, 3, 2, 40, 2, 2]) {
        await studio.stroke(wave(30 + seen.length * 25, n));
        seen.push(await studio.strokesLeft());
      }
      for (let i = 1; i < seen.length; i++) assert.ok(seen[i] <= seen[i - 1], `rose: ${seen.join(' → ')}`);
      await studio.waitFor(`document.documentElement.dataset.saved === '${await studio.bytes()}'`);
      const text = await studio.budgetText();
      await studio.reload();
      assert.equal(await studio.budgetText(), text, 'after a reload');

      const { file } = nearlyFull('one-left.qcd', 10000);
      await studio.openFile(file);
      await studio.answer(true);
      await studio.waitFor("/about 1 stroke left$/.test(document.getElementById('budget-text').textContent)");
    }),
  );

  test(
    'a nearly full drawing is judged by its own strokes, and one more does not raise it',
    { timeout: kTimeoutMs },
    () =>
      withStudio(screens.desktop, async (studio) => {
        const { file, end } = nearlyFull('nearly-full.qcd', 6000);
        await studio.openFile(file);
        await studio.waitFor(`document.documentElement.dataset.bytes === '${end}'`);
        const opened = await studio.strokesLeft();
        assert.ok(opened <= 1, `${opened} strokes left in 6000 bytes of a drawing whose records average far more`);
        await studio.stroke(wave(40, 12));
        assert.ok((await studio.strokesLeft()) <= opened, 'one stroke later');
      }),
  );

  test('two finger strokes on a phone promise no thousands (390 x 844)', { timeout: kTimeoutMs }, () =>
    withStudio(screens.phone, async (studio) => {
      const before = await studio.strokesLeft();
      for (const y of [60, 120]) {
        const at = await studio.onCanvas([
          [30, y],
          [60, y + 5],
          [90, y],
        ]);
        await studio.touch(at.map(([x, yy]) => [[x, yy]]));
      }
      assert.ok((await studio.bytes()) > 1056, 'the fingers painted');
      assert.ok(
        (await studio.strokesLeft()) <= before,
        `${await studio.strokesLeft()} after two strokes, ${before} before`,
      );
    }),
  );
});

test('a new drawing on the standard palette has the standard colours (1280 x 800)', { timeout: kTimeoutMs }, () =>
  withStudio(screens.desktop, async (studio) => {
    await studio.click('#new');
    await studio.click('#palette-edit button');
    await studio.set('slot-colour', '#ff8000');
    await studio.click('#new-create');
    await studio.waitFor('window.studio.engine.palette().then((p) => p[0] === 0x0080ff)');
    await studio.click('#new');
    await studio.click('#new-create');
    await studio.waitFor('window.studio.engine.palette().then((p) => p[0] !== 0x0080ff)');
    const [first, standard] = await studio.evaluate(
      'window.studio.engine.palette().then((p) => [p[0], window.studio.engine.standard[0]])',
    );
    assert.equal(first, standard);
  }),
);

test(
  'Watch opens the player on the drawing by its name, and the player can be reloaded (1280 x 800)',
  {
    timeout: kTimeoutMs,
  },
  () =>
    withStudio(screens.desktop, async (studio, context) => {
      await studio.stroke(wave(50));
      const opened = context.waitForTarget((t) => t.opener() === studio.tab.target(), { timeout: kTimeoutMs });
      await studio.click('#watch');
      const player = await (await opened).page();
      const ended = () =>
        player.waitForFunction(() => document.documentElement.dataset.show === 'ended', { timeout: kTimeoutMs });
      await ended();
      assert.doesNotMatch(player.url(), /blob:/);
      const name = () => player.$eval('#message', (m) => m.textContent);
      assert.equal(await name(), 'drawing.qcd');
      await player.reload();
      await ended();
      assert.equal(await name(), 'drawing.qcd');
      await player.close();
    }),
);

test("a refused stroke's message goes when a fill succeeds (1280 x 800)", { timeout: kTimeoutMs }, () =>
  withStudio(screens.desktop, async (studio) => {
    const { file } = nearlyFull('refuses.qcd', 100);
    await studio.openFile(file);
    await studio.waitFor(`document.documentElement.dataset.bytes > '${kBlock - 110}'`);
    await studio.stroke(wave(60, 40));
    assert.match(await studio.message(), /does not fit/);
    assert.ok(await studio.messageIsError());
    await studio.key('f');
    assert.equal(await studio.messageIsError(), false, `after the fill: ${await studio.message()}`);
  }),
);

describe('on a phone (390 x 844, touch)', () => {
  test(
    'the canvas takes the width, the tools are a drawer and the swatches fit a finger',
    { timeout: kTimeoutMs },
    () =>
      withStudio(screens.phone, async (studio) => {
        const layout = await studio.evaluate(`(() => {
        const r = (id) => document.getElementById(id).getBoundingClientRect();
        const swatch = document.querySelector('#swatches [role=option]').getBoundingClientRect();
        const m = document.getElementById('message');
        return { view: r('scroller').width, tools: r('tools').right, swatch: [swatch.width, swatch.height],
          message: m.scrollWidth <= m.clientWidth, strip: document.getElementById('swatches').scrollWidth > innerWidth };
      })()`);
        assert.ok(layout.view >= 380, `the canvas view is ${layout.view} px wide`);
        assert.ok(layout.tools <= 0, 'the tool drawer is closed');
        assert.ok(layout.swatch[0] >= 24 && layout.swatch[1] >= 24, `swatches of ${layout.swatch}`);
        assert.ok(layout.strip, 'the palette strip scrolls');
        assert.ok(layout.message, 'the message line is cut');
        await studio.click('#tools-toggle');
        await studio.waitFor("getComputedStyle(document.getElementById('tools')).transform === 'none'");
        const drawer = await studio.evaluate("document.getElementById('level').getBoundingClientRect().right");
        assert.ok(drawer > 0 && drawer <= 390, 'the drawer shows the tools');
      }),
  );

  test('a two-finger pinch zooms and paints nothing', { timeout: kTimeoutMs }, () =>
    withStudio(screens.phone, async (studio) => {
      const bytes = await studio.bytes();
      const zoom = Number(await studio.evaluate('document.documentElement.dataset.zoom'));
      const [[x, y]] = await studio.onCanvas([[150, 200]]);
      const steps = [];
      for (let i = 0; i <= 8; i++) {
        steps.push([
          [x - 20 - i * 12, y - 10],
          [x + 20 + i * 12, y + 10],
        ]);
      }
      await studio.touch(steps);
      assert.equal(await studio.bytes(), bytes, 'bytes after the pinch');
      assert.ok(Number(await studio.evaluate('document.documentElement.dataset.zoom')) > zoom, 'zoomed in');
    }),
  );

  test('once a pen was seen, a finger pans instead of painting', { timeout: kTimeoutMs }, () =>
    withStudio(screens.phone, async (studio) => {
      await studio.stroke(wave(40, 10), 'pen');
      const bytes = await studio.bytes();
      const at = await studio.onCanvas([
        [100, 200],
        [130, 230],
        [160, 260],
      ]);
      await studio.touch(at.map(([x, y]) => [[x, y]]));
      assert.equal(await studio.bytes(), bytes, 'a finger after the pen');
    }),
  );
});

test('undo, redo and the tool settings survive a reload (1280 x 800)', { timeout: kTimeoutMs }, () =>
  withStudio(screens.desktop, async (studio) => {
    const sizes = [await studio.bytes()];
    for (let s = 0; s < 3; s++) {
      await studio.stroke(wave(40 + s * 40));
      sizes.push(await studio.bytes());
    }
    await studio.key('z', { ctrl: true });
    await studio.key('d');
    await studio.key(']');
    await studio.set('colour', '#336699');
    await studio.tab.click('#density', { clickCount: 3 });
    await studio.tab.keyboard.type('250');
    await studio.set('curve', 2.2);
    await studio.waitFor(`document.documentElement.dataset.saved === '${sizes[2]}'`);
    await studio.reload();
    assert.equal(await studio.bytes(), sizes[2]);
    const controls =
      await studio.evaluate(`['level', 'colour', 'density', 'curve'].map((id) => document.getElementById(id).value)
      .concat(document.querySelector('input[name=mode]:checked').value)`);
    assert.deepEqual(controls, ['3', '#336699', '250', '2.2', '2']);
    await studio.click('#redo');
    assert.equal(await studio.bytes(), sizes[3], 'redo after the reload');
    await studio.click('#undo');
    await studio.click('#undo');
    assert.equal(await studio.bytes(), sizes[1], 'undo after the reload');
    // The first stroke came from a pen: the drawing took pressure on before it.
    await studio.click('#undo');
    assert.equal(await studio.evaluate("document.getElementById('undo').disabled"), true);
    assert.ok((await studio.bytes()) < sizes[1]);
  }),
);

test(
  'pressure: the page says it is off after a mouse began, and how to have it (1280 x 800)',
  { timeout: kTimeoutMs },
  () =>
    withStudio(screens.desktop, async (studio) => {
      assert.equal(await studio.evaluate('document.documentElement.dataset.pressure'), 'pending');
      await studio.stroke(wave(40), 'mouse');
      assert.equal(await studio.evaluate('document.documentElement.dataset.pressure'), 'off');
      assert.match(await studio.message(), /no pen pressure.*first stroke came from a mouse.*New drawing/);
      assert.match(await studio.evaluate("document.getElementById('pressure-note').textContent"), /New drawing/);
    }),
);

test(
  "Open asks only once the file has proved to be a drawing, in the page's own dialog (1280 x 800)",
  {
    timeout: kTimeoutMs,
  },
  () =>
    withStudio(screens.desktop, async (studio) => {
      await studio.stroke(wave(40));
      const empty = path.join(work, 'empty.qcd');
      writeFileSync(empty, Buffer.alloc(0));
      await studio.openFile(empty);
      await studio.waitFor("document.documentElement.dataset.message === 'error'");
      assert.equal(
        await studio.message(),
        'empty.qcd: an empty file, not a drawing (a drawing file is exactly 451000 bytes)',
      );
      assert.equal(await studio.evaluate("document.getElementById('ask-dialog').open"), false);
      const bytes = await studio.bytes();
      await studio.openFile(path.join(fixtures, 'meadow.qcd'));
      await studio.answer(false);
      assert.equal(await studio.bytes(), bytes, 'kept painting');
      await studio.openFile(path.join(fixtures, 'meadow.qcd'));
      await studio.answer(true);
      await studio.waitFor("document.getElementById('canvas').width === 300");
    }),
);

test('the budget turns amber at 80% and red at 95% (1280 x 800)', { timeout: kTimeoutMs }, () =>
  withStudio(screens.desktop, async (studio) => {
    for (const [room, colour] of [
      [kBlock * 0.15, 'amber'],
      [kBlock * 0.04, 'red'],
    ]) {
      await studio.openFile(nearlyFull(`${colour}.qcd`, Math.round(room)).file);
      await studio.waitFor(`document.documentElement.dataset.budget === '${colour}'`);
    }
  }),
);

test(
  'keyboard: the palette is one tab stop moved by arrows, and ? lists the keys (1280 x 800)',
  {
    timeout: kTimeoutMs,
  },
  () =>
    withStudio(screens.desktop, async (studio) => {
      await studio.evaluate('document.querySelector(\'#swatches [tabindex="0"]\').focus()');
      await studio.tab.keyboard.press('ArrowRight');
      await studio.tab.keyboard.press('ArrowRight');
      await studio.settled();
      const palette = await studio.evaluate(`(() => {
      const s = [...document.querySelectorAll('#swatches [role=option]')];
      return { stops: s.filter((e) => e.tabIndex === 0).map((e) => e.dataset.slot), focused: document.activeElement.dataset.slot,
        selected: s.filter((e) => e.getAttribute('aria-selected') === 'true').map((e) => e.dataset.slot) };
    })()`);
      assert.deepEqual(palette, { stops: ['2'], focused: '2', selected: ['2'] });

      await studio.evaluate('document.activeElement.blur()');
      await studio.key('?');
      const card = await studio.evaluate("[...document.querySelectorAll('#help-keys dt')].map((d) => d.textContent)");
      for (const key of ['B', 'I', 'F', '[', ']', 'Ctrl+Z', 'Ctrl+S', 'Space', '?'])
        assert.ok(card.includes(key), `${key} on the card`);
      await studio.tab.keyboard.press('Escape');
    }),
);

test('the brush cursor is the stamp at the zoom (1280 x 800)', { timeout: kTimeoutMs }, () =>
  withStudio(screens.desktop, async (studio) => {
    await studio.set('level', 4);
    await studio.click('#zoom-in');
    await studio.click('#zoom-in');
    const zoom = Number(await studio.evaluate('document.documentElement.dataset.zoom'));
    const [[x, y]] = await studio.onCanvas([[100, 100]]);
    await studio.cdp('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y, pointerType: 'mouse' });
    await studio.waitFor("!document.getElementById('brush-cursor').hidden");
    const width = await studio.evaluate("document.getElementById('brush-cursor').getBoundingClientRect().width");
    assert.equal(width, 7 * zoom + 2);
  }),
);

test(
  'a file dropped on the studio opens, and the canvas view lights up under it (1280 x 800)',
  { timeout: kTimeoutMs },
  () =>
    withStudio(screens.desktop, async (studio) => {
      const lit = await studio.evaluate(`(async () => {
      const blob = await (await fetch('/fixtures/meadow.qcd')).blob();
      const transfer = new DataTransfer();
      transfer.items.add(new File([blob], 'meadow.qcd'));
      const view = document.getElementById('scroller');
      for (const type of ['dragenter', 'dragover'])
        view.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
      const outline = getComputedStyle(view).outlineStyle;
      view.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
      return outline;
    })()`);
      assert.equal(lit, 'dashed');
      await studio.waitFor("document.documentElement.dataset.bytes === '39312'");
    }),
);

test(
  'a new drawing reloaded before its first stroke still takes pressure from a pen (1280 x 800)',
  { timeout: kTimeoutMs },
  () =>
    withStudio(screens.desktop, async (studio) => {
      await studio.waitFor("document.documentElement.dataset.saved === '1056'");
      await studio.reload();
      assert.equal(await studio.evaluate('document.documentElement.dataset.pressure'), 'pending');
      await studio.stroke(wave(40));
      assert.equal(await studio.evaluate('document.documentElement.dataset.pressure'), 'on');
    }),
);
