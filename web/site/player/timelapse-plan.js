// The frame grid of a time-lapse, as quillcast-render lays it out for
// --duration D --fps N --hold H (engine/timelapse/timelapse.cpp): the show, from
// the empty framed canvas to the finished picture, is played at the speed
// that leaves H seconds of the D for the finished picture; frame k comes at
// k/N seconds of the output and shows the show as it was at k/N times the
// speed, to the microsecond; the output ends at the finish plus the hold, on
// the first frame at or after it. The same numbers, worked out the same way
// in double precision, give the same frame count and length as the renderer.

export const kVideoFps = 30; // quillcast-render's own rate for --video
export const kGifFps = 20; // whole hundredths of a second a frame, as GIF times are
export const kShortestSeconds = 2;
export const kLongestSeconds = 300;

// What the page can write. encoders: for a video, the browser's encoders
// tried in order, each with a WebCodecs codec string that tells whether the
// browser has it (the encoder picks the exact profile for the picture's
// size) and mediabunny's name for it.
export const kFormats = Object.freeze({
  mp4: {
    label: 'MP4 video',
    extension: 'mp4',
    fps: kVideoFps,
    encoders: [{ probe: 'avc1.640028', codec: 'avc', name: 'H.264' }],
  },
  webm: {
    label: 'WebM video',
    extension: 'webm',
    fps: kVideoFps,
    encoders: [
      { probe: 'vp09.00.31.08', codec: 'vp9', name: 'VP9' },
      { probe: 'vp8', codec: 'vp8', name: 'VP8' },
    ],
  },
  gif: { label: 'GIF', extension: 'gif', fps: kGifFps, encoders: [] },
});

// The finished picture's share of the time-lapse: a fifth of it, at most the
// renderer's default of 3 s. It is always longer than a frame, so the frames
// after the finish show the finished picture and the last one does.
export function holdFor(seconds) {
  return Math.min(3, seconds / 5);
}

// showSeconds: the show's length on its clock, from the empty framed canvas
// to the finished picture, as the engine's recording gives it.
export function planTimelapse({ showSeconds, seconds, holdSeconds, fps }) {
  const speed = showSeconds > 0 ? showSeconds / (seconds - holdSeconds) : 1;
  const end = showSeconds / speed + holdSeconds;
  // Counted as the renderer counts them, so that the same rounding decides.
  let frames = 0;
  while (frames / fps < end - 1e-9 || frames === 0) ++frames;
  return {
    fps,
    speed,
    end,
    frames,
    // Where frame k is on the show's clock, in whole microseconds.
    showSecondsAt: (k) => Math.round((k / fps) * speed * 1e6) / 1e6,
    outputSecondsAt: (k) => k / fps,
  };
}

// GIF times are whole hundredths of a second, each frame's taken from where
// the output's time line puts its start, the last one running to the end.
export function hundredths(seconds) {
  return Math.round(Math.max(0, seconds) * 100);
}
