// The studio's figures, in headless Chromium on the built site:
//   1. pointer event to pixels on the page's canvas, a level-4 Blend stroke
//      on a 600 x 600 canvas (the event's own time stamp to the end of the
//      copy into the canvas; and the part of it spent in the engine drawing
//      and in copying the rectangle out of its memory);
//   2. undo of the last stroke in a drawing of 400 KB and more (the dense
//      sample, 447 KB, with strokes painted after it);
//   3. opening a full block (the dense sample) and replaying it.
//
//   node bench/studio_bench.mjs   (the site in build-web/site, or QC_SITE)
import { mkdtempSync, writeFileSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { execFileSync } from 'node:child_process';
import { startBrowser, startServer } from '../web/tests/browser/harness.mjs';
import { openStudio } from '../web/tests/browser/studio_page.mjs';

const root = resolve(new URL('..', import.meta.url).pathname);
const work = mkdtempSync(join(tmpdir(), 'qc-studio-bench-'));
const percentile = (xs, p) => [...xs].sort((a, b) => a - b)[Math.min(xs.length - 1, Math.floor((p / 100) * xs.length))];
const fmt = (ms) => `${ms.toFixed(2)} ms`;

const server = await startServer();
const chromium = await startBrowser();
try {
  const studio = await openStudio(chromium.browser, server.url);

  // 1. A 600 x 600 drawing from the New dialog, Blend at level 4.
  await studio.click('#new');
  await studio.set('new-width', 600);
  await studio.set('new-height', 600);
  await studio.click('#new-create');
  await studio.waitFor("document.getElementById('canvas').width === 600");
  await studio.key('b');
  await studio.set('level', 4);
  await studio.evaluate('window.studio.input.latencies.length = 0; window.studio.input.work.length = 0');
  for (let s = 0; s < 10; s++) {
    const points = [];
    for (let i = 0; i < 60; i++) points.push([20 + i * 9, 30 + s * 55 + Math.round(12 * Math.sin(i / 4)), 15]);
    await studio.stroke(points);
  }
  const latencies = await studio.evaluate('window.studio.input.latencies');
  const engineWork = await studio.evaluate('window.studio.input.work');

  // 3. Open the dense sample's block.
  const dense = join(work, 'dense.qcd');
  execFileSync(join(root, 'build/bin/quillcast-script'), ['build', join(root, 'samples/dense.qcs'), '-o', dense]);
  await studio.openFile(dense);
  await studio.answer(true); // the painted drawing was not saved as a file
  await studio.waitFor('window.studio.state.timings.open !== undefined');
  const open = await studio.evaluate('window.studio.state.timings.open');

  // 2. Fifteen strokes after it, then undo the last: the nearest kept
  // checkpoint is up to seven strokes back, and those are played again.
  await studio.set('level', 2);
  for (let s = 0; s < 15; s++) await studio.stroke([[20, 20 + s * 20, 9], [120, 30 + s * 20, 9], [200, 20 + s * 20, 9]]);
  const bytes = await studio.bytes();
  const undos = [];
  const undosInEngine = [];
  for (let i = 0; i < 5; i++) {
    await studio.click('#undo');
    undos.push(await studio.evaluate('window.studio.state.timings.undo'));
    undosInEngine.push(await studio.evaluate('window.studio.state.timings.undoEngine'));
  }

  console.log(`pointer event to pixels, level-4 Blend on 600 x 600 (${latencies.length} events):`);
  console.log(`  p50 ${fmt(percentile(latencies, 50))}, p95 ${fmt(percentile(latencies, 95))}, max ${fmt(Math.max(...latencies))}`);
  console.log(`  of which the engine and the copy out of its memory: p50 ${fmt(percentile(engineWork, 50))}, p95 ${fmt(percentile(engineWork, 95))}`);
  console.log(`undo of the last stroke in a drawing of ${bytes.toLocaleString('en')} bytes, click to pixels: ${fmt(undos[0])} (the next four: ${undos.slice(1).map(fmt).join(', ')})`);
  console.log(`  of which the engine: ${fmt(undosInEngine[0])} (the next four: ${undosInEngine.slice(1).map(fmt).join(', ')})`);
  console.log(`opening the dense sample (447 KB of records) and replaying it: ${fmt(open)}`);
  if (studio.errors.length) console.log(`exceptions in the page: ${studio.errors.join('; ')}`);
} finally {
  await chromium.close();
  server.stop();
}
