// One tuning run: a setting tried on a copy of the problem.
//
// The run takes place on the caller's thread and environment, so that the
// caller's termination request stops it and the thread's deterministic
// work counter measures it.  For its duration the environment holds the
// setting's parameter values, the caller's LP, MIP, informational and
// tuning callbacks are set aside, and (unless the run's own log is wanted)
// the environment's channels deliver nowhere; all of it is restored when
// the run ends.  The problem is cloned, so the caller's problem keeps its
// data, basis and solution.
#pragma once

#include <cstdint>

#include "tavlo.h"
#include "tuning/tune_settings.h"

namespace tvl::tuning {

// How a run ended.
enum class RunEnd {
  Decided,  // a verdict: optimal, or no optimum (infeasible, unbounded)
  Stopped,  // a limit or the user stopped it before a verdict
  Failed,   // an error or a failure of the optimizer
};

// Verdict classes; two decided runs compare only when they agree.
enum Verdict { kVerdictNone = 0, kVerdictOptimal = 1, kVerdictNoOptimum = 2, kVerdictOptimalInfeas = 3 };

struct RunOutcome {
  RunEnd end = RunEnd::Failed;
  int verdict = kVerdictNone;
  int code = 0;            // solution status, or the error code of a failure
  uint64_t work = 0;       // deterministic work units of the run
  double seconds = 0.0;    // on the environment's clock
  double gap = 1e75;       // relative MIP gap left (0 when decided; 1e75: none)
  bool user_stop = false;  // stopped by the termination request
  bool time_limit = false; // stopped by the time limit
  bool work_limit = false; // stopped by the deterministic time limit
};

// Runs the optimizer of the problem's kind (TVLmipopt for a MIP,
// TVLlpopt otherwise) with `settings` on a clone of `lp`.
RunOutcome run_setting(tvlenv *env, tvllp *lp, bool mip, const ParamSet &settings, bool show_log);

}  // namespace tvl::tuning
