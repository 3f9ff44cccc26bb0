#include "mip/cuts/tree_cuts.h"

#include <algorithm>

#include "frame/infinity.h"
#include "mip/cuts/cut_pool.h"
#include "mip/cuts/tableau.h"

namespace tvl::mip {

namespace {

constexpr int kTreeEffort = 2;            // family parameter from which the tree separates it
constexpr int32_t kEveryNodeDepth = 10;   // every node up to this depth
constexpr int32_t kDepthStep = 4;         // below it, every kDepthStep-th level
constexpr int64_t kIterationShare = 10;   // re-solves: at most 1/10 of the node LPs' iterations
constexpr int64_t kIterationAllowance = 2000;
constexpr int kIdleRounds = 10;
constexpr size_t kUsefulRound = 2;        // a round adding fewer cuts counts as idle
constexpr int kRoundCuts = 20;
constexpr int64_t kRowsDivisor = 4;       // added rows: at most a quarter of the model's

}  // namespace

TreeCuts::TreeCuts(const MipModel &model, const CutLoopSettings &settings, int64_t root_mir_cuts)
    : model_(model), s_(settings) {
  if (s_.passes < 0 || model.intcols.empty() || model.has_special() || model.m() == 0) return;
  rows_left_ = std::max<int64_t>(1, model.m() / kRowsDivisor);
  separators_ = make_cut_families(s_, kTreeEffort, false);
  // MIR cuts at their automatic or moderate setting go to the tree too
  // when the root found some and the tree has room for at least one full
  // round of them.
  const bool room = rows_left_ >= kRoundCuts;
  if (room && root_mir_cuts > 0 && s_.mircuts >= 0 && s_.mircuts < kTreeEffort)
    separators_.push_back(make_mir_family(s_));
}

TreeCuts::~TreeCuts() = default;

bool TreeCuts::finished(int64_t node_lp_iterations) const {
  return separators_.empty() || rows_left_ <= 0 || idle_rounds_ >= kIdleRounds ||
         iterations_ > node_lp_iterations / kIterationShare + kIterationAllowance;
}

bool TreeCuts::due(int32_t depth, int64_t node_lp_iterations) const {
  if (depth <= 0 || finished(node_lp_iterations)) return false;
  return depth <= kEveryNodeDepth || depth % kDepthStep == 0;
}

int64_t TreeCuts::separate(NodeLp &lp, lp::LpResult &r, double cutoff, MipRecord &record) {
  // The separators see the node's point against the root bounds.
  lp::LpModel global = lp.current();
  global.collo = lp.root_lowers();
  global.colup = lp.root_uppers();
  std::vector<Cut> found;
  {
    TableauRows tableau(global, r.basis);
    CutContext ctx{model_, global, r, tableau, cutoff, 1e-5, 0, nullptr, s_.env, s_.candidates};
    for (CutFamily &f : separators_) {
      ctx.effort = f.effort;
      f.sep->separate(ctx, found);
    }
  }
  CutSelectLimits limits;
  limits.max_cuts = static_cast<int>(std::min<int64_t>(kRoundCuts, rows_left_));
  limits.max_length = max_cut_length(model_);
  std::vector<Cut> chosen = select_cuts(std::move(found), present_, r.x, global.collo, global.colup, limits);
  idle_rounds_ = chosen.size() < kUsefulRound ? idle_rounds_ + 1 : 0;
  if (chosen.empty()) return 0;
  std::vector<LpRow> rows;
  for (const Cut &c : chosen) {
    rows.push_back({c.ind, c.val, -kInfBound, c.rhs});
    ++record.cuts[static_cast<size_t>(c.family)];
  }
  const int64_t added = static_cast<int64_t>(chosen.size());
  rows_left_ -= added;
  for (Cut &c : chosen) present_.push_back(std::move(c));
  lp.add_rows(rows, r.basis);
  const int64_t before = lp.iterations();
  r = lp.solve();
  iterations_ += lp.iterations() - before;
  return added;
}

}  // namespace tvl::mip
