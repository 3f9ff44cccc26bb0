// Helpers of the LP file tests: an environment whose warning and error
// channels are captured, and parsing of LP text held in memory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/lpfiledata.h"
#include "files/lpread_diag.h"
#include "files/lpread_lex.h"
#include "files/lpread_parse.h"
#include "files/lpwrite_text.h"
#include "tavlo.h"

namespace lptest {

// Prints a model with the LP writer under the model's own names; the
// writer's status goes to *status when given.
inline std::string print_model(const tvl::LpFileModel &m, int *status = nullptr) {
  tvl::LpWriteNames n;
  n.cols = m.colnames;
  for (const auto &r : m.rows) n.rows.push_back(r.name);
  for (const auto &r : m.qconstrs) n.qconstrs.push_back(r.name);
  for (const auto &r : m.indicators) n.indicators.push_back(r.name);
  for (const auto &r : m.usercuts) n.usercuts.push_back(r.name);
  for (const auto &r : m.lazy) n.lazy.push_back(r.name);
  for (const auto &r : m.sos) n.sos.push_back(r.name);
  std::string out;
  int st = tvl::lp_format_model(m, n, [&](const std::string &s) { out += s; });
  if (status) *status = st;
  return out;
}

// A linear row of an LP file model.
inline tvl::LpFileRow make_row(const char *name, char sense, double rhs, std::vector<int> ind,
                               std::vector<double> val, double rng = 0) {
  tvl::LpFileRow r;
  r.name = name;
  r.sense = sense;
  r.rhs = rhs;
  r.rng = rng;
  r.ind = std::move(ind);
  r.val = std::move(val);
  return r;
}

struct CapturedEnv {
  TVLENVptr env = nullptr;
  std::string warnings, errors;

  CapturedEnv() {
    int st = 0;
    env = TVLopenTAVLO(&st);
    TVLCHANNELptr res = nullptr, warn = nullptr, err = nullptr, log = nullptr;
    TVLgetchannels(env, &res, &warn, &err, &log);
    TVLaddfuncdest(env, warn, &warnings, append);
    TVLaddfuncdest(env, err, &errors, append);
  }
  ~CapturedEnv() { TVLcloseTAVLO(&env); }
  CapturedEnv(const CapturedEnv &) = delete;
  CapturedEnv &operator=(const CapturedEnv &) = delete;

  void clear() {
    warnings.clear();
    errors.clear();
  }
  static void append(void *h, const char *text) { *static_cast<std::string *>(h) += text; }
};

// Parses LP text into a model.  Returns the parser's status (0 or negated).
inline int parse_text(CapturedEnv &ce, const std::string &text, tvl::LpFileModel &m) {
  FILE *f = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
  if (!text.size()) f = std::tmpfile();
  tvl::LpDiag diag(ce.env);
  tvl::LpLineReader lines(f, diag);
  tvl::LpTokenStream ts(lines, diag);
  tvl::LpParser parser(ts, diag, m);
  int st = parser.run();
  diag.finish();
  std::fclose(f);
  return st;
}

// Scratch file path for a test, unique to the process.
inline std::string temp_path(const std::string &leaf) {
  return "/tmp/tavlo_lptest_" + std::to_string(getpid()) + "_" + leaf;
}

inline std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void spit(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace lptest
