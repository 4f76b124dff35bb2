#!/usr/bin/env bash
# The player that the studio's page exported (studio.test.mjs leaves it with
# the page's canvas in WORK_DIR) plays under Wine through the end-to-end
# script, and its canvas there equals the page's, pixel for pixel.
#
#   studio_wine.sh NATIVE_BIN WINDOWS_BIN WORK_DIR E2E_DIR
#
# E2E_DIR is where the end-to-end script runs; its Wine prefix is made (or
# reused) beside it, in E2E_DIR/../wine.
set -euo pipefail
native_bin=$1
windows_bin=$2
work=$3
e2e=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
fail() { echo "studio_wine: $*" >&2; exit 1; }
[ -f "$work/drawing.exe" ] && [ -f "$work/page-canvas.rgb" ] || fail "no exported player in $work (run studio.test.mjs first)"

bash "$here/../../../tests/e2e/player_under_wine.sh" "$native_bin" "$windows_bin" "$work/drawing.exe" "$e2e"
convert "$e2e/run/expected-canvas.png" -depth 8 rgb:"$work/wine-canvas.rgb"
cmp -s "$work/wine-canvas.rgb" "$work/page-canvas.rgb" || fail "the canvas under Wine differs from the page's"
echo "studio_wine: the studio's player under Wine shows the page's canvas"
