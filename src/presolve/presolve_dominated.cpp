#include "presolve/presolve_dominated.h"

#include "presolve/presolve_msg.h"
#include "presolve/unpreslv.h"

namespace tvl::lp::pre {

namespace {

// Dual bounds of every live row: sign conditions from the row bounds.
void sign_bounds(const Work &w, std::vector<double> &plo, std::vector<double> &pup) {
  plo.assign(w.m, -kWorkInf);
  pup.assign(w.m, kWorkInf);
  for (int32_t i = 0; i < w.m; ++i) {
    if (!w.row_alive[i]) continue;
    if (!finite_value(w.rlo[i])) pup[i] = 0.0;
    if (!finite_value(w.rup[i])) plo[i] = 0.0;
  }
}

// A singleton column j in row i with one infinite bound limits pi_i:
// up_j infinite gives dj >= 0, i.e. a pi_i <= c_j; lo_j infinite gives
// dj <= 0, i.e. a pi_i >= c_j.
void singleton_bounds(const Work &w, std::vector<double> &plo, std::vector<double> &pup) {
  for (int32_t j = 0; j < w.n; ++j) {
    // An integer column cannot absorb an arbitrary change of its row.
    if (!w.col_alive[j] || w.clen[j] != 1 || w.is_integer(j)) continue;
    const int32_t e = w.chead[j];
    const int32_t i = w.erow[e];
    const double a = w.eval[e], r = w.cost[j] / a;
    if (!finite_value(w.cup[j])) {
      if (a > 0) pup[i] = std::min(pup[i], r); else plo[i] = std::max(plo[i], r);
    }
    if (!finite_value(w.clo[j])) {
      if (a > 0) plo[i] = std::max(plo[i], r); else pup[i] = std::min(pup[i], r);
    }
  }
}

// Range of dj = c_j - sum a_ij pi_i over the dual bounds.  Column singletons
// whose own entry produced the bound are excluded from the test by the caller.
void dj_range(const Work &w, int32_t j, const std::vector<double> &plo, const std::vector<double> &pup,
              double &djlo, double &djup) {
  djlo = djup = w.cost[j];
  for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) {
    const int32_t i = w.erow[e];
    const double a = w.eval[e];
    // -a pi: smallest with pi at pup when a > 0, at plo when a < 0.
    const double pmin = a > 0 ? pup[i] : plo[i];
    const double pmax = a > 0 ? plo[i] : pup[i];
    if (finite_value(pmin)) djlo -= a * pmin; else djlo = -kWorkInf;
    if (finite_value(pmax)) djup -= a * pmax; else djup = kWorkInf;
    if (!finite_value(djlo) && !finite_value(djup)) return;
  }
}

}  // namespace

void reduce_dominated_cols(Work &w) {
  std::vector<double> plo, pup;
  sign_bounds(w, plo, pup);
  singleton_bounds(w, plo, pup);
  w.work += w.m + w.n;
  const double tol = 1e-9;
  for (int32_t j = 0; j < w.n && !w.failed(); ++j) {
    if (!w.col_alive[j] || w.clo[j] == w.cup[j]) continue;
    // A singleton's own bound would make its test circular.
    if (w.clen[j] == 1 && (!finite_value(w.clo[j]) || !finite_value(w.cup[j]))) continue;
    double djlo, djup;
    dj_range(w, j, plo, pup, djlo, djup);
    w.work += w.clen[j];
    if (djlo > tol || (djlo >= 0.0 && finite_value(w.clo[j]))) {
      if (!finite_value(w.clo[j])) {
        if (djlo > tol) { w.fail(1101, msg_unbounded_dual_bounds(w.colname(j))); return; }
        continue;
      }
      w.fix_col(j, w.clo[j], kAtLower);
    } else if (djup < -tol || (djup <= 0.0 && finite_value(w.cup[j]))) {
      if (!finite_value(w.cup[j])) {
        if (djup < -tol) { w.fail(1101, msg_unbounded_dual_bounds(w.colname(j))); return; }
        continue;
      }
      w.fix_col(j, w.cup[j], kAtUpper);
    }
  }
}

}  // namespace tvl::lp::pre
