#include "mip/presolve/coef_strengthen.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/infinity.h"
#include "mip/activity.h"
#include "mip/row_view.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

// A change smaller than this (relative to the coefficient) is not made:
// it would only add noise to the matrix.
constexpr double kMinChange = 1e-6;

}  // namespace

ReductionOutcome CoefficientStrengthening::apply(MipModel &model) {
  ReductionOutcome out;
  lp::LpModel &m = model.lp;
  if (model.intcols.empty() || m.a.m == 0) return out;
  RowView rows;
  rows.build(m.a);
  work_add(static_cast<uint64_t>(3 * rows.pos.size()));
  for (int32_t i = 0; i < m.a.m; ++i) {
    const size_t r = static_cast<size_t>(i);
    const bool upper = m.rowup[r] < kInfBound, lower = m.rowlo[r] > -kInfBound;
    if (upper == lower) continue;  // ranged, equality or free
    // The row as sum (sign a_j) x_j <= b.
    const double sign = upper ? 1.0 : -1.0;
    double b = upper ? m.rowup[r] : -m.rowlo[r];
    RowActivity act;
    for (int32_t q = rows.begin(i); q < rows.end(i); ++q) {
      const size_t col = static_cast<size_t>(rows.col[static_cast<size_t>(q)]);
      act.add(sign * rows.val[static_cast<size_t>(q)], m.collo[col], m.colup[col]);
    }
    double maxact = act.maxfin;
    const double tol = feastol_ * std::max(1.0, std::fabs(b));
    if (act.maxinf > 0 || maxact <= b + tol) continue;
    bool changed = false;
    for (int32_t q = rows.begin(i); q < rows.end(i); ++q) {
      if (!is_binary(model, m.collo, m.colup, rows.col[static_cast<size_t>(q)])) continue;
      double a = sign * rows.val[static_cast<size_t>(q)];
      if (a > 0) {
        const double d = b - (maxact - a);
        if (d <= kMinChange * a || d >= a) continue;
        a -= d;
        b -= d;
        maxact -= d;
      } else {
        const double d = b - (maxact + a);
        if (d <= kMinChange * -a || d >= -a) continue;
        a += d;
      }
      m.a.value[static_cast<size_t>(rows.pos[static_cast<size_t>(q)])] = sign * a;
      changed = true;
      ++strengthened_;
    }
    if (!changed) continue;
    if (upper) m.rowup[r] = b;
    else m.rowlo[r] = -b;
    out.changed = true;
  }
  return out;
}

}  // namespace tvl::mip
