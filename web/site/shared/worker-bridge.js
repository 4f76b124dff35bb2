// The pages reach the engines' workers through Comlink: a worker script
// exposes its engine's calls, and the page calls them as async functions.
// Both engines start this way. A call still waiting when the worker is ended
// or fails is rejected, so that no one waits for it for ever.
import * as Comlink from '../vendor/comlink.mjs';

export { Comlink };

export class EngineWorker {
  constructor(url) {
    this.worker = new Worker(url);
    this.remote = Comlink.wrap(this.worker);
    this.waiting = new Set();
    this.ended = null;
    this.worker.addEventListener('error', (event) => this.end(event.message || 'the engine could not start'));
  }

  // Calls `name` in the worker with `args`.
  call(name, ...args) {
    if (this.ended) return Promise.reject(new Error(this.ended));
    return new Promise((resolve, reject) => {
      const entry = { reject };
      this.waiting.add(entry);
      this.remote[name](...args).then(
        (value) => {
          this.waiting.delete(entry);
          resolve(value);
        },
        (error) => {
          this.waiting.delete(entry);
          reject(error instanceof Error ? error : new Error(String(error)));
        },
      );
    });
  }

  end(reason = 'the engine was stopped') {
    if (this.ended) return;
    this.ended = reason;
    this.worker.terminate();
    for (const entry of this.waiting) entry.reject(new Error(reason));
    this.waiting.clear();
  }
}
