// The solution pool of a MIP problem: a bounded, filtered collection of
// the integer-feasible solutions found by the search, its heuristics, MIP
// starts and callbacks, queried by the user after TVLmipopt or populate.
//
// Storage.  Solution k (0 <= k < count) keeps the column values followed by
// the objective value in internal (minimisation) form, its name and a hash
// of its values for the duplicate index.  The pool grows its allocation by
// doubling up to TVL_PARAM_SOLNPOOLCAPACITY; once full, a replacement
// policy (TVL_PARAM_SOLNPOOLREPLACE: 0 first in first out, 1 objective,
// 2 diversity) picks a victim or drops the candidate.  Position 0 is never
// a victim while two or more solutions are stored.
//
// Admission of a candidate (solnpool_offer), in this order:
//   no pool, capacity 0 or nothing allocated      -> kPoolNotKept (-2)
//   same column values as a stored solution        -> kPoolDuplicate (-1)
//   unless it is strictly better than position 0: the user filters in
//   list order, then the internal gap filter       -> kPoolFiltered (-6)
//   room in the allocation (grown when allowed)    -> kPoolAppended (-3)
//   full: the policy's victim replaced             -> kPoolReplaced (-4)
//   full and no victim                             -> kPoolDropped (-5)
// Results -4 and -5 both count as a replacement (TVLgetsolnpoolnumreplaced).
//
// The internal gap filter comes from TVL_PARAM_SOLNPOOLGAP (relative) and
// TVL_PARAM_SOLNPOOLAGAP (absolute): with b the best objective offered so
// far the allowance is min(relgap * |b|, absgap + (1 + |b|) * 1e-10), a gap
// of 1e20 or more dropping out, and a candidate with objective above
// b + allowance is rejected.  All objectives here are in internal form, so
// the same rule holds for maximisation.
//
// Names.  A solution stored at position k is named "p<k+1>"; when that
// name is still carried by a solution stored earlier (positions shift as
// solutions are removed) a letter 'a'..'z' is appended to keep the names
// unique.
//
// Locking.  Every operation holds the pool lock; a failed try-lock is
// followed by a blocking lock whose wait is added to contention_seconds.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "frame/poolholder.h"

namespace tvl {

enum PoolAdmission : int {
  kPoolDuplicate = -1,
  kPoolNotKept = -2,
  kPoolAppended = -3,
  kPoolReplaced = -4,
  kPoolDropped = -5,
  kPoolFiltered = -6,
};

enum PoolFilterType : int { kFilterDiversity = 1, kFilterRange = 2 };

// A user filter.  Diversity: d = sum |x_j - val_j| * w_j (w_j = 1 when wt
// is empty) must lie in [lower, upper].  Range: e = sum val_j * x_j must lie
// in [lower, upper].
struct PoolFilter {
  int32_t type = kFilterDiversity;
  std::string name;  // empty: unnamed
  std::vector<int32_t> ind;
  std::vector<double> val;  // reference values (diversity) or coefficients (range)
  std::vector<double> wt;   // diversity weights; empty means all 1
  double lower = 0.0, upper = 0.0;
  bool passes(const double *x) const;
};

struct PoolEntry {
  std::vector<double> v;  // column values, then internal objective
  std::string name;
  uint64_t hash = 0;
  double obj() const { return v.back(); }
};

// State of TVLpopulate kept with the pool (mip/populate.cpp).
struct PopulateState {
  int mode = 0;             // 0 none, 1 phase I running, 2 phase II running
  int last_intensity = 0;   // intensity the last call resolved to
  bool tree_left = false;   // the last call's phase I left nodes to search
  bool proved = false;      // the last call proved optimality
};

class SolnPool final : public PoolHolder {
 public:
  PopulateState populate;

  // Takes the column count and types of the problem (ctype none: all 'C').
  SolnPool(int32_t ncols, const char *ctype);

  // PoolHolder
  void invalidate() override;
  void renumber_cols(const int32_t *delstat, int32_t oldn) override;
  bool valid() const override { return !stale_; }
  int32_t count() const override { return static_cast<int32_t>(sol_.size()); }
  int32_t numcols() const override { return ncols_; }
  const double *solution(int32_t k) const override { return sol_[static_cast<size_t>(k)].v.data(); }
  const char *solution_name(int32_t k) const override { return sol_[static_cast<size_t>(k)].name.c_str(); }

  // Settings read before an optimization.  A capacity below the count
  // removes the surplus by the policy (each removal counts as a
  // replacement); the allocation becomes min(capacity, max(1000, 2*count)).
  // A stale pool becomes valid again, empty, with the problem's current
  // columns and types.
  void prepare(int32_t ncols, const char *ctype, int32_t capacity, int32_t policy, double relgap,
               double absgap);

  // Admission (see the file comment); x holds numcols() values, objective
  // is in internal form.  Returns an admission result or 1001.
  int offer(const double *x, double objective);

  // Removes the solutions whose flag is nonzero (del has count() entries).
  void remove(const int32_t *del);

  // Index of the solution with this name, or -1.
  int32_t find_name(const char *name) const;

  int32_t capacity() const { return capacity_; }
  int32_t allocated() const { return alloc_; }
  int32_t policy() const { return policy_; }
  int64_t replaced() const { return replaced_; }
  int64_t rejected() const { return rejected_; }
  // Per-call counters, reset by prepare(): every solution offered, and
  // those stored (results -3 and -4).
  int64_t offered_this_call() const { return offered_call_; }
  int64_t stored_this_call() const { return stored_call_; }
  double contention_seconds() const { return contention_; }

  std::vector<PoolFilter> &filters() { return filters_; }
  const std::vector<PoolFilter> &filters() const { return filters_; }
  const PoolEntry &entry(int32_t k) const { return sol_[static_cast<size_t>(k)]; }

  // The pool lock (see the file comment).
  void lock();
  void unlock() { mtx_.unlock(); }

  // Seeds the pool's own random stream (the diversity policy's draws).
  void seed(uint64_t s) { rng_ = s ? s : 1; }

 private:
  uint64_t hash_of(const double *x) const;
  bool is_duplicate(const double *x, uint64_t h) const;
  bool gap_filter_passes(double f);
  bool improves(double f) const { return sol_.empty() || f < sol_[0].obj(); }
  int32_t choose_victim(const double *x, double f, bool better);
  int32_t victim_by_objective(double f, bool better) const;
  int32_t victim_by_diversity(const double *x, bool better);
  double distance(const double *x);
  double draw();
  void build_mean();
  void mean_add(const double *x);
  void mean_remove(const double *x);
  void erase_at(int32_t k);
  bool append(const double *x, double f, uint64_t h);
  std::string name_for(int32_t k) const;
  void shrink_to(int32_t cap);

  int32_t ncols_ = 0;
  std::string ctype_;  // one type letter per column
  std::vector<PoolEntry> sol_;
  std::unordered_multiset<uint64_t> hashes_;
  int32_t alloc_ = 0;
  int32_t capacity_ = 0;
  int32_t policy_ = 0;
  bool stale_ = false;
  std::vector<double> mean_;  // diversity policy: mean of non-continuous columns
  bool mean_built_ = false;
  uint64_t rng_ = 0x9e3779b97f4a7c15ull;
  int64_t replaced_ = 0, rejected_ = 0;
  int64_t offered_call_ = 0, stored_call_ = 0;
  double gap_rel_ = 1e75, gap_abs_ = 1e75, gap_best_ = 1e20;
  std::vector<PoolFilter> filters_;
  std::mutex mtx_;
  double contention_ = 0.0;
};

// ---- entry points for the MIP driver ----

// The problem's pool, or nullptr when none was created.
SolnPool *solnpool_of(tvllp *lp);
const SolnPool *solnpool_of(const tvllp *lp);

// Creates the pool when absent.  Returns 0, 3024 when the capacity
// parameter is 0 (no pool may exist), or 1001.
int solnpool_create(const tvlenv *env, tvllp *lp);

// Before each optimization (TVLmipopt and each populate phase): creates
// the pool when the capacity is positive, then reads TVL_PARAM_SOLNPOOLCAPACITY,
// TVL_PARAM_SOLNPOOLREPLACE, TVL_PARAM_SOLNPOOLGAP and TVL_PARAM_SOLNPOOLAGAP
// into it (SolnPool::prepare) and resets its per-call counters.  Applies
// the problem's pending changes first.  Returns 0 or a status.
int solnpool_prepare(const tvlenv *env, tvllp *lp);

// Offers an integer-feasible solution of the problem (x: numcols values in
// the problem's own column space, after postsolve; internal_objective: the
// objective value times the objective sense).  Takes the pool lock.
// Returns an admission result (-1..-6, kPoolNotKept when there is no pool)
// or 1001 on allocation failure, which leaves the pool unchanged.
int solnpool_offer(tvllp *lp, const double *x, double internal_objective);

}  // namespace tvl
