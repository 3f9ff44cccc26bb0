#include "mip/pseudocost.h"

#include <algorithm>

namespace tvl::mip {

Pseudocosts::Pseudocosts(int32_t n)
    : down_sum_(static_cast<size_t>(n), 0.0),
      up_sum_(static_cast<size_t>(n), 0.0),
      down_n_(static_cast<size_t>(n), 0),
      up_n_(static_cast<size_t>(n), 0) {}

void Pseudocosts::update(int32_t col, bool up, double gain, double dist) {
  if (dist <= 1e-9) return;
  if (journal_) journal_->push_back({col, up, gain, dist});
  const double unit = std::max(gain, 0.0) / dist;
  if (up) {
    up_sum_[col] += unit;
    ++up_n_[col];
    up_total_ += unit;
    ++up_obs_;
  } else {
    down_sum_[col] += unit;
    ++down_n_[col];
    down_total_ += unit;
    ++down_obs_;
  }
}

double Pseudocosts::down(int32_t col) const {
  if (down_n_[col] > 0) return down_sum_[col] / down_n_[col];
  return down_obs_ > 0 ? down_total_ / static_cast<double>(down_obs_) : 1.0;
}

double Pseudocosts::up(int32_t col) const {
  if (up_n_[col] > 0) return up_sum_[col] / up_n_[col];
  return up_obs_ > 0 ? up_total_ / static_cast<double>(up_obs_) : 1.0;
}

}  // namespace tvl::mip
