// The face of the MIP solution pool that the lower layers see.  The pool
// itself belongs to the MIP optimizer (mip/solnpool.h); the problem record
// keeps it behind this holder so that the frame can mark it stale when
// the data change, renumber its filters when columns go, free it with the
// problem, and so that the file writers can read the stored solutions,
// all without including a MIP header.
#pragma once

#include <cstdint>

#include "frame/problem.h"

namespace tvl {

struct PoolHolder : DerivedState {
  // The problem's data changed in a way that invalidates solutions: the
  // stored solutions are dropped and the queries answer 3024 until the
  // next optimization prepares the pool again.  Filters are kept.
  virtual void invalidate() = 0;
  // Columns were deleted (delstat: new index of each old column or -1):
  // filter entries on deleted columns are dropped, the others renumbered.
  virtual void renumber_cols(const int32_t *delstat, int32_t oldn) = 0;

  // Read access for the writers.  `valid` is false after invalidate().
  // Solution k (0 <= k < count()) is numcols() column values followed by
  // its objective value in internal (minimisation) form.
  virtual bool valid() const = 0;
  virtual int32_t count() const = 0;
  virtual int32_t numcols() const = 0;
  virtual const double *solution(int32_t k) const = 0;
  virtual const char *solution_name(int32_t k) const = 0;
};

}  // namespace tvl
