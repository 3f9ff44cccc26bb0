// Dual steepest-edge pricing in the full space of [A I] (Forrest & Goldfarb
// 1992, "Steepest-edge simplex algorithms for linear programming", the dual
// algorithm whose edge directions carry the reduced costs as well as the
// duals).  The weight of basis position i is ||alpha_i||^2, alpha_i =
// e_i' B^-1 [A I] the whole tableau row (basic columns included, which add
// 1).  A pivot on alpha_rq turns row i into alpha_i - (alpha_iq/alpha_rq)
// alpha_r, so with ratio = alpha_iq / alpha_rq
//   w_i <- w_i - 2 ratio (alpha_i . alpha_r) + ratio^2 w_r,
//   w_r <- w_r / alpha_rq^2,
// where alpha_i . alpha_r = (B^-1 [A I] alpha_r')_i: the FTRAN of the
// combination of the nonbasic columns weighted by the pivot row.  w_r itself
// is exact from the pivot row: 1 + the sum of its squared nonbasic entries.
// The update costs one FTRAN per iteration like the slack-space rule, plus
// the pass over the columns of the pivot row.  Weights stay at least 1.
#include <algorithm>
#include <cmath>

#include "runtime/workcount.h"
#include "simplex/pivot_row.h"
#include "simplex/pricing_dual.h"
#include "simplex/simplex_base.h"

namespace tvl::lp {

namespace {
constexpr double kMinWeight = 1.0;

class FullSteepestEdgePricing final : public DualPricing {
 public:
  using DualPricing::DualPricing;
  DualPricingRule rule() const override { return DualPricingRule::FullSteepestEdge; }
  bool needs_tau() const override { return true; }
  bool needs_whole_row() const override { return true; }

  double tau_rhs(const DualBasisView &v, const HVector &, const HVector &row, HVector &tau) const override {
    const SimplexLp &lp = *v.lp;
    const std::vector<int8_t> &status = *v.status;
    const int32_t n = lp.n;
    double norm2 = 1.0;
    uint64_t ops = static_cast<uint64_t>(row.count);
    // The index list may name a row twice when an entry cancels to zero and
    // is hit again; the solve reads and clears each listed entry once.
    auto add = [&](int32_t i, double val) {
      if (tau.array[i] == 0.0) tau.index[tau.count++] = i;
      tau.array[i] += val;
      if (tau.array[i] == 0.0) tau.array[i] = 1e-300;
    };
    for (int32_t k = 0; k < row.count; ++k) {
      const int32_t j = row.index[k];
      if (status[j] == kBasic) continue;
      const double a = row.array[j];
      if (a == 0.0) continue;
      norm2 += a * a;
      if (j >= n) {
        add(j - n, a);
        continue;
      }
      for (int32_t p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) add(lp.a.index[p], a * lp.a.value[p]);
      ops += static_cast<uint64_t>(lp.a.start[j + 1] - lp.a.start[j]);
    }
    work_add(ops);
    return norm2;
  }

  void update(const DualPivot &p) override { steepest_edge_update(p, kMinWeight, weight_); }

  // One BTRAN and one pivot row per position; with a slack basis the rows
  // of [A I] are the tableau rows and the row copy gives them directly.
  int32_t compute_exact(const DualBasisView &v) override {
    const SimplexLp &lp = *v.lp;
    const int32_t m = static_cast<int32_t>(weight_.size());
    if (dual_slack_basis(v)) {
      for (int32_t i = 0; i < m; ++i) {
        double s = 1.0;
        for (int32_t p = lp.rstart[i]; p < lp.rstart[i + 1]; ++p) s += lp.rvalue[p] * lp.rvalue[p];
        weight_[i] = s;
      }
      work_add(static_cast<uint64_t>(lp.rstart[m]) + static_cast<uint64_t>(m));
      return m;
    }
    HVector row;
    row.setup(lp.num_vars());
    std::vector<int8_t> mark(static_cast<size_t>(lp.num_vars()), 0);
    return weights_from_inverse_rows(
        v, kMinWeight,
        [&](int32_t, const HVector &rho) {
          pivot_row_clear(row, mark);
          pivot_row_colwise(lp, rho, *v.status, row, mark);
          double s = 1.0;
          for (int32_t k = 0; k < row.count; ++k) s += row.array[row.index[k]] * row.array[row.index[k]];
          return s;
        },
        weight_);
  }
};
}  // namespace

std::unique_ptr<DualPricing> make_full_steepest_edge_pricing(int32_t m) {
  return std::make_unique<FullSteepestEdgePricing>(m);
}

}  // namespace tvl::lp
