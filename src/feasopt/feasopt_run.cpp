#include "feasopt/feasopt_run.h"

#include <algorithm>

#include "feasopt/aux_model.h"
#include "feasopt/square_cuts.h"
#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/error.h"
#include "frame/param.h"
#include "frame/solution.h"

namespace tvl::feasopt {

namespace {

const char *const kMeasureName[] = {"sum of infeasibilities", "number of infeasibilities",
                                    "sum of squared infeasibilities"};

// Model parts a relaxation cannot move and would have to keep as hard
// constraints: answered with 1212 rather than a relaxation that ignores them.
bool unsupported(TVLENVptr env, tvllp *lp, int mode) {
  if (TVLgetnumqconstrs(env, lp) > 0 || TVLgetnumindconstrs(env, lp) > 0) return true;
  if (TVLgetnumlazyconstraints(env, lp) > 0) return true;
  // Phase 2 would need a quadratic optimizer.
  return (mode % 2) == 1 && TVLgetnumquad(env, lp) > 0;
}

// One phase's solve: the plain model, or the tangent-cut rounds of the
// squared measure.
Outcome solve_phase(AuxModel &aux, const std::vector<Item> &items, Measure kind, bool first, int64_t &its,
                    double &measure) {
  if (kind != Measure::Squares) {
    Outcome out = aux.solve(its);
    measure = out.objval;
    return out;
  }
  int rounds = 0;
  Outcome out = solve_squares(aux, items, first, its, measure, rounds);
  msg_results(aux.env(), "Feasopt: %d cutting-plane round%s.\n", rounds, rounds == 1 ? "" : "s");
  return out;
}

double objective_at(const LpData &d, const std::vector<double> &x) {
  double obj = d.objoffset;
  for (int32_t j = 0; j < d.ncols; ++j) obj += d.obj[j] * x[j];
  return obj;
}

// The problem's own objective at x including a quadratic part 1/2 x'Qx.
double full_objective(const tvllp *lp, const std::vector<double> &x) {
  double obj = objective_at(*lp->lp, x);
  const QuadObj *q = lp->parts ? lp->parts->qobj : nullptr;
  if (!q || q->qbeg.size == 0) return obj;
  double quad = 0.0;
  for (int32_t j = 0; j < lp->lp->ncols; ++j)
    for (int32_t k = q->qbeg[j]; k < q->qbeg[j + 1]; ++k) quad += x[j] * q->qval[k] * x[q->qind[k]];
  return obj + 0.5 * quad;
}

struct Result {
  int status = 0;
  bool point = false;
  std::vector<double> x;   // the problem's columns
  double objval = 0.0;
  double measure = 0.0;
  int64_t iterations = 0;
};

int store(tvllp *lp, const Result &r, double feastol) {
  discard_derived(lp, kDropSolution | kDropMipState | kDropPool);
  SolutionRecord *s = solution_of(lp);
  if (!s) return TVLERR_OUT_OF_MEMORY;
  s->status = r.status;
  s->method = TVL_ALG_FEASOPT;
  s->itcnt = r.iterations;
  if (!r.point) return 0;
  const LpData &d = *lp->lp;
  s->incumbent = is_mip_type(lp->type);
  s->has_primal = true;
  s->pfeas = r.measure <= feastol;
  s->objval = r.objval;
  s->x = r.x;
  s->ax = row_activity(d, s->x.data());
  s->slack.resize(static_cast<size_t>(d.nrows));
  for (int32_t i = 0; i < d.nrows; ++i) s->slack[i] = d.rhs[i] - s->ax[i];
  return 0;
}

// Status code for a stored relaxation.
int relaxed_status(bool mip, Measure kind, bool optimal) {
  return (mip ? TVLMIP_FEASIBLE_RELAXED_SUM : TVL_STAT_FEASIBLE_RELAXED_SUM) + 2 * static_cast<int>(kind) +
         (optimal ? 1 : 0);
}

// Reads the problem's columns of an outcome and measures them.
void take_point(const tvllp *lp, const std::vector<Item> &items, Measure kind, const Outcome &o, double tol,
                Result &r) {
  r.point = true;
  r.x.assign(o.x.begin(), o.x.begin() + lp->lp->ncols);
  const std::vector<double> ax = row_activity(*lp->lp, r.x.data());
  r.measure = measure_of(items, kind, r.x.data(), ax.data(), tol);
}

}  // namespace

int run_feasopt(TVLENVptr env, tvllp *lp, const Prefs &prefs) {
  const int mode = param_int(env, TVL_PARAM_FEASOPTMODE);
  const Measure kind = static_cast<Measure>(mode / 2);
  const bool phase2 = mode % 2 == 1;
  const double eprelax = param_dbl(env, TVL_PARAM_EPRELAX);
  const double feastol = param_dbl(env, TVL_PARAM_EPRHS);
  if (unsupported(env, lp, mode)) return TVLERR_CONSTRAINT_TYPE_UNSUPPORTED_BY_TVLFEASOPT;
  std::vector<Item> items;
  if (int st = collect_items(lp, prefs, items)) return st;
  const bool mip_problem = is_mip_type(lp->type);

  RunScope scope(env);  // one clock for every solve of the relaxation
  AuxModel aux(env, kind);
  if (int st = aux.build(lp, items)) return st;
  msg_results(env, "Feasopt mode %d: minimum %s over %zu relaxable bound%s, %s model.\n", mode,
              kMeasureName[static_cast<int>(kind)], items.size(), items.size() == 1 ? "" : "s",
              aux.mip() ? "mixed-integer" : "linear");
  msg_results(env, "Feasopt phase 1: minimising the relaxation.\n");
  Result r;
  double minimum = 0.0;
  Outcome first = solve_phase(aux, items, kind, true, r.iterations, minimum);
  if (first.error) return first.error;
  if (!first.point) {
    r.status = first.infeasible ? (mip_problem ? TVLMIP_INFEASIBLE : TVL_STAT_INFEASIBLE) : TVLMIP_ABORT_RELAXED;
    msg_results(env, "Feasopt: %s.\n", first.infeasible ? "no relaxation is feasible" : "stopped before a relaxation was found");
    return store(lp, r, feastol);
  }
  take_point(lp, items, kind, first, feastol, r);
  msg_results(env, "Feasopt phase 1: relaxation measure %.10g%s.\n", r.measure, first.optimal ? "" : " (not proved minimal)");
  if (phase2 && first.optimal) {
    const double bound = minimum * (1.0 + eprelax) + eprelax;
    msg_results(env, "Feasopt phase 2: optimising the objective with measure <= %.10g.\n", bound);
    if (int st = aux.bound_measure(items, bound)) return st;
    double ignored = 0.0;
    Outcome second = solve_phase(aux, items, kind, false, r.iterations, ignored);
    if (second.error) return second.error;
    if (second.point && (second.optimal || kind != Measure::Squares)) take_point(lp, items, kind, second, feastol, r);
    else
      msg_results(env, "Feasopt phase 2: %s; the phase 1 relaxation is kept.\n",
                  second.stat == TVL_STAT_UNBOUNDED || second.stat == TVLMIP_UNBOUNDED || second.stat == TVLMIP_INForUNBD ||
                          second.stat == TVL_STAT_INForUNBD
                      ? "the objective is unbounded among these relaxations"
                      : "stopped without a better point");
  }
  r.status = relaxed_status(mip_problem, kind, first.optimal && !phase2);
  r.objval = phase2 ? full_objective(lp, r.x) : r.measure;
  msg_results(env, "Feasopt: measure %.10g, objective %.10g.\n", r.measure, full_objective(lp, r.x));
  return store(lp, r, feastol);
}

}  // namespace tvl::feasopt
