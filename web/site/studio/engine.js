// The studio's engine: the WebAssembly module built from the player's own
// code (the engine session, the recorder, the script and embed code), with
// its C entry points wrapped. The page never draws a brush itself: the
// canvas shown is the engine's own, read in place from the module's memory.
import createStudioModule from './studio-engine.js';

export async function loadEngine() {
  const m = await createStudioModule();
  const f = (name, ret, args) => m.cwrap(name, ret, args);
  const api = {
    m,
    error: f('qs_error', 'string', []),
    openNewRaw: f('qs_open_new', 'number', ['number', 'number', 'number', 'number']),
    openFileRaw: f('qs_open_file', 'number', ['number', 'number', 'string']),
    standardPaletteRaw: f('qs_standard_palette', null, ['number']),
    paletteRaw: f('qs_palette', null, ['number']),
    width: f('qs_width', 'number', []),
    height: f('qs_height', 'number', []),
    pixels: f('qs_pixels', 'number', []),
    stride: f('qs_stride', 'number', []),
    pressure: f('qs_pressure', 'number', []),
    setPen: f('qs_set_pen', null, ['number', 'number', 'number', 'number', 'number', 'number']),
    setOptions: f('qs_set_options', null, ['number', 'number']),
    begin: f('qs_begin', null, ['number', 'number', 'number', 'number']),
    to: f('qs_to', null, ['number', 'number', 'number']),
    end: f('qs_end', 'number', []),
    stroking: f('qs_stroking', 'number', []),
    fill: f('qs_fill', 'number', []),
    undo: f('qs_undo', 'number', []),
    redo: f('qs_redo', 'number', []),
    canUndo: f('qs_can_undo', 'number', []),
    canRedo: f('qs_can_redo', 'number', []),
    bytesUsed: f('qs_bytes_used', 'number', []),
    bytesFree: f('qs_bytes_free', 'number', []),
    strokesLeft: f('qs_strokes_left', 'number', []),
    strokeBytes: f('qs_stroke_bytes', 'number', []),
    strokeFits: f('qs_stroke_fits', 'number', []),
    colourAt: f('qs_colour_at', 'number', ['number', 'number']),
    resultSize: f('qs_result_size', 'number', []),
    blockRaw: f('qs_block', 'number', []),
    scriptOf: f('qs_script', 'string', ['string']),
    playerRaw: f('qs_player', 'number', ['number', 'number']),
  };

  // Copies bytes into the module for the length of one call.
  api.withBytes = (bytes, fn) => {
    const at = m._malloc(Math.max(bytes.length, 1));
    m.HEAPU8.set(bytes, at);
    try { return fn(at, bytes.length); } finally { m._free(at); }
  };
  api.openNew = (width, height, palette, pressure) => {
    const words = Uint32Array.from(palette);
    return api.withBytes(new Uint8Array(words.buffer), (at) => api.openNewRaw(width, height, at, pressure ? 1 : 0));
  };
  api.openFile = (bytes, name) => api.withBytes(bytes, (at, n) => api.openFileRaw(at, n, name));
  const paletteFrom = (fn) => {
    const at = m._malloc(1024);
    try {
      fn(at);
      return Array.from(new Uint32Array(m.HEAPU8.buffer, at, 256));
    } finally { m._free(at); }
  };
  api.standardPalette = () => paletteFrom(api.standardPaletteRaw);
  api.palette = () => paletteFrom(api.paletteRaw);
  api.block = () => {
    const at = api.blockRaw();
    return m.HEAPU8.slice(at, at + api.resultSize());
  };
  api.player = (playerBytes) => api.withBytes(playerBytes, (at, n) => {
    const out = api.playerRaw(at, n);
    return out ? m.HEAPU8.slice(out, out + api.resultSize()) : null;
  });
  // The canvas pixels of a rectangle as RGBA for an ImageData.
  api.rgba = (x, y, w, h, into) => {
    const words = new Uint32Array(m.HEAPU8.buffer);
    const base = api.pixels() >> 2;
    const stride = api.stride();
    const out = new Uint32Array(into.buffer, into.byteOffset, w * h);
    for (let row = 0; row < h; row++) {
      const from = base + (y + row) * stride + x;
      const to = row * w;
      for (let i = 0; i < w; i++) out[to + i] = words[from + i] | 0xff000000;
    }
  };
  return api;
}
