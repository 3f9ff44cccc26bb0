// MPS writer: the image is written in the fixed or free layout.
#pragma once

#include <cstdio>

#include "files/mps_image.h"

namespace tvl {

// Writes the image.  `longnum` writes every number in its shortest form
// that converts back to the same double; otherwise numbers are cut to at
// most 12 characters (the fixed layout's field width).  Returns 0, 1001 or
// 1422 (write error).
int mps_write(const ModelImage &img, FILE *fp, bool fixed, bool longnum);

}  // namespace tvl
