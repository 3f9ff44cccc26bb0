#include "presolve/presolve_msg.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace tvl::lp::pre {

std::string format(const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int len = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out;
  if (len > 0) {
    std::vector<char> buf(static_cast<size_t>(len) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
    out.assign(buf.data(), static_cast<size_t>(len));
  }
  va_end(ap2);
  return out;
}

std::string msg_empty_row_infeasible(const std::string &row, char rel, double rhs) {
  return format("Infeasibility row '%.255s':  0 %c= %g.\n", row.c_str(), rel, rhs);
}

std::string msg_bound_infeasible_col(const std::string &col) {
  return format("Bound infeasibility column '%.255s'.\n", col.c_str());
}

std::string msg_dual_infeasible_empty_col(const std::string &col) {
  return format("Dual infeasible due to empty column '%.255s'.\n", col.c_str());
}

std::string msg_forcing_row_infeasible(const std::string &row) {
  return format("Row '%.255s' infeasible, all entries at implied bounds.\n", row.c_str());
}

std::string msg_integer_infeasible_col(const std::string &col) {
  return format("Integer infeasible column '%.255s'.\n", col.c_str());
}

std::string msg_unbounded_dual_bounds(const std::string &col) {
  return format("Primal unbounded due to dual bounds, variable '%.255s'.\n", col.c_str());
}

std::string msg_duplicate_rows_inconsistent(const std::string &r1, const std::string &r2) {
  return format("Constraints '%.255s' and ", r1.c_str()) + format("'%.255s' are inconsistent.", r2.c_str()) + "\n";
}

std::string msg_dependent_row_infeasible(const std::string &row) {
  return format("Row '%.255s' is dependent and infeasible.\n", row.c_str());
}

std::string msg_progress(int32_t rows, int32_t cols, int32_t aggregations, bool aggregator,
                         int32_t bound_changes) {
  std::string s = format("Presolve has eliminated %d rows and %d columns...\n", rows, cols);
  if (aggregator || aggregations > 0) s += format("Aggregator has done %d substitutions...\n", aggregations);
  if (bound_changes > 0) s += format("Presolve has improved bounds %d times...\n", bound_changes);
  return s;
}

std::string msg_aggregator_tries(int32_t tries) {
  if (tries == 1) return "Tried aggregator 1 time.\n";
  return format("Tried aggregator %d times.\n", tries);
}

std::string msg_summary(const SummaryData &d) {
  if (d.nothing_reduced) return format("No %s presolve or aggregator reductions.\n", d.kind);
  std::string s;
  if (d.rows_removed > 0 || d.cols_removed > 0) {
    if (d.repeated) s += format("Reduced presolve eliminated %d rows and %d columns.\n", d.rows_removed, d.cols_removed);
    else s += format("%s Presolve eliminated %d rows and %d columns.\n", d.kind, d.rows_removed, d.cols_removed);
  }
  if (d.aggregations > 0) s += format("Aggregator did %d substitutions.\n", d.aggregations);
  if (d.all_eliminated) s += "All rows and columns eliminated.\n";
  else s += format("Reduced %s has %d rows, %d columns, and %d nonzeros.\n", d.kind, d.m, d.n, static_cast<int>(d.nz));
  return s;
}

}  // namespace tvl::lp::pre
