// The conflict refiner, the feasibility relaxation and the tuner seen from
// the host: argument checks and the library's failures arriving as the
// command's error, what each command leaves in the solver object, and the
// structures built from the library's answers.
#include <cstdio>

#include "model_fixture.h"

namespace gateway {
namespace {

class RelaxTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    host.setProperty(object, "Conflict", host.createDoubleMatrix(0, 0));
  }

  const Value* conflict() { return StandaloneHost::property(object, "Conflict"); }
  // An int32 column of a structure, as a vector.
  std::vector<int> int32s(const Value* s, const char* name) {
    const Value* v = fieldOf(s, name);
    EXPECT_TRUE(v && host.getClassId(v) == kInt32Class) << name;
    if (!v || host.getClassId(v) != kInt32Class) return {};
    const int* data = static_cast<const int*>(host.getData(v));
    return std::vector<int>(data, data + host.getNumberOfElements(v));
  }
  // x + y >= 5 with x, y <= 2 cannot hold: the conflict is that row and the
  // two upper bounds.  The second row and z are not part of it.
  //   r1: x + y >= 5     r2: x - z <= 1      0 <= x, y <= 2, 0 <= z <= 10
  void infeasibleModel() {
    const double inf = host.getInf();
    setModel("sense", host.createString("minimize"));
    setModel("obj", host.createDoubleVector({1, 1, 1}));
    setModel("lb", host.createDoubleVector({0, 0, 0}));
    setModel("ub", host.createDoubleVector({2, 2, 10}));
    setModel("A", dense(2, 3, {1, 1, 1, 0, 0, -1}));
    setModel("lhs", host.createDoubleVector({5, -inf}));
    setModel("rhs", host.createDoubleVector({inf, 1}));
    run("change");
  }

  void giveSolution() { host.setProperty(object, "Solution", host.createDoubleScalar(7)); }
  bool hasSolution() { return !host.isEmpty(solution()); }
};

TEST_F(RelaxTest, ArgumentsAreCheckedBeforeTheLibraryIsCalled) {
  infeasibleModel();
  giveSolution();
  // writeConflict takes exactly one file name.
  EXPECT_EQ(failure("writeConflict"), "wrong parameters to Tavlo.writeConflict");
  EXPECT_EQ(failure("writeConflict", {host.createDoubleScalar(1)}), "wrong parameters to Tavlo.writeConflict");
  EXPECT_EQ(failure("writeConflict", {host.createString("a.lp"), host.createString("b.lp")}),
            "wrong parameters to Tavlo.writeConflict");
  EXPECT_EQ(failure("refineConflict", {host.createDoubleScalar(1)}),
            "Wrong arguments to TAVLO function 'refineConflict'.");
  EXPECT_EQ(failure("refineMipStartConflict"), "Wrong arguments to TAVLO function 'refineMipStartConflict'.");
  EXPECT_EQ(failure("refineMipStartConflict", {host.createString("1")}),
            "Wrong arguments to TAVLO function 'refineMipStartConflict'.");
  // feasOpt: m range and right-hand-side preferences, n bound preferences;
  // a wrong length leaves the Solution in place.
  EXPECT_EQ(failure("feasOpt", {host.createDoubleVector({1, 1, 1})}), "length not equal");
  EXPECT_EQ(failure("feasOpt", {host.createDoubleMatrix(0, 0), host.createDoubleVector({1})}), "length not equal");
  EXPECT_EQ(failure("feasOpt", {host.createDoubleMatrix(0, 0), host.createDoubleMatrix(0, 0),
                                host.createDoubleVector({1, 1})}),
            "length not equal");
  EXPECT_EQ(failure("feasOpt", {nullptr, nullptr, nullptr, host.createDoubleVector({1, 1, 1, 1})}),
            "length not equal");
  std::vector<Value*> five;
  for (int k = 0; k < 5; ++k) five.push_back(host.createDoubleMatrix(0, 0));
  EXPECT_EQ(failure("feasOpt", five), "Wrong arguments to TAVLO function 'feasOpt'.");
  EXPECT_TRUE(hasSolution());
  // tuneParam: none or nine arguments, arrays that hold the counted entries.
  EXPECT_EQ(failure("tuneParam", {host.createDoubleScalar(0)}), "Wrong arguments to TAVLO function 'tuneParam'.");
  auto tune = [&](double intcnt, std::vector<double> intnum, double dblcnt, Value* strval) {
    return call("tuneParam", {host.createDoubleScalar(intcnt), host.createDoubleVector(intnum),
                              host.createDoubleVector(intnum), host.createDoubleScalar(dblcnt),
                              host.createDoubleMatrix(0, 0), host.createDoubleMatrix(0, 0),
                              host.createDoubleScalar(strval ? 1 : 0), host.createDoubleVector({1064}),
                              strval ? strval : host.createCell({})});
  };
  Outcome o = tune(2, {1062}, 0, nullptr);
  EXPECT_EQ(o.error, "length not equal");
  release(o);
  o = tune(0, {}, 1, nullptr);
  EXPECT_EQ(o.error, "length not equal");
  release(o);
  // String values that are not a cell of texts: success without tuning
  // (the terminate flag, armed only for a tuning run, is left alone).
  tavlo()->terminate = 1;
  o = tune(0, {}, 0, host.createString("/tmp"));
  EXPECT_EQ(o.error, "");
  release(o);
  o = tune(0, {}, 0, host.createCell({host.createDoubleScalar(3)}));
  EXPECT_EQ(o.error, "");
  release(o);
  EXPECT_EQ(tavlo()->terminate, 1);
}

TEST_F(RelaxTest, TuningKeepsTheFixedParametersOfAllThreeGroups) {
  infeasibleModel();
  setModel("ub", host.createDoubleVector({3, 3, 10}));
  run("changeBds");
  Tavlo* t = tavlo();
  TVLsetdblparam(t->env, TVL_PARAM_TUNINGTILIM, 5);
  TVLsetintparam(t->env, TVL_PARAM_TUNINGDISPLAY, 0);
  Value* intnum = host.createNumericMatrix(1, 1, kInt32Class);
  *static_cast<int*>(host.getData(intnum)) = TVL_PARAM_PREIND;
  const std::string dir = ::testing::TempDir();
  t->terminate = 1;  // left over from an earlier Ctrl-C: must not stop this run
  run("tuneParam", {host.createDoubleScalar(1), intnum, host.createDoubleVector({0}), host.createDoubleScalar(1),
                    host.createDoubleVector({TVL_PARAM_EPRHS}), host.createDoubleVector({1e-7}),
                    host.createDoubleScalar(1), host.createDoubleVector({TVL_PARAM_WORKDIR}),
                    host.createCell({host.createString(dir.c_str())})});
  int preind = -1;
  double eprhs = 0;
  char workdir[TVL_STR_PARAM_MAX] = {};
  TVLgetintparam(t->env, TVL_PARAM_PREIND, &preind);
  TVLgetdblparam(t->env, TVL_PARAM_EPRHS, &eprhs);
  TVLgetstrparam(t->env, TVL_PARAM_WORKDIR, workdir);
  EXPECT_EQ(preind, 0);
  EXPECT_EQ(eprhs, 1e-7);
  EXPECT_EQ(workdir, dir);
  EXPECT_EQ(t->terminate, 0);
}

TEST_F(RelaxTest, WritingAConflictBeforeAnyRefinementRaisesTheLibraryText) {
  infeasibleModel();
  const std::string file = ::testing::TempDir() + "never_refined.lp";
  EXPECT_EQ(failure("writeConflict", {host.createString(file.c_str())}),
            "TAVLO Error  1719: Conflict is not available.\n");
  EXPECT_EQ(std::fopen(file.c_str(), "r"), nullptr);
}

TEST_F(RelaxTest, ConflictOfAnInfeasibleModelIsStoredWithOneBasedIndicesAndAFeasibleOneClearsIt) {
  infeasibleModel();
  giveSolution();
  run("refineConflict");
  EXPECT_FALSE(hasSolution());
  const Value* c = conflict();
  ASSERT_EQ(host.getClassId(c), kStructClass);
  ASSERT_EQ(host.getNumberOfFields(c), 5);
  const char* order[] = {"status", "colind", "colbdstat", "rowind", "rowbdstat"};
  for (int f = 0; f < 5; ++f) EXPECT_EQ(c->fieldNames[static_cast<std::size_t>(f)], order[f]);
  EXPECT_EQ(int32s(c, "status"), std::vector<int>{TVL_STAT_CONFLICT_MINIMAL});
  EXPECT_EQ(int32s(c, "rowind"), std::vector<int>{1});
  EXPECT_EQ(int32s(c, "rowbdstat"), std::vector<int>{TVL_CONFLICT_MEMBER});
  EXPECT_EQ(int32s(c, "colind"), (std::vector<int>{1, 2}));
  EXPECT_EQ(int32s(c, "colbdstat"), (std::vector<int>{TVL_CONFLICT_UB, TVL_CONFLICT_UB}));

  // The conflict file holds the row and the two bounds, z stays free.
  const std::string file = ::testing::TempDir() + "gateway_conflict.lp";
  run("writeConflict", {host.createString(file.c_str())});
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  TVLLPptr lp = TVLcreateprob(env, &status, "back");
  ASSERT_EQ(TVLreadcopyprob(env, lp, file.c_str(), nullptr), 0);
  EXPECT_EQ(TVLgetnumrows(env, lp), 1);
  double ub[2] = {};
  const int ncols = TVLgetnumcols(env, lp);
  ASSERT_GE(ncols, 2);
  EXPECT_EQ(TVLgetub(env, lp, ub, 0, 1), 0);
  EXPECT_EQ(ub[0], 2.0);
  EXPECT_EQ(ub[1], 2.0);
  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  std::remove(file.c_str());

  // Wider bounds make the model feasible: no conflict, and the earlier
  // one is gone.
  setModel("ub", host.createDoubleVector({3, 3, 10}));
  run("changeBds");
  run("refineConflict");
  EXPECT_TRUE(host.isEmpty(conflict()));
}

TEST_F(RelaxTest, FeasOptReportsTheRelaxedSolutionAndLeavesProblemAndStartAlone) {
  infeasibleModel();
  // Only the upper bounds of x and y may move, y's at half the price of x's.
  run("feasOpt", {nullptr, host.createDoubleMatrix(0, 0), host.createDoubleMatrix(0, 0),
                  host.createDoubleVector({1, 2, 0})});
  const Value* sol = solution();
  ASSERT_EQ(host.getClassId(sol), kStructClass);
  const int stat = *static_cast<const int*>(host.getData(solutionField("status")));
  EXPECT_TRUE(stat == TVL_STAT_FEASIBLE_RELAXED_SUM || stat == TVL_STAT_OPTIMAL_RELAXED_SUM) << stat;
  EXPECT_EQ(StandaloneHost::text(solutionField("statusstring")),
            stat == TVL_STAT_OPTIMAL_RELAXED_SUM ? "optimal relaxed sum of infeasibilities"
                                                  : "feasible relaxed sum of infeasibilities");
  // The cheapest relaxation lifts y's bound by 1 (cost 1/2): x = 2, y = 3.
  const double* x = host.getPr(solutionField("x"));
  EXPECT_NEAR(x[0], 2.0, 1e-9);
  EXPECT_NEAR(x[1], 3.0, 1e-9);
  EXPECT_EQ(fieldOf(sol, "pool"), nullptr) << "an LP has no pool";
  EXPECT_EQ(problemVector(TVLgetub, 3), (std::vector<double>{2, 2, 10})) << "the problem is unchanged";
  EXPECT_EQ(host.getNumberOfFields(StandaloneHost::property(object, "Start")), 0) << "Start is not refreshed";
  // A MIP relaxation has its pool.
  setModel("ctype", host.createString("IIC"));
  run("change");
  run("feasOpt", {nullptr, nullptr, nullptr, host.createDoubleVector({1, 2, 0})});
  const int mipstat = *static_cast<const int*>(host.getData(solutionField("status")));
  EXPECT_TRUE(mipstat >= TVLMIP_FEASIBLE_RELAXED_SUM && mipstat <= TVLMIP_OPTIMAL_RELAXED_QUAD) << mipstat;
  EXPECT_NE(solutionField("pool"), nullptr);
}

}  // namespace
}  // namespace gateway
