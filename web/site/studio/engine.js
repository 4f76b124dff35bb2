// The studio's engine as the page calls it: the studio's WebAssembly module
// (the engine session, the recorder, the script and embed code) with its C
// entry points wrapped into calls that answer what the page shows: the
// drawing's state, and the rectangle of the engine's own canvas that a call
// changed. The page never draws a brush itself.
//
// It runs on the page's own thread, unlike the player's engine: a stroke's
// pixels then reach the canvas in the pointer event's own task, without a
// round trip to a worker (bench/studio_bench.mjs measured that trip at
// about twice the input-to-pixels time, p95, on a busy machine). The calls
// still answer with promises, as a worker's would.
import { loadEngineModule } from '../shared/engine-module.js';

let m = null;
let qs = null;

function wrap(module) {
  m = module;
  const f = (name, ret, args) => m.cwrap(name, ret, args);
  qs = {
    error: f('qs_error', 'string', []),
    openNew: f('qs_open_new', 'number', ['number', 'number', 'number', 'number']),
    checkFile: f('qs_check_file', 'number', ['number', 'number', 'string']),
    openFile: f('qs_open_file', 'number', ['number', 'number', 'string']),
    standardPalette: f('qs_standard_palette', null, ['number']),
    palette: f('qs_palette', null, ['number']),
    width: f('qs_width', 'number', []),
    height: f('qs_height', 'number', []),
    pixels: f('qs_pixels', 'number', []),
    stride: f('qs_stride', 'number', []),
    pressure: f('qs_pressure', 'number', []),
    pressurePending: f('qs_pressure_pending', 'number', []),
    setPen: f('qs_set_pen', null, ['number', 'number', 'number', 'number', 'number', 'number']),
    setOptions: f('qs_set_options', null, ['number', 'number']),
    begin: f('qs_begin', null, ['number', 'number', 'number', 'number']),
    to: f('qs_to', null, ['number', 'number', 'number']),
    end: f('qs_end', 'number', []),
    cancel: f('qs_cancel', null, []),
    stroking: f('qs_stroking', 'number', []),
    fill: f('qs_fill', 'number', []),
    undo: f('qs_undo', 'number', []),
    redo: f('qs_redo', 'number', []),
    canUndo: f('qs_can_undo', 'number', []),
    canRedo: f('qs_can_redo', 'number', []),
    bytesUsed: f('qs_bytes_used', 'number', []),
    bytesFree: f('qs_bytes_free', 'number', []),
    strokesLeft: f('qs_strokes_left', 'number', []),
    strokeFits: f('qs_stroke_fits', 'number', []),
    colourAt: f('qs_colour_at', 'number', ['number', 'number']),
    resultSize: f('qs_result_size', 'number', []),
    block: f('qs_block', 'number', []),
    script: f('qs_script', 'string', ['string']),
    player: f('qs_player', 'number', ['number', 'number']),
    historyStart: f('qs_history_start', 'number', []),
    actionCount: f('qs_action_count', 'number', []),
    doneCount: f('qs_done_count', 'number', []),
    action: f('qs_action', 'number', ['number']),
    replayAction: f('qs_replay_action', 'number', ['number', 'number']),
  };
}

// The brush's reach round a stroke's points, in canvas pixels.
const kReach = 5;
let last = null; // the stroke's last point, for the box of the next change
let simplifying = false; // a stroke is drawn again as simplified when it ends

// Copies bytes into the module for the length of one call.
function withBytes(bytes, fn) {
  const at = m._malloc(Math.max(bytes.length, 1));
  m.HEAPU8.set(bytes, at);
  try {
    return fn(at, bytes.length);
  } finally {
    m._free(at);
  }
}

function bytesAt(at) {
  return m.HEAPU8.slice(at, at + qs.resultSize());
}

function paletteFrom(fn) {
  const at = m._malloc(1024);
  try {
    fn(at);
    return Array.from(new Uint32Array(m.HEAPU8.buffer, at, 256));
  } finally {
    m._free(at);
  }
}

// What the page shows about the drawing after a call.
function state() {
  return {
    width: qs.width(),
    height: qs.height(),
    pressure: qs.pressure() === 1,
    pressurePending: qs.pressurePending() === 1,
    bytesUsed: qs.bytesUsed(),
    bytesFree: qs.bytesFree(),
    strokesLeft: qs.strokesLeft(),
    canUndo: qs.canUndo() === 1,
    canRedo: qs.canRedo() === 1,
  };
}

// The canvas's pixels in a rectangle (clipped), as RGBA for an ImageData.
function rect(x, y, w, h) {
  const left = Math.max(0, Math.floor(x));
  const top = Math.max(0, Math.floor(y));
  const right = Math.min(qs.width(), Math.ceil(x + w));
  const bottom = Math.min(qs.height(), Math.ceil(y + h));
  if (left >= right || top >= bottom) return null;
  const width = right - left;
  const height = bottom - top;
  const rgba = new Uint8ClampedArray(width * height * 4);
  const out = new Uint32Array(rgba.buffer);
  const words = new Uint32Array(m.HEAPU8.buffer);
  const base = qs.pixels() >> 2;
  const stride = qs.stride();
  for (let row = 0; row < height; row++) {
    const from = base + (top + row) * stride + left;
    const to = row * width;
    for (let i = 0; i < width; i++) out[to + i] = words[from + i] | 0xff000000;
  }
  return { x: left, y: top, width, height, rgba };
}

function whole() {
  return rect(0, 0, qs.width(), qs.height());
}

function undoHistory() {
  const actions = [];
  for (let i = 0; i < qs.actionCount(); i++) actions.push(bytesAt(qs.action(i)));
  return { start: qs.historyStart(), actions, done: qs.doneCount() };
}

// A stroke still being drawn when another drawing comes goes, unrecorded.
function dropStroke() {
  if (qs.stroking()) qs.cancel();
  last = null;
}

// Opens a kept drawing with its undo history: the block where the history
// starts, each action played again, the undone ones undone. A history that
// does not lead to the kept block is left out, and the block opens alone.
function restoreDrawing(block, kept, name) {
  if (kept && kept.fresh) {
    if (withBytes(block, (at, n) => qs.openFile(at, n, name)) !== 1) return false;
    const palette = paletteFrom(qs.palette);
    const words = new Uint8Array(Uint32Array.from(palette).buffer);
    return withBytes(words, (at) => qs.openNew(qs.width(), qs.height(), at, 0)) === 1;
  }
  if (kept && kept.history && kept.history.actions.length) {
    const start = block.slice();
    start.fill(0, kept.history.start);
    if (withBytes(start, (at, n) => qs.openFile(at, n, name)) === 1) {
      let ok = true;
      for (const action of kept.history.actions) ok = ok && withBytes(action, (at, n) => qs.replayAction(at, n)) === 1;
      while (ok && qs.doneCount() > kept.history.done) ok = qs.undo() === 1;
      const now = bytesAt(qs.block());
      if (ok && now.length === block.length && now.every((b, i) => b === block[i])) return true;
    }
  }
  return withBytes(block, (at, n) => qs.openFile(at, n, name)) === 1;
}

const api = {
  // Each call below answers {ok, error, state} and, where pixels changed,
  // pixels: the changed rectangle (or the whole canvas).
  async openNew(width, height, palette, pressure) {
    dropStroke();
    const words = new Uint8Array(Uint32Array.from(palette).buffer);
    const ok = withBytes(words, (at) => qs.openNew(width, height, at, pressure ? 1 : 0)) === 1;
    return { ok, error: ok ? '' : qs.error(), state: state(), palette: paletteFrom(qs.palette), pixels: whole() };
  },

  async checkFile(bytes, name) {
    const ok = withBytes(bytes, (at, n) => qs.checkFile(at, n, name)) === 1;
    return { ok, error: ok ? '' : qs.error() };
  },

  // A file to go on painting. When it cannot be opened, the drawing that was
  // open stays as it was, with its undo history.
  async openFile(bytes, name) {
    dropStroke();
    const before = { block: bytesAt(qs.block()), history: undoHistory(), fresh: qs.pressurePending() === 1 };
    const ok = withBytes(bytes, (at, n) => qs.openFile(at, n, name)) === 1;
    const error = ok ? '' : qs.error();
    if (!ok && qs.width() > 0) restoreDrawing(before.block, before, 'drawing.qcd');
    return { ok, error, state: state(), palette: paletteFrom(qs.palette), pixels: whole() };
  },

  // A drawing kept in the browser: {block, name, history, fresh}.
  async restore(kept) {
    dropStroke();
    const ok = restoreDrawing(kept.block, kept, kept.name || 'drawing.qcd');
    return { ok, error: ok ? '' : qs.error(), state: state(), palette: paletteFrom(qs.palette), pixels: whole() };
  },

  async setPen({ colour, second, third, mode, level, density, smoothing, tolerance }) {
    qs.setPen(colour, second, third, mode, level, density);
    qs.setOptions(smoothing, tolerance);
    simplifying = tolerance > 0;
  },

  // A stroke's points, [x, y, pressure] each, in canvas pixels (fractions
  // kept): the first begins it.
  async begin(x, y, pressure, pressurePen) {
    const started = performance.now();
    qs.begin(x, y, pressure, pressurePen ? 1 : 0);
    last = [x, y];
    const pixels = changedBox([[x, y]]);
    return { pixels, ms: performance.now() - started };
  },

  async to(points) {
    const started = performance.now();
    for (const [x, y, pressure] of points) qs.to(x, y, pressure);
    const pixels = changedBox(points);
    return { pixels, fits: qs.strokeFits() === 1, ms: performance.now() - started };
  },

  // result: a StrokeEnd (shared/status.js). The whole canvas comes back
  // when the stroke was not recorded (it is taken off) or was drawn again
  // as simplified.
  async end() {
    const used = qs.bytesUsed();
    const result = qs.end();
    last = null;
    const redrawn = qs.bytesUsed() === used || simplifying;
    return { result, state: state(), pixels: redrawn ? whole() : null };
  },

  async cancel() {
    qs.cancel();
    last = null;
    return { state: state(), pixels: whole() };
  },

  async fill() {
    const ok = qs.fill() === 1;
    return { ok, state: state(), pixels: ok ? whole() : null };
  },

  async undo() {
    const started = performance.now();
    const ok = qs.undo() === 1;
    const ms = performance.now() - started;
    return { ok, ms, state: state(), pixels: ok ? whole() : null };
  },

  async redo() {
    const ok = qs.redo() === 1;
    return { ok, state: state(), pixels: ok ? whole() : null };
  },

  async colourAt(x, y) {
    return qs.colourAt(x, y);
  },

  async palette() {
    return paletteFrom(qs.palette);
  },

  // What the autosave keeps: the block, the undo history, and whether the
  // drawing is new and empty (its first stroke may still take pressure on).
  async keep() {
    const bytes = bytesAt(qs.block());
    return { bytes, bytesUsed: qs.bytesUsed(), history: undoHistory(), fresh: qs.pressurePending() === 1 };
  },

  async block() {
    return bytesAt(qs.block());
  },

  async script(name) {
    return qs.script(name);
  },

  // A player's bytes with the drawing written in and sealed, or {error}.
  async player(bytes) {
    const out = withBytes(bytes, (at, n) => qs.player(at, n));
    return out ? { bytes: bytesAt(out) } : { error: qs.error() };
  },
};

// The box of the new points and the one before, widened by the brush's reach.
function changedBox(points) {
  let [minX, minY] = last || points[0];
  let [maxX, maxY] = [minX, minY];
  for (const [x, y] of points) {
    minX = Math.min(minX, x);
    minY = Math.min(minY, y);
    maxX = Math.max(maxX, x);
    maxY = Math.max(maxY, y);
  }
  last = points[points.length - 1];
  return rect(minX - kReach, minY - kReach, maxX - minX + 2 * kReach + 1, maxY - minY + 2 * kReach + 1);
}

// Loads the studio's module (studio-engine.js beside this file) and gives
// its calls, with the standard palette and whether no call is under way.
export async function startEngine() {
  wrap(await loadEngineModule(new URL('studio-engine.js', import.meta.url), 'createStudioModule'));
  let pending = 0;
  const calls = { standard: paletteFrom(qs.standardPalette), idle: () => pending === 0 };
  for (const [name, call] of Object.entries(api)) {
    calls[name] = async (...args) => {
      pending += 1;
      try {
        return await call(...args);
      } finally {
        pending -= 1;
      }
    };
  }
  return calls;
}
