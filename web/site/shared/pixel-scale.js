// Pixels shown crisply: each pixel of the picture becomes a whole number of
// the screen's own pixels, whatever the screen's density.

// The canvas's size on the page for `zoom` screen pixels a picture pixel
// (at least one).
export function showScaled(canvas, zoom) {
  const ratio = window.devicePixelRatio || 1;
  const whole = Math.max(1, Math.round(zoom));
  canvas.style.width = `${(canvas.width * whole) / ratio}px`;
  canvas.style.height = `${(canvas.height * whole) / ratio}px`;
}

// The zoom that a screen of this density starts with: one picture pixel to
// as many screen pixels as a CSS pixel has, rounded down.
export function defaultZoom() {
  return Math.max(1, Math.floor(window.devicePixelRatio || 1));
}
