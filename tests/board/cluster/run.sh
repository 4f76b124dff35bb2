#!/usr/bin/env bash
# The board as several processes: two servers and two workers on one
# database, HAProxy in front, and faults during storms of posts. On a
# throw-away PostgreSQL cluster (tests/board/pg_cluster.sh); with
# QC_CLUSTER_STORE=sqlite on one shared SQLite file instead (the PostgreSQL
# restart is skipped there). Usage: run.sh [path/to/quillcast-board]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export QC_BOARD=${1:-$here/../../../build/bin/quillcast-board}
[ -x "$QC_BOARD" ] || { echo "run.sh: $QC_BOARD is not built" >&2; exit 1; }
export QC_CLUSTER_STORE=${QC_CLUSTER_STORE:-postgresql}
command -v haproxy >/dev/null || { echo "run.sh: haproxy is missing; scripts/setup installs it" >&2; exit 1; }
# Files run one after another; each test and the whole run are bounded.
exec timeout 240 node --test --test-concurrency=1 --test-timeout=90000 "$here"/*.test.mjs
