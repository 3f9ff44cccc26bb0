// The verify-and-repair step that ends every simplex solve.
//
// A simplex run ends with a verdict reached in the scaled working form,
// with values that were updated iteration by iteration.  Before that
// verdict leaves the LP engine, this step settles it with one fixed
// sequence, the same for the dual and the primal entry, for the final
// solve of the flow after postsolve, for the workers of the concurrent
// method (which run the flow) and for repeated solves of a kept solver:
//
//   1. Refactorize: the final basis is factorized afresh when the factor
//      carries updates (more than the control `updates_kept_at_end`
//      allows: node LPs keep a factor with a few updates; should its
//      values fail step 3, the remedies start from a fresh factor anyway).
//   2. Recompute: primal values (with one round of iterative refinement),
//      row duals and reduced costs of that basis, for the true costs.
//   3. Check on the unscaled model.  The solution is unscaled; an optimal
//      one that is not accurate to 1e-9 is first refined on the unscaled
//      basis (simplex/flow_refine.h).  Then:
//        optimal         passes when its largest bound violation is at most
//                        the feasibility tolerance and its largest
//                        wrong-signed reduced cost at most the optimality
//                        tolerance;
//        infeasible      passes when its dual ray proves it on the unscaled
//                        model (Farkas margin > 0): the dual's ray is the
//                        leaving row, the primal's the duals of its phase 1
//                        (a phase 1 that stalls on a feasible LP has none
//                        that proves anything);
//        unbounded       passes when a primal ray proves it on the unscaled
//                        model; the dual's verdict (dual infeasibility)
//                        never carries one;
//        numerical trouble does not pass; when the repair limit ran out
//                        remedy 0 runs, and if it ends the same way that is
//                        reported as it is;
//        limits          (iterations, time, work, abort, objective limit)
//                        pass as they are.
//      A solve that starts from a basis postsolved from an optimum (the
//      flow's final solve, which offers remedy c) expects an optimum: a
//      verdict of infeasibility or unboundedness, or numerical trouble,
//      contradicts it and does not pass.
//   4. Remedies, in this order, each from the basis the previous attempt
//      ended with and each followed by the same check; the first result
//      that passes ends the step:
//        0. slack start (only when the singularity repair limit ran out):
//           the other method from a slack basis, the failed run's bases
//           being near singular;
//        a. cleanup (only for an optimal result whose values fail): the
//           same method on the unscaled model with the tolerances
//           tightened tenfold (not below 1e-9);
//        b. switch: the other simplex method, scaled as the entry's, with
//           the caller's tolerances and its automatic pricing;
//        c. unreduced (only when the caller offers it, as the flow does for
//           its final solve after postsolve): a re-solve of the caller's
//           LP from scratch without presolve.
//      A remedy that ends in numerical trouble does not replace the result
//      it started from; otherwise the last attempt is handed back, marked
//      `doubtful` in the counters when it still fails its check.
//
// Iterations of all attempts add up in the result; each remedy has what is
// left of the iteration limit.  Counters (LpResult::verify) say how often
// each part ran.  With display on, each remedy prints one line saying why
// it runs ("Cleaning up unscaled infeasibilities (max. primal ..., max.
// dual ...).", "... not confirmed on the unscaled problem; switching to
// primal simplex." or dual, "... not confirmed; re-solving without
// presolve.").
#pragma once

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

struct Scaling;
class SimplexBase;

enum class SimplexMethod { Dual, Primal };

// Settles the outcome `status` of `solver`, which ran `method` on `model`
// scaled by `sc` with the controls `ctl`.  `solver` is refreshed in place
// (steps 1 and 2); remedies run on solvers of their own.
LpResult verify_and_repair(const LpModel &model, const Scaling &sc, const SimplexControl &ctl, SimplexMethod method,
                           SimplexBase &solver, LpStatus status);

}  // namespace tvl::lp
