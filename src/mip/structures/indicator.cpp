// Indicator constraints: when the binary column z takes its active value
// (1, or 0 when complemented), a'x (sense) rhs must hold.  The row a'x - s
// = 0 with a free slack s joins the relaxation; the constraint is s <= rhs
// ('L'), s >= rhs ('G') or s = rhs ('E').  A node whose LP solution has z
// at its active value and s outside those bounds branches into z at the
// other value, and z active with s within the bounds.
#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/structures/structures.h"

namespace tvl::mip {

namespace {

// Appends the indicator rows and their slack columns to the relaxation.
void append_rows(const IndConstr *ic, int32_t count, MipModel &model) {
  lp::LpModel &m = model.lp;
  const int32_t n = m.a.n, m0 = m.a.m;
  std::vector<std::vector<std::pair<int32_t, double>>> extra(static_cast<size_t>(n));
  for (int32_t k = 0; k < count; ++k)
    for (int32_t t = 0; t < ic[k].ind.size; ++t) extra[ic[k].ind[t]].emplace_back(m0 + k, ic[k].val[t]);
  lp::CscMatrix a;
  a.m = m0 + count;
  a.n = n + count;
  a.start.push_back(0);
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t p = m.a.start[j]; p < m.a.start[j + 1]; ++p) {
      a.index.push_back(m.a.index[p]);
      a.value.push_back(m.a.value[p]);
    }
    for (const auto &[i, v] : extra[j]) {
      if (v == 0.0) continue;
      a.index.push_back(i);
      a.value.push_back(v);
    }
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  for (int32_t k = 0; k < count; ++k) {
    a.index.push_back(m0 + k);
    a.value.push_back(-1.0);
    a.start.push_back(static_cast<int32_t>(a.index.size()));
    m.cost.push_back(0.0);
    m.collo.push_back(-kInfBound);
    m.colup.push_back(kInfBound);
    m.rowlo.push_back(0.0);
    m.rowup.push_back(0.0);
    model.integer.push_back(0);
  }
  m.a = std::move(a);
}

}  // namespace

void read_indicators(const tvllp *lp, MipModel &model) {
  if (!lp->parts || lp->parts->indcons.size == 0) return;
  const PodVec<IndConstr> &ic = lp->parts->indcons;
  const int32_t count = static_cast<int32_t>(ic.size);
  const int32_t first_slack = model.lp.a.n;
  append_rows(&ic[0], count, model);
  for (int32_t k = 0; k < count; ++k) {
    Indicator ind;
    ind.z = ic[k].indvar;
    ind.active = ic[k].complemented ? 0.0 : 1.0;
    ind.slack = first_slack + k;
    ind.lower = ic[k].sense == 'L' ? -kInfBound : ic[k].rhs;
    ind.upper = ic[k].sense == 'G' ? kInfBound : ic[k].rhs;
    model.indicators.push_back(ind);
  }
}

double indicator_violation(const MipModel &model, const std::vector<double> &x) {
  double worst = 0.0;
  for (const Indicator &ind : model.indicators) {
    if (std::fabs(x[ind.z] - ind.active) > 0.5) continue;  // switched off
    const double s = x[ind.slack];
    worst = std::max({worst, ind.lower - s, s - ind.upper});
  }
  return worst;
}

bool branch_indicator(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, double epint,
                      SpecialBranch &out) {
  for (const Indicator &ind : model.indicators) {
    if (std::fabs(x[ind.z] - ind.active) > epint) continue;
    const double s = x[ind.slack];
    if (s >= ind.lower - kSpecialTol && s <= ind.upper + kSpecialTol) continue;
    const double off = 1.0 - ind.active;
    out.created[0] = restrict_col(lp, ind.z, off, off, out.child[0]);
    out.created[1] = restrict_col(lp, ind.z, ind.active, ind.active, out.child[1]) &&
                     restrict_col(lp, ind.slack, ind.lower, ind.upper, out.child[1]);
    return true;
  }
  return false;
}

}  // namespace tvl::mip
