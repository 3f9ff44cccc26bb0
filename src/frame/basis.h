// The basis (and optional starting point) stored in a problem: a status per
// column and per row in the library's codes, 0 at lower bound, 1 basic,
// 2 at upper bound, 3 free or superbasic.  A row's status describes its
// activity: 0 at the right-hand side, 2 at rhs + rngval (ranged rows).
// The optimizers start from it and leave their final basis in it.
#pragma once

#include <cstdint>
#include <vector>

#include "tavlo.h"

namespace tvl {

struct BasisData {
  std::vector<int8_t> cstat;       // one per column
  std::vector<int8_t> rstat;       // one per row
  std::vector<double> cprim, rprim;  // starting values (empty when not given)
  std::vector<double> cdual, rdual;
};

BasisData *basis_new();
BasisData *basis_clone(const BasisData *src);
void basis_free(BasisData *&basis);

// Keeps a stored basis in step with the problem: appended rows are basic,
// appended columns at lower bound; deleted rows and columns are dropped
// (delstat: new index or -1).  Values of the starting point follow.
void basis_extend_rows(BasisData *basis, int32_t oldm, int32_t newm);
void basis_extend_cols(BasisData *basis, int32_t oldn, int32_t newn);
void basis_adjust_rows(BasisData *basis, const int32_t *delstat, int32_t oldm);
void basis_adjust_cols(BasisData *basis, const int32_t *delstat, int32_t oldn);

// True when the problem holds statuses for all its rows and columns.
bool basis_present(TVLCLPptr lp);

// Replaces the problem's basis with the given statuses; false when out of memory.
bool basis_store(TVLLPptr lp, const int *cstat, const int *rstat);

}  // namespace tvl
