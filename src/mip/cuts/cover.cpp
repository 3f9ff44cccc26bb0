// Lifted knapsack cover cuts.
//
// Follows H. Crowder, E. L. Johnson and M. Padberg, "Solving large-scale
// zero-one linear programming problems", Operations Research 31 (1983),
// for the knapsack relaxation of a row and the greedy cover separation,
// and E. Balas and E. Zemel, "Facets of the knapsack polytope from
// minimal covers", SIAM J. Applied Mathematics 34 (1978), for the
// sequential up-lifting of the cover inequality.
//
// Each side of a model row is read as a knapsack  sum w_j z_j <= b  with
// w_j > 0 (mip/cuts/knapsack_row.h).  A cover C (sum over C of w
// exceeds b) is grown greedily by increasing (1 - z*_j) / w_j, made
// minimal, and kept only when  sum_C (1 - z*_j) < 1  (the cover
// inequality  sum_C z_j <= |C| - 1  is then violated).  The remaining
// knapsack columns are lifted one at a time, those with a positive LP
// value first: with minw[v] the least knapsack weight that gives the
// inequality's left side the value v, the coefficient of the next column
// of weight w is  |C| - 1 - max{ v : minw[v] <= b - w },  and minw is
// updated as in a 0/1 knapsack dynamic program.  The lifted inequality
// is returned in the original columns.
#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/cuts/cut.h"
#include "mip/cuts/knapsack_row.h"
#include "mip/row_view.h"

namespace tvl::mip {

namespace {

using Item = KnapsackItem;

// A minimal cover grown greedily by increasing (1 - z) (by_ratio false) or
// (1 - z) / w (true), ties by larger weight, then shrunk by dropping the
// members with the smallest LP value first; true when its cover
// inequality is violated (sum over the cover of (1 - z) below 1).  A
// member with z = 0 alone brings that sum to 1, so only the items with a
// positive LP value are candidates (on long set-partitioning rows most
// are zero, and sorting them all was the separator's main cost).
bool find_cover(const std::vector<Item> &items, double b, double tol, bool by_ratio, std::vector<char> &in,
                std::vector<double> &cover_w) {
  in.assign(items.size(), 0);
  std::vector<size_t> order;
  for (size_t k = 0; k < items.size(); ++k)
    if (items[k].z > 0.0) order.push_back(k);
  auto key = [&](size_t p) { return by_ratio ? (1.0 - items[p].z) / items[p].w : 1.0 - items[p].z; };
  std::stable_sort(order.begin(), order.end(), [&](size_t p, size_t q) {
    const double kp = key(p), kq = key(q);
    return kp != kq ? kp < kq : items[p].w > items[q].w;
  });
  double weight = 0.0;
  size_t used = 0;
  for (; used < order.size() && weight <= b + tol; ++used) {
    in[order[used]] = 1;
    weight += items[order[used]].w;
  }
  if (weight <= b + tol) return false;
  std::vector<size_t> members(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(used));
  std::stable_sort(members.begin(), members.end(), [&](size_t p, size_t q) { return items[p].z < items[q].z; });
  for (size_t k : members) {
    if (weight - items[k].w > b + tol) {
      in[k] = 0;
      weight -= items[k].w;
    }
  }
  double slack = 0.0;
  cover_w.clear();
  for (size_t k = 0; k < items.size(); ++k) {
    if (!in[k]) continue;
    slack += 1.0 - items[k].z;
    cover_w.push_back(items[k].w);
  }
  return slack < 1.0 - 1e-6 && cover_w.size() >= 2;
}

// False when no cover can be violated, in one pass over the items.  A
// cover C leaves out items L of weight below `excess` (the total weight
// minus b), each of them lighter than that, so  sum_C (1 - z)  is at least
// sum_all (1 - z)  minus  excess * max{(1 - z_k) / w_k : w_k < excess}.
// On the complemented side of a set-partitioning row (all weights 1,
// excess 1) no item may be left out and the test settles the row at once.
bool may_have_violated_cover(const std::vector<Item> &items, double excess) {
  double slack_all = 0.0, ratio = 0.0;
  for (const Item &it : items) {
    slack_all += 1.0 - it.z;
    if (it.w < excess) ratio = std::max(ratio, (1.0 - it.z) / it.w);
  }
  return slack_all - excess * ratio < 1.0 - 1e-6;
}

class CoverSeparator : public CutSeparator {
 public:
  void separate(const CutContext &ctx, std::vector<Cut> &out) override;

 private:
  bool cover_cut(std::vector<Item> items, double b, Cut &cut) const;

  RowView rows_;
};

bool CoverSeparator::cover_cut(std::vector<Item> items, double b, Cut &cut) const {
  double total = 0.0;
  for (const Item &it : items) total += it.w;
  const double tol = 1e-9 * std::max(1.0, std::fabs(b));
  if (total <= b + tol) return false;
  if (!may_have_violated_cover(items, total - b - tol)) return false;
  std::vector<char> in(items.size(), 0);
  std::vector<double> cover_w;
  if (!find_cover(items, b, tol, false, in, cover_w) && !find_cover(items, b, tol, true, in, cover_w)) return false;
  const int r = static_cast<int>(cover_w.size());
  // minw[v]: least weight giving the left side v (v = 0..r-1 matter).
  std::sort(cover_w.begin(), cover_w.end());
  std::vector<double> minw(static_cast<size_t>(r), 0.0);
  for (int v = 1; v < r; ++v) minw[static_cast<size_t>(v)] = minw[static_cast<size_t>(v) - 1] + cover_w[static_cast<size_t>(v) - 1];
  // Lifting order: the columns with a positive LP value by decreasing
  // value, then the others in row order.
  std::vector<size_t> rest;
  for (size_t k = 0; k < items.size(); ++k)
    if (!in[k] && items[k].z > 0.0) rest.push_back(k);
  std::stable_sort(rest.begin(), rest.end(), [&](size_t p, size_t q) { return items[p].z > items[q].z; });
  for (size_t k = 0; k < items.size(); ++k)
    if (!in[k] && !(items[k].z > 0.0)) rest.push_back(k);
  std::vector<int> coef(items.size(), 0);
  for (size_t k = 0; k < items.size(); ++k)
    if (in[k]) coef[k] = 1;
  for (size_t k : rest) {
    const double cap = b - items[k].w + tol;  // generous: a smaller coefficient stays valid
    int best = -1;
    for (int v = r - 1; v >= 0; --v) {
      if (minw[static_cast<size_t>(v)] <= cap) {
        best = v;
        break;
      }
    }
    const int alpha = best < 0 ? r - 1 : r - 1 - best;
    if (alpha <= 0) continue;
    coef[k] = alpha;
    for (int v = r - 1; v >= alpha; --v)
      minw[static_cast<size_t>(v)] = std::min(minw[static_cast<size_t>(v)], minw[static_cast<size_t>(v - alpha)] + items[k].w);
  }
  cut.ind.clear();
  cut.val.clear();
  cut.rhs = r - 1;
  for (size_t k = 0; k < items.size(); ++k) {
    if (coef[k] == 0) continue;
    cut.ind.push_back(items[k].col);
    if (items[k].flip) {
      cut.val.push_back(-coef[k]);
      cut.rhs -= coef[k];
    } else {
      cut.val.push_back(coef[k]);
    }
  }
  cut.family = kCutCover;
  return true;
}

void CoverSeparator::separate(const CutContext &ctx, std::vector<Cut> &out) {
  if (rows_.start.empty()) rows_.build(ctx.model.lp.a);
  std::vector<Item> items;
  double b = 0.0;
  for (int32_t i = 0; i < ctx.model.m(); ++i) {
    for (double sign : {1.0, -1.0}) {
      const double side = sign > 0 ? ctx.model.lp.rowup[static_cast<size_t>(i)] : ctx.model.lp.rowlo[static_cast<size_t>(i)];
      if (std::fabs(side) >= kInfBound ||
          !knapsack_side(ctx.model, rows_, ctx.lp.collo, ctx.lp.colup, &ctx.solution.x, i, sign, items, b))
        continue;
      Cut cut;
      if (cover_cut(items, b, cut)) out.push_back(std::move(cut));
    }
  }
}

}  // namespace

std::unique_ptr<CutSeparator> make_cover_separator() { return std::make_unique<CoverSeparator>(); }

}  // namespace tvl::mip
