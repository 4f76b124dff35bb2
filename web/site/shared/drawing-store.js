// The studio's drawing, kept in this browser (IndexedDB, through idb-keyval)
// after every change: its bytes, its undo history and the tool settings. The
// player reads it too, for the studio's Watch (index.html#from=studio).
import { createStore, get, set } from '../vendor/idb-keyval.js';

// The database and store that the studio has always used, so that drawings
// kept before stay.
const store = createStore('quillcast-studio', 'drawings');
const kKey = 'current';

// { block: Uint8Array (the DrawingBlock), name, exported, history, settings,
//   board: what the Post dialog had typed and the post the drawing continues }
export const loadStudioDrawing = () => get(kKey, store);
export const saveStudioDrawing = (record) => set(kKey, record, store);
