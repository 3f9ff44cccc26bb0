// MPS reader: line dispatch, section order, ROWS, COLUMNS, RHS, RANGES and
// BOUNDS.  The model parts (SOS, quadratic sections, indicators) and the
// final assembly are in mps_read_parts.cpp.
#include <charconv>
#include <cstring>

#include "files/mps_lines.h"
#include "files/mps_reader.h"
#include "frame/error.h"
#include "frame/problem.h"

namespace tvl {
namespace mps {

namespace {

// NUL-terminated copy of a field for messages (at most 255 characters).
struct Text {
  char s[256];
  explicit Text(std::string_view v) {
    size_t n = v.size() < 255 ? v.size() : 255;
    if (n) std::memcpy(s, v.data(), n);
    s[n] = '\0';
  }
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool same_word(std::string_view a, const char *b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t k = 0; k < n; ++k)
    if (upper(a[k]) != b[k]) return false;
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
  return s;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

// ---------------------------------------------------------------------------
// Messages

int Parser::fail(int code) { return report(env_, code, line_); }

int Parser::fail_name(int code, std::string_view name) {
  Text t(name);
  if (code == 1445 || code == 1446) return report(env_, code, t.s);
  return report(env_, code, line_, t.s);
}

int Parser::fail_names(int code, const char *what, std::string_view a, std::string_view b) {
  Text ta(a), tb(b);
  switch (code) {
    case 1443: return report(env_, code, ta.s, tb.s);
    case 1444: return report(env_, code, what, ta.s, tb.s);
    case 1447: return report(env_, code, line_, what, ta.s);
    default: return report(env_, code, line_, ta.s, tb.s);  // 1479
  }
}

// ---------------------------------------------------------------------------
// Numbers and names

int Parser::number(std::string_view s, double *v) {
  size_t i = 0, n = s.size();
  bool neg = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  size_t d0 = i;
  while (i < n && is_digit(s[i])) ++i;
  size_t intd = i - d0, f0 = i, fracd = 0;
  if (i < n && s[i] == '.') {
    f0 = ++i;
    while (i < n && is_digit(s[i])) ++i;
    fracd = i - f0;
  }
  bool ok = intd + fracd > 0;
  long exp = 0;
  size_t epos = n;  // position of the exponent letter, if any
  if (ok && i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    epos = i++;
    bool eneg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) eneg = s[i++] == '-';
    size_t e0 = i;
    while (i < n && is_digit(s[i])) {
      if (exp < 100000) exp = exp * 10 + (s[i] - '0');
      ++i;
    }
    ok = i > e0;
    if (eneg) exp = -exp;
  }
  Text t(s);
  if (!ok || i != n) return report(env_, 1434, line_, t.s);
  const char *b = s.data() + (s[0] == '+' ? 1 : 0), *e = s.data() + n;
  // Some writers mark the exponent with D (1.0D3); the conversion wants E.
  char spelled[128];
  if (epos < n && (s[epos] == 'd' || s[epos] == 'D')) {
    if (n >= sizeof spelled) return report(env_, 1434, line_, t.s);
    std::memcpy(spelled, s.data(), n);
    spelled[epos] = 'e';
    b = spelled + (s[0] == '+' ? 1 : 0), e = spelled + n;
  }
  auto r = std::from_chars(b, e, *v);
  if (r.ec == std::errc::result_out_of_range) {
    // Decide overflow or underflow from the position of the first nonzero digit.
    long mag = 0;
    bool found = false;
    for (size_t k = d0; k < d0 + intd && !found; ++k)
      if (s[k] != '0') mag = static_cast<long>(d0 + intd - k) - 1 + exp, found = true;
    for (size_t k = f0; k < f0 + fracd && !found; ++k)
      if (s[k] != '0') mag = -static_cast<long>(k - f0) - 1 + exp, found = true;
    if (mag > 0) return report(env_, 1435, line_, t.s);
    *v = neg ? -0.0 : 0.0;
  } else if (r.ec != std::errc()) {
    return report(env_, 1434, line_, t.s);
  }
  return 0;
}

int Parser::name_ok(std::string_view s) {
  return s.size() > static_cast<size_t>(kMaxNameLength) ? fail(1464) : 0;
}

// ---------------------------------------------------------------------------
// Line dispatch

int Parser::run(std::string_view text) {
  LineCursor cur(text.data(), text.data() + text.size());
  std::string_view line;
  while (cur.next(line)) {
    line_ = cur.number();
    if (line.size() > static_cast<size_t>(kMaxLineLength)) return report(env_, 1465, line_, kMaxLineLength);
    if (line.empty() || line[0] == '*' || (fixed_ && line[0] == '$')) continue;
    int st;
    if (is_space(line[0])) {
      if (trim(line).empty()) continue;
      if (sec_ == Section::Start) return fail(1441);
      st = data_line(line);
    } else {
      st = header_line(line);
    }
    if (st) return st;
    if (sec_ == Section::End) return finish();
  }
  if (sec_ == Section::Start) return report(env_, 1441, line_ + 1);
  return report(env_, 1552);
}

// A line that fits the columns is still read as words when the fields show
// that it was written free-form: text in the first field of a section that
// does not use it, or a name with a blank followed by an empty field that
// the section needs.
bool Parser::grid_plausible() const {
  bool uses_first = sec_ == Section::Rows || sec_ == Section::Bounds || sec_ == Section::Sos ||
                    sec_ == Section::Indicators || sec_ == Section::ObjSense;
  if (sec_ == Section::Rows || sec_ == Section::ObjSense || sec_ == Section::ObjName) return true;
  if (!uses_first && !f_[0].empty()) return false;
  auto blank = [](std::string_view v) { return v.find(' ') != std::string_view::npos; };
  if (blank(f_[1]) && f_[2].empty()) return false;
  if (blank(f_[2]) && f_[3].empty()) {
    if (sec_ == Section::Sos || sec_ == Section::Indicators) return true;
    if (sec_ == Section::Bounds) {
      std::string_view t = f_[0];
      return same_word(t, "FR") || same_word(t, "MI") || same_word(t, "PL") || same_word(t, "BV") ||
             same_word(t, "SC") || same_word(t, "SI");
    }
    return false;
  }
  return true;
}

// In the sections whose fields name rows or columns read before, a grid
// reading is kept only when those names exist: a line whose fields were
// shifted off their columns often still fits the grid, with two names run
// together into one field ("X1  ROW1") or a name in a number's place, while
// its words name the right things.
bool Parser::grid_refs_known() const {
  // The first row field is never blank (a blank one is a line whose
  // fields sit elsewhere, such as a marker with its keywords far right);
  // the second may be.
  auto row = [this](std::string_view s) { return s.empty() || row_of(s) != NameIndex::kMissing; };
  auto first_row = [&row](std::string_view s) { return !s.empty() && row(s); };
  auto col = [this](std::string_view s) { return col_of(s) != NameIndex::kMissing; };
  switch (sec_) {
    case Section::Columns: return f_[2] == "'MARKER'" || (first_row(f_[2]) && row(f_[4]));
    case Section::Rhs:
    case Section::Ranges: return first_row(f_[2]) && row(f_[4]);
    case Section::Bounds: return col(f_[2]);
    case Section::QuadObj:
    case Section::QMatrix:
    case Section::QCMatrix: return col(f_[1]) && col(f_[2]);
    case Section::Indicators: return row(f_[1]) && col(f_[2]);
    default: return true;
  }
}

int Parser::cut(std::string_view line) {
  if (fixed_) {
    // '$' starts a comment in the fields that name rows and columns.
    if (sec_ == Section::Columns || sec_ == Section::Rhs || sec_ == Section::Ranges)
      line = cut_dollar_comment(line, 1);
    else if (sec_ == Section::Bounds)
      line = cut_dollar_comment(line, 2);
  }
  grid_ = fixed_ && split_fixed(line, f_) && grid_plausible() && grid_refs_known();
  if (!grid_) nw_ = split_words(line, w_, 8);
  return 0;
}

int Parser::header_line(std::string_view line) {
  std::string_view w[3];
  int nw = split_words(line, w, 3);
  std::string_view kw = w[0];
  if (sec_ == Section::Start) {
    if (!same_word(kw, "NAME")) return fail(1441);
    return name_line(line);
  }
  Section s;
  if (same_word(kw, "OBJSENSE")) s = Section::ObjSense;
  else if (same_word(kw, "OBJNAME")) s = Section::ObjName;
  else if (same_word(kw, "ROWS")) s = Section::Rows;
  else if (same_word(kw, "COLUMNS")) s = Section::Columns;
  else if (same_word(kw, "RHS")) s = Section::Rhs;
  else if (same_word(kw, "RANGES")) s = Section::Ranges;
  else if (same_word(kw, "BOUNDS")) s = Section::Bounds;
  else if (same_word(kw, "SOS")) s = Section::Sos;
  else if (same_word(kw, "QUADOBJ")) s = Section::QuadObj;
  else if (same_word(kw, "QMATRIX")) s = Section::QMatrix;
  else if (same_word(kw, "QSECTION")) s = qsection_kind(nw > 1 ? w[1] : std::string_view());
  else if (same_word(kw, "QCMATRIX")) s = Section::QCMatrix;
  else if (same_word(kw, "INDICATORS")) s = Section::Indicators;
  else if (same_word(kw, "ENDATA")) s = Section::End;
  else s = Section::Name;  // stands for "not a section keyword here"
  int st = enter_section(s, line);
  if (st) return st;
  if (s == Section::ObjSense && nw > 1) return objsense_value(w[1]);
  if (s == Section::ObjName && nw > 1) {
    if (int e = name_ok(w[1])) return e;
    objname_hint_ = w[1];
  }
  if (s == Section::QCMatrix) return qcmatrix_header(line);
  if (s == Section::QMatrix && same_word(kw, "QSECTION")) qsection_from_ = static_cast<int64_t>(qobj_.size());
  return 0;
}

// "QSECTION" alone or with the objective row's name holds the quadratic
// objective; with the name of another row it holds that row's quadratic
// part, as QCMATRIX does.
Section Parser::qsection_kind(std::string_view name) const {
  if (name.empty() || name == objrow_) return Section::QMatrix;
  return Section::QCMatrix;
}

int Parser::enter_section(Section s, std::string_view) {
  if (!seen_rows_) {
    if (s != Section::ObjSense && s != Section::ObjName && s != Section::Rows) return fail(1471);
    if (s == Section::Rows) seen_rows_ = true;
  } else if (!seen_columns_) {
    if (s != Section::Columns) return fail(1472);
    seen_columns_ = true;
    if (int st = close_rows()) return st;
  } else {
    switch (s) {
      case Section::Ranges:
        if (seen_bounds_ || seen_later_) return fail(1474);
        break;
      case Section::Bounds: seen_bounds_ = true; break;
      case Section::Sos: seen_later_ = true; break;
      case Section::QuadObj:
      case Section::QMatrix: seen_qobj_ = true; [[fallthrough]];
      case Section::QCMatrix: seen_later_ = seen_quad_ = true; break;
      case Section::Rhs:
      case Section::Indicators:
      case Section::End: break;
      default:
        if (seen_quad_) return fail(1475);
        if (sec_ == Section::Indicators) return fail(1462);
        return fail(1473);
    }
  }
  sec_ = s;
  return 0;
}

int Parser::data_line(std::string_view line) {
  cut(line);
  switch (sec_) {
    case Section::ObjSense: return objsense_value(grid_ ? (f_[0].empty() ? f_[1] : f_[0]) : w_[0]);
    case Section::ObjName: {
      std::string_view nm = trim(line);
      if (int e = name_ok(nm)) return e;
      objname_hint_ = nm;
      return 0;
    }
    case Section::Rows: return rows_line();
    case Section::Columns: return columns_line();
    case Section::Rhs: return rim_line(false);
    case Section::Ranges: return rim_line(true);
    case Section::Bounds: return bounds_line();
    case Section::Sos: return sos_line();
    case Section::QuadObj:
    case Section::QMatrix: return quad_line();
    case Section::QCMatrix: return qc_line();
    case Section::Indicators: return indicators_line();
    default: return fail(1471);  // data before ROWS
  }
}

int Parser::name_line(std::string_view line) {
  std::string_view nm = trim(line.substr(4));
  if (int e = name_ok(nm)) return e;
  img_.probname.assign(nm.begin(), nm.end());
  img_.probname.push_back('\0');
  img_.has_probname = true;
  sec_ = Section::Name;
  return 0;
}

int Parser::objsense_value(std::string_view word) {
  if (same_word(word, "MAX") || same_word(word, "MAXIMIZE") || same_word(word, "MAXIMISE")) {
    img_.objsense = -1;
  } else if (same_word(word, "MIN") || same_word(word, "MINIMIZE") || same_word(word, "MINIMISE")) {
    img_.objsense = 1;
  } else {
    Text t(word);
    return report(env_, 1487, line_, t.s);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// ROWS

int Parser::rows_line() {
  std::string_view s, nm;
  if (grid_) {
    s = f_[0];
    nm = f_[1];
  } else {
    s = nw_ > 0 ? w_[0] : std::string_view();
    nm = nw_ > 1 ? w_[1] : std::string_view();
  }
  if (s.size() != 1) return fail(1453);
  char c = upper(s[0]);
  if (c != 'N' && c != 'E' && c != 'L' && c != 'G') return fail(1453);
  if (nm.empty()) return fail(1486);
  if (int e = name_ok(nm)) return e;
  if (c == 'N') {
    bool isobj = !have_obj_ && (objname_hint_.empty() || nm == objname_hint_);
    if (rowidx_.insert(nm, isobj ? kObjRow : kFreeRow) != NameIndex::kMissing) return fail_name(1445, nm);
    if (isobj) {
      have_obj_ = true;
      objrow_ = nm;
    }
    return 0;
  }
  if (static_cast<int64_t>(rowname_.size()) >= kNoLimit) return report(env_, 1431);
  if (rowidx_.insert(nm, static_cast<int32_t>(rowname_.size())) != NameIndex::kMissing)
    return fail_name(1445, nm);
  rowname_.push_back(nm);
  rowsense_.push_back(c);
  return 0;
}

int Parser::close_rows() {
  if (!have_obj_) return fail(1476);
  size_t m = rowname_.size();
  mark_.assign(m, -1);
  rhsval_.assign(m, 0.0);
  rngval_.assign(m, 0.0);
  rhs_seen_.assign(m, 0);
  rng_seen_.assign(m, 0);
  rowrole_.assign(m, 0);
  return 0;
}

// ---------------------------------------------------------------------------
// COLUMNS

int Parser::columns_line() {
  std::string_view col, r1, v1, r2, v2;
  if (grid_) {
    col = f_[1], r1 = f_[2], v1 = f_[3], r2 = f_[4], v2 = f_[5];
  } else {
    col = w_[0];
    if (nw_ > 1) r1 = w_[1];
    if (nw_ > 2) v1 = w_[2];
    if (nw_ > 3) r2 = w_[3];
    if (nw_ > 4) v2 = w_[4];
  }
  if (r1 == "'MARKER'") return marker(col, grid_ ? (f_[4].empty() ? f_[3] : f_[4]) : v1);
  if (col.empty()) return fail_name(1449, col);
  if (colname_.empty() || col != colname_.back()) {
    if (int e = name_ok(col)) return e;
    int32_t j = static_cast<int32_t>(colname_.size());
    if (j >= kNoLimit) return report(env_, 1432);
    if (colidx_.insert(col, j) != NameIndex::kMissing) return fail_name(1446, col);
    colname_.push_back(col);
    img_.obj.push_back(0.0);
    img_.lb.push_back(0.0);
    img_.ub.push_back(kInfBound);
    img_.matbeg.push_back(static_cast<int32_t>(img_.matind.size()));
    img_.ctype.push_back(in_int_ ? 'I' : 'C');
    obj_set_ = false;
    if (in_sosmark_) {
      img_.sosind.push_back(j);
      img_.soswt.push_back(static_cast<double>(img_.sosind.size() - static_cast<size_t>(img_.sosbeg.back())));
    }
  }
  if (r1.empty() && v1.empty() && r2.empty() && v2.empty()) return 0;
  if (int e = column_entry(r1, v1)) return e;
  if (!r2.empty() || !v2.empty()) return column_entry(r2, v2);
  return 0;
}

int Parser::column_entry(std::string_view row, std::string_view val) {
  int32_t r = row_of(row);
  if (r == NameIndex::kMissing) return fail_name(1448, row);
  double v;
  if (int e = number(val, &v)) return e;
  int32_t j = static_cast<int32_t>(colname_.size()) - 1;
  if (r == kObjRow) {
    if (obj_set_) return fail_names(1443, nullptr, colname_.back(), row);
    img_.obj[j] = v;
    obj_set_ = true;
  } else if (r >= 0) {
    if (mark_[r] == j) return fail_names(1443, nullptr, colname_.back(), row);
    mark_[r] = j;
    if (v != 0.0) {
      if (static_cast<int64_t>(img_.matind.size()) >= kNoLimit) return report(env_, 1433);
      img_.matind.push_back(r);
      img_.matval.push_back(v);
    }
  }
  return 0;
}

int Parser::marker(std::string_view colname, std::string_view kw) {
  if (kw.size() >= 2 && kw.front() == '\'' && kw.back() == '\'') kw = kw.substr(1, kw.size() - 2);
  if (same_word(kw, "INTORG")) {
    if (in_int_) return fail(1480);
    in_int_ = true;
  } else if (same_word(kw, "INTEND")) {
    if (!in_int_) return fail(1481);
    in_int_ = false;
  } else if (same_word(kw, "SOSORG")) {
    if (in_sosmark_) return fail(1482);
    if (int e = name_ok(colname)) return e;
    in_sosmark_ = true;
    img_.sostype.push_back('1');
    img_.sosnames.add(colname);
  } else if (same_word(kw, "SOSEND")) {
    if (!in_sosmark_) return fail(1483);
    in_sosmark_ = false;
    img_.sosbeg.push_back(static_cast<int32_t>(img_.sosind.size()));
  } else {
    Text t(kw);
    return report(env_, 1434, line_, t.s);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// RHS and RANGES

int Parser::rim_line(bool ranges) {
  std::string_view set, r[2], v[2];
  if (grid_) {
    set = f_[1], r[0] = f_[2], v[0] = f_[3], r[1] = f_[4], v[1] = f_[5];
  } else {
    int k = nw_ % 2 ? 1 : 0;
    if (k) set = w_[0];
    for (int p = 0; p < 2; ++p) {
      if (nw_ > k + 2 * p) r[p] = w_[k + 2 * p];
      if (nw_ > k + 2 * p + 1) v[p] = w_[k + 2 * p + 1];
    }
  }
  int kind = ranges ? 1 : 0;
  const char *what = ranges ? "RANGES" : "RHS";
  if (!set.empty()) {
    if (!rimset_given_[kind]) {
      rimset_[kind] = set;
      rimset_given_[kind] = true;
    } else if (set != rimset_[kind]) {
      return report(env_, 1484);
    }
  }
  for (int p = 0; p < 2; ++p) {
    if (r[p].empty() && v[p].empty()) continue;
    int32_t row = row_of(r[p]);
    if (row == NameIndex::kMissing) return fail_name(1448, r[p]);
    double x;
    if (int e = number(v[p], &x)) return e;
    if (row == kObjRow) {
      if (ranges) continue;
      if (objconst_seen_) return fail_names(1444, what, rimset_[kind], r[p]);
      objconst_seen_ = true;
      img_.objoffset = -x;
    } else if (row >= 0) {
      Vec<uint8_t> &seen = ranges ? rng_seen_ : rhs_seen_;
      if (seen[row]) return fail_names(1444, what, rimset_[kind], r[p]);
      seen[row] = 1;
      (ranges ? rngval_ : rhsval_)[row] = x;
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------
// BOUNDS

namespace {

enum class BoundKind { Value, NoValue, OptionalValue };

bool bound_type(std::string_view t, BoundKind *kind) {
  static const char *const kValue[] = {"UP", "LO", "FX", "LI", "UI"};
  static const char *const kNoValue[] = {"FR", "MI", "PL", "BV"};
  for (const char *k : kValue)
    if (same_word(t, k)) return *kind = BoundKind::Value, true;
  for (const char *k : kNoValue)
    if (same_word(t, k)) return *kind = BoundKind::NoValue, true;
  if (same_word(t, "SC") || same_word(t, "SI")) return *kind = BoundKind::OptionalValue, true;
  return false;
}

}  // namespace

int Parser::bounds_line() {
  std::string_view type, set, col, val;
  if (grid_) {
    type = f_[0], set = f_[1], col = f_[2], val = f_[3];
  } else {
    type = w_[0];
  }
  if (type.empty()) return fail(1460);
  BoundKind kind;
  if (!bound_type(type, &kind)) {
    Text t(type);
    return report(env_, 1457, line_, t.s);
  }
  if (!grid_) {
    int n = nw_;
    if (n >= 4) {
      set = w_[1], col = w_[2], val = w_[3];
    } else if (n == 3) {
      bool w2col = known_col_word(w_[2]);
      if (kind == BoundKind::Value || (kind == BoundKind::OptionalValue && !w2col))
        col = w_[1], val = w_[2];
      else if (w2col || !known_col_word(w_[1]))
        set = w_[1], col = w_[2];
      else
        col = w_[1];
    } else if (n == 2) {
      col = w_[1];
    }
  }
  if (kind == BoundKind::NoValue) val = std::string_view();
  if (!set.empty()) {
    if (!rimset_given_[2]) {
      rimset_[2] = set;
      rimset_given_[2] = true;
    } else if (set != rimset_[2]) {
      return report(env_, 1484);
    }
  }
  int32_t j = col_of(col);
  if (j == NameIndex::kMissing) return fail_name(1449, col);
  return apply_bound(type, j, val, kind != BoundKind::NoValue && (kind == BoundKind::Value || !val.empty()));
}

int Parser::apply_bound(std::string_view type, int32_t j, std::string_view val, bool has_val) {
  if (bflag_.empty()) bflag_.assign(colname_.size(), 0);
  double v = 0.0;
  if (has_val)
    if (int e = number(val, &v)) return e;
  uint8_t &fl = bflag_[j];
  double &lb = img_.lb[j], &ub = img_.ub[j];
  char &ct = img_.ctype[j];
  char t0 = upper(type[0]), t1 = upper(type[1]);
  auto make_int = [&ct]() {
    if (ct == 'C') ct = 'I';
    else if (ct == 'S') ct = 'N';
  };
  if (t0 == 'U' && t1 == 'P') {
    if (fl & kUpGiven) return fail(1458);
    ub = v, fl |= kUpGiven;
    if (v < 0.0) fl |= kNegUp;
  } else if (t0 == 'L' && t1 == 'O') {
    if (fl & kLoGiven) return fail(1459);
    lb = v, fl |= kLoGiven;
  } else if (t0 == 'F' && t1 == 'X') {
    if (fl) return fail(1454);
    lb = ub = v, fl |= kLoGiven | kUpGiven;
  } else if (t0 == 'F' && t1 == 'R') {
    if (fl) return fail(1455);
    lb = -kInfBound, ub = kInfBound, fl |= kLoGiven | kUpGiven;
  } else if (t0 == 'M') {
    if (fl & kLoGiven) return fail(1459);
    lb = -kInfBound, fl |= kLoGiven;
  } else if (t0 == 'P') {
    if (fl & kUpGiven) return fail(1458);
    ub = kInfBound, fl |= kUpGiven;
  } else if (t0 == 'B') {
    if (fl) return fail(1456);
    lb = 0.0, ub = 1.0, ct = 'B', fl |= kBvGiven;
  } else if (t0 == 'L') {  // LI
    if (fl & kLoGiven) return fail(1459);
    lb = v, fl |= kLoGiven;
    make_int();
  } else if (t0 == 'U') {  // UI
    if (fl & kUpGiven) return fail(1458);
    ub = v, fl |= kUpGiven;
    if (v < 0.0) fl |= kNegUp;
    make_int();
  } else {  // SC, SI: the value is the upper bound, none means infinite
    if (fl & kUpGiven) return fail(1458);
    ub = has_val ? v : kInfBound, fl |= kUpGiven;
    ct = (t1 == 'I' || ct == 'I' || ct == 'N') ? 'N' : 'S';
  }
  return 0;
}

}  // namespace mps

int mps_parse(const tvlenv *env, std::string_view text, bool fixed, ModelImage &img) {
  try {
    img = ModelImage();
    mps::Parser p(env, fixed, img);
    return p.run(text);
  } catch (const std::bad_alloc &) {
    return report(env, 1001);
  }
}

int mps_read(const tvlenv *env, FILE *fp, bool fixed, ModelImage &img) {
  try {
    Vec<char> buf;
    mps::read_stream(fp, buf);  // a read error shows as a truncated file
    return mps_parse(env, std::string_view(buf.data(), buf.size()), fixed, img);
  } catch (const std::bad_alloc &) {
    return report(env, 1001);
  }
}

}  // namespace tvl
