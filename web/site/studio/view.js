// The canvas view: the engine's pixels put into a <canvas> one changed
// rectangle at a time, in a scrolling box that fits the drawing, zooms and
// pans (shared/zoom-view.js), and the brush cursor, which shows the stamp's
// size and shape at the zoom of the moment.
import { ZoomView } from '../shared/zoom-view.js';

// The engine's stamps by brush level: a pixel, diamonds 3, 5 and 7 pixels
// across, and a disc 7 across.
const kStamps = [
  { across: 1, shape: 'square' },
  { across: 3, shape: 'diamond' },
  { across: 5, shape: 'diamond' },
  { across: 7, shape: 'diamond' },
  { across: 7, shape: 'disc' },
];
const kSvg = 'http://www.w3.org/2000/svg';

export class View {
  constructor(canvas, scroller, cursor, onZoom) {
    this.canvas = canvas;
    this.scroller = scroller;
    this.cursor = cursor;
    this.ctx = canvas.getContext('2d', { alpha: false });
    this.zoom = new ZoomView(canvas, scroller, { smallest: 1 / 16, onChange: onZoom });
  }

  get width() {
    return this.canvas.width;
  }

  get height() {
    return this.canvas.height;
  }

  // A drawing of this size is open: fitted to the view when it is new.
  setSize(width, height) {
    if (this.canvas.width === width && this.canvas.height === height) return;
    this.canvas.width = width;
    this.canvas.height = height;
    this.zoom.fit();
  }

  // pixels: {x, y, width, height, rgba} from the engine, or null.
  put(pixels) {
    if (!pixels) return;
    this.ctx.putImageData(new ImageData(pixels.rgba, pixels.width, pixels.height), pixels.x, pixels.y);
  }

  // A pointer event's place in canvas pixels, fractions kept (r: the
  // canvas's box, when the caller has it already).
  toCanvas(event, r = this.canvas.getBoundingClientRect()) {
    return [((event.clientX - r.left) * this.width) / r.width, ((event.clientY - r.top) * this.height) / r.height];
  }

  // The stamp of `level` round the pixel under the pointer, moved once a
  // frame at most, out of the way of the input's own work.
  showCursor(event, level) {
    this.cursorAt = { clientX: event.clientX, clientY: event.clientY, level };
    if (this.cursorFrame) return;
    this.cursorFrame = requestAnimationFrame(() => {
      this.cursorFrame = 0;
      if (this.cursorAt) this.placeCursor(this.cursorAt, this.cursorAt.level);
    });
  }

  placeCursor(event, level) {
    const r = this.canvas.getBoundingClientRect();
    const scale = r.width / this.width;
    const [x, y] = this.toCanvas(event);
    const stamp = kStamps[Math.max(0, Math.min(4, level))];
    const size = stamp.across * scale;
    const centreX = r.left + (Math.floor(x) + 0.5) * scale;
    const centreY = r.top + (Math.floor(y) + 0.5) * scale;
    if (this.cursor.dataset.shape !== stamp.shape || this.cursor.dataset.size !== String(size)) {
      this.drawCursor(stamp.shape, size);
    }
    this.cursor.style.transform = `translate(${centreX - size / 2 - 1}px, ${centreY - size / 2 - 1}px)`;
    this.cursor.hidden = false;
  }

  drawCursor(shape, size) {
    const cursor = this.cursor;
    cursor.dataset.shape = shape;
    cursor.dataset.size = String(size);
    const full = size + 2;
    cursor.setAttribute('width', String(full));
    cursor.setAttribute('height', String(full));
    cursor.setAttribute('viewBox', `0 0 ${full} ${full}`);
    const c = full / 2;
    const h = size / 2;
    const outline = (element) => {
      for (const [colour, width] of [
        ['#fff', 3],
        ['#000', 1],
      ]) {
        const copy = element.cloneNode();
        copy.setAttribute('fill', 'none');
        copy.setAttribute('stroke', colour);
        copy.setAttribute('stroke-width', String(width));
        cursor.append(copy);
      }
    };
    cursor.replaceChildren();
    let shapeElement;
    if (shape === 'disc') {
      shapeElement = document.createElementNS(kSvg, 'circle');
      shapeElement.setAttribute('cx', String(c));
      shapeElement.setAttribute('cy', String(c));
      shapeElement.setAttribute('r', String(h));
    } else if (shape === 'diamond') {
      shapeElement = document.createElementNS(kSvg, 'polygon');
      shapeElement.setAttribute('points', `${c},${c - h} ${c + h},${c} ${c},${c + h} ${c - h},${c}`);
    } else {
      shapeElement = document.createElementNS(kSvg, 'rect');
      shapeElement.setAttribute('x', String(c - h));
      shapeElement.setAttribute('y', String(c - h));
      shapeElement.setAttribute('width', String(size));
      shapeElement.setAttribute('height', String(size));
    }
    outline(shapeElement);
  }

  hideCursor() {
    this.cursorAt = null;
    this.cursor.hidden = true;
  }
}
