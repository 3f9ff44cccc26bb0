#include "presolve/presolve_duplicate.h"

#include <algorithm>
#include <cstring>

#include "presolve/presolve_msg.h"
#include "presolve/presolve_rowsingleton.h"

namespace tvl::lp::pre {

namespace {

struct Line {
  uint64_t hash;
  int32_t id;
  int32_t len;
  int32_t start;  // slice of the sorted entry buffer
};

uint64_t mix(uint64_t h, uint64_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
  return h;
}

// Quantised normalised value: parallel lines hash alike up to rounding.
uint64_t quantise(double ratio) {
  const double q = std::round(ratio * 1e7);
  uint64_t bits;
  std::memcpy(&bits, &q, sizeof bits);
  return bits;
}

// Collects lines (rows or columns) of length >= 2 with their entries sorted by
// index, normalised by the first entry, and sorts them by hash.
class Catalogue {
 public:
  std::vector<Line> lines;
  std::vector<std::pair<int32_t, double>> ent;

  void add(int32_t id, std::vector<std::pair<int32_t, double>> &tmp) {
    std::sort(tmp.begin(), tmp.end());
    Line l{0, id, static_cast<int32_t>(tmp.size()), static_cast<int32_t>(ent.size())};
    const double first = tmp[0].second;
    uint64_t h = static_cast<uint64_t>(l.len);
    for (const auto &[k, v] : tmp) {
      h = mix(h, static_cast<uint64_t>(k));
      h = mix(h, quantise(v / first));
      ent.emplace_back(k, v);
    }
    l.hash = h;
    lines.push_back(l);
  }
  void sort() {
    std::sort(lines.begin(), lines.end(), [](const Line &a, const Line &b) {
      return a.hash != b.hash ? a.hash < b.hash : a.id < b.id;
    });
  }
  // lambda with line b = lambda * line a, or 0 when not parallel.
  double ratio(const Line &a, const Line &b) const {
    if (a.len != b.len) return 0.0;
    const double lambda = ent[b.start].second / ent[a.start].second;
    for (int32_t p = 0; p < a.len; ++p) {
      const auto &ea = ent[a.start + p];
      const auto &eb = ent[b.start + p];
      if (ea.first != eb.first) return 0.0;
      const double want = lambda * ea.second;
      if (std::fabs(eb.second - want) > 1e-12 * (std::fabs(want) + std::fabs(eb.second))) return 0.0;
    }
    return lambda;
  }
};

// a exceeds b by more than rounding (either may be infinite).
bool tight_below(double a, double b) {
  return a > b && a - b > 1e-12 * (1.0 + std::min(std::fabs(a), std::fabs(b)));
}

void merge_rows(Work &w, int32_t i, int32_t k, double lambda) {
  // Row k: rlo_k <= lambda * (row i) <= rup_k.
  double lo = w.rlo[k] / lambda, up = w.rup[k] / lambda;
  if (lambda < 0) std::swap(lo, up);
  int flag = 0;
  double nlo = w.rlo[i], nup = w.rup[i];
  if (tight_below(lo, nlo)) { nlo = lo; flag |= 1; }
  if (tight_below(nup, up)) { nup = up; flag |= 2; }
  if (nlo > nup) {
    if (nlo - nup > w.feastol * (1.0 + std::fabs(nlo))) {
      w.fail(1117, msg_duplicate_rows_inconsistent(w.rowname(i), w.rowname(k)));
      return;
    }
    if (flag & 1) nlo = nup; else nup = nlo;
  }
  Step &s = w.stack.push(StepKind::DuplicateRow);
  s.row = k;
  s.row2 = i;
  s.d[0] = lambda;
  s.flag = static_cast<int8_t>(flag);
  w.rlo[i] = nlo;
  w.rup[i] = nup;
  w.remove_row(k);
}

void merge_cols(Work &w, int32_t j, int32_t k, double lambda) {
  Step &s = w.stack.push(StepKind::DuplicateCol);
  s.col = j;
  s.col2 = k;
  s.d[0] = lambda;
  s.d[1] = w.clo[j]; s.d[2] = w.cup[j]; s.d[3] = w.clo[k]; s.d[4] = w.cup[k];
  const double klo = lambda > 0 ? w.clo[k] : w.cup[k];
  const double kup = lambda > 0 ? w.cup[k] : w.clo[k];
  w.clo[j] = finite_value(w.clo[j]) && finite_value(klo) ? w.clo[j] + lambda * klo : -kWorkInf;
  w.cup[j] = finite_value(w.cup[j]) && finite_value(kup) ? w.cup[j] + lambda * kup : kWorkInf;
  w.remove_col(k);
}

// Beside a column j without bounds, a parallel column k (a_k = lambda a_j,
// c_k = lambda c_j) can rest at one value v of its domain: j absorbs
// lambda (x_k - v) without changing a row activity or the objective.  When
// j is integer the shift must be integral: k integer and lambda an
// integer.  This keeps a point of every objective value, not every point,
// and is how parallel columns of a MIP are reduced (merging would compute
// an integer column from a sum).  Without it a search over such a pair
// follows a ray of the relaxation, trading x_j against x_k for ever.
// Whether the free column j can take up k's shifts.
bool absorbs(const Work &w, int32_t j, int32_t k, double lambda) {
  if (!w.is_integer(j)) return true;
  return w.is_integer(k) && std::fabs(lambda - std::round(lambda)) <= 1e-9 * std::fabs(lambda);
}

// Fixes k at its finite bound nearest zero (0 when it has none).
void rest_at_nearest_bound(Work &w, int32_t k) {
  const bool lo = finite_value(w.clo[k]), up = finite_value(w.cup[k]);
  if (lo && (!up || std::fabs(w.clo[k]) <= std::fabs(w.cup[k])))
    w.fix_col(k, w.clo[k], kAtLower);
  else if (up)
    w.fix_col(k, w.cup[k], kAtUpper);
  else
    w.fix_col(k, 0.0, kFree);
}

// lambda with column b = lambda * column a in coefficients and cost, or 0.
double column_ratio(const Work &w, const Catalogue &cat, const Line &a, const Line &b) {
  const double lambda = cat.ratio(a, b);
  if (lambda == 0.0) return 0.0;
  const double want = lambda * w.cost[a.id];
  return std::fabs(w.cost[b.id] - want) > 1e-12 * (1.0 + std::fabs(want)) ? 0.0 : lambda;
}

bool is_free(const Work &w, int32_t j) { return !finite_value(w.clo[j]) && !finite_value(w.cup[j]); }

// Free columns of a group compared per member: more would make a group of
// many identical free columns quadratic.
constexpr size_t kFreePartners = 8;

// In a group of parallel columns [first, last) of a MIP, every column with
// an integer partner that a free member absorbs rests at a bound (any two
// members may be the pair, not only the group's first).
void rest_beside_free(Work &w, const Catalogue &cat, size_t first, size_t last) {
  size_t partners[kFreePartners];
  size_t count = 0;
  for (size_t f = first; f < last && count < kFreePartners; ++f)
    if (w.col_alive[cat.lines[f].id] && is_free(w, cat.lines[f].id)) partners[count++] = f;
  for (size_t c = first; c < last && count > 0; ++c) {
    const int32_t k = cat.lines[c].id;
    if (!w.col_alive[k] || w.clo[k] == w.cup[k]) continue;
    for (size_t p = 0; p < count; ++p) {
      const int32_t j = cat.lines[partners[p]].id;
      if (j == k || !w.col_alive[j] || (!w.is_integer(j) && !w.is_integer(k))) continue;
      const double lambda = column_ratio(w, cat, cat.lines[partners[p]], cat.lines[c]);
      if (lambda == 0.0 || !absorbs(w, j, k, lambda)) continue;
      rest_at_nearest_bound(w, k);
      break;
    }
  }
}

}  // namespace

void reduce_duplicate_rows(Work &w) {
  Catalogue cat;
  std::vector<std::pair<int32_t, double>> tmp;
  for (int32_t i = 0; i < w.m; ++i) {
    if (!w.row_alive[i] || w.rlen[i] < 2) continue;
    tmp.clear();
    for (int32_t e = w.rhead[i]; e >= 0; e = w.rnext[e]) tmp.emplace_back(w.ecol[e], w.eval[e]);
    cat.add(i, tmp);
    w.work += w.rlen[i];
  }
  cat.sort();
  for (size_t a = 0; a < cat.lines.size() && !w.failed();) {
    size_t b = a + 1;
    while (b < cat.lines.size() && cat.lines[b].hash == cat.lines[a].hash) ++b;
    const Line &keep = cat.lines[a];
    for (size_t c = a + 1; c < b && !w.failed(); ++c) {
      const double lambda = cat.ratio(keep, cat.lines[c]);
      if (lambda != 0.0) merge_rows(w, keep.id, cat.lines[c].id, lambda);
    }
    a = b;
  }
}

void reduce_duplicate_cols(Work &w) {
  Catalogue cat;
  std::vector<std::pair<int32_t, double>> tmp;
  for (int32_t j = 0; j < w.n; ++j) {
    if (!w.col_alive[j] || w.clen[j] < 2) continue;
    tmp.clear();
    for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) tmp.emplace_back(w.erow[e], w.eval[e]);
    cat.add(j, tmp);
    w.work += w.clen[j];
  }
  cat.sort();
  for (size_t a = 0; a < cat.lines.size();) {
    size_t b = a + 1;
    while (b < cat.lines.size() && cat.lines[b].hash == cat.lines[a].hash) ++b;
    const int32_t j = cat.lines[a].id;
    for (size_t c = a + 1; c < b; ++c) {
      const int32_t k = cat.lines[c].id;
      if (w.is_integer(j) || w.is_integer(k)) continue;
      const double lambda = column_ratio(w, cat, cat.lines[a], cat.lines[c]);
      if (lambda == 0.0 || w.clo[j] == w.cup[j] || w.clo[k] == w.cup[k]) continue;
      merge_cols(w, j, k, lambda);
    }
    if (!w.integer.empty()) rest_beside_free(w, cat, a, b);
    a = b;
  }
}

namespace {
// Effective side of a nonbasic row: by the dual's sign, which also settles
// equality rows whose status could name either bound.
int8_t row_side(int8_t stat, double pi) {
  if (stat == kBasic) return kBasic;
  if (pi > 0) return kAtLower;
  if (pi < 0) return kAtUpper;
  return stat;
}
}  // namespace

void undo_duplicate_row(const Step &s, const PostsolveStack &, PostState &st) {
  const int32_t k = s.row, i = s.row2;
  const double lambda = s.d[0];
  const int8_t side = row_side(st.rowstat[i], st.pi[i]);
  const bool from_k = (side == kAtLower && (s.flag & 1)) || (side == kAtUpper && (s.flag & 2));
  if (!from_k) {
    st.pi[k] = 0.0;
    st.rowstat[k] = kBasic;
    return;
  }
  st.pi[k] = st.pi[i] / lambda;
  st.pi[i] = 0.0;
  st.rowstat[i] = kBasic;
  // Row i's lower bound came from row k's lower when lambda > 0, upper otherwise.
  st.rowstat[k] = ((side == kAtLower) == (lambda > 0)) ? kAtLower : kAtUpper;
}

void undo_duplicate_col(const Step &s, const PostsolveStack &, PostState &st) {
  const int32_t j = s.col, k = s.col2;
  const double lambda = s.d[0], ljo = s.d[1], ujo = s.d[2], lko = s.d[3], uko = s.d[4];
  const double xm = st.x[j];
  const int8_t sm = st.colstat[j];
  st.dj[k] = lambda * st.dj[j];
  if (sm == kAtLower || sm == kAtUpper) {
    const bool upper = sm == kAtUpper;
    st.x[j] = upper ? ujo : ljo;
    const bool k_upper = upper == (lambda > 0);
    st.x[k] = k_upper ? uko : lko;
    st.colstat[k] = k_upper ? kAtUpper : kAtLower;
    return;
  }
  const double tol = 1e-9;
  auto inside = [tol](double v, double lo, double up) {
    return v >= lo - tol * (1.0 + std::fabs(lo)) && v <= up + tol * (1.0 + std::fabs(up));
  };
  // x_k at one of its finite bounds, x_j takes the rest.
  for (int side = 0; side < 2; ++side) {
    const double v = side == 0 ? lko : uko;
    if (!finite_value(v)) continue;
    const double xj = xm - lambda * v;
    if (inside(xj, ljo, ujo)) {
      st.x[j] = xj;
      st.x[k] = v;
      st.colstat[k] = side == 0 ? kAtLower : kAtUpper;
      return;
    }
  }
  // x_j at one of its finite bounds, x_k takes the rest.
  for (int side = 0; side < 2; ++side) {
    const double v = side == 0 ? ljo : ujo;
    if (!finite_value(v)) continue;
    const double xk = (xm - v) / lambda;
    if (inside(xk, lko, uko)) {
      st.x[j] = v;
      st.x[k] = xk;
      st.colstat[k] = sm;
      st.colstat[j] = side == 0 ? kAtLower : kAtUpper;
      return;
    }
  }
  st.x[k] = 0.0;
  st.x[j] = xm;
  st.colstat[k] = kFree;
}

}  // namespace tvl::lp::pre
