#include "param_tree.h"

#include "access.h"
#include "tavlo.h"

namespace gateway {

namespace {

// A leaf naming the parameter TVL_PARAM_<id>: its number and its name both
// come from the identifier the parameter table generates, so the tree
// cannot disagree with the library.
#define PARAM_LEAF(shortName, id, help) \
  ParamEntry { shortName, kLeaf, nullptr, {TVL_PARAM_##id, "TVL_PARAM_" #id, help} }
constexpr ParamEntry dir(const char* shortName, const ParamEntry* list) {
  return {shortName, kDirectory, list, {0, nullptr, nullptr}};
}
constexpr ParamEntry kEnd{nullptr, kEndOfList, nullptr, {0, nullptr, nullptr}};

// Help texts: a line of description; for parameters with a small set of
// settings a blank line and one line per setting, indented by four blanks.

constexpr ParamEntry barrierLimits[] = {
    PARAM_LEAF("corrections", BARMAXCOR, "maximum number of centering corrections per barrier iteration"),
    PARAM_LEAF("growth", BARGROWTH, "growth limit beyond which the barrier declares the problem unbounded"),
    PARAM_LEAF("iteration", BARITLIM, "barrier iteration limit"),
    PARAM_LEAF("objrange", BAROBJRNG, "largest absolute objective value before the barrier stops"),
    kEnd};

constexpr ParamEntry barrier[] = {
    PARAM_LEAF("algorithm", BARALG, "barrier algorithm variant"),
    PARAM_LEAF("colnonzeros", BARCOLNZ, "column density above which a column counts as dense"),
    PARAM_LEAF("convergetol", BAREPCOMP, "complementarity tolerance of the barrier"),
    PARAM_LEAF("crossover", BARCROSSALG, "crossover method after the barrier"),
    PARAM_LEAF("display", BARDISPLAY, "amount of barrier log output"),
    dir("limits", barrierLimits),
    PARAM_LEAF("ordering", BARORDER, "fill-reducing ordering of the barrier factorization"),
    PARAM_LEAF("qcpconvergetol", BARQCPEPCOMP, "complementarity tolerance for quadratically constrained problems"),
    PARAM_LEAF("startalg", BARSTARTALG, "starting-point heuristic of the barrier"),
    kEnd};

constexpr ParamEntry conflict[] = {
    PARAM_LEAF("display", CONFLICTDISPLAY, "amount of conflict refiner log output"), kEnd};

constexpr ParamEntry emphasis[] = {
    PARAM_LEAF("memory", MEMORYEMPHASIS, "save memory at the cost of speed"),
    PARAM_LEAF("mip", MIPEMPHASIS,
         "what the MIP search stresses\n\n    0 = balance optimality and feasibility\n"
         "    1 = feasibility\n    2 = optimality\n    3 = moving the best bound\n    4 = hidden feasible solutions"),
    PARAM_LEAF("numerical", NUMERICALEMPHASIS, "extra care on numerically difficult problems"),
    kEnd};

constexpr ParamEntry feasopt[] = {
    PARAM_LEAF("mode", FEASOPTMODE, "what the feasibility relaxation minimizes"),
    PARAM_LEAF("tolerance", EPRELAX, "tolerance of the feasibility relaxation"),
    kEnd};

constexpr ParamEntry mipCuts[] = {
    PARAM_LEAF("cliques", CLIQUES, "clique cut generation"),
    PARAM_LEAF("covers", COVERS, "cover cut generation"),
    PARAM_LEAF("disjunctive", DISJCUTS, "disjunctive cut generation"),
    PARAM_LEAF("flowcovers", FLOWCOVERS, "flow cover cut generation"),
    PARAM_LEAF("gomory", FRACCUTS, "Gomory fractional cut generation"),
    PARAM_LEAF("gubcovers", GUBCOVERS, "generalized upper bound cover cut generation"),
    PARAM_LEAF("implied", IMPLBD, "implied bound cut generation"),
    PARAM_LEAF("mcfcut", MCFCUTS, "multi-commodity flow cut generation"),
    PARAM_LEAF("mircut", MIRCUTS, "mixed-integer rounding cut generation"),
    PARAM_LEAF("pathcut", FLOWPATHS, "flow path cut generation"),
    PARAM_LEAF("zerohalfcut", ZEROHALFCUTS, "zero-half cut generation"),
    kEnd};

constexpr ParamEntry mipLimits[] = {
    PARAM_LEAF("aggforcut", AGGCUTLIM, "constraints aggregated at most to derive one cut"),
    PARAM_LEAF("auxrootthreads", AUXROOTTHREADS, "threads for auxiliary work at the root"),
    PARAM_LEAF("cutpasses", CUTPASS, "cutting plane passes at the root"),
    PARAM_LEAF("cutsfactor", CUTSFACTOR, "growth of the row count allowed for cuts"),
    PARAM_LEAF("eachcutlimit", EACHCUTLIM, "limit on the cuts of each kind"),
    PARAM_LEAF("gomorycand", FRACCAND, "candidate rows for Gomory cuts"),
    PARAM_LEAF("gomorypass", FRACPASS, "passes of Gomory cut generation"),
    PARAM_LEAF("nodes", NODELIM, "branch-and-bound node limit"),
    PARAM_LEAF("polishtime", POLISHTIME, "seconds spent polishing the incumbent"),
    PARAM_LEAF("populate", POPULATELIM, "solutions that populate generates at most"),
    PARAM_LEAF("probetime", PROBETIME, "seconds spent probing"),
    PARAM_LEAF("repairtries", REPAIRTRIES, "attempts to repair an infeasible MIP start"),
    PARAM_LEAF("solutions", INTSOLLIM, "integer solutions found before the search stops"),
    PARAM_LEAF("strongcand", STRONGCANDLIM, "candidates examined by strong branching"),
    PARAM_LEAF("strongit", STRONGITLIM, "iterations per candidate in strong branching"),
    PARAM_LEAF("submipnodelim", SUBMIPNODELIM, "node limit of sub-MIPs solved by heuristics"),
    PARAM_LEAF("treememory", TRELIM, "megabytes the branch-and-bound tree may use"),
    kEnd};

constexpr ParamEntry mipPolishafter[] = {
    PARAM_LEAF("absmipgap", POLISHAFTEREPAGAP, "absolute gap at which polishing starts"),
    PARAM_LEAF("mipgap", POLISHAFTEREPGAP, "relative gap at which polishing starts"),
    PARAM_LEAF("nodes", POLISHAFTERNODE, "nodes after which polishing starts"),
    PARAM_LEAF("solutions", POLISHAFTERINTSOL, "integer solutions after which polishing starts"),
    PARAM_LEAF("time", POLISHAFTERTIME, "seconds after which polishing starts"),
    kEnd};

constexpr ParamEntry mipPool[] = {
    PARAM_LEAF("absgap", SOLNPOOLAGAP, "absolute objective gap of solutions kept in the pool"),
    PARAM_LEAF("capacity", SOLNPOOLCAPACITY, "solutions the pool keeps at most"),
    PARAM_LEAF("intensity", SOLNPOOLINTENSITY, "effort spent generating pool solutions"),
    PARAM_LEAF("relgap", SOLNPOOLGAP, "relative objective gap of solutions kept in the pool"),
    PARAM_LEAF("replace", SOLNPOOLREPLACE,
         "which solution a full pool gives up\n\n    0 = the oldest\n    1 = the worst objective\n"
         "    2 = the least diverse"),
    kEnd};

constexpr ParamEntry mipStrategy[] = {
    PARAM_LEAF("backtrack", BTTOL, "how readily the search backtracks"),
    PARAM_LEAF("bbinterval", BBINTERVAL, "interval at which the best-bound node is chosen"),
    PARAM_LEAF("branch", BRDIR,
         "branching direction\n\n    -1 = down branch first\n    0 = chosen automatically\n    1 = up branch first"),
    PARAM_LEAF("dive", DIVETYPE, "diving strategy"),
    PARAM_LEAF("file", NODEFILEIND, "where nodes go when the tree memory limit is reached"),
    PARAM_LEAF("fpheur", FPHEUR, "feasibility pump heuristic"),
    PARAM_LEAF("heuristicfreq", HEURFREQ, "node interval of the periodic heuristic"),
    PARAM_LEAF("kappastats", MIPKAPPASTATS, "collection of condition number statistics"),
    PARAM_LEAF("lbheur", LBHEUR, "local branching heuristic"),
    PARAM_LEAF("miqcpstrat", MIQCPSTRAT, "relaxation solved at the nodes of a MIQCP"),
    PARAM_LEAF("nodeselect", NODESEL,
         "node selection strategy\n\n    0 = depth first\n    1 = best bound\n    2 = best estimate\n"
         "    3 = alternative best estimate"),
    PARAM_LEAF("order", MIPORDIND, "use of a priority order"),
    PARAM_LEAF("presolvenode", PRESLVND, "presolve at the nodes"),
    PARAM_LEAF("probe", PROBE, "probing level"),
    PARAM_LEAF("rinsheur", RINSHEUR, "node interval of the RINS heuristic"),
    PARAM_LEAF("search", MIPSEARCH, "search strategy"),
    PARAM_LEAF("startalgorithm", STARTALG, "optimizer of the root relaxation"),
    PARAM_LEAF("subalgorithm", SUBALG, "optimizer of the node relaxations"),
    PARAM_LEAF("variableselect", VARSEL,
         "branching variable selection\n\n    -1 = minimum infeasibility\n    0 = chosen automatically\n"
         "    1 = maximum infeasibility\n    2 = pseudo costs\n    3 = strong branching\n"
         "    4 = reduced pseudo costs"),
    kEnd};

constexpr ParamEntry mipTolerances[] = {
    PARAM_LEAF("absmipgap", EPAGAP, "absolute gap between incumbent and best bound at which the search stops"),
    PARAM_LEAF("integrality", EPINT, "largest distance from an integer a value may have and count as integral"),
    PARAM_LEAF("lowercutoff", CUTLO, "lower cutoff of a maximization"),
    PARAM_LEAF("mipgap", EPGAP, "relative gap between incumbent and best bound at which the search stops"),
    PARAM_LEAF("objdifference", OBJDIF, "absolute improvement a new incumbent must bring"),
    PARAM_LEAF("relobjdifference", RELOBJDIF, "relative improvement a new incumbent must bring"),
    PARAM_LEAF("uppercutoff", CUTUP, "upper cutoff of a minimization"),
    kEnd};

constexpr ParamEntry mip[] = {
    dir("cuts", mipCuts),
    PARAM_LEAF("display", MIPDISPLAY,
         "amount of MIP node log output\n\n    0 = none\n    1 = integer solutions only\n"
         "    2 = nodes at the interval\n    3 = nodes and cuts\n    4 = also the root LP log\n"
         "    5 = also every node LP log"),
    PARAM_LEAF("interval", MIPINTERVAL, "node interval of the MIP log"),
    dir("limits", mipLimits),
    PARAM_LEAF("ordertype", MIPORDTYPE, "kind of priority order generated"),
    dir("polishafter", mipPolishafter),
    dir("pool", mipPool),
    dir("strategy", mipStrategy),
    dir("tolerances", mipTolerances),
    kEnd};

constexpr ParamEntry preprocessing[] = {
    PARAM_LEAF("aggregator", AGGIND, "aggregator passes of presolve (-1 automatic)"),
    PARAM_LEAF("boundstrength", BNDSTRENIND, "bound strengthening in presolve"),
    PARAM_LEAF("coeffreduce", COEREDIND, "coefficient reduction in presolve"),
    PARAM_LEAF("dependency", DEPIND, "search for linearly dependent rows"),
    PARAM_LEAF("dual", PREDUAL, "presolve the dual problem"),
    PARAM_LEAF("fill", AGGFILL, "fill an aggregation may create at most"),
    PARAM_LEAF("linear", PRELINEAR, "reductions restricted to linear ones"),
    PARAM_LEAF("numpass", PREPASS, "presolve passes (-1 automatic)"),
    PARAM_LEAF("presolve", PREIND, "presolve before optimizing\n\n    0 = off\n    1 = on"),
    PARAM_LEAF("qpmakepsd", QPMAKEPSDIND, "make a quadratic objective positive semidefinite"),
    PARAM_LEAF("reduce", REDUCE,
         "reductions presolve may make\n\n    0 = none\n    1 = primal only\n    2 = dual only\n    3 = primal and dual"),
    PARAM_LEAF("relax", RELAXPREIND, "presolve of the root relaxation"),
    PARAM_LEAF("repeatpresolve", REPEATPRESOLVE, "presolve again after the root cuts"),
    PARAM_LEAF("symmetry", SYMMETRY, "symmetry breaking effort"),
    kEnd};

constexpr ParamEntry read[] = {
    PARAM_LEAF("constraints", ROWREADLIM, "rows a reader expects at most"),
    PARAM_LEAF("datacheck", DATACHECK, "check the values of model data\n\n    0 = off\n    1 = on"),
    PARAM_LEAF("nonzeros", NZREADLIM, "matrix nonzeros a reader expects at most"),
    PARAM_LEAF("qpnonzeros", QPNZREADLIM, "quadratic nonzeros a reader expects at most"),
    PARAM_LEAF("scale", SCAIND,
         "scaling of the problem\n\n    -1 = none\n    0 = equilibration\n    1 = aggressive"),
    PARAM_LEAF("variables", COLREADLIM, "columns a reader expects at most"),
    kEnd};

constexpr ParamEntry sifting[] = {
    PARAM_LEAF("algorithm", SIFTALG, "optimizer of the sifting subproblems"),
    PARAM_LEAF("display", SIFTDISPLAY, "amount of sifting log output"),
    PARAM_LEAF("iterations", SIFTITLIM, "sifting iteration limit"),
    kEnd};

constexpr ParamEntry simplexLimits[] = {
    PARAM_LEAF("iterations", ITLIM, "simplex iteration limit"),
    PARAM_LEAF("lowerobj", OBJLLIM, "objective value below which a maximization stops"),
    PARAM_LEAF("perturbation", PERLIM, "degenerate iterations before the bounds are perturbed"),
    PARAM_LEAF("singularity", SINGLIM, "singular bases repaired before the simplex stops"),
    PARAM_LEAF("upperobj", OBJULIM, "objective value above which a minimization stops"),
    kEnd};

constexpr ParamEntry simplexPerturbation[] = {
    PARAM_LEAF("indicator", PERIND,
         "perturb the bounds from the start\n\n    0 = only when progress stalls\n    1 = always"),
    PARAM_LEAF("constant", EPPER, "size of the bound perturbation"),
    kEnd};

constexpr ParamEntry simplexTolerances[] = {
    PARAM_LEAF("feasibility", EPRHS, "primal feasibility tolerance"),
    PARAM_LEAF("markowitz", EPMRK, "Markowitz threshold of the LU factorization"),
    PARAM_LEAF("optimality", EPOPT, "reduced cost (dual feasibility) tolerance"),
    kEnd};

constexpr ParamEntry simplex[] = {
    PARAM_LEAF("crash", CRAIND, "crash the starting basis"),
    PARAM_LEAF("dgradient", DPRIIND,
         "dual simplex pricing\n\n    0 = chosen automatically\n    1 = standard\n    2 = steepest edge\n"
         "    3 = steepest edge in slack space\n    4 = steepest edge, unit initial norms\n    5 = devex"),
    PARAM_LEAF("display", SIMDISPLAY,
         "amount of simplex log output\n\n    0 = none\n    1 = at each refactorization\n    2 = every iteration"),
    dir("limits", simplexLimits),
    dir("perturbation", simplexPerturbation),
    PARAM_LEAF("pgradient", PPRIIND,
         "primal simplex pricing\n\n    -1 = reduced cost\n    0 = chosen automatically\n    1 = devex\n"
         "    2 = steepest edge\n    3 = steepest edge, slack initial norms\n    4 = full pricing"),
    PARAM_LEAF("pricing", PRICELIM, "size of the partial pricing candidate list (0 automatic)"),
    PARAM_LEAF("refactor", REINV, "iterations between refactorizations (0 automatic)"),
    dir("tolerances", simplexTolerances),
    kEnd};

constexpr ParamEntry tune[] = {
    PARAM_LEAF("display", TUNINGDISPLAY, "amount of tuning log output"),
    PARAM_LEAF("measure", TUNINGMEASURE, "how tuning compares settings over several problems"),
    PARAM_LEAF("repeat", TUNINGREPEAT, "runs of each problem during tuning"),
    PARAM_LEAF("timelimit", TUNINGTILIM, "seconds each tuning run may take"),
    kEnd};

constexpr ParamEntry setlist[] = {
    PARAM_LEAF("advance", ADVIND,
         "indicator for advanced starting information\n\n    0 = no advanced start\n"
         "    1 = standard advanced start\n    2 = alternate advanced start"),
    dir("barrier", barrier),
    PARAM_LEAF("clocktype", CLOCKTYPE,
         "clock used for time limits and reports\n\n    0 = chosen automatically\n    1 = CPU time\n"
         "    2 = wall-clock time"),
    dir("conflict", conflict),
    dir("emphasis", emphasis),
    dir("feasopt", feasopt),
    PARAM_LEAF("lpmethod", LPMETHOD,
         "optimizer for linear programs\n\n    0 = chosen automatically\n    1 = primal simplex\n"
         "    2 = dual simplex\n    3 = network simplex\n    4 = barrier\n    5 = sifting\n    6 = concurrent"),
    dir("mip", mip),
    PARAM_LEAF("parallel", PARALLELMODE,
         "parallel mode\n\n    -1 = opportunistic\n    0 = chosen automatically\n    1 = deterministic"),
    dir("preprocessing", preprocessing),
    PARAM_LEAF("qpmethod", QPMETHOD, "optimizer for quadratic programs"),
    dir("read", read),
    dir("sifting", sifting),
    dir("simplex", simplex),
    PARAM_LEAF("threads", THREADS, "threads the optimizers may use (0 automatic)"),
    PARAM_LEAF("timelimit", TILIM, "time limit in seconds"),
    dir("tune", tune),
    PARAM_LEAF("workdir", WORKDIR, "directory for working files"),
    PARAM_LEAF("workmem", WORKMEM, "megabytes of working memory before files are used"),
    kEnd};

#undef PARAM_LEAF

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
