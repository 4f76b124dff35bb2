#!/usr/bin/env bash
# The board server's tests: real boards on free loopback ports, driven over
# HTTP by node:test. Usage: run.sh [path/to/quillcast-board]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export QC_BOARD=${1:-$here/../../../build/bin/quillcast-board}
[ -x "$QC_BOARD" ] || { echo "run.sh: $QC_BOARD is not built" >&2; exit 1; }
# Each file's boards run apart; the whole run is bounded.
timeout 600 node --test --test-concurrency=1 --test-timeout=240000 "$here"/*.test.mjs

# The API and the pages again with the boards on PostgreSQL, in a throw-away
# cluster (a fresh database for each board).
export QC_BOARD_PG
QC_BOARD_PG=$(mktemp -d /tmp/qc-board-pg-XXXXXX)
trap '"$here/../pg_cluster.sh" stop "$QC_BOARD_PG"' EXIT
"$here/../pg_cluster.sh" start "$QC_BOARD_PG" >/dev/null
echo "== the same API and page tests on PostgreSQL =="
timeout 300 node --test --test-concurrency=1 --test-timeout=120000 "$here/api.test.mjs" "$here/pages.test.mjs"
