#!/usr/bin/env bash
# The player end to end on the real platform: a drawing written into a copy
# of quillcast.exe runs under Wine on a private X server. Screenshots show the
# opening splash and then the centred window; the finished canvas must equal,
# pixel for pixel, what quillcast-render draws on the emulated desktop. A
# click then brings the closing splash, and the program exits with code 0.
#
#   tests/e2e/player_under_wine.sh NATIVE_BIN WINDOWS_BIN DRAWING WORK_DIR
#
# DRAWING is a drawing file or script, written into the built player; or a
# player .exe made elsewhere (the studio's), which runs as it is.
set -euo pipefail

native_bin=$1
windows_bin=$2
drawing=$3
work=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() { echo "player_under_wine: $*" >&2; exit 1; }
[ -x "$native_bin/quillcast-embed" ] || fail "missing $native_bin/quillcast-embed"
[ -f "$windows_bin/quillcast.exe" ] || fail "missing $windows_bin/quillcast.exe (build the Windows tree first)"

rm -rf "$work/run"
mkdir -p "$work/run"
run=$work/run
case "$drawing" in
  *.exe) cp "$drawing" "$run/player.exe" ;;
  *) "$native_bin/quillcast-embed" "$windows_bin/quillcast.exe" "$drawing" -o "$run/player.exe" ;;
esac
# An hour of the show's clock and 20 million units of work: far beyond the
# sample's needs; a show that never ends stops here within a second (exit 3).
bounds=(--max-seconds 3600 --max-work 20)
"$native_bin/quillcast-render" "$run/player.exe" "${bounds[@]}" -o "$run/expected-window.png" ||
  fail "quillcast-render did not finish the show (status $?)"
"$native_bin/quillcast-render" "$run/player.exe" "${bounds[@]}" --canvas-only -o "$run/expected-canvas.png" ||
  fail "quillcast-render did not finish the show (status $?)"

status=0
"$here/../wine/wine_run.sh" --prefix "$(dirname "$work")/wine/prefix" --timeout 240 \
  --during "'$here/drive_player.sh' '$run'" -- "$run/player.exe" || status=$?
[ "$status" -eq 0 ] || fail "the player under Wine ended with status $status (see $run)"
for step in splash-seen window-placed canvas-equal closing-splash-seen; do
  [ -e "$run/$step" ] || fail "step '$step' did not happen (see $run)"
done
echo "player_under_wine: splash, placement, canvas and closing splash as expected; exit code 0"
