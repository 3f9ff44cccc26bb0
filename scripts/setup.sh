#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine.  Runs
# `apt-get update` once and installs only the packages that are missing.
set -euo pipefail
# octave and liboctave-dev build and test the Octave module tavlolink.
pkgs=(g++ cmake make pkg-config libgtest-dev libexpat1-dev gzip bzip2 octave liboctave-dev ${TAVLO_EXTRA_PACKAGES:-})
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
