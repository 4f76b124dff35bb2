// The autosave: after every stroke the drawing's bytes go to IndexedDB, so
// that a reload, or a crash of the tab, brings back exactly the same bytes.
const DB = 'quillcast-studio';
const STORE = 'drawings';
const KEY = 'current';

function openDb() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DB, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

function run(mode, fn) {
  return openDb().then((db) => new Promise((resolve, reject) => {
    const tx = db.transaction(STORE, mode);
    const request = fn(tx.objectStore(STORE));
    tx.oncomplete = () => { db.close(); resolve(request.result); };
    tx.onerror = () => { db.close(); reject(tx.error); };
  }));
}

// record: { block: Uint8Array, name, exported }
export const saveDrawing = (record) => run('readwrite', (s) => s.put(record, KEY));
export const loadDrawing = () => run('readonly', (s) => s.get(KEY));
