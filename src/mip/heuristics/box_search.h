// Boxed search for models with integer columns that lack a bound.
//
// Branch and bound over an integer column without a bound can follow a ray
// of the relaxation for ever: each branch moves the fractional value one
// step along the ray (0.9 s + a - t = 0 over free integers a and t keeps one
// of them fractional at every depth), and the search never meets an
// integer point that lies a few steps aside.  When the root ends without
// an incumbent and some integer column misses a bound, this heuristic
// searches a copy of the model in which every such missing side becomes a
// finite one around the root LP value (10 and then 1000 times the value's
// magnitude, at least 10 and 1000 units), as a sub-MIP with the usual node
// limit; a point found there is a point of the model.  A model without
// objective is first searched whole under a cost that pulls each integer
// column with one infinite side towards its finite one (the elastic idea
// of J. W. Chinneck, "Feasibility and Infeasibility in Optimization",
// Springer 2008): with a flat objective the relaxation's vertices are left
// to chance, out along its rays, and the pull is bounded below.
//
// This is a restriction heuristic of the kind of RINS (see rins.h): a
// finite neighbourhood instead of fixings, searched exactly.
#pragma once

#include "mip/heuristics/heuristic.h"
#include "mip/heuristics/rins.h"

namespace tvl::mip {

// Half-widths of the boxes tried in turn, as multiples of max(1, |centre|);
// the conflict refiner's tests box relaxed columns the same way.
inline constexpr double kBoxWidths[] = {10.0, 1000.0};
// The finite lower / upper side a box of `width` gives around `centre`.
double box_lower(double centre, double width);
double box_upper(double centre, double width);

class BoxSearch : public Heuristic {
 public:
  BoxSearch(SubMipSearch search, int64_t node_limit) : search_(std::move(search)), node_limit_(node_limit) {}
  const char *name() const override { return "box search"; }
  // Whether the model has an integer column with an infinite side.
  static bool wanted(const MipModel &model);
  void run(HeurInput &in, Points &found) override;

 private:
  SubMipSearch search_;
  int64_t node_limit_;
};

}  // namespace tvl::mip
