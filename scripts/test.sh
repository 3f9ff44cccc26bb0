#!/usr/bin/env bash
# Installs dependencies, builds, and runs the whole test suite twice: in the
# optimised build and in an AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")
bash scripts/build.sh build-asan -DTAVLO_SANITIZE=ON -DTAVLO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$(nproc)")
echo "All tests passed (optimised and sanitizer builds)."
