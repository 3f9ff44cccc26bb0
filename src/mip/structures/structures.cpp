#include "mip/structures/structures.h"

#include <algorithm>

namespace tvl::mip {

void add_special_structures(const tvllp *lp, MipModel &model) {
  read_semicont(lp, model);
  read_sos(lp, model);
  read_indicators(lp, model);
}

double special_violation(const MipModel &model, const std::vector<double> &x) {
  return std::max({semicont_violation(model, x), sos_violation(model, x), indicator_violation(model, x)});
}

bool find_special_branch(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, double epint,
                         SpecialBranch &out) {
  out = SpecialBranch{};
  return branch_semicont(model, lp, x, out) || branch_sos(model, lp, x, out) ||
         branch_indicator(model, lp, x, epint, out);
}

bool restrict_col(const NodeLp &lp, int32_t j, double lo, double up, std::vector<BoundChange> &changes) {
  lo = std::max(lo, lp.lower(j));
  up = std::min(up, lp.upper(j));
  if (lo > up) return false;
  changes.push_back({j, lo, up});
  return true;
}

}  // namespace tvl::mip
