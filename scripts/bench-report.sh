#!/usr/bin/env bash
# Times `quorvalen-report --json` over 1000 data files of 3000 shapes each (1000 circles,
# 1000 ellipses, 1000 rectangles), side by side with `cat` of the same files (the floor:
# reading the bytes) and a plain Python script doing the same computation (a peer).
# Whole commands, timed with hyperfine. RUNS sets the runs per command (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}

if ! command -v hyperfine >/dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q hyperfine
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target quorvalen-report -j "$(nproc)" >/dev/null

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
python3 scripts/make_bench_files.py "$data"
echo "data: 1000 files, $(du -sh "$data" | cut -f1)"

hyperfine --warmup 1 --runs "$runs" --export-json "$data/times.json" \
  -n cat "cat $data/*.dat" \
  -n quorvalen-report "build-bench/tools/quorvalen-report --json $data/*.dat" \
  -n python-peer "python3 scripts/peer_report.py $data/*.dat"

python3 - "$data/times.json" <<'PY'
import json, sys
t = {r["command"]: r["mean"] for r in json.load(open(sys.argv[1]))["results"]}
print(f"quorvalen-report / cat:   {t['quorvalen-report'] / t['cat']:.1f}x  (goal: 5x or less)")
print(f"python peer / cat:        {t['python-peer'] / t['cat']:.1f}x")
print(f"python peer / quorvalen-report: {t['python-peer'] / t['quorvalen-report']:.1f}x")
PY
