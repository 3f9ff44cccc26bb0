#!/usr/bin/env bash
# Installs the built library into a scratch prefix and builds an outside
# program against it twice: with pkg-config and with find_package.
set -euo pipefail
src=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig:$work/prefix/lib64/pkgconfig"
c++ -std=c++17 "$src/consumer.cpp" -o "$work/viapc" $(pkg-config --cflags --libs tavlo)
"$work/viapc" | grep -q "Out of memory"
cmake -S "$src" -B "$work/cm" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cm" >/dev/null
"$work/cm/consumer" | grep -q "Out of memory"
echo "installed library usable through pkg-config and find_package"
