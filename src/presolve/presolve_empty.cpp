#include "presolve/presolve_empty.h"

#include <cmath>

#include "presolve/presolve_msg.h"

namespace tvl::lp::pre {

bool reduce_fixed_or_empty_col(Work &w, int32_t j) {
  const double lo = w.clo[j], up = w.cup[j];
  if (lo > up) {
    if (lo - up > w.feastol * (1.0 + std::fabs(lo))) {
      w.fail(1117, msg_bound_infeasible_col(w.colname(j)));
      return false;
    }
    w.fix_col(j, lo, -1);
    return true;
  }
  if (lo == up) {
    w.fix_col(j, lo, -1);
    return true;
  }
  if (w.clen[j] != 0) return false;
  // Folds of other columns leave rounding noise in costs; a cost this small
  // is zero here, so that noise never proves dual infeasibility.
  const double c = std::fabs(w.cost[j]) <= 1e-9 ? 0.0 : w.cost[j];
  if (c > 0.0 || (c == 0.0 && finite_value(lo))) {
    if (!finite_value(lo)) {
      w.fail(1101, msg_dual_infeasible_empty_col(w.colname(j)));
      return false;
    }
    w.fix_col(j, lo, kAtLower);
  } else if (c < 0.0 || finite_value(up)) {
    if (!finite_value(up)) {
      w.fail(1101, msg_dual_infeasible_empty_col(w.colname(j)));
      return false;
    }
    w.fix_col(j, up, kAtUpper);
  } else {
    w.fix_col(j, 0.0, kFree);
  }
  return true;
}

void reduce_fixed_and_empty_cols(Work &w) {
  for (int32_t j = 0; j < w.n && !w.failed(); ++j) {
    if (w.col_alive[j]) reduce_fixed_or_empty_col(w, j);
  }
}

void drop_free_row(Work &w, int32_t i) {
  Step &s = w.stack.push(StepKind::FreeRow);
  s.row = i;
  w.remove_row(i);
}

namespace {
char relation(double lo, double up) {
  if (!finite_value(lo)) return '<';
  if (!finite_value(up)) return '>';
  if (lo == up) return ' ';
  return 'R';
}
}  // namespace

void remove_empty_rows(Work &w) {
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (!w.row_alive[i] || w.rlen[i] != 0) continue;
    const double lo = w.rlo[i], up = w.rup[i];
    const double t = w.feastol;
    if (lo > t || up < -t) {
      const char rel = relation(lo, up);
      const double rhs = rel == '<' ? up : lo;
      w.fail(1101, msg_empty_row_infeasible(w.rowname(i), rel, rhs));
      return;
    }
    drop_free_row(w, i);
  }
}

void undo_free_row(const Step &s, const PostsolveStack &, PostState &st) {
  st.pi[s.row] = 0.0;
  st.rowstat[s.row] = kBasic;
}

void undo_fixed_col(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t j = s.col;
  double dj = s.d[1];
  for (int32_t p = s.start; p < s.start + s.len; ++p) dj -= stack.val[p] * st.pi[stack.idx[p]];
  st.x[j] = s.d[0];
  st.dj[j] = dj;
  if (s.flag >= 0) st.colstat[j] = s.flag;
  else st.colstat[j] = dj >= 0.0 ? kAtLower : kAtUpper;
}

}  // namespace tvl::lp::pre
