// The player page's "Download time-lapse" control in headless Chromium,
// against quillcast-render's time-lapse of the same drawing at the same
// settings (--duration 10 --hold 2, the page's hold for 10 s; --fps 30 for
// videos, 20 for GIFs): the files the browser downloads are read back with
// Debian's ffprobe and ffmpeg, for their frame count, their length and their
// last frame. Run with `node --test` from web/ once build-web/site/, the
// fixtures (make_fixtures.sh) and build/bin/quillcast-render are there.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { chooseFile, fixtures, openPlayer, root, startBrowser, startServer, waitForShow } from './harness.mjs';

const bin = process.env.QC_BIN || path.join(root, 'build/bin');
const kSeconds = 10;
const kHold = 2; // a fifth of the length, as the page holds the finished picture
const kShowTimeoutMs = 60000;
const kMakeTimeoutMs = 60000; // one file made and downloaded
const kTestTimeoutMs = kShowTimeoutMs + 2 * kMakeTimeoutMs;

let server;
let chromium;
let work;
let downloads;
let cdp;
const rendered = {}; // {file, frames (their PNGs' folder), count, seconds}

// quillcast-render's time-lapse of a sample at `fps`: the file, and its
// frames as PNGs with their durations, from the same run.
function renderTimelapse(sample, fps, option) {
  const file = path.join(work, `${sample}-${fps}.${option === '--gif' ? 'gif' : 'mp4'}`);
  const frames = path.join(work, `${sample}-${fps}`);
  const settings = `--duration ${kSeconds} --hold ${kHold} --fps ${fps} --quiet`.split(' ');
  execFileSync(path.join(bin, 'quillcast-render'), [
    path.join(fixtures, `${sample}.qcd`),
    ...settings,
    option,
    file,
    '--frames',
    frames,
  ]);
  const list = readFileSync(path.join(frames, 'frames.txt'), 'utf8');
  const seconds = [...list.matchAll(/^duration ([0-9.]+)$/gm)].reduce((sum, m) => sum + Number(m[1]), 0);
  const count = readdirSync(frames).filter((f) => f.endsWith('.png')).length;
  return { file, frames, count, seconds };
}

function probe(file) {
  const args = '-v error -select_streams v:0 -count_frames -of json -show_entries format=duration -show_entries';
  const json = execFileSync('ffprobe', [
    ...args.split(' '),
    'stream=codec_name,width,height,r_frame_rate,nb_read_frames',
    file,
  ]);
  const { streams, format } = JSON.parse(json);
  const s = streams[0];
  return {
    codec: s.codec_name,
    width: s.width,
    height: s.height,
    rate: s.r_frame_rate,
    frames: Number(s.nb_read_frames),
    seconds: Number(format.duration),
  };
}

// Frame n of a video or GIF, or a PNG, as RGB bytes.
function rgb(file, n = null) {
  const select = n === null ? [] : ['-vf', `select=eq(n\\,${n})`, '-vsync', '0', '-frames:v', '1'];
  return execFileSync('ffmpeg', ['-v', 'error', '-i', file, ...select, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'], {
    maxBuffer: 1 << 28,
  });
}

// The PNG of frame k (from 0) that quillcast-render --frames wrote.
function framePng(reference, k) {
  return path.join(reference.frames, `frame-${String(k + 1).padStart(6, '0')}.png`);
}

// Pixels whose channels differ by more than `threshold` in all.
function differingPixels(a, b, threshold) {
  const pixels = new Uint8Array(a.length / 3);
  for (let p = 0; p < pixels.length; ++p) {
    let sum = 0;
    for (let c = 0; c < 3; ++c) sum += Math.abs(a[p * 3 + c] - b[p * 3 + c]);
    pixels[p] = sum > threshold ? 1 : 0;
  }
  return pixels;
}

function meanDifference(a, b, pixels = null) {
  let sum = 0;
  let count = 0;
  for (let p = 0; p < b.length / 3; ++p) {
    if (pixels && !pixels[p]) continue;
    for (let c = 0; c < 3; ++c) sum += Math.abs(a[p * 3 + c] - b[p * 3 + c]);
    count += 3;
  }
  return sum / count;
}

// The next file the browser downloads, or the page's own failure message.
function nextDownload(page) {
  return new Promise((resolve, reject) => {
    let guid = null;
    const timer = setTimeout(() => finish(reject, new Error('no download came')), kMakeTimeoutMs);
    const begin = (event) => {
      guid = event.guid;
    };
    const progress = (event) => {
      if (event.guid !== guid) return;
      if (event.state === 'completed') finish(resolve, path.join(downloads, guid));
      if (event.state === 'canceled') finish(reject, new Error('the download was cancelled'));
    };
    const finish = (settle, value) => {
      clearTimeout(timer);
      cdp.off('Browser.downloadWillBegin', begin);
      cdp.off('Browser.downloadProgress', progress);
      settle(value);
    };
    cdp.on('Browser.downloadWillBegin', begin);
    cdp.on('Browser.downloadProgress', progress);
    page
      .waitForFunction(() => document.getElementById('timelapse-message').classList.contains('error'), {
        timeout: kMakeTimeoutMs,
        polling: 100,
      })
      .then(
        () => page.$eval('#timelapse-message', (m) => m.textContent),
        () => null,
      )
      .then((text) => text && finish(reject, new Error(`the page says: ${text}`)));
  });
}

async function openControl(page) {
  const open = await page.$eval('#timelapse', (d) => d.open);
  if (!open) await page.click('#timelapse summary');
}

// Picks the length and the format, presses Download and waits for the file.
async function makeTimelapse(page, format, seconds = kSeconds) {
  await openControl(page);
  await page.waitForSelector(`#timelapse-format option[value="${format}"]:not([disabled])`, { timeout: 5000 });
  await page.select('#timelapse-format', format);
  await page.$eval('#timelapse-seconds', (input, value) => (input.value = value), String(seconds));
  const file = nextDownload(page);
  await page.click('#timelapse-start');
  return file;
}

async function formatOffered(page, format) {
  await openControl(page);
  await page.waitForSelector('#timelapse-format option[value="gif"]', { timeout: 5000 });
  return page.$eval(`#timelapse-format option[value="${format}"]`, (o) => !o.disabled);
}

before(async () => {
  work = mkdtempSync(path.join(tmpdir(), 'qc-timelapse-'));
  downloads = path.join(work, 'downloads');
  mkdirSync(downloads);
  rendered.video = renderTimelapse('meadow', 30, '--video');
  rendered.gif = renderTimelapse('meadow', 20, '--gif');
  rendered.denseGif = renderTimelapse('dense', 20, '--gif');
  server = await startServer();
  chromium = await startBrowser();
  cdp = await chromium.browser.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', {
    behavior: 'allowAndName',
    downloadPath: downloads,
    eventsEnabled: true,
  });
});

after(async () => {
  if (chromium) await chromium.close();
  if (server) server.stop();
  if (work) rmSync(work, { recursive: true, force: true });
});

// A video against the renderer's at 30 frames a second: as many frames, as
// long, and its last frame the finished picture, but for lossy coding. Where
// the finished picture differs from the renderer's frame a second before the
// finish, the last frame must be far closer to the former.
function assertVideo(file, codec) {
  const reference = rendered.video;
  const want = probe(reference.file);
  const got = probe(file);
  assert.equal(got.codec, codec);
  assert.deepEqual([got.width, got.height], [want.width, want.height], 'the framed window, 1:1');
  assert.equal(got.rate, '30/1');
  assert.equal(got.frames, want.frames, 'frames, as quillcast-render --video');
  assert.equal(got.frames, reference.count, 'frames, as quillcast-render --frames');
  assert.ok(Math.abs(got.seconds - want.seconds) <= 0.001, `${got.seconds} s, wanted ${want.seconds} s`);
  assert.ok(
    Math.abs(got.seconds - reference.seconds) <= 0.001,
    `${got.seconds} s, the frames say ${reference.seconds}`,
  );

  const finished = rgb(path.join(fixtures, 'meadow.png'));
  const last = rgb(file, got.frames - 1);
  assert.ok(meanDifference(last, finished) <= 8, 'the last frame is the finished picture but for lossy coding');
  const before = rgb(framePng(reference, (kSeconds - kHold - 1) * 30));
  const changed = differingPixels(finished, before, 30);
  const toFinished = meanDifference(last, finished, changed);
  const toBefore = meanDifference(last, before, changed);
  assert.ok(
    2 * toFinished < toBefore,
    `the last strokes: ${toFinished} from the finished picture, ${toBefore} from before`,
  );
}

// A GIF against the renderer's frames at 20 a second: one GIF frame for
// each, as long in all, opening on the same empty framed canvas and ending
// on the finished picture, pixel for pixel.
function assertGif(file, reference, sample) {
  const want = probe(reference.file);
  const got = probe(file);
  assert.equal(got.codec, 'gif');
  assert.deepEqual([got.width, got.height], [want.width, want.height]);
  assert.equal(got.frames, reference.count, 'one GIF frame for each frame of quillcast-render --frames');
  assert.ok(Math.abs(got.seconds - want.seconds) <= 0.001, `${got.seconds} s, wanted ${want.seconds} s`);
  assert.ok(Math.abs(got.seconds - reference.seconds) <= 0.001);
  assert.ok(rgb(file, 0).equals(rgb(framePng(reference, 0))), "the first frame is the renderer's: the empty canvas");
  const finished = rgb(path.join(fixtures, `${sample}.png`));
  assert.ok(rgb(file, got.frames - 1).equals(finished), 'the last frame is the finished picture, pixel for pixel');
}

describe("time-lapse downloads equal quillcast-render's time-lapse", () => {
  test(
    'an MP4 of a show played to its end, from the changes the page played',
    { timeout: kTestTimeoutMs },
    async (t) => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/meadow.qcd&speed=16');
      await waitForShow(page, 'ended', kShowTimeoutMs);
      if (!(await formatOffered(page, 'mp4'))) {
        t.skip('this Chromium cannot encode H.264');
        return;
      }
      const file = await makeTimelapse(page, 'mp4');
      assertVideo(file, 'h264');
      assert.match(
        await page.$eval('#timelapse-message', (m) => m.textContent),
        /meadow-timelapse-10s\.mp4: 300 frames/,
      );
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test('a WebM of a show sent to its end, recorded again for the time-lapse', { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/meadow.qcd&speed=end');
    await waitForShow(page, 'ended', kShowTimeoutMs);
    assert.ok(await formatOffered(page, 'webm'), 'Chromium encodes VP9');
    assertVideo(await makeTimelapse(page, 'webm'), 'vp9');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test(
    "a canvas of odd width gives a video padded to even, as the renderer's",
    { timeout: kTestTimeoutMs },
    async () => {
      // The quick sample one pixel wider: a framed window 175 pixels wide.
      const script = readFileSync(path.join(root, 'samples/quick.qcs'), 'utf8').replace(
        /^header width 160 /m,
        'header width 161 ',
      );
      writeFileSync(path.join(work, 'odd.qcs'), script);
      const drawing = path.join(work, 'odd.qcd');
      execFileSync(path.join(bin, 'quillcast-script'), ['build', path.join(work, 'odd.qcs'), '-o', drawing]);
      const rendered = path.join(work, 'odd.mp4');
      const settings = '--duration 4 --hold 0.8 --quiet --video'.split(' ');
      execFileSync(path.join(bin, 'quillcast-render'), [drawing, ...settings, rendered]);
      const page = await openPlayer(chromium.browser, server.url);
      await chooseFile(page, drawing);
      await waitForShow(page, 'ended', kShowTimeoutMs);
      const file = await makeTimelapse(page, 'mp4', 4);
      const want = probe(rendered);
      const got = probe(file);
      assert.deepEqual([got.width, got.height, got.frames], [176, 134, 4 * 30]);
      assert.deepEqual([got.width, got.height, got.frames], [want.width, want.height, want.frames]);
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test(
    'a GIF of a show with splash screens, which the time-lapse leaves out',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/meadow.qcd&speed=64&splash=1');
      await waitForShow(page, 'playing', kShowTimeoutMs);
      const file = await makeTimelapse(page, 'gif');
      assertGif(file, rendered.gif, 'meadow');
      const last = probe(rendered.gif.file).frames - 1;
      assert.ok(
        rgb(rendered.gif.file, last).equals(rgb(file, probe(file).frames - 1)),
        "as quillcast-render's GIF ends",
      );
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test(
    'a GIF of a picture of thousands of colours, which the hold makes exact',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/dense.qcd&speed=64');
      await waitForShow(page, 'ended', kShowTimeoutMs);
      assertGif(await makeTimelapse(page, 'gif'), rendered.denseGif, 'dense');
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );
});

describe('the control', () => {
  test(
    'without a drawing, or with a length out of range, it says what is wrong',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url);
      await openControl(page);
      await page.click('#timelapse-start');
      const message = () => page.$eval('#timelapse-message', (m) => [m.textContent, m.className]);
      assert.deepEqual(await message(), [
        'Open a drawing first: the time-lapse is made of the show on screen.',
        'message error',
      ]);
      await page.goto(`${server.url}index.html#drawing=/fixtures/quick.qcd&speed=end`);
      await waitForShow(page, 'ended', kShowTimeoutMs);
      await openControl(page);
      for (const length of ['1', '301', '2.5', '']) {
        await page.$eval('#timelapse-seconds', (input, value) => (input.value = value), length);
        await page.click('#timelapse-start');
        assert.deepEqual(
          await message(),
          ['The length must be a whole number of seconds from 2 to 300.', 'message error'],
          `length "${length}"`,
        );
      }
      // A show that a bound cut short has no finished picture to end on.
      await page.goto(`${server.url}index.html#drawing=/fixtures/hostile.qcs&speed=64&work=5`);
      await page.waitForFunction(() => /work limit/.test(document.getElementById('message').textContent), {
        timeout: kShowTimeoutMs,
      });
      await openControl(page);
      await page.$eval('#timelapse-seconds', (input) => (input.value = '10'));
      await page.click('#timelapse-start');
      await page.waitForFunction(() => !document.getElementById('timelapse-start').disabled, {
        timeout: kMakeTimeoutMs,
      });
      const [text, className] = await message();
      assert.match(text, /^The time-lapse failed: hostile\.qcs: stopped after .* the work limit; a time-lapse needs/);
      assert.equal(className, 'message error');
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );

  test('without a video encoder the GIF is on offer, and says so', { timeout: kTestTimeoutMs }, async () => {
    const page = await chromium.browser.newPage();
    page.errors = [];
    page.on('pageerror', (error) => page.errors.push(String(error)));
    await page.evaluateOnNewDocument(() => delete window.VideoEncoder);
    await page.goto(`${server.url}index.html#drawing=/fixtures/quick.qcd&speed=end`);
    await waitForShow(page, 'ended', kShowTimeoutMs);
    await openControl(page);
    await page.waitForSelector('#timelapse-format option[value="gif"]');
    const options = await page.$$eval('#timelapse-format option', (all) => all.map((o) => [o.value, o.disabled]));
    assert.deepEqual(options, [
      ['mp4', true],
      ['webm', true],
      ['gif', false],
    ]);
    assert.equal(await page.$eval('#timelapse-format', (s) => s.value), 'gif');
    assert.match(await page.$eval('#timelapse-message', (m) => m.textContent), /cannot encode video here/);
    const file = nextDownload(page);
    await page.click('#timelapse-start');
    assert.equal(probe(await file).codec, 'gif');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test("works from the keyboard, and the player's keys leave it alone", { timeout: kTestTimeoutMs }, async () => {
    const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/quick.qcd&speed=end');
    await waitForShow(page, 'ended', kShowTimeoutMs);
    const speed = await page.$eval('#speed', (s) => s.value);
    await page.focus('#timelapse summary');
    await page.keyboard.press('Space');
    assert.equal(await page.$eval('#timelapse', (d) => d.open), true, 'Space opens the control');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'timelapse-seconds');
    await page.keyboard.press('ArrowUp');
    assert.equal(await page.$eval('#timelapse-seconds', (i) => i.value), '11', 'the arrow steps the length');
    await page.keyboard.press('Tab');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.id), 'timelapse-start');
    const file = nextDownload(page);
    await page.keyboard.press('Enter');
    assert.equal(probe(await file).frames, 11 * 30, 'an 11 s video at 30 frames a second');
    assert.equal(await page.evaluate(() => document.documentElement.dataset.show), 'ended', 'Space played nothing');
    assert.equal(await page.$eval('#speed', (s) => s.value), speed, 'ArrowUp left the speed alone');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test(
    'a long time-lapse shows its progress and cancels, while the show plays on',
    { timeout: kTestTimeoutMs },
    async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=/fixtures/dense.qcd&speed=1');
      await waitForShow(page, 'playing', kShowTimeoutMs);
      let downloaded = false;
      const begin = () => (downloaded = true);
      cdp.on('Browser.downloadWillBegin', begin);
      await openControl(page);
      await page.waitForSelector('#timelapse-format option[value="gif"]');
      await page.select('#timelapse-format', 'gif');
      await page.$eval('#timelapse-seconds', (input) => (input.value = '300'));
      await page.click('#timelapse-start');
      await page.waitForFunction(() => document.getElementById('timelapse-progress').value > 0, {
        timeout: kMakeTimeoutMs,
        polling: 50,
      });
      // The page still plays the show: its position moves on.
      const position = () => page.$eval('#progress', (p) => Number(p.value));
      const before = await position();
      await new Promise((resolve) => setTimeout(resolve, 500));
      assert.ok((await position()) > before, 'the show plays on while the time-lapse is made');
      assert.equal(await page.$eval('#timelapse-cancel', (b) => b.hidden), false);
      await page.click('#timelapse-cancel');
      await page.waitForFunction(() => document.getElementById('timelapse-progress').hidden, { timeout: 5000 });
      assert.equal(await page.$eval('#timelapse-message', (m) => m.textContent), 'Time-lapse cancelled.');
      assert.equal(await page.$eval('#timelapse-start', (b) => b.disabled), false);
      await new Promise((resolve) => setTimeout(resolve, 500));
      cdp.off('Browser.downloadWillBegin', begin);
      assert.equal(downloaded, false, 'nothing is downloaded');
      assert.deepEqual(page.errors, []);
      await page.close();
    },
  );
});
