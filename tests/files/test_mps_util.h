// Helpers shared by the model-file tests: an environment whose error and
// warning channels are captured, and access to the bench instances.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/bench_dir.h"
#include "support/gunzip.h"
#include "tavlo.h"

namespace filetest {

struct Capture {
  std::string text;
  static void fn(void *handle, const char *msg) { static_cast<Capture *>(handle)->text += msg; }
};

// Environment with captured error and warning channels.
struct Env {
  TVLENVptr env = nullptr;
  Capture err, warn;
  Env() {
    int st = -1;
    env = TVLopenTAVLO(&st);
    EXPECT_EQ(st, 0);
    TVLCHANNELptr res, wrn, er, log;
    TVLgetchannels(env, &res, &wrn, &er, &log);
    TVLaddfuncdest(env, er, &err, Capture::fn);
    TVLaddfuncdest(env, wrn, &warn, Capture::fn);
  }
  ~Env() {
    if (env) TVLcloseTAVLO(&env);
  }
  void clear() { err.text.clear(), warn.text.clear(); }
};

inline std::string bench_dir() { return tvltest::bench_dir(); }

using tvltest::gunzip;

inline bool file_exists(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace filetest
