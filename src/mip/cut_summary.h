// The closing summary of the cuts a run applied: one line per family whose
// count is nonzero or whose parameter is set above 0, in a fixed order,
// preceded by one empty line.
#pragma once

#include "mip/mip_state.h"

namespace tvl::mip {

void print_cut_summary(const tvlenv *env, const MipRecord &record);

}  // namespace tvl::mip
