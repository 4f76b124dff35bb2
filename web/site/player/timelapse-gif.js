// A looping GIF of the time-lapse, written with gifenc: one GIF frame for
// each frame of the time-lapse, holding only the pixels that changed (the
// rest clear, over the frame before). A frame's colours are exact when they
// number 255 or fewer, and quantised by gifenc otherwise. Once the picture
// is finished, every frame of the hold sends again the pixels that
// quantising left off, the most common colours first, so that the GIF ends
// on the finished picture exactly unless it has more colours than the hold
// has frames to carry.
import { GIFEncoder, nearestColorIndex, quantize } from '../vendor/gifenc.js';

const kFrameColours = 255; // and one index for the clear pixels
const kImageSeparator = 0x2c;
const kControlBytes = 8; // the graphic control extension before each image

// Pixels are RGBA bytes read as one little-endian word: 0xAABBGGRR.
const rgbOf = (c) => [c & 0xff, (c >>> 8) & 0xff, (c >>> 16) & 0xff];

export class GifWriter {
  constructor(width, height) {
    this.width = width;
    this.height = height;
    this.encoder = GIFEncoder({ initialCapacity: 1 << 20 });
    this.shown = null; // what the GIF shows so far
    this.previous = null; // the picture of the frame before
    this.global = null; // colour -> index in the first frame's table
    this.globalColours = null;
    this.frames = 0;
    this.finishedFrames = 0;
    this.exact = false; // whether the GIF shows the last picture given exactly
  }

  // One frame of `delay` hundredths: `pixels` (Uint32Array, the whole
  // picture) where they changed inside `rect` (null: nothing changed).
  // finished: the picture is the finished one, and the frame sends wherever
  // the GIF still shows something else, so as to correct what earlier
  // frames left approximate.
  add(pixels, rect, delay, { finished = false } = {}) {
    if (this.shown === null) {
      this.addFirst(pixels, delay);
      this.previous = pixels.slice();
      return;
    }
    const whole = { x: 0, y: 0, width: this.width, height: this.height };
    const { positions, counts } = finished
      ? this.differences(pixels, whole, this.shown)
      : this.differences(pixels, rect, this.previous);
    const correcting = finished && this.finishedFrames++ > 0;
    this.writeChanges(pixels, positions, counts, delay, correcting);
    if (finished) {
      this.previous.set(pixels);
      this.exact = this.matches(pixels);
    } else {
      for (const i of positions) this.previous[i] = pixels[i];
    }
  }

  // The GIF's bytes, once the last frame is in.
  finish() {
    this.encoder.finish();
    return this.encoder.bytes();
  }

  addFirst(pixels, delay) {
    const counts = new Map();
    for (const c of pixels) counts.set(c, (counts.get(c) || 0) + 1);
    const colours = counts.size <= kFrameColours ? [...counts.keys()] : quantised(pixels);
    const palette = colours.map(rgbOf);
    palette.push([0, 0, 0]); // the clear index of later frames
    this.global = new Map(colours.map((c, i) => [c, i]));
    this.globalColours = colours;
    this.globalClear = colours.length;
    const lookup = colourLookup(palette.slice(0, colours.length), this.global);
    const indices = new Uint8Array(pixels.length);
    this.shown = new Uint32Array(pixels.length);
    for (let i = 0; i < pixels.length; ++i) {
      indices[i] = lookup(pixels[i]);
      this.shown[i] = colours[indices[i]];
    }
    this.encoder.writeFrame(indices, this.width, this.height, { palette, delay: delay * 10, repeat: 0 });
    this.frames = 1;
    this.exact = counts.size <= kFrameColours;
  }

  // Where `pixels` differ from `before` inside `area`, and how often each
  // colour comes there.
  differences(pixels, area, before) {
    const positions = [];
    const counts = new Map();
    if (!area) return { positions, counts };
    for (let y = area.y; y < area.y + area.height; ++y) {
      for (let i = y * this.width + area.x, end = i + area.width; i < end; ++i) {
        const c = pixels[i];
        if (c === before[i]) continue;
        positions.push(i);
        counts.set(c, (counts.get(c) || 0) + 1);
      }
    }
    return { positions, counts };
  }

  matches(pixels) {
    for (let i = 0; i < pixels.length; ++i) if (pixels[i] !== this.shown[i]) return false;
    return true;
  }

  // A frame of the changed pixels, as small as their bounding box. A
  // correcting frame sends only the 255 most common colours exactly and
  // leaves the rest for the next frame; any other frame sends every changed
  // pixel, quantised where there are too many colours.
  writeChanges(pixels, positions, counts, delay, correcting) {
    let palette = null; // null: the first frame's table
    let colours = this.globalColours;
    let clear = this.globalClear;
    let lookup = (c) => this.global.get(c);
    if (![...counts.keys()].every((c) => this.global.has(c))) {
      if (counts.size <= kFrameColours) colours = [...counts.keys()];
      else if (correcting) colours = mostCommon(counts, kFrameColours);
      else colours = quantised(Uint32Array.from(positions, (i) => pixels[i]));
      const own = new Map(colours.map((c, i) => [c, i]));
      palette = colours.map(rgbOf);
      clear = palette.length;
      palette.push([0, 0, 0]);
      lookup = correcting ? (c) => (own.has(c) ? own.get(c) : -1) : colourLookup(palette.slice(0, clear), own);
    }

    let left = this.width;
    let top = this.height;
    let right = 0;
    let bottom = 0;
    const sent = [];
    for (const i of positions) {
      const index = lookup(pixels[i]);
      if (index < 0) continue;
      sent.push(i, index);
      const x = i % this.width;
      const y = (i - x) / this.width;
      left = Math.min(left, x);
      top = Math.min(top, y);
      right = Math.max(right, x + 1);
      bottom = Math.max(bottom, y + 1);
    }
    if (sent.length === 0) {
      // Nothing to change: one clear pixel carries the frame's time.
      left = 0;
      top = 0;
      right = 1;
      bottom = 1;
    }
    const width = right - left;
    const indices = new Uint8Array(width * (bottom - top)).fill(clear);
    for (let s = 0; s < sent.length; s += 2) {
      const i = sent[s];
      const index = sent[s + 1];
      const x = i % this.width;
      indices[((i - x) / this.width - top) * width + (x - left)] = index;
      this.shown[i] = colours[index];
    }
    this.writeFrame(indices, left, top, width, bottom - top, palette, clear, delay);
  }

  // gifenc places every image at the top left corner; its own place then
  // goes into its image descriptor, which follows the graphic control
  // extension.
  writeFrame(indices, left, top, width, height, palette, clear, delay) {
    const at = this.encoder.bytesView().length;
    this.encoder.writeFrame(indices, width, height, {
      palette,
      delay: delay * 10,
      transparent: true,
      transparentIndex: clear,
      dispose: 1, // keep the picture under the clear pixels
    });
    const bytes = this.encoder.bytesView();
    const descriptor = at + kControlBytes;
    if (bytes[descriptor] !== kImageSeparator) throw new Error('the GIF encoder wrote an unexpected frame layout');
    bytes[descriptor + 1] = left & 0xff;
    bytes[descriptor + 2] = left >> 8;
    bytes[descriptor + 3] = top & 0xff;
    bytes[descriptor + 4] = top >> 8;
    ++this.frames;
  }
}

// Up to 255 colours for `pixels`, as gifenc's quantiser picks them.
function quantised(pixels) {
  const rgba = new Uint8Array(pixels.length * 4);
  new Uint32Array(rgba.buffer).set(pixels);
  return quantize(rgba, kFrameColours).map(([r, g, b]) => (0xff000000 | (b << 16) | (g << 8) | r) >>> 0);
}

function mostCommon(counts, most) {
  return [...counts.entries()]
    .sort((a, b) => b[1] - a[1])
    .slice(0, most)
    .map(([c]) => c);
}

// A colour's index: its own where the palette has it, else the nearest.
function colourLookup(palette, exact) {
  const near = new Map();
  return (c) => {
    const own = exact.get(c);
    if (own !== undefined) return own;
    let index = near.get(c);
    if (index === undefined) {
      index = nearestColorIndex(palette, rgbOf(c));
      near.set(c, index);
    }
    return index;
  };
}
