#!/usr/bin/env bash
# quillcast-paint's quality per byte. For each picture and budget: the bytes
# used, strokes, the show's length at the player's pace, PSNR and SSIM of
# the replayed canvas (quillcast-render --canvas-only) against the picture
# as scaled to the canvas, and the run time (wall and CPU; the machine may
# be shared, so the CPU time is the steadier figure). Beside each, the
# same-cost baseline: a grid mosaic of one colour record and one short
# level-4 stroke a cell, as fine as the painting's bytes allow, played by
# the same engine. Budgets run with no show
# aim (--show-seconds 0), so that the budget alone bounds them; the last row
# of each picture is the default: the whole block and a two-minute show.
# Build the native tree first (scripts/build).
#
#   bench/paint_bench.sh [FIT] [STYLE] [PICTURES...]   (default 512 impressionist astronaut camera logo)
set -euo pipefail
cd "$(dirname "$0")/.."
fit=${1:-512}
style=${2:-impressionist}
shift $(($# > 2 ? 2 : $#))
pictures=("$@")
[ ${#pictures[@]} -gt 0 ] || pictures=(astronaut camera logo)
bin=${QC_BIN:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench/paint_pictures.sh "$work"

quality() { "$bin/quillcast-render" --quiet --canvas-only "$1" -o "$work/canvas.png" && "$bin/picture_quality" "$2" "$work/canvas.png"; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" "$2"; }

echo "quillcast-paint --fit $fit --style $style; $(nproc) cores; baseline: a same-cost mosaic"
echo
echo "| picture | budget | bytes | strokes | show | PSNR dB | SSIM | wall s | CPU s | baseline bytes | baseline PSNR dB | baseline SSIM |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
for picture in "${pictures[@]}"; do
  for budget in 50000 100000 200000 451000 default; do
    args=(--budget "$budget" --show-seconds 0)
    label="$budget"
    [ "$budget" = 451000 ] && label="whole block"
    if [ "$budget" = default ]; then args=(); label="whole block, 2-min show"; fi
    TIMEFORMAT='%R %U'
    { time "$bin/quillcast-paint" "$work/$picture.png" --quiet --stats --fit "$fit" --style "$style" "${args[@]}" \
        --save-scaled "$work/scaled.png" -o "$work/painted.qcd" >"$work/stats"; } 2>"$work/time"
    read -r wall cpu <"$work/time"
    read -r psnr ssim <<<"$(quality "$work/painted.qcd" "$work/scaled.png" | sed 's/psnr=//; s/ssim=//')"
    "$bin/mosaic_baseline" "$work/scaled.png" "$(field bytes "$work/stats")" "$work/mosaic.qcd" >"$work/mosaic"
    read -r bpsnr bssim <<<"$(quality "$work/mosaic.qcd" "$work/scaled.png" | sed 's/psnr=//; s/ssim=//')"
    show=$(field show_seconds "$work/stats")
    printf '| %s | %s | %s | %s | %s s | %s | %s | %s | %s | %s | %s | %s |\n' "$picture" "$label" \
      "$(field bytes "$work/stats")" "$(field strokes "$work/stats")" "$show" "$psnr" "$ssim" "$wall" "$cpu" \
      "$(field bytes "$work/mosaic")" "$bpsnr" "$bssim"
  done
done
