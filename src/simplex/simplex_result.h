// What the dual and the primal simplex entries share around their solvers:
// conversion between the caller's Basis and the working-form statuses,
// the unscaled solution of a final working state, the tolerance checks that
// decide on a cleanup run, and the closed-form solve of an LP without rows.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

struct Scaling;

// Working-form statuses (n + m) of a basis.  Row statuses describe the
// activity A_i x; the working form's slack is its negation, so lower and
// upper swap.
std::vector<int8_t> basis_to_status(const LpModel &model, const Basis &b);
Basis status_to_basis(int32_t n, int32_t m, const std::vector<int8_t> &st);

// True when `b` is given and sized for the model.
bool valid_basis(const LpModel &model, const Basis *b);

// Unscaled x, pi, row activities, reduced costs, objective and basis of a
// working state (x over the structurals, y the row duals, status n + m).
void unscale_solution(const LpModel &model, const Scaling &sc, const std::vector<double> &x,
                      const std::vector<double> &y, const std::vector<int8_t> &status, LpResult &res);

// Largest bound violation of x and of the row activities.
double primal_violation(const LpModel &model, const LpResult &res);

// Largest reduced cost (of columns and rows) with the wrong sign for its
// basis status.
double dual_violation(const LpModel &model, const LpResult &res);

// An entry of one simplex method (dual_simplex, primal_simplex).
using SimplexEntry = LpResult (*)(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start);

// Settles a verdict of one method with the other: runs `other` from the
// final basis of `first` with what is left of the iteration limit and
// without settling again; the iteration counts add up.
LpResult settle_with(SimplexEntry other, const LpModel &model, const SimplexControl &ctl, const LpResult &first);

// Whether a primal ray (n entries, largest 1) proves unboundedness on the
// unscaled model: it improves the objective and keeps every row and
// column with a finite bound in the ray's direction within it.
bool proves_unbounded(const LpModel &model, const std::vector<double> &ray);

// LP without rows: every variable goes to the bound its cost asks for;
// unbounded when that bound is infinite.
LpResult solve_without_rows(const LpModel &model);

}  // namespace tvl::lp
