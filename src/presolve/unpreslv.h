// Postsolve state and the undo driver: values and statuses of the original
// problem's rows and columns, filled from the reduced solution and completed
// by undoing the reductions in reverse order.
#pragma once

#include <cstdint>
#include <vector>

#include "presolve/presolve_stack.h"

namespace tvl::lp::pre {

inline constexpr int8_t kAtLower = 0, kBasic = 1, kAtUpper = 2, kFree = 3;

struct PostState {
  std::vector<double> x, pi, dj;
  std::vector<int8_t> colstat, rowstat;
};

// Undoes every step of the stack, last first.
void undo_all(const PostsolveStack &stack, PostState &st);

}  // namespace tvl::lp::pre
