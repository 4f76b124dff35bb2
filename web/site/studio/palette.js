// A palette of 256 colours made from a reference picture by median cut: the
// picture's colours are split, box by box, across the widest channel at its
// median until there are 256 boxes; each box gives its mean colour. Short of
// colours, the rest of the slots are filled from the standard palette.
export function medianCut(rgba, standard) {
  const colours = [];
  const step = Math.max(1, Math.floor(rgba.length / 4 / 65536)); // at most 64k samples
  for (let i = 0; i < rgba.length; i += 4 * step) colours.push([rgba[i], rgba[i + 1], rgba[i + 2]]);
  let boxes = [colours];
  while (boxes.length < 256) {
    let widest = -1,
      at = -1,
      channel = 0;
    boxes.forEach((box, i) => {
      if (box.length < 2) return;
      for (let c = 0; c < 3; c++) {
        let lo = 255,
          hi = 0;
        for (const p of box) {
          lo = Math.min(lo, p[c]);
          hi = Math.max(hi, p[c]);
        }
        if (hi - lo > widest) {
          widest = hi - lo;
          at = i;
          channel = c;
        }
      }
    });
    if (at < 0 || widest === 0) break;
    const box = boxes[at].sort((a, b) => a[channel] - b[channel]);
    const half = box.length >> 1;
    boxes.splice(at, 1, box.slice(0, half), box.slice(half));
  }
  const palette = boxes
    .filter((b) => b.length)
    .map((box) => {
      const sum = [0, 0, 0];
      for (const p of box) for (let c = 0; c < 3; c++) sum[c] += p[c];
      const [r, g, b] = sum.map((s) => Math.round(s / box.length));
      return r | (g << 8) | (b << 16);
    });
  for (let i = palette.length; i < 256; i++) palette.push(standard[i]);
  return palette.slice(0, 256);
}

export const toHex = (c) =>
  '#' + [c & 255, (c >> 8) & 255, (c >> 16) & 255].map((v) => v.toString(16).padStart(2, '0')).join('');
export const fromHex = (hex) => {
  const v = parseInt(hex.slice(1), 16);
  return ((v >> 16) & 255) | (v & 0xff00) | ((v & 255) << 16);
};
