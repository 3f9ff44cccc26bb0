// Basis factor in extended precision (80-bit long double): instantiates the one template source.
#include "factor/baseupd.h"
#include "factor/factor_driver.h"
#include "factor/ftsolve_sparse.h"

namespace tvl::lp {

template class LuBuilder<long double>;
template class LuFactor<long double>;

}  // namespace tvl::lp
