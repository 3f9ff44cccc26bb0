#include "presolve/presolve_store.h"

namespace tvl {

void presolve_data_free(PresolveData *&data) {
  delete data;
  data = nullptr;
}

}  // namespace tvl
