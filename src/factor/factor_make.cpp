// Precision dispatch of the basis factor and gathering of basis columns.
#include "factor/lu.h"

namespace tvl::lp {

extern template class LuFactor<double>;
extern template class LuFactor<long double>;

void BasisColumns::gather(const CscMatrix &a, const std::vector<int32_t> &head, int32_t rows, int32_t n) {
  m = rows;
  start.resize(m + 1);
  index.clear();
  value.clear();
  start[0] = 0;
  for (int32_t k = 0; k < m; ++k) {
    const int32_t var = head[k];
    if (var < n) {
      for (int32_t e = a.start[var]; e < a.start[var + 1]; ++e) {
        if (a.value[e] == 0.0) continue;
        index.push_back(a.index[e]);
        value.push_back(a.value[e]);
      }
    } else {
      index.push_back(var - n);
      value.push_back(1.0);
    }
    start[k + 1] = static_cast<int32_t>(index.size());
  }
}

BasisFactor *make_basis_factor(int precision, int32_t m, int32_t n, const FactorSettings &settings) {
  if (precision == 1) return new LuFactor<long double>(m, n, settings);
  return new LuFactor<double>(m, n, settings);
}

}  // namespace tvl::lp
