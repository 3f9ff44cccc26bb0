// Solves the Netlib LPs with the primal simplex and prints a table:
// objective error against the manifest, unscaled primal/dual violations,
// iterations and time; with CLP=1 the peer's primal simplex runs on the
// same file in the same run (iterations and seconds as it reports them).
// Also checks that the flipped objective of every bounded instance that
// becomes unbounded ends Unbounded with a ray (FLIP=1).
// Usage: bench_primal [netlib dir] [name ...]
// Environment: PPRIIND (pricing), MAXROWS, CLP=1, FLIP=1, WARM=1 (re-solve
// after one bound change from the optimal basis), OPTTOL, FEASTOL.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/lp/mps_test_reader.h"
#include "lp/primopt.h"

using namespace tvl::lp;

namespace {
struct Entry { std::string name; double obj; int rows; };

std::vector<Entry> read_manifest(const std::string &dir) {
  std::vector<Entry> out;
  std::ifstream f(dir + "/manifest.csv");
  std::string line;
  std::getline(f, line);
  while (std::getline(f, line)) {
    std::stringstream ss(line);
    std::string cell;
    std::vector<std::string> c;
    while (std::getline(ss, cell, ',')) c.push_back(cell);
    if (c.size() < 7) continue;
    out.push_back({c[0], std::stod(c[6]), std::stoi(c[1])});
  }
  return out;
}

double pviol(const LpModel &m, const LpResult &r) {
  double w = 0;
  for (int j = 0; j < m.a.n; ++j) w = std::max({w, m.collo[j] - r.x[j], r.x[j] - m.colup[j]});
  for (int i = 0; i < m.a.m; ++i) w = std::max({w, m.rowlo[i] - r.rowact[i], r.rowact[i] - m.rowup[i]});
  return w;
}

double dviol(const LpModel &m, const LpResult &r) {
  double w = 0;
  auto chk = [&](double d, double lo, double up, int s) {
    if (s == 1 || lo == up) return;
    if (lo <= -kInf && up >= kInf) { w = std::max(w, std::fabs(d)); return; }
    if (s == 0 || up >= kInf) w = std::max(w, -d);
    if (s == 2 || lo <= -kInf) w = std::max(w, d);
  };
  for (int j = 0; j < m.a.n; ++j) chk(r.dj[j], m.collo[j], m.colup[j], r.basis.colstat[j]);
  for (int i = 0; i < m.a.m; ++i) chk(r.pi[i], m.rowlo[i], m.rowup[i], r.basis.rowstat[i]);
  return w;
}

// Runs the peer on the file; returns seconds (wall) and its iteration count.
bool run_peer(const std::string &file, double &secs, long &iters) {
  const std::string cmd = "clp '" + file + "' -primalsimplex 2>&1";
  const auto t0 = std::chrono::steady_clock::now();
  FILE *p = popen(cmd.c_str(), "r");
  if (p == nullptr) return false;
  char buf[4096];
  iters = -1;
  while (std::fgets(buf, sizeof buf, p) != nullptr) {
    const char *at = std::strstr(buf, " iterations");
    if (at == nullptr) continue;
    // "Optimal objective X - N iterations time T"
    const char *s = at;
    while (s > buf && s[-1] != ' ') --s;
    iters = std::strtol(s, nullptr, 10);
  }
  pclose(p);
  secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return true;
}
}  // namespace

int main(int argc, char **argv) {
  std::string dir = argc > 1 ? argv[1] : "/work/shared/bench/netlib";
  std::vector<std::string> only(argv + (argc > 2 ? 2 : argc), argv + argc);
  const int pricing = std::getenv("PPRIIND") ? std::atoi(std::getenv("PPRIIND")) : 0;
  const int maxrows = std::getenv("MAXROWS") ? std::atoi(std::getenv("MAXROWS")) : 1000000;
  const bool peer = std::getenv("CLP") != nullptr;
  const bool flip = std::getenv("FLIP") != nullptr;
  const bool warm = std::getenv("WARM") != nullptr;
  std::printf("%-10s %6s %8s %10s %9s %9s %8s %6s %s", "name", "rows", "iters", "relerr", "pviol", "dviol",
              "time", "status", "");
  if (peer) std::printf(" %8s %8s %6s", "p.iters", "p.time", "ratio");
  if (flip) std::printf(" %s", "flipped");
  if (warm) std::printf(" %8s %8s", "warm.it", "warm.%");
  std::printf("\n");
  int ok = 0, total = 0;
  double total_time = 0, log_ratio = 0;
  int ratio_count = 0;
  for (const Entry &e : read_manifest(dir)) {
    if (!only.empty() && std::find(only.begin(), only.end(), e.name) == only.end()) continue;
    if (e.rows > maxrows) continue;
    const std::string file = dir + "/" + e.name + ".mps.gz";
    LpModel model;
    if (!testing::read_mps(file, model)) {
      std::printf("%-10s read failed\n", e.name.c_str());
      continue;
    }
    SimplexControl ctl;
    ctl.display = std::getenv("DISPLAY_LOG") ? 1 : 0;
    ctl.pricing = pricing;
    if (std::getenv("OPTTOL")) ctl.opttol = std::atof(std::getenv("OPTTOL"));
    if (std::getenv("FEASTOL")) ctl.feastol = std::atof(std::getenv("FEASTOL"));
    const auto t0 = std::chrono::steady_clock::now();
    LpResult r = primal_simplex(model, ctl, nullptr);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    total_time += secs;
    const double rel = std::fabs(r.objval - e.obj) / std::max(1.0, std::fabs(e.obj));
    const double pv = pviol(model, r), dv = dviol(model, r);
    const bool good = r.status == LpStatus::Optimal && rel < 1e-6 && pv < 1e-6 && dv < 1e-6;
    ok += good;
    ++total;
    std::printf("%-10s %6d %8lld %10.2e %9.1e %9.1e %8.3f %6d %-4s", e.name.c_str(), model.a.m,
                static_cast<long long>(r.iterations), rel, pv, dv, secs, static_cast<int>(r.status),
                good ? "ok" : "FAIL");
    if (peer) {
      double ps = 0;
      long pit = 0;
      if (run_peer(file, ps, pit)) {
        const double ratio = (secs + 0.01) / (ps + 0.01);
        log_ratio += std::log(ratio);
        ++ratio_count;
        std::printf(" %8ld %8.3f %6.2f", pit, ps, ratio);
      }
    }
    if (flip) {
      LpModel flipped = model;
      for (double &c : flipped.cost) c = -c;
      LpResult u = primal_simplex(flipped, ctl, nullptr);
      std::printf(" %d/%s", static_cast<int>(u.status), u.ray.empty() ? "-" : "ray");
    }
    if (warm && r.status == LpStatus::Optimal) {
      // Cut the largest basic structural to 90% of its value and re-solve
      // from the optimal basis.
      int jmax = -1;
      for (int j = 0; j < model.a.n; ++j)
        if (r.basis.colstat[j] == 1 && std::fabs(r.x[j]) > 1e-3 &&
            (jmax < 0 || std::fabs(r.x[j]) > std::fabs(r.x[jmax])))
          jmax = j;
      if (jmax >= 0) {
        LpModel changed = model;
        if (r.x[jmax] > 0) changed.colup[jmax] = r.x[jmax] * 0.9;
        else changed.collo[jmax] = r.x[jmax] * 0.9;
        const LpResult w = primal_simplex(changed, ctl, &r.basis);
        std::printf(" %8lld %7.2f%%", static_cast<long long>(w.iterations),
                    100.0 * static_cast<double>(w.iterations) / std::max<int64_t>(1, r.iterations));
      }
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  std::printf("%d of %d solved, total time %.2f s\n", ok, total, total_time);
  if (ratio_count > 0)
    std::printf("shifted geometric mean of time ratio (shift 10 ms): %.3f\n", std::exp(log_ratio / ratio_count));
  return 0;
}
