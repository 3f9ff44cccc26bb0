// Small conversions between host values and the arrays the library takes
// or fills, shared by the model, solve, start and file commands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "access.h"
#include "host.h"
#include "tavlo.h"

namespace gateway {

class Tavlo;

// Values at or beyond the library's infinity become that infinity.
inline double clampInf(double x) { return x <= -TVL_INFBOUND ? -TVL_INFBOUND : x >= TVL_INFBOUND ? TVL_INFBOUND : x; }

// A text value read into a buffer of `size` bytes; false when the value is
// no text or does not fit.
bool readText(Host& host, const Value* v, char* buffer, std::size_t size);
// The first element of a numeric or logical value, as a double.
bool readScalar(Host& host, const Value* v, double* x);

// Column vectors and scalars for the host.
Value* doubleColumn(Host& host, const double* x, std::size_t n);
Value* int32Column(Host& host, const int* x, std::size_t n);
Value* int32Scalar(Host& host, int x);
// An n-by-1 vector in which library infinities are shown as the host's.
Value* boundColumn(Host& host, const double* x, std::size_t n);

// A column-wise list of coefficients in the library's 32-bit layout.
struct SparseColumns {
  std::vector<int> beg;  // one start per column, plus the end
  std::vector<int> ind;
  std::vector<double> val;
  int count(std::size_t j) const { return beg[j + 1] - beg[j]; }
};
// The columns of an m-by-n host matrix, dense (entries that are not 0.0)
// or sparse (its stored entries).
SparseColumns matrixColumns(Host& host, const Value* a);
// A sparse m-by-n host matrix from (row, column, value) triples in any
// order (entries of one place are summed by the host's rules: keep them
// distinct).
Value* sparseFromTriples(Host& host, std::size_t m, std::size_t n, const std::vector<int>& rows,
                         const std::vector<int>& cols, const std::vector<double>& vals);
// The non-zeros of a host vector as (0-based position, value) pairs.
void vectorNonzeros(Host& host, const Value* v, std::vector<int>& ind, std::vector<double>& val);

// A host char matrix with one name per row.  A name ends at its first
// blank; a row that starts with a blank has no name (a null entry).
class NameList {
 public:
  // False when the value is not a char matrix.
  bool parse(Host& host, const Value* v);
  std::size_t size() const { return names_.size(); }
  char** names() { return names_.data(); }
  char* operator[](std::size_t i) const { return names_[i]; }

 private:
  std::vector<char> store_;
  std::vector<char*> names_;
};

// A char matrix with one row per name (shorter names padded with blanks).
Value* nameMatrix(Host& host, const std::vector<std::string>& names);

// A structure under construction: fields are added in the order they are
// put.  The value belongs to the builder until it is released.
class StructBuilder {
 public:
  explicit StructBuilder(Host& host);
  ~StructBuilder();
  StructBuilder(const StructBuilder&) = delete;
  StructBuilder& operator=(const StructBuilder&) = delete;

  // Adds the field `name` (the value passes to the structure); false when
  // the value could not be made or the field not added.
  bool put(const char* name, Value* v);
  bool empty() const;
  Value* get() const { return s_; }
  Value* release();

 private:
  Host& host_;
  Value* s_;
};

// Records `text` as the last error line (as if the library had written it)
// and returns `status`: for failures the gateway detects itself in data
// the library never sees.
int reportFailure(Tavlo& t, int status, const char* text);
// The same with the library's own message for `status`.
int reportLibraryStatus(Tavlo& t, int status);

}  // namespace gateway
