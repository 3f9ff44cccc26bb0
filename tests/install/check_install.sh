#!/usr/bin/env bash
# Installs the built library into a scratch prefix and builds the solve
# example, an outside C program, against it four ways: pkg-config and
# find_package, each with the shared and with the static library.  Every
# program must run and solve.
set -euo pipefail
here=$1 build=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig:$work/prefix/lib64/pkgconfig"
cc=${CC:-cc}

run() {  # runs a built program; it must solve both problems
  local out
  if ! out=$("$1" 2>&1); then
    echo "$1 failed:"; echo "$out"; exit 1
  fi
  grep -q "Objective value: 12.5" <<<"$out" || { echo "$1: unexpected output"; echo "$out"; exit 1; }
}

$cc "$example" -o "$work/pc_shared" $(pkg-config --cflags --libs tavlo)
run "$work/pc_shared"
ldd "$work/pc_shared" > "$work/pc_shared.ldd"
grep -q libtavlo.so "$work/pc_shared.ldd" || { echo "pc_shared does not use libtavlo.so"; exit 1; }

$cc -static "$example" -o "$work/pc_static" $(pkg-config --static --cflags --libs tavlo)
run "$work/pc_static"

cmake -S "$here" -B "$work/cm" -DCMAKE_PREFIX_PATH="$work/prefix" -DEXAMPLE="$example" >/dev/null
cmake --build "$work/cm" >/dev/null
run "$work/cm/solve_shared"
run "$work/cm/solve_static"
ldd "$work/cm/solve_static" > "$work/solve_static.ldd" || true
if grep -q libtavlo.so "$work/solve_static.ldd"; then
  echo "solve_static uses libtavlo.so"; exit 1
fi
echo "solve example built and run through pkg-config and find_package, shared and static"
