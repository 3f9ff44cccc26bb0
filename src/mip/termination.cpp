#include "mip/termination.h"

#include <cmath>

#include "frame/callback.h"
#include "frame/param.h"

namespace tvl::mip {

TerminationSettings termination_settings(const tvlenv *env) {
  TerminationSettings s;
  s.epgap = param_dbl(env, TVL_PARAM_EPGAP);
  s.epagap = param_dbl(env, TVL_PARAM_EPAGAP);
  s.polish_epgap = param_dbl(env, TVL_PARAM_POLISHAFTEREPGAP);
  s.polish_epagap = param_dbl(env, TVL_PARAM_POLISHAFTEREPAGAP);
  s.intsollim = param_int(env, TVL_PARAM_INTSOLLIM);
  s.polish_intsol = param_int(env, TVL_PARAM_POLISHAFTERINTSOL);
  s.nodelim = param_int(env, TVL_PARAM_NODELIM);
  s.polish_node = param_int(env, TVL_PARAM_POLISHAFTERNODE);
  s.itlim = param_int(env, TVL_PARAM_ITLIM);
  s.trelim_mb = param_dbl(env, TVL_PARAM_TRELIM);
  return s;
}

bool gap_closed(const TerminationSettings &s, double z, double b) {
  const double d = std::fabs(z - b);
  const double scale = std::fabs(z) + 1e-10;
  if (d <= 1.0000000000001 * s.epagap || d <= s.epgap * scale) return true;
  return d <= 1.0000000000001 * s.polish_epagap || d <= s.polish_epgap * scale;
}

int exhausted_status(const TerminationSettings &s, bool feasible) {
  if (!feasible) return TVLMIP_INFEASIBLE;
  if (s.pool_mode == 2) return s.pool_gaps_finite ? TVLMIP_OPTIMAL_POPULATED_TOL : TVLMIP_OPTIMAL_POPULATED;
  return TVLMIP_OPTIMAL;
}

int stop_request_status(int check, bool feasible) {
  switch (check) {
    case TVL_STAT_ABORT_TIME_LIM: return feasible ? TVLMIP_TIME_LIM_FEAS : TVLMIP_TIME_LIM_INFEAS;
    case TVL_STAT_ABORT_DETTIME_LIM: return feasible ? TVLMIP_DETTIME_LIM_FEAS : TVLMIP_DETTIME_LIM_INFEAS;
    default: return feasible ? TVLMIP_ABORT_FEAS : TVLMIP_ABORT_INFEAS;
  }
}

int termination_status(const tvlenv *env, const TerminationSettings &s, const SearchProgress &p) {
  const bool f = p.feasible;
  if (const int check = limit_check(env)) return stop_request_status(check, f);
  if (s.pool_mode != 0 && p.generated >= s.populate_limit) return TVLMIP_POPULATESOL_LIM;
  if (f && (p.bound_cut_off || (!s.enumerate && gap_closed(s, p.incumbent, p.bound)))) {
    if (s.pool_mode == 2) return s.pool_gaps_finite ? TVLMIP_OPTIMAL_POPULATED_TOL : TVLMIP_OPTIMAL_POPULATED;
    return p.bound == p.incumbent ? TVLMIP_OPTIMAL : TVLMIP_OPTIMAL_TOL;
  }
  if (s.pool_mode == 0 && (p.updates >= s.intsollim || (f && p.updates >= s.polish_intsol))) return TVLMIP_SOL_LIM;
  if (p.iterations >= s.itlim) return f ? TVLMIP_ABORT_IT_LIM_FEAS : TVLMIP_ABORT_IT_LIM_INFEAS;
  if (p.nodes >= s.nodelim) return f ? TVLMIP_NODE_LIM_FEAS : TVLMIP_NODE_LIM_INFEAS;
  if (f && p.nodes >= s.polish_node) return TVLMIP_NODE_LIM_FEAS;
  if (p.tree_mb > s.trelim_mb) return f ? TVLMIP_MEM_LIM_FEAS : TVLMIP_MEM_LIM_INFEAS;
  return 0;
}

}  // namespace tvl::mip
