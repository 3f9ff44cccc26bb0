// mipcheck: solves one MIP and checks the answer.
//
//   mipcheck FILE OPTIMUM [TIME_LIMIT [THREADS [PARAMETER_FILE]]]
//
// Runs TVLmipopt with the time limit (default 60 s) on THREADS search
// threads (default 1) and defaults otherwise (or the settings of
// PARAMETER_FILE, read first), then prints one line:
//   status objective optimum seconds nodes violation verdict
// where violation is the incumbent's largest violation of bounds, rows and
// integrality on the model read again from FILE ("-" without incumbent),
// and verdict is "optimal" (status 101/102 at the published optimum),
// "feasible", "none", or "WRONG" for an incumbent violating the model by
// more than 1e-6, a 101 off the optimum by more than 1e-6 (relative to
// max(1, |optimum|)), a 102 off by more than 1e-4, an objective better than
// the optimum, or an infeasibility verdict.  Exit status 3 for WRONG.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/mip_check.h"
#include "tavlo.h"

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mipcheck FILE OPTIMUM [TIME_LIMIT [THREADS [PARAMETER_FILE]]]\n");
    return 2;
  }
  const std::string file = argv[1];
  const double opt = std::atof(argv[2]);
  const double tilim = argc > 3 ? std::atof(argv[3]) : 60.0;
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  TVLLPptr lp = env ? TVLcreateprob(env, &st, "mipcheck") : nullptr;
  if (!lp || TVLreadcopyprob(env, lp, file.c_str(), nullptr) != 0) {
    std::printf("read-error\n");
    return 1;
  }
  if (argc > 5 && TVLreadcopyparam(env, argv[5]) != 0) {
    std::printf("parameter-file-error\n");
    return 1;
  }
  TVLsetintparam(env, TVL_PARAM_THREADS, argc > 4 ? std::atoi(argv[4]) : 1);
  TVLsetdblparam(env, TVL_PARAM_TILIM, tilim);
  const auto t0 = std::chrono::steady_clock::now();
  st = TVLmipopt(env, lp);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const int stat = TVLgetstat(env, lp);
  double obj = NAN;
  const bool has_x = TVLgetobjval(env, lp, &obj) == 0;
  double viol = -1.0;
  if (has_x) {
    std::vector<double> x(static_cast<size_t>(TVLgetnumcols(env, lp)));
    TVLgetx(env, lp, x.data(), 0, static_cast<int>(x.size()) - 1);
    viol = tvltest::mip_violation(file, x);
  }
  const double scale = std::max(1.0, std::fabs(opt));
  const double off = has_x ? std::fabs(obj - opt) / scale : 0.0;
  const char *verdict = has_x ? "feasible" : "none";
  // The manifest's instances are minimisations: nothing beats the optimum.
  const bool wrong = st != 0 || (has_x && (viol < 0.0 || viol > 1e-6)) ||
                     (stat == TVLMIP_OPTIMAL && off > 1e-6) || (stat == TVLMIP_OPTIMAL_TOL && off > 1e-4) ||
                     (has_x && obj < opt - 1e-6 * scale) || stat == TVLMIP_INFEASIBLE || stat == TVLMIP_INForUNBD;
  if (wrong) verdict = "WRONG";
  else if (stat == TVLMIP_OPTIMAL || stat == TVLMIP_OPTIMAL_TOL) verdict = "optimal";
  char vbuf[32] = "-";
  if (has_x) std::snprintf(vbuf, sizeof vbuf, "%.1e", viol);
  std::printf("%d %.10g %.10g %.2f %d %s %s\n", stat, obj, opt, secs, TVLgetnodecnt(env, lp), vbuf, verdict);
  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return wrong ? 3 : 0;
}
