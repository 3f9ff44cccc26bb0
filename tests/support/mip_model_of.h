// A small MIP built through the C interface (dense rows, objective all
// ones, minimisation) and turned into the search's model; for tests of the
// MIP units that work on a MipModel.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "frame/problem.h"
#include "mip/mip_model.h"
#include "support/api_session.h"

namespace tvltest {

inline tvl::mip::MipModel mip_of(ApiSession &s, int m, int n, const std::vector<double> &dense, const char *sense,
                                 const std::vector<double> &rhs, const std::vector<double> &lb,
                                 const std::vector<double> &ub, const char *ctype) {
  std::vector<int> beg, cnt, ind;
  std::vector<double> val, obj(static_cast<size_t>(n), 1.0);
  for (int j = 0; j < n; ++j) {
    beg.push_back(static_cast<int>(ind.size()));
    for (int i = 0; i < m; ++i)
      if (const double v = dense[static_cast<size_t>(i * n + j)]; v != 0.0) ind.push_back(i), val.push_back(v);
    cnt.push_back(static_cast<int>(ind.size()) - beg.back());
  }
  EXPECT_EQ(TVLcopylp(s.env, s.lp, n, m, TVL_MIN, obj.data(), rhs.data(), sense, beg.data(), cnt.data(), ind.data(),
                      val.data(), lb.data(), ub.data(), nullptr),
            0);
  EXPECT_EQ(TVLcopyctype(s.env, s.lp, ctype), 0);
  tvl::mip::MipModel model;
  tvl::mip::build_mip_model(s.lp, model);
  return model;
}

}  // namespace tvltest
