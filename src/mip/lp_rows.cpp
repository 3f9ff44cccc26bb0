#include "mip/lp_rows.h"

namespace tvl::mip {

void append_rows(lp::LpModel &model, const std::vector<LpRow> &rows) {
  const lp::CscMatrix a = std::move(model.a);
  const int32_t m0 = a.m, n = a.n;
  std::vector<int32_t> count(static_cast<size_t>(n), 0);
  for (const LpRow &r : rows)
    for (int32_t j : r.ind) ++count[static_cast<size_t>(j)];
  lp::CscMatrix &b = model.a;
  b.m = m0 + static_cast<int32_t>(rows.size());
  b.n = n;
  b.start.assign(static_cast<size_t>(n) + 1, 0);
  for (int32_t j = 0; j < n; ++j)
    b.start[static_cast<size_t>(j) + 1] =
        b.start[static_cast<size_t>(j)] + (a.start[static_cast<size_t>(j) + 1] - a.start[static_cast<size_t>(j)]) +
        count[static_cast<size_t>(j)];
  b.index.resize(static_cast<size_t>(b.start.back()));
  b.value.resize(b.index.size());
  std::vector<int32_t> fill(b.start.begin(), b.start.end() - 1);
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t p = a.start[static_cast<size_t>(j)]; p < a.start[static_cast<size_t>(j) + 1]; ++p) {
      const int32_t q = fill[static_cast<size_t>(j)]++;
      b.index[static_cast<size_t>(q)] = a.index[static_cast<size_t>(p)];
      b.value[static_cast<size_t>(q)] = a.value[static_cast<size_t>(p)];
    }
  }
  for (size_t k = 0; k < rows.size(); ++k) {
    const LpRow &r = rows[k];
    for (size_t e = 0; e < r.ind.size(); ++e) {
      const int32_t q = fill[static_cast<size_t>(r.ind[e])]++;
      b.index[static_cast<size_t>(q)] = m0 + static_cast<int32_t>(k);
      b.value[static_cast<size_t>(q)] = r.val[e];
    }
    model.rowlo.push_back(r.lower);
    model.rowup.push_back(r.upper);
  }
}

}  // namespace tvl::mip
