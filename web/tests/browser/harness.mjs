// What the browser tests share: the site served by web/serve.py (with the
// test files under /fixtures/), headless Chromium from the machine (never a
// downloaded one) driven by puppeteer-core, and pictures read from the page.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const root = path.resolve(here, '../../..');
export const site = process.env.QC_SITE || path.join(root, 'build-web/site');
export const fixtures = process.env.QC_FIXTURES || path.join(root, 'build-web/fixtures');
const chromium = process.env.QC_CHROMIUM || '/usr/bin/chromium';

export async function startServer() {
  const server = spawn(
    'python3',
    [path.join(root, 'web/serve.py'), site, '--port', '0', '--mount', `fixtures=${fixtures}`],
    { stdio: ['ignore', 'pipe', 'inherit'] },
  );
  const url = await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.once('exit', (code) => reject(new Error(`serve.py exited with ${code}`)));
    server.stdout.once('data', (data) => resolve(String(data).trim()));
  });
  return { url, stop: () => server.kill() };
}

export async function startBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), 'qc-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--force-color-profile=srgb',
      '--force-device-scale-factor=1',
    ],
  });
  const close = async () => {
    await browser.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { browser, close };
}

// The screens every page is checked at: a desktop, a small laptop, and a
// phone with three screen pixels a CSS pixel and touch.
export const screens = {
  desktop: { width: 1280, height: 800, deviceScaleFactor: 1 },
  laptop: { width: 1024, height: 768, deviceScaleFactor: 1 },
  phone: { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
};

// Collects what went wrong in a page: uncaught exceptions, console errors
// and requests that failed.
export function watchErrors(page) {
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(String(error)));
  page.on('console', (m) => {
    // The studio asks its origin whether a board serves it (GET /api/board);
    // the plain site answers 404, which Chromium logs as an error.
    if (m.type() === 'error' && !(m.location().url || '').endsWith('/api/board')) {
      page.errors.push(`console: ${m.text()}`);
    }
  });
  page.on('requestfailed', (r) => page.errors.push(`request failed: ${r.url()}`));
  return page;
}

// A page on the site at `hash`, its errors collected; on `screen` when given.
export async function openPlayer(browser, url, hash = '', screen = null) {
  const page = watchErrors(await browser.newPage());
  if (screen) await page.setViewport(screen);
  await page.goto(`${url}index.html${hash}`);
  return page;
}

export async function waitForShow(page, state, timeoutMs) {
  await page.waitForFunction(
    (s) => document.documentElement.dataset.show === s,
    { timeout: timeoutMs, polling: 50 },
    state,
  );
}

export async function waitForMessage(page, pattern, timeoutMs) {
  await page.waitForFunction(
    (p) => new RegExp(p).test(document.getElementById('message').textContent),
    { timeout: timeoutMs, polling: 50 },
    pattern.source,
  );
  return page.$eval('#message', (m) => m.textContent);
}

// How far the player canvas differs from a PNG (the part at x, y of the
// canvas of the PNG's size): the count of pixels that differ, and the
// sizes, compared in the page with no colour conversion.
export async function compareWithPng(page, pngUrl, x = 0, y = 0) {
  return page.evaluate(
    async (src, left, top) => {
      const blob = await (await fetch(src)).blob();
      const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const scratch = new OffscreenCanvas(bitmap.width, bitmap.height);
      const context = scratch.getContext('2d');
      context.drawImage(bitmap, 0, 0);
      const want = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
      const player = document.getElementById('player');
      const got = player.getContext('2d').getImageData(left, top, bitmap.width, bitmap.height).data;
      let differing = 0;
      for (let i = 0; i < want.length; i += 4) {
        if (want[i] !== got[i] || want[i + 1] !== got[i + 1] || want[i + 2] !== got[i + 2] || got[i + 3] !== 255) {
          ++differing;
        }
      }
      return {
        differing,
        pngWidth: bitmap.width,
        pngHeight: bitmap.height,
        canvasWidth: player.width,
        canvasHeight: player.height,
      };
    },
    pngUrl,
    x,
    y,
  );
}

// Gives a file to the page's file picker, as a person choosing it would.
export async function chooseFile(page, filePath) {
  const input = await page.$('#file');
  await input.uploadFile(filePath);
}
