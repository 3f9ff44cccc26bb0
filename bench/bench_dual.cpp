// Solves the Netlib LPs with the dual simplex and prints a table: objective
// error against the manifest, unscaled primal/dual violations, iterations
// and time.  Usage: bench_dual [netlib dir] [name ...]
#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/lp/netlib_model.h"
#include "lp/dualopt.h"

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
}  // namespace

int main(int argc, char **argv) {
  std::string dir = argc > 1 ? argv[1] : "/work/shared/bench/netlib";
  std::vector<std::string> only(argv + (argc > 2 ? 2 : argc), argv + argc);
  int pricing = std::getenv("DPRIIND") ? std::atoi(std::getenv("DPRIIND")) : 0;
  int maxrows = std::getenv("MAXROWS") ? std::atoi(std::getenv("MAXROWS")) : 1000000;
  std::printf("%-10s %6s %8s %10s %9s %9s %8s %8s %s\n", "name", "rows", "iters", "relerr", "pviol",
              "dviol", "cpu", "status", "");
  int ok = 0, total = 0;
  double total_time = 0;
  for (const Entry &e : read_manifest(dir)) {
    if (!only.empty() && std::find(only.begin(), only.end(), e.name) == only.end()) continue;
    if (e.rows > maxrows) continue;
    LpModel model;
    if (!testing::read_model_file(dir + "/" + e.name + ".mps.gz", model)) {
      std::printf("%-10s read failed\n", e.name.c_str());
      continue;
    }
    SimplexControl ctl;
    ctl.display = 0;
    ctl.pricing = pricing;
    if (std::getenv("OPTTOL")) ctl.opttol = std::atof(std::getenv("OPTTOL"));
    if (std::getenv("FEASTOL")) ctl.feastol = std::atof(std::getenv("FEASTOL"));
    if (std::getenv("SCAIND")) ctl.scaling = std::atoi(std::getenv("SCAIND"));
    if (std::getenv("PERIND")) ctl.perturb_always = std::atoi(std::getenv("PERIND"));
    // CPU time of this process: the wall clock is meaningless on a shared machine.
    const std::clock_t c0 = std::clock();
    LpResult r = dual_simplex(model, ctl, nullptr);
    const double secs = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    total_time += secs;
    const double rel = std::fabs(r.objval - e.obj) / std::max(1.0, std::fabs(e.obj));
    const double pv = pviol(model, r), dv = dviol(model, r);
    const bool good = r.status == LpStatus::Optimal && rel < 1e-6 && pv < 1e-6 && dv < 1e-6;
    ok += good;
    ++total;
    std::printf("%-10s %6d %8lld %10.2e %9.1e %9.1e %8.3f %8d %s\n", e.name.c_str(), model.a.m,
                static_cast<long long>(r.iterations), rel, pv, dv, secs, static_cast<int>(r.status),
                good ? "ok" : "FAIL");
    std::fflush(stdout);
  }
  std::printf("%d of %d solved, total time %.2f s\n", ok, total, total_time);
  return 0;
}
