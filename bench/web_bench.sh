#!/usr/bin/env bash
# The web player's figures, in one run on one machine: the dense sample
# played to its end in headless Chromium against quillcast-render of the same
# file (best of RUNS each), the time to work out its whole show as changes,
# the cold load to the first frame (median and best of RUNS fresh browser
# profiles), and what the site sends (gzip -9). Needs build/ and build-web/
# (scripts/build) and web/node_modules (scripts/setup).
#
#   bench/web_bench.sh [RUNS]     (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
fixtures=$(mktemp -d)
trap 'rm -rf "$fixtures"' EXIT

build/bin/quillcast-script build samples/dense.qcs -o "$fixtures/dense.qcd"
native=
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  build/bin/quillcast-render --quiet "$fixtures/dense.qcd" -o "$fixtures/dense.png"
  ms=$((($(date +%s%N) - start) / 1000000))
  if [ -z "$native" ] || [ "$ms" -lt "$native" ]; then native=$ms; fi
done

web=$(cd web && QC_FIXTURES="$fixtures" node bench/player_bench.mjs "$runs")

# What the player's page loads: its engine, its own and the shared scripts,
# and the packages they import (Comlink on the page and in the worker,
# idb-keyval for the studio's drawing).
gz() { gzip -9 -c "$1" | wc -c; }
site=build-web/site
wasm=$(gz "$site/engine/quillcast-engine.wasm")
js=0
for f in "$site"/engine/*.js "$site"/shared/*.js "$site"/player/*.js \
  "$site"/vendor/comlink.mjs "$site"/vendor/comlink.js "$site"/vendor/idb-keyval.js; do
  js=$((js + $(gz "$f")))
done
other=0
for f in "$site"/index.html "$site"/shared/*.css "$site"/player/*.css; do other=$((other + $(gz "$f"))); done

python3 - "$native" "$web" "$wasm" "$js" "$other" "$runs" <<'PY'
import json, sys
native, web, wasm, js, other, runs = int(sys.argv[1]), json.loads(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), sys.argv[6]
engine = web["denseEngineMs"]
print(f"dense sample to its end, best of {runs}:")
print(f"  quillcast-render (native, whole process)    {native:8.0f} ms")
print(f"  web player, the engine in its worker        {engine:8.0f} ms  ({engine / native:.2f} x native)")
print(f"  web player, page start to the last picture  {web['densePageMs']:8.0f} ms")
print(f"dense show worked out as changes ({web['denseShowSeconds']:.0f} s of show) {web['denseRecordMs']:8.0f} ms")
print(f"cold load to the first frame (quick sample): median {web['coldFirstFrameMedianMs']:.0f} ms, best {web['coldFirstFrameBestMs']:.0f} ms")
print(f"the player page's transfer size, gzip -9: wasm {wasm / 1024:.1f} KiB + JavaScript {js / 1024:.1f} KiB = {(wasm + js) / 1024:.1f} KiB"
      f" (HTML and CSS {other / 1024:.1f} KiB more)")
PY
