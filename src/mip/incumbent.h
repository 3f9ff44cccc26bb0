// The incumbent: the best integer-feasible solution found so far and the
// pruning cutoff derived from it.
//
// Cutoff rule for a new incumbent value v (internal form): k = v - OBJDIF
// when |OBJDIF| > 1e-10, else v - RELOBJDIF * |v| when RELOBJDIF > 1e-10,
// else v - |1e-10 v|; with an objective granularity g (offset o) k is
// lowered to the next achievable value below v, o + g * (ceil((k - o) / g
// - 1e-13) - 1).  Since a node whose bound equals that value may still hold
// a solution of exactly that value, nodes are pruned when their bound lies
// above k by a margin (the test `prunes`): relative 1e-6, at most half the
// step, with a granularity; relative 1e-9 without.
#pragma once

#include <cstdint>
#include <vector>

#include "mip/mip_model.h"
#include "mip/mip_state.h"

namespace tvl::mip {

struct CutoffSettings {
  double objdif = 0.0, relobjdif = 0.0;
  double granularity = 0.0, offset = 0.0;
  double user_cutoff = kNoValue;  // TVL_PARAM_CUTUP / CUTLO in internal form
};

// Pruning cutoff for a new incumbent value v.
double pruning_cutoff(const CutoffSettings &s, double v);

class Incumbent {
 public:
  Incumbent(IncumbentRecord &record, const CutoffSettings &settings);
  // Offers a candidate with internal objective v; true when it became the
  // incumbent.
  bool offer(const std::vector<double> &x, double v, int64_t node);
  bool present() const { return record_.present(); }
  double value() const { return record_.value; }
  // Cutoff against which nodes are pruned (also without an incumbent, when
  // the user gave one).
  double cutoff() const { return cutoff_; }
  // Whether a node with this bound can be discarded.
  bool prunes(double bound) const;
  const std::vector<double> &x() const { return x_; }
  const IncumbentRecord &record() const { return record_; }

 private:
  IncumbentRecord &record_;
  CutoffSettings settings_;
  double cutoff_;
  std::vector<double> x_;
};

}  // namespace tvl::mip
