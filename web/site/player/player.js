// The player view: opens a drawing, a script or a player, and replays its
// show on the page at the chosen pace, from changes that the engine works
// out ahead in its worker. The show's state is on the document element:
// data-show="empty", "opening", "playing", "paused" or "ended".
import { Engine, ShowStatus } from '../shared/engine-client.js';
import { ShowTimeline } from '../shared/show-timeline.js';
import { fetchInput, readDeepLink, watchDrops, watchFilePicker } from '../shared/inputs.js';
import { defaultZoom, showScaled } from '../shared/pixel-scale.js';
import { TimelapseExport } from './timelapse-export.js';

const kFps = 60;              // changes a second of the show's clock, at most
const kHoldSeconds = 3;       // the finished picture before the closing splash
const kSeekSeconds = 5;       // the arrow keys' step
const kSpeeds = [1, 2, 4, 8, 16, 32, 64];

const ui = Object.fromEntries(
  ['player', 'stage', 'file', 'samples', 'play', 'restart', 'speed', 'progress', 'time', 'splash', 'zoom', 'message']
    .map((id) => [id, document.getElementById(id)]));

// Figures for the benchmark: milliseconds from the page's start.
const stats = { firstFrameAt: null, endedAt: null, finishMs: null, recordMs: null };
window.quillcastStats = stats;

let current = null;     // the show on screen
let openCount = 0;      // numbers the opens: a later one wins over an earlier one
let position = 0;       // seconds of the show's clock on screen
let playing = false;
let speed = 1;
let toEnd = false;
let lastNow = null;
let workMillions = 0;   // the work bound of the deep link; 0: the renderer's
let spare = new Engine(); // started ahead, so that its module loads while a drawing is fetched

function say(text, isError = false) {
  ui.message.textContent = text;
  ui.message.classList.toggle('error', isError);
}

function oneLine(text) {
  return String(text).split(/\r?\n/).map((s) => s.trim()).filter(Boolean).join(' ');
}

// --- opening -------------------------------------------------------------

// A new show replaces the current one only once it has a picture to show;
// until then, and if it is refused, the current one plays on.
async function openInput(input) {
  const count = ++openCount;
  const engine = spare;
  spare = new Engine();
  const show = {
    count, name: input.name, input, engine, timeline: new ShowTimeline(), final: null, finalSeconds: 0,
    splashes: ui.splash.checked, recording: null, adopted: false, dropped: false, finishedPicture: false,
  };
  if (!current) document.documentElement.dataset.show = 'opening';
  try {
    show.opened = await engine.open(input.name, input.blob, workMillions);
  } catch (error) {
    engine.terminate();
    refuse(error.message);
    return;
  }
  if (toEnd) finishShow(show);
  else recordShow(show);
}

function refuse(text) {
  say(oneLine(text), true);
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
  position = 0;
  lastNow = null;
  ui.player.getContext('2d').clearRect(0, 0, ui.player.width, ui.player.height);
  say(show.opened.isPlayer ? `${show.name}: a player, intact` : show.name);
}

// A run the engine ended: refused or failed shows go, stopped ones say where.
function settle(show, result) {
  if (show.dropped) return false;
  if (result.status === ShowStatus.Corrupted || result.status === ShowStatus.NotRun) {
    const text = result.message || 'the show could not be played';
    if (!show.adopted) {
      show.engine.terminate();
      refuse(`${show.name}: ${text}`);
    } else {
      say(`${show.name}: ${oneLine(text)}`, true);
    }
    return false;
  }
  if (result.status === ShowStatus.Stopped) {
    adopt(show);
    say(`${show.name}: ${result.message}`, true);
  }
  return true;
}

function recordShow(show) {
  if (show.recording) return;
  show.recording = show.engine.record(
    { fps: kFps, splashes: show.splashes, holdSeconds: show.splashes ? kHoldSeconds : 0 },
    (changes) => {
      show.timeline.add(changes);
      adopt(show);
    });
  show.recording.then((result) => {
    if (!settle(show, result)) return;
    stats.recordMs = result.ms;
    show.timeline.finishAt(result.seconds);
    adopt(show);
  }, (error) => {
    if (!show.adopted && !show.dropped) refuse(`${show.name}: ${error.message}`);
  });
}

// To the end at once, as the renderer plays it: one picture.
function finishShow(show) {
  show.engine.finish((changes) => { show.final = changes[changes.length - 1]; }).then((result) => {
    if (!settle(show, result) || !show.final) return;
    stats.finishMs = result.ms;
    show.finalSeconds = result.seconds;
    adopt(show);
  }, (error) => {
    if (!show.adopted && !show.dropped) refuse(`${show.name}: ${error.message}`);
  });
}

async function openUrl(url) {
  try {
    await openInput(await fetchInput(url));
  } catch (error) {
    refuse(error.message);
  }
}

// --- pacing --------------------------------------------------------------

function showLength(show) {
  if (show.timeline.complete) return show.timeline.seconds;
  return show.final ? show.finalSeconds : null;
}

function drawFinal(show) {
  if (show.finishedPicture) return;
  const c = show.final;
  const canvas = ui.player;
  if (canvas.width !== c.pictureWidth || canvas.height !== c.pictureHeight) {
    canvas.width = c.pictureWidth;
    canvas.height = c.pictureHeight;
    rescale();
  }
  const pixels = new Uint8ClampedArray(c.rgba.buffer, c.rgba.byteOffset, c.rgba.length);
  canvas.getContext('2d').putImageData(new ImageData(pixels, c.width, c.height), c.x, c.y);
  show.finishedPicture = true;
  show.timeline.rewind();
}

function frame(now) {
  requestAnimationFrame(frame);
  const elapsed = lastNow === null ? 0 : (now - lastNow) / 1000;
  lastNow = now;
  const show = current;
  if (!show) return;
  const timeline = show.timeline;
  let ended;
  if (toEnd && !timeline.complete && show.final) {
    drawFinal(show);
    position = show.finalSeconds;
    ended = true;
  } else {
    if (toEnd) position = timeline.available();
    else if (playing) position = Math.min(position + elapsed * speed, timeline.available());
    if (show.finishedPicture) {
      show.finishedPicture = false;
      timeline.rewind();
    }
    timeline.showUpTo(ui.player, position);
    ended = timeline.complete && position >= timeline.seconds && timeline.isShownTo(position);
  }
  if (stats.firstFrameAt === null && ui.player.width > 0) stats.firstFrameAt = performance.now();
  if (ended && playing && !toEnd) playing = false;
  const state = ended ? 'ended' : (playing || toEnd ? 'playing' : 'paused');
  if (document.documentElement.dataset.show !== state) {
    document.documentElement.dataset.show = state;
    if (state === 'ended') stats.endedAt = performance.now();
  }
  showControls(show, ended);
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
  ui.time.value = `${clock(position)} / ${length === null ? clock(reach) + '…' : clock(length)}`;
  ui.play.textContent = playing && !ended ? 'Pause' : 'Play';
}

// --- controls ------------------------------------------------------------

// 'end', or a speed from 1x to 64x; one between the listed ones gets its own entry.
function setSpeed(value) {
  toEnd = value === 'end';
  if (!toEnd) speed = Math.min(kSpeeds[kSpeeds.length - 1], Math.max(kSpeeds[0], Number(value) || 1));
  if (!toEnd && ![...ui.speed.options].some((o) => o.value === String(speed))) {
    const next = [...ui.speed.options].find((o) => o.value === 'end' || Number(o.value) > speed);
    ui.speed.add(new Option(`${speed}x`, String(speed)), next);
  }
  ui.speed.value = toEnd ? 'end' : String(speed);
  if (!toEnd && current) recordShow(current);
}

function seek(seconds) {
  if (!current) return;
  if (toEnd) setSpeed(String(speed));
  recordShow(current);
  position = Math.max(0, Math.min(seconds, current.timeline.available()));
}

function restart() {
  seek(0);
  playing = true;
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
  const next = kSpeeds[Math.max(0, Math.min(kSpeeds.length - 1, at + step))];
  setSpeed(String(next));
}

function rescale() {
  showScaled(ui.player, Number(ui.zoom.value));
}

function onKey(event) {
  if (event.altKey || event.ctrlKey || event.metaKey) return;
  const actions = {
    ' ': togglePlay,
    ArrowLeft: () => seek(position - kSeekSeconds),
    ArrowRight: () => seek(position + kSeekSeconds),
    ArrowUp: () => stepSpeed(1),
    ArrowDown: () => stepSpeed(-1),
    Home: restart,
    End: () => setSpeed('end'),
  };
  const action = actions[event.key];
  if (!action) return;
  event.preventDefault();
  action();
}

async function listSamples() {
  try {
    const response = await fetch('samples/index.json');
    for (const name of await response.json()) {
      const option = document.createElement('option');
      option.value = `samples/${name}`;
      option.textContent = name.replace(/\.[^.]*$/, '');
      ui.samples.append(option);
    }
  } catch {
    ui.samples.disabled = true;
  }
}

function followDeepLink() {
  const link = readDeepLink();
  if (link.speed) setSpeed(link.speed);
  ui.splash.checked = link.splash;
  workMillions = link.work;
  if (link.drawing) {
    playing = true;
    openUrl(link.drawing);
  }
}

function start() {
  for (let zoom = 1; zoom <= 4; ++zoom) {
    const option = new Option(`${zoom}x`, String(zoom * defaultZoom()));
    ui.zoom.append(option);
  }
  ui.zoom.value = String(defaultZoom());
  ui.zoom.addEventListener('change', rescale);
  ui.player.addEventListener('resized', rescale);
  window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', rescale);

  const open = (input) => {
    playing = true;
    openInput(input);
  };
  watchFilePicker(ui.file, open);
  watchDrops(document.body, open);
  ui.samples.addEventListener('change', () => {
    if (!ui.samples.value) return;
    playing = true;
    openUrl(ui.samples.value);
    ui.samples.value = '';
  });
  ui.play.addEventListener('click', togglePlay);
  ui.restart.addEventListener('click', restart);
  ui.speed.addEventListener('change', () => setSpeed(ui.speed.value));
  ui.progress.addEventListener('input', () => seek(Number(ui.progress.value)));
  ui.splash.addEventListener('change', () => {
    if (current) openInput(current.input);
  });
  document.addEventListener('keydown', onKey);
  window.addEventListener('hashchange', followDeepLink);

  new TimelapseExport(document.getElementById('timelapse'), () => current);

  listSamples();
  followDeepLink();
  requestAnimationFrame(frame);
}

start();
