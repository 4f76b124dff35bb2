// The canvas view: the engine's pixels copied into a <canvas> one changed
// rectangle at a time, shown at a whole-number zoom with crisp pixels, and
// panned with the scroll bars or by dragging with the space bar held.
export class View {
  constructor(engine, canvas, scroller) {
    this.engine = engine;
    this.canvas = canvas;
    this.scroller = scroller;
    this.ctx = canvas.getContext('2d', { alpha: false });
    this.zoom = 1;
    this.width = 0;
    this.height = 0;
    this.spaceHeld = false;
  }

  // After opening, undo, redo or a fill: every pixel may have changed.
  reset() {
    this.width = this.engine.width();
    this.height = this.engine.height();
    if (this.canvas.width !== this.width || this.canvas.height !== this.height) {
      this.canvas.width = this.width;
      this.canvas.height = this.height;
    }
    this.setZoom(this.zoom);
    this.upload(0, 0, this.width, this.height);
  }

  // Copies the engine's pixels of a rectangle (clipped) into the canvas.
  upload(x, y, w, h) {
    const left = Math.max(0, Math.floor(x));
    const top = Math.max(0, Math.floor(y));
    const right = Math.min(this.width, Math.ceil(x + w));
    const bottom = Math.min(this.height, Math.ceil(y + h));
    if (left >= right || top >= bottom) return;
    const image = this.ctx.createImageData(right - left, bottom - top);
    this.engine.rgba(left, top, right - left, bottom - top, image.data);
    this.ctx.putImageData(image, left, top);
  }

  setZoom(zoom) {
    this.zoom = Math.max(1, Math.min(16, Math.round(zoom)));
    // CSS pixels per canvas pixel, corrected so that one canvas pixel is a
    // whole number of device pixels on high-density screens.
    const ratio = window.devicePixelRatio || 1;
    const device = Math.max(1, Math.round(this.zoom * ratio));
    this.canvas.style.width = `${(this.width * device) / ratio}px`;
    this.canvas.style.height = `${(this.height * device) / ratio}px`;
    return this.zoom;
  }

  // A pointer event's place in canvas coordinates, fractions kept.
  toCanvas(event) {
    const r = this.canvas.getBoundingClientRect();
    return [((event.clientX - r.left) * this.width) / r.width, ((event.clientY - r.top) * this.height) / r.height];
  }

  // Space-drag panning; returns true when the event starts a pan.
  startPan(event) {
    if (!this.spaceHeld) return false;
    const start = { x: event.clientX, y: event.clientY, left: this.scroller.scrollLeft, top: this.scroller.scrollTop };
    this.scroller.classList.add('panning');
    const move = (e) => {
      this.scroller.scrollLeft = start.left - (e.clientX - start.x);
      this.scroller.scrollTop = start.top - (e.clientY - start.y);
    };
    const up = () => {
      this.scroller.classList.remove('panning');
      window.removeEventListener('pointermove', move);
      window.removeEventListener('pointerup', up);
    };
    window.addEventListener('pointermove', move);
    window.addEventListener('pointerup', up);
    return true;
  }
}
