#include "mip/presolve/bound_tighten.h"

#include <cmath>

#include "frame/infinity.h"
#include "presolve/presolve_msg.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

constexpr int kMaxPasses = 8;
// Bounds and activities beyond this magnitude are not trusted for rounding.
constexpr double kHuge = 1e9;
// A derived bound this close to an integer counts as that integer.
constexpr double kRoundTol = 1e-6;
constexpr double kTinyCoef = 1e-9;

// The matrix by rows.
struct RowView {
  std::vector<int32_t> start, col;
  std::vector<double> val;
};

RowView by_rows(const lp::CscMatrix &a) {
  RowView r;
  r.start.assign(static_cast<size_t>(a.m) + 1, 0);
  for (int32_t i : a.index) ++r.start[static_cast<size_t>(i) + 1];
  for (int32_t i = 0; i < a.m; ++i) r.start[i + 1] += r.start[i];
  r.col.resize(a.index.size());
  r.val.resize(a.index.size());
  std::vector<int32_t> next(r.start.begin(), r.start.end() - 1);
  for (int32_t j = 0; j < a.n; ++j)
    for (int32_t k = a.start[j]; k < a.start[j + 1]; ++k) {
      const int32_t p = next[a.index[k]]++;
      r.col[p] = j;
      r.val[p] = a.value[k];
    }
  return r;
}

// Smallest and largest contribution a * x of one entry over the bounds;
// +-inf when the bound on that side is infinite.
double contrib_min(double a, double lo, double up) {
  const double b = a > 0 ? lo : up;
  return std::fabs(b) >= kInfBound ? -lp::kWorkInf : a * b;
}
double contrib_max(double a, double lo, double up) {
  const double b = a > 0 ? up : lo;
  return std::fabs(b) >= kInfBound ? lp::kWorkInf : a * b;
}

struct RowActivity {
  double minfin = 0.0, maxfin = 0.0;
  int mininf = 0, maxinf = 0;
};

}  // namespace

ReductionOutcome ActivityBoundTightening::apply(MipModel &model) {
  ReductionOutcome out;
  lp::LpModel &m = model.lp;
  if (model.intcols.empty() || m.a.m == 0) return out;
  const RowView rows = by_rows(m.a);
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    int moved = 0;
    work_add(static_cast<uint64_t>(2 * rows.col.size()));
    for (int32_t i = 0; i < m.a.m; ++i) {
      RowActivity act;
      for (int32_t p = rows.start[i]; p < rows.start[i + 1]; ++p) {
        const int32_t j = rows.col[p];
        const double lo = m.collo[j], up = m.colup[j];
        const double cmin = contrib_min(rows.val[p], lo, up), cmax = contrib_max(rows.val[p], lo, up);
        if (std::isinf(cmin)) ++act.mininf; else act.minfin += cmin;
        if (std::isinf(cmax)) ++act.maxinf; else act.maxfin += cmax;
      }
      const double rlo = m.rowlo[i], rup = m.rowup[i];
      const bool has_up = rup < kInfBound, has_lo = rlo > -kInfBound;
      if ((act.mininf == 0 && has_up && act.minfin > rup + feastol_ * (1.0 + std::fabs(rup))) ||
          (act.maxinf == 0 && has_lo && act.maxfin < rlo - feastol_ * (1.0 + std::fabs(rlo)))) {
        say(lp::pre::msg_forcing_row_infeasible(rowname_ ? rowname_(i) : "c" + std::to_string(i + 1)));
        out.status = 1117;
        return out;
      }
      for (int32_t p = rows.start[i]; p < rows.start[i + 1]; ++p) {
        const int32_t j = rows.col[p];
        const double a = rows.val[p];
        if (!model.integer[j] || std::fabs(a) < kTinyCoef) continue;
        double &lo = m.collo[j], &up = m.colup[j];
        if (lo == up) continue;
        const double cmin = contrib_min(a, lo, up), cmax = contrib_max(a, lo, up);
        // a x_j <= rup - (smallest activity of the rest); >= rlo - (largest).
        const double rest_min = act.mininf == 0 || (act.mininf == 1 && std::isinf(cmin))
                                    ? (std::isinf(cmin) ? act.minfin : act.minfin - cmin) : -lp::kWorkInf;
        const double rest_max = act.maxinf == 0 || (act.maxinf == 1 && std::isinf(cmax))
                                    ? (std::isinf(cmax) ? act.maxfin : act.maxfin - cmax) : lp::kWorkInf;
        double new_lo = lo, new_up = up;
        if (has_up && std::fabs(rest_min) < kHuge) {
          const double lim = (rup - rest_min) / a;  // x_j <= lim (a > 0) or >= lim (a < 0)
          if (std::fabs(lim) < kHuge) {
            if (a > 0) new_up = std::min(new_up, std::floor(lim + kRoundTol));
            else new_lo = std::max(new_lo, std::ceil(lim - kRoundTol));
          }
        }
        if (has_lo && std::fabs(rest_max) < kHuge) {
          const double lim = (rlo - rest_max) / a;
          if (std::fabs(lim) < kHuge) {
            if (a > 0) new_lo = std::max(new_lo, std::ceil(lim - kRoundTol));
            else new_up = std::min(new_up, std::floor(lim + kRoundTol));
          }
        }
        if (new_lo == lo && new_up == up) continue;
        if (new_lo > new_up) {
          say(lp::pre::msg_integer_infeasible_col(colname_ ? colname_(j) : "x" + std::to_string(j + 1)));
          out.status = 1117;
          return out;
        }
        // The row's activity was computed with the old bounds; it stays a
        // valid (looser) range for the rest of this row.
        lo = new_lo;
        up = new_up;
        ++moved;
      }
    }
    improved_ += moved;
    if (moved == 0) break;
    out.changed = true;
  }
  return out;
}

}  // namespace tvl::mip
