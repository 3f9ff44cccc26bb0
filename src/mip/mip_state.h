// The MIP optimizer's record on a problem: what the last TVLmipopt left for
// the queries (incumbent record, best bound, counters of nodes, iterations
// and cuts, the last failed subproblem).  Created by the first MIP
// optimization of a problem, replaced by the next, freed with the
// problem's derived data when the model changes.
#pragma once

#include <array>
#include <cstdint>

#include "frame/infinity.h"
#include "frame/problem.h"

namespace tvl::mip {

inline constexpr int kCutTypes = 17;

// Incumbent record in internal (minimisation) form.
struct IncumbentRecord {
  double value = kNoValue;    // objective of the incumbent
  double cutoff = kNoValue;   // nodes whose bound reaches it are pruned
  int64_t node = -1;          // node where it was found
  int64_t updates = 0;        // incumbent updates in this run
  bool present() const { return value < kNoValue; }
};

struct MipRecord : DerivedState {
  IncumbentRecord incumbent;
  double best_bound = -kNoValue;   // internal form, the tracker's value at the end
  double global_bound = -kNoValue; // raised at the end of a search
  int objsense = 1;
  std::array<int64_t, kCutTypes> cuts{};
  int64_t extra_cover_cuts = 0, extra_user_cuts = 0;
  int64_t nodes = 0, aux_nodes = 0;
  int64_t nodes_left = 0;
  int64_t iterations = 0;
  int substat = 0, submethod = 0;
};

// The problem's record, or nullptr when no MIP optimization has run since
// the last change.
inline MipRecord *mip_record(const tvllp *lp) { return static_cast<MipRecord *>(lp->mipstate); }

// Best bound of a record in internal form: the larger of the stored global
// bound and the tracker's value.
inline double record_bound(const MipRecord &r) {
  return r.global_bound > r.best_bound ? r.global_bound : r.best_bound;
}

// Relative gap between incumbent z and bound b given in the user's form.
double relative_gap(int sense, double z, double b);

}  // namespace tvl::mip
