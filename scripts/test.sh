#!/usr/bin/env bash
# Installs what a fresh machine lacks, builds with warnings as errors, and runs
# every test: in a plain build on the embedded engine and again on a throwaway
# PostgreSQL server, then under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
ensure_packages "${build_packages[@]}" libgtest-dev postgresql

jobs=$(nproc 2>/dev/null || echo 2)
((jobs > 2)) && jobs=2
build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DLUG_WERROR=ON -DLUG_POSTGRES=ON -DLUG_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
run_tests() {
  (cd "$1" && ctest --output-on-failure -j "$jobs")
}

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

build build/test
start_pg
run_tests build/test
LUG_TEST_ENGINE=postgres run_tests build/test
build build/sanitize -DLUG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
run_tests build/sanitize
