// Test helpers for presolve: an exhaustive LP solver for tiny problems
// (enumerates bases, so it needs no simplex) and a checker of optimality
// conditions and basis consistency of a solution of an LpModel.
#pragma once

#include <string>

#include "lpmodel/lpmodel.h"

namespace tvl::lp::testing {

// Solves a tiny LP (n + m up to about 14) by enumerating all bases.  Returns
// Optimal with x, rowact, pi, dj, basis and objval, or Unknown when no basis
// is both primal and dual feasible (infeasible or unbounded).
LpResult brute_force_solve(const LpModel &lp);

// Verifies primal feasibility, dual feasibility, complementarity with the
// basis statuses, exactly m basic variables and a nonsingular basis matrix.
// Returns an empty string when all hold, else a description of the first
// failure.
std::string check_optimal_basis(const LpModel &lp, const LpResult &r, double tol);

// Dense LU-free rank test used for basis matrices (Gaussian elimination with
// partial pivoting); true when the m x m matrix given column-wise is regular.
bool basis_nonsingular(const LpModel &lp, const Basis &b);

}  // namespace tvl::lp::testing
