// Optional model parts for the LP reader.
#include "files/lpread_load.h"

namespace tvl {

int lp_load_extras(tvlenv *, tvllp *, const LpFileModel &) { return 0; }

}  // namespace tvl
