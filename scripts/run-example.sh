#!/usr/bin/env bash
# One command for a newcomer: installs what the build needs, builds quorvalen-report
# (release, in build/) and runs it on the example data of oak vessels, showing the page.
# The malformed example is left out here; try it by hand to see a data file message:
#   build/tools/quorvalen-report examples/malformed.dat
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target quorvalen-report -j "$(nproc)"
examples=(examples/circles.dat examples/ellipses.dat examples/rectangles.dat examples/mixed.dat)
echo
echo "quorvalen-report ${examples[*]}"
echo
build/tools/quorvalen-report "${examples[@]}"
