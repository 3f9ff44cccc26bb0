// Basis solves through the library's interface (TVLftran, TVLbtran,
// TVLgetbhead, TVLbinvrow, TVLbinvcol, TVLbinvarow, TVLbinvacol): checked
// against the basis matrix assembled from the problem's columns and the
// reported header on Netlib instances, with and without scaling and in
// extended precision; failures before a solve, after data changes and for
// bad arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "frame/param.h"
#include "lp/binv_store.h"
#include "simplex/dual_test_util.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace {

using tvl::lp::testing::netlib_dir;
using Vec = std::vector<double>;

struct Problem : tvltest::ApiSession {
  int m = 0, n = 0;
  Problem() : ApiSession("binv") { TVLsetintparam(env, TVL_PARAM_PREIND, 0); }
  bool read(const std::string &name) {
    if (read_netlib(name) != 0) return false;
    sizes();
    return true;
  }
  void sizes() {
    m = TVLgetnumrows(env, lp);
    n = TVLgetnumcols(env, lp);
  }
  // Column j of the basis matrix for header entry h (slack of row i: e_i).
  Vec basis_column(int h) const {
    Vec col(static_cast<size_t>(m), 0.0);
    if (h < 0) {
      col[static_cast<size_t>(-h - 1)] = 1.0;
      return col;
    }
    int nz = 0, beg = 0, surplus = 0;
    std::vector<int> ind(static_cast<size_t>(m) + 1);
    Vec val(static_cast<size_t>(m) + 1);
    EXPECT_EQ(TVLgetcols(env, lp, &nz, &beg, ind.data(), val.data(), m + 1, &surplus, h, h), 0);
    for (int k = 0; k < nz; ++k) col[static_cast<size_t>(ind[static_cast<size_t>(k)])] = val[static_cast<size_t>(k)];
    return col;
  }
};

// Dense basis matrix, column k for header position k.
struct Dense {
  int m = 0;
  std::vector<Vec> cols;
  Vec times(const Vec &v) const {  // B v
    Vec r(static_cast<size_t>(m), 0.0);
    for (int k = 0; k < m; ++k)
      for (int i = 0; i < m; ++i) r[static_cast<size_t>(i)] += cols[static_cast<size_t>(k)][static_cast<size_t>(i)] * v[static_cast<size_t>(k)];
    return r;
  }
  Vec transposed_times(const Vec &v) const {  // B' v
    Vec r(static_cast<size_t>(m), 0.0);
    for (int k = 0; k < m; ++k)
      for (int i = 0; i < m; ++i) r[static_cast<size_t>(k)] += cols[static_cast<size_t>(k)][static_cast<size_t>(i)] * v[static_cast<size_t>(i)];
    return r;
  }
};

double max_diff(const Vec &a, const Vec &b) {
  double w = 0.0;
  for (size_t k = 0; k < a.size(); ++k) w = std::max(w, std::fabs(a[k] - b[k]) / (1.0 + std::fabs(b[k])));
  return w;
}

Vec pseudo_random(int len, unsigned seed) {
  Vec v(static_cast<size_t>(len));
  for (auto &x : v) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<double>((seed >> 8) % 2001) / 1000.0 - 1.0;
  }
  return v;
}

Vec unit(int len, int k) {
  Vec v(static_cast<size_t>(len), 0.0);
  v[static_cast<size_t>(k)] = 1.0;
  return v;
}

// Everything the basis-solve functions return for one final basis, for
// comparing runs that differ in scaling or precision.
struct Answers {
  std::vector<int> head;
  Vec hx, ftran, btran, binvrow0, binvacol0;
};

// Checks every function against the assembled basis matrix and returns the answers.
Answers check_solves(Problem &p) {
  const int m = p.m, n = p.n;
  Answers ans;
  ans.head.assign(static_cast<size_t>(m), 0);
  ans.hx.assign(static_cast<size_t>(m), 0.0);
  EXPECT_EQ(TVLgetbhead(p.env, p.lp, ans.head.data(), ans.hx.data()), 0);
  Dense b{m, {}};
  for (int h : ans.head) b.cols.push_back(p.basis_column(h));
  Vec x(static_cast<size_t>(n)), slack(static_cast<size_t>(m));
  EXPECT_EQ(TVLgetx(p.env, p.lp, x.data(), 0, n - 1), 0);
  EXPECT_EQ(TVLgetslack(p.env, p.lp, slack.data(), 0, m - 1), 0);
  for (int k = 0; k < m; ++k) {
    const int h = ans.head[static_cast<size_t>(k)];
    EXPECT_EQ(ans.hx[static_cast<size_t>(k)], h < 0 ? slack[static_cast<size_t>(-h - 1)] : x[static_cast<size_t>(h)]);
  }
  // B * ftran(v) == v and B' * btran(v) == v.
  const Vec v = pseudo_random(m, 7u);
  ans.ftran = v;
  EXPECT_EQ(TVLftran(p.env, p.lp, ans.ftran.data()), 0);
  EXPECT_LT(max_diff(b.times(ans.ftran), v), 1e-9);
  ans.btran = v;
  EXPECT_EQ(TVLbtran(p.env, p.lp, ans.btran.data()), 0);
  EXPECT_LT(max_diff(b.transposed_times(ans.btran), v), 1e-9);
  // Rows and columns of the inverse are the solves of unit vectors;
  // binvarow is binvrow times A and gives unit entries on basic columns.
  for (int k : {0, m / 2, m - 1}) {
    Vec row(static_cast<size_t>(m)), col(static_cast<size_t>(m)), e = unit(m, k), f = unit(m, k);
    EXPECT_EQ(TVLbinvrow(p.env, p.lp, k, row.data()), 0);
    EXPECT_EQ(TVLbtran(p.env, p.lp, e.data()), 0);
    EXPECT_EQ(max_diff(row, e), 0.0);
    EXPECT_LT(max_diff(b.transposed_times(row), unit(m, k)), 1e-9);
    EXPECT_EQ(TVLbinvcol(p.env, p.lp, k, col.data()), 0);
    EXPECT_EQ(TVLftran(p.env, p.lp, f.data()), 0);
    EXPECT_EQ(max_diff(col, f), 0.0);
    Vec z(static_cast<size_t>(n));
    EXPECT_EQ(TVLbinvarow(p.env, p.lp, k, z.data()), 0);
    for (int j = 0; j < n; j += std::max(1, n / 40)) {
      const Vec aj = p.basis_column(j);
      double dot = 0.0;
      for (int i = 0; i < m; ++i) dot += row[static_cast<size_t>(i)] * aj[static_cast<size_t>(i)];
      EXPECT_NEAR(z[static_cast<size_t>(j)], dot, 1e-9 * (1.0 + std::fabs(dot)));
    }
    for (int q = 0; q < m; ++q) {
      const int h = ans.head[static_cast<size_t>(q)];
      if (h >= 0) {
        EXPECT_NEAR(z[static_cast<size_t>(h)], q == k ? 1.0 : 0.0, 1e-9);
      }
    }
    if (k == 0) ans.binvrow0 = row;
  }
  for (int j : {0, n / 2, n - 1}) {
    Vec col(static_cast<size_t>(m)), aj = p.basis_column(j);
    EXPECT_EQ(TVLbinvacol(p.env, p.lp, j, col.data()), 0);
    EXPECT_LT(max_diff(b.times(col), aj), 1e-9);
    Vec f = aj;
    EXPECT_EQ(TVLftran(p.env, p.lp, f.data()), 0);
    EXPECT_LT(max_diff(col, f), 1e-12);
    if (j == 0) ans.binvacol0 = col;
  }
  return ans;
}

TEST(BasisSolves, NetlibFinalBasesScaledUnscaledAndExtended) {
  for (const char *name : {"afiro", "sc50a", "adlittle", "share2b"}) {
    SCOPED_TRACE(name);
    Problem p;
    if (!p.read(name)) GTEST_SKIP() << "Netlib instances not found under " << netlib_dir();
    ASSERT_EQ(TVLsetintparam(p.env, TVL_PARAM_SCAIND, -1), 0);
    ASSERT_EQ(TVLdualopt(p.env, p.lp), 0);
    ASSERT_EQ(TVLgetstat(p.env, p.lp), TVL_STAT_OPTIMAL);
    std::vector<int> cstat(static_cast<size_t>(p.n)), rstat(static_cast<size_t>(p.m));
    ASSERT_EQ(TVLgetbase(p.env, p.lp, cstat.data(), rstat.data()), 0);
    const Answers plain = check_solves(p);
    ASSERT_TRUE(p.lp->factor && tvl::kept_factor(p.lp)->rowscale.empty());
    // The same final basis, factorized on the scaled problem (standard and
    // aggressive scaling) and in extended precision, answers the same.
    struct Variant { int scaind, precision; };
    for (const Variant var : {Variant{0, 0}, Variant{1, 0}, Variant{0, 1}}) {
      SCOPED_TRACE(var.scaind * 10 + var.precision);
      ASSERT_EQ(TVLsetintparam(p.env, TVL_PARAM_SCAIND, var.scaind), 0);
      ASSERT_EQ(TVLsetintparam(p.env, tvl::kParamPrecision, var.precision), 0);
      ASSERT_EQ(TVLcopybase(p.env, p.lp, cstat.data(), rstat.data()), 0);
      ASSERT_EQ(TVLdualopt(p.env, p.lp), 0);
      ASSERT_EQ(TVLgetitcnt(p.env, p.lp), 0);
      const Answers other = check_solves(p);
      ASSERT_TRUE(p.lp->factor != nullptr);
      EXPECT_FALSE(tvl::kept_factor(p.lp)->rowscale.empty());
      EXPECT_EQ(tvl::kept_factor(p.lp)->factor->precision(), var.precision);
      EXPECT_EQ(other.head, plain.head);
      EXPECT_LT(max_diff(other.hx, plain.hx), 1e-9);
      EXPECT_LT(max_diff(other.ftran, plain.ftran), 1e-10);
      EXPECT_LT(max_diff(other.btran, plain.btran), 1e-10);
      EXPECT_LT(max_diff(other.binvrow0, plain.binvrow0), 1e-10);
      EXPECT_LT(max_diff(other.binvacol0, plain.binvacol0), 1e-10);
    }
    EXPECT_EQ(p.errors, "");
  }
}

// max 3x + 2y  s.t.  r0: x + y <= 10,  r1: x <= 3,  r2: x + 2y <= 7,  x, y >= 0.
// Optimum x = 3, y = 2; the slack of r0 (5) is basic.
void load_small(Problem &p) {
  const double obj[] = {3.0, 2.0}, rhs[] = {10.0, 3.0, 7.0}, lb[] = {0.0, 0.0}, ub[] = {1e20, 1e20};
  const char sense[] = {'L', 'L', 'L'};
  const int beg[] = {0, 3}, cnt[] = {3, 2}, ind[] = {0, 1, 2, 0, 2};
  const double val[] = {1.0, 1.0, 1.0, 1.0, 2.0};
  ASSERT_EQ(TVLcopylp(p.env, p.lp, 2, 3, TVL_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  p.sizes();
}

TEST(BasisSolves, HeaderOfSmallLpAndFailures) {
  Problem p;
  load_small(p);
  Vec x = {1.0, 2.0, 3.0}, z = {9.0, 9.0};
  std::vector<int> head = {7, 7, 7};
  // Nothing solved yet: no factor, no basic solution; outputs untouched.
  EXPECT_EQ(TVLftran(p.env, p.lp, x.data()), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  EXPECT_EQ(TVLbtran(p.env, p.lp, x.data()), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  EXPECT_EQ(TVLbinvarow(p.env, p.lp, 0, z.data()), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  EXPECT_EQ(TVLgetbhead(p.env, p.lp, head.data(), nullptr), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(x, (Vec{1.0, 2.0, 3.0}));
  EXPECT_EQ(z, (Vec{9.0, 9.0}));
  EXPECT_EQ(head, (std::vector<int>{7, 7, 7}));
  EXPECT_NE(p.errors.find("TAVLO Error  1258: No LU factorization exists.\n"), std::string::npos);
  EXPECT_NE(p.errors.find("TAVLO Error  1217: No solution exists.\n"), std::string::npos);

  ASSERT_EQ(TVLdualopt(p.env, p.lp), 0);
  ASSERT_EQ(TVLgetstat(p.env, p.lp), TVL_STAT_OPTIMAL);
  Vec hx(3);
  ASSERT_EQ(TVLgetbhead(p.env, p.lp, head.data(), hx.data()), 0);
  EXPECT_EQ(head, (std::vector<int>{0, 1, -1}));  // x, y, then the slack of row 0
  EXPECT_EQ(hx, (Vec{3.0, 2.0, 5.0}));
  ASSERT_EQ(TVLgetbhead(p.env, p.lp, nullptr, nullptr), 0);
  // B = [1 1 1; 1 0 0; 1 2 0] (columns x, y, e_0): B^-1 b = (3, 2, 5).
  Vec rhs = {10.0, 3.0, 7.0};
  ASSERT_EQ(TVLftran(p.env, p.lp, rhs.data()), 0);
  EXPECT_NEAR(rhs[0], 3.0, 1e-14);
  EXPECT_NEAR(rhs[1], 2.0, 1e-14);
  EXPECT_NEAR(rhs[2], 5.0, 1e-14);
  // Bad arguments.
  EXPECT_EQ(TVLftran(p.env, nullptr, x.data()), TVLERR_NO_PROBLEM_EXISTS);
  EXPECT_EQ(TVLftran(p.env, p.lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLbinvrow(p.env, p.lp, 3, x.data()), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLbinvcol(p.env, p.lp, -1, x.data()), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLbinvacol(p.env, p.lp, 2, x.data()), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLbinvarow(p.env, p.lp, 3, z.data()), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(x, (Vec{1.0, 2.0, 3.0}));
  double kappa = 0.0;
  ASSERT_EQ(TVLgetdblquality(p.env, p.lp, &kappa, TVL_KAPPA), 0);
  EXPECT_GE(kappa, 1.0);

  // A data change drops the factor together with the solution.
  const int j = 0;
  const double c = 4.0;
  ASSERT_EQ(TVLchgobj(p.env, p.lp, 1, &j, &c), 0);
  EXPECT_EQ(p.lp->factor, nullptr);
  EXPECT_EQ(TVLftran(p.env, p.lp, x.data()), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  EXPECT_EQ(TVLgetbhead(p.env, p.lp, head.data(), nullptr), TVLERR_NO_SOLUTION_EXISTS);
  // A new run brings a new factor; copying a basis in drops it again.
  ASSERT_EQ(TVLdualopt(p.env, p.lp), 0);
  ASSERT_EQ(TVLbinvcol(p.env, p.lp, 0, x.data()), 0);
  const int cstat[] = {TVL_BASIC, TVL_BASIC}, rstat[] = {TVL_BASIC, TVL_AT_LOWER, TVL_AT_LOWER};
  ASSERT_EQ(TVLcopybase(p.env, p.lp, cstat, rstat), 0);
  EXPECT_EQ(TVLbinvcol(p.env, p.lp, 0, x.data()), TVLERR_NO_LU_FACTORIZATION_EXISTS);
  EXPECT_EQ(TVLgetdblquality(p.env, p.lp, &kappa, TVL_KAPPA), TVLERR_NO_SOLUTION_EXISTS);
}

}  // namespace
