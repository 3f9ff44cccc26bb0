// Pricing weights after one basis change on a small dense example compared
// with weights computed from scratch for the new basis: exact for primal
// steepest edge, within the devex approximation (the larger of two
// terms where the reference norm has their sum) for dual and primal devex.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "factor/factor.h"
#include "simplex/pivot_row.h"
#include "simplex/pricing_dual.h"
#include "simplex/pricing_primal.h"
#include "simplex/simplex_lp.h"

namespace {

using namespace tvl::lp;

constexpr int32_t kRows = 4;

// Structurals 0-3 form the starting basis B, 4 and 5 enter later:
//   B = [4 1 0 1; 1 3 1 0; 0 1 5 2; 1 0 2 4],  a4 = (1 2 -1 3),  a5 = (2 0 1 -1).
SimplexLp small_lp() {
  const double cols[6][kRows] = {{4, 1, 0, 1}, {1, 3, 1, 0}, {0, 1, 5, 2},
                                 {1, 0, 2, 4}, {1, 2, -1, 3}, {2, 0, 1, -1}};
  LpModel model;
  model.a.m = kRows;
  model.a.n = 6;
  model.a.start.push_back(0);
  for (const auto &c : cols) {
    for (int32_t i = 0; i < kRows; ++i) {
      if (c[i] == 0.0) continue;
      model.a.index.push_back(i);
      model.a.value.push_back(c[i]);
    }
    model.a.start.push_back(static_cast<int32_t>(model.a.index.size()));
  }
  model.cost.assign(6, 0.0);
  model.collo.assign(6, 0.0);
  model.colup.assign(6, 10.0);
  model.rowlo.assign(kRows, -5.0);
  model.rowup.assign(kRows, 5.0);
  SimplexLp lp;
  lp.load(model);
  return lp;
}

std::unique_ptr<BasisFactor> factor_of(const SimplexLp &lp, std::vector<int32_t> head) {
  std::unique_ptr<BasisFactor> f(make_basis_factor(0, lp.m, lp.n, FactorSettings{}));
  EXPECT_EQ(f->factorize(lp.a, head, nullptr), FactorStatus::Ok);
  return f;
}

HVector ftran_column(const SimplexLp &lp, const BasisFactor &f, int32_t q) {
  HVector v;
  v.setup(lp.m);
  load_column(lp, q, v);
  f.ftran(v, 1.0);
  return v;
}

HVector btran_unit(const BasisFactor &f, int32_t r) {
  HVector v;
  v.setup(kRows);
  v.array[r] = 1.0;
  v.index[0] = r;
  v.count = 1;
  f.btran(v, 1.0);
  return v;
}

// Position whose entry of the FTRAN'd column lies in (0.05, 1]: the pivot
// for the devex checks (its exact reference norm is then 1 / alpha^2,
// which devex reproduces).
int32_t modest_pivot(const HVector &col) {
  for (int32_t r = 0; r < kRows; ++r)
    if (std::fabs(col.array[r]) > 0.05 && std::fabs(col.array[r]) <= 1.0) return r;
  return -1;
}

// Squared norms of the rows of B'^-1 B (B the old basis, B' the new): the
// dual reference norms after one pivot from a fresh reference framework.
std::vector<double> dual_reference_norms(const SimplexLp &lp, const BasisFactor &fresh,
                                         const std::vector<int32_t> &old_head) {
  std::vector<double> norm(kRows, 0.0);
  for (int32_t j : old_head) {
    const HVector v = ftran_column(lp, fresh, j);
    for (int32_t k = 0; k < v.count; ++k) norm[v.index[k]] += v.array[v.index[k]] * v.array[v.index[k]];
  }
  return norm;
}

// Devex from unit (reference) weights: the reference norm of row i after
// the pivot is 1 + (alpha_iq / alpha_rq)^2 (and 1 / alpha_rq^2 for the
// pivot row); devex keeps the larger of the two terms, so it lies between
// half the norm and the norm.  (The steepest-edge updates are checked
// against exact norms on Netlib bases in test_pricing_dual.cpp.)
TEST(DualPricingWeights, DevexStaysWithinItsBoundOfTheReferenceNorms) {
  const SimplexLp lp = small_lp();
  const std::vector<int32_t> head = {0, 1, 2, 3};
  const HVector col = ftran_column(lp, *factor_of(lp, head), 4);
  const int32_t r = modest_pivot(col);
  ASSERT_GE(r, 0);
  const std::unique_ptr<DualPricing> devex = make_dual_pricing(DualPricingRule::Devex, kRows);
  ASSERT_EQ(devex->rule(), DualPricingRule::Devex);
  ASSERT_FALSE(devex->needs_tau());
  DualPivot pivot;
  pivot.row = r;
  pivot.alpha = col.array[r];
  pivot.column = &col;
  devex->update(pivot);
  std::vector<int32_t> next = head;
  next[r] = 4;
  const std::vector<double> norm = dual_reference_norms(lp, *factor_of(lp, next), head);
  for (int32_t i = 0; i < kRows; ++i) {
    EXPECT_LE(devex->weight(i), norm[i] * (1.0 + 1e-12)) << i;
    EXPECT_GE(devex->weight(i), 0.5 * norm[i] * (1.0 - 1e-12)) << i;
  }
  EXPECT_NEAR(devex->weight(r), norm[r], 1e-12 * norm[r]);
}

// The pivot data of the primal simplex for entering q at position r.
struct PrimalStepData {
  HVector col, rho, row, steep;
  std::vector<int8_t> mark;
  PrimalPivot pivot;
  PrimalStepData(const SimplexLp &lp, const BasisFactor &f, const std::vector<int32_t> &head,
                 const std::vector<int8_t> &status, int32_t q, int32_t r) {
    col = ftran_column(lp, f, q);
    rho = btran_unit(f, r);
    row.setup(lp.num_vars());
    mark.assign(static_cast<size_t>(lp.num_vars()), 0);
    pivot_row_colwise(lp, rho, status, row, mark);
    steep.setup(lp.m);
    for (int32_t k = 0; k < col.count; ++k) {
      steep.array[col.index[k]] = col.array[col.index[k]];
      steep.index[steep.count++] = col.index[k];
    }
    f.btran(steep, 1.0);
    pivot.enter = q;
    pivot.leave = head[r];
    pivot.row_pos = r;
    pivot.alpha = col.array[r];
    pivot.row = &row;
    pivot.column = &col;
    pivot.steep = &steep;
    pivot.lp = &lp;
    pivot.head = &head;
  }
};

TEST(PrimalPricingWeights, SteepestEdgeUpdateMatchesRecomputationAndDevexStaysWithinItsBound) {
  const SimplexLp lp = small_lp();
  const int32_t nv = lp.num_vars();
  const std::vector<int32_t> head = {0, 1, 2, 3};
  std::vector<int8_t> status(static_cast<size_t>(nv), kAtLower);
  for (int32_t j : head) status[j] = kBasic;
  const std::unique_ptr<BasisFactor> before = factor_of(lp, head);
  const HVector col = ftran_column(lp, *before, 4);

  // Steepest edge: 1 + ||B^-1 a_j||^2 for every nonbasic j (structurals
  // and slacks), updated through the pivot row and B^-T B^-1 a_q.
  for (int32_t r = 0; r < kRows; ++r) {
    if (std::fabs(col.array[r]) < 1e-3) continue;
    const std::unique_ptr<PrimalPricing> se = make_primal_steepest_pricing(nv);
    ASSERT_TRUE(se->needs_steep());
    EXPECT_EQ(se->compute_exact(lp, *before, status), nv - kRows);
    const PrimalStepData step(lp, *before, head, status, 4, r);
    se->update(step.pivot);

    std::vector<int32_t> next = head;
    next[r] = 4;
    std::vector<int8_t> next_status = status;
    next_status[4] = kBasic;
    next_status[head[r]] = kAtLower;
    const std::unique_ptr<PrimalPricing> fresh = make_primal_steepest_pricing(nv);
    fresh->compute_exact(lp, *factor_of(lp, next), next_status);
    for (int32_t j = 0; j < nv; ++j) {
      if (next_status[j] == kBasic) continue;
      EXPECT_NEAR(se->weight(j), fresh->weight(j), 1e-12 * fresh->weight(j)) << "leaving " << r << " variable " << j;
    }
  }

  // Devex: the reference set is the nonbasic variables of the first
  // choice.  After one pivot the reference norm of a nonbasic reference
  // variable j is 1 + (alpha_rj / alpha_rq)^2 (its own entry plus that of
  // q, now basic at r) and that of the leaving variable 1 / alpha_rq^2;
  // devex keeps the larger term.
  const int32_t r = modest_pivot(col);
  ASSERT_GE(r, 0);
  const std::unique_ptr<PrimalPricing> devex = make_primal_devex_pricing(nv);
  std::vector<double> dual(static_cast<size_t>(nv), 0.0);
  const PrimalPricingView view{&dual, &status, &lp.lower, &lp.upper, 1e-7, nullptr};
  EXPECT_EQ(devex->choose(view), -1);  // no attractive variable; sets the reference
  const PrimalStepData step(lp, *before, head, status, 4, r);
  devex->update(step.pivot);
  for (int32_t j = 0; j < nv; ++j) {
    if (status[j] == kBasic || j == 4) continue;
    const double ratio = step.row.array[j] / step.pivot.alpha;
    const double norm = 1.0 + ratio * ratio;
    EXPECT_LE(devex->weight(j), norm * (1.0 + 1e-12)) << j;
    EXPECT_GE(devex->weight(j), 0.5 * norm * (1.0 - 1e-12)) << j;
  }
  const double alpha = step.pivot.alpha;
  EXPECT_NEAR(devex->weight(head[r]), 1.0 / (alpha * alpha), 1e-12 / (alpha * alpha));
}

}  // namespace
