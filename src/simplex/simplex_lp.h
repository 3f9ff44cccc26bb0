// Working form of an LP for the simplex codes, shared by the dual and the
// primal simplex.
//
// Every row gets a logical (slack) variable with a +1 unit column, so the
// constraints read  A x + s = 0  with  l <= (x, s) <= u.  The slack of row i
// is variable n+i and carries the negated row bounds: s_i in [-rowup, -rowlo].
// Infinite bounds are held as +-infinity.  The matrix is kept both
// column-wise (FTRAN right-hand sides, dual updates) and row-wise (pivot row
// computation when the BTRAN result is sparse).
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "factor/factor.h"
#include "lpmodel/lpmodel.h"

namespace tvl::lp {

struct SimplexLp {
  int32_t m = 0, n = 0;
  CscMatrix a;                        // m x n, possibly scaled
  std::vector<int32_t> rstart, rindex;  // row-wise copy of a
  std::vector<double> rvalue;
  std::vector<double> cost;           // n + m, slack costs 0
  std::vector<double> lower, upper;   // n + m
  double offset = 0.0;
  int objsense = 1;  // +1 minimise, -1 maximise (costs are already in minimisation form)

  int32_t num_vars() const { return n + m; }
  // Builds the working form from a model; bounds at or beyond kInfBound become kWorkInf.
  void load(const LpModel &model);
  // Rebuilds the row-wise copy from the column-wise matrix.
  void build_row_copy();
};

// Nonbasic/basic status of a variable in the working form.
enum VarStatus : int8_t { kAtLower = 0, kBasic = 1, kAtUpper = 2, kFreeNb = 3 };

// Loads column q of [A I] (a structural, or the slack n+i) into v.
void load_column(const SimplexLp &lp, int32_t q, HVector &v);

}  // namespace tvl::lp
