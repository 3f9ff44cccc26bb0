// SAV: the library's own binary model format.  It stores everything a
// problem holds (data, names, column types, special ordered sets,
// quadratic objective, quadratic and indicator constraints, objective
// constant, and the basis when one is present) so that reading it back
// gives the same problem bit for bit.
//
// Layout (little-endian): the 8-byte magic "TVLSAV\r\n", a 32-bit version,
// a 32-bit byte-order mark 0x01020304, then the parts in a fixed order,
// every array preceded by its 64-bit length, and the 8-byte trailer
// "TVLSAVOK".  A reader refuses foreign files (1560), truncated ones
// (1561), newer versions or another byte order (1563), and checks every
// count and index before anything is loaded.
#pragma once

#include <cstdint>
#include <cstdio>

#include "files/mps_image.h"
#include "tavlo.h"

namespace tvl {

inline constexpr char kSavMagic[8] = {'T', 'V', 'L', 'S', 'A', 'V', '\r', '\n'};
inline constexpr char kSavTrailer[8] = {'T', 'V', 'L', 'S', 'A', 'V', 'O', 'K'};
// Version 2 added set priorities, user cuts and lazy constraints; files of
// version 1 are still read.
inline constexpr uint32_t kSavVersion = 2;
inline constexpr uint32_t kSavByteOrder = 0x01020304u;

// Basis stored with a model (statuses of columns and rows), when present.
struct SavBasis {
  bool present = false;
  Vec<int32_t> cstat, rstat;
};

// Reads a SAV stream into the image (and basis).  Returns 0 or the negated
// reported status (1560, 1561, 1563, 1001).
int sav_read(const tvlenv *env, FILE *fp, const char *filename, ModelImage &img, SavBasis *basis = nullptr);

// Writes the image and the problem's basis (when it has one).  Returns 0,
// 1001 or 1562 (write error).
int sav_write(const ModelImage &img, const tvllp *lp, FILE *fp);

// Problem's basis, when it has one (through TVLgetbase).
void sav_capture_basis(const tvllp *lp, int32_t n, int32_t m, SavBasis &basis);
// Installs a basis read from a file (through TVLcopybase); 0 or a status.
int sav_install_basis(tvlenv *env, tvllp *lp, const SavBasis &basis);

}  // namespace tvl
