// Diving heuristics on the node LP, after the diving heuristics of
//   T. Achterberg, "Constraint Integer Programming", PhD thesis, TU Berlin,
//   2007 (chapter 9.1.3: fractional diving and coefficient diving), and
//   T. Berthold, "Primal Heuristics for Mixed Integer Programs", Diploma
//   thesis, TU Berlin, 2006 (pseudo-cost diving), and the guided dives of
//   E. Danna, E. Rothberg, C. Le Pape, "Exploring relaxation induced
//   neighborhoods to improve MIP solutions", Math. Programming 102 (2005).
//
// A dive repeatedly picks one fractional integer column, bounds it on the
// side it is rounded to (up <= floor(x) or lo >= ceil(x)), and solves the
// node LP again from the last basis; after each LP the solution is handed
// to simple rounding, and the dive ends at the first point found, at an
// integral LP solution, or when the LP iterations given to it are spent.
// When an LP becomes infeasible or reaches the cutoff, the last bound is
// replaced by the other side once per dive (a single backtrack).
//   fractional   the column nearest to an integer, rounded to that integer;
//   coefficient  the column with the fewest locks in one direction (the
//                one that blocks fewest rows), rounded that way; ties go
//                to the smaller fractionality;
//   pseudo-cost  rounded down below a fractional part of 0.3, up above 0.7,
//                otherwise towards the smaller pseudo-cost degradation; the
//                column whose other direction would cost most relative to
//                the chosen one, (1 + other) / (1 + chosen), goes first;
//   guided       (with an incumbent) rounded towards the incumbent's value;
//                the column nearest to it goes first.
// Columns that can be rounded without any lock are left to the rounding
// unless only such columns remain.  The dive puts the bounds it changed
// back when it ends, so that the next heuristic starts from the node.
#pragma once

#include <cstdint>

#include "mip/heuristics/heuristic.h"
#include "mip/heuristics/locks.h"
#include "mip/heuristics/simple_rounding.h"

namespace tvl::mip {

enum class DiveRule { Fractional, Coefficient, Pseudocost, Guided };

class Diving : public Heuristic {
 public:
  Diving(DiveRule rule, const Locks &locks) : rule_(rule), locks_(locks), rounding_(locks) {}
  const char *name() const override;
  // LP iterations and work units the next dive may spend.  Both count:
  // on a wide model a dive of many short LPs spends little in iterations
  // but much in the work around each solve.
  void set_budget(int64_t iterations, uint64_t work) {
    budget_ = iterations;
    work_budget_ = work;
  }
  int64_t iterations_spent() const { return spent_; }
  uint64_t work_spent() const { return work_spent_; }
  void run(HeurInput &in, Points &found) override;

 private:
  struct Choice {
    int32_t col = -1;
    bool up = false;
  };
  Choice choose(const HeurInput &in, const std::vector<double> &x) const;
  // Direction and score (smaller first) of column j with fractional part f.
  bool rule_direction(const HeurInput &in, int32_t j, double xj, double f, double &score) const;

  DiveRule rule_;
  const Locks &locks_;
  SimpleRounding rounding_;
  int64_t budget_ = 1000;
  uint64_t work_budget_ = 0;
  int64_t spent_ = 0;
  uint64_t work_spent_ = 0;
};

}  // namespace tvl::mip
