// The status-code table and the per-environment index over it.
#pragma once

#include "tavlo.h"

namespace tvl {

struct StatusEntry {
  int code;
  const char *text;
};

// The table in its fixed order, terminated by an entry with code 0.
const StatusEntry *status_table();

// Fills the environment's 479-slot double-hashing index over the table.
void build_error_index(tvlenv *env);

}  // namespace tvl
