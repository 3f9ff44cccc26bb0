// Postsolve: scatters the reduced solution into the original index space,
// undoes the reductions last to first, and completes row activities,
// reduced costs and the objective from the original data.
#include "presolve/unpreslv.h"

#include <cmath>

#include "presolve/presolve.h"
#include "presolve/presolve_colsingleton.h"
#include "presolve/presolve_doubleton.h"
#include "presolve/presolve_duplicate.h"
#include "presolve/presolve_empty.h"
#include "presolve/presolve_forcing.h"
#include "presolve/presolve_freesubst.h"
#include "presolve/presolve_rowsingleton.h"

namespace tvl::lp {

namespace pre {

void undo_all(const PostsolveStack &stack, PostState &st) {
  for (size_t q = stack.steps.size(); q-- > 0;) {
    const Step &s = stack.steps[q];
    switch (s.kind) {
      case StepKind::FreeRow: undo_free_row(s, stack, st); break;
      case StepKind::FixedCol: undo_fixed_col(s, stack, st); break;
      case StepKind::SingletonRow: undo_singleton_row(s, stack, st); break;
      case StepKind::ForcingRow: undo_forcing_row(s, stack, st); break;
      case StepKind::ColSubstitution: undo_col_substitution(s, stack, st); break;
      case StepKind::SlackCol: undo_slack_col(s, stack, st); break;
      case StepKind::Doubleton: undo_doubleton(s, stack, st); break;
      case StepKind::DuplicateRow: undo_duplicate_row(s, stack, st); break;
      case StepKind::DuplicateCol: undo_duplicate_col(s, stack, st); break;
      case StepKind::FreeSubstitution: undo_free_substitution(s, stack, st); break;
    }
  }
}

namespace {

// Nonbasic statuses that name an infinite bound, or disagree with the sign of
// an equality row's dual, are replaced by the matching finite one.
int8_t settle_status(int8_t stat, double lo, double up, double dual) {
  if (stat == kBasic) return stat;
  const bool flo = lo > -kInfBound, fup = up < kInfBound;
  if (flo && fup && lo == up) return dual >= 0.0 ? kAtLower : kAtUpper;
  if (stat == kAtLower && !flo) return fup ? kAtUpper : kFree;
  if (stat == kAtUpper && !fup) return flo ? kAtLower : kFree;
  if (stat == kFree && (flo || fup)) return flo ? kAtLower : kAtUpper;
  return stat;
}

}  // namespace
}  // namespace pre

using namespace pre;

bool postsolve(const PresolvedLp &pre, const LpResult &red, LpResult &out) {
  const LpModel &o = pre.original;
  const int32_t m = o.a.m, n = o.a.n;
  const size_t rm = pre.rowmap.size(), rn = pre.colmap.size();
  if (red.x.size() != rn || red.dj.size() != rn || red.pi.size() != rm) return false;
  const bool has_basis = red.basis.colstat.size() == rn && red.basis.rowstat.size() == rm;
  PostState st;
  st.x.assign(n, 0.0);
  st.dj.assign(n, 0.0);
  st.pi.assign(m, 0.0);
  st.colstat.assign(n, kAtLower);
  st.rowstat.assign(m, kBasic);
  for (size_t jj = 0; jj < rn; ++jj) {
    const int32_t j = pre.colmap[jj];
    st.x[j] = red.x[jj];
    st.dj[j] = red.dj[jj];
    st.colstat[j] = has_basis ? red.basis.colstat[jj] : kBasic;
  }
  for (size_t ii = 0; ii < rm; ++ii) {
    const int32_t i = pre.rowmap[ii];
    st.pi[i] = red.pi[ii];
    st.rowstat[i] = has_basis ? red.basis.rowstat[ii] : kBasic;
  }
  undo_all(pre.stack, st);

  out = LpResult{};
  out.status = red.status;
  out.iterations = red.iterations;
  out.phase1_iterations = red.phase1_iterations;
  out.primal_feasible = red.primal_feasible;
  out.dual_feasible = red.dual_feasible;
  out.kappa = red.kappa;
  out.x = std::move(st.x);
  out.pi = std::move(st.pi);
  // Row activities, reduced costs and objective from the original data.
  out.rowact.assign(m, 0.0);
  out.dj = o.cost;
  double obj = o.offset;
  for (int32_t j = 0; j < n; ++j) {
    const double xj = out.x[j];
    obj += o.cost[j] * xj;
    for (int32_t p = o.a.start[j]; p < o.a.start[j + 1]; ++p) {
      const int32_t i = o.a.index[p];
      out.rowact[i] += o.a.value[p] * xj;
      out.dj[j] -= o.a.value[p] * out.pi[i];
    }
  }
  out.objval = obj;
  out.basis.colstat = std::move(st.colstat);
  out.basis.rowstat = std::move(st.rowstat);
  for (int32_t j = 0; j < n; ++j) {
    int8_t &s = out.basis.colstat[j];
    s = settle_status(s, o.collo[j], o.colup[j], out.dj[j]);
  }
  for (int32_t i = 0; i < m; ++i) {
    int8_t &s = out.basis.rowstat[i];
    s = settle_status(s, o.rowlo[i], o.rowup[i], out.pi[i]);
  }
  return true;
}

}  // namespace tvl::lp
