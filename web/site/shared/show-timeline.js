// A show as the page replays it: the engine's changes in the order of the
// show's clock, put on a canvas up to any moment. Going back starts again
// from the first change; the engine is not asked again.

export class ShowTimeline {
  constructor() {
    this.changes = [];
    this.applied = 0; // changes on the canvas
    this.complete = false;
    this.seconds = 0; // the show's length, once complete
    this.rewound = false;
  }

  add(changes) {
    for (const c of changes) this.changes.push(c);
  }

  finishAt(seconds) {
    this.complete = true;
    this.seconds = Math.max(seconds, this.lastTime());
  }

  // The latest moment the changes so far reach.
  lastTime() {
    return this.changes.length ? this.changes[this.changes.length - 1].seconds : 0;
  }

  available() {
    return this.complete ? this.seconds : this.lastTime();
  }

  isShownTo(seconds) {
    return this.applied === this.changes.length && (!this.complete || seconds >= this.seconds);
  }

  // The canvas was drawn on by someone else: start again from the first change.
  rewind() {
    this.applied = 0;
    this.rewound = true;
  }

  // Puts every change up to `seconds` on the canvas, from the start when
  // going back. The canvas takes the picture's size from the changes.
  showUpTo(canvas, seconds) {
    const context = canvas.getContext('2d');
    if (this.rewound || (this.applied > 0 && this.changes[this.applied - 1].seconds > seconds)) {
      this.applied = 0;
      this.rewound = false;
      context.clearRect(0, 0, canvas.width, canvas.height);
    }
    while (this.applied < this.changes.length && this.changes[this.applied].seconds <= seconds) {
      const c = this.changes[this.applied++];
      if (canvas.width !== c.pictureWidth || canvas.height !== c.pictureHeight) {
        canvas.width = c.pictureWidth;
        canvas.height = c.pictureHeight;
        canvas.dispatchEvent(new Event('resized'));
      }
      const pixels = new Uint8ClampedArray(c.rgba.buffer, c.rgba.byteOffset, c.rgba.length);
      context.putImageData(new ImageData(pixels, c.width, c.height), c.x, c.y);
    }
  }
}
