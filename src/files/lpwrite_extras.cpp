// Optional model parts for the LP writer.
#include "files/lpwrite_gather.h"

namespace tvl {

int lp_gather_extras(tvlenv *, tvllp *, LpFileModel &) { return 0; }

}  // namespace tvl
