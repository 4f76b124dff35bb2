// Where drawings come from: a file picker, files dropped on the page, and
// URLs (deep links and the sample list). Each gives {name, blob}.

export async function fetchInput(url) {
  const address = new URL(url, document.baseURI);
  let response;
  try {
    response = await fetch(address);
  } catch (error) {
    throw new Error(`cannot fetch ${url}: ${error.message}`, { cause: error });
  }
  if (!response.ok) throw new Error(`cannot fetch ${url}: ${response.status} ${response.statusText}`.trim());
  const name = decodeURIComponent(address.pathname.split('/').pop() || 'drawing');
  return { name, blob: await response.blob() };
}

export function watchFilePicker(input, onInput) {
  input.addEventListener('change', () => {
    const file = input.files && input.files[0];
    if (file) onInput({ name: file.name, blob: file });
    input.value = '';
  });
}

function carriesFiles(event) {
  return !!event.dataTransfer && [...event.dataTransfer.types].includes('Files');
}

// Files dropped anywhere on `zone`; `shown` (the element that shows where a
// drop goes) carries the class "dropping" while files are dragged over the
// zone.
export function watchDrops(zone, shown, onInput) {
  let depth = 0; // dragenter and dragleave come for every child entered and left
  const stop = () => {
    depth = 0;
    shown.classList.remove('dropping');
  };
  zone.addEventListener('dragenter', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    depth += 1;
    shown.classList.add('dropping');
  });
  zone.addEventListener('dragover', (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    shown.classList.add('dropping');
  });
  zone.addEventListener('dragleave', () => {
    depth = Math.max(0, depth - 1);
    if (depth === 0) shown.classList.remove('dropping');
  });
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    stop();
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) onInput({ name: file.name, blob: file });
  });
  window.addEventListener('dragend', stop);
}

// The page's deep link: #drawing=<URL>&speed=<N|end>&splash=1&loop=1&work=<N>,
// or #from=studio for the drawing the studio keeps in this browser (work:
// the bound on a show's work in millions of units, as quillcast-render's
// --max-work); embed=1 shows the replay and its controls alone, for a frame
// on another page.
export function readDeepLink(hash = location.hash) {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  return {
    drawing: params.get('drawing'),
    fromStudio: params.get('from') === 'studio',
    speed: params.get('speed'),
    splash: params.get('splash') === '1',
    loop: params.get('loop') === '1',
    work: Number(params.get('work')) || 0,
    embed: params.get('embed') === '1',
  };
}
