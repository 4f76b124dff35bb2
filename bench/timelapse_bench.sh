#!/usr/bin/env bash
# Times the GIF of the largest sample ("dense") against its plain render:
# wall time of each (best of N) and the ratio; the aim is 3x at most. Build
# the native tree first (scripts/build).
#
#   bench/timelapse_bench.sh [RUNS]     (default 3)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
bin=${QC_BIN:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/quillcast-sample" dense -o "$work/dense.qcd"
best() {
  local best= start end ms
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
plain=$(best "$bin/quillcast-render" --quiet "$work/dense.qcd" -o "$work/dense.png")
gif=$(best "$bin/quillcast-render" --quiet "$work/dense.qcd" --gif "$work/dense.gif")
echo "dense sample, best of $runs runs:"
echo "  plain render:  $plain ms"
echo "  GIF:           $gif ms ($(stat -c %s "$work/dense.gif") bytes)"
echo "  ratio:         $(awk -v g="$gif" -v p="$plain" 'BEGIN { printf "%.2f", g / (p > 0 ? p : 1) }') (aim: 3 at most)"
