// The player embedded in another page (player/index.html#embed=1&drawing=URL),
// in an iframe of the size a board gives it: the framed replay and its
// controls, nothing else, the picture at 1x with square pixels, equal to
// quillcast-render's; and the links that are not an embed go on to the
// whole player.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { root, screens, startBrowser, startServer, watchErrors } from './harness.mjs';

const kShowTimeoutMs = 60000;
const kTestTimeoutMs = 2 * kShowTimeoutMs;
const shots = path.join(root, 'build-web/screenshots');

let server;
let chromium;

before(async () => {
  mkdirSync(shots, { recursive: true });
  server = await startServer();
  chromium = await startBrowser();
});

after(async () => {
  if (chromium) await chromium.close();
  if (server) server.stop();
});

// A page of the test server's origin holding the embed in an iframe of
// width x height CSS pixels; gives the frame.
async function embedIn(page, hash, width, height) {
  await page.goto(`${server.url}fixtures/`);
  await page.setContent(
    `<!doctype html><body style="margin:0"><iframe id="embed" style="border:0" width="${width}" height="${height}" title="Replay"></iframe></body>`,
  );
  await page.$eval('#embed', (f, src) => (f.src = src), `${server.url}player/index.html${hash}`);
  const handle = await page.waitForSelector('#embed');
  const frame = await handle.contentFrame();
  await frame.waitForFunction(() => document.documentElement.dataset.embed === '1', { timeout: kShowTimeoutMs });
  return frame;
}

// What the frame shows: the picture's box against its pixels, what of the
// page is visible, and whether the canvas equals the renderer's PNG.
function inspect(frame, png) {
  return frame.evaluate(async (src) => {
    const canvas = document.getElementById('player');
    const box = canvas.getBoundingClientRect();
    const shown = (selector) => {
      const e = document.querySelector(selector);
      return !!e && e.checkVisibility();
    };
    const bitmap = await createImageBitmap(await (await fetch(src)).blob(), {
      colorSpaceConversion: 'none',
      premultiplyAlpha: 'none',
    });
    const scratch = new OffscreenCanvas(bitmap.width, bitmap.height);
    scratch.getContext('2d').drawImage(bitmap, 0, 0);
    const want = scratch.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
    const got = canvas.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
    let differing = 0;
    for (let i = 0; i < want.length; i += 4) {
      if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2]) ++differing;
    }
    const controls = document.querySelector('.controls').getBoundingClientRect();
    return {
      pixels: [canvas.width, canvas.height],
      css: [box.width, box.height],
      smooth: canvas.classList.contains('scaled-down'),
      inView: box.left >= 0 && box.top >= 0 && box.right <= innerWidth && box.bottom <= innerHeight,
      controlsInView: controls.bottom <= innerHeight + 0.5 && controls.right <= innerWidth + 0.5,
      sideways: document.documentElement.scrollWidth > innerWidth,
      differing,
      bar: shown('.bar'),
      picker: shown('#file'),
      timelapse: shown('#timelapse'),
      play: shown('#play'),
      seek: shown('#progress'),
    };
  }, png);
}

describe('the embedded player', () => {
  test(
    'the meadow in a board-sized frame: replay and controls alone, at 1x, equal to the renderer',
    {
      timeout: kTestTimeoutMs,
    },
    async () => {
      const page = watchErrors(await chromium.browser.newPage());
      await page.setViewport(screens.desktop);
      // The framed window is 314 x 414; a board gives the frame room round it.
      const frame = await embedIn(page, '#embed=1&drawing=/fixtures/meadow.qcd&speed=end', 314 + 32, 414 + 96);
      await frame.waitForFunction(() => document.documentElement.dataset.show === 'ended', {
        timeout: kShowTimeoutMs,
      });
      const seen = await inspect(frame, '/fixtures/meadow.png');
      assert.deepEqual(seen.pixels, [314, 414]);
      assert.deepEqual(seen.css, [314, 414], 'one CSS pixel a picture pixel');
      assert.equal(seen.smooth, false);
      assert.equal(seen.differing, 0, 'pixels that differ from quillcast-render');
      assert.deepEqual(
        [seen.bar, seen.picker, seen.timelapse, seen.play, seen.seek],
        [false, false, false, true, true],
        'no bar, file picker or time-lapse; the playback controls',
      );
      assert.ok(seen.inView && seen.controlsInView && !seen.sideways, JSON.stringify(seen));
      await page.screenshot({ path: path.join(shots, 'embed-board-frame.png') });
      // The keys work in the frame: Home plays from the start again.
      await frame.focus('#play');
      await page.keyboard.press('Home');
      await frame.waitForFunction(() => document.documentElement.dataset.show === 'playing', { timeout: 5000 });
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test("a frame twice the picture's size still shows it at 1x", { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await chromium.browser.newPage());
    await page.setViewport(screens.desktop);
    const frame = await embedIn(page, '#embed=1&drawing=/fixtures/quick.qcd&speed=end', 174 * 3, 134 * 3 + 96);
    await frame.waitForFunction(() => document.documentElement.dataset.show === 'ended', {
      timeout: kShowTimeoutMs,
    });
    const seen = await inspect(frame, '/fixtures/quick.png');
    assert.deepEqual(seen.css, [174, 134]);
    assert.equal(seen.differing, 0);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('a frame smaller than the picture shows all of it, scaled down', { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await chromium.browser.newPage());
    await page.setViewport(screens.phone);
    const frame = await embedIn(page, '#embed=1&drawing=/fixtures/dense.qcd&speed=end', 300, 330);
    await frame.waitForFunction(() => document.documentElement.dataset.show === 'ended', {
      timeout: kShowTimeoutMs,
    });
    const seen = await inspect(frame, '/fixtures/dense.png');
    assert.equal(seen.differing, 0);
    assert.ok(seen.inView && seen.controlsInView && !seen.sideways, JSON.stringify(seen));
    await page.screenshot({ path: path.join(shots, 'embed-phone-small-frame.png') });
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('a drawing that cannot be had says so in the frame', { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await chromium.browser.newPage());
    for (const [hash, pattern] of [
      ['#embed=1&drawing=/fixtures/missing.qcd', /cannot fetch \/fixtures\/missing\.qcd: 404/],
      ['#embed=1', /No drawing named/],
      ['#embed=1&drawing=/fixtures/corrupted.exe', /corrupted/i],
    ]) {
      const frame = await embedIn(page, hash, 400, 300);
      await frame.waitForFunction(() => document.documentElement.dataset.message === 'error', {
        timeout: kShowTimeoutMs,
      });
      const text = await frame.$eval('#message', (m) => (m.checkVisibility() ? m.textContent : ''));
      assert.match(text, pattern, hash);
    }
    page.errors = page.errors.filter((e) => !/missing\.qcd|404/.test(e));
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('without embed=1 the link opens the whole player', { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await chromium.browser.newPage());
    await page.goto(`${server.url}player/index.html#drawing=/fixtures/quick.qcd&speed=end`);
    await page.waitForFunction(
      () => location.pathname.endsWith('/index.html') && !location.pathname.includes('/player/'),
    );
    assert.equal(new URL(page.url()).hash, '#drawing=/fixtures/quick.qcd&speed=end');
    await page.waitForFunction(() => document.documentElement.dataset.show === 'ended', { timeout: kShowTimeoutMs });
    assert.equal(await page.$eval('.bar', (b) => b.checkVisibility()), true);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('the embed carries the same playback controls as the whole player', { timeout: kTestTimeoutMs }, async () => {
    const page = await chromium.browser.newPage();
    const ids = async (address) => {
      await page.goto(address);
      return page.$$eval('.controls [id]', (all) => all.map((e) => `${e.tagName}#${e.id}`));
    };
    assert.deepEqual(await ids(`${server.url}player/index.html#embed=1`), await ids(`${server.url}index.html`));
    await page.close();
  });
});
