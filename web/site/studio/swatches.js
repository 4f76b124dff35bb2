// The palette strip: 256 swatches in a listbox. One swatch is in the tab
// order at a time (a roving tabindex); the arrow keys move through the
// grid, Home and End go to the first and last, and the swatch chosen becomes
// the pen colour.
import { toHex } from './palette.js';

export class Swatches {
  constructor(element, onChoose) {
    this.element = element;
    this.onChoose = onChoose;
    this.current = 0;
    element.addEventListener('keydown', (e) => this.key(e));
    element.addEventListener('click', (e) => {
      const swatch = e.target.closest('[role=option]');
      if (swatch) this.choose(Number(swatch.dataset.slot), false);
    });
  }

  show(palette) {
    this.palette = palette;
    this.element.replaceChildren(
      ...palette.map((colour, i) => {
        const swatch = document.createElement('div');
        swatch.setAttribute('role', 'option');
        swatch.dataset.slot = String(i);
        swatch.style.background = toHex(colour);
        swatch.setAttribute('aria-label', `Slot ${i}, ${toHex(colour)}`);
        swatch.setAttribute('aria-selected', 'false');
        swatch.tabIndex = -1;
        return swatch;
      }),
    );
    this.current = 0;
    this.element.children[0].tabIndex = 0;
  }

  // The number of swatches a row, as the grid lays them out.
  columns() {
    const template = getComputedStyle(this.element).gridTemplateColumns;
    return Math.max(1, template.split(' ').filter(Boolean).length);
  }

  key(e) {
    const steps = {
      ArrowLeft: -1,
      ArrowRight: 1,
      ArrowUp: -this.columns(),
      ArrowDown: this.columns(),
      Home: -Infinity,
      End: Infinity,
    };
    if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      this.choose(this.current, true);
      return;
    }
    if (!(e.key in steps)) return;
    e.preventDefault();
    const next = Math.max(0, Math.min(this.palette.length - 1, this.current + steps[e.key]));
    this.choose(next, true);
  }

  // Makes a swatch the chosen one and the pen colour.
  choose(slot, focus) {
    const swatches = this.element.children;
    swatches[this.current].tabIndex = -1;
    for (const s of this.element.querySelectorAll('[aria-selected=true]')) s.setAttribute('aria-selected', 'false');
    this.current = slot;
    const swatch = swatches[slot];
    swatch.tabIndex = 0;
    swatch.setAttribute('aria-selected', 'true');
    if (focus) swatch.focus();
    swatch.scrollIntoView({ block: 'nearest', inline: 'nearest' });
    this.onChoose(this.palette[slot]);
  }
}
