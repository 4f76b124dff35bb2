// Takes the README's picture of the web player: the meadow sample paused
// at 60% of its show, fitted, with the controls, in headless Chromium at
// 1024 x 720.
//   node bench/screenshot.mjs OUT.png     (from web/, with build-web/site/ built)
import { openPlayer, startBrowser, startServer, waitForShow } from '../tests/browser/harness.mjs';

const out = process.argv[2] || '../docs/web-player.png';
const server = await startServer();
const chromium = await startBrowser();
try {
  const page = await openPlayer(chromium.browser, server.url, '#drawing=samples/meadow.qcs&speed=1');
  await page.setViewport({ width: 1024, height: 720 });
  await waitForShow(page, 'playing', 60000);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => !document.getElementById('time').value.endsWith('…'), { timeout: 60000 });
  await page.evaluate(() => {
    const progress = document.getElementById('progress');
    progress.value = String(Number(progress.max) * 0.6);
    progress.dispatchEvent(new Event('input'));
  });
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  await page.screenshot({ path: out });
} finally {
  await chromium.close();
  server.stop();
}
