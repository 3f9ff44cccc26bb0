#include "mip/row_view.h"

namespace tvl::mip {

void RowView::build(const lp::CscMatrix &a) {
  start.assign(static_cast<size_t>(a.m) + 1, 0);
  for (int32_t i : a.index) ++start[static_cast<size_t>(i) + 1];
  for (int32_t i = 0; i < a.m; ++i) start[static_cast<size_t>(i) + 1] += start[static_cast<size_t>(i)];
  col.resize(a.index.size());
  val.resize(a.index.size());
  pos.resize(a.index.size());
  std::vector<int32_t> fill(start.begin(), start.end() - 1);
  for (int32_t j = 0; j < a.n; ++j) {
    for (int32_t p = a.start[static_cast<size_t>(j)]; p < a.start[static_cast<size_t>(j) + 1]; ++p) {
      const int32_t q = fill[static_cast<size_t>(a.index[static_cast<size_t>(p)])]++;
      col[static_cast<size_t>(q)] = j;
      val[static_cast<size_t>(q)] = a.value[static_cast<size_t>(p)];
      pos[static_cast<size_t>(q)] = p;
    }
  }
}

}  // namespace tvl::mip
