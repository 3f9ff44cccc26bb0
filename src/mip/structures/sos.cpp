// Special ordered sets.  Type 1: at most one member is nonzero; type 2: at
// most two, and they are adjacent in the order of the weights.
//
// Branching splits the members at a position r chosen by the weighted
// mean of the solution, w = sum w_i |x_i| / sum |x_i| (Beale and Tomlin,
// "Special facilities in a general mathematical programming system for
// non-convex problems using ordered sets of variables", 1970): one child
// fixes the members after r to 0, the other the members before r (type 2)
// or up to r (type 1).  r is kept between the first and the last nonzero
// member so that both children cut the point off.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "mip/structures/structures.h"

namespace tvl::mip {

void read_sos(const tvllp *lp, MipModel &model) {
  if (!lp->parts) return;
  const SosData &d = lp->parts->sos;
  for (int64_t s = 0; s < d.count(); ++s) {
    SosSet set;
    set.type = d.sostype[s];
    std::vector<std::pair<double, int32_t>> members;
    for (int32_t k = d.sosbeg[s]; k < d.sosbeg[s + 1]; ++k) members.emplace_back(d.soswt[k], d.sosind[k]);
    std::stable_sort(members.begin(), members.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[w, j] : members) {
      set.weights.push_back(w);
      set.cols.push_back(j);
    }
    if (set.cols.size() > (set.type == '2' ? 2u : 1u)) model.sos.push_back(std::move(set));
  }
}

namespace {

// Positions of the first and last member that are nonzero in x (-1 when none).
std::pair<int, int> nonzero_span(const SosSet &set, const std::vector<double> &x) {
  int first = -1, last = -1;
  for (size_t k = 0; k < set.cols.size(); ++k) {
    if (std::fabs(x[set.cols[k]]) <= kSpecialTol) continue;
    if (first < 0) first = static_cast<int>(k);
    last = static_cast<int>(k);
  }
  return {first, last};
}

// Largest |x| of the members outside the best choice of allowed nonzeros.
double set_violation(const SosSet &set, const std::vector<double> &x) {
  const size_t k = set.cols.size();
  std::vector<double> a(k);
  for (size_t p = 0; p < k; ++p) a[p] = std::fabs(x[set.cols[p]]);
  if (set.type != '2') {
    // Keep the largest; the violation is the next largest.
    std::partial_sort(a.begin(), a.begin() + 2, a.end(), std::greater<>());
    return a[1];
  }
  // Keep an adjacent pair (p, p+1); the rest must be zero.
  std::vector<double> pre(k + 1, 0.0), suf(k + 1, 0.0);
  for (size_t p = 0; p < k; ++p) pre[p + 1] = std::max(pre[p], a[p]);
  for (size_t p = k; p-- > 0;) suf[p] = std::max(suf[p + 1], a[p]);
  double best = suf[0];
  for (size_t p = 0; p + 1 < k; ++p) best = std::min(best, std::max(pre[p], suf[p + 2]));
  return best;
}

}  // namespace

double sos_violation(const MipModel &model, const std::vector<double> &x) {
  double worst = 0.0;
  for (const SosSet &set : model.sos) worst = std::max(worst, set_violation(set, x));
  return worst;
}

bool branch_sos(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, SpecialBranch &out) {
  for (const SosSet &set : model.sos) {
    const auto [first, last] = nonzero_span(set, x);
    const int allowed = set.type == '2' ? 1 : 0;  // span of an allowed support
    if (first < 0 || last - first <= allowed) continue;
    double num = 0.0, den = 0.0;
    for (int p = first; p <= last; ++p) {
      const double a = std::fabs(x[set.cols[p]]);
      num += a * set.weights[p];
      den += a;
    }
    const double mean = num / den;
    int r = first;
    while (r + 1 <= last && set.weights[r + 1] <= mean) ++r;
    // Type 1: left keeps [0, r], right keeps [r + 1, end); r in [first, last - 1].
    // Type 2: left keeps [0, r], right keeps [r, end); r in [first + 1, last - 1].
    r = std::clamp(r, first + allowed, last - 1);
    const int right_from = set.type == '2' ? r : r + 1;
    bool ok_left = true, ok_right = true;
    for (int p = 0; p < static_cast<int>(set.cols.size()); ++p) {
      if (p > r) ok_left = restrict_col(lp, set.cols[p], 0.0, 0.0, out.child[0]) && ok_left;
      if (p < right_from) ok_right = restrict_col(lp, set.cols[p], 0.0, 0.0, out.child[1]) && ok_right;
    }
    out.created[0] = ok_left;
    out.created[1] = ok_right;
    return true;
  }
  return false;
}

}  // namespace tvl::mip
