// Translation between a problem object and the optimizers' LpModel: the
// minimisation-form model with row bounds, the starting basis in the
// optimizer's convention, and the result stored back as the problem's
// solution record and basis in the caller's terms.
#pragma once

#include "frame/problem.h"
#include "lpmodel/lpmodel.h"

namespace tvl {
struct BasisData;
}

namespace tvl::lp {

// Builds the model of the problem's LP data: cost and offset multiplied by
// the objective sense, row bounds from sense, rhs and range value (a
// negative range value r gives [rhs + r, rhs]), infinite ends normalised
// to +-kInfBound, matrix without gaps.  Throws std::bad_alloc.
void build_model(const LpData &data, LpModel &model);

// The problem's stored basis in the optimizer's convention (row statuses
// describe the activity's bound); false when none is stored or it does not
// have exactly one basic variable per row.
bool build_start(const tvllp *lp, const LpModel &model, Basis &basis);

// Solution status code of an optimizer outcome.
int status_code(LpStatus status);

// Stores the result as the problem's solution record (values in the
// caller's objective sense, slack = rhs - A x) and its final basis.
// Returns 0 or 1001.
int store_result(tvllp *lp, const LpModel &model, const LpResult &result, int method);

// Infeasibility proof of a row multiplier vector y: the smallest value of
// y'(Ax) that the row bounds allow minus the largest value it can take over
// the column bounds (z = A'y; an entry |z_j| at most 1e-9 times the sum of
// the magnitudes of its terms counts as 0).  Positive
// when y proves the rows and bounds inconsistent; -kNoValue when a needed
// bound is infinite.
double farkas_proof(const LpData &data, const double *y);

}  // namespace tvl::lp
