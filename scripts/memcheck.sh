#!/usr/bin/env bash
# Runs the real program under valgrind memcheck: a scripted quorvalen-headless session that
# opens good files, a malformed and a missing one, copies with SaveClip, clears, opens
# again, shows the About and File format boxes, saves the settings and exits; then
# quorvalen-report over the same files. Built without sanitizers (the normal build).
#
#   scripts/memcheck.sh
#
# Fails on any memcheck error or on any memory definitely or indirectly lost.
# QUORVALEN_MEMCHECK_BUILD names the build folder (build-test, the normal build, by default).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVALEN_MEMCHECK_BUILD:-$root/build-test}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVALEN_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvalen-headless quorvalen-report

# The program runs in a folder of its own (it reports every file written there); the
# script, the transcript and memcheck's logs stay outside it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$work/data"
mkdir "$data"
cp "$root"/examples/*.dat "$data/"

cat >"$work/session.txt" <<'SCRIPT'
# Three good files at once, then their values onto the clipboard.
pick . circles.dat ellipses.dat rectangles.dat
menu File/Open...
menu SaveClip
# A malformed file and a missing one: one message each, no results shown.
pick . malformed.dat
menu File/Open...
type missing.dat
menu File/Open...
menu SaveClip
# Start again with one file.
menu File/Clear
pick . mixed.dat
menu File/Open...
menu SaveClip
ok
menu Help/About ...
menu Help/File format
size 500 300
menu File/Save settings
menu File/Exit
SCRIPT

memcheck=(valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect
          --error-exitcode=1 --track-origins=yes)
status=0

echo "== quorvalen-headless under memcheck"
(cd "$data" && "${memcheck[@]}" --log-file="$work/headless.memcheck" \
   "$build/shell/quorvalen-headless" --command-line "\"$data/quorvalen.exe\"" \
   <"$work/session.txt" >"$work/transcript.txt") || status=1
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|All heap blocks' \
  "$work/headless.memcheck" | sed 's/^==[0-9]*== */  /'
if [ "$(tail -n 1 "$work/transcript.txt")" != "exit 0" ]; then
  echo "the session did not end with exit 0:" >&2
  tail -n 5 "$work/transcript.txt" >&2
  status=1
fi
echo "  $(grep -c '^messagebox owner' "$work/transcript.txt") message boxes," \
     "$(grep -c '^clipboard set' "$work/transcript.txt") clipboard texts," \
     "$(grep -cE '^file (written|created)' "$work/transcript.txt") settings file written"

for mode in --json --clip; do
  echo "== quorvalen-report $mode under memcheck"
  (cd "$data" && "${memcheck[@]}" --log-file="$work/report.memcheck" "$build/tools/quorvalen-report" $mode \
     circles.dat malformed.dat missing.dat ellipses.dat rectangles.dat mixed.dat >/dev/null 2>&1) || {
    # Exit status 1 is the report's own "last file failed / nothing to copy"; memcheck's
    # verdict is in its log.
    grep -q 'ERROR SUMMARY: 0 errors' "$work/report.memcheck" || status=1
  }
  grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|All heap blocks' "$work/report.memcheck" |
    sed 's/^==[0-9]*== */  /'
  if grep -qE '(definitely|indirectly) lost: [1-9]' "$work/report.memcheck"; then status=1; fi
done

if [ "$status" -ne 0 ]; then
  echo "memcheck found problems" >&2
  for log in "$work"/*.memcheck; do sed -n '1,200p' "$log" >&2; done
fi
exit "$status"
