// tavlo: what the user sees of a run: the terminal channels, the verdict of
// an optimizer call, the summary lines and the solution and basis files.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tavlo_cli.h"

namespace tavlo_cli {

namespace {

// Statuses with which presolve ends a call that still has an answer: a
// verdict about the model or a stop at a limit or on request.
struct PresolveEnd {
  int code;
  int stat;
  const char *note;
};
const PresolveEnd kPresolveEnds[] = {
    {1101, TVL_STAT_INForUNBD, "proved by presolve"},
    {1117, TVL_STAT_INFEASIBLE, "proved by presolve"},
    {1118, TVL_STAT_UNBOUNDED, "proved by presolve"},
    {1106, TVL_STAT_ABORT_USER, "during presolve"},
    {1123, TVL_STAT_ABORT_TIME_LIM, "during presolve"},
    {9025, TVL_STAT_ABORT_DETTIME_LIM, "during presolve"},
};

const PresolveEnd *presolve_end(int code) {
  for (const PresolveEnd &p : kPresolveEnds)
    if (p.code == code) return &p;
  return nullptr;
}

// The error channel without the lines of presolve's verdicts and limits:
// the summary states them as the solution status.
void print_error(void *, const char *msg) {
  static const char kHead[] = "TAVLO Error ";
  if (std::strncmp(msg, kHead, sizeof kHead - 1) == 0 && presolve_end(std::atoi(msg + sizeof kHead - 1))) return;
  std::fputs(msg, stderr);
}


// Name of row or column k, or the default name (c1.., x1..) when the
// problem has none.
std::string item_name(TVLENVptr env, TVLLPptr lp, bool row, int k) {
  char *name = nullptr;
  char store[512];
  int surplus = 0;
  int st = row ? TVLgetrowname(env, lp, &name, store, sizeof store, &surplus, k, k)
               : TVLgetcolname(env, lp, &name, store, sizeof store, &surplus, k, k);
  if (st == 0 && name) return name;
  return (row ? "c" : "x") + std::to_string(k + 1);
}

int solution_type(TVLENVptr env, TVLLPptr lp) {
  int method = 0, type = TVL_NO_SOLN, pfeas = 0, dfeas = 0;
  if (TVLsolninfo(env, lp, &method, &type, &pfeas, &dfeas)) return TVL_NO_SOLN;
  return type;
}

// The value tables of the solution file; duals only when the run has them.
int write_values(TVLENVptr env, TVLLPptr lp, FILE *f) {
  const int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
  const size_t nn = static_cast<size_t>(n), mm = static_cast<size_t>(m);
  std::vector<double> x(nn), dj(nn), ax(mm), slack(mm), pi(mm);
  const int type = solution_type(env, lp);
  const bool duals = type == TVL_BASIC_SOLN || type == TVL_NONBASIC_SOLN;
  int st = n > 0 ? TVLgetx(env, lp, x.data(), 0, n - 1) : 0;
  if (!st && m > 0) st = TVLgetax(env, lp, ax.data(), 0, m - 1);
  if (!st && m > 0) st = TVLgetslack(env, lp, slack.data(), 0, m - 1);
  if (!st && duals && n > 0) st = TVLgetdj(env, lp, dj.data(), 0, n - 1);
  if (!st && duals && m > 0) st = TVLgetpi(env, lp, pi.data(), 0, m - 1);
  if (st) return st;
  std::fprintf(f, "\n%-8s %-24s %24s %24s\n", "Column", "Name", "Value", "Reduced cost");
  for (int j = 0; j < n; ++j) {
    const size_t k = static_cast<size_t>(j);
    std::fprintf(f, "%-8d %-24s %24.15g ", j, item_name(env, lp, false, j).c_str(), x[k]);
    if (duals) std::fprintf(f, "%24.15g\n", dj[k]);
    else std::fprintf(f, "%24s\n", "-");
  }
  std::fprintf(f, "\n%-8s %-24s %24s %24s %24s\n", "Row", "Name", "Activity", "Slack", "Dual");
  for (int i = 0; i < m; ++i) {
    const size_t k = static_cast<size_t>(i);
    std::fprintf(f, "%-8d %-24s %24.15g %24.15g ", i, item_name(env, lp, true, i).c_str(), ax[k], slack[k]);
    if (duals) std::fprintf(f, "%24.15g\n", pi[k]);
    else std::fprintf(f, "%24s\n", "-");
  }
  return 0;
}

}  // namespace

int connect_output(TVLENVptr env, bool quiet) {
  TVLCHANNELptr results, warning, error, log;
  int st = TVLgetchannels(env, &results, &warning, &error, &log);
  if (!st) st = TVLaddfuncdest(env, error, nullptr, print_error);
  if (!st) st = TVLaddfpdest(env, warning, stdout);
  if (!st && !quiet) st = TVLaddfpdest(env, results, stdout);
  if (!st && !quiet) st = TVLaddfpdest(env, log, stdout);
  return st;
}

void explain_filetype_error(const std::string &file) {
  std::fprintf(stderr,
               "tavlo: '%s': the file type comes from the name, which must end in .mps, .fmps,\n"
               "       .lp or .sav, optionally followed by .gz, .bz2 or .Z\n",
               file.c_str());
}

std::string status_text(int stat) {
  char text[TVL_MSGBUFSIZE];
  return TVLgetstatstring(nullptr, stat, text) ? text : "unknown status";
}

Outcome classify(TVLENVptr env, TVLLPptr lp, int status) {
  Outcome out;
  if (status == 0) {
    out.stat = TVLgetstat(env, lp);
  } else if (const PresolveEnd *p = presolve_end(status)) {
    out.stat = p->stat;
    out.note = p->note;
  } else {
    out.error = true;
  }
  return out;
}

// Optimal outcomes, and the relaxed solutions of the feasibility relaxation.
bool reports_objective(int stat) {
  return stat == TVL_STAT_OPTIMAL || stat == TVL_STAT_OPTIMAL_INFEAS ||
         (stat >= TVL_STAT_FEASIBLE_RELAXED_SUM && stat <= TVL_STAT_OPTIMAL_RELAXED_QUAD);
}

void print_summary(TVLENVptr env, TVLLPptr lp, const Outcome &out, double seconds) {
  std::printf("\nSolution status: %d (%s)%s%s\n", out.stat, status_text(out.stat).c_str(), *out.note ? ", " : "",
              out.note);
  double obj = 0.0;
  if (reports_objective(out.stat) && TVLgetobjval(env, lp, &obj) == 0) std::printf("Objective value: %.10e\n", obj);
  // Iteration counts exist once a simplex has run; a call that presolve
  // ended has none.
  std::printf("Iterations:      %d\n", solution_type(env, lp) == TVL_NO_SOLN ? 0 : TVLgetitcnt(env, lp));
  std::printf("Solve time:      %.3f sec.\n", seconds);
  if (out.stat == TVL_STAT_INForUNBD)
    std::printf("Solve again with --set preind=0 to tell which of the two holds.\n");
}

bool is_mip(TVLENVptr env, TVLLPptr lp) {
  const int type = TVLgetprobtype(env, lp);
  return type == TVLPROB_MILP || type == TVLPROB_MIQP || type == TVLPROB_MIQCP;
}

void print_mip_summary(TVLENVptr env, TVLLPptr lp, const Outcome &out, double seconds) {
  std::printf("\nSolution status: %d (%s)\n", out.stat, status_text(out.stat).c_str());
  double obj = 0.0, bound = 0.0, gap = 0.0;
  // Without an incumbent the queries would only print error 1217.
  const bool incumbent = solution_type(env, lp) != TVL_NO_SOLN && TVLgetobjval(env, lp, &obj) == 0;
  if (incumbent) std::printf("Objective value: %.10e\n", obj);
  else std::printf("Objective value: none (no integer solution)\n");
  if (TVLgetbestobjval(env, lp, &bound) == 0 && std::fabs(bound) < 1e74) std::printf("Best bound:      %.10e\n", bound);
  if (incumbent && TVLgetmiprelgap(env, lp, &gap) == 0) std::printf("Relative gap:    %.6g%%\n", 100.0 * gap);
  std::printf("Nodes:           %d (%d left)\n", TVLgetnodecnt(env, lp), TVLgetnodeleftcnt(env, lp));
  std::printf("Iterations:      %d\n", TVLgetmipitcnt(env, lp));
  int capacity = 0;
  TVLgetintparam(env, TVL_PARAM_SOLNPOOLCAPACITY, &capacity);
  if (capacity > 0 && out.stat != 0) std::printf("Solution pool:   %d solutions\n", TVLgetsolnpoolnumsolns(env, lp));
  std::printf("Solve time:      %.3f sec.\n", seconds);
}

// True for a name ending in .sol, also before a compression suffix.
bool is_solution_document(const std::string &path) {
  for (const char *suffix : {".sol", ".sol.gz", ".sol.bz2", ".sol.Z"}) {
    size_t n = std::strlen(suffix);
    if (path.size() > n && path.compare(path.size() - n, n, suffix) == 0) return true;
  }
  return false;
}

int write_solution(TVLENVptr env, TVLLPptr lp, const Outcome &out, const std::string &path) {
  if (is_solution_document(path)) {
    if (solution_type(env, lp) == TVL_NO_SOLN) {
      std::fprintf(stderr, "tavlo: the run produced no solution; '%s' is not written\n", path.c_str());
      return 0;
    }
    return TVLsolwrite(env, lp, path.c_str());
  }
  FILE *f = std::fopen(path.c_str(), "w");
  if (!f) {
    std::fprintf(stderr, "tavlo: cannot open '%s' for writing\n", path.c_str());
    return -1;
  }
  std::fprintf(f, "Status     %d %s%s%s\n", out.stat, status_text(out.stat).c_str(), *out.note ? ", " : "", out.note);
  double obj = 0.0;
  if ((reports_objective(out.stat) || is_mip(env, lp)) && TVLgetobjval(env, lp, &obj) == 0) std::fprintf(f, "Objective  %.15g\n", obj);
  int st = 0;
  if (solution_type(env, lp) == TVL_NO_SOLN) std::fprintf(f, "\nNo values: the run produced no solution.\n");
  else st = write_values(env, lp, f);
  if (std::fclose(f) != 0 && !st) {
    std::fprintf(stderr, "tavlo: cannot write '%s'\n", path.c_str());
    return -1;
  }
  return st;
}

int write_basis(TVLENVptr env, TVLLPptr lp, const std::string &path) {
  if (solution_type(env, lp) != TVL_BASIC_SOLN) {
    std::fprintf(stderr, "tavlo: the run ended without a basis; '%s' is not written\n", path.c_str());
    return 0;
  }
  return TVLmbasewrite(env, lp, path.c_str());
}

}  // namespace tavlo_cli
