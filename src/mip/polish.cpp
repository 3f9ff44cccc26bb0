#include "mip/polish.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "frame/callback.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "frame/param.h"
#include "frame/solution.h"
#include "mip/mipbb.h"

namespace tvl::mip {

namespace {

constexpr int64_t kNoLimit = 2100000000;

double &time_limit_ref(tvlenv *env) { return param_dbl_ref(env->params, param_slot(TVL_PARAM_TILIM)); }

bool polishable(int status) {
  switch (status) {
    case TVLMIP_OPTIMAL_TOL: case TVLMIP_SOL_LIM: case TVLMIP_NODE_LIM_FEAS: case TVLMIP_NODE_LIM_INFEAS:
    case TVLMIP_TIME_LIM_FEAS: case TVLMIP_TIME_LIM_INFEAS: case TVLMIP_FAIL_FEAS: case TVLMIP_FAIL_INFEAS:
    case TVLMIP_ABORT_FEAS: case TVLMIP_ABORT_INFEAS: case TVLMIP_ABORT_IT_LIM_FEAS:
    case TVLMIP_ABORT_IT_LIM_INFEAS: case TVLMIP_DETTIME_LIM_FEAS: case TVLMIP_DETTIME_LIM_INFEAS:
      return true;
    default:
      return false;
  }
}

// The polish-after condition that ended the search, or nullptr when a
// regular limit did.
const char *after_reason(const tvlenv *env, const PolishPlan &plan, const Search &search, const TerminationSettings &t,
                         int status) {
  if (!plan.after_in_force) return nullptr;
  const Incumbent &inc = search.incumbent();
  switch (status) {
    case TVLMIP_OPTIMAL_TOL: {
      TerminationSettings regular = t;
      regular.polish_epgap = regular.polish_epagap = 0.0;
      return gap_closed(regular, inc.value(), search.record().best_bound) ? nullptr
                                                                           : " (PolishAfterEpGap, PolishAfterEpAGap)";
    }
    case TVLMIP_SOL_LIM:
      return inc.record().updates < t.intsollim ? " (PolishAfterIntSol)" : nullptr;
    case TVLMIP_NODE_LIM_FEAS:
      return search.record().nodes < t.nodelim ? " (PolishAfterNode)" : nullptr;
    case TVLMIP_TIME_LIM_FEAS:
      return plan.after_time < plan.time_limit ? " (PolishAfterTime)" : nullptr;
    default:
      (void)env;
      return nullptr;
  }
}

std::string upper_first(std::string s) {
  if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return s;
}

void announce(const tvlenv *env, const char *reason, int status, double seconds) {
  if (reason) {
    msg_results(env, "\nStarting condition for polishing reached%s.\n", reason);
    msg_results(env, "Starting solution polishing.\n\n");
    return;
  }
  msg_results(env, "\n%s.\n", upper_first(solution_status_text(status)).c_str());
  if (seconds >= 1000000.0) msg_results(env, "Spending an additional %.4e seconds polishing solution.\n\n", seconds);
  else msg_results(env, "Spending an additional %.0f seconds polishing solution.\n\n", seconds);
}

}  // namespace

PolishPlan polish_plan(const tvlenv *env) {
  PolishPlan p;
  p.polish_time = param_dbl(env, TVL_PARAM_POLISHTIME);
  p.after_time = param_dbl(env, TVL_PARAM_POLISHAFTERTIME);
  p.time_limit = param_dbl(env, TVL_PARAM_TILIM);
  p.after_in_force = polish_after_in_use(env);
  return p;
}

SearchTimeLimit::SearchTimeLimit(tvlenv *env, const PolishPlan &plan) : env_(env), saved_(time_limit_ref(env)) {
  if (plan.after_time < saved_) time_limit_ref(env) = plan.after_time;
}

SearchTimeLimit::~SearchTimeLimit() { time_limit_ref(env_) = saved_; }

int polish(tvlenv *env, Search &search, const PolishPlan &plan, int status, double elapsed, bool has_mip_start) {
  if (!plan.requested() || !polishable(status)) return status;
  const bool display = param_int(env, TVL_PARAM_MIPDISPLAY) >= 1;
  if (!search.incumbent().present()) {
    if (has_mip_start) {
      if (display) msg_results(env, "\nTrouble polishing MIP start.\n\n");
      return TVLMIP_FAIL_FEAS;
    }
    if (display) msg_results(env, "\nPolishing requested, but no solution to polish.\n\n");
    return TVLMIP_FAIL_INFEAS;
  }
  const TerminationSettings regular = termination_settings(env);
  const char *reason = after_reason(env, plan, search, regular, status);
  // The polishing time: the set time, else what the time limit leaves.
  const double seconds = plan.polish_time > 0.0 ? plan.polish_time
                                                : (plan.time_limit < kNoValue ? std::max(0.0, plan.time_limit - elapsed)
                                                                              : kNoValue);
  if (display) announce(env, reason, status, seconds);
  TerminationSettings lifted = regular;
  lifted.epgap = lifted.epagap = lifted.polish_epgap = lifted.polish_epagap = 0.0;
  lifted.nodelim = lifted.polish_node = lifted.intsollim = lifted.polish_intsol = kNoLimit;
  int polished;
  {
    const double saved = time_limit_ref(env);
    time_limit_ref(env) = seconds;
    RunScope clock(env);
    time_limit_ref(env) = saved;
    polished = search.resume(lifted);
  }
  switch (polished) {
    case TVLMIP_OPTIMAL: case TVLMIP_OPTIMAL_TOL: case TVLMIP_ABORT_FEAS:
      return polished;
    default:
      return status;
  }
}

}  // namespace tvl::mip
