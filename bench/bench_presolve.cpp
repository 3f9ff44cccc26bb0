// Presolve on the Netlib collection: sizes before and after, presolve time,
// the reduced optimum against the manifest, the quality of the postsolved
// solution and the iterations of the final solve on the original problem
// started from the postsolved basis.  Usage: bench_presolve [name ...]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../tests/support/netlib_lp.h"
#include "simplex/dualopt.h"
#include "presolve/presolve.h"

using namespace tvl::lp;

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Largest bound violation of x and of the row activities.
double primal_infeasibility(const LpModel &lp, const LpResult &r) {
  double v = 0.0;
  for (int j = 0; j < lp.a.n; ++j) v = std::max({v, lp.collo[j] - r.x[j], r.x[j] - lp.colup[j]});
  for (int i = 0; i < lp.a.m; ++i) v = std::max({v, lp.rowlo[i] - r.rowact[i], r.rowact[i] - lp.rowup[i]});
  return v;
}

// Largest wrong-signed reduced cost or dual for the basis statuses.
double dual_infeasibility(const LpModel &lp, const LpResult &r) {
  double v = 0.0;
  auto one = [&v](int8_t s, double d) {
    if (s == 1 || s == 3) v = std::max(v, std::fabs(d));
    else if (s == 0) v = std::max(v, -d);
    else v = std::max(v, d);
  };
  for (int j = 0; j < lp.a.n; ++j) one(r.basis.colstat[j], r.dj[j]);
  for (int i = 0; i < lp.a.m; ++i) one(r.basis.rowstat[i], r.pi[i]);
  return v;
}

}  // namespace

int main(int argc, char **argv) {
  const auto entries = testing::netlib_manifest();
  int64_t sum[6] = {};
  double t_pre = 0.0, t_red = 0.0, t_orig = 0.0;
  int64_t it_red = 0, it_final = 0, it_orig = 0;
  int bad = 0, bad_orig = 0;
  std::printf("%-9s %6s %6s %7s -> %5s %5s %6s %7s %9s %8s %8s %6s %6s %6s\n", "name", "rows", "cols", "nz", "rows",
              "cols", "nz", "pre ms", "obj err", "pinf", "dinf", "it red", "final", "it org");
  for (const auto &e : entries) {
    if (argc > 1) {
      bool want = false;
      for (int k = 1; k < argc; ++k) want |= e.name == argv[k];
      if (!want) continue;
    }
    LpModel lp;
    if (!testing::load_mps(testing::netlib_dir() + "/" + e.name + ".mps.gz", lp)) {
      std::printf("%-9s unreadable\n", e.name.c_str());
      continue;
    }
    PresolveSettings s;
    s.messages = false;
    if (const char *f = std::getenv("PRESOLVE_STEPS")) s.step_limit = std::atoll(f);
    if (const char *f = std::getenv("PRESOLVE_FAMILIES")) s.families = static_cast<unsigned>(std::strtoul(f, nullptr, 0));
    PresolvedLp pre;
    auto t0 = std::chrono::steady_clock::now();
    const PresolveOutcome out = presolve(lp, s, pre);
    t_pre += seconds_since(t0);
    const double ms = seconds_since(t0) * 1e3;
    const LpModel &r = out.reduced_any ? pre.reduced : lp;
    const int64_t before[3] = {lp.a.m, lp.a.n, static_cast<int64_t>(lp.a.index.size())};
    const int64_t after[3] = {r.a.m, r.a.n, static_cast<int64_t>(r.a.index.size())};
    for (int k = 0; k < 3; ++k) { sum[k] += before[k]; sum[3 + k] += after[k]; }
    SimplexControl ctl;
    ctl.display = 0;
    t0 = std::chrono::steady_clock::now();
    LpResult red = out.all_eliminated ? LpResult{} : dual_simplex(r, ctl, nullptr);
    if (out.all_eliminated) red.status = LpStatus::Optimal;
    t_red += seconds_since(t0);
    LpResult full = red;
    if (out.reduced_any && red.status == LpStatus::Optimal) postsolve(pre, red, full);
    const double err = std::fabs(full.objval - e.optimum) / std::max(1.0, std::fabs(e.optimum));
    double pinf = -1, dinf = -1;
    int64_t final_its = -1;
    double final_err = -1;
    if (red.status == LpStatus::Optimal) {
      pinf = primal_infeasibility(lp, full);
      dinf = dual_infeasibility(lp, full);
      const LpResult fin = dual_simplex(lp, ctl, &full.basis);
      final_its = fin.iterations;
      final_err = std::fabs(fin.objval - e.optimum) / std::max(1.0, std::fabs(e.optimum));
    }
    t0 = std::chrono::steady_clock::now();
    const LpResult orig = dual_simplex(lp, ctl, nullptr);
    t_orig += seconds_since(t0);
    it_red += red.iterations;
    it_final += std::max<int64_t>(final_its, 0);
    it_orig += orig.iterations;
    const double orig_err = std::fabs(orig.objval - e.optimum) / std::max(1.0, std::fabs(e.optimum));
    bad_orig += orig.status != LpStatus::Optimal || orig_err >= 1e-6;
    const bool ok = out.status == 0 && red.status == LpStatus::Optimal && err < 1e-6 && final_err < 1e-6;
    bad += !ok;
    std::printf("%-9s %6lld %6lld %7lld -> %5lld %5lld %6lld %7.2f %9.1e %8.1e %8.1e %6lld %6lld %6lld%s\n",
                e.name.c_str(), (long long)before[0], (long long)before[1], (long long)before[2],
                (long long)after[0], (long long)after[1], (long long)after[2], ms, err, pinf, dinf,
                (long long)red.iterations, (long long)final_its, (long long)orig.iterations, ok ? "" : "  FAIL");
    if (!ok)
      std::printf("          presolve %d, reduced status %d, final objective error %.1e; unpresolved: status %d, "
                  "objective error %.1e\n", out.status, static_cast<int>(red.status), final_err,
                  static_cast<int>(orig.status), orig_err);
    std::fflush(stdout);
  }
  std::printf("%-9s %6lld %6lld %7lld -> %5lld %5lld %6lld\n", "total", (long long)sum[0], (long long)sum[1],
              (long long)sum[2], (long long)sum[3], (long long)sum[4], (long long)sum[5]);
  std::printf("presolve %.2f s; reduced solves %.2f s, %lld iterations; final solves %lld iterations; "
              "unpresolved solves %.2f s, %lld iterations; failures: with presolve %d, without %d\n",
              t_pre, t_red, (long long)it_red, (long long)it_final, t_orig, (long long)it_orig, bad, bad_orig);
  return bad != 0;
}
