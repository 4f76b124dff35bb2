#!/usr/bin/env bash
# MP4 export for real: quillcast-render --video on the quick sample, read
# back with ffprobe. The video has the framed window's size, 30 frames a
# second, as many frames as the show's time line asks for (the same run's
# PNG frames say how long it is), and its last frame is the finished picture
# but for what lossy coding changes. ffmpeg and ffprobe are Debian's ffmpeg
# package, which scripts/setup installs: without them this fails.
#   video_test.sh BIN_DIR
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in ffmpeg ffprobe; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (Debian package ffmpeg; scripts/setup installs it)" >&2; exit 1; }
done

"$bin/quillcast-sample" quick -o "$work/quick.qcd" || { echo "FAIL: quillcast-sample quick" >&2; exit 1; }
"$bin/quillcast-render" "$work/quick.qcd" --quiet -o "$work/finished.png" --frames "$work/frames" \
  --video "$work/quick.mp4" || { echo "FAIL: quillcast-render --video" >&2; exit 1; }

# The time line: the frame sequence's durations add up to the output's length.
expected_frames=$(python3 - "$work/frames/frames.txt" <<'PY'
import math, re, sys
length = sum(float(d) for d in re.findall(r"^duration ([0-9.]+)$", open(sys.argv[1]).read(), re.M))
print(math.ceil(length * 30 - 1e-9))
PY
)

probe=$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -show_entries format=duration \
  -of default=noprint_wrappers=1 "$work/quick.mp4")
field() { sed -n "s/^$1=//p" <<<"$probe" | head -n 1; }
[ "$(field codec_name)" = h264 ] || fail "codec $(field codec_name), wanted h264"
[ "$(field width)x$(field height)" = 174x134 ] || fail "size $(field width)x$(field height), wanted 174x134 (160x120 and the frame)"
[ "$(field r_frame_rate)" = 30/1 ] || fail "frame rate $(field r_frame_rate), wanted 30/1"
[ "$(field nb_read_frames)" = "$expected_frames" ] || fail "$(field nb_read_frames) frames, wanted $expected_frames"
python3 -c "import sys; sys.exit(abs(float(sys.argv[1]) - int(sys.argv[2]) / 30) > 0.001)" "$(field duration)" \
  "$expected_frames" || fail "duration $(field duration) s, wanted $expected_frames / 30 s"

# Frame n of the video against the finished picture: the mean difference of
# the colour channels, 0 to 255.
difference() {
  ffmpeg -v error -i "$work/quick.mp4" -vf "select=eq(n\,$1)" -vsync 0 -frames:v 1 -f rawvideo -pix_fmt rgb24 - \
    >"$work/frame.rgb"
  ffmpeg -v error -i "$work/finished.png" -f rawvideo -pix_fmt rgb24 - >"$work/finished.rgb"
  python3 - "$work/frame.rgb" "$work/finished.rgb" <<'PY'
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
print("%.2f" % (sum(abs(x - y) for x, y in zip(a, b)) / len(b) if len(a) == len(b) and b else 255))
PY
}
last=$(difference $((expected_frames - 1)))
first=$(difference 0)
python3 -c "import sys; sys.exit(float(sys.argv[1]) > 8)" "$last" ||
  fail "the last frame differs from the finished picture by $last on average (at most 8)"
python3 -c "import sys; sys.exit(float(sys.argv[1]) <= 16)" "$first" ||
  fail "the first frame (the empty canvas) is as close as $first to the finished picture: the comparison sees nothing"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "video: $expected_frames frames at 30/s, last frame $last from the finished picture (first $first)"
