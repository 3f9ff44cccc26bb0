#include "presolve/presolve_colsingleton.h"

#include <cmath>

#include "presolve/presolve_empty.h"
#include "presolve/presolve_msg.h"

namespace tvl::lp::pre {

namespace {

constexpr double kNoiseDual = 1e-12;  // |c/a| below this: zero cost
constexpr double kClearDual = 1e-7;   // |c/a| above this: a real dual

// Stores the entries of row i other than entry `skip` on the stack's last step.
void record_row_rest(Work &w, int32_t i, int32_t skip) {
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) {
    if (e != skip) w.stack.add(w.ecol[e], w.eval[e]);
  }
}

// Equality row i = b with singleton column j (entry e): fold x_j into the row.
void fold_slack_col(Work &w, int32_t i, int32_t j, int32_t e) {
  const double a = w.eval[e], b = w.rlo[i], c = w.cost[j];
  const double lo = w.clo[j], up = w.cup[j];
  Step &s = w.stack.push(StepKind::SlackCol);
  s.row = i;
  s.col = j;
  s.d[0] = a; s.d[1] = b; s.d[2] = lo; s.d[3] = up; s.d[4] = c;
  record_row_rest(w, i, e);
  if (c != 0.0) {
    const double ratio = c / a;
    for (int32_t f = w.rhead[i]; f >= 0; f = w.rnext[f]) {
      if (f != e) w.cost[w.ecol[f]] -= ratio * w.eval[f];
    }
    w.offset += ratio * b;
  }
  // rest = b - a x_j with x_j in [lo, up].
  const double r1 = finite_value(up) ? b - a * up : (a > 0 ? -kWorkInf : kWorkInf);
  const double r2 = finite_value(lo) ? b - a * lo : (a > 0 ? kWorkInf : -kWorkInf);
  w.rlo[i] = std::min(r1, r2);
  w.rup[i] = std::max(r1, r2);
  w.remove_col(j);
  w.work += w.rlen[i];
}

// Inequality row i with an implied-free singleton column j of zero cost.
void drop_row_with_free_col(Work &w, int32_t i, int32_t j, int32_t e) {
  Step &s = w.stack.push(StepKind::ColSubstitution);
  s.row = i;
  s.col = j;
  s.d[0] = w.eval[e]; s.d[1] = w.rlo[i]; s.d[2] = w.rup[i];
  record_row_rest(w, i, e);
  w.remove_row(i);
  w.remove_col(j);
}

}  // namespace

void reduce_col_singletons(Work &w) {
  std::vector<int32_t> &touched = w.pos;  // per-row mark of this sweep
  touched.assign(w.m, 0);
  for (int32_t j = 0; j < w.n && !w.failed(); ++j) {
    if (!w.col_alive[j]) continue;
    if (w.clen[j] == 0) { reduce_fixed_or_empty_col(w, j); continue; }
    if (w.clen[j] != 1) continue;
    const int32_t e = w.chead[j];
    const int32_t i = w.erow[e];
    if (touched[i] || w.rlen[i] < 2) continue;
    touched[i] = 1;
    if (w.clo[j] >= w.cup[j]) continue;  // fixed columns go elsewhere
    if (w.is_integer(j)) continue;       // its value could not be computed from the row
    if (w.rlo[i] == w.rup[i]) {
      if (cost_move_keeps_start(w, e)) fold_slack_col(w, i, j, e);
      continue;
    }
    w.work += w.rlen[i];
    if (!w.implied_free(w.activity(i), e)) continue;
    // The row's dual must be c/a.  Costs changed by earlier folds carry
    // rounding noise: a dual this small counts as zero, and only a clearly
    // nonzero one against an infinite side proves dual infeasibility.
    const double c = w.cost[j], dual = c / w.eval[e];
    if (std::fabs(dual) <= kNoiseDual) { drop_row_with_free_col(w, i, j, e); continue; }
    if (!w.dual_reductions) continue;
    // A positive dual holds the row at its lower bound.
    const bool at_lower = dual > 0;
    const double side = at_lower ? w.rlo[i] : w.rup[i];
    if (!finite_value(side)) {
      if (std::fabs(dual) > kClearDual) {
        w.fail(1101, "");
        return;
      }
      continue;
    }
    if (!cost_move_keeps_start(w, e)) continue;
    w.rlo[i] = w.rup[i] = side;
    fold_slack_col(w, i, j, e);
  }
  touched.assign(w.m, -1);
}

void undo_slack_col(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t i = s.row, j = s.col;
  const double a = s.d[0], b = s.d[1], lo = s.d[2], up = s.d[3], c = s.d[4];
  double rest = 0.0;
  for (int32_t p = s.start; p < s.start + s.len; ++p) rest += stack.val[p] * st.x[stack.idx[p]];
  const double pi_red = st.pi[i];
  const int8_t rs = st.rowstat[i];
  st.pi[i] = pi_red + c / a;
  if (rs == kBasic) {
    st.x[j] = (b - rest) / a;
    st.dj[j] = 0.0;
    st.colstat[j] = kBasic;
  } else {
    // rest at its lower end means a x_j at its upper end.
    const bool ax_at_upper = rs == kAtLower;
    const bool x_at_upper = ax_at_upper == (a > 0);
    st.x[j] = x_at_upper ? up : lo;
    if (!finite_value(st.x[j])) st.x[j] = (b - rest) / a;
    st.dj[j] = -a * pi_red;
    st.colstat[j] = x_at_upper ? kAtUpper : kAtLower;
  }
  st.rowstat[i] = st.pi[i] >= 0.0 ? kAtLower : kAtUpper;
}

void undo_col_substitution(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t i = s.row, j = s.col;
  const double a = s.d[0], rlo = s.d[1], rup = s.d[2];
  double rest = 0.0;
  for (int32_t p = s.start; p < s.start + s.len; ++p) rest += stack.val[p] * st.x[stack.idx[p]];
  const bool use_lower = finite_value(rlo);
  const double r = use_lower ? rlo : rup;
  st.x[j] = (r - rest) / a;
  st.dj[j] = 0.0;
  st.colstat[j] = kBasic;
  st.pi[i] = 0.0;
  st.rowstat[i] = use_lower ? kAtLower : kAtUpper;
}

}  // namespace tvl::lp::pre
