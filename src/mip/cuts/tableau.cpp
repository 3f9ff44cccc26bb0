#include "mip/cuts/tableau.h"

#include <algorithm>

#include "lp/binv_store.h"

namespace tvl::mip {

TableauRows::TableauRows(const lp::LpModel &model, const lp::Basis &basis) : model_(model), basis_(basis) {}

TableauRows::~TableauRows() = default;

bool TableauRows::ready() {
  if (state_ != 0) return state_ > 0;
  state_ = -1;
  const int32_t m = model_.a.m, n = model_.a.n;
  if (static_cast<int32_t>(basis_.colstat.size()) != n || static_cast<int32_t>(basis_.rowstat.size()) != m) return false;
  fd_ = std::make_unique<FactorData>();
  position_.assign(static_cast<size_t>(n), -1);
  for (int32_t j = 0; j < n; ++j)
    if (basis_.colstat[static_cast<size_t>(j)] == 1) fd_->head.push_back(j);
  for (int32_t i = 0; i < m; ++i)
    if (basis_.rowstat[static_cast<size_t>(i)] == 1) fd_->head.push_back(n + i);
  if (static_cast<int32_t>(fd_->head.size()) != m) return false;
  lp::LpModel scaled = model_;
  lp::FactorSettings settings;
  settings.repair = false;
  settings.dense_partial_pivoting = true;  // as in the node LPs (mip/node_lp.h)
  if (lp::factor_model_basis(scaled, 0, 0, settings, *fd_) != 0) return false;
  // The factor may reorder nothing (no repair), so positions follow head.
  for (int32_t k = 0; k < m; ++k) {
    const int32_t v = fd_->head[static_cast<size_t>(k)];
    if (v < n) position_[static_cast<size_t>(v)] = k;
  }
  rows_.build(model_.a);
  state_ = 1;
  return true;
}

bool TableauRows::row(int32_t j, std::vector<double> &alpha, std::vector<double> &y) {
  if (!ready()) return false;
  const int32_t m = model_.a.m, n = model_.a.n;
  const int32_t k = position_[static_cast<size_t>(j)];
  if (k < 0) return false;
  y.assign(static_cast<size_t>(m), 0.0);
  y[static_cast<size_t>(k)] = 1.0;
  lp::binv_solve(*fd_, y.data(), true);
  alpha.assign(static_cast<size_t>(n), 0.0);
  for (int32_t i = 0; i < m; ++i) {
    const double yi = y[static_cast<size_t>(i)];
    if (yi == 0.0) continue;
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p)
      alpha[static_cast<size_t>(rows_.col[static_cast<size_t>(p)])] += yi * rows_.val[static_cast<size_t>(p)];
  }
  return true;
}

}  // namespace tvl::mip
