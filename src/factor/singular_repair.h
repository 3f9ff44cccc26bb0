// Singular-basis repairs as a simplex run sees them.
//
// The basis factor itself replaces dependent basic columns by slacks of
// rows left without a pivot (factor.h, FactorReport).  This unit is the
// run's side of it:
//  - it counts repaired factorizations once the run has made an iteration
//    (a singular starting basis is repaired without counting) and tells the
//    run to stop when the count exceeds the repair limit TVL_PARAM_SINGLIM
//    (with limit 0 the first counted repair stops the run);
//  - it writes "Repairing basis singularity." and one line per displaced
//    variable ("Variable '...' fixed because of singularity." or "Slack
//    removed by singularity.") when the display is on;
//  - it says when a double-precision factor is to be rebuilt in extended
//    precision: precision policy (parameter 1093) 0 switches at the first
//    repaired singularity, 1 uses extended precision from the start and -1
//    never switches.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "factor/factor.h"

namespace tvl::lp {

class SingularRepair {
 public:
  SingularRepair(int limit, int precision_policy) : limit_(limit), policy_(precision_policy) {}

  // Handles a factorization that repaired positions.  `counting` is set once
  // the run has made an iteration; `name` gives the name of a structural
  // variable and `print` writes a log line (only called when display is on).
  // Returns false when the repair limit is exhausted.
  bool note(const FactorReport &report, int32_t n, bool counting, int display,
            const std::function<std::string(int32_t)> &name,
            const std::function<void(const std::string &)> &print);
  // True when a factor of the given precision is to be rebuilt in extended precision.
  bool escalate(int precision) const { return policy_ == 0 && precision == 0; }
  // Everything a run does after a factorization that repaired positions:
  // note() it, then rebuild the factor of the (repaired) header in
  // extended precision when the policy asks for it, keeping the Markowitz
  // threshold.  Returns Repaired, or the failure of the rebuild.  When the
  // limit is exhausted the factor is kept and exhausted() is set.
  FactorStatus handle(std::unique_ptr<BasisFactor> &factor, const CscMatrix &a, std::vector<int32_t> &head,
                      std::vector<int32_t> &replaced, const FactorSettings &settings, bool counting,
                      int display, const std::function<std::string(int32_t)> &name,
                      const std::function<void(const std::string &)> &print);
  bool exhausted() const { return exhausted_; }
  int repairs() const { return count_; }
  // The limit counts the repairs of one run: a kept solver's next run
  // starts with the whole allowance again.
  void reset() {
    count_ = 0;
    exhausted_ = false;
  }

 private:
  int limit_;
  int policy_;
  int count_ = 0;
  bool exhausted_ = false;
};

}  // namespace tvl::lp
