// Basis factor in double precision: instantiates the one template source.
#include "factor/baseupd.h"
#include "factor/factor_driver.h"
#include "factor/ftsolve_sparse.h"

namespace tvl::lp {

template class LuBuilder<double>;
template class LuFactor<double>;

}  // namespace tvl::lp
