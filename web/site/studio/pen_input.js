// Pointer Events to strokes. Every coalesced point of a move goes to the
// engine, which draws each segment at once; the changed rectangle comes back
// and is put on the canvas. A pen's pressure (0..1) goes through the user's
// curve to the recorded 0..15; a mouse or a finger records 0, which draws
// at the chosen brush level.
//
// Touch paints only until a pen has been seen (palm rejection): after that,
// and with "pen only", a finger pans and two zoom. A second finger on the
// canvas turns a stroke just begun into a pinch: the stroke is taken back.
// The space bar held, or the middle button, pans with the mouse.
import { StrokeEnd } from '../shared/status.js';

export class PenInput {
  // hooks: { tool(), penOnly(), penSeen(), sawPen(), pressureAllowed(),
  // curve(), level(), spaceHeld(), beforeStroke(), onPick(x, y),
  // onStrokeEnd(reply), onWarn(over) }
  constructor(engine, view, hooks) {
    this.engine = engine;
    this.view = view;
    this.hooks = hooks;
    this.pointer = null; // the pointer drawing the stroke
    this.pointerType = null;
    this.latencies = []; // ms from each pointer event to its pixels, for the benchmark
    this.work = []; // ms of that spent in the engine and the copy of its pixels
    this.pending = 0; // engine calls of strokes not answered yet
    const c = view.canvas;
    view.zoom.accepts = (e) => !(this.pointerType === 'pen' && e.pointerType === 'touch');
    c.addEventListener('pointerdown', (e) => this.down(e));
    // Raw updates come as soon as the input does, not with the next frame.
    const moves = 'onpointerrawupdate' in window ? 'pointerrawupdate' : 'pointermove';
    c.addEventListener(moves, (e) => this.move(e));
    c.addEventListener('pointermove', (e) => this.hover(e));
    c.addEventListener('pointerleave', () => view.hideCursor());
    c.addEventListener('pointerup', (e) => this.up(e));
    c.addEventListener('pointercancel', (e) => this.cancel(e));
    c.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  pressureOf(e) {
    if (e.pointerType !== 'pen') return 0;
    const p = Math.max(0, Math.min(1, e.pressure));
    return Math.max(0, Math.min(15, Math.round(Math.pow(p, this.hooks.curve()) * 15)));
  }

  // Whether a pointer going down on the canvas paints (or picks a colour).
  paints(e) {
    if (e.pointerType === 'pen') return true;
    if (this.hooks.penOnly()) return false;
    if (e.pointerType === 'touch') return !this.hooks.penSeen();
    return e.button === 0 && !this.hooks.spaceHeld();
  }

  idle() {
    return this.pointer === null && this.pending === 0;
  }

  down(e) {
    if (e.pointerType === 'pen') this.hooks.sawPen();
    if (this.pointer !== null) {
      // A second finger: the stroke was the start of a pinch.
      if (e.pointerType === 'touch' && this.pointerType === 'touch') this.takeBack();
      return;
    }
    if (this.view.zoom.isGesturing()) return;
    if (!this.paints(e)) {
      const pans = e.pointerType === 'touch' || e.button === 1 || (e.button === 0 && this.hooks.spaceHeld());
      if (pans) {
        e.preventDefault();
        if (e.pointerType !== 'touch') this.view.zoom.panWith(e);
        else if (this.view.zoom.touches.size === 0) this.view.zoom.panWith(e);
      }
      return;
    }
    e.preventDefault();
    this.hooks.beforeStroke();
    const [x, y] = this.view.toCanvas(e);
    if (this.hooks.tool() === 'picker') {
      this.hooks.onPick(Math.floor(x), Math.floor(y));
      return;
    }
    this.pointer = e.pointerId;
    this.pointerType = e.pointerType;
    this.view.canvas.setPointerCapture(e.pointerId);
    const pressurePen = e.pointerType === 'pen' && this.hooks.pressureAllowed();
    this.send(e, this.engine.begin(x, y, this.pressureOf(e), pressurePen));
  }

  move(e) {
    if (e.pointerId !== this.pointer) return;
    const events = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    const box = this.view.canvas.getBoundingClientRect();
    const points = (events.length ? events : [e]).map((c) => [...this.view.toCanvas(c, box), this.pressureOf(c)]);
    this.send(e, this.engine.to(points)).then((reply) => {
      if (reply) this.hooks.onWarn(!reply.fits);
    });
  }

  hover(e) {
    if (e.pointerType === 'touch' || this.view.zoom.isGesturing() || this.hooks.tool() === 'picker') {
      this.view.hideCursor();
      return;
    }
    this.view.showCursor(e, this.hooks.level());
  }

  up(e) {
    if (e.pointerId !== this.pointer) return;
    this.abandon();
    this.ended(this.engine.end(), (reply) => reply);
  }

  // Another drawing came: the stroke being drawn went with the old one.
  abandon() {
    this.pointer = null;
    this.pointerType = null;
  }

  cancel(e) {
    if (e.pointerId === this.pointer) this.takeBack();
  }

  // The stroke being drawn goes, unrecorded.
  takeBack() {
    this.abandon();
    this.ended(this.engine.cancel(), (reply) => ({ ...reply, result: StrokeEnd.Empty }));
  }

  // The end of a stroke, kept or taken back: its pixels, then the page hears.
  ended(call, told) {
    this.pending += 1;
    call.then(
      (reply) => {
        this.pending -= 1;
        this.view.put(reply.pixels);
        this.hooks.onStrokeEnd(told(reply));
      },
      () => (this.pending -= 1),
    );
  }

  // Puts the pixels of an engine call on the canvas and notes how long the
  // event took to reach it.
  send(e, call) {
    this.pending += 1;
    return call.then(
      (reply) => {
        this.pending -= 1;
        this.view.put(reply.pixels);
        this.latencies.push(performance.now() - e.timeStamp);
        this.work.push(reply.ms);
        return reply;
      },
      () => {
        this.pending -= 1;
        return null;
      },
    );
  }
}
