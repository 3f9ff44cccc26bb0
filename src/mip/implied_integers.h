// Continuous columns that take integral values at an optimal point once
// the integer columns are fixed, found so that the objective granularity
// (and with it the pruning cutoff) can take their costs into account.
//
// The test looks at the continuous part of the model: the submatrix of
// the continuous columns.  Within each connected block of it (columns
// linked by shared rows) every row is scaled so that its continuous
// entries are +-1; then the integer entries and the finite sides of the
// row must be integers, and the block's columns must have integral or
// infinite bounds.  If the block is totally unimodular, fixing the integer
// columns leaves a polyhedron with integral vertices, and any solution can
// be improved, or kept, to one where the block's columns are integral.
// Total unimodularity is recognised by the two-colouring condition for
// {0, +-1} matrices with at most two nonzeros per column (Heller and
// Tompkins, "An extension of a theorem of Dantzig's", 1956), applied to
// the block or to its transpose: columns sharing a row with the same sign
// get different colours, with opposite signs the same colour.
// A column fixed at an integral value counts as integer.  Models with
// special structures (indicators, semi-continuous columns, ordered sets)
// get no marks.
#pragma once

#include <vector>

#include "mip/mip_model.h"

namespace tvl::mip {

// One entry per column: 1 for a continuous column found integral at an
// optimal point, 0 otherwise (integer columns included).
std::vector<char> implied_integer_columns(const MipModel &model);

}  // namespace tvl::mip
