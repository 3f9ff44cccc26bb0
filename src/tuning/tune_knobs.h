// The settings the tuner tries: for each problem kind, an ordered list of
// integer parameters with the values worth trying besides the default.
//
// Only parameters that the optimizers read are listed, and only values
// that make them behave differently.  LPs: the method (primal, dual,
// concurrent), dual and primal pricing, presolve off, scaling, and
// presolve's choice to solve the dual.  MIPs: branching variable choice,
// node selection, the feasibility emphasis (fewer cut rounds), the cut
// rounds and the cut families (off or aggressive), branching direction,
// the heuristics' frequency, RINS and the feasibility pump, and MIP
// presolve off.  The order puts the settings that change the most first,
// so that the later ones are tried against an already improved incumbent.
#pragma once

#include <vector>

namespace tvl::tuning {

struct Knob {
  int param;
  std::vector<int> values;  // values tried, in this order
};

// The knobs for a MIP (true) or a continuous problem (false).
const std::vector<Knob> &knobs_for(bool mip);

}  // namespace tvl::tuning
