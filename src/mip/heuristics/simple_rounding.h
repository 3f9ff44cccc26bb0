// Simple rounding of an LP solution, after the rounding heuristics of
//   T. Achterberg, "Constraint Integer Programming", PhD thesis, TU Berlin,
//   2007 (chapter 9.1, "simple rounding" and "rounding").
//
// Each fractional integer column is rounded in a direction in which it
// has no lock (no row can become violated); when it is locked both ways it
// is rounded in the direction whose rows keep their current activities
// inside their sides (the activities are updated column by column), the
// direction with fewer locks tried first.  Continuous columns keep their
// LP values.  The point is kept when it satisfies the whole model.  The
// cost is one pass over the columns of the fractional columns; no LP.
#pragma once

#include "mip/heuristics/heuristic.h"
#include "mip/heuristics/locks.h"

namespace tvl::mip {

class SimpleRounding : public Heuristic {
 public:
  explicit SimpleRounding(const Locks &locks) : locks_(locks) {}
  const char *name() const override { return "simple rounding"; }
  void run(HeurInput &in, Points &found) override { try_point(in, in.lp->x, found); }
  // Rounds x (an LP solution of the node or of a dive below it).
  bool try_point(const HeurInput &in, const std::vector<double> &x, Points &found);

 private:
  const Locks &locks_;
  std::vector<double> act_;
};

// act = A x.
void row_activities(const lp::LpModel &m, const std::vector<double> &x, std::vector<double> &act);

// Rounds every fractional integer column of x by the rule above, updating
// the row activities `act` (A x on entry); false when a column could not
// be rounded without leaving a row's sides (by more than feastol).
bool round_by_locks(const MipModel &model, const Locks &locks, double epint, double feastol, std::vector<double> &x,
                    std::vector<double> &act);

}  // namespace tvl::mip
