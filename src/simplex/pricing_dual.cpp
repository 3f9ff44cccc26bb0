#include "simplex/pricing_dual.h"

#include <algorithm>

#include "runtime/workcount.h"

namespace tvl::lp {

std::unique_ptr<DualPricing> make_standard_pricing(int32_t m);
std::unique_ptr<DualPricing> make_devex_pricing(int32_t m);
std::unique_ptr<DualPricing> make_steepest_edge_pricing(int32_t m);
std::unique_ptr<DualPricing> make_full_steepest_edge_pricing(int32_t m);

std::unique_ptr<DualPricing> make_dual_pricing(DualPricingRule rule, int32_t m) {
  switch (rule) {
    case DualPricingRule::Standard: return make_standard_pricing(m);
    case DualPricingRule::Devex: return make_devex_pricing(m);
    case DualPricingRule::FullSteepestEdge: return make_full_steepest_edge_pricing(m);
    case DualPricingRule::SteepestEdge: break;
  }
  return make_steepest_edge_pricing(m);
}

void steepest_edge_update(const DualPivot &p, double floor, std::vector<double> &weight) {
  const HVector &col = *p.column;
  const HVector &tau = *p.tau;
  const double wr = p.row_norm2 > 0.0 ? p.row_norm2 : weight[p.row];
  const double inv = 1.0 / p.alpha;
  for (int32_t k = 0; k < col.count; ++k) {
    const int32_t i = col.index[k];
    if (i == p.row) continue;
    const double ratio = col.array[i] * inv;
    if (ratio == 0.0) continue;
    const double w = weight[i] + ratio * (ratio * wr - 2.0 * tau.array[i]);
    weight[i] = std::max(w, floor);
  }
  weight[p.row] = std::max(wr * inv * inv, floor);
  work_add(2 * static_cast<uint64_t>(col.count));
}

int32_t weights_from_inverse_rows(const DualBasisView &v, double floor,
                                  const std::function<double(int32_t, const HVector &)> &norm2,
                                  std::vector<double> &weight) {
  const int32_t m = v.lp->m;
  HVector rho;
  rho.setup(m);
  uint64_t ops = 0;
  DensityEstimate density;  // the hint follows the results
  for (int32_t r = 0; r < m; ++r) {
    rho.clear();
    rho.array[r] = 1.0;
    rho.index[0] = r;
    rho.count = 1;
    v.factor->btran(rho, density.value);
    density.observe(rho);
    weight[r] = std::max(norm2(r, rho), floor);
    ops += static_cast<uint64_t>(rho.count >= 0 ? rho.count : m);
  }
  work_add(ops);
  return m;
}

bool dual_slack_basis(const DualBasisView &v) {
  const int32_t n = v.lp->n;
  for (int32_t j : *v.head)
    if (j < n) return false;
  return true;
}

}  // namespace tvl::lp
