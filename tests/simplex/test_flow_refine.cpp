// Refinement of the final basic solution on real instances: a solution whose
// basic values and duals were disturbed (as by an inaccurate solve) comes
// back with residuals near round-off, the same basis and objective; a result
// that is not an optimal basic solution is left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "simplex/dualopt.h"
#include "simplex/flow_refine.h"
#include "simplex/scaling.h"
#include "simplex/simplex_result.h"
#include "support/netlib_lp.h"

namespace tvl::lp {
namespace {

// Largest |A x - r| with r at the bound of every nonbasic row, and largest
// |c_j - a_j'pi| over basic columns and |pi_i| over basic rows.
void residuals(const LpModel &lp, const LpResult &r, double &primal, double &dual) {
  primal = dual = 0.0;
  std::vector<double> ax(lp.a.m, 0.0);
  for (int j = 0; j < lp.a.n; ++j) {
    double d = lp.cost[j];
    for (int p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) {
      ax[lp.a.index[p]] += lp.a.value[p] * r.x[j];
      d -= lp.a.value[p] * r.pi[lp.a.index[p]];
    }
    if (r.basis.colstat[j] == 1) dual = std::max(dual, std::fabs(d));
  }
  for (int i = 0; i < lp.a.m; ++i) {
    const int8_t s = r.basis.rowstat[i];
    if (s == 1) dual = std::max(dual, std::fabs(r.pi[i]));
    if (s == 0) primal = std::max(primal, std::fabs(ax[i] - lp.rowlo[i]));
    if (s == 2) primal = std::max(primal, std::fabs(ax[i] - lp.rowup[i]));
  }
}

TEST(FlowRefine, DisturbedSolutionsComeBackAccurate) {
  for (const char *name : {"afiro", "sc105", "scagr7", "share2b", "pilot4", "degen2"}) {
    LpModel lp;
    ASSERT_TRUE(testing::load_mps(testing::netlib_dir() + "/" + name + ".mps.gz", lp)) << name;
    SimplexControl ctl;
    ctl.display = 0;
    const LpResult opt = dual_simplex(lp, ctl, nullptr);
    ASSERT_EQ(opt.status, LpStatus::Optimal) << name;
    LpResult r = opt;
    // Relative errors of 1e-7 on every basic value and dual.
    for (int j = 0; j < lp.a.n; ++j)
      if (r.basis.colstat[j] == 1) r.x[j] *= 1.0 + 1e-7 * ((j % 7) - 3);
    for (int i = 0; i < lp.a.m; ++i) r.pi[i] *= 1.0 - 1e-7 * ((i % 5) - 2);
    // A result always carries the activities and reduced costs of its own
    // values; the disturbed ones are made consistent the same way.
    tvl::lp::unscale_solution(lp, tvl::lp::Scaling(), r.x, r.pi, tvl::lp::basis_to_status(lp, r.basis), r);
    double p0, d0;
    residuals(lp, r, p0, d0);
    ASSERT_TRUE(refine_basic_solution(lp, r)) << name;
    double p1, d1;
    residuals(lp, r, p1, d1);
    EXPECT_LT(p1, std::max(1e-10, 1e-3 * p0)) << name;
    EXPECT_LT(d1, std::max(1e-10, 1e-3 * d0)) << name;
    EXPECT_EQ(r.basis.colstat, opt.basis.colstat) << name;
    EXPECT_EQ(r.basis.rowstat, opt.basis.rowstat) << name;
    EXPECT_NEAR(r.objval, opt.objval, 1e-9 * std::max(1.0, std::fabs(opt.objval))) << name;

    // Not optimal, or a status vector with the wrong basic count: untouched.
    LpResult other = opt;
    other.status = LpStatus::IterLimit;
    EXPECT_FALSE(refine_basic_solution(lp, other)) << name;
    other = opt;
    for (auto &s : other.basis.rowstat) s = 1;
    EXPECT_FALSE(refine_basic_solution(lp, other)) << name;
    EXPECT_EQ(other.x, opt.x) << name;
  }
}

}  // namespace
}  // namespace tvl::lp
