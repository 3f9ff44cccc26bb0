// Solves the Netlib LPs with one simplex method through the internal entry
// (no presolve, no flow) and prints a table: objective error against the
// manifest, unscaled primal/dual violations, iterations and CPU time.
//
//   bench_simplex [netlib dir] [name ...]
//
// Environment: METHOD=primal (default dual); PRIIND (pricing); MAXROWS;
// OPTTOL, FEASTOL, SCAIND, PERIND; DISPLAY_LOG=1 for the iteration log;
// CLP=1 runs the peer's same method on the same file in the same run
// (iterations and seconds as it reports them, and the shifted geometric
// mean of the time ratios); FLIP=1 also solves the flipped objective and
// shows status and whether a ray came with it; WARM=1 re-solves after one
// bound change from the optimal basis (the largest basic structural cut to
// WARM_FRAC of its value, default 0.9) and shows the iterations that took,
// also as a share of the cold solve's.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/support/netlib_model.h"
#include "simplex/dualopt.h"
#include "simplex/primopt.h"
#include "simplex/simplex_result.h"

using namespace tvl::lp;

namespace {

struct Entry {
  std::string name;
  double obj;
  int rows;
};

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
    if (c.size() < 8 || c[7] != "lp") continue;
    out.push_back({c[0], std::stod(c[6]), std::stoi(c[1])});
  }
  return out;
}

int env_int(const char *name, int fallback) { return std::getenv(name) ? std::atoi(std::getenv(name)) : fallback; }

// Runs the peer on the file; returns its wall seconds and iteration count.
bool run_peer(const std::string &file, bool primal, double &secs, long &iters) {
  const std::string cmd = "clp '" + file + "' " + (primal ? "-primalsimplex" : "-dualsimplex") + " 2>&1";
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

struct Bench {
  bool primal = false;
  SimplexControl ctl;
  LpResult solve(const LpModel &model, const Basis *start) const {
    return primal ? primal_simplex(model, ctl, start) : dual_simplex(model, ctl, start);
  }
};

// Cuts the largest basic structural to `frac` of its value and re-solves
// from the optimal basis; prints the iterations.
void warm_resolve(const Bench &b, const LpModel &model, const LpResult &r, double frac) {
  int jmax = -1;
  for (int j = 0; j < model.a.n; ++j)
    if (r.basis.colstat[j] == 1 && std::fabs(r.x[j]) > 1e-3 && (jmax < 0 || std::fabs(r.x[j]) > std::fabs(r.x[jmax])))
      jmax = j;
  if (jmax < 0) return;
  LpModel changed = model;
  if (r.x[jmax] > 0) changed.colup[jmax] = r.x[jmax] * frac;
  else changed.collo[jmax] = r.x[jmax] * frac;
  const LpResult w = b.solve(changed, &r.basis);
  std::printf(" %8lld %7.2f%%", static_cast<long long>(w.iterations),
              100.0 * static_cast<double>(w.iterations) / std::max<int64_t>(1, r.iterations));
}

}  // namespace

int main(int argc, char **argv) {
  const std::string dir = argc > 1 ? argv[1] : "/work/shared/bench/netlib";
  const std::vector<std::string> only(argv + (argc > 2 ? 2 : argc), argv + argc);
  Bench b;
  b.primal = std::getenv("METHOD") && std::strcmp(std::getenv("METHOD"), "primal") == 0;
  b.ctl.display = env_int("DISPLAY_LOG", 0);
  b.ctl.pricing = env_int("PRIIND", 0);
  b.ctl.scaling = env_int("SCAIND", b.ctl.scaling);
  b.ctl.perturb_always = env_int("PERIND", 0);
  if (std::getenv("OPTTOL")) b.ctl.opttol = std::atof(std::getenv("OPTTOL"));
  if (std::getenv("FEASTOL")) b.ctl.feastol = std::atof(std::getenv("FEASTOL"));
  const int maxrows = env_int("MAXROWS", 1000000);
  const bool peer = std::getenv("CLP") != nullptr, flip = std::getenv("FLIP") != nullptr,
             warm = std::getenv("WARM") != nullptr;
  std::printf("%s simplex\n%-10s %6s %8s %10s %9s %9s %8s %6s %s", b.primal ? "primal" : "dual", "name", "rows",
              "iters", "relerr", "pviol", "dviol", "cpu", "status", "");
  if (peer) std::printf(" %8s %8s %6s", "p.iters", "p.time", "ratio");
  if (flip) std::printf(" %s", "flipped");
  if (warm) std::printf(" %8s %8s", "warm.it", "warm.%");
  std::printf("\n");
  int ok = 0, total = 0, ratio_count = 0;
  double total_time = 0, log_ratio = 0;
  for (const Entry &e : read_manifest(dir)) {
    if (!only.empty() && std::find(only.begin(), only.end(), e.name) == only.end()) continue;
    if (e.rows > maxrows) continue;
    const std::string file = dir + "/" + e.name + ".mps.gz";
    LpModel model;
    if (!testing::read_model_file(file, model)) {
      std::printf("%-10s read failed\n", e.name.c_str());
      continue;
    }
    // CPU time of this process: the wall clock is meaningless on a shared machine.
    const std::clock_t c0 = std::clock();
    const LpResult r = b.solve(model, nullptr);
    const double secs = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    total_time += secs;
    const double rel = std::fabs(r.objval - e.obj) / std::max(1.0, std::fabs(e.obj));
    const bool optimal = r.status == LpStatus::Optimal;
    const double pv = optimal ? primal_violation(model, r) : 0.0, dv = optimal ? dual_violation(model, r) : 0.0;
    const bool good = optimal && rel < 1e-6 && pv < 1e-6 && dv < 1e-6;
    ok += good;
    ++total;
    std::printf("%-10s %6d %8lld %10.2e %9.1e %9.1e %8.3f %6d %-4s", e.name.c_str(), model.a.m,
                static_cast<long long>(r.iterations), rel, pv, dv, secs, static_cast<int>(r.status),
                good ? "ok" : "FAIL");
    double ps = 0;
    long pit = 0;
    if (peer && run_peer(file, b.primal, ps, pit)) {
      const double ratio = (secs + 0.01) / (ps + 0.01);
      log_ratio += std::log(ratio);
      ++ratio_count;
      std::printf(" %8ld %8.3f %6.2f", pit, ps, ratio);
    }
    if (flip) {
      LpModel flipped = model;
      for (double &c : flipped.cost) c = -c;
      const LpResult u = b.solve(flipped, nullptr);
      std::printf(" %d/%s", static_cast<int>(u.status), u.ray.empty() ? "-" : "ray");
    }
    if (warm && optimal) warm_resolve(b, model, r, std::getenv("WARM_FRAC") ? std::atof(std::getenv("WARM_FRAC")) : 0.9);
    std::printf("\n");
    std::fflush(stdout);
  }
  std::printf("%d of %d solved, total CPU time %.2f s\n", ok, total, total_time);
  if (ratio_count > 0)
    std::printf("shifted geometric mean of time ratio (shift 10 ms): %.3f\n", std::exp(log_ratio / ratio_count));
  return 0;
}
