// SAV reader: every count is checked against the bytes left and every
// index against its range before the image is handed on, so that a
// truncated, damaged or foreign file ends in a status, never in a crash.
#include <cstring>

#include "files/mps_lines.h"
#include "files/sav_format.h"
#include "frame/error.h"
#include "frame/problem.h"

extern "C" int TVLcopybase(TVLENVptr env, TVLLPptr lp, const int *cstat, const int *rstat) __attribute__((weak));

namespace tvl {
namespace {

enum SavFault { kOk = 0, kShort = 1561, kBad = 1560 };

class SavIn {
 public:
  SavIn(const char *p, size_t n) : p_(p), end_(p + n) {}
  int fault() const { return fault_; }
  void bytes(void *dst, size_t n) {
    if (fault_) return;
    if (static_cast<size_t>(end_ - p_) < n) {
      fault_ = kShort;
      return;
    }
    if (n) std::memcpy(dst, p_, n);
    p_ += n;
  }
  template <class T>
  T pod() {
    T v{};
    bytes(&v, sizeof v);
    return v;
  }
  template <class T>
  void vec(Vec<T> &v) {
    uint64_t n = pod<uint64_t>();
    if (fault_) return;
    if (n > static_cast<uint64_t>(end_ - p_) / sizeof(T)) {
      fault_ = kShort;
      return;
    }
    v.resize(static_cast<size_t>(n));
    bytes(v.data(), static_cast<size_t>(n) * sizeof(T));
  }
  void text(Vec<char> &s, bool &has) {
    has = pod<uint8_t>() != 0;
    if (!has) return;
    vec(s);
    s.push_back('\0');
    if (std::memchr(s.data(), '\0', s.size() - 1)) fault_ = kBad;
  }
  void names(NameList &l) {
    uint64_t n = pod<uint64_t>();
    if (fault_) return;
    if (n > static_cast<uint64_t>(end_ - p_)) {
      fault_ = kShort;
      return;
    }
    Vec<char> s;
    for (uint64_t k = 0; k < n && !fault_; ++k) {
      if (!pod<uint8_t>()) {
        l.add_absent();
        continue;
      }
      vec(s);
      if (!s.empty() && std::memchr(s.data(), 0, s.size())) fault_ = kBad;
      l.add(std::string_view(s.data(), s.size()));
    }
  }
  void rows(ImageRows &r) {
    r.beg.clear();
    vec(r.beg), vec(r.ind), vec(r.val), vec(r.rhs), vec(r.sense), names(r.names);
  }
  void bad() { fault_ = kBad; }
  bool at_end() const { return p_ == end_; }

 private:
  const char *p_;
  const char *end_;
  int fault_ = kOk;
};

// Starts of n vectors over `total` entries: n+1 values, nondecreasing from 0.
bool starts_ok(const Vec<int32_t> &beg, int64_t n, int64_t total) {
  if (static_cast<int64_t>(beg.size()) != n + 1 || beg[0] != 0 || beg[n] != total) return false;
  for (int64_t k = 0; k < n; ++k)
    if (beg[k] > beg[k + 1]) return false;
  return true;
}

bool indices_ok(const Vec<int32_t> &ind, int32_t limit) {
  for (int32_t v : ind)
    if (v < 0 || v >= limit) return false;
  return true;
}

bool chars_ok(const Vec<char> &v, const char *allowed) {
  for (char c : v)
    if (!c || !std::strchr(allowed, c)) return false;
  return true;
}

bool rows_ok(const ImageRows &r, int32_t ncols) {
  int64_t n = r.count();
  return starts_ok(r.beg, n, static_cast<int64_t>(r.ind.size())) && r.val.size() == r.ind.size() &&
         indices_ok(r.ind, ncols) && static_cast<int64_t>(r.sense.size()) == n && chars_ok(r.sense, "LEG") &&
         (r.names.size() == 0 || r.names.size() == n);
}

// Consistency of everything that is later used as a size or an index.
bool image_ok(const ModelImage &g) {
  size_t n = static_cast<size_t>(g.ncols), m = static_cast<size_t>(g.nrows);
  if (g.ncols < 0 || g.nrows < 0 || (g.objsense != 1 && g.objsense != -1)) return false;
  if (g.obj.size() != n || g.lb.size() != n || g.ub.size() != n) return false;
  if (!g.ctype.empty() && (g.ctype.size() != n || !chars_ok(g.ctype, "CBISN"))) return false;
  if (!starts_ok(g.matbeg, g.ncols, static_cast<int64_t>(g.matind.size())) || g.matval.size() != g.matind.size() ||
      !indices_ok(g.matind, g.nrows))
    return false;
  if (g.rhs.size() != m || g.sense.size() != m || !chars_ok(g.sense, "LEGR")) return false;
  if (!g.rngval.empty() && g.rngval.size() != m) return false;
  if ((g.colnames.size() && g.colnames.size() != g.ncols) || (g.rownames.size() && g.rownames.size() != g.nrows))
    return false;
  int64_t ns = g.nsos();
  if (!starts_ok(g.sosbeg, ns, static_cast<int64_t>(g.sosind.size())) || g.soswt.size() != g.sosind.size() ||
      !indices_ok(g.sosind, g.ncols) || !chars_ok(g.sostype, "12") || (g.sosnames.size() && g.sosnames.size() != ns))
    return false;
  if (g.has_qobj && (!starts_ok(g.qbeg, g.ncols, static_cast<int64_t>(g.qind.size())) ||
                     g.qval.size() != g.qind.size() || !indices_ok(g.qind, g.ncols)))
    return false;
  if (!g.has_qobj && (!g.qbeg.empty() || !g.qind.empty())) return false;
  int64_t nq = g.nqc();
  if (!starts_ok(g.qc_lbeg, nq, static_cast<int64_t>(g.qc_lind.size())) || g.qc_lval.size() != g.qc_lind.size() ||
      !indices_ok(g.qc_lind, g.ncols) || !starts_ok(g.qc_qbeg, nq, static_cast<int64_t>(g.qc_qrow.size())) ||
      g.qc_qcol.size() != g.qc_qrow.size() || g.qc_qval.size() != g.qc_qrow.size() ||
      !indices_ok(g.qc_qrow, g.ncols) || !indices_ok(g.qc_qcol, g.ncols) ||
      static_cast<int64_t>(g.qc_sense.size()) != nq || !chars_ok(g.qc_sense, "LG") || g.qc_names.size() != nq)
    return false;
  int64_t ni = g.nic();
  if (static_cast<int64_t>(g.ic_var.size()) != ni || static_cast<int64_t>(g.ic_compl.size()) != ni ||
      !indices_ok(g.ic_var, g.ncols) || !indices_ok(g.ic_compl, 2) ||
      !starts_ok(g.ic_beg, ni, static_cast<int64_t>(g.ic_ind.size())) || g.ic_val.size() != g.ic_ind.size() ||
      !indices_ok(g.ic_ind, g.ncols) || static_cast<int64_t>(g.ic_sense.size()) != ni ||
      !chars_ok(g.ic_sense, "LEG") || g.ic_names.size() != ni)
    return false;
  if (!g.sospri.empty() && static_cast<int64_t>(g.sospri.size()) != ns) return false;
  return rows_ok(g.usercuts, g.ncols) && rows_ok(g.lazy, g.ncols);
}

int read_parts(SavIn &in, uint32_t version, ModelImage &g, SavBasis &basis) {
  in.text(g.probname, g.has_probname);
  in.text(g.objname, g.has_objname);
  g.objsense = in.pod<int32_t>();
  g.objoffset = in.pod<double>();
  g.ncols = in.pod<int32_t>();
  g.nrows = in.pod<int32_t>();
  in.vec(g.obj), in.vec(g.lb), in.vec(g.ub), in.vec(g.ctype);
  in.vec(g.matbeg), in.vec(g.matind), in.vec(g.matval);
  in.vec(g.rhs), in.vec(g.sense), in.vec(g.rngval);
  in.names(g.colnames), in.names(g.rownames);
  in.vec(g.sostype), in.vec(g.sosbeg), in.vec(g.sosind), in.vec(g.soswt), in.names(g.sosnames);
  g.has_qobj = in.pod<uint8_t>() != 0;
  in.vec(g.qbeg), in.vec(g.qind), in.vec(g.qval);
  in.vec(g.qc_lbeg), in.vec(g.qc_lind), in.vec(g.qc_lval), in.vec(g.qc_qbeg), in.vec(g.qc_qrow), in.vec(g.qc_qcol),
      in.vec(g.qc_qval), in.vec(g.qc_rhs), in.vec(g.qc_sense), in.names(g.qc_names);
  in.vec(g.ic_var), in.vec(g.ic_compl), in.vec(g.ic_beg), in.vec(g.ic_ind), in.vec(g.ic_val), in.vec(g.ic_rhs),
      in.vec(g.ic_sense), in.names(g.ic_names);
  if (version >= 2) {
    in.vec(g.sospri);
    in.rows(g.usercuts), in.rows(g.lazy);
  }
  basis.present = in.pod<uint8_t>() != 0;
  if (basis.present) {
    in.vec(basis.cstat), in.vec(basis.rstat);
    if (!in.fault() && (basis.cstat.size() != static_cast<size_t>(g.ncols) ||
                        basis.rstat.size() != static_cast<size_t>(g.nrows)))
      in.bad();
  }
  char trailer[8];
  in.bytes(trailer, sizeof trailer);
  if (in.fault()) return in.fault();
  if (std::memcmp(trailer, kSavTrailer, sizeof trailer) != 0 || !in.at_end() || !image_ok(g)) return kBad;
  if (g.qc_rhs.size() != g.qc_sense.size() || g.ic_rhs.size() != g.ic_sense.size()) return kBad;
  return 0;
}

}  // namespace

int sav_read(const tvlenv *env, FILE *fp, const char *filename, ModelImage &img, SavBasis *basis_out) {
  try {
    Vec<char> buf;
    mps::read_stream(fp, buf);
    SavIn in(buf.data(), buf.size());
    char magic[8] = {};
    in.bytes(magic, sizeof magic);
    if (in.fault() || std::memcmp(magic, kSavMagic, sizeof magic) != 0) return report(env, 1560, filename);
    uint32_t version = in.pod<uint32_t>(), order = in.pod<uint32_t>();
    if (in.fault()) return report(env, 1561);
    if (order != kSavByteOrder || version > kSavVersion || version == 0) return report(env, 1563, filename);
    img = ModelImage();
    img.sosbeg.clear(), img.qc_lbeg.clear(), img.qc_qbeg.clear(), img.ic_beg.clear();
    SavBasis local;
    SavBasis &basis = basis_out ? *basis_out : local;
    int st = read_parts(in, version, img, basis);
    if (st == kShort) return report(env, 1561);
    if (st == kBad) return report(env, 1560, filename);
    return 0;
  } catch (const std::bad_alloc &) {
    return report(env, 1001);
  }
}

int sav_install_basis(tvlenv *env, tvllp *lp, const SavBasis &basis) {
  if (!basis.present || !TVLcopybase) return 0;
  static const int kNone = 0;
  int st = TVLcopybase(env, lp, basis.cstat.empty() ? &kNone : basis.cstat.data(),
                       basis.rstat.empty() ? &kNone : basis.rstat.data());
  return st > 0 ? -st : st;
}

}  // namespace tvl
