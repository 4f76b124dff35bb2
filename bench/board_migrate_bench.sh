#!/usr/bin/env bash
# Moving a board into PostgreSQL, timed: a SQLite board grown to N posts
# (three real drawings posted through the board, then posted again through
# the store, each with a picture and thumbnail of its own, with versions,
# comments, jobs...) is migrated into a throw-away
# cluster (tests/board/pg_cluster.sh: fsync off, as in the tests), then
# migrated again with nothing changed (the catch-up run before switching).
# Usage: bench/board_migrate_bench.sh [POSTS...]   (default: 300 3000)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/bin
for p in quillcast-board board_test_make_board; do
  [ -x "$bin/$p" ] || { echo "board_migrate_bench: build $bin/$p first (cmake --build build --target $p)" >&2; exit 1; }
done
work=$(mktemp -d /tmp/qc-migrate-bench.XXXXXX)
chmod 755 "$work"  # the cluster runs as an unprivileged user under root
board=
cleanup() {
  [ -z "$board" ] || kill "$board" 2>/dev/null || true
  tests/board/pg_cluster.sh stop "$work/pg" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

uri=$(tests/board/pg_cluster.sh start "$work/pg")
echo "posts  rows  media MB  copy s  verify s  wall s  again s (nothing changed)"
for posts in "${@:-300 3000}"; do
  for n in $posts; do
    data=$work/board-$n
    "$bin/quillcast-board" serve --data "$data" --listen 127.0.0.1:0 --workers 0 --posts-per-hour 0 \
      >"$work/serve.log" 2>&1 &
    board=$!
    for _ in $(seq 400); do grep -q serving "$work/serve.log" && break; sleep 0.05; done
    port=$(grep -o '127.0.0.1:[0-9]*' "$work/serve.log" | head -1 | cut -d: -f2)
    [ -n "$port" ] || { echo "board_migrate_bench: the board did not start: $(cat "$work/serve.log")" >&2; exit 1; }
    for s in quick meadow dense; do
      curl -sf -o /dev/null -F drawing=@samples/$s.qcs -F title=$s -F artist=Ann "http://127.0.0.1:$port/api/posts"
    done
    kill "$board"; wait "$board" 2>/dev/null || true; board=
    "$bin/board_test_make_board" "$data" "$n" --unique-pictures >/dev/null
    psql "$uri" -qc "CREATE DATABASE moved_$n"
    target=${uri%/*}/moved_$n
    start=$(date +%s.%N)
    out=$("$bin/quillcast-board" migrate --from "sqlite:$data" --to "$target" --quiet)
    wall=$(echo "$(date +%s.%N) - $start" | bc)
    start=$(date +%s.%N)
    "$bin/quillcast-board" migrate --from "sqlite:$data" --to "$target" --quiet >/dev/null
    again=$(echo "$(date +%s.%N) - $start" | bc)
    line=$(echo "$out" | tail -1)
    rows=$(echo "$line" | sed -E 's/copied ([0-9]+) rows.*/\1/')
    mb=$(echo "$line" | sed -E 's/.*rows \(([0-9.]+) MB\).*/\1/')
    copy=$(echo "$line" | sed -E 's/.* in ([0-9.]+) s, verified.*/\1/')
    verify=$(echo "$line" | sed -E 's/.*verified in ([0-9.]+) s.*/\1/')
    printf "%5s %6s %9s %7s %9s %7.2f %8.2f\n" "$n" "$rows" "$mb" "$copy" "$verify" "$wall" "$again"
  done
done
