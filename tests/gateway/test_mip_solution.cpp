// The parts of a MIP's Solution that come from the pool and the indicator
// rows, on the stand-alone host: populate refreshes Solution and its pool,
// getQualityOfPool answers for one pool solution, and indicatorax holds the
// activity of each indicator row.
#include <set>

#include "model_fixture.h"
#include "support/bench_dir.h"

namespace gateway {
namespace {

class MipSolutionTest : public ModelTest {
 protected:
  int int32Field(const Value* s, const char* name) { return *static_cast<const int*>(host.getData(fieldOf(s, name))); }
  double doubleField(const Value* s, const char* name) { return *host.getPr(fieldOf(s, name)); }
  // Field `name` of element k of a structure array (borrowed).
  const Value* element(const Value* s, std::size_t k, const char* name) {
    return host.getFieldByNumber(s, k, host.getFieldNumber(s, name));
  }

  // Indicators on column 3: z = 1 -> x1 + 2 x2 (sense0) rhs0, z = 0 -> x2 >= 3.
  void setIndicators(const char* sense0, double rhs0) {
    const char* fields[] = {"variable", "complemented", "rhs", "sense", "a"};
    Value* ind = host.createStructMatrix(1, 2, 5, fields);
    const double rows[2][3] = {{1, 2, 0}, {0, 1, 0}};
    for (std::size_t e = 0; e < 2; ++e) {
      host.setFieldByNumber(ind, e, 0, host.createDoubleScalar(3));
      host.setFieldByNumber(ind, e, 1, host.createDoubleScalar(static_cast<double>(e)));
      host.setFieldByNumber(ind, e, 2, host.createDoubleScalar(e == 0 ? rhs0 : 3));
      host.setFieldByNumber(ind, e, 3, host.createString(e == 0 ? sense0 : "G"));
      host.setFieldByNumber(ind, e, 4, host.createDoubleVector({rows[e][0], rows[e][1], rows[e][2]}));
    }
    setModel("indicator", ind);
  }

  // The result of getQualityOfPool(soln, name): its value, and its index
  // or -9 when it has none; `present` tells whether there was a result.
  struct PoolQuality {
    bool present = false;
    double value = 0;
    int index = -9;
  };
  PoolQuality poolQuality(double soln, const char* name) {
    Outcome o = call("getQualityOfPool", {host.createDoubleScalar(soln), host.createString(name)});
    EXPECT_EQ(o.error, "") << name;
    PoolQuality q;
    if (o.out1 && host.getClassId(o.out1) == kStructClass) {
      q.present = true;
      q.value = doubleField(o.out1, "value");
      if (fieldOf(o.out1, "index")) q.index = int32Field(o.out1, "index");
    }
    release(o);
    return q;
  }
};

TEST_F(MipSolutionTest, PopulateFillsThePoolOfTheSolutionAndEachPoolSolutionHasItsQuality) {
  Outcome read = call("readModel", {host.createString(tvltest::instance_path("miplib", "stein27").c_str())});
  ASSERT_EQ(read.error, "");
  release(read);
  TVLsetintparam(tavlo()->env, TVL_PARAM_POPULATELIM, 12);
  Outcome o = call("populate", {});
  ASSERT_EQ(o.error, "");
  ASSERT_NE(o.out1, nullptr);
  const int status = int32Field(o.out1, "status");
  EXPECT_TRUE(status == TVLMIP_POPULATESOL_LIM || status == TVLMIP_OPTIMAL_POPULATED ||
              status == TVLMIP_OPTIMAL_POPULATED_TOL)
      << status;
  EXPECT_EQ(doubleField(o.out1, "objval"), 18.0);
  release(o);
  // The stored Solution carries the pool: one element per pool solution,
  // each with its objective, its columns and its row activities.
  const Value* pool = solutionField("pool");
  ASSERT_NE(pool, nullptr);
  const Value* solutions = fieldOf(pool, "solution");
  ASSERT_NE(solutions, nullptr);
  const std::size_t count = host.getNumberOfElements(solutions);
  EXPECT_EQ(count, static_cast<std::size_t>(TVLgetsolnpoolnumsolns(tavlo()->env, tavlo()->lp)));
  EXPECT_GE(count, 12u);
  std::set<std::vector<double>> distinct;
  const std::vector<double> obj = problemVector(TVLgetobj, 27);
  for (std::size_t k = 0; k < count; ++k) {
    const double* x = host.getPr(element(solutions, k, "x"));
    distinct.insert(std::vector<double>(x, x + 27));
    double value = 0;
    for (int j = 0; j < 27; ++j) value += obj[static_cast<std::size_t>(j)] * x[j];
    EXPECT_EQ(value, *host.getPr(element(solutions, k, "objval")));
    EXPECT_EQ(host.getM(element(solutions, k, "ax")), 118u);
  }
  EXPECT_EQ(distinct.size(), count) << "no pool solution is repeated";

  // The last pool solution: primal measures from its own columns, the
  // objective without index; dual measures and indices beyond the pool
  // give no result; -1 is the incumbent.
  const double last = static_cast<double>(count - 1);
  const PoolQuality infeas = poolQuality(last, "maxprimalinfeas");
  EXPECT_TRUE(infeas.present && infeas.value <= 1e-9 && infeas.index >= -1);
  const PoolQuality objective = poolQuality(last + 0.7, "primalobj");
  EXPECT_TRUE(objective.present && objective.index == -9);
  EXPECT_EQ(objective.value, *host.getPr(element(solutions, count - 1, "objval")));
  EXPECT_TRUE(poolQuality(-1, "maxintinfeas").present);
  EXPECT_FALSE(poolQuality(last + 1, "maxx").present);
  EXPECT_FALSE(poolQuality(0, "maxdualinfeas").present);
  EXPECT_FALSE(poolQuality(0, "no such measure").present);
  EXPECT_EQ(failure("getQualityOfPool", {host.createString("maxx")}),
            "Wrong arguments to TAVLO function 'getQualityOfPool'.");
}

// max x1 + x2 + 5z, x1 + x2 <= 8, z = 1 -> x1 + 2 x2 <= 4, z = 0 -> x2 >= 3:
// the optimum (4, 0, 1) switches the first indicator on and the second off.
TEST_F(MipSolutionTest, IndicatorActivitiesFollowTheSolutionWhetherOrNotSwitchedOn) {
  const double inf = host.getInf();
  setModel("sense", host.createString("maximize"));
  setModel("obj", host.createDoubleVector({1, 1, 5}));
  setModel("lb", host.createDoubleVector({0, 0, 0}));
  setModel("ub", host.createDoubleVector({10, 10, 1}));
  setModel("A", dense(1, 3, {1, 1, 0}));
  setModel("lhs", host.createDoubleVector({-inf}));
  setModel("rhs", host.createDoubleVector({8}));
  setModel("ctype", host.createString("CCB"));
  setIndicators("L", 4);
  run("change");
  run("solve");
  EXPECT_EQ(doubleField(solution(), "objval"), 9.0);
  const Value* ax = solutionField("indicatorax");
  ASSERT_NE(ax, nullptr);
  ASSERT_EQ(host.getM(ax), 2u);
  EXPECT_NEAR(host.getPr(ax)[0], 4.0, 1e-9);
  EXPECT_NEAR(host.getPr(ax)[1], 0.0, 1e-9);

  // Without an incumbent (infeasible: z = 0 forces x2 >= 3 against
  // x2 <= 1, z = 1 forces x1 + 2 x2 >= 20 against x1, x2 <= 1) there is
  // nothing to measure, and the solve still succeeds.
  setModel("ub", host.createDoubleVector({1, 1, 1}));
  setIndicators("G", 20);
  run("change");
  run("solve");
  EXPECT_EQ(int32Field(solution(), "status"), TVLMIP_INFEASIBLE);
  EXPECT_EQ(solutionField("indicatorax"), nullptr);
}

}  // namespace
}  // namespace gateway
