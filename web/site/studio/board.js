// The board that serves the studio, when one does: its JSON API on the same
// origin. GET /api/board says a board is there; a post is made with
// POST /api/posts, a new version of one with POST /api/posts/<id>/versions
// (multipart: drawing, title, artist, password), and GET /api/posts/<id>
// describes a post and its versions. Failures come back as Errors whose
// message is the one line the page shows.
const kProbeMs = 4000;

function apiUrl(path) {
  return new URL(path, location.origin);
}

// The board's {name}, or null where the studio is served without one (a
// static site, a file opened from disk).
export async function findBoard() {
  if (!/^https?:$/.test(location.protocol)) return null;
  try {
    const response = await fetch(apiUrl('/api/board'), {
      headers: { Accept: 'application/json' },
      signal: AbortSignal.timeout(kProbeMs),
    });
    if (!response.ok) return null;
    const board = await response.json();
    return board && typeof board.name === 'string' ? board : null;
  } catch {
    return null;
  }
}

// The board's own message for a refused request, or one made from the status.
async function refusal(response, what) {
  let text = '';
  try {
    const body = await response.json();
    if (body && typeof body.error === 'string') text = body.error;
  } catch {
    // Not JSON (a proxy's page, a cut body): the status says enough.
  }
  if (response.status === 429) {
    const said = (text || 'too many requests from here').replace(/\.$/, '');
    const wait = Number(response.headers.get('Retry-After'));
    return new Error(`${what}: ${said}. Try again ${wait > 0 ? `in ${Math.ceil(wait)} s` : 'later'}.`);
  }
  if (response.status === 413 && !text) text = 'the drawing is larger than the board takes';
  return new Error(`${what}: ${text || `${response.status} ${response.statusText}`.trim()}`);
}

async function request(url, options, what) {
  let response;
  try {
    response = await fetch(url, options);
  } catch (error) {
    throw new Error(`${what}: the board could not be reached (${error.message})`, { cause: error });
  }
  if (!response.ok) throw await refusal(response, what);
  return response;
}

// Posts the drawing (the .qcd bytes): a new post, or when `postId` is given
// the next version of that post. Resolves to the board's {id, version, url}.
export async function postDrawing({ bytes, fileName, title, artist, password, postId = null }) {
  const form = new FormData();
  form.append('drawing', new Blob([bytes], { type: 'application/octet-stream' }), fileName);
  form.append('title', title);
  form.append('artist', artist);
  form.append('password', password);
  const path = postId ? `/api/posts/${encodeURIComponent(postId)}/versions` : '/api/posts';
  const what = postId ? 'The new version was not posted' : 'The drawing was not posted';
  const response = await request(apiUrl(path), { method: 'POST', body: form }, what);
  const posted = await response.json();
  if (!posted || !posted.id || !posted.url) throw new Error(`${what}: the board's answer was not understood`);
  return posted;
}

// A post and the bytes of its latest version: {post, version, bytes}.
export async function fetchLatest(postId) {
  const what = `Post ${postId} could not be opened`;
  const response = await request(apiUrl(`/api/posts/${encodeURIComponent(postId)}`), {}, what);
  const post = await response.json();
  const version = (post.versions || []).find((v) => v.version === post.latest);
  if (!version || !version.drawing) throw new Error(`${what}: the board lists no drawing for it`);
  const drawing = await request(apiUrl(version.drawing), {}, what);
  return { post, version, bytes: new Uint8Array(await drawing.arrayBuffer()) };
}
