// Clique cuts from the conflict graph of the binary columns.
//
// Follows the clique inequalities of M. W. Padberg, "On the facial
// structure of set packing polyhedra", Mathematical Programming 5 (1973),
// with the conflict graph and its greedy separation as described by
// A. Atamtürk, G. L. Nemhauser and M. W. P. Savelsbergh, "Conflict graphs
// in solving integer programming problems", European Journal of
// Operational Research 121 (2000).
//
// Literals are binary columns x_j and their complements 1 - x_j.  Two
// literals conflict when they cannot both be 1.  Every side of a model row
// read as a knapsack  sum w_l z_l <= b  (mip/cuts/knapsack_row.h) gives
// cliques of the graph: with the weights in decreasing order, the leading
// literals whose two smallest weights already exceed b conflict pairwise;
// a later literal conflicts with the leading ones it cannot join, and that
// prefix with it is a clique too.  The table of these cliques is built
// once, from the global bounds.
//
// Separation works on the literals with a positive LP value: the table's
// cliques restricted to them give a small dense graph, in which cliques of
// large LP weight are grown greedily from each literal in decreasing order
// of value.  A clique whose values sum to more than 1 gives the cut
// sum over its literals <= 1; it is then extended by the literals of value
// 0 that conflict with all of its members (which only strengthens it).
#include <algorithm>
#include <cmath>
#include <numeric>

#include "frame/infinity.h"
#include "mip/cuts/cut.h"
#include "mip/cuts/knapsack_row.h"
#include "mip/row_view.h"

namespace tvl::mip {

namespace {

constexpr double kViolation = 1e-6;
// Literals of the dense graph at most; the ones of largest value are kept.
constexpr size_t kMaxSupport = 1500;
// Table entries at most, as a multiple of the matrix size.
constexpr size_t kTableFactor = 4;
// Greedy starts per round at most.
constexpr size_t kMaxStarts = 300;
// Table entries one extension may scan to test its candidates against
// each other; the extension ends (the clique stays valid) when they are
// spent.  Without it a set-partitioning model with rows of thousands of
// columns makes the test quadratic in the candidates.
constexpr int64_t kExtendScan = 2000000;

int32_t literal(int32_t col, bool flip) { return 2 * col + (flip ? 1 : 0); }

class CliqueSeparator : public CutSeparator {
 public:
  void separate(const CutContext &ctx, std::vector<Cut> &out) override;

 private:
  void build_table(const CutContext &ctx);
  void add_clique(const std::vector<int32_t> &lits);
  double value(int32_t lit, const std::vector<double> &x) const {
    const double v = x[static_cast<size_t>(lit / 2)];
    return lit % 2 ? 1.0 - v : v;
  }
  // Whether literals a and b share a clique of the table; the entries
  // scanned are taken from `budget`.
  bool conflict(int32_t a, int32_t b, int64_t &budget) const;
  void extend(std::vector<int32_t> &clique);
  Cut to_cut(const std::vector<int32_t> &clique) const;

  bool built_ = false;
  std::vector<int32_t> start_{0}, members_;   // the clique table
  std::vector<std::vector<int32_t>> of_lit_;  // cliques of each literal
  std::vector<int32_t> seen_, count_;         // scratch of extend()
};

void CliqueSeparator::add_clique(const std::vector<int32_t> &lits) {
  const int32_t id = static_cast<int32_t>(start_.size()) - 1;
  for (int32_t l : lits) {
    members_.push_back(l);
    of_lit_[static_cast<size_t>(l)].push_back(id);
  }
  start_.push_back(static_cast<int32_t>(members_.size()));
}

void CliqueSeparator::build_table(const CutContext &ctx) {
  built_ = true;
  const MipModel &model = ctx.model;
  of_lit_.assign(2 * static_cast<size_t>(model.n()), {});
  RowView rows;
  rows.build(model.lp.a);
  const size_t cap = kTableFactor * (rows.col.size() + 1);
  std::vector<KnapsackItem> items;
  std::vector<int32_t> lits;
  double b = 0.0;
  for (int32_t i = 0; i < model.m() && members_.size() < cap; ++i) {
    for (double sign : {1.0, -1.0}) {
      const double side = sign > 0 ? model.lp.rowup[static_cast<size_t>(i)] : model.lp.rowlo[static_cast<size_t>(i)];
      if (std::fabs(side) >= kInfBound ||
          !knapsack_side(model, rows, ctx.lp.collo, ctx.lp.colup, nullptr, i, sign, items, b))
        continue;
      std::stable_sort(items.begin(), items.end(), [](const KnapsackItem &p, const KnapsackItem &q) { return p.w > q.w; });
      const double tol = 1e-9 * std::max(1.0, std::fabs(b));
      size_t k = 0;  // items[0..k) conflict pairwise
      while (k + 1 < items.size() && items[k].w + items[k + 1].w > b + tol) ++k;
      if (k == 0) continue;
      ++k;
      lits.clear();
      for (size_t p = 0; p < k; ++p) lits.push_back(literal(items[p].col, items[p].flip));
      add_clique(lits);
      // A later item conflicts with the leading ones heavy enough beside it.
      for (size_t q = k; q < items.size() && members_.size() < cap; ++q) {
        size_t reach = 0;
        while (reach < k && items[reach].w + items[q].w > b + tol) ++reach;
        if (reach == 0) break;  // lighter items conflict with even fewer
        lits.assign(1, literal(items[q].col, items[q].flip));
        for (size_t p = 0; p < reach; ++p) lits.push_back(literal(items[p].col, items[p].flip));
        add_clique(lits);
      }
    }
  }
}

bool CliqueSeparator::conflict(int32_t a, int32_t b, int64_t &budget) const {
  // Scan the cliques of the literal that has fewer.
  if (of_lit_[static_cast<size_t>(a)].size() > of_lit_[static_cast<size_t>(b)].size()) std::swap(a, b);
  for (int32_t c : of_lit_[static_cast<size_t>(a)]) {
    budget -= start_[static_cast<size_t>(c) + 1] - start_[static_cast<size_t>(c)];
    for (int32_t p = start_[static_cast<size_t>(c)]; p < start_[static_cast<size_t>(c) + 1]; ++p)
      if (members_[static_cast<size_t>(p)] == b) return true;
  }
  return false;
}

// Adds the literals that conflict with every member: each member's
// neighbours (the literals sharing a clique with it) are counted once per
// member, and those counted by all members join.
void CliqueSeparator::extend(std::vector<int32_t> &clique) {
  if (clique.empty()) return;
  if (seen_.size() != of_lit_.size()) {
    seen_.assign(of_lit_.size(), -1);
    count_.assign(of_lit_.size(), 0);
  }
  std::vector<int32_t> touched;
  for (size_t k = 0; k < clique.size(); ++k) {
    for (int32_t c : of_lit_[static_cast<size_t>(clique[k])]) {
      for (int32_t p = start_[static_cast<size_t>(c)]; p < start_[static_cast<size_t>(c) + 1]; ++p) {
        const size_t l = static_cast<size_t>(members_[static_cast<size_t>(p)]);
        if (seen_[l] == static_cast<int32_t>(k)) continue;
        seen_[l] = static_cast<int32_t>(k);
        if (count_[l]++ == 0) touched.push_back(static_cast<int32_t>(l));
      }
    }
  }
  // A candidate conflicts with every first member; it joins when it also
  // conflicts with the candidates that joined before it.
  const size_t members = clique.size();
  int64_t budget = kExtendScan;
  for (int32_t l : touched) {
    if (budget <= 0) break;
    if (count_[static_cast<size_t>(l)] != static_cast<int32_t>(members) ||
        std::find(clique.begin(), clique.begin() + static_cast<std::ptrdiff_t>(members), l) !=
            clique.begin() + static_cast<std::ptrdiff_t>(members))
      continue;
    bool all = true;
    for (size_t k = members; k < clique.size() && all; ++k) {
      // Out of budget: untested counts as no conflict, so l stays out.
      if (budget <= 0) all = false;
      else all = conflict(l, clique[k], budget);
    }
    if (all) clique.push_back(l);
  }
  for (int32_t l : touched) {
    count_[static_cast<size_t>(l)] = 0;
    seen_[static_cast<size_t>(l)] = -1;
  }
}

Cut CliqueSeparator::to_cut(const std::vector<int32_t> &clique) const {
  Cut cut;
  cut.rhs = 1.0;
  cut.family = kCutClique;
  for (int32_t l : clique) {
    cut.ind.push_back(l / 2);
    if (l % 2) {
      cut.val.push_back(-1.0);
      cut.rhs -= 1.0;
    } else {
      cut.val.push_back(1.0);
    }
  }
  return cut;
}

void CliqueSeparator::separate(const CutContext &ctx, std::vector<Cut> &out) {
  if (!built_) build_table(ctx);
  if (members_.empty()) return;
  const std::vector<double> &x = ctx.solution.x;
  // The support: literals of positive value that lie in some clique.
  std::vector<int32_t> support;
  for (int32_t j : ctx.model.intcols) {
    for (bool flip : {false, true}) {
      const int32_t l = literal(j, flip);
      if (!of_lit_[static_cast<size_t>(l)].empty() && value(l, x) > kViolation) support.push_back(l);
    }
  }
  std::stable_sort(support.begin(), support.end(), [&](int32_t p, int32_t q) { return value(p, x) > value(q, x); });
  if (support.size() > kMaxSupport) support.resize(kMaxSupport);
  const size_t s = support.size();
  if (s < 2) return;
  std::vector<int32_t> pos(of_lit_.size(), -1);
  for (size_t k = 0; k < s; ++k) pos[static_cast<size_t>(support[k])] = static_cast<int32_t>(k);
  // Dense adjacency over the support from the table's cliques.
  std::vector<char> adj(s * s, 0);
  std::vector<int32_t> inside;
  for (size_t c = 0; c + 1 < start_.size(); ++c) {
    inside.clear();
    for (int32_t p = start_[c]; p < start_[c + 1]; ++p) {
      const int32_t q = pos[static_cast<size_t>(members_[static_cast<size_t>(p)])];
      if (q >= 0) inside.push_back(q);
    }
    for (size_t u = 0; u < inside.size(); ++u)
      for (size_t v = u + 1; v < inside.size(); ++v)
        adj[static_cast<size_t>(inside[u]) * s + static_cast<size_t>(inside[v])] =
            adj[static_cast<size_t>(inside[v]) * s + static_cast<size_t>(inside[u])] = 1;
  }
  std::vector<char> covered(s, 0);
  std::vector<int32_t> clique;
  for (size_t start = 0; start < s && start < kMaxStarts; ++start) {
    if (covered[start]) continue;
    // Grow from `start` by decreasing value among the common neighbours.
    clique.assign(1, static_cast<int32_t>(start));
    double weight = value(support[start], x);
    for (size_t v = 0; v < s; ++v) {
      if (v == start) continue;
      bool all = true;
      for (int32_t u : clique) all = all && adj[static_cast<size_t>(u) * s + v];
      if (!all) continue;
      clique.push_back(static_cast<int32_t>(v));
      weight += value(support[v], x);
    }
    if (weight <= 1.0 + kViolation || clique.size() < 2) continue;
    std::vector<int32_t> lits;
    for (int32_t u : clique) {
      covered[static_cast<size_t>(u)] = 1;
      lits.push_back(support[static_cast<size_t>(u)]);
    }
    extend(lits);
    out.push_back(to_cut(lits));
  }
}

}  // namespace

std::unique_ptr<CutSeparator> make_clique_separator() { return std::make_unique<CliqueSeparator>(); }

}  // namespace tvl::mip
