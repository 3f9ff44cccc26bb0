#include "presolve/presolve_dual.h"

#include <utility>

#include "presolve/unpreslv.h"

namespace tvl::lp {

namespace {

using pre::kAtLower;
using pre::kAtUpper;
using pre::kBasic;
using pre::kFree;

bool finite(double v) { return v > -kInfBound && v < kInfBound; }

// Appends the multipliers of one primal bound pair [lo, up] owned by
// `owner`: one free multiplier for an equation, otherwise one per finite
// bound.  Columns get their entries later.
void add_multipliers(DualLp &d, int32_t owner, double lo, double up) {
  auto add = [&d, owner](double cost, double lower, int8_t sign) {
    d.model.cost.push_back(cost);
    d.model.collo.push_back(lower);
    d.model.colup.push_back(kInfBound);
    d.owner.push_back(owner);
    d.sign.push_back(sign);
  };
  if (finite(lo) && lo == up) {
    add(-lo, -kInfBound, 1);
    return;
  }
  if (finite(lo)) add(-lo, 0.0, 1);
  if (finite(up)) add(up, 0.0, -1);
}

// Primal rows as lists of (column, value): the columns of A'.
void transpose(const CscMatrix &a, std::vector<int32_t> &start, std::vector<int32_t> &index,
               std::vector<double> &value) {
  start.assign(a.m + 1, 0);
  for (int32_t i : a.index) ++start[i + 1];
  for (int32_t i = 0; i < a.m; ++i) start[i + 1] += start[i];
  index.resize(a.index.size());
  value.resize(a.index.size());
  std::vector<int32_t> next(start.begin(), start.end() - 1);
  for (int32_t j = 0; j < a.n; ++j) {
    for (int32_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      const int32_t q = next[a.index[p]]++;
      index[q] = j;
      value[q] = a.value[p];
    }
  }
}

LpStatus dual_status_to_primal(LpStatus s) {
  switch (s) {
    case LpStatus::Unbounded: return LpStatus::Infeasible;  // a feasible dual ray proves the primal empty
    case LpStatus::Infeasible: return LpStatus::InfOrUnbd;  // the primal may be empty as well
    default: return s;
  }
}

// Primal basis by complementarity with the dual basis (see the header).
Basis map_basis(const LpModel &p, const DualLp &d, const Basis &db) {
  Basis b;
  const int32_t m = p.a.m, n = p.a.n;
  if (db.colstat.size() != d.owner.size() || db.rowstat.size() != static_cast<size_t>(n)) return b;
  b.rowstat.assign(m, kBasic);
  b.colstat.assign(n, kBasic);
  for (size_t k = 0; k < d.owner.size(); ++k) {
    if (db.colstat[k] != kBasic) continue;
    const int32_t o = d.owner[k];
    int8_t &st = o < m ? b.rowstat[o] : b.colstat[o - m];
    st = d.sign[k] > 0 ? kAtLower : kAtUpper;
  }
  for (int32_t j = 0; j < n; ++j) {
    if (db.rowstat[j] != kBasic || b.colstat[j] != kBasic) continue;
    b.colstat[j] = p.collo[j] > -kInfBound ? kAtLower : (p.colup[j] < kInfBound ? kAtUpper : kFree);
  }
  return b;
}

}  // namespace

bool should_form_dual(int predual, const LpModel &reduced) {
  return predual == 1 && reduced.a.m > 0 && reduced.a.n > 0;
}

void form_dual(const LpModel &primal, DualLp &out) {
  const CscMatrix &a = primal.a;
  out = DualLp{};
  out.primal_rows = a.m;
  for (int32_t i = 0; i < a.m; ++i) add_multipliers(out, i, primal.rowlo[i], primal.rowup[i]);
  for (int32_t j = 0; j < a.n; ++j) add_multipliers(out, a.m + j, primal.collo[j], primal.colup[j]);
  std::vector<int32_t> rstart, rindex;
  std::vector<double> rvalue;
  transpose(a, rstart, rindex, rvalue);
  LpModel &dm = out.model;
  dm.rowlo = primal.cost;
  dm.rowup = primal.cost;
  CscMatrix &da = dm.a;
  da.m = a.n;
  da.n = static_cast<int32_t>(out.owner.size());
  da.start.assign(1, 0);
  for (size_t k = 0; k < out.owner.size(); ++k) {
    const int32_t o = out.owner[k];
    const double s = out.sign[k];
    if (o < a.m) {
      for (int32_t q = rstart[o]; q < rstart[o + 1]; ++q) {
        da.index.push_back(rindex[q]);
        da.value.push_back(s * rvalue[q]);
      }
    } else {
      da.index.push_back(o - a.m);
      da.value.push_back(s);
    }
    da.start.push_back(static_cast<int32_t>(da.index.size()));
  }
}

LpResult map_dual_result(const LpModel &primal, const DualLp &dual, const LpResult &dres) {
  const CscMatrix &a = primal.a;
  // Counters and condition estimate are the dual run's; the feasibility
  // flags swap roles; values, basis and status are mapped below.
  LpResult r = dres;
  r.status = dual_status_to_primal(dres.status);
  std::swap(r.primal_feasible, r.dual_feasible);
  r.ray.clear();
  r.x.assign(a.n, 0.0);
  r.pi.assign(a.m, 0.0);
  if (dres.pi.size() == static_cast<size_t>(a.n))
    for (int32_t j = 0; j < a.n; ++j) r.x[j] = -dres.pi[j];
  if (dres.x.size() == dual.owner.size())
    for (size_t k = 0; k < dual.owner.size(); ++k)
      if (dual.owner[k] < a.m) r.pi[dual.owner[k]] += dual.sign[k] * dres.x[k];
  r.rowact.assign(a.m, 0.0);
  r.dj = primal.cost;
  r.objval = primal.offset;
  for (int32_t j = 0; j < a.n; ++j) {
    r.objval += primal.cost[j] * r.x[j];
    for (int32_t p = a.start[j]; p < a.start[j + 1]; ++p) {
      r.rowact[a.index[p]] += a.value[p] * r.x[j];
      r.dj[j] -= a.value[p] * r.pi[a.index[p]];
    }
  }
  r.basis = map_basis(primal, dual, dres.basis);
  return r;
}

}  // namespace tvl::lp
