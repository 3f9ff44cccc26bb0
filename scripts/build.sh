#!/usr/bin/env bash
# Configures and builds into the given directory (default: build).
# Extra arguments go to CMake, e.g. -DTAVLO_SANITIZE=ON.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
launcher=()
# A compiler cache, when present, lets several checkouts share compiled objects.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$here/$dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "${launcher[@]}" "$@" >/dev/null
cmake --build "$here/$dir" -j"$(nproc)"
