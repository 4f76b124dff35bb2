#!/usr/bin/env bash
# Checks wine_run.sh itself with a Windows program that opens windows (the
# conformance probe): the exit code comes back, a --during command can wait
# for a window, take a screenshot and click, and a program that overruns its
# time limit is stopped with 124.
#
#   self_test.sh PROGRAM.exe PREFIX
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=${1:-}
prefix=${2:-}
if [ -z "$program" ] || [ "$program" = unknown ] || [ ! -f "$program" ]; then
  echo "self_test: no Windows program at '$program': build the Windows tree first (scripts/build)" >&2
  exit 2
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/wine_self_test.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

during='"$QC_DESKTOP" wait-window probe 30 && "$QC_DESKTOP" screenshot "'$work'/screen.png" && "$QC_DESKTOP" click 5 5'
bash "$here/wine_run.sh" --prefix "$prefix" --timeout 60 --stdout "$work/out.txt" --during "$during" -- "$program"
status=$?
check "the program's exit code comes back" '[ "$status" -eq 0 ]'
check "its standard output is kept" 'grep -q "^end" "$work/out.txt"'
# The real ImageMagick first: an 'identify' earlier in PATH may be something else.
size=$(identify-im6.q16 -format '%wx%h' "$work/screen.png" 2>/dev/null ||
  identify -format '%wx%h' "$work/screen.png" 2>/dev/null)
check "the screenshot is a 1024x768 PNG" '[ "$size" = 1024x768 ]'

bash "$here/wine_run.sh" --prefix "$prefix" --timeout 1 --stdout /dev/null -- "$program" 2>/dev/null
status=$?
check "a program past its time limit ends with 124" '[ "$status" -eq 124 ]'

[ "$failures" -eq 0 ]
