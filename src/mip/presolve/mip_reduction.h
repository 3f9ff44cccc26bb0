// One MIP presolve reduction behind a small interface.  A reduction works
// on the MipModel in place (relaxation, integer marks); one that changes
// the column space hands back a step that maps solutions of the reduced
// model to the model it started from.  Reductions that only tighten bounds
// need no step: every solution of the tighter model solves the looser one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mip/mip_model.h"

namespace tvl::mip {

class PostStep {
 public:
  virtual ~PostStep() = default;
  // x of the model after the reduction -> x of the model before it.
  virtual std::vector<double> undo(const std::vector<double> &x) const = 0;
  // Column of the model before the reduction for each column after it.
  virtual const std::vector<int32_t> &colmap() const = 0;
  // Row of the model before the reduction for each row after it.
  virtual const std::vector<int32_t> &rowmap() const = 0;
};

struct ReductionOutcome {
  // 0, or a presolve status: 1117 infeasible, 1101 infeasible or
  // unbounded, 1118 unbounded, 1106 / 1123 / 9025 stopped.
  int status = 0;
  bool changed = false;
  bool dual_used = false;           // relied on optimality, not only feasibility
  std::unique_ptr<PostStep> step;   // set when the column space changed
};

class MipReduction {
 public:
  virtual ~MipReduction() = default;
  virtual ReductionOutcome apply(MipModel &model) = 0;
};

// A reduction that tells why it proved the model infeasible: its message
// goes to `report` (may be empty), naming rows and columns by the name
// functions (default names c<i+1> and x<j+1> without them).
class ReportingReduction : public MipReduction {
 public:
  explicit ReportingReduction(std::function<void(const std::string &)> report) : report_(std::move(report)) {}
  // Names of the rows and columns of the model the next apply() sees.
  void set_names(std::function<std::string(int32_t)> rowname, std::function<std::string(int32_t)> colname) {
    rowname_ = std::move(rowname);
    colname_ = std::move(colname);
  }

 protected:
  void say(const std::string &text) const {
    if (report_) report_(text);
  }
  std::string row_name(int32_t i) const { return rowname_ ? rowname_(i) : "c" + std::to_string(i + 1); }
  std::string col_name(int32_t j) const { return colname_ ? colname_(j) : "x" + std::to_string(j + 1); }

 private:
  std::function<void(const std::string &)> report_;
  std::function<std::string(int32_t)> rowname_, colname_;
};

}  // namespace tvl::mip
