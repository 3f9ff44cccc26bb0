#include "mip/presolve/mip_presolve.h"

#include <cmath>
#include <numeric>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "lp/lpcomp.h"
#include "mip/node_lp.h"
#include "mip/presolve/bound_tighten.h"
#include "mip/presolve/gcd_rows.h"
#include "mip/presolve/coef_strengthen.h"
#include "mip/presolve/lp_reductions.h"
#include "simplex/flow_presolve.h"

namespace tvl::mip {

namespace {

// Rounds of grid rounding and bound tightening after the LP reductions.
constexpr int kGridRounds = 4;

std::vector<int32_t> compose(const std::vector<int32_t> &outer, const std::vector<int32_t> &inner) {
  std::vector<int32_t> out(inner.size());
  for (size_t k = 0; k < inner.size(); ++k) out[k] = outer[inner[k]];
  return out;
}

}  // namespace

int presolve_verdict(int presolve_status) {
  switch (presolve_status) {
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE: return TVLMIP_INFEASIBLE;
    case TVLERR_ABORTED_DURING_PRESOLVE: return TVLMIP_ABORT_INFEAS;
    case TVLERR_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE: return TVLMIP_TIME_LIM_INFEAS;
    case TVLERR_DETERMINISTIC_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE: return TVLMIP_DETTIME_LIM_INFEAS;
    default: return TVLMIP_INForUNBD;  // infeasible or unbounded, unbounded
  }
}

MipPresolve::MipPresolve(tvlenv *env, const tvllp *lp) : env_(env), lp_(lp) {}

MipPresolve::~MipPresolve() = default;

std::function<std::string(int32_t)> MipPresolve::colname() const {
  auto names = lp::caller_var_names(lp_->lp, nullptr);
  return [names, this](int32_t j) { return names(colmap_[j]); };
}

std::function<std::string(int32_t)> MipPresolve::rowname() const {
  auto names = lp::caller_var_names(lp_->lp, nullptr);
  const int32_t n = lp_->lp->ncols;
  return [names, n, this](int32_t i) { return names(n + rowmap_[i]); };
}

int MipPresolve::run(const MipModel &original) {
  original_ = &original;
  model_ = original;
  colmap_.resize(static_cast<size_t>(original.n()));
  rowmap_.resize(static_cast<size_t>(original.m()));
  std::iota(colmap_.begin(), colmap_.end(), 0);
  std::iota(rowmap_.begin(), rowmap_.end(), 0);
  if (param_int(env_, TVL_PARAM_PREIND) == 0) return 0;
  const bool display = param_int(env_, TVL_PARAM_MIPDISPLAY) != 0;
  const bool messages = display && param_int(env_, kParamPresolveReport) != 0;
  const double t0 = env_time(env_);
  tvlenv *env = env_;
  auto sink = [env, messages](const std::string &text) {
    if (messages) msg_results(env, "%s", text.c_str());
  };
  lp::PresolveSettings settings = lp::presolve_settings(env_, lp_, true);
  settings.kind = "MIP";
  settings.messages = messages;
  settings.sink = sink;
  settings.termination = [env] { return limit_check(env); };
  settings.clock = [env] { return env_time(env); };
  const bool primal = (settings.reduce & 1) != 0;

  // The name functions read the column and row maps when called, so they
  // follow the reductions below.
  ActivityBoundTightening tightening(settings.feastol, sink);
  tightening.set_names(rowname(), colname());
  GcdRowTightening gcd(settings.feastol, sink);
  gcd.set_names(rowname(), colname());
  // A bound-only reduction (primal: it keeps every feasible point).
  auto bounds_only = [&](MipReduction &r) {
    if (!primal || model_.n() == 0) return 0;
    const ReductionOutcome out = r.apply(model_);
    tightened_ |= out.changed;
    return out.status;
  };
  auto tighten = [&] { return bounds_only(tightening); };
  auto grid = [&] { return bounds_only(gcd); };
  int status = grid();
  if (status == 0) status = tighten();
  // Removing or substituting columns would have to follow the members of
  // special structures; with any present only the bounds are tightened.
  if (status == 0 && !original.has_special()) {
    IntegralLpReductions reductions(settings);
    ReductionOutcome out = reductions.apply(model_);
    status = out.status;
    dual_used_ = settings.reduce >= 2 && (out.changed || status != 0);
    if (out.step) {
      colmap_ = compose(colmap_, out.step->colmap());
      rowmap_ = compose(rowmap_, out.step->rowmap());
      steps_.push_back(std::move(out.step));
    }
  }
  // Grids and activity bounds feed each other (a bound a row implies can
  // round to a column's congruence, which bounds the next row): a few
  // rounds while either moves.
  for (int round = 0; status == 0 && round < kGridRounds; ++round) {
    const int before = gcd.tightened() + tightening.improved();
    status = grid();
    if (status == 0) status = tighten();
    if (gcd.tightened() + tightening.improved() == before) break;
  }
  // Coefficients last: they follow from the rows' activity ranges, which
  // the bounds above have narrowed.
  if (status == 0 && primal && model_.n() > 0 && !original.has_special()) {
    CoefficientStrengthening coefficients(settings.feastol);
    tightened_ |= coefficients.apply(model_).changed;
  }
  if (status == 0 && messages && !steps_.empty() && model_.n() > 0) {
    int binaries = 0, generals = 0;
    for (int32_t j : model_.intcols) {
      if (model_.lp.collo[j] == 0.0 && model_.lp.colup[j] == 1.0) ++binaries;
      else ++generals;
    }
    msg_results(env_, "Reduced MIP has %d binaries, %d generals, %d SOSs, and %d indicators.\n", binaries, generals,
                static_cast<int>(model_.sos.size()), static_cast<int>(model_.indicators.size()));
  }
  if (display) msg_results(env_, "Presolve time = %7.2f sec.\n", env_time(env_) - t0);
  return status;
}

std::vector<double> MipPresolve::crush(const std::vector<double> &x) const {
  std::vector<double> y(colmap_.size());
  for (size_t k = 0; k < colmap_.size(); ++k) y[k] = x[colmap_[k]];
  return y;
}

std::vector<double> MipPresolve::postsolve(const std::vector<double> &x) const {
  std::vector<double> y = x;
  for (size_t k = steps_.size(); k-- > 0;) y = steps_[k]->undo(y);
  const MipModel &orig = *original_;
  if (y.size() != static_cast<size_t>(orig.n())) return {};
  for (int32_t j : orig.intcols) y[j] = std::round(y[j]);
  if (max_violation(orig, y) <= kAcceptTol) return y;
  // The continuous columns again, for the integer values found.
  const std::vector<double> z = solve_continuous_part(orig, y, lp::simplex_control(env_));
  return !z.empty() && max_violation(orig, z) < max_violation(orig, y) ? z : y;
}

}  // namespace tvl::mip
