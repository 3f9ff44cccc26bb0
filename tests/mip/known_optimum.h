// Reads a bundled MIP into the session's problem, builds its model and
// solves it for an optimal solution, which tests then hold their
// reductions and cuts against.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mip/mip_model.h"
#include "support/api_session.h"
#include "support/bench_dir.h"

namespace tvltest {

// Returns an optimal solution of instance `name` (empty after a failed
// expectation); `model` receives the instance's MIP model and `optval`
// its optimal objective.  Cut families switched off solve it the plain way.
inline std::vector<double> known_optimum(ApiSession &s, const std::string &name, tvl::mip::MipModel &model,
                                         double &optval) {
  const std::string file = instance_path("miplib", name);
  EXPECT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0) << name;
  tvl::mip::build_mip_model(s.lp, model);
  TVLsetintparam(s.env, TVL_PARAM_THREADS, 1);
  TVLsetintparam(s.env, TVL_PARAM_FRACCUTS, -1);
  TVLsetintparam(s.env, TVL_PARAM_COVERS, -1);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetdblparam(s.env, TVL_PARAM_TILIM, 600.0);  // a slow sanitizer build under load must not end it early
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0);
  const int status = TVLgetstat(s.env, s.lp);
  EXPECT_TRUE(status == TVLMIP_OPTIMAL || status == TVLMIP_OPTIMAL_TOL) << name;
  if (testing::Test::HasFailure()) return {};
  std::vector<double> opt(static_cast<size_t>(model.n()));
  EXPECT_EQ(TVLgetx(s.env, s.lp, opt.data(), 0, model.n() - 1), 0);
  TVLgetobjval(s.env, s.lp, &optval);
  return opt;
}

}  // namespace tvltest
