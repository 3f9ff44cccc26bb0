#include "presolve/presolve_depend.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>

#include "presolve/presolve_empty.h"
#include "presolve/presolve_msg.h"

namespace tvl::lp::pre {

namespace {

// A row of the echelon form: its pivot column and value and its entries
// (pivot included), reduced against every earlier pivot row.
struct PivotRow {
  int32_t col = -1;
  double pivot = 0.0, rhs = 0.0;
  std::vector<int32_t> idx;
  std::vector<double> val;
};

// Relative size below which a reduced row counts as zero.
constexpr double kZeroRel = 1e-9;
// A pivot is at least this fraction of the largest entry of its row.
constexpr double kThreshold = 0.1;
// Entries below this (relative to the row) are dropped from pivot rows.
constexpr double kDropRel = 1e-14;

class Echelon {
 public:
  explicit Echelon(const std::vector<int32_t> &colcount)
      : colcount_(colcount), dense_(colcount.size(), 0.0), mark_(colcount.size(), 0), pivot_of_(colcount.size(), -1) {}

  // Reduces the row given by its entries and right-hand side.  Returns true
  // when it became a new pivot row, false when it reduced to zero; `rhs`
  // then holds the reduced right-hand side.
  bool add(const std::vector<int32_t> &idx, const std::vector<double> &val, double &rhs, int64_t &work) {
    double scale = 0.0;
    for (size_t k = 0; k < idx.size(); ++k) {
      scatter(idx[k], val[k]);
      scale = std::max(scale, std::fabs(val[k]));
    }
    // Eliminate in the order the pivot rows were made: pivot row p holds no
    // entry in the columns of earlier pivots, so none comes back.
    std::priority_queue<int32_t, std::vector<int32_t>, std::greater<int32_t>> heap;
    for (int32_t c : list_)
      if (pivot_of_[c] >= 0) heap.push(pivot_of_[c]);
    while (!heap.empty()) {
      const int32_t p = heap.top();
      heap.pop();
      const PivotRow &r = rows_[p];
      const double f = dense_[r.col] / r.pivot;
      dense_[r.col] = 0.0;
      if (f == 0.0) continue;
      rhs -= f * r.rhs;
      work += static_cast<int64_t>(r.idx.size());
      for (size_t k = 0; k < r.idx.size(); ++k) {
        const int32_t c = r.idx[k];
        if (c == r.col) continue;
        const bool was_zero = dense_[c] == 0.0;
        scatter(c, -f * r.val[k]);
        if (was_zero && pivot_of_[c] > p) heap.push(pivot_of_[c]);
      }
    }
    // Threshold pivoting: among entries within a factor of the largest,
    // the column with the fewest entries, to keep the pivot rows sparse.
    double big = 0.0;
    for (int32_t c : list_)
      if (pivot_of_[c] < 0) big = std::max(big, std::fabs(dense_[c]));
    int32_t best = -1;
    for (int32_t c : list_) {
      if (pivot_of_[c] >= 0 || std::fabs(dense_[c]) < kThreshold * big || std::fabs(dense_[c]) == 0.0) continue;
      if (best < 0 || colcount_[c] < colcount_[best]) best = c;
    }
    const bool independent = big > kZeroRel * scale;
    if (independent) {
      PivotRow r;
      r.col = best;
      r.pivot = dense_[best];
      r.rhs = rhs;
      for (int32_t c : list_) {
        if (pivot_of_[c] < 0 && std::fabs(dense_[c]) > kDropRel * big) {
          r.idx.push_back(c);
          r.val.push_back(dense_[c]);
        }
      }
      pivot_of_[best] = static_cast<int32_t>(rows_.size());
      rows_.push_back(std::move(r));
    }
    for (int32_t c : list_) {
      dense_[c] = 0.0;
      mark_[c] = 0;
    }
    list_.clear();
    return independent;
  }

 private:
  void scatter(int32_t c, double v) {
    if (!mark_[c]) {
      mark_[c] = 1;
      list_.push_back(c);
    }
    dense_[c] += v;
  }

  const std::vector<int32_t> &colcount_;
  std::vector<double> dense_;
  std::vector<char> mark_;
  std::vector<int32_t> list_;
  std::vector<int32_t> pivot_of_;  // column -> index of its pivot row, or -1
  std::vector<PivotRow> rows_;
};

}  // namespace

int32_t reduce_dependent_rows(Work &w) {
  int64_t nz = 0;
  for (int32_t i = 0; i < w.m; ++i)
    if (w.row_alive[i]) nz += w.rlen[i];
  const int64_t limit = 20 * nz + 1000000;
  int64_t work = 0;
  Echelon ech(w.clen);
  std::vector<int32_t> dependent, idx;
  std::vector<double> val;
  for (int32_t i = 0; i < w.m && work < limit; ++i) {
    if (!w.row_alive[i] || !w.row_equality(i) || w.rlen[i] == 0) continue;
    idx.clear();
    val.clear();
    for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) {
      idx.push_back(w.ecol[e]);
      val.push_back(w.eval[e]);
    }
    work += w.rlen[i];
    double rhs = w.rlo[i];
    if (ech.add(idx, val, rhs, work)) continue;
    if (std::fabs(rhs) > w.feastol * std::max(1.0, std::fabs(w.rlo[i]))) {
      w.fail(1101, msg_dependent_row_infeasible(w.rowname(i)));
      return 0;
    }
    dependent.push_back(i);
  }
  w.work += work;
  for (int32_t i : dependent) drop_free_row(w, i);
  return static_cast<int32_t>(dependent.size());
}

}  // namespace tvl::lp::pre
