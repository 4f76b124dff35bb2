// The board's pages work without script; this adds the copy button and
// fits the replay's frame to a narrow page: the picture shrinks with the
// width (the player fits it), the controls under it keep their height.

function fitPlayer() {
  for (const frame of document.querySelectorAll("iframe.player")) {
    const w = Number(frame.getAttribute("width"));
    const h = Number(frame.getAttribute("height"));
    const pw = Number(frame.dataset.pictureWidth);
    const ph = Number(frame.dataset.pictureHeight);
    if (!w || !h || !pw || !ph) continue;
    const shown = Math.min(w, frame.parentElement.clientWidth);
    const extraW = w - pw;
    const extraH = h - ph;
    const picture = Math.max(1, shown - extraW);
    frame.style.width = `${shown}px`;
    frame.style.height = `${Math.round((picture * ph) / pw) + extraH}px`;
  }
}

function setUpCopy() {
  for (const button of document.querySelectorAll("button[data-copy]")) {
    const field = document.getElementById(button.dataset.copy);
    if (!field || !navigator.clipboard) continue;
    button.hidden = false;
    button.addEventListener("click", async () => {
      try {
        await navigator.clipboard.writeText(field.value);
        button.textContent = "Copied";
      } catch {
        field.select();
        button.textContent = "Press Ctrl+C to copy";
      }
      setTimeout(() => (button.textContent = "Copy link"), 2000);
    });
  }
}

fitPlayer();
setUpCopy();
addEventListener("resize", fitPlayer);
