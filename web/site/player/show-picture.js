// The show's picture at any moment of its clock, built up from the engine's
// changes (the rectangles the player page plays), in one RGBA buffer. Time
// only goes forward: each change is laid on once.

export class ShowPicture {
  // changes: {seconds, x, y, width, height, pictureWidth, pictureHeight, rgba}
  // in the order of the show's clock; the last one leaves the finished picture.
  constructor(changes) {
    if (changes.length === 0) throw new Error('the show has no picture');
    this.changes = changes;
    this.width = changes[0].pictureWidth;
    this.height = changes[0].pictureHeight;
    this.rgba = new Uint8ClampedArray(this.width * this.height * 4);
    this.pixels = new Uint32Array(this.rgba.buffer);
    this.applied = 0;
  }

  get finished() {
    return this.applied === this.changes.length;
  }

  // Lays on every change up to `seconds` (or all of them); returns the
  // rectangle they covered, {x, y, width, height}, or null when none came.
  advanceTo(seconds = Infinity) {
    let left = Infinity;
    let top = Infinity;
    let right = -1;
    let bottom = -1;
    while (this.applied < this.changes.length && this.changes[this.applied].seconds <= seconds) {
      const c = this.changes[this.applied++];
      if (c.pictureWidth !== this.width || c.pictureHeight !== this.height) {
        throw new Error(`the show's picture changes size at ${c.seconds.toFixed(3)} s`);
      }
      const rowBytes = c.width * 4;
      for (let row = 0; row < c.height; ++row) {
        const from = c.rgba.subarray(row * rowBytes, (row + 1) * rowBytes);
        this.rgba.set(from, ((c.y + row) * this.width + c.x) * 4);
      }
      left = Math.min(left, c.x);
      top = Math.min(top, c.y);
      right = Math.max(right, c.x + c.width);
      bottom = Math.max(bottom, c.y + c.height);
    }
    return right < 0 ? null : { x: left, y: top, width: right - left, height: bottom - top };
  }
}
