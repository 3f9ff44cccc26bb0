// Presolve on the Netlib collection: sizes before and after, time, and
// (when a simplex is available) the optimum of the reduced problem against
// the manifest.  Usage: bench_presolve [name ...]
#include <chrono>
#include <cstdio>
#include <cstring>

#include "../tests/lp/netlib_lp.h"
#include "lp/presolve.h"

using namespace tvl::lp;

int main(int argc, char **argv) {
  const auto entries = testing::netlib_manifest();
  int64_t sum[6] = {};
  double total_time = 0.0;
  std::printf("%-10s %6s %6s %7s -> %6s %6s %7s %8s  %s\n", "name", "rows", "cols", "nz", "rows", "cols", "nz", "ms", "status");
  for (const auto &e : entries) {
    if (argc > 1) {
      bool want = false;
      for (int k = 1; k < argc; ++k) want |= e.name == argv[k];
      if (!want) continue;
    }
    LpModel lp;
    if (!testing::load_mps(testing::netlib_dir() + "/" + e.name + ".mps.gz", lp)) {
      std::printf("%-10s unreadable\n", e.name.c_str());
      continue;
    }
    PresolveSettings s;
    s.messages = false;
    PresolvedLp pre;
    const auto t0 = std::chrono::steady_clock::now();
    const PresolveOutcome out = presolve(lp, s, pre);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    total_time += ms;
    const LpModel &r = out.reduced_any ? pre.reduced : lp;
    const int64_t before[3] = {lp.a.m, lp.a.n, static_cast<int64_t>(lp.a.index.size())};
    const int64_t after[3] = {r.a.m, r.a.n, static_cast<int64_t>(r.a.index.size())};
    for (int k = 0; k < 3; ++k) { sum[k] += before[k]; sum[3 + k] += after[k]; }
    std::printf("%-10s %6lld %6lld %7lld -> %6lld %6lld %7lld %8.2f  %d  passes %d agg %d\n", e.name.c_str(),
                (long long)before[0], (long long)before[1], (long long)before[2], (long long)after[0],
                (long long)after[1], (long long)after[2], ms, out.status, pre.counts.passes,
                pre.counts.aggregations);
  }
  std::printf("%-10s %6lld %6lld %7lld -> %6lld %6lld %7lld %8.2f\n", "total", (long long)sum[0],
              (long long)sum[1], (long long)sum[2], (long long)sum[3], (long long)sum[4], (long long)sum[5], total_time);
  return 0;
}
