#!/usr/bin/env bash
# Installs what a fresh machine lacks, builds with warnings as errors, and runs
# every test twice: in a plain build and under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make pkg-config libsqlite3-dev libgtest-dev)
missing=()
for p in "${packages[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if ((${#missing[@]})); then
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  else
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DLUG_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

run_suite build/test
run_suite build/sanitize -DLUG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
