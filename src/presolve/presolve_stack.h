// The postsolve stack: one record per reduction, in the order presolve made
// them, each with the data its undo step needs.  Variable-length data (the
// entries of a removed row or column) live in two shared arrays so that a
// record is a fixed-size value.
#pragma once

#include <cstdint>
#include <vector>

namespace tvl::lp::pre {

enum class StepKind : uint8_t {
  FreeRow,          // row removed without influence on the solution (empty or redundant)
  FixedCol,         // column fixed at a value and removed
  SingletonRow,     // row with one entry turned into bounds of its column
  ForcingRow,       // row whose activity bounds force all its columns to bounds
  ColSubstitution,  // implied-free column eliminated with its row (column singleton)
  SlackCol,         // zero-cost column singleton folded into its equality row's range
  Doubleton,        // equality a x_j + b x_k = r, x_j eliminated
  DuplicateRow,     // row parallel to a kept row, removed after merging its bounds
  DuplicateCol,     // column parallel to a kept column with proportional cost, merged
  FreeSubstitution, // implied-free column substituted out of its equality row
};

struct Step {
  StepKind kind;
  int8_t flag = 0;       // kind-specific small datum
  int32_t row = -1, col = -1, col2 = -1, row2 = -1;
  double d[6] = {0, 0, 0, 0, 0, 0};
  int32_t start = 0, len = 0;  // slice of PostsolveStack::idx/val
};

class PostsolveStack {
 public:
  std::vector<Step> steps;
  std::vector<int32_t> idx;
  std::vector<double> val;

  Step &push(StepKind kind) {
    steps.push_back(Step{});
    steps.back().kind = kind;
    steps.back().start = static_cast<int32_t>(idx.size());
    return steps.back();
  }
  // Appends one (index, value) pair to the slice of the last pushed step.
  void add(int32_t i, double v) {
    idx.push_back(i);
    val.push_back(v);
    ++steps.back().len;
  }
};

}  // namespace tvl::lp::pre
