#include "mip/heuristics/heur_sequence.h"

#include <algorithm>

#include "frame/param.h"
#include "mip/heuristics/root_pump.h"

namespace tvl::mip {

namespace {

// Work units a dive may always spend (some tens of milliseconds): enough for
// a full dive on a small model, however cheap its root LP was.
constexpr int64_t kDiveWorkAllowance = 20000000;
// Dives that have stopped finding points stop earning allowances: the
// allowance counts at most twice the dives up to the last one that found
// a point, plus this many.
constexpr int64_t kDiveAllowanceGrace = 50;
// The box search's sub-MIP may take this many times TVL_PARAM_SUBMIPNODELIM
// nodes: it looks for a first point, which takes longer than RINS's
// improvement of one it already has.
constexpr int64_t kBoxNodeFactor = 4;

}  // namespace

HeurSettings heur_settings(const tvlenv *env) {
  HeurSettings s;
  s.heurfreq = param_int(env, TVL_PARAM_HEURFREQ);
  s.fpheur = param_int(env, TVL_PARAM_FPHEUR);
  s.rinsheur = param_int(env, TVL_PARAM_RINSHEUR);
  s.lbheur = param_int(env, TVL_PARAM_LBHEUR);
  s.submip_nodes = param_int(env, TVL_PARAM_SUBMIPNODELIM);
  return s;
}

HeuristicSequence::HeuristicSequence(const MipModel &model, const HeurSettings &s, SubMipSearch sub_mip)
    : s_(s),
      locks_(compute_locks(model)),
      rounding_(locks_),
      frac_(DiveRule::Fractional, locks_),
      coef_(DiveRule::Coefficient, locks_),
      pscost_(DiveRule::Pseudocost, locks_),
      guided_(DiveRule::Guided, locks_),
      rins_(sub_mip, s.submip_nodes),
      local_(sub_mip, s.submip_nodes),
      box_(std::move(sub_mip), kBoxNodeFactor * s.submip_nodes),
      box_wanted_(BoxSearch::wanted(model)) {}

HeuristicSequence::~HeuristicSequence() = default;

std::array<const Diving *, 4> HeuristicSequence::dives() const { return {&frac_, &coef_, &pscost_, &guided_}; }

int64_t HeuristicSequence::lp_iterations() const {
  int64_t sum = 0;
  for (const Diving *d : dives()) sum += d->iterations_spent();
  return sum;
}

uint64_t HeuristicSequence::dive_work() const {
  uint64_t sum = 0;
  for (const Diving *d : dives()) sum += d->work_spent();
  return sum;
}

bool HeuristicSequence::dive_due(int64_t node, int depth) const {
  if (s_.heurfreq < 0) return false;
  if (node == 0) return true;
  if (s_.heurfreq > 0) return node % s_.heurfreq == 0;
  return node % (depth < 20 ? 10 : 20) == 0;
}

bool HeuristicSequence::after_improvement(int64_t node, const HeurInput &in, double last_run) {
  return node == 0 || (node % 200 == 0 && in.cutoff < last_run);
}

bool HeuristicSequence::rins_due(int64_t node, const HeurInput &in) const {
  if (s_.rinsheur < 0 || !in.incumbent) return false;
  if (s_.rinsheur > 0) return node % s_.rinsheur == 0;
  return after_improvement(node, in, rins_incumbent_);
}

bool HeuristicSequence::local_branching_due(int64_t node, const HeurInput &in) const {
  return s_.lbheur == 1 && in.incumbent && after_improvement(node, in, local_incumbent_);
}

bool HeuristicSequence::due(int64_t node, int depth) const {
  if (node == 0 || s_.rinsheur > 0 || ((s_.rinsheur == 0 || s_.lbheur == 1) && node % 200 == 0)) return true;
  return s_.heurfreq >= 0 || dive_due(node, depth);
}

void HeuristicSequence::dive(Diving &d, HeurInput &in, int64_t budget, int64_t work, Points &found) {
  if (budget <= 0 || work <= 0) return;
  d.set_budget(budget, static_cast<uint64_t>(work));
  const size_t before = found.size();
  d.run(in, found);
  ++dives_;
  if (found.size() > before) last_success_ = dives_;
}

bool HeuristicSequence::search_ends(const HeurInput &in, const Points &found) const {
  if (!in.closes_gap) return false;
  double z = in.incumbent ? objective_of(*in.model, *in.incumbent) : 1e75;
  for (const std::vector<double> &x : found) z = std::min(z, objective_of(*in.model, x));
  return z < 1e75 && in.closes_gap(z);
}

Points HeuristicSequence::run(HeurInput &in, int64_t node) {
  Points found;
  if (s_.heurfreq >= 0) simple_and_dives(in, node, found);
  if (search_ends(in, found)) return found;
  if (node == 0 && pump_wanted(s_.fpheur, in.has_incumbent || !found.empty())) {
    run_root_pump(in, s_.fpheur, found);
  }
  if (node == 0 && box_wanted_ && s_.heurfreq >= 0 && !in.has_incumbent && found.empty()) box_.run(in, found);
  // RINS and local branching look around the best point known, the ones
  // found just now included (each point found is better than the last).
  std::vector<double> best;
  auto around_best = [&] {
    if (found.empty()) return;
    best = found.back();
    in.cutoff = std::min(in.cutoff, objective_of(*in.model, best));
    in.incumbent = &best;
  };
  around_best();
  if (rins_due(node, in)) {
    rins_incumbent_ = in.cutoff;
    rins_.run(in, found);
  }
  if (local_branching_due(node, in)) {
    around_best();
    local_incumbent_ = in.cutoff;
    local_.run(in, found);
  }
  return found;
}

void HeuristicSequence::simple_and_dives(HeurInput &in, int64_t node, Points &found) {
  rounding_.run(in, found);
  // A point found lowers the cutoff the later heuristics must beat.
  auto tighten = [&] {
    if (!found.empty()) in.cutoff = std::min(in.cutoff, objective_of(*in.model, found.back()));
  };
  tighten();
  if (!dive_due(node, in.depth)) return;
  const int64_t search_work = static_cast<int64_t>(in.search_work);
  if (node == 0) {
    const int64_t budget = in.search_iterations + 2000;
    const int64_t work = search_work / 2 + kDiveWorkAllowance;
    dive(frac_, in, budget, work, found);
    tighten();
    if (search_ends(in, found)) return;
    dive(coef_, in, budget, work, found);
    tighten();
    return;
  }
  // Dives after the root take about a tenth of the search, counted both in
  // iterations and in work, with a small allowance per dive while dives
  // find points.
  const int64_t allowances = std::min<int64_t>(dives_ + 1, 2 * last_success_ + kDiveAllowanceGrace);
  const int64_t budget = in.search_iterations / 10 + 1000 * allowances - lp_iterations();
  const int64_t work = search_work / 10 + kDiveWorkAllowance * allowances - static_cast<int64_t>(dive_work());
  // The rules take turns; the guided dive joins once there is an incumbent.
  Diving *const turns[] = {&frac_, &coef_, &pscost_, &guided_};  // the order of dives()
  const int64_t rules = in.incumbent ? 4 : in.pseudocosts ? 3 : 2;
  dive(*turns[dives_ % rules], in, std::min<int64_t>(budget, 1000 + in.search_iterations / 20),
       std::min<int64_t>(work, kDiveWorkAllowance + search_work / 20), found);
}

}  // namespace tvl::mip
