// Internal layout of a problem object.  The LP data block, the column types
// and the model extras (special ordered sets, quadratic objective, quadratic
// and indicator constraints) are laid out here; the derived parts (basis,
// solution, factor, presolved model, MIP state, pool) are owned by the
// modules named beside them, each reached through one pointer so that they
// attach without reshaping the record.  Their discard/clone/free and
// row/column adjustment hooks are collected in frame/derived.h.
#pragma once

#include <cstdint>
#include <cstring>

#include "frame/infinity.h"
#include "runtime/alloc.h"
#include "tavlo.h"

namespace tvl {

// Forward declarations of the parts owned elsewhere.
struct ChangeCache;
struct BasisData;
struct SolutionRecord;
struct PoolHolder;
struct MipStartSet;

// State that a higher layer derives from a problem and leaves with it (the
// basis factor kept for the basis solves, the presolved model).  The
// problem owns it and frees it through the virtual destructor, so this
// layer needs neither its type nor its owner's headers.
struct DerivedState {
  virtual ~DerivedState() = default;
};

inline constexpr int32_t kNoLimit = 2100000000;  // "no limit" for integer limits and positions


// Growable array of trivially copyable elements backed by the library
// allocator.  No constructors or destructors run on elements; owners free
// nested storage themselves.  A zero-initialised PodVec is empty.
template <class T>
struct PodVec {
  T *data = nullptr;
  int64_t size = 0;
  int64_t cap = 0;

  T &operator[](int64_t k) { return data[k]; }
  const T &operator[](int64_t k) const { return data[k]; }
  bool reserve(int64_t want) {
    if (want <= cap) return true;
    int64_t c = cap + cap / 4 + 8;
    if (c < want) c = want;
    if (!mem_grow(data, static_cast<size_t>(c))) return false;
    cap = c;
    return true;
  }
  bool push(const T &v) {
    if (size == cap && !reserve(size + 1)) return false;
    data[size++] = v;
    return true;
  }
  bool append(const T *src, int64_t cnt) {
    if (cnt <= 0) return true;
    if (!reserve(size + cnt)) return false;
    std::memcpy(static_cast<void *>(data + size), src, static_cast<size_t>(cnt) * sizeof(T));
    size += cnt;
    return true;
  }
  bool resize(int64_t n, const T &fill) {
    if (!reserve(n)) return false;
    for (int64_t k = size; k < n; ++k) data[k] = fill;
    size = n;
    return true;
  }
  // Exact copy of another vector (capacity equal to its size).
  bool assign(const PodVec &o) {
    release();
    if (o.size == 0) return true;
    if (!reserve(o.size)) return false;
    std::memcpy(static_cast<void *>(data), o.data, static_cast<size_t>(o.size) * sizeof(T));
    size = o.size;
    return true;
  }
  void clear() { size = 0; }
  void release() {
    mem_free(data);
    size = cap = 0;
  }
};

// Temporary array from the library allocator, released at scope exit.
template <class T>
struct Scratch {
  T *p = nullptr;
  explicit Scratch(int64_t n) : p(mem_array<T>(static_cast<size_t>(n > 0 ? n : 1))) {}
  Scratch(const Scratch &) = delete;
  Scratch &operator=(const Scratch &) = delete;
  ~Scratch() { mem_free(p); }
  bool ok() const { return p != nullptr; }
  T &operator[](int64_t k) { return p[k]; }
};

// Names of all rows (or all columns): one offset per item into a pooled
// buffer of NUL-terminated names.  Absent as a whole when off is null.
// Renaming appends the new text; the stale bytes are reclaimed when the
// pool is compacted on growth.
struct NameTable {
  int64_t *off = nullptr;  // item capacity entries
  char *buf = nullptr;     // pooled names
  int64_t used = 0;        // bytes used in buf (live names and stale text)
  int64_t cap = 0;         // bytes allocated for buf
  bool present() const { return off != nullptr; }
  const char *get(int64_t k) const { return buf + off[k]; }
};

// Row-wise copy of the constraint matrix, derived lazily from the
// column-wise one and dropped whenever the matrix changes.
struct RowCopy {
  int32_t *beg = nullptr;  // nrows + 1
  int32_t *ind = nullptr;  // column indices, ascending within a row
  double *val = nullptr;
};

// The LP data block.  The matrix is stored by columns: column j occupies
// positions matbeg[j] .. matbeg[j]+matcnt[j]-1 of matind/matval; starts are
// non-decreasing and free space may lie between columns.  No stored value
// is 0 and no row occurs twice in a column.
struct LpData {
  int32_t nrows = 0;
  int32_t ncols = 0;
  int32_t rowcap = 0;      // allocated entries of the per-row arrays
  int32_t colcap = 0;      // allocated entries of the per-column arrays
  int64_t nzcap = 0;       // allocated entries of matind/matval
  int32_t objsense = 1;    // 1 minimise, -1 maximise

  double *obj = nullptr;   // per column
  double *lb = nullptr;
  double *ub = nullptr;
  int32_t *matbeg = nullptr;
  int32_t *matcnt = nullptr;
  int32_t *matind = nullptr;  // per nonzero slot
  double *matval = nullptr;

  double *rhs = nullptr;      // per row
  char *sense = nullptr;      // 'L', 'E', 'G', 'R'
  double *rngval = nullptr;   // per row, present only once some row is ranged

  NameTable rownames;
  NameTable colnames;
  char *objname = nullptr;
  double objoffset = 0.0;     // constant term of the objective (model files carry it)

  RowCopy *rowwise = nullptr;       // lazily derived, see matrix_rowwise()
  int64_t rowname_counter = 1;      // next number tried for a default row name
  int64_t colname_counter = 1;      // next number tried for a default column name

  // End of the used part of the nonzero arrays.
  int64_t nzend() const { return ncols ? int64_t{matbeg[ncols - 1]} + matcnt[ncols - 1] : 0; }
  // Number of stored coefficients (the used part may hold gaps).
  int64_t nonzeros() const {
    int64_t nz = 0;
    for (int32_t j = 0; j < ncols; ++j) nz += matcnt[j];
    return nz;
  }
};

// Column types of a MIP: 'C', 'B', 'I', 'S' or 'N' per column.
struct MipData {
  char *ctype = nullptr;   // LpData::colcap entries
  int32_t nnoncont = 0;    // number of columns whose type is not 'C'
};

// Special ordered sets: set s has type sostype[s] ('1' or '2') and members
// sosind/soswt[sosbeg[s] .. sosbeg[s+1]-1].  sosbeg has nsos+1 entries
// (empty when there are no sets).  sosname is empty or holds one name per
// set (each allocated by mem_alloc, none = nullptr).  sospri is empty or
// holds one branching priority per set (as model files give them).
struct SosData {
  PodVec<char> sostype;
  PodVec<int32_t> sosbeg;
  PodVec<int32_t> sosind;
  PodVec<double> soswt;
  PodVec<char *> sosname;
  PodVec<int32_t> sospri;
  int64_t count() const { return sostype.size; }
};

// Quadratic objective 1/2 x'Qx stored as a symmetric column-wise matrix
// without gaps: column j holds qind/qval[qbeg[j] .. qbeg[j+1]-1]; both
// triangles are stored.  qbeg has ncols+1 entries.
struct QuadObj {
  PodVec<int32_t> qbeg;
  PodVec<int32_t> qind;
  PodVec<double> qval;
};

// One quadratic constraint: sum lval*x[lind] + sum qval*x[qrow]*x[qcol]
// (sense) rhs, sense 'L', 'G' or 'E'.
struct QConstr {
  PodVec<int32_t> lind;
  PodVec<double> lval;
  PodVec<int32_t> qrow;
  PodVec<int32_t> qcol;
  PodVec<double> qval;
  char sense = 'L';
  double rhs = 0.0;
  char *name = nullptr;    // mem_alloc'ed, or none
};

// One indicator constraint: when column indvar is 1 (0 when complemented),
// sum val*x[ind] (sense) rhs must hold.
struct IndConstr {
  int32_t indvar = -1;
  int32_t complemented = 0;
  PodVec<int32_t> ind;
  PodVec<double> val;
  char sense = 'L';
  double rhs = 0.0;
  char *name = nullptr;    // mem_alloc'ed, or none
};

// User cuts or lazy constraints: linear rows kept beside the model for the
// MIP optimizer (frame/cutrows.h).  Row r has sense sense[r] ('L', 'E' or
// 'G'), right-hand side rhs[r] and the terms ind/val[beg[r] .. beg[r+1]-1];
// beg has count()+1 entries once a row exists.  name is empty or holds one
// name per row (each allocated by mem_alloc, none = nullptr).
struct CutRows {
  PodVec<int32_t> beg;
  PodVec<int32_t> ind;
  PodVec<double> val;
  PodVec<double> rhs;
  PodVec<char> sense;
  PodVec<char *> name;
  int64_t count() const { return rhs.size; }
};

// Model parts beyond the LP data.  Column indices refer to the problem's
// columns; deleting columns renumbers or drops them (parts_delete_cols).
struct ModelParts {
  SosData sos;
  QuadObj *qobj = nullptr;       // present for the QP types (may be empty)
  PodVec<QConstr> qcons;
  PodVec<IndConstr> indcons;
  CutRows usercuts;
  CutRows lazy;
};

// Frees every part (nested storage included) and clears the reference.
void parts_free(ModelParts *&parts);
// Independent copy; nullptr with *ok false on allocation failure.
ModelParts *parts_clone(const ModelParts *src, bool *ok);
void parts_free_sos(ModelParts *parts);
void parts_free_qobj(ModelParts *parts);
void parts_free_qcons(ModelParts *parts);
void parts_free_indcons(ModelParts *parts);
// Keeps the quadratic objective's column count in step with the problem.
bool parts_add_cols(ModelParts *parts, int32_t oldn, int32_t newn);
// Renumbers column references after a deletion (delstat: new index or -1);
// terms of deleted columns are dropped, as are sets and indicator
// constraints whose indicator column was deleted.
void parts_delete_cols(ModelParts *parts, const int32_t *delstat, int32_t oldn);
bool parts_empty(const ModelParts *parts);

}  // namespace tvl

struct tvllp {
  tvllp *tag;                   // refers to itself while valid
  tvlenv *env;                  // root environment it was created in
  int32_t type;                 // problem type code
  char *name;
  tvl::LpData *lp;              // always present for a valid problem
  tvl::ChangeCache *cache;      // pending rows/columns/coefficients (frame/changecache.h)
  tvl::MipData *mip;            // present for the MIP types
  tvl::ModelParts *parts;       // SOS, quadratic and indicator data (or none)
  tvl::BasisData *basis;        // solution module
  tvl::SolutionRecord *soln;    // solution module
  tvl::DerivedState *factor;    // LP optimizers: lp/binv_store.h
  tvl::DerivedState *presolve;  // presolve: presolve/presolve_store.h
  tvl::DerivedState *mipstate;  // MIP optimizer: mip/mip_state.h
  tvl::PoolHolder *pool;        // solution pool of the MIP optimizer: frame/poolholder.h
  tvl::MipStartSet *mipstarts;  // MIP starts: frame/mipstarts.h
  tvl::DerivedState *conflict;  // last conflict: frame/conflict_record.h
  tvllp *inner;                 // fixed types: the fixed continuous model
};

namespace tvl {

// True for a valid problem record (tag refers to itself, LP block present).
inline bool is_problem(const tvllp *lp) { return lp && lp->tag == lp && lp->lp; }
inline bool is_fixed_type(int type) { return type == 3 || type == 8 || type == 13; }
inline bool is_node_type(int type) { return type == 4 || type == 9 || type == 12; }
inline bool is_mip_type(int type) { return type == 1 || type == 3 || type == 7 || type == 8 || type == 11 || type == 13; }

// The non-fixed, non-node type implied by the data present.
int derive_type(const tvllp *lp);
// Sets lp->type from the data present (node and fixed types are kept).
void rederive_type(tvllp *lp);

// Creates MIP data (all columns 'C') when absent; false on allocation failure.
bool ensure_mip(tvllp *lp);
void free_mip(tvllp *lp);
// Creates the model parts record when absent.
bool ensure_parts(tvllp *lp);

// Number of rows and columns including those pending in the cache.
int32_t total_rows(const tvllp *lp);
int32_t total_cols(const tvllp *lp);

// Applies all pending changes of the cache (the cache is empty afterwards).
// Returns 0 or a (possibly negated, already reported) status.
int complete(const tvlenv *env, tvllp *lp);

// The row-wise copy, built on first use; nullptr on allocation failure.
const RowCopy *matrix_rowwise(LpData *lp);
void drop_rowwise(LpData *lp);

// Data checking switch (TVL_PARAM_DATACHECK).
bool datacheck_on(const tvlenv *env);

// Entry validation: environment and membership (1002, 1806, 1804), then
// 1009 when the handle is not a problem; check_modifiable also refuses
// the fixed types with 1023.
int check_problem(const tvlenv *env, const tvllp *lp);
int check_modifiable(const tvlenv *env, const tvllp *lp);

// Frees a problem and everything it owns, removes it from its
// environment's resource list and clears the reference (used by
// TVLfreeprob and when an environment is closed).
void problem_free(tvlenv *env, tvllp *&lp);

// Creates an empty quadratic objective (all columns empty) when absent.
bool ensure_qobj(tvllp *lp);

// Converts the problem to another type (validated first; the problem is
// unchanged on refusal).  Returns 0 or a status.
int convert_type(const tvlenv *env, tvllp *lp, int type);

// ---- LP data storage (load.cpp) ----
LpData *lpdata_new();
void lpdata_free(LpData *&d);
// Independent copy with capacities equal to the sizes; nullptr on failure.
LpData *lpdata_clone(const LpData *src);
// Capacity growth by the growth rules; false on allocation failure.
bool grow_rows(const tvlenv *env, tvllp *lp, int64_t needed);
bool grow_cols(const tvlenv *env, tvllp *lp, int64_t needed);
bool grow_nz(const tvlenv *env, LpData *d, int64_t needed);
// Creates the range value array (0 for every row) when absent.
bool ensure_rngval(LpData *d);

// ---- matrix storage edits (changecache.cpp) ----
// Ensures that each listed column (ascending, distinct) has room for
// extra[k] more entries, shifting later columns right when needed.
bool ensure_column_room(const tvlenv *env, LpData *d, const int32_t *cols, const int32_t *extra,
                        int64_t k);
// Applies coefficient changes in order (value 0 removes the entry).
int apply_coefs(const tvlenv *env, LpData *d, const int32_t *row, const int32_t *col,
                const double *val, int64_t k);
// Position of row i in column j, or -1.
int64_t find_entry(const LpData *d, int32_t i, int32_t j);

}  // namespace tvl
