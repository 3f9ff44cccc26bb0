// Basis factor: factorization, solves, updates and singular repair on
// random bases of several sizes and densities, in both precisions.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "factor/factor.h"
#include "lu_test_util.h"

using namespace tvl::lp;
using namespace lutest;

namespace {

struct Case {
  int32_t m;
  double density;
  double slack_share;
};

// Builds a basis of m positions: a share of slacks, the rest structurals
// from the first m columns (which together are nonsingular).
std::vector<int32_t> make_head(const CscMatrix &a, double slack_share, std::mt19937 &rng) {
  std::vector<int32_t> head(a.m);
  std::uniform_real_distribution<double> coin(0.0, 1.0);
  // Column j < m has its guaranteed entry in a distinct row; replacing it by
  // that row's slack keeps the basis nonsingular with probability one.
  for (int32_t j = 0; j < a.m; ++j) {
    head[j] = j;
    if (coin(rng) < slack_share) {
      head[j] = a.n + a.index[a.start[j]];
    }
  }
  std::shuffle(head.begin(), head.end(), rng);
  return head;
}

std::vector<double> random_rhs(int32_t m, int32_t nnz, std::mt19937 &rng) {
  std::vector<double> b(m, 0.0);
  std::uniform_int_distribution<int32_t> pos(0, m - 1);
  std::uniform_real_distribution<double> val(-2.0, 2.0);
  if (nnz >= m) {
    for (auto &v : b) v = val(rng);
  } else {
    for (int32_t t = 0; t < nnz; ++t) b[pos(rng)] = val(rng);
  }
  return b;
}

void check_solves(BasisFactor &f, const CscMatrix &a, const std::vector<int32_t> &head, std::mt19937 &rng,
                  double tol, const char *what) {
  const int32_t m = a.m;
  for (const int32_t nnz : {1, 3, m / 20 + 1, m}) {
    for (const double hint : {0.0, 1.0}) {
      const std::vector<double> b = random_rhs(m, nnz, rng);
      HVector x;
      load(x, b);
      f.ftran(x, hint);
      EXPECT_TRUE(index_exact(x)) << what << " ftran index, nnz " << nnz;
      EXPECT_LT(ftran_residual(a, head, x, b), tol) << what << " ftran, m " << m << " nnz " << nnz;
      HVector y;
      load(y, b);
      f.btran(y, hint);
      EXPECT_TRUE(index_exact(y)) << what << " btran index, nnz " << nnz;
      EXPECT_LT(btran_residual(a, head, y, b), tol) << what << " btran, m " << m << " nnz " << nnz;
    }
  }
}

}  // namespace

TEST(LuFactor, RandomBasesSolveInBothPrecisions) {
  const Case cases[] = {{1, 1.0, 0.0},   {4, 0.9, 0.0},    {30, 0.2, 0.3},   {120, 0.05, 0.5},
                        {300, 0.02, 0.7}, {600, 0.004, 0.2}, {250, 0.3, 0.1}, {1500, 0.003, 0.8}};
  std::mt19937 rng(12345);
  for (const Case &c : cases) {
    const CscMatrix a = random_matrix(c.m, c.m + c.m / 2, c.density, rng);
    for (int prec = 0; prec <= 1; ++prec) {
      std::vector<int32_t> head = make_head(a, c.slack_share, rng);
      const std::vector<int32_t> head0 = head;
      std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
      ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok) << "m " << c.m;
      EXPECT_EQ(head, head0);
      EXPECT_EQ(f->precision(), prec);
      EXPECT_GE(f->factor_nonzeros(), c.m);
      check_solves(*f, a, head, rng, 1e-9, prec ? "extended" : "double");
    }
  }
}

TEST(LuFactor, DenseKernelAndPureMarkowitzAgree) {
  // The same dense-ish basis through the dense kernel (switch 0) and
  // through the Markowitz phase alone (switch above 1).
  std::mt19937 rng(7);
  const CscMatrix a = random_matrix(80, 80, 0.4, rng);
  std::vector<int32_t> head(80);
  for (int32_t j = 0; j < 80; ++j) head[j] = j;
  for (const double sw : {0.0, 0.5, 2.0}) {
    FactorSettings s;
    s.dense_switch = sw;
    std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, s));
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    check_solves(*f, a, head, rng, 1e-9, "switch");
  }
}

TEST(LuFactor, DenseKernelOrdersPivotsBySparsity) {
  // Arrowhead basis: a dense first column and first row over a diagonal.
  // Pivoting the dense column first fills the whole matrix; taking the
  // sparse columns first leaves no fill, which the dense kernel (switch 0)
  // must find as the Markowitz phase (switch above 1) does.  Each diagonal
  // entry is its column's largest, so pivot size alone does not decide.
  const int32_t m = 60;
  CscMatrix a;
  a.m = a.n = m;
  a.start.assign(1, 0);
  for (int32_t j = 0; j < m; ++j) {
    for (int32_t i = 0; i < m; ++i) {
      if (j == 0 || i == 0 || i == j) {
        a.index.push_back(i);
        a.value.push_back(i == j ? 4.0 + j % 3 : (j == 0 ? 1.0 + 0.01 * i : 2.0 - 0.01 * j));
      }
    }
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  std::vector<int32_t> head(m);
  for (int32_t j = 0; j < m; ++j) head[j] = j;
  std::mt19937 rng(3);
  for (const double sw : {0.0, 2.0}) {
    FactorSettings s;
    s.dense_switch = sw;
    std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, s));
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    EXPECT_LE(f->factor_nonzeros(), 3 * m) << "switch " << sw;
    check_solves(*f, a, head, rng, 1e-9, "arrowhead");
  }
}

TEST(LuFactor, HyperSparseSolvesMatchDenseSolves) {
  // Mostly triangular basis of a larger size; unit right-hand sides take
  // the symbolic-reach path and must agree with the dense loops.
  std::mt19937 rng(99);
  const CscMatrix a = random_matrix(4000, 4000, 0.0008, rng);
  std::vector<int32_t> head = make_head(a, 0.6, rng);
  std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, FactorSettings{}));
  ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
  std::uniform_int_distribution<int32_t> pos(0, a.m - 1);
  for (int t = 0; t < 40; ++t) {
    std::vector<double> e(a.m, 0.0);
    e[pos(rng)] = 1.0;
    for (const bool transpose : {false, true}) {
      HVector sparse, dense;
      load(sparse, e);
      load(dense, e);
      if (transpose) {
        f->btran(sparse, 0.0);
        f->btran(dense, 1.0);
      } else {
        f->ftran(sparse, 0.0);
        f->ftran(dense, 1.0);
      }
      ASSERT_TRUE(index_exact(sparse));
      ASSERT_TRUE(index_exact(dense));
      EXPECT_EQ(sparse.count, dense.count);
      for (int32_t i = 0; i < a.m; ++i)
        ASSERT_NEAR(sparse.array[i], dense.array[i], 1e-12 * (1.0 + std::fabs(dense.array[i])));
    }
  }
}

TEST(LuFactor, RepeatedAndZeroIndexEntriesAreReadOnce) {
  // Callers that accumulate a right-hand side list a row again when it
  // cancelled to zero and was hit later, and may list rows that ended at
  // zero; the solves must read each value once and return an exact list.
  std::mt19937 rng(5);
  const CscMatrix a = random_matrix(300, 600, 0.01, rng);
  std::vector<int32_t> head = make_head(a, 0.4, rng);
  std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, FactorSettings{}));
  ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
  const std::vector<double> b = random_rhs(a.m, 12, rng);
  for (const bool transpose : {false, true}) {
    HVector clean, messy;
    load(clean, b);
    load(messy, b);
    const int32_t n0 = messy.count;
    for (int32_t t = 0; t < n0; ++t) messy.index[messy.count++] = messy.index[t];
    for (int32_t i = 0; i < a.m && messy.count < a.m; ++i)
      if (b[i] == 0.0) { messy.index[messy.count++] = i; break; }
    if (transpose) {
      f->btran(clean, 0.0);
      f->btran(messy, 0.0);
    } else {
      f->ftran(clean, 0.0);
      f->ftran(messy, 0.0);
    }
    ASSERT_TRUE(index_exact(messy));
    EXPECT_EQ(clean.count, messy.count);
    for (int32_t i = 0; i < a.m; ++i) EXPECT_EQ(clean.array[i], messy.array[i]);
  }
}

TEST(LuFactor, LongUpdateSequenceMatchesRefactorization) {
  std::mt19937 rng(2024);
  // Run 2: the double factor with every nucleus through the dense kernel.
  for (int run = 0; run <= 2; ++run) {
    const int prec = run == 2 ? 0 : run;
    FactorSettings settings;
    if (run == 2) settings.dense_switch = 0.0;
    const CscMatrix a = random_matrix(200, 600, 0.02, rng);
    std::vector<int32_t> head = make_head(a, 0.5, rng);
    std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, settings));
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    std::vector<char> basic(a.n + a.m, 0);
    for (const int32_t v : head) basic[v] = 1;
    std::uniform_int_distribution<int32_t> pick(0, a.n + a.m - 1);
    int done = 0;
    for (int iter = 0; iter < 300 && done < 150; ++iter) {
      const int32_t q = pick(rng);
      if (basic[q]) continue;
      std::vector<double> aq(a.m, 0.0);
      add_column(a, q, 1.0, aq);
      HVector col;
      load(col, aq);
      f->ftran(col, 0.0);
      ASSERT_LT(ftran_residual(a, head, col, aq), 1e-8);
      // Leaving position: a well-sized entry of the transformed column.
      double big = 0.0;
      for (int32_t t = 0; t < col.count; ++t) big = std::max(big, std::fabs(col.array[col.index[t]]));
      int32_t r = -1;
      for (int32_t t = 0; t < col.count && r < 0; ++t)
        if (std::fabs(col.array[col.index[t]]) >= 0.3 * big) r = col.index[t];
      ASSERT_GE(r, 0);
      basic[head[r]] = 0;
      basic[q] = 1;
      head[r] = q;
      if (!f->update(r, col)) {
        ASSERT_NE(f->factorize(a, head, nullptr), FactorStatus::Singular) << "run " << run;
      }
      ++done;
      if (done % 25 == 0)
        check_solves(*f, a, head, rng, 1e-8, run == 2 ? "dense kernel, after updates" : "after updates");
    }
    EXPECT_EQ(done, 150);
    // Solves from the updated factor agree with a fresh factorization.
    std::unique_ptr<BasisFactor> g(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
    std::vector<int32_t> head2 = head;
    ASSERT_EQ(g->factorize(a, head2, nullptr), FactorStatus::Ok);
    const std::vector<double> b = random_rhs(a.m, a.m, rng);
    HVector x1, x2;
    load(x1, b);
    load(x2, b);
    f->ftran(x1, 1.0);
    g->ftran(x2, 1.0);
    for (int32_t i = 0; i < a.m; ++i) EXPECT_NEAR(x1.array[i], x2.array[i], 1e-8 * (1 + std::fabs(x2.array[i])));
  }
}

TEST(LuFactor, UpdateLimitFromInterval) {
  std::mt19937 rng(5);
  const CscMatrix a = random_matrix(20, 40, 0.2, rng);
  for (const int32_t reinv : {1, 4}) {
    FactorSettings s;
    s.update_limit = reinv;
    std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, s));
    std::vector<int32_t> head(a.m);
    for (int32_t i = 0; i < a.m; ++i) head[i] = a.n + i;  // slack basis
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    int accepted = 0;
    for (int32_t j = 0; j < 10; ++j) {
      std::vector<double> aq(a.m, 0.0);
      add_column(a, j, 1.0, aq);
      HVector col;
      load(col, aq);
      f->ftran(col, 0.0);
      const int32_t r = col.index[0];
      head[r] = j;
      if (!f->update(r, col)) break;
      ++accepted;
    }
    EXPECT_EQ(accepted, reinv - 1);
  }
}

TEST(LuFactor, SingularBasesAreRepairedKeepingIndependentColumns) {
  std::mt19937 rng(31);
  // Run 2 is the double factor with the dense kernel from the start.
  for (int run = 0; run <= 2; ++run) {
    const int prec = run == 2 ? 0 : run;
    FactorSettings base;
    if (run == 2) base.dense_switch = 0.0;
    CscMatrix a = random_matrix(60, 60, 0.08, rng);
    // Column 5 duplicates column 2; column 9 is 2*col3 - col4; column 11 is empty.
    auto copy_combo = [&](int32_t dst, std::vector<std::pair<int32_t, double>> parts) {
      std::vector<double> dense(a.m, 0.0);
      for (auto [j, s] : parts) add_column(a, j, s, dense);
      CscMatrix b = a;
      b.index.clear();
      b.value.clear();
      b.start.assign(1, 0);
      for (int32_t j = 0; j < a.n; ++j) {
        if (j == dst) {
          for (int32_t i = 0; i < a.m; ++i)
            if (dense[i] != 0.0) { b.index.push_back(i); b.value.push_back(dense[i]); }
        } else {
          for (int32_t e = a.start[j]; e < a.start[j + 1]; ++e) { b.index.push_back(a.index[e]); b.value.push_back(a.value[e]); }
        }
        b.start.push_back(static_cast<int32_t>(b.index.size()));
      }
      a = b;
    };
    copy_combo(5, {{2, 1.0}});
    copy_combo(9, {{3, 2.0}, {4, -1.0}});
    copy_combo(11, {});
    std::vector<int32_t> head(a.m);
    for (int32_t j = 0; j < a.m; ++j) head[j] = j;
    std::shuffle(head.begin(), head.end(), rng);
    const std::vector<int32_t> head0 = head;

    FactorSettings no_repair = base;
    no_repair.repair = false;
    std::unique_ptr<BasisFactor> g(make_basis_factor(prec, a.m, a.n, no_repair));
    std::vector<int32_t> h = head;
    EXPECT_EQ(g->factorize(a, h, nullptr), FactorStatus::Singular);
    EXPECT_EQ(h, head0);
    EXPECT_FALSE(g->valid());

    std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, base));
    std::vector<int32_t> replaced;
    ASSERT_EQ(f->factorize(a, head, &replaced), FactorStatus::Repaired);
    EXPECT_EQ(replaced.size(), 3u);
    EXPECT_EQ(f->report().positions.size(), 3u);
    EXPECT_EQ(f->report().singular_rounds, 1);
    EXPECT_TRUE(f->report().threshold_raised);
    EXPECT_DOUBLE_EQ(f->markowitz(), 0.1);
    // One of each dependent group left; the empty column is always among them.
    EXPECT_NE(std::find(replaced.begin(), replaced.end(), 11), replaced.end());
    int changed = 0;
    for (int32_t k = 0; k < a.m; ++k) {
      if (head[k] == head0[k]) continue;
      ++changed;
      EXPECT_GE(head[k], a.n);  // replaced by a slack
      EXPECT_NE(std::find(replaced.begin(), replaced.end(), head0[k]), replaced.end());
    }
    EXPECT_EQ(changed, 3);
    auto in = [&](std::initializer_list<int32_t> g2) {
      int c = 0;
      for (int32_t v : g2) c += std::find(replaced.begin(), replaced.end(), v) != replaced.end();
      return c;
    };
    EXPECT_EQ(in({2, 5}), 1);
    EXPECT_EQ(in({3, 4, 9}), 1);
    check_solves(*f, a, head, rng, 1e-9, "repaired");
  }
}

TEST(LuFactor, BadlyScaledBasisRaisesThreshold) {
  // Pivot ratio 1e14: every threshold below 0.99999 is rejected in turn.
  CscMatrix a;
  a.m = a.n = 3;
  a.start = {0, 1, 3, 4};
  a.index = {0, 1, 2, 2};
  a.value = {1e7, 1e-7, 0.5, 1.0};
  std::vector<int32_t> head = {0, 1, 2};
  for (int prec = 0; prec <= 1; ++prec) {
    std::unique_ptr<BasisFactor> f(make_basis_factor(prec, 3, 3, FactorSettings{}));
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    EXPECT_TRUE(f->report().threshold_raised);
    EXPECT_DOUBLE_EQ(f->markowitz(), 0.99999);
    EXPECT_GT(f->report().max_pivot / f->report().min_pivot, 1e13);
    EXPECT_GT(f->report().attempts, 5);
    std::mt19937 rng(1);
    check_solves(*f, a, head, rng, 1e-9, "scaled");
  }
}

