// Reduction of an infeasible candidate set to an irreducible one.
//
// Follows the deletion filter with grouping of J. W. Chinneck, "Feasibility
// and Infeasibility in Optimization: Algorithms and Computational Methods"
// (Springer, 2008), chapter 6, started from the rows and bounds that a
// Farkas certificate of the infeasibility uses (by Farkas' lemma the set
// it uses is infeasible by itself, so everything else can go at once).
//
// The steps:
//  1. Certificate phase: relax every candidate the latest Farkas
//     certificate does not use; a re-solve confirms the smaller set is
//     still infeasible (repeated while it shrinks; undone otherwise).
//  2. Deletion filter over the candidates left, in blocks: a block is
//     relaxed and the set re-solved; if still infeasible the block stays
//     out (and the new certificate may drop more), otherwise it comes
//     back and is halved; a single candidate whose removal makes the set
//     feasible is proved necessary.  A candidate proved necessary for a
//     superset stays necessary for every infeasible subset, so the final
//     set is irreducible when every member was proved.  A candidate whose
//     own test was undecided is tested once more at the end, with a
//     larger budget.
//     A MIP runs the filter over the rows first, with every column bound
//     in place, and then over the bounds: a search over bounded integers
//     ends far sooner than one over integers whose bounds were dropped.
// A single candidate of a MIP is tested on the region beyond its bound
// (Filter::test_beyond) rather than on the whole set without it.
// Points that feasible MIP tests found are kept: when one of them satisfies
// every member outside the next block, the set without the block is
// feasible and the test is skipped (a block's point often violates a few
// of its members; once the others have gone, it proves the last one).
// For an LP the filter first asks whether the latest certificate is the
// only one the set has (conflict/unique_certificate.h): then the set is
// irreducible and no member needs a test of its own.  A dual simplex's
// certificate comes from a basis, and the set it uses is usually of that
// kind, so most LP conflicts need no per-member test at all.
// A limit ends the filter with the last set known to be infeasible; its
// unproved members are possible members.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "conflict/tester.h"
#include "conflict/work_model.h"

namespace tvl::conflict {

// Out: relaxed, no member.  In: a candidate.  Proved: a necessary member.
// Unlocked: no member, but its bound stays in the tests, where it changes
// no verdict (see Filter::drop_unlocked_bounds).
enum class Mark : int8_t { Out, In, Proved, Unlocked };

inline bool excluded(Mark m) { return m == Mark::Out || m == Mark::Unlocked; }

struct FilterLog {
  tvlenv *env = nullptr;
  int display = 0;  // TVL_PARAM_CONFLICTDISPLAY
  const char *phase = "";
};

class Filter {
 public:
  // The tester is brought to the state of `marks` (one per item of w).
  Filter(const WorkModel &w, Tester &t, std::vector<Mark> marks, const FilterLog &log);
  // Solves the current set.
  Verdict check();
  // Step 1 with the tester's certificate of the last Infeasible verdict.
  // Returns Stopped when a limit ended it, else Infeasible.
  Verdict certificate_phase();
  // Which candidates a deletion pass tries to drop.
  enum class Scope { All, Rows, Bounds };
  // Step 2 over the candidates of `scope`.  Returns Stopped when a limit
  // ended it, else Infeasible.
  Verdict deletion(Scope scope = Scope::All);
  // Takes out, without a test, every column bound that no row of the
  // current set resists a move onto: when no row limits column j from
  // below-moves (no row with a finite side that a smaller x_j could
  // violate), a point of the set without j's upper bound stays a point
  // after x_j drops onto that bound, so the set stays infeasible without
  // it; likewise for a lower bound.  Rows only leave the set later, so the
  // reason holds for every set tested afterwards: the bound stays in the
  // tests (keeping integer columns bounded), marked Unlocked.  Not for
  // models whose columns are tied by more than rows (special structures).
  // Returns the number of bounds taken out.
  int drop_unlocked_bounds();
  const std::vector<Mark> &marks() const { return marks_; }
  // Every member left was proved necessary.
  bool all_proved() const;
  // The set was proved irreducible by its certificate's uniqueness, and
  // that proof is robust (infeasible beyond the solvers' tolerances).
  bool certified() const { return certified_; }
  void count(int64_t &rows, int64_t &bounds, int64_t &proved) const;

 private:
  void relax(size_t item, bool relaxed);
  // Drops the members the current certificate does not use; their items.
  std::vector<size_t> drop_unused();
  // Certificate reduction after an infeasible test, confirmed by a solve.
  Verdict shrink_by_certificate();
  // For a continuous tester: marks every candidate left Proved when the
  // latest certificate is the set's only one (conflict/unique_certificate.h).
  bool prove_by_uniqueness();
  // Tests the blocks of `stack` (ranges of `order`) until none is left; a
  // single candidate is tested with scope `single`.  Stopped when a limit
  // ended it, else Infeasible.
  Verdict filter_blocks(const std::vector<size_t> &order, std::vector<std::pair<size_t, size_t>> &stack,
                        Tester::Scope single);
  // Tests the current (infeasible) set without the single candidate
  // `item`, for a tester that asks for it (Tester::tests_regions).  Every
  // point of that set which is not a point of the current one lies beyond
  // the candidate's bound, so only that region is searched: x_j >= u_j + 1 for the upper bound u_j
  // of an integer column (x_j >= u_j for a continuous one, the points on
  // the bound being infeasible already), likewise below a lower bound, and
  // for a row its slack above the row's upper side or below its lower
  // side (two tests for a ranged row).  A search confined there ends far
  // sooner: relaxing a binary's upper bound otherwise asks for a proof
  // over general integers.  The candidate's bounds are as before on
  // return, and the certificate of such a test does not prove the set
  // without the candidate infeasible.
  Verdict test_beyond(size_t item, Tester::Scope scope);
  void progress(const char *what);
  // Keeps the point of a feasible MIP test (the latest kKeptPoints).
  void keep_point();
  // Whether a kept point satisfies every member outside `block`: the set
  // without the block is then feasible, and needs no test.
  bool known_feasible(const std::vector<size_t> &block);

  const WorkModel &w_;
  Tester &t_;
  std::vector<Mark> marks_;
  std::vector<double> lo_, up_;  // current bounds per variable of the working form
  FilterLog log_;
  std::vector<std::vector<double>> points_;  // points of feasible tests, oldest first
  std::vector<char> in_block_;  // scratch marks of known_feasible, all 0 between calls
  int64_t tests_saved_ = 0;     // block tests a kept point made unnecessary
  bool certified_ = false;
};

}  // namespace tvl::conflict
