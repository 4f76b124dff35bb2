// The player page's "Download time-lapse" control: the show on screen as a
// video or a GIF of the length the viewer picks, made from the same changes
// the page plays (the engine's recording of the show without splashes),
// in a worker (timelapse-encoder.js), with progress and a way to cancel.
// The frame grid is quillcast-render's (timelapse-plan.js).
import { Engine } from '../shared/engine-client.js';
import { ShowStatus } from '../shared/status.js';
import { readDeepLink } from '../shared/inputs.js';
import { holdFor, kFormats, kLongestSeconds, kShortestSeconds } from './timelapse-plan.js';

const encoderUrl = new URL('./timelapse-encoder.js', import.meta.url);
const kRecordFps = 60; // the player's own rate of changes
const kKeepUrlMs = 60000; // how long a made file stays for "Save again"

// Whether this browser can encode each video format: the encoder's name
// ("H.264"), or null. GIFs need nothing but JavaScript.
async function findEncoders() {
  const found = {};
  for (const [format, choice] of Object.entries(kFormats)) {
    if (choice.encoders.length === 0) continue;
    found[format] = null;
    if (typeof VideoEncoder === 'undefined') continue;
    for (const { probe, name } of choice.encoders) {
      try {
        const config = { codec: probe, width: 640, height: 480, bitrate: 4e6, framerate: choice.fps };
        if ((await VideoEncoder.isConfigSupported(config)).supported) {
          found[format] = name;
          break;
        }
      } catch {
        // An unknown codec string: not this one.
      }
    }
  }
  return found;
}

// Rejects with an AbortError once `signal` is aborted.
function abortable(promise, signal) {
  return new Promise((resolve, reject) => {
    if (signal.aborted) reject(signal.reason);
    signal.addEventListener('abort', () => reject(signal.reason), { once: true });
    promise.then(resolve, reject);
  });
}

// The show's changes without splashes, from the start to the finished
// picture: the player's own recording where it has one (which the worker
// gets a copy of), else one made for the time-lapse by an engine of its own,
// under the page's work bound (which the worker takes over: owned).
async function showChanges(show, signal) {
  if (!show.splashes && show.recording) {
    return { result: await abortable(show.recording, signal), changes: show.timeline.changes, owned: false };
  }
  const engine = new Engine();
  signal.addEventListener('abort', () => engine.terminate(), { once: true });
  try {
    await abortable(engine.open(show.input.name, show.input.blob, readDeepLink().work), signal);
    const changes = [];
    const recording = engine.record({ fps: kRecordFps, splashes: false, holdSeconds: 0 }, (batch) => {
      for (const change of batch) changes.push(change);
    });
    return { result: await abortable(recording, signal), changes, owned: true };
  } finally {
    engine.terminate();
  }
}

function checkPlayed(show, result) {
  if (result.status === ShowStatus.Played) return;
  if (result.status === ShowStatus.Stopped) {
    throw new Error(`${show.name}: ${result.message}; a time-lapse needs the whole show`);
  }
  throw new Error(`${show.name}: ${result.message || 'the show could not be played'}`);
}

// The file from the worker: {bytes, mimeType, frames, seconds, exact}.
function encode(request, transfer, signal, onProgress) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(encoderUrl, { type: 'module' });
    const end = (settle, value) => {
      worker.terminate();
      settle(value);
    };
    signal.addEventListener('abort', () => end(reject, signal.reason), { once: true });
    worker.onmessage = ({ data }) => {
      if (data.type === 'progress') onProgress(data.done / data.total);
      else if (data.type === 'done') end(resolve, data);
      else end(reject, new Error(data.message));
    };
    worker.onerror = (event) => {
      event.preventDefault();
      end(reject, new Error(event.message || 'the time-lapse encoder could not start'));
    };
    worker.postMessage(request, transfer);
  });
}

function fileName(show, seconds, extension) {
  const base = show.name.replace(/\.[^.]*$/, '').replace(/[^\w.-]+/g, '-') || 'drawing';
  return `${base}-timelapse-${seconds}s.${extension}`;
}

function megabytes(bytes) {
  return bytes < 1e6 ? `${Math.max(1, Math.round(bytes / 1e3))} kB` : `${(bytes / 1e6).toFixed(1)} MB`;
}

export class TimelapseExport {
  // root: the control's element (index.html); currentShow: the show on
  // screen, as player.js keeps it, or null.
  constructor(root, currentShow) {
    this.currentShow = currentShow;
    this.ui = Object.fromEntries(
      ['form', 'seconds', 'format', 'start', 'cancel', 'progress', 'note', 'message'].map((id) => [
        id,
        root.querySelector(`#timelapse-${id}`),
      ]),
    );
    this.job = null;
    this.saved = null; // the last file's object URL
    this.ui.seconds.min = String(kShortestSeconds);
    this.ui.seconds.max = String(kLongestSeconds);
    this.ui.form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.start();
    });
    this.ui.cancel.addEventListener('click', () => this.cancel());
    this.ui.seconds.addEventListener('input', () => this.describe());
    this.ui.format.addEventListener('change', () => this.describe());
    // Keys here belong to the form, not to the player's shortcuts.
    root.addEventListener('keydown', (event) => event.stopPropagation());
    this.fillFormats();
  }

  async fillFormats() {
    let encoders = {};
    try {
      encoders = await findEncoders();
    } catch {
      // No video then; the GIF still works.
    }
    const options = Object.entries(kFormats).map(([format, choice]) => {
      const name = encoders[format];
      const video = choice.encoders.length > 0;
      const text = !video ? choice.label : name ? `${choice.label} (${name})` : `${choice.label}: not in this browser`;
      const option = new Option(text, format);
      option.disabled = video && !name;
      return option;
    });
    this.ui.format.replaceChildren(...options);
    const usable = options.find((o) => !o.disabled);
    this.ui.format.value = usable.value;
    if (!Object.values(encoders).some(Boolean)) {
      this.say('This browser cannot encode video here, so only the GIF is on offer.');
    }
    this.describe();
  }

  seconds() {
    const value = Number(this.ui.seconds.value);
    const whole = Number.isInteger(value) && value >= kShortestSeconds && value <= kLongestSeconds;
    return whole ? value : null;
  }

  describe() {
    const seconds = this.seconds();
    const choice = kFormats[this.ui.format.value];
    if (seconds === null || !choice) {
      this.ui.note.textContent = `A whole number of seconds from ${kShortestSeconds} to ${kLongestSeconds}.`;
      return;
    }
    const hold = Number(holdFor(seconds).toFixed(2));
    this.ui.note.textContent = `${choice.fps} frames a second; the finished picture stays for the last ${hold} s.`;
  }

  say(text, isError = false, link = null) {
    this.ui.message.textContent = text;
    this.ui.message.classList.toggle('error', isError);
    if (link) {
      const anchor = document.createElement('a');
      anchor.href = link.href;
      anchor.download = link.name;
      anchor.textContent = 'Save it again';
      this.ui.message.append(' ', anchor);
    }
  }

  busy(on) {
    for (const control of [this.ui.seconds, this.ui.format, this.ui.start]) control.disabled = on;
    this.ui.cancel.hidden = !on;
    this.ui.progress.hidden = !on;
    if (on) this.ui.progress.removeAttribute('value');
  }

  cancel() {
    if (!this.job) return;
    this.job.abort(new DOMException('cancelled', 'AbortError'));
  }

  async start() {
    if (this.job) return;
    const show = this.currentShow();
    const seconds = this.seconds();
    const format = this.ui.format.value;
    if (!show) {
      this.say('Open a drawing first: the time-lapse is made of the show on screen.', true);
      return;
    }
    if (seconds === null) {
      this.say(`The length must be a whole number of seconds from ${kShortestSeconds} to ${kLongestSeconds}.`, true);
      this.ui.seconds.focus();
      return;
    }
    const name = fileName(show, seconds, kFormats[format].extension);
    this.job = new AbortController();
    const { signal } = this.job;
    this.busy(true);
    this.say(`Making ${name}…`);
    try {
      const { result, changes, owned } = await showChanges(show, signal);
      checkPlayed(show, result);
      const request = { changes, showSeconds: result.seconds, format, seconds, holdSeconds: holdFor(seconds) };
      const transfer = owned ? changes.map((c) => c.rgba.buffer) : [];
      const made = await encode(request, transfer, signal, (share) => {
        this.ui.progress.value = share;
      });
      this.save(made, name);
    } catch (error) {
      if (error && error.name === 'AbortError') this.say('Time-lapse cancelled.');
      else this.say(`The time-lapse failed: ${(error && error.message) || error}`, true);
    } finally {
      this.job = null;
      this.busy(false);
    }
  }

  save(made, name) {
    if (this.saved) URL.revokeObjectURL(this.saved);
    const href = URL.createObjectURL(new Blob([made.bytes], { type: made.mimeType }));
    this.saved = href;
    setTimeout(() => {
      if (this.saved !== href) return;
      URL.revokeObjectURL(href);
      this.saved = null;
      this.ui.message.querySelector('a')?.remove();
    }, kKeepUrlMs);
    const anchor = document.createElement('a');
    anchor.href = href;
    anchor.download = name;
    anchor.click();
    const size = megabytes(made.bytes.byteLength);
    const approximate =
      made.mimeType === 'image/gif' && !made.exact
        ? ' Its last frame is close to the finished picture, which has more colours than the hold can carry.'
        : '';
    this.say(`Made ${name}: ${made.frames} frames, ${made.seconds.toFixed(2)} s, ${size}.${approximate}`, false, {
      href,
      name,
    });
  }
}
