// Progress monitor of the simplex methods, shared by the dual and the
// primal: it decides when a run has stalled (degenerate pivots that leave
// the objective where it was) and what to do about it.  The remedy for a
// first stall is a perturbation of the costs (dual, perturb.h) or of the
// bounds (primal, primal_perturb.h); for a stall while a perturbation is
// already active it is a change of the tolerances along the schedules of
// tolerance_schedule.h.  Perturbation against stalling follows Wolfe 1963
// ("A technique for resolving degeneracy in linear programming") in the
// random form of Benichou, Gauthier, Hentges & Ribiere 1977 ("The efficient
// solution of large-scale linear programming problems").
//
// The monitor works on a progress value that rises when the run advances:
// the dual objective for the dual (in both phases: the dual's phase 1
// solves an auxiliary problem whose dual objective rises as well), minus
// the objective or minus the sum of violations for the primal.
//   - Window W: TVL_PARAM_PERLIM when positive, else the method's default.
//   - Check interval P by rows m: 501 (m < 5000), 1000 (< 10000), 2000
//     (< 50000), 10000 (< 100000), 20000 (otherwise).  Every P iterations
//     the value is taken afresh and the average progress per iteration
//     since the last check (starting at 1e-6) is updated.
//   - A phase change records progress with the reference value + 1e-10.
//   - A value above the reference (by more than the rounding of a value
//     computed from scratch, 1e-9 relative) records progress.
//   - W iterations without progress: when the value rose since the last
//     check by more than 10 times the average progress times the
//     iterations since that check, that counts as progress; otherwise the
//     run has stalled: Perturb without an active perturbation, else
//     AdjustTolerances, and the window starts again.
//   - After the second and later perturbations, when their magnitude is at
//     most 1e-6, W doubles.
// The value costs the caller a pass over the variables, so it is asked
// for only when due() says so: at the checks, at phase changes and when a
// window expires.
#pragma once

#include <cstdint>

namespace tvl::lp {

class ProgressMonitor {
 public:
  enum class Action { None, Perturb, AdjustTolerances };

  // Check interval for m rows.
  static int64_t check_interval(int32_t m);

  ProgressMonitor(int64_t window, int32_t m) : window_(window), interval_(check_interval(m)) {}

  // Start of a run (or of a new stretch after the costs or bounds were
  // restored) at iteration iter with progress value v.
  void start(int64_t iter, int phase, double v);
  // Whether observe() has something to do at this iteration.
  bool due(int64_t iter, int phase) const {
    return phase != phase_ || iter - last_progress_ >= window_ || iter - last_check_ >= interval_;
  }
  // The value at iteration iter; `perturbed` tells whether a perturbation
  // is active.  `moved` is set to whether the value changed at all since
  // the last progress (a stall with no movement whatsoever).
  Action observe(int64_t iter, int phase, double v, bool perturbed, bool &moved);
  // After perturbation number `count` (1 for the first) of magnitude M.
  void perturbed(int count, double magnitude);

  int64_t window() const { return window_; }
  double average() const { return average_; }

 private:
  void record(int64_t iter, double v) {
    reference_ = v;
    last_progress_ = iter;
  }

  int64_t window_, interval_;
  int phase_ = 0;
  double reference_ = 0.0;
  int64_t last_progress_ = 0;
  double check_value_ = 0.0;
  int64_t last_check_ = 0;
  double average_ = 1e-6;
};

// A stall close to the objective limit would end the run as soon as a
// perturbation moves the objective: a finite limit within 1% of
// |objective| moves that far away, up (dir +1, a limit the objective must
// not exceed) or down (dir -1, one it must not fall below).
double move_limit_away(double limit, double objective, double dir);

}  // namespace tvl::lp
