// Netlib instances end to end through the library's interface: read the
// MPS file, TVLlpopt with presolve off, compare with the manifest and read
// the quality measures; infeasible variants end with a proving dual ray;
// repeated runs agree in iterations and log.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "simplex/dual_test_util.h"
#include "tavlo.h"
#include "support/log_text.h"

namespace {

using tvl::lp::testing::netlib_dir;
using tvl::lp::testing::netlib_optimum;

void collect(void *handle, const char *msg) { *static_cast<std::string *>(handle) += msg; }

struct Instance {
  TVLENVptr env = nullptr;
  TVLLPptr lp = nullptr;
  std::string log;
  explicit Instance(const std::string &name) {
    int st = 0;
    env = TVLopenTAVLO(&st);
    TVLCHANNELptr logc = nullptr;
    TVLgetchannels(env, nullptr, nullptr, nullptr, &logc);
    TVLaddfuncdest(env, logc, &log, collect);
    TVLsetintparam(env, TVL_PARAM_PREIND, 0);
    TVLsetintparam(env, TVL_PARAM_THREADS, 1);  // dual simplex: rays and repeatable logs
    lp = TVLcreateprob(env, &st, name.c_str());
    const std::string path = netlib_dir() + "/" + name + ".mps.gz";
    EXPECT_EQ(TVLreadcopyprob(env, lp, path.c_str(), nullptr), 0) << path;
  }
  ~Instance() {
    TVLfreeprob(env, &lp);
    TVLcloseTAVLO(&env);
  }
  double measure(int what) {
    double q = 1e75;
    EXPECT_EQ(TVLgetdblquality(env, lp, &q, what), 0);
    return q;
  }
  double objective() {
    double obj = NAN;
    EXPECT_EQ(TVLgetobjval(env, lp, &obj), 0);
    return obj;
  }
  // Adds the row  c'x <= c'x* - delta  for the stored optimum x*: the
  // objective (without its constant) as a constraint no point can meet.
  void add_objective_cut(double delta) {
    const int n = TVLgetnumcols(env, lp);
    std::vector<double> obj(static_cast<size_t>(n)), x(static_cast<size_t>(n));
    ASSERT_EQ(TVLgetobj(env, lp, obj.data(), 0, n - 1), 0);
    ASSERT_EQ(TVLgetx(env, lp, x.data(), 0, n - 1), 0);
    double bound = -delta;
    for (int j = 0; j < n; ++j) bound += obj[static_cast<size_t>(j)] * x[static_cast<size_t>(j)];
    std::vector<int> ind;
    std::vector<double> val;
    for (int j = 0; j < n; ++j) {
      if (obj[static_cast<size_t>(j)] != 0.0) {
        ind.push_back(j);
        val.push_back(obj[static_cast<size_t>(j)]);
      }
    }
    const int beg = 0;
    const char sense = 'L';
    ASSERT_EQ(TVLaddrows(env, lp, 0, 1, static_cast<int>(ind.size()), &bound, &sense, &beg,
                         ind.data(), val.data(), nullptr, nullptr), 0);
  }
};

const char *const kFastSubset[] = {"afiro", "sc50a",   "sc50b",    "kb2",    "blend",   "adlittle",
                                   "share2b", "sc105", "stocfor1", "israel", "scagr7", "boeing1"};

TEST(LpOptNetlib, FastSubsetOptimalWithinTolerances) {
  for (const char *name : kFastSubset) {
    SCOPED_TRACE(name);
    Instance inst(name);
    ASSERT_EQ(TVLlpopt(inst.env, inst.lp), 0);
    ASSERT_EQ(TVLgetstat(inst.env, inst.lp), TVL_STAT_OPTIMAL);
    const double ref = netlib_optimum(name);
    EXPECT_LE(std::fabs(inst.objective() - ref), 1e-6 * std::max(1.0, std::fabs(ref)));
    EXPECT_LT(inst.measure(TVL_MAX_PRIMAL_INFEAS), 1e-6);
    EXPECT_LT(inst.measure(TVL_MAX_DUAL_INFEAS), 1e-6);
    EXPECT_LT(inst.measure(TVL_MAX_PRIMAL_RESIDUAL), 1e-6);
    EXPECT_LT(inst.measure(TVL_MAX_DUAL_RESIDUAL), 1e-6);
    EXPECT_LT(inst.measure(TVL_OBJ_GAP), 1e-6);
    EXPECT_GE(inst.measure(TVL_KAPPA), 1.0);
    EXPECT_GT(TVLgetitcnt(inst.env, inst.lp), 0);
  }
}

TEST(LpOptNetlib, ObjectiveCutMakesInfeasibleWithProvingRay) {
  for (const char *name : {"afiro", "blend", "sc105", "share2b", "bnl2"}) {
    SCOPED_TRACE(name);
    Instance inst(name);
    ASSERT_EQ(TVLlpopt(inst.env, inst.lp), 0);
    ASSERT_EQ(TVLgetstat(inst.env, inst.lp), TVL_STAT_OPTIMAL);
    inst.add_objective_cut(1e-3 * std::max(1.0, std::fabs(inst.objective())));
    ASSERT_EQ(TVLlpopt(inst.env, inst.lp), 0);
    ASSERT_EQ(TVLgetstat(inst.env, inst.lp), TVL_STAT_INFEASIBLE);
    const int m = TVLgetnumrows(inst.env, inst.lp);
    std::vector<double> y(static_cast<size_t>(m));
    double proof = 0.0;
    ASSERT_EQ(TVLdualfarkas(inst.env, inst.lp, y.data(), &proof), 0);
    EXPECT_GT(proof, 1e-7);
    EXPECT_NE(y.back(), 0.0);  // the cut takes part in every proof
  }
}

TEST(LpOptNetlib, ColumnsFixedAtLowerBoundsAreInfeasible) {
  Instance inst("afiro");
  const int n = TVLgetnumcols(inst.env, inst.lp);
  std::vector<double> lb(static_cast<size_t>(n));
  ASSERT_EQ(TVLgetlb(inst.env, inst.lp, lb.data(), 0, n - 1), 0);
  // Every column fixed at its lower bound: some rows cannot be met there.
  std::vector<double> infeas(static_cast<size_t>(TVLgetnumrows(inst.env, inst.lp)));
  ASSERT_EQ(TVLgetrowinfeas(inst.env, inst.lp, lb.data(), infeas.data(), 0,
                            static_cast<int>(infeas.size()) - 1), 0);
  double worst = 0.0;
  for (double v : infeas) worst = std::max(worst, std::fabs(v));
  ASSERT_GT(worst, 1e-3);
  std::vector<int> idx(static_cast<size_t>(n));
  std::vector<char> lu(static_cast<size_t>(n), 'U');
  for (int j = 0; j < n; ++j) idx[static_cast<size_t>(j)] = j;
  ASSERT_EQ(TVLchgbds(inst.env, inst.lp, n, idx.data(), lu.data(), lb.data()), 0);
  ASSERT_EQ(TVLlpopt(inst.env, inst.lp), 0);
  EXPECT_EQ(TVLgetstat(inst.env, inst.lp), TVL_STAT_INFEASIBLE);
  double proof = 0.0;
  ASSERT_EQ(TVLdualfarkas(inst.env, inst.lp, nullptr, &proof), 0);
  EXPECT_GT(proof, 1e-7);
}

TEST(LpOptNetlib, RepeatedRunsAgreeInIterationsAndLog) {
  // israel is small; perold (625 rows, some 1400 iterations) is mid-size
  // with a detailed log line per iteration.
  for (const char *name : {"israel", "perold"}) {
    SCOPED_TRACE(name);
    std::string first;
    int first_its = -1;
    double first_obj = 0.0;
    for (int run = 0; run < 2; ++run) {
      Instance inst(name);
      ASSERT_EQ(TVLsetintparam(inst.env, TVL_PARAM_SIMDISPLAY, 2), 0);
      ASSERT_EQ(TVLlpopt(inst.env, inst.lp), 0);
      const int its = TVLgetitcnt(inst.env, inst.lp);
      const double obj = inst.objective();
      if (run == 0) {
        first = tvltest::untimed(inst.log);
        first_its = its;
        first_obj = obj;
        EXPECT_NE(first.find("Iteration"), std::string::npos);
      } else {
        EXPECT_EQ(its, first_its);
        EXPECT_EQ(obj, first_obj);
        EXPECT_EQ(tvltest::untimed(inst.log), first);
      }
    }
  }
}

}  // namespace
