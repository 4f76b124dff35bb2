// Where a drawing can go from the studio. Each destination is one entry:
// its button, and what it does with the drawing; the page makes the buttons
// from this list, so another destination is one more entry. `keeps` says
// that the drawing is then safe outside this browser; `needsBoard`, that the
// button shows only when a board serves the studio. run() resolves to what
// the page says, or to null when the painter changed their mind.
const kPlayerUrl = 'quillcast.exe';

export const destinations = [
  {
    id: 'save-qcd',
    label: 'Save .qcd',
    title: 'The drawing file (Ctrl+S)',
    keeps: true,
    async run(studio) {
      studio.download(await studio.engine.block(), studio.fileName('.qcd'), 'application/octet-stream');
      return `Saved ${studio.fileName('.qcd')}.`;
    },
  },
  {
    id: 'save-qcs',
    label: 'Save .qcs',
    title: 'The drawing as a script, the text that quillcast-script dump writes',
    keeps: true,
    async run(studio) {
      studio.download(await studio.engine.script(studio.fileName('.qcd')), studio.fileName('.qcs'), 'text/plain');
      return `Saved ${studio.fileName('.qcs')}.`;
    },
  },
  {
    id: 'save-exe',
    label: 'Save .exe',
    title: 'A Windows player that replays the drawing',
    keeps: true,
    async run(studio) {
      let player;
      try {
        const response = await fetch(kPlayerUrl);
        if (!response.ok) throw new Error(`${response.status} ${response.statusText}`.trim());
        player = new Uint8Array(await response.arrayBuffer());
      } catch (error) {
        throw new Error(`The player (${kPlayerUrl}) could not be fetched: ${error.message}`, { cause: error });
      }
      const made = await studio.engine.player(player);
      if (made.error) throw new Error(made.error);
      studio.download(made.bytes, studio.fileName('.exe'), 'application/vnd.microsoft.portable-executable');
      return `Saved ${studio.fileName('.exe')}: a player that replays the drawing.`;
    },
  },
  {
    id: 'post',
    label: 'Post to board',
    title: 'Post the drawing on this board, or a new version of the post it continues',
    keeps: true,
    needsBoard: true,
    run: (studio) => studio.post(),
  },
  {
    id: 'watch',
    label: 'Watch',
    title: 'Play the drawing from the start in the player',
    keeps: false,
    async run(studio) {
      // The player opens the drawing the studio keeps in this browser, so
      // its tab can be reloaded.
      await studio.saved();
      window.open('../index.html#from=studio&speed=1', '_blank');
      return `Playing ${studio.fileName('.qcd')} in the player.`;
    },
  },
];
