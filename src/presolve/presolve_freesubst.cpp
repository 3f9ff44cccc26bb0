#include "presolve/presolve_freesubst.h"

namespace tvl::lp::pre {

namespace {

// Entry of row i whose column is the best implied-free candidate, or -1.
int32_t pick_column(const Work &w, int32_t i, int32_t maxfill) {
  const Activity act = w.activity(i);
  double amax = 0.0;
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) amax = std::max(amax, std::fabs(w.eval[e]));
  int32_t best = -1;
  int64_t best_cost = 0;
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) {
    const int32_t j = w.ecol[e];
    if (std::fabs(w.eval[e]) < 0.01 * amax || w.is_integer(j)) continue;
    const int64_t fill = static_cast<int64_t>(w.rlen[i] - 1) * (w.clen[j] - 1);
    if (fill > maxfill || (best >= 0 && fill >= best_cost)) continue;
    if (!w.implied_free(act, e) || (w.guard_dual_start && !cost_move_keeps_start(w, e))) continue;
    best = e;
    best_cost = fill;
  }
  return best;
}

// Row r := row r + lambda * row i over the columns of row i other than j.
void add_row_multiple(Work &w, int32_t r, int32_t i, int32_t j, double lambda) {
  for (int32_t e = w.rhead[r]; e >= 0; e = w.rnext[e]) w.cpos[w.ecol[e]] = e;
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) {
    const int32_t k = w.ecol[e];
    if (k == j) continue;
    const double delta = lambda * w.eval[e];
    const int32_t f = w.cpos[k];
    if (f >= 0) {
      const double old = w.eval[f], nv = old + delta;
      if (std::fabs(nv) <= 1e-11 * std::max(std::fabs(old), std::fabs(delta))) {
        w.remove_entry(f);
        w.cpos[k] = -1;
      } else {
        w.eval[f] = nv;
      }
    } else {
      w.cpos[k] = w.add_entry(r, k, delta);
    }
  }
  for (int32_t e = w.rhead[r]; e >= 0; e = w.rnext[e]) w.cpos[w.ecol[e]] = -1;
  w.work += w.rlen[r] + 2 * w.rlen[i];
}

void substitute(Work &w, int32_t i, int32_t ej) {
  const int32_t j = w.ecol[ej];
  const double a = w.eval[ej], b = w.rlo[i], c = w.cost[j];
  Step &s = w.stack.push(StepKind::FreeSubstitution);
  s.row = i;
  s.col = j;
  s.d[0] = a; s.d[1] = b; s.d[2] = c;
  for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e])
    if (e != ej) w.stack.add(w.ecol[e], w.eval[e]);
  const int32_t rowpart = w.stack.steps.back().len;
  for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e])
    if (e != ej) w.stack.add(w.erow[e], w.eval[e]);
  w.stack.steps.back().flag = 0;
  w.stack.steps.back().col2 = rowpart;  // split point of the slice
  // Objective.
  if (c != 0.0) {
    for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e])
      if (e != ej) w.cost[w.ecol[e]] -= c * w.eval[e] / a;
    w.offset += c * b / a;
  }
  // Other rows holding x_j.
  std::vector<int32_t> &rows = w.scratch_idx;
  std::vector<double> &coefs = w.scratch_val;
  rows.clear();
  coefs.clear();
  for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e])
    if (e != ej) { rows.push_back(w.erow[e]); coefs.push_back(w.eval[e]); }
  for (size_t q = 0; q < rows.size(); ++q) {
    const int32_t r = rows[q];
    const double lambda = -coefs[q] / a;
    const double shift = coefs[q] * b / a;
    if (finite_value(w.rlo[r])) w.rlo[r] -= shift;
    if (finite_value(w.rup[r])) w.rup[r] -= shift;
    add_row_multiple(w, r, i, j, lambda);
  }
  w.remove_row(i);
  w.remove_col(j);
  ++w.aggregations;
}

}  // namespace

int32_t reduce_free_substitutions(Work &w, int32_t maxfill) {
  int32_t done = 0;
  w.cpos.assign(w.n, -1);
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (!w.row_alive[i] || w.rlen[i] < 3 || w.rlo[i] != w.rup[i]) continue;
    w.work += 2 * w.rlen[i];
    const int32_t e = pick_column(w, i, maxfill);
    if (e < 0) continue;
    substitute(w, i, e);
    ++done;
  }
  return done;
}

void undo_free_substitution(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t i = s.row, j = s.col;
  const double a = s.d[0], b = s.d[1], c = s.d[2];
  const int32_t split = s.start + s.col2, end = s.start + s.len;
  double rest = 0.0;
  for (int32_t p = s.start; p < split; ++p) rest += stack.val[p] * st.x[stack.idx[p]];
  double z = c;
  for (int32_t p = split; p < end; ++p) z -= stack.val[p] * st.pi[stack.idx[p]];
  st.x[j] = (b - rest) / a;
  st.pi[i] = z / a;
  st.dj[j] = 0.0;
  st.colstat[j] = kBasic;
  st.rowstat[i] = st.pi[i] >= 0.0 ? kAtLower : kAtUpper;
}

}  // namespace tvl::lp::pre
