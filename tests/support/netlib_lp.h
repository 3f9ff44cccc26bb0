// Loads a gzip MPS file of the benchmark collections into an LpModel.
// Header-only so that the benchmark programs can use it as well.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/mps_reader.h"
#include "frame/error.h"
#include "lpmodel/lpmodel.h"
#include "runtime/cfile.h"
#include "bench_dir.h"
#include "tavlo.h"

namespace tvl::lp::testing {

struct NetlibEntry {
  std::string name;
  int rows = 0, cols = 0, nonzeros = 0;
  double optimum = 0.0;
};

inline std::string netlib_dir() { return tvltest::collection_dir("netlib"); }

// Reads manifest.csv (name,rows,cols,nonzeros,integers,binaries,optimal_objective,class).
inline std::vector<NetlibEntry> netlib_manifest() {
  std::vector<NetlibEntry> out;
  std::ifstream in(netlib_dir() + "/manifest.csv");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream ss(line);
    std::string f[8];
    for (auto &x : f) std::getline(ss, x, ',');
    if (f[0].empty()) continue;
    out.push_back({f[0], std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), std::stod(f[6])});
  }
  return out;
}

// Row bounds from sense, rhs and range value (R rows: [rhs, rhs + r] for
// r >= 0, [rhs + r, rhs] otherwise).
inline void row_bounds(char sense, double rhs, double rng, double &lo, double &up) {
  lo = -kInfBound;
  up = kInfBound;
  switch (sense) {
    case 'L': up = rhs; break;
    case 'G': lo = rhs; break;
    case 'E': lo = up = rhs; break;
    default:
      if (rng >= 0) { lo = rhs; up = rhs + rng; } else { lo = rhs + rng; up = rhs; }
  }
}

// Returns false when the file cannot be read.
inline bool load_mps(const std::string &path, LpModel &lp, std::vector<std::string> *rownames = nullptr,
                     std::vector<std::string> *colnames = nullptr) {
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return false;
  FILE *fp = open_read_reported(env, path.c_str(), "r", nullptr, true, true, &st);
  ModelImage img;
  int rc = fp ? mps_read(env, fp, true, img) : -1;
  if (fp) cfile_close_read(path.c_str(), &fp);
  TVLcloseTAVLO(&env);
  if (rc != 0) return false;
  lp = LpModel{};
  lp.a.m = img.nrows;
  lp.a.n = img.ncols;
  lp.a.start.assign(img.matbeg.begin(), img.matbeg.end());
  lp.a.index.assign(img.matind.begin(), img.matind.end());
  lp.a.value.assign(img.matval.begin(), img.matval.end());
  lp.objsense = img.objsense;
  lp.cost.assign(img.obj.begin(), img.obj.end());
  lp.offset = img.objoffset;
  if (img.objsense < 0) {
    for (double &c : lp.cost) c = -c;
    lp.offset = -lp.offset;
  }
  lp.collo.assign(img.lb.begin(), img.lb.end());
  lp.colup.assign(img.ub.begin(), img.ub.end());
  lp.rowlo.resize(img.nrows);
  lp.rowup.resize(img.nrows);
  for (int32_t i = 0; i < img.nrows; ++i)
    row_bounds(img.sense[i], img.rhs[i], img.ranged() ? img.rngval[i] : 0.0, lp.rowlo[i], lp.rowup[i]);
  if (rownames && img.rownames.size() == img.nrows)
    for (int32_t i = 0; i < img.nrows; ++i) rownames->emplace_back(img.rownames.view(i));
  if (colnames && img.colnames.size() == img.ncols)
    for (int32_t j = 0; j < img.ncols; ++j) colnames->emplace_back(img.colnames.view(j));
  return true;
}

}  // namespace tvl::lp::testing
