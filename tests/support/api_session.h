// An environment and one problem for tests that go through the C
// interface, with the error and log channels collected into strings.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bench_dir.h"
#include "tavlo.h"

namespace tvltest {

inline void collect_text(void *handle, const char *msg) { *static_cast<std::string *>(handle) += msg; }

struct ApiSession {
  TVLENVptr env = nullptr;
  TVLLPptr lp = nullptr;
  std::string log, errors;

  explicit ApiSession(const char *name) {
    int st = 0;
    env = TVLopenTAVLO(&st);
    TVLCHANNELptr errc = nullptr, logc = nullptr;
    TVLgetchannels(env, nullptr, nullptr, &errc, &logc);
    TVLaddfuncdest(env, errc, &errors, collect_text);
    TVLaddfuncdest(env, logc, &log, collect_text);
    lp = TVLcreateprob(env, &st, name);
  }
  ~ApiSession() {
    TVLfreeprob(env, &lp);
    TVLcloseTAVLO(&env);
  }
  ApiSession(const ApiSession &) = delete;
  ApiSession &operator=(const ApiSession &) = delete;

  // Reads a Netlib instance (the collection beside the checkout or the
  // bundled subset); returns the status of TVLreadcopyprob.
  int read_netlib(const std::string &name) {
    return TVLreadcopyprob(env, lp, instance_path("netlib", name).c_str(), nullptr);
  }
  // Reads a MIPLIB instance the same way; returns the file's path.
  std::string read_miplib(const std::string &name) {
    const std::string file = instance_path("miplib", name);
    EXPECT_EQ(TVLreadcopyprob(env, lp, file.c_str(), nullptr), 0) << file;
    return file;
  }
  // Collects the results channel (node log, MIP summaries) into `text`.
  void collect_results(std::string &text) {
    TVLCHANNELptr results = nullptr;
    TVLgetchannels(env, &results, nullptr, nullptr, nullptr);
    TVLaddfuncdest(env, results, &text, collect_text);
  }
  void set(int param, int value) { ASSERT_EQ(TVLsetintparam(env, param, value), 0); }

  // max 3x + 2y  s.t.  r0: x + y <= 4,  r1: x + 3y <= 7,  0 <= x <= 3, y >= 0.
  // Optimum x = 3 (at its upper bound), y = 1, objective 11; r0 tight with
  // dual 2.  Returns the status of TVLcopylp.
  int load_small() {
    const double obj[] = {3.0, 2.0}, rhs[] = {4.0, 7.0}, lb[] = {0.0, 0.0}, ub[] = {3.0, 1e20};
    const char sense[] = {'L', 'L'};
    const int beg[] = {0, 2}, cnt[] = {2, 2}, ind[] = {0, 1, 0, 1};
    const double val[] = {1.0, 1.0, 1.0, 3.0};
    return TVLcopylp(env, lp, 2, 2, TVL_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr);
  }
};

// MIP starts begin..end of a problem as TVLgetmipstarts lists them.
struct StartList {
  int status = 0;
  std::vector<int> beg, ind, effort;
  std::vector<double> val;
};

// Asks for the size first, then for the entries.
inline StartList get_mipstarts(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  StartList s;
  int nz = 0, surplus = 0;
  s.status = TVLgetmipstarts(env, lp, &nz, nullptr, nullptr, nullptr, nullptr, 0, &surplus, begin, end);
  if (s.status != 0 && s.status != 1207) return s;  // 1207 with space 0: surplus is minus the size
  const int count = end - begin + 1, space = -surplus;
  s.beg.resize(count);
  s.effort.resize(count);
  s.ind.resize(space);
  s.val.resize(space);
  s.status = TVLgetmipstarts(env, lp, &nz, s.beg.data(), s.ind.data(), s.val.data(), s.effort.data(), space,
                             &surplus, begin, end);
  return s;
}

}  // namespace tvltest
