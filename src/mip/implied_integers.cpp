#include "mip/implied_integers.h"

#include <cmath>
#include <numeric>

#include "frame/infinity.h"
#include "mip/row_view.h"

namespace tvl::mip {

namespace {

bool integral(double v) {
  const double r = std::round(v);
  return std::fabs(v - r) <= 1e-9 * std::max(1.0, std::fabs(v)) && std::fabs(r) < 1e15;
}

bool integral_or_infinite(double v) { return std::fabs(v) >= kInfBound || integral(v); }

// Union-find with the parity of each element's colour relative to its
// root; join() records that two elements must have equal (0) or different
// (1) colours and reports a contradiction.
class ParityForest {
 public:
  explicit ParityForest(size_t n) : parent_(n), parity_(n, 0) { std::iota(parent_.begin(), parent_.end(), 0); }
  size_t find(size_t x) {
    size_t root = x;
    char p = 0;
    while (parent_[root] != root) {
      p ^= parity_[root];
      root = parent_[root];
    }
    // Path compression, keeping parities relative to the root.
    while (parent_[x] != root) {
      const size_t next = parent_[x];
      const char px = parity_[x];
      parent_[x] = root;
      parity_[x] = p;
      p ^= px;
      x = next;
    }
    return root;
  }
  char parity(size_t x) {
    find(x);
    return parent_[x] == x ? 0 : parity_[x];
  }
  // Joins a and b, their colours differing by `differ`; false when that
  // contradicts what was joined before.
  bool join(size_t a, size_t b, char differ) {
    const size_t ra = find(a), rb = find(b);
    const char pa = parity(a), pb = parity(b);
    if (ra == rb) return (pa ^ pb) == differ;
    parent_[ra] = rb;
    parity_[ra] = static_cast<char>(pa ^ pb ^ differ);
    return true;
  }

 private:
  std::vector<size_t> parent_;
  std::vector<char> parity_;
};

class ContinuousPart {
 public:
  explicit ContinuousPart(const MipModel &model)
      : m_(model.lp), n_(static_cast<size_t>(m_.a.n)), cont_(n_, 0), bad_(n_, 0), block_bad_(n_, 0),
        block_rows_ok_(n_, 1), block_cols_ok_(n_, 1), row_count_(static_cast<size_t>(m_.a.m), 0), blocks_(n_) {
    for (int32_t j = 0; j < m_.a.n; ++j) {
      const size_t c = static_cast<size_t>(j);
      const bool fixed_integral = m_.collo[c] == m_.colup[c] && integral(m_.collo[c]);
      cont_[c] = !model.integer[c] && !fixed_integral;
    }
    rows_.build(m_.a);
  }

  std::vector<char> marks() {
    find_blocks();
    check_block_shapes();
    colour_columns();
    colour_rows();
    std::vector<char> out(n_, 0);
    for (size_t c = 0; c < n_; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks_.find(c);
      out[c] = !block_bad_[b] && (block_rows_ok_[b] || block_cols_ok_[b]);
    }
    return out;
  }

 private:
  // Blocks: continuous columns joined through their rows.  A column is bad
  // when a bound is fractional or a row it is in does not scale.
  void find_blocks() {
    for (size_t c = 0; c < n_; ++c)
      if (cont_[c] && (!integral_or_infinite(m_.collo[c]) || !integral_or_infinite(m_.colup[c]))) bad_[c] = 1;
    for (int32_t i = 0; i < m_.a.m; ++i) {
      int32_t first = -1;
      const bool scalable = row_scalable(i);
      for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
        const int32_t j = rows_.col[static_cast<size_t>(p)];
        if (!cont_[static_cast<size_t>(j)]) continue;
        ++row_count_[static_cast<size_t>(i)];
        if (!scalable) bad_[static_cast<size_t>(j)] = 1;
        if (first < 0) first = j;
        else blocks_.join(static_cast<size_t>(first), static_cast<size_t>(j), 0);
      }
    }
  }

  // Per block: a bad column, and whether its rows (columns) have at most
  // two continuous entries each.
  void check_block_shapes() {
    for (size_t c = 0; c < n_; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks_.find(c);
      if (bad_[c]) block_bad_[b] = 1;
      if (continuous_entries(static_cast<int32_t>(c)) > 2) block_cols_ok_[b] = 0;
    }
    for (int32_t i = 0; i < m_.a.m; ++i)
      if (row_count_[static_cast<size_t>(i)] > 2) block_rows_ok_[block_of_row(i)] = 0;
  }

  // Two-colouring of the columns along rows with two continuous entries.
  void colour_columns() {
    ParityForest colours(n_);
    for (int32_t i = 0; i < m_.a.m; ++i) {
      if (row_count_[static_cast<size_t>(i)] != 2) continue;
      const size_t b = block_of_row(i);
      if (!block_rows_ok_[b]) continue;
      int32_t j[2], k = 0;
      double s[2];
      for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
        const int32_t col = rows_.col[static_cast<size_t>(p)];
        if (!cont_[static_cast<size_t>(col)]) continue;
        j[k] = col;
        s[k++] = rows_.val[static_cast<size_t>(p)];
      }
      if (!colours.join(static_cast<size_t>(j[0]), static_cast<size_t>(j[1]), (s[0] > 0) == (s[1] > 0)))
        block_rows_ok_[b] = 0;
    }
  }

  // Two-colouring of the rows along columns with two entries, for the
  // blocks whose columns failed.
  void colour_rows() {
    ParityForest colours(static_cast<size_t>(m_.a.m));
    for (size_t c = 0; c < n_; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks_.find(c);
      if (block_rows_ok_[b] || !block_cols_ok_[b] || continuous_entries(static_cast<int32_t>(c)) != 2) continue;
      const int32_t p0 = m_.a.start[c];
      const double s0 = m_.a.value[static_cast<size_t>(p0)], s1 = m_.a.value[static_cast<size_t>(p0) + 1];
      if (!colours.join(static_cast<size_t>(m_.a.index[static_cast<size_t>(p0)]),
                        static_cast<size_t>(m_.a.index[static_cast<size_t>(p0) + 1]), (s0 > 0) == (s1 > 0)))
        block_cols_ok_[b] = 0;
    }
  }

  // Whether row i's continuous entries share one absolute value s, and its
  // integer entries and finite sides are integer multiples of s.
  bool row_scalable(int32_t i) const {
    double s = -1.0;
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p)
      if (cont_[static_cast<size_t>(rows_.col[static_cast<size_t>(p)])]) {
        s = std::fabs(rows_.val[static_cast<size_t>(p)]);
        break;
      }
    if (s < 0.0) return true;    // no continuous entry
    if (s == 0.0) return false;  // a stored zero: not worth a special case
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
      const double a = rows_.val[static_cast<size_t>(p)] / s;
      if (cont_[static_cast<size_t>(rows_.col[static_cast<size_t>(p)])] ? std::fabs(std::fabs(a) - 1.0) > 1e-12 : !integral(a))
        return false;
    }
    const double lo = m_.rowlo[static_cast<size_t>(i)], up = m_.rowup[static_cast<size_t>(i)];
    return (lo <= -kInfBound || integral(lo / s)) && (up >= kInfBound || integral(up / s));
  }

  int32_t continuous_entries(int32_t j) const { return m_.a.start[static_cast<size_t>(j) + 1] - m_.a.start[static_cast<size_t>(j)]; }

  // Block of a row with continuous entries (its first continuous column's).
  size_t block_of_row(int32_t i) {
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
      const int32_t j = rows_.col[static_cast<size_t>(p)];
      if (cont_[static_cast<size_t>(j)]) return blocks_.find(static_cast<size_t>(j));
    }
    return 0;
  }

  const lp::LpModel &m_;
  size_t n_;
  std::vector<char> cont_;
  std::vector<char> bad_, block_bad_, block_rows_ok_, block_cols_ok_;  // per column, per block root
  std::vector<int32_t> row_count_;  // continuous entries per row
  ParityForest blocks_;
  RowView rows_;
};

}  // namespace

std::vector<char> implied_integer_columns(const MipModel &model) {
  if (model.has_special() || model.intcols.empty()) return std::vector<char>(static_cast<size_t>(model.n()), 0);
  return ContinuousPart(model).marks();
}

}  // namespace tvl::mip
