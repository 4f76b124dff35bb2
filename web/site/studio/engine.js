// The studio's engine, as the page reaches it: the studio's WebAssembly
// module in its own worker (studio-worker.js), started and called the way
// the player starts its engine (shared/worker-bridge.js). Every call is
// answered in order; a result that changed the canvas carries the pixels.
import { Comlink, EngineWorker } from '../shared/worker-bridge.js';

const workerUrl = new URL('./studio-worker.js', import.meta.url);

export async function startEngine() {
  const worker = new EngineWorker(workerUrl);
  const { standard } = await worker.call('start');
  const call =
    (name) =>
    (...args) =>
      worker.call(name, ...args);
  return {
    standard,
    // No call is waiting for its answer.
    idle: () => worker.waiting.size === 0,
    openNew: call('openNew'),
    checkFile: call('checkFile'),
    openFile: (bytes, name) => worker.call('openFile', Comlink.transfer(bytes, [bytes.buffer]), name),
    restore: call('restore'),
    setPen: call('setPen'),
    begin: call('begin'),
    to: call('to'),
    end: call('end'),
    cancel: call('cancel'),
    fill: call('fill'),
    undo: call('undo'),
    redo: call('redo'),
    colourAt: call('colourAt'),
    palette: call('palette'),
    keep: call('keep'),
    block: call('block'),
    script: call('script'),
    player: (bytes) => worker.call('player', Comlink.transfer(bytes, [bytes.buffer])),
  };
}
