#!/usr/bin/env bash
# The demo in one command: installs what a fresh machine lacks, builds the
# program, creates a demo installation (lug-admin demo) and runs the final
# hand-over of its third period; then says where datev.csv and the run log
# are and shows the first lines of datev.csv.
#
#   bash scripts/demo.sh [DIR]     DIR: a new or empty directory (default: a new one in /tmp)
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/packages.sh
ensure_packages "${build_packages[@]}"

echo "building lug and lug-admin ..."
cmake -S . -B build/demo -DLUG_TESTS=OFF >/dev/null
cmake --build build/demo -j2 >/dev/null
bin=$PWD/build/demo

dir=${1:-$(mktemp -d /tmp/lug-demo.XXXXXX)}
"$bin/lug-admin" demo "$dir"
dir=$(cd "$dir" && pwd)
csv="$dir/Transfer/Lohn und Gehalt/Export/DEMO/datev.csv"
log="$dir/Horavia_php/log/log#lug.txt"

# The final hand-over of March 2025 for the production group, on the 3rd of April.
echo
echo "\$ cd $dir/Bin && lug ../db DEMO PROD 103 0"
status=0
(cd "$dir/Bin" && LUG_SYSDATE="2025.04.03 07:30:00" "$bin/lug" ../db DEMO PROD 103 0) || status=$?
echo
if [ "$status" -ne 1 ]; then
  echo "the hand-over ended with exit status $status; see $log" >&2
  exit 1
fi

echo
echo "transfer file: $csv"
echo "run log:       $log"
echo "first lines of datev.csv (Windows-1252 with CR LF, shown here as UTF-8):"
if command -v iconv >/dev/null; then
  head -n 15 "$csv" | iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r'
else
  head -n 15 "$csv" | tr -d '\r'
fi
