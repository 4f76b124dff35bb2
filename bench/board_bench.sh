#!/usr/bin/env bash
# The board's figures on this machine, against a real quillcast-board on
# loopback with a fresh data folder:
#   - posting the dense sample (a full DrawingBlock): accepted, i.e. played,
#     pictured and stored, as curl sees it (5 posts);
#   - the dense sample's GIF and MP4 ready after posting (two workers, one
#     a core, so both are made at once);
#   - the board page, a post page and a thumbnail under wrk, 50 connections
#     for 10 s each: requests/s and p99 latency;
#   - the server's resident memory at rest and its peak under that load (the
#     engine's child processes are separate and bounded on their own).
# wrk runs on the same cores as the server, so the figures are a floor.
# Build first (scripts/build or scripts/board).
#
#   bench/board_bench.sh [SECONDS]    (default 10 s per wrk run)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
bin=${QC_BOARD:-build/bin/quillcast-board}
command -v wrk >/dev/null || { echo "board_bench: wrk is missing (scripts/setup installs it)" >&2; exit 1; }
[ -x "$bin" ] || { echo "board_bench: $bin is not built" >&2; exit 1; }

work=$(mktemp -d)
"$bin" serve --data "$work" --listen 127.0.0.1:0 --posts-per-hour 0 --workers 2 >"$work/out.log" 2>"$work/err.log" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do grep -q serving "$work/out.log" 2>/dev/null && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' "$work/out.log")
base=http://127.0.0.1:$port
rss() { awk '/^VmRSS/ {print int($2/1024)}' /proc/$pid/status; }

echo "quillcast-board on $base; $(nproc) cores; wrk ${seconds}s at 50 connections"

# Posting a full block, five times.
times=()
for i in 1 2 3 4 5; do
  t=$(curl -s -o "$work/post.json" -w '%{time_total}' -F drawing=@samples/dense.qcs -F "title=Dense $i" -F artist=Bench "$base/api/posts")
  grep -q '"id"' "$work/post.json" || { echo "post failed: $(cat "$work/post.json")" >&2; exit 1; }
  times+=("$t")
done
id=$(sed -n 's/.*"id":"\([a-z0-9]*\)".*/\1/p' "$work/post.json")
printf 'post of the dense sample (451000-byte block), accepted in: %s s\n' "${times[*]}"

# The time-lapses of a fresh post, once the queue is empty.
for _ in $(seq 600); do
  curl -s "$base/api/posts/$id" | grep -q '"state":"queued"\|"state":"running"' || break
  sleep 0.1
done
start=$(date +%s.%N)
curl -s -o "$work/post.json" -F drawing=@samples/dense.qcs -F "title=Timed" -F artist=Bench "$base/api/posts"
tid=$(sed -n 's/.*"id":"\([a-z0-9]*\)".*/\1/p' "$work/post.json")
for _ in $(seq 1200); do
  [ "$(curl -s "$base/api/posts/$tid" | grep -o '"state":"done"' | wc -l)" -eq 2 ] && break
  sleep 0.05
done
ready=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
printf 'dense sample: GIF and MP4 ready %.2f s after posting began\n' "$ready"

sleep 1
echo "memory at rest: $(rss) MB resident"

thumb=$(curl -s "$base/" | grep -o '/media/[0-9a-f]*\.png' | head -1)
peak=0
load() {
  local name=$1 url=$2 n=$3
  ( while kill -0 $pid 2>/dev/null; do r=$(rss); echo "$r"; sleep 0.2; done ) >"$work/rss.$n" &
  local sampler=$!
  wrk -t2 -c50 -d"${seconds}s" --latency "$url" >"$work/wrk.$n"
  kill $sampler 2>/dev/null || true
  local rps p99 top
  rps=$(awk '/^Requests\/sec/ {print int($2)}' "$work/wrk.$n")
  p99=$(awk '$1 == "99%" {print $2}' "$work/wrk.$n")
  top=$(sort -n "$work/rss.$n" | tail -1)
  [ "${top:-0}" -gt "$peak" ] && peak=$top
  errors=$(grep -o 'Non-2xx or 3xx responses: [0-9]*' "$work/wrk.$n" || echo "no errors")
  printf '%-34s %6s req/s  p99 %8s  (%s)\n' "$name" "$rps" "$p99" "$errors"
}
load "board page /" "$base/" 1
load "post page /p/$id" "$base/p/$id" 2
load "thumbnail $(echo "$thumb" | cut -c1-20)..." "$base$thumb" 3
echo "memory under load: peak ${peak} MB resident"
