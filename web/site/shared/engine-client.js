// The page's side of the player engine: one worker (engine-worker.js) per
// drawing, reached through worker-bridge.js, and the changes of a show
// handed to a callback as they come.
import { Comlink, EngineWorker } from './worker-bridge.js';

const workerUrl = new URL('./engine-worker.js', import.meta.url);

// A drawing the engine would not open, or a show it would not play: the
// message is the one line the tools give.
export class Refused extends Error {}

export class Engine {
  constructor() {
    this.worker = new EngineWorker(workerUrl);
  }

  // Opens a drawing file, a script or a player: {canvasWidth, canvasHeight,
  // isPlayer}, or Refused with the reason. workMillions: the work bound in
  // millions of units, as quillcast-render's --max-work (the renderer's own
  // bound when not given).
  async open(name, blob, workMillions = 0) {
    const result = await this.worker.call('open', name, blob, workMillions);
    if (result.refused) throw new Refused(result.refused);
    return result;
  }

  // Plays the opened drawing to its end: one change, the finished window.
  // Resolves to {status (a ShowStatus), message, seconds, ms}.
  finish(onChanges) {
    return this.worker.call('finish', Comlink.proxy(onChanges));
  }

  // The whole show, as changes at `fps` frames a second of its clock.
  record({ fps = 60, splashes = false, holdSeconds = 0 }, onChanges) {
    return this.worker.call('record', { fps, splashes, holdSeconds }, Comlink.proxy(onChanges));
  }

  // A copy of the player file's bytes carrying the opened drawing, sealed.
  async writePlayer(player) {
    const result = await this.worker.call('writePlayer', Comlink.transfer(player, [player]));
    if (result.refused) throw new Refused(result.refused);
    return result.bytes;
  }

  // The opened drawing as a drawing file's bytes.
  async takeDrawing() {
    const result = await this.worker.call('takeDrawing');
    if (result.refused) throw new Refused(result.refused);
    return result.bytes;
  }

  terminate() {
    this.worker.end();
  }
}
