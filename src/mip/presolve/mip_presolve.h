// MIP presolve: the reductions run in turn on a copy of the MIP, the
// search runs on the result, and the incumbent is mapped back to the
// columns of the problem as the user gave it.
//
// Order: bound tightening from row activities, the integrality-keeping
// LP reductions, bound tightening again on what is left (cheap, and the
// LP reductions often leave rows whose activities now bind).  Bound
// tightening counts as a primal reduction; the LP reductions follow
// TVL_PARAM_REDUCE as for an LP.  TVL_PARAM_PREIND 0 runs none.
//
// Postsolve undoes the column-changing steps last to first.  Rounding in
// the search and arithmetic in the undo steps can leave the mapped point a
// little outside a row; when its violation of the original model exceeds
// the feasibility tolerance, the integer columns are fixed at their values
// and an LP over the original model's continuous columns repairs it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "mip/mip_model.h"
#include "mip/presolve/mip_reduction.h"

namespace tvl::mip {

// MIP status of a run that presolve ended with `presolve_status`.
int presolve_verdict(int presolve_status);

class MipPresolve {
 public:
  MipPresolve(tvlenv *env, const tvllp *lp);
  ~MipPresolve();
  // Reduces `original`; returns 0 or the presolve status that ends the run
  // (1117, 1101, 1118, 1106, 1123, 9025).  Prints the presolve lines.
  int run(const MipModel &original);
  // The model the search solves (the original when nothing was reduced).
  const MipModel &model() const { return model_; }
  bool reduced() const { return !steps_.empty() || tightened_; }
  bool dual_used() const { return dual_used_; }
  // Original column of a column of model().
  int32_t original_col(int32_t j) const { return colmap_[j]; }
  // x of the original model -> x of model(): the kept columns keep their
  // values (for MIP starts); the result may break reduced rows or bounds
  // when x relied on columns that dual reductions fixed.
  std::vector<double> crush(const std::vector<double> &x) const;
  // x of model() -> x of the original model, repaired when needed; empty
  // when the steps cannot map it.
  std::vector<double> postsolve(const std::vector<double> &x) const;

 private:
  std::function<std::string(int32_t)> colname() const;
  std::function<std::string(int32_t)> rowname() const;

  tvlenv *env_;
  const tvllp *lp_;
  const MipModel *original_ = nullptr;
  MipModel model_;
  std::vector<std::unique_ptr<PostStep>> steps_;
  std::vector<int32_t> colmap_, rowmap_;
  bool dual_used_ = false, tightened_ = false;
};

}  // namespace tvl::mip
