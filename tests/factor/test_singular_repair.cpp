// Singular starting bases: the dual simplex repairs them, says so in its
// log when the display is on, and still solves the LP; the repair counter
// and the precision switch of SingularRepair follow the limit and policy.
#include <gtest/gtest.h>

#include <string>

#include "factor/singular_repair.h"
#include "tavlo.h"

namespace {

void collect(void *handle, const char *msg) { *static_cast<std::string *>(handle) += msg; }

size_t count_of(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

// min x1 + x2 + x3  s.t.  x1 + x2 + x3 >= 2,  x1 + x2 + 2 x3 >= 3,  x >= 0;
// x1 and x2 have identical columns, so a basis holding both is singular.
// Optimal value 2.
TEST(SingularRepair, SingularStartIsRepairedWithMessages) {
  for (int display : {0, 1}) {
    SCOPED_TRACE(display);
    int st = 0;
    TVLENVptr env = TVLopenTAVLO(&st);
    std::string log;
    TVLCHANNELptr logc = nullptr;
    TVLgetchannels(env, nullptr, nullptr, nullptr, &logc);
    TVLaddfuncdest(env, logc, &log, collect);
    TVLsetintparam(env, TVL_PARAM_PREIND, 0);
    TVLsetintparam(env, TVL_PARAM_SIMDISPLAY, display);
    TVLLPptr lp = TVLcreateprob(env, &st, "singular");
    const double obj[] = {1.0, 1.0, 1.0}, rhs[] = {2.0, 3.0}, lb[] = {0, 0, 0}, ub[] = {1e20, 1e20, 1e20};
    const char sense[] = {'G', 'G'};
    const int beg[] = {0, 2, 4}, cnt[] = {2, 2, 2}, ind[] = {0, 1, 0, 1, 0, 1};
    const double val[] = {1.0, 1.0, 1.0, 1.0, 1.0, 2.0};
    char c1[] = "alpha", c2[] = "beta", c3[] = "gamma", r1[] = "first", r2[] = "second";
    char *colname[] = {c1, c2, c3}, *rowname[] = {r1, r2};
    ASSERT_EQ(TVLcopylpwnames(env, lp, 3, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr,
                              colname, rowname),
              0);
    const int cstat[] = {TVL_BASIC, TVL_BASIC, TVL_AT_LOWER}, rstat[] = {TVL_AT_LOWER, TVL_AT_LOWER};
    ASSERT_EQ(TVLcopybase(env, lp, cstat, rstat), 0);
    ASSERT_EQ(TVLdualopt(env, lp), 0);
    EXPECT_EQ(TVLgetstat(env, lp), TVL_STAT_OPTIMAL);
    double objval = 0.0;
    ASSERT_EQ(TVLgetobjval(env, lp, &objval), 0);
    EXPECT_NEAR(objval, 2.0, 1e-9);
    EXPECT_EQ(count_of(log, "Repairing basis singularity.\n"), display ? 1u : 0u);
    EXPECT_EQ(count_of(log, "fixed because of singularity.\n"), display ? 1u : 0u);
    // The displaced column is named as the problem names it.
    EXPECT_EQ(count_of(log, "Variable 'alpha' fixed because of singularity.\n") +
                  count_of(log, "Variable 'beta' fixed because of singularity.\n"),
              display ? 1u : 0u)
        << log;
    TVLfreeprob(env, &lp);
    TVLcloseTAVLO(&env);
  }
}

// A singularity tolerance above the pivots of the LP makes every
// refactorization repair the basis: the repairs within the repair limit
// are made (and shown, with the default name of the displaced column), the
// next one ends the dual's run; the primal simplex then starts afresh from
// a slack basis, meets the same, and the call ends with 1256.
TEST(SingularRepair, ExhaustedLimitEndsTheCallWithBasisSingular) {
  for (int limit : {0, 10}) {
    SCOPED_TRACE(limit);
    int st = 0;
    TVLENVptr env = TVLopenTAVLO(&st);
    std::string errors, log;
    TVLCHANNELptr errc = nullptr, logc = nullptr;
    TVLgetchannels(env, nullptr, nullptr, &errc, &logc);
    TVLaddfuncdest(env, errc, &errors, collect);
    TVLaddfuncdest(env, logc, &log, collect);
    TVLsetintparam(env, TVL_PARAM_PREIND, 0);
    TVLsetintparam(env, TVL_PARAM_REINV, 1);
    TVLsetintparam(env, TVL_PARAM_SCAIND, -1);
    TVLsetintparam(env, TVL_PARAM_SINGLIM, limit);
    ASSERT_EQ(TVLsetdblparam(env, TVL_PARAM_SINGTOL, 0.5), 0);
    TVLLPptr lp = TVLcreateprob(env, &st, "weak");
    // min x + 2y  s.t.  0.3x + 0.3y >= 1,  0.3x - 0.3y <= 2,  x, y >= 0.
    const double obj[] = {1.0, 2.0}, rhs[] = {1.0, 2.0}, lb[] = {0, 0}, ub[] = {1e20, 1e20};
    const char sense[] = {'G', 'L'};
    const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
    const double val[] = {0.3, 0.3, 0.3, -0.3};
    ASSERT_EQ(TVLcopylp(env, lp, 2, 2, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
    EXPECT_EQ(TVLdualopt(env, lp), TVLERR_BASIS_SINGULAR);
    EXPECT_EQ(errors, "TAVLO Error  1256: Basis singular.\n");
    EXPECT_NE(TVLgetstat(env, lp), TVL_STAT_OPTIMAL);
    // The repair inside the first iteration does not count; each of the
    // two runs makes limit + 1.
    EXPECT_EQ(count_of(log, "Basis singular; switching to primal simplex from a slack basis.\n"), 1u) << log;
    EXPECT_EQ(count_of(log, "Repairing basis singularity.\n"), 2 * (static_cast<size_t>(limit) + 1)) << log;
    EXPECT_EQ(count_of(log, "Variable 'x1' fixed because of singularity.\n"), 2 * (static_cast<size_t>(limit) + 1));
    TVLfreeprob(env, &lp);
    TVLcloseTAVLO(&env);
  }
}

TEST(SingularRepair, LimitCountsOnlyRepairsAfterTheFirstIterationAndPolicyPicksPrecision) {
  tvl::lp::FactorReport rep;
  rep.old_vars = {4, 1};  // a slack (n = 3) and a structural
  std::string out;
  auto name = [](int32_t j) { return "c" + std::to_string(j); };
  auto print = [&out](const std::string &line) { out += line; };
  tvl::lp::SingularRepair limit_one(1, 0);
  EXPECT_TRUE(limit_one.note(rep, 3, false, 1, name, print));  // starting basis: not counted
  EXPECT_TRUE(limit_one.note(rep, 3, true, 1, name, print));
  EXPECT_FALSE(limit_one.exhausted());
  EXPECT_FALSE(limit_one.note(rep, 3, true, 1, name, print));
  EXPECT_TRUE(limit_one.exhausted());
  EXPECT_EQ(out,
            "Repairing basis singularity.\nSlack removed by singularity.\n"
            "Variable 'c1' fixed because of singularity.\n"
            "Repairing basis singularity.\nSlack removed by singularity.\n"
            "Variable 'c1' fixed because of singularity.\n");
  tvl::lp::SingularRepair none(0, 0);
  EXPECT_FALSE(none.note(rep, 3, true, 0, name, print));
  EXPECT_TRUE(limit_one.escalate(0));
  EXPECT_FALSE(limit_one.escalate(1));
  EXPECT_FALSE(tvl::lp::SingularRepair(10, -1).escalate(0));
  EXPECT_FALSE(tvl::lp::SingularRepair(10, 1).escalate(0));
}

}  // namespace
