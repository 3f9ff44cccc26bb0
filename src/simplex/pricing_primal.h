// Entering-variable pricing of the primal simplex.
//
// A nonbasic variable j is attractive when its reduced cost d_j lets the
// objective fall by moving it off its bound (d_j < -tol at lower, d_j > tol at
// upper, |d_j| > tol when free).  The rules differ in the weight w_j that
// divides d_j^2 and in how much of the variable set they look at:
//   - reduced-cost (Dantzig 1963) pricing, full or partial: w_j = 1; the
//     partial form scans one segment of the variables after another and
//     stops at the first segment that offers a candidate (Orchard-Hays 1968,
//     "Advanced linear-programming computing techniques"; Maros 2003,
//     "Computational techniques of the simplex method", section 9.5);
//   - devex reference weights (Harris 1973, "Pivot selection methods of the
//     Devex LP code"; the update in the form of Forbes & Goldfarb 1992,
//     "Steepest-edge simplex algorithms for linear programming"): w_j
//     approximates the norm of the edge of j restricted to a reference set
//     of variables; the entering weight is recomputed exactly from the
//     FTRAN'd column each iteration, and a new reference set starts when
//     the recorded weight drifted too far from it;
//   - primal steepest edge with exact updates (Goldfarb & Reid 1977, "A
//     practicable steepest-edge simplex algorithm"): w_j = 1 + ||B^-1 a_j||^2.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "factor/factor.h"
#include "simplex/simplex_lp.h"

namespace tvl::lp {

enum class PrimalRule { Dantzig, Partial, Devex, SteepestEdge };

class PrimalCandidates;

// What the pricing reads from the simplex: reduced costs, statuses and the
// working bounds (fixed variables never enter), and optionally the list of
// attractive variables kept by the simplex.
struct PrimalPricingView {
  const std::vector<double> *dual = nullptr;
  const std::vector<int8_t> *status = nullptr;
  const std::vector<double> *lower = nullptr;
  const std::vector<double> *upper = nullptr;
  double tol = 1e-7;
  PrimalCandidates *cands = nullptr;
};

// One basis change as the weight updates need it.  `row` holds the pivot
// row alpha_r over all n+m variables (alpha_rj = (B^-1 a_j)_r) and `column`
// the FTRAN'd entering column, both before the change.
struct PrimalPivot {
  int32_t enter = -1, leave = -1, row_pos = -1;
  double alpha = 0.0;              // pivot element alpha_rq
  const HVector *row = nullptr;
  const HVector *column = nullptr;
  const HVector *steep = nullptr;  // B^-T (B^-1 a_q), steepest edge only
  const SimplexLp *lp = nullptr;
  const std::vector<int32_t> *head = nullptr;  // basis header before the change
};

class PrimalPricing {
 public:
  virtual ~PrimalPricing() = default;
  virtual PrimalRule rule() const = 0;
  // Attractive variable with the best score, or -1.
  virtual int32_t choose(const PrimalPricingView &v) = 0;
  // Weight update after a basis change; the default keeps no weights.
  virtual void update(const PrimalPivot &) {}
  // Whether the update needs B^-T (B^-1 a_q) (one extra BTRAN).
  virtual bool needs_steep() const { return false; }
  // Unit reference weights (a new devex framework).
  virtual void reset_unit() {}
  // Exact weights for the current basis; returns the number computed.
  virtual int32_t compute_exact(const SimplexLp &, const BasisFactor &, const std::vector<int8_t> &) {
    return 0;
  }
  // Current weight of variable j (1 for rules that keep none).
  virtual double weight(int32_t) const { return 1.0; }
  // Operations spent in choose and update (deterministic work).
  uint64_t work() const { return work_; }

 protected:
  uint64_t work_ = 0;
};

// The attractiveness of j: |d_j| in the improving direction, 0 when j may not enter.
inline double primal_infeasibility(const PrimalPricingView &v, int32_t j) {
  // Basic variables carry d_j = 0, so the sign test rejects them first.
  const double d = (*v.dual)[j];
  const int8_t s = (*v.status)[j];
  const double inf = s == kAtLower ? -d : (s == kAtUpper ? d : (s == kFreeNb ? std::fabs(d) : 0.0));
  if (inf <= v.tol) return 0.0;
  if ((*v.lower)[j] == (*v.upper)[j]) return 0.0;
  return inf;
}

// The attractive nonbasic variables, kept between iterations so that the
// weighted rules scan them instead of every variable.  A basis change
// alters the reduced costs only along the pivot row: the simplex rebuilds
// the list when it recomputes all reduced costs (or lowers the tolerance)
// and otherwise adds the variables whose reduced cost or status changed.
// Entries that stopped being attractive are dropped during the next scan.
class PrimalCandidates {
 public:
  void rebuild(const PrimalPricingView &v, int32_t nv) {
    list_.clear();
    mark_.assign(static_cast<size_t>(nv), 0);
    for (int32_t j = 0; j < nv; ++j)
      if (primal_infeasibility(v, j) > 0.0) add(j);
    tol_ = v.tol;
  }
  void touch(const PrimalPricingView &v, int32_t j) {
    if (!mark_[j] && primal_infeasibility(v, j) > 0.0) add(j);
  }
  // Whether the list still holds every variable attractive at tolerance tol.
  bool covers(double tol) const { return !mark_.empty() && tol >= tol_; }
  // Calls f(j, infeasibility) for each attractive entry, dropping the rest.
  template <class F>
  void scan(const PrimalPricingView &v, F &&f) {
    size_t keep = 0;
    for (size_t k = 0; k < list_.size(); ++k) {
      const int32_t j = list_[k];
      const double s = primal_infeasibility(v, j);
      if (s == 0.0) {
        mark_[j] = 0;
        continue;
      }
      list_[keep++] = j;
      f(j, s);
    }
    list_.resize(keep);
  }
  size_t size() const { return list_.size(); }

 private:
  void add(int32_t j) {
    mark_[j] = 1;
    list_.push_back(j);
  }
  std::vector<int32_t> list_;
  std::vector<uint8_t> mark_;
  double tol_ = 0.0;
};

// Reduced-cost pricing over all nv variables, or partial: segments are
// scanned in turn until one holds a candidate.  A positive `segment` (the
// parameter TVL_PARAM_PRICELIM) sets the segment length; 0 chooses it from
// nv.
std::unique_ptr<PrimalPricing> make_primal_dantzig_pricing(int32_t nv, bool partial, int32_t segment = 0);
std::unique_ptr<PrimalPricing> make_primal_devex_pricing(int32_t nv);
std::unique_ptr<PrimalPricing> make_primal_steepest_pricing(int32_t nv);

}  // namespace tvl::lp
