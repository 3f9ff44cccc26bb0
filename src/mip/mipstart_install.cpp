#include "mip/mipstart_install.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/param.h"
#include "lp/lpcomp.h"
#include "mip/node_lp.h"

namespace tvl::mip {
namespace {

// A start's candidate: the solution, or none and the reason.
struct StartResult {
  std::vector<double> x;
  const char *why = nullptr;
};

StartResult failed(const char *why) { return {{}, why}; }

// The start as one value per column, NaN where it gives none.
std::vector<double> dense_values(const MipModel &model, const MipStart &s) {
  std::vector<double> v(static_cast<size_t>(model.n()), NAN);
  for (size_t k = 0; k < s.ind.size(); ++k)
    if (s.ind[k] >= 0 && s.ind[k] < model.n() && s.val[k] < kNoStartValue) v[s.ind[k]] = s.val[k];
  return v;
}

int32_t missing_integers(const MipModel &model, const std::vector<double> &v) {
  int32_t k = 0;
  for (int32_t j : model.intcols) k += std::isnan(v[j]) ? 1 : 0;
  return k;
}

bool complete_values(const std::vector<double> &v) {
  for (double a : v)
    if (std::isnan(a)) return false;
  return true;
}

// Rounded value of integer column j, or NaN when it lies outside the
// column's bounds.
double fixed_value(const MipModel &model, int32_t j, double v) {
  const double r = std::round(v);
  return r < model.lp.collo[j] || r > model.lp.colup[j] ? NAN : r;
}

StartResult checked(const MipModel &model, const std::vector<double> &v) {
  if (!complete_values(v)) return failed("values missing");
  if (max_violation(model, v) > kAcceptTol) return failed("infeasible");
  return {v, nullptr};
}

// Integer columns fixed at their values, the continuous ones by the LP.
StartResult solve_fixed(const tvlenv *env, const MipModel &model, const std::vector<double> &v) {
  std::vector<double> x = solve_with_fixed(env, model, v, model.intcols);
  if (x.empty()) return failed("infeasible");
  for (int32_t j : model.intcols) x[j] = std::round(x[j]);
  if (max_violation(model, x) > kAcceptTol) return failed("infeasible");
  return {std::move(x), nullptr};
}

// A quiet search of at most kSubMipNodes nodes on a variant of the model;
// its incumbent is the result.
StartResult sub_search(tvlenv *env, const MipModel &sub, const SearchSettings &settings) {
  SearchSettings s = settings;
  s.term.nodelim = kSubMipNodes;
  std::vector<double> x = run_sub_mip(env, sub, s);
  if (x.empty()) return failed("no solution found");
  return {std::move(x), nullptr};
}

// Integer columns with a value fixed, the rest searched for.
StartResult complete_by_search(tvlenv *env, const MipModel &model, const SearchSettings &settings,
                               const std::vector<double> &v) {
  MipModel sub = model;
  for (int32_t j : model.intcols) {
    if (std::isnan(v[j])) continue;
    const double r = fixed_value(model, j, v[j]);
    if (std::isnan(r)) return failed("infeasible");
    sub.lp.collo[j] = sub.lp.colup[j] = r;
  }
  return sub_search(env, sub, settings);
}

// The feasible solution nearest the start: the objective counts the
// integer columns that leave the bound at which the start puts them
// (general integer columns strictly inside their bounds are not counted).
StartResult repair(tvlenv *env, const MipModel &model, const SearchSettings &settings, const std::vector<double> &v) {
  MipModel sub = model;
  std::fill(sub.lp.cost.begin(), sub.lp.cost.end(), 0.0);
  sub.lp.offset = 0.0;
  for (int32_t j : model.intcols) {
    if (std::isnan(v[j])) continue;
    const double r = std::round(v[j]);
    if (r <= model.lp.collo[j]) sub.lp.cost[j] = 1.0;
    else if (r >= model.lp.colup[j]) sub.lp.cost[j] = -1.0;
  }
  sub.granularity = 1.0;
  sub.granularity_offset = 0.0;
  SearchSettings s = settings;
  s.cutoff = CutoffSettings{};
  s.cutoff.granularity = 1.0;
  return sub_search(env, sub, s);
}

StartResult try_start(tvlenv *env, const MipModel &model, const SearchSettings &settings, const MipStart &start) {
  const std::vector<double> v = dense_values(model, start);
  const bool complete_ints = missing_integers(model, v) == 0;
  int level = start.effort;
  if (level == TVL_MIPSTART_NOCHECK && complete_values(v)) return {v, nullptr};
  if (level == TVL_MIPSTART_NOCHECK || level == TVL_MIPSTART_AUTO)
    level = complete_ints ? TVL_MIPSTART_SOLVEFIXED : TVL_MIPSTART_SOLVEMIP;
  switch (level) {
    case TVL_MIPSTART_CHECKFEAS:
      return checked(model, v);
    case TVL_MIPSTART_SOLVEFIXED:
      return complete_ints ? solve_fixed(env, model, v) : failed("integer values missing");
    case TVL_MIPSTART_SOLVEMIP:
      return complete_by_search(env, model, settings, v);
    default: {
      StartResult r = complete_ints ? solve_fixed(env, model, v) : complete_by_search(env, model, settings, v);
      return r.x.empty() ? repair(env, model, settings, v) : r;
    }
  }
}

}  // namespace

std::vector<double> solve_with_fixed(const tvlenv *env, const MipModel &model, const std::vector<double> &v,
                                     const std::vector<int32_t> &fixed) {
  std::vector<BoundChange> fix;
  for (int32_t j : fixed) {
    const double r = fixed_value(model, j, v[j]);
    if (std::isnan(r)) return {};
    fix.push_back({j, r, r});
  }
  NodeLp lp(model, lp::simplex_control(env));
  lp.load(fix);
  lp::LpResult res = lp.solve();
  if (res.status != lp::LpStatus::Optimal) return {};
  return std::move(res.x);
}

int install_mip_starts(tvlenv *env, tvllp *lp, const MipModel &model, const SearchSettings &settings,
                       const std::function<bool(const std::vector<double> &)> &offer) {
  const MipStartSet *set = mipstarts_of(lp);
  if (!set) return 0;
  const bool show = param_int(env, TVL_PARAM_MIPDISPLAY) >= 1;
  int found = 0;
  for (const MipStart &start : set->starts) {
    if (!start.pending) continue;
    StartResult r;
    try {
      r = try_start(env, model, settings, start);
    } catch (const std::bad_alloc &) {
      msg_warning(env, "Warning: MIP starts not constructed because of out-of-memory status.\n");
      continue;
    }
    if (r.x.empty()) {
      if (show) msg_results(env, "MIP start '%s' gave no solution: %s.\n", start.name.c_str(), r.why);
      continue;
    }
    ++found;
    if (show)
      msg_results(env, "MIP start '%s' gave a solution of objective %.10g.\n", start.name.c_str(),
                  objective_of(model, r.x) * model.lp.objsense);
    if (!offer(r.x) && show) msg_results(env, "MIP start '%s' is not used: presolve excluded it.\n", start.name.c_str());
  }
  mipstarts_mark_installed(lp);
  return found;
}

}  // namespace tvl::mip
