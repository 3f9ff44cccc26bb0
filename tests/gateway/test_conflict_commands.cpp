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

}  // namespace
}  // namespace gateway
