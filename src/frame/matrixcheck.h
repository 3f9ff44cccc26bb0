// Argument content checks shared by the loading and modification
// functions.  They run only when data checking is switched on; each stops
// at the first failure, prints a detailed message naming the position of
// the offending entry in the caller's array and returns the negated code.
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
// any array is none.
int check_matrix(const tvlenv *env, char kind, int32_t size, int32_t k, const int *beg,
                 const int *cnt, const int *ind, const double *val);

// Same check for vectors given by starts only (counts implied by the next
// start and by nzcnt for the last vector).
int check_matrix_starts(const tvlenv *env, char kind, int32_t size, int32_t k, int32_t nzcnt,
                        const int *beg, const int *ind, const double *val);

}  // namespace tvl
