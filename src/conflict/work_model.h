// The form the conflict refiner works on.
//
// Every row i of the problem becomes a_i x - s_i = 0 with a slack column
// s_i whose bounds are the row's range, so that rows and column bounds are
// all bounds of variables: dropping a row from the candidate set relaxes
// both bounds of its slack, dropping a column bound relaxes that bound.
// The dual simplex can then change any candidate in place (a bound change
// keeps the basis, so each feasibility test is a warm re-solve) and one
// Farkas certificate names the rows and bounds it needs alike.
//
// The cost is zero: every test is a pure feasibility problem.  Model
// columns beyond the problem's own (the slacks of indicator constraints of
// a MIP) and the rows beyond the problem's (indicator rows) are never
// candidates; they stay as the model has them.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::conflict {

// One candidate: a row (both bounds of its slack), or one bound of a column.
struct Item {
  enum Kind : int8_t { Row, Lower, Upper } kind;
  int32_t index;  // row or column of the problem
};

struct WorkModel {
  lp::LpModel lp;              // columns, then one slack per problem row
  int32_t ncols = 0;           // problem columns (candidates' columns)
  int32_t nrows = 0;           // problem rows
  int32_t model_cols = 0;      // columns of the model before the slacks
  // Per variable of lp: the bounds the full problem has (tight) and the
  // bounds a relaxed candidate falls back to (base).
  std::vector<double> tight_lo, tight_up, base_lo, base_up;
  std::vector<Item> items;     // every candidate, rows first

  int32_t slack(int32_t row) const { return model_cols + row; }
  int32_t var_of(const Item &it) const { return it.kind == Item::Row ? slack(it.index) : it.index; }
};

// Builds the working form of `model` (the LP or a MIP's relaxation) whose
// first `nrows` rows and `ncols` columns are the problem's.  Candidates
// are the rows and the finite column bounds; a bound whose base equals its
// tight value cannot be relaxed and is not a candidate.  Callers may set
// base bounds (a MIP start's columns keep the model's bounds) before
// calling collect_items.
WorkModel make_work_model(const lp::LpModel &model, int32_t nrows, int32_t ncols);
void collect_items(WorkModel &w);

// The problem's own form of the working LP `current` (w.lp with the
// bounds of some candidates relaxed): the slacks' bounds become the
// ranges of their rows again and the slack columns go.  The refiner's
// fresh checks solve this form, as a solve of the problem itself would.
lp::LpModel original_form(const WorkModel &w, const lp::LpModel &current);

// The bounds of variable `var` with the given candidates relaxed:
// relaxed_lo/up tell whether the lower/upper side falls back to base.
double bound_lo(const WorkModel &w, int32_t var, bool relaxed);
double bound_up(const WorkModel &w, int32_t var, bool relaxed);

// z = A'y over the columns of `a`, and per column the sum of the terms'
// magnitudes |a_ik y_i|.
void reduced_values(const lp::CscMatrix &a, const std::vector<double> &y, std::vector<double> &z,
                    std::vector<double> &mag);
// Relative size below which an entry of A'y counts as 0.
inline constexpr double kNegligibleRel = 1e-9;
// Whether an entry z of A'y counts as 0: within kNegligibleRel of its
// terms' magnitude.
bool negligible(double z, double mag);

// Which sides of which variables a Farkas certificate `ray` (one entry per
// row of w.lp) uses: for z = A'y, an upper bound where z_k > 0 and a lower
// bound where z_k < 0 (an entry that is negligible counts as 0).
// uses_lo/uses_up get one flag per variable.
void ray_sides(const WorkModel &w, const std::vector<double> &ray, std::vector<char> &uses_lo,
               std::vector<char> &uses_up);

}  // namespace tvl::conflict
