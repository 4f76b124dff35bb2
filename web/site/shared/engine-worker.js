// The player engine's worker: one instance of the WebAssembly module (the
// player's own code), whose calls the page makes through Comlink
// (worker-bridge.js), so that the page never waits for a show being played.
// One worker serves one drawing.
'use strict';

importScripts('../vendor/comlink.js', '../engine/quillcast-engine.js');

// Opened files go in a folder of their own, the working one, so that their
// names (which the messages show) never meet the file system's own folders.
const enginePromise = createQuillcastEngine({
  locateFile: (file) => '../engine/' + file,
}).then((engine) => {
  engine.FS.mkdir('/opened');
  engine.FS.chdir('/opened');
  return engine;
});

// Changes go to the page in batches, so that it can start while the engine
// is still playing, without a message for every frame.
const kBatchChanges = 120;
const kBatchBytes = 4 << 20;
const kBatchMs = 50;

function batcher(onChanges) {
  let batch = [];
  let bytes = 0;
  let started = 0;
  let last = Promise.resolve();
  const flush = () => {
    if (batch.length === 0) return last;
    last = onChanges(
      Comlink.transfer(
        batch,
        batch.map((c) => c.rgba.buffer),
      ),
    );
    batch = [];
    bytes = 0;
    return last;
  };
  const add = (seconds, x, y, width, height, pictureWidth, pictureHeight, rgba) => {
    if (batch.length === 0) started = performance.now();
    batch.push({ seconds, x, y, width, height, pictureWidth, pictureHeight, rgba });
    bytes += rgba.length;
    if (batch.length >= kBatchChanges || bytes >= kBatchBytes || performance.now() - started >= kBatchMs) flush();
  };
  return { add, flush };
}

// A file name the module's file system can hold, kept as the page gave it
// where possible: messages name it.
function safeName(name) {
  const base = Array.from(
    String(name || '')
      .split(/[\\/]/)
      .pop(),
  )
    .filter((c) => c.charCodeAt(0) >= 0x20)
    .join('');
  return base === '' || base === '.' || base === '..' ? 'drawing' : base;
}

function output(engine) {
  const at = engine._qc_output();
  const bytes = engine.HEAPU8.slice(at, at + engine._qc_output_size());
  return Comlink.transfer(bytes, [bytes.buffer]);
}

// A run of the show, its changes handed to the page as they come; resolves
// to {status (ShowStatus), message, seconds, ms} once the last batch is there.
async function run(onChanges, play) {
  const engine = await enginePromise;
  const changes = batcher(onChanges);
  engine.onFrame = changes.add;
  const started = performance.now();
  const status = play(engine);
  const ms = performance.now() - started;
  await changes.flush();
  return { status, ms, message: engine.UTF8ToString(engine._qc_message()), seconds: engine._qc_seconds() };
}

Comlink.expose({
  // {canvasWidth, canvasHeight, isPlayer}, or {refused: the reason}.
  async open(name, blob, workMillions) {
    const engine = await enginePromise;
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

  finish(onChanges) {
    return run(onChanges, (engine) => engine._qc_finish());
  },

  record({ fps, splashes, holdSeconds }, onChanges) {
    return run(onChanges, (engine) => engine._qc_record(fps, splashes ? 1 : 0, holdSeconds));
  },

  async writePlayer(player) {
    const engine = await enginePromise;
    const bytes = new Uint8Array(player);
    const at = engine._malloc(bytes.length);
    engine.HEAPU8.set(bytes, at);
    const ok = engine._qc_write_player(at, bytes.length);
    engine._free(at);
    return ok ? { bytes: output(engine) } : { refused: engine.UTF8ToString(engine._qc_message()) };
  },

  async takeDrawing() {
    const engine = await enginePromise;
    return engine._qc_take_drawing() ? { bytes: output(engine) } : { refused: 'nothing is open' };
  },
});
