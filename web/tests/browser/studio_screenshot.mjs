// Takes the README's picture of the studio: the meadow sample opened to go
// on painting, a few strokes added with a pen, at 1280 x 800.
//
//   node web/tests/browser/studio_screenshot.mjs OUT.png   (needs build-web/site)
import { writeFileSync } from 'node:fs';
import path from 'node:path';
import { site, startBrowser, startServer } from './harness.mjs';
import { openStudio } from './studio_page.mjs';

const out = path.resolve(process.argv[2] || 'docs/studio.png');
const server = await startServer();
const chromium = await startBrowser();
try {
  const studio = await openStudio(chromium.browser, server.url);
  await studio.openFile(path.join(site, 'samples/meadow.qcs'));
  await studio.waitFor("document.documentElement.dataset.bytes === '39312'");
  await studio.set('colour', '#7a3b12');
  await studio.set('level', 1);
  for (let s = 0; s < 3; s++) {
    const points = [];
    for (let i = 0; i < 30; i++)
      points.push([40 + s * 14 + Math.round(4 * Math.sin(i / 3)), 390 - i * 5, 4 + (i % 10)]);
    await studio.stroke(points);
  }
  writeFileSync(out, await studio.screenshot());
} finally {
  await chromium.close();
  server.stop();
}
