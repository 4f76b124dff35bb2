// The time-lapse's worker (a module worker): lays the show's changes on one
// picture, takes it at every frame of the grid (timelapse-plan.js) and
// writes the frames as a video or a GIF, so that the page goes on playing
// meanwhile. One worker makes one file; the page ends it to cancel.
//   in:  {changes, showSeconds, format, seconds, holdSeconds}
//   out: {type: 'progress', done, total} ..., then
//        {type: 'done', bytes, mimeType, frames, seconds, exact} or {type: 'failed', message}
import { ShowPicture } from './show-picture.js';
import { hundredths, kFormats, planTimelapse } from './timelapse-plan.js';

const kProgressMs = 100;

onmessage = async (event) => {
  try {
    const result = await makeTimelapse(event.data);
    postMessage({ type: 'done', ...result }, [result.bytes.buffer]);
  } catch (error) {
    postMessage({ type: 'failed', message: String((error && error.message) || error) });
  }
};

async function makeTimelapse({ changes, showSeconds, format, seconds, holdSeconds }) {
  const choice = kFormats[format];
  if (!choice) throw new Error(`no such format: ${format}`);
  const plan = planTimelapse({ showSeconds, seconds, holdSeconds, fps: choice.fps });
  const picture = new ShowPicture(changes);
  const writer = format === 'gif' ? await gifWriter(picture, plan) : await videoWriter(format, picture, plan);
  let reported = performance.now();
  for (let k = 0; k < plan.frames; ++k) {
    // From the finish on, every change is laid on: the finished picture.
    const at = plan.showSecondsAt(k);
    const finished = at >= showSeconds;
    const rect = picture.advanceTo(finished ? Infinity : at);
    await writer.add(picture, rect, k, finished);
    if (performance.now() - reported >= kProgressMs) {
      reported = performance.now();
      postMessage({ type: 'progress', done: k + 1, total: plan.frames });
    }
  }
  return writer.finish();
}

// A GIF frame lasts to the next one's start, in whole hundredths.
async function gifWriter(picture, plan) {
  const { GifWriter } = await import('./timelapse-gif.js');
  const gif = new GifWriter(picture.width, picture.height);
  return {
    add(picture, rect, k, finished) {
      const next = k + 1 < plan.frames ? plan.outputSecondsAt(k + 1) : plan.end;
      gif.add(picture.pixels, rect, hundredths(next) - hundredths(plan.outputSecondsAt(k)), { finished });
    },
    finish() {
      return {
        bytes: gif.finish(),
        mimeType: 'image/gif',
        frames: gif.frames,
        seconds: hundredths(plan.end) / 100,
        exact: gif.exact,
      };
    },
  };
}

async function videoWriter(format, picture, plan) {
  const { VideoWriter } = await import('./timelapse-video.js');
  const video = await VideoWriter.open(format, picture.width, picture.height, plan.fps);
  return {
    add: (picture) => video.add(picture.rgba),
    async finish() {
      const { bytes, mimeType } = await video.finish();
      return { bytes, mimeType, frames: video.frames, seconds: video.frames / plan.fps, exact: false };
    },
  };
}
