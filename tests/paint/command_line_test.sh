#!/usr/bin/env bash
# quillcast-paint's command line: the three outputs, exit codes, one-line
# messages for bad pictures and arguments, and no file left behind by a
# refusal.
#   command_line_test.sh BIN_DIR DATA_DIR [WIN_BIN_DIR]
set -uo pipefail
bin=$1
data=$2
winbin=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
paint=("$bin/quillcast-paint" --quiet)

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
run() {  # expected-status description command...
  local want=$1 what=$2; shift 2
  "$@" >"$work/out.txt" 2>"$work/err.txt"
  local got=$?
  [ "$got" = "$want" ] || fail "$what: exit $got, wanted $want ($(cat "$work/err.txt"))"
}
one_line() {  # description pattern
  [ "$(wc -l <"$work/err.txt")" = 1 ] || fail "$1: wanted one line on stderr, got: $(cat "$work/err.txt")"
  grep -q "$2" "$work/err.txt" || fail "$1: the message lacks '$2': $(cat "$work/err.txt")"
}
nothing_left() {  # description
  local left
  left=$(ls -A "$work/outputs")
  [ -z "$left" ] || fail "$1: left behind: $left"
}
mkdir -p "$work/outputs"

run 0 "--help" "$bin/quillcast-paint" --help
grep -q 'usage: quillcast-paint PICTURE -o OUT' "$work/out.txt" || fail "--help text"

# Bad pictures: each one line naming the file, exit 1, no output.
printf 'This is a text file named .png, not a picture.\n' >"$work/text.png"
: >"$work/empty.png"
head -c 3000 "$data/wizard-96.png" >"$work/cut.png"
head -c 2000 "$data/wizard-96.jpg" >"$work/cut.jpg"
python3 - "$work/huge.png" <<'PY'
import struct, sys, zlib
def chunk(name, body):
    return struct.pack(">I", len(body)) + name + body + struct.pack(">I", zlib.crc32(name + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"\0" * 1000)) + chunk(b"IEND", b"")
open(sys.argv[1], "wb").write(png)
PY
for bad in text.png:"not a PNG or JPEG" empty.png:"empty" cut.png:"PNG" cut.jpg:"damaged JPEG" \
           huge.png:"100000 x 100000 pixels is too large" missing.png:"cannot open"; do
  name=${bad%%:*}
  run 1 "$name" "${paint[@]}" "$work/$name" -o "$work/outputs/out.qcd"
  one_line "$name" "${bad#*:}"
  one_line "$name" "$name: "
  nothing_left "$name"
done

# Bad arguments: exit 2, one line, no output.
for args in "" "$data/wizard-96.png" "$data/wizard-96.png -o $work/outputs/x.png" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --style cubist" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --size 2000x10" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --fit 0" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --budget 100" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --budget 451001" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --show-seconds 3" \
            "$data/wizard-96.png -o $work/outputs/x.qcd --fit 50 --size 50x50"; do
  # shellcheck disable=SC2086
  run 2 "arguments '$args'" "$bin/quillcast-paint" $args
  [ "$(wc -l <"$work/err.txt")" = 1 ] || fail "arguments '$args': wanted one line, got: $(cat "$work/err.txt")"
  nothing_left "arguments '$args'"
done

# A drawing, its script and the drawing the script builds are the same.
small=(--fit 48 --budget 6000)
run 0 "paint a drawing" "${paint[@]}" "$data/wizard-96.png" "${small[@]}" -o "$work/w.qcd"
[ "$(stat -c %s "$work/w.qcd")" = 451000 ] || fail "the drawing is not 451000 bytes"
run 0 "paint a script" "${paint[@]}" "$data/wizard-96.jpg" "${small[@]}" -o "$work/w.qcs"
head -5 "$work/w.qcs" | grep -q 'wizard-96.jpg' || fail "the script does not name its picture"
run 0 "build the script" "$bin/quillcast-script" build "$work/w.qcs" -o "$work/w-jpeg.qcd"
run 0 "paint the JPEG" "${paint[@]}" "$data/wizard-96.jpg" "${small[@]}" -o "$work/w-again.qcd"
cmp -s "$work/w-jpeg.qcd" "$work/w-again.qcd" || fail "the script builds another drawing than the .qcd"
cmp -s "$work/w.qcd" "$work/w-again.qcd" && fail "the PNG and the JPEG gave the same bytes"
run 0 "render the drawing" "$bin/quillcast-render" --canvas-only "$work/w.qcd" -o "$work/w.png"
run 0 "--stats" "$bin/quillcast-paint" --quiet --stats "$data/wizard-96.png" "${small[@]}" -o "$work/w-stats.qcd"
grep -q '^canvas=48x48 bytes=[0-9]* strokes=[0-9]* ' "$work/out.txt" || fail "--stats: $(cat "$work/out.txt")"
run 0 "--save-scaled" "${paint[@]}" "$data/wizard-96.png" --size 40x30 --budget 4000 -o "$work/s.qcd" --save-scaled "$work/s.png"
file "$work/s.png" | grep -q 'PNG image data, 40 x 30' || fail "--save-scaled: $(file "$work/s.png")"

# A player: sealed, intact, and carrying the drawing.
player=$winbin/quillcast.exe
if [ -f "$player" ]; then
  run 0 "paint a player" "${paint[@]}" "$data/wizard-96.png" "${small[@]}" --player "$player" -o "$work/w.exe"
  run 0 "check the player" "$bin/quillcast-embed" --check "$work/w.exe"
  run 0 "extract its drawing" "$bin/quillcast-embed" --extract "$work/w.exe" -o "$work/w-extracted.qcd"
  cmp -s "$work/w.qcd" "$work/w-extracted.qcd" || fail "the player carries another drawing"
else
  echo "no Windows build at $winbin: the .exe output is not checked"
fi
run 1 "a player that is none" "${paint[@]}" "$data/wizard-96.png" "${small[@]}" --player "$work/w.qcd" -o "$work/outputs/w.exe"
one_line "a player that is none" "not a Quillcast player"
nothing_left "a player that is none"

[ "$failures" = 0 ] && echo "all quillcast-paint command-line checks passed"
exit $((failures > 0))
