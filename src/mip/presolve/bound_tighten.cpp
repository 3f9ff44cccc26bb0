#include "mip/presolve/bound_tighten.h"

#include <cmath>

#include "mip/activity.h"
#include "mip/row_view.h"
#include "presolve/presolve_msg.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

constexpr int kMaxPasses = 8;

}  // namespace

ReductionOutcome ActivityBoundTightening::apply(MipModel &model) {
  ReductionOutcome out;
  lp::LpModel &m = model.lp;
  if (model.intcols.empty() || m.a.m == 0) return out;
  RowView rows;
  rows.build(m.a);
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    int moved = 0;
    work_add(static_cast<uint64_t>(2 * rows.col.size()));
    for (int32_t i = 0; i < m.a.m; ++i) {
      RowActivity act;
      for (int32_t p = rows.begin(i); p < rows.end(i); ++p) act.add(rows.val[p], m.collo[rows.col[p]], m.colup[rows.col[p]]);
      const double rlo = m.rowlo[i], rup = m.rowup[i];
      if (act.infeasible(rlo, rup, feastol_)) {
        say(lp::pre::msg_forcing_row_infeasible(rowname_ ? rowname_(i) : "c" + std::to_string(i + 1)));
        out.status = 1117;
        return out;
      }
      for (int32_t p = rows.begin(i); p < rows.end(i); ++p) {
        const int32_t j = rows.col[p];
        const double a = rows.val[p];
        if (!model.integer[j]) continue;
        double &lo = m.collo[j], &up = m.colup[j];
        if (lo == up) continue;
        double new_lo = lo, new_up = up;
        implied_integer_bounds(a, rlo, rup, act.rest_min(a, lo, up), act.rest_max(a, lo, up), new_lo, new_up);
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
