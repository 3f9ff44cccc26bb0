// solvecheck: solves every LP instance of a manifest and checks the
// outcome independently of the library's own quality measures.
//
//   solvecheck [--set NAME=VALUE]... [--only NAME]... [--tol 1e-6]
//              [--repeat] [--cut] [--flip] MANIFEST.csv
//
// The manifest has the columns name,rows,cols,nonzeros,integers,binaries,
// optimal_objective,class; each "lp" instance is read from NAME.mps.gz
// beside it.  Per instance the harness checks the status (optimal), the
// objective against the manifest (relative 1e-6), and from the problem
// data it reads back: the primal infeasibility of x (bounds and rows), the
// dual infeasibility of pi and dj (sign conditions against the activity of
// each column and row) and the dual residual |c - A'pi - dj|.  --repeat
// solves each instance twice and requires identical iterations and
// objective.  --cut then adds the row c'x <= c'x* - 1e-3 max(1, |z*|) to
// each solved instance, which makes it infeasible, and requires status
// infeasible, with a dual ray that proves it (TVLdualfarkas, proof > 0) when
// the dual simplex ended the re-solve.  --flip solves a copy of each solved
// instance with the opposite objective sense: it must end optimal (with
// the same x/pi/dj checks) or unbounded, and the result column shows which
// (with the objective; presolve may end the solve with its "infeasible or
// unbounded" or "unbounded" status), so that runs under different settings can be
// compared line by line.
//
// --random N solves N random LPs (tests/support/random_lp.h; --seed S,
// --size ROWSxCOLS, --wide for some badly scaled ones) under the five
// configurations of --relax: they must agree on the outcome and the
// optimal objective, and optimal solutions must pass the checks; only
// the failing instances are printed, with their seeds.
//
// --relax turns every instance of the manifest (any class, e.g. the MIP
// instances) into its LP relaxation and solves it under five configurations:
// defaults, TVL_PARAM_PREIND=0 and TVL_PARAM_LPMETHOD=1, 2 and 6 (--set
// applies to all of them, e.g. --set TVL_PARAM_TILIM=60).  These are LPs the
// optimizers were not tuned on, with no optimum in the manifest: each
// configuration gets the same status and x/pi/dj checks, and the objectives
// are compared with a reference, the value for the instance in --ref FILE
// (lines name,objective, e.g. from an independent solver) or otherwise the
// objective of the first configuration that passed its checks.  One line per
// instance and configuration, then a summary per configuration.
// Exit status 1 when any instance fails.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "../tests/support/random_lp.h"
#include "../tests/support/solution_check.h"
#include "tavlo.h"

namespace {

struct Instance {
  std::string name;
  double objective = 0.0;
};

struct Settings {
  std::vector<std::string> sets, only;
  std::string manifest, ref;
  double tol = 1e-6;
  bool repeat = false;
  bool cut = false;
  bool flip = false;
  bool relax = false;
  int random = 0;         // number of random instances (--random N)
  int random_rows = 40;   // their size (--size ROWSxCOLS)
  int random_cols = 60;
  uint64_t seed = 1;
  bool wide = false;      // --wide: some random instances badly scaled
};

// A named set of parameter settings the relaxations are solved under.
struct Config {
  const char *label;
  std::vector<std::string> sets;
};

const std::vector<Config> &relax_configs() {
  static const std::vector<Config> configs = {
      {"default", {}},
      {"preind0", {"TVL_PARAM_PREIND=0"}},
      {"primal", {"TVL_PARAM_LPMETHOD=1"}},
      {"dual", {"TVL_PARAM_LPMETHOD=2"}},
      {"concurrent", {"TVL_PARAM_LPMETHOD=6"}},
  };
  return configs;
}

struct Outcome {
  int status = 0, iterations = 0;
  int code = 0;  // what the optimization call returned
  double objective = 0.0, seconds = 0.0;
  double pinf = 0.0, dinf = 0.0, dres = 0.0;
  std::string error;
  std::string cut;  // outcome of the infeasible variant ("" when not run)
  std::string flip, flip_note;  // failure and outcome of the flipped objective
};

// The instances of the manifest: those of class "lp", or all of them when
// their relaxations are solved.
std::vector<Instance> read_manifest(const std::string &path, bool all) {
  std::vector<Instance> out;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) f.push_back(cell);
    if (f.size() < 8 || (!all && f[7] != "lp")) continue;
    out.push_back({f[0], std::strtod(f[6].c_str(), nullptr)});
  }
  return out;
}

int apply_set(TVLENVptr env, const std::string &setting) {
  const size_t eq = setting.find('=');
  if (eq == std::string::npos) return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  const std::string key = setting.substr(0, eq), val = setting.substr(eq + 1);
  int num = std::atoi(key.c_str());
  if (num == 0) {
    if (int st = TVLgetparamnum(env, key.c_str(), &num)) return st;
  }
  int type = 0;
  if (int st = TVLgetparamtype(env, num, &type)) return st;
  if (type == TVL_PARAMTYPE_INT) return TVLsetintparam(env, num, std::atoi(val.c_str()));
  if (type == TVL_PARAMTYPE_DOUBLE) return TVLsetdblparam(env, num, std::atof(val.c_str()));
  return TVLsetstrparam(env, num, val.c_str());
}


void check_solution(TVLENVptr env, TVLLPptr lp, Outcome &out) {
  const tvltest::Violations v = tvltest::check_solution(env, lp);
  out.pinf = v.pinf;
  out.dinf = v.dinf;
  out.dres = v.dres;
  if (!v.error.empty()) out.error = v.error;
}

// Makes the solved instance infeasible with an objective cut and checks
// that the re-solve proves it; returns "" or the reason of the failure.
std::string check_cut(TVLENVptr env, TVLLPptr lp, double objective) {
  const int n = TVLgetnumcols(env, lp);
  std::vector<double> obj(static_cast<size_t>(n)), x(static_cast<size_t>(n));
  if (TVLgetobj(env, lp, obj.data(), 0, n - 1) || TVLgetx(env, lp, x.data(), 0, n - 1)) {
    return "cut: no values";
  }
  std::vector<int> ind;
  std::vector<double> val;
  double bound = -1e-3 * std::max(1.0, std::fabs(objective));
  for (int j = 0; j < n; ++j) {
    bound += obj[static_cast<size_t>(j)] * x[static_cast<size_t>(j)];
    if (obj[static_cast<size_t>(j)] != 0.0) {
      ind.push_back(j);
      val.push_back(obj[static_cast<size_t>(j)]);
    }
  }
  const int beg = 0;
  const char sense = TVLgetobjsen(env, lp) == TVL_MIN ? 'L' : 'G';
  if (TVLgetobjsen(env, lp) != TVL_MIN) bound += 2e-3 * std::max(1.0, std::fabs(objective));
  if (TVLaddrows(env, lp, 0, 1, static_cast<int>(ind.size()), &bound, &sense, &beg, ind.data(),
                 val.data(), nullptr, nullptr) ||
      TVLlpopt(env, lp)) {
    return "cut: solve failed";
  }
  if (TVLgetstat(env, lp) != TVL_STAT_INFEASIBLE) {
    return "cut: status " + std::to_string(TVLgetstat(env, lp));
  }
  // Only the dual simplex leaves a ray; a re-solve won by the primal
  // simplex (method 1, or the automatic and concurrent race) ends at the
  // status alone.
  if (TVLgetmethod(env, lp) != TVL_ALG_DUAL) return "";
  double proof = 0.0;
  if (TVLdualfarkas(env, lp, nullptr, &proof) || !(proof > 0.0)) return "cut: no proof";
  return "";
}

// Solves a copy of the solved instance with the opposite objective sense;
// a bounded feasible LP flipped is either optimal or unbounded.
void check_flip(TVLENVptr env, TVLLPptr lp, Outcome &out) {
  int st = 0;
  TVLLPptr flipped = TVLcloneprob(env, lp, &st);
  const int code = !flipped || TVLchgobjsen(env, flipped, -TVLgetobjsen(env, lp)) ? -1 : TVLlpopt(env, flipped);
  if (code == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED || code == TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED) {
    out.flip_note = "flip=presolve " + std::to_string(code);
  } else if (code) {
    out.flip = "flip: solve failed";
  } else if (TVLgetstat(env, flipped) == TVL_STAT_UNBOUNDED) {
    out.flip_note = "flip=unbounded";
  } else if (TVLgetstat(env, flipped) != TVL_STAT_OPTIMAL) {
    out.flip = "flip: status " + std::to_string(TVLgetstat(env, flipped));
  } else {
    Outcome f;
    TVLgetobjval(env, flipped, &f.objective);
    check_solution(env, flipped, f);
    char note[64];
    std::snprintf(note, sizeof note, "flip=optimal %.9e", f.objective);
    out.flip_note = note;
    if (!f.error.empty() || f.pinf > 1e-6 || f.dinf > 1e-6 || f.dres > 1e-6) out.flip = "flip: checks";
  }
  if (flipped) TVLfreeprob(env, &flipped);
}

// Reference objectives from lines name,objective; unparsable values skipped.
std::vector<Instance> read_reference(const std::string &path) {
  std::vector<Instance> out;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    char *end = nullptr;
    const double v = std::strtod(line.c_str() + comma + 1, &end);
    if (end != line.c_str() + comma + 1 && std::isfinite(v)) out.push_back({line.substr(0, comma), v});
  }
  return out;
}

Outcome solve_one(const Settings &cfg, const std::string &path,
                  const std::vector<std::string> &extra) {
  Outcome out;
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) {
    out.error = "no environment";
    return out;
  }
  TVLCHANNELptr error = nullptr;
  TVLgetchannels(env, nullptr, nullptr, &error, nullptr);
  TVLaddfpdest(env, error, stderr);
  for (const std::string &s : cfg.sets) {
    if (!st) st = apply_set(env, s);
  }
  for (const std::string &s : extra) {
    if (!st) st = apply_set(env, s);
  }
  TVLLPptr lp = st ? nullptr : TVLcreateprob(env, &st, "solvecheck");
  if (!st) st = TVLreadcopyprob(env, lp, path.c_str(), nullptr);
  if (!st && cfg.relax && TVLgetprobtype(env, lp) != TVLPROB_LP) {
    st = TVLchgprobtype(env, lp, TVLPROB_LP);
  }
  const auto t0 = std::chrono::steady_clock::now();
  if (!st) st = TVLlpopt(env, lp);
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  out.code = st;
  if (st) {
    char buf[TVL_MSGBUFSIZE];
    out.error = TVLgeterrorstring(env, st, buf) ? buf : "library error";
    while (!out.error.empty() && out.error.back() == '\n') out.error.pop_back();
  } else {
    out.status = TVLgetstat(env, lp);
    out.iterations = TVLgetitcnt(env, lp);
    if (TVLgetobjval(env, lp, &out.objective) == 0 && out.status == TVL_STAT_OPTIMAL) {
      check_solution(env, lp, out);
      if (cfg.flip) check_flip(env, lp, out);
      if (cfg.cut) out.cut = check_cut(env, lp, out.objective);
    }
  }
  if (lp) TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return out;
}

bool parse(int argc, char **argv, Settings &cfg) {
  for (int k = 1; k < argc; ++k) {
    const std::string a = argv[k];
    if ((a == "--set" || a == "--only" || a == "--tol") && k + 1 < argc) {
      const char *v = argv[++k];
      if (a == "--set") cfg.sets.emplace_back(v);
      else if (a == "--only") cfg.only.emplace_back(v);
      else cfg.tol = std::atof(v);
    } else if (a == "--repeat") {
      cfg.repeat = true;
    } else if (a == "--cut") {
      cfg.cut = true;
    } else if (a == "--flip") {
      cfg.flip = true;
    } else if (a == "--relax") {
      cfg.relax = true;
    } else if (a == "--random" && k + 1 < argc) {
      cfg.random = std::atoi(argv[++k]);
    } else if (a == "--wide") {
      cfg.wide = true;
    } else if (a == "--seed" && k + 1 < argc) {
      cfg.seed = std::strtoull(argv[++k], nullptr, 10);
    } else if (a == "--size" && k + 1 < argc) {
      if (std::sscanf(argv[++k], "%dx%d", &cfg.random_rows, &cfg.random_cols) != 2) return false;
    } else if (a == "--ref" && k + 1 < argc) {
      cfg.ref = argv[++k];
    } else if (a[0] != '-' && cfg.manifest.empty()) {
      cfg.manifest = a;
    } else {
      return false;
    }
  }
  return !cfg.manifest.empty() || cfg.random > 0;
}

// Why a solve fails its own checks, "" when it passes: a library error, a
// status other than optimal, the x/pi/dj checks, the cut, and with --repeat
// a second solve that does not reproduce it.  The objective is judged by
// the caller against its reference.
std::string judge(const Settings &cfg, const std::string &path,
                  const std::vector<std::string> &extra, const Outcome &o) {
  if (!o.error.empty()) return o.error;
  if (o.status != TVL_STAT_OPTIMAL) return "status " + std::to_string(o.status);
  if (o.pinf > cfg.tol) return "primal infeasible";
  if (o.dinf > cfg.tol) return "dual infeasible";
  if (o.dres > cfg.tol) return "dual residual";
  if (!o.cut.empty()) return o.cut;
  if (!o.flip.empty()) return o.flip;
  if (cfg.repeat) {
    const Outcome again = solve_one(cfg, path, extra);
    if (again.iterations != o.iterations || again.objective != o.objective) {
      return "not deterministic";
    }
  }
  return "";
}

double relative_error(double z, double ref) {
  return std::fabs(z - ref) / std::max(1.0, std::fabs(ref));
}

bool selected(const Settings &cfg, const Instance &inst) {
  return cfg.only.empty() || std::find(cfg.only.begin(), cfg.only.end(), inst.name) != cfg.only.end();
}

struct Tally {
  int passed = 0, failed = 0;
  double seconds = 0.0;
  void add(const Outcome &o, const std::string &why) {
    why.empty() ? ++passed : ++failed;
    seconds += o.seconds;
  }
};

void print_tally(const char *label, const Tally &t) {
  std::printf("%s%s%d passed, %d failed, %.2f seconds solving\n", label, *label ? " " : "",
              t.passed, t.failed, t.seconds);
}

// The config column is printed only when a config is given.
void print_header(bool with_config) {
  std::printf("%-10s ", "instance");
  if (with_config) std::printf("%-10s ", "config");
  std::printf("%6s %20s %10s %9s %9s %9s %8s %9s  %s\n", "status", "objective", "relerr", "pinf",
              "dinf", "dres", "iters", "seconds", "result");
}

void print_row(const std::string &name, const char *config, const Outcome &o, double relerr,
               const std::string &why) {
  std::printf("%-10s ", name.c_str());
  if (config) std::printf("%-10s ", config);
  std::printf("%6d %20.10e %10.2e %9.2e %9.2e %9.2e %8d %9.3f  %s %s\n", o.status, o.objective,
              relerr, o.pinf, o.dinf, o.dres, o.iterations, o.seconds,
              (why.empty() ? "ok" : "FAIL: " + why).c_str(), o.flip_note.c_str());
  std::fflush(stdout);
}

std::string instance_path(const Settings &cfg, const Instance &inst) {
  return cfg.manifest.substr(0, cfg.manifest.find_last_of('/') + 1) + inst.name + ".mps.gz";
}

// The LPs of the manifest against their manifest optimum.
int check_lps(const Settings &cfg) {
  Tally tally;
  print_header(false);
  for (const Instance &inst : read_manifest(cfg.manifest, false)) {
    if (!selected(cfg, inst)) continue;
    const std::string path = instance_path(cfg, inst);
    const Outcome o = solve_one(cfg, path, {});
    std::string why = judge(cfg, path, {}, o);
    const double relerr = relative_error(o.objective, inst.objective);
    if (why.empty() && relerr > cfg.tol) why = "objective";
    tally.add(o, why);
    print_row(inst.name, nullptr, o, relerr, why);
  }
  std::printf("\n");
  print_tally("", tally);
  return tally.failed ? 1 : 0;
}

// The reference objective of an instance's relaxation: the --ref value, or
// the objective of the first configuration that passed its checks (NaN
// when there is none).
double relax_reference(const std::vector<Instance> &refs, const std::string &name,
                       const std::vector<Outcome> &outs, const std::vector<std::string> &whys) {
  for (const Instance &r : refs) {
    if (r.name == name) return r.objective;
  }
  for (size_t k = 0; k < outs.size(); ++k) {
    if (whys[k].empty()) return outs[k].objective;
  }
  return std::nan("");
}

// The LP relaxations of all instances under every configuration.
int check_relaxations(const Settings &cfg) {
  const std::vector<Config> &configs = relax_configs();
  const std::vector<Instance> refs = cfg.ref.empty() ? std::vector<Instance>{} : read_reference(cfg.ref);
  std::vector<Tally> tally(configs.size());
  print_header(true);
  for (const Instance &inst : read_manifest(cfg.manifest, true)) {
    if (!selected(cfg, inst)) continue;
    const std::string path = instance_path(cfg, inst);
    std::vector<Outcome> outs;
    std::vector<std::string> whys;
    for (const Config &c : configs) {
      outs.push_back(solve_one(cfg, path, c.sets));
      whys.push_back(judge(cfg, path, c.sets, outs.back()));
    }
    const double ref = relax_reference(refs, inst.name, outs, whys);
    for (size_t k = 0; k < configs.size(); ++k) {
      const double relerr = relative_error(outs[k].objective, ref);
      if (whys[k].empty() && !(relerr <= cfg.tol)) whys[k] = "objective";
      tally[k].add(outs[k], whys[k]);
      print_row(inst.name, configs[k].label, outs[k], relerr, whys[k]);
    }
  }
  std::printf("\n");
  int failed = 0;
  for (size_t k = 0; k < configs.size(); ++k) {
    char label[16];
    std::snprintf(label, sizeof label, "%-10s", configs[k].label);
    print_tally(label, tally[k]);
    failed += tally[k].failed;
  }
  return failed ? 1 : 0;
}

char outcome_class(const Outcome &o) { return tvltest::outcome_class(o.code, o.status); }
using tvltest::compatible;

// Random instances (tests/support/random_lp.h), each written to a SAV file
// and solved under every configuration of --relax; the configurations must
// agree on the outcome and, when optimal, on the objective, and every
// optimal solution must pass the x/pi/dj checks.
int check_random(const Settings &cfg) {
  const std::vector<Config> &configs = relax_configs();
  const std::string path = "/tmp/solvecheck_random_" + std::to_string(getpid()) + ".sav";
  int failed = 0;
  std::map<char, int> classes;
  for (int k = 0; k < cfg.random; ++k) {
    const uint64_t seed = cfg.seed + static_cast<uint64_t>(k);
    tvltest::RandomLpMaker maker(seed);
    const tvltest::RandomLp model = maker.make(cfg.random_rows, cfg.random_cols, cfg.wide);
    int st = 0;
    TVLENVptr env = TVLopenTAVLO(&st);
    TVLLPptr lp = env ? TVLcreateprob(env, &st, "random") : nullptr;
    if (lp) st = model.copy_to(env, lp);
    if (lp && !st) st = TVLwriteprob(env, lp, path.c_str(), nullptr);
    if (lp) TVLfreeprob(env, &lp);
    if (env) TVLcloseTAVLO(&env);
    if (st) {
      std::printf("seed %llu: cannot build the instance (status %d)\n", static_cast<unsigned long long>(seed), st);
      ++failed;
      continue;
    }
    std::vector<Outcome> outs;
    std::string why;
    for (const Config &c : configs) {
      outs.push_back(solve_one(cfg, path, c.sets));
      const Outcome &o = outs.back();
      const char cls = outcome_class(o);
      if (cls == 'E') why += std::string(" ") + c.label + ": " + (o.error.empty() ? "status " + std::to_string(o.status) : o.error);
      if (cls == 'O' && (o.pinf > cfg.tol || o.dinf > cfg.tol || o.dres > cfg.tol))
        why += std::string(" ") + c.label + ": checks";
      // An LP that is both primal and dual infeasible may be called
      // unbounded by the dual simplex (its phase 1 proves dual
      // infeasibility) and infeasible by the primal.
      const bool both_ways = !model.dual_feasible && ((cls == 'U' && outcome_class(outs.front()) == 'I') ||
                                                      (cls == 'I' && outcome_class(outs.front()) == 'U'));
      if (!compatible(cls, outcome_class(outs.front())) && !both_ways)
        why += std::string(" ") + c.label + ": " + cls + " against " + outcome_class(outs.front());
      if (cls == 'O' && outcome_class(outs.front()) == 'O' &&
          relative_error(o.objective, outs.front().objective) > cfg.tol)
        why += std::string(" ") + c.label + ": objective";
    }
    std::string summary;
    for (const Outcome &o : outs) summary += outcome_class(o);
    ++classes[outcome_class(outs.front())];
    if (!why.empty()) {
      ++failed;
      std::printf("seed %llu (%s, objective %.10g): FAIL%s\n", static_cast<unsigned long long>(seed),
                  summary.c_str(), outs.front().objective, why.c_str());
      std::fflush(stdout);
    }
  }
  std::remove(path.c_str());
  std::printf("%d random instances of about %dx%d from seed %llu: %d failed; first configuration found",
              cfg.random, cfg.random_rows, cfg.random_cols, static_cast<unsigned long long>(cfg.seed), failed);
  for (const auto &[cls, count] : classes) std::printf(" %c:%d", cls, count);
  std::printf("\n");
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char **argv) {
  Settings cfg;
  if (!parse(argc, argv, cfg)) {
    std::fprintf(stderr,
                 "usage: solvecheck [--set NAME=VALUE]... [--only NAME]... [--tol T] [--repeat] "
                 "[--cut] [--flip] [--relax [--ref FILE]] MANIFEST.csv\n"
                 "       solvecheck --random N [--seed S] [--size ROWSxCOLS] [--wide] [--set NAME=VALUE]...\n");
    return 2;
  }
  if (cfg.random > 0) return check_random(cfg);
  return cfg.relax ? check_relaxations(cfg) : check_lps(cfg);
}
