// Dual formation by presolve: the dual LP and the mapping of its solution
// on small LPs with every kind of row and bound, and the flow with
// TVL_PARAM_PREDUAL (message, the other simplex on the dual, optimum,
// infeasible verdict) on a small LP and on Netlib instances.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "simplex/dual_test_util.h"
#include "simplex/dualopt.h"
#include "presolve/presolve_dual.h"
#include "simplex/primopt.h"
#include "support/api_session.h"
#include "tavlo.h"

namespace {

using tvl::lp::Basis;
using tvl::kInfBound;
using tvl::lp::LpModel;
using tvl::lp::LpResult;
using tvl::lp::LpStatus;
using tvl::lp::testing::dense_model;

tvl::lp::SimplexControl quiet() {
  tvl::lp::SimplexControl c;
  c.display = 0;
  return c;
}

// Rows: >=, <=, =, ranged, free; columns: lower only, upper only, boxed,
// free, fixed.
LpModel every_kind() {
  return dense_model(5, 5,
                     {1, 1, 1, 1, 1,    //
                      1, -1, 2, -1, 1,  //
                      2, 1, -1, 1, 3,   //
                      1, 2, 1, 2, -1,   //
                      1, 1, 0, 1, 0},
                     {1, 2, -1, 3, -1}, {0, -kInfBound, -1, -kInfBound, 0.5}, {kInfBound, 3, 2, kInfBound, 0.5},
                     {2, -kInfBound, 5, -1, -kInfBound}, {kInfBound, 6, 5, 4, kInfBound});
}

int basic_count(const Basis &b) {
  int k = 0;
  for (int8_t s : b.colstat) k += s == 1;
  for (int8_t s : b.rowstat) k += s == 1;
  return k;
}

TEST(PresolveDual, DualSolutionMapsToPrimalOptimum) {
  // min x s.t. x >= 1, x free: the dual's row dual is -1, so x = 1.
  {
    const LpModel p = dense_model(1, 1, {1}, {1}, {-kInfBound}, {kInfBound}, {1}, {kInfBound});
    tvl::lp::DualLp d;
    tvl::lp::form_dual(p, d);
    ASSERT_EQ(d.model.a.m, 1);
    ASSERT_EQ(d.model.a.n, 1);
    const LpResult dr = tvl::lp::primal_simplex(d.model, quiet(), nullptr);
    ASSERT_EQ(dr.status, LpStatus::Optimal);
    EXPECT_NEAR(dr.pi[0], -1.0, 1e-9);
    const LpResult r = tvl::lp::map_dual_result(p, d, dr);
    EXPECT_NEAR(r.x[0], 1.0, 1e-9);
    EXPECT_NEAR(r.pi[0], 1.0, 1e-9);
    EXPECT_EQ(r.basis.rowstat[0], 0);  // the row is at its lower bound
    EXPECT_EQ(r.basis.colstat[0], 1);
  }
  const LpModel p = every_kind();
  const LpResult direct = tvl::lp::dual_simplex(p, quiet(), nullptr);
  ASSERT_EQ(direct.status, LpStatus::Optimal);
  tvl::lp::DualLp d;
  tvl::lp::form_dual(p, d);
  // Multipliers: rows 1+1+1(free, equation)+2+0, columns 1+1+2+0+1(free, fixed).
  EXPECT_EQ(d.model.a.n, 10);
  EXPECT_EQ(d.model.a.m, 5);
  for (bool primal : {true, false}) {
    SCOPED_TRACE(primal ? "primal simplex on the dual" : "dual simplex on the dual");
    const LpResult dr = primal ? tvl::lp::primal_simplex(d.model, quiet(), nullptr)
                               : tvl::lp::dual_simplex(d.model, quiet(), nullptr);
    ASSERT_EQ(dr.status, LpStatus::Optimal);
    const LpResult r = tvl::lp::map_dual_result(p, d, dr);
    EXPECT_EQ(r.status, LpStatus::Optimal);
    EXPECT_NEAR(r.objval, direct.objval, 1e-9);
    EXPECT_NEAR(-dr.objval, direct.objval, 1e-9);  // strong duality
    for (int32_t i = 0; i < p.a.m; ++i) {
      EXPECT_GE(r.rowact[i], p.rowlo[i] - 1e-9);
      EXPECT_LE(r.rowact[i], p.rowup[i] + 1e-9);
      if (r.pi[i] > 1e-9) { EXPECT_NEAR(r.rowact[i], p.rowlo[i], 1e-9); }
      if (r.pi[i] < -1e-9) { EXPECT_NEAR(r.rowact[i], p.rowup[i], 1e-9); }
    }
    for (int32_t j = 0; j < p.a.n; ++j) {
      EXPECT_GE(r.x[j], p.collo[j] - 1e-9);
      EXPECT_LE(r.x[j], p.colup[j] + 1e-9);
      if (r.dj[j] > 1e-9) { EXPECT_NEAR(r.x[j], p.collo[j], 1e-9); }
      if (r.dj[j] < -1e-9) { EXPECT_NEAR(r.x[j], p.colup[j], 1e-9); }
    }
    // The mapped basis is regular: the primal simplex accepts it as optimal.
    EXPECT_EQ(basic_count(r.basis), p.a.m);
    tvl::lp::SimplexControl c = quiet();
    const LpResult again = tvl::lp::primal_simplex(p, c, &r.basis);
    ASSERT_EQ(again.status, LpStatus::Optimal);
    EXPECT_EQ(again.iterations, 0);
    EXPECT_NEAR(again.objval, direct.objval, 1e-9);
  }
  // An infeasible primal makes the dual unbounded; the verdict maps back.
  LpModel infeasible = every_kind();
  infeasible.rowlo[0] = 100;
  form_dual(infeasible, d);
  const LpResult dr = tvl::lp::primal_simplex(d.model, quiet(), nullptr);
  EXPECT_EQ(tvl::lp::map_dual_result(infeasible, d, dr).status, LpStatus::Infeasible);
  EXPECT_FALSE(tvl::lp::should_form_dual(0, p));
  EXPECT_FALSE(tvl::lp::should_form_dual(-1, p));
  EXPECT_TRUE(tvl::lp::should_form_dual(1, p));
}

struct Flow : tvltest::ApiSession {
  Flow() : ApiSession("predual") {}
  // The every_kind LP (maximised, as -cost) plus a singleton row that
  // presolve turns into a bound.
  void load(double r0_rhs) {
    const double obj[] = {-1, -2, 1, -3, 1};
    const double rhs[] = {r0_rhs, 6, 5, -1, 3.5, 4};
    const double rng[] = {0, 0, 0, 5, 0, 0};
    const char sense[] = {'G', 'L', 'E', 'R', 'L', 'L'};
    const int beg[] = {0, 5, 10, 14, 20};
    const int cnt[] = {5, 5, 4, 6, 4};
    const int ind[] = {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 0, 1, 2, 3};
    const double val[] = {1, 1, 2, 1, 1, 1, -1, 1, 2, 1, 1, 2, -1, 1, 1, -1, 1, 2, 1, 1, 1, 1, 3, -1};
    const double lb[] = {0, -1e20, -1, -1e20, 0.5};
    const double ub[] = {1e20, 3, 2, 1e20, 0.5};
    ASSERT_EQ(TVLcopylp(env, lp, 5, 6, TVL_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng), 0);
  }
  double objective() {
    double obj = NAN;
    EXPECT_EQ(TVLgetobjval(env, lp, &obj), 0);
    return obj;
  }
};

TEST(PresolveDual, FlowSolvesTheDualWithTheOtherSimplex) {
  Flow ref;
  ref.load(2);
  ref.set(TVL_PARAM_PREDUAL, -1);
  ASSERT_EQ(TVLdualopt(ref.env, ref.lp), 0);
  ASSERT_EQ(TVLgetstat(ref.env, ref.lp), TVL_STAT_OPTIMAL);
  EXPECT_EQ(ref.log.find("DUAL formed"), std::string::npos);
  const double opt = ref.objective();
  for (int predual : {-1, 0, 1}) {
    for (bool dual_entry : {true, false}) {
      SCOPED_TRACE("PREDUAL " + std::to_string(predual) + (dual_entry ? " dualopt" : " primopt"));
      Flow f;
      f.load(2);
      f.set(TVL_PARAM_PREDUAL, predual);
      ASSERT_EQ(dual_entry ? TVLdualopt(f.env, f.lp) : TVLprimopt(f.env, f.lp), 0) << f.errors;
      ASSERT_EQ(TVLgetstat(f.env, f.lp), TVL_STAT_OPTIMAL);
      EXPECT_NEAR(f.objective(), opt, 1e-9);
      EXPECT_EQ(TVLgetmethod(f.env, f.lp), dual_entry ? TVL_ALG_DUAL : TVL_ALG_PRIMAL);
      const bool formed = f.log.find("DUAL formed by presolve\n") != std::string::npos;
      EXPECT_EQ(formed, predual == 1) << f.log;
      if (!formed) continue;
      EXPECT_NE(f.log.find("Reduced LP has"), std::string::npos);
      // The dual flow runs the primal simplex on the dual and vice versa:
      // the first iteration log is the other method's.
      const size_t first = f.log.find("Iteration log");
      ASSERT_NE(first, std::string::npos);
      const bool dual_log = f.log.find("Dual objective", first) != std::string::npos &&
                            f.log.find("Dual objective", first) < f.log.find("Iteration log", first + 1);
      EXPECT_EQ(dual_log, !dual_entry) << f.log;
    }
  }
  // Infeasible: the verdict is the caller's LP's, with or without the dual.
  for (int predual : {-1, 1}) {
    Flow f;
    f.load(100);
    f.set(TVL_PARAM_PREDUAL, predual);
    f.set(TVL_PARAM_SIMDISPLAY, 0);
    TVLdualopt(f.env, f.lp);
    EXPECT_EQ(TVLgetstat(f.env, f.lp), TVL_STAT_INFEASIBLE) << predual;
    EXPECT_EQ(f.log.find("DUAL formed"), std::string::npos);  // messages off with display 0
  }
}

TEST(PresolveDual, NetlibOptimaThroughTheDual) {
  for (const char *name : {"afiro", "sc50a", "kb2", "blend", "adlittle", "share2b", "boeing1", "grow7"}) {
    for (int method : {TVL_ALG_PRIMAL, TVL_ALG_DUAL}) {
      SCOPED_TRACE(std::string(name) + (method == TVL_ALG_DUAL ? " dual" : " primal"));
      Flow f;
      ASSERT_EQ(f.read_netlib(name), 0);
      f.set(TVL_PARAM_PREDUAL, 1);
      ASSERT_EQ(method == TVL_ALG_DUAL ? TVLdualopt(f.env, f.lp) : TVLprimopt(f.env, f.lp), 0);
      ASSERT_EQ(TVLgetstat(f.env, f.lp), TVL_STAT_OPTIMAL);
      EXPECT_NE(f.log.find("DUAL formed by presolve\n"), std::string::npos);
      const double ref = tvl::lp::testing::netlib_optimum(name);
      EXPECT_LE(std::fabs(f.objective() - ref), 1e-6 * std::max(1.0, std::fabs(ref)));
    }
  }
}

}  // namespace
