// Model translation, solve and starts on the stand-alone host: what reaches
// the problem for each marked part, what comes back, and that failures
// keep the marks.  The fixture checks that no host value is leaked.
#include <cmath>
#include <cstring>

#include "commands.h"
#include "model_fixture.h"
#include "model.h"
#include "values.h"
#include "support/bench_dir.h"

namespace gateway {
namespace {

TEST_F(ModelTest, RebuildTranslatesRowKindsNamesAndBothMatrixLayouts) {
  for (bool sparse : {false, true}) {
    fiveRowModel(sparse);
    run("change");
    run("getProbType");
    Tavlo* t = tavlo();
    ASSERT_EQ(TVLgetnumrows(t->env, t->lp), 5);
    char sense[6] = {};
    ASSERT_EQ(TVLgetsense(t->env, t->lp, sense, 0, 4), 0);
    EXPECT_STREQ(sense, "LERGL");
    EXPECT_EQ(problemVector(TVLgetrhs, 5), (std::vector<double>{TVL_INFBOUND, 5, 1, 2, 8}));
    EXPECT_EQ(problemVector(TVLgetrngval, 5)[2], 2.0);
    EXPECT_EQ(problemVector(TVLgetlb, 2)[0], -TVL_INFBOUND);
    EXPECT_EQ(problemVector(TVLgetub, 2), (std::vector<double>{TVL_INFBOUND, 10}));
    EXPECT_EQ(TVLgetnumnz(t->env, t->lp), 8);
    double coef = 0;
    ASSERT_EQ(TVLgetcoef(t->env, t->lp, 3, 1, &coef), 0);
    EXPECT_EQ(coef, -1.0);
    EXPECT_EQ(rowName(3), "ge") << "a name ends at its first blank";
    EXPECT_FALSE(t->dirty.model || t->dirty.obj || t->dirty.rowName);
  }
}

TEST_F(ModelTest, OnlyMarkedPartsReachTheProblemAndAFailureKeepsTheMarks) {
  fiveRowModel(true);
  run("change");
  run("getProbType");
  // Objective and bounds both change in the Model, only the objective is marked.
  setModel("obj", host.createDoubleVector({3, 4}));
  setModel("ub", host.createDoubleVector({7, 7}));
  setModel("rowname", names({"    ", "bal", "", "", "r5"}));
  run("changeObj");
  run("changeRowName");
  run("getProbType");
  EXPECT_EQ(problemVector(TVLgetobj, 2), (std::vector<double>{3, 4}));
  EXPECT_EQ(problemVector(TVLgetub, 2)[1], 10.0) << "unmarked bounds were sent";
  EXPECT_EQ(rowName(0), "free") << "a blank name keeps the present one";
  EXPECT_EQ(rowName(1), "bal");
  EXPECT_EQ(rowName(4), "r5");

  setModel("sense", host.createString("max"));
  run("changeObj");
  run("changeBds");
  EXPECT_EQ(failure("getProbType"), "No Tavlo.Model.sense found");
  EXPECT_TRUE(tavlo()->dirty.obj && tavlo()->dirty.bds);
  setModel("sense", host.createString("maximize"));
  setModel("lb", host.createDoubleVector({0, 0, 0}));
  EXPECT_EQ(failure("getProbType"), "length not equal");
  setModel("lb", host.createDoubleVector({0, 0}));
  run("getProbType");
  EXPECT_EQ(TVLgetobjsen(tavlo()->env, tavlo()->lp), TVL_MAX);
  EXPECT_EQ(problemVector(TVLgetub, 2), (std::vector<double>{7, 7}));
  EXPECT_FALSE(tavlo()->dirty.obj || tavlo()->dirty.bds);
}

TEST_F(ModelTest, SolveBuildsTheSolutionOfAnLpAndRefreshesStart) {
  // max 3x + 2y, x + y <= 4, x + 3y <= 6: 12 at (4, 0).
  const double inf = host.getInf();
  setModel("sense", host.createString("maximize"));
  setModel("obj", host.createDoubleVector({3, 2}));
  setModel("lb", host.createDoubleVector({0, 0}));
  setModel("ub", host.createDoubleVector({inf, inf}));
  setModel("A", dense(2, 2, {1, 1, 1, 3}));
  setModel("lhs", host.createDoubleVector({-inf, -inf}));
  setModel("rhs", host.createDoubleVector({4, 6}));
  run("change");
  Outcome o = call("solve", {});
  ASSERT_EQ(o.error, "");
  EXPECT_EQ(host.getNumberOfFields(o.out1), host.getNumberOfFields(solution()));
  release(o);
  EXPECT_EQ(*host.getPr(solutionField("objval")), 12.0);
  EXPECT_EQ(solutionField("status")->cls, kInt32Class);
  EXPECT_EQ(StandaloneHost::text(solutionField("statusstring")), "optimal");
  for (const char* f : {"time", "x", "dual", "ax", "reducedcost", "basis", "method"})
    EXPECT_NE(solutionField(f), nullptr) << f;
  for (const char* f : {"nodecnt", "bestobjval", "pool", "indicatorax"}) EXPECT_EQ(solutionField(f), nullptr) << f;
  const Value* start = StandaloneHost::property(object, "Start");
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(host.getPr(fieldOf(start, "x"))[0], 4.0);
  EXPECT_EQ(host.getPr(fieldOf(start, "Ax"))[1], 4.0);

  // The refreshed Start installed into a rebuilt problem needs no iteration.
  run("change");
  run("solve");
  EXPECT_EQ(solutionField("itcnt"), nullptr);
  EXPECT_EQ(*host.getPr(solutionField("objval")), 12.0);

  // A basis without rowstat, then one of the wrong length.
  Value* basis = host.createStructMatrix(1, 1, 0, nullptr);
  setField(host, basis, "colstat", host.createDoubleVector({1, 0}), 0);
  Value* badStart = host.createStructMatrix(1, 1, 0, nullptr);
  setField(host, badStart, "basis", basis, 0);
  host.setProperty(object, "Start", badStart);
  run("installStart");
  EXPECT_EQ(failure("solve"), "No Tavlo.Start.basis.colstat or Tavlo.Start.basis.rowstat found");
  setField(host, const_cast<Value*>(fieldOf(StandaloneHost::property(object, "Start"), "basis")), "rowstat",
           host.createDoubleVector({1}), 0);
  EXPECT_EQ(failure("solve"), "length not equal");
  EXPECT_EQ(*host.getPr(solutionField("objval")), 12.0) << "a Model refused before optimising keeps the Solution";
}

TEST_F(ModelTest, AddedAndDeletedRowsAndColumnsChangeTheProblemInPlace) {
  fiveRowModel(false);
  run("change");
  run("getProbType");
  // Two rows given as a 2-by-2 block (one column per new row): a range row
  // 1 <= x + y <= 4 and an equation y = 2.
  run("addRows", {host.createDoubleVector({1, 2}), dense(2, 2, {1, 1, 0, 1}), host.createDoubleVector({4, 2}),
                  names({"new1", "new2"})});
  Tavlo* t = tavlo();
  ASSERT_EQ(TVLgetnumrows(t->env, t->lp), 7);
  char sense[3] = {};
  TVLgetsense(t->env, t->lp, sense, 5, 6);
  EXPECT_STREQ(sense, "RE");
  EXPECT_EQ(problemVector(TVLgetrngval, 7)[5], 3.0);
  EXPECT_EQ(rowName(6), "new2");
  // A column with an infinite upper bound and a sparse block.
  run("addCols", {host.createDoubleVector({2}), sparseOf(7, 1, {0, 1, 0, 0, 0, 0, 5}), host.createDoubleVector({0}),
                  host.createDoubleVector({1e30})});
  ASSERT_EQ(TVLgetnumcols(t->env, t->lp), 3);
  EXPECT_EQ(problemVector(TVLgetub, 3)[2], TVL_INFBOUND);
  EXPECT_EQ(TVLgetnumnz(t->env, t->lp), 8 + 3 + 2);
  // A ctype argument on an LP only marks the model for a rebuild.
  run("addCols", {host.createDoubleVector({1}), host.createDoubleMatrix(0, 0), host.createDoubleVector({0}),
                  host.createDoubleVector({1}), host.createString("I")});
  EXPECT_TRUE(t->dirty.model);
  EXPECT_EQ(TVLgetnumcols(t->env, t->lp), 3);
  t->dirty = DirtyFlags{};
  // Consecutive indices are deleted as a range, others through marks.
  auto indices = [&](std::vector<int> idx) {
    Value* v = host.createNumericMatrix(idx.size(), 1, kInt32Class);
    std::memcpy(host.getData(v), idx.data(), idx.size() * sizeof(int));
    return v;
  };
  run("delRows", {indices({5, 6})});
  EXPECT_EQ(TVLgetnumrows(t->env, t->lp), 5);
  run("delRows", {indices({0, 2})});
  EXPECT_EQ(TVLgetnumrows(t->env, t->lp), 3);
  EXPECT_EQ(rowName(0), "eq");
  EXPECT_EQ(rowName(1), "ge");
  run("delCols", {indices({2})});
  EXPECT_EQ(TVLgetnumcols(t->env, t->lp), 2);
  EXPECT_EQ(failure("addRows", {host.createDoubleVector({1, 2}), host.createDoubleMatrix(0, 0),
                                host.createDoubleVector({4})}),
            "length not equal");
}

TEST_F(ModelTest, ReadBackModelShowsRangesBothWaysAndInfinities) {
  Tavlo* t = tavlo();
  const double rhs[3] = {1, 4, 0};
  const char sense[3] = {'R', 'R', 'G'};
  const double ranges[3] = {2, -3, 0};
  ASSERT_EQ(TVLnewrows(t->env, t->lp, 3, rhs, sense, ranges, nullptr), 0);
  const int beg[1] = {0}, ind[3] = {0, 1, 2};
  const double val[3] = {1, 2, 3}, lb[1] = {-TVL_INFBOUND}, ub[1] = {TVL_INFBOUND};
  ASSERT_EQ(TVLaddcols(t->env, t->lp, 1, 3, nullptr, beg, ind, val, lb, ub, nullptr), 0);
  int status = -1;
  ValueGuard model(modelFromProblem(*t, &status));
  ASSERT_EQ(status, 0);
  auto vec = [&](const char* name) {
    const Value* v = fieldOf(model.v, name);
    return std::vector<double>(host.getPr(v), host.getPr(v) + host.getNumberOfElements(v));
  };
  const double inf = host.getInf();
  EXPECT_EQ(vec("lhs"), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(vec("rhs"), (std::vector<double>{3, 4, inf}));
  EXPECT_EQ(vec("lb"), (std::vector<double>{-inf}));
  EXPECT_EQ(vec("ub"), (std::vector<double>{inf}));
  const Value* a = fieldOf(model.v, "A");
  EXPECT_TRUE(host.isSparse(a));
  EXPECT_EQ(host.getJc(a)[1], 3);
  EXPECT_EQ(host.getPr(a)[2], 3.0);
  EXPECT_EQ(StandaloneHost::text(fieldOf(model.v, "sense")), "minimize");
  EXPECT_EQ(fieldOf(model.v, "ctype"), nullptr) << "an LP has no ctype";
}

TEST_F(ModelTest, NonlinearAndDiscretePartsAreRebuiltAndReadBack) {
  // Three columns, one row; column 3 is binary and indicates row-like
  // constraint x1 + 2 x2 <= 4; an SOS1 over columns 1 and 2; a diagonal Q.
  const double inf = host.getInf();
  setModel("sense", host.createString("minimize"));
  setModel("obj", host.createDoubleVector({1, 1, 1}));
  setModel("lb", host.createDoubleVector({0, 0, 0}));
  setModel("ub", host.createDoubleVector({10, 10, 1}));
  setModel("A", dense(1, 3, {1, 1, 0}));
  setModel("lhs", host.createDoubleVector({1}));
  setModel("rhs", host.createDoubleVector({inf}));
  setModel("ctype", host.createString("CCB"));
  const char* indFields[] = {"variable", "complemented", "a", "rhs", "sense", "name"};
  Value* ind = host.createStructMatrix(1, 1, 6, indFields);
  host.setFieldByNumber(ind, 0, 0, host.createInt32Scalar(3));
  host.setFieldByNumber(ind, 0, 1, host.createInt32Scalar(0));
  host.setFieldByNumber(ind, 0, 2, sparseOf(3, 1, {1, 2, 0}));
  host.setFieldByNumber(ind, 0, 3, host.createDoubleScalar(4));
  host.setFieldByNumber(ind, 0, 4, host.createString("L"));
  host.setFieldByNumber(ind, 0, 5, host.createString("on"));
  setModel("indicator", ind);
  const char* sosFields[] = {"type", "ind", "wt", "name"};
  Value* sos = host.createStructMatrix(1, 1, 4, sosFields);
  host.setFieldByNumber(sos, 0, 0, host.createString("1"));
  host.setFieldByNumber(sos, 0, 1, host.createDoubleVector({1, 2}));
  host.setFieldByNumber(sos, 0, 2, host.createDoubleVector({1, 2}));
  host.setFieldByNumber(sos, 0, 3, host.createString("s1"));
  setModel("sos", sos);
  setModel("Q", host.createDoubleVector({2, 0, 4}));
  run("change");
  Outcome o = call("getProbType", {});
  ASSERT_EQ(o.error, "");
  EXPECT_EQ(*static_cast<int*>(host.getData(o.out1)), 7) << "a MIQP";
  release(o);
  Tavlo* t = tavlo();
  EXPECT_EQ(TVLgetnumindconstrs(t->env, t->lp), 1);
  EXPECT_EQ(TVLgetnumsos(t->env, t->lp), 1);
  EXPECT_EQ(TVLgetnumqpnz(t->env, t->lp), 2);
  EXPECT_EQ(failure("solve"), "TAVLO Error  1018: Not available for quadratic programs.\n")
      << "the MIP optimizer refuses a MIQP with its own message";

  int status = -1;
  ValueGuard model(modelFromProblem(*t, &status));
  ASSERT_EQ(status, 0);
  EXPECT_EQ(StandaloneHost::text(fieldOf(model.v, "ctype")), "CCB");
  const Value* back = fieldOf(model.v, "indicator");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(*static_cast<int*>(host.getData(fieldOf(back, "variable"))), 3);
  EXPECT_EQ(StandaloneHost::text(fieldOf(back, "sense")), "L");
  EXPECT_EQ(StandaloneHost::text(fieldOf(back, "name")), "on");
  const Value* a = fieldOf(back, "a");
  EXPECT_TRUE(host.isSparse(a) && host.getM(a) == 3 && host.getJc(a)[1] == 2 && host.getPr(a)[1] == 2.0);
  const Value* backSos = fieldOf(model.v, "sos");
  ASSERT_NE(backSos, nullptr);
  EXPECT_EQ(StandaloneHost::text(fieldOf(backSos, "type")), "1");
  EXPECT_EQ(static_cast<int*>(host.getData(fieldOf(backSos, "ind")))[1], 2);
  EXPECT_EQ(StandaloneHost::text(fieldOf(backSos, "name")), "s1");
  const Value* q = fieldOf(model.v, "Q");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(host.getJc(q)[3], 2);
  EXPECT_EQ(host.getPr(q)[1], 4.0);

  // A missing part of an indicator is named.
  Value* broken = host.createStructMatrix(1, 1, 1, indFields);
  host.setFieldByNumber(broken, 0, 0, host.createInt32Scalar(3));
  setModel("indicator", broken);
  run("change");
  EXPECT_EQ(failure("getProbType"), "Tavlo.Model.indicator(1) has no field 'complemented'.\n");
}

// The information callback of a MIP solve on p0033: the host's TvlInfo and
// open make the information object, callback gets the six numbers, and
// getCallbackX (a command issued while the solve runs) the incumbent.  A
// nonzero result stops the search and silences the rest of the log; the
// parameters the callback needs are the caller's again afterwards.
TEST_F(ModelTest, InfoCallbackWatchesAMipAndStopsIt) {
  Outcome read = call("readModel", {host.createString(tvltest::instance_path("miplib", "p0033").c_str())});
  ASSERT_EQ(read.error, "");
  release(read);
  Value* setting = host.createStructMatrix(1, 1, 0, nullptr);
  setField(host, setting, "func", host.createFunctionHandle("watch"), 0);
  host.setProperty(object, "InfoCallback", setting);
  host.define("TvlInfo", [](StandaloneHost& h, int, Value** out, int nin, Value** in) {
    if (nin != 1 || !isTavloObject(h, in[0])) return 1;
    out[0] = h.createObject("TavloInfo", {{"CbHandle", h.createDoubleMatrix(0, 0)}});
    return 0;
  });
  host.define("open", [](StandaloneHost& h, int, Value** out, int, Value** in) {
    out[0] = h.duplicateArray(in[0]);
    return 0;
  });
  int calls = 0, withIncumbent = 0, stopAfter = 0;
  std::size_t linesAtStop = 0;
  std::vector<double> lastX;
  double lastBest = 0;
  host.define("callback", [&](StandaloneHost& h, int, Value** out, int nin, Value** in) {
    EXPECT_EQ(nin, 7);
    ++calls;
    const double best = *h.getPr(in[5]);
    Outcome x = call("getCallbackX", {h.duplicateArray(StandaloneHost::property(in[0], "CbHandle"))});
    if (best < 1e75) {
      EXPECT_EQ(x.error, "");
      ++withIncumbent;
      if (x.out1) lastX.assign(h.getPr(x.out1), h.getPr(x.out1) + h.getM(x.out1));
      lastBest = best;
    } else {
      EXPECT_EQ(x.error, "TAVLO Error  1217: No solution exists.\n");
    }
    release(x);
    const bool stop = stopAfter > 0 && withIncumbent >= stopAfter;
    if (stop) linesAtStop = displayed.size();
    out[0] = h.createDoubleScalar(stop ? 1.5 : 0.0);
    return 0;
  });
  TVLsetintparam(tavlo()->env, TVL_PARAM_REDUCE, 1);
  run("solve");
  EXPECT_EQ(calls + 1, *static_cast<int*>(host.getData(solutionField("nodecnt"))));
  ASSERT_EQ(lastX.size(), 33u);
  EXPECT_DOUBLE_EQ(lastBest, *host.getPr(solutionField("objval")));
  int reduce = 0;
  TVLgetintparam(tavlo()->env, TVL_PARAM_REDUCE, &reduce);
  EXPECT_EQ(reduce, 1) << "the caller's value comes back";
  EXPECT_EQ(failure("getCallbackX", {createInt64(host, &calls)}), "Wrong arguments to TAVLO function 'getCallbackX'.")
      << "an address that names no callback";

  TVLsetintparam(tavlo()->env, TVL_PARAM_MIPDISPLAY, 2);
  TVLsetintparam(tavlo()->env, TVL_PARAM_MIPINTERVAL, 1);
  calls = withIncumbent = 0;
  stopAfter = 1;
  displayed.clear();
  run("solve");
  EXPECT_EQ(*static_cast<int*>(host.getData(solutionField("status"))), TVLMIP_ABORT_FEAS);
  EXPECT_EQ(withIncumbent, 1);
  EXPECT_GT(linesAtStop, 0u);
  EXPECT_EQ(displayed.size(), linesAtStop) << "no line is shown after the stop";
}

// MIP starts: MipStart's 1-based xindices reach the library 0-based, the
// problem's starts come back after a solve, and a start without x or with
// lengths that differ is refused.
TEST_F(ModelTest, MipStartsTravelBothWays) {
  Outcome read = call("readModel", {host.createString(tvltest::instance_path("miplib", "p0033").c_str())});
  ASSERT_EQ(read.error, "");
  release(read);
  auto setStart = [&](Value* x, Value* xindices) {
    Value* start = host.createStructMatrix(1, 1, 0, nullptr);
    if (x) setField(host, start, "x", x, 0);
    if (xindices) setField(host, start, "xindices", xindices, 0);
    setField(host, start, "name", host.createString("part"), 0);
    host.setProperty(object, "MipStart", start);
    run("installStart");
  };
  const int idx[] = {2, 5, 7};
  setStart(host.createDoubleVector({1, 0, 1}), int32Column(host, idx, 3));
  run("getProbType");
  ASSERT_EQ(TVLgetnummipstarts(tavlo()->env, tavlo()->lp), 1);
  int nz = 0, beg = 0, effort = -1, surplus = 0, ind[3] = {};
  double val[3] = {};
  ASSERT_EQ(TVLgetmipstarts(tavlo()->env, tavlo()->lp, &nz, &beg, ind, val, &effort, 3, &surplus, 0, 0), 0);
  EXPECT_EQ(std::vector<int>(ind, ind + 3), (std::vector<int>{1, 4, 6}));
  EXPECT_EQ(std::vector<double>(val, val + 3), (std::vector<double>{1, 0, 1}));
  EXPECT_EQ(effort, 0);
  run("solve");
  const Value* back = StandaloneHost::property(object, "MipStart");
  ASSERT_EQ(host.getClassId(back), kStructClass);
  const Value* xindices = fieldOf(back, "xindices");
  ASSERT_EQ(host.getM(xindices), 3u);
  EXPECT_EQ(static_cast<int*>(host.getData(xindices))[2], 7);
  EXPECT_EQ(StandaloneHost::text(fieldOf(back, "name")), "part");
  setStart(nullptr, int32Column(host, idx, 1));
  EXPECT_EQ(failure("solve"), "No Tavlo.MipStart.x found");
  setStart(host.createDoubleVector({1, 0}), int32Column(host, idx, 3));
  EXPECT_EQ(failure("solve"), "length not equal");
}

}  // namespace
}  // namespace gateway
