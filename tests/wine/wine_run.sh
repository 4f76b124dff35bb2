#!/usr/bin/env bash
# Runs one Windows program under Wine on a private, headless X server.
#
#   tests/wine/wine_run.sh --prefix DIR [options] -- PROGRAM.exe [ARGS...]
#
#   --prefix DIR     Wine prefix (or $QC_WINEPREFIX). Made on first use with
#                    `wineboot -i`, with Wine's crash dialog off and windows
#                    unmanaged (there is no window manager), then reused.
#                    Runs in one prefix take turns (a lock beside it), because
#                    they share one wineserver, which teardown kills.
#   --timeout SECS   Kill the program after SECS seconds (default 60).
#   --stdout FILE    The program's standard output goes to FILE.
#   --during CMD     Runs `bash -c CMD` next to the program, once it is started.
#                    It sees DISPLAY, WINEPREFIX, QC_WINE_PID (the program) and
#                    QC_DESKTOP, the helper for screenshots, clicks and keys:
#                      "$QC_DESKTOP" wait-window TITLE [SECS]
#                      "$QC_DESKTOP" screenshot FILE.png
#                      "$QC_DESKTOP" click X Y [BUTTON]
#                      "$QC_DESKTOP" key KEY        (xdotool names: Return, space)
#                    When the program ends, CMD gets 10 more seconds, then is killed.
#   --screen WxHxD   Screen of the X server (default 1024x768x24).
#
# Exit status: the program's exit code; 124 when it timed out; 125 when the
# tooling failed (X server, prefix, or CMD ended non-zero). Whatever happens,
# the wineserver and the X server are gone when this returns. Wine's chatter
# goes to standard error. Needs no DISPLAY of its own; works as root.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=${QC_WINEPREFIX:-}
limit=60
stdout_file=
during=
screen=1024x768x24

fail() { echo "wine_run: $*" >&2; exit 125; }

while [ $# -gt 0 ]; do
  case $1 in --prefix | --timeout | --stdout | --during | --screen) [ $# -ge 2 ] || fail "$1 needs a value" ;; esac
  case $1 in
    --prefix) prefix=$2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --stdout) stdout_file=$2; shift 2 ;;
    --during) during=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) fail "unknown option '$1' (see the comment at the top of $0)" ;;
  esac
done
[ $# -ge 1 ] || fail "no program given"
[ -n "$prefix" ] || fail "no Wine prefix: pass --prefix DIR or set QC_WINEPREFIX"
[ -f "$1" ] || fail "program not found: $1"
for tool in wine wineserver wineboot Xvfb flock timeout setsid; do
  command -v "$tool" >/dev/null || fail "'$tool' is missing (run scripts/setup)"
done

mkdir -p "$(dirname "$prefix")" || fail "cannot make $(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix
export WINEARCH=win32
export WINEDEBUG=${QC_WINEDEBUG:--all}
# No prompts to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=${HOME:-/root}
unset WINESERVER WINELOADER

work=$(mktemp -d "${TMPDIR:-/tmp}/wine_run.XXXXXX") || fail "cannot make a temporary folder"
xvfb_pid=
program_pid=
during_pid=

teardown() {
  if [ -n "$during_pid" ]; then kill -- -"$during_pid" 2>/dev/null; wait "$during_pid" 2>/dev/null; fi
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null; fi
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work"
}
trap teardown EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# One run per prefix at a time; the wait covers a slow first prefix creation.
exec 9>"$prefix.lock" || fail "cannot open $prefix.lock"
flock -w 900 9 || fail "gave up waiting for $prefix.lock"

# A free display: skip numbers whose lock or socket exists, and move on when
# the server still loses the race for one. -displayfd tells when it is ready.
start_xvfb() {
  local base=$((100 + $$ % 400)) i n
  for ((i = 0; i < 400; i++)); do
    n=$((100 + (base - 100 + i) % 400))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    : >"$work/display"
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset -displayfd 8 8>"$work/display" \
      >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local tries
    for ((tries = 0; tries < 100; tries++)); do
      if [ -s "$work/display" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  return 1
}
start_xvfb || fail "could not start Xvfb (last log: $(tail -n 3 "$work/xvfb.log" 2>/dev/null))"

# The prefix's settings: no crash dialog, and windows that Wine places itself.
# With no window manager on the X server, Wine would otherwise wait for one
# (two seconds at every hide). A prefix without the current marker, half made
# or made with older settings, is made again from scratch.
prefix_version="qc-prefix 2"
if [ "$(cat "$prefix/.qc-ready" 2>/dev/null)" != "$prefix_version" ]; then
  echo "wine_run: making the Wine prefix $prefix (once per build tree)" >&2
  wineserver -k 2>/dev/null
  rm -rf "$prefix"
  timeout 600 wineboot -i >&2 || fail "wineboot -i failed in $prefix"
  timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >&2 \
    || fail "could not turn off the crash dialog"
  timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >&2 \
    || fail "could not turn off managed windows"
  timeout 120 wineserver -w
  echo "$prefix_version" >"$prefix/.qc-ready"
fi
# A wineserver left over from an interrupted run would carry the old display.
wineserver -k 2>/dev/null
timeout 20 wineserver -w 2>/dev/null

if [ -n "$stdout_file" ]; then
  timeout -k 5 "$limit" wine "$@" >"$stdout_file" </dev/null &
else
  timeout -k 5 "$limit" wine "$@" </dev/null &
fi
program_pid=$!

if [ -n "$during" ]; then
  # A launcher of our own, so the helper runs whatever its file mode.
  printf '#!/bin/sh\nexec bash "%s" "$@"\n' "$here/desktop.sh" >"$work/desktop"
  chmod +x "$work/desktop"
  QC_WINE_PID=$program_pid QC_DESKTOP="$work/desktop" setsid bash -c "$during" </dev/null &
  during_pid=$!
fi

wait "$program_pid"
status=$?
program_pid=
# 137: the program ignored the polite stop and was killed.
[ "$status" -eq 137 ] && status=124

if [ -n "$during_pid" ]; then
  for ((tries = 0; tries < 100; tries++)); do
    kill -0 "$during_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$during_pid" 2>/dev/null; then
    echo "wine_run: the --during command was still running 10 s after the program; killed" >&2
    kill -- -"$during_pid" 2>/dev/null
    wait "$during_pid" 2>/dev/null
    during_status=125
  else
    wait "$during_pid"
    during_status=$?
  fi
  during_pid=
  if [ "$during_status" -ne 0 ] && [ "$status" -ne 124 ]; then
    echo "wine_run: the --during command failed ($during_status); the program returned $status" >&2
    status=125
  fi
fi

[ "$status" -eq 124 ] && echo "wine_run: $1 did not end within $limit s" >&2
exit "$status"
