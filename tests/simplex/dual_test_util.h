// Helpers of the dual simplex tests: Netlib access and solution checks on
// the unscaled model.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "lpmodel/lpmodel.h"
#include "../support/netlib_model.h"
#include "support/bench_dir.h"

namespace tvl::lp::testing {

inline std::string netlib_dir() { return tvltest::collection_dir("netlib"); }

// Optimal objective from the manifest, NaN when the instance is not listed.
inline double netlib_optimum(const std::string &name) {
  std::ifstream f(netlib_dir() + "/manifest.csv");
  std::string line;
  while (std::getline(f, line)) {
    std::stringstream ss(line);
    std::string cell, first;
    std::getline(ss, first, ',');
    if (first != name) continue;
    for (int k = 1; k < 7; ++k) std::getline(ss, cell, ',');
    return std::stod(cell);
  }
  return NAN;
}

inline bool load_netlib(const std::string &name, LpModel &model) {
  return read_model_file(netlib_dir() + "/" + name + ".mps.gz", model);
}

inline double primal_violation(const LpModel &m, const LpResult &r) {
  double w = 0.0;
  for (int j = 0; j < m.a.n; ++j) w = std::max({w, m.collo[j] - r.x[j], r.x[j] - m.colup[j]});
  for (int i = 0; i < m.a.m; ++i) w = std::max({w, m.rowlo[i] - r.rowact[i], r.rowact[i] - m.rowup[i]});
  // Row activities must be A x.
  std::vector<double> act(m.a.m, 0.0);
  for (int j = 0; j < m.a.n; ++j)
    for (int k = m.a.start[j]; k < m.a.start[j + 1]; ++k) act[m.a.index[k]] += m.a.value[k] * r.x[j];
  for (int i = 0; i < m.a.m; ++i) w = std::max(w, std::fabs(act[i] - r.rowact[i]));
  return w;
}

// Sign violations of the reduced costs and row duals for their basis
// statuses, and consistency of dj with cost - A'pi.
inline double dual_violation(const LpModel &m, const LpResult &r) {
  double w = 0.0;
  auto chk = [&](double d, double lo, double up, int s) {
    if (s == 1) { w = std::max(w, std::fabs(d)); return; }
    if (lo == up) return;
    if (lo <= -kInfBound && up >= kInfBound) { w = std::max(w, std::fabs(d)); return; }
    if (s == 0 || up >= kInfBound) w = std::max(w, -d);
    if (s == 2 || lo <= -kInfBound) w = std::max(w, d);
  };
  for (int j = 0; j < m.a.n; ++j) chk(r.dj[j], m.collo[j], m.colup[j], r.basis.colstat[j]);
  for (int i = 0; i < m.a.m; ++i) chk(r.pi[i], m.rowlo[i], m.rowup[i], r.basis.rowstat[i]);
  for (int j = 0; j < m.a.n; ++j) {
    double d = m.cost[j];
    for (int k = m.a.start[j]; k < m.a.start[j + 1]; ++k) d -= m.a.value[k] * r.pi[m.a.index[k]];
    w = std::max(w, std::fabs(d - r.dj[j]) / (1.0 + std::fabs(m.cost[j])));
  }
  return w;
}

// The model with the row  cost'x <= optimum - 1%  appended (the objective
// offset taken out): an instance with that optimum has no feasible point
// left.
inline LpModel with_objective_cut(const LpModel &model, double optimum) {
  const int m = model.a.m, n = model.a.n;
  LpModel cut = model;
  cut.a.m = m + 1;
  cut.a.index.clear();
  cut.a.value.clear();
  for (int j = 0; j < n; ++j) {
    for (int k = model.a.start[j]; k < model.a.start[j + 1]; ++k) {
      cut.a.index.push_back(model.a.index[k]);
      cut.a.value.push_back(model.a.value[k]);
    }
    if (model.cost[j] != 0.0) {
      cut.a.index.push_back(m);
      cut.a.value.push_back(model.cost[j]);
    }
    cut.a.start[j + 1] = static_cast<int32_t>(cut.a.index.size());
  }
  cut.rowlo.push_back(-kInfBound);
  cut.rowup.push_back(optimum - model.offset - 0.01 * std::max(1.0, std::fabs(optimum)));
  return cut;
}

// Builds a small model from dense rows.
inline LpModel dense_model(int m, int n, const std::vector<double> &rows, std::vector<double> cost,
                           std::vector<double> collo, std::vector<double> colup,
                           std::vector<double> rowlo, std::vector<double> rowup) {
  LpModel model;
  model.a.m = m;
  model.a.n = n;
  model.a.start.assign(n + 1, 0);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i) {
      const double v = rows[static_cast<size_t>(i) * n + j];
      if (v == 0.0) continue;
      model.a.index.push_back(i);
      model.a.value.push_back(v);
    }
    model.a.start[j + 1] = static_cast<int32_t>(model.a.index.size());
  }
  model.cost = std::move(cost);
  model.collo = std::move(collo);
  model.colup = std::move(colup);
  model.rowlo = std::move(rowlo);
  model.rowup = std::move(rowup);
  return model;
}

// Control with the log off and the given pricing rule.
inline SimplexControl quiet(int pricing = 0) {
  SimplexControl ctl;
  ctl.display = 0;
  ctl.pricing = pricing;
  return ctl;
}

// min  x0 - 2 x1 + x2 + 3 x3   with x0 free, x1 in [0, 4], x2 fixed at 1,
// x3 <= 2 (no lower bound); rows: ranged, equality, >= and <=.
inline LpModel mixed_bounds_model() {
  return dense_model(4, 4,
                     {1, 1, 0, 1,    //  -1 <= x0 + x1 + x3 <= 3
                      1, -1, 1, 0,   //  x0 - x1 + x2 = 0
                      0, 1, 1, -1,   //  x1 + x2 - x3 >= -2
                      1, 0, 0, 2},   //  x0 + 2 x3 <= 5
                     {1, -2, 1, 3}, {-kInfBound, 0, 1, -kInfBound}, {kInfBound, 4, 1, 2},
                     {-1, 0, -2, -kInfBound}, {3, 0, kInfBound, 5});
}

}  // namespace tvl::lp::testing
