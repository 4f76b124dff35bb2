// The engine's worker: one instance of the WebAssembly module (the player's
// own code), driven by requests from engine-client.js, so that the page
// never waits for a show being played. One worker serves one drawing.
/* global createQuillcastEngine, importScripts */
'use strict';

importScripts('../engine/quillcast-engine.js');

const enginePromise = createQuillcastEngine({
  locateFile: (file) => '../engine/' + file,
});

// Changes go to the page in batches, so that it can start while the engine
// is still playing, without a message for every frame.
const kBatchChanges = 120;
const kBatchBytes = 4 << 20;
const kBatchMs = 50;

let batch = [];
let batchBytes = 0;
let batchStarted = 0;
let batchId = 0;

function flush() {
  if (batch.length === 0) return;
  postMessage({ id: batchId, type: 'changes', changes: batch }, batch.map((c) => c.rgba.buffer));
  batch = [];
  batchBytes = 0;
}

function onFrame(seconds, x, y, width, height, pictureWidth, pictureHeight, rgba) {
  if (batch.length === 0) batchStarted = performance.now();
  batch.push({ seconds, x, y, width, height, pictureWidth, pictureHeight, rgba });
  batchBytes += rgba.length;
  if (batch.length >= kBatchChanges || batchBytes >= kBatchBytes || performance.now() - batchStarted >= kBatchMs) {
    flush();
  }
}

// A file name the module's file system can hold, kept as the page gave it
// where possible: messages name it.
function safeName(name) {
  const base = String(name || '').split(/[\\/]/).pop().replace(/[\x00-\x1f]/g, '');
  return base === '' || base === '.' || base === '..' ? 'drawing' : base;
}

const handlers = {
  async open(engine, { name, blob, workMillions }) {
    const path = safeName(name);
    if (blob.size <= engine._qc_input_limit()) {
      engine.FS.writeFile(path, new Uint8Array(await blob.arrayBuffer()));
    }
    const ok = engine.ccall('qc_open', 'number', ['string', 'number'], [path, blob.size]);
    if (!ok) return { refused: engine.UTF8ToString(engine._qc_message()) };
    if (workMillions) engine._qc_set_work_limit(workMillions);
    return {
      canvasWidth: engine._qc_canvas_width(),
      canvasHeight: engine._qc_canvas_height(),
      isPlayer: engine._qc_is_player() === 1,
    };
  },

  // status: 0 did not run, 1 played to its end, 2 a bound stopped it,
  // 3 the player's start-up check refused it.
  finish(engine) {
    const started = performance.now();
    const status = engine._qc_finish();
    return { status, ms: performance.now() - started };
  },

  record(engine, { fps, splashes, holdSeconds }) {
    const started = performance.now();
    const status = engine._qc_record(fps, splashes ? 1 : 0, holdSeconds);
    return { status, ms: performance.now() - started };
  },

  writePlayer(engine, { player }) {
    const bytes = new Uint8Array(player);
    const at = engine._malloc(bytes.length);
    engine.HEAPU8.set(bytes, at);
    const ok = engine._qc_write_player(at, bytes.length);
    engine._free(at);
    return ok ? { bytes: output(engine) } : { refused: engine.UTF8ToString(engine._qc_message()) };
  },

  takeDrawing(engine) {
    return engine._qc_take_drawing() ? { bytes: output(engine) } : { refused: 'nothing is open' };
  },
};

function output(engine) {
  const at = engine._qc_output();
  return engine.HEAPU8.slice(at, at + engine._qc_output_size());
}

onmessage = async (event) => {
  const { id, type, ...args } = event.data;
  try {
    const engine = await enginePromise;
    batchId = id;
    engine.onFrame = onFrame;
    const result = await handlers[type](engine, args);
    flush();
    if (result.status !== undefined) {
      result.message = engine.UTF8ToString(engine._qc_message());
      result.seconds = engine._qc_seconds();
    }
    postMessage({ id, type: 'done', result });
  } catch (error) {
    flush();
    postMessage({ id, type: 'failed', message: String(error && error.message ? error.message : error) });
  }
};
