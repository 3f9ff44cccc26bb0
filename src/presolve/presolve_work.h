// Working copy of an LP while presolve reduces it: a sparse matrix held as
// entries linked both along rows and along columns, so that either view can
// be walked and entries removed or added in constant time, plus bounds,
// costs, activity marks and the postsolve stack the reductions write to.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "presolve/presolve_stack.h"

namespace tvl::lp::pre {

inline bool finite_value(double v) { return std::isfinite(v); }

// Message and failure state shared by the reductions.
struct PresolveIssue {
  int status = 0;          // 0 or the presolve status that ends the run
  std::string message;     // text for the log (empty: none)
};

// Row activity range over the column bounds: finite parts and the number of
// infinite contributions on each side.
struct Activity {
  double minfin = 0.0, maxfin = 0.0;
  int mininf = 0, maxinf = 0;
  double min() const { return mininf ? -kWorkInf : minfin; }
  double max() const { return maxinf ? kWorkInf : maxfin; }
};

class Work {
 public:
  explicit Work(const LpModel &lp, double feastol);

  int32_t m = 0, n = 0;
  // Entry pool; removed entries stay in the pool, unlinked.
  std::vector<int32_t> erow, ecol;
  std::vector<double> eval;
  std::vector<int32_t> rnext, rprev, cnext, cprev;
  std::vector<int32_t> rhead, chead, rlen, clen;
  // Bounds are +-infinity internally (the model's +-kInfBound are converted).
  std::vector<double> rlo, rup, clo, cup, cost;
  double offset = 0.0;
  std::vector<char> row_alive, col_alive;
  int32_t rows_alive = 0, cols_alive = 0;
  double feastol;       // infeasibility is declared beyond this
  double zerotol = 1e-12;  // coefficients below this after arithmetic are dropped

  PostsolveStack stack;
  PresolveIssue issue;
  int64_t work = 0;     // operation count

  // Names for messages (set by the driver).
  std::function<std::string(int32_t)> rowname, colname;
  // Dual reductions (those that rely on optimality, not only feasibility) allowed.
  bool dual_reductions = true;
  // Substitutions keep the dual simplex's slack start (see cost_move_keeps_start).
  bool guard_dual_start = true;
  // Per column: must take an integer value (empty for an LP).  Reductions
  // that would compute such a column from others, merge it, or derive row
  // duals from it leave it alone; bounds derived for it are rounded.
  std::vector<char> integer;
  bool is_integer(int32_t j) const { return !integer.empty() && integer[j]; }

  // Scratch space for the reductions (kept to avoid allocation per row).
  std::vector<int32_t> scratch_idx, pos, cpos;
  std::vector<double> scratch_val;
  std::vector<int8_t> scratch_side;

  // Counters for the summary.
  int32_t aggregations = 0;
  int32_t bound_improvements = 0;

  // Entry manipulation.
  int32_t add_entry(int32_t i, int32_t j, double v);
  void remove_entry(int32_t e);
  // Removes a row and its entries from every column.
  void remove_row(int32_t i);
  // Removes a column and its entries from every row.
  void remove_col(int32_t j);
  // Fixes column j at value v: shifts the row bounds, the objective offset,
  // records the postsolve step and removes the column.
  void fix_col(int32_t j, double v, int8_t status_hint);

  Activity activity(int32_t i) const;
  // Bounds of the activity of row i without the contribution of entry e.
  void activity_without(const Activity &act, int32_t e, double &lo, double &hi) const;

  // True when the bounds of the column of entry e follow from its row (with
  // activity `act`) and the other columns' bounds, so that they can be dropped.
  bool implied_free(const Activity &act, int32_t e) const;

  // Reductions stop once the stack holds this many steps (for diagnosis:
  // bisecting a sequence of reductions).
  size_t step_limit = static_cast<size_t>(-1);
  bool failed() const { return issue.status != 0 || stack.steps.size() >= step_limit; }
  void fail(int status, std::string message) {
    if (issue.status == 0) { issue.status = status; issue.message = std::move(message); }
  }

  // Row bound helpers.
  bool row_equality(int32_t i) const { return rlo[i] == rup[i]; }
};

// A column of cost c with bounds [lo, up] is dual infeasible in the dual
// simplex's slack start when its cost asks for an infinite bound.
inline bool start_dual_infeasible(double c, double lo, double up) {
  return (c < 0.0 && !finite_value(up)) || (c > 0.0 && !finite_value(lo));
}

// Eliminating the column of entry e through its row moves the column's cost
// c onto the row's other columns (c_k -= c a_ik / a).  The dual simplex
// starts from the slack basis, whose reduced costs are the costs: when the
// move turns more columns dual infeasible than it cures, the reduced LP
// needs a dual phase 1 that the original does not, and the elimination
// costs more iterations than it saves.  True when the count does not grow.
bool cost_move_keeps_start(const Work &w, int32_t e);

// Tolerant comparison used to detect ties with bounds.
inline bool near(double a, double b, double tol) {
  return std::fabs(a - b) <= tol * (1.0 + std::fabs(a) + std::fabs(b));
}

}  // namespace tvl::lp::pre
