#include "presolve/presolve_forcing.h"

#include "presolve/presolve_empty.h"
#include "presolve/presolve_msg.h"

namespace tvl::lp::pre {

namespace {
// Slack within which an activity bound counts as touching a row bound.
double touch_tol(double v) { return 1e-9 * (1.0 + std::fabs(v)); }

// Fixes every column of row i at the bound that produces the activity end
// `at_upper` names (true: the row's minimum activity equals its upper bound).
void force_row(Work &w, int32_t i, bool at_upper) {
  Step &s = w.stack.push(StepKind::ForcingRow);
  s.row = i;
  s.flag = at_upper ? 1 : 0;
  std::vector<int32_t> &cols = w.scratch_idx;
  std::vector<int8_t> &sides = w.scratch_side;
  cols.clear();
  sides.clear();
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) {
    const double a = w.eval[e];
    w.stack.add(w.ecol[e], a);
    cols.push_back(w.ecol[e]);
    // Minimum activity: a > 0 at lower, a < 0 at upper; maximum the reverse.
    const bool lower = (a > 0) == at_upper;
    sides.push_back(lower ? kAtLower : kAtUpper);
  }
  w.remove_row(i);
  for (size_t k = 0; k < cols.size(); ++k) {
    const int32_t j = cols[k];
    const double v = sides[k] == kAtLower ? w.clo[j] : w.cup[j];
    w.fix_col(j, v, sides[k]);
  }
}
}  // namespace

void reduce_redundant_rows(Work &w) {
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (!w.row_alive[i] || w.rlen[i] < 2) continue;
    const Activity act = w.activity(i);
    w.work += w.rlen[i];
    const double amin = act.min(), amax = act.max();
    const bool lo_red = !finite_value(w.rlo[i]) || amin >= w.rlo[i] - touch_tol(w.rlo[i]);
    const bool up_red = !finite_value(w.rup[i]) || amax <= w.rup[i] + touch_tol(w.rup[i]);
    if (lo_red && up_red) {
      drop_free_row(w, i);
      continue;
    }
    // A relaxed side is harmless for postsolve: the row stays, and the
    // recovered point satisfies the dropped bound through the column bounds.
    if (lo_red && w.rlo[i] != w.rup[i]) w.rlo[i] = -kWorkInf;
    if (up_red && w.rlo[i] != w.rup[i]) w.rup[i] = kWorkInf;
  }
}

void reduce_forcing_rows(Work &w) {
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (!w.row_alive[i] || w.rlen[i] < 1) continue;
    const Activity act = w.activity(i);
    w.work += w.rlen[i];
    const double amin = act.min(), amax = act.max();
    const double lo = w.rlo[i], up = w.rup[i];
    if ((finite_value(up) && amin > up + w.feastol * (1.0 + std::fabs(up))) ||
        (finite_value(lo) && amax < lo - w.feastol * (1.0 + std::fabs(lo)))) {
      w.fail(1117, msg_forcing_row_infeasible(w.rowname(i)));
      return;
    }
    if (finite_value(up) && finite_value(amin) && amin >= up - touch_tol(up)) {
      force_row(w, i, true);
    } else if (finite_value(lo) && finite_value(amax) && amax <= lo + touch_tol(lo)) {
      force_row(w, i, false);
    }
  }
}

void undo_forcing_row(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t i = s.row;
  const bool at_upper = s.flag == 1;
  // Row at its upper bound needs pi <= 0: pi = min(0, min dj/a); at lower,
  // pi = max(0, max dj/a).  Either choice keeps every forced column dual
  // feasible and zeroes the reduced cost of the limiting one.
  double pi = 0.0;
  int32_t limiting = -1;
  for (int32_t p = s.start; p < s.start + s.len; ++p) {
    const int32_t j = stack.idx[p];
    const double r = st.dj[j] / stack.val[p];
    if (at_upper ? r < pi : r > pi) { pi = r; limiting = j; }
  }
  st.pi[i] = pi;
  if (limiting < 0) {
    st.rowstat[i] = kBasic;
    return;
  }
  for (int32_t p = s.start; p < s.start + s.len; ++p) st.dj[stack.idx[p]] -= stack.val[p] * pi;
  st.dj[limiting] = 0.0;
  st.colstat[limiting] = kBasic;
  st.rowstat[i] = at_upper ? kAtUpper : kAtLower;
}

}  // namespace tvl::lp::pre
