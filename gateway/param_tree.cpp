#include "param_tree.h"

#include "access.h"

namespace gateway {

namespace {

constexpr ParamEntry leaf(const char* shortName, int number, const char* name, const char* help) {
  return {shortName, kLeaf, nullptr, {number, name, help}};
}
constexpr ParamEntry dir(const char* shortName, const ParamEntry* list) {
  return {shortName, kDirectory, list, {0, nullptr, nullptr}};
}
constexpr ParamEntry kEnd{nullptr, kEndOfList, nullptr, {0, nullptr, nullptr}};

// Help texts: a line of description; for parameters with a small set of
// settings a blank line and one line per setting, indented by four blanks.

constexpr ParamEntry barrierLimits[] = {
    leaf("corrections", 3013, "TVL_PARAM_BARMAXCOR", "maximum number of centering corrections per barrier iteration"),
    leaf("growth", 3003, "TVL_PARAM_BARGROWTH", "growth limit beyond which the barrier declares the problem unbounded"),
    leaf("iteration", 3012, "TVL_PARAM_BARITLIM", "barrier iteration limit"),
    leaf("objrange", 3004, "TVL_PARAM_BAROBJRNG", "largest absolute objective value before the barrier stops"),
    kEnd};

constexpr ParamEntry barrier[] = {
    leaf("algorithm", 3007, "TVL_PARAM_BARALG", "barrier algorithm variant"),
    leaf("colnonzeros", 3009, "TVL_PARAM_BARCOLNZ", "column density above which a column counts as dense"),
    leaf("convergetol", 3002, "TVL_PARAM_BAREPCOMP", "complementarity tolerance of the barrier"),
    leaf("crossover", 3018, "TVL_PARAM_BARCROSSALG", "crossover method after the barrier"),
    leaf("display", 3010, "TVL_PARAM_BARDISPLAY", "amount of barrier log output"),
    dir("limits", barrierLimits),
    leaf("ordering", 3014, "TVL_PARAM_BARORDER", "fill-reducing ordering of the barrier factorization"),
    leaf("qcpconvergetol", 3020, "TVL_PARAM_BARQCPEPCOMP", "complementarity tolerance for quadratically constrained problems"),
    leaf("startalg", 3017, "TVL_PARAM_BARSTARTALG", "starting-point heuristic of the barrier"),
    kEnd};

constexpr ParamEntry conflict[] = {
    leaf("display", 1074, "TVL_PARAM_CONFLICTDISPLAY", "amount of conflict refiner log output"), kEnd};

constexpr ParamEntry emphasis[] = {
    leaf("memory", 1082, "TVL_PARAM_MEMORYEMPHASIS", "save memory at the cost of speed"),
    leaf("mip", 2058, "TVL_PARAM_MIPEMPHASIS",
         "what the MIP search stresses\n\n    0 = balance optimality and feasibility\n"
         "    1 = feasibility\n    2 = optimality\n    3 = moving the best bound\n    4 = hidden feasible solutions"),
    leaf("numerical", 1083, "TVL_PARAM_NUMERICALEMPHASIS", "extra care on numerically difficult problems"),
    kEnd};

constexpr ParamEntry feasopt[] = {
    leaf("mode", 1084, "TVL_PARAM_FEASOPTMODE", "what the feasibility relaxation minimizes"),
    leaf("tolerance", 2073, "TVL_PARAM_EPRELAX", "tolerance of the feasibility relaxation"),
    kEnd};

constexpr ParamEntry mipCuts[] = {
    leaf("cliques", 2003, "TVL_PARAM_CLIQUES", "clique cut generation"),
    leaf("covers", 2005, "TVL_PARAM_COVERS", "cover cut generation"),
    leaf("disjunctive", 2053, "TVL_PARAM_DISJCUTS", "disjunctive cut generation"),
    leaf("flowcovers", 2040, "TVL_PARAM_FLOWCOVERS", "flow cover cut generation"),
    leaf("gomory", 2049, "TVL_PARAM_FRACCUTS", "Gomory fractional cut generation"),
    leaf("gubcovers", 2044, "TVL_PARAM_GUBCOVERS", "generalized upper bound cover cut generation"),
    leaf("implied", 2041, "TVL_PARAM_IMPLBD", "implied bound cut generation"),
    leaf("mcfcut", 2134, "TVL_PARAM_MCFCUTS", "multi-commodity flow cut generation"),
    leaf("mircut", 2052, "TVL_PARAM_MIRCUTS", "mixed-integer rounding cut generation"),
    leaf("pathcut", 2051, "TVL_PARAM_FLOWPATHS", "flow path cut generation"),
    leaf("zerohalfcut", 2111, "TVL_PARAM_ZEROHALFCUTS", "zero-half cut generation"),
    kEnd};

constexpr ParamEntry mipLimits[] = {
    leaf("aggforcut", 2054, "TVL_PARAM_AGGCUTLIM", "constraints aggregated at most to derive one cut"),
    leaf("auxrootthreads", 2139, "TVL_PARAM_AUXROOTTHREADS", "threads for auxiliary work at the root"),
    leaf("cutpasses", 2056, "TVL_PARAM_CUTPASS", "cutting plane passes at the root"),
    leaf("cutsfactor", 2033, "TVL_PARAM_CUTSFACTOR", "growth of the row count allowed for cuts"),
    leaf("eachcutlimit", 2102, "TVL_PARAM_EACHCUTLIM", "limit on the cuts of each kind"),
    leaf("gomorycand", 2048, "TVL_PARAM_FRACCAND", "candidate rows for Gomory cuts"),
    leaf("gomorypass", 2050, "TVL_PARAM_FRACPASS", "passes of Gomory cut generation"),
    leaf("nodes", 2017, "TVL_PARAM_NODELIM", "branch-and-bound node limit"),
    leaf("polishtime", 2066, "TVL_PARAM_POLISHTIME", "seconds spent polishing the incumbent"),
    leaf("populate", 2108, "TVL_PARAM_POPULATELIM", "solutions that populate generates at most"),
    leaf("probetime", 2065, "TVL_PARAM_PROBETIME", "seconds spent probing"),
    leaf("repairtries", 2067, "TVL_PARAM_REPAIRTRIES", "attempts to repair an infeasible MIP start"),
    leaf("solutions", 2015, "TVL_PARAM_INTSOLLIM", "integer solutions found before the search stops"),
    leaf("strongcand", 2045, "TVL_PARAM_STRONGCANDLIM", "candidates examined by strong branching"),
    leaf("strongit", 2046, "TVL_PARAM_STRONGITLIM", "iterations per candidate in strong branching"),
    leaf("submipnodelim", 2062, "TVL_PARAM_SUBMIPNODELIM", "node limit of sub-MIPs solved by heuristics"),
    leaf("treememory", 2027, "TVL_PARAM_TRELIM", "megabytes the branch-and-bound tree may use"),
    kEnd};

constexpr ParamEntry mipPolishafter[] = {
    leaf("absmipgap", 2126, "TVL_PARAM_POLISHAFTEREPAGAP", "absolute gap at which polishing starts"),
    leaf("mipgap", 2127, "TVL_PARAM_POLISHAFTEREPGAP", "relative gap at which polishing starts"),
    leaf("nodes", 2128, "TVL_PARAM_POLISHAFTERNODE", "nodes after which polishing starts"),
    leaf("solutions", 2129, "TVL_PARAM_POLISHAFTERINTSOL", "integer solutions after which polishing starts"),
    leaf("time", 2130, "TVL_PARAM_POLISHAFTERTIME", "seconds after which polishing starts"),
    kEnd};

constexpr ParamEntry mipPool[] = {
    leaf("absgap", 2106, "TVL_PARAM_SOLNPOOLAGAP", "absolute objective gap of solutions kept in the pool"),
    leaf("capacity", 2103, "TVL_PARAM_SOLNPOOLCAPACITY", "solutions the pool keeps at most"),
    leaf("intensity", 2107, "TVL_PARAM_SOLNPOOLINTENSITY", "effort spent generating pool solutions"),
    leaf("relgap", 2105, "TVL_PARAM_SOLNPOOLGAP", "relative objective gap of solutions kept in the pool"),
    leaf("replace", 2104, "TVL_PARAM_SOLNPOOLREPLACE",
         "which solution a full pool gives up\n\n    0 = the oldest\n    1 = the worst objective\n"
         "    2 = the least diverse"),
    kEnd};

constexpr ParamEntry mipStrategy[] = {
    leaf("backtrack", 2002, "TVL_PARAM_BTTOL", "how readily the search backtracks"),
    leaf("bbinterval", 2039, "TVL_PARAM_BBINTERVAL", "interval at which the best-bound node is chosen"),
    leaf("branch", 2001, "TVL_PARAM_BRDIR",
         "branching direction\n\n    -1 = down branch first\n    0 = chosen automatically\n    1 = up branch first"),
    leaf("dive", 2060, "TVL_PARAM_DIVETYPE", "diving strategy"),
    leaf("file", 2016, "TVL_PARAM_NODEFILEIND", "where nodes go when the tree memory limit is reached"),
    leaf("fpheur", 2098, "TVL_PARAM_FPHEUR", "feasibility pump heuristic"),
    leaf("heuristicfreq", 2031, "TVL_PARAM_HEURFREQ", "node interval of the periodic heuristic"),
    leaf("kappastats", 2137, "TVL_PARAM_MIPKAPPASTATS", "collection of condition number statistics"),
    leaf("lbheur", 2063, "TVL_PARAM_LBHEUR", "local branching heuristic"),
    leaf("miqcpstrat", 2110, "TVL_PARAM_MIQCPSTRAT", "relaxation solved at the nodes of a MIQCP"),
    leaf("nodeselect", 2018, "TVL_PARAM_NODESEL",
         "node selection strategy\n\n    0 = depth first\n    1 = best bound\n    2 = best estimate\n"
         "    3 = alternative best estimate"),
    leaf("order", 2020, "TVL_PARAM_MIPORDIND", "use of a priority order"),
    leaf("presolvenode", 2037, "TVL_PARAM_PRESLVND", "presolve at the nodes"),
    leaf("probe", 2042, "TVL_PARAM_PROBE", "probing level"),
    leaf("rinsheur", 2061, "TVL_PARAM_RINSHEUR", "node interval of the RINS heuristic"),
    leaf("search", 2109, "TVL_PARAM_MIPSEARCH", "search strategy"),
    leaf("startalgorithm", 2025, "TVL_PARAM_STARTALG", "optimizer of the root relaxation"),
    leaf("subalgorithm", 2026, "TVL_PARAM_SUBALG", "optimizer of the node relaxations"),
    leaf("variableselect", 2028, "TVL_PARAM_VARSEL",
         "branching variable selection\n\n    -1 = minimum infeasibility\n    0 = chosen automatically\n"
         "    1 = maximum infeasibility\n    2 = pseudo costs\n    3 = strong branching\n"
         "    4 = reduced pseudo costs"),
    kEnd};

constexpr ParamEntry mipTolerances[] = {
    leaf("absmipgap", 2008, "TVL_PARAM_EPAGAP", "absolute gap between incumbent and best bound at which the search stops"),
    leaf("integrality", 2010, "TVL_PARAM_EPINT", "largest distance from an integer a value may have and count as integral"),
    leaf("lowercutoff", 2006, "TVL_PARAM_CUTLO", "lower cutoff of a maximization"),
    leaf("mipgap", 2009, "TVL_PARAM_EPGAP", "relative gap between incumbent and best bound at which the search stops"),
    leaf("objdifference", 2019, "TVL_PARAM_OBJDIF", "absolute improvement a new incumbent must bring"),
    leaf("relobjdifference", 2022, "TVL_PARAM_RELOBJDIF", "relative improvement a new incumbent must bring"),
    leaf("uppercutoff", 2007, "TVL_PARAM_CUTUP", "upper cutoff of a minimization"),
    kEnd};

constexpr ParamEntry mip[] = {
    dir("cuts", mipCuts),
    leaf("display", 2012, "TVL_PARAM_MIPDISPLAY",
         "amount of MIP node log output\n\n    0 = none\n    1 = integer solutions only\n"
         "    2 = nodes at the interval\n    3 = nodes and cuts\n    4 = also the root LP log\n"
         "    5 = also every node LP log"),
    leaf("interval", 2013, "TVL_PARAM_MIPINTERVAL", "node interval of the MIP log"),
    dir("limits", mipLimits),
    leaf("ordertype", 2032, "TVL_PARAM_MIPORDTYPE", "kind of priority order generated"),
    dir("polishafter", mipPolishafter),
    dir("pool", mipPool),
    dir("strategy", mipStrategy),
    dir("tolerances", mipTolerances),
    kEnd};

constexpr ParamEntry preprocessing[] = {
    leaf("aggregator", 1003, "TVL_PARAM_AGGIND", "aggregator passes of presolve (-1 automatic)"),
    leaf("boundstrength", 2029, "TVL_PARAM_BNDSTRENIND", "bound strengthening in presolve"),
    leaf("coeffreduce", 2004, "TVL_PARAM_COEREDIND", "coefficient reduction in presolve"),
    leaf("dependency", 1008, "TVL_PARAM_DEPIND", "search for linearly dependent rows"),
    leaf("dual", 1044, "TVL_PARAM_PREDUAL", "presolve the dual problem"),
    leaf("fill", 1002, "TVL_PARAM_AGGFILL", "fill an aggregation may create at most"),
    leaf("linear", 1058, "TVL_PARAM_PRELINEAR", "reductions restricted to linear ones"),
    leaf("numpass", 1052, "TVL_PARAM_PREPASS", "presolve passes (-1 automatic)"),
    leaf("presolve", 1030, "TVL_PARAM_PREIND", "presolve before optimizing\n\n    0 = off\n    1 = on"),
    leaf("qpmakepsd", 4010, "TVL_PARAM_QPMAKEPSDIND", "make a quadratic objective positive semidefinite"),
    leaf("reduce", 1057, "TVL_PARAM_REDUCE",
         "reductions presolve may make\n\n    0 = none\n    1 = primal only\n    2 = dual only\n    3 = primal and dual"),
    leaf("relax", 2034, "TVL_PARAM_RELAXPREIND", "presolve of the root relaxation"),
    leaf("repeatpresolve", 2064, "TVL_PARAM_REPEATPRESOLVE", "presolve again after the root cuts"),
    leaf("symmetry", 2059, "TVL_PARAM_SYMMETRY", "symmetry breaking effort"),
    kEnd};

constexpr ParamEntry read[] = {
    leaf("constraints", 1021, "TVL_PARAM_ROWREADLIM", "rows a reader expects at most"),
    leaf("datacheck", 1056, "TVL_PARAM_DATACHECK", "check the values of model data\n\n    0 = off\n    1 = on"),
    leaf("nonzeros", 1024, "TVL_PARAM_NZREADLIM", "matrix nonzeros a reader expects at most"),
    leaf("qpnonzeros", 4001, "TVL_PARAM_QPNZREADLIM", "quadratic nonzeros a reader expects at most"),
    leaf("scale", 1034, "TVL_PARAM_SCAIND",
         "scaling of the problem\n\n    -1 = none\n    0 = equilibration\n    1 = aggressive"),
    leaf("variables", 1023, "TVL_PARAM_COLREADLIM", "columns a reader expects at most"),
    kEnd};

constexpr ParamEntry sifting[] = {
    leaf("algorithm", 1077, "TVL_PARAM_SIFTALG", "optimizer of the sifting subproblems"),
    leaf("display", 1076, "TVL_PARAM_SIFTDISPLAY", "amount of sifting log output"),
    leaf("iterations", 1078, "TVL_PARAM_SIFTITLIM", "sifting iteration limit"),
    kEnd};

constexpr ParamEntry simplexLimits[] = {
    leaf("iterations", 1020, "TVL_PARAM_ITLIM", "simplex iteration limit"),
    leaf("lowerobj", 1025, "TVL_PARAM_OBJLLIM", "objective value below which a maximization stops"),
    leaf("perturbation", 1028, "TVL_PARAM_PERLIM", "degenerate iterations before the bounds are perturbed"),
    leaf("singularity", 1037, "TVL_PARAM_SINGLIM", "singular bases repaired before the simplex stops"),
    leaf("upperobj", 1026, "TVL_PARAM_OBJULIM", "objective value above which a minimization stops"),
    kEnd};

constexpr ParamEntry simplexPerturbation[] = {
    leaf("indicator", 1027, "TVL_PARAM_PERIND",
         "perturb the bounds from the start\n\n    0 = only when progress stalls\n    1 = always"),
    leaf("constant", 1015, "TVL_PARAM_EPPER", "size of the bound perturbation"),
    kEnd};

constexpr ParamEntry simplexTolerances[] = {
    leaf("feasibility", 1016, "TVL_PARAM_EPRHS", "primal feasibility tolerance"),
    leaf("markowitz", 1013, "TVL_PARAM_EPMRK", "Markowitz threshold of the LU factorization"),
    leaf("optimality", 1014, "TVL_PARAM_EPOPT", "reduced cost (dual feasibility) tolerance"),
    kEnd};

constexpr ParamEntry simplex[] = {
    leaf("crash", 1007, "TVL_PARAM_CRAIND", "crash the starting basis"),
    leaf("dgradient", 1009, "TVL_PARAM_DPRIIND",
         "dual simplex pricing\n\n    0 = chosen automatically\n    1 = standard\n    2 = steepest edge\n"
         "    3 = steepest edge in slack space\n    4 = steepest edge, unit initial norms\n    5 = devex"),
    leaf("display", 1019, "TVL_PARAM_SIMDISPLAY",
         "amount of simplex log output\n\n    0 = none\n    1 = at each refactorization\n    2 = every iteration"),
    dir("limits", simplexLimits),
    dir("perturbation", simplexPerturbation),
    leaf("pgradient", 1029, "TVL_PARAM_PPRIIND",
         "primal simplex pricing\n\n    -1 = reduced cost\n    0 = chosen automatically\n    1 = devex\n"
         "    2 = steepest edge\n    3 = steepest edge, slack initial norms\n    4 = full pricing"),
    leaf("pricing", 1010, "TVL_PARAM_PRICELIM", "size of the partial pricing candidate list (0 automatic)"),
    leaf("refactor", 1031, "TVL_PARAM_REINV", "iterations between refactorizations (0 automatic)"),
    dir("tolerances", simplexTolerances),
    kEnd};

constexpr ParamEntry tune[] = {
    leaf("display", 1113, "TVL_PARAM_TUNINGDISPLAY", "amount of tuning log output"),
    leaf("measure", 1110, "TVL_PARAM_TUNINGMEASURE", "how tuning compares settings over several problems"),
    leaf("repeat", 1111, "TVL_PARAM_TUNINGREPEAT", "runs of each problem during tuning"),
    leaf("timelimit", 1112, "TVL_PARAM_TUNINGTILIM", "seconds each tuning run may take"),
    kEnd};

constexpr ParamEntry setlist[] = {
    leaf("advance", 1001, "TVL_PARAM_ADVIND",
         "indicator for advanced starting information\n\n    0 = no advanced start\n"
         "    1 = standard advanced start\n    2 = alternate advanced start"),
    dir("barrier", barrier),
    leaf("clocktype", 1006, "TVL_PARAM_CLOCKTYPE",
         "clock used for time limits and reports\n\n    0 = chosen automatically\n    1 = CPU time\n"
         "    2 = wall-clock time"),
    dir("conflict", conflict),
    dir("emphasis", emphasis),
    dir("feasopt", feasopt),
    leaf("lpmethod", 1062, "TVL_PARAM_LPMETHOD",
         "optimizer for linear programs\n\n    0 = chosen automatically\n    1 = primal simplex\n"
         "    2 = dual simplex\n    3 = network simplex\n    4 = barrier\n    5 = sifting\n    6 = concurrent"),
    dir("mip", mip),
    leaf("parallel", 1109, "TVL_PARAM_PARALLELMODE",
         "parallel mode\n\n    -1 = opportunistic\n    0 = chosen automatically\n    1 = deterministic"),
    dir("preprocessing", preprocessing),
    leaf("qpmethod", 1063, "TVL_PARAM_QPMETHOD", "optimizer for quadratic programs"),
    dir("read", read),
    dir("sifting", sifting),
    dir("simplex", simplex),
    leaf("threads", 1067, "TVL_PARAM_THREADS", "threads the optimizers may use (0 automatic)"),
    leaf("timelimit", 1039, "TVL_PARAM_TILIM", "time limit in seconds"),
    dir("tune", tune),
    leaf("workdir", 1064, "TVL_PARAM_WORKDIR", "directory for working files"),
    leaf("workmem", 1065, "TVL_PARAM_WORKMEM", "megabytes of working memory before files are used"),
    kEnd};

// A 1-by-1 structure of the list's entries, in list order; null when a
// structure cannot be created or a field cannot be added.
Value* makeDir(Host& host, const ParamEntry* list) {
  Value* s = host.createStructMatrix(1, 1, 0, nullptr);
  if (!s) return nullptr;
  for (const ParamEntry* e = list; e->kind != kEndOfList; ++e) {
    Value* child = nullptr;
    if (e->kind == kDirectory) {
      child = makeDir(host, e->directory);
    } else {
      const char* names[] = {"Name", "Help"};
      child = host.createStructMatrix(1, 1, 2, names);
      if (child) {
        host.setFieldByNumber(child, 0, 0, host.createString(e->leaf.name));
        host.setFieldByNumber(child, 0, 1, host.createString(e->leaf.help));
      }
    }
    if (!child || setField(host, s, e->shortName, child, 0) != 0) {
      host.destroyArray(s);
      return nullptr;
    }
  }
  return s;
}

}  // namespace

const ParamEntry* paramRoot() { return setlist; }

Value* buildParamHierarchy(Host& host, int* status) {
  *status = 0;
  const char* names[] = {"Param"};
  Value* result = host.createStructMatrix(1, 1, 1, names);
  Value* tree = result ? makeDir(host, setlist) : nullptr;
  if (!tree) {
    if (result) host.destroyArray(result);
    *status = 1001;
    return nullptr;
  }
  host.setFieldByNumber(result, 0, 0, tree);
  return result;
}

}  // namespace gateway
