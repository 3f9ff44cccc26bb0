// Shared fixture of the problem tests: an environment whose error and
// warning channels are captured, one problem, a small loaded LP and a
// snapshot of everything the queries return (to prove that refused calls
// leave the problem unchanged).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavlo.h"

namespace probtest {

struct Snapshot {
  int type = 0, rows = 0, cols = 0, nz = 0, objsen = 0;
  std::vector<double> obj, lb, ub, rhs, rngval, val;
  std::vector<int> beg, ind;
  std::string sense, rownames, colnames;
  bool operator==(const Snapshot &) const = default;
};

class ProblemTest : public ::testing::Test {
 protected:
  TVLENVptr env = nullptr;
  TVLLPptr lp = nullptr;
  std::vector<std::string> errors, warnings;

  static void on_error(void *h, const char *m) { static_cast<ProblemTest *>(h)->errors.emplace_back(m); }
  static void on_warning(void *h, const char *m) { static_cast<ProblemTest *>(h)->warnings.emplace_back(m); }

  void SetUp() override {
    int st = -1;
    env = TVLopenTAVLO(&st);
    ASSERT_EQ(st, 0);
    TVLCHANNELptr w = nullptr, e = nullptr;
    TVLgetchannels(env, nullptr, &w, &e, nullptr);
    TVLaddfuncdest(env, e, this, on_error);
    TVLaddfuncdest(env, w, this, on_warning);
    lp = TVLcreateprob(env, &st, "test");
    ASSERT_EQ(st, 0);
  }
  void TearDown() override {
    if (lp) TVLfreeprob(env, &lp);
    TVLcloseTAVLO(&env);
  }

  void datacheck(int on) { ASSERT_EQ(TVLsetintparam(env, TVL_PARAM_DATACHECK, on), 0); }
  std::string error_text() const {
    std::string s;
    for (const auto &l : errors) s += l;
    return s;
  }
  std::string take_errors() {
    std::string s = error_text();
    errors.clear();
    return s;
  }

  // 3 rows x 4 columns:
  //   r0:  x0 + 2 x1            <= 10
  //   r1:       3 x1 + 4 x2     >= 2
  //   r2: 5 x0           + 6 x3  = 7
  void load_small(bool names = false) {
    double obj[] = {1, 2, 3, 4}, lb[] = {0, 0, 0, 0}, ub[] = {10, 20, 30, 1e20};
    double rhs[] = {10, 2, 7};
    char sense[] = {'L', 'G', 'E'};
    int beg[] = {0, 2, 4, 5}, cnt[] = {2, 2, 1, 1}, ind[] = {0, 2, 0, 1, 1, 2};
    double val[] = {1, 5, 2, 3, 4, 6};
    char *cn[] = {(char *)"a", (char *)"b", (char *)"c", (char *)"d"};
    char *rn[] = {(char *)"r0", (char *)"r1", (char *)"r2"};
    ASSERT_EQ(TVLcopylpwnames(env, lp, 4, 3, 1, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr,
                              names ? cn : nullptr, names ? rn : nullptr),
              0);
  }

  // Dense value of entry (i, j) through TVLgetcoef.
  double coef(int i, int j) {
    double v = -999;
    EXPECT_EQ(TVLgetcoef(env, lp, i, j, &v), 0);
    return v;
  }

  std::vector<std::string> names(bool rows) {
    int n = rows ? TVLgetnumrows(env, lp) : TVLgetnumcols(env, lp);
    std::vector<std::string> out;
    if (n == 0) return out;
    int surplus = 0;
    int st = rows ? TVLgetrowname(env, lp, nullptr, nullptr, 0, &surplus, 0, n - 1)
                  : TVLgetcolname(env, lp, nullptr, nullptr, 0, &surplus, 0, n - 1);
    if (st == TVLERR_NO_NAMES_EXIST) {
      errors.pop_back();
      return out;
    }
    std::vector<char> store(-surplus);
    std::vector<char *> ptr(n);
    st = rows ? TVLgetrowname(env, lp, ptr.data(), store.data(), -surplus, &surplus, 0, n - 1)
              : TVLgetcolname(env, lp, ptr.data(), store.data(), -surplus, &surplus, 0, n - 1);
    EXPECT_EQ(st, 0);
    for (char *p : ptr) out.emplace_back(p);
    return out;
  }

  Snapshot snapshot() {
    Snapshot s;
    s.type = TVLgetprobtype(env, lp);
    s.rows = TVLgetnumrows(env, lp);
    s.cols = TVLgetnumcols(env, lp);
    s.nz = TVLgetnumnz(env, lp);
    s.objsen = TVLgetobjsen(env, lp);
    s.obj.resize(s.cols), s.lb.resize(s.cols), s.ub.resize(s.cols);
    s.rhs.resize(s.rows), s.rngval.resize(s.rows), s.sense.resize(s.rows);
    if (s.cols) {
      TVLgetobj(env, lp, s.obj.data(), 0, s.cols - 1);
      TVLgetlb(env, lp, s.lb.data(), 0, s.cols - 1);
      TVLgetub(env, lp, s.ub.data(), 0, s.cols - 1);
      s.beg.resize(s.cols), s.ind.resize(s.nz + 1), s.val.resize(s.nz + 1);
      int nz = 0, surplus = 0;
      EXPECT_EQ(TVLgetcols(env, lp, &nz, s.beg.data(), s.ind.data(), s.val.data(), s.nz + 1, &surplus, 0,
                           s.cols - 1),
                0);
    }
    if (s.rows) {
      TVLgetrhs(env, lp, s.rhs.data(), 0, s.rows - 1);
      TVLgetrngval(env, lp, s.rngval.data(), 0, s.rows - 1);
      TVLgetsense(env, lp, s.sense.data(), 0, s.rows - 1);
    }
    for (const auto &n : names(true)) s.rownames += n + ",";
    for (const auto &n : names(false)) s.colnames += n + ",";
    return s;
  }
};

}  // namespace probtest
