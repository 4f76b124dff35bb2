// The player view: opens a drawing, a script or a player, and replays its
// show on the page at the chosen pace, from changes that the engine works
// out ahead in its worker. The show's state is on the document element:
// data-show="empty", "opening", "playing", "paused" or "ended".
//
// Two pages use it: the whole player (index.html) and the replay alone for a
// frame on another page (player/index.html, #embed=1), which has no file
// picker, samples or time-lapse, and shows the picture at 1x where it fits.
import { Engine } from '../shared/engine-client.js';
import { ShowTimeline } from '../shared/show-timeline.js';
import { fetchInput, readDeepLink, watchDrops, watchFilePicker } from '../shared/inputs.js';
import { MessageLine } from '../shared/message.js';
import { cssZoom, zoomPercent } from '../shared/pixel-scale.js';
import { ZoomView } from '../shared/zoom-view.js';
import { Shortcuts, releaseFocusAfterPointer } from '../shared/keys.js';
import { ShowStatus } from '../shared/status.js';
import { TimelapseExport } from './timelapse-export.js';

const kFps = 60; // changes a second of the show's clock, at most
const kHoldSeconds = 3; // the finished picture before the closing splash
const kLoopHoldMs = 2000; // the finished picture before a loop starts again
const kSeekSeconds = 5; // the arrow keys' step
const kSpeeds = [1, 2, 4, 8, 16, 32, 64];
const kZooms = [1, 2, 3, 4, 6, 8]; // the zoom menu's steps, in CSS pixels a picture pixel

const ui = Object.fromEntries(
  [
    'player',
    'player-view',
    'stage',
    'file',
    'samples',
    'play',
    'restart',
    'end',
    'speed',
    'progress',
    'time',
    'splash',
    'loop',
    'zoom',
    'fullscreen',
    'keys',
    'help',
    'help-keys',
    'now',
    'message',
  ].map((id) => [id.replace(/-(\w)/g, (_, c) => c.toUpperCase()), document.getElementById(id)]),
);
const message = new MessageLine(ui.message);

// The replay alone: the embedding page, or the whole player asked with #embed=1.
const embedPage = document.documentElement.dataset.embed === '1';
const embedded = embedPage || readDeepLink().embed;
if (embedded) document.documentElement.dataset.embed = '1';

// Figures for the benchmark and the tests: milliseconds from the page's start.
const stats = { firstFrameAt: null, endedAt: null, finishMs: null, recordMs: null };
window.quillcastStats = stats;

let current = null; // the show on screen
let openCount = 0; // numbers the opens: a later one wins over an earlier one
let position = 0; // seconds of the show's clock on screen
let playing = false;
let speed = 1;
let jumping = false; // End: going to the end once, then staying there
let seekingTo = null; // a moment asked for that the changes do not reach yet
let endedAt = null; // when the show last reached its end, for the loop
let lastNow = null;
let workMillions = 0; // the work bound of the deep link; 0: the renderer's
let spare = new Engine(); // started ahead, so that its module loads while a drawing is fetched

// In a frame the wheel and a finger scroll the page round it, as they would
// over a picture; Ctrl with the wheel still zooms.
const view = new ZoomView(ui.player, ui.stage, {
  wheelZooms: !embedded,
  onePointerPans: !embedded,
  onChange: showZoom,
  // A frame on another page shows the picture at its own size, as the player
  // window does, and smaller only where it does not fit.
  fitsAtMost: embedded ? () => cssZoom(1) : null,
});

// --- opening -------------------------------------------------------------

// A new show replaces the current one only once it has a picture to show;
// until then, and if it is refused, the current one plays on.
async function openInput(input, { sample = '' } = {}) {
  const count = ++openCount;
  const engine = spare;
  spare = new Engine();
  const show = {
    count,
    name: input.name,
    input,
    sample,
    engine,
    timeline: new ShowTimeline(),
    final: null,
    finalSeconds: 0,
    splashes: ui.splash.checked,
    recording: null,
    adopted: false,
    dropped: false,
    showingFinal: false,
  };
  if (!current) document.documentElement.dataset.show = 'opening';
  try {
    show.opened = await engine.open(input.name, input.blob, workMillions);
  } catch (error) {
    engine.terminate();
    refuse(error.message);
    return;
  }
  if (jumping) finishShow(show);
  else recordShow(show);
}

function refuse(text) {
  message.fail(text);
  if (!current) document.documentElement.dataset.show = 'empty';
}

function adopt(show) {
  if (show.adopted) return;
  if (current && current.count > show.count) {
    // A later drawing got its picture first: this one is not wanted any more.
    show.dropped = true;
    show.engine.terminate();
    return;
  }
  if (current) current.engine.terminate();
  show.adopted = true;
  current = show;
  seekingTo = null;
  // A show plays from its start once it is there (the one before may have
  // ended meanwhile, and stopped playing).
  playing = true;
  position = 0;
  lastNow = null;
  endedAt = null;
  ui.player.getContext('2d').clearRect(0, 0, ui.player.width, ui.player.height);
  message.say(show.opened.isPlayer ? `${show.name}: a player, intact` : show.name);
  ui.now.value = show.name;
  if (ui.samples) ui.samples.value = show.sample;
  document.title = `${show.name} · Quillcast player`;
}

// A run the engine ended: refused or failed shows go, stopped ones say where.
function settle(show, result) {
  if (show.dropped) return false;
  if (result.status === ShowStatus.Corrupted || result.status === ShowStatus.NotRun) {
    const text = `${show.name}: ${result.message || 'the show could not be played'}`;
    if (!show.adopted) {
      show.engine.terminate();
      refuse(text);
    } else {
      message.fail(text);
    }
    return false;
  }
  if (result.status === ShowStatus.Stopped) {
    adopt(show);
    message.fail(`${show.name}: ${result.message}`);
  }
  return true;
}

function failed(show, error) {
  if (!show.adopted && !show.dropped) refuse(`${show.name}: ${error.message}`);
}

function recordShow(show) {
  if (show.recording) return;
  show.recording = show.engine.record(
    { fps: kFps, splashes: show.splashes, holdSeconds: show.splashes ? kHoldSeconds : 0 },
    (changes) => {
      show.timeline.add(changes);
      adopt(show);
    },
  );
  show.recording.then(
    (result) => {
      if (!settle(show, result)) return;
      stats.recordMs = result.ms;
      show.timeline.finishAt(result.seconds);
      adopt(show);
    },
    (error) => failed(show, error),
  );
}

// To the end at once, as the renderer plays it: one picture.
function finishShow(show) {
  show.engine
    .finish((changes) => {
      show.final = changes[changes.length - 1];
    })
    .then(
      (result) => {
        if (!settle(show, result) || !show.final) return;
        stats.finishMs = result.ms;
        show.finalSeconds = result.seconds;
        adopt(show);
        if (jumping && !show.timeline.complete) drawFinal(show);
      },
      (error) => failed(show, error),
    );
}

async function openUrl(url, sample = '') {
  try {
    await openInput(await fetchInput(url), { sample });
  } catch (error) {
    refuse(error.message);
  }
}

// The drawing the studio keeps in this browser, under its own name.
async function openFromStudio() {
  let kept;
  try {
    // Only this link needs the store: it loads when asked for.
    const { loadStudioDrawing } = await import('../shared/drawing-store.js');
    kept = await loadStudioDrawing();
  } catch (error) {
    refuse(`The studio's drawing could not be read from this browser: ${error.message || error}`);
    return;
  }
  if (!kept || !kept.block) {
    refuse('The studio has no drawing in this browser. Paint one in the Studio, then press Watch.');
    return;
  }
  openInput({ name: kept.name || 'drawing.qcd', blob: new Blob([kept.block]) });
}

// --- pacing --------------------------------------------------------------

function showLength(show) {
  if (show.timeline.complete) return show.timeline.seconds;
  return show.final ? show.finalSeconds : null;
}

// The finished window, played to its end without a recording.
function drawFinal(show) {
  const c = show.final;
  const canvas = ui.player;
  if (canvas.width !== c.pictureWidth || canvas.height !== c.pictureHeight) {
    canvas.width = c.pictureWidth;
    canvas.height = c.pictureHeight;
    view.refresh();
  }
  const pixels = new Uint8ClampedArray(c.rgba.buffer, c.rgba.byteOffset, c.rgba.length);
  canvas.getContext('2d').putImageData(new ImageData(pixels, c.width, c.height), c.x, c.y);
  show.showingFinal = true;
  show.timeline.rewind();
  position = show.finalSeconds;
  jumping = false;
  playing = false;
}

function frame(now) {
  requestAnimationFrame(frame);
  const elapsed = lastNow === null ? 0 : (now - lastNow) / 1000;
  lastNow = now;
  const show = current;
  if (!show) return;
  const timeline = show.timeline;
  let ended;
  if (show.showingFinal) {
    ended = true;
  } else {
    if (jumping) position = timeline.available();
    else if (seekingTo !== null) {
      position = Math.min(seekingTo, timeline.available());
      if (timeline.complete || timeline.available() >= seekingTo) seekingTo = null;
    } else if (playing) position = Math.min(position + elapsed * speed, timeline.available());
    timeline.showUpTo(ui.player, position);
    ended = timeline.complete && position >= timeline.seconds && timeline.isShownTo(position);
    if (ended && jumping) {
      jumping = false;
      playing = false;
    }
  }
  if (stats.firstFrameAt === null && ui.player.width > 0) stats.firstFrameAt = performance.now();
  if (ended && playing) loopOrStop(now);
  const state = ended ? 'ended' : playing || jumping ? 'playing' : 'paused';
  if (document.documentElement.dataset.show !== state) {
    document.documentElement.dataset.show = state;
    if (state === 'ended') stats.endedAt = performance.now();
  }
  showControls(show, ended);
}

// At the end of a show that was playing: again from the start after a
// moment, with Loop; otherwise it stays on the finished picture.
function loopOrStop(now) {
  if (!ui.loop.checked) {
    playing = false;
    return;
  }
  if (endedAt === null) endedAt = now;
  if (now - endedAt >= kLoopHoldMs) {
    endedAt = null;
    seek(0);
  }
}

function clock(seconds) {
  const minutes = Math.floor(seconds / 60);
  return `${minutes}:${(seconds - minutes * 60).toFixed(1).padStart(4, '0')}`;
}

function showControls(show, ended) {
  const length = showLength(show);
  const reach = length === null ? show.timeline.available() : length;
  ui.progress.max = String(reach);
  ui.progress.value = String(position);
  const text = `${clock(position)} / ${length === null ? clock(reach) + '…' : clock(length)}`;
  if (ui.time.value !== text) ui.time.value = text;
  const label = playing && !ended ? 'Pause' : 'Play';
  if (ui.play.textContent !== label) ui.play.textContent = label;
}

// --- controls ------------------------------------------------------------

// A speed from 1x to 64x; one between the listed ones gets its own entry.
function setSpeed(value) {
  speed = Math.min(kSpeeds[kSpeeds.length - 1], Math.max(kSpeeds[0], Number(value) || 1));
  if (![...ui.speed.options].some((o) => o.value === String(speed))) {
    const next = [...ui.speed.options].find((o) => Number(o.value) > speed);
    ui.speed.add(new Option(`${speed}x`, String(speed)), next);
  }
  ui.speed.value = String(speed);
}

function seek(seconds) {
  if (!current) return;
  jumping = false;
  if (current.showingFinal) {
    current.showingFinal = false;
    current.timeline.rewind();
  }
  recordShow(current);
  // Where the changes do not reach yet (the show went straight to its end,
  // or is still being worked out), the page goes there as they come.
  seekingTo = Math.max(0, seconds);
  position = Math.min(seekingTo, current.timeline.available());
  endedAt = null;
}

function restart() {
  if (!current) return;
  seek(0);
  playing = true;
}

// Once to the end: the finished picture, then the show stays there.
function toEnd() {
  if (!current) return;
  if (current.showingFinal) return;
  jumping = true;
  seekingTo = null;
  endedAt = null;
}

function togglePlay() {
  if (!current) return;
  if (document.documentElement.dataset.show === 'ended') {
    restart();
    return;
  }
  playing = !playing;
}

function stepSpeed(step) {
  const at = kSpeeds.indexOf(speed);
  const index = at >= 0 ? at + step : kSpeeds.findIndex((s) => s > speed) - (step > 0 ? 0 : 1);
  setSpeed(String(kSpeeds[Math.max(0, Math.min(kSpeeds.length - 1, index))]));
}

// --- zoom ----------------------------------------------------------------

function fillZoomMenu() {
  ui.zoom.replaceChildren(new Option('Fit', 'fit'), ...kZooms.map((n) => new Option(`${n}x`, String(cssZoom(n)))));
}

// The zoom menu follows the view: Fit, one of its steps, or the zoom of the
// moment (the wheel's, a pinch's) as a percentage.
function showZoom(zoom) {
  let value = view.fitted ? 'fit' : String(zoom);
  if (![...ui.zoom.options].some((o) => o.value === value)) {
    fillZoomMenu();
    ui.zoom.add(new Option(`${zoomPercent(zoom)}%`, value));
  }
  ui.zoom.value = value;
  const fitted = view.fitted ? ` (${zoomPercent(zoom)}%)` : '';
  ui.zoom.options[0].textContent = `Fit${fitted}`;
  document.documentElement.dataset.zoom = String(zoom);
}

function chooseZoom() {
  if (ui.zoom.value === 'fit') view.fit();
  else view.setZoom(Number(ui.zoom.value));
}

function toggleFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else if (ui.playerView.requestFullscreen) {
    ui.playerView.requestFullscreen().catch((error) => message.fail(`Full screen is not available: ${error.message}`));
  }
}

// --- keys ----------------------------------------------------------------

const shortcuts = new Shortcuts([
  { keys: [' '], label: 'Space', what: 'Play or pause', run: togglePlay },
  { keys: ['Home'], label: 'Home', what: 'Restart from the beginning', run: restart },
  { keys: ['End'], label: 'End', what: 'Go to the end', run: toEnd },
  { keys: ['ArrowLeft'], label: '←', what: `Back ${kSeekSeconds} seconds`, run: () => seek(position - kSeekSeconds) },
  { keys: ['ArrowRight'], label: '→', what: `On ${kSeekSeconds} seconds`, run: () => seek(position + kSeekSeconds) },
  { keys: ['ArrowUp'], label: '↑', what: 'Faster', run: () => stepSpeed(1) },
  { keys: ['ArrowDown'], label: '↓', what: 'Slower', run: () => stepSpeed(-1) },
  { keys: ['+', '='], label: '+', what: 'Zoom in', run: () => view.step(1) },
  { keys: ['-'], label: '-', what: 'Zoom out', run: () => view.step(-1) },
  { keys: ['0'], label: '0', what: 'Fit the window', run: () => view.fit() },
  { keys: ['f'], label: 'F', what: 'Full screen', run: toggleFullscreen },
  { keys: ['l'], label: 'L', what: 'Loop on or off', run: () => (ui.loop.checked = !ui.loop.checked) },
  ...(ui.file ? [{ keys: ['o'], label: 'O', what: 'Open a drawing', run: () => ui.file.click() }] : []),
  { keys: ['?'], label: '?', what: 'These keys', run: () => ui.help.showModal() },
]);

// --- start ---------------------------------------------------------------

async function listSamples() {
  if (!ui.samples) return;
  try {
    const response = await fetch('samples/index.json');
    for (const name of await response.json()) {
      ui.samples.append(new Option(name.replace(/\.[^.]*$/, ''), `samples/${name}`));
    }
    if (current) ui.samples.value = current.sample;
  } catch {
    ui.samples.disabled = true;
  }
}

function followDeepLink() {
  const link = readDeepLink();
  if (embedPage && !link.embed) {
    // This page is the replay alone; any other link is the whole player's.
    location.replace(new URL(`../index.html${location.hash}`, location.href));
    return;
  }
  if (link.speed === 'end') jumping = true;
  else if (link.speed) setSpeed(link.speed);
  ui.splash.checked = link.splash;
  ui.loop.checked = link.loop;
  workMillions = link.work;
  if (link.drawing) {
    openUrl(link.drawing, link.drawing.startsWith('samples/') ? link.drawing : '');
  } else if (link.fromStudio) {
    openFromStudio();
  } else if (embedPage) {
    refuse('No drawing named: link to this page as #embed=1&drawing=URL.');
  }
}

function start() {
  fillZoomMenu();
  showZoom(view.zoom);
  ui.zoom.addEventListener('change', chooseZoom);
  ui.player.addEventListener('resized', () => view.refresh());
  window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => view.refresh());

  if (ui.file) {
    watchFilePicker(ui.file, openInput);
    watchDrops(document.body, ui.stage, openInput);
  }
  ui.samples?.addEventListener('change', () => {
    if (!ui.samples.value) return;
    openUrl(ui.samples.value, ui.samples.value);
  });
  ui.play.addEventListener('click', togglePlay);
  ui.restart.addEventListener('click', restart);
  ui.end.addEventListener('click', toEnd);
  ui.speed.addEventListener('change', () => setSpeed(ui.speed.value));
  ui.progress.addEventListener('input', () => seek(Number(ui.progress.value)));
  ui.splash.addEventListener('change', () => {
    // The show again from its start, with or without the splashes, playing.
    if (!current) return;
    jumping = false;
    openInput(current.input, { sample: current.sample });
  });
  ui.fullscreen.addEventListener('click', toggleFullscreen);
  document.addEventListener('fullscreenchange', () => {
    ui.fullscreen.setAttribute('aria-pressed', String(!!document.fullscreenElement));
  });
  shortcuts.fillHelp(ui.helpKeys);
  ui.keys.addEventListener('click', () => ui.help.showModal());
  document.addEventListener('keydown', (event) => shortcuts.handle(event));
  releaseFocusAfterPointer();
  window.addEventListener('hashchange', followDeepLink);

  const timelapse = document.getElementById('timelapse');
  if (timelapse && !embedded) new TimelapseExport(timelapse, () => current);

  listSamples();
  followDeepLink();
  requestAnimationFrame(frame);
}

start();
