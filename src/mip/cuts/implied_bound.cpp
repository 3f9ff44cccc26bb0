// Implied bound cuts from the implications found by probing.
//
// An implication "binary y = v implies x <= b", with x <= U globally,
// gives the inequality that is x <= b at y = v and x <= U otherwise:
//   v = 1:  x + (U - b) y <= U          v = 0:  x - (U - b) y <= b
// and "y = v implies x >= b" with x >= L globally likewise
//   v = 1:  -x + (b - L) y <= -L        v = 0:  -x - (b - L) y <= -b.
// Separation evaluates every stored implication at the LP point; the
// violated ones are returned in decreasing order of efficacy.
//
// Follows the implied bound inequalities of M. W. P. Savelsbergh,
// "Preprocessing and probing techniques for mixed integer programming
// problems", ORSA Journal on Computing 6 (1994), section 5.
#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/cuts/cut.h"
#include "mip/probing.h"

namespace tvl::mip {

namespace {

constexpr double kViolation = 1e-6;
// A gap U - b beyond this would make a cut of poor numerics.
constexpr double kMaxCoef = 1e7;

class ImpliedBoundSeparator : public CutSeparator {
 public:
  explicit ImpliedBoundSeparator(std::shared_ptr<const std::vector<Implication>> table) : table_(std::move(table)) {}
  void separate(const CutContext &ctx, std::vector<Cut> &out) override;

 private:
  std::shared_ptr<const std::vector<Implication>> table_;
};

void ImpliedBoundSeparator::separate(const CutContext &ctx, std::vector<Cut> &out) {
  struct Found {
    Cut cut;
    double efficacy;
  };
  std::vector<Found> found;
  const std::vector<double> &x = ctx.solution.x;
  for (const Implication &imp : *table_) {
    const size_t c = static_cast<size_t>(imp.col);
    // The tighter of the stored and the current global bound is valid.
    const double other = imp.upper ? std::min(imp.other, ctx.lp.colup[c]) : std::max(imp.other, ctx.lp.collo[c]);
    if (std::fabs(other) >= kInfBound) continue;
    const double d = imp.upper ? other - imp.bound : imp.bound - other;
    if (d <= 1e-9 || d > kMaxCoef) continue;
    const double s = imp.upper ? 1.0 : -1.0;  // the cut in s * x
    // Coefficient of y and right-hand side.
    const double cy = imp.value == 1 ? d : -d;
    const double rhs = imp.value == 1 ? s * other : s * imp.bound;
    const double viol = s * x[c] + cy * x[static_cast<size_t>(imp.bin)] - rhs;
    if (viol <= kViolation * std::max(1.0, std::fabs(rhs))) continue;
    Cut cut;
    cut.ind = {imp.col, imp.bin};
    cut.val = {s, cy};
    cut.rhs = rhs;
    cut.family = kCutImplied;
    found.push_back({std::move(cut), viol / std::sqrt(1.0 + d * d)});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.efficacy > b.efficacy; });
  const size_t limit = static_cast<size_t>(ctx.effort > 0 ? 1000 : 500);
  for (size_t k = 0; k < found.size() && k < limit; ++k) out.push_back(std::move(found[k].cut));
}

}  // namespace

std::unique_ptr<CutSeparator> make_implied_bound_separator(std::shared_ptr<const std::vector<Implication>> table) {
  return std::make_unique<ImpliedBoundSeparator>(std::move(table));
}

}  // namespace tvl::mip
