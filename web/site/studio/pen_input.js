// Pointer Events to strokes: every coalesced point of a move goes to the
// engine, which draws each segment at once; the changed rectangle is then
// copied to the canvas. A pen's pressure (0..1) goes through the user's curve
// to the recorded 0..15; a mouse or a finger records a fixed 0, which draws
// at the chosen brush level. With "pen only", other pointers are ignored.
export class PenInput {
  constructor(engine, view, hooks) {
    this.engine = engine;
    this.view = view;
    this.hooks = hooks;  // { tool(), penOnly(), curve(), onPick(x, y), onStrokeEnd(result), onWarn(bool) }
    this.pointer = null;
    this.last = null;
    this.latencies = [];  // ms from each pointer event to its pixels, for the benchmark
    this.work = [];       // ms of that spent here: the engine's drawing and the copy
    const c = view.canvas;
    c.addEventListener('pointerdown', (e) => this.down(e));
    // Raw updates come as soon as the input does, not with the next frame.
    const moves = 'onpointerrawupdate' in window ? 'pointerrawupdate' : 'pointermove';
    c.addEventListener(moves, (e) => this.move(e));
    c.addEventListener('pointerup', (e) => this.up(e));
    c.addEventListener('pointercancel', (e) => this.up(e));
    c.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  pressureOf(e) {
    if (e.pointerType !== 'pen') return 0;
    const p = Math.max(0, Math.min(1, e.pressure));
    return Math.max(0, Math.min(15, Math.round(Math.pow(p, this.hooks.curve()) * 15)));
  }

  accepts(e) {
    return !this.hooks.penOnly() || e.pointerType === 'pen';
  }

  down(e) {
    if (this.pointer !== null || !this.accepts(e) || e.button > 0) return;
    if (this.view.startPan(e)) return;
    e.preventDefault();
    const [x, y] = this.view.toCanvas(e);
    if (this.hooks.tool() === 'picker') {
      this.hooks.onPick(Math.floor(x), Math.floor(y));
      return;
    }
    this.pointer = e.pointerId;
    this.started = performance.now();
    this.view.canvas.setPointerCapture(e.pointerId);
    this.engine.begin(x, y, this.pressureOf(e), e.pointerType === 'pen' && this.hooks.pressureAllowed() ? 1 : 0);
    this.last = [x, y];
    this.show([[x, y]], e);
  }

  move(e) {
    if (e.pointerId !== this.pointer) return;
    this.started = performance.now();
    const events = e.getCoalescedEvents ? e.getCoalescedEvents() : [];
    const points = [];
    for (const c of events.length ? events : [e]) {
      const [x, y] = this.view.toCanvas(c);
      this.engine.to(x, y, this.pressureOf(c));
      points.push([x, y]);
    }
    this.show(points, e);
    this.hooks.onWarn(!this.engine.strokeFits());
  }

  up(e) {
    if (e.pointerId !== this.pointer) return;
    this.pointer = null;
    this.last = null;
    const result = this.engine.end();
    this.hooks.onStrokeEnd(result);
  }

  // Copies the box of the new points and the one before, widened by the
  // brush's reach, and notes how long the event took to reach the canvas.
  show(points, e) {
    let [minX, minY] = this.last;
    let [maxX, maxY] = this.last;
    for (const [x, y] of points) {
      minX = Math.min(minX, x); minY = Math.min(minY, y);
      maxX = Math.max(maxX, x); maxY = Math.max(maxY, y);
    }
    this.last = points[points.length - 1];
    const reach = 5;
    this.view.upload(minX - reach, minY - reach, maxX - minX + 2 * reach + 1, maxY - minY + 2 * reach + 1);
    const now = performance.now();
    this.latencies.push(now - e.timeStamp);
    this.work.push(now - this.started);
  }
}
