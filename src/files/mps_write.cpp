// MPS writer (fixed and free layouts).  What it writes, the reader reads
// back into the same data: numbers are written so that they convert back
// to the same double, bounds and senses are written so that the reader's
// defaults and conventions reproduce them exactly (negative zeros
// included), quadratic-constraint and indicator rows follow the linear
// rows in ROWS and carry their linear parts in COLUMNS.
#include "files/mps_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "files/mps_names.h"
#include "frame/infinity.h"

namespace tvl {
namespace {

bool pos_zero(double x) { return x == 0.0 && !std::signbit(x); }
bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Drops the '+' and the leading zeros of an exponent ("1e+05" -> "1e5").
int compact_exponent(char *b, int n) {
  char *e = static_cast<char *>(std::memchr(b, 'e', static_cast<size_t>(n)));
  if (!e) return n;
  char *w = e + 1, *r = e + 1;
  if (*r == '+') ++r;
  else if (*r == '-') *w++ = *r++;
  while (*r == '0' && r[1]) ++r;
  while (*r) *w++ = *r++;
  *w = '\0';
  return static_cast<int>(w - b);
}

class Out {
 public:
  Out(FILE *fp, bool fixed, bool longnum) : fp_(fp), fixed_(fixed), longnum_(longnum) { buf_.reserve(1 << 16); }
  ~Out() { flush(); }

  void text(std::string_view s) {
    buf_.insert(buf_.end(), s.begin(), s.end());
    if (buf_.size() > (1 << 16)) flush();
  }
  // One data line; fields are (index, text) in increasing index 0..5 for the
  // columns 2, 5, 15, 25, 40 and 50 of the fixed layout.  In the fixed
  // layout a field goes to its column, or further right by as much as a
  // long number before it overflowed (the reader's rule).
  void line(std::initializer_list<std::pair<int, std::string_view>> fields) {
    static const size_t kStart[6] = {1, 4, 14, 24, 39, 49};
    static const size_t kWidth[6] = {2, 8, 8, 12, 8, 12};
    static const bool kName[6] = {true, true, true, false, true, false};
    size_t begin = buf_.size(), end = 1;
    buf_.push_back(' ');
    int k = 0;
    bool first = true;
    for (auto [want, s] : fields) {
      if (!fixed_) {
        if (!first) buf_.push_back(' ');
        buf_.insert(buf_.end(), s.begin(), s.end());
        first = false;
        continue;
      }
      for (;; ++k) {
        size_t gap = k == 0 ? 0 : kStart[k] - (kStart[k - 1] + kWidth[k - 1]);
        size_t at = kStart[k] > end + gap ? kStart[k] : end + gap;
        if (k < want) {
          end = kName[k] ? at + kWidth[k] : at;
          continue;
        }
        while (buf_.size() - begin < at) buf_.push_back(' ');
        buf_.insert(buf_.end(), s.begin(), s.end());
        end = at + (kName[k] && s.size() < kWidth[k] ? kWidth[k] : s.size());
        ++k;
        break;
      }
    }
    while (buf_.size() > begin + 1 && buf_.back() == ' ') buf_.pop_back();
    buf_.push_back('\n');
    if (buf_.size() > (1 << 16)) flush();
  }
  // Number text: shortest exact form, or at most 12 characters.
  std::string_view num(double v, char *b) {
    if (longnum_) {
      auto r = std::to_chars(b, b + 40, v);
      return std::string_view(b, static_cast<size_t>(r.ptr - b));
    }
    int n = 0;
    for (int p = 15; p >= 1; --p) {
      n = compact_exponent(b, std::snprintf(b, 40, "%.*g", p, v));
      if (n <= 12) break;
    }
    return std::string_view(b, static_cast<size_t>(n));
  }
  void flush() {
    if (!buf_.empty()) std::fwrite(buf_.data(), 1, buf_.size(), fp_);
    buf_.clear();
  }
  bool fixed() const { return fixed_; }

 private:
  FILE *fp_;
  bool fixed_, longnum_;
  Vec<char> buf_;
};

// Row and column names, with defaults where the problem has none.
struct Names {
  NameList col, row;  // row: linear rows, then quadratic, then indicator rows
  std::string_view obj;
  Vec<char> objbuf;

  void build(const ModelImage &img) {
    char b[32];
    auto fill = [&](NameList &dst, const NameList &src, int64_t n, char letter) {
      for (int64_t k = 0; k < n; ++k) {
        if (src.size() && src.has(k)) {
          dst.add(src.view(k));
        } else {
          int len = std::snprintf(b, sizeof b, "%c%lld", letter, static_cast<long long>(k + 1));
          dst.add(std::string_view(b, static_cast<size_t>(len)));
        }
      }
    };
    fill(col, img.colnames, img.ncols, 'x');
    fill(row, img.rownames, img.nrows, 'c');
    fill(row, img.qc_names, img.nqc(), 'q');
    fill(row, img.ic_names, img.nic(), 'i');
    // Objective row: its name when given, otherwise "obj"; made unique.
    std::string_view want = img.has_objname && img.objname.size() > 1 ? std::string_view(img.objname.data()) : "obj";
    NameIndex idx(row.size() + 1);
    for (int64_t k = 0; k < row.size(); ++k) idx.insert(row.view(k), static_cast<int32_t>(k));
    objbuf.assign(want.begin(), want.end());
    while (idx.find(std::string_view(objbuf.data(), objbuf.size())) != NameIndex::kMissing) objbuf.push_back('_');
    obj = std::string_view(objbuf.data(), objbuf.size());
  }
};

// Linear entries of the quadratic-constraint and indicator rows, by column.
struct ExtraEntries {
  Vec<int32_t> beg;  // ncols+1
  Vec<int32_t> row;  // index into Names::row
  Vec<double> val;

  void build(const ModelImage &img) {
    beg.assign(static_cast<size_t>(img.ncols) + 1, 0);
    for (int32_t j : img.qc_lind) ++beg[j + 1];
    for (int32_t j : img.ic_ind) ++beg[j + 1];
    for (int32_t j = 0; j < img.ncols; ++j) beg[j + 1] += beg[j];
    Vec<int32_t> pos(beg.begin(), beg.end() - 1);
    row.resize(beg.back());
    val.resize(beg.back());
    for (int64_t k = 0; k < img.nqc(); ++k)
      for (int32_t p = img.qc_lbeg[k]; p < img.qc_lbeg[k + 1]; ++p) {
        int32_t at = pos[img.qc_lind[p]]++;
        row[at] = img.nrows + static_cast<int32_t>(k);
        val[at] = img.qc_lval[p];
      }
    for (int64_t k = 0; k < img.nic(); ++k)
      for (int32_t p = img.ic_beg[k]; p < img.ic_beg[k + 1]; ++p) {
        int32_t at = pos[img.ic_ind[p]]++;
        row[at] = img.nrows + static_cast<int32_t>(img.nqc() + k);
        val[at] = img.ic_val[p];
      }
  }
};

void write_rows(Out &o, const ModelImage &img, const Names &nm) {
  o.text("ROWS\n");
  o.line({{0, "N"}, {1, nm.obj}});
  for (int32_t i = 0; i < img.nrows; ++i) {
    char s[2] = {img.sense[i] == 'R' ? 'E' : img.sense[i], 0};
    o.line({{0, s}, {1, nm.row.view(i)}});
  }
  for (int64_t k = 0; k < img.nqc(); ++k) {
    char s[2] = {img.qc_sense[k], 0};
    o.line({{0, s}, {1, nm.row.view(img.nrows + k)}});
  }
  for (int64_t k = 0; k < img.nic(); ++k) {
    char s[2] = {img.ic_sense[k], 0};
    o.line({{0, s}, {1, nm.row.view(img.nrows + img.nqc() + k)}});
  }
}

void write_columns(Out &o, const ModelImage &img, const Names &nm, const ExtraEntries &ex) {
  o.text("COLUMNS\n");
  char b[48];
  bool in_int = false;
  for (int32_t j = 0; j < img.ncols; ++j) {
    char t = img.ctype.empty() ? 'C' : img.ctype[j];
    bool want_int = t == 'I' || t == 'N';
    if (want_int != in_int) {
      o.line({{1, "MARKER"}, {2, "'MARKER'"}, {4, want_int ? "'INTORG'" : "'INTEND'"}});
      in_int = want_int;
    }
    std::string_view c = nm.col.view(j);
    bool empty = img.matbeg[j] == img.matbeg[j + 1] && ex.beg[j] == ex.beg[j + 1];
    if (!pos_zero(img.obj[j]) || empty) o.line({{1, c}, {2, nm.obj}, {3, o.num(img.obj[j], b)}});
    for (int32_t p = img.matbeg[j]; p < img.matbeg[j + 1]; ++p)
      o.line({{1, c}, {2, nm.row.view(img.matind[p])}, {3, o.num(img.matval[p], b)}});
    for (int32_t p = ex.beg[j]; p < ex.beg[j + 1]; ++p)
      o.line({{1, c}, {2, nm.row.view(ex.row[p])}, {3, o.num(ex.val[p], b)}});
  }
  if (in_int) o.line({{1, "MARKER"}, {2, "'MARKER'"}, {4, "'INTEND'"}});
}

void write_rhs_ranges(Out &o, const ModelImage &img, const Names &nm) {
  char b[48];
  o.text("RHS\n");
  if (!pos_zero(img.objoffset)) o.line({{1, "RHS"}, {2, nm.obj}, {3, o.num(-img.objoffset, b)}});
  for (int32_t i = 0; i < img.nrows; ++i)
    if (!pos_zero(img.rhs[i])) o.line({{1, "RHS"}, {2, nm.row.view(i)}, {3, o.num(img.rhs[i], b)}});
  for (int64_t k = 0; k < img.nqc(); ++k)
    if (!pos_zero(img.qc_rhs[k])) o.line({{1, "RHS"}, {2, nm.row.view(img.nrows + k)}, {3, o.num(img.qc_rhs[k], b)}});
  for (int64_t k = 0; k < img.nic(); ++k)
    if (!pos_zero(img.ic_rhs[k]))
      o.line({{1, "RHS"}, {2, nm.row.view(img.nrows + img.nqc() + k)}, {3, o.num(img.ic_rhs[k], b)}});
  bool any = false;
  for (int32_t i = 0; i < img.nrows; ++i) {
    if (img.sense[i] != 'R') continue;
    if (!any) o.text("RANGES\n");
    any = true;
    o.line({{1, "RNG"}, {2, nm.row.view(i)}, {3, o.num(img.rngval[i], b)}});
  }
}

void write_bounds(Out &o, const ModelImage &img, const Names &nm) {
  char b[48];
  bool any = false;
  auto bound = [&](const char *type, std::string_view col, const double *v) {
    if (!any) o.text("BOUNDS\n");
    any = true;
    if (v)
      o.line({{0, type}, {1, "BND"}, {2, col}, {3, o.num(*v, b)}});
    else
      o.line({{0, type}, {1, "BND"}, {2, col}});
  };
  for (int32_t j = 0; j < img.ncols; ++j) {
    char t = img.ctype.empty() ? 'C' : img.ctype[j];
    double lb = img.lb[j], ub = img.ub[j];
    std::string_view c = nm.col.view(j);
    double up_default = kInfBound;
    if (t == 'B') {
      bound("BV", c, nullptr);
      up_default = 1.0;
    } else if (t == 'S' || t == 'N') {
      bound("SC", c, &ub);
      up_default = ub;
    } else if (same_bits(lb, ub)) {
      bound("FX", c, &lb);
      continue;
    } else if (lb == -kInfBound && ub == kInfBound) {
      bound("FR", c, nullptr);
      continue;
    }
    if (lb == -kInfBound)
      bound("MI", c, nullptr);
    else if (!pos_zero(lb) || ub < 0.0)
      bound("LO", c, &lb);  // an explicit 0 keeps a negative upper bound from freeing the column
    if (!same_bits(ub, up_default)) bound("UP", c, &ub);
  }
}

void write_sos(Out &o, const ModelImage &img, const Names &nm) {
  if (img.nsos() == 0) return;
  char b[48];
  o.text("SOS\n");
  for (int64_t k = 0; k < img.nsos(); ++k) {
    char type[3] = {'S', img.sostype[k], 0};
    std::string_view name = img.sosnames.size() ? img.sosnames.view(k) : std::string_view();
    bool named = img.sosnames.size() && img.sosnames.has(k);
    // The priority follows the name; in the free layout an unnamed set
    // with a priority is given its default name so that the field count
    // stays unambiguous.
    char fallback[24], prio[16];
    if (!img.sospri.empty() && !named && !o.fixed()) {
      name = std::string_view(fallback, static_cast<size_t>(std::snprintf(fallback, sizeof fallback, "s%lld",
                                                                           static_cast<long long>(k + 1))));
      named = true;
    }
    if (!img.sospri.empty())
      o.line({{0, type}, {1, "SOS"}, {2, name}, {3, std::string_view(prio, static_cast<size_t>(std::snprintf(
                                                                              prio, sizeof prio, "%d", img.sospri[k])))}});
    else if (named)
      o.line({{0, type}, {1, "SOS"}, {2, name}});
    else
      o.line({{0, type}, {1, "SOS"}});
    for (int32_t p = img.sosbeg[k]; p < img.sosbeg[k + 1]; ++p) {
      if (o.fixed())
        o.line({{1, named ? name : ""}, {2, nm.col.view(img.sosind[p])}, {3, o.num(img.soswt[p], b)}});
      else
        o.line({{1, nm.col.view(img.sosind[p])}, {2, o.num(img.soswt[p], b)}});
    }
  }
}

void write_quadratic(Out &o, const ModelImage &img, const Names &nm) {
  char b[48];
  if (img.has_qobj) {
    o.text("QMATRIX\n");
    for (int32_t j = 0; j < img.ncols; ++j)
      for (int32_t p = img.qbeg[j]; p < img.qbeg[j + 1]; ++p)
        o.line({{1, nm.col.view(j)}, {2, nm.col.view(img.qind[p])}, {3, o.num(img.qval[p], b)}});
  }
  for (int64_t k = 0; k < img.nqc(); ++k) {
    o.text("QCMATRIX   ");
    o.text(nm.row.view(img.nrows + k));
    o.text("\n");
    for (int32_t p = img.qc_qbeg[k]; p < img.qc_qbeg[k + 1]; ++p)
      o.line({{1, nm.col.view(img.qc_qrow[p])}, {2, nm.col.view(img.qc_qcol[p])}, {3, o.num(img.qc_qval[p], b)}});
  }
}

void write_indicators(Out &o, const ModelImage &img, const Names &nm) {
  if (img.nic() == 0) return;
  o.text("INDICATORS\n");
  for (int64_t k = 0; k < img.nic(); ++k)
    o.line({{0, "IF"}, {1, nm.row.view(img.nrows + img.nqc() + k)}, {2, nm.col.view(img.ic_var[k])},
            {3, img.ic_compl[k] ? "0" : "1"}});
}

}  // namespace

int mps_write(const ModelImage &img, FILE *fp, bool fixed, bool longnum) {
  try {
    Names nm;
    nm.build(img);
    ExtraEntries ex;
    ex.build(img);
    Out o(fp, fixed, longnum);
    o.text(fixed ? "NAME          " : "NAME ");
    if (img.has_probname) o.text(img.probname.data());
    o.text("\n");
    if (img.objsense == -1) o.text("OBJSENSE\n    MAX\n");
    write_rows(o, img, nm);
    write_columns(o, img, nm, ex);
    write_rhs_ranges(o, img, nm);
    write_bounds(o, img, nm);
    write_sos(o, img, nm);
    write_quadratic(o, img, nm);
    write_indicators(o, img, nm);
    o.text("ENDATA\n");
  } catch (const std::bad_alloc &) {
    return 1001;
  }
  return std::ferror(fp) ? 1422 : 0;
}

}  // namespace tvl
