// The four ways of forming the pivot row rho' [A I] (column-wise over
// every nonbasic column, column-wise over a list of columns, row-wise over
// rho's rows, row-wise over the movable part of a partitioned row copy)
// against dot products computed here, on random sparse
// matrices with basic and fixed columns, equality rows (fixed slacks),
// dense and sparse rho, and rows
// reused without clearing in between beyond pivot_row_clear.  The
// column-wise forms must give the dot products to the bit, whatever the
// column's length (short columns take a padded, masked loop).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "simplex/pivot_row.h"
#include "simplex/simplex_lp.h"

namespace {

using namespace tvl::lp;

SimplexLp random_lp(std::mt19937 &rng, int32_t m, int32_t n) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  LpModel model;
  model.a.m = m;
  model.a.n = n;
  model.a.start.push_back(0);
  for (int32_t j = 0; j < n; ++j) {
    // Some columns stay empty, a few are long.
    const double density = j % 11 == 0 ? 0.0 : (j % 7 == 0 ? 0.6 : 0.12);
    for (int32_t i = 0; i < m; ++i) {
      if (unit(rng) >= density) continue;
      model.a.index.push_back(i);
      model.a.value.push_back(std::round(unit(rng) * 20.0 - 10.0) / 4.0);
    }
    model.a.start.push_back(static_cast<int32_t>(model.a.index.size()));
  }
  model.cost.assign(static_cast<size_t>(n), 0.0);
  model.collo.assign(static_cast<size_t>(n), 0.0);
  model.colup.assign(static_cast<size_t>(n), 5.0);
  for (int32_t j = 0; j < n; j += 5) model.colup[static_cast<size_t>(j)] = 0.0;  // fixed columns
  model.rowlo.assign(static_cast<size_t>(m), -1.0);
  model.rowup.assign(static_cast<size_t>(m), 1.0);
  for (int32_t i = 0; i < m; i += 3) model.rowlo[static_cast<size_t>(i)] = model.rowup[static_cast<size_t>(i)] = 0.0;
  SimplexLp lp;
  lp.load(model);
  return lp;
}

// alpha_j = rho' a_j for a structural j, rho_i for the slack n+i.
double expected_alpha(const SimplexLp &lp, const HVector &rho, int32_t j) {
  if (j >= lp.n) return rho.array[static_cast<size_t>(j - lp.n)];
  double s = 0.0;
  for (int32_t k = lp.a.start[j]; k < lp.a.start[j + 1]; ++k) s += lp.a.value[k] * rho.array[lp.a.index[k]];
  return s;
}

TEST(PivotRow, EveryFormMatchesTheDotProductsAndListsItsEntriesInOrder) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int32_t m = 40, n = 120;
  const SimplexLp lp = random_lp(rng, m, n);
  HVector row;
  row.setup(lp.num_vars());
  std::vector<int8_t> mark(static_cast<size_t>(lp.num_vars()), 0);
  // One partitioned copy for all trials: built on the first, brought to
  // each later trial's statuses by refresh.
  RowPartition part;
  std::vector<double> rowwise(static_cast<size_t>(lp.num_vars()));
  for (int trial = 0; trial < 40; ++trial) {
    // Status: about a third of the variables basic (not necessarily m of
    // them: the kernels do not look at the basis, only at the statuses).
    std::vector<int8_t> status(static_cast<size_t>(lp.num_vars()));
    for (auto &s : status) s = unit(rng) < 0.33 ? kBasic : (unit(rng) < 0.5 ? kAtLower : kAtUpper);
    HVector rho;
    rho.setup(m);
    const double density = trial % 2 == 0 ? 0.9 : 0.08;
    for (int32_t i = 0; i < m; ++i) {
      if (unit(rng) >= density) continue;
      rho.array[static_cast<size_t>(i)] = unit(rng) - 0.5;
      rho.index[rho.count++] = i;
    }
    std::vector<int32_t> movable, movable_rows;
    for (int32_t j = 0; j < lp.num_vars(); ++j) {
      if (status[static_cast<size_t>(j)] == kBasic || lp.lower[j] == lp.upper[j]) continue;
      if (j < lp.n) movable.push_back(j);
      else movable_rows.push_back(j - lp.n);
    }
    std::vector<int8_t> flag(static_cast<size_t>(lp.n), 0);
    for (int32_t j : movable) flag[static_cast<size_t>(j)] = 1;
    if (trial == 0) part.build(lp, flag);
    else part.refresh(lp, flag);
    ASSERT_TRUE(part.consistent(lp, flag)) << trial;

    for (int form = 0; form < 4; ++form) {
      pivot_row_clear(row, mark);
      for (int32_t v = 0; v < lp.num_vars(); ++v) {
        ASSERT_EQ(row.array[static_cast<size_t>(v)], 0.0) << "left over by the previous row, " << v;
        ASSERT_EQ(mark[static_cast<size_t>(v)], 0) << v;
      }
      std::vector<std::pair<int32_t, double>> sunk;
      auto sink = [&](int32_t j, double a) { sunk.emplace_back(j, a); };
      if (form == 0) pivot_row_colwise(lp, rho, status, row, mark, sink);
      else if (form == 1) pivot_row_listed(lp, rho, movable, movable_rows, 0, row, mark, sink);
      else if (form == 2) pivot_row_rowwise(lp, rho, row, mark);
      else pivot_row_movable(lp, part, status, rho, row, mark);

      std::vector<char> listed(static_cast<size_t>(lp.num_vars()), 0);
      for (int32_t k = 0; k < row.count; ++k) {
        const int32_t j = row.index[k];
        ASSERT_FALSE(listed[static_cast<size_t>(j)]) << "listed twice: " << j;
        listed[static_cast<size_t>(j)] = 1;
        EXPECT_EQ(mark[static_cast<size_t>(j)], 1) << j;
        if (form < 2) {
          if (k > 0) {
            EXPECT_LT(row.index[k - 1], j) << "column-wise rows list in variable order";
          }
          ASSERT_LT(static_cast<size_t>(k), sunk.size());
          EXPECT_EQ(sunk[static_cast<size_t>(k)].first, j) << "the sink sees the row's order";
          EXPECT_EQ(sunk[static_cast<size_t>(k)].second, row.array[static_cast<size_t>(j)]);
        }
      }
      if (form < 2) {
        EXPECT_EQ(sunk.size(), static_cast<size_t>(row.count));
      }
      for (int32_t v = 0; v < lp.num_vars(); ++v) {
        const double want = expected_alpha(lp, rho, v);
        const bool basic = status[static_cast<size_t>(v)] == kBasic;
        const bool fixed = lp.lower[v] == lp.upper[v];
        // Which entries a form must hold: column-wise every nonbasic one
        // (the listed and movable forms leave out fixed variables),
        // row-wise every one.
        const bool wanted = form == 2 || (!basic && !((form == 1 || form == 3) && fixed));
        if (form == 2) rowwise[static_cast<size_t>(v)] = row.array[static_cast<size_t>(v)];
        if (!wanted) {
          if (form != 2) {
            EXPECT_FALSE(listed[static_cast<size_t>(v)]) << form << " " << v;
          }
          continue;
        }
        if (form == 3) {
          // The same sums over rho's rows in rho's order as the full row-wise form.
          EXPECT_EQ(row.array[static_cast<size_t>(v)], rowwise[static_cast<size_t>(v)]) << v;
        }
        if (want != 0.0) {
          EXPECT_TRUE(listed[static_cast<size_t>(v)]) << form << " " << v;
          // Column-wise, short columns (padded, masked products) and long
          // ones sum in the plain order: the same value to the bit.
          if (form < 2) {
            EXPECT_EQ(row.array[static_cast<size_t>(v)], want) << form << " " << v;
          } else {
            EXPECT_NEAR(row.array[static_cast<size_t>(v)], want, 1e-12) << form << " " << v;
          }
        } else if (!listed[static_cast<size_t>(v)]) {
          EXPECT_EQ(row.array[static_cast<size_t>(v)], 0.0) << form << " " << v;
        }
      }
    }
  }
}

}  // namespace
