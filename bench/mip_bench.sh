#!/usr/bin/env bash
# Runs the MIP optimizer on every instance of a MIPLIB manifest marked
# "easy" (default: the collection beside the checkout), with a time limit
# (default 60 s) on THREADS search threads (default 1) and defaults
# otherwise, and prints one
# line per instance: name, status, objective, published optimum, seconds,
# nodes, the incumbent's largest violation on the model read again from
# its file, and the verdict of bench/mipcheck (optimal, feasible, none,
# WRONG).  Closes with the number solved to optimality, the number of
# wrong answers and the shifted geometric mean of the times (shift 1 s;
# unsolved instances count with their time, i.e. about the limit).
#
#   bash bench/mip_bench.sh [MANIFEST] [TIME_LIMIT] [BUILD_DIR] [THREADS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
manifest=${1:-$here/../shared/bench/miplib/manifest.csv}
[ -f "$manifest" ] || manifest=/work/shared/bench/miplib/manifest.csv
limit=${2:-60}
build=${3:-$here/build}
threads=${4:-1}
check=$build/bench/mipcheck
dir=$(dirname "$manifest")
[ -x "$check" ] || { echo "mip_bench: $check not built (cmake --build $build --target mipcheck)" >&2; exit 2; }

printf '%-10s %6s %16s %16s %8s %9s %9s %s\n' name status objective optimum seconds nodes violation verdict
solved=0 wrong=0 count=0 logsum=0
while IFS=, read -r name rows cols nz ints bins opt proven class; do
  [ "$class" = easy ] || continue
  out=$("$check" "$dir/$name.mps.gz" "$opt" "$limit" "$threads" 2>/dev/null) || true
  read -r stat obj optimum secs nodes viol verdict <<<"$out"
  printf '%-10s %6s %16s %16s %8s %9s %9s %s\n' "$name" "${stat:--}" "${obj:--}" "$opt" "${secs:--}" \
    "${nodes:--}" "${viol:--}" "${verdict:-error}"
  count=$((count + 1))
  [ "${verdict:-}" = optimal ] && solved=$((solved + 1))
  [ "${verdict:-error}" = WRONG ] || [ "${verdict:-error}" = error ] && wrong=$((wrong + 1))
  logsum=$(awk -v s="$logsum" -v t="${secs:-$limit}" 'BEGIN { printf "%.12f", s + log(t + 1) }')
done < <(tail -n +2 "$manifest")
mean=$(awk -v s="$logsum" -v n="$count" 'BEGIN { printf "%.2f", (n ? exp(s / n) - 1 : 0) }')
echo "solved $solved of $count easy instances within ${limit}s; wrong answers: $wrong"
echo "shifted geometric mean time (shift 1 s): $mean s"
