#include "presolve/presolve_rowsingleton.h"

#include <algorithm>
#include <cmath>

#include "presolve/presolve_msg.h"

namespace tvl::lp::pre {

int tighten_col_bounds(Work &w, int32_t j, double lo, double up) {
  int changed = 0;
  const double tiny = 1e-12;
  if (w.is_integer(j)) {
    // An integer column's bounds are integers: a derived bound within the
    // feasibility tolerance of an integer is that integer.
    if (finite_value(lo)) lo = std::ceil(lo - w.feastol);
    if (finite_value(up)) up = std::floor(up + w.feastol);
    if (std::max(lo, w.clo[j]) > std::min(up, w.cup[j]) + w.feastol) {
      w.fail(1117, msg_integer_infeasible_col(w.colname(j)));
      return 0;
    }
  }
  if (lo > w.clo[j] + tiny * (1.0 + std::fabs(lo))) { w.clo[j] = lo; changed |= 1; }
  if (up < w.cup[j] - tiny * (1.0 + std::fabs(up))) { w.cup[j] = up; changed |= 2; }
  if (w.clo[j] > w.cup[j]) {
    const double gap = w.clo[j] - w.cup[j];
    if (gap > w.feastol * (1.0 + std::fabs(w.clo[j]))) {
      w.fail(1117, msg_bound_infeasible_col(w.colname(j)));
    } else if (changed & 1) {
      w.clo[j] = w.cup[j];
    } else {
      w.cup[j] = w.clo[j];
    }
  }
  return changed;
}

void reduce_singleton_row(Work &w, int32_t i) {
  const int32_t e = w.rhead[i];
  const int32_t j = w.ecol[e];
  const double a = w.eval[e];
  double lo = (a > 0 ? w.rlo[i] : w.rup[i]) / a;
  double up = (a > 0 ? w.rup[i] : w.rlo[i]) / a;
  Step &s = w.stack.push(StepKind::SingletonRow);
  s.row = i;
  s.col = j;
  s.d[0] = a;
  s.d[1] = w.clo[j];
  s.d[2] = w.cup[j];
  w.remove_row(i);
  const int changed = tighten_col_bounds(w, j, lo, up);
  // The stack may have grown in between only if tighten pushed; it does not.
  Step &t = w.stack.steps.back();
  t.flag = static_cast<int8_t>(changed);
}

void reduce_singleton_rows(Work &w) {
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (w.row_alive[i] && w.rlen[i] == 1) reduce_singleton_row(w, i);
  }
}

void undo_singleton_row(const Step &s, const PostsolveStack &, PostState &st) {
  const int32_t i = s.row, j = s.col;
  const double a = s.d[0];
  const bool from_row_lo = (s.flag & 1) && st.colstat[j] == kAtLower;
  const bool from_row_up = (s.flag & 2) && st.colstat[j] == kAtUpper;
  if (!from_row_lo && !from_row_up) {
    st.pi[i] = 0.0;
    st.rowstat[i] = kBasic;
    return;
  }
  // The column sits at a bound the row supplied: the row becomes the
  // nonbasic one and takes over the column's reduced cost.
  st.pi[i] = st.dj[j] / a;
  st.dj[j] = 0.0;
  st.colstat[j] = kBasic;
  const bool row_at_lower = from_row_lo == (a > 0);
  st.rowstat[i] = row_at_lower ? kAtLower : kAtUpper;
}

}  // namespace tvl::lp::pre
