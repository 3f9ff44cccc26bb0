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

// Finds the entries whose index already occurred earlier in the same
// vector.  With many entries against the index range it marks per index
// (owner vector and first position); with few it sorts each vector's
// positions by index, so that adding one short row to a large model costs
// nothing in the number of columns.
class RepeatScan {
 public:
  RepeatScan(int32_t size, int64_t total)
      : marks_(total * 8 >= size), owner_(marks_ ? size : 0), first_(marks_ ? size : 0),
        pos_(marks_ ? 0 : total) {
    if (marks_ && owner_.ok()) std::fill(owner_.p, owner_.p + size, -1);
  }
  bool ok() const { return owner_.ok() && first_.ok() && pos_.ok(); }

  // Calls on_repeat(first, t) for every repeated entry t of vector p (the
  // entries b to e) with first the position of the index's first entry;
  // stops and returns false when on_repeat does.  Vectors are scanned
  // once each, with distinct p.
  template <class F>
  bool scan(int32_t p, int64_t b, int64_t e, const int *ind, F &&on_repeat) {
    if (marks_) {
      for (int64_t t = b; t < e; ++t) {
        int32_t i = ind[t];
        if (owner_[i] != p) {
          owner_[i] = p;
          first_[i] = t;
        } else if (!on_repeat(first_[i], t)) {
          return false;
        }
      }
      return true;
    }
    int64_t n = e - b;
    for (int64_t t = 0; t < n; ++t) pos_[t] = b + t;
    // By index, then position: the first entry of each index leads its run.
    std::sort(pos_.p, pos_.p + n,
              [ind](int64_t x, int64_t y) { return ind[x] < ind[y] || (ind[x] == ind[y] && x < y); });
    for (int64_t s = 1, run = 0; s < n; ++s) {
      if (ind[pos_[s]] != ind[pos_[run]]) {
        run = s;
      } else if (!on_repeat(pos_[run], pos_[s])) {
        return false;
      }
    }
    return true;
  }

 private:
  bool marks_;
  Scratch<int32_t> owner_;
  Scratch<int64_t> first_;
  Scratch<int64_t> pos_;
};

static int64_t entries_end(int32_t k, const int *beg, const int *cnt) {
  int64_t total = 0;
  for (int32_t p = 0; p < k; ++p) total = std::max<int64_t>(total, int64_t{beg[p]} + cnt[p]);
  return total;
}

// Step 4: indices, then (content checks) repetitions and values of every
// vector.
static int check_entries(const tvlenv *env, char kind, int32_t size, int32_t k, const int *beg,
                         const int *cnt, const int *ind, const double *val, bool content) {
  RepeatScan repeats(size, content ? entries_end(k, beg, cnt) : 0);
  if (!repeats.ok()) return 1001;
  for (int32_t p = 0; p < k; ++p) {
    int64_t b = beg[p], e = b + cnt[p];
    for (int64_t t = b; t < e; ++t)
      if (ind[t] < 0 || ind[t] >= size) return report(env, kind == 'r' ? 1203 : 1201, static_cast<int>(t));
    if (!content) continue;
    if (!repeats.scan(p, b, e, ind, [](int64_t, int64_t) { return false; })) return 1222;
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
  int64_t total = entries_end(k, beg, count);
  RepeatScan repeats(size, total);
  if (!repeats.ok()) return 1001;
  bool short_of_memory = false;
  auto fold = [&](int64_t first, int64_t t) {
    if (!out.own) {
      out.own = mem_array<double>(static_cast<size_t>(total));
      if (!out.own) return !(short_of_memory = true);
      std::copy(val, val + total, out.own);
      out.val = out.own;
    }
    out.own[first] += out.own[t];
    out.own[t] = 0.0;
    return true;
  };
  for (int32_t p = 0; p < k; ++p)
    if (!repeats.scan(p, beg[p], int64_t{beg[p]} + count[p], ind, fold)) break;
  return short_of_memory ? 1001 : 0;
}

}  // namespace tvl
