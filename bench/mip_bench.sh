#!/usr/bin/env bash
# Runs the MIP optimizer on every instance of a MIPLIB manifest marked
# "easy" (ALL=1: every instance; default manifest: the collection beside
# the checkout), with a time limit
# (default 60 s) on THREADS search threads (default 1) and defaults
# otherwise, and prints one
# line per instance: name, status, objective, published optimum, seconds,
# nodes, the incumbent's largest violation on the model read again from
# its file, and the verdict of bench/mipcheck (optimal, feasible, none,
# WRONG).  Closes with the number solved to optimality, the number of
# wrong answers and the shifted geometric mean of the times (shift 1 s;
# an instance not solved to optimality counts as the limit).
#
# When the peer solver `cbc` is installed (apt-get install coinor-cbc;
# PEER=none skips it), each instance is also solved by
# `cbc FILE -threads 1 -sec LIMIT -solve`, one run after the other, and
# the line adds cbc's status, wall-clock seconds and nodes; the summary
# adds cbc's solved count, its shifted geometric mean and the geometric
# mean of the shifted time ratios (t_tavlo + 1) / (t_cbc + 1) (below 1:
# TAVLO faster).  An unsolved instance counts as
# the limit for either solver.
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

peer=$(command -v cbc || true)
[ "${PEER:-cbc}" = none ] && peer=
if [ -n "$peer" ]; then
  printf '%-10s %6s %16s %16s %8s %9s %9s %-8s | %-9s %8s %9s\n' name status objective optimum seconds nodes violation \
    verdict cbc seconds nodes
else
  printf '%-10s %6s %16s %16s %8s %9s %9s %s\n' name status objective optimum seconds nodes violation verdict
fi
solved=0 wrong=0 count=0 logsum=0 peer_solved=0 peer_logsum=0
while IFS=, read -r name rows cols nz ints bins opt proven class; do
  [ "$class" = easy ] || [ "${ALL:-0}" = 1 ] || continue
  out=$("$check" "$dir/$name.mps.gz" "$opt" "$limit" "$threads" 2>/dev/null) || true
  read -r stat obj optimum secs nodes viol verdict <<<"$out"
  count=$((count + 1))
  [ "${verdict:-}" = optimal ] && solved=$((solved + 1))
  [ "${verdict:-error}" = WRONG ] || [ "${verdict:-error}" = error ] && wrong=$((wrong + 1))
  t=$limit
  [ "${verdict:-}" = optimal ] && t=$secs
  logsum=$(awk -v s="$logsum" -v t="$t" 'BEGIN { printf "%.12f", s + log(t + 1) }')
  if [ -z "$peer" ]; then
    printf '%-10s %6s %16s %16s %8s %9s %9s %s\n' "$name" "${stat:--}" "${obj:--}" "$opt" "${secs:--}" \
      "${nodes:--}" "${viol:--}" "${verdict:-error}"
    continue
  fi
  # cbc's verdict: "optimal" only at the published optimum.
  read -r pstat psecs pnodes <<<"$("$peer" "$dir/$name.mps.gz" -threads 1 -sec "$limit" -solve 2>/dev/null | awk -v opt="$opt" '
    /^Result - Optimal solution found/ { st = "optimal" }
    /^Result - Stopped on time/ { st = "limit" }
    /^Result - Problem proven infeasible/ { st = "infeasible" }
    /^Objective value:/ { obj = $3 }
    /^Enumerated nodes:/ { nodes = $3 }
    /^Total time/ { wall = $NF }
    END {
      if (st == "") st = "other"
      d = obj - opt; if (d < 0) d = -d; m = opt < 0 ? -opt : opt; if (m < 1) m = 1
      if (st == "optimal" && d > 1e-6 * m) st = "off-opt"
      printf "%s %s %s\n", st, (wall == "" ? "-" : wall), (nodes == "" ? "-" : nodes)
    }')"
  pt=$limit
  [ "$pstat" = optimal ] && { pt=$psecs; peer_solved=$((peer_solved + 1)); }
  peer_logsum=$(awk -v s="$peer_logsum" -v t="$pt" 'BEGIN { printf "%.12f", s + log(t + 1) }')
  printf '%-10s %6s %16s %16s %8s %9s %9s %-8s | %-9s %8s %9s\n' "$name" "${stat:--}" "${obj:--}" "$opt" "${secs:--}" \
    "${nodes:--}" "${viol:--}" "${verdict:-error}" "$pstat" "$psecs" "$pnodes"
done < <(tail -n +2 "$manifest")
mean=$(awk -v s="$logsum" -v n="$count" 'BEGIN { printf "%.2f", (n ? exp(s / n) - 1 : 0) }')
echo "solved $solved of $count instances within ${limit}s; wrong answers: $wrong"
echo "shifted geometric mean time (shift 1 s, unsolved at the limit): $mean s"
if [ -n "$peer" ]; then
  pmean=$(awk -v s="$peer_logsum" -v n="$count" 'BEGIN { printf "%.2f", (n ? exp(s / n) - 1 : 0) }')
  ratio=$(awk -v a="$logsum" -v b="$peer_logsum" -v n="$count" 'BEGIN { printf "%.3f", (n ? exp((a - b) / n) : 1) }')
  echo "cbc: solved $peer_solved of $count; shifted geometric mean $pmean s; ratio TAVLO/cbc $ratio"
fi
