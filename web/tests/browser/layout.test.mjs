// Both pages on a desktop, a small laptop and a phone (3 screen pixels a CSS
// pixel, touch): nothing overflows sideways, every control is in view or in
// its drawer (or in a strip of its own that scrolls), every control has a
// name, and nothing goes wrong in the console. The screenshots are left in
// build-web/screenshots/ to be looked at.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { openPlayer, root, screens, startBrowser, startServer, waitForShow, watchErrors } from './harness.mjs';
import { openStudio } from './studio_page.mjs';

const shots = path.join(root, 'build-web/screenshots');
const kTimeoutMs = 60000;

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

// What is wrong with the layout as it stands: sideways overflow, controls
// out of view, controls without a name.
function problems(page) {
  return page.evaluate(() => {
    const d = document.documentElement;
    const controls = [...document.querySelectorAll('button, input, select, a[href], meter, [role=option], summary')];
    const name = (e) =>
      e.getAttribute('aria-label') ||
      (e.labels && [...e.labels].some((l) => l.textContent.trim())) ||
      e.textContent.trim() ||
      e.title;
    // A strip that scrolls on its own (the palette, the tools) holds
    // controls beyond its edge on purpose; the strip itself must be in view.
    const scrollingStrip = (e) => {
      for (let p = e.parentElement; p && p !== document.body; p = p.parentElement) {
        const style = getComputedStyle(p);
        if (
          /(auto|scroll)/.test(style.overflowX + style.overflowY) &&
          p.scrollHeight + p.scrollWidth > p.clientHeight + p.clientWidth
        )
          return p;
      }
      return null;
    };
    const within = (r, b) =>
      r.left >= b.left - 0.5 && r.top >= b.top - 0.5 && r.right <= b.right + 0.5 && r.bottom <= b.bottom + 0.5;
    const screen = { left: 0, top: 0, right: innerWidth, bottom: innerHeight };
    const out = [];
    for (const e of controls) {
      if (!e.checkVisibility({ visibilityProperty: true }) || e.closest('dialog:not([open])')) continue;
      const box = e.matches('.visually-hidden') ? e.parentElement : e;
      const strip = scrollingStrip(box);
      const r = (strip || box).getBoundingClientRect();
      const dialog = e.closest('dialog');
      const room = dialog ? dialog.getBoundingClientRect() : screen;
      if (!within(r, screen) || !within(r, room) || r.width === 0)
        out.push(e.id || e.dataset.slot || e.outerHTML.slice(0, 50));
    }
    const unnamed = controls.filter((e) => !name(e)).map((e) => e.id || e.outerHTML.slice(0, 50));
    return { sideways: d.scrollWidth > innerWidth, page: d.scrollHeight > innerHeight, out, unnamed };
  });
}

const clean = { sideways: false, page: false, out: [], unnamed: [] };

describe('the player', () => {
  for (const [name, screen] of Object.entries(screens)) {
    test(`${name} (${screen.width} x ${screen.height})`, { timeout: kTimeoutMs }, async () => {
      const page = await openPlayer(chromium.browser, server.url, '#drawing=samples/meadow.qcs&speed=end', screen);
      await waitForShow(page, 'ended', kTimeoutMs);
      assert.deepEqual(await problems(page), clean);
      await page.screenshot({ path: path.join(shots, `player-${name}.png`) });
      await page.keyboard.press('?');
      assert.deepEqual(await problems(page), clean, 'with the keys shown');
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }
});

describe('the embedded player, its frame the whole screen', () => {
  for (const [name, screen] of Object.entries(screens)) {
    test(`${name} (${screen.width} x ${screen.height})`, { timeout: kTimeoutMs }, async () => {
      const page = watchErrors(await chromium.browser.newPage());
      await page.setViewport(screen);
      await page.goto(`${server.url}player/index.html#embed=1&drawing=/samples/meadow.qcs&speed=end`);
      await waitForShow(page, 'ended', kTimeoutMs);
      assert.deepEqual(await problems(page), clean);
      await page.screenshot({ path: path.join(shots, `embed-${name}.png`) });
      assert.deepEqual(page.errors, []);
      await page.close();
    });
  }
});

describe('the studio', () => {
  for (const [name, screen] of Object.entries(screens)) {
    test(`${name} (${screen.width} x ${screen.height})`, { timeout: kTimeoutMs }, async () => {
      const context = await chromium.browser.createBrowserContext();
      const studio = await openStudio(chromium.browser, server.url, screen, context);
      await studio.openFile(path.join(root, 'samples/meadow.qcs'));
      await studio.waitFor("document.documentElement.dataset.bytes === '39312'");
      await studio.stroke(Array.from({ length: 20 }, (_, i) => [60 + i * 8, 300 - i * 6, 4 + (i % 8)]));
      assert.deepEqual(await problems(studio.tab), clean);
      await studio.tab.screenshot({ path: path.join(shots, `studio-${name}.png`) });
      if (screen.isMobile) {
        for (const drawer of ['tools', 'file']) {
          await studio.click(`#${drawer}-toggle`);
          await studio.waitFor('new Promise((r) => setTimeout(() => r(true), 250))');
          assert.deepEqual(await problems(studio.tab), clean, `with the ${drawer} drawer open`);
          await studio.tab.screenshot({ path: path.join(shots, `studio-${name}-${drawer}.png`) });
          await studio.tab.keyboard.press('Escape');
          await studio.settled();
        }
      }
      await studio.click('#new');
      assert.deepEqual(await problems(studio.tab), clean, 'with New open');
      await studio.tab.screenshot({ path: path.join(shots, `studio-${name}-new.png`) });
      assert.deepEqual(studio.errors, []);
      await context.close();
    });
  }
});
