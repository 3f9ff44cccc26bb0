#!/usr/bin/env bash
# The main job on a fresh machine: install what the build needs, build, and
# solve the bundled example with the command-line solver, printing the log
# and the solution.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
bash scripts/build.sh build -DTAVLO_TESTS=OFF -DTAVLO_BENCH=OFF
model=${1:-examples/afiro.mps}
./build/tavlo "$model" -o build/solution.txt
echo
cat build/solution.txt
