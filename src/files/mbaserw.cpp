// Basis files in the column-oriented MPS basis layout: TVLmbasewrite
// writes the problem's basis, TVLreadcopybase reads one and installs it as
// the starting basis.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/mps_image.h"
#include "files/mps_lines.h"
#include "files/mps_names.h"
#include "frame/basis.h"
#include "frame/error.h"
#include "frame/problem.h"
#include "frame/solution.h"
#include "runtime/cfile.h"

namespace tvl {
namespace {

// ---------------------------------------------------------------------------
// Writing

// Name of row or column k: the problem's, or the default c1.../x1....
class ItemNames {
 public:
  ItemNames(const NameTable &t, char letter) : t_(t), letter_(letter) {}
  const char *get(int32_t k) {
    if (t_.present()) return t_.get(k);
    std::snprintf(buf_, sizeof buf_, "%c%d", letter_, k + 1);
    return buf_;
  }

 private:
  const NameTable &t_;
  char letter_;
  char buf_[32];
};

int write_basis(const tvlenv *env, tvllp *lp, const char *filename) {
  int st = check_problem(env, lp);
  if (st || (st = complete(env, lp)) != 0) return st;
  if (!basis_present(lp)) return 1262;
  const LpData *d = lp->lp;
  int32_t n = d->ncols, m = d->nrows;
  if (!d->colnames.present()) msg_warning(env, "Default variable names x1, x2 ... to be created.\n");
  if (!d->rownames.present()) msg_warning(env, "Default row names c1, c2 ... to be created.\n");
  if (!filename || !*filename) return 1421;
  FILE *fp = cfile_open_write(filename, "w", true);
  if (!fp) return report(env, 1422, filename);
  const BasisData *b = lp->basis;
  int64_t basic = 0;
  for (int32_t j = 0; j < n; ++j) basic += b->cstat[j] == TVL_BASIC;
  for (int32_t i = 0; i < m; ++i) basic += b->rstat[i] == TVL_BASIC;
  if (basic != m) {
    cfile_close_write(filename, &fp);
    return report(env, 1555, static_cast<int>(basic < m ? m - basic : basic - m), basic < m ? "too few" : "extra");
  }
  const SolutionRecord *s = lp->soln;
  bool values = s && s->has_primal && s->x.size() == static_cast<size_t>(n) && s->slack.size() == static_cast<size_t>(m);
  const char *pname = lp->name ? lp->name : "";
  if (s && s->status != 0)
    std::fprintf(fp, "NAME          %.255s  Iterations %d  Rows %d  Cols %d\n", pname, static_cast<int>(s->itcnt), m, n);
  else
    std::fprintf(fp, "NAME          %.255s\n", pname);
  ItemNames cn(d->colnames, 'x'), rn(d->rownames, 'c');
  int32_t cursor = 0;
  for (int32_t i = 0; i < m; ++i) {
    if (b->rstat[i] == TVL_BASIC) continue;
    while (cursor < n && b->cstat[cursor] != TVL_BASIC) ++cursor;
    if (cursor >= n) break;
    char letter = d->sense[i] == 'G' || b->rstat[i] == TVL_AT_UPPER ? 'U' : 'L';
    std::fprintf(fp, " X%c %.255s  ", letter, cn.get(cursor));
    std::fprintf(fp, "%.255s", rn.get(i));
    if (values) std::fprintf(fp, "  %23.15e", s->x[cursor]);
    std::fputc('\n', fp);
    ++cursor;
  }
  for (int32_t j = cursor; j < n; ++j)
    if (b->cstat[j] == TVL_BASIC) std::fprintf(fp, " BS %.255s\n", cn.get(j));
  for (int32_t j = 0; j < n; ++j)
    if (b->cstat[j] == TVL_AT_UPPER) std::fprintf(fp, " UL %.255s\n", cn.get(j));
  if (values) {
    for (int32_t i = 0; i < m; ++i) {
      double v = d->sense[i] == 'G' ? -s->slack[i] : s->slack[i];
      std::fprintf(fp, " %s %.255s  %23.15e\n", b->rstat[i] == TVL_BASIC ? "BR" : "SR", rn.get(i), v);
    }
    for (int32_t j = 0; j < n; ++j)
      if (b->cstat[j] != TVL_BASIC) std::fprintf(fp, " SC %.255s  %23.15e\n", cn.get(j), s->x[j]);
  }
  std::fputs("ENDATA\n", fp);
  bool failed = std::ferror(fp) != 0;
  cfile_close_write(filename, &fp);
  return failed ? report(env, 1422, filename) : 0;
}

// ---------------------------------------------------------------------------
// Reading

constexpr int kMaxWarnings = 20;

class BasisReader {
 public:
  BasisReader(const tvlenv *env, const LpData *d)
      : env_(env), d_(d), colidx_(d->ncols), rowidx_(d->nrows) {
    for (int32_t j = 0; j < d->ncols; ++j) colidx_.insert(d->colnames.get(j), j);
    for (int32_t i = 0; i < d->nrows; ++i) rowidx_.insert(d->rownames.get(i), i);
    cstat.assign(static_cast<size_t>(d->ncols), TVL_AT_LOWER);
    rstat.assign(static_cast<size_t>(d->nrows), TVL_BASIC);
    cval.assign(static_cast<size_t>(d->ncols), 0.0);
    rval.assign(static_cast<size_t>(d->nrows), 0.0);
  }
  int run(std::string_view text);

  Vec<int> cstat, rstat;
  Vec<double> cval, rval;
  bool any_value = false;

 private:
  int indicator_line(std::string_view line);
  int32_t column(std::string_view name);
  int32_t row(std::string_view name);
  void warn(const char *fmt, std::string_view name);
  bool value(std::string_view s, double *v);

  const tvlenv *env_;
  const LpData *d_;
  NameIndex colidx_, rowidx_;
  int line_ = 0;
  int warnings_ = 0;
  int64_t basic_values_ = 0;
  bool superbasic_ = false;
};

void BasisReader::warn(const char *fmt, std::string_view name) {
  if (warnings_++ >= kMaxWarnings) return;
  char buf[256];
  size_t len = name.size() < 255 ? name.size() : 255;
  if (len) std::memcpy(buf, name.data(), len);
  buf[len] = '\0';
  msg_warning(env_, fmt, line_, buf);
}

int32_t BasisReader::column(std::string_view name) {
  int32_t j = colidx_.find(name);
  if (j == NameIndex::kMissing) warn("Warning, line %d: '%.255s' is not a variable.\n", name);
  return j;
}

int32_t BasisReader::row(std::string_view name) {
  int32_t i = rowidx_.find(name);
  if (i == NameIndex::kMissing) warn("Warning, line %d: '%.255s' is not a row.\n", name);
  return i;
}

bool BasisReader::value(std::string_view s, double *v) {
  char buf[64];
  if (s.empty() || s.size() >= sizeof buf) return false;
  std::memcpy(buf, s.data(), s.size());
  buf[s.size()] = '\0';
  char *end;
  *v = std::strtod(buf, &end);
  return *end == '\0';
}

int BasisReader::indicator_line(std::string_view line) {
  std::string_view w[4];
  int nw = mps::split_words(line, w, 4);
  std::string_view ind = w[0];
  static const char *const kKnown[] = {"XU", "XL", "BS", "UL", "LL", "SC", "SR", "BR"};
  int kind = -1;
  for (int k = 0; k < 8; ++k)
    if (ind == kKnown[k]) kind = k;
  if (kind < 0) {
    char buf[256];
    size_t len = ind.size() < 255 ? ind.size() : 255;
    if (len) std::memcpy(buf, ind.data(), len);
    buf[len] = '\0';
    return report(env_, 1551, line_, buf);
  }
  int need = kind <= 1 ? 3 : 2;
  if (nw < need) return report(env_, 1553, line_);
  double v = 0.0;
  bool has_value = nw > need && value(w[need], &v);
  if (kind <= 1) {  // XU, XL
    int32_t j = column(w[1]);
    if (j == NameIndex::kMissing) return 0;
    int32_t i = row(w[2]);
    if (i == NameIndex::kMissing) return 0;
    cstat[j] = TVL_BASIC;
    rstat[i] = kind == 0 ? TVL_AT_UPPER : TVL_AT_LOWER;
    if (has_value) cval[j] = v, any_value = true, ++basic_values_;
    return 0;
  }
  if (kind <= 4) {  // BS, UL, LL
    int32_t j = column(w[1]);
    if (j != NameIndex::kMissing) cstat[j] = kind == 2 ? TVL_BASIC : kind == 3 ? TVL_AT_UPPER : TVL_AT_LOWER;
    return 0;
  }
  if (kind == 5) {  // SC
    int32_t j = column(w[1]);
    if (j == NameIndex::kMissing) return 0;
    if (!has_value) return msg_warning(env_, "Line %d: Missing basic value.\n", line_), 0;
    cstat[j] = TVL_FREE_SUPER, cval[j] = v, any_value = superbasic_ = true;
    return 0;
  }
  int32_t i = row(w[1]);  // SR, BR
  if (i == NameIndex::kMissing) return 0;
  if (!has_value) return msg_warning(env_, "Line %d: Missing basic value.\n", line_), 0;
  rval[i] = d_->sense[i] == 'G' ? -v : v;
  any_value = true;
  if (kind == 6) {
    rstat[i] = TVL_FREE_SUPER, superbasic_ = true;
  } else {
    rstat[i] = TVL_BASIC, ++basic_values_;
  }
  return 0;
}

int BasisReader::run(std::string_view text) {
  mps::LineCursor cur(text.data(), text.data() + text.size());
  std::string_view line;
  bool have = cur.next(line);
  line_ = cur.number();
  if (!have || line.substr(0, 4) != "NAME") return report(env_, 1441, have ? line_ : 1);
  bool ended = false;
  while (cur.next(line)) {
    line_ = cur.number();
    if (!line.empty() && line[0] == ' ') {
      if (int st = indicator_line(line)) return st;
      continue;
    }
    ended = line.substr(0, 6) == "ENDATA";
    break;
  }
  if (warnings_ > kMaxWarnings) msg_warning(env_, "%d warnings not printed.\n", warnings_ - kMaxWarnings);
  if (!ended) msg_warning(env_, "Warning: 'ENDATA' missing.\n");
  if (superbasic_ && basic_values_ < d_->nrows) return 1550;
  return 0;
}

int read_basis(tvlenv *env, tvllp *lp, const char *filename) {
  int st = check_modifiable(env, lp);
  if (st || (st = complete(env, lp)) != 0) return st;
  const LpData *d = lp->lp;
  if (!d->colnames.present() || !d->rownames.present()) return 1219;
  FILE *fp = open_read_reported(env, filename, "rb", ".bas", false, true, &st);
  if (!fp) return st;
  try {
    Vec<char> buf;
    mps::read_stream(fp, buf);
    cfile_close_read(filename, &fp);
    BasisReader r(env, d);
    if ((st = r.run(std::string_view(buf.data(), buf.size()))) != 0) return st;
    static const int kNone = 0;
    const int *cs = d->ncols ? r.cstat.data() : &kNone, *rs = d->nrows ? r.rstat.data() : &kNone;
    if (r.any_value)
      st = TVLcopystart(env, lp, cs, rs, d->ncols ? r.cval.data() : nullptr, d->nrows ? r.rval.data() : nullptr,
                        nullptr, nullptr);
    else
      st = TVLcopybase(env, lp, cs, rs);
    return st > 0 ? -st : st;
  } catch (const std::bad_alloc &) {
    if (fp) cfile_close_read(filename, &fp);
    return 1001;
  }
}

}  // namespace
}  // namespace tvl

extern "C" {

int TVLmbasewrite(TVLCENVptr env, TVLCLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::write_basis(env, const_cast<tvllp *>(lp), filename_str));
}

int TVLreadcopybase(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::read_basis(env, lp, filename_str));
}

}  // extern "C"
