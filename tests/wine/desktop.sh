#!/usr/bin/env bash
# Looks at and drives the X display of a Wine run; meant for the --during
# command of wine_run.sh, which sets DISPLAY and offers this as $QC_DESKTOP.
#
#   desktop.sh wait-window TITLE [SECS]  wait until a visible window has TITLE (default 20 s)
#   desktop.sh screenshot FILE.png       the whole screen as PNG
#   desktop.sh click X Y [BUTTON]        press and release BUTTON (1 = left) at screen X,Y
#   desktop.sh key KEY                   press and release KEY (xdotool names: Return, space, a)
#
# Exits non-zero with a message when the step could not be done.
set -euo pipefail

fail() { echo "desktop: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set (run under wine_run.sh --during)"

# The real ImageMagick: a 'convert' earlier in PATH may be something else.
image_converter() {
  local candidate
  for candidate in /usr/bin/convert-im6.q16 /usr/bin/magick /usr/bin/convert; do
    [ -x "$candidate" ] && { echo "$candidate"; return; }
  done
  command -v convert || fail "ImageMagick is missing (run scripts/setup)"
}

command=${1:-}
shift || true
case $command in
  wait-window)
    [ $# -ge 1 ] || fail "wait-window needs a title"
    secs=${2:-20}
    for ((i = 0; i < secs * 10; i++)); do
      xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && exit 0
      sleep 0.1
    done
    fail "no visible window '$1' after $secs s"
    ;;
  screenshot)
    [ $# -eq 1 ] || fail "screenshot needs a file name"
    converter=$(image_converter)
    # xwd walks the window tree; a window that goes away meanwhile makes it
    # fail, so a few more tries ride over windows coming and going.
    for attempt in 1 2 3 4 5; do
      xwd -root -silent >"$1.xwd" 2>"$1.xwd.err" && break
      [ "$attempt" = 5 ] && { cat "$1.xwd.err" >&2; rm -f "$1.xwd" "$1.xwd.err"; fail "xwd could not read the screen"; }
      sleep 0.2
    done
    rm -f "$1.xwd.err"
    "$converter" "xwd:$1.xwd" "png:$1" || { rm -f "$1.xwd"; fail "could not convert the screenshot"; }
    rm -f "$1.xwd"
    ;;
  click)
    [ $# -ge 2 ] || fail "click needs X and Y"
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
    ;;
  key)
    [ $# -eq 1 ] || fail "key needs a key name"
    xdotool key "$1"
    ;;
  *)
    fail "unknown command '$command' (wait-window, screenshot, click, key)"
    ;;
esac
