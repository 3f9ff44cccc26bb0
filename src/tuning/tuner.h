// The parameter tuner: a local search over the knobs of tune_knobs.h,
// starting from the base settings (tune_settings.h), with adaptive capping.
//
// Follows the one-exchange local search with adaptive capping of
// F. Hutter, H. H. Hoos, K. Leyton-Brown, T. Stuetzle, "ParamILS: an
// automatic algorithm configuration framework", Journal of Artificial
// Intelligence Research 36 (2009), restricted to a single instance and to
// one descent from the defaults (no perturbation or restarts):
//   1. The base settings are measured; they are the incumbent.
//   2. For each knob in order, each of its values (when different from the
//      incumbent's) is measured as the incumbent with that one value
//      changed, and replaces the incumbent when it is strictly better.
//   3. When a pass changed the incumbent, one more pass is made.
//
// Measure.  Each setting is run TVL_PARAM_TUNINGREPEAT times; the work and
// time of the runs are combined by TVL_PARAM_TUNINGMEASURE: 1 their mean,
// 2 their maximum.  The optimizers are deterministic and the library has
// no random seed, so the repeats differ only in time.
//
// Comparison (deterministic work, not time, decides: time depends on the
// machine's load): a setting that reaches a verdict beats one that stopped
// at a limit; between two that reached the same verdict, the challenger
// must need at most 95% of the incumbent's work; between two stopped at
// the same limits, the challenger must leave a MIP gap at most 95% of the
// incumbent's.  A run that fails, or whose verdict differs from the
// incumbent's, never wins.
//
// Capping: when the incumbent reached a verdict, a challenger's runs get
// the incumbent's work as their deterministic limit, since needing more
// cannot win; a challenger that reaches the cap loses at once.
//
// Limits: the whole tuning ends at TVL_PARAM_TUNINGTILIM seconds; each run
// has the environment's TVL_PARAM_TILIM and deterministic time limit (as
// they were when tuning started, or as fixed by the caller) as its own
// limits, and no more time than the tuning has left.  A run cut short by
// the tuning's time limit is not counted.  The termination request stops
// the tuning at once; the tuning callback, when set, is called before each
// run with context TVL_CALLBACK_TUNING and stops the tuning by returning
// nonzero.
#pragma once

#include "tavlo.h"
#include "tuning/tune_settings.h"

namespace tvl::tuning {

// Tunes `lp` in `env` with the caller's fixed parameters.  Returns 0 and
// sets the tuning status (0 or TVL_TUNE_*) and leaves the best settings
// found in the environment, or returns an error status (the environment's
// parameters unchanged) when the base settings cannot be run.
int tune(tvlenv *env, tvllp *lp, const FixedParams &fixed, int *tunestat);

}  // namespace tvl::tuning
