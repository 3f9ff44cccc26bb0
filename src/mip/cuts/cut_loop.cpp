#include "mip/cuts/cut_loop.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "frame/callback.h"
#include "frame/infinity.h"
#include "frame/param.h"
#include "mip/cuts/cut_pool.h"
#include "mip/cuts/tableau.h"

namespace tvl::mip {

namespace {

constexpr int kAutoPasses = 50;
constexpr int kStallRounds = 10;
constexpr int kMaxAge = 3;

}  // namespace

CutLoopSettings cut_loop_settings(const tvlenv *env) {
  return {param_int(env, TVL_PARAM_CUTPASS), param_int(env, TVL_PARAM_MIPEMPHASIS),
          param_dbl(env, TVL_PARAM_CUTSFACTOR), param_int(env, TVL_PARAM_FRACCUTS), param_int(env, TVL_PARAM_COVERS),
          param_int(env, TVL_PARAM_MIRCUTS), param_int(env, TVL_PARAM_AGGCUTLIM), param_int(env, TVL_PARAM_FRACCAND),
          env, param_int(env, TVL_PARAM_CLIQUES), param_int(env, TVL_PARAM_IMPLBD), nullptr};
}

RootCutLoop::RootCutLoop(const MipModel &model, const CutLoopSettings &settings) : model_(model), s_(settings) {
  if (s_.passes < 0 || model.intcols.empty() || model.has_special() || model.m() == 0) return;
  max_passes_ = s_.passes > 0 ? s_.passes : s_.emphasis == 1 ? 3 : kAutoPasses;
  separators_ = make_cut_families(s_, 0, true);
}

int32_t max_cut_length(const MipModel &model) {
  if (model.n() <= kDenseCutColumns) return model.n();
  const int64_t nz = static_cast<int64_t>(model.lp.a.index.size());
  return static_cast<int32_t>(std::max<int64_t>(200, 10 * nz / std::max(1, model.m())));
}

std::vector<CutFamily> make_cut_families(const CutLoopSettings &s, int min_effort, bool with_gomory) {
  std::vector<CutFamily> out;
  if (s.cliques >= min_effort) out.push_back({make_clique_separator(), s.cliques});
  if (s.implbd >= min_effort && s.implications && !s.implications->empty())
    out.push_back({make_implied_bound_separator(s.implications), s.implbd});
  if (s.covers >= min_effort) out.push_back({make_cover_separator(), s.covers});
  if (s.mircuts >= min_effort) out.push_back(make_mir_family(s));
  if (s.fraccuts >= min_effort && with_gomory) out.push_back({make_gomory_separator(), s.fraccuts});
  return out;
}

CutFamily make_mir_family(const CutLoopSettings &s) {
  return {make_mir_separator(s.aggregation, s.mircuts >= 1 ? s.implications : nullptr), s.mircuts};
}

RootCutLoop::~RootCutLoop() = default;

void RootCutLoop::remove(NodeLp &lp, lp::LpResult &r, const std::vector<char> &drop) {
  const size_t m0 = static_cast<size_t>(model_.m());
  lp.remove_rows(drop, r.basis);
  size_t kept = 0;
  for (size_t k = 0; k < drop.size(); ++k) {
    if (drop[k]) continue;
    if (m0 + k < r.pi.size()) r.pi[m0 + kept] = r.pi[m0 + k];
    if (m0 + k < r.rowact.size()) r.rowact[m0 + kept] = r.rowact[m0 + k];
    active_[kept] = std::move(active_[k]);
    age_[kept] = age_[k];
    ++kept;
  }
  if (r.pi.size() > m0) r.pi.resize(m0 + kept);
  if (r.rowact.size() > m0) r.rowact.resize(m0 + kept);
  active_.resize(kept);
  age_.resize(kept);
}

void RootCutLoop::run(NodeLp &lp, lp::LpResult &r, double cutoff, MipRecord &record, const CutPassReport &report) {
  if (!enabled() || r.status != lp::LpStatus::Optimal) return;
  const int32_t m0 = model_.m();
  const double max_total = std::min(1e9, std::max(0.0, (s_.rows_factor - 1.0) * m0));
  const int64_t start_its = lp.iterations();
  const int64_t budget = 4 * std::max<int64_t>(start_its, 250);
  CutSelectLimits limits;
  const int round_cuts = std::max(50, std::min(500, m0));
  // The cuts' nonzeros may at most double those of the model (at least
  // 10000 are allowed), and one cut is at most max_cut_length long.
  const int64_t model_nz = static_cast<int64_t>(model_.lp.a.index.size());
  const int64_t nz_budget = std::max<int64_t>(model_nz, 10000);
  const int32_t max_length = max_cut_length(model_);
  int stall = 0;
  for (int pass = 0; pass < max_passes_; ++pass) {
    std::vector<Cut> found;
    std::vector<RootBound> bounds;
    {
      TableauRows tableau(lp.current(), r.basis);
      CutContext ctx{model_, lp.current(), r, tableau, cutoff, 1e-5, 0, &bounds, s_.env, s_.candidates};
      for (CutFamily &f : separators_) {
        ctx.effort = f.effort;
        f.sep->separate(ctx, found);
      }
    }
    // A limit or termination request reached while separating ends the
    // loop; the search then stops at its next check.
    if (s_.env && limit_check(s_.env) != 0) break;
    for (const RootBound &b : bounds) lp.tighten_root(b.col, b.lower, b.upper);
    const int room = static_cast<int>(max_total) - static_cast<int>(active_.size());
    limits.max_cuts = std::min(round_cuts, std::max(0, room));
    limits.max_length = max_length;
    int64_t cut_nz = 0;
    for (const Cut &c : active_) cut_nz += static_cast<int64_t>(c.ind.size());
    limits.max_nonzeros = std::max<int64_t>(0, nz_budget - cut_nz);
    std::vector<Cut> chosen = limits.max_cuts > 0
                                  ? select_cuts(std::move(found), active_, r.x, lp.current().collo,
                                                lp.current().colup, limits)
                                  : std::vector<Cut>{};
    if (chosen.empty() && bounds.empty()) break;
    std::vector<LpRow> rows;
    std::array<int64_t, kCutTypes> count{};
    for (const Cut &c : chosen) {
      rows.push_back({c.ind, c.val, -kInfBound, c.rhs});
      ++count[static_cast<size_t>(c.family)];
    }
    lp.add_rows(rows, r.basis);
    const size_t before = active_.size();
    for (Cut &c : chosen) {
      active_.push_back(std::move(c));
      age_.push_back(0);
    }
    lp::LpResult next = lp.solve();
    if (next.status != lp::LpStatus::Optimal && next.status != lp::LpStatus::Infeasible) {
      // Take the round back; the rows added last go again.
      std::vector<char> drop(active_.size(), 0);
      std::fill(drop.begin() + static_cast<std::ptrdiff_t>(before), drop.end(), 1);
      for (size_t k = before; k < active_.size(); ++k) r.basis.rowstat.push_back(1);
      remove(lp, r, drop);
      lp.set_basis(r.basis);
      break;
    }
    int family = -2;
    int64_t total = 0;
    for (int t = 0; t < kCutTypes; ++t) {
      if (count[static_cast<size_t>(t)] == 0) continue;
      record.cuts[static_cast<size_t>(t)] += count[static_cast<size_t>(t)];
      total += count[static_cast<size_t>(t)];
      family = family == -2 ? t : -1;
    }
    if (next.status == lp::LpStatus::Infeasible) {
      // Valid cuts that leave the relaxation empty prove that no integer
      // point remains (or none better than the cutoff): the search prunes
      // the root.  A feasibility problem, whose bound never moves, often
      // ends this way after a few rounds.
      r = std::move(next);
      return;
    }
    const double gain = next.objval - r.objval;
    r = std::move(next);
    report(r, family, total);
    const double tol = cutoff < kNoValueLimit ? 1e-3 * std::max(0.0, cutoff - r.objval)
                                              : 1e-4 * std::max(1.0, std::fabs(r.objval));
    stall = gain <= tol ? stall + 1 : 0;
    // Aging: cuts with a basic slack grow older, tight ones young again.
    std::vector<char> drop(active_.size(), 0);
    bool any = false;
    for (size_t k = 0; k < active_.size(); ++k) {
      const bool slack = r.basis.rowstat[static_cast<size_t>(m0) + k] == 1;
      age_[k] = slack ? age_[k] + 1 : 0;
      if (age_[k] >= kMaxAge) drop[k] = any = 1;
    }
    if (any) remove(lp, r, drop);
    if (stall >= kStallRounds || lp.iterations() - start_its > budget) break;
  }
  // The tree keeps only the cuts tight at the final root solution.
  std::vector<char> drop(active_.size(), 0);
  bool any = false;
  for (size_t k = 0; k < active_.size(); ++k)
    if (r.basis.rowstat[static_cast<size_t>(m0) + k] == 1) drop[k] = any = 1;
  if (any) remove(lp, r, drop);
}

}  // namespace tvl::mip
