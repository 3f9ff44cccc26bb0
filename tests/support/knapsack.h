// A small integer program the MIP tests solve and enumerate.
#pragma once

#include <gtest/gtest.h>

#include "support/api_session.h"

namespace tvltest {

// 5a + 4b + 3c over 2a + 3b + c <= 5, 4a + b + 2c <= 11, 3a + 4b + 2c <= 8,
// 3a + 2c <= 7 with a, b, c integer in [0, 10]; the LP optimum is
// fractional.  The tests compare with an exhaustive enumeration.
inline void load_knapsack(ApiSession &s, int sense = TVL_MAX) {
  const double obj[] = {5.0, 4.0, 3.0}, rhs[] = {5.0, 11.0, 8.0, 7.0};
  const char sen[] = {'L', 'L', 'L', 'L'};
  const int beg[] = {0, 4, 7}, cnt[] = {4, 3, 4};
  const int ind[] = {0, 1, 2, 3, 0, 1, 2, 0, 1, 2, 3};
  const double val[] = {2.0, 4.0, 3.0, 3.0, 3.0, 1.0, 4.0, 1.0, 2.0, 2.0, 2.0};
  const double lb[] = {0.0, 0.0, 0.0}, ub[] = {10.0, 10.0, 10.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 3, 4, sense, obj, rhs, sen, beg, cnt, ind, val, lb, ub, nullptr), 0);
  const char ctype[] = {'I', 'I', 'I'};
  ASSERT_EQ(TVLcopyctype(s.env, s.lp, ctype), 0);
}

}  // namespace tvltest
