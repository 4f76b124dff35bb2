// Takes the README's picture of the studio: the meadow sample opened to go
// on painting, a few strokes added with a pen, at 1280 x 800.
//
//   node web/tests/studio/screenshot.mjs SITE_DIR OUT.png
import { writeFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { launchBrowser } from './browser.mjs';
import { serveSite } from './site_server.mjs';
import { Studio } from './studio_page.mjs';

const [site, out] = process.argv.slice(2).map((p) => resolve(p));
const server = await serveSite(site);
const page = await launchBrowser({ width: 1280, height: 800 });
try {
  const studio = new Studio(page, server.url);
  await studio.open();
  await studio.openFile(resolve(site, 'samples/meadow.qcs'));
  await page.waitFor("document.getElementById('canvas').width === 300");
  await studio.set('colour', '#7a3b12');
  await studio.set('level', 1);
  for (let s = 0; s < 3; s++) {
    const points = [];
    for (let i = 0; i < 30; i++) points.push([40 + s * 14 + Math.round(4 * Math.sin(i / 3)), 390 - i * 5, 4 + (i % 10)]);
    await studio.stroke(points);
  }
  writeFileSync(out, await page.screenshot());
} finally {
  await page.close();
  await server.close();
}
