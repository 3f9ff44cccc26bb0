// Forrest-Tomlin update of the basis factor: long update sequences on
// Netlib bases against fresh factorizations (sparse and dense solve paths,
// both precisions), the two ways the update obtains its spike, and refusal
// of updates whose new diagonal is tiny.
#include <gtest/gtest.h>

#include <cmath>
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

// Largest difference between the solves of two factors of the same basis,
// relative to the size of the result, over FTRAN and BTRAN of unit, column
// and dense right-hand sides with both solve paths of `f`.
double solve_gap(const BasisFactor &f, const BasisFactor &fresh, const CscMatrix &a, std::mt19937 &rng) {
  std::uniform_real_distribution<double> val(-1.0, 1.0);
  std::uniform_int_distribution<int32_t> pos(0, a.m - 1), col(0, a.n - 1);
  double gap = 0.0;
  for (int kind = 0; kind < 3; ++kind) {
    std::vector<double> b(a.m, 0.0);
    if (kind == 0) b[pos(rng)] = 1.0;
    else if (kind == 1) add_column(a, col(rng), 1.0, b);
    else for (auto &v : b) v = val(rng);
    for (int dir = 0; dir < 2; ++dir) {
      HVector ref;
      load(ref, b);
      if (dir == 0) fresh.ftran(ref, 0.0);
      else fresh.btran(ref, 0.0);
      double big = 1.0;
      for (const double v : ref.array) big = std::max(big, std::fabs(v));
      for (const double hint : {0.0, 1.0}) {
        HVector x;
        load(x, b);
        if (dir == 0) f.ftran(x, hint);
        else f.btran(x, hint);
        EXPECT_TRUE(index_exact(x));
        for (int32_t i = 0; i < a.m; ++i) gap = std::max(gap, std::fabs(x.array[i] - ref.array[i]) / big);
      }
    }
  }
  return gap;
}

// Transformed column of variable q under factor f, computed in `col`.
void transformed(const BasisFactor &f, const CscMatrix &a, int32_t q, HVector &col) {
  std::vector<double> aq(a.m, 0.0);
  add_column(a, q, 1.0, aq);
  load(col, aq);
  f.ftran(col, 0.0);
}

}  // namespace

// Hundreds of updates without refactorization (fixed interval) on walked
// Netlib bases: after every 40 updates the updated factor must solve like
// a fresh factorization of the same basis, through the hyper-sparse and the
// pivot-order loops alike.  The walk replaces many columns more than once,
// so U's storage is compacted and the pivot order rotated repeatedly.
TEST(LuUpdate, LongSequencesOnNetlibBasesMatchFreshFactors) {
  const char *names[] = {"scfxm2", "25fv47", "pilot", "ship12l", "grow22", "perold"};
  int tried = 0;
  for (const char *name : names) {
    CscMatrix a;
    if (!read_matrix_file(tvltest::instance_path("netlib", name), a)) continue;
    ++tried;
    for (int prec = 0; prec <= 1; ++prec) {
      FactorSettings s;
      s.update_limit = 401;
      std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, s));
      Walk w;
      start_walk(w, a);
      ASSERT_EQ(f->factorize(a, w.head, nullptr), FactorStatus::Ok) << name;
      // Start from a basis with structurals in it.
      std::mt19937 rng(3 + prec);
      ASSERT_TRUE(walk(w, a, *f, a.m / 2, rng)) << name;
      std::vector<int32_t> head = w.head;
      f->factorize(a, head, nullptr);
      w.head = head;
      const int32_t refactors = w.refactors;
      double worst = 0.0;
      int32_t most_updates = 0;
      ASSERT_TRUE(walk(w, a, *f, 400, rng, [&](int32_t step) {
        most_updates = std::max(most_updates, f->updates_since_factor());
        if (step % 40 != 39) return;
        std::unique_ptr<BasisFactor> g(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
        std::vector<int32_t> h = w.head;
        ASSERT_EQ(g->factorize(a, h, nullptr), FactorStatus::Ok) << name;
        worst = std::max(worst, solve_gap(*f, *g, a, rng));
      })) << name;
      EXPECT_LT(worst, 1e-8) << name << " precision " << prec;
      // The updates were applied, not refused into refactorizations.
      EXPECT_LE(w.refactors - refactors, 4) << name;
      EXPECT_GE(most_updates, 200) << name;
    }
  }
  if (tried == 0) GTEST_SKIP() << "Netlib files not found";
}

// The update takes the spike kept by the FTRAN of the column it is given,
// or recomputes it from a copy of that column; either way the factor after
// 600 updates (well past the growth that asks for refactorization) must
// solve like a fresh one, and the same sequence gives bit-identical results
// and work.
TEST(LuUpdate, KeptAndRecomputedSpikesAgreeAndRunsRepeat) {
  std::mt19937 gen(91);
  const CscMatrix a = random_matrix(300, 900, 0.01, gen);
  FactorSettings s;
  s.update_limit = 1000;
  auto run = [&](bool copy, std::vector<double> &out, uint64_t &work) {
    std::unique_ptr<BasisFactor> f(make_basis_factor(0, a.m, a.n, s));
    std::vector<int32_t> head(a.m);
    for (int32_t i = 0; i < a.m; ++i) head[i] = a.n + i;
    EXPECT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int32_t> pick(0, a.n - 1);
    std::vector<char> basic(a.n + a.m, 0);
    for (const int32_t v : head) basic[v] = 1;
    int32_t done = 0;
    for (int iter = 0; iter < 3000 && done < 600; ++iter) {
      const int32_t q = pick(rng);
      if (basic[q]) continue;
      HVector col;
      transformed(*f, a, q, col);
      int32_t r = -1;
      for (int32_t t = 0; t < col.count; ++t) {
        const int32_t p = col.index[t];
        if (std::fabs(col.array[p]) > 0.5 && (r < 0 || head[p] > head[r])) r = p;
      }
      if (r < 0) continue;
      basic[head[r]] = 0;
      basic[q] = 1;
      head[r] = q;
      HVector copied = col;
      f->update(r, copy ? copied : col);
      EXPECT_TRUE(f->valid()) << "update " << done;
      ++done;
    }
    EXPECT_EQ(f->updates_since_factor(), 600);
    std::unique_ptr<BasisFactor> g(make_basis_factor(0, a.m, a.n, FactorSettings{}));
    EXPECT_EQ(g->factorize(a, head, nullptr), FactorStatus::Ok);
    std::mt19937 rhs(8);
    EXPECT_LT(solve_gap(*f, *g, a, rhs), 1e-8) << (copy ? "recomputed" : "kept");
    std::vector<double> b(a.m);
    for (int32_t i = 0; i < a.m; ++i) b[i] = 1.0 + i % 5;
    HVector x;
    load(x, b);
    f->ftran(x, 0.0);
    out = x.array;
    HVector y;
    load(y, b);
    f->btran(y, 1.0);
    out.insert(out.end(), y.array.begin(), y.array.end());
    work = f->work();
  };
  std::vector<double> kept, kept2, recomputed;
  uint64_t w1 = 0, w2 = 0, w3 = 0;
  run(false, kept, w1);
  run(false, kept2, w2);
  run(true, recomputed, w3);
  EXPECT_EQ(kept, kept2);
  EXPECT_EQ(w1, w2);
}

// An update whose pivot alpha_r or whose new diagonal alpha_r * u_pp is
// tiny is refused: the factor asks for refactorization, and refactorizing
// the new basis afterwards gives accurate solves (nothing was left behind
// in the factor or its workspace).
TEST(LuUpdate, TinyPivotsAreRefusedWithoutHarm) {
  // Column 0 = 1e-7 e_0 (a small but acceptable pivot), column 1 = 1e-6 e_0
  // + e_1, column 2 = 1e-13 e_0 + e_2, column 3 = e_0 + e_1 + e_2.
  CscMatrix a;
  a.m = 3;
  a.n = 4;
  a.start = {0, 1, 3, 5, 8};
  a.index = {0, 0, 1, 0, 2, 0, 1, 2};
  a.value = {1e-7, 1e-6, 1.0, 1e-13, 1.0, 1.0, 1.0, 1.0};
  for (int prec = 0; prec <= 1; ++prec) {
    // Entering column 2 at position 0: alpha_0 = 1e-6, new diagonal 1e-13.
    // Entering column 1 at position 1 (slack 1 leaves): alpha_1 = 1, a
    // healthy update that must be accepted.
    for (const int32_t q : {2, 1}) {
      std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
      std::vector<int32_t> head = {0, a.n + 1, a.n + 2};
      ASSERT_NE(f->factorize(a, head, nullptr), FactorStatus::Singular);
      HVector col;
      transformed(*f, a, q, col);
      const int32_t r = q == 2 ? 0 : 1;
      const bool accepted = f->update(r, col);
      head[r] = q;
      if (q == 2) {
        EXPECT_FALSE(accepted);
        EXPECT_FALSE(f->valid());
        head = {3, a.n + 1, a.n + 2};  // a well-conditioned basis instead
        ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
      } else {
        EXPECT_TRUE(accepted);
        EXPECT_EQ(f->updates_since_factor(), 1);
      }
      for (int32_t i = 0; i < a.m; ++i) {
        std::vector<double> b(a.m, 0.0);
        b[i] = 1.0;
        HVector x, y;
        load(x, b);
        f->ftran(x, 0.0);
        EXPECT_LT(ftran_residual(a, head, x, b), 1e-12) << "q " << q << " row " << i;
        load(y, b);
        f->btran(y, 0.0);
        EXPECT_LT(btran_residual(a, head, y, b), 1e-12) << "q " << q << " pos " << i;
      }
    }
    // alpha_r itself below the limit.
    std::unique_ptr<BasisFactor> f(make_basis_factor(prec, a.m, a.n, FactorSettings{}));
    std::vector<int32_t> head = {a.n, a.n + 1, a.n + 2};
    ASSERT_EQ(f->factorize(a, head, nullptr), FactorStatus::Ok);
    HVector col;
    transformed(*f, a, 2, col);
    EXPECT_FALSE(f->update(0, col));  // alpha_0 = 1e-13
  }
}
