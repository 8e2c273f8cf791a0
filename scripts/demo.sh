#!/usr/bin/env bash
# The demo in one command: installs what a fresh machine lacks, builds the
# program, creates a demo installation (lug-admin demo) handing over to the
# payroll system TYPE and runs the final hand-over of its third period; then
# shows the product (the first lines of each transfer file, the row counts of
# the staging tables) and the control report.
#
#   bash scripts/demo.sh [TYPE] [DIR]
#     TYPE: the payroll system (DATEV, LODAS, PAISY, ..., any case; default DATEV)
#     DIR:  a new or empty directory (default: a new one in /tmp)
#   A single argument with a slash in it is DIR (./demo for one in the current
#   directory), so that `bash scripts/demo.sh /tmp/demo` keeps working.
set -euo pipefail
cd "$(dirname "$0")/.."

type=DATEV dir=
case $# in
  0) ;;
  1) if [[ $1 == */* ]]; then dir=$1; else type=$1; fi ;;
  2) type=$1 dir=$2 ;;
  *) sed -n 's/^#   //p' "$0" >&2; exit 2 ;;
esac

source scripts/packages.sh
ensure_packages "${build_packages[@]}" "${demo_packages[@]}"

echo "building lug and lug-admin ..."
cmake -S . -B build/demo -DLUG_TESTS=OFF >/dev/null
cmake --build build/demo -j2 >/dev/null
bin=$PWD/build/demo

dir=${dir:-$(mktemp -d /tmp/lug-demo.XXXXXX)}
"$bin/lug-admin" demo "$dir" --payroll "$type"
dir=$(cd "$dir" && pwd)
export_dir="$dir/Transfer/Lohn und Gehalt/Export/DEMO"
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

# The payroll files are Windows-1252 with CR LF: shown here as UTF-8.
show() {
  if command -v iconv >/dev/null; then iconv -f WINDOWS-1252 -t UTF-8 | tr -d '\r'; else tr -d '\r'; fi
}

echo "run log:          $log"
echo "export directory: $export_dir"
for file in "$export_dir"/*; do
  [ -f "$file" ] || continue
  echo
  echo "== $(basename "$file") ($(wc -l <"$file") lines, $(wc -c <"$file") bytes), first lines:"
  head -n 8 "$file" | show
done

db="$dir/db/DEMO.db"
staged=
for table in $(sqlite3 "$db" "select name from sqlite_master where type='table' and name like 'Hor333%' order by name"); do
  rows=$(sqlite3 "$db" "select count(*) from $table")
  [ "$rows" -eq 0 ] || staged+=$(printf '  %-12s %6d rows' "$table" "$rows")$'\n'
done
[ -z "$staged" ] || printf '\nstaging tables with rows:\n%s' "$staged"

# The control report of the hand-over (its CSV goes into the working directory).
echo
echo "\$ cd $dir/Bin && lug-admin report ../db DEMO PROD 103"
(cd "$dir/Bin" && "$bin/lug-admin" report ../db DEMO PROD 103)
