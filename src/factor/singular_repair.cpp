#include "factor/singular_repair.h"

#include <cstdio>
#include <memory>

namespace tvl::lp {

bool SingularRepair::note(const FactorReport &report, int32_t n, bool counting, int display,
                          const std::function<std::string(int32_t)> &name,
                          const std::function<void(const std::string &)> &print) {
  if (counting) {
    ++count_;
    if (count_ > limit_) {
      exhausted_ = true;
      return false;
    }
  }
  if (display == 0) return true;
  print("Repairing basis singularity.\n");
  char line[320];
  for (const int32_t var : report.old_vars) {
    if (var >= n) {
      print("Slack removed by singularity.\n");
      continue;
    }
    std::snprintf(line, sizeof line, "Variable '%.255s' fixed because of singularity.\n", name(var).c_str());
    print(line);
  }
  return true;
}

FactorStatus SingularRepair::handle(std::unique_ptr<BasisFactor> &factor, const CscMatrix &a,
                                    std::vector<int32_t> &head, std::vector<int32_t> &replaced,
                                    const FactorSettings &settings, bool counting, int display,
                                    const std::function<std::string(int32_t)> &name,
                                    const std::function<void(const std::string &)> &print) {
  if (!note(factor->report(), a.n, counting, display, name, print)) return FactorStatus::Repaired;
  if (!escalate(factor->precision())) return FactorStatus::Repaired;
  FactorSettings s = settings;
  s.markowitz = factor->markowitz();
  std::unique_ptr<BasisFactor> extended(make_basis_factor(1, a.m, a.n, s));
  if (!extended) return FactorStatus::OutOfMemory;
  const FactorStatus st = extended->factorize(a, head, &replaced);
  factor = std::move(extended);
  return st == FactorStatus::Ok ? FactorStatus::Repaired : st;
}

}  // namespace tvl::lp
