#include "presolve/presolve_doubleton.h"

#include "presolve/presolve_rowsingleton.h"

namespace tvl::lp::pre {

namespace {

// Entries of column j that column k does not have (rows other than `skip`).
int32_t count_fill(Work &w, int32_t j, int32_t k, int32_t skip) {
  for (int32_t e = w.chead[k]; e >= 0; e = w.cnext[e]) w.pos[w.erow[e]] = e;
  int32_t fill = 0;
  for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) {
    if (w.erow[e] != skip && w.pos[w.erow[e]] < 0) ++fill;
  }
  for (int32_t e = w.chead[k]; e >= 0; e = w.cnext[e]) w.pos[w.erow[e]] = -1;
  w.work += w.clen[j] + 2 * w.clen[k];
  return fill;
}

// x_j = (r - b x_k)/a into column k: a_tk += -a_tj b/a, row t shifted by a_tj r/a.
void substitute(Work &w, int32_t i, int32_t j, int32_t k, double a, double b, double r) {
  const double ratio = b / a;
  for (int32_t e = w.chead[k]; e >= 0; e = w.cnext[e]) w.pos[w.erow[e]] = e;
  for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) {
    const int32_t t = w.erow[e];
    if (t == i) continue;
    const double atj = w.eval[e];
    const double shift = atj * r / a;
    if (finite_value(w.rlo[t])) w.rlo[t] -= shift;
    if (finite_value(w.rup[t])) w.rup[t] -= shift;
    const double delta = -atj * ratio;
    const int32_t f = w.pos[t];
    if (f >= 0) {
      const double old = w.eval[f];
      const double nv = old + delta;
      if (std::fabs(nv) <= 1e-11 * std::max(std::fabs(old), std::fabs(delta))) {
        w.remove_entry(f);
        w.pos[t] = -1;
      } else {
        w.eval[f] = nv;
      }
    } else {
      w.pos[t] = w.add_entry(t, k, delta);
    }
  }
  for (int32_t e = w.chead[k]; e >= 0; e = w.cnext[e]) w.pos[w.erow[e]] = -1;
  const double cj = w.cost[j];
  if (cj != 0.0) {
    w.cost[k] -= cj * ratio;
    w.offset += cj * r / a;
  }
  w.work += 2 * (w.clen[j] + w.clen[k]);
}

// Bounds of x_k = (r - a x_j)/b implied by x_j in [lo, up].
void implied_bounds(double a, double b, double r, double lo, double up, double &klo, double &kup) {
  const double ra = a / b;  // x_k = r/b - ra x_j
  const double v1 = finite_value(up) ? r / b - ra * up : (ra > 0 ? -kWorkInf : kWorkInf);
  const double v2 = finite_value(lo) ? r / b - ra * lo : (ra > 0 ? kWorkInf : -kWorkInf);
  klo = std::min(v1, v2);
  kup = std::max(v1, v2);
}

// Eliminating the column of ej moves its cost onto the column of ek and
// hands that column the bounds it implies; true when this does not add a
// dual infeasibility to the slack start (see cost_move_keeps_start).
bool doubleton_keeps_start(const Work &w, int32_t ej, int32_t ek) {
  const int32_t j = w.ecol[ej], k = w.ecol[ek];
  const double a = w.eval[ej], b = w.eval[ek];
  double klo, kup;
  implied_bounds(a, b, w.rlo[w.erow[ej]], w.clo[j], w.cup[j], klo, kup);
  const int before = start_dual_infeasible(w.cost[j], w.clo[j], w.cup[j]) +
                     start_dual_infeasible(w.cost[k], w.clo[k], w.cup[k]);
  const int after = start_dual_infeasible(w.cost[k] - w.cost[j] * b / a, std::max(w.clo[k], klo),
                                          std::min(w.cup[k], kup));
  return after <= before;
}

}  // namespace

int32_t reduce_doubleton_equations(Work &w, int32_t maxfill) {
  int32_t done = 0;
  w.pos.assign(w.m, -1);
  for (int32_t i = 0; i < w.m && !w.failed(); ++i) {
    if (!w.row_alive[i] || w.rlen[i] != 2 || w.rlo[i] != w.rup[i]) continue;
    const int32_t e1 = w.rhead[i], e2 = w.rnext[e1];
    int32_t ej = e1, ek = e2;
    // Eliminate the shorter column unless its coefficient is much smaller.
    const double v1 = std::fabs(w.eval[e1]), v2 = std::fabs(w.eval[e2]);
    const int32_t c1 = w.clen[w.ecol[e1]], c2 = w.clen[w.ecol[e2]];
    bool swap = c2 < c1;
    if (swap && v2 < 1e-3 * v1) swap = false;
    if (!swap && v1 < 1e-3 * v2) swap = true;
    if (swap) std::swap(ej, ek);
    if (w.guard_dual_start && !doubleton_keeps_start(w, ej, ek)) {
      // The other direction, unless its pivot is tiny.
      if (std::fabs(w.eval[ek]) < 1e-3 * std::fabs(w.eval[ej]) || !doubleton_keeps_start(w, ek, ej)) continue;
      std::swap(ej, ek);
    }
    if (w.is_integer(w.ecol[ej])) {
      // Only a continuous column is computed from the other.
      if (w.is_integer(w.ecol[ek]) || std::fabs(w.eval[ek]) < 1e-3 * std::fabs(w.eval[ej]) ||
          (w.guard_dual_start && !doubleton_keeps_start(w, ek, ej)))
        continue;
      std::swap(ej, ek);
    }
    const int32_t j = w.ecol[ej], k = w.ecol[ek];
    const double a = w.eval[ej], b = w.eval[ek], r = w.rlo[i];
    if (w.clo[j] == w.cup[j] || w.clo[k] == w.cup[k]) continue;  // fixed: handled elsewhere
    if (count_fill(w, j, k, i) > maxfill) continue;
    Step &s = w.stack.push(StepKind::Doubleton);
    s.row = i; s.col = j; s.col2 = k;
    s.d[0] = a; s.d[1] = b; s.d[2] = r; s.d[3] = w.cost[j]; s.d[4] = w.clo[j]; s.d[5] = w.cup[j];
    for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) {
      if (w.erow[e] != i) w.stack.add(w.erow[e], w.eval[e]);
    }
    double klo, kup;
    implied_bounds(a, b, r, w.clo[j], w.cup[j], klo, kup);
    substitute(w, i, j, k, a, b, r);
    w.remove_row(i);
    w.remove_col(j);
    const int changed = tighten_col_bounds(w, k, klo, kup);
    w.stack.steps.back().flag = static_cast<int8_t>(changed);
    ++done;
    ++w.aggregations;
  }
  return done;
}

void undo_doubleton(const Step &s, const PostsolveStack &stack, PostState &st) {
  const int32_t i = s.row, j = s.col, k = s.col2;
  const double a = s.d[0], b = s.d[1], r = s.d[2], cj = s.d[3], lo = s.d[4], up = s.d[5];
  // z: reduced cost of x_j without row i.
  double z = cj;
  for (int32_t p = s.start; p < s.start + s.len; ++p) z -= stack.val[p] * st.pi[stack.idx[p]];
  const bool k_lo_from_j = (s.flag & 1) && st.colstat[k] == kAtLower;
  const bool k_up_from_j = (s.flag & 2) && st.colstat[k] == kAtUpper;
  if (k_lo_from_j || k_up_from_j) {
    // x_k rests on a bound inherited from x_j: x_k becomes basic and x_j
    // takes the matching bound.  x_k = r/b - (a/b) x_j, so with a/b > 0 the
    // lower end of x_k comes from the upper end of x_j.
    const double wk = st.dj[k] + (b / a) * z;  // dj of x_k without row i
    const double pi = wk / b;
    st.pi[i] = pi;
    st.dj[k] = 0.0;
    st.colstat[k] = kBasic;
    st.dj[j] = z - a * pi;
    const bool j_at_upper = k_lo_from_j == (a / b > 0);
    st.colstat[j] = j_at_upper ? kAtUpper : kAtLower;
    st.x[j] = j_at_upper ? up : lo;
  } else {
    st.pi[i] = z / a;
    st.dj[j] = 0.0;
    st.colstat[j] = kBasic;
    st.x[j] = (r - b * st.x[k]) / a;
  }
  st.rowstat[i] = st.pi[i] >= 0.0 ? kAtLower : kAtUpper;
}

}  // namespace tvl::lp::pre
