// Feasibility relaxation on the objective-cut variants of model files: the
// problem gets the row "objective at least 5% + 1 better than its optimum"
// (after solving it once), then TVLfeasopt runs in the modes asked for with
// every right-hand side movable.  Prints per mode the status, measure or
// objective, simplex iterations and seconds.
//
//   feasopt_bench MODEL... [--modes 012345] [--log]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tavlo.h"

namespace {

int add_cut(TVLENVptr env, TVLLPptr lp) {
  if (TVLgetprobtype(env, lp) == TVLPROB_MILP ? TVLmipopt(env, lp) : TVLlpopt(env, lp)) return 1;
  double opt = 0.0;
  if (TVLgetobjval(env, lp, &opt)) return 1;
  const int n = TVLgetnumcols(env, lp);
  std::vector<double> obj(static_cast<size_t>(n));
  TVLgetobj(env, lp, obj.data(), 0, n - 1);
  std::vector<int> ind;
  std::vector<double> val;
  for (int j = 0; j < n; ++j)
    if (obj[j] != 0.0) ind.push_back(j), val.push_back(obj[j]);
  const bool min = TVLgetobjsen(env, lp) == TVL_MIN;
  const double gap = 0.05 * std::fabs(opt) + 1.0, rhs = min ? opt - gap : opt + gap;
  const char sense = min ? 'L' : 'G';
  const int beg = 0;
  return TVLaddrows(env, lp, 0, 1, static_cast<int>(ind.size()), &rhs, &sense, &beg, ind.data(), val.data(), nullptr,
                    nullptr);
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> files;
  std::string modes = "012345";
  bool log = false;
  for (int a = 1; a < argc; ++a) {
    if (!std::strcmp(argv[a], "--modes") && a + 1 < argc) modes = argv[++a];
    else if (!std::strcmp(argv[a], "--log")) log = true;
    else files.push_back(argv[a]);
  }
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (log) TVLsetintparam(env, TVL_PARAM_SCRIND, 1);
  for (const std::string &file : files) {
    TVLLPptr lp = TVLcreateprob(env, &st, "bench");
    if (TVLreadcopyprob(env, lp, file.c_str(), nullptr) || add_cut(env, lp)) {
      std::printf("%s: cannot read or solve\n", file.c_str());
      TVLfreeprob(env, &lp);
      continue;
    }
    const std::vector<double> rhspref(static_cast<size_t>(TVLgetnumrows(env, lp)), 1.0);
    for (char c : modes) {
      TVLsetintparam(env, TVL_PARAM_FEASOPTMODE, c - '0');
      const auto t0 = std::chrono::steady_clock::now();
      st = TVLfeasopt(env, lp, nullptr, rhspref.data(), nullptr, nullptr);
      const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      double obj = 0.0;
      TVLgetobjval(env, lp, &obj);
      const bool mip = TVLgetprobtype(env, lp) == TVLPROB_MILP;
      std::printf("%-40s mode %c  return %d  status %3d  objective %.10g  iterations %d  %.2f s\n", file.c_str(), c, st,
                  TVLgetstat(env, lp), obj, mip ? TVLgetmipitcnt(env, lp) : TVLgetitcnt(env, lp), secs);
      std::fflush(stdout);
    }
    TVLfreeprob(env, &lp);
  }
  TVLcloseTAVLO(&env);
  return 0;
}
