#!/usr/bin/env bash
# The authoring tools' command lines: what they write, their exit codes, and
# that a refusal leaves no file behind. Also that the committed sample
# scripts are what the generator writes.
#   command_lines_test.sh BIN_DIR SAMPLES_DIR
set -uo pipefail
bin=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_status() {  # expected-status description command...
  local want=$1 what=$2; shift 2
  "$@" >"$work/out.txt" 2>"$work/err.txt"
  local got=$?
  [ "$got" = "$want" ] || fail "$what: exit $got, wanted $want ($(cat "$work/err.txt"))"
}
expect_no_file() { [ ! -e "$1" ] || fail "$2: $1 was written"; ls "$work" | grep -q 'XXXXXX\|\.[A-Za-z0-9]\{6\}$' && fail "$2: a temporary file was left"; }

# The committed samples are the generator's output, byte for byte.
for name in $("$bin/quillcast-sample" --list); do
  "$bin/quillcast-sample" "$name" --script -o "$work/$name.qcs" || fail "quillcast-sample $name --script"
  cmp -s "$work/$name.qcs" "$samples/$name.qcs" ||
    fail "samples/$name.qcs differs from 'quillcast-sample $name --script' (regenerate it)"
  rm -f "$work/$name.qcs"
done

# build, dump and build again.
expect_status 0 "build quick" "$bin/quillcast-script" build "$samples/quick.qcs" -o "$work/quick.qcd"
[ "$(stat -c %s "$work/quick.qcd")" = 451000 ] || fail "quick.qcd is not 451000 bytes"
expect_status 0 "dump quick" "$bin/quillcast-script" dump "$work/quick.qcd" -o "$work/quick.txt"
expect_status 0 "rebuild quick" "$bin/quillcast-script" build "$work/quick.txt" -o "$work/again.qcd"
cmp -s "$work/quick.qcd" "$work/again.qcd" || fail "dump and build changed quick.qcd"

# The example in the format page builds.
awk '/^```$/{f=!f; next} f' "$samples/../docs/script-format.md" | sed -n '1,/^stroke 20,60/p' >"$work/example.qcs"
expect_status 0 "build the documented example" "$bin/quillcast-script" build "$work/example.qcs" -o "$work/example.qcd"

# A faulty script names its place, and nothing is written.
printf 'quillcast script 1\nheader width 10 height 10\ncolour pen red\n' >"$work/bad.qcs"
expect_status 1 "build a faulty script" "$bin/quillcast-script" build "$work/bad.qcs" -o "$work/bad.qcd"
grep -q 'line 3, column 12: expected a colour' "$work/err.txt" || fail "error message: $(cat "$work/err.txt")"
expect_no_file "$work/bad.qcd" "faulty script"
expect_status 2 "build without -o" "$bin/quillcast-script" build "$samples/quick.qcs"

# A stand-in player: the drawing block section of a real one is not needed
# for these cases, so a drawing file serves as "not a player".
expect_status 1 "embed into a drawing file" \
  "$bin/quillcast-embed" "$work/quick.qcd" "$work/quick.qcd" -o "$work/new.exe"
grep -q 'not a Quillcast player' "$work/err.txt" || fail "not-a-player message: $(cat "$work/err.txt")"
expect_no_file "$work/new.exe" "not a player"
expect_status 1 "check a drawing file" "$bin/quillcast-embed" --check "$work/quick.qcd"
expect_status 2 "check with -o" "$bin/quillcast-embed" --check "$work/quick.qcd" -o "$work/x"
expect_status 2 "a timer resolution without --check" \
  "$bin/quillcast-embed" "$work/quick.qcd" "$work/quick.qcd" -o "$work/x" --timer-resolution 15.625
expect_status 2 "a timer resolution that is no number" \
  "$bin/quillcast-embed" --check "$work/quick.qcd" --timer-resolution fast
grep -q 'timer-resolution: needs milliseconds' "$work/err.txt" || fail "timer resolution message: $(cat "$work/err.txt")"

# Every tool: --version, --help on standard output, and one line with the
# tool's name and exit status 2 for an option it does not know.
for tool in quillcast-render quillcast-paint quillcast-embed quillcast-script quillcast-sample; do
  expect_status 0 "$tool --version" "$bin/$tool" --version
  grep -qx "$tool [0-9][0-9.]*" "$work/out.txt" || fail "$tool --version: $(cat "$work/out.txt")"
  expect_status 0 "$tool --help" "$bin/$tool" --help
  grep -q "^usage: $tool " "$work/out.txt" || fail "$tool --help: $(head -1 "$work/out.txt")"
  expect_status 2 "$tool --no-such" "$bin/$tool" --no-such
  [ "$(cat "$work/err.txt")" = "$tool: unknown option --no-such (try --help)" ] ||
    fail "$tool --no-such: $(cat "$work/err.txt")"
done

[ "$failures" = 0 ] && echo "all command-line checks passed"
exit $((failures > 0))
