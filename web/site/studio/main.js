// Quillcast Studio: the page's glue. The engine records and draws; this file
// wires the controls, the keys, the files, the autosave and the messages.
import { loadEngine } from './engine.js';
import { View } from './view.js';
import { PenInput } from './pen_input.js';
import { saveDrawing, loadDrawing } from './storage.js';
import { medianCut, toHex, fromHex } from './palette.js';

const $ = (id) => document.getElementById(id);
const BLOCK = 451000;
const PLAYER_URL = 'quillcast.exe';
const DRAWING_NAME = 'drawing.qcd';

const state = { tool: 'brush', exported: true, name: DRAWING_NAME, palette: [], standard: [], timings: {} };
let engine, view, input;

function say(text, isError = false) {
  const m = $('message');
  m.textContent = text.split('\n')[0];
  m.classList.toggle('error', isError);
  document.documentElement.dataset.message = isError ? 'error' : 'info';
}

function penFromControls() {
  const mode = Number(document.querySelector('input[name=mode]:checked').value);
  const density = Math.max(-32768, Math.min(32767, Math.round(Number($('density').value)))) || 1000;
  engine.setPen(fromHex($('colour').value), fromHex($('second').value), fromHex($('third').value), mode,
    Number($('level').value), density);
  engine.setOptions(Number($('smoothing').value), Math.max(0, Number($('tolerance').value) || 0));
}

function refresh() {
  const used = engine.bytesUsed();
  $('budget').value = used;
  $('budget-text').textContent = `${used.toLocaleString('en')} of ${BLOCK.toLocaleString('en')} · about ${engine.strokesLeft().toLocaleString('en')} strokes left`;
  $('undo').disabled = !engine.canUndo();
  $('redo').disabled = !engine.canRedo();
  $('level-out').textContent = $('level').value;
  $('zoom-out').textContent = view.zoom;
  document.documentElement.dataset.bytes = String(used);
  document.documentElement.dataset.pressure = engine.pressure() ? 'on' : 'off';
}

async function autosave() {
  try {
    await saveDrawing({ block: engine.block(), name: state.name, exported: state.exported });
    document.documentElement.dataset.saved = String(engine.bytesUsed());
  } catch (e) {
    say(`Autosave failed: ${e.message || e}`, true);
  }
}

// After anything that changed the drawing.
function changed(full) {
  if (full) view.reset();
  state.exported = false;
  refresh();
  return autosave();
}

function strokeEnded(result) {
  if (result === 2) {
    say(`That stroke does not fit in what is left of the drawing (${engine.bytesFree().toLocaleString('en')} bytes); it was not recorded.`, true);
    view.reset();
    refresh();
    return;
  }
  if (result === 0) {
    if ($('message').classList.contains('error')) say('');
    changed(Number($('tolerance').value) > 0);
  }
}

function pick(x, y) {
  if (x < 0 || y < 0 || x >= view.width || y >= view.height) return;
  $('colour').value = toHex(engine.colourAt(x, y));
  penFromControls();
  selectTool('brush');
  say(`Pen colour ${$('colour').value} from (${x}, ${y}).`);
}

function selectTool(tool) {
  state.tool = tool;
  $('tool-brush').setAttribute('aria-pressed', String(tool === 'brush'));
  $('tool-picker').setAttribute('aria-pressed', String(tool === 'picker'));
  view.canvas.classList.toggle('picker', tool === 'picker');
}

function fill() {
  penFromControls();
  if (!engine.fill()) {
    say('A fill does not fit in what is left of the drawing.', true);
    return;
  }
  changed(true);
}

function undo() {
  const started = performance.now();
  if (!engine.undo()) return;
  view.reset();
  state.timings.undo = performance.now() - started;
  changed(false);
}
function redo() { if (engine.redo()) changed(true); }

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function exported() {
  state.exported = true;
  autosave();
}

async function saveExe() {
  let player;
  try {
    const response = await fetch(PLAYER_URL);
    if (!response.ok) throw new Error(`${PLAYER_URL}: ${response.status}`);
    player = new Uint8Array(await response.arrayBuffer());
  } catch (e) {
    say(`The player could not be fetched: ${e.message || e}`, true);
    return;
  }
  const out = engine.player(player);
  if (!out) {
    say(engine.error(), true);
    return;
  }
  download(out, state.name.replace(/\.qcd$/, '') + '.exe', 'application/vnd.microsoft.portable-executable');
  exported();
  say('Player saved.');
}

function watch() {
  const url = URL.createObjectURL(new Blob([engine.block()], { type: 'application/octet-stream' }));
  window.open(`../index.html#drawing=${encodeURIComponent(url)}&speed=1`, '_blank');
}

async function openFile(file) {
  if (!file) return;
  if (!state.exported && !confirm('Open another drawing? What was painted since the last save is kept only in this browser until then.')) return;
  const started = performance.now();
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (!engine.openFile(bytes, file.name)) {
    // The drawing that was open stays (the engine opens it again when the
    // file got as far as replacing it): show what the engine holds.
    view.reset();
    say(engine.error(), true);
    return;
  }
  state.name = file.name.replace(/\.(qcs|exe)$/i, '.qcd');
  state.exported = true;
  state.palette = engine.palette();
  renderSwatches(state.palette);
  view.reset();
  state.timings.open = performance.now() - started;
  refresh();
  say(`${file.name}: ${engine.width()} × ${engine.height()}, ${engine.bytesUsed().toLocaleString('en')} bytes; new strokes go after its last record.`);
  await autosave();
}

function renderSwatches(palette) {
  const strip = $('swatches');
  strip.replaceChildren(...palette.map((c, i) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.style.background = toHex(c);
    b.setAttribute('role', 'option');
    b.setAttribute('aria-label', `Palette slot ${i}, ${toHex(c)}`);
    b.addEventListener('click', () => {
      $('colour').value = toHex(c);
      strip.querySelectorAll('[aria-selected]').forEach((s) => s.removeAttribute('aria-selected'));
      b.setAttribute('aria-selected', 'true');
      penFromControls();
    });
    return b;
  }));
}

function setUpNewDialog() {
  const dialog = $('new-dialog');
  let editing = [...state.standard];
  let slot = -1;
  const grid = $('palette-edit');
  const draw = () => {
    grid.replaceChildren(...editing.map((c, i) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.style.background = toHex(c);
      b.setAttribute('aria-label', `Slot ${i}, ${toHex(c)}: change`);
      b.addEventListener('click', () => { slot = i; $('slot-colour').value = toHex(c); $('slot-colour').click(); });
      return b;
    }));
  };
  $('slot-colour').addEventListener('input', () => {
    if (slot < 0) return;
    editing[slot] = fromHex($('slot-colour').value);
    grid.children[slot].style.background = $('slot-colour').value;
  });
  $('preset').addEventListener('change', () => {
    const v = $('preset').value;
    if (v === 'custom') return;
    const [w, h] = v.split('x');
    $('new-width').value = w;
    $('new-height').value = h;
  });
  $('palette-picture').addEventListener('change', async () => {
    const file = $('palette-picture').files[0];
    if (!file) return;
    try {
      const bitmap = await createImageBitmap(file);
      const c = new OffscreenCanvas(Math.min(bitmap.width, 512), Math.min(bitmap.height, 512));
      const g = c.getContext('2d');
      g.drawImage(bitmap, 0, 0, c.width, c.height);
      editing = medianCut(g.getImageData(0, 0, c.width, c.height).data, state.standard);
      document.querySelector('input[name=palette-kind][value=picture]').checked = true;
      draw();
    } catch (e) {
      say(`${file.name}: not a picture the browser can read`, true);
    }
  });
  document.querySelectorAll('input[name=palette-kind]').forEach((r) => r.addEventListener('change', () => {
    if (r.checked && r.value === 'standard') { editing = [...state.standard]; draw(); }
  }));
  $('new').addEventListener('click', () => {
    if (!state.exported && !confirm('Start a new drawing? The current one has not been saved as a file.')) return;
    draw();
    dialog.showModal();
  });
  dialog.addEventListener('close', () => {
    if (dialog.returnValue !== 'create') return;
    const w = Math.round(Number($('new-width').value));
    const h = Math.round(Number($('new-height').value));
    if (!(w >= 1 && w <= 4096 && h >= 1 && h <= 4096)) {
      say('A canvas is 1 to 4096 pixels each way.', true);
      return;
    }
    newDrawing(w, h, editing, $('new-pressure').value);
  });
}

function newDrawing(w, h, palette, pressureChoice) {
  state.pressureChoice = pressureChoice;
  if (!engine.openNew(w, h, palette, pressureChoice === 'on')) {
    say(engine.error(), true);
    return;
  }
  state.palette = palette;
  state.name = DRAWING_NAME;
  renderSwatches(palette);
  view.reset();
  state.exported = true;
  refresh();
  say(`New drawing, ${w} × ${h}.` + (pressureChoice !== 'off' && w > 1025 ? ' Pen pressure is not recorded on canvases over 1025 pixels wide.' : ''));
  autosave();
}

function onKey(e) {
  if (e.target.closest && e.target.closest('input[type=number], input[type=text], select, dialog')) return;
  const k = e.key;
  const ctrl = e.ctrlKey || e.metaKey;
  if (k === ' ') {
    if (!view.spaceHeld) { view.spaceHeld = true; view.scroller.classList.add('space'); }
    e.preventDefault();
    return;
  }
  if (ctrl && (k === 'z' || k === 'Z')) { e.shiftKey ? redo() : undo(); e.preventDefault(); return; }
  if (ctrl && (k === 'y' || k === 'Y')) { redo(); e.preventDefault(); return; }
  if (ctrl) return;
  const modes = { b: 1, d: 2, s: 3, k: 4 };
  if (modes[k.toLowerCase()] && !e.altKey) {
    document.querySelector(`input[name=mode][value="${modes[k.toLowerCase()]}"]`).checked = true;
    penFromControls();
  } else if (k === '[' || k === ']') {
    $('level').value = String(Math.max(0, Math.min(4, Number($('level').value) + (k === ']' ? 1 : -1))));
    penFromControls();
    refresh();
  } else if (k === 'i' || k === 'I') {
    selectTool(state.tool === 'picker' ? 'brush' : 'picker');
  } else if (k === 'f' || k === 'F') {
    fill();
  } else if (k === '+' || k === '=') {
    $('zoom').value = String(view.setZoom(view.zoom + 1)); refresh();
  } else if (k === '-') {
    $('zoom').value = String(view.setZoom(view.zoom - 1)); refresh();
  } else {
    return;
  }
  e.preventDefault();
}

function drawCurve() {
  const c = $('curve-view');
  const g = c.getContext('2d');
  const gamma = Number($('curve').value);
  g.fillStyle = '#fff';
  g.fillRect(0, 0, c.width, c.height);
  g.strokeStyle = '#8a5a12';
  g.beginPath();
  for (let i = 0; i <= c.width; i++) {
    const level = Math.round(Math.pow(i / c.width, gamma) * 15);
    const y = c.height - 1 - (level / 15) * (c.height - 2);
    i ? g.lineTo(i, y) : g.moveTo(i, y);
  }
  g.stroke();
  $('curve-out').textContent = gamma.toFixed(1);
}

async function start() {
  engine = await loadEngine();
  view = new View(engine, $('canvas'), $('scroller'));
  state.standard = engine.standardPalette();
  input = new PenInput(engine, view, {
    tool: () => state.tool,
    penOnly: () => $('pen-only').checked,
    pressureAllowed: () => state.pressureChoice !== 'off',
    curve: () => Number($('curve').value),
    onPick: pick,
    onStrokeEnd: strokeEnded,
    onWarn: (over) => { if (over) say('This stroke no longer fits in what is left of the drawing.', true); },
  });
  window.studio = { engine, view, input, state };

  for (const id of ['colour', 'second', 'third', 'density', 'smoothing', 'tolerance', 'level'])
    $(id).addEventListener('input', () => { penFromControls(); refresh(); });
  document.querySelectorAll('input[name=mode]').forEach((r) => r.addEventListener('change', penFromControls));
  $('smoothing').addEventListener('input', () => { $('smoothing-out').textContent = $('smoothing').value; });
  $('curve').addEventListener('input', drawCurve);
  $('zoom').addEventListener('input', () => { view.setZoom(Number($('zoom').value)); refresh(); });
  $('tool-brush').addEventListener('click', () => selectTool('brush'));
  $('tool-picker').addEventListener('click', () => selectTool('picker'));
  $('fill').addEventListener('click', fill);
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);
  $('open').addEventListener('change', async () => { await openFile($('open').files[0]); $('open').value = ''; });
  $('save-qcd').addEventListener('click', () => { download(engine.block(), state.name, 'application/octet-stream'); exported(); say('Drawing saved.'); });
  $('save-qcs').addEventListener('click', () => {
    download(engine.scriptOf(state.name), state.name.replace(/\.qcd$/, '') + '.qcs', 'text/plain');
    exported();
    say('Script saved.');
  });
  $('save-exe').addEventListener('click', saveExe);
  $('watch').addEventListener('click', watch);
  document.addEventListener('keydown', onKey);
  document.addEventListener('keyup', (e) => { if (e.key === ' ') { view.spaceHeld = false; view.scroller.classList.remove('space'); } });
  window.addEventListener('beforeunload', (e) => { if (engine.stroking()) e.preventDefault(); });
  setUpNewDialog();
  drawCurve();

  // The autosaved drawing, byte for byte, or a new one.
  let saved = null;
  try { saved = await loadDrawing(); } catch (e) { saved = null; }
  if (saved && saved.block && engine.openFile(saved.block, saved.name || DRAWING_NAME)) {
    state.name = saved.name || DRAWING_NAME;
    state.exported = saved.exported !== false;
    state.palette = engine.palette();
    say(`Restored ${state.name} (${engine.bytesUsed().toLocaleString('en')} bytes) from this browser.`);
  } else {
    engine.openNew(300, 400, state.standard, false);
    state.palette = state.standard;
    say('New drawing, 300 × 400. Paint with a pen, a finger or the mouse.');
  }
  renderSwatches(state.palette);
  penFromControls();
  view.reset();
  refresh();
  document.documentElement.dataset.studio = 'ready';
}

start().catch((e) => say(`The studio could not start: ${e.message || e}`, true));
