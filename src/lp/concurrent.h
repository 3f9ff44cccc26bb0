// The concurrent LP method (TVL_PARAM_LPMETHOD 6).
//
// The dual and the primal simplex run at the same time, each in a worker
// thread with a child environment of its own and on its own copy of the
// problem (the caller's stored basis included, so warm starts still apply).
// Which run wins depends on TVL_PARAM_PARALLELMODE:
// - deterministic (1, and automatic 0): the decisive run with the least
//   deterministic work wins (ties go to the dual).  A run stops itself as
//   soon as its work exceeds that of a decisive run already completed, so
//   the race costs about as long as the faster run, and repeated solves
//   give the same winner, iterations and log.
// - opportunistic (-1): the first worker whose run completes with a
//   decisive status wins; the others are stopped through their termination
//   request, which the limit check of their loops reads.  The winner's solution record and basis
// are moved into the caller's problem, so TVLgetmethod names the method that
// won (1 primal, 2 dual) and the counters are the winner's.
//
// Log: every worker writes into buffers of its own (one entry per message,
// tagged with its channel).  When the race is decided, the winner's entries
// are sent to the caller's channels in one piece and in their original
// order, followed on the log channel by a line that names the winner; the
// other workers' text is dropped.  Output therefore never interleaves.
//
// Limits: the workers copy the caller's parameters, so TVL_PARAM_TILIM,
// TVL_PARAM_ITLIM and the deterministic limit apply to each worker; what
// remains of an enclosing run is passed on.  The caller's termination
// request and termination function are seen by every worker's limit check
// (a termination function is therefore called from the worker threads).
//
// Callbacks: the LP progress callback is called only on the caller's
// thread, about every 0.1 seconds while the workers run, with context
// TVL_CALLBACK_DUAL and the dual worker's iteration count; a nonzero answer
// stops all workers (status 13).  The workers themselves call no caller
// callback.
//
// Fewer than two threads (TVL_PARAM_THREADS 1, or automatic on a machine
// with one processor), or a caller that is itself a child environment, run
// the dual simplex alone on the caller's problem.
#pragma once

#include "tavlo.h"

namespace tvl::lp {

// Runs the concurrent method on `lp`.  Returns 0, a positive status not yet
// reported, or a negated status whose message was already printed (the
// caller passes it through the boundary reporter).
int concurrent_opt(tvlenv *env, tvllp *lp);

}  // namespace tvl::lp
