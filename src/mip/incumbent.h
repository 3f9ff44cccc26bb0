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
#include <functional>
#include <vector>

#include "mip/mip_model.h"
#include "mip/mip_state.h"

namespace tvl::mip {

struct CutoffSettings {
  double objdif = 0.0, relobjdif = 0.0;
  double granularity = 0.0, offset = 0.0;
  double user_cutoff = kNoValue;  // TVL_PARAM_CUTUP / CUTLO in internal form
  // Populate switches: with cutoff pruning off, nodes are cut off only in
  // enumeration, against the pool cutoff of the pool gaps (relative and
  // absolute, 1e75 or more: none).
  bool cutoff_pruning = true;
  bool enumerate = false;
  double pool_relgap = kNoValue, pool_absgap = kNoValue;
};

// Pool gap of incumbent z: min(absgap, relgap * |z|), the gaps of 1e75
// or more left out (kNoValue when both are).
double pool_gap(double relgap, double absgap, double z);

// Pool cutoff of incumbent z: z + pool_gap (kNoValue without one), raised
// by 1e-10 * max(1, |result|) so that a solution exactly at it is kept.
double pool_cutoff(const CutoffSettings &s, double z);

// Receives every integer-feasible solution offered to the incumbent,
// improving or not (x in the model's columns, internal objective); true
// when it kept the solution (the pool stored it).
using SolutionSink = std::function<bool(const std::vector<double> &x, double objective)>;

// Pruning cutoff for a new incumbent value v.
double pruning_cutoff(const CutoffSettings &s, double v);

class Incumbent {
 public:
  Incumbent(IncumbentRecord &record, const CutoffSettings &settings);
  // Offers a candidate with internal objective v to the sink and then as
  // incumbent; true when it became the incumbent.
  bool offer(const std::vector<double> &x, double v, int64_t node);
  // Takes over another incumbent's record, cutoff and point (a worker of a
  // parallel search starts each round from the shared incumbent); the
  // sink stays.
  void adopt(const Incumbent &other);
  void set_sink(SolutionSink sink) { sink_ = std::move(sink); }
  bool has_sink() const { return static_cast<bool>(sink_); }
  // Solutions the sink kept in this search.
  int64_t sink_kept() const { return sink_kept_; }
  bool present() const { return record_.present(); }
  double value() const { return record_.value; }
  // Cutoff against which nodes are pruned (also without an incumbent, when
  // the user gave one).
  double cutoff() const { return cutoff_; }
  // Whether a node with this bound can be discarded: against the pruning
  // cutoff, or in enumeration against the pool cutoff.
  bool prunes(double bound) const;
  const std::vector<double> &x() const { return x_; }
  const IncumbentRecord &record() const { return record_; }

 private:
  IncumbentRecord &record_;
  CutoffSettings settings_;
  double cutoff_;
  std::vector<double> x_;
  SolutionSink sink_;
  int64_t sink_kept_ = 0;
};

}  // namespace tvl::mip
