// What the dual and the primal simplex entries share around their solvers:
// conversion between the caller's Basis and the working-form statuses,
// the unscaled solution of a final working state (with its certificate),
// the tolerance and certificate checks of the verify step, and the
// closed-form solve of an LP without rows.
#pragma once

#include <cstdint>
#include <vector>

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

struct Scaling;
struct SimplexLp;
class SimplexBase;

// Working-form statuses (n + m) of a basis.  Row statuses describe the
// activity A_i x; the working form's slack is its negation, so lower and
// upper swap.
std::vector<int8_t> basis_to_status(const LpModel &model, const Basis &b);
Basis status_to_basis(int32_t n, int32_t m, const std::vector<int8_t> &st);

// The working form of `model` scaled by `sc` (as it is when `sc` is off).
SimplexLp working_lp(const LpModel &model, const Scaling &sc);

// True when `b` is given and sized for the model.
bool valid_basis(const LpModel &model, const Basis *b);

// Unscaled x, pi, row activities, reduced costs, objective and basis of a
// working state (x over the structurals, y the row duals, status n + m).
void unscale_solution(const LpModel &model, const Scaling &sc, const std::vector<double> &x,
                      const std::vector<double> &y, const std::vector<int8_t> &status, LpResult &res);

// The result of a solver's final state with status `status`: unscaled
// solution and basis, iteration counts added to those already in `res`,
// feasibility flags, and the certificate of the verdict: for Infeasible
// the dual ray (m) of a dual simplex run, unscaled and signed so that it
// proves infeasibility when it can; for Unbounded the primal ray (n) of a
// primal simplex run, unscaled, largest entry 1.
void extract_result(const LpModel &model, const Scaling &sc, const SimplexBase &solver, LpStatus status,
                    LpResult &res);

// Whether the dual ray of a solver that ended infeasible proves
// infeasibility of `model` (unscaled by `sc`).
bool certified_infeasible(const LpModel &model, const Scaling &sc, const SimplexBase &solver);

// Largest bound violation of x and of the row activities.
double primal_violation(const LpModel &model, const LpResult &res);

// Largest reduced cost (of columns and rows) with the wrong sign for its
// basis status.
double dual_violation(const LpModel &model, const LpResult &res);

// Whether a primal ray (n entries, largest 1) proves unboundedness on the
// unscaled model: it improves the objective and keeps every row and
// column with a finite bound in the ray's direction within it.
bool proves_unbounded(const LpModel &model, const std::vector<double> &ray);

// LP without rows: every variable goes to the bound its cost asks for;
// unbounded when that bound is infinite.
LpResult solve_without_rows(const LpModel &model);

}  // namespace tvl::lp
