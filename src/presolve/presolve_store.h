// The presolved copy a problem keeps between optimizer calls: the reduced
// LP with its postsolve stack, the final basis of the reduced LP from the
// last solve, and the presolve settings it was built with.  Any change of
// the problem's data discards it (frame/derived.cpp); a later call with the
// same settings solves the stored reduced LP again instead of presolving.
#pragma once

#include <array>

#include "frame/problem.h"
#include "presolve/presolve.h"

namespace tvl {

struct PresolveData : DerivedState {
  lp::PresolvedLp pre;
  lp::PresolveOutcome outcome;
  lp::Basis basis;             // final basis of pre.reduced (empty before a solve)
  std::array<double, 9> key{};  // settings that shaped the reduced LP
};

// The problem's presolved copy, or null.
inline PresolveData *presolve_data(const tvllp *lp) { return static_cast<PresolveData *>(lp->presolve); }

}  // namespace tvl
