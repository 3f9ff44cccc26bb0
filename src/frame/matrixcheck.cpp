// Argument checks of the loading and modification functions.
#include "frame/matrixcheck.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include "frame/error.h"
#include "frame/problem.h"

namespace tvl {

int check_numbers(const tvlenv *env, const double *v, int64_t n, int64_t base) {
  for (int64_t k = 0; k < n; ++k) {
    if (std::isnan(v[k])) return report(env, 1225, static_cast<int>(k + base));
    if (!std::isfinite(v[k])) return report(env, 1233, static_cast<int>(k + base), DBL_MAX);
  }
  return 0;
}

static bool valid_sense(char c) { return c == 'L' || c == 'E' || c == 'G' || c == 'R'; }

int check_senses(const tvlenv *env, const char *sense, int64_t n) {
  for (int64_t k = 0; k < n; ++k)
    if (!valid_sense(sense[k])) return report(env, 1215, static_cast<int>(k));
  return 0;
}

int check_indices(const tvlenv *env, char kind, const int *ind, int64_t n, int32_t limit) {
  for (int64_t k = 0; k < n; ++k)
    if (ind[k] < 0 || ind[k] >= limit) return report(env, kind == 'r' ? 1203 : 1201, static_cast<int>(k));
  return 0;
}

int check_unique(const tvlenv *, const int *ind, int64_t n, int32_t) {
  if (n < 2) return 0;
  Scratch<int> s(n);
  if (!s.ok()) return 1001;
  std::copy(ind, ind + n, s.p);
  std::sort(s.p, s.p + n);
  return std::adjacent_find(s.p, s.p + n) != s.p + n ? 1222 : 0;
}

int check_names(const tvlenv *env, char *const *names, int64_t n) {
  for (int64_t k = 0; k < n; ++k)
    if (!names[k]) return report(env, 1224, static_cast<int>(k));
  return 0;
}

int check_ctypes(const tvlenv *env, const char *ctype, int64_t n) {
  for (int64_t k = 0; k < n; ++k) {
    char c = ctype[k];
    if (c != 'C' && c != 'B' && c != 'I' && c != 'S' && c != 'N') return report(env, 3021, static_cast<int>(k));
  }
  return 0;
}

int check_bound_kinds(const tvlenv *env, const char *lu, int64_t n) {
  for (int64_t k = 0; k < n; ++k)
    if (lu[k] != 'L' && lu[k] != 'U' && lu[k] != 'B') return report(env, 1229, static_cast<int>(k));
  return 0;
}

int check_unique_pairs(const tvlenv *, const int *row, const int *col, int64_t n) {
  if (n < 2) return 0;
  Scratch<std::pair<int, int>> s(n);
  if (!s.ok()) return 1001;
  for (int64_t k = 0; k < n; ++k) s[k] = {row[k], col[k]};
  std::sort(s.p, s.p + n);
  return std::adjacent_find(s.p, s.p + n) != s.p + n ? 1222 : 0;
}

// Starts, counts and positions (steps 1 to 3 of the matrix check).
static int check_layout(const tvlenv *env, int32_t size, int32_t k, const int *beg, const int *cnt) {
  for (int32_t p = 0; p + 1 < k; ++p)
    if (beg[p] > beg[p + 1]) return report(env, 1226, p + 1);
  if (k > 0 && (beg[0] < 0 || beg[k - 1] > kNoLimit)) return 1200;
  bool overlap = false;
  for (int32_t p = 0; p < k; ++p) {
    if (cnt[p] < 0 || cnt[p] > size) return report(env, 1227, p);
    int64_t end = int64_t{beg[p]} + cnt[p];
    if (p + 1 < k) {
      if (end > beg[p + 1]) {
        report(env, 1228, p);
        overlap = true;
      }
    } else if (end > kNoLimit) {
      return report(env, 1228, p);
    }
  }
  return overlap ? -1228 : 0;
}

// Step 4: indices, then (content checks) repetitions and values of every
// vector.
static int check_entries(const tvlenv *env, char kind, int32_t size, int32_t k, const int *beg,
                         const int *cnt, const int *ind, const double *val, bool content) {
  Scratch<int32_t> mark(content ? size : 0);
  if (!mark.ok()) return 1001;
  if (content) std::fill(mark.p, mark.p + size, -1);
  for (int32_t p = 0; p < k; ++p) {
    int64_t b = beg[p], e = b + cnt[p];
    for (int64_t t = b; t < e; ++t)
      if (ind[t] < 0 || ind[t] >= size) return report(env, kind == 'r' ? 1203 : 1201, static_cast<int>(t));
    if (!content) continue;
    for (int64_t t = b; t < e; ++t) {
      if (mark[ind[t]] == p) return 1222;
      mark[ind[t]] = p;
    }
    int st = check_numbers(env, val + b, e - b);
    if (st) return st;
  }
  return 0;
}

int check_matrix(const tvlenv *env, char kind, int32_t size, int32_t k, const int *beg,
                 const int *cnt, const int *ind, const double *val, bool content) {
  if (!beg || !cnt || !ind || !val) return 0;
  int st = check_layout(env, size, k, beg, cnt);
  if (st) return st;
  return check_entries(env, kind, size, k, beg, cnt, ind, val, content);
}

// Counts of vectors given by starts: the next start, nzcnt for the last.
static bool counts_from_starts(int32_t k, int64_t nzcnt, const int *beg, Scratch<int> &cnt) {
  if (!cnt.ok()) return false;
  for (int32_t p = 0; p < k; ++p) {
    int64_t next = p + 1 < k ? beg[p + 1] : nzcnt;
    cnt[p] = static_cast<int>(std::clamp<int64_t>(next - beg[p], -1, kNoLimit));
  }
  return true;
}

int check_matrix_starts(const tvlenv *env, char kind, int32_t size, int32_t k, int32_t nzcnt,
                        const int *beg, const int *ind, const double *val, bool content) {
  if (!beg || !ind || !val || k <= 0) return 0;
  Scratch<int> cnt(k);
  if (!counts_from_starts(k, nzcnt, beg, cnt)) return 1001;
  return check_matrix(env, kind, size, k, beg, cnt.p, ind, val, content);
}

FoldedValues::~FoldedValues() { mem_free(own); }

int fold_duplicates(int32_t size, int32_t k, const int *beg, const int *cnt, int64_t nzcnt, const int *ind,
                    const double *val, FoldedValues &out) {
  out.val = val;
  if (!beg || !ind || !val || k <= 0 || size <= 0) return 0;
  Scratch<int> implied(cnt ? 0 : k);
  if (!cnt && !counts_from_starts(k, nzcnt, beg, implied)) return 1001;
  const int *count = cnt ? cnt : implied.p;
  int64_t total = 0;
  for (int32_t p = 0; p < k; ++p) total = std::max<int64_t>(total, int64_t{beg[p]} + count[p]);
  // Per index: the vector in which it was last seen and the position of
  // its first entry there.
  Scratch<int32_t> owner(size);
  Scratch<int64_t> first(size);
  if (!owner.ok() || !first.ok()) return 1001;
  std::fill(owner.p, owner.p + size, -1);
  for (int32_t p = 0; p < k; ++p) {
    for (int64_t t = beg[p], e = t + count[p]; t < e; ++t) {
      int32_t i = ind[t];
      if (owner[i] != p) {
        owner[i] = p;
        first[i] = t;
        continue;
      }
      if (!out.own) {
        out.own = mem_array<double>(static_cast<size_t>(total));
        if (!out.own) return 1001;
        std::copy(val, val + total, out.own);
        out.val = out.own;
      }
      out.own[first[i]] += out.own[t];
      out.own[t] = 0.0;
    }
  }
  return 0;
}

}  // namespace tvl
