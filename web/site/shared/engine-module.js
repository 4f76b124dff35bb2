// Loads an engine module the way both pages do: the factory script that
// emscripten wrote (a classic script defining `factoryName`), then one
// instance with its .wasm file found beside the script. The player's worker
// does the same with importScripts (engine-worker.js).
export async function loadEngineModule(scriptUrl, factoryName) {
  if (!(factoryName in self)) {
    await new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = String(scriptUrl);
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${scriptUrl} could not be loaded`));
      document.head.append(script);
    });
  }
  const base = new URL('.', scriptUrl);
  return self[factoryName]({ locateFile: (file) => new URL(file, base).href });
}
