// Bit-for-bit comparison of two model images, for the round-trip checks of
// the model-file tests and benchmarks.
#pragma once

#include <cstddef>

#include "files/mps_image.h"

namespace tvltest {

// First difference between two images (names, values, parts), written into
// `what` (at most `size` bytes); false when they are equal.
bool image_differs(const tvl::ModelImage &a, const tvl::ModelImage &b, char *what, size_t size);

}  // namespace tvltest
