#include "simplex/pricing_dual.h"

namespace tvl::lp {

std::unique_ptr<DualPricing> make_standard_pricing(int32_t m);
std::unique_ptr<DualPricing> make_devex_pricing(int32_t m);
std::unique_ptr<DualPricing> make_steepest_edge_pricing(int32_t m);

std::unique_ptr<DualPricing> make_dual_pricing(int dpriind, int32_t m) {
  switch (dpriind) {
    case 1: return make_standard_pricing(m);
    case 5: return make_devex_pricing(m);
    default: return make_steepest_edge_pricing(m);
  }
}

bool dual_pricing_wants_exact_start(int dpriind) { return dpriind == 2 || dpriind == 3; }

}  // namespace tvl::lp
