#include "simplex/pricing_primal_hybrid.h"

namespace tvl::lp {

namespace {

double sample_window(int32_t m, int32_t n) {
  const int64_t s = static_cast<int64_t>(m) + n;
  if (s < 1000) return 4;
  if (s < 10000) return 8;
  if (s < 100000) return 12;
  return 16;
}

}  // namespace

PrimalHybridStats::PrimalHybridStats(int32_t m, int32_t n, int64_t nnz)
    : window_(sample_window(m, n)), dot_cost_(static_cast<double>(nnz) / (n + 1.0)) {}

void PrimalHybridStats::priced(double pricing_work, double ftran_work) {
  a1_ += pricing_work;
  c1_ += 1;
  a3_ += ftran_work;
  c2_ += 1;
}

void PrimalHybridStats::pivoted(double btran_row_work, double row_entries) {
  a4_ += btran_row_work;
  a2_ += row_entries;
  c3_ += 1;
}

void PrimalHybridStats::steep_solve(double work) {
  a5_ += work;
  c5_ += 1;
}

PrimalHybridStats::Choice PrimalHybridStats::decide(bool steepest, double k, bool perturbed) {
  const double window = steepest ? 4.0 * window_ : window_;
  if (c1_ <= window || c2_ <= window || c3_ <= window || c5_ == 0) return Choice::Keep;
  double kk = k + 0.8;
  if (perturbed) kk *= 1.4;
  const double d = 3.0 * a1_ / c1_ + 6.0 * a3_ / c2_ + 6.0 * a4_ / c3_;
  const double s = d + 6.0 * a5_ / c5_ + dot_cost_ * a2_ / c1_;
  Choice c = Choice::Keep;
  if (!steepest && s < kk * d) c = Choice::Steepest;
  else if (steepest && 2.5 * kk * d < s) c = Choice::Devex;
  rescale(window);
  return c;
}

// Keeps the averages but gives the next samples the weight of one window.
void PrimalHybridStats::rescale(double window) {
  a1_ *= window / c1_;
  a2_ *= window / c1_;
  a3_ *= window / c2_;
  a4_ *= window / c3_;
  if (c5_ > 1) {
    a5_ /= c5_;
    c5_ = 1;
  }
  c1_ = c2_ = c3_ = window;
}

}  // namespace tvl::lp
