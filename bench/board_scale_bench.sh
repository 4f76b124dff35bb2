#!/usr/bin/env bash
# The board's figures beyond one process, on this machine, all on loopback:
#   1. SQLite, one server;  2. PostgreSQL, one server;
#   3. PostgreSQL, two servers behind HAProxy (docs/board-haproxy.cfg's shape).
# For each: the board page, a post page and a thumbnail under wrk (requests/s,
# p99), and the posting rate sustained for a while with every post accepted
# (small drawings posted by C clients at once; any answer but 201 is counted
# and printed). Then, on PostgreSQL: time-lapses made per minute by one and
# by two `quillcast-board worker` processes from a full queue. Throughout,
# each piece's CPU seconds and peak memory (proportional set size, so that
# PostgreSQL's shared buffers are not counted once per process).
# wrk and the posting clients share the two cores with what they measure.
#
#   bench/board_scale_bench.sh [SECONDS] [CLIENTS]   (default 10 s, 4 clients)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
clients=${2:-4}
bin=$(realpath "${QC_BOARD:-build/bin/quillcast-board}")
for tool in wrk curl haproxy psql; do
  command -v $tool >/dev/null || { echo "board_scale_bench: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done
[ -x "$bin" ] || { echo "board_scale_bench: $bin is not built" >&2; exit 1; }

work=$(mktemp -d)
chmod 755 "$work"
pids=()
cluster=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -z "$cluster" ] || tests/board/pg_cluster.sh stop "$cluster" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# serve NAME ARGS...: starts a board, waits for /healthz, sets $port and $pid.
serve() {
  local name=$1
  shift
  "$bin" serve --listen 127.0.0.1:0 --posts-per-hour 0 --comments-per-hour 0 --site build-web/site "$@" \
    >"$work/$name.out" 2>"$work/$name.err" &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 200); do grep -q serving "$work/$name.out" 2>/dev/null && break; sleep 0.05; done
  port=$(sed -n 's/.*serving http:\/\/127\.0\.0\.1:\([0-9]*\)\/.*/\1/p' "$work/$name.out")
  [ -n "$port" ] || { echo "board_scale_bench: $name did not start: $(cat "$work/$name.err")" >&2; exit 1; }
}

# CPU seconds (user + system, with waited-for children) of a process.
cpu() { awk '{ printf "%.1f", ($14 + $15 + $16 + $17) / 100 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# Proportional set size in MB of the given processes together.
pss() {
  local total=0 p v
  for p in "$@"; do
    v=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${v:-0}))
  done
  echo $((total / 1024))
}
postgres_pids() { pgrep -d' ' -f "postgres.*$cluster" || true; pgrep -P "$(head -1 "$cluster/data/postmaster.pid" 2>/dev/null || echo 1)" | tr '\n' ' '; }

# post BASE FILE TITLE: prints the new post's id.
post() {
  curl -s -F "drawing=@$2" -F "title=$3" -F artist=Bench "$1/api/posts" | sed -n 's/.*"id":"\([a-z0-9]*\)".*/\1/p'
}

# Content for the pages: a few posts of each sample, the thumbnails of them.
fill() {
  local base=$1 i
  for i in 1 2 3 4 5 6; do
    post "$base" samples/quick.qcs "Quick $i" >/dev/null
    post "$base" samples/meadow.qcs "Meadow $i" >/dev/null
  done
  id=$(post "$base" samples/dense.qcs "Dense")
  thumb=$(curl -s "$base/" | grep -o '/media/[0-9a-f]*\.png' | head -1)
}

wrk_line() {
  local name=$1 url=$2
  wrk -t2 -c50 -d"${seconds}s" --latency "$url" >"$work/wrk.out"
  local rps p99 errors
  rps=$(awk '/^Requests\/sec/ {print int($2)}' "$work/wrk.out")
  p99=$(awk '$1 == "99%" {print $2}' "$work/wrk.out")
  errors=$(grep -o 'Non-2xx or 3xx responses: [0-9]*' "$work/wrk.out" || echo "all 2xx")
  printf '  %-22s %6s req/s  p99 %8s  (%s)\n' "$name" "$rps" "$p99" "$errors"
}

# storm BASE: CLIENTS loops post the quick sample for SECONDS; prints the
# rate of 201s and every other answer.
storm() {
  local base=$1 c
  local until=$(($(date +%s) + seconds)) posters=()
  for c in $(seq "$clients"); do
    (
      n=0
      while [ "$(date +%s)" -lt "$until" ]; do
        n=$((n + 1))
        curl -s -o /dev/null -w '%{http_code}\n' -F drawing=@samples/quick.qcs -F "title=Storm $c.$n" \
          -F artist=Storm "$base/api/posts"
      done
    ) >"$work/storm.$c" &
    posters+=($!)
  done
  wait "${posters[@]}"
  local ok other
  ok=$(cat "$work"/storm.* | grep -c '^201$' || true)
  other=$(cat "$work"/storm.* | grep -vc '^201$' || true)
  rm -f "$work"/storm.*
  awk -v ok="$ok" -v other="$other" -v s="$seconds" -v c="$clients" \
    'BEGIN { printf "  posting (%d clients)    %6.1f posts/s accepted (%d accepted, %d refused or failed)\n", c, ok / s, ok, other }'
}

# measure LABEL BASE SERVER_PIDS...: the page figures and the storm, with CPU
# and memory of the servers (and of PostgreSQL when there is one).
measure() {
  local label=$1 base=$2
  shift 2
  local servers=("$@") before=() p
  echo "$label"
  for p in "${servers[@]}"; do before+=("$(cpu "$p")"); done
  local pg_before=0
  [ -z "$cluster" ] || pg_before=$(for p in $(postgres_pids); do cpu "$p"; echo; done | awk '{s += $1} END {print s + 0}')
  wrk_line "board page /" "$base/"
  wrk_line "post page /p/ID" "$base/p/$id"
  wrk_line "thumbnail" "$base$thumb"
  storm "$base"
  local i=0 used=()
  for p in "${servers[@]}"; do used+=("$(awk -v a="${before[$i]}" -v b="$(cpu "$p")" 'BEGIN {printf "%.1f", b - a}')"); i=$((i + 1)); done
  printf '  servers: CPU %s s, memory %s MB (PSS, together)' "${used[*]}" "$(pss "${servers[@]}")"
  if [ -n "$cluster" ]; then
    local pg_after
    pg_after=$(for p in $(postgres_pids); do cpu "$p"; echo; done | awk '{s += $1} END {print s + 0}')
    # shellcheck disable=SC2046
    printf '; PostgreSQL: CPU %.1f s, memory %s MB (PSS)' "$(awk -v a="$pg_before" -v b="$pg_after" 'BEGIN {print b - a}')" "$(pss $(postgres_pids))"
  fi
  printf '  over %s s of load\n' $((seconds * 4))
}

echo "board_scale_bench: $(nproc) cores, wrk 2 threads x 50 connections for ${seconds} s, $clients posting clients"

# 1. SQLite, one server.
serve sqlite --data "$work/sqlite" --workers 0
sqlite_pid=$pid
fill "http://127.0.0.1:$port"
measure "SQLite, one server" "http://127.0.0.1:$port" "$sqlite_pid"
kill "$sqlite_pid"

# 2. PostgreSQL, one server.
cluster="$work/pg"
# PostgreSQL's durable defaults (fsync, synchronous commit), 128 MB of buffers.
url=$(QC_PG_SETTINGS="-c shared_buffers=128MB" tests/board/pg_cluster.sh start "$cluster")
serve pg1 --database "$url" --workers 0
pg1_pid=$pid pg1_port=$port
fill "http://127.0.0.1:$port"
measure "PostgreSQL, one server" "http://127.0.0.1:$port" "$pg1_pid"

# 3. PostgreSQL, two servers behind HAProxy.
serve pg2 --database "$url" --workers 0
pg2_pid=$pid pg2_port=$port
lb_port=$(free_port)
sed -e "s/@LISTEN@/127.0.0.1:$lb_port/" -e "s/@SERVER1@/127.0.0.1:$pg1_port/" -e "s/@SERVER2@/127.0.0.1:$pg2_port/" \
  bench/board_haproxy_bench.cfg >"$work/haproxy.cfg"
haproxy -f "$work/haproxy.cfg" -db >"$work/haproxy.log" 2>&1 &
haproxy_pid=$!
pids+=("$haproxy_pid")
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$lb_port/healthz" >/dev/null && break; sleep 0.05; done
measure "PostgreSQL, two servers behind HAProxy" "http://127.0.0.1:$lb_port" "$pg1_pid" "$pg2_pid"
echo "  HAProxy: CPU $(cpu "$haproxy_pid") s, memory $(pss "$haproxy_pid") MB (PSS)"

# 4. Time-lapses per minute from a full queue: N posts of the meadow sample
# (two jobs each, a GIF and an MP4), then W workers started at once.
timelapses() {
  local workers=$1 posts=$2 i before done_jobs start elapsed wpids=()
  # Only this round's jobs: the pages' and the storm's are set aside.
  psql "$url" -qc "UPDATE jobs SET state = 'failed', error = 'set aside by the benchmark' WHERE state IN ('queued', 'running')"
  for i in $(seq "$posts"); do post "http://127.0.0.1:$pg1_port" samples/meadow.qcs "Queue $workers.$i" >/dev/null; done
  before=$(psql_count)
  start=$(date +%s.%N)
  for i in $(seq "$workers"); do
    "$bin" worker --database "$url" --workers 1 >"$work/worker$i.out" 2>"$work/worker$i.err" &
    wpids+=($!)
    pids+=($!)
  done
  for _ in $(seq 3000); do
    [ "$(psql_unfinished)" -eq 0 ] && break
    sleep 0.1
  done
  elapsed=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {print b - a}')
  done_jobs=$(($(psql_count) - before))
  local cpus=() mems
  for p in "${wpids[@]}"; do cpus+=("$(cpu "$p")"); done
  mems=$(pss "${wpids[@]}")
  kill "${wpids[@]}" 2>/dev/null || true
  awk -v n="$done_jobs" -v t="$elapsed" -v w="$workers" -v c="${cpus[*]}" -v m="$mems" \
    'BEGIN { printf "  %d worker(s): %d time-lapses in %.1f s = %.1f a minute (worker CPU with its children: %s s; memory %s MB PSS at the end)\n", w, n, t, n * 60 / t, c, m }'
}
psql_count() { psql "$url" -Atc "SELECT count(*) FROM jobs WHERE state = 'done'"; }
psql_unfinished() { psql "$url" -Atc "SELECT count(*) FROM jobs WHERE state IN ('queued', 'running')"; }
echo "time-lapses on PostgreSQL (meadow sample: a GIF and an MP4 a post)"
timelapses 1 6
timelapses 2 6

# What a post weighs in the database, by kind of medium (the samples above).
echo "media stored, by kind (bytes each on average):"
psql "$url" -At -F' ' -c "SELECT type, count(*), round(avg(octet_length(bytes))) FROM media GROUP BY type ORDER BY type" |
  awk '{ printf "  %-4s %6d stored, %10d bytes on average\n", $1, $2, $3 }'
echo "  database: $(psql "$url" -Atc "SELECT pg_size_pretty(pg_database_size(current_database()))")"
