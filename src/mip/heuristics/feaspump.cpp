#include "mip/heuristics/feaspump.h"

#include <algorithm>
#include <cmath>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "lp/lpcomp.h"
#include "mip/lp_rows.h"
#include "simplex/dualopt.h"
#include "simplex/primopt.h"

namespace tvl::mip {

double pump_threshold(double u) { return u <= 0.5 ? 2.0 * u * (1.0 - u) : 1.0 - 2.0 * u * (1.0 - u); }

int32_t pump_flip_count(uint32_t r, int32_t m) {
  if (m >= 21) return std::min(static_cast<int32_t>(r % 21) + 10, m);
  if (m >= 1) return static_cast<int32_t>(r % static_cast<uint32_t>(m)) + 1;
  return 0;
}

double pump_signature(const std::vector<double> &xt, const std::vector<int32_t> &scope) {
  double h = 0.0;
  for (size_t k = 0; k < scope.size(); ++k) h += (std::floor(xt[scope[k]] + 0.5) + 0.5) / static_cast<double>(k + 1);
  return h;
}

double pump_infeasibility(const std::vector<double> &x, const std::vector<int32_t> &scope, double tol) {
  double delta = 0.0;
  for (int32_t j : scope) {
    const double f = x[j] - std::floor(x[j] + tol);
    if (f > tol && f < 1.0 - tol) delta += f < 0.5 ? f : 1.0 - f;
  }
  return delta;
}

namespace {

constexpr double kUnset = 1e75;

// Builds ext from work and aux: column d_k after the n columns,
// rows x_j - d_k <= x~_j and -x_j - d_k <= -x~_j after the m rows; the
// basis has d_k basic and the row tight at the current x nonbasic.
void build_extended(const lp::LpModel &work, const std::vector<std::pair<int32_t, double>> &aux, double weight,
                    const std::vector<double> &x, const lp::Basis &basis, lp::LpModel &ext, lp::Basis &ebasis) {
  const int32_t n = work.a.n, m = work.a.m, k = static_cast<int32_t>(aux.size());
  // The d columns start empty; the rows below give them their entries.
  ext.a = work.a;
  ext.a.n = n + k;
  const int32_t end = ext.a.start.back();
  ext.a.start.resize(static_cast<size_t>(n + k) + 1, end);
  ext.rowlo = work.rowlo;
  ext.rowup = work.rowup;
  std::vector<LpRow> rows;
  rows.reserve(static_cast<size_t>(2 * k));
  for (int32_t i = 0; i < k; ++i) {
    const auto &[j, target] = aux[static_cast<size_t>(i)];
    rows.push_back({{j, n + i}, {1.0, -1.0}, -kInfBound, target});
    rows.push_back({{j, n + i}, {-1.0, -1.0}, -kInfBound, -target});
  }
  append_rows(ext, rows);
  ext.cost = work.cost;
  ext.cost.resize(static_cast<size_t>(n + k), weight);
  ext.collo = work.collo;
  ext.collo.resize(static_cast<size_t>(n + k), 0.0);
  ext.colup = work.colup;
  ext.colup.resize(static_cast<size_t>(n + k), kInfBound);
  ebasis = basis;
  ebasis.colstat.resize(static_cast<size_t>(n + k), 1);
  // The last LP's auxiliary part may have held more or fewer basic
  // variables than its rows (a distance of 0 leaves d_k nonbasic); the
  // difference is evened out on the new auxiliary rows so that the basis
  // keeps one basic variable per row.  Such a start may be primal
  // infeasible, which the primal simplex repairs in a few iterations.
  int32_t excess = -m;
  for (int8_t st : basis.colstat) excess += st == 1;
  for (int8_t st : basis.rowstat) excess += st == 1;
  for (const auto &[j, target] : aux) {
    const bool above = x[j] >= target;
    int8_t r1 = above ? 2 : 1, r2 = above ? 1 : 2;
    if (excess > 0) {
      (above ? r2 : r1) = 2;
      --excess;
    } else if (excess < 0) {
      (above ? r1 : r2) = 1;
      ++excess;
    }
    ebasis.rowstat.insert(ebasis.rowstat.end(), {r1, r2});
  }
  ext.offset = work.offset;
  ext.objsense = work.objsense;
}

// One pass of the pump loop over a fixed working copy of the root LP.
class Pump {
 public:
  Pump(const PumpInput &in, PumpRandom &rng, PumpState &st);
  void run();

 private:
  struct Seen {
    double signature, alpha;
  };
  bool too_large() const;
  int32_t round_point();
  bool stall_flip();
  void cycle_test(bool flipped);
  void perturb();
  void distance_objective();
  lp::LpResult solve();
  void progress();

  const PumpInput &in_;
  PumpRandom &rng_;
  PumpState &st_;
  const lp::LpModel &root_;
  lp::SimplexControl ctl_;
  std::vector<int32_t> scope_;
  std::vector<double> x_, xt_;
  std::vector<Seen> history_;
  std::vector<std::pair<int32_t, double>> aux_;  // column and x~ of interior general integers
  lp::LpModel work_;      // root LP with the distance objective
  lp::LpModel extended_;  // work_ with the auxiliary rows and columns (phase 2)
  lp::Basis basis_;
  double scale_ = 1.0;
  int64_t t_ = 0;
  double last_print_;
};

Pump::Pump(const PumpInput &in, PumpRandom &rng, PumpState &st)
    : in_(in), rng_(rng), st_(st), root_(*in.lp), ctl_(lp::simplex_control(in.env)), x_(in.x), work_(*in.lp),
      basis_(in.basis), last_print_(in.start_time) {
  const int32_t n = root_.a.n;
  for (int32_t j = 0; j < n; ++j) {
    const char t = (*in.ctype)[j];
    if (in.phase == 1 ? t == 'B' : t != 'C') scope_.push_back(j);
  }
  xt_.assign(static_cast<size_t>(n), kUnset);
  double q = 0.0;
  for (double c : root_.cost) q += c * c;
  if (q < 1e-10) st_.alpha = 0.0;
  else scale_ = std::sqrt(static_cast<double>(scope_.size()) / q);
  ctl_.display = 0;
  ctl_.factor.dense_partial_pivoting = true;  // as in the node LPs (mip/node_lp.h)
  const tvlenv *env = in.env;
  const double start = in.start_time, limit = in.time_limit;
  ctl_.limit_check = [env, start, limit](int64_t, const lp::SimplexProbe &) {
    if (env_time(env) - start > limit) return lp::LpStatus::TimeLimit;
    return lp::stop_status(limit_check(env));
  };
}

bool Pump::too_large() const {
  for (int32_t j : scope_)
    if (std::fabs(x_[j]) > 2.1e9) return true;
  return false;
}

int32_t Pump::round_point() {
  int32_t changed = 0;
  for (int32_t j : scope_) {
    if (std::fabs(x_[j] - xt_[j]) <= in_.tol) continue;
    const double tau = pump_threshold(rng_.uniform());
    // The bounds guard against an LP value a tolerance outside them.
    const double r = std::clamp(std::floor(x_[j] + tau), root_.collo[j], root_.colup[j]);
    if (r != xt_[j]) ++changed;
    xt_[j] = r;
  }
  return changed;
}

bool Pump::stall_flip() {
  std::vector<std::pair<double, int32_t>> far;
  for (int32_t j : scope_) {
    const double d = std::fabs(x_[j] - xt_[j]);
    if (d > in_.tol) far.push_back({d, j});
  }
  // Largest distance first; equal distances in column order.
  std::stable_sort(far.begin(), far.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
  const int32_t m = static_cast<int32_t>(far.size());
  const int32_t flips = pump_flip_count(rng_.draw(), m);
  for (int32_t k = 0; k < flips; ++k) {
    const int32_t j = far[k].second;
    xt_[j] += x_[j] > xt_[j] ? 1.0 : -1.0;
  }
  return flips > 0;
}

void Pump::perturb() {
  for (int32_t j : scope_) {
    const double u = rng_.uniform();
    const double lo = root_.collo[j], up = root_.colup[j];
    if (!(std::fabs(x_[j] - xt_[j]) + 0.03 > u && lo < up)) continue;
    if (xt_[j] == lo) xt_[j] += 1.0;
    else if (xt_[j] == up) xt_[j] -= 1.0;
    else xt_[j] += x_[j] > xt_[j] + 1e-10 ? 1.0 : -1.0;
  }
  ++st_.restarts;
}

void Pump::cycle_test(bool flipped) {
  const double h = pump_signature(xt_, scope_);
  for (Seen &s : history_) {
    if (std::fabs(s.signature - h) > 1e-13) continue;
    if (std::fabs(s.alpha - st_.alpha) >= 0.005) {
      s.alpha = st_.alpha;
      return;
    }
    if (!flipped) perturb();
    return;
  }
  history_.push_back({h, st_.alpha});
}

// The objective of this iteration; in phase 2 also the auxiliary columns
// and rows of the general integers strictly inside their bounds.
void Pump::distance_objective() {
  const int32_t n = root_.a.n;
  const double a = st_.alpha;
  for (int32_t j = 0; j < n; ++j) work_.cost[j] = a * scale_ * root_.cost[j];
  aux_.clear();
  for (int32_t j : scope_) {
    const double lo = root_.collo[j], up = root_.colup[j];
    if (xt_[j] == lo) work_.cost[j] += 1.0 - a;
    if (xt_[j] == up) work_.cost[j] -= 1.0 - a;
    if (in_.phase == 2 && (*in_.ctype)[j] == 'I' && lo < xt_[j] && xt_[j] < up) aux_.push_back({j, xt_[j]});
  }
}

lp::LpResult Pump::solve() {
  const lp::LpModel *model = &work_;
  lp::Basis start = basis_;
  if (!aux_.empty()) {
    build_extended(work_, aux_, 1.0 - st_.alpha, x_, basis_, extended_, start);
    if (basis_.empty()) start = lp::Basis{};
    model = &extended_;
  }
  const lp::Basis *warm = start.empty() ? nullptr : &start;
  lp::LpResult r = t_ == 0 ? lp::dual_simplex(*model, ctl_, warm) : lp::primal_simplex(*model, ctl_, warm);
  // The auxiliary rows and columns go again.
  r.x.resize(static_cast<size_t>(root_.a.n));
  r.basis.colstat.resize(static_cast<size_t>(root_.a.n));
  r.basis.rowstat.resize(static_cast<size_t>(root_.a.m));
  return r;
}

void Pump::progress() {
  if (in_.display < 1 || in_.quiet) return;
  const double now = env_time(in_.env);
  if (now - last_print_ < 10.0) return;
  last_print_ = now;
  msg_results(in_.env, "Feasibility pump: elapsed %.2f sec., phase %d, iter %d, best infeas %.2f\n",
              now - in_.start_time, in_.phase, static_cast<int>(t_), st_.best);
}

void Pump::run() {
  const int64_t max_iter = in_.phase == 1 ? 10000 : 2000;
  const int64_t max_stall = in_.phase == 1 ? 70 : 600;
  int64_t last_major = 0;
  for (;;) {
    if (env_time(in_.env) - in_.start_time > in_.time_limit || limit_check(in_.env)) break;
    if (t_ >= max_iter) break;
    st_.alpha *= 0.9;
    if (too_large()) break;
    bool flipped = false;
    if (round_point() == 0) flipped = stall_flip();
    cycle_test(flipped);
    distance_objective();
    lp::LpResult r = solve();
    switch (r.status) {
      case lp::LpStatus::Optimal: break;
      case lp::LpStatus::IterLimit: case lp::LpStatus::TimeLimit:
      case lp::LpStatus::DetTimeLimit: case lp::LpStatus::Aborted:
        st_.interrupted = true;
        st_.iterations = t_;
        return;
      default:
        st_.iterations = t_;
        return;
    }
    x_ = std::move(r.x);
    basis_ = std::move(r.basis);
    const double delta = pump_infeasibility(x_, scope_, in_.tol);
    if (delta < 0.9 * st_.best) last_major = t_;
    if (delta < st_.best) {
      st_.best = delta;
      st_.best_x = x_;
    } else if (t_ - last_major > max_stall) {
      break;
    }
    progress();
    if (delta < 1e-10) break;
    ++t_;
  }
  st_.iterations = t_;
}

}  // namespace

void feasibility_pump(const PumpInput &in, PumpRandom &rng, PumpState &state) {
  Pump pump(in, rng, state);
  pump.run();
}

}  // namespace tvl::mip
