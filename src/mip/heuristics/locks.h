// Rounding locks of the columns of a MIP: a column's down-lock count is
// the number of rows that a decrease of the column can violate (a positive
// coefficient in a row with a finite lower side, or a negative one in a
// row with a finite upper side); its up-lock count likewise for an
// increase.  A column without down-locks can always be rounded down
// without violating a row, and one without up-locks rounded up.
#pragma once

#include <cstdint>
#include <vector>

#include "mip/mip_model.h"

namespace tvl::mip {

struct Locks {
  std::vector<int32_t> down, up;
};

Locks compute_locks(const MipModel &model);

}  // namespace tvl::mip
