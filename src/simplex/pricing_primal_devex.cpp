// Devex and steepest-edge pricing of the primal simplex (see
// pricing_primal.h for the papers).
#include <algorithm>
#include <cmath>

#include "simplex/pricing_primal.h"

namespace tvl::lp {

namespace {

// Shared selection: the attractive variable maximising d_j^2 / w_j.
// Shared selection: the attractive variable maximising d_j^2 / w_j (ties to
// the lower index, so the order of the candidate list does not matter).
int32_t choose_weighted(const PrimalPricingView &v, const std::vector<double> &w, uint64_t &work) {
  int32_t best = -1;
  double best_score = 0.0;
  auto consider = [&](int32_t j, double s) {
    const double t = s * s;
    if (t > best_score * w[j] || (best >= 0 && t == best_score * w[j] && j < best)) {
      best_score = t / w[j];
      best = j;
    }
  };
  if (v.cands != nullptr) {
    work += static_cast<uint64_t>(v.cands->size());
    v.cands->scan(v, consider);
    return best;
  }
  const int32_t nv = static_cast<int32_t>(w.size());
  for (int32_t j = 0; j < nv; ++j) {
    const double s = primal_infeasibility(v, j);
    if (s != 0.0) consider(j, s);
  }
  work += static_cast<uint64_t>(nv);
  return best;
}

// Devex with an explicit reference set: the nonbasic variables at the last
// reset.  The weight of the entering variable is recomputed exactly from the
// FTRAN'd column (its own reference entry plus the squares of the column
// entries of reference variables in the basis); the other weights only grow
// from it.  When the recorded weight of the entering variable exceeds the
// exact one more than tenfold, the approximation has decayed and a new
// reference set starts (a factor 3 reset too often: fit2p took 30% more
// iterations).
class DevexPricing final : public PrimalPricing {
 public:
  explicit DevexPricing(int32_t nv) : w_(static_cast<size_t>(nv), 1.0), ref_(static_cast<size_t>(nv), 0) {}
  PrimalRule rule() const override { return PrimalRule::Devex; }
  double weight(int32_t j) const override { return w_[j]; }
  int32_t choose(const PrimalPricingView &v) override {
    if (fresh_) start_reference(*v.status);
    return choose_weighted(v, w_, work_);
  }
  void reset_unit() override {
    std::fill(w_.begin(), w_.end(), 1.0);
    fresh_ = true;
  }

  void update(const PrimalPivot &p) override {
    if (fresh_) return;  // weights are all 1 until the next reference set
    const double gq = std::max(reference_weight(p), 1.0);
    const double recorded = w_[p.enter];
    const double a = p.alpha;
    const HVector &row = *p.row;
    for (int32_t k = 0; k < row.count; ++k) {
      const int32_t j = row.index[k];
      const double r = row.array[j] / a;
      const double cand = r * r * gq;
      if (cand > w_[j]) w_[j] = cand;
    }
    work_ += static_cast<uint64_t>(row.count);
    w_[p.leave] = std::max(gq / (a * a), 1.0);
    w_[p.enter] = 1.0;
    if (recorded > kDrift * gq) reset_unit();
  }

 private:
  static constexpr double kDrift = 10.0;

  void start_reference(const std::vector<int8_t> &status) {
    for (size_t j = 0; j < ref_.size(); ++j) ref_[j] = status[j] != kBasic;
    work_ += ref_.size();
    fresh_ = false;
  }

  // Norm of the entering column restricted to the reference set.
  double reference_weight(const PrimalPivot &p) {
    const HVector &col = *p.column;
    const std::vector<int32_t> &head = *p.head;
    double g = ref_[p.enter] ? 1.0 : 0.0;
    auto add = [&](int32_t i) {
      if (ref_[head[i]]) g += col.array[i] * col.array[i];
    };
    if (col.count >= 0) {
      for (int32_t k = 0; k < col.count; ++k) add(col.index[k]);
      work_ += static_cast<uint64_t>(col.count);
    } else {
      for (int32_t i = 0; i < col.size; ++i) add(i);
      work_ += static_cast<uint64_t>(col.size);
    }
    return g;
  }

  std::vector<double> w_;
  std::vector<uint8_t> ref_;
  bool fresh_ = true;
};

class SteepestPricing final : public PrimalPricing {
 public:
  explicit SteepestPricing(int32_t nv) : w_(static_cast<size_t>(nv), 1.0) {}
  PrimalRule rule() const override { return PrimalRule::SteepestEdge; }
  double weight(int32_t j) const override { return w_[j]; }
  bool needs_steep() const override { return true; }
  int32_t choose(const PrimalPricingView &v) override { return choose_weighted(v, w_, work_); }
  void reset_unit() override { std::fill(w_.begin(), w_.end(), 1.0); }

  int32_t compute_exact(const SimplexLp &lp, const BasisFactor &f, const std::vector<int8_t> &status) override {
    HVector col;
    col.setup(lp.m);
    int32_t count = 0;
    // The hint follows the results: the columns of a dense basis inverse
    // would otherwise all take the hyper-sparse path.
    DensityEstimate density;
    for (int32_t j = 0; j < lp.num_vars(); ++j) {
      if (status[j] == kBasic) continue;
      load_column(lp, j, col);
      f.ftran(col, density.value);
      density.observe(col);
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
