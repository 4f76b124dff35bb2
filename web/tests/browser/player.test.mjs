// The web player in headless Chromium, for real: deep links against the
// renderer's pictures, players and their check, bad inputs, pacing, the
// controls. Run with `node --test` from web/ once build-web/site/ and the
// fixtures (make_fixtures.sh) are there.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import {
  chooseFile,
  compareWithPng,
  fixtures,
  openPlayer,
  screens,
  startBrowser,
  startServer,
  waitForMessage,
  waitForShow,
} from './harness.mjs';

const kShowTimeoutMs = 60000; // a whole show to its end; a fault fails here instead of hanging
const kMessageTimeoutMs = 20000;
const kTestTimeoutMs = 2 * kShowTimeoutMs; // beyond every wait, so that a wait that fails says so
const samples = ['quick', 'meadow', 'dense'];

let server;
let chromium;

before(async () => {
  server = await startServer();
  chromium = await startBrowser();
});

after(async () => {
  if (chromium) await chromium.close();
  if (server) server.stop();
});

async function assertShows(page, name) {
  const canvas = await compareWithPng(page, `/fixtures/${name}-canvas.png`, 7, 7);
  assert.equal(canvas.differing, 0, `${name}: canvas pixels that differ from quillcast-render --canvas-only`);
  const framed = await compareWithPng(page, `/fixtures/${name}.png`);
  assert.deepEqual(
    [framed.canvasWidth, framed.canvasHeight],
    [framed.pngWidth, framed.pngHeight],
    `${name}: the player canvas is the window, 1:1`,
  );
  assert.equal(framed.differing, 0, `${name}: frame pixels that differ from quillcast-render`);
}

describe('deep links to the end equal the renderer', () => {
  for (const name of samples) {
    test(`${name}, as a script and as a drawing file`, { timeout: kTestTimeoutMs }, async () => {
      for (const link of [`samples/${name}.qcs`, `/fixtures/${name}.qcd`]) {
        const page = await openPlayer(chromium.browser, server.url, `#drawing=${link}&speed=end`);
        await waitForShow(page, 'ended', kShowTimeoutMs);
        await assertShows(page, name);
        assert.deepEqual(page.errors, []);
        await page.close();
      }
    });
  }

  test('a player carrying the meadow sample plays the same', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/meadow.exe&speed=end');
    await waitForShow(page, 'ended', kShowTimeoutMs);
    await assertShows(page, 'meadow');
    assert.match(await page.$eval('#message', (m) => m.textContent), /meadow\.exe: a player, intact/);
    await page.close();
  });

  test("a corrupted player is refused with the player's message", { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/corrupted.exe&speed=end');
    const text = await waitForMessage(page, /corrupted/, kMessageTimeoutMs);
    assert.equal(
      text,
      'corrupted.exe: This program has been corrupted! Visit www.quillcast.example to redownload the file.',
    );
    assert.equal(await page.evaluate(() => document.documentElement.dataset.show), 'empty');
    await page.close();
  });
});

describe('bad input', () => {
  const cases = [
    ['noise.qcd', /^noise\.qcd: 100000 bytes of binary data; a drawing file is exactly 451000 bytes$/],
    ['picture.qcd', /^picture\.qcd: a PNG picture, not a drawing/],
    ['program.exe', /^program\.exe: a Windows program without a drawing block/],
    ['truncated.qcd', /^truncated\.qcd: 300000 bytes of binary data/],
    ['huge.qcd', /^huge\.qcd: larger than 256 MiB/],
    ['corrupted.exe', /^corrupted\.exe: This program has been corrupted!/],
  ];

  test(
    'each gets its message while the drawing that was showing plays on',
    { timeout: 4 * kShowTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=samples/meadow.qcs&speed=1');
      await waitForShow(page, 'playing', kShowTimeoutMs);
      for (const [file, message] of cases) {
        await chooseFile(page, path.join(fixtures, file));
        await waitForMessage(page, message, kMessageTimeoutMs);
        assert.notEqual(await page.evaluate(() => document.documentElement.dataset.show), 'empty', file);
      }
      const before = await page.$eval('#progress', (p) => Number(p.value));
      await page.waitForFunction(
        (b) => Number(document.getElementById('progress').value) > b + 0.2,
        { timeout: kMessageTimeoutMs },
        before,
      );
      await page.click('#end');
      await waitForShow(page, 'ended', kShowTimeoutMs);
      await assertShows(page, 'meadow');
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test('a drawing named as a system folder opens like any other', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#speed=end');
    await chooseFile(page, path.join(fixtures, 'dev'));
    await waitForShow(page, 'ended', kShowTimeoutMs);
    await assertShows(page, 'quick');
    await page.close();
  });

  test(
    'a hostile drawing stops at the work bound, and the page says where',
    { timeout: 2 * kShowTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/hostile.qcs&speed=end&work=5');
      await waitForMessage(
        page,
        /^hostile\.qcs: stopped after \d+\.\d+ s of the show: the work limit$/,
        kShowTimeoutMs,
      );
      await waitForShow(page, 'ended', kShowTimeoutMs);
      await page.close();
    },
  );
});

describe('pacing and controls', () => {
  test(
    "at speed 1 the quick sample lasts as long as the renderer's show clock says",
    { timeout: kTestTimeoutMs },
    async () => {
      const rendered = readFileSync(path.join(fixtures, 'quick-length.txt'), 'utf8');
      const seconds = Number(/, ([\d.]+) s/.exec(rendered)[1]);
      const page = await openPlayer(chromium.browser, server.url, '#drawing=samples/quick.qcs&speed=1');
      await waitForShow(page, 'ended', kShowTimeoutMs);
      const stats = await page.evaluate(() => window.quillcastStats);
      const played = (stats.endedAt - stats.firstFrameAt) / 1000;
      assert.ok(Math.abs(played - seconds) <= 0.1 * seconds, `played ${played} s, the renderer's clock ${seconds} s`);
      await assertShows(page, 'quick');
      await page.close();
    },
  );

  test('a deep link may ask for any speed from 1x to 64x', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=samples/meadow.qcs&speed=48');
    await waitForShow(page, 'ended', kShowTimeoutMs);
    assert.equal(await page.$eval('#speed', (s) => s.selectedOptions[0].textContent), '48x');
    await assertShows(page, 'meadow');
    await page.close();
  });

  test('keys and a dropped file', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url);
    await page.evaluate(async () => {
      const blob = await (await fetch('/fixtures/meadow.qcd')).blob();
      const transfer = new DataTransfer();
      transfer.items.add(new File([blob], 'meadow.qcd'));
      document.getElementById('stage').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true }));
    });
    await waitForShow(page, 'playing', kShowTimeoutMs);
    await page.keyboard.press('Space');
    await waitForShow(page, 'paused', kMessageTimeoutMs);
    await page.keyboard.press('ArrowUp');
    assert.equal(await page.$eval('#speed', (s) => s.value), '2');
    await page.keyboard.press('End');
    await waitForShow(page, 'ended', kShowTimeoutMs);
    await assertShows(page, 'meadow');
    await page.keyboard.press('Home');
    await waitForShow(page, 'playing', kMessageTimeoutMs);
    assert.ok((await page.$eval('#progress', (p) => Number(p.value))) < 5);
    await page.close();
  });

  test(
    'on a high-density screen each pixel is a whole number of screen pixels',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await chromium.browser.newPage();
      await page.setViewport({ width: 900, height: 700, deviceScaleFactor: 3 });
      await page.goto(`${server.url}index.html#drawing=/fixtures/quick.qcd&speed=end`);
      await waitForShow(page, 'ended', kShowTimeoutMs);
      const shown = () => page.$eval('#player', (c) => [c.width, c.getBoundingClientRect().width * devicePixelRatio]);
      // Fitted: the largest whole number of screen pixels a pixel that fits.
      const fitted = Number(await page.evaluate(() => document.documentElement.dataset.zoom));
      assert.ok(Number.isInteger(fitted) && fitted >= 3, `fitted at ${fitted} screen pixels a pixel`);
      assert.deepEqual(await shown(), [174, fitted * 174]);
      const room = await page.$eval('#stage', (s) => (s.clientHeight - 24) * devicePixelRatio);
      assert.ok(fitted * 134 <= room && (fitted + 1) * 134 > room, 'the next whole zoom would not fit');
      await page.select('#zoom', '6');
      assert.deepEqual(await shown(), [174, 6 * 174]);
      assert.equal(await page.$eval('#player', (c) => getComputedStyle(c).imageRendering), 'pixelated');
      await page.close();
    },
  );

  test('splash screens show on a screen round the window', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/quick.qcd&speed=1&splash=1');
    await waitForShow(page, 'playing', kShowTimeoutMs);
    await page.keyboard.press('Space');
    await page.waitForFunction(() => !document.getElementById('time').value.endsWith('…'), { timeout: kShowTimeoutMs });
    await page.evaluate(() => {
      const progress = document.getElementById('progress');
      progress.value = '3';
      progress.dispatchEvent(new Event('input'));
    });
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const screen = await compareWithPng(page, '/fixtures/quick-splash-3s.png');
    assert.deepEqual([screen.canvasWidth, screen.canvasHeight], [400, 200]);
    assert.equal(screen.differing, 0);
    await page.close();
  });
});

describe('as people use it', () => {
  // A page at `hash` on `screen`, once its show is in `state`.
  async function pageAt(hash, screen, state) {
    const page = await openPlayer(chromium.browser, server.url, hash, screen);
    await waitForShow(page, state, kShowTimeoutMs);
    return page;
  }

  // The page fits the screen: it never scrolls itself, and the controls stay in view.
  async function fits(page) {
    return page.evaluate(() => {
      const d = document.documentElement;
      const out = [...document.querySelectorAll('.controls button, .controls select, .controls input')]
        .filter((e) => e.checkVisibility())
        .filter((e) => {
          const r = e.getBoundingClientRect();
          return r.left < 0 || r.top < 0 || r.right > innerWidth || r.bottom > innerHeight;
        })
        .map((e) => e.id || e.outerHTML.slice(0, 40));
      return { scrolls: d.scrollWidth > innerWidth || d.scrollHeight > innerHeight, out };
    });
  }

  // Where the picture's edges are against the stage once it is scrolled all
  // the way to one side.
  function edges(page, scrollLeft) {
    return page.evaluate((left) => {
      const stage = document.getElementById('stage');
      stage.scrollLeft = left === 'end' ? stage.scrollWidth : left;
      const s = stage.getBoundingClientRect();
      const c = document.getElementById('player').getBoundingClientRect();
      return { left: c.left - s.left, right: s.right - c.right };
    }, scrollLeft);
  }

  test(
    'zoomed in, the dense sample keeps the controls in view and every edge in reach (1280 x 800)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=samples/dense.qcs&speed=end', screens.desktop, 'ended');
      await page.select('#zoom', '4');
      assert.deepEqual(await fits(page), { scrolls: false, out: [] });
      assert.ok((await edges(page, 0)).left >= 0, 'the left edge can be scrolled to');
      assert.ok((await edges(page, 'end')).right >= 0, 'the right edge can be scrolled to');
      await page.close();
    },
  );

  test(
    'on a phone the dense sample opens whole, and at 1x both edges are in reach (390 x 844)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=samples/dense.qcs&speed=end', screens.phone, 'ended');
      const fitted = await edges(page, 0);
      assert.ok(fitted.left >= 0 && fitted.right >= 0, `fitted: ${JSON.stringify(fitted)}`);
      assert.deepEqual(await fits(page), { scrolls: false, out: [] });
      await page.select('#zoom', '3');
      assert.ok((await edges(page, 0)).left >= 0, 'the left edge at 1x');
      assert.ok((await edges(page, 'end')).right >= 0, 'the right edge at 1x');
      await page.close();
    },
  );

  test('the bar fits a phone, Studio link and all (390 x 844)', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '', screens.phone);
    const bar = await page.evaluate(() => {
      const header = document.querySelector('header');
      return {
        scrolls: header.scrollWidth > header.clientWidth,
        link: document.querySelector('a[href="studio/"]').getBoundingClientRect().right,
      };
    });
    assert.equal(bar.scrolls, false);
    assert.ok(bar.link <= 390, `the Studio link ends at ${bar.link}`);
    await page.close();
  });

  test('a file dragged over the page lights up the stage (1280 x 800)', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '', screens.desktop);
    const lit = await page.evaluate(() => {
      const transfer = new DataTransfer();
      transfer.items.add(new File(['x'], 'meadow.qcd'));
      const stage = document.getElementById('stage');
      for (const type of ['dragenter', 'dragover']) {
        stage.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
      }
      return getComputedStyle(stage).outlineStyle;
    });
    assert.equal(lit, 'dashed');
    await page.close();
  });

  test(
    'Splash screens ticked after the end plays the show again with them (1280 x 800)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=/fixtures/quick.qcd&speed=end', screens.desktop, 'ended');
      await page.click('#splash');
      await page.waitForFunction(
        () =>
          document.documentElement.dataset.show === 'playing' &&
          Number(document.getElementById('progress').value) > 0.5,
        { timeout: kShowTimeoutMs, polling: 50 },
      );
      await page.close();
    },
  );

  test(
    'End goes to the end once; Play then plays at the chosen speed; Loop starts again (1280 x 800)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=samples/quick.qcs&speed=2', screens.desktop, 'playing');
      await page.keyboard.press('End');
      await waitForShow(page, 'ended', kShowTimeoutMs);
      assert.equal(await page.$eval('#speed', (s) => s.value), '2');
      await page.click('#loop');
      await page.click('#play');
      await waitForShow(page, 'playing', kMessageTimeoutMs);
      await waitForShow(page, 'ended', kShowTimeoutMs);
      await waitForShow(page, 'playing', kShowTimeoutMs);
      assert.ok((await page.$eval('#progress', (p) => Number(p.value))) < 2, 'again from the start');
      await page.close();
    },
  );

  test(
    'keys leave a focused control alone; the file input and the samples are in the tab order (1280 x 800)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=samples/meadow.qcs&speed=1', screens.desktop, 'playing');
      assert.equal(await page.$eval('#samples', (s) => s.value), 'samples/meadow.qcs', 'the sample menu shows it');
      await page.focus('#speed');
      await page.keyboard.press('ArrowDown');
      assert.equal(await page.$eval('#speed', (s) => s.value), '2', 'the focused menu took the arrow');
      await page.click('h1');
      const reached = [];
      for (let i = 0; i < 3; i++) {
        await page.keyboard.press('Tab');
        reached.push(await page.evaluate(() => document.activeElement.id));
      }
      assert.deepEqual(reached, ['file', 'samples', '']);
      await page.keyboard.press('?');
      assert.equal(await page.$eval('#help', (d) => d.open), true);
      const card = await page.$$eval('#help-keys dt', (d) => d.map((e) => e.textContent));
      for (const key of ['Space', 'Home', 'End', '←', '→', '↑', '↓', 'F', '?'])
        assert.ok(card.includes(key), `${key} on the card`);
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test(
    'back 5 s from a show opened at its end lands 5 s before the end (1280 x 800)',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await pageAt('#drawing=/fixtures/dense.qcd&speed=end', screens.desktop, 'ended');
      const length = await page.$eval('#progress', (p) => Number(p.max));
      await page.keyboard.press('ArrowLeft');
      await page.waitForFunction(
        (l) => Math.abs(Number(document.getElementById('progress').value) - (l - 5)) < 0.1,
        { timeout: kShowTimeoutMs, polling: 50 },
        length,
      );
      await page.close();
    },
  );

  test(
    'Full screen shows the stage and the controls, fitted again; F leaves it (1280 x 800)',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = await pageAt('#drawing=/fixtures/quick.qcd&speed=end', screens.desktop, 'ended');
      const zoom = () => page.evaluate(() => Number(document.documentElement.dataset.zoom));
      const before = await zoom();
      await page.click('#fullscreen');
      await page.waitForFunction(() => document.fullscreenElement?.id === 'player-view', {
        timeout: kMessageTimeoutMs,
      });
      await page.waitForFunction(
        (z) => Number(document.documentElement.dataset.zoom) > z,
        { timeout: kMessageTimeoutMs },
        before,
      );
      await page.keyboard.press('f');
      await page.waitForFunction(() => !document.fullscreenElement, { timeout: kMessageTimeoutMs });
      await page.close();
    },
  );

  test('the wheel zooms round the pointer (1280 x 800)', { timeout: kTestTimeoutMs }, async () => {
    const page = await pageAt('#drawing=/fixtures/dense.qcd&speed=end', screens.desktop, 'ended');
    // Zoomed in far enough to scroll, so that the view can follow the pointer.
    await page.select('#zoom', '4');
    const at = await page.$eval('#stage', (stage) => {
      const r = stage.getBoundingClientRect();
      return [r.left + r.width * 0.25, r.top + r.height * 0.3];
    });
    const under = () =>
      page.$eval(
        '#player',
        (c, [x, y]) => {
          const r = c.getBoundingClientRect();
          return [Math.floor(((x - r.left) * c.width) / r.width), Math.floor(((y - r.top) * c.height) / r.height)];
        },
        at,
      );
    const before = await under();
    const zoom = Number(await page.evaluate(() => document.documentElement.dataset.zoom));
    await page.mouse.move(at[0], at[1]);
    await page.mouse.wheel({ deltaY: -120 });
    await page.waitForFunction(
      (z) => Number(document.documentElement.dataset.zoom) > z,
      { timeout: kMessageTimeoutMs },
      zoom,
    );
    const after = await under();
    assert.ok(Math.abs(after[0] - before[0]) <= 1 && Math.abs(after[1] - before[1]) <= 1, `${before} then ${after}`);
    await page.close();
  });
});
