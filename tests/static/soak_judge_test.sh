#!/usr/bin/env bash
# tests/soak/judge.sh over made-up CSVs: flat figures and one pool worker
# pass; a handle, a thread or some bytes lost per cycle fail, as do more
# threads than the pool keeps.
set -u
judge=$(dirname "$0")/../soak/judge.sh
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

# make NAME CYCLES AWK-EXPRESSIONS-FOR handles threads private (of i)
make() {
  awk -v n="$2" "BEGIN {
    print \"phase,cycle,seconds,handles,threads,private_bytes,working_set,virtual_bytes\"
    for (i = 1; i <= n; i++) printf \"drop,%d,%d,%d,%d,%d,0,0\\n\", i, i * 9, $3, $4, $5
  }" >"$dir/$1.csv"
}
# expect VERDICT NAME: VERDICT is pass or fail.
expect() {
  local out status
  out=$(bash "$judge" "$dir/$2.csv" 1000 0 2>&1); status=$?
  if { [ "$1" = pass ] && [ $status != 0 ]; } || { [ "$1" = fail ] && [ $status = 0 ]; }; then
    echo "FAIL: $2 should $1: $out"
    failures=$((failures + 1))
  else
    echo "ok: $2 ($1): $out"
  fi
}

make flat 1000 64 3 14000000
expect pass flat
# Wobbles that come back: the least of the last five samples is the end.
make wobble 1000 "64 + (i % 7 == 0) * 3" 3 "14000000 + (i % 5 == 0) * 900000"
expect pass wobble
# A pool worker at cycle 400 with its stack, and at most four of them.
make worker 1000 64 "3 + (i >= 400)" "14000000 + (i >= 400) * 1032192"
expect pass worker
make workers 1000 64 "3 + int(i / 180)" "14000000 + int(i / 180) * 1032192"
expect fail workers
make handle 1000 "64 + int(i / 50)" 3 14000000
expect fail handle
make thread 1000 64 "3 + int(i / 100)" 14000000
expect fail thread
make bytes 1000 64 3 "14000000 + i * 320"
expect fail bytes
# A worker does not cover bytes lost besides its stack.
make worker_and_bytes 1000 64 "3 + (i >= 400)" "14000000 + (i >= 400) * 1032192 + i * 320"
expect fail worker_and_bytes
# A run cut short has no verdict but a failing one.
make short 500 64 3 14000000
expect fail short

[ $failures = 0 ] && echo "all judged as expected" || { echo "$failures judged wrongly"; exit 1; }
