// Feasibility tests of the conflict refiner: the working form of
// conflict/work_model.h with some candidates relaxed, solved for a feasible
// point.
//
// LpTester keeps one dual simplex (lp::DualOptimizer) for the whole
// refinement: candidates change as bounds in place, so every test is a
// warm re-solve from the last final basis (zero cost: every basis is dual
// feasible, the dual simplex only removes primal infeasibility).
//
// MipTester answers for the MIP: the relaxation first (an infeasible
// relaxation settles the test and yields a certificate), otherwise a quiet
// presolve (primal reductions only) and branch-and-bound search that
// stops at the first integer-feasible point.  The search minimises the problem's own
// objective (which refutes an objective cut as fast as the MIP is solved
// and gives branching pseudocosts to go by); when relaxed candidates leave
// that objective unbounded, the test is repeated with the elastic measure
// of the relaxed candidates as objective, and then with none.
//
// The limits of the refinement (TVL_PARAM_TILIM, the deterministic limit,
// the terminate request) are those of the run in progress; the iteration
// limit TVL_PARAM_ITLIM counts the simplex iterations of all tests
// together; TVL_PARAM_NODELIM bounds each MIP search (and an internal
// cap leaves a search that does not end undecided).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "conflict/model_memo.h"
#include "conflict/work_model.h"
#include "mip/mip_model.h"
#include "mip/mipbb.h"
#include "simplex/dualopt.h"

namespace tvl::conflict {

enum class Verdict {
  Feasible,    // a point satisfies every candidate left
  Infeasible,  // proved: no point exists
  Unsure,      // the test ended without an answer (numerical trouble)
  Stopped,     // a limit or the terminate request ended it
};

class Tester {
 public:
  virtual ~Tester() = default;
  virtual void set_bounds(int32_t var, double lo, double up) = 0;
  // Solves the current set.  What the test decides sets a MIP tester's
  // node budget: a block of candidates, which is halved whether its test
  // was undecided or feasible, gets the least; a single candidate, whose
  // answer the conflict's status rests on, more; the whole set (is there
  // a conflict at all?) only the caller's limits, as a MIP solve would;
  // a single candidate tested again after its first test was undecided,
  // ten times a single one's.
  enum class Scope { Block, Single, Retry, Whole };
  virtual Verdict solve(Scope scope) = 0;
  // Whether a single candidate is better tested by the region beyond its
  // bound (see Filter::test_beyond): true for MIP tests on models without
  // special structures, where a search over that region is far smaller.
  virtual bool tests_regions() const { return false; }
  // Whether variable `var` of the working form takes integer values only.
  virtual bool integer(int32_t) const { return false; }
  // Whether a verdict is about the linear set alone (no integer points
  // asked), so that a certificate's uniqueness proves irreducibility.
  virtual bool continuous() const { return false; }
  // After an Infeasible verdict: a Farkas certificate of the relaxation
  // (one entry per row of the working model), or empty.
  const std::vector<double> &ray() const { return ray_; }
  // After Stopped: the conflict status of the limit (33 to 39).
  int stop_status() const { return stop_status_; }
  // After a Feasible verdict of a MIP test: the point it found (one value
  // per variable of the working form), or empty.
  const std::vector<double> &point() const { return point_; }
  int64_t iterations() const { return iterations_; }
  int64_t tests() const { return tests_; }

 protected:
  std::vector<double> ray_;
  std::vector<double> point_;
  int stop_status_ = 0;
  int64_t iterations_ = 0;
  int64_t tests_ = 0;
};

class LpTester : public Tester {
 public:
  // With `confirm`, every infeasible verdict of the kept solver is solved
  // again from scratch (a fresh dual simplex from the slack basis on the
  // problem's own form of the set, work_model.h) and stands only when that
  // solve agrees: a warm re-solve of the working form can end on a
  // certificate whose margin the tolerances absorb, which a solve of the
  // problem's form calls feasible.
  LpTester(tvlenv *env, const WorkModel &w, bool confirm = false);
  void set_bounds(int32_t var, double lo, double up) override;
  bool continuous() const override { return true; }
  Verdict solve(Scope scope) override;

 private:
  lp::LpResult run_solvers();
  // The fresh solve of the current set behind a confirmed verdict.
  lp::LpResult fresh_solve() const;

  tvlenv *env_;
  const WorkModel &w_;
  int64_t itlim_;
  bool confirm_;
  lp::SimplexControl fresh_ctl_;  // the controls of fresh_solve()
  std::unique_ptr<lp::DualOptimizer> opt_;
};

class MipTester : public Tester {
 public:
  // `mip` is the MIP model the working form was made from.
  MipTester(tvlenv *env, const tvllp *lp, const WorkModel &w, const mip::MipModel &mip);
  void set_bounds(int32_t var, double lo, double up) override;
  bool tests_regions() const override { return !model_.has_special(); }
  bool integer(int32_t var) const override { return model_.integer[static_cast<size_t>(var)] != 0; }
  Verdict solve(Scope scope) override;

 private:
  mip::SearchSettings settings(const mip::MipModel &model, bool &user_limit) const;
  // Cost of the relaxed candidates' excess: +1 on a variable whose upper
  // bound alone is relaxed, -1 on one whose lower bound alone is (when its
  // other bound is finite).
  std::vector<double> elastic_cost() const;
  // One quiet presolve and search; `found` tells whether it met an
  // integer point, `user_limit` whether the caller's node limit applied.
  int search(bool &found, bool &user_limit);
  // search() under the problem's objective, then, while that is
  // unbounded, the elastic measure and no objective.
  int attempt(bool &found, bool &user_limit);
  // Gives every integer column whose relaxed side is infinite a finite
  // one `width` times its scale beyond the tight bound; false when no
  // column needed it.  unbox() puts the infinite sides back.
  bool box(double width);
  void unbox();

  tvlenv *env_;
  const tvllp *lp_;  // for the presolve's settings
  const WorkModel &w_;
  LpTester relaxation_;
  mip::MipModel model_;
  int64_t node_cap_;  // nodes of the current search before it is undecided
  struct Saved {
    int32_t col;
    double lo, up;
  };
  std::vector<Saved> boxed_;  // the bounds box() changed, as they were
  ModelMemo memo_;            // presolved models proved infeasible
};

}  // namespace tvl::conflict
