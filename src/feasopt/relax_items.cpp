#include "feasopt/relax_items.h"

#include <algorithm>

#include "frame/infinity.h"
#include "frame/solution.h"

namespace tvl::feasopt {

namespace {

bool movable(const double *pref, int32_t k) { return pref && pref[k] > 0.0; }

void add(std::vector<Item> &items, Side side, int32_t index, double limit, double pref) {
  Item it;
  it.side = side;
  it.index = index;
  it.limit = limit;
  it.weight = 1.0 / pref;
  items.push_back(it);
}

// The sides of row i and the preference that moves each.
void collect_row(const LpData &d, int32_t i, const Prefs &p, std::vector<Item> &items) {
  double lo = 0.0, up = 0.0;
  row_range(&d, i, &lo, &up);
  const double *lo_pref = nullptr, *up_pref = nullptr;
  switch (d.sense[i]) {
    case 'L': up_pref = p.rhs; break;
    case 'G': lo_pref = p.rhs; break;
    case 'E': lo_pref = up_pref = p.rhs; break;
    default: {  // ranged: rhs is the lower end for a range >= 0, the upper one otherwise
      const bool rhs_low = !d.rngval || d.rngval[i] >= 0.0;
      lo_pref = rhs_low ? p.rhs : p.rng;
      up_pref = rhs_low ? p.rng : p.rhs;
    }
  }
  if (movable(lo_pref, i) && lo > -kInfBound) add(items, Side::RowLow, i, lo, lo_pref[i]);
  if (movable(up_pref, i) && up < kInfBound) add(items, Side::RowUp, i, up, up_pref[i]);
}

}  // namespace

int collect_items(const tvllp *lp, const Prefs &prefs, std::vector<Item> &items) {
  const LpData &d = *lp->lp;
  items.clear();
  for (int32_t i = 0; i < d.nrows; ++i) collect_row(d, i, prefs, items);
  for (int32_t j = 0; j < d.ncols; ++j) {
    const bool lo = movable(prefs.lb, j) && d.lb[j] > -kInfBound;
    const bool up = movable(prefs.ub, j) && d.ub[j] < kInfBound;
    if (!lo && !up) continue;
    const char type = lp->mip ? lp->mip->ctype[j] : 'C';
    if (type == 'S' || type == 'N') return TVLERR_CONSTRAINT_TYPE_UNSUPPORTED_BY_TVLFEASOPT;
    if (lo) add(items, Side::ColLow, j, d.lb[j], prefs.lb[j]);
    if (up) add(items, Side::ColUp, j, d.ub[j], prefs.ub[j]);
  }
  return 0;
}

std::vector<double> row_activity(const LpData &d, const double *x) {
  std::vector<double> ax(static_cast<size_t>(d.nrows), 0.0);
  for (int32_t j = 0; j < d.ncols; ++j)
    for (int32_t k = d.matbeg[j]; k < d.matbeg[j] + d.matcnt[j]; ++k) ax[d.matind[k]] += d.matval[k] * x[j];
  return ax;
}

double violation(const Item &item, const double *x, const double *ax) {
  switch (item.side) {
    case Side::RowLow: return std::max(0.0, item.limit - ax[item.index]);
    case Side::RowUp: return std::max(0.0, ax[item.index] - item.limit);
    case Side::ColLow: return std::max(0.0, item.limit - x[item.index]);
    default: return std::max(0.0, x[item.index] - item.limit);
  }
}

double measure_of(const std::vector<Item> &items, Measure kind, const double *x, const double *ax, double tol) {
  double sum = 0.0;
  for (const Item &it : items) {
    const double v = violation(it, x, ax);
    if (kind == Measure::Sum) sum += it.weight * v;
    else if (kind == Measure::Number) sum += v > tol ? it.weight : 0.0;
    else sum += it.weight * v * v;
  }
  return sum;
}

}  // namespace tvl::feasopt
