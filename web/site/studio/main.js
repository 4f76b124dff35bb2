// Quillcast Studio: the page's glue. The engine (in its worker) records and
// draws; this file wires the controls, the keys, the files, the autosave
// and the messages.
import { startEngine } from './engine.js';
import { View } from './view.js';
import { PenInput } from './pen_input.js';
import { Swatches } from './swatches.js';
import { medianCut, toHex, fromHex } from './palette.js';
import { ask } from './dialogs.js';
import { destinations } from './exports.js';
import { fetchLatest, findBoard, postDrawing } from './board.js';
import { PostDialog } from './post-dialog.js';
import { MessageLine } from '../shared/message.js';
import { Shortcuts, releaseFocusAfterPointer } from '../shared/keys.js';
import { StrokeEnd } from '../shared/status.js';
import { zoomPercent } from '../shared/pixel-scale.js';
import { loadStudioDrawing, saveStudioDrawing } from '../shared/drawing-store.js';
import { watchDrops, watchFilePicker } from '../shared/inputs.js';

const $ = (id) => document.getElementById(id);
const root = document.documentElement;
const kBlockBytes = 451000;
const kDrawingName = 'drawing.qcd';
const kAmberShare = 0.8; // the meter turns amber, then red
const kRedShare = 0.95;
const kPressureMaxWidth = 1025;

const message = new MessageLine($('message'));
const state = {
  tool: 'brush',
  name: kDrawingName,
  exported: true, // the drawing as it stands is in a file the painter took away
  pressureChoice: 'auto', // how the drawing was made: 'auto', 'on' or 'off'
  penSeen: false, // a pen was used here: touch no longer paints
  spaceHeld: false,
  drawing: null, // what the engine said last: size, bytes, strokes left, undo, pressure
  standard: [],
  timings: {},
  density: 1000,
  boardName: null, // the board that serves the studio, when one does
  // What the Post dialog had typed in, the post this drawing continues
  // ({id, version, title}) and where the last post went; kept with the drawing.
  board: { title: '', artist: '', continuing: null, postedUrl: '' },
};
let engine;
let view;
let input;
let swatches;
let postDialog;

const plural = (n, one, many) => `${n.toLocaleString('en')} ${n === 1 ? one : many}`;

// --- the drawing's state -------------------------------------------------------

function showState(drawing) {
  if (!drawing) return;
  state.drawing = drawing;
  view.setSize(drawing.width, drawing.height);
  const used = drawing.bytesUsed;
  const share = used / kBlockBytes;
  $('budget').value = used;
  $('budget-text').textContent =
    `${used.toLocaleString('en')} of ${kBlockBytes.toLocaleString('en')} bytes used, ` +
    `${drawing.bytesFree.toLocaleString('en')} left · about ${plural(drawing.strokesLeft, 'stroke', 'strokes')} left`;
  root.dataset.budget = share >= kRedShare ? 'red' : share >= kAmberShare ? 'amber' : 'ok';
  root.dataset.bytes = String(used);
  root.dataset.strokesLeft = String(drawing.strokesLeft);
  $('undo').disabled = !drawing.canUndo;
  $('redo').disabled = !drawing.canRedo;
  showPressure(drawing);
}

function showPressure(drawing) {
  const pending = drawing.pressurePending && state.pressureChoice !== 'off';
  const status = drawing.pressure ? 'on' : pending ? 'pending' : 'off';
  root.dataset.pressure = status;
  $('pressure-state').textContent = { on: 'recorded', pending: 'with the first stroke', off: 'not recorded' }[status];
  let note;
  if (status === 'on') {
    note = 'Pressing harder paints larger. The brush level is the size of the lightest touch.';
  } else if (status === 'pending') {
    note =
      'Begin with the pen to record its pressure. A first stroke with a mouse or a finger turns it off for this drawing.';
  } else if (drawing.width > kPressureMaxWidth) {
    note = `Drawings wider than ${kPressureMaxWidth} pixels cannot record pressure.`;
  } else {
    note =
      'A drawing decides this once, with its first stroke. For pressure, start a New drawing and begin with the pen.';
  }
  $('pressure-note').textContent = note;
}

// Pen colour, mode, level and the rest, as the controls have them.
function settings() {
  return {
    mode: Number(document.querySelector('input[name=mode]:checked').value),
    level: Number($('level').value),
    colour: $('colour').value,
    second: $('second').value,
    third: $('third').value,
    density: state.density,
    curve: Number($('curve').value),
    smoothing: Number($('smoothing').value),
    tolerance: Math.max(0, Number($('tolerance').value) || 0),
    penOnly: $('pen-only').checked,
    penSeen: state.penSeen,
    pressureChoice: state.pressureChoice,
  };
}

function applySettings(kept) {
  if (!kept) return;
  const radio = document.querySelector(`input[name=mode][value="${kept.mode}"]`);
  if (radio) radio.checked = true;
  for (const id of ['level', 'colour', 'second', 'third', 'curve', 'smoothing', 'tolerance']) {
    if (kept[id] !== undefined) $(id).value = String(kept[id]);
  }
  if (kept.density) {
    state.density = kept.density;
    $('density').value = String(kept.density);
  }
  $('pen-only').checked = !!kept.penOnly;
  state.penSeen = !!kept.penSeen;
  if (kept.pressureChoice) state.pressureChoice = kept.pressureChoice;
}

// The density field while it is being typed in: a number it can take is
// used, anything else leaves the last one.
function readDensity() {
  const value = Math.round(Number($('density').value));
  if ($('density').value.trim() !== '' && value >= 1 && value <= 32767) state.density = value;
}

function penToEngine() {
  const s = settings();
  $('level-out').textContent = String(s.level);
  $('smoothing-out').textContent = String(s.smoothing);
  return engine.setPen({
    colour: fromHex(s.colour),
    second: fromHex(s.second),
    third: fromHex(s.third),
    mode: s.mode,
    level: s.level,
    density: s.density,
    smoothing: s.smoothing,
    tolerance: s.tolerance,
  });
}

function settingsChanged() {
  penToEngine();
  autosave();
}

// --- the autosave --------------------------------------------------------------

let saving = Promise.resolve();
let saveWanted = false;

// Keeps the drawing, its undo history and the settings in this browser;
// calls made while one is under way are served by one more after it.
function autosave() {
  saveWanted = true;
  saving = saving
    .then(async () => {
      if (!saveWanted) return;
      saveWanted = false;
      const kept = await engine.keep();
      await saveStudioDrawing({
        block: kept.bytes,
        history: kept.history,
        fresh: kept.fresh,
        name: state.name,
        exported: state.exported,
        settings: settings(),
        board: state.board,
      });
      root.dataset.saved = String(kept.bytesUsed);
    })
    .catch((error) => message.fail(`The drawing could not be kept in this browser: ${error.message || error}`));
  return saving;
}

// After anything that changed the drawing.
function changed(reply) {
  showState(reply.state);
  view.put(reply.pixels);
  state.exported = false;
  message.succeeded();
  return autosave();
}

// --- painting ------------------------------------------------------------------

function strokeEnded(reply) {
  const before = state.drawing;
  if (reply.result === StrokeEnd.Refused) {
    showState(reply.state);
    message.fail(
      `That stroke does not fit in what is left of the drawing (${reply.state.bytesFree.toLocaleString('en')} bytes); it was not recorded.`,
    );
    return;
  }
  if (reply.result !== StrokeEnd.Kept) {
    showState(reply.state);
    return;
  }
  changed(reply);
  if (before && before.pressurePending && !reply.state.pressure && state.pressureChoice === 'auto') {
    message.say(
      'This drawing records no pen pressure: its first stroke came from a mouse or a finger. For pressure, start a New drawing and begin with the pen.',
    );
  }
}

// The pointer went down to paint: a field being typed in lets go of the
// keys, so that the shortcuts work again.
function beforeStroke() {
  const active = document.activeElement;
  if (active && active !== document.body && active.closest('.tools, .bar')) active.blur();
  closeDrawers();
}

async function pick(x, y) {
  if (x < 0 || y < 0 || x >= view.width || y >= view.height) return;
  $('colour').value = toHex(await engine.colourAt(x, y));
  selectTool('brush');
  settingsChanged();
  message.say(`Pen colour ${$('colour').value} from (${x}, ${y}).`);
}

function selectTool(tool) {
  state.tool = tool;
  root.dataset.tool = tool;
  $('tool-brush').setAttribute('aria-pressed', String(tool === 'brush'));
  $('tool-picker').setAttribute('aria-pressed', String(tool === 'picker'));
  view.canvas.classList.toggle('picker', tool === 'picker');
}

function setMode(mode) {
  document.querySelector(`input[name=mode][value="${mode}"]`).checked = true;
  settingsChanged();
}

function stepLevel(step) {
  $('level').value = String(Math.max(0, Math.min(4, Number($('level').value) + step)));
  settingsChanged();
}

async function fill() {
  await penToEngine();
  const reply = await engine.fill();
  if (!reply.ok) {
    message.fail('A fill does not fit in what is left of the drawing.');
    return;
  }
  changed(reply);
}

async function undo() {
  if (!input.idle()) return;
  const started = performance.now();
  const reply = await engine.undo();
  if (!reply.ok) return;
  changed(reply);
  state.timings.undo = performance.now() - started; // to the pixels on the page
  state.timings.undoEngine = reply.ms;
}

async function redo() {
  if (!input.idle()) return;
  const reply = await engine.redo();
  if (reply.ok) changed(reply);
}

// --- files ---------------------------------------------------------------------

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

const studio = {
  get engine() {
    return engine;
  },
  download,
  fileName: (extension) => state.name.replace(/\.qcd$/i, '') + extension,
  saved: () => autosave(),
  post: () => postToBoard(),
};

function showDestinations() {
  $('destinations').replaceChildren(
    ...destinations
      .filter((d) => !d.needsBoard || state.boardName !== null)
      .map((d) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.id = d.id;
        button.textContent = d.label;
        button.title = d.title;
        button.addEventListener('click', () => sendTo(d));
        return button;
      }),
  );
}

async function sendTo(destination) {
  closeDrawers();
  try {
    const said = await destination.run(studio);
    if (said === null) return;
    if (destination.keeps) {
      state.exported = true;
      autosave();
    }
    message.say(said);
  } catch (error) {
    message.fail(error.message || String(error));
  }
}

// Whether the painter agrees to put the open drawing aside; asked only when
// what was painted is not in a file yet.
function mayReplace(title, what, yes) {
  if (state.exported) return Promise.resolve(true);
  return ask($('ask-dialog'), {
    title,
    text: `What you painted since you last saved a file is kept only in this browser, and ${what} replaces it.`,
    yes,
    no: 'Keep painting',
  });
}

// A drawing, a script or a player from the picker or dropped: {name, blob}.
// True once it is open.
async function openFile(file) {
  closeDrawers();
  const bytes = new Uint8Array(await file.blob.arrayBuffer());
  const check = await engine.checkFile(bytes, file.name);
  if (!check.ok) {
    message.fail(check.error);
    return false;
  }
  if (!(await mayReplace(`Open ${file.name}?`, `opening ${file.name}`, `Open ${file.name}`))) return false;
  const started = performance.now();
  const reply = await engine.openFile(bytes, file.name);
  if (!reply.ok) {
    showState(reply.state);
    view.put(reply.pixels);
    message.fail(reply.error);
    return false;
  }
  state.timings.open = performance.now() - started;
  state.name = file.name.replace(/\.(qcs|exe)$/i, '.qcd');
  state.pressureChoice = 'auto';
  state.board.continuing = null;
  opened(reply);
  state.exported = true;
  message.say(
    `${file.name}: ${reply.state.width} × ${reply.state.height}, ${reply.state.bytesUsed.toLocaleString('en')} bytes; new strokes go after its last record.`,
  );
  await autosave();
  return true;
}

// --- the board -------------------------------------------------------------------

function showPosted() {
  const url = state.board.postedUrl;
  $('posted-link').hidden = !url || state.boardName === null;
  if (url) $('posted-link').href = url;
}

// The Post dialog, and the post made from it; null when cancelled.
function postToBoard() {
  return postDialog.open({
    boardName: state.boardName,
    kept: state.board,
    continuing: state.board.continuing,
    send: async (fields) => {
      const bytes = await engine.block();
      const posted = await postDrawing({ bytes, fileName: studio.fileName('.qcd'), ...fields });
      // Only a post with a password can be continued.
      state.board.continuing = fields.password ? { id: posted.id, version: posted.version, title: fields.title } : null;
      state.board.postedUrl = new URL(posted.url, location.origin).href;
      showPosted();
      const version = posted.version > 1 ? ` as version ${posted.version}` : '';
      return `Posted “${fields.title}”${version}: ${state.board.postedUrl}`;
    },
  });
}

// #continue=<post id>: the post's latest drawing opened to paint on; Post
// then offers its next version.
async function continueFromLink() {
  const id = new URLSearchParams(location.hash.slice(1)).get('continue');
  if (!id) return;
  message.say(`Opening post ${id} from the board…`);
  let latest;
  try {
    latest = await fetchLatest(id);
  } catch (error) {
    message.fail(error.message);
    return;
  }
  const { post } = latest;
  const title = String(post.title || id);
  const name = `${
    title
      .replace(/[^\p{L}\p{N}_-]+/gu, '-')
      .replace(/^-+|-+$/g, '')
      .slice(0, 60) || 'drawing'
  }.qcd`;
  const done = await openFile({ name, blob: new Blob([latest.bytes]) });
  // Answered either way: a reload does not ask again.
  history.replaceState(null, '', location.pathname + location.search);
  if (!done) return;
  state.board.title = title;
  state.board.artist = String(post.artist || state.board.artist);
  state.board.continuing = { id: String(post.id || id), version: Number(post.latest) || 1, title };
  message.say(
    `Continuing “${title}” (version ${state.board.continuing.version}). Paint on, then Post to board with the post's password.`,
  );
  await autosave();
}

async function joinBoard() {
  const board = await findBoard();
  if (board) {
    state.boardName = board.name;
    root.dataset.board = 'yes';
    showDestinations();
    showPosted();
  }
  await continueFromLink();
}

// A drawing was opened, made or restored.
function opened(reply) {
  input.abandon();
  view.canvas.width = 0; // fitted to the view again
  showState(reply.state);
  view.put(reply.pixels);
  swatches.show(reply.palette);
}

// --- the New dialog --------------------------------------------------------------

function setUpNewDialog() {
  const dialog = $('new-dialog');
  let editing = [];
  let slot = -1;
  const grid = $('palette-edit');
  const draw = () => {
    grid.replaceChildren(
      ...editing.map((c, i) => {
        const b = document.createElement('button');
        b.type = 'button';
        b.style.background = toHex(c);
        b.setAttribute('aria-label', `Slot ${i}, ${toHex(c)}: change`);
        b.addEventListener('click', () => {
          slot = i;
          $('slot-colour').value = toHex(editing[i]);
          $('slot-colour').click();
        });
        return b;
      }),
    );
  };
  $('slot-colour').addEventListener('input', () => {
    if (slot < 0) return;
    editing[slot] = fromHex($('slot-colour').value);
    grid.children[slot].style.background = $('slot-colour').value;
    grid.children[slot].setAttribute('aria-label', `Slot ${slot}, ${$('slot-colour').value}: change`);
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
    } catch {
      message.fail(`${file.name}: not a picture the browser can read`);
    }
  });
  for (const r of document.querySelectorAll('input[name=palette-kind]')) {
    r.addEventListener('change', () => {
      if (r.checked && r.value === 'standard') {
        editing = [...state.standard];
        draw();
      }
    });
  }
  $('new').addEventListener('click', () => {
    closeDrawers();
    // Each new drawing starts from the standard palette: edits made for an
    // earlier one do not carry over.
    editing = [...state.standard];
    slot = -1;
    document.querySelector('input[name=palette-kind][value=standard]').checked = true;
    $('palette-picture').value = '';
    draw();
    dialog.showModal();
  });
  dialog.addEventListener('close', async () => {
    if (dialog.returnValue !== 'create') return;
    const w = Math.round(Number($('new-width').value));
    const h = Math.round(Number($('new-height').value));
    if (!(w >= 1 && w <= 4096 && h >= 1 && h <= 4096)) {
      message.fail('A canvas is 1 to 4096 pixels each way.');
      return;
    }
    const palette = [...editing];
    if (!(await mayReplace('Start a new drawing?', 'a new drawing', 'Start a new drawing'))) return;
    newDrawing(w, h, palette, $('new-pressure').value);
  });
}

async function newDrawing(w, h, palette, pressureChoice) {
  const reply = await engine.openNew(w, h, palette, pressureChoice === 'on');
  if (!reply.ok) {
    message.fail(reply.error);
    return;
  }
  state.pressureChoice = pressureChoice;
  state.name = kDrawingName;
  state.board.continuing = null;
  opened(reply);
  state.exported = true;
  const narrow =
    pressureChoice !== 'off' && w > kPressureMaxWidth
      ? ' Pen pressure is not recorded on canvases over 1025 pixels wide.'
      : '';
  message.say(`New drawing, ${w} × ${h}.${narrow}`);
  autosave();
}

// --- the phone's drawers ---------------------------------------------------------------

function setDrawer(id, toggle, open) {
  $(id).classList.toggle('open', open);
  $(toggle).setAttribute('aria-expanded', String(open));
  $('drawer-shade').hidden = !$('tools').classList.contains('open');
}

function closeDrawers() {
  setDrawer('tools', 'tools-toggle', false);
  setDrawer('file-menu', 'file-toggle', false);
}

// --- keys ------------------------------------------------------------------------

const shortcuts = new Shortcuts([
  { keys: ['b'], label: 'B', what: 'Blend', run: () => setMode(1) },
  { keys: ['d'], label: 'D', what: 'Darken', run: () => setMode(2) },
  { keys: ['s'], label: 'S', what: 'Smudge', run: () => setMode(3) },
  { keys: ['k'], label: 'K', what: 'Speckle (with the second and third colours)', run: () => setMode(4) },
  { keys: ['['], label: '[', what: 'Smaller brush', run: () => stepLevel(-1) },
  { keys: [']'], label: ']', what: 'Larger brush', run: () => stepLevel(1) },
  { keys: ['p'], label: 'P', what: 'Brush', run: () => selectTool('brush') },
  {
    keys: ['i'],
    label: 'I',
    what: 'Eyedropper: the next click takes its colour',
    run: () => selectTool(state.tool === 'picker' ? 'brush' : 'picker'),
  },
  { keys: ['f'], label: 'F', what: 'Fill the canvas with the pen colour', run: fill },
  { keys: ['z'], ctrl: true, shift: false, label: 'Ctrl+Z', what: 'Undo', run: undo },
  { keys: ['z'], ctrl: true, shift: true, label: 'Ctrl+Shift+Z or Ctrl+Y', what: 'Redo', run: redo },
  { keys: ['y'], ctrl: true, what: 'Redo', run: redo },
  {
    keys: ['s'],
    ctrl: true,
    everywhere: true,
    label: 'Ctrl+S',
    what: 'Save the drawing (.qcd)',
    run: () => sendTo(destinations[0]),
  },
  { keys: ['o'], label: 'O', what: 'Open a drawing, a script or a player', run: () => $('open').click() },
  { keys: ['+', '='], label: '+', what: 'Zoom in', run: () => view.zoom.step(1) },
  { keys: ['-'], label: '-', what: 'Zoom out', run: () => view.zoom.step(-1) },
  { keys: ['0'], label: '0', what: 'Fit the drawing to the view', run: () => view.zoom.fit() },
  { keys: [' '], label: 'Space', what: 'Hold and drag to pan', run: () => holdSpace(true) },
  { keys: ['Escape'], what: 'Close the drawers', run: closeDrawers },
  { keys: ['?'], label: '?', what: 'These keys', run: () => $('help').showModal() },
]);

function holdSpace(held) {
  state.spaceHeld = held;
  root.classList.toggle('space', held);
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
    if (i) g.lineTo(i, y);
    else g.moveTo(i, y);
  }
  g.stroke();
  $('curve-out').textContent = gamma.toFixed(1);
}

// --- start -------------------------------------------------------------------------

function wireControls() {
  for (const id of ['colour', 'second', 'third', 'smoothing', 'tolerance', 'level', 'pen-only']) {
    $(id).addEventListener('input', settingsChanged);
  }
  $('density').addEventListener('input', () => {
    readDensity();
    settingsChanged();
  });
  $('density').addEventListener('change', () => ($('density').value = String(state.density)));
  for (const r of document.querySelectorAll('input[name=mode]')) r.addEventListener('change', settingsChanged);
  $('curve').addEventListener('input', () => {
    drawCurve();
    autosave();
  });
  $('zoom-in').addEventListener('click', () => view.zoom.step(1));
  $('zoom-out').addEventListener('click', () => view.zoom.step(-1));
  $('zoom-fit').addEventListener('click', () => view.zoom.fit());
  $('tool-brush').addEventListener('click', () => selectTool('brush'));
  $('tool-picker').addEventListener('click', () => selectTool('picker'));
  $('fill').addEventListener('click', fill);
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);
  $('keys').addEventListener('click', () => $('help').showModal());
  watchFilePicker($('open'), openFile);
  watchDrops(document.body, $('scroller'), openFile);
  $('tools-toggle').addEventListener('click', () =>
    setDrawer('tools', 'tools-toggle', !$('tools').classList.contains('open')),
  );
  $('tools-close').addEventListener('click', closeDrawers);
  $('drawer-shade').addEventListener('click', closeDrawers);
  $('file-toggle').addEventListener('click', () =>
    setDrawer('file-menu', 'file-toggle', !$('file-menu').classList.contains('open')),
  );
  document.addEventListener('keydown', (e) => shortcuts.handle(e));
  document.addEventListener('keyup', (e) => {
    if (e.key === ' ') holdSpace(false);
  });
  window.addEventListener('blur', () => holdSpace(false));
  window.addEventListener('beforeunload', (e) => {
    if (!input.idle()) e.preventDefault();
  });
  releaseFocusAfterPointer();
}

// The drawing kept in this browser, with its history, or a new one.
async function restore() {
  const kept = await loadStudioDrawing().catch(() => null);
  applySettings(kept && kept.settings);
  if (kept && kept.board) state.board = { ...state.board, ...kept.board };
  if (kept && kept.block) {
    const reply = await engine.restore(kept);
    if (reply.ok) {
      state.name = kept.name || kDrawingName;
      state.exported = kept.exported !== false;
      opened(reply);
      message.say(`Restored ${state.name} (${reply.state.bytesUsed.toLocaleString('en')} bytes) from this browser.`);
      return;
    }
  }
  const reply = await engine.openNew(300, 400, state.standard, false);
  state.pressureChoice = 'auto';
  opened(reply);
  message.say('New drawing, 300 × 400. Paint with a pen, a finger or the mouse.');
  autosave();
}

async function start() {
  engine = await startEngine();
  state.standard = engine.standard;
  view = new View($('canvas'), $('scroller'), $('brush-cursor'), (zoom) => {
    $('zoom-level').value = `${zoomPercent(zoom)}%`;
    root.dataset.zoom = String(zoom);
  });
  swatches = new Swatches($('swatches'), (colour) => {
    $('colour').value = toHex(colour);
    settingsChanged();
  });
  input = new PenInput(engine, view, {
    tool: () => state.tool,
    penOnly: () => $('pen-only').checked,
    penSeen: () => state.penSeen,
    sawPen: () => {
      if (state.penSeen) return;
      state.penSeen = true;
      autosave();
    },
    pressureAllowed: () => state.pressureChoice !== 'off',
    curve: () => Number($('curve').value),
    level: () => Number($('level').value),
    spaceHeld: () => state.spaceHeld,
    beforeStroke,
    onPick: pick,
    onStrokeEnd: strokeEnded,
    onWarn: (over) => {
      if (over) message.fail('This stroke no longer fits in what is left of the drawing.');
    },
  });
  window.studio = { engine, view, input, state, message };

  wireControls();
  showDestinations();
  setUpNewDialog();
  postDialog = new PostDialog($('post-dialog'), ({ title, artist }) => {
    state.board.title = title;
    state.board.artist = artist;
    autosave();
  });
  window.addEventListener('hashchange', continueFromLink);
  shortcuts.fillHelp($('help-keys'));
  selectTool('brush');
  await restore();
  drawCurve();
  readDensity();
  await penToEngine();
  root.dataset.studio = 'ready';
  await joinBoard();
}

start().catch((e) => message.fail(`The studio could not start: ${e.message || e}`));
