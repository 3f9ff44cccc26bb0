// tavlo: the command line and its help text.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "tavlo_cli.h"

namespace tavlo_cli {

namespace {

const char kUsage[] =
    "Usage: tavlo [options] FILE\n"
    "\n"
    "Reads FILE (.mps, .fmps, .lp or .sav, each optionally followed by .gz, .bz2\n"
    "or .Z), solves it and prints the solution status, objective value,\n"
    "iterations and time.\n"
    "\n"
    "Options:\n"
    "  --set NAME=VALUE     set a parameter by name, in any letter case and with\n"
    "                       or without the TVL_PARAM_ prefix (epopt=1e-7)\n"
    "  --set NUMBER=VALUE   set a parameter by number (1062=2)\n"
    "  -p FILE              read a parameter file first\n"
    "  --method NAME        auto, primal, dual or concurrent\n"
    "  --threads N          threads the optimizer may use (0: automatic)\n"
    "  --time-limit SECONDS stop after this many seconds\n"
    "  -B FILE              start from the basis in FILE (basis file format)\n"
    "  -m FILE              read MIP starts from FILE (.mst) before solving\n"
    "  --populate           for a MIP: fill the solution pool with several\n"
    "                       solutions (at most populatelim, within the pool\n"
    "                       gaps solnpoolgap/solnpoolagap) instead of one\n"
    "  --feasopt            instead of solving, find the smallest relaxation of\n"
    "                       the right-hand sides, ranges and bounds (each unit\n"
    "                       of violation counts 1; feasoptmode chooses the\n"
    "                       measure) and report its solution as a solve would\n"
    "  --conflict FILE      instead of solving, refine a conflict of an\n"
    "                       infeasible model: print its status and size and\n"
    "                       write its rows and bounds to FILE (LP format)\n"
    "  --tune FILE          instead of solving, tune the parameters that the\n"
    "                       command line does not set (those it sets stay\n"
    "                       fixed) and write the parameters left to FILE,\n"
    "                       a parameter file for -p; tuningtilim limits it\n"
    "  -o FILE              write the solution: FILE.sol (also .sol.gz, .sol.bz2)\n"
    "                       as an XML solution document, other names as text\n"
    "                       with status, column values and row activities\n"
    "  -b FILE              write the final basis\n"
    "  --write FILE         write the model as read, in the format of FILE's\n"
    "                       extension (as above, compressed by .gz, .bz2, .Z)\n"
    "  --no-solve           stop after reading (and --write): file conversion\n"
    "  -q, --quiet          no optimizer log\n"
    "  --version            print the version\n"
    "  -h, --help           show this text\n"
    "\n"
    "Exit status: 0 when the run completes, whatever its verdict (optimal,\n"
    "infeasible, unbounded, a limit reached); 1 when the library or a file\n"
    "fails; 2 for a malformed command line; 130 when stopped by Ctrl-C (the\n"
    "summary and the -o/-b files are still written; a second Ctrl-C quits at\n"
    "once).\n";

struct MethodName {
  const char *name;
  int value;
};
const MethodName kMethods[] = {{"auto", 0}, {"primal", 1}, {"dual", 2}, {"concurrent", 6}};

bool parse_method(const char *text, int *value) {
  for (const MethodName &m : kMethods)
    if (strcasecmp(text, m.name) == 0) return *value = m.value, true;
  return false;
}

bool parse_count(const char *text, int *value) {
  char *end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end || v < 0 || v > 1000000) return false;
  *value = static_cast<int>(v);
  return true;
}

bool parse_seconds(const char *text, double *value) {
  char *end = nullptr;
  *value = std::strtod(text, &end);
  return end != text && !*end && *value >= 0.0;
}

// Walks argv; each option that takes a value reads the next argument.
class ArgWalker {
 public:
  ArgWalker(int argc, char **argv) : argc_(argc), argv_(argv) {}
  bool more() const { return k_ + 1 < argc_; }
  const char *next() { return argv_[++k_]; }
  // The value of the current option, or none after a message.
  const char *value(const char *what) {
    if (k_ + 1 >= argc_) {
      std::fprintf(stderr, "tavlo: %s needs %s\n", argv_[k_], what);
      return nullptr;
    }
    return argv_[++k_];
  }

 private:
  int argc_;
  char **argv_;
  int k_ = 0;
};

bool bad(const char *fmt, const char *what) {
  std::fprintf(stderr, fmt, what);
  return false;
}

// One option (with its value); false after a message when malformed.
bool take_option(const std::string &a, ArgWalker &args, Options &opt) {
  const char *v = nullptr;
  auto file = [&](std::string &into) {
    if (!(v = args.value("a file name"))) return false;
    into = v;
    return true;
  };
  if (a == "-q" || a == "--quiet") {
    opt.quiet = true;
  } else if (a == "--no-solve") {
    opt.solve = false;
  } else if (a == "--populate") {
    opt.populate = true;
  } else if (a == "--feasopt") {
    opt.feasopt = true;
  } else if (a == "--conflict") {
    return file(opt.conflictfile);
  } else if (a == "--tune") {
    return file(opt.tunefile);
  } else if (a == "--set") {
    if (!(v = args.value("NAME=VALUE"))) return false;
    opt.sets.emplace_back(v);
  } else if (a.rfind("--set=", 0) == 0) {
    opt.sets.push_back(a.substr(6));
  } else if (a == "-p") {
    opt.paramfiles.emplace_back();
    return file(opt.paramfiles.back());
  } else if (a == "--time-limit") {
    if (!(v = args.value("a number of seconds"))) return false;
    if (!parse_seconds(v, &opt.timelimit)) return bad("tavlo: bad time limit '%s'\n", v);
  } else if (a == "--threads") {
    if (!(v = args.value("a number of threads"))) return false;
    if (!parse_count(v, &opt.threads)) return bad("tavlo: bad number of threads '%s'\n", v);
  } else if (a == "--method") {
    if (!(v = args.value("a method name"))) return false;
    if (!parse_method(v, &opt.method))
      return bad("tavlo: unknown method '%s' (auto, primal, dual or concurrent)\n", v);
  } else if (a == "-o") {
    return file(opt.solfile);
  } else if (a == "-m") {
    return file(opt.mipstart);
  } else if (a == "-B") {
    return file(opt.startbasis);
  } else if (a == "-b") {
    return file(opt.basfile);
  } else if (a == "--write") {
    return file(opt.writefile);
  } else {
    return bad("tavlo: unknown option '%s' (see --help)\n", a.c_str());
  }
  return true;
}

}  // namespace

const char *usage_text() { return kUsage; }

bool parse_args(int argc, char **argv, Options &opt, Request &req) {
  req = Request::Run;
  ArgWalker args(argc, argv);
  while (args.more()) {
    const std::string a = args.next();
    if (a == "-h" || a == "--help") {
      req = Request::Help;
      return true;
    }
    if (a == "--version") {
      req = Request::Version;
      return true;
    }
    if (a.size() > 1 && a[0] == '-') {
      if (!take_option(a, args, opt)) return false;
    } else if (opt.model.empty()) {
      opt.model = a;
    } else {
      return bad("tavlo: more than one model file given ('%s')\n", a.c_str());
    }
  }
  if (opt.model.empty()) return bad("%s", kUsage);
  if (!opt.solve && (!opt.solfile.empty() || !opt.basfile.empty()))
    return bad("%s", "tavlo: -o and -b need a solve; they cannot go with --no-solve\n");
  const int modes = !opt.solve + opt.populate + opt.feasopt + !opt.conflictfile.empty() + !opt.tunefile.empty();
  if (modes > 1)
    return bad("%s", "tavlo: choose one of --no-solve, --populate, --feasopt, --conflict and --tune\n");
  if ((!opt.conflictfile.empty() || !opt.tunefile.empty()) && (!opt.solfile.empty() || !opt.basfile.empty()))
    return bad("%s", "tavlo: -o and -b need a solve; they cannot go with --conflict or --tune\n");
  return true;
}

}  // namespace tavlo_cli
