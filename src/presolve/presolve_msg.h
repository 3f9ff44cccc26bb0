// Texts of the presolve messages.  Composition is kept apart from output so
// that the driver decides when (and whether) a text reaches a channel.
#pragma once

#include <cstdint>
#include <string>

namespace tvl::lp::pre {

// printf into a std::string.
std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

std::string msg_empty_row_infeasible(const std::string &row, char rel, double rhs);
std::string msg_bound_infeasible_col(const std::string &col);
std::string msg_integer_infeasible_col(const std::string &col);
std::string msg_dual_infeasible_empty_col(const std::string &col);
std::string msg_forcing_row_infeasible(const std::string &row);
std::string msg_unbounded_dual_bounds(const std::string &col);
std::string msg_duplicate_rows_inconsistent(const std::string &r1, const std::string &r2);
std::string msg_dependent_row_infeasible(const std::string &row);

std::string msg_progress(int32_t rows, int32_t cols, int32_t aggregations, bool aggregator,
                         int32_t bound_changes);
std::string msg_aggregator_tries(int32_t tries);

struct SummaryData {
  const char *kind = "LP";
  bool repeated = false;
  int32_t rows_removed = 0, cols_removed = 0, aggregations = 0;
  bool all_eliminated = false;
  int32_t m = 0, n = 0;
  int64_t nz = 0;
  bool nothing_reduced = false;
};
std::string msg_summary(const SummaryData &d);

}  // namespace tvl::lp::pre
