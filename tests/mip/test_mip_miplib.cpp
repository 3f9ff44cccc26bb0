// The MIP optimizer on real instances of the bundled MIPLIB subset: the
// status and objective against the published optimum, and the incumbent
// checked against the model read again from its file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/bench_dir.h"
#include "support/mip_check.h"

namespace {

struct Run {
  int status = 0;
  double objective = NAN, bound = NAN, violation = -1.0;
  int nodes = 0;
  std::string log;
};

Run solve(const std::string &name, int varsel = 0, int nodesel = 1) {
  tvltest::ApiSession s("mip");
  Run run;
  const std::string file = tvltest::instance_path("miplib", name);
  if (TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr) != 0) return run;
  TVLsetdblparam(s.env, TVL_PARAM_TILIM, 120.0);
  TVLsetintparam(s.env, TVL_PARAM_THREADS, 1);
  TVLsetintparam(s.env, TVL_PARAM_VARSEL, varsel);
  TVLsetintparam(s.env, TVL_PARAM_NODESEL, nodesel);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
  run.status = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &run.objective);
  TVLgetbestobjval(s.env, s.lp, &run.bound);
  run.nodes = TVLgetnodecnt(s.env, s.lp);
  std::vector<double> x(static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
  if (TVLgetx(s.env, s.lp, x.data(), 0, static_cast<int>(x.size()) - 1) == 0)
    run.violation = tvltest::mip_violation(file, x);
  return run;
}

void expect_optimal(const std::string &name, const Run &run) {
  const double opt = tvltest::published_optimum(name);
  ASSERT_FALSE(std::isnan(opt)) << name;
  ASSERT_TRUE(run.status == TVLMIP_OPTIMAL || run.status == TVLMIP_OPTIMAL_TOL) << name << " status " << run.status;
  const double tol = run.status == TVLMIP_OPTIMAL ? 1e-6 : 1e-4;
  EXPECT_LE(std::fabs(run.objective - opt), tol * std::max(1.0, std::fabs(opt))) << name;
  EXPECT_GE(run.violation, 0.0) << name;
  EXPECT_LE(run.violation, 1e-6) << name;
  // The bound never passes the incumbent of a minimisation.
  EXPECT_LE(run.bound, run.objective + 1e-6 * std::max(1.0, std::fabs(opt))) << name;
}

TEST(MipMiplib, SmallInstancesReachTheirPublishedOptimaWithFeasibleIncumbents) {
  for (const char *name : {"p0033", "egout", "flugpl", "enigma", "lseu", "stein27"}) {
    SCOPED_TRACE(name);
    expect_optimal(name, solve(name));
  }
}

TEST(MipMiplib, EveryBranchingAndNodeSelectionRuleFindsTheSameOptimum) {
  // Rules differ in the tree they build, never in the answer.
  for (int varsel : {-1, 1, 2, 3, 4}) {
    SCOPED_TRACE(varsel);
    expect_optimal("p0033", solve("p0033", varsel));
  }
  for (int nodesel : {0, 2, 3}) {
    SCOPED_TRACE(nodesel);
    expect_optimal("flugpl", solve("flugpl", 0, nodesel));
  }
}

}  // namespace
