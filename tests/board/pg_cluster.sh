#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the board's tests.
#   pg_cluster.sh start DIR    initdb in DIR, start it on a socket in DIR and
#                              127.0.0.1 on a free port, create database
#                              "board"; prints its postgresql:// URI
#   pg_cluster.sh restart DIR  stop it (fast) and start it again on its port
#   pg_cluster.sh down DIR     stop it (fast), keeping its files
#   pg_cluster.sh up DIR       start it again on its port
#   pg_cluster.sh stop DIR     stop it (fast) and remove DIR
#   pg_cluster.sh createdb DIR NAME  a new empty database; prints its URI
# Run as root (as CI does), the server runs as an unprivileged user, since
# PostgreSQL refuses to run as root. Trust authentication on loopback only.
# With QC_PG_OWNER_PID set, start also leaves a watcher that stops and
# removes the cluster once that process is gone, even if it crashed.
set -euo pipefail

usage() { echo "usage: pg_cluster.sh start|restart|down|up|stop DIR, or createdb DIR NAME" >&2; exit 2; }
[ $# -eq 2 ] || { [ $# -eq 3 ] && [ "$1" = createdb ]; } || usage
cmd=$1
dir=$2

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
[ -n "$bin" ] && [ -x "$bin/initdb" ] || {
  echo "pg_cluster.sh: no PostgreSQL server (initdb) under /usr/lib/postgresql/*/bin; scripts/setup installs it" >&2
  exit 1
}

# Runs a command as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_server() {
  local port=$1
  # No fsync: the cluster lives for one test run. Small buffers: it shares
  # a 2-core machine with the tests. QC_PG_SETTINGS replaces these (the
  # benchmark runs with PostgreSQL's durable defaults).
  local settings=${QC_PG_SETTINGS:--c fsync=off -c synchronous_commit=off -c full_page_writes=off -c shared_buffers=32MB}
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o \
    "-p $port -k $dir -c listen_addresses=127.0.0.1 $settings -c max_connections=200" start >/dev/null || return 1
  echo "$port" >"$dir/port"
}

failed() { cat "$dir/server.log" >&2; exit 1; }

case $cmd in
start)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  [ "$(id -u)" -eq 0 ] && chown nobody:nogroup "$dir"
  as_owner "$bin/initdb" -D "$dir/data" --auth=trust --encoding=UTF8 --locale=C -U postgres >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  # Another process may take the free port before the server binds it.
  start_server "$(free_port)" || start_server "$(free_port)" || start_server "$(free_port)" || failed
  as_owner "$bin/createdb" -h "$dir" -p "$(cat "$dir/port")" -U postgres board
  if [ -n "${QC_PG_OWNER_PID:-}" ]; then
    setsid bash -c 'while kill -0 "$1" 2>/dev/null && [ -d "$2/data" ]; do sleep 1; done; "$3" stop "$2"' \
      watcher "$QC_PG_OWNER_PID" "$dir" "$0" </dev/null >/dev/null 2>&1 &
  fi
  echo "postgresql://postgres@127.0.0.1:$(cat "$dir/port")/board"
  ;;
restart)
  as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  start_server "$(cat "$dir/port")" || failed
  ;;
down)
  as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
up)
  start_server "$(cat "$dir/port")" || failed
  ;;
stop)
  [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  ;;
createdb)
  [[ $3 =~ ^[a-z_][a-z0-9_]*$ ]] || { echo "pg_cluster.sh: a database name is [a-z_][a-z0-9_]*" >&2; exit 2; }
  as_owner "$bin/createdb" -h "$dir" -p "$(cat "$dir/port")" -U postgres "$3"
  echo "postgresql://postgres@127.0.0.1:$(cat "$dir/port")/$3"
  ;;
*) usage ;;
esac
