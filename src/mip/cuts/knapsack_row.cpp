#include "mip/cuts/knapsack_row.h"

#include <cmath>

#include "frame/infinity.h"

namespace tvl::mip {

bool knapsack_side(const MipModel &model, const RowView &rows, const std::vector<double> &collo,
                   const std::vector<double> &colup, const std::vector<double> *x, int32_t i, double sign,
                   std::vector<KnapsackItem> &items, double &b) {
  const lp::LpModel &lp = model.lp;
  b = sign > 0 ? lp.rowup[static_cast<size_t>(i)] : -lp.rowlo[static_cast<size_t>(i)];
  items.clear();
  for (int32_t p = rows.begin(i); p < rows.end(i); ++p) {
    const int32_t j = rows.col[static_cast<size_t>(p)];
    const double a = sign * rows.val[static_cast<size_t>(p)];
    const double lo = collo[static_cast<size_t>(j)], up = colup[static_cast<size_t>(j)];
    const bool binary = is_binary(model, collo, colup, j);
    if (!binary) {
      const double bound = a > 0.0 ? lo : up;
      if (std::fabs(bound) >= kInfBound) return false;
      b -= a * bound;
      continue;
    }
    const double v = x ? (*x)[static_cast<size_t>(j)] : 0.0;
    if (a > 0.0) {
      items.push_back({j, a, v, false});
    } else {
      items.push_back({j, -a, 1.0 - v, true});
      b -= a;
    }
  }
  return items.size() >= 2 && b > 0.0;
}

}  // namespace tvl::mip
