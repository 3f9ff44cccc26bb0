#include "mip/activity.h"

#include <algorithm>

#include "frame/infinity.h"

namespace tvl::mip {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Bounds and activities beyond this magnitude are not trusted for rounding.
constexpr double kHuge = 1e9;
// A derived bound this close to an integer counts as that integer.
constexpr double kRoundTol = 1e-6;
constexpr double kTinyCoef = 1e-9;

// Smallest and largest contribution a * x of one entry over the bounds;
// +-inf when the bound on that side is infinite.
double contrib_min(double a, double lo, double up) {
  const double b = a > 0 ? lo : up;
  return std::fabs(b) >= kInfBound ? -kInf : a * b;
}
double contrib_max(double a, double lo, double up) {
  const double b = a > 0 ? up : lo;
  return std::fabs(b) >= kInfBound ? kInf : a * b;
}

}  // namespace

void RowActivity::add(double a, double lo, double up) {
  const double cmin = contrib_min(a, lo, up), cmax = contrib_max(a, lo, up);
  if (std::isinf(cmin)) ++mininf; else minfin += cmin;
  if (std::isinf(cmax)) ++maxinf; else maxfin += cmax;
}

double RowActivity::rest_min(double a, double lo, double up) const {
  const double c = contrib_min(a, lo, up);
  if (std::isinf(c)) return mininf == 1 ? minfin : -kInf;
  return mininf == 0 ? minfin - c : -kInf;
}

double RowActivity::rest_max(double a, double lo, double up) const {
  const double c = contrib_max(a, lo, up);
  if (std::isinf(c)) return maxinf == 1 ? maxfin : kInf;
  return maxinf == 0 ? maxfin - c : kInf;
}

bool RowActivity::infeasible(double rlo, double rup, double feastol) const {
  return (mininf == 0 && rup < kInfBound && minfin > rup + feastol * (1.0 + std::fabs(rup))) ||
         (maxinf == 0 && rlo > -kInfBound && maxfin < rlo - feastol * (1.0 + std::fabs(rlo)));
}

void implied_integer_bounds(double a, double rlo, double rup, double rest_min, double rest_max, double &new_lo,
                            double &new_up) {
  if (std::fabs(a) < kTinyCoef) return;
  if (rup < kInfBound && std::fabs(rest_min) < kHuge) {
    const double lim = (rup - rest_min) / a;  // x <= lim (a > 0) or x >= lim (a < 0)
    if (std::fabs(lim) < kHuge) {
      if (a > 0) new_up = std::min(new_up, std::floor(lim + kRoundTol));
      else new_lo = std::max(new_lo, std::ceil(lim - kRoundTol));
    }
  }
  if (rlo > -kInfBound && std::fabs(rest_max) < kHuge) {
    const double lim = (rlo - rest_max) / a;
    if (std::fabs(lim) < kHuge) {
      if (a > 0) new_lo = std::max(new_lo, std::ceil(lim - kRoundTol));
      else new_up = std::min(new_up, std::floor(lim + kRoundTol));
    }
  }
}

}  // namespace tvl::mip
