#!/usr/bin/env bash
# Times the command-line solver (dual simplex, presolve off, one thread)
# against CLP's dual simplex (Debian package coinor-clp) on every LP of a
# manifest, the two runs of each instance interleaved, and prints the
# per-instance times, their ratio and the shifted geometric means (shift
# 10 ms).  Times are wall-clock times of the whole process (reading the
# compressed file included) for both programs.
#
#   bash bench/compare_clp.sh [MANIFEST] [TAVLO]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
manifest=${1:-/work/shared/bench/netlib/manifest.csv}
tavlo=${2:-$here/build/tavlo}
dir=$(dirname "$manifest")
command -v clp >/dev/null || { echo "clp not found (apt-get install coinor-clp)" >&2; exit 2; }
[ -x "$tavlo" ] || { echo "$tavlo not built (bash scripts/build.sh build)" >&2; exit 2; }

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }

printf "%-10s %10s %10s %8s  %s\n" instance tavlo clp ratio tavlo-status
results=$(mktemp)
trap 'rm -f "$results"' EXIT
tail -n +2 "$manifest" | while IFS=, read -r name rows cols nz ints bins obj class; do
  [ "$class" = lp ] || continue
  file="$dir/$name.mps.gz"
  t0=$(now)
  status=$("$tavlo" -q --set TVL_PARAM_PREIND=0 --set TVL_PARAM_LPMETHOD=2 \
           --set TVL_PARAM_THREADS=1 "$file" 2>&1 | sed -n 's/^Solution status: *//p')
  t1=$(now)
  clp "$file" -dualsimplex >/dev/null 2>&1 || true
  t2=$(now)
  a=$(elapsed "$t0" "$t1"); b=$(elapsed "$t1" "$t2")
  ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')
  printf "%-10s %10s %10s %8s  %s\n" "$name" "$a" "$b" "$ratio" "${status:-failed}"
  echo "$a $b" >> "$results"
done
awk '{ la += log($1 + 0.01); lb += log($2 + 0.01); n++ }
     END { if (n == 0) exit;
           ga = exp(la / n) - 0.01; gb = exp(lb / n) - 0.01;
           printf "\nshifted geometric mean (10 ms): tavlo %.4f s, clp %.4f s, ratio %.2f over %d instances\n",
                  ga, gb, ga / gb, n }' "$results"
