// Entry point of the primal simplex optimizer on an LpModel.
//
// The model is scaled (SimplexControl::scaling: -1 off, 0 standard,
// 1 aggressive), solved by the primal simplex of primal_simplex.h from the
// given basis (or the slack basis), and the final outcome is settled by the
// verify-and-repair step of simplex/verify_repair.h.  A basis
// that is primal feasible for the model starts directly in phase 2, which
// makes re-solves after objective changes (and cleanup after postsolve)
// cheap.
//
// Result conventions are those of dual_simplex (minimisation form,
// dj = cost - A' pi).  Unbounded: ray holds n entries, a direction d with
// cost'd < 0 along which the final basic solution stays feasible
// (collo <= x + t d <= colup and rowlo <= A(x + t d) <= rowup for all t >= 0).
// SimplexControl::pricing is TVL_PARAM_PPRIIND: -1 reduced-cost (partial)
// pricing, 0 hybrid (reduced-cost pricing that may switch to devex or
// steepest edge), 1 devex, 2 steepest edge, 3 steepest edge with unit
// initial norms, 4 full reduced-cost pricing.
#pragma once

#include "lpmodel/lpmodel.h"

namespace tvl::lp {

LpResult primal_simplex(const LpModel &model, const SimplexControl &ctl, const Basis *warm_start);

}  // namespace tvl::lp
