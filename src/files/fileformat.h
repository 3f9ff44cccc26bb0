// Model file formats known to TVLreadcopyprob and TVLwriteprob.
#pragma once

namespace tvl {

// Sol and Mst are the solution and MIP-start documents (files/solxml.h).
enum class ModelFormat { Unknown, Lp, Mps, FreeMps, Sav, Sol, Mst };

// Format from the explicit type word when given, else from the file name's
// extension (after setting a compression suffix aside).
ModelFormat model_format(const char *filename, const char *filetype);

}  // namespace tvl
