#!/usr/bin/env bash
# Compares the native probe's answers with Wine's, line by line.
#
#   compare_probes.sh --native PROBE --expected FILE
#       against answers recorded earlier (tests/conformance/wine_expected.txt)
#   compare_probes.sh --native PROBE --wine-probe PROBE.exe --prefix DIR [--keep FILE]
#       against probe.exe run under Wine now (through tests/wine/wine_run.sh);
#       --keep saves Wine's answers, e.g. to record them as the expected file;
#       PROBE.exe "unknown" means the Windows tree was not named
#
# Prints every line that differs, with its number, and exits 1 on any
# difference; 2 when a probe could not be run.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
native= expected= wine_probe= prefix= keep=
wine_mode=0
while [ $# -gt 0 ]; do
  case $1 in
    --native) native=$2; shift 2 ;;
    --expected) expected=$2; shift 2 ;;
    --wine-probe) wine_probe=$2; wine_mode=1; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    *) echo "compare_probes: unknown option '$1'" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/compare_probes.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT

if [ "$wine_mode" -eq 1 ]; then
  if [ -z "$wine_probe" ] || [ "$wine_probe" = unknown ]; then
    echo "compare_probes: no Windows tree known: configure this tree with" \
      "-DQC_WIN_BUILD_DIR=<Windows build> (scripts/build does)" >&2
    exit 2
  fi
  if [ ! -f "$wine_probe" ]; then
    echo "compare_probes: $wine_probe is missing: build the Windows tree first (scripts/build)" >&2
    exit 2
  fi
  expected=$work/wine.txt
  bash "$here/../wine/wine_run.sh" --prefix "$prefix" --timeout 120 --stdout "$expected" -- "$wine_probe"
  status=$?
  # The Windows C runtime ends lines with CR LF.
  [ -f "$expected" ] && sed -i 's/\r$//' "$expected"
  [ -n "$keep" ] && [ -f "$expected" ] && cp "$expected" "$keep"
  if [ "$status" -ne 0 ]; then
    echo "compare_probes: the probe under Wine ended with $status" >&2
    exit 2
  fi
fi
[ -f "$expected" ] || { echo "compare_probes: no expected answers at '$expected'" >&2; exit 2; }

"$native" >"$work/native.txt"
status=$?
if [ "$status" -ne 0 ]; then
  echo "compare_probes: the native probe ended with $status; its last answers:" >&2
  tail -n 5 "$work/native.txt" >&2
  exit 2
fi

awk -v expected_name="Wine" '
  NR == FNR { want[FNR] = $0; wanted = FNR; next }
  { got[FNR] = $0; gotten = FNR }
  END {
    n = wanted > gotten ? wanted : gotten
    bad = 0
    for (i = 1; i <= n; ++i) {
      w = i <= wanted ? want[i] : "(no line)"
      g = i <= gotten ? got[i] : "(no line)"
      if (w != g) {
        ++bad
        printf "line %d\n  %s:   %s\n  native: %s\n", i, expected_name, w, g
      }
    }
    if (bad) { printf "%d of %d lines differ\n", bad, n; exit 1 }
    printf "all %d lines agree\n", n
  }' "$expected" "$work/native.txt"
