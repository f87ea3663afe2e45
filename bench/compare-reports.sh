#!/usr/bin/env bash
# Shows that two builds of quorvalen-report give the same results byte for byte, for
# instance before and after a change made for speed:
#   bench/compare-reports.sh OLD/quorvalen-report NEW/quorvalen-report
# The data: 1000 realistic files of 3000 shapes (as scripts/bench-report.sh makes them)
# and 400 awkward ones (exponents, signs, long digit strings, leading zeros, values at
# the float range's ends, CR LF, lone CR, tabs, no final line end, numbers across the
# 64 KiB refills, and one bad item in a fifth of them). Each build runs in --json,
# --per-file and page mode, over the realistic files together and over each awkward
# file alone; standard error (the messages) is compared too. Exits 1 on any difference.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 OLD_REPORT NEW_REPORT" >&2
  exit 2
fi
old=$1
new=$2
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
mkdir "$data/realistic" "$data/awkward" "$data/old" "$data/new"

python3 "$(dirname "$0")/../scripts/make_bench_files.py" "$data/realistic"
python3 - "$data/awkward" <<'PY'
import os, random, sys
awkward = sys.argv[1]

rng = random.Random(11)
SPECIAL = [".5", "5.", "-.25", "+3", "1e39", "-1e-50", "3.4028236e38", "1.00000005", "1.0000002",
           "0e99999", "1e-45", "16777217", "16777216.5", "0.1e11", "123456789012345678901234567890"]
BAD = ["1e", "x", "1e+", "nan", "inf", "-", "0x10", "\0", "28x", "1,5", "1e 5"]
def number():
    r = rng.random()
    if r < 0.3: return f"{rng.uniform(0, 400):.{rng.randint(0, 4)}f}"
    if r < 0.45: return f"{rng.uniform(-1e3, 1e3):.{rng.randint(1, 9)}e}".replace("e", rng.choice("eE"))
    if r < 0.55:
        return (rng.choice(["", "+", "-"]) + "0" * rng.randint(0, 30) + str(rng.randint(0, 10 ** rng.randint(1, 30)))
                + rng.choice(["", ".", "." + str(rng.randint(0, 10 ** rng.randint(1, 25)))]))
    if r < 0.62: return f"{rng.randint(1, 9)}e{rng.randint(-60, 60)}"
    if r < 0.67: return rng.choice(SPECIAL)
    return f"{rng.uniform(10, 300):.1f}"
def gap():
    return rng.choice([" ", "\n", "\r\n", "\t", "  ", "\r\n\r\n", "\r", " \n"])
for f in range(400):
    counts = [rng.randint(0, 1000) for _ in range(3)]
    parts = ["Awkward set " + "x" * rng.randint(0, 100) + rng.choice(["\n", "\r\n"]),
             rng.choice(["1", "0.000001", "1e-6", "0.5", "1.00000005", "-2", "0"]), gap()]
    for kind, count in enumerate(counts):
        parts += [rng.choice([str(count), "+" + str(count)]), gap()]
        for _ in range(count):
            parts += [number(), gap()] if kind == 0 else [number(), gap(), number(), gap()]
    if rng.random() < 0.3: parts.pop()
    if rng.random() < 0.2: parts[rng.randrange(3, len(parts))] = rng.choice(BAD)
    text = "".join(parts)
    if rng.random() < 0.1: text = text[:30] + " " * rng.randint(1, 70000) + text[30:]
    open(os.path.join(awkward, f"awkward{f:03d}.dat"), "w", newline="").write(text)
PY

run() {  # run BUILD_NAME REPORT: every output of one build into $data/BUILD_NAME
  local out=$data/$1 report=$2
  for mode in --json --per-file; do
    "$report" "$mode" "$data"/realistic/*.dat >"$out/realistic$mode.out" 2>"$out/realistic$mode.err" || true
  done
  "$report" "$data"/realistic/*.dat >"$out/realistic-page.out" 2>"$out/realistic-page.err" || true
  for file in "$data"/awkward/*.dat; do
    "$report" --json "$file" >>"$out/awkward.out" 2>>"$out/awkward.err" || true
  done
  "$report" --per-file "$data"/awkward/*.dat >"$out/awkward-per-file.out" 2>"$out/awkward-per-file.err" || true
}
run old "$old"
run new "$new"

different=0
for result in "$data"/old/*; do
  name=$(basename "$result")
  if cmp -s "$result" "$data/new/$name"; then
    echo "same:      $name ($(wc -c <"$result") bytes)"
  else
    echo "DIFFERENT: $name"
    different=1
  fi
done
exit $different
