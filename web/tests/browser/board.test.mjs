// The board through its pages, in headless Chromium against a real
// quillcast-board on a free loopback port: a drawing posted from the studio,
// the post on the board, its page replaying to quillcast-render's pixels,
// the post continued with its password as version 2, a comment, and the
// phone layout. Needs build/ (the board and the renderer) and build-web/.
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { root, screens, site, startBrowser, watchErrors } from './harness.mjs';
import { openStudio } from './studio_page.mjs';

const bin = path.join(root, 'build/bin');
const shots = path.join(root, 'build-web/screenshots');
const kStepTimeoutMs = 60000; // a whole show, a post played by the board; a fault fails here instead of hanging
const kTestTimeoutMs = 2 * kStepTimeoutMs;

let board;
let chromium;
let context; // one browser profile for the painter: the studio keeps its drawing there
const posted = {}; // what the steps hand on: the post's id and URL

// A board of its own in a fresh folder; resolves once it serves.
async function startBoard() {
  const data = mkdtempSync(path.join(tmpdir(), 'qc-board-'));
  const server = spawn(
    path.join(bin, 'quillcast-board'),
    ['serve', '--data', data, '--listen', '127.0.0.1:0', '--site', site, '--workers', '2'],
    { stdio: ['ignore', 'pipe', 'pipe'] },
  );
  let log = '';
  server.stderr.on('data', (d) => (log += d));
  const url = await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.once('exit', (code) => reject(new Error(`quillcast-board exited with ${code}: ${log}`)));
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const found = /serving (http:\/\/\S+?)\/? /.exec(out);
      if (found) resolve(`${found[1]}/`);
    });
  });
  return {
    url,
    log: () => log,
    stop() {
      server.kill('SIGTERM');
      rmSync(data, { recursive: true, force: true });
    },
  };
}

async function api(pathname) {
  const response = await fetch(new URL(pathname, board.url));
  assert.equal(response.status, 200, `${pathname}: ${response.status}`);
  return response.json();
}

// quillcast-render's picture of the drawing the board stores for a version.
async function renderedByTheTool(drawingUrl) {
  const bytes = Buffer.from(await (await fetch(new URL(drawingUrl, board.url))).arrayBuffer());
  const dir = mkdtempSync(path.join(tmpdir(), 'qc-board-render-'));
  try {
    writeFileSync(path.join(dir, 'posted.qcd'), bytes);
    const run = spawnSync(path.join(bin, 'quillcast-render'), ['posted.qcd', '-o', 'posted.png', '-q'], { cwd: dir });
    assert.equal(run.status, 0, String(run.stderr));
    return readFileSync(path.join(dir, 'posted.png'));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// The embedded player's canvas against a PNG given as bytes: pixels that
// differ, and the canvas's size on the page against its pixels.
function compareFrame(frame, png) {
  return frame.evaluate(async (b64) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }), {
      colorSpaceConversion: 'none',
      premultiplyAlpha: 'none',
    });
    const scratch = new OffscreenCanvas(bitmap.width, bitmap.height);
    scratch.getContext('2d').drawImage(bitmap, 0, 0);
    const want = scratch.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
    const canvas = document.getElementById('player');
    const got = canvas.getContext('2d').getImageData(0, 0, bitmap.width, bitmap.height).data;
    let differing = 0;
    for (let i = 0; i < want.length; i += 4) {
      if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2]) ++differing;
    }
    const box = canvas.getBoundingClientRect();
    return {
      differing,
      png: [bitmap.width, bitmap.height],
      canvas: [canvas.width, canvas.height],
      css: [box.width * devicePixelRatio, box.height * devicePixelRatio],
    };
  }, png.toString('base64'));
}

async function playerFrame(page) {
  const handle = await page.waitForSelector('iframe.player', { timeout: kStepTimeoutMs });
  const frame = await handle.contentFrame();
  await frame.waitForFunction(() => document.documentElement.dataset.show === 'ended', {
    timeout: kStepTimeoutMs,
    polling: 100,
  });
  return frame;
}

// Fills the studio's Post dialog and sends it.
async function postFromStudio(studio, { title, artist, password }) {
  await studio.click('#post');
  await studio.waitFor("document.getElementById('post-dialog').open");
  for (const [id, value] of [
    ['post-name', title],
    ['post-artist', artist],
    ['post-password', password],
  ]) {
    if (value !== undefined) await studio.set(id, value);
  }
  await studio.evaluate("document.getElementById('post-send').click()");
}

before(async () => {
  mkdirSync(shots, { recursive: true });
  assert.ok(existsSync(path.join(bin, 'quillcast-board')), 'build/bin/quillcast-board: run scripts/build');
  board = await startBoard();
  chromium = await startBrowser();
  context = await chromium.browser.createBrowserContext();
});

after(async () => {
  if (chromium) await chromium.close();
  if (board) board.stop();
});

describe('the board through its pages', () => {
  test('the studio posts a drawing to the board', { timeout: kTestTimeoutMs }, async () => {
    const studio = await openStudio(chromium.browser, board.url, screens.desktop, context);
    await studio.waitFor("document.documentElement.dataset.board === 'yes'");
    await studio.openFile(path.join(root, 'samples/meadow.qcs'));
    await studio.waitFor("document.documentElement.dataset.bytes === '39312'");
    await studio.stroke(Array.from({ length: 12 }, (_, i) => [40 + i * 12, 60 + i * 4, 8]));

    // A refusal shows in the dialog, and what was typed outlives a reload.
    await postFromStudio(studio, { title: '', artist: 'Ada', password: 'corncrake' });
    assert.equal(
      await studio.evaluate("document.getElementById('post-error').textContent"),
      'Give the drawing a title.',
    );
    await studio.tab.screenshot({ path: path.join(shots, 'studio-post-refused-desktop.png') });
    await studio.waitFor(
      "import('/shared/drawing-store.js').then((m) => m.loadStudioDrawing()).then((r) => r.board.artist === 'Ada')",
    );
    await studio.evaluate("document.getElementById('post-dialog').close()");
    await studio.reload();
    await studio.waitFor("document.documentElement.dataset.board === 'yes'");
    await studio.click('#post');
    assert.deepEqual(
      await studio.evaluate(
        "['post-name', 'post-artist', 'post-password'].map((id) => document.getElementById(id).value)",
      ),
      ['', 'Ada', 'corncrake'],
    );
    await studio.set('post-name', 'Meadow <b>at noon</b> "{{ x }}"');
    await studio.tab.keyboard.press('Enter');
    const said = await studio.waitFor(
      "/^Posted/.test(document.getElementById('message').textContent) && document.getElementById('message').textContent",
      kStepTimeoutMs,
    );
    const url = new URL(said.split(': ').pop());
    assert.equal(url.origin, new URL(board.url).origin);
    posted.url = url.href;
    posted.id = url.pathname.split('/')[2];
    assert.equal(await studio.evaluate("document.getElementById('post-dialog').open"), false);
    assert.equal(await studio.evaluate("document.getElementById('posted-link').href"), posted.url);
    assert.deepEqual(studio.errors, []);
    await studio.close();
  });

  test('the post is on the board, its title shown as text', { timeout: kTestTimeoutMs }, async () => {
    assert.ok(posted.id, 'posted by the test before');
    const page = watchErrors(await context.newPage());
    await page.setViewport(screens.desktop);
    await page.goto(board.url);
    const card = await page.$eval(`a.title[href$="/p/${posted.id}"]`, (a) => a.textContent);
    assert.equal(card, 'Meadow <b>at noon</b> "{{ x }}"');
    const thumbnail = await page.$eval(`a.thumb[href$="/p/${posted.id}"] img`, (i) => i.complete && i.naturalWidth);
    assert.ok(thumbnail > 0, 'the thumbnail loads');
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test("the post's page replays to the pixels of quillcast-render", { timeout: kTestTimeoutMs }, async () => {
    const post = await api(`/api/posts/${posted.id}`);
    assert.equal(post.latest, 1);
    const page = watchErrors(await context.newPage());
    await page.setViewport(screens.desktop);
    await page.goto(posted.url);
    const frame = await playerFrame(page);
    const seen = await compareFrame(frame, await renderedByTheTool(post.versions[0].drawing));
    assert.deepEqual(seen.canvas, seen.png, 'the canvas is the window, 1:1');
    assert.deepEqual(seen.css, seen.png, 'shown at 1x');
    assert.equal(seen.differing, 0, 'pixels that differ from quillcast-render');
    await page.screenshot({ path: path.join(shots, 'board-post-desktop.png') });
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('continued in the studio with the password, it becomes version 2', { timeout: kTestTimeoutMs }, async () => {
    const studio = await openStudio(chromium.browser, board.url, screens.desktop, context);
    // The post page's link, followed as a visitor would.
    await studio.tab.goto(posted.url);
    await studio.tab.click('a[href*="#continue="]');
    await studio.waitFor(
      "document.documentElement.dataset.studio === 'ready' && /^Continuing/.test(document.getElementById('message').textContent)",
      kStepTimeoutMs,
    );
    assert.equal(await studio.evaluate('location.hash'), '', 'the link is answered once');
    await studio.stroke(Array.from({ length: 10 }, (_, i) => [250 - i * 15, 300, 10]));

    await postFromStudio(studio, { password: 'not the password' });
    await studio.waitFor("!document.getElementById('post-error').hidden", kStepTimeoutMs);
    const refused = await studio.evaluate("document.getElementById('post-error').textContent");
    assert.match(refused, /wrong password/);
    assert.equal(
      await studio.evaluate("document.getElementById('post-as-version').textContent"),
      'Version 2 of “Meadow <b>at noon</b> "{{ x }}"”',
    );
    await studio.set('post-password', 'corncrake');
    await studio.evaluate("document.getElementById('post-send').click()");
    await studio.waitFor(
      "/^Posted .* as version 2/.test(document.getElementById('message').textContent)",
      kStepTimeoutMs,
    );
    assert.deepEqual(
      studio.errors.filter((e) => !/status of 403/.test(e)),
      [],
    );
    await studio.close();

    const post = await api(`/api/posts/${posted.id}`);
    assert.equal(post.latest, 2);
    const page = watchErrors(await context.newPage());
    await page.goto(new URL(`/p/${posted.id}/v/2`, board.url).href);
    const frame = await playerFrame(page);
    const second = post.versions.find((v) => v.version === 2);
    assert.equal((await compareFrame(frame, await renderedByTheTool(second.drawing))).differing, 0);
    await page.close();
  });

  test('a comment appears under the post', { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await context.newPage());
    await page.goto(posted.url);
    await page.type('#name', 'Bea');
    await page.type('#body', 'The sun <script>alert(1)</script> is lovely');
    await Promise.all([page.waitForNavigation(), page.click('.comment-form button[type=submit]')]);
    const comments = await page.$$eval('.comments li .body', (all) => all.map((c) => c.textContent));
    assert.deepEqual(comments, ['The sun <script>alert(1)</script> is lovely']);
    assert.deepEqual(page.errors, []);
    await page.close();
  });

  test('the phone layout holds: board, post and the Post dialog', { timeout: kTestTimeoutMs }, async () => {
    const page = watchErrors(await context.newPage());
    await page.setViewport(screens.phone);
    for (const [name, address] of [
      ['board', board.url],
      ['post', posted.url],
    ]) {
      await page.goto(address);
      if (name === 'post') await playerFrame(page);
      const wide = await page.evaluate(() => document.documentElement.scrollWidth > innerWidth);
      assert.equal(wide, false, `${name}: nothing runs off the side`);
      await page.screenshot({ path: path.join(shots, `board-${name}-phone.png`) });
    }
    const player = await page.$eval('iframe.player', (f) => {
      const r = f.getBoundingClientRect();
      return r.left >= 0 && r.right <= innerWidth;
    });
    assert.ok(player, 'the player fits across');
    await page.close();

    for (const [name, screen] of Object.entries(screens)) {
      const studio = await openStudio(chromium.browser, board.url, screen, context);
      await studio.waitFor("document.documentElement.dataset.board === 'yes'");
      if (screen.isMobile) await studio.click('#file-toggle');
      await studio.click('#post');
      await studio.waitFor("document.getElementById('post-dialog').open");
      const fits = await studio.evaluate(`(() => {
        const r = document.getElementById('post-dialog').getBoundingClientRect();
        const inside = [...document.querySelectorAll('#post-dialog input, #post-dialog button')]
          .filter((e) => e.checkVisibility())
          .every((e) => { const b = e.getBoundingClientRect(); return b.left >= r.left && b.right <= r.right; });
        return r.left >= 0 && r.right <= innerWidth && r.bottom <= innerHeight && inside;
      })()`);
      assert.ok(fits, `the Post dialog fits the ${name} screen`);
      await studio.tab.screenshot({ path: path.join(shots, `studio-post-${name}.png`) });
      await studio.close();
    }
  });
});
