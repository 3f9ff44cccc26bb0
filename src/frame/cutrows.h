// Storage of user cuts and lazy constraints (CutRows in frame/problem.h):
// appending rows, copying, freeing, and the freeing that column deletion
// announces.  The public functions are in cutrows_api.cpp.
#pragma once

#include "frame/problem.h"

namespace tvl {

// Which of the two pools a function works on.
enum class CutPool { User, Lazy };

// The pool of a problem, or nullptr when the problem has no model parts.
CutRows *cut_pool(tvllp *lp, CutPool which);

// Appends rcnt rows given row-wise (starts rmatbeg, nzcnt terms in total;
// rmatbeg none when nzcnt is 0); absent rhs means 0, absent sense 'E';
// names may be none.  The arguments must have been checked.  On allocation
// failure the pool is left as it was and false is returned.
bool cutrows_append(CutRows &c, int rcnt, int nzcnt, const double *rhs, const char *sense, const int *rmatbeg,
                    const int *rmatind, const double *rmatval, char **names);

// Releases every row and the arrays themselves.
void cutrows_free(CutRows &c);

// Independent copy into an empty pool; false on allocation failure (dst is
// then empty again).
bool cutrows_clone(CutRows &dst, const CutRows &src);

// Column deletion invalidates the column indices of both pools: frees
// them, each announced on the warning channel (user cuts first).
void cutrows_drop_on_col_delete(const tvlenv *env, ModelParts *parts);

}  // namespace tvl
