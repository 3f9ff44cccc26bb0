// Helpers of the LP file tests: an environment whose warning and error
// channels are captured, and parsing of LP text held in memory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "files/lpfiledata.h"
#include "files/lpread_diag.h"
#include "files/lpread_lex.h"
#include "files/lpread_parse.h"
#include "tavlo.h"

namespace lptest {

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
