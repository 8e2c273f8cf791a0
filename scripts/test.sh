#!/usr/bin/env bash
# Installs what a fresh machine lacks, checks the layout of the code, builds
# with warnings as errors, and runs every test: in a plain build on the
# embedded engine and again on a throwaway PostgreSQL server, then under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
ensure_packages "${build_packages[@]}" libgtest-dev postgresql clang-format

# The code is laid out as .clang-format says.
find src tests \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

jobs=$(nproc 2>/dev/null || echo 2)
((jobs > 2)) && jobs=2
build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DLUG_WERROR=ON -DLUG_POSTGRES=ON -DLUG_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
run_tests() {
  local dir=$1; shift
  (cd "$dir" && ctest --output-on-failure -j "$jobs" "$@")
}
# The sanitizer build's test program takes 0.4 s to start, so its tests run in
# one process per core (gtest shards) instead of one process per test.
run_shards() {
  local dir=$1/tests pids=() failed=0 i
  for ((i = 0; i < jobs; i++)); do
    (cd "$dir" && GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$i ./lug-tests --gtest_brief=1 \
      >"shard-$i.log" 2>&1) &
    pids+=($!)
  done
  for ((i = 0; i < jobs; i++)); do
    wait "${pids[$i]}" || { failed=1; cat "$dir/shard-$i.log"; }
  done
  for ((i = 0; i < jobs; i++)); do tail -n 2 "$dir/shard-$i.log"; done
  return "$failed"
}

source scripts/pg_server.sh

# The plain build keeps the optimiser (and its warnings) but no debug
# information, which would cost a third of its compile time.
build build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
# The embedded engine first, before the server is there: the tests that need
# the server (the engine comparison, the server's own tests) skip and run in
# the server pass, which in turn leaves out the embedded engine's own tests.
run_tests build/test
start_pg
LUG_TEST_ENGINE=postgres run_tests build/test --exclude-regex '^Sqlite|/Sqlite( |$)'
# Line tables are all the sanitizers' reports need of the debug information.
build build/sanitize -DLUG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1
run_shards build/sanitize
