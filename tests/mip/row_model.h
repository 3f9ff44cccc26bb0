// A small MIP model written row by row, for the tests of the units that
// read rows (separators, probing).
#pragma once

#include <cstdint>
#include <vector>

#include "mip/mip_model.h"

namespace tvltest {

// min cost'x subject to rlo <= A x <= rup (A given row-wise, zeros left
// out), 0 <= x <= colup; `integer` marks the integer columns (empty: all).
inline tvl::mip::MipModel row_model(const std::vector<std::vector<double>> &rows, const std::vector<double> &rlo,
                                    const std::vector<double> &rup, const std::vector<double> &cost,
                                    const std::vector<double> &colup, std::vector<char> integer = {}) {
  tvl::mip::MipModel m;
  const int32_t n = static_cast<int32_t>(colup.size()), nr = static_cast<int32_t>(rows.size());
  m.lp.a.m = nr;
  m.lp.a.n = n;
  m.lp.a.start.push_back(0);
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t i = 0; i < nr; ++i) {
      const double v = rows[static_cast<size_t>(i)][static_cast<size_t>(j)];
      if (v == 0.0) continue;
      m.lp.a.index.push_back(i);
      m.lp.a.value.push_back(v);
    }
    m.lp.a.start.push_back(static_cast<int32_t>(m.lp.a.index.size()));
  }
  m.lp.cost = cost;
  m.lp.collo.assign(static_cast<size_t>(n), 0.0);
  m.lp.colup = colup;
  m.lp.rowlo = rlo;
  m.lp.rowup = rup;
  m.integer = integer.empty() ? std::vector<char>(static_cast<size_t>(n), 1) : std::move(integer);
  m.user_cols = n;
  tvl::mip::complete_mip_model(m);
  return m;
}

}  // namespace tvltest
