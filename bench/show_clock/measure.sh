#!/usr/bin/env bash
# Measures how the real player's show moves on in real time: each drawing is
# written into a copy of build-win's quillcast.exe, which runs under Wine on a
# private X server (tests/wine/wine_run.sh) while grab_window.py takes
# screenshots of the window at a steady rate; show_timeline then matches each
# screenshot against the emulated show's picture after every tick.
#
#   bench/show_clock/measure.sh [--rounds N] [--rate HZ] [--data DIR] [NAME...]
#
# NAMEs: the samples (quick, meadow, dense) and the drawings of
# make_drawings.py; all of them by default. Each round runs every drawing
# once, so that a drawing's runs are spread over time. Each run leaves
# DIR/NAME-R.csv (default DIR: bench/show_clock/data; R counts on from the
# runs already there) and a line in DIR/runs.csv with the load average
# before and after it. Runs at raised priority when root (nice -n -10),
# since the machine may be busy. About 20 s a run. Needs build/ and
# build-win/ (scripts/build).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
bin=${QC_BIN:-$root/build/bin}
player=${QC_WIN_BIN:-$root/build-win/bin}/quillcast.exe
prefix=${QC_WINEPREFIX:-$root/build/wine/prefix}
data=$here/data
rounds=2
rate=10
names=()

fail() { echo "measure: $*" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --rate) rate=$2; shift 2 ;;
    --data) data=$2; shift 2 ;;
    -h | --help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) fail "unknown option '$1'" ;;
    *) names+=("$1"); shift ;;
  esac
done
[ ${#names[@]} -gt 0 ] || names=(quick meadow dense ticks segments thin-lines hidden-pen big-blend big-darken fills)
for tool in quillcast-embed quillcast-render show_timeline; do
  [ -x "$bin/$tool" ] || fail "missing $bin/$tool (build the native tree: scripts/build)"
done
[ -f "$player" ] || fail "missing $player (build the Windows tree: scripts/build)"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

priority=()
if [ "$(id -u)" = 0 ]; then priority=(nice -n -10); else echo "measure: not root, so at normal priority" >&2; fi

work=$(mktemp -d "${TMPDIR:-/tmp}/show_clock.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$data"
"$python" "$here/make_drawings.py" "$work/drawings"
[ -f "$data/runs.csv" ] || echo "name,run,started_utc,load_before,load_after,rate_hz,grabs,wine" >"$data/runs.csv"
wine_version=$(wine --version 2>/dev/null || echo unknown)

drawing_of() {
  if [ -f "$root/samples/$1.qcs" ]; then echo "$root/samples/$1.qcs"
  elif [ -f "$work/drawings/$1.qcs" ]; then echo "$work/drawings/$1.qcs"
  else fail "no drawing named '$1'"; fi
}

for name in "${names[@]}"; do
  drawing=$(drawing_of "$name")
  "$bin/quillcast-embed" "$player" "$drawing" -o "$work/$name.exe" >/dev/null
  "$bin/quillcast-render" "$work/$name.exe" -o "$work/$name-final.png"
done

for ((round = 0; round < rounds; round++)); do
  for name in "${names[@]}"; do
    drawing=$(drawing_of "$name")
    size=$("$python" -c "from PIL import Image; im = Image.open('$work/$name-final.png'); print(im.size[0], im.size[1])")
    w=${size% *}
    h=${size#* }
    x=$(((1024 - w) / 2))
    y=$(((768 - h) / 2))
    run=1
    while [ -e "$data/$name-$run.csv" ]; do run=$((run + 1)); done
    grabs=$work/grabs-$name-$run
    started=$(date -u +%Y-%m-%dT%H:%M:%SZ)
    load_before=$(cut -d' ' -f1-3 /proc/loadavg)
    during="'$python' '$here/grab_window.py' '$grabs' $x $y $w $h '$work/$name-final.png' --rate $rate --pid \$QC_WINE_PID --limit 240; echo \$? >'$grabs.status'; kill \$QC_WINE_PID"
    echo "measure: $name run $run (load $load_before)" >&2
    "${priority[@]}" bash "$root/tests/wine/wine_run.sh" --prefix "$prefix" --timeout 300 --during "$during" \
      -- "$work/$name.exe" 2>"$work/wine.log" || true
    load_after=$(cut -d' ' -f1-3 /proc/loadavg)
    if [ "$(cat "$grabs.status" 2>/dev/null)" != 0 ]; then
      tail -n 5 "$work/wine.log" >&2
      fail "$name run $run: the screenshots never showed the finished drawing"
    fi
    "$bin/show_timeline" match "$drawing" "$grabs" >"$data/$name-$run.csv"
    count=$(($(wc -l <"$grabs/grabs.csv") - 1))
    echo "$name,$run,$started,$load_before,$load_after,$rate,$count,$wine_version" >>"$data/runs.csv"
    rm -rf "$grabs"
  done
done
echo "measure: done; bench/show_clock/analyse.py report prints the figures" >&2
