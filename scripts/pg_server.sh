# Sourced by the scripts: start_pg starts a throwaway PostgreSQL server.
# The throwaway PostgreSQL server: a cluster in a temporary directory, owned
# by an unprivileged user, reachable only through a Unix socket in that
# directory, stopped and removed when this script ends, also after a failure.
# Role lugpw must log in with a password (the wrong-password tests).
pg_dir=""
as_pg_owner() {
  if [ "$(id -u)" = 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi
}
stop_pg() {
  if [ -n "$pg_dir" ]; then
    as_pg_owner "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
  fi
}
start_pg() {
  pg_bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
  pg_dir=$(mktemp -d /tmp/lugpg.XXXXXX)
  trap stop_pg EXIT
  [ "$(id -u)" = 0 ] && chown nobody "$pg_dir"
  as_pg_owner "$pg_bin/initdb" -D "$pg_dir/data" -U lug -E UTF8 --locale=C -A trust --no-sync \
    >/dev/null
  printf 'local all lugpw scram-sha-256\nlocal all all trust\n' >"$pg_dir/data/pg_hba.conf"
  as_pg_owner "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w -o \
    "-c listen_addresses='' -c unix_socket_directories='$pg_dir' -c fsync=off \
     -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" start >/dev/null
  export PGHOST=$pg_dir PGPORT=5432 PGUSER=lug
  export LUG_TEST_PG=postgresql:///postgres
}
