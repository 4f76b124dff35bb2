#!/usr/bin/env bash
# The board server's tests: real boards on free loopback ports, driven over
# HTTP by node:test. Usage: run.sh [path/to/quillcast-board]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export QC_BOARD=${1:-$here/../../../build/bin/quillcast-board}
[ -x "$QC_BOARD" ] || { echo "run.sh: $QC_BOARD is not built" >&2; exit 1; }
# Each file's boards run apart; the whole run is bounded.
exec timeout 600 node --test --test-concurrency=1 --test-timeout=240000 "$here"/*.test.mjs
