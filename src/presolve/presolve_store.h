// The presolved copy a problem keeps between optimizer calls: the reduced
// LP with its postsolve stack, the final basis of the reduced LP from the
// last solve, and the presolve settings it was built with.  Any change of
// the problem's data discards it (frame/derived.cpp); a later call with the
// same settings solves the stored reduced LP again instead of presolving.
#pragma once

#include <array>

#include "presolve/presolve.h"

namespace tvl {

struct PresolveData {
  lp::PresolvedLp pre;
  lp::PresolveOutcome outcome;
  lp::Basis basis;             // final basis of pre.reduced (empty before a solve)
  std::array<double, 9> key{};  // settings that shaped the reduced LP
};

// Frees the problem's presolved copy (nullptr is fine).
void presolve_data_free(PresolveData *&data);

}  // namespace tvl
