// A picture in a scrolling box, shown at a zoom from pixel-scale.js: fitted
// to the box until someone zooms, zoomed around the pointer by the wheel
// (with Ctrl, or always where `wheelZooms`) and by a two-finger pinch, and
// panned by two fingers (or one, where `onePointerPans`). Both pages use it.
import { fitZoom, showScaled, stepZoom } from './pixel-scale.js';

export class ZoomView {
  // canvas: the picture; box: the scrolling element round it. onChange(zoom)
  // hears every change of zoom.
  constructor(
    canvas,
    box,
    { wheelZooms = false, onePointerPans = false, smallest = 1 / 16, onChange = () => {}, fitsAtMost = null } = {},
  ) {
    this.canvas = canvas;
    this.box = box;
    this.wheelZooms = wheelZooms;
    this.onePointerPans = onePointerPans;
    this.smallest = smallest;
    this.onChange = onChange;
    // When given: the largest zoom that fitting may choose (a function, as
    // the screen's density may change).
    this.fitsAtMost = fitsAtMost;
    this.fitted = true;
    this.zoom = 1;
    this.touches = new Map(); // pointerId -> {x, y}, the touches on the box
    this.gesture = null;
    // The page may keep a pointer from the view (a palm while a pen draws).
    this.accepts = () => true;
    box.addEventListener('wheel', (e) => this.wheel(e), { passive: false });
    box.addEventListener('pointerdown', (e) => this.pointerDown(e));
    box.addEventListener('pointermove', (e) => this.pointerMove(e));
    for (const type of ['pointerup', 'pointercancel', 'lostpointercapture'])
      box.addEventListener(type, (e) => this.pointerUp(e));
    new ResizeObserver(() => {
      if (this.fitted) this.fit();
    }).observe(box);
  }

  // The room the picture has: the box less its padding.
  room() {
    const style = getComputedStyle(this.box);
    const across = parseFloat(style.paddingLeft) + parseFloat(style.paddingRight);
    const down = parseFloat(style.paddingTop) + parseFloat(style.paddingBottom);
    return [this.box.clientWidth - across, this.box.clientHeight - down];
  }

  // Back to the zoom that fits, and keeps fitting as the box changes.
  fit() {
    this.fitted = true;
    const [width, height] = this.room();
    const zoom = fitZoom(this.canvas.width, this.canvas.height, width, height);
    this.apply(this.fitsAtMost ? Math.min(zoom, this.fitsAtMost()) : zoom);
  }

  // A zoom of one's own: the picture stays at it whatever the box does.
  setZoom(zoom, around = null) {
    this.fitted = false;
    this.apply(zoom, around);
  }

  // After the picture's size changed.
  refresh() {
    if (this.fitted) this.fit();
    else this.apply(this.zoom);
  }

  step(direction, around = null) {
    this.setZoom(stepZoom(this.zoom, direction, this.smallest), around);
  }

  // Applies a zoom, keeping the picture's point under `around` (client
  // coordinates; the box's middle when not given) where it was.
  apply(zoom, around = null) {
    const before = this.canvas.getBoundingClientRect();
    const box = this.box.getBoundingClientRect();
    const [x, y] = around || [box.left + box.width / 2, box.top + box.height / 2];
    const fx = before.width ? (x - before.left) / before.width : 0.5;
    const fy = before.height ? (y - before.top) / before.height : 0.5;
    const changed = zoom !== this.zoom;
    this.zoom = zoom;
    showScaled(this.canvas, zoom);
    const after = this.canvas.getBoundingClientRect();
    this.box.scrollLeft += after.left + fx * after.width - x;
    this.box.scrollTop += after.top + fy * after.height - y;
    if (changed || this.fitted) this.onChange(zoom);
  }

  wheel(event) {
    if (!this.wheelZooms && !event.ctrlKey) return;
    event.preventDefault();
    // A pinch on a touchpad comes as a wheel with Ctrl and small steps.
    this.wheelTotal = (this.wheelTotal || 0) + event.deltaY;
    if (Math.abs(this.wheelTotal) < (event.ctrlKey ? 10 : 1)) return;
    this.step(this.wheelTotal < 0 ? 1 : -1, [event.clientX, event.clientY]);
    this.wheelTotal = 0;
  }

  // True while two fingers (or a panning pointer) move the view: the
  // page's own use of the pointer waits.
  isGesturing() {
    return this.gesture !== null;
  }

  pointerDown(event) {
    if (!this.accepts(event)) return;
    if (event.pointerType !== 'touch' && !(this.onePointerPans && event.button === 0)) return;
    this.touches.set(event.pointerId, { x: event.clientX, y: event.clientY });
    if (this.touches.size >= 2 || this.onePointerPans) this.startGesture();
  }

  // A pan by one pointer that the page decided on (the space bar held, or
  // a touch once a pen has been seen).
  panWith(event) {
    this.touches.set(event.pointerId, { x: event.clientX, y: event.clientY });
    this.startGesture();
  }

  startGesture() {
    const points = [...this.touches.values()];
    this.gesture = { zoom: this.zoom, distance: distance(points), middle: middle(points) };
    for (const id of this.touches.keys()) {
      try {
        this.box.setPointerCapture(id);
      } catch {
        // The pointer is already gone.
      }
    }
    this.box.classList.add('panning');
  }

  pointerMove(event) {
    if (!this.touches.has(event.pointerId)) return;
    this.touches.set(event.pointerId, { x: event.clientX, y: event.clientY });
    if (!this.gesture) return;
    event.preventDefault();
    const points = [...this.touches.values()];
    const now = middle(points);
    this.box.scrollLeft -= now[0] - this.gesture.middle[0];
    this.box.scrollTop -= now[1] - this.gesture.middle[1];
    this.gesture.middle = now;
    if (points.length >= 2 && this.gesture.distance > 0) {
      const wanted = (this.gesture.zoom * distance(points)) / this.gesture.distance;
      const step = wanted > this.zoom * 1.25 ? 1 : wanted < this.zoom / 1.25 ? -1 : 0;
      if (step) this.step(step, now);
    }
  }

  pointerUp(event) {
    if (!this.touches.delete(event.pointerId)) return;
    if (this.touches.size === 0) {
      this.gesture = null;
      this.box.classList.remove('panning');
    } else if (this.gesture) {
      this.startGesture();
    }
  }
}

function middle(points) {
  const x = points.reduce((s, p) => s + p.x, 0) / points.length;
  const y = points.reduce((s, p) => s + p.y, 0) / points.length;
  return [x, y];
}

function distance(points) {
  if (points.length < 2) return 0;
  return Math.hypot(points[0].x - points[1].x, points[0].y - points[1].y);
}
