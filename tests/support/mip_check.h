// Independent check of a MIP solution: the model is read again from its
// file into a fresh problem, and x is checked against its bounds, rows and
// column types.  Used by the MIP tests and by the MIP benchmark.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tavlo.h"

namespace tvltest {

// Largest violation of bounds, row ranges and integrality by x on the
// model in `file`; a negative value when the file cannot be read or x has
// the wrong length.
inline double mip_violation(const std::string &file, const std::vector<double> &x) {
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return -1.0;
  TVLLPptr lp = TVLcreateprob(env, &st, "check");
  double worst = -1.0;
  if (lp && TVLreadcopyprob(env, lp, file.c_str(), nullptr) == 0 &&
      TVLgetnumcols(env, lp) == static_cast<int>(x.size())) {
    const int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
    const size_t nn = static_cast<size_t>(n), mm = static_cast<size_t>(m);
    std::vector<double> lb(nn), ub(nn), rhs(mm), rng(mm, 0.0), act(mm, 0.0);
    std::vector<char> ctype(nn, 'C'), sense(mm);
    worst = 0.0;
    if (n > 0) {
      TVLgetlb(env, lp, lb.data(), 0, n - 1);
      TVLgetub(env, lp, ub.data(), 0, n - 1);
      if (TVLgetprobtype(env, lp) != TVLPROB_LP) TVLgetctype(env, lp, ctype.data(), 0, n - 1);
    }
    if (m > 0) {
      TVLgetrhs(env, lp, rhs.data(), 0, m - 1);
      TVLgetsense(env, lp, sense.data(), 0, m - 1);
      TVLgetrngval(env, lp, rng.data(), 0, m - 1);
    }
    for (int j = 0; j < n; ++j) {
      const size_t k = static_cast<size_t>(j);
      // Semi-continuous and semi-integer columns may also be 0.
      const bool off = (ctype[k] == 'S' || ctype[k] == 'N') && x[k] == 0.0;
      if (!off) worst = std::max({worst, lb[k] - x[k], x[k] - ub[k]});
      if (ctype[k] == 'B' || ctype[k] == 'I' || ctype[k] == 'N') worst = std::max(worst, std::fabs(x[k] - std::round(x[k])));
      int nz = 0, surplus = 0, beg = 0;
      TVLgetcols(env, lp, &nz, &beg, nullptr, nullptr, 0, &surplus, j, j);
      std::vector<int> ind(static_cast<size_t>(-surplus) + 1);
      std::vector<double> val(ind.size());
      TVLgetcols(env, lp, &nz, &beg, ind.data(), val.data(), static_cast<int>(ind.size()), &surplus, j, j);
      for (int t = 0; t < nz; ++t) act[static_cast<size_t>(ind[static_cast<size_t>(t)])] += val[static_cast<size_t>(t)] * x[k];
    }
    for (size_t i = 0; i < mm; ++i) {
      double lo = rhs[i], up = rhs[i];
      if (sense[i] == 'L') lo = -1e300;
      if (sense[i] == 'G') up = 1e300;
      if (sense[i] == 'R') {
        if (rng[i] >= 0) up = rhs[i] + rng[i];
        else lo = rhs[i] + rng[i];
      }
      worst = std::max({worst, lo - act[i], act[i] - up});
    }
  }
  if (lp) TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return worst;
}

}  // namespace tvltest
