// The LP of the node being processed: the relaxation with the node's
// column bounds, solved by the dual simplex from a given basis (the
// parent's final basis after bound changes keeps dual feasibility, so the
// dual simplex warm-starts).  One object serves the whole search: scaling,
// factor and pricing weights carry over between solves.  A solve that ends
// in numerical trouble is repeated once from scratch.
//
// The basis factor's dense kernel uses partial pivoting here (as in the
// pump's LPs and the Gomory tableau): the search and its settings were
// measured with it, and the sparser pivot order of the LP optimizer grew
// several bench trees (mas76 337,568 -> 354,563 nodes, mod011 2,149 ->
// 2,610, misc07 33,356 -> 41,504 with the threshold at 1) and left rout
// unsolved at 60 s.  Node LPs have small bases, where the kernel's speed
// matters little.
//
// Rows can be added beyond the model's (the root's cuts) and removed
// again; they stay in the LP of every node solved afterwards.  Root
// bounds can be tightened (bounds found valid for the whole tree); every
// node starts from them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "mip/mip_model.h"
#include "mip/lp_rows.h"
#include "mip/node.h"
#include "simplex/dualopt.h"

namespace tvl::mip {

// The continuous columns of `model` solved again for the integer values
// of x (rounded and fixed) on a fresh LP whose feasibility tolerance is
// the smaller of the control's and 1e-9, so that the point meets the
// rows of the unscaled model, not only those of the scaled one.  Returns
// the point with its integer columns rounded, or an empty vector when
// that LP is not solved to optimality.
std::vector<double> solve_continuous_part(const MipModel &model, const std::vector<double> &x,
                                          lp::SimplexControl control);

class NodeLp {
 public:
  NodeLp(const MipModel &model, const lp::SimplexControl &control);
  // Puts the root bounds back and applies `changes` in order, each within
  // the root bounds.  False when a change lies wholly outside them (the
  // root bounds were tightened after the change was made); that change
  // then applies as it is.
  bool load(const std::vector<BoundChange> &changes);
  // Changes one column's bounds on top of the loaded node.
  void set_bounds(int32_t col, double lower, double upper);
  // Basis to start the next solve from.  A basis kept from before rows
  // were added (an open node's) gets the new rows' slacks basic.
  void set_basis(const lp::Basis &basis);
  double lower(int32_t col) const { return lo_[col]; }
  double upper(int32_t col) const { return up_[col]; }
  // Solves with at most `itlim` iterations (negative: no limit of its own;
  // the run's iteration limit, time limits and termination requests always
  // apply).  Iterations are counted in `iterations()`.
  lp::LpResult solve(int64_t itlim = -1);
  int64_t iterations() const { return iterations_; }
  // Strong branching: keep_state() keeps the basis of the last solve with
  // its factor and weights; trial() solves after bound changes and returns
  // status, objective and iterations only (lp::DualOptimizer::trial_solve);
  // restore_state() returns to the kept basis (false when none is kept).
  void keep_state() { opt_->keep_state(); }
  lp::LpResult trial(int64_t itlim);
  bool restore_state() { return opt_->restore_state(); }

  // The LP as it is solved now: the model's rows, then the added ones,
  // with the loaded node's column bounds.
  const lp::LpModel &current() const { return opt_->model(); }
  int32_t added_rows() const { return current().a.m - model_.m(); }
  // Appends `rows`; `basis` (over the current rows) is the basis to start
  // from, with the slacks of the new rows basic.
  void add_rows(const std::vector<LpRow> &rows, lp::Basis basis);
  // Removes the added rows k with drop[k] set (k counts the added rows);
  // `basis` is given over the current rows and returned over the remaining
  // ones, and is the basis to start from.
  void remove_rows(const std::vector<char> &drop, lp::Basis &basis);
  // Tightens the root bounds of column j (every later load starts there).
  void tighten_root(int32_t col, double lower, double upper);
  double root_lower(int32_t col) const { return root_lo_[col]; }
  // A copy for another thread of a parallel search: the same rows (the
  // model's and the added ones), root bounds and loaded bounds, solved
  // under `control` (its own environment's limit check).  Its first solve
  // starts from the basis set_basis gives it.
  std::unique_ptr<NodeLp> replica(const lp::SimplexControl &control) const;
  double root_upper(int32_t col) const { return root_up_[col]; }
  const std::vector<double> &root_lowers() const { return root_lo_; }
  const std::vector<double> &root_uppers() const { return root_up_; }

 private:
  void rebuild(lp::Basis &basis);
  void apply(int32_t col, double lower, double upper);

  const MipModel &model_;
  lp::SimplexControl control_;
  std::unique_ptr<lp::DualOptimizer> opt_;
  std::vector<double> lo_, up_;
  std::vector<double> root_lo_, root_up_;
  std::vector<LpRow> added_;
  std::vector<int32_t> touched_;
  std::vector<char> is_touched_;
  int64_t budget_ = -1;
  int64_t iterations_ = 0;
};

}  // namespace tvl::mip
