// Commands that optimise and report: solve, populate and feasOpt (update,
// optimise, build the Solution structure with its pool; solve and populate
// also refresh Start), getProbType, and the solution quality measures
// getQuality, getQualityOfPool and getQualityHierarchy.
#include <cstring>
#include <optional>
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "info_callback.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// Quality measures: name, the library's number, the kinds of solution they
// describe (1 primal, 2 dual, 4 condition, 8 complementarity; 0 shown for
// every solution) and the problems they apply to (1 integer, 2 indicator,
// 4 quadratic constraints; 0 every problem).
struct Quality {
  const char* name;
  int number, group, problems;
};

constexpr Quality kQualities[] = {
    {"maxprimalinfeas", 1, 1, 0},         {"maxscaledprimalinfeas", 2, 1, 0},
    {"sumprimalinfeas", 3, 1, 0},         {"sumscaledprimalinfeas", 4, 1, 0},
    {"maxprimalresidual", 11, 1, 0},      {"maxscaledprimalresidual", 12, 1, 0},
    {"sumprimalresidual", 13, 1, 0},      {"sumscaledprimalresidual", 14, 1, 0},
    {"maxx", 23, 1, 0},                   {"maxscaledx", 24, 1, 0},
    {"maxslack", 27, 1, 0},               {"maxscaledslack", 28, 1, 0},
    {"sumx", 31, 1, 0},                   {"sumscaledx", 32, 1, 0},
    {"sumslack", 35, 1, 0},               {"sumscaledslack", 36, 1, 0},
    {"maxintinfeas", 9, 1, 1},            {"sumintinfeas", 10, 1, 1},
    {"maxqcprimalresidual", 43, 1, 4},    {"sumqcprimalresidual", 44, 1, 4},
    {"maxqcslackinfeas", 45, 1, 4},       {"sumqcslackinfeas", 46, 1, 4},
    {"maxqcslack", 47, 1, 4},             {"sumqcslack", 48, 1, 4},
    {"maxindslackinfeas", 49, 1, 2},      {"sumindslackinfeas", 50, 1, 2},
    {"maxdualinfeas", 5, 2, 0},           {"maxscaleddualinfeas", 6, 2, 0},
    {"sumdualinfeas", 7, 2, 0},           {"sumscaleddualinfeas", 8, 2, 0},
    {"maxdualresidual", 15, 2, 0},        {"maxscaleddualresidual", 16, 2, 0},
    {"sumdualresidual", 17, 2, 0},        {"sumscaleddualresidual", 18, 2, 0},
    {"maxpi", 25, 2, 0},                  {"maxscaledpi", 26, 2, 0},
    {"maxredcost", 29, 2, 0},             {"maxscaledredcost", 30, 2, 0},
    {"sumpi", 33, 2, 0},                  {"sumscaledpi", 34, 2, 0},
    {"sumredcost", 37, 2, 0},             {"sumscaledredcost", 38, 2, 0},
    {"maxcompslack", 19, 8, 0},           {"sumcompslack", 21, 8, 0},
    {"kappa", 39, 4, 0},                  {"objgap", 40, 0, 0},
    {"dualobj", 41, 0, 0},                {"primalobj", 42, 0, 0},
    {"kappastable", 52, 0, 0},            {"kappasuspicious", 53, 0, 0},
    {"kappaunstable", 54, 0, 0},          {"kappaillposed", 55, 0, 0},
    {"kappamax", 56, 0, 0},               {"kappaattention", 57, 0, 0},
};

bool isMipType(int type) { return !isContinuousType(type); }

// Runs the optimiser that fits the problem type: the LP optimiser for an
// LP, the MIP optimiser for the mixed-integer family (which itself refuses
// the types it does not handle, with its message).  The library has no
// optimiser for continuous quadratic problems yet; they answer its status
// for an optimiser that is not available.
int optimise(Tavlo& t, int type) {
  if (type == 0) return TVLlpopt(t.env, t.lp);
  if (isMipType(type)) return TVLmipopt(t.env, t.lp);
  return reportLibraryStatus(t, TVLERR_INVALID_CHOICE_OF_OPTIMIZATION_METHOD);
}

// Vector queries over all n (or m) entries; an empty range always succeeds.
template <typename Get>
bool queryVector(Tavlo& t, Get get, std::vector<double>& out) {
  return out.empty() || get(t.env, t.lp, out.data(), 0, static_cast<int>(out.size()) - 1) == 0;
}

void putCount(Host& host, StructBuilder& s, const char* name, int count) {
  if (count > 0) s.put(name, int32Scalar(host, count));
}

void putDouble(Tavlo& t, StructBuilder& s, const char* name, int (*get)(TVLCENVptr, TVLCLPptr, double*)) {
  double value = 0;
  if (get(t.env, t.lp, &value) == 0) s.put(name, t.host().createDoubleScalar(value));
}

void putBasis(Tavlo& t, StructBuilder& s, std::size_t n, std::size_t m) {
  Host& host = t.host();
  std::vector<int> cstat(n), rstat(m);
  if (TVLgetbase(t.env, t.lp, cstat.data(), rstat.data()) != 0) return;
  StructBuilder basis(host);
  basis.put("colstat", int32Column(host, cstat.data(), n));
  basis.put("rowstat", int32Column(host, rstat.data(), m));
  s.put("basis", basis.release());
}

// The Solution fields of an optimisation whose status is not 0.
void putOutcome(Tavlo& t, StructBuilder& s, int stat, double time) {
  Host& host = t.host();
  const auto n = static_cast<std::size_t>(TVLgetnumcols(t.env, t.lp));
  const auto m = static_cast<std::size_t>(TVLgetnumrows(t.env, t.lp));
  char text[TVL_MSGBUFSIZE] = {};
  s.put("statusstring", host.createString(TVLgetstatstring(t.env, stat, text) ? text : ""));
  s.put("time", host.createDoubleScalar(time));
  putDouble(t, s, "objval", TVLgetobjval);
  std::vector<double> x(n), dual(m), ax(m), dj(n);
  if (queryVector(t, TVLgetx, x)) s.put("x", doubleColumn(host, x.data(), n));
  const int method = TVLgetmethod(t.env, t.lp);
  if (method == -1 || method == 1 || method == 2 || method == 4 || method == 11 || method == 12)
    s.put("method", int32Scalar(host, method));
  if (queryVector(t, TVLgetpi, dual)) s.put("dual", doubleColumn(host, dual.data(), m));
  if (queryVector(t, TVLgetax, ax)) s.put("ax", doubleColumn(host, ax.data(), m));
  if (queryVector(t, TVLgetdj, dj)) s.put("reducedcost", doubleColumn(host, dj.data(), n));
  putCount(host, s, "itcnt", TVLgetitcnt(t.env, t.lp));
  putBasis(t, s, n, m);
  putCount(host, s, "baritcnt", TVLgetbaritcnt(t.env, t.lp));
  putCount(host, s, "phase1cnt", TVLgetphase1cnt(t.env, t.lp));
  putCount(host, s, "crossppushcnt", TVLgetcrossppushcnt(t.env, t.lp));
  putCount(host, s, "crosspexchcnt", TVLgetcrosspexchcnt(t.env, t.lp));
  putCount(host, s, "crossdpushcnt", TVLgetcrossdpushcnt(t.env, t.lp));
  putCount(host, s, "crossdexchcnt", TVLgetcrossdexchcnt(t.env, t.lp));
  putCount(host, s, "siftitcnt", TVLgetsiftitcnt(t.env, t.lp));
  putCount(host, s, "siftphase1cnt", TVLgetsiftphase1cnt(t.env, t.lp));
}

// The fields only a MIP optimisation has: the search's counters, the best
// bound, the cutoff and the relative gap, each when the library has it.
void putMipOutcome(Tavlo& t, StructBuilder& s) {
  Host& host = t.host();
  putCount(host, s, "nodecnt", TVLgetnodecnt(t.env, t.lp));
  putCount(host, s, "nodeleftcnt", TVLgetnodeleftcnt(t.env, t.lp));
  putCount(host, s, "mipitcnt", TVLgetmipitcnt(t.env, t.lp));
  putDouble(t, s, "bestobjval", TVLgetbestobjval);
  putCount(host, s, "nodeint", TVLgetnodeint(t.env, t.lp));
  putDouble(t, s, "cutoff", TVLgetcutoff);
  putDouble(t, s, "miprelgap", TVLgetmiprelgap);
}

// A row activity from its right-hand side and slack: rhs - slack, with an
// infinite slack (either sign, at or beyond 1e20) meaning the opposite
// infinite activity.
double activityFromSlack(double rhs, double slack, double inf) {
  return slack >= TVL_INFBOUND ? -inf : slack <= -TVL_INFBOUND ? inf : rhs - slack;
}

// indicatorax: the activity a'x of each indicator constraint's row at the
// solution, from the library's indicator slacks and right-hand sides.  A
// solution without values (no incumbent) has no indicatorax; an indicator
// whose data cannot be read fails the command (10018).
int putIndicatorActivities(Tavlo& t, StructBuilder& s) {
  const int k = TVLgetnumindconstrs(t.env, t.lp);
  if (k <= 0) return 0;
  std::vector<double> ax(static_cast<std::size_t>(k));
  if (TVLgetindconstrslack(t.env, t.lp, ax.data(), 0, k - 1) != 0) return 0;
  const double inf = t.host().getInf();
  for (int i = 0; i < k; ++i) {
    // Space 0 asks only for the size of the row, which is not needed: its
    // answer "array too short" still delivers the right-hand side.
    double rhs = 0;
    int nz = 0, surplus = 0;
    const int status = TVLgetindconstr(t.env, t.lp, nullptr, nullptr, &nz, &rhs, nullptr, nullptr, nullptr, 0, &surplus, i);
    if (status != 0 && status != TVLERR_INSUFFICIENT_ARRAY_LENGTH) return kNoIndicatorSlack;
    ax[static_cast<std::size_t>(i)] = activityFromSlack(rhs, ax[static_cast<std::size_t>(i)], inf);
  }
  s.put("indicatorax", doubleColumn(t.host(), ax.data(), ax.size()));
  return 0;
}

// Builds the Solution of the last optimisation, stores it in the object and
// hands a copy back as the command's result.  Without a solution status
// nothing is stored and the result is an empty structure.
int setupSolution(Tavlo& t, Value* object, double time, Value** result) {
  Host& host = t.host();
  const int stat = TVLgetstat(t.env, t.lp);
  StructBuilder s(host);
  if (stat == 0) {
    *result = s.release();
    return 0;
  }
  if (!s.put("status", int32Scalar(host, stat))) return 1001;
  putOutcome(t, s, stat, time);
  if (isMipType(TVLgetprobtype(t.env, t.lp))) putMipOutcome(t, s);
  if (int status = putIndicatorActivities(t, s)) return status;
  *result = host.duplicateArray(s.get());
  return setField(host, object, "Solution", s.release(), 0);
}

// The pool part of a MIP's Solution: how many solutions the pool replaced,
// their mean objective, and each pool solution's objective, columns and
// row activities.
// Row activities of pool solution `soln`: right-hand side less the pool's
// slack, infinite where the slack is.
bool poolActivities(Tavlo& t, int soln, std::vector<double>& ax) {
  const int m = static_cast<int>(ax.size());
  if (m == 0) return true;
  std::vector<double> rhs(ax.size());
  if (TVLgetsolnpoolslack(t.env, t.lp, soln, ax.data(), 0, m - 1) != 0) return false;
  if (TVLgetrhs(t.env, t.lp, rhs.data(), 0, m - 1) != 0) return false;
  const double inf = t.host().getInf();
  for (std::size_t i = 0; i < ax.size(); ++i) ax[i] = activityFromSlack(rhs[i], ax[i], inf);
  return true;
}

Value* poolSolutions(Tavlo& t, int count, std::size_t n, std::size_t m) {
  Host& host = t.host();
  Value* solutions = host.createStructMatrix(1, static_cast<std::size_t>(count), 0, nullptr);
  if (!solutions) return nullptr;
  std::vector<double> x(n), ax(m);
  for (int k = 0; k < count; ++k) {
    const auto e = static_cast<std::size_t>(k);
    double objval = 0;
    if (TVLgetsolnpoolobjval(t.env, t.lp, k, &objval) == 0)
      setField(host, solutions, "objval", host.createDoubleScalar(objval), e);
    if (n == 0 || TVLgetsolnpoolx(t.env, t.lp, k, x.data(), 0, static_cast<int>(n) - 1) == 0)
      setField(host, solutions, "x", doubleColumn(host, x.data(), n), e);
    if (poolActivities(t, k, ax)) setField(host, solutions, "ax", doubleColumn(host, ax.data(), m), e);
  }
  return solutions;
}

// Adds `pool` to the object's Solution (10017 when there is none).
int setupSolutionPool(Tavlo& t, Value* object, Value** result) {
  Host& host = t.host();
  Held solution = getField(host, object, "Solution", 0, false);
  if (!solution || host.getClassId(solution.get()) != kStructClass) return kNoSolution;
  const auto n = static_cast<std::size_t>(TVLgetnumcols(t.env, t.lp));
  const auto m = static_cast<std::size_t>(TVLgetnumrows(t.env, t.lp));
  StructBuilder pool(host);
  pool.put("numreplaced", int32Scalar(host, TVLgetsolnpoolnumreplaced(t.env, t.lp)));
  putDouble(t, pool, "meanobj", TVLgetsolnpoolmeanobjval);
  const int count = TVLgetsolnpoolnumsolns(t.env, t.lp);
  if (count > 0) {
    Value* solutions = poolSolutions(t, count, n, m);
    if (!solutions || !pool.put("solution", solutions)) return 1001;
  }
  Value* updated = host.duplicateArray(solution.get());
  if (int status = setField(host, updated, "pool", pool.release(), 0)) {
    host.destroyArray(updated);
    return status;
  }
  if (*result) host.destroyArray(*result);
  *result = host.duplicateArray(updated);
  return setField(host, object, "Solution", updated, 0);
}

// Runs one optimiser call between two clock readings; `time` receives the
// elapsed seconds.
template <typename Optimiser>
int timed(Tavlo& t, Optimiser run, double* time) {
  double start = 0, end = 0;
  TVLgettime(t.env, &start);
  const int status = run();
  TVLgettime(t.env, &end);
  *time = end - start;
  return status;
}

// What every optimisation command leaves behind: the Solution, its pool
// part for the MIP family, and (unless `refreshStart` is false) Start
// refreshed from the result.
int reportOptimisation(Tavlo& t, Value* object, int type, double time, Value** result, bool refreshStart = true) {
  if (int s = setupSolution(t, object, time, result)) return s;
  if (isMipType(type) && TVLgetstat(t.env, t.lp) != 0) {
    if (int s = setupSolutionPool(t, object, result)) return s;
  }
  return refreshStart ? setupStart(t, object) : 0;
}

int solveCommand(Tavlo& t, Value* object, const Value*, int, Value* const*, Value** result) {
  if (int status = updateProblem(t, object)) return status;
  if (int status = t.armTerminate()) return status;
  const int type = TVLgetprobtype(t.env, t.lp);
  delField(t.host(), object, "Solution");
  std::optional<InfoCallbackScope> info;
  if (isMipType(type)) {
    info.emplace(t, object);
    if (int status = info->status()) return status;
  }
  double time = 0;
  const int status = timed(t, [&] { return optimise(t, type); }, &time);
  info.reset();
  if (status) return status;
  return reportOptimisation(t, object, type, time, result);
}

// populate: the MIP optimizer's two phases that fill the solution pool.
// Like solve it arms the terminate flag (a flag left at 1 by an earlier
// Ctrl-C would otherwise stop it at once, and without it Ctrl-C could not
// stop it); it installs no information callback.  An LP is refused by the
// library with its own message.
int populateCommand(Tavlo& t, Value* object, const Value*, int, Value* const*, Value** result) {
  if (int status = updateProblem(t, object)) return status;
  if (int status = t.armTerminate()) return status;
  const int type = TVLgetprobtype(t.env, t.lp);
  delField(t.host(), object, "Solution");
  double time = 0;
  if (int status = timed(t, [&] { return TVLpopulate(t.env, t.lp); }, &time)) return status;
  return reportOptimisation(t, object, type, time, result);
}

// One preference argument of feasOpt: none when the value is missing or
// empty (that kind of item is not relaxed), otherwise exactly `n` values.
int preferences(Host& host, const Value* v, std::size_t n, std::optional<std::vector<double>>& out) {
  if (!v || host.isEmpty(v)) return 0;
  if (int status = notVlenEqual(host, v, n)) return status;
  out = createmxVector(host, v);
  return out ? 0 : 1001;
}

const double* dataOf(const std::optional<std::vector<double>>& v) { return v ? v->data() : nullptr; }

// feasOpt(rngpref, rhspref, lbpref, ubpref): the feasibility relaxation
// with the preferences for relaxing row ranges and right-hand sides (m
// values each) and lower and upper bounds (n values each); an empty or
// missing argument relaxes nothing of its kind.  The relaxed solution is
// reported as Solution (with its pool for a MIP); Start is left as it was,
// since the relaxed point is no start for the problem itself.  The
// terminate flag is armed as for solve, so that Ctrl-C stops the
// relaxation.
int feasOptCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value** result) {
  if (nargs > 4) return kBadArguments;
  if (int status = updateProblem(t, object)) return status;
  Host& host = t.host();
  const auto n = static_cast<std::size_t>(TVLgetnumcols(t.env, t.lp));
  const auto m = static_cast<std::size_t>(TVLgetnumrows(t.env, t.lp));
  const int type = TVLgetprobtype(t.env, t.lp);
  std::optional<std::vector<double>> pref[4];
  const std::size_t lengths[4] = {m, m, n, n};
  for (int k = 0; k < nargs; ++k)
    if (int status = preferences(host, args[k], lengths[k], pref[k])) return status;
  if (int status = t.armTerminate()) return status;
  delField(host, object, "Solution");
  double time = 0;
  const int status = timed(
      t, [&] { return TVLfeasopt(t.env, t.lp, dataOf(pref[0]), dataOf(pref[1]), dataOf(pref[2]), dataOf(pref[3])); },
      &time);
  if (status) return status;
  return reportOptimisation(t, object, type, time, result, false);
}

int getProbTypeCommand(Tavlo& t, Value* object, const Value*, int, Value* const*, Value** result) {
  if (int status = updateProblem(t, object)) return status;
  *result = int32Scalar(t.host(), TVLgetprobtype(t.env, t.lp));
  return 0;
}

// One measure: {index, value} when it has an index, {value} when it has
// none; null when the library cannot answer it.  `soln` is a pool
// solution, or kCurrent for the problem's own solution.
constexpr int kCurrent = -2;

Value* qualityValue(Tavlo& t, const Quality& q, const char* valueName, int soln = kCurrent) {
  Host& host = t.host();
  double value = 0;
  int index = 0;
  const bool pool = soln != kCurrent;
  if ((pool ? TVLgetsolnpooldblquality(t.env, t.lp, soln, &value, q.number)
            : TVLgetdblquality(t.env, t.lp, &value, q.number)) != 0)
    return nullptr;
  StructBuilder s(host);
  if ((pool ? TVLgetsolnpoolintquality(t.env, t.lp, soln, &index, q.number)
            : TVLgetintquality(t.env, t.lp, &index, q.number)) == 0) {
    s.put("index", int32Scalar(host, index));
    s.put("value", host.createDoubleScalar(value));
  } else {
    s.put(valueName, host.createDoubleScalar(value));
  }
  return s.release();
}

// The measure named by `name`, or null when the name is not in the table.
const Quality* findQuality(const char* name) {
  for (const Quality& q : kQualities)
    if (std::strcmp(q.name, name) == 0) return &q;
  return nullptr;
}

int getQualityCommand(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  char name[256];
  if (nargs != 1 || !readText(t.host(), args[0], name, sizeof name)) return kBadArguments;
  if (const Quality* q = findQuality(name)) *result = qualityValue(t, *q, "value");
  return 0;
}

// getQualityOfPool(soln, name): the measure of pool solution soln (the
// library's index, truncated: 0 is the first pool solution, -1 the
// incumbent).
int getQualityOfPoolCommand(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  char name[256];
  double soln = 0;
  if (nargs != 2 || !readScalar(t.host(), args[0], &soln) || !readText(t.host(), args[1], name, sizeof name) ||
      !(soln > -2 && soln < 2147483647.0))
    return kBadArguments;
  if (const Quality* q = findQuality(name)) *result = qualityValue(t, *q, "value", static_cast<int>(soln));
  return 0;
}

int getQualityHierarchyCommand(Tavlo& t, Value*, const Value*, int, Value* const*, Value** result) {
  int method = 0, kind = 0;
  TVLsolninfo(t.env, t.lp, &method, &kind, nullptr, nullptr);
  const int groups = kind == TVL_BASIC_SOLN ? 7 : kind == TVL_NONBASIC_SOLN ? 11 : kind == TVL_PRIMAL_SOLN ? 1 : 0;
  const int problems = (TVLgetnumqconstrs(t.env, t.lp) > 0 ? 4 : 0) + (TVLgetnumindconstrs(t.env, t.lp) > 0 ? 2 : 0) +
                       (isMipType(TVLgetprobtype(t.env, t.lp)) ? 1 : 0);
  StructBuilder s(t.host());
  for (const Quality& q : kQualities) {
    const bool shown = q.group == 0 || ((q.group & groups) == q.group && (q.problems & problems) == q.problems);
    if (!shown) continue;
    if (Value* v = qualityValue(t, q, q.name)) s.put(q.name, v);
  }
  *result = s.release();
  return 0;
}

}  // namespace

void registerSolveCommands(CommandTable& table) {
  table.bind("solve", solveCommand);
  table.bind("populate", populateCommand);
  table.bind("feasOpt", feasOptCommand);
  table.bind("getProbType", getProbTypeCommand);
  table.bind("getQuality", getQualityCommand);
  table.bind("getQualityOfPool", getQualityOfPoolCommand);
  table.bind("getQualityHierarchy", getQualityHierarchyCommand);
}

}  // namespace gateway
