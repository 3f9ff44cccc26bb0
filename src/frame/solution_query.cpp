// Solution status, values and counters of the last optimizer run.
#include <algorithm>
#include <cstring>

#include "frame/basis.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/solution_view.h"

namespace tvl {

int open_view(const tvlenv *env, const tvllp *lp, SolutionView *view) {
  int st = check_env(env, is_problem(lp) ? lp : nullptr);
  if (st) return st;
  if (!is_problem(lp)) return TVLERR_NO_PROBLEM_EXISTS;
  auto *mlp = const_cast<tvllp *>(lp);
  st = complete(const_cast<tvlenv *>(env), mlp);
  if (st) return st;
  const tvllp *source = is_fixed_type(lp->type) && lp->inner ? lp->inner : lp;
  view->lp = source;
  view->soln = source->soln;
  view->mip = lp->type == 1 || lp->type == 7 || lp->type == 11;
  view->quadratic = lp->type == 5 || lp->type == 7 || lp->type == 8 || lp->type == 9;
  view->m = source->lp->nrows;
  view->n = source->lp->ncols;
  return 0;
}

static bool has_continuous(const SolutionView &v) {
  const SolutionRecord *s = v.soln;
  return s && s->status != 0 && s->has_primal && method_has_solution(s->method, v.quadratic);
}

int need_primal(const SolutionView &v) {
  if (v.mip) {
    if (!v.soln || !v.soln->incumbent) return TVLERR_NO_SOLUTION_EXISTS;
    return v.soln->has_primal ? 0 : TVLERR_INTEGER_FEASIBLE_SOLUTION_VALUES_ARE_UNAVAILABLE;
  }
  return has_continuous(v) ? 0 : TVLERR_NO_SOLUTION_EXISTS;
}

int need_dual(const SolutionView &v) {
  if (v.mip) return TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS;
  if (!has_continuous(v)) return TVLERR_NO_SOLUTION_EXISTS;
  return v.soln->has_dual ? 0 : TVLERR_NO_DUAL_SOLUTION_EXISTS;
}

int need_objective(const SolutionView &v) {
  if (v.mip) return v.soln && v.soln->incumbent ? 0 : TVLERR_NO_SOLUTION_EXISTS;
  return has_continuous(v) ? 0 : TVLERR_NO_SOLUTION_EXISTS;
}

int check_range(const tvlenv *env, const char *fname, int begin, int end, int count) {
  if (begin < 0) {
    report(env, TVLERR_BEGIN_VALUE_IS_LESS_THAN, fname, begin, 0);
    return TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES;
  }
  if (end > count - 1) {
    report(env, TVLERR_END_VALUE_IS_GREATER_THAN, fname, end, count - 1);
    return TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES;
  }
  return 0;
}

}  // namespace tvl

using tvl::SolutionView;

namespace {

enum class Part { X, Pi, Slack, Dj, Ax };

const std::vector<double> &part_values(const tvl::SolutionRecord &s, Part part) {
  switch (part) {
    case Part::X: return s.x;
    case Part::Pi: return s.pi;
    case Part::Slack: return s.slack;
    case Part::Dj: return s.dj;
    default: return s.ax;
  }
}

// Common body of the range queries over one stored vector.
int get_range(TVLCENVptr env, TVLCLPptr lp, double *out, int begin, int end, Part part,
              const char *fname) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (!st && !out) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  const bool dual = part == Part::Pi || part == Part::Dj;
  if (!st) st = dual ? tvl::need_dual(v) : tvl::need_primal(v);
  if (!st && part == Part::Ax && v.mip && v.soln->ax.empty()) {
    st = TVLERR_INTEGER_FEASIBLE_SOLUTION_VALUES_ARE_UNAVAILABLE;
  }
  const bool rows = part != Part::X && part != Part::Dj;
  if (!st) st = tvl::check_range(env, fname, begin, end, rows ? v.m : v.n);
  if (st) return tvl::boundary(env, st);
  const std::vector<double> &src = part_values(*v.soln, part);
  for (int k = begin; k <= end; ++k) out[k - begin] = src[static_cast<size_t>(k)];
  return 0;
}

// Counter query: the count, or 0 after reporting 1217 without run data.
int get_counter(TVLCENVptr env, TVLCLPptr lp, int64_t tvl::SolutionRecord::*field) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (!st && (!v.soln || v.soln->status == 0)) st = TVLERR_NO_SOLUTION_EXISTS;
  if (st) {
    tvl::boundary(env, st);
    return 0;
  }
  return static_cast<int>(std::min<int64_t>(v.soln->*field, 2100000000));
}

}  // namespace

extern "C" {

int TVLgetstat(TVLCENVptr env, TVLCLPptr lp) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (st) {
    tvl::boundary(env, st);
    return 0;
  }
  return v.soln ? v.soln->status : 0;
}

int TVLsolution(TVLCENVptr env, TVLCLPptr lp, int *lpstat_p, double *objval_p, double *x,
                double *pi, double *slack, double *dj) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (st) return tvl::boundary(env, st);
  if (v.mip) {
    if (pi || dj) return tvl::boundary(env, TVLERR_NOT_AVAILABLE_FOR_MIXED_INTEGER_PROGRAMS);
    st = tvl::need_objective(v);
    if (!st && (x || slack)) st = tvl::need_primal(v);
  } else {
    st = tvl::need_primal(v);
    if (!st && (pi || dj)) st = tvl::need_dual(v);
  }
  if (st) return tvl::boundary(env, st);
  const tvl::SolutionRecord &s = *v.soln;
  if (lpstat_p) *lpstat_p = s.status;
  if (objval_p) *objval_p = s.objval;
  if (x) std::copy(s.x.begin(), s.x.end(), x);
  if (slack) std::copy(s.slack.begin(), s.slack.end(), slack);
  if (pi) std::copy(s.pi.begin(), s.pi.end(), pi);
  if (dj) std::copy(s.dj.begin(), s.dj.end(), dj);
  return 0;
}

int TVLsolninfo(TVLCENVptr env, TVLCLPptr lp, int *solnmethod_p, int *solntype_p, int *pfeasind_p,
                int *dfeasind_p) {
  int method = TVL_ALG_NONE, type = TVL_NO_SOLN, pfeas = 0, dfeas = 0;
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (st) return tvl::boundary(env, st);
  const tvl::SolutionRecord *s = v.soln;
  if (v.mip) {
    if (s && s->status != 0) method = s->status >= 120 && s->status <= 127 ? 11 : 12;
    if (s && s->incumbent) {
      type = TVL_PRIMAL_SOLN;
      if (s->pfeas) {
        pfeas = 1;
        dfeas = s->dfeas ? 1 : 0;
      }
    }
  } else if (tvl::need_primal(v) == 0) {
    method = s->method;
    pfeas = s->pfeas ? 1 : 0;
    dfeas = s->dfeas ? 1 : 0;
    if (!s->has_dual) type = TVL_PRIMAL_SOLN;
    else type = tvl::basis_present(v.lp) ? TVL_BASIC_SOLN : TVL_NONBASIC_SOLN;
  }
  if (solnmethod_p) *solnmethod_p = method;
  if (solntype_p) *solntype_p = type;
  if (pfeasind_p) *pfeasind_p = pfeas;
  if (dfeasind_p) *dfeasind_p = dfeas;
  return 0;
}

int TVLgetobjval(TVLCENVptr env, TVLCLPptr lp, double *objval_p) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (!st && !objval_p) st = TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  if (!st) st = tvl::need_objective(v);
  if (st) return tvl::boundary(env, st);
  *objval_p = v.soln->objval;
  return 0;
}

int TVLgetx(TVLCENVptr env, TVLCLPptr lp, double *x, int begin, int end) {
  return get_range(env, lp, x, begin, end, Part::X, "TVLgetx");
}
int TVLgetpi(TVLCENVptr env, TVLCLPptr lp, double *pi, int begin, int end) {
  return get_range(env, lp, pi, begin, end, Part::Pi, "TVLgetpi");
}
int TVLgetslack(TVLCENVptr env, TVLCLPptr lp, double *slack, int begin, int end) {
  return get_range(env, lp, slack, begin, end, Part::Slack, "TVLgetslack");
}
int TVLgetdj(TVLCENVptr env, TVLCLPptr lp, double *dj, int begin, int end) {
  return get_range(env, lp, dj, begin, end, Part::Dj, "TVLgetdj");
}
int TVLgetax(TVLCENVptr env, TVLCLPptr lp, double *x, int begin, int end) {
  return get_range(env, lp, x, begin, end, Part::Ax, "TVLgetax");
}

int TVLgetmethod(TVLCENVptr env, TVLCLPptr lp) {
  SolutionView v;
  int st = tvl::open_view(env, lp, &v);
  if (!st) {
    if (v.mip) {
      if (v.soln && v.soln->status != 0) {
        return v.soln->status >= 120 && v.soln->status <= 127 ? 11 : 12;
      }
      st = TVLERR_NO_SOLUTION_EXISTS;
    } else {
      st = tvl::need_primal(v);
      if (!st) return v.soln->method;
    }
  }
  tvl::boundary(env, st);
  return TVL_ALG_NONE;
}

int TVLgetitcnt(TVLCENVptr env, TVLCLPptr lp) { return get_counter(env, lp, &tvl::SolutionRecord::itcnt); }
int TVLgetphase1cnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::phase1cnt);
}
int TVLgetbaritcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::baritcnt);
}
int TVLgetcrossppushcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::crossppush);
}
int TVLgetcrosspexchcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::crosspexch);
}
int TVLgetcrossdpushcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::crossdpush);
}
int TVLgetcrossdexchcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::crossdexch);
}
int TVLgetpsbcnt(TVLCENVptr env, TVLCLPptr lp) { return get_counter(env, lp, &tvl::SolutionRecord::psbcnt); }
int TVLgetdsbcnt(TVLCENVptr env, TVLCLPptr lp) { return get_counter(env, lp, &tvl::SolutionRecord::dsbcnt); }
int TVLgetsiftitcnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::siftitcnt);
}
int TVLgetsiftphase1cnt(TVLCENVptr env, TVLCLPptr lp) {
  return get_counter(env, lp, &tvl::SolutionRecord::siftphase1cnt);
}

}  // extern "C"
