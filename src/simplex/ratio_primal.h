// Primal ratio test: Harris' two-pass rule (Harris 1973, "Pivot selection
// methods of the Devex LP code") with bound shifting in the spirit of Gill,
// Murray, Saunders & Wright 1989 ("A practical anti-cycling procedure for
// linearly constrained optimization"): a leaving variable that already sits
// slightly beyond its bound leaves with a zero step and its bound is moved
// to its value, so the objective never moves the wrong way.
//
// Pass 1 computes the relaxed bound T = min (dist_i + tol) / |alpha_i| over
// the blocking basic variables; pass 2 takes, among those whose exact ratio
// does not exceed T, the one with the largest |alpha_i|.  When the entering
// variable's own range is not above T, the step is a bound flip.
//
// Phase 1 minimises the sum of bound violations of the basic variables.
// A basic variable outside its bounds blocks only at its far bound; the
// point where it becomes feasible is a breakpoint of the piecewise-linear
// phase-1 objective.  Breakpoints are passed in increasing order while the
// slope stays negative (Wolfe 1965, "The composite simplex algorithm";
// Maros 1986, "A general phase-I method in linear programming"), so one
// iteration can remove several infeasibilities.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/factor.h"

namespace tvl::lp {

struct PrimalRatioInput {
  const HVector *column = nullptr;         // alpha = B^-1 a_q by basis position
  const std::vector<int32_t> *head = nullptr;
  const std::vector<double> *x = nullptr;
  const std::vector<double> *lower = nullptr;
  const std::vector<double> *upper = nullptr;
  double direction = 1.0;   // +1: entering variable increases, -1: decreases
  double range = 0.0;       // its bound range (infinite when a bound is)
  int phase = 2;
  double slope = 0.0;       // phase 1: |d_q|, the initial descent rate
  double feastol = 1e-6;
};

enum class PrimalStep { Pivot, Flip, Unbounded };

struct PrimalRatioResult {
  PrimalStep kind = PrimalStep::Unbounded;
  int32_t pos = -1;        // leaving basis position (Pivot)
  double theta = 0.0;      // step of the entering variable (>= 0)
  double bound = 0.0;      // value at which the leaving variable becomes nonbasic
  bool to_upper = false;   // it becomes nonbasic at its upper bound
  bool shift = false;      // its bound must move to `bound` (Harris overshoot)
  double max_alpha = 0.0;  // largest candidate |alpha_i|
};

class PrimalRatioTest {
 public:
  void run(const PrimalRatioInput &in, PrimalRatioResult &out);
  // Operations counted since construction; each run also adds its share to
  // the thread's work counter.
  uint64_t work() const { return work_; }

 private:
  struct Cand {
    int32_t pos;
    double t, abs_alpha, bound;
    bool to_upper;
  };
  void select(const PrimalRatioInput &in, PrimalRatioResult &out);
  std::vector<Cand> hard_, breaks_;
  uint64_t work_ = 0;
};

}  // namespace tvl::lp
