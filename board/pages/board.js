// The board's pages work without script; this adds the copy button and
// keeps the replay's frame in the picture's proportions as the page narrows.

function fitPlayer() {
  for (const frame of document.querySelectorAll("iframe.player")) {
    const w = Number(frame.getAttribute("width"));
    const h = Number(frame.getAttribute("height"));
    if (!w || !h) continue;
    const shown = Math.min(w, frame.parentElement.clientWidth);
    frame.style.width = `${shown}px`;
    frame.style.height = `${Math.round((shown * h) / w)}px`;
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
