// The constraint matrix of a model file, read through the library's own
// reader, for the basis-factor tests and benchmark.
#pragma once

#include <string>

#include "factor/factor.h"
#include "../support/netlib_model.h"

namespace lutest {

inline bool read_matrix_file(const std::string &path, tvl::lp::CscMatrix &a) {
  tvl::lp::LpModel model;
  if (!tvl::lp::testing::read_model_file(path, model)) return false;
  a = std::move(model.a);
  return true;
}

}  // namespace lutest
