// TVLreadcopyprob and TVLwriteprob: the model format is taken from the
// explicit type ("LP", "MPS", "FMPS", "SAV") or else from the file name's
// extension after a compression suffix (.gz, .bz2, .Z) is set aside.  The
// types "SOL" and "MST" (.sol, .mst) read and write the solution and the
// MIP starts of the problem instead of its model.
#include "files/fileformat.h"
#include "files/lpformat.h"

#include <cstring>

#include "files/mps_image.h"
#include "files/mps_reader.h"
#include "files/mps_writer.h"
#include "files/sav_format.h"
#include "files/solxml.h"
#include "frame/mipstarts.h"
#include "frame/error.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "runtime/cfile.h"

namespace tvl {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text(const char *a, size_t n, const char *b) {
  if (std::strlen(b) != n) return false;
  for (size_t k = 0; k < n; ++k)
    if (lower(a[k]) != lower(b[k])) return false;
  return true;
}

ModelFormat format_of_word(const char *w, size_t n) {
  if (same_text(w, n, "lp")) return ModelFormat::Lp;
  if (same_text(w, n, "mps")) return ModelFormat::Mps;
  if (same_text(w, n, "fmps") || same_text(w, n, "free") || same_text(w, n, "freemps")) return ModelFormat::FreeMps;
  if (same_text(w, n, "sav")) return ModelFormat::Sav;
  if (same_text(w, n, "sol")) return ModelFormat::Sol;
  if (same_text(w, n, "mst")) return ModelFormat::Mst;
  return ModelFormat::Unknown;
}

// Position of the last occurrence of c among the first n characters, or -1.
long last_of(const char *s, size_t n, char c) {
  for (size_t k = n; k-- > 0;)
    if (s[k] == c) return static_cast<long>(k);
  return -1;
}

}  // namespace

ModelFormat model_format(const char *filename, const char *filetype) {
  if (filetype && *filetype) return format_of_word(filetype, std::strlen(filetype));
  size_t n = std::strlen(filename);
  if (compression_of(filename) != Compression::None) {
    long dot = last_of(filename, n, '.');
    if (dot >= 0) n = static_cast<size_t>(dot);
  }
  long dot = last_of(filename, n, '.'), slash = last_of(filename, n, '/');
  if (dot < 0 || slash > dot) return ModelFormat::Unknown;
  return format_of_word(filename + dot + 1, n - static_cast<size_t>(dot + 1));
}

namespace {

int read_model(tvlenv *env, tvllp *lp, const char *filename, const char *filetype) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (!filename || !*filename) return 1421;
  ModelFormat fmt = model_format(filename, filetype);
  if (fmt == ModelFormat::Unknown) return 1424;
  if (fmt == ModelFormat::Sol) return solxml_read_solution(env, lp, filename);
  if (fmt == ModelFormat::Mst) return solxml_read_starts(env, lp, filename, false);
  FILE *fp = open_read_reported(env, filename, "rb", nullptr, true, true, &st);
  if (!fp) return st;
  if (fmt == ModelFormat::Lp) {
    st = lp_read(env, lp, fp, filename);
  } else {
    ModelImage img;
    SavBasis basis;
    if (fmt == ModelFormat::Sav)
      st = sav_read(env, fp, filename, img, &basis);
    else
      st = mps_read(env, fp, fmt == ModelFormat::Mps, img);
    if (!st) st = image_load(env, lp, img);
    if (!st) st = sav_install_basis(env, lp, basis);
  }
  cfile_close_read(filename, &fp);
  return st;
}

int write_model(const tvlenv *cenv, const tvllp *clp, const char *filename, const char *filetype) {
  tvlenv *env = const_cast<tvlenv *>(cenv);
  tvllp *lp = const_cast<tvllp *>(clp);
  int st = check_problem(env, lp);
  if (st) return st;
  if (!filename || !*filename) return 1421;
  ModelFormat fmt = model_format(filename, filetype);
  if (fmt == ModelFormat::Unknown) return 1424;
  if (fmt == ModelFormat::Sol) return solxml_write_solution(env, lp, filename);
  if (fmt == ModelFormat::Mst) return solxml_write_starts(env, lp, filename, 0, mipstarts_count(lp) - 1);
  ModelImage img;
  if (fmt != ModelFormat::Lp && (st = image_capture(env, lp, img)) != 0) return st;
  FILE *fp = cfile_open_write(filename, fmt == ModelFormat::Sav ? "wb" : "w", true);
  if (!fp) return report(env, 1422, filename);
  if (fmt == ModelFormat::Lp)
    st = lp_write(env, lp, fp, filename);
  else if (fmt == ModelFormat::Sav)
    st = sav_write(img, lp, fp);
  else
    st = mps_write(img, fp, fmt == ModelFormat::Mps, param_int(env, TVL_PARAM_MPSLONGNUM) != 0);
  cfile_close_write(filename, &fp);
  if (st == 1422) return report(env, 1422, filename);
  if (st == 1562) return report(env, 1562);
  return st;
}

}  // namespace
}  // namespace tvl

extern "C" {

int TVLreadcopyprob(TVLENVptr env, TVLLPptr lp, const char *filename_str, const char *filetype_str) {
  return tvl::boundary(env, tvl::read_model(env, lp, filename_str, filetype_str));
}

int TVLwriteprob(TVLCENVptr env, TVLCLPptr lp, const char *filename_str, const char *filetype_str) {
  return tvl::boundary(env, tvl::write_model(env, lp, filename_str, filetype_str));
}

}  // extern "C"
