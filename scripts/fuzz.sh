#!/usr/bin/env bash
# Fuzzes everything Quorvalen reads from outside: builds the libFuzzer targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-fuzz, beside the normal build)
# and runs each one for a bounded time, seeded from tests/fuzz/corpus/<target>.
#
#   scripts/fuzz.sh [SECONDS]     SECONDS per target, 60 when not given
#
# Prints the executions and the rate of each target. An input that breaks a rule is kept
# under build-fuzz/fuzz-findings/; copy it to tests/fuzz/regressions/<target>/ and the
# normal test suite replays it from then on. Exits 1 when any target found something.
set -euo pipefail

seconds=${1:-60}
case $seconds in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVALEN_FUZZ_BUILD:-$root/build-fuzz}
targets=(data_file settings_file settings_path results_view open_selection data_scanner)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUORVALEN_FUZZ=ON -DQUORVALEN_SANITIZE=ON -DQUORVALEN_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# The corpus grows in a scratch folder; the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$build/fuzz-findings"
mkdir -p "$findings"

failed=0
printf '%-15s %12s %8s %12s  %s\n' target executions seconds "execs/s" outcome
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  log="$work/$target.log"
  status=0
  "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$work/$target" "$root/tests/fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  runs=${runs:-0}
  took=${took:-$seconds}
  rate=$((took > 0 ? runs / took : runs))
  outcome=clean
  if [ "$status" -ne 0 ]; then
    outcome="FOUND SOMETHING (exit $status), see $findings"
    failed=1
    grep -E '^(finding in|==[0-9]+==ERROR|SUMMARY)|runtime error' "$log" | head -n 5 >&2 || true
  fi
  printf '%-15s %12s %8s %12s  %s\n' "$target" "$runs" "$took" "$rate" "$outcome"
done
exit "$failed"
