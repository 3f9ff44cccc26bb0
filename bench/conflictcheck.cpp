// conflictcheck: the conflict refiner on infeasible variants of benchmark
// instances, with time and an independent irreducibility check.
//
//   conflictcheck [--nocheck] [--display N] [--miplib] [--check-limit S]
//                 [--check-size N] [--variant KIND] [--write DIR]
//                 [--time-limit S] [NAME...]
//
// For every instance of the collection's manifest (or the named ones) and
// every variant of tests/support/conflict_variants.h (objective cut, a
// contradicting row, a bound past the largest value a column can take),
// runs TVLrefineconflict under a time limit (60 s unless --time-limit
// gives another) and prints one line:
//   name variant status rows cols seconds tests verdict
// where verdict is "irreducible" (the set is infeasible and dropping any
// member makes it feasible, each by a fresh LP/MIP solve), "FAILED: ..."
// or "unchecked" (with --nocheck, or sets of more than --check-size
// members, 300 unless given).
// --variant runs only that variant (objcut, row or bound);
// --check-limit gives each independent solve a time limit (default none;
// a solve stopped by it counts as a failed check); --write writes each
// conflict to DIR/NAME_VARIANT.lp.  Exit status 3 when any verdict failed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/bench_dir.h"
#include "support/conflict_check.h"
#include "support/conflict_variants.h"
#include "tavlo.h"

namespace {

std::vector<std::string> manifest_names(const std::string &collection) {
  std::vector<std::string> names;
  std::ifstream in(tvltest::collection_dir(collection) + "/manifest.csv");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::string name = line.substr(0, line.find(','));
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

}  // namespace

int main(int argc, char **argv) {
  bool check = true;
  int display = 0;
  double check_limit = 1e75, time_limit = 60.0;
  int check_size = 300;
  std::string collection = "netlib", write_dir, only;
  std::vector<std::string> names;
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--nocheck") == 0) check = false;
    else if (std::strcmp(argv[k], "--display") == 0 && k + 1 < argc) display = std::atoi(argv[++k]);
    else if (std::strcmp(argv[k], "--miplib") == 0) collection = "miplib";
    else if (std::strcmp(argv[k], "--check-limit") == 0 && k + 1 < argc) check_limit = std::atof(argv[++k]);
    else if (std::strcmp(argv[k], "--time-limit") == 0 && k + 1 < argc) time_limit = std::atof(argv[++k]);
    else if (std::strcmp(argv[k], "--check-size") == 0 && k + 1 < argc) check_size = std::atoi(argv[++k]);
    else if (std::strcmp(argv[k], "--write") == 0 && k + 1 < argc) write_dir = argv[++k];
    else if (std::strcmp(argv[k], "--variant") == 0 && k + 1 < argc) only = argv[++k];
    else names.push_back(argv[k]);
  }
  if (names.empty()) names = manifest_names(collection);
  int failures = 0;
  std::printf("%-10s %-7s %-4s %6s %6s %8s  %s\n", "name", "variant", "stat", "rows", "cols", "seconds", "verdict");
  std::fflush(stdout);
  for (const std::string &name : names) {
    for (const char *kind : {"objcut", "row", "bound"}) {
      if (!only.empty() && only != kind) continue;
      int st = 0;
      TVLENVptr env = TVLopenTAVLO(&st);
      TVLLPptr lp = TVLcreateprob(env, &st, name.c_str());
      TVLsetintparam(env, TVL_PARAM_THREADS, 1);
      TVLsetintparam(env, TVL_PARAM_CONFLICTDISPLAY, display);
      TVLsetintparam(env, TVL_PARAM_SCRIND, display > 0);
      TVLsetintparam(env, TVL_PARAM_MIPDISPLAY, 0);
      TVLsetdblparam(env, TVL_PARAM_TILIM, 120.0);
      const std::string file = tvltest::instance_path(collection, name);
      if (TVLreadcopyprob(env, lp, file.c_str(), nullptr) != 0 || !tvltest::make_variant(env, lp, kind)) {
        std::printf("%-10s %-7s skipped\n", name.c_str(), kind);
        TVLfreeprob(env, &lp);
        TVLcloseTAVLO(&env);
        continue;
      }
      const tvltest::CheckBounds bounds = tvltest::problem_bounds(env, lp);
      TVLsetdblparam(env, TVL_PARAM_TILIM, time_limit);
      int nr = 0, nc = 0;
      const auto t0 = std::chrono::steady_clock::now();
      const int rc = TVLrefineconflict(env, lp, &nr, &nc);
      const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      const tvltest::ConflictSet c = tvltest::get_conflict(env, lp);
      if (!write_dir.empty()) TVLclpwrite(env, lp, (write_dir + "/" + name + "_" + kind + ".lp").c_str());
      std::string verdict = "unchecked";
      if (rc != 0) {
        verdict = "FAILED: status " + std::to_string(rc);
      } else if (c.status != TVL_STAT_CONFLICT_MINIMAL) {
        verdict = "FAILED: not minimal";
      } else if (check && nr + nc <= check_size) {
        TVLsetdblparam(env, TVL_PARAM_TILIM, check_limit);
        const std::string why = tvltest::check_conflict(env, lp, c, bounds);
        verdict = why.empty() ? "irreducible" : "FAILED: " + why;
      }
      if (verdict.rfind("FAILED", 0) == 0) ++failures;
      std::printf("%-10s %-7s %-4d %6d %6d %8.2f  %s\n", name.c_str(), kind, c.status, nr, nc, secs, verdict.c_str());
      std::fflush(stdout);
      TVLfreeprob(env, &lp);
      TVLcloseTAVLO(&env);
    }
  }
  std::printf("%d failed\n", failures);
  return failures ? 3 : 0;
}
