#include "mip/presolve/lp_reductions.h"

namespace tvl::mip {

namespace {

class LpPostStep : public PostStep {
 public:
  explicit LpPostStep(lp::PresolvedLp pre) : pre_(std::move(pre)) {}
  std::vector<double> undo(const std::vector<double> &x) const override {
    // Only the primal values matter: zero duals and no basis make every
    // removed column follow from its row and the kept columns.
    lp::LpResult red, full;
    red.x = x;
    red.dj.assign(pre_.colmap.size(), 0.0);
    red.pi.assign(pre_.rowmap.size(), 0.0);
    if (!lp::postsolve(pre_, red, full)) return {};
    return std::move(full.x);
  }
  const std::vector<int32_t> &colmap() const override { return pre_.colmap; }
  const std::vector<int32_t> &rowmap() const override { return pre_.rowmap; }

 private:
  lp::PresolvedLp pre_;
};

}  // namespace

ReductionOutcome IntegralLpReductions::apply(MipModel &model) {
  ReductionOutcome out;
  settings_.integer = model.integer;
  lp::PresolvedLp pre;
  const lp::PresolveOutcome res = lp::presolve(model.lp, settings_, pre);
  counts_ = pre.counts;
  out.status = res.status;
  if (res.status != 0 || !res.reduced_any) return out;
  out.changed = true;
  out.dual_used = settings_.reduce >= 2;
  MipModel reduced;
  reduced.lp = std::move(pre.reduced);
  reduced.lp.objsense = model.lp.objsense;
  reduced.integer.resize(pre.colmap.size());
  for (size_t k = 0; k < pre.colmap.size(); ++k) reduced.integer[k] = model.integer[pre.colmap[k]];
  pre.reduced = lp::LpModel{};  // the step keeps only what postsolve reads
  complete_mip_model(reduced);
  model = std::move(reduced);
  out.step = std::make_unique<LpPostStep>(std::move(pre));
  return out;
}

}  // namespace tvl::mip
