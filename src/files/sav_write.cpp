// SAV writer: the image's parts in the fixed order described in
// sav_format.h.
#include <cstring>

#include "files/sav_format.h"
#include "frame/problem.h"

extern "C" int TVLgetbase(TVLCENVptr env, TVLCLPptr lp, int *cstat, int *rstat) __attribute__((weak));

namespace tvl {
namespace {

class SavOut {
 public:
  explicit SavOut(FILE *fp) : fp_(fp) {}
  void bytes(const void *p, size_t n) {
    if (n && std::fwrite(p, 1, n, fp_) != n) ok_ = false;
  }
  template <class T>
  void pod(T v) { bytes(&v, sizeof v); }
  template <class T>
  void array(const T *p, size_t n) {
    pod<uint64_t>(n);
    bytes(p, n * sizeof(T));
  }
  template <class T>
  void vec(const Vec<T> &v) { array(v.data(), v.size()); }
  void text(const Vec<char> &s, bool has) {
    pod<uint8_t>(has);
    if (has) array(s.data(), s.size() - 1);  // without the NUL
  }
  void rows(const ImageRows &r) {
    vec(r.beg), vec(r.ind), vec(r.val), vec(r.rhs), vec(r.sense), names(r.names);
  }
  void names(const NameList &l) {
    pod<uint64_t>(static_cast<uint64_t>(l.size()));
    for (int64_t k = 0; k < l.size(); ++k) {
      pod<uint8_t>(l.has(k));
      if (l.has(k)) {
        std::string_view s = l.view(k);
        array(s.data(), s.size());
      }
    }
  }
  bool ok() const { return ok_ && !std::ferror(fp_); }

 private:
  FILE *fp_;
  bool ok_ = true;
};

}  // namespace

void sav_capture_basis(const tvllp *lp, int32_t n, int32_t m, SavBasis &basis) {
  basis.present = false;
  if (!TVLgetbase || !lp->basis) return;
  basis.cstat.assign(static_cast<size_t>(n), 0);
  basis.rstat.assign(static_cast<size_t>(m), 0);
  static const int kNone = 0;
  int st = TVLgetbase(lp->env, lp, n ? basis.cstat.data() : const_cast<int *>(&kNone),
                      m ? basis.rstat.data() : const_cast<int *>(&kNone));
  basis.present = st == 0;
}

int sav_write(const ModelImage &img, const tvllp *lp, FILE *fp) {
  try {
    SavBasis basis;
    sav_capture_basis(lp, img.ncols, img.nrows, basis);
    SavOut o(fp);
    o.bytes(kSavMagic, sizeof kSavMagic);
    o.pod<uint32_t>(kSavVersion);
    o.pod<uint32_t>(kSavByteOrder);
    o.text(img.probname, img.has_probname);
    o.text(img.objname, img.has_objname);
    o.pod<int32_t>(img.objsense);
    o.pod<double>(img.objoffset);
    o.pod<int32_t>(img.ncols);
    o.pod<int32_t>(img.nrows);
    o.vec(img.obj), o.vec(img.lb), o.vec(img.ub), o.vec(img.ctype);
    o.vec(img.matbeg), o.vec(img.matind), o.vec(img.matval);
    o.vec(img.rhs), o.vec(img.sense), o.vec(img.rngval);
    o.names(img.colnames), o.names(img.rownames);
    o.vec(img.sostype), o.vec(img.sosbeg), o.vec(img.sosind), o.vec(img.soswt), o.names(img.sosnames);
    o.pod<uint8_t>(img.has_qobj);
    o.vec(img.qbeg), o.vec(img.qind), o.vec(img.qval);
    o.vec(img.qc_lbeg), o.vec(img.qc_lind), o.vec(img.qc_lval), o.vec(img.qc_qbeg), o.vec(img.qc_qrow),
        o.vec(img.qc_qcol), o.vec(img.qc_qval), o.vec(img.qc_rhs), o.vec(img.qc_sense), o.names(img.qc_names);
    o.vec(img.ic_var), o.vec(img.ic_compl), o.vec(img.ic_beg), o.vec(img.ic_ind), o.vec(img.ic_val),
        o.vec(img.ic_rhs), o.vec(img.ic_sense), o.names(img.ic_names);
    o.vec(img.sospri);
    o.rows(img.usercuts), o.rows(img.lazy);
    o.pod<uint8_t>(basis.present);
    if (basis.present) o.vec(basis.cstat), o.vec(basis.rstat);
    o.bytes(kSavTrailer, sizeof kSavTrailer);
    return o.ok() ? 0 : 1562;
  } catch (const std::bad_alloc &) {
    return 1001;
  }
}

}  // namespace tvl
