#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests: a cluster in DIR/data that
# listens only on a Unix socket in DIR, superuser "postgres" without a
# password, except the role "vornal_password", which must give its password.
# Run as root, the server runs as the system user postgres (the server
# refuses to run as root). fsync is off: nothing here needs to survive a
# power cut.
#
#   tests/pg_server.sh start DIR
#   tests/pg_server.sh stop DIR
set -euo pipefail
action=${1:?usage: pg_server.sh start|stop DIR}
dir=${2:?usage: pg_server.sh start|stop DIR}

bindir=$(pg_config --bindir 2>/dev/null || true)
if [ ! -x "$bindir/initdb" ]; then
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
fi
if [ ! -x "$bindir/initdb" ]; then
  echo "pg_server.sh: no PostgreSQL server here (Debian: apt-get install postgresql)" >&2
  exit 1
fi

as_server=()
if [ "$(id -u)" -eq 0 ]; then as_server=(runuser -u postgres --); fi

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    "${as_server[@]}" "$bindir/pg_ctl" stop -D "$dir/data" -m immediate -w >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

case $action in
  start)
    stop
    mkdir -p "$dir"
    chmod 755 "$dir"
    if [ ${#as_server[@]} -gt 0 ]; then chown postgres: "$dir"; fi
    "${as_server[@]}" "$bindir/initdb" -D "$dir/data" -U postgres -E UTF8 --no-locale \
      --auth=trust >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    printf '%s\n' 'local all vornal_password scram-sha-256' 'local all all trust' \
      >"$dir/data/pg_hba.conf"
    "${as_server[@]}" "$bindir/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-k $dir -h '' -c fsync=off -c synchronous_commit=off -c full_page_writes=off \
          -c max_connections=200" >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    "$bindir/psql" -h "$dir" -U postgres -d postgres -q -v ON_ERROR_STOP=1 \
      -c "CREATE ROLE vornal_password LOGIN PASSWORD 'right password'" >/dev/null
    echo "PostgreSQL test server at $dir"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: pg_server.sh start|stop DIR" >&2
    exit 2
    ;;
esac
