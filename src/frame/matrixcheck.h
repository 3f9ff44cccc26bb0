// Argument checks shared by the loading and modification functions.  Each
// stops at the first failure, prints a detailed message naming the
// position of the offending entry in the caller's array and returns the
// negated code.
//
// Two tiers.  What keeps the stored problem addressable and well-formed is
// checked on every call, whatever TVL_PARAM_DATACHECK says: index ranges,
// senses, column types, bound indicators, basis statuses, counts, starts
// and null names where a name is read.  TVL_PARAM_DATACHECK governs only
// the numeric checks (NaN, infinite values) and repeated indices.  A matrix
// that repeats an index within one vector is stored, with data checking
// off, as the sum of the repeated entries (fold_duplicates).
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl {

// Every value a number (1225) and finite (1233); positions offset by `base`.
int check_numbers(const tvlenv *env, const double *v, int64_t n, int64_t base = 0);
// Every sense 'L', 'E', 'G' or 'R' (1215).
int check_senses(const tvlenv *env, const char *sense, int64_t n);
// Every index in 0 .. limit-1: 1203 for kind 'r', 1201 for kind 'c'.
int check_indices(const tvlenv *env, char kind, const int *ind, int64_t n, int32_t limit);
// No index repeated (1222); indices must already be in range.
int check_unique(const tvlenv *env, const int *ind, int64_t n, int32_t limit);
// No none entry in a name array (1224).
int check_names(const tvlenv *env, char *const *names, int64_t n);
// Every column type 'C', 'B', 'I', 'S' or 'N' (3021).
int check_ctypes(const tvlenv *env, const char *ctype, int64_t n);
// Every bound indicator 'L', 'U' or 'B' (1229).
int check_bound_kinds(const tvlenv *env, const char *lu, int64_t n);
// No (row, column) pair repeated (1222).
int check_unique_pairs(const tvlenv *env, const int *row, const int *col, int64_t n);

// The matrix check: `kind` is 'r' when the vectors hold row indices
// (column-wise matrix), 'c' for column indices (row-wise matrix); `size` is
// the size of that index space and k the number of vectors.  Passes when
// any array is none.  The structural part (starts 1226 and 1200, counts
// 1227, overlaps 1228, index ranges 1203/1201) always runs; repetitions
// (1222) and values (1225, 1233) only when `content` is true.
int check_matrix(const tvlenv *env, char kind, int32_t size, int32_t k, const int *beg,
                 const int *cnt, const int *ind, const double *val, bool content);

// Same check for vectors given by starts only (counts implied by the next
// start and by nzcnt for the last vector).
int check_matrix_starts(const tvlenv *env, char kind, int32_t size, int32_t k, int32_t nzcnt,
                        const int *beg, const int *ind, const double *val, bool content);

// Values of a matrix that passed the structural check, with every entry
// that repeats an index of its vector added into the first entry with
// that index and set to 0 itself (entries of value 0 are never stored).
// `val` keeps pointing at the caller's array when nothing repeats.
struct FoldedValues {
  const double *val;
  double *own = nullptr;
  explicit FoldedValues(const double *given) : val(given) {}
  FoldedValues(const FoldedValues &) = delete;
  FoldedValues &operator=(const FoldedValues &) = delete;
  ~FoldedValues();
};

// Folds the vectors given by starts and counts (cnt none: counts implied
// by the next start and nzcnt).  Returns 0 or 1001.
int fold_duplicates(int32_t size, int32_t k, const int *beg, const int *cnt, int64_t nzcnt, const int *ind,
                    const double *val, FoldedValues &out);

}  // namespace tvl
