// The feasibility pump, after
//   M. Fischetti, F. Glover, A. Lodi, "The feasibility pump", Mathematical
//   Programming 104 (2005) 91-104;
//   L. Bertacco, M. Fischetti, A. Lodi, "A feasibility pump heuristic for
//   general mixed-integer problems", Discrete Optimization 4 (2007) 63-76;
//   T. Achterberg, T. Berthold, "Improving the feasibility pump", Discrete
//   Optimization 4 (2007) 77-86 (the objective weight alpha).
//
// One call runs one phase on a working copy of the root LP: it rounds the
// LP point x to x~ (random thresholds), solves the LP whose objective is
// the distance to x~ blended with the problem's objective by alpha (alpha
// shrinks by 0.9 each iteration), and repeats until the LP point is
// integral on the columns in scope.  Phase 1 works on the 0-1 columns,
// phase 2 on every integer column; in phase 2 a general integer strictly
// inside its bounds measures its distance through an auxiliary column d_j
// with rows x_j - d_j <= x~_j and -x_j - d_j <= -x~_j.
//
// Rounding: for each column in scope whose x_j lies farther than tol from
// x~_j, a uniform draw u gives the threshold tau = 2u(1-u) (u <= 0.5) or
// 1 - 2u(1-u), and x~_j = floor(x_j + tau).  When no entry changes, the T
// entries farthest from x are flipped one unit towards x, T drawn from
// 10..30 (or 1..m with m <= 20 candidates).  A cycle is recognised by the
// signature sum_k (floor(x~_k + 0.5) + 0.5) / k over the columns in scope
// numbered from 1: a signature met before at nearly the same alpha (less
// than 0.005 apart) perturbs x~ at random (a restart).
//
// The loop stops at an integral point, after 10000 (phase 1) or 2000
// (phase 2) iterations, after 70 (600) iterations without an improvement
// of the best infeasibility by 10 percent, on the time limit, on a value
// too large to round (above 2.1e9), or when an LP ends other than optimal.
// Random numbers: s = s * 6364136223846793005 + 1442695040888963407
// (mod 2^64), the draw is bits 32..62 of s, the uniform draw the draw
// divided by 2^31.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

struct tvlenv;

namespace tvl::mip {

// The pump's pseudo-random sequence.
class PumpRandom {
 public:
  explicit PumpRandom(uint64_t state) : s_(state) {}
  uint32_t draw() {
    s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>((s_ >> 32) & 0x7fffffffULL);
  }
  double uniform() { return draw() * 4.656612873077393e-10; }
  uint64_t state() const { return s_; }

 private:
  uint64_t s_;
};

// Rounding threshold of a uniform draw u.
double pump_threshold(double u);
// Number of entries a stall flips, from a draw r and m candidates.
int32_t pump_flip_count(uint32_t r, int32_t m);
// Signature of the rounded point over the columns in `scope` (in order).
double pump_signature(const std::vector<double> &xt, const std::vector<int32_t> &scope);
// Sum over the columns in scope of the distance of x_j to the nearest
// integer, counting only distances above tol.
double pump_infeasibility(const std::vector<double> &x, const std::vector<int32_t> &scope, double tol);

struct PumpInput {
  tvlenv *env = nullptr;
  const lp::LpModel *lp = nullptr;     // the root LP (minimisation form)
  const std::vector<char> *ctype = nullptr;  // 'C', 'B' or 'I' per column
  int phase = 1;
  std::vector<double> x;               // start point: an LP solution
  lp::Basis basis;                     // its basis
  double tol = 1e-5;                   // integrality tolerance
  double time_limit = 1e75;            // seconds from start_time
  double start_time = 0.0;
  int display = 0;                     // TVL_PARAM_MIPDISPLAY
  bool quiet = false;
};

struct PumpState {
  double alpha = 1.0;                  // in and out
  double best = 1e75;                  // best infeasibility so far (in and out)
  std::vector<double> best_x;          // its point
  int64_t iterations = 0;
  int64_t restarts = 0;
  bool interrupted = false;            // an LP stopped on a limit
};

// Runs one phase.  Running out of iterations or time is not an error: the
// best point found so far is in `state`.  Throws std::bad_alloc.
void feasibility_pump(const PumpInput &in, PumpRandom &rng, PumpState &state);

}  // namespace tvl::mip
