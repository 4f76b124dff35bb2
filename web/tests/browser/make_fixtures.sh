#!/usr/bin/env bash
# Makes the files the browser tests open, with the native tools: every sample
# as a drawing file, its picture as quillcast-render writes it (framed, and
# the canvas only) and its show's length on the renderer's clock; a player
# carrying the meadow sample and a corrupted copy; the bad inputs; a drawing
# whose work runs past any sensible bound.
#   make_fixtures.sh OUT_DIR   (from the project root; needs build/ and build-win/)
set -euo pipefail
out=$1
bin=build/bin
mkdir -p "$out"

for script in samples/*.qcs; do
  name=$(basename "$script" .qcs)
  "$bin/quillcast-script" build "$script" -o "$out/$name.qcd"
  "$bin/quillcast-render" "$out/$name.qcd" -o "$out/$name.png"
  "$bin/quillcast-render" "$out/$name.qcd" --canvas-only -o "$out/$name-canvas.png"
done
# The show's length from the empty framed canvas to the last stroke.
"$bin/quillcast-render" "$out/quick.qcd" --frames "$out/quick-frames.tmp" --hold 0 2>"$out/quick-length.txt"
rm -rf "$out/quick-frames.tmp"
# The screen three seconds in, the opening splash up, as the page shows it
# with splash screens on (a screen just large enough round the window).
"$bin/quillcast-render" "$out/quick.qcd" --screen --screen-size 400x200 --at 3 -o "$out/quick-splash-3s.png"

"$bin/quillcast-embed" build-win/bin/quillcast.exe samples/meadow.qcs -o "$out/meadow.exe"

python3 - "$out" <<'PY'
import random, sys
out = sys.argv[1]
def write(name, data):
    with open(f"{out}/{name}", "wb") as f:
        f.write(data)
player = open(f"{out}/meadow.exe", "rb").read()
corrupted = bytearray(player)
corrupted[0x600] ^= 0x01  # one byte of the program's code
write("corrupted.exe", bytes(corrupted))
# A Windows program without a drawing section: the section renamed.
write("program.exe", player.replace(b".qcdraw\0", b".qcdata\0", 1))
write("noise.qcd", random.Random(13).randbytes(100000))
write("picture.qcd", open(f"{out}/quick.png", "rb").read())
write("truncated.qcd", open(f"{out}/meadow.qcd", "rb").read()[:300000])
# Corner to corner of the whole coordinate plane, 400 times, with the largest brush.
points = " ".join(["-32768,-32768 32767,32767"] * 200)
open(f"{out}/hostile.qcs", "w").write(
    "quillcast script 1\nhead 51 00 00 00 00 00 00 00\nmarker 0\n"
    "header width 100 height 100 word 0 rest 00 00 00 00 00 00 00 00\n"
    "palette version 0x300 count 0\ncolour pen #ff0000\nbrush-size 4\nstroke " + points + "\n")
PY
# Over 256 MiB, without taking the disk: a sparse file.
truncate -s $(( (256 << 20) + 1 )) "$out/huge.qcd"
