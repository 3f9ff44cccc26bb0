#include "tuning/tune_run.h"

#include "frame/callback.h"
#include "frame/env.h"
#include "runtime/workcount.h"

namespace tvl::tuning {

namespace {

// Sets the environment's channels, callbacks and parameters aside for the
// lifetime of the object.
class Isolation {
 public:
  Isolation(tvlenv *env, const ParamSet &settings, bool show_log)
      : env_(env), saved_(ParamSet::of(env)), state_(callbacks_of(env)) {
    if (!show_log) {
      tvlchannel *channels[kChannels] = {env->chan_error, env->chan_warning, env->chan_results, env->chan_log};
      for (int c = 0; c < kChannels; ++c) {
        channels_[c] = channels[c];
        heads_[c] = channels[c] ? channels[c]->head : nullptr;
        if (channels[c]) channels[c]->head = nullptr;
      }
    }
    if (state_) {
      slots_[0] = state_->lp;
      slots_[1] = state_->mip;
      slots_[2] = state_->info;
      slots_[3] = state_->tuning;
      state_->lp = state_->mip = state_->info = state_->tuning = CallbackSlot{};
    }
    settings.install(env);
  }
  ~Isolation() {
    if (!saved_.empty()) saved_.install(env_);
    if (state_) {
      state_->lp = slots_[0];
      state_->mip = slots_[1];
      state_->info = slots_[2];
      state_->tuning = slots_[3];
    }
    for (int c = 0; c < kChannels; ++c)
      if (channels_[c]) channels_[c]->head = heads_[c];
  }
  Isolation(const Isolation &) = delete;
  Isolation &operator=(const Isolation &) = delete;
  bool ok() const { return !saved_.empty(); }

 private:
  static constexpr int kChannels = 4;
  tvlenv *env_;
  ParamSet saved_;
  CallbackState *state_;
  CallbackSlot slots_[4];
  tvlchannel *channels_[kChannels] = {};
  tvldest *heads_[kChannels] = {};
};

// What a nonzero return of the optimizer means: the presolve verdicts and
// stops of TVLlpopt; anything else is a failure.
void classify_code(int rc, RunOutcome &o) {
  o.code = rc;
  switch (rc) {
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE:
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED:
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED:
      o.end = RunEnd::Decided;
      o.verdict = kVerdictNoOptimum;
      return;
    case TVLERR_ABORTED_DURING_PRESOLVE: o.user_stop = true; break;
    case TVLERR_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE: o.time_limit = true; break;
    case TVLERR_DETERMINISTIC_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE: o.work_limit = true; break;
    default: o.end = RunEnd::Failed; return;
  }
  o.end = RunEnd::Stopped;
}

// The solution status of a run that returned 0.
void classify_status(int stat, RunOutcome &o) {
  o.code = stat;
  o.end = RunEnd::Decided;
  switch (stat) {
    case TVL_STAT_OPTIMAL:
    case TVLMIP_OPTIMAL:
    case TVLMIP_OPTIMAL_TOL: o.verdict = kVerdictOptimal; return;
    case TVL_STAT_UNBOUNDED:
    case TVL_STAT_INFEASIBLE:
    case TVL_STAT_INForUNBD:
    case TVLMIP_INFEASIBLE:
    case TVLMIP_UNBOUNDED:
    case TVLMIP_INForUNBD: o.verdict = kVerdictNoOptimum; return;
    case TVL_STAT_OPTIMAL_INFEAS:
    case TVLMIP_OPTIMAL_INFEAS: o.verdict = kVerdictOptimalInfeas; return;
    case TVL_STAT_ABORT_USER:
    case TVLMIP_ABORT_FEAS:
    case TVLMIP_ABORT_INFEAS: o.user_stop = true; break;
    case TVL_STAT_ABORT_TIME_LIM:
    case TVLMIP_TIME_LIM_FEAS:
    case TVLMIP_TIME_LIM_INFEAS: o.time_limit = true; break;
    case TVL_STAT_ABORT_DETTIME_LIM:
    case TVLMIP_DETTIME_LIM_FEAS:
    case TVLMIP_DETTIME_LIM_INFEAS: o.work_limit = true; break;
    case TVL_STAT_ABORT_IT_LIM:
    case TVL_STAT_ABORT_OBJ_LIM:
    case TVL_STAT_ABORT_PRIM_OBJ_LIM:
    case TVL_STAT_ABORT_DUAL_OBJ_LIM:
    case TVLMIP_SOL_LIM:
    case TVLMIP_NODE_LIM_FEAS:
    case TVLMIP_NODE_LIM_INFEAS:
    case TVLMIP_ABORT_IT_LIM_FEAS:
    case TVLMIP_ABORT_IT_LIM_INFEAS: break;
    default: o.end = RunEnd::Failed; return;
  }
  o.end = RunEnd::Stopped;
}

}  // namespace

RunOutcome run_setting(tvlenv *env, tvllp *lp, bool mip, const ParamSet &settings, bool show_log) {
  RunOutcome o;
  Isolation iso(env, settings, show_log);
  if (!iso.ok()) {
    o.code = TVLERR_OUT_OF_MEMORY;
    return o;
  }
  int st = 0;
  TVLLPptr copy = TVLcloneprob(env, lp, &st);
  if (!copy) {
    o.code = st;
    return o;
  }
  const uint64_t work0 = thread_work();
  const double t0 = env_time(env);
  const int rc = mip ? TVLmipopt(env, copy) : TVLlpopt(env, copy);
  o.seconds = env_time(env) - t0;
  o.work = thread_work() - work0;
  if (rc == 0) classify_status(TVLgetstat(env, copy), o);
  else classify_code(rc, o);
  if (o.end == RunEnd::Decided) o.gap = 0.0;
  else if (o.end == RunEnd::Stopped && mip && TVLgetmiprelgap(env, copy, &o.gap) != 0) o.gap = 1e75;
  TVLfreeprob(env, &copy);
  return o;
}

}  // namespace tvl::tuning
