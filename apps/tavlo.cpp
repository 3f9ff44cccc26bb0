// tavlo: command-line solver.  Reads a model file (any format and
// compression the library reads), solves it, streams the optimizer log and
// prints status, objective, iterations and time; optionally starts from a
// basis file and writes the solution as a plain table and the final basis.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tavlo.h"

namespace {

const char kUsage[] =
    "Usage: tavlo [options] FILE\n"
    "\n"
    "Reads FILE (MPS, LP or SAV, optionally .gz or .bz2 compressed), solves it\n"
    "and prints the solution status, objective value, iterations and time.\n"
    "\n"
    "Options:\n"
    "  --set NAME=VALUE     set a parameter by name (TVL_PARAM_EPOPT=1e-7)\n"
    "  --set NUMBER=VALUE   set a parameter by number (1062=2)\n"
    "  -p FILE              read a parameter file first\n"
    "  -B FILE              start from the basis in FILE (basis file format)\n"
    "  --time-limit SECONDS stop after this many seconds\n"
    "  -o FILE              write the solution (column values, row activities)\n"
    "  -b FILE              write the final basis\n"
    "  -q, --quiet          no optimizer log\n"
    "  -h, --help           show this text\n";

struct Options {
  std::string model;
  std::vector<std::string> sets;
  std::vector<std::string> paramfiles;
  std::string solfile, basfile, startbasis;
  double timelimit = -1.0;
  bool quiet = false;
};

// Parses the command line; returns false (after a message) on bad usage.
bool parse(int argc, char **argv, Options &opt, bool &help) {
  help = false;
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    auto value = [&](const char *what) -> const char * {
      if (k + 1 >= argc) {
        std::fprintf(stderr, "tavlo: %s needs %s\n", a.c_str(), what);
        return nullptr;
      }
      return argv[++k];
    };
    const char *v = nullptr;
    if (a == "-h" || a == "--help") {
      help = true;
      return true;
    } else if (a == "-q" || a == "--quiet") {
      opt.quiet = true;
    } else if (a == "--set") {
      if (!(v = value("NAME=VALUE"))) return false;
      opt.sets.emplace_back(v);
    } else if (a.rfind("--set=", 0) == 0) {
      opt.sets.push_back(a.substr(6));
    } else if (a == "-p") {
      if (!(v = value("a file name"))) return false;
      opt.paramfiles.emplace_back(v);
    } else if (a == "--time-limit") {
      if (!(v = value("a number of seconds"))) return false;
      char *end = nullptr;
      opt.timelimit = std::strtod(v, &end);
      if (end == v || *end || opt.timelimit < 0.0) {
        std::fprintf(stderr, "tavlo: bad time limit '%s'\n", v);
        return false;
      }
    } else if (a == "-o") {
      if (!(v = value("a file name"))) return false;
      opt.solfile = v;
    } else if (a == "-B") {
      if (!(v = value("a file name"))) return false;
      opt.startbasis = v;
    } else if (a == "-b") {
      if (!(v = value("a file name"))) return false;
      opt.basfile = v;
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "tavlo: unknown option '%s' (see --help)\n", a.c_str());
      return false;
    } else if (opt.model.empty()) {
      opt.model = a;
    } else {
      std::fprintf(stderr, "tavlo: more than one model file given\n");
      return false;
    }
  }
  if (opt.model.empty()) {
    std::fprintf(stderr, "%s", kUsage);
    return false;
  }
  return true;
}

// Applies "NAME=VALUE" or "NUMBER=VALUE"; returns a library status, or -1
// after printing a usage message.
int set_param(TVLENVptr env, const std::string &setting) {
  const size_t eq = setting.find('=');
  if (eq == std::string::npos || eq == 0) {
    std::fprintf(stderr, "tavlo: --set expects NAME=VALUE, got '%s'\n", setting.c_str());
    return -1;
  }
  const std::string key = setting.substr(0, eq), val = setting.substr(eq + 1);
  int num = 0;
  char *end = nullptr;
  long asnum = std::strtol(key.c_str(), &end, 10);
  if (*end == '\0') {
    num = static_cast<int>(asnum);
  } else if (int st = TVLgetparamnum(env, key.c_str(), &num)) {
    return st;
  }
  int type = 0;
  if (int st = TVLgetparamtype(env, num, &type)) return st;
  errno = 0;
  switch (type) {
    case TVL_PARAMTYPE_INT: {
      long iv = std::strtol(val.c_str(), &end, 10);
      if (end == val.c_str() || *end) break;
      return TVLsetintparam(env, num, static_cast<int>(iv));
    }
    case TVL_PARAMTYPE_DOUBLE: {
      double dv = std::strtod(val.c_str(), &end);
      if (end == val.c_str() || *end) break;
      return TVLsetdblparam(env, num, dv);
    }
    case TVL_PARAMTYPE_STRING:
      return TVLsetstrparam(env, num, val.c_str());
    default:
      return TVLERR_BAD_PARAMETER_NUMBER_TO_TAVLO_PARAMETER;
  }
  std::fprintf(stderr, "tavlo: bad value '%s' for parameter %s\n", val.c_str(), key.c_str());
  return -1;
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

// Writes the column values and row activities as a plain table.
int write_solution(TVLENVptr env, TVLLPptr lp, const std::string &path) {
  const int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
  std::vector<double> x(static_cast<size_t>(n)), dj(static_cast<size_t>(n));
  std::vector<double> ax(static_cast<size_t>(m)), slack(static_cast<size_t>(m)),
      pi(static_cast<size_t>(m));
  int st = 0;
  double obj = 0.0;
  if (n > 0) st = TVLgetx(env, lp, x.data(), 0, n - 1);
  if (!st) st = TVLgetobjval(env, lp, &obj);
  if (!st && m > 0) st = TVLgetax(env, lp, ax.data(), 0, m - 1);
  if (!st && m > 0) st = TVLgetslack(env, lp, slack.data(), 0, m - 1);
  if (st) return st;
  // Duals are optional (not every outcome has them); the columns then show "-".
  const bool duals = (n == 0 || TVLgetdj(env, lp, dj.data(), 0, n - 1) == 0) &&
                     (m == 0 || TVLgetpi(env, lp, pi.data(), 0, m - 1) == 0);
  FILE *f = std::fopen(path.c_str(), "w");
  if (!f) {
    std::fprintf(stderr, "tavlo: cannot open '%s' for writing\n", path.c_str());
    return -1;
  }
  char text[64];
  const int stat = TVLgetstat(env, lp);
  std::fprintf(f, "Status     %d %s\n", stat,
               TVLgetstatstring(env, stat, text) ? text : "unknown");
  std::fprintf(f, "Objective  %.15g\n\n", obj);
  std::fprintf(f, "%-8s %-24s %24s %24s\n", "Column", "Name", "Value", "Reduced cost");
  for (int j = 0; j < n; ++j) {
    std::fprintf(f, "%-8d %-24s %24.15g ", j, item_name(env, lp, false, j).c_str(),
                 x[static_cast<size_t>(j)]);
    if (duals) std::fprintf(f, "%24.15g\n", dj[static_cast<size_t>(j)]);
    else std::fprintf(f, "%24s\n", "-");
  }
  std::fprintf(f, "\n%-8s %-24s %24s %24s %24s\n", "Row", "Name", "Activity", "Slack", "Dual");
  for (int i = 0; i < m; ++i) {
    const size_t k = static_cast<size_t>(i);
    std::fprintf(f, "%-8d %-24s %24.15g %24.15g ", i, item_name(env, lp, true, i).c_str(), ax[k],
                 slack[k]);
    if (duals) std::fprintf(f, "%24.15g\n", pi[k]);
    else std::fprintf(f, "%24s\n", "-");
  }
  std::fclose(f);
  return 0;
}

// Connects the library's channels to the terminal: results, warnings and
// the optimizer log to standard output, errors to standard error.
int connect_output(TVLENVptr env, bool quiet) {
  TVLCHANNELptr results, warning, error, log;
  int st = TVLgetchannels(env, &results, &warning, &error, &log);
  if (!st) st = TVLaddfpdest(env, error, stderr);
  if (!st) st = TVLaddfpdest(env, warning, stdout);
  if (!st && !quiet) st = TVLaddfpdest(env, results, stdout);
  if (!st && !quiet) st = TVLaddfpdest(env, log, stdout);
  return st;
}

int run(const Options &opt) {
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) {
    char buf[TVL_MSGBUFSIZE];
    std::fprintf(stderr, "%s", TVLgeterrorstring(nullptr, st, buf) ? buf : "tavlo: no environment\n");
    return 1;
  }
  st = connect_output(env, opt.quiet);
  for (const std::string &file : opt.paramfiles) {
    if (!st) st = TVLreadcopyparam(env, file.c_str());
  }
  for (const std::string &setting : opt.sets) {
    if (!st) st = set_param(env, setting);
  }
  if (!st && opt.timelimit >= 0.0) st = TVLsetdblparam(env, TVL_PARAM_TILIM, opt.timelimit);
  TVLLPptr lp = st ? nullptr : TVLcreateprob(env, &st, opt.model.c_str());
  if (!st) st = TVLreadcopyprob(env, lp, opt.model.c_str(), nullptr);
  if (!st && !opt.startbasis.empty()) st = TVLreadcopybase(env, lp, opt.startbasis.c_str());
  double t0 = 0.0, t1 = 0.0;
  if (!st) st = TVLgettime(env, &t0);
  if (!st) st = TVLlpopt(env, lp);
  // A presolve verdict (infeasible, unbounded, or one of the two) is an
  // answer, not a failure: its status is reported like any other.
  const bool verdict = st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR ||
                       st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE ||
                       st == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED;
  if (verdict) st = 0;
  if (!st) st = TVLgettime(env, &t1);
  if (!st) {
    char text[64];
    const int stat = TVLgetstat(env, lp);
    double obj = 0.0;
    const bool has_obj = TVLgetobjval(env, lp, &obj) == 0;
    std::printf("\nSolution status: %d (%s)\n", stat,
                TVLgetstatstring(env, stat, text) ? text : "unknown");
    if (has_obj) std::printf("Objective value: %.10e\n", obj);
    std::printf("Iterations:      %d\n", TVLgetitcnt(env, lp));
    std::printf("Solve time:      %.3f sec.\n", t1 - t0);
    if (stat == TVL_STAT_INForUNBD) {
      std::printf("Solve again with --set TVL_PARAM_PREIND=0 to tell which of the two holds.\n");
    }
    if (!opt.solfile.empty() && has_obj) st = write_solution(env, lp, opt.solfile);
    if (!st && !opt.basfile.empty()) st = TVLmbasewrite(env, lp, opt.basfile.c_str());
  }
  if (lp) TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return st == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  Options opt;
  bool help = false;
  if (!parse(argc, argv, opt, help)) return 2;
  if (help) {
    std::printf("%s", kUsage);
    return 0;
  }
  return run(opt);
}
