#include "support/image_diff.h"

#include <cstdio>
#include <cstring>

namespace tvltest {
namespace {

using tvl::NameList;
using tvl::Vec;

template <class T>
bool vec_differs(const Vec<T> &a, const Vec<T> &b, const char *name, char *what, size_t size) {
  if (a.size() != b.size()) {
    std::snprintf(what, size, "%s: %zu entries against %zu", name, a.size(), b.size());
    return true;
  }
  for (size_t k = 0; k < a.size(); ++k)
    if (std::memcmp(&a[k], &b[k], sizeof(T)) != 0) {
      std::snprintf(what, size, "%s: entry %zu differs", name, k);
      return true;
    }
  return false;
}

bool names_differ(const NameList &a, const NameList &b, const char *name, char *what, size_t size) {
  if (a.size() != b.size()) {
    std::snprintf(what, size, "%s: %lld names against %lld", name, static_cast<long long>(a.size()),
                  static_cast<long long>(b.size()));
    return true;
  }
  for (int64_t k = 0; k < a.size(); ++k)
    if (a.has(k) != b.has(k) || a.view(k) != b.view(k)) {
      std::snprintf(what, size, "%s: name %lld differs ('%.60s' against '%.60s')", name,
                    static_cast<long long>(k), a.c_str(k) ? a.c_str(k) : "(none)", b.c_str(k) ? b.c_str(k) : "(none)");
      return true;
    }
  return false;
}

}  // namespace

bool image_differs(const tvl::ModelImage &a, const tvl::ModelImage &b, char *what, size_t size) {
#define VEC(f) \
  if (vec_differs(a.f, b.f, #f, what, size)) return true;
#define NAMES(f) \
  if (names_differ(a.f, b.f, #f, what, size)) return true;
  if (a.ncols != b.ncols || a.nrows != b.nrows) {
    std::snprintf(what, size, "size %d x %d against %d x %d", a.nrows, a.ncols, b.nrows, b.ncols);
    return true;
  }
  if (a.objsense != b.objsense || std::memcmp(&a.objoffset, &b.objoffset, sizeof(double)) != 0) {
    std::snprintf(what, size, "objective sense or constant differs");
    return true;
  }
  if (a.has_probname != b.has_probname || a.has_objname != b.has_objname) {
    std::snprintf(what, size, "presence of problem or objective name differs");
    return true;
  }
  VEC(probname) VEC(objname)
  VEC(obj) VEC(lb) VEC(ub) VEC(ctype) VEC(matbeg) VEC(matind) VEC(matval) VEC(rhs) VEC(sense) VEC(rngval)
  NAMES(colnames) NAMES(rownames)
  VEC(sostype) VEC(sosbeg) VEC(sosind) VEC(soswt) NAMES(sosnames)
  if (a.has_qobj != b.has_qobj) {
    std::snprintf(what, size, "presence of a quadratic objective differs");
    return true;
  }
  VEC(qbeg) VEC(qind) VEC(qval)
  VEC(qc_lbeg) VEC(qc_lind) VEC(qc_lval) VEC(qc_qbeg) VEC(qc_qrow) VEC(qc_qcol) VEC(qc_qval) VEC(qc_rhs)
  VEC(qc_sense) NAMES(qc_names)
  VEC(ic_var) VEC(ic_compl) VEC(ic_beg) VEC(ic_ind) VEC(ic_val) VEC(ic_rhs) VEC(ic_sense) NAMES(ic_names)
  VEC(sospri)
  VEC(usercuts.beg) VEC(usercuts.ind) VEC(usercuts.val) VEC(usercuts.rhs) VEC(usercuts.sense) NAMES(usercuts.names)
  VEC(lazy.beg) VEC(lazy.ind) VEC(lazy.val) VEC(lazy.rhs) VEC(lazy.sense) NAMES(lazy.names)
#undef VEC
#undef NAMES
  return false;
}

}  // namespace tvltest
