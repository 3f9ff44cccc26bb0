// Text layout of the LP format: turns an LpFileModel with prepared (legal)
// names into lines, wrapping long items at 80 columns.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "files/lpfiledata.h"

namespace tvl {

// Names as they are printed, one vector per kind (same sizes as the model's
// items).
struct LpWriteNames {
  std::vector<std::string> cols, rows, qconstrs, indicators, usercuts, lazy, sos;
};

using LpTextSink = std::function<void(const std::string &)>;

// Prints the whole model (from the "\Problem name" comment to "End").
// Returns 0, or 1650 when some value could not be written (it is printed as
// '?').
int lp_format_model(const LpFileModel &m, const LpWriteNames &names, const LpTextSink &sink);

}  // namespace tvl
