#!/usr/bin/env bash
# Moving a board as its keepers do it: a SQLite board of a few hundred posts
# is migrated into PostgreSQL (a throw-away cluster; a second SQLite board
# where the cluster script is missing), killed and run again, and then the
# old and the new board are served side by side and compared page by page.
# Usage: run.sh [BIN] (BIN: the folder with quillcast-board and
# board_test_make_board; default build/bin)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../../../build/bin}
export QC_BOARD=$bin/quillcast-board QC_MAKE_BOARD=$bin/board_test_make_board
for p in "$QC_BOARD" "$QC_MAKE_BOARD"; do [ -x "$p" ] || { echo "run.sh: $p is not built" >&2; exit 1; }; done

cluster=
stop_cluster() { [ -z "$cluster" ] || { "$here/../pg_cluster.sh" stop "$cluster/pg"; rm -rf "$cluster"; }; }
trap stop_cluster EXIT
if [ -x "$here/../pg_cluster.sh" ]; then
  cluster=$(mktemp -d /tmp/qc-migrate-pg.XXXXXX)
  chmod 755 "$cluster"  # the server runs as an unprivileged user under root
  QC_TEST_PG_URI=$(QC_PG_OWNER_PID=$$ timeout 60 "$here/../pg_cluster.sh" start "$cluster/pg")
  export QC_TEST_PG_URI QC_TEST_PG_DIR=$cluster/pg
fi
timeout 300 node --test --test-concurrency=1 --test-timeout=120000 "$here"/*.test.mjs
