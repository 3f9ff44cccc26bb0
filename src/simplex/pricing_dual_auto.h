// Automatic choice of the dual pricing (pricing state 0): whether keeping
// steepest-edge weights pays for itself.  The weights cost an extra FTRAN
// and an update per iteration; they pay back by choosing leaving rows that
// need fewer iterations.  The rule samples the work of recent iterations
// (in the units of the factor's work counter):
//   k1, g0, g1: iterations; rows compared by the row choice (each reads a
//               weight); the rest of the iteration's work (BTRAN, pivot
//               row, FTRANs, factor update, the scan of the basis);
//   k2, g2:     tau solves; their work (under standard pricing the BTRAN
//               of the leaving row stands in, a solve with the same
//               right-hand side);
//   k3, g3, g4: weight updates; the weights they touch; the entries of the
//               tau right-hand side they form.
// At a new factorization, once k1, k2 and k3 all reach 50 (15 while the
// weights are in use), the benefit ratio
//   R = ((0.2 g0 + g1) / k1) / (g0 / k1 + 1e-10 + g2 / k2 + g3 / k3 + g4 / k3)
// (the work an iteration saved is worth against the work of keeping the
// weights) goes into a ring of the last three ratios and the samples start
// afresh.  The weights are switched on when all three stored ratios exceed
// 1.35 and off when all three are below 0.5: a run keeps steepest edge
// unless its upkeep clearly exceeds the cost of the iterations it saves.
// The weights switched between are the slack-space steepest-edge weights of
// Forrest & Goldfarb 1992 ("Steepest-edge simplex algorithms for linear
// programming"); the comparison of measured work per iteration is the one
// that paper makes between the pricing rules, done here at run time.
#pragma once

#include <array>
#include <cstdint>

namespace tvl::lp {

class DualAutoPricing {
 public:
  enum class Decision { Keep, SwitchOn, SwitchOff };

  // One iteration: rows compared in the row choice, other work.
  void iteration(double compared, double other) {
    ++k1_;
    g0_ += compared;
    g1_ += other;
  }
  // One tau solve (or, without weights, the BTRAN standing in for it).
  void tau_solve(double work) {
    ++k2_;
    g2_ += work;
  }
  // One weight update: weights touched, right-hand-side entries formed.
  void weight_update(double touched, double rhs_entries) {
    ++k3_;
    g3_ += touched;
    g4_ += rhs_entries;
  }
  // At a new factorization (or phase change): the decision for the
  // weights, given whether they are in use now.
  Decision decide(bool weights_on);
  // The benefit ratio of the current samples.
  double ratio() const;
  int stored() const { return stored_; }
  double last_ratio() const { return ring_[(next_ + 2) % 3]; }
  // Drops the samples and the stored ratios (a new run).
  void reset();

 private:
  void reset_samples();

  double k1_ = 0, k2_ = 0, k3_ = 0;
  double g0_ = 0, g1_ = 0, g2_ = 0, g3_ = 0, g4_ = 0;
  std::array<double, 3> ring_{};
  int next_ = 0, stored_ = 0;
};

}  // namespace tvl::lp
