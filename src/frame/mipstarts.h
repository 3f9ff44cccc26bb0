// MIP starts kept on a problem: partial or complete assignments of column
// values that the MIP optimizer tries before (and while) it searches.
//
// Each start has entries (column index, value), an effort level and a
// name.  A value of 1e20 or more marks a column the start gives no value
// (the MIP-start reader stores such entries).  Effort levels:
//   0 automatic, 1 check feasibility, 2 solve the fixed problem,
//   3 solve a sub-MIP, 4 repair an infeasible start, 5 no check.
// A start added without a name is named "m<k+1>", k its index when added.
//
// How the MIP driver reads them: mipstarts_of(lp) gives the set (or
// nullptr).  Every start whose `pending` flag is set has been added or
// read since the last optimization; the driver installs those (in index
// order) and then calls mipstarts_mark_installed(lp).  Starts stay on the
// problem after they were tried, so that they can be written to a file
// and tried again after TVLdelmipstarts and re-adding.
//
// Starts are model-side data: a change of bounds, coefficients or
// objective leaves them alone; deleting columns drops their entries on
// the deleted columns and renumbers the rest (a start may become empty);
// cloning a problem copies them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/problem.h"

namespace tvl {

inline constexpr double kNoStartValue = 1e20;  // entry without a value

struct MipStart {
  std::vector<int32_t> ind;
  std::vector<double> val;
  int32_t effort = 0;
  std::string name;
  bool pending = true;
};

struct MipStartSet {
  std::vector<MipStart> starts;
};

inline MipStartSet *mipstarts_of(tvllp *lp) { return lp->mipstarts; }
inline const MipStartSet *mipstarts_of(const tvllp *lp) { return lp->mipstarts; }
inline int32_t mipstarts_count(const tvllp *lp) {
  return lp->mipstarts ? static_cast<int32_t>(lp->mipstarts->starts.size()) : 0;
}

// Appends one start (entries copied as given; name none: the default
// name).  Returns 0 or 1001.
int mipstarts_append(tvllp *lp, int64_t cnt, const int32_t *ind, const double *val, int32_t effort,
                     const char *name);

void mipstarts_mark_installed(tvllp *lp);
void mipstarts_free(tvllp *lp);
// Independent copy into dst (nothing when src has none).  Returns false on
// allocation failure.
bool mipstarts_clone(const tvllp *src, tvllp *dst);
// Columns deleted (delstat: new index of each old column or -1).
void mipstarts_delete_cols(tvllp *lp, const int32_t *delstat, int32_t oldn);

}  // namespace tvl
