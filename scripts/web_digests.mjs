// The web engine's outputs under Node.js, one SHA-256 a line, for
// scripts/digests: every change the show records (at the default pace and
// at 30 frames a second, with and without the splashes), the drawing it
// opened, and a player it writes.
//   node --no-experimental-fetch scripts/web_digests.mjs ENGINE.js SAMPLES_DIR [PLAYER.exe]
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const [enginePath, samples, player] = process.argv.slice(2);
const createQuillcastEngine = createRequire(import.meta.url)(enginePath);
const sha = (bytes) => createHash('sha256').update(bytes).digest('hex');

async function open(name, bytes) {
  const engine = await createQuillcastEngine();
  engine.FS.writeFile(name, bytes);
  const hash = createHash('sha256');
  engine.onFrame = (seconds, x, y, width, height, pictureWidth, pictureHeight, rgba) => {
    hash.update(`${seconds} ${x} ${y} ${width} ${height} ${pictureWidth} ${pictureHeight}\n`);
    hash.update(rgba);
  };
  if (engine.ccall('qc_open', 'number', ['string', 'number'], [name, bytes.length]) !== 1) {
    throw new Error(`${name}: ${engine.UTF8ToString(engine._qc_message())}`);
  }
  return { engine, hash };
}

const output = (engine) => engine.HEAPU8.slice(engine._qc_output(), engine._qc_output() + engine._qc_output_size());

for (const name of ['quick', 'meadow', 'dense']) {
  const script = readFileSync(`${samples}/${name}.qcs`);
  for (const [what, run] of [
    ['finish', (e) => e._qc_finish()],
    ['record', (e) => e._qc_record(0, 0, 3)],
    ['record-30fps', (e) => e._qc_record(30, 0, 3)],
    ['record-splashes', (e) => e._qc_record(0, 1, 3)],
  ]) {
    const { engine, hash } = await open(`${name}.qcs`, script);
    const status = run(engine);
    console.log(`${hash.digest('hex')}  web/${name}.${what} status ${status} seconds ${engine._qc_seconds()}`);
  }
  const { engine } = await open(`${name}.qcs`, script);
  engine._qc_take_drawing();
  console.log(`${sha(output(engine))}  web/${name}.drawing`);
  if (player) {
    const bytes = readFileSync(player);
    const at = engine._malloc(bytes.length);
    engine.HEAPU8.set(bytes, at);
    const status = engine._qc_write_player(at, bytes.length);
    console.log(`${sha(output(engine))}  web/${name}.player status ${status}`);
  }
}
