#!/usr/bin/env bash
# Times the command-line solver against CLP (Debian package coinor-clp) on
# every LP of a manifest, the two runs of each instance interleaved, and
# prints per-instance times, their ratio and the shifted geometric means
# (shift 10 ms) of the times and of the ratios.
#
# Two tables are printed, one per setting of presolve:
#   presolve on  : tavlo with its defaults apart from one thread and the
#                  method, against CLP with its defaults (CLP presolves);
#   presolve off : tavlo with TVL_PARAM_PREIND=0, against CLP with
#                  "-presolve off".
# The method is the dual simplex (TVL_PARAM_LPMETHOD=2, "clp -dualsimplex"),
# or with --primal the primal simplex (TVL_PARAM_LPMETHOD=1,
# "clp -primalsimplex").
#
# Each instance is decompressed once into a scratch folder and both programs
# read the same plain MPS file, so the ratio measures the solvers rather than
# the decompressors (tavlo reads compressed files through the gzip program,
# CLP in process); --gz times them on the compressed files instead.
# Each program runs as a whole process (start-up and reading included) under bench/cputime, which reports the child's CPU time
# (user + system) and wall-clock time to the microsecond; the ratios use the
# CPU time, which a loaded machine disturbs far less than the wall-clock
# time.  The wall-clock times are printed as well.
#
# Besides the mean over all instances, the mean over those where CLP takes
# more than 0.2 s of CPU time is printed.
#
#   bash bench/compare_clp.sh [--primal] [--gz] [--only on|off] [MANIFEST] [TAVLO]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
method=2 clpmethod=-dualsimplex label=dual only= gz=
while [ $# -gt 0 ]; do
  case "$1" in
    --primal) method=1 clpmethod=-primalsimplex label=primal; shift ;;
    --dual) shift ;;
    --only) only=$2; shift 2 ;;
    --gz) gz=1; shift ;;
    *) break ;;
  esac
done
manifest=${1:-/work/shared/bench/netlib/manifest.csv}
tavlo=${2:-$here/build/tavlo}
cputime=$(dirname "$tavlo")/bench/cputime
dir=$(dirname "$manifest")
command -v clp >/dev/null || { echo "clp not found (apt-get install coinor-clp)" >&2; exit 2; }
[ -x "$tavlo" ] || { echo "$tavlo not built (bash scripts/build.sh build)" >&2; exit 2; }
[ -x "$cputime" ] || { echo "$cputime not built (bash scripts/build.sh build)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs "$@" and prints "wall cpu" in seconds; the command's output goes to $work/out.
timed() {
  "$cputime" "$work/out" "$@" | awk '{ printf "%.4f %.4f", $1, $2 }'
}

table() {
  local presolve=$1 results="$work/results.$1"
  local -a tset=(--set TVL_PARAM_THREADS=1 --set "TVL_PARAM_LPMETHOD=$method")
  local -a cset=()
  if [ "$presolve" = off ]; then
    tset+=(--set TVL_PARAM_PREIND=0)
    cset=(-presolve off)
  fi
  : >"$results"
  echo "== $label simplex, presolve $presolve: tavlo ${tset[*]} | clp ${cset[*]} $clpmethod"
  printf "%-10s %10s %10s %7s %10s %10s  %s\n" instance tavlo-cpu clp-cpu ratio tavlo-wall clp-wall tavlo-status
  tail -n +2 "$manifest" | while IFS=, read -r name rows cols nz ints bins obj class; do
    [ "$class" = lp ] || continue
    local file="$dir/$name.mps.gz" a b status ratio
    if [ -z "$gz" ]; then
      gzip -dc "$file" >"$work/$name.mps"
      file="$work/$name.mps"
    fi
    a=$(timed "$tavlo" -q "${tset[@]}" "$file")
    status=$(sed -n 's/^Solution status: *//p' "$work/out")
    b=$(timed clp "$file" "${cset[@]}" "$clpmethod")
    ratio=$(awk -v a="${a#* }" -v b="${b#* }" 'BEGIN { printf "%.2f", (a + 0.01) / (b + 0.01) }')
    printf "%-10s %10s %10s %7s %10s %10s  %s\n" "$name" "${a#* }" "${b#* }" "$ratio" "${a% *}" "${b% *}" \
      "${status:-failed}"
    echo "${a#* } ${b#* } ${a% *} ${b% *}" >>"$results"
    if [ -z "$gz" ]; then rm -f "$file"; fi
  done
  summary "$results" "all instances"
  awk '$2 > 0.2' "$results" >"$results.hard"
  summary "$results.hard" "instances where clp takes more than 0.2 s CPU"
}

# Prints the shifted geometric means of a results file (tavlo-cpu clp-cpu tavlo-wall clp-wall).
summary() {
  awk -v what="$2" '{ la += log($1 + 0.01); lb += log($2 + 0.01); wa += log($3 + 0.01); wb += log($4 + 0.01); n++
         r = ($1 + 0.01) / ($2 + 0.01); if (r > worst) worst = r }
       END { if (n == 0) exit;
             ga = exp(la / n) - 0.01; gb = exp(lb / n) - 0.01;
             printf "%s: shifted geometric mean (10 ms) CPU: tavlo %.4f s, clp %.4f s, ratio %.3f; worst ratio %.2f; %d instances\n",
                    what, ga, gb, (ga + 0.01) / (gb + 0.01), worst, n;
             printf "shifted geometric mean (10 ms) wall: ratio %.3f\n\n",
                    exp((wa - wb) / n) }' "$1"
}

[ "$only" = off ] || table on
[ "$only" = on ] || table off
