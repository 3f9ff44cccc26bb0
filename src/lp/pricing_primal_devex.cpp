// Devex and steepest-edge pricing of the primal simplex (see
// pricing_primal.h for the papers).
#include <algorithm>
#include <cmath>

#include "lp/pricing_primal.h"

namespace tvl::lp {

namespace {

// Shared selection: the attractive variable maximising d_j^2 / w_j.
int32_t choose_weighted(const PrimalPricingView &v, const std::vector<double> &w, uint64_t &work) {
  const int32_t nv = static_cast<int32_t>(w.size());
  int32_t best = -1;
  double best_score = 0.0;
  for (int32_t j = 0; j < nv; ++j) {
    const double s = primal_infeasibility(v, j);
    if (s == 0.0) continue;
    if (s * s > best_score * w[j]) {
      best_score = s * s / w[j];
      best = j;
    }
  }
  work += static_cast<uint64_t>(nv);
  return best;
}

class DevexPricing final : public PrimalPricing {
 public:
  explicit DevexPricing(int32_t nv) : w_(static_cast<size_t>(nv), 1.0) {}
  PrimalRule rule() const override { return PrimalRule::Devex; }
  int32_t choose(const PrimalPricingView &v) override { return choose_weighted(v, w_, work_); }
  void reset_unit() override { std::fill(w_.begin(), w_.end(), 1.0); }

  void update(const PrimalPivot &p) override {
    const double wq = std::max(w_[p.enter], 1.0);
    const double a = p.alpha;
    const HVector &row = *p.row;
    double wmax = 0.0;
    for (int32_t k = 0; k < row.count; ++k) {
      const int32_t j = row.index[k];
      if (j == p.enter || j == p.leave) continue;
      const double r = row.array[j] / a;
      const double cand = r * r * wq;
      if (cand > w_[j]) w_[j] = cand;
      wmax = std::max(wmax, w_[j]);
    }
    work_ += static_cast<uint64_t>(row.count);
    w_[p.leave] = std::max(wq / (a * a), 1.0);
    w_[p.enter] = 1.0;
    // Weights that grew far beyond the reference framework no longer
    // approximate edge norms: start a new framework.
    if (w_[p.leave] > 1e6 || wmax > 1e8) reset_unit();
  }

 private:
  std::vector<double> w_;
};

class SteepestPricing final : public PrimalPricing {
 public:
  explicit SteepestPricing(int32_t nv) : w_(static_cast<size_t>(nv), 1.0) {}
  PrimalRule rule() const override { return PrimalRule::SteepestEdge; }
  bool needs_steep() const override { return true; }
  int32_t choose(const PrimalPricingView &v) override { return choose_weighted(v, w_, work_); }
  void reset_unit() override { std::fill(w_.begin(), w_.end(), 1.0); }

  int32_t compute_exact(const SimplexLp &lp, const BasisFactor &f, const std::vector<int8_t> &status) override {
    HVector col;
    col.setup(lp.m);
    int32_t count = 0;
    for (int32_t j = 0; j < lp.num_vars(); ++j) {
      if (status[j] == kBasic) continue;
      col.clear();
      if (j < lp.n) {
        for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) {
          col.array[lp.a.index[k]] = lp.a.value[k];
          col.index[col.count++] = lp.a.index[k];
        }
      } else {
        col.array[j - lp.n] = 1.0;
        col.index[col.count++] = j - lp.n;
      }
      f.ftran(col, 0.05);
      double s = 1.0;
      for (int32_t k = 0; k < col.count; ++k) s += col.array[col.index[k]] * col.array[col.index[k]];
      w_[j] = s;
      work_ += static_cast<uint64_t>(col.count);
      ++count;
    }
    return count;
  }

  void update(const PrimalPivot &p) override {
    const HVector &col = *p.column;
    double gq = 1.0;
    for (int32_t k = 0; k < col.count; ++k) gq += col.array[col.index[k]] * col.array[col.index[k]];
    const double a = p.alpha;
    const HVector &row = *p.row;
    const std::vector<double> &v = p.steep->array;
    const SimplexLp &lp = *p.lp;
    for (int32_t k = 0; k < row.count; ++k) {
      const int32_t j = row.index[k];
      if (j == p.enter || j == p.leave) continue;
      const double r = row.array[j] / a;
      if (r == 0.0) continue;
      double av;
      if (j < lp.n) {
        av = 0.0;
        for (int32_t e = lp.a.start[j]; e < lp.a.start[j + 1]; ++e) av += lp.a.value[e] * v[lp.a.index[e]];
        work_ += static_cast<uint64_t>(lp.a.start[j + 1] - lp.a.start[j]);
      } else {
        av = v[j - lp.n];
      }
      w_[j] = std::max(w_[j] - 2.0 * r * av + r * r * gq, 1.0 + r * r);
    }
    work_ += static_cast<uint64_t>(row.count + col.count);
    w_[p.leave] = std::max(gq / (a * a), 1.0);
    w_[p.enter] = 1.0;
  }

 private:
  std::vector<double> w_;
};

}  // namespace

std::unique_ptr<PrimalPricing> make_primal_devex_pricing(int32_t nv) { return std::make_unique<DevexPricing>(nv); }
std::unique_ptr<PrimalPricing> make_primal_steepest_pricing(int32_t nv) { return std::make_unique<SteepestPricing>(nv); }

}  // namespace tvl::lp
