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
  explicit ContinuousPart(const MipModel &model) : m_(model.lp), cont_(static_cast<size_t>(m_.a.n), 0) {
    for (int32_t j = 0; j < m_.a.n; ++j) {
      const size_t c = static_cast<size_t>(j);
      const bool fixed_integral = m_.collo[c] == m_.colup[c] && integral(m_.collo[c]);
      cont_[c] = !model.integer[c] && !fixed_integral;
    }
    rows_.build(m_.a);
  }

  std::vector<char> marks() {
    const size_t n = static_cast<size_t>(m_.a.n), m = static_cast<size_t>(m_.a.m);
    std::vector<char> bad(n, 0);
    for (size_t c = 0; c < n; ++c)
      if (cont_[c] && (!integral_or_infinite(m_.collo[c]) || !integral_or_infinite(m_.colup[c]))) bad[c] = 1;
    // Blocks: continuous columns joined through their rows.
    ParityForest blocks(n);
    std::vector<int32_t> row_count(m, 0);
    for (int32_t i = 0; i < m_.a.m; ++i) {
      int32_t first = -1;
      const bool scalable = row_scalable(i);
      for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
        const int32_t j = rows_.col[static_cast<size_t>(p)];
        if (!cont_[static_cast<size_t>(j)]) continue;
        ++row_count[static_cast<size_t>(i)];
        if (!scalable) bad[static_cast<size_t>(j)] = 1;
        if (first < 0) first = j;
        else blocks.join(static_cast<size_t>(first), static_cast<size_t>(j), 0);
      }
    }
    std::vector<char> block_bad(n, 0), block_rows_ok(n, 1), block_cols_ok(n, 1);
    for (size_t c = 0; c < n; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks.find(c);
      if (bad[c]) block_bad[b] = 1;
      if (continuous_entries(static_cast<int32_t>(c)) > 2) block_cols_ok[b] = 0;
    }
    for (int32_t i = 0; i < m_.a.m; ++i)
      if (row_count[static_cast<size_t>(i)] > 2) block_rows_ok[block_of_row(i, blocks)] = 0;
    // Two-colouring of the columns (rows with at most two continuous
    // entries) or of the rows (columns with at most two).
    ParityForest col_colours(n), row_colours(m);
    for (int32_t i = 0; i < m_.a.m; ++i) {
      if (row_count[static_cast<size_t>(i)] != 2) continue;
      const size_t b = block_of_row(i, blocks);
      if (!block_rows_ok[b]) continue;
      int32_t j[2], k = 0;
      double s[2];
      for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
        const int32_t col = rows_.col[static_cast<size_t>(p)];
        if (!cont_[static_cast<size_t>(col)]) continue;
        j[k] = col;
        s[k++] = rows_.val[static_cast<size_t>(p)];
      }
      if (!col_colours.join(static_cast<size_t>(j[0]), static_cast<size_t>(j[1]), (s[0] > 0) == (s[1] > 0)))
        block_rows_ok[b] = 0;
    }
    for (size_t c = 0; c < n; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks.find(c);
      if (block_rows_ok[b] || !block_cols_ok[b] || continuous_entries(static_cast<int32_t>(c)) != 2) continue;
      const int32_t p0 = m_.a.start[c];
      const double s0 = m_.a.value[static_cast<size_t>(p0)], s1 = m_.a.value[static_cast<size_t>(p0) + 1];
      if (!row_colours.join(static_cast<size_t>(m_.a.index[static_cast<size_t>(p0)]),
                            static_cast<size_t>(m_.a.index[static_cast<size_t>(p0) + 1]), (s0 > 0) == (s1 > 0)))
        block_cols_ok[b] = 0;
    }
    std::vector<char> out(n, 0);
    for (size_t c = 0; c < n; ++c) {
      if (!cont_[c]) continue;
      const size_t b = blocks.find(c);
      out[c] = !block_bad[b] && (block_rows_ok[b] || block_cols_ok[b]);
    }
    return out;
  }

 private:
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
  size_t block_of_row(int32_t i, ParityForest &blocks) const {
    for (int32_t p = rows_.begin(i); p < rows_.end(i); ++p) {
      const int32_t j = rows_.col[static_cast<size_t>(p)];
      if (cont_[static_cast<size_t>(j)]) return blocks.find(static_cast<size_t>(j));
    }
    return 0;
  }

  const lp::LpModel &m_;
  std::vector<char> cont_;
  RowView rows_;
};

}  // namespace

std::vector<char> implied_integer_columns(const MipModel &model) {
  if (model.has_special() || model.intcols.empty()) return std::vector<char>(static_cast<size_t>(model.n()), 0);
  return ContinuousPart(model).marks();
}

}  // namespace tvl::mip
