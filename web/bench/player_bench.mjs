// The web player's figures in headless Chromium: the dense sample played to
// its end (the engine's own time in its worker, and the page's from its
// start), the whole show worked out as changes, and cold loads to the first
// frame. Prints one JSON object. Run by bench/web_bench.sh.
//   node player_bench.mjs RUNS
import { startBrowser, startServer, openPlayer, waitForShow } from '../tests/browser/harness.mjs';

const runs = Number(process.argv[2] || 5);
const kTimeoutMs = 120000;
const best = (values) => Math.min(...values);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await startServer();
const figures = {};
try {
  // Warm: one browser, the site in its cache.
  const warm = await startBrowser();
  try {
    const engineMs = [];
    const pageMs = [];
    for (let i = 0; i < runs; ++i) {
      const page = await openPlayer(warm.browser, server.url, '#drawing=/fixtures/dense.qcd&speed=end');
      await waitForShow(page, 'ended', kTimeoutMs);
      const stats = await page.evaluate(() => window.quillcastStats);
      engineMs.push(stats.finishMs);
      pageMs.push(stats.endedAt);
      await page.close();
    }
    figures.denseEngineMs = best(engineMs);
    figures.densePageMs = best(pageMs);

    const page = await openPlayer(warm.browser, server.url, '#drawing=/fixtures/dense.qcd&speed=64');
    await page.waitForFunction(() => window.quillcastStats.recordMs !== null, { timeout: kTimeoutMs, polling: 100 });
    const stats = await page.evaluate(() => window.quillcastStats);
    figures.denseRecordMs = stats.recordMs;
    figures.denseShowSeconds = Number(await page.$eval('#progress', (p) => p.max));
    await page.close();
  } finally {
    await warm.close();
  }

  // Cold: a fresh browser profile each time, nothing cached.
  const firstFrame = [];
  for (let i = 0; i < runs; ++i) {
    const cold = await startBrowser();
    try {
      const page = await openPlayer(cold.browser, server.url, '#drawing=samples/quick.qcs&speed=1');
      await page.waitForFunction(() => window.quillcastStats.firstFrameAt !== null, { timeout: kTimeoutMs });
      firstFrame.push(await page.evaluate(() => window.quillcastStats.firstFrameAt));
    } finally {
      await cold.close();
    }
  }
  figures.coldFirstFrameMedianMs = median(firstFrame);
  figures.coldFirstFrameBestMs = best(firstFrame);
} finally {
  server.stop();
}
console.log(JSON.stringify(figures));
