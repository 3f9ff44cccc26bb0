#include "files/lpwrite_conflict.h"

#include <cstdint>
#include <vector>

#include "frame/infinity.h"

namespace tvl {

namespace {

void keep_conflict_rows(LpFileModel &m, const ConflictRecord &rec) {
  std::vector<LpFileRow> rows;
  std::vector<double> sum(m.obj.size(), 0.0);
  std::vector<char> in_sum(m.obj.size(), 0);
  LpFileRow &eq = m.eqsum;
  eq = LpFileRow{};
  for (size_t i = 0; i < m.rows.size(); ++i) {
    if (rec.row[i] == ConflictSide::Excluded) continue;
    LpFileRow &r = m.rows[i];
    if (r.sense == 'E') {
      eq.sense = 'E';
      eq.rhs += r.rhs;
      for (size_t k = 0; k < r.ind.size(); ++k) {
        const size_t j = static_cast<size_t>(r.ind[k]);
        sum[j] += r.val[k];
        in_sum[j] = 1;
      }
    }
    rows.push_back(std::move(r));
  }
  for (size_t j = 0; j < sum.size(); ++j) {
    if (!in_sum[j] || sum[j] == 0.0) continue;
    eq.ind.push_back(static_cast<int>(j));
    eq.val.push_back(sum[j]);
  }
  m.rows = std::move(rows);
}

void set_conflict_bounds(LpFileModel &m, const ConflictRecord &rec) {
  for (size_t j = 0; j < m.lb.size(); ++j) {
    m.lb[j] = rec.lo_side[j] != ConflictSide::Excluded ? rec.lo[j] : rec.base_lo[j];
    m.ub[j] = rec.up_side[j] != ConflictSide::Excluded ? rec.up[j] : rec.base_up[j];
    // A binary column whose bound is not part of the conflict is a general
    // integer column here.
    if (!m.ctype.empty() && m.ctype[j] == 'B' && (m.lb[j] != 0.0 || m.ub[j] != 1.0)) m.ctype[j] = 'I';
  }
}

// Leaves out the columns nothing written refers to and renumbers the rest.
void drop_unused_columns(LpFileModel &m) {
  if (!m.sos.empty() || !m.indicators.empty()) return;
  const size_t n = m.obj.size();
  std::vector<char> used(n, 0);
  for (const LpFileRow &r : m.rows)
    for (int j : r.ind) used[static_cast<size_t>(j)] = 1;
  for (size_t j = 0; j < n; ++j)
    if (m.lb[j] > -kInfBound || m.ub[j] < kInfBound) used[j] = 1;
  std::vector<int> index(n, -1);
  size_t kept = 0;
  for (size_t j = 0; j < n; ++j) {
    if (!used[j]) continue;
    index[j] = static_cast<int>(kept);
    // A string moved onto itself is left empty: only columns that shift move.
    if (kept != j) {
      m.obj[kept] = m.obj[j];
      m.lb[kept] = m.lb[j];
      m.ub[kept] = m.ub[j];
      if (!m.ctype.empty()) m.ctype[kept] = m.ctype[j];
      if (m.has_colnames) m.colnames[kept] = std::move(m.colnames[j]);
    }
    ++kept;
  }
  m.obj.resize(kept);
  m.lb.resize(kept);
  m.ub.resize(kept);
  if (!m.ctype.empty()) m.ctype.resize(kept);
  if (m.has_colnames) m.colnames.resize(kept);
  for (LpFileRow &r : m.rows)
    for (int &j : r.ind) j = index[static_cast<size_t>(j)];
  for (int &j : m.eqsum.ind) j = index[static_cast<size_t>(j)];
}

}  // namespace

void lp_conflict_subset(LpFileModel &m, const ConflictRecord &rec) {
  m.conflict = true;
  m.objoffset = 0.0;
  m.objquad.clear();
  for (double &c : m.obj) c = 0.0;
  m.usercuts.clear();
  m.lazy.clear();
  keep_conflict_rows(m, rec);
  set_conflict_bounds(m, rec);
  drop_unused_columns(m);
}

}  // namespace tvl
