#!/usr/bin/env bash
# How one PostgreSQL carries a large board: a throw-away cluster with
# PostgreSQL's durable defaults, the board's schema (made by quillcast-board
# itself), then N posts (default 1,000,000) with a version, two comments and
# two finished time-lapse jobs each, all pointing at a few small shared media
# rows (the media's own bytes are counted apart, per post, by
# bench/board_scale_bench.sh). Then the statements the pages run, timed by
# pgbench with prepared statements as the board prepares them, 8 clients:
# the board's first page, a page deep in the cursor, a rare artist's page, a
# post page (post, versions, comments) at random, a medium by its hash, and
# the sizes of the tables and their indexes.
#
#   bench/board_pg_scale.sh [POSTS] [SECONDS]   (default 1000000 posts, 10 s a statement)
set -euo pipefail
cd "$(dirname "$0")/.."
posts=${1:-1000000}
seconds=${2:-10}
bin=$(realpath "${QC_BOARD:-build/bin/quillcast-board}")
for tool in psql pgbench; do
  command -v $tool >/dev/null || { echo "board_pg_scale: $tool is missing (scripts/setup installs postgresql)" >&2; exit 1; }
done
[ -x "$bin" ] || { echo "board_pg_scale: $bin is not built" >&2; exit 1; }

work=$(mktemp -d)
chmod 755 "$work"
cluster="$work/pg"
trap 'tests/board/pg_cluster.sh stop "$cluster" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
url=$(QC_PG_SETTINGS="-c shared_buffers=256MB -c max_wal_size=4GB" tests/board/pg_cluster.sh start "$cluster")
echo "a password for the benchmark" | "$bin" admin add bench --database "$url" >/dev/null

echo "board_pg_scale: filling $posts posts..." >&2
start=$(date +%s)
psql "$url" -q -v ON_ERROR_STOP=1 -v posts="$posts" <<'SQL'
INSERT INTO media(sha256, type, bytes, created)
  SELECT 'm' || k, 'png', decode(repeat('00', 64), 'hex'), '2026-12-01T00:00:00Z' FROM generate_series(1, 3) k;
INSERT INTO posts(id, title, artist, password_hash, created, latest, hidden)
  SELECT 'p' || lpad(i::text, 7, '0'), 'Post ' || i,
         CASE WHEN i % 1000 = 0 THEN 'rare' ELSE 'artist' || (i % 5000) END,
         NULL, '2026-12-01T00:00:00Z', 1, 0
  FROM generate_series(1, :posts) i;
INSERT INTO versions(post_id, version, title, created, drawing, picture, thumbnail, width, height, show_seconds)
  SELECT 'p' || lpad(i::text, 7, '0'), 1, 'Post ' || i, '2026-12-01T00:00:00Z', 'm1', 'm2', 'm3', 640, 480, 42.5
  FROM generate_series(1, :posts) i;
INSERT INTO comments(post_id, name, body, password_hash, address, created, hidden)
  SELECT 'p' || lpad((i % :posts + 1)::text, 7, '0'), 'Visitor', 'A comment of some forty characters long.',
         NULL, '192.0.2.1', '2026-12-01T00:00:00Z', 0
  FROM generate_series(1, 2 * :posts) i;
INSERT INTO jobs(post_id, version, kind, state, attempts, run_after, lease_until, result, error, created)
  SELECT 'p' || lpad(i::text, 7, '0'), 1, k, 'done', 1, 0, 0, 'm1', NULL, '2026-12-01T00:00:00Z'
  FROM generate_series(1, :posts) i, (VALUES ('gif'), ('mp4')) AS kinds(k);
VACUUM ANALYZE;
SQL
echo "filled in $(($(date +%s) - start)) s: $posts posts, $((2 * posts)) comments, $((2 * posts)) jobs"

# The statements as the board's store prepares them (board/store/board_store.cpp).
cols="p.seq, p.id, p.title, p.artist, p.created, p.latest, p.hidden, v.thumbnail, v.picture, v.width, v.height, v.show_seconds"
from="FROM posts p JOIN versions v ON v.post_id = p.id AND v.version = p.latest"
cat >"$work/first.sql" <<SQL
\\set hidden 0
SELECT $cols $from WHERE (:hidden = 1 OR p.hidden = 0) ORDER BY p.seq DESC LIMIT 25;
SQL
cat >"$work/deep.sql" <<SQL
\\set hidden 0
\\set before random($((posts / 10)), $((posts / 2)))
SELECT $cols $from WHERE (:hidden = 1 OR p.hidden = 0) AND p.seq < :before ORDER BY p.seq DESC LIMIT 25;
SQL
cat >"$work/post.sql" <<SQL
\\set i random(1, $posts)
SELECT $cols $from WHERE p.id = 'p' || lpad(:i::text, 7, '0');
SELECT version, title, created, drawing, picture, thumbnail, width, height, show_seconds FROM versions WHERE post_id = 'p' || lpad(:i::text, 7, '0') ORDER BY version;
SELECT version, kind, state, result, error FROM jobs WHERE post_id = 'p' || lpad(:i::text, 7, '0');
SELECT id, post_id, name, body, created, hidden, password_hash, address FROM comments WHERE post_id = 'p' || lpad(:i::text, 7, '0') AND (0 = 1 OR hidden = 0) ORDER BY id;
SQL
cat >"$work/media.sql" <<SQL
\\set k random(1, 3)
SELECT type, bytes FROM media WHERE sha256 = 'm' || :k;
SQL

for name in first deep post media; do
  pgbench -n -M prepared -c 8 -j 2 -T "$seconds" -f "$work/$name.sql" "$url" >"$work/$name.out" 2>&1 ||
    { cat "$work/$name.out" >&2; exit 1; }
  tps=$(awk -F'= ' '/^tps/ {print int($2)}' "$work/$name.out" | head -1)
  lat=$(awk -F'= ' '/^latency average/ {print $2}' "$work/$name.out")
  printf '%-34s %8s per s  (latency average %s)\n' "$name" "$tps" "$lat"
done

echo "sizes (table with its indexes):"
psql "$url" -At -F' ' -c "SELECT relname, pg_size_pretty(pg_total_relation_size(oid)) FROM pg_class
  WHERE relname IN ('posts', 'versions', 'comments', 'jobs', 'media') ORDER BY pg_total_relation_size(oid) DESC" |
  sed 's/^/  /'
echo "  database: $(psql "$url" -Atc "SELECT pg_size_pretty(pg_database_size(current_database()))")"

# The board prepares its statements once a connection; after five runs
# PostgreSQL may keep one generic plan for every parameter. The listing
# statements' times under both kinds of plan: the first page, a page deep in
# the cursor, and a rare artist's first page.
echo "the listing statements, planned for their parameters (custom) and for any (generic), ms:"
for mode in force_custom_plan force_generic_plan; do
  psql "$url" -At -v ON_ERROR_STOP=1 <<SQL | awk -v m="$mode" '/Execution Time/ {t[++n] = $3} END {printf "  %-19s first page %s, deep page %s, rare artist %s\n", m, t[1], t[2], t[3]}'
SET plan_cache_mode = $mode;
PREPARE first(bigint, bigint) AS
  SELECT $cols $from WHERE (\$1 = 1 OR p.hidden = 0) ORDER BY p.seq DESC LIMIT \$2;
PREPARE deep(bigint, bigint, bigint) AS
  SELECT $cols $from WHERE (\$1 = 1 OR p.hidden = 0) AND p.seq < \$2 ORDER BY p.seq DESC LIMIT \$3;
PREPARE artist(bigint, text, bigint) AS
  SELECT $cols $from WHERE (\$1 = 1 OR p.hidden = 0) AND p.artist = \$2 ORDER BY p.seq DESC LIMIT \$3;
EXPLAIN (ANALYZE) EXECUTE first(0, 25);
EXPLAIN (ANALYZE) EXECUTE deep(0, $((posts / 2)), 25);
EXPLAIN (ANALYZE) EXECUTE artist(0, 'rare', 25);
SQL
done
