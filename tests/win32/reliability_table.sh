#!/usr/bin/env bash
# docs/reliability.md names the test behind every fault; each name must be a
# test CTest knows, so the table cannot go stale. Windows and script tests
# come from this build's list; "unit." and "threads." names from the native
# builds when they are there, else from this build's cross-built unit tests
# ("wine.unit.", which holds the thread suites too; a suite built natively
# only needs a native build). A name with <gen> stands for every generation.
. "$DW_SOURCE_DIR/tests/e2e/lib.sh"

table=$DW_SOURCE_DIR/docs/reliability.md
build=$(dirname "$DW_BIN_DIR")
[ -f "$table" ] || fail "no $table"

# A test this machine cannot run is still a test: "(Disabled)" is dropped.
list() { (cd "$1" && ctest -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: \([^ ]*\).*/\1/p'); }
known=$(list "$build")
[ -n "$known" ] || fail "ctest lists no tests in $build"
# Some tests exist in one Windows build only (the relay journeys are i686's).
for other in win32 win64; do
  if [ "$DW_BUILD_ROOT/$other" != "$build" ] && [ -d "$DW_BUILD_ROOT/$other" ]; then
    known+=$'\n'$(list "$DW_BUILD_ROOT/$other")
  fi
done
native=
[ -d "$DW_BUILD_ROOT/native" ] && native=$(list "$DW_BUILD_ROOT/native")
tsan=
[ -d "$DW_BUILD_ROOT/native-tsan" ] && tsan=$(list "$DW_BUILD_ROOT/native-tsan")

has() { grep -qxF -- "$2" <<<"$1"; }
# Whole names only: the prefixes alone ("unit.") are prose.
names=$(grep -o '`\(wine\|unit\|threads\|win32\|e2e\)\.[^` ]*[^.` ]`' "$table" | tr -d '`' | sort -u)
[ -n "$names" ] || fail "the table names no tests"
missing=0
count=0
for name in $names; do
  count=$((count + 1))
  case $name in
    wine.\<gen\>.*)
      for gen in win98 winme win2k winxp; do
        has "$known" "wine.$gen.${name#wine.<gen>.}" || { echo "missing: wine.$gen.${name#wine.<gen>.}"; missing=1; }
      done ;;
    unit.*)
      if [ -n "$native" ]; then has "$native" "$name" || { echo "missing: $name"; missing=1; }
      else has "$known" "wine.$name" || { echo "missing: $name (as wine.$name)"; missing=1; }
      fi ;;
    threads.*)
      if [ -n "$tsan$native" ]; then has "$tsan"$'\n'"$native" "$name" || { echo "missing: $name"; missing=1; }
      else has "$known" "wine.unit.${name#threads.}" || { echo "missing: $name (as wine.unit.${name#threads.})"; missing=1; }
      fi ;;
    *.\<gen\>)
      for gen in win98 winme win2k winxp; do
        has "$known" "${name%<gen>}$gen" || { echo "missing: ${name%<gen>}$gen"; missing=1; }
      done ;;
    *) has "$known" "$name" || { echo "missing: $name"; missing=1; } ;;
  esac
done
[ "$missing" = 0 ] || fail "docs/reliability.md names tests that do not exist"
echo "$count test names in docs/reliability.md, all known to CTest"
echo ok
