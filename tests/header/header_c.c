/* Compiled as strict C99: the public header must stay valid C. */
#include "tavlo.h"

int tavlo_header_c_probe(void);
int tavlo_header_c_probe(void) {
  TVLENVptr env = 0;
  (void)env;
  return TVL_PARAM_EPGAP;
}
