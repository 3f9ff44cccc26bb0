// Run-time choice between devex and steepest-edge pricing of the primal
// simplex.  Steepest edge (Goldfarb & Reid 1977) usually needs fewer
// iterations than devex (Harris 1973) but each one costs an extra BTRAN and
// a product of the pivot row with it; which one is faster depends on the
// instance and on how long the run is (Forrest & Goldfarb 1992,
// "Steepest-edge simplex algorithms for linear programming", compare both
// per iteration).  The selector samples the work of recent iterations and
// estimates the cost per iteration of each rule:
//   D = 3 a1/c1 + 6 a3/c2 + 6 a4/c3                 (devex)
//   S = D + 6 a5/c3 + (nnz/(n+1)) a2/c1               (steepest edge)
// with a1 the pricing work, a2 the pivot-row entries whose weight is
// updated, a3 the FTRAN work, a4 the BTRAN and pivot-row work and a5 the
// work of the extra BTRAN (measured under steepest edge, probed every few
// pivots under devex), c1 to c3 the iterations sampled.  A longer run (k
// iterations per variable) justifies a dearer rule that saves iterations:
// with k' = k + 0.8 (times 1.4 on a perturbed problem) devex switches to
// steepest edge when S < k' D and steepest edge back to devex when
// 2.5 k' D < S.
#pragma once

#include <cstdint>

namespace tvl::lp {

class PrimalHybridStats {
 public:
  PrimalHybridStats(int32_t m, int32_t n, int64_t nnz);

  // Work of one iteration: pricing, FTRAN, and for a basis change the
  // BTRAN plus pivot row and the pivot-row entries.
  void priced(double pricing_work, double ftran_work);
  void pivoted(double btran_row_work, double row_entries);
  // Work of one steepest-edge BTRAN: every pivot under steepest edge, a
  // sampled probe under devex.
  void steep_solve(double work);
  // Whether this pivot should probe the steepest-edge BTRAN under devex.
  bool wants_probe(int64_t pivots) const { return pivots % kProbeStride == 0; }

  enum class Choice { Keep, Devex, Steepest };
  // Decision after a refactorization; k = iterations / (m + n).
  Choice decide(bool steepest, double k, bool perturbed);

 private:
  void rescale(double window);

  double window_;
  double dot_cost_;  // average column length: one entry of the SE row product
  static constexpr int64_t kProbeStride = 32;

  double c1_ = 0, c2_ = 0, c3_ = 0, c5_ = 0;
  double a1_ = 0, a2_ = 0, a3_ = 0, a4_ = 0, a5_ = 0;
};

}  // namespace tvl::lp
