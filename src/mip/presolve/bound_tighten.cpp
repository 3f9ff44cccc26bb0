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
    // The model's own bound arrays; `moved` counts the tightenings.
    struct ModelBounds {
      lp::LpModel &m;
      int &moved;
      double lower(int32_t j) const { return m.collo[static_cast<size_t>(j)]; }
      double upper(int32_t j) const { return m.colup[static_cast<size_t>(j)]; }
      void set(int32_t j, double lo, double up) {
        m.collo[static_cast<size_t>(j)] = lo;
        m.colup[static_cast<size_t>(j)] = up;
        ++moved;
      }
    } bounds{m, moved};
    for (int32_t i = 0; i < m.a.m; ++i) {
      int32_t j = -1;
      switch (tighten_row(rows, i, m.rowlo[i], m.rowup[i], feastol_, model.integer, bounds, j)) {
        case RowWalk::Done: continue;
        case RowWalk::RowInfeasible:
          say(lp::pre::msg_forcing_row_infeasible(row_name(i)));
          break;
        case RowWalk::ColumnInfeasible:
          say(lp::pre::msg_integer_infeasible_col(col_name(j)));
          break;
      }
      out.status = 1117;
      return out;
    }
    improved_ += moved;
    if (moved == 0) break;
    out.changed = true;
  }
  return out;
}

}  // namespace tvl::mip
