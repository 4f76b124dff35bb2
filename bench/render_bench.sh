#!/usr/bin/env bash
# Times quillcast-render on the "dense" sample, a drawing that fills nearly the
# whole block with strokes: wall time of the whole run (best of N) and pixel
# decisions per second. Build the native tree first (scripts/build).
#
#   bench/render_bench.sh [RUNS]     (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
bin=${QC_BIN:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/quillcast-script" build samples/dense.qcs -o "$work/dense.qcd"
best=
for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  "$bin/quillcast-render" --quiet --stats "$work/dense.qcd" -o "$work/dense.png" 2>"$work/stats"
  end=$(date +%s%N)
  ms=$(((end - start) / 1000000))
  if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
done
decisions=$(grep -o '[0-9]* pixel decisions' "$work/stats" | cut -d' ' -f1)
echo "dense sample: $(cat "$work/stats")"
echo "quillcast-render, best of $runs runs: $best ms wall time"
echo "pixel decisions per second: $((decisions * 1000 / (best > 0 ? best : 1)))"
