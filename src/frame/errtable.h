// The status-code table and the per-environment index over it.
#pragma once

#include "tavlo.h"

namespace tvl {

struct StatusEntry {
  int code;
  const char *text;
};

// Fills the environment's 479-slot double-hashing index over the table.
void build_error_index(tvlenv *env);

}  // namespace tvl
