// MPS reader: SOS, QUADOBJ/QMATRIX, QCMATRIX and INDICATORS sections, and
// the assembly of the image once ENDATA has been read.
#include <algorithm>
#include <cstring>

#include "files/mps_lines.h"
#include "files/mps_reader.h"
#include "frame/error.h"
#include "frame/problem.h"

namespace tvl::mps {

namespace {

bool looks_numeric(std::string_view s) {
  if (s.empty()) return false;
  char c = s[0];
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool is_sos_word(std::string_view s) {
  return s.size() == 3 && (s[0] == 'S' || s[0] == 's') && (s[1] == 'O' || s[1] == 'o') &&
         (s[2] == 'S' || s[2] == 's');
}

}  // namespace

// ---------------------------------------------------------------------------
// SOS: a set starts with a line " S1 SOS  name  priority" (type in the first
// field, the word SOS optional, name and priority optional); each member line
// gives the column and its weight, optionally preceded by the set name.

int Parser::sos_line() {
  std::string_view type, name, prio, col, wt;
  bool header;
  if (grid_) {
    header = !f_[0].empty();
    if (header) {
      type = f_[0];
      name = !f_[2].empty() ? f_[2] : (is_sos_word(f_[1]) ? std::string_view() : f_[1]);
      prio = f_[3];
    } else if (!f_[3].empty()) {
      col = f_[2], wt = f_[3];
    } else {
      col = f_[1], wt = f_[2];
    }
  } else {
    std::string_view w0 = w_[0];
    header = w0.size() == 2 && w0[0] == 'S' && !(nw_ == 2 && looks_numeric(w_[1])) &&
             !(nw_ == 3 && looks_numeric(w_[2]) && known_col_word(w_[1]));
    if (header) {
      type = w0;
      int k = nw_ > 1 && is_sos_word(w_[1]) ? 2 : 1;
      if (nw_ > k) name = w_[k];
      if (nw_ > k + 1) prio = w_[k + 1];
    } else if (nw_ == 1) {
      size_t c = w0.find(':');
      col = w0.substr(0, c);
      if (c != std::string_view::npos) wt = w0.substr(c + 1);
    } else if (nw_ == 2) {
      col = w_[0], wt = w_[1];
    } else {
      col = w_[1], wt = w_[2];
    }
  }
  if (header) {
    if (type.size() != 2 || (type[0] != 'S' && type[0] != 's') || (type[1] != '1' && type[1] != '2'))
      return report(env_, 1442, line_, type[0], type.size() > 1 ? type[1] : ' ');
    if (sos_open_) img_.sosbeg.push_back(static_cast<int32_t>(img_.sosind.size()));
    sos_open_ = true;
    int32_t k = static_cast<int32_t>(img_.sostype.size());
    img_.sostype.push_back(type[1]);
    if (name.empty()) {
      img_.sosnames.add_absent();
    } else {
      if (int e = name_ok(name)) return e;
      if (sosidx_.insert(name, k) != NameIndex::kMissing) return fail_names(1447, "SOS", name, {});
      img_.sosnames.add(name);
    }
    if (!prio.empty()) {
      double p;
      if (int e = number(prio, &p)) return e;
      if (p > kNoLimit || p < -kNoLimit) return report(env_, 1463, line_, kNoLimit);
      // Sets without a priority get 0 once any set has one.
      img_.sospri.resize(static_cast<size_t>(k), 0);
      img_.sospri.push_back(static_cast<int32_t>(p));
    }
    return 0;
  }
  if (!sos_open_) return fail(3301);
  int32_t j = col_of(col);
  if (j == NameIndex::kMissing) return fail_name(1449, col);
  double w;
  if (int e = number(wt, &w)) return e;
  if (sosmark_.empty()) sosmark_.assign(colname_.size(), -1);
  int32_t set = static_cast<int32_t>(img_.sostype.size()) - 1;
  if (sosmark_[j] == set) return fail_names(1447, "SOS member", col, {});
  sosmark_[j] = set;
  img_.sosind.push_back(j);
  img_.soswt.push_back(w);
  return 0;
}

void Parser::finish_sos() {
  if (sos_open_ || in_sosmark_) img_.sosbeg.push_back(static_cast<int32_t>(img_.sosind.size()));
  sos_open_ = in_sosmark_ = false;
  if (!img_.sosnames.any()) img_.sosnames.clear();
  if (!img_.sospri.empty()) img_.sospri.resize(static_cast<size_t>(img_.nsos()), 0);
}

// ---------------------------------------------------------------------------
// Quadratic objective (QUADOBJ: upper triangle, mirrored; QMATRIX: whole
// matrix) and quadratic constraint terms (QCMATRIX row).

int Parser::quad_line() {
  std::string_view a, b, v;
  if (grid_) {
    a = f_[1], b = f_[2], v = f_[3];
  } else {
    a = w_[0];
    if (nw_ > 1) b = w_[1];
    if (nw_ > 2) v = w_[2];
  }
  int32_t ja = col_of(a), jb = col_of(b);
  if (ja == NameIndex::kMissing) return fail_name(1449, a);
  if (jb == NameIndex::kMissing) return fail_name(1449, b);
  double x;
  if (int e = number(v, &x)) return e;
  Vec<QTerm> &dst = sec_ == Section::QCMatrix ? qcterm_ : qobj_;
  dst.push_back({ja, jb, x, line_});
  if (sec_ == Section::QuadObj && ja != jb) dst.push_back({jb, ja, x, line_});
  return 0;
}

int Parser::qcmatrix_header(std::string_view line) {
  std::string_view w[3];
  int nw = split_words(line, w, 3);
  if (nw < 2) return fail(1486);
  if (int e = name_ok(w[1])) return e;
  int32_t r = row_of(w[1]);
  if (r == NameIndex::kMissing) return fail_name(1448, w[1]);
  if (r < 0 || (rowsense_[r] != 'L' && rowsense_[r] != 'G')) return fail(1437);
  if (rowrole_[r] > 0) return fail_names(1447, "QCMATRIX", w[1], {});
  if (rowrole_[r] < 0) return fail(1437);
  rowrole_[r] = 1 + static_cast<int32_t>(qcrow_.size());
  qcrow_.push_back(r);
  qcline_.push_back(line_);
  qcbeg_.push_back(static_cast<int32_t>(qcterm_.size()));
  return 0;
}

int Parser::qc_line() { return quad_line(); }

// ---------------------------------------------------------------------------
// INDICATORS: " IF row column value" makes the row hold only while the
// column takes the value (0 or 1).

int Parser::indicators_line() {
  std::string_view kw, row, col, val;
  if (grid_) {
    kw = f_[0], row = f_[1], col = f_[2], val = f_[3];
  } else {
    kw = w_[0];
    if (nw_ > 1) row = w_[1];
    if (nw_ > 2) col = w_[2];
    if (nw_ > 3) val = w_[3];
  }
  if (kw.size() != 2 || (kw[0] != 'I' && kw[0] != 'i') || (kw[1] != 'F' && kw[1] != 'f')) return fail(1439);
  int32_t r = row_of(row);
  if (r == NameIndex::kMissing) return fail_name(1448, row);
  if (r < 0 || rowrole_[r] != 0) return fail(1439);
  int32_t j = col_of(col);
  if (j == NameIndex::kMissing) return fail_name(1449, col);
  if (val.empty()) return fail(1439);
  double x;
  if (int e = number(val, &x)) return e;
  if (x != 0.0 && x != 1.0) return fail(1439);
  rowrole_[r] = -1 - static_cast<int32_t>(icrow_.size());
  icrow_.push_back(r);
  iccol_.push_back(j);
  icval_.push_back(x == 1.0 ? 1 : 0);
  icline_.push_back(line_);
  return 0;
}

// ---------------------------------------------------------------------------
// Assembly

int Parser::finish() {
  finish_sos();
  if (int e = finish_rows()) return e;
  if (int e = finish_quadratic()) return e;
  int32_t n = static_cast<int32_t>(colname_.size());
  img_.ncols = n;
  img_.matbeg.push_back(static_cast<int32_t>(img_.matind.size()));
  for (size_t j = 0; j < bflag_.size(); ++j)
    if ((bflag_[j] & kNegUp) && !(bflag_[j] & kLoGiven)) img_.lb[j] = -kInfBound;
  if (std::all_of(img_.ctype.begin(), img_.ctype.end(), [](char c) { return c == 'C'; })) img_.ctype.clear();
  img_.colnames.reserve(n, n * 9);
  for (std::string_view s : colname_) img_.colnames.add(s);
  img_.objname.assign(objrow_.begin(), objrow_.end());
  img_.objname.push_back('\0');
  img_.has_objname = true;
  return 0;
}

int Parser::finish_rows() {
  int32_t m = static_cast<int32_t>(rowname_.size());
  Vec<int32_t> newidx(m, -1);
  int32_t nlin = 0;
  bool any_range = false;
  for (int32_t r = 0; r < m; ++r) {
    if (rng_seen_[r]) {
      if (rowrole_[r] > 0) return line_ = qcline_[rowrole_[r] - 1], fail(1437);
      if (rowrole_[r] < 0) return line_ = icline_[-rowrole_[r] - 1], fail(1439);
      any_range = true;
    }
    if (rowrole_[r] == 0) newidx[r] = nlin++;
  }
  img_.nrows = nlin;
  img_.rownames.reserve(nlin, nlin * 9);
  img_.rhs.resize(nlin);
  img_.sense.resize(nlin);
  if (any_range) img_.rngval.assign(nlin, 0.0);
  for (int32_t r = 0; r < m; ++r) {
    int32_t i = newidx[r];
    if (i < 0) continue;
    img_.rownames.add(rowname_[r]);
    char c = rowsense_[r];
    double b = rhsval_[r];
    if (rng_seen_[r]) {
      double rg = rngval_[r], a = rg < 0 ? -rg : rg;
      if (c == 'E') {
        img_.rngval[i] = rg;
      } else {
        if (c == 'L') b -= a;
        img_.rngval[i] = a;
      }
      c = 'R';
    }
    img_.sense[i] = c;
    img_.rhs[i] = b;
  }
  if (nlin == m) return 0;

  // Move the entries of quadratic-constraint and indicator rows out of the
  // matrix into the linear parts of those constraints (column order).
  int32_t nqc = static_cast<int32_t>(qcrow_.size()), nic = static_cast<int32_t>(icrow_.size());
  Vec<int32_t> cnt(static_cast<size_t>(nqc + nic) + 1, 0);
  auto slot = [&](int32_t r) { return rowrole_[r] > 0 ? rowrole_[r] - 1 : nqc + (-rowrole_[r] - 1); };
  for (int32_t r : img_.matind)
    if (newidx[r] < 0) ++cnt[slot(r) + 1];
  for (size_t k = 1; k < cnt.size(); ++k) cnt[k] += cnt[k - 1];
  Vec<int32_t> pos(cnt.begin(), cnt.end() - 1);
  Vec<int32_t> xind(cnt.back());
  Vec<double> xval(cnt.back());
  size_t n = colname_.size(), w = 0;
  for (size_t j = 0; j < n; ++j) {
    size_t b = static_cast<size_t>(img_.matbeg[j]);
    size_t e = j + 1 < n ? static_cast<size_t>(img_.matbeg[j + 1]) : img_.matind.size();
    img_.matbeg[j] = static_cast<int32_t>(w);
    for (size_t p = b; p < e; ++p) {
      int32_t r = img_.matind[p];
      if (newidx[r] >= 0) {
        img_.matind[w] = newidx[r];
        img_.matval[w++] = img_.matval[p];
      } else {
        int32_t s = pos[slot(r)]++;
        xind[s] = static_cast<int32_t>(j);
        xval[s] = img_.matval[p];
      }
    }
  }
  img_.matind.resize(w);
  img_.matval.resize(w);
  for (int32_t k = 0; k < nqc; ++k) {
    int32_t r = qcrow_[k];
    img_.qc_lind.insert(img_.qc_lind.end(), xind.begin() + cnt[k], xind.begin() + cnt[k + 1]);
    img_.qc_lval.insert(img_.qc_lval.end(), xval.begin() + cnt[k], xval.begin() + cnt[k + 1]);
    img_.qc_lbeg.push_back(static_cast<int32_t>(img_.qc_lind.size()));
    img_.qc_rhs.push_back(rhsval_[r]);
    img_.qc_sense.push_back(rowsense_[r]);
    img_.qc_names.add(rowname_[r]);
  }
  for (int32_t k = 0; k < nic; ++k) {
    int32_t r = icrow_[k];
    img_.ic_ind.insert(img_.ic_ind.end(), xind.begin() + cnt[nqc + k], xind.begin() + cnt[nqc + k + 1]);
    img_.ic_val.insert(img_.ic_val.end(), xval.begin() + cnt[nqc + k], xval.begin() + cnt[nqc + k + 1]);
    img_.ic_beg.push_back(static_cast<int32_t>(img_.ic_ind.size()));
    img_.ic_var.push_back(iccol_[k]);
    img_.ic_compl.push_back(icval_[k] == 0 ? 1 : 0);
    img_.ic_rhs.push_back(rhsval_[r]);
    img_.ic_sense.push_back(rowsense_[r]);
    img_.ic_names.add(rowname_[r]);
  }
  return 0;
}

// A QSECTION is read as the whole matrix when every off-diagonal term
// comes with its mirror image, and as one triangle otherwise (each
// off-diagonal term mirrored, so a pair given both ways then repeats).
void Parser::complete_qsection() {
  const size_t from = static_cast<size_t>(qsection_from_), end = qobj_.size();
  auto key = [](int32_t a, int32_t b) { return (static_cast<int64_t>(a) << 32) | static_cast<uint32_t>(b); };
  Vec<int64_t> keys;
  keys.reserve(end - from);
  for (size_t k = from; k < end; ++k) keys.push_back(key(qobj_[k].a, qobj_[k].b));
  std::sort(keys.begin(), keys.end());
  bool whole = true;
  for (size_t k = from; k < end && whole; ++k) {
    const QTerm &t = qobj_[k];
    whole = t.a == t.b || std::binary_search(keys.begin(), keys.end(), key(t.b, t.a));
  }
  if (whole) return;
  for (size_t k = from; k < end; ++k) {
    const QTerm t = qobj_[k];
    if (t.a != t.b) qobj_.push_back({t.b, t.a, t.v, t.line});
  }
}

int Parser::finish_quadratic() {
  int32_t n = static_cast<int32_t>(colname_.size());
  if (qsection_from_ >= 0) complete_qsection();
  if (seen_qobj_) {
    img_.has_qobj = true;
    img_.qbeg.assign(static_cast<size_t>(n) + 1, 0);
    for (const QTerm &t : qobj_)
      if (t.v != 0.0) ++img_.qbeg[t.a + 1];
    for (int32_t j = 0; j < n; ++j) img_.qbeg[j + 1] += img_.qbeg[j];
    Vec<int32_t> pos(img_.qbeg.begin(), img_.qbeg.end() - 1);
    img_.qind.resize(img_.qbeg.back());
    img_.qval.resize(img_.qbeg.back());
    Vec<int32_t> mark(n, -1);
    // Repeats are found in file order, column by column.
    Vec<int32_t> order(qobj_.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int32_t>(k);
    std::stable_sort(order.begin(), order.end(), [&](int32_t x, int32_t y) { return qobj_[x].a < qobj_[y].a; });
    for (int32_t k : order) {
      const QTerm &t = qobj_[k];
      if (mark[t.b] == t.a) return line_ = t.line, fail_names(1479, nullptr, colname_[t.a], colname_[t.b]);
      mark[t.b] = t.a;
      if (t.v == 0.0) continue;
      int32_t p = pos[t.a]++;
      img_.qind[p] = t.b;
      img_.qval[p] = t.v;
    }
  }
  qcbeg_.push_back(static_cast<int32_t>(qcterm_.size()));
  for (size_t k = 0; k + 1 < qcbeg_.size(); ++k) {
    Vec<QTerm> terms(qcterm_.begin() + qcbeg_[k], qcterm_.begin() + qcbeg_[k + 1]);
    std::stable_sort(terms.begin(), terms.end(),
                     [](const QTerm &x, const QTerm &y) { return x.a != y.a ? x.a < y.a : x.b < y.b; });
    for (size_t p = 1; p < terms.size(); ++p)
      if (terms[p].a == terms[p - 1].a && terms[p].b == terms[p - 1].b)
        return line_ = terms[p].line, fail_names(1479, nullptr, colname_[terms[p].a], colname_[terms[p].b]);
    for (int32_t p = qcbeg_[k]; p < qcbeg_[k + 1]; ++p) {
      const QTerm &t = qcterm_[p];
      if (t.v == 0.0) continue;
      img_.qc_qrow.push_back(t.a);
      img_.qc_qcol.push_back(t.b);
      img_.qc_qval.push_back(t.v);
    }
    img_.qc_qbeg.push_back(static_cast<int32_t>(img_.qc_qrow.size()));
  }
  return 0;
}

}  // namespace tvl::mps
