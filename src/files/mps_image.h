// A complete model held in plain local arrays: what a model-file reader
// assembles before anything touches the problem, and what the writers
// take from a problem.  Loading an image replaces the problem's data in one
// step, so that a failed read leaves the problem as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <string_view>
#include <vector>

#include "runtime/alloc.h"
#include "tavlo.h"

namespace tvl {

// std::vector allocator that draws from the library's allocator; failure
// throws std::bad_alloc, which the file entry points turn into 1001.
template <class T>
struct LibAlloc {
  using value_type = T;
  LibAlloc() = default;
  template <class U>
  LibAlloc(const LibAlloc<U> &) {}
  T *allocate(size_t n) {
    void *p = mem_alloc(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T *>(p);
  }
  void deallocate(T *p, size_t) { mem_release(p); }
  template <class U>
  bool operator==(const LibAlloc<U> &) const { return true; }
};

template <class T>
using Vec = std::vector<T, LibAlloc<T>>;

// A list of names pooled in one buffer, each NUL-terminated.  An entry may
// be absent (no name), which is distinct from the empty name.
class NameList {
 public:
  void clear() { pool_.clear(); off_.clear(); }
  int64_t size() const { return static_cast<int64_t>(off_.size()); }
  void reserve(int64_t items, int64_t bytes) { off_.reserve(items); pool_.reserve(bytes); }
  void add(std::string_view s) {
    off_.push_back(static_cast<int64_t>(pool_.size()));
    pool_.insert(pool_.end(), s.begin(), s.end());
    pool_.push_back('\0');
  }
  void add_absent() { off_.push_back(-1); }
  void add_cstr(const char *s) { if (s) add(s); else add_absent(); }
  bool has(int64_t k) const { return off_[k] >= 0; }
  const char *c_str(int64_t k) const { return off_[k] >= 0 ? pool_.data() + off_[k] : nullptr; }
  std::string_view view(int64_t k) const { return off_[k] >= 0 ? std::string_view(pool_.data() + off_[k]) : std::string_view(); }
  bool any() const { for (int64_t o : off_) if (o >= 0) return true; return false; }
  // Pointer table for the library's name-array arguments (absent = null).
  Vec<char *> pointers() const {
    Vec<char *> p(off_.size());
    for (size_t k = 0; k < off_.size(); ++k)
      p[k] = off_[k] >= 0 ? const_cast<char *>(pool_.data() + off_[k]) : nullptr;
    return p;
  }
  int64_t bytes() const { return static_cast<int64_t>(pool_.size()); }

 private:
  Vec<char> pool_;
  Vec<int64_t> off_;
};

// User cuts or lazy constraints: rows flattened like the quadratic
// constraints; row k has the terms [beg[k], beg[k+1]).
struct ImageRows {
  Vec<int32_t> beg{0};
  Vec<int32_t> ind;
  Vec<double> val;
  Vec<double> rhs;
  Vec<char> sense;
  NameList names;              // empty or one (possibly absent) per row
  int64_t count() const { return static_cast<int64_t>(rhs.size()); }
};

struct ModelImage {
  Vec<char> probname;          // NUL-terminated when present
  bool has_probname = false;
  Vec<char> objname;           // NUL-terminated when present
  bool has_objname = false;
  int32_t objsense = 1;
  double objoffset = 0.0;

  int32_t ncols = 0;
  int32_t nrows = 0;
  Vec<double> obj, lb, ub;
  Vec<char> ctype;             // empty: no column types (continuous problem)
  Vec<int32_t> matbeg;         // ncols+1 starts, no gaps
  Vec<int32_t> matind;
  Vec<double> matval;
  Vec<double> rhs;
  Vec<char> sense;
  Vec<double> rngval;          // empty unless some row is ranged
  NameList colnames;           // empty or one per column
  NameList rownames;           // empty or one per row

  // Special ordered sets: type '1'/'2', members sosind/soswt[sosbeg[s]..sosbeg[s+1]).
  Vec<char> sostype;
  Vec<int32_t> sosbeg{0};
  Vec<int32_t> sosind;
  Vec<double> soswt;
  NameList sosnames;           // empty or one (possibly absent) per set
  Vec<int32_t> sospri;         // empty or one priority per set

  // Quadratic objective, column-wise without gaps (qbeg has ncols+1 entries).
  bool has_qobj = false;
  Vec<int32_t> qbeg;
  Vec<int32_t> qind;
  Vec<double> qval;

  // Quadratic constraints, flattened: constraint k has linear terms
  // [qc_lbeg[k], qc_lbeg[k+1]) and quadratic terms [qc_qbeg[k], qc_qbeg[k+1]).
  Vec<int32_t> qc_lbeg{0};
  Vec<int32_t> qc_lind;
  Vec<double> qc_lval;
  Vec<int32_t> qc_qbeg{0};
  Vec<int32_t> qc_qrow, qc_qcol;
  Vec<double> qc_qval;
  Vec<double> qc_rhs;
  Vec<char> qc_sense;
  NameList qc_names;           // one (possibly absent) per constraint

  // Indicator constraints, flattened like the quadratic constraints.
  Vec<int32_t> ic_var, ic_compl;
  Vec<int32_t> ic_beg{0};
  Vec<int32_t> ic_ind;
  Vec<double> ic_val;
  Vec<double> ic_rhs;
  Vec<char> ic_sense;
  NameList ic_names;           // one (possibly absent) per constraint

  ImageRows usercuts;
  ImageRows lazy;

  int64_t nnz() const { return static_cast<int64_t>(matind.size()); }
  int64_t nsos() const { return static_cast<int64_t>(sostype.size()); }
  int64_t nqc() const { return static_cast<int64_t>(qc_rhs.size()); }
  int64_t nic() const { return static_cast<int64_t>(ic_rhs.size()); }
  bool ranged() const { return !rngval.empty(); }
};

// Replaces the problem's whole content by the image (LP data with names,
// column types, objective constant and name, problem name, model parts).
// Returns 0 or a status (negative when already reported).
int image_load(tvlenv *env, tvllp *lp, const ModelImage &img);

// Replaces the problem's whole content by what `fill` loads into a fresh
// scratch problem; on failure the problem is left as it was.  The problem
// name becomes `probname` when that is given.  Returns 0 or the status of
// `fill` (negative when already reported).
int replace_content(tvlenv *env, tvllp *lp, const char *probname, const std::function<int(tvllp *)> &fill);

// Fills the image from the problem (pending changes completed first).
// Returns 0 or a status (negative when already reported).
int image_capture(tvlenv *env, tvllp *lp, ModelImage &img);

}  // namespace tvl
