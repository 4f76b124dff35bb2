// Pixels shown crisply. A zoom is screen pixels (the device's own) per
// picture pixel: a whole number shows each picture pixel as a square of
// screen pixels, whatever the screen's density; below 1, where even one
// screen pixel each does not fit, the picture is scaled down smoothly.

const kSmallest = 1 / 16;
const kLargest = 64;

function ratio() {
  return window.devicePixelRatio || 1;
}

// The canvas's size on the page at `zoom`.
export function showScaled(canvas, zoom) {
  canvas.style.width = `${(canvas.width * zoom) / ratio()}px`;
  canvas.style.height = `${(canvas.height * zoom) / ratio()}px`;
  canvas.classList.toggle('scaled-down', zoom < 1);
}

// The largest whole-number zoom at which a picture fits a box of CSS
// pixels, or the scale that just fits where 1 does not.
export function fitZoom(width, height, boxWidth, boxHeight) {
  if (!width || !height) return cssZoom(1);
  const fit = Math.min((boxWidth * ratio()) / width, (boxHeight * ratio()) / height);
  return fit >= 1 ? Math.floor(fit) : Math.max(kSmallest, fit);
}

// The zoom that shows a picture pixel as `n` CSS pixels (n = 1: the
// screen's own pixel size on a desktop).
export function cssZoom(n) {
  return Math.max(1, Math.round(n * ratio()));
}

// The next zoom in or out: whole numbers from 1 up; halves below 1.
export function stepZoom(zoom, step, smallest = 1) {
  let next;
  if (step > 0) next = zoom >= 1 ? Math.floor(zoom) + 1 : Math.min(1, 2 ** Math.floor(Math.log2(zoom) + 1.0001));
  else if (zoom > 1) next = Math.ceil(zoom) - 1;
  else next = 2 ** Math.ceil(Math.log2(zoom) - 1.0001);
  return Math.min(kLargest, Math.max(Math.max(kSmallest, smallest), next));
}

// A zoom as people read it: CSS pixels per picture pixel, in per cent.
export function zoomPercent(zoom) {
  return Math.round((zoom / ratio()) * 100);
}
