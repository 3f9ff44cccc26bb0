// Basis factor in double precision: instantiates the one template source.
#include "lp/baseupd.h"
#include "lp/factor_driver.h"
#include "lp/ftsolve_sparse.h"

namespace tvl::lp {

template class LuBuilder<double>;
template class LuFactor<double>;

}  // namespace tvl::lp
