#include "mip/incumbent.h"

#include <algorithm>
#include <cmath>

namespace tvl::mip {

double pruning_cutoff(const CutoffSettings &s, double v) {
  double k;
  if (std::fabs(s.objdif) > 1e-10) k = v - s.objdif;
  else if (s.relobjdif > 1e-10) k = v - s.relobjdif * std::fabs(v);
  else k = v - std::fabs(1e-10 * v);
  if (s.granularity > 1e-10) {
    const double g = s.granularity, o = s.offset;
    k = std::min(k, std::ceil((k - o) / g - 1e-13) * g - g + o);
  }
  return k;
}

Incumbent::Incumbent(IncumbentRecord &record, const CutoffSettings &settings)
    : record_(record), settings_(settings), cutoff_(settings.user_cutoff) {
  record_ = IncumbentRecord{};
  record_.cutoff = cutoff_;
}

bool Incumbent::offer(const std::vector<double> &x, double v, int64_t node) {
  if (sink_ && sink_(x, v)) ++sink_kept_;
  if (v >= record_.value) return false;
  record_.value = v;
  cutoff_ = std::min(pruning_cutoff(settings_, v), settings_.user_cutoff);
  record_.cutoff = cutoff_;
  record_.node = node;
  ++record_.updates;
  x_ = x;
  return true;
}

void Incumbent::adopt(const Incumbent &other) {
  if (record_.value != other.record_.value || x_.size() != other.x_.size()) x_ = other.x_;
  record_ = other.record_;
  cutoff_ = other.cutoff_;
}

double pool_gap(double relgap, double absgap, double z) {
  double allow = kNoValue;
  if (absgap < kNoValueLimit) allow = absgap;
  if (relgap < kNoValueLimit) allow = std::min(allow, relgap * std::fabs(z));
  return allow < kNoValueLimit ? allow : kNoValue;
}

double pool_cutoff(const CutoffSettings &s, double z) {
  const double allow = pool_gap(s.pool_relgap, s.pool_absgap, z);
  if (allow >= kNoValueLimit) return kNoValue;
  const double c = z + allow;
  return c + 1e-10 * std::max(1.0, std::fabs(c));
}

bool Incumbent::prunes(double bound) const {
  if (!settings_.cutoff_pruning) {
    if (!settings_.enumerate || !present()) return false;
    const double c = pool_cutoff(settings_, record_.value);
    return c < kNoValueLimit && bound > c;
  }
  if (cutoff_ >= kNoValueLimit) return false;
  // With a granularity the cutoff is itself an achievable value: a margin
  // below the step keeps rounding noise of the LP bound from discarding it.
  const double scale = std::max(1.0, std::fabs(cutoff_));
  const double margin = settings_.granularity > 1e-10 ? std::min(0.5 * settings_.granularity, 1e-6 * scale) : 1e-9 * scale;
  return bound > cutoff_ + margin;
}

}  // namespace tvl::mip
