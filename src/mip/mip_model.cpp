#include "mip/mip_model.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "lpmodel/lpbuild.h"
#include "mip/implied_integers.h"
#include "mip/structures/structures.h"

namespace tvl::mip {

namespace {

// Granularity of the objective: when only integer, implied-integer (see
// mip/implied_integers.h) or fixed columns carry costs and every such cost
// is an integer multiple of 10^-k (k <= 6), objective values that matter
// for pruning differ by multiples of the greatest common divisor of the
// costs.
void detect_granularity(MipModel &model) {
  const lp::LpModel &m = model.lp;
  const std::vector<char> implied = implied_integer_columns(model);
  double offset = m.offset;
  std::vector<int32_t> grid;
  for (int32_t j = 0; j < m.a.n; ++j) {
    const size_t c = static_cast<size_t>(j);
    if (model.integer[c] || implied[c]) {
      grid.push_back(j);
      continue;
    }
    if (m.cost[c] == 0.0) continue;
    if (m.collo[c] != m.colup[c]) return;
    offset += m.cost[c] * m.collo[c];
  }
  double scale = 1.0;
  for (int k = 0; k <= 6; ++k, scale *= 10.0) {
    int64_t g = 0;
    bool ok = true;
    for (int32_t j : grid) {
      const double s = m.cost[static_cast<size_t>(j)] * scale;
      const double r = std::round(s);
      if (std::fabs(s - r) > 1e-9 * std::max(1.0, std::fabs(s)) || std::fabs(r) > 1e15) {
        ok = false;
        break;
      }
      int64_t a = static_cast<int64_t>(std::fabs(r));
      while (a) {
        const int64_t t = g % a;
        g = a;
        a = t;
      }
    }
    if (!ok) continue;
    if (g == 0) return;
    model.granularity = static_cast<double>(g) / scale;
    model.granularity_offset = offset;
    return;
  }
}

}  // namespace

void complete_mip_model(MipModel &model) {
  const int32_t n = model.lp.a.n;
  model.intcols.clear();
  for (int32_t j = 0; j < n; ++j) {
    if (!model.integer[j]) continue;
    model.intcols.push_back(j);
    // Integer columns take integer bounds.
    double &lo = model.lp.collo[j], &up = model.lp.colup[j];
    if (lo > -kInfBound) lo = std::ceil(lo - 1e-9);
    if (up < kInfBound) up = std::floor(up + 1e-9);
  }
  model.granularity = model.granularity_offset = 0.0;
  detect_granularity(model);
}

void build_mip_model(const tvllp *lp, MipModel &model) {
  lp::build_model(*lp->lp, model.lp);
  const int32_t n = model.lp.a.n;
  model.integer.assign(static_cast<size_t>(n), 0);
  if (lp->mip) {
    for (int32_t j = 0; j < n; ++j) {
      const char t = lp->mip->ctype[j];
      if (t != 'B' && t != 'I' && t != 'N') continue;
      model.integer[j] = 1;
      if (t == 'B') {
        model.lp.collo[j] = std::max(model.lp.collo[j], 0.0);
        model.lp.colup[j] = std::min(model.lp.colup[j], 1.0);
      }
    }
  }
  model.user_cols = n;
  add_special_structures(lp, model);
  complete_mip_model(model);
}

double fractionality(double v) { return std::fabs(v - std::round(v)); }

double max_violation(const MipModel &model, const std::vector<double> &x) {
  const lp::LpModel &m = model.lp;
  double worst = 0.0;
  std::vector<double> act(static_cast<size_t>(m.a.m), 0.0);
  for (int32_t j = 0; j < m.a.n; ++j) {
    const double v = x[j];
    worst = std::max({worst, m.collo[j] - v, v - m.colup[j]});
    if (model.integer[j]) worst = std::max(worst, fractionality(v));
    for (int32_t k = m.a.start[j]; k < m.a.start[j + 1]; ++k) act[m.a.index[k]] += m.a.value[k] * v;
  }
  for (int32_t i = 0; i < m.a.m; ++i) worst = std::max({worst, m.rowlo[i] - act[i], act[i] - m.rowup[i]});
  if (model.has_special()) worst = std::max(worst, special_violation(model, x));
  return worst;
}

double objective_of(const MipModel &model, const std::vector<double> &x) {
  double z = model.lp.offset;
  for (int32_t j = 0; j < model.n(); ++j) z += model.lp.cost[j] * x[j];
  return z;
}

}  // namespace tvl::mip
