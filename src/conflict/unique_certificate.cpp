#include "conflict/unique_certificate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "factor/factor.h"
#include "frame/infinity.h"

namespace tvl::conflict {

namespace {

// A member's reduced value must be this large against its terms' magnitude.
constexpr double kUsedRel = 1e-7;
// Smallest pivot of the scaled system (entries at most 1 in magnitude);
// a smaller one counts as a dependency.
constexpr double kPivotTol = 1e-9;
// How far the certificate's value may miss the normalization -1.
constexpr double kNormTol = 1e-6;
// A certificate that still proves infeasibility with every member bound
// b moved outward by this much times max(1, |b|) is robust: a solve of
// the set, which accepts points within its feasibility tolerance, finds
// it infeasible too.
constexpr double kRobustTol = 1e-6;

// Which sides of each variable of the working form are in the set, and
// whether a variable is a row's slack in the set.
struct Sides {
  std::vector<char> lo, up;
};

Sides member_sides(const WorkModel &w, const std::vector<char> &member) {
  const size_t nv = static_cast<size_t>(w.lp.a.n);
  Sides s{std::vector<char>(nv, 0), std::vector<char>(nv, 0)};
  for (size_t k = 0; k < w.items.size(); ++k) {
    if (!member[k]) continue;
    const Item &it = w.items[k];
    const size_t v = static_cast<size_t>(w.var_of(it));
    if (it.kind != Item::Upper) s.lo[v] = 1;
    if (it.kind != Item::Lower) s.up[v] = 1;
  }
  return s;
}

// The square system of the header, scaled, and the way back to y.
struct System {
  lp::CscMatrix e;               // q x q: the r unknowns' columns, then q - r empty ones
  int32_t r = 0;                 // unknowns
  std::vector<int32_t> row_of;   // unknown -> row of w.lp
  std::vector<double> colscale;  // y_row_of[u] = colscale[u] * z_u
  double rhs = -1.0;             // scaled right-hand side of the last equation
};

// Builds the system for the sides `up_side` (per member variable) and
// bounds b; false when it has more unknowns than equations.
bool build_system(const WorkModel &w, const Sides &s, const std::vector<char> &up_side, System &sys) {
  const lp::CscMatrix &a = w.lp.a;
  const size_t m = static_cast<size_t>(a.m);
  std::vector<int32_t> unknown(m, -1);
  for (int32_t i = 0; i < w.nrows; ++i)
    if (s.lo[static_cast<size_t>(w.slack(i))] || s.up[static_cast<size_t>(w.slack(i))]) {
      unknown[static_cast<size_t>(i)] = sys.r++;
      sys.row_of.push_back(i);
    }
  // Triplets (equation, unknown, value): one equation per column without a
  // member side that meets a row of the set, then the normalization.
  struct Entry {
    int32_t eq, u;
    double v;
  };
  std::vector<Entry> entries;
  std::vector<double> g(static_cast<size_t>(sys.r), 0.0);
  int32_t eqs = 0;
  for (int32_t k = 0; k < a.n; ++k) {
    const size_t kk = static_cast<size_t>(k);
    const bool in_set = s.lo[kk] || s.up[kk];
    const double b = !in_set ? 0.0 : up_side[kk] ? w.tight_up[kk] : w.tight_lo[kk];
    bool touched = false;
    for (int32_t p = a.start[kk]; p < a.start[kk + 1]; ++p) {
      const int32_t u = unknown[static_cast<size_t>(a.index[static_cast<size_t>(p)])];
      if (u < 0) continue;
      const double v = a.value[static_cast<size_t>(p)];
      if (in_set) {
        g[static_cast<size_t>(u)] += v * b;
      } else {
        entries.push_back({eqs, u, v});
        touched = true;
      }
    }
    eqs += touched;
  }
  for (int32_t u = 0; u < sys.r; ++u)
    if (g[static_cast<size_t>(u)] != 0.0) entries.push_back({eqs, u, g[static_cast<size_t>(u)]});
  const int32_t q = eqs + 1;
  if (q < sys.r) return false;
  // Equations scaled to largest entry 1, then unknowns likewise.
  std::vector<double> rowscale(static_cast<size_t>(q), 0.0);
  sys.colscale.assign(static_cast<size_t>(sys.r), 0.0);
  for (const Entry &t : entries) rowscale[static_cast<size_t>(t.eq)] = std::max(rowscale[static_cast<size_t>(t.eq)], std::fabs(t.v));
  for (double &f : rowscale) f = f > 0.0 ? 1.0 / f : 1.0;
  for (Entry &t : entries) {
    t.v *= rowscale[static_cast<size_t>(t.eq)];
    sys.colscale[static_cast<size_t>(t.u)] = std::max(sys.colscale[static_cast<size_t>(t.u)], std::fabs(t.v));
  }
  for (double &f : sys.colscale) f = f > 0.0 ? 1.0 / f : 1.0;
  sys.rhs = -rowscale[static_cast<size_t>(eqs)];
  lp::CscMatrix &e = sys.e;
  e.m = e.n = q;
  e.start.assign(static_cast<size_t>(q) + 1, 0);
  for (const Entry &t : entries) ++e.start[static_cast<size_t>(t.u) + 1];
  for (int32_t u = 0; u < q; ++u) e.start[static_cast<size_t>(u) + 1] += e.start[static_cast<size_t>(u)];
  e.index.resize(entries.size());
  e.value.resize(entries.size());
  std::vector<int32_t> next(e.start.begin(), e.start.end() - 1);
  for (const Entry &t : entries) {
    const int32_t p = next[static_cast<size_t>(t.u)]++;
    e.index[static_cast<size_t>(p)] = t.eq;
    e.value[static_cast<size_t>(p)] = t.v * sys.colscale[static_cast<size_t>(t.u)];
  }
  return true;
}

// Solves the system; false when an unknown is dependent.  y gets the
// solution on the rows of the set (zero elsewhere).
bool solve_system(const System &sys, int32_t m, std::vector<double> &y) {
  const int32_t q = sys.e.m;
  lp::FactorSettings settings;
  settings.markowitz = 0.1;
  settings.singtol = kPivotTol;
  std::unique_ptr<lp::BasisFactor> lu(lp::make_basis_factor(0, q, q, settings));
  std::vector<int32_t> head(static_cast<size_t>(q));
  for (int32_t k = 0; k < q; ++k) head[static_cast<size_t>(k)] = k;
  const lp::FactorStatus st = lu->factorize(sys.e, head, nullptr);
  if (st != lp::FactorStatus::Ok && st != lp::FactorStatus::Repaired) return false;
  // Only the empty columns may have been replaced by unit columns.
  for (int32_t old : lu->report().old_vars)
    if (old < sys.r) return false;
  lp::HVector x;
  x.setup(q);
  x.array[static_cast<size_t>(q) - 1] = sys.rhs;
  x.index[0] = q - 1;
  x.count = 1;
  lu->ftran(x, 1.0);
  y.assign(static_cast<size_t>(m), 0.0);
  for (int32_t pos = 0; pos < q; ++pos) {
    const int32_t u = head[static_cast<size_t>(pos)];
    if (u < sys.r)
      y[static_cast<size_t>(sys.row_of[static_cast<size_t>(u)])] =
          sys.colscale[static_cast<size_t>(u)] * x.array[static_cast<size_t>(pos)];
  }
  return true;
}

// Whether y is a certificate of the set that uses every member on the
// side assumed and is normalized to -1; `robust` tells whether it keeps
// its proof with the members' bounds moved outward by kRobustTol.
bool certifies_every_member(const WorkModel &w, const Sides &s, const std::vector<char> &up_side,
                            const std::vector<double> &y, bool &robust) {
  std::vector<double> d, mag;
  reduced_values(w.lp.a, y, d, mag);
  double ymax = 0.0;
  for (double v : y) ymax = std::max(ymax, std::fabs(v));
  double value = 0.0, spread = 0.0;
  for (size_t k = 0; k < d.size(); ++k) {
    if (!s.lo[k] && !s.up[k]) {
      if (!negligible(d[k], mag[k])) return false;
      continue;
    }
    const bool slack = static_cast<int32_t>(k) >= w.model_cols;
    // A slack's entry of y below kNegligibleRel of the largest entry does
    // not use its row (the threshold negligible() puts on reduced values).
    const double margin = slack ? kNegligibleRel * ymax : kUsedRel * mag[k];
    if ((d[k] > 0.0) != (up_side[k] != 0) || std::fabs(d[k]) <= margin) return false;
    const double b = up_side[k] ? w.tight_up[k] : w.tight_lo[k];
    value += d[k] * b;
    spread += std::fabs(d[k]) * kRobustTol * std::max(1.0, std::fabs(b));
  }
  robust = -value > spread;
  return std::fabs(value + 1.0) <= kNormTol;
}

}  // namespace

bool certificate_is_unique(const WorkModel &w, const std::vector<char> &member, const std::vector<double> &ray,
                           bool *robust) {
  bool beyond_tolerance = false;
  if (robust) *robust = false;
  const lp::CscMatrix &a = w.lp.a;
  // Every row and finite bound must be a candidate.
  if (a.m != w.nrows || w.model_cols != w.ncols || ray.size() != static_cast<size_t>(a.m)) return false;
  for (size_t k = 0; k < w.base_lo.size(); ++k)
    if (w.base_lo[k] > -kInfBound || w.base_up[k] < kInfBound) return false;
  const Sides s = member_sides(w, member);
  // The sides the latest certificate uses.
  std::vector<double> d0, mag0;
  reduced_values(a, ray, d0, mag0);
  std::vector<char> up_side(d0.size(), 0);
  for (size_t k = 0; k < d0.size(); ++k) {
    if (!s.lo[k] && !s.up[k]) continue;
    const bool slack = static_cast<int32_t>(k) >= w.model_cols;
    if (negligible(d0[k], mag0[k]) || (!slack && s.lo[k] && s.up[k])) return false;
    up_side[k] = d0[k] > 0.0;
    const double b = up_side[k] ? w.tight_up[k] : w.tight_lo[k];
    if (!(up_side[k] ? s.up[k] : s.lo[k]) || std::fabs(b) >= kInfBound) return false;
  }
  System sys;
  if (!build_system(w, s, up_side, sys) || sys.r == 0) return false;
  std::vector<double> y;
  if (!solve_system(sys, a.m, y)) return false;
  if (!certifies_every_member(w, s, up_side, y, beyond_tolerance)) return false;
  if (robust) *robust = beyond_tolerance;
  return true;
}

}  // namespace tvl::conflict
