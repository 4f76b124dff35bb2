// The engine module's entry points as the page's worker calls them, under
// Node.js: run with `node --no-experimental-fetch --test` and the path of
// quillcast-engine.js in QC_ENGINE (ctest does both).
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { test } from 'node:test';

const require = createRequire(import.meta.url);
const createQuillcastEngine = require(process.env.QC_ENGINE);
const samples = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../samples');

async function engineWith(name, bytes) {
  const engine = await createQuillcastEngine();
  engine.FS.writeFile(name, bytes);
  const changes = [];
  engine.onFrame = (seconds, x, y, width, height, pictureWidth, pictureHeight, rgba) =>
    changes.push({ seconds, x, y, width, height, pictureWidth, pictureHeight, rgba });
  const opened = engine.ccall('qc_open', 'number', ['string', 'number'], [name, bytes.length]);
  return { engine, changes, opened, message: () => engine.UTF8ToString(engine._qc_message()) };
}

test('a script opens, plays to its end and records on the same clock', { timeout: 60000 }, async () => {
  const { engine, changes, opened, message } = await engineWith('quick.qcs', readFileSync(`${samples}/quick.qcs`));
  assert.equal(opened, 1, message());
  assert.deepEqual([engine._qc_canvas_width(), engine._qc_canvas_height(), engine._qc_is_player()], [160, 120, 0]);
  assert.equal(engine._qc_finish(), 1);
  assert.equal(changes.length, 1);
  const finished = changes.pop();
  assert.deepEqual([finished.width, finished.height, finished.rgba.length], [174, 134, 174 * 134 * 4]);
  const length = engine._qc_seconds();
  assert.equal(finished.seconds, length);

  assert.equal(engine._qc_record(60, 0, 0), 1);
  assert.equal(engine._qc_seconds(), length);
  assert.ok(changes.length > 20);
  assert.ok(changes.every((c) => c.rgba.length === c.width * c.height * 4 && c.seconds <= length));
});

test('the work bound set by the page stops a show and says where', { timeout: 60000 }, async () => {
  const { engine, opened, message } = await engineWith('dense.qcs', readFileSync(`${samples}/dense.qcs`));
  assert.equal(opened, 1, message());
  engine._qc_set_work_limit(0.1); // the sample needs under a million units
  assert.equal(engine._qc_finish(), 2);
  assert.match(message(), /^stopped after \d+\.\d{3} s of the show: the work limit$/);
});

test('files over the limit are refused by their size alone', { timeout: 60000 }, async () => {
  const engine = await createQuillcastEngine();
  const limit = engine._qc_input_limit();
  assert.equal(limit, 256 * 1024 * 1024);
  assert.equal(engine.ccall('qc_open', 'number', ['string', 'number'], ['big.qcd', limit + 1]), 0);
  assert.equal(
    engine.UTF8ToString(engine._qc_message()),
    'big.qcd: larger than 256 MiB, which no drawing, script or player is',
  );
  assert.equal(engine._qc_finish(), 0); // nothing is open
});

test('the opened drawing comes back as a drawing file', { timeout: 60000 }, async () => {
  const { engine, opened } = await engineWith('meadow.qcs', readFileSync(`${samples}/meadow.qcs`));
  assert.equal(opened, 1);
  assert.equal(engine._qc_take_drawing(), 1);
  const block = engine.HEAPU8.slice(engine._qc_output(), engine._qc_output() + engine._qc_output_size());
  assert.equal(block.length, 451000);
  const again = await engineWith('meadow.qcd', block);
  assert.equal(again.opened, 1);
  assert.deepEqual([again.engine._qc_canvas_width(), again.engine._qc_is_player()], [engine._qc_canvas_width(), 0]);
});
