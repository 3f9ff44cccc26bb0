// Compact form of a problem's column-wise constraint matrix, held while an
// optimizer works on its own copy so that the problem's index and value
// arrays need not stay in memory.
//
// Values are kept once each in a pool of distinct bit patterns (so -0.0,
// denormals and extremes come back unchanged) and every nonzero refers to
// its value by an index of 1, 2 or 4 bytes, whichever the pool size needs.
// Row indices are stored per column as zigzag-coded differences to the
// previous row of the column in a variable-length byte code (7 bits per
// byte), so that columns whose rows lie close together take one byte per
// nonzero.  Column starts and counts stay in the problem; the free slots
// between columns are not kept and come back as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/problem.h"
#include "tavlo.h"

namespace tvl::lp {

struct CompressedMatrix {
  std::vector<uint8_t> rows;    // row index code, column after column
  std::vector<double> pool;     // distinct values, ascending by bit pattern
  std::vector<uint8_t> codes;   // pool index per nonzero, width bytes each
  int width = 0;                // bytes per pool index
  bool active = false;          // the problem's arrays are held here

  size_t bytes() const { return rows.size() + pool.size() * sizeof(double) + codes.size(); }
};

// Bytes the problem's index and value arrays take (all nzcap slots).
size_t expanded_bytes(const LpData &d);

// Encodes the used slots of matind/matval into c and frees both arrays.
// Returns false, with the problem untouched, when memory runs out.
bool compress_matrix(LpData &d, CompressedMatrix &c);

// Rebuilds matind/matval with nzcap slots from c and releases c.  Both
// arrays are allocated before anything is released: on failure the
// compressed form stays intact and false is returned.
bool expand_matrix(LpData &d, CompressedMatrix &c);

// Whether the flow compresses: hidden parameter 1066 is 1, or it is 0 and
// memory emphasis is on.
bool compression_wanted(const tvlenv *env);

// Compresses the problem's matrix for the lifetime of the scope when
// compression is wanted, printing the time and sizes with display on.
// restore() expands it again (also done by the destructor as a last
// resort); callers restore before anything reads the matrix.
class CompressedScope {
 public:
  CompressedScope(tvlenv *env, LpData &d);
  ~CompressedScope() { restore(); }
  CompressedScope(const CompressedScope &) = delete;
  CompressedScope &operator=(const CompressedScope &) = delete;
  // TVLERR_OUT_OF_MEMORY when compression was wanted but memory ran out.
  int status() const { return status_; }
  // False when the expansion found no memory; the compressed form is kept.
  bool restore() { return !c_.active || expand_matrix(d_, c_); }

 private:
  LpData &d_;
  CompressedMatrix c_;
  int status_ = 0;
};

}  // namespace tvl::lp
