// The time-lapse as a video: the browser's own encoder (WebCodecs) behind
// mediabunny, which also writes the file. MP4 carries H.264, WebM carries
// VP9 (or VP8 where the browser has no VP9 encoder). Frames are padded with
// black to even sizes, as quillcast-render's videos are, since players want
// them for 4:2:0 video.
import {
  BufferTarget,
  Mp4OutputFormat,
  Output,
  QUALITY_VERY_HIGH,
  VideoSample,
  VideoSampleSource,
  WebMOutputFormat,
  canEncodeVideo,
} from '../vendor/mediabunny.js';
import { kFormats } from './timelapse-plan.js';

const even = (n) => n + (n % 2);

export class VideoWriter {
  // Refuses, with a message, a kind that this browser cannot encode at this size.
  static async open(kind, width, height, fps) {
    const format = kFormats[kind];
    const size = { width: even(width), height: even(height) };
    let codec = null;
    for (const { codec: candidate } of format.encoders) {
      if (await canEncodeVideo(candidate, { ...size, quality: QUALITY_VERY_HIGH, frameRate: fps })) {
        codec = candidate;
        break;
      }
    }
    if (!codec) {
      throw new Error(
        `this browser cannot encode ${format.label} at ${size.width}x${size.height}; choose another format`,
      );
    }
    return new VideoWriter(kind, codec, width, height, size, fps);
  }

  constructor(kind, codec, width, height, size, fps) {
    this.codec = codec;
    this.width = width;
    this.height = height;
    this.size = size;
    this.fps = fps;
    this.frames = 0;
    this.frame = new Uint8ClampedArray(size.width * size.height * 4);
    this.output = new Output({
      format: kind === 'mp4' ? new Mp4OutputFormat({ fastStart: 'in-memory' }) : new WebMOutputFormat(),
      target: new BufferTarget(),
    });
    this.source = new VideoSampleSource({ codec, quality: QUALITY_VERY_HIGH, keyFrameInterval: 2 });
    this.output.addVideoTrack(this.source, { frameRate: fps });
    this.started = this.output.start();
  }

  // The next frame of the grid: `rgba`, the picture at its own size.
  async add(rgba) {
    await this.started;
    const rowBytes = this.width * 4;
    for (let row = 0; row < this.height; ++row) {
      this.frame.set(rgba.subarray(row * rowBytes, (row + 1) * rowBytes), row * this.size.width * 4);
    }
    const sample = new VideoSample(this.frame, {
      format: 'RGBX',
      codedWidth: this.size.width,
      codedHeight: this.size.height,
      timestamp: this.frames / this.fps,
      duration: 1 / this.fps,
    });
    try {
      await this.source.add(sample);
    } finally {
      sample.close();
    }
    ++this.frames;
  }

  // The file's bytes and its type, once every frame is in.
  async finish() {
    await this.started;
    await this.output.finalize();
    return { bytes: new Uint8Array(this.output.target.buffer), mimeType: await this.output.getMimeType() };
  }
}
