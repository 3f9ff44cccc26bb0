// The simplex flow shared by TVLdualopt and TVLprimopt:
//
//   kind check -> saved parameters (ADVIND, PERIND, presolve messages) ->
//   presolve decision (skipped when an advanced start would be lost) ->
//   presolve with timing and summary -> crush of a stored basis ->
//   solve of the reduced LP with the chosen simplex -> postsolve of the
//   solution and basis -> final solve of the original LP from that basis
//   (ADVIND 1, PERIND 0; dual cleanup with automatic or devex pricing,
//   primal cleanup with devex) -> iteration counts added -> result stored
//   with the method -> parameters restored.
//
// When presolve formed the dual (TVL_PARAM_PREDUAL = 1, presolve/presolve_dual.h)
// the other simplex solves the dual of the reduced LP with its own pricing
// parameter, and the dual's solution and basis are mapped back to the
// reduced LP before postsolve; a warm start of the reduced LP is not used
// then.
//
// Choices where the flow had freedom:
// - A reduced LP found infeasible or unbounded is not mapped back; the
//   original LP is solved from scratch so that status, ray and Farkas
//   proof refer to the caller's problem.  Its iterations are added.
// - The presolved copy is kept in the problem (tvllp::presolve) and reused
//   by a later call with the same presolve settings until the data change.
// - With matrix compression on (hidden parameter 1066), the problem's own
//   index and value arrays are held compressed (simplex/matrix_compress.h)
//   while the simplex works on its copy, and expanded before the result is
//   stored.
// - The restart basis file of hidden parameter 1041 is "<problem name>.bas"
//   in the working directory, in the basis file format; an absent file is
//   skipped silently.
#pragma once

#include "tavlo.h"

namespace tvl::lp {

enum class FlowMethod { Primal, Dual };

// Runs the flow on a checked environment and problem.  Returns 0, a
// positive status not yet reported, or a negated status already reported
// (presolve outcomes are reported here, while the call's message setting
// is still in force).
int simplex_flow(tvlenv *env, tvllp *lp, FlowMethod method);

}  // namespace tvl::lp
