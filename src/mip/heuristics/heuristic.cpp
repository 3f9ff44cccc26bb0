#include "mip/heuristics/heuristic.h"

#include <cmath>

namespace tvl::mip {

bool keep_if_feasible(const HeurInput &in, std::vector<double> x, Points &found) {
  if (x.size() != static_cast<size_t>(in.model->n())) return false;
  for (int32_t j : in.model->intcols) x[j] = std::round(x[j]);
  if (objective_of(*in.model, x) >= in.cutoff) return false;
  if (max_violation(*in.model, x) > kAcceptTol) return false;
  found.push_back(std::move(x));
  return true;
}

}  // namespace tvl::mip
