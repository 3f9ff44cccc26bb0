#include "mip/heuristics/root_pump.h"

#include <algorithm>
#include <cmath>

#include "frame/env.h"
#include "frame/param.h"
#include "mip/heuristics/feaspump.h"
#include "mip/mipstart_install.h"

namespace tvl::mip {

namespace {

constexpr uint64_t kPumpSeed = 20070101;

std::vector<char> column_types(const MipModel &model) {
  std::vector<char> t(static_cast<size_t>(model.n()), 'C');
  for (int32_t j : model.intcols) t[j] = model.lp.collo[j] >= 0.0 && model.lp.colup[j] <= 1.0 ? 'B' : 'I';
  return t;
}

std::vector<int32_t> columns_of(const std::vector<char> &t, char type) {
  std::vector<int32_t> cols;
  for (int32_t j = 0; j < static_cast<int32_t>(t.size()); ++j)
    if (t[j] == type) cols.push_back(j);
  return cols;
}

}  // namespace

bool pump_wanted(int fpheur, bool has_incumbent) {
  if (fpheur < 0) return false;
  return fpheur > 0 || !has_incumbent;
}

void run_root_pump(HeurInput &in, int fpheur, Points &found) {
  const MipModel &model = *in.model;
  if (model.intcols.empty() || model.has_special()) return;
  const std::vector<char> ctype = column_types(model);
  const std::vector<int32_t> binaries = columns_of(ctype, 'B');
  const bool general = binaries.size() < model.intcols.size();
  const double tilim = param_dbl(in.env, TVL_PARAM_TILIM);

  PumpInput pin;
  pin.env = in.env;
  // The node LP as solved at the root carries the root's cuts, and the
  // root basis fits them; its column bounds are the root's again (a dive
  // may have left others).
  lp::LpModel root;
  if (in.node_lp) {
    root = in.node_lp->current();
    for (int32_t j = 0; j < model.n(); ++j) {
      root.collo[j] = in.node_lp->root_lower(j);
      root.colup[j] = in.node_lp->root_upper(j);
    }
  }
  pin.lp = in.node_lp ? &root : &model.lp;
  pin.ctype = &ctype;
  pin.x = in.lp->x;
  pin.basis = in.lp->basis;
  pin.tol = in.epint;
  pin.start_time = env_time(in.env);
  pin.time_limit = std::min(30.0, (fpheur == 0 ? 0.1 : 0.25) * tilim);
  pin.display = param_int(in.env, TVL_PARAM_MIPDISPLAY);
  PumpRandom rng(kPumpSeed);
  PumpState st;
  st.alpha = fpheur == 1 ? 0.0 : 1.0;

  std::vector<double> point;
  if (!binaries.empty()) {
    pin.phase = 1;
    feasibility_pump(pin, rng, st);
    if (st.best >= 1e-10) return;
    point = solve_with_fixed(in.env, model, st.best_x, binaries);
    if (point.empty()) return;
    if (!general || pump_infeasibility(point, model.intcols, in.epint) < 1e-10) {
      keep_if_feasible(in, solve_with_fixed(in.env, model, point, model.intcols), found);
      return;
    }
    // Phase 2 on every integer column from the phase-1 point.
    pin.x = st.best_x;
    pin.basis = lp::Basis{};
  }
  pin.phase = 2;
  st.best = 1e75;
  st.best_x.clear();
  feasibility_pump(pin, rng, st);
  if (st.best >= 1e-10) return;
  keep_if_feasible(in, solve_with_fixed(in.env, model, st.best_x, model.intcols), found);
}

}  // namespace tvl::mip
