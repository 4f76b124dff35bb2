// Where drawings come from: a file picker, files dropped on an element, and
// URLs (deep links and the sample list). Each gives {name, blob}.

export async function fetchInput(url) {
  const address = new URL(url, document.baseURI);
  let response;
  try {
    response = await fetch(address);
  } catch (error) {
    throw new Error(`cannot fetch ${url}: ${error.message}`);
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

// Files dropped anywhere on `element`; `element` carries the class
// "dropping" while something is dragged over it.
export function watchDrops(element, onInput) {
  element.addEventListener('dragover', (event) => {
    event.preventDefault();
    element.classList.add('dropping');
  });
  element.addEventListener('dragleave', () => element.classList.remove('dropping'));
  element.addEventListener('drop', (event) => {
    event.preventDefault();
    element.classList.remove('dropping');
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) onInput({ name: file.name, blob: file });
  });
}

// The page's deep link: #drawing=<URL>&speed=<N|end>&splash=1&work=<N>
// (work: the bound on a show's work in millions of units, as
// quillcast-render's --max-work).
export function readDeepLink(hash = location.hash) {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  return {
    drawing: params.get('drawing'),
    speed: params.get('speed'),
    splash: params.get('splash') === '1',
    work: Number(params.get('work')) || 0,
  };
}
