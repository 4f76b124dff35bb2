// The page's side of the engine: one worker (engine-worker.js) per drawing,
// requests as promises, and the changes of a show handed to a callback as
// they come. Shared by every view of the site.

const workerUrl = new URL('./engine-worker.js', import.meta.url);

// A drawing the engine would not open, or a show it would not play: the
// message is the one line the tools give.
export class Refused extends Error {}

export class Engine {
  constructor() {
    this.worker = new Worker(workerUrl);
    this.nextId = 1;
    this.pending = new Map();
    this.worker.onmessage = (event) => this.receive(event.data);
    this.worker.onerror = (event) => this.failAll(event.message || 'the engine could not start');
  }

  receive(message) {
    const request = this.pending.get(message.id);
    if (!request) return;
    if (message.type === 'changes') {
      if (request.onChanges) request.onChanges(message.changes);
      return;
    }
    this.pending.delete(message.id);
    if (message.type === 'done') request.resolve(message.result);
    else request.reject(new Error(message.message));
  }

  failAll(text) {
    for (const request of this.pending.values()) request.reject(new Error(text));
    this.pending.clear();
  }

  request(type, args = {}, onChanges = null, transfer = []) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, onChanges });
      this.worker.postMessage({ id, type, ...args }, transfer);
    });
  }

  // Opens a drawing file, a script or a player: {canvasWidth, canvasHeight,
  // isPlayer}, or Refused with the reason. workMillions: the work bound in
  // millions of units, as quillcast-render's --max-work (the renderer's own
  // bound when not given).
  async open(name, blob, workMillions = 0) {
    const result = await this.request('open', { name, blob, workMillions });
    if (result.refused) throw new Refused(result.refused);
    return result;
  }

  // Plays the opened drawing to its end: one change, the finished window.
  // Resolves to {status, message, seconds, ms} (see engine-worker.js).
  finish(onChanges) {
    return this.request('finish', {}, onChanges);
  }

  // The whole show, as changes at `fps` frames a second of its clock.
  record({ fps = 60, splashes = false, holdSeconds = 0 }, onChanges) {
    return this.request('record', { fps, splashes, holdSeconds }, onChanges);
  }

  // A copy of the player file's bytes carrying the opened drawing, sealed.
  async writePlayer(player) {
    const result = await this.request('writePlayer', { player }, null, [player]);
    if (result.refused) throw new Refused(result.refused);
    return result.bytes;
  }

  // The opened drawing as a drawing file's bytes.
  async takeDrawing() {
    const result = await this.request('takeDrawing');
    if (result.refused) throw new Refused(result.refused);
    return result.bytes;
  }

  terminate() {
    this.worker.terminate();
    this.failAll('the engine was stopped');
  }
}

// What a finished run says: played, stopped by a bound, refused by the
// player's check, or not run.
export const ShowStatus = Object.freeze({ NotRun: 0, Played: 1, Stopped: 2, Corrupted: 3 });
