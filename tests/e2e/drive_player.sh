#!/usr/bin/env bash
# The viewer's side of player_under_wine.sh, run next to the player under
# wine_run.sh --during. Leaves a marker file in RUN_DIR for every step seen.
#
#   drive_player.sh RUN_DIR   (RUN_DIR holds expected-window.png and expected-canvas.png)
set -euo pipefail

run=$1
desktop=$QC_DESKTOP
fail() { echo "drive_player: $*" >&2; exit 1; }

converter=/usr/bin/convert-im6.q16
[ -x "$converter" ] || converter=convert
comparer=/usr/bin/compare-im6.q16
[ -x "$comparer" ] || comparer=compare

size_of() { "$converter" "$1" -format '%w %h' info:; }
crop() { "$converter" "$1" -crop "$3x$4+$5+$6" +repage "$2"; }
differing_pixels() { "$comparer" -metric AE "$1" "$2" null: 2>&1 || true; }
# Share of pixels (percent) of the splash pictures' parchment colour.
parchment_share() {
  local total hits
  total=$("$converter" "$1" -format '%[fx:w*h]' info:)
  hits=$("$converter" "$1" txt:- | grep -c '#DEBD73' || true)
  echo $((hits * 100 / total))
}

# Screenshots every quarter second, up to TRIES times, until the centre
# region W x H at X,Y is mostly parchment: a splash picture is showing.
#   wait_for_splash NAME TRIES W H X Y   (leaves NAME.png in RUN_DIR)
wait_for_splash() {
  local name=$1 tries=$2
  for _ in $(seq 1 "$tries"); do
    sleep 0.25
    "$desktop" screenshot "$run/$name.png"
    crop "$run/$name.png" "$run/$name-centre.png" "$3" "$4" "$5" "$6"
    [ "$(parchment_share "$run/$name-centre.png")" -ge 10 ] && return 0
  done
  return 1
}

size=$(size_of "$run/expected-window.png")
window_w=${size% *}
window_h=${size#* }
size=$(size_of "$run/expected-canvas.png")
canvas_w=${size% *}
canvas_h=${size#* }
x=$(((1024 - window_w) / 2))
y=$(((768 - window_h) / 2))

"$desktop" wait-window Quillcast 30

# The opening splash, centred, about 1 s after the window appeared.
wait_for_splash opening 40 160 40 432 364 || fail "no opening splash at the screen's centre (see opening.png)"
touch "$run/splash-seen"

# The window, centred and framed, then the finished drawing.
for _ in $(seq 1 200); do
  sleep 0.5
  "$desktop" screenshot "$run/playing.png"
  crop "$run/playing.png" "$run/window.png" "$window_w" "$window_h" "$x" "$y"
  crop "$run/window.png" "$run/canvas.png" "$canvas_w" "$canvas_h" 7 7
  # The frame's corner shows as soon as the window is placed.
  crop "$run/window.png" "$run/corner.png" 10 10 0 0
  crop "$run/expected-window.png" "$run/expected-corner.png" 10 10 0 0
  [ "$(differing_pixels "$run/corner.png" "$run/expected-corner.png")" = 0 ] && touch "$run/window-placed"
  if [ "$(differing_pixels "$run/canvas.png" "$run/expected-canvas.png")" = 0 ]; then
    touch "$run/canvas-equal"
    break
  fi
done
[ -e "$run/window-placed" ] || fail "the framed window never showed centred at $x,$y (see playing.png)"
[ -e "$run/canvas-equal" ] || fail "the canvas never matched the emulated one (see canvas.png, expected-canvas.png)"
window_diff=$(differing_pixels "$run/window.png" "$run/expected-window.png")
[ "$window_diff" = 0 ] || fail "the frame differs from the emulated one in $window_diff pixels (see window.png)"

# A click ends the show: the window hides and the closing splash shows.
"$desktop" click $((x + window_w / 2)) $((y + window_h / 2))
wait_for_splash closing 20 160 30 432 369 || fail "no closing splash after the click (see closing.png)"
touch "$run/closing-splash-seen"
