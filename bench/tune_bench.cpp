// tune_bench: the parameter tuner on bench instances.
//
//   tune_bench [BUDGET_SECONDS] COLLECTION/NAME...
//
// For each instance (e.g. miplib/p0201, netlib/bandm, read through the
// bench directory or the bundled subset): solves it with the defaults and
// counts the deterministic work, tunes it with TVL_PARAM_TUNINGTILIM =
// BUDGET (default 120 s), solves it again with the settings the tuning
// left, and prints one line:
//   name default_ticks tuned_ticks ratio tuning_seconds tunestat objective_match verdict settings
// verdict is "ok" when the tuned settings did not need more work than the
// defaults and reached the same optimum (within 1e-6 relative), "WORSE"
// otherwise; exit status 3 when any instance is WORSE.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/workcount.h"
#include "support/bench_dir.h"
#include "tavlo.h"

namespace {

struct Solve {
  int rc = -1, stat = 0;
  double obj = 0.0;
  uint64_t work = 0;
};

bool is_mip(TVLENVptr env, TVLLPptr lp) {
  const int type = TVLgetprobtype(env, lp);
  return type == TVLPROB_MILP || type == TVLPROB_MIQP || type == TVLPROB_MIQCP;
}

Solve solve(TVLENVptr env, TVLLPptr lp) {
  Solve s;
  TVLsetintparam(env, TVL_PARAM_MIPDISPLAY, 0);
  TVLsetintparam(env, TVL_PARAM_SIMDISPLAY, 0);
  const uint64_t w0 = tvl::thread_work();
  s.rc = is_mip(env, lp) ? TVLmipopt(env, lp) : TVLlpopt(env, lp);
  s.work = tvl::thread_work() - w0;
  s.stat = TVLgetstat(env, lp);
  if (TVLgetobjval(env, lp, &s.obj) != 0) s.obj = NAN;
  return s;
}

// The names and values of the parameters that differ from their defaults.
std::string changed(TVLENVptr env) {
  int cnt = 0, surplus = 0;
  TVLgetchgparam(env, &cnt, nullptr, 0, &surplus);
  std::string out;
  for (int num = 1000; num < 6000 && surplus < 0; ++num) {
    int type = 0, v = 0, def = 0, lo = 0, hi = 0;
    if (TVLgetparamtype(env, num, &type) != 0 || type != TVL_PARAMTYPE_INT) continue;
    if (TVLgetintparam(env, num, &v) != 0 || TVLinfointparam(env, num, &def, &lo, &hi) != 0 || v == def) continue;
    char name[TVL_STR_PARAM_MAX] = {};
    if (TVLgetparamname(env, num, name) != 0) continue;
    out += std::string(out.empty() ? "" : ",") + (name + 10) + "=" + std::to_string(v);
  }
  return out.empty() ? "defaults" : out;
}

// A fresh copy of the instance, so that no solve starts from another's
// basis or incumbent.
TVLLPptr load(TVLENVptr env, const std::string &file, const std::string &name) {
  int st = 0;
  TVLLPptr lp = TVLcreateprob(env, &st, name.c_str());
  if (lp && TVLreadcopyprob(env, lp, file.c_str(), nullptr) != 0) TVLfreeprob(env, &lp);
  return lp;
}

bool run(const std::string &collection, const std::string &name, double budget) {
  const std::string file = tvltest::instance_path(collection, name);
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  TVLLPptr lp = env ? load(env, file, name) : nullptr;
  if (!lp) {
    std::printf("%s read-error\n", name.c_str());
    return false;
  }
  const Solve base = solve(env, lp);
  TVLfreeprob(env, &lp);
  lp = load(env, file, name);
  TVLsetdblparam(env, TVL_PARAM_TUNINGTILIM, budget);
  TVLsetintparam(env, TVL_PARAM_TUNINGDISPLAY, 0);
  int tunestat = -1;
  const auto t0 = std::chrono::steady_clock::now();
  st = TVLtuneparam(env, lp, 0, nullptr, nullptr, 0, nullptr, nullptr, 0, nullptr, nullptr, &tunestat);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const std::string settings = changed(env);
  TVLfreeprob(env, &lp);
  lp = load(env, file, name);
  const Solve tuned = solve(env, lp);
  const bool same = std::fabs(tuned.obj - base.obj) <= 1e-6 * std::max(1.0, std::fabs(base.obj));
  const bool ok = st == 0 && tuned.rc == 0 && tuned.work <= base.work && same;
  std::printf("%-10s %12.2f %12.2f %6.3f %8.2f %d %s %s %s\n", name.c_str(), base.work / tvl::kWorkPerTick,
              tuned.work / tvl::kWorkPerTick, base.work ? double(tuned.work) / double(base.work) : 1.0, secs,
              tunestat, same ? "same" : "DIFFERENT", ok ? "ok" : "WORSE", settings.c_str());
  std::fflush(stdout);
  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  int first = 1;
  double budget = 120.0;
  if (argc > 1 && std::strtod(argv[1], nullptr) > 0.0) budget = std::strtod(argv[first++], nullptr);
  if (first >= argc) {
    std::fprintf(stderr, "usage: tune_bench [BUDGET_SECONDS] COLLECTION/NAME...\n");
    return 2;
  }
  std::printf("%-10s %12s %12s %6s %8s %s\n", "name", "default", "tuned", "ratio", "tuning_s", "stat same verdict settings");
  bool all = true;
  for (int k = first; k < argc; ++k) {
    const std::string arg = argv[k];
    const size_t slash = arg.find('/');
    if (slash == std::string::npos) {
      std::fprintf(stderr, "tune_bench: '%s' is not COLLECTION/NAME\n", argv[k]);
      return 2;
    }
    all = run(arg.substr(0, slash), arg.substr(slash + 1), budget) && all;
  }
  return all ? 0 : 3;
}
