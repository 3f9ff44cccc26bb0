// Basis factor on bases of Netlib instances: a simplex-like walk from the
// slack basis, checking FTRAN/BTRAN residuals of the updated factor and of
// fresh factorizations, in both precisions.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "factor/factor.h"
#include "lu_matrix_file.h"
#include "lu_test_util.h"
#include "lu_walk.h"
#include "support/bench_dir.h"

using namespace tvl::lp;
using namespace lutest;

namespace {

std::string netlib_path(const std::string &name) { return tvltest::instance_path("netlib", name); }

double check_basis(BasisFactor &f, const CscMatrix &a, const std::vector<int32_t> &head, std::mt19937 &rng) {
  std::uniform_real_distribution<double> val(-1.0, 1.0);
  std::uniform_int_distribution<int32_t> pos(0, a.m - 1);
  double worst = 0.0;
  for (int t = 0; t < 3; ++t) {
    std::vector<double> b(a.m, 0.0);
    if (t == 0) b[pos(rng)] = 1.0;
    else if (t == 1) add_column(a, std::uniform_int_distribution<int32_t>(0, a.n - 1)(rng), 1.0, b);
    else for (auto &v : b) v = val(rng);
    HVector x, y;
    load(x, b);
    f.ftran(x, 0.0);
    EXPECT_TRUE(index_exact(x));
    worst = std::max(worst, ftran_residual(a, head, x, b));
    load(y, b);
    f.btran(y, 0.0);
    EXPECT_TRUE(index_exact(y));
    worst = std::max(worst, btran_residual(a, head, y, b));
  }
  return worst;
}

}  // namespace

TEST(LuNetlib, WalkedBasesSolveAccurately) {
  const char *names[] = {"afiro", "sc50a", "adlittle", "blend", "share2b", "stocfor1",
                         "scagr7", "israel", "e226", "bandm", "agg"};
  int tried = 0;
  for (const char *name : names) {
    CscMatrix a;
    if (!read_matrix_file(netlib_path(name), a)) continue;
    ++tried;
    if (std::string(name) == "afiro") {
      EXPECT_EQ(a.m, 27);
      EXPECT_EQ(a.n, 32);
      EXPECT_EQ(a.index.size(), 83u);
    }
    for (int prec = 0; prec <= 1; ++prec) {
      std::mt19937 rng(17 + prec);
      std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
      Walk w;
      start_walk(w, a);
      ASSERT_EQ(f->factorize(a, w.head, nullptr), FactorStatus::Ok) << name;
      double worst = 0.0;
      const bool ok = walk(w, a, *f, 2 * a.m, rng, [&](int32_t s) {
        if (s % 7 == 0) worst = std::max(worst, check_basis(*f, a, w.head, rng));
      });
      ASSERT_TRUE(ok) << name;
      EXPECT_LT(worst, 1e-7) << name << " precision " << prec;
      // A fresh factorization of the final basis.
      std::unique_ptr<BasisFactor> g(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
      std::vector<int32_t> head = w.head;
      ASSERT_NE(g->factorize(a, head, nullptr), FactorStatus::Singular) << name;
      EXPECT_LT(check_basis(*g, a, head, rng), 1e-8) << name;
    }
  }
  if (tried == 0) GTEST_SKIP() << "Netlib files not found";
}
