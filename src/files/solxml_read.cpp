// Readers of MIP-start and solution documents, parsed with expat.
//
// The file is opened through the compressed-file layer ("rb", default
// extension ".mst" or ".sol") and parsed as ISO-8859-1; expat hands names
// over in UTF-8, so a name holding two-byte sequences that stand for single
// bytes (lead bytes 0xC2 and 0xC3) is folded back before the lookup when it
// is not found as given.  Columns and rows are found by name when a name
// attribute is present (a problem without names answers to the default
// names x1, x2, ... and c1, c2, ...), otherwise by index.  Unknown names,
// indices out of range and repeated entries are warned about and skipped;
// at most 20 warnings are printed and the rest counted at the end.  A
// document that is not well formed ends the read with 1425 and installs
// nothing.
#include <expat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/solxml.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/problem.h"
#include "runtime/cfile.h"

namespace tvl {
namespace {

constexpr int kMaxWarnings = 20;

std::string default_or_name(const NameTable &t, char prefix, int32_t k) {
  if (t.present()) return t.get(k);
  return std::string(1, prefix) + std::to_string(k + 1);
}

// Name -> index of all rows or columns.
std::unordered_map<std::string, int32_t> name_index(const NameTable &t, char prefix, int32_t n) {
  std::unordered_map<std::string, int32_t> m;
  m.reserve(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k) m.emplace(default_or_name(t, prefix, k), k);
  return m;
}

// Folds two-byte UTF-8 sequences of the Latin-1 range back to single
// bytes; false when the name holds no such sequence.
bool fold_latin1(const std::string &in, std::string &out) {
  out.clear();
  bool folded = false;
  for (size_t k = 0; k < in.size(); ++k) {
    unsigned char c = static_cast<unsigned char>(in[k]);
    if ((c == 0xC2 || c == 0xC3) && k + 1 < in.size() &&
        (static_cast<unsigned char>(in[k + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(in[k + 1]) & 0x3F));
      ++k;
      folded = true;
    } else {
      out += in[k];
    }
  }
  return folded;
}

const char *attribute(const char **atts, const char *name) {
  for (int k = 0; atts[k]; k += 2)
    if (std::strcmp(atts[k], name) == 0) return atts[k + 1];
  return nullptr;
}

int status_of(const char *s) {
  if (!s) return -1;
  if (!std::strcmp(s, "LL")) return TVL_AT_LOWER;
  if (!std::strcmp(s, "BS")) return TVL_BASIC;
  if (!std::strcmp(s, "UL")) return TVL_AT_UPPER;
  if (!std::strcmp(s, "SB")) return TVL_FREE_SUPER;
  return -1;
}

// Entry arrays of one start; they grow to 1.2 times their size plus 10.
struct StartRead {
  std::string name;
  int effort = 0;
  std::vector<int32_t> ind;
  std::vector<double> val;
  void add(int32_t j, double v) {
    if (ind.size() == ind.capacity()) {
      size_t cap = ind.size() + ind.size() / 5 + 10;
      ind.reserve(cap);
      val.reserve(cap);
    }
    ind.push_back(j);
    val.push_back(v);
  }
};

// Values of one item kind (rows or columns) of a solution document.
struct ItemValues {
  std::vector<double> value, dual;  // x/slack and dj/pi
  std::vector<int> status;
  std::vector<char> has_value, has_dual;
};

class Reader {
 public:
  Reader(const tvlenv *env, const tvllp *lp, bool solution)
      : env_(env), lp_(lp), solution_(solution), n_(lp->lp->ncols), m_(lp->lp->nrows) {
    col_seen_.assign(static_cast<size_t>(n_), -1);
    row_seen_.assign(static_cast<size_t>(m_), -1);
  }

  int parse(FILE *fp);
  void finish_warnings() const {
    if (warnings_ > kMaxWarnings) msg_warning(env_, "%d warnings not printed.\n", warnings_ - kMaxWarnings);
  }
  int documents() const { return documents_; }
  std::vector<StartRead> &starts() { return starts_; }
  ItemValues cols, rows;

 private:
  static void on_start(void *self, const char *el, const char **atts) {
    static_cast<Reader *>(self)->start(el, atts);
  }
  static void on_end(void *self, const char *el) { static_cast<Reader *>(self)->end(el); }
  void start(const char *el, const char **atts);
  void end(const char *el);
  void warn(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
  int line() const { return static_cast<int>(XML_GetCurrentLineNumber(parser_)); }
  // Index of the item an element names, or -1 after a warning.
  int32_t locate(const char **atts, bool row);
  void variable(const char **atts);
  void constraint(const char **atts);

  const tvlenv *env_;
  const tvllp *lp_;
  bool solution_;
  int32_t n_, m_;
  XML_Parser parser_ = nullptr;
  int documents_ = 0;  // TAVLOSolution elements met
  bool in_variables_ = false, in_rows_ = false;
  std::vector<StartRead> starts_;
  std::vector<int32_t> col_seen_, row_seen_;  // document number that set each item
  std::unordered_map<std::string, int32_t> colmap_, rowmap_;
  bool maps_built_ = false;
  int warnings_ = 0;
};

void Reader::warn(const char *fmt, ...) {
  if (++warnings_ > kMaxWarnings) return;
  char buf[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  msg_warning(env_, "%s", buf);
}

int32_t Reader::locate(const char **atts, bool row) {
  const char *name = attribute(atts, "name");
  std::vector<int32_t> &seen = row ? row_seen_ : col_seen_;
  int32_t k = -1;
  if (name) {
    if (!maps_built_) {
      colmap_ = name_index(lp_->lp->colnames, 'x', n_);
      rowmap_ = name_index(lp_->lp->rownames, 'c', m_);
      maps_built_ = true;
    }
    const auto &map = row ? rowmap_ : colmap_;
    auto it = map.find(name);
    std::string folded;
    if (it == map.end() && fold_latin1(name, folded)) it = map.find(folded);
    if (it == map.end()) {
      warn(row ? "Warning, line %d: '%.255s' is not a constraint.\n" : "Warning, line %d: '%.255s' is not a variable.\n",
           line(), name);
      return -1;
    }
    k = it->second;
    if (seen[k] == documents_) {
      warn("Warning, line %d: repeated entry for '%.255s'.\n", line(), name);
      return -1;
    }
  } else {
    const char *idx = attribute(atts, "index");
    long v = idx ? std::strtol(idx, nullptr, 10) : -1;
    int32_t limit = row ? m_ : n_;
    if (v < 0 || v >= limit) {
      warn(row ? "Warning, line %d: Constraint index '%d' out of range.\n"
               : "Warning, line %d: Variable index '%d' out of range.\n",
           line(), static_cast<int>(v));
      return -1;
    }
    k = static_cast<int32_t>(v);
    if (seen[k] == documents_) {
      warn(row ? "Warning, line %d: repeated entry for index %d.\n"
               : "Warning, line %d: repeated entry for variable index %d.\n",
           line(), k);
      return -1;
    }
  }
  seen[k] = documents_;
  return k;
}

void set_item(ItemValues &iv, int32_t k, const char **atts, const char *valattr, const char *dualattr) {
  const char *v = attribute(atts, valattr), *d = attribute(atts, dualattr);
  if (v) iv.value[k] = std::strtod(v, nullptr), iv.has_value[k] = 1;
  if (d) iv.dual[k] = std::strtod(d, nullptr), iv.has_dual[k] = 1;
  iv.status[k] = status_of(attribute(atts, "status"));
}

void Reader::variable(const char **atts) {
  int32_t j = locate(atts, false);
  if (j < 0) return;
  if (solution_) {
    set_item(cols, j, atts, "value", "reducedCost");
    return;
  }
  const char *v = attribute(atts, "value");
  starts_.back().add(j, v ? std::strtod(v, nullptr) : kNoStartValue);
}

void Reader::constraint(const char **atts) {
  int32_t i = locate(atts, true);
  if (i >= 0) set_item(rows, i, atts, "slack", "dual");
}

void Reader::start(const char *el, const char **atts) {
  if (!std::strcmp(el, "TAVLOSolution")) {
    ++documents_;
    if (!solution_) starts_.emplace_back();
    return;
  }
  // Only the first document of a solution file is read.
  if (documents_ == 0 || (solution_ && documents_ > 1)) return;
  if (!std::strcmp(el, "header") && !solution_) {
    if (const char *s = attribute(atts, "solutionName")) starts_.back().name = s;
    if (const char *s = attribute(atts, "MIPStartEffortLevel")) starts_.back().effort = std::atoi(s);
  } else if (!std::strcmp(el, "variables")) {
    in_variables_ = true;
  } else if (!std::strcmp(el, "linearConstraints")) {
    in_rows_ = true;
  } else if (!std::strcmp(el, "variable") && in_variables_) {
    variable(atts);
  } else if (!std::strcmp(el, "constraint") && in_rows_ && solution_) {
    constraint(atts);
  }
}

void Reader::end(const char *el) {
  if (!std::strcmp(el, "variables")) in_variables_ = false;
  if (!std::strcmp(el, "linearConstraints")) in_rows_ = false;
}

void size_items(ItemValues &iv, int32_t n) {
  iv.value.assign(static_cast<size_t>(n), 0.0);
  iv.dual.assign(static_cast<size_t>(n), 0.0);
  iv.status.assign(static_cast<size_t>(n), -1);
  iv.has_value.assign(static_cast<size_t>(n), 0);
  iv.has_dual.assign(static_cast<size_t>(n), 0);
}

int Reader::parse(FILE *fp) {
  if (solution_) {
    size_items(cols, n_);
    size_items(rows, m_);
  }
  parser_ = XML_ParserCreate("ISO-8859-1");
  if (!parser_) return 1001;
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, on_start, on_end);
  int st = 0;
  char buf[1 << 16];
  for (;;) {
    size_t got = std::fread(buf, 1, sizeof buf, fp);
    bool last = got < sizeof buf;
    if (XML_Parse(parser_, buf, static_cast<int>(got), last) == XML_STATUS_ERROR) {
      st = report(env_, 1425, line(), XML_ErrorString(XML_GetErrorCode(parser_)));
      break;
    }
    if (last) break;
  }
  XML_ParserFree(parser_);
  parser_ = nullptr;
  return st;
}

int open_and_parse(const tvlenv *env, const char *filename, const char *defext, Reader &r) {
  if (!filename || !*filename) return 1421;
  int st = 0;
  FILE *fp = open_read_reported(env, filename, "rb", defext, false, true, &st);
  if (!fp) return st;
  try {
    st = r.parse(fp);
  } catch (const std::bad_alloc &) {
    st = 1001;
  }
  cfile_close_read(filename, &fp);
  if (!st) r.finish_warnings();
  return st;
}

int read_starts(tvlenv *env, tvllp *lp, const char *filename, bool only_first) {
  int st = check_modifiable(env, lp);
  if (!st) st = complete(env, lp);
  if (st) return st;
  if (!is_mip_type(lp->type)) return 3003;
  Reader r(env, lp, false);
  if ((st = open_and_parse(env, filename, ".mst", r)) != 0) return st;
  std::vector<StartRead> &starts = r.starts();
  if (only_first && starts.size() > 1) {
    msg_warning(env, "Warning: more than one TAVLOSolution element in file, only first one processed.\n");
    starts.resize(1);
  }
  size_t values = 0;
  for (const StartRead &s : starts) values += s.ind.size();
  if (values == 0) {
    msg_warning(env, "Warning: no MIP start values read, no MIP start loaded.\n");
    return 0;
  }
  mipstarts_free(lp);
  for (const StartRead &s : starts) {
    if (s.ind.empty()) continue;
    int effort = s.effort >= 0 && s.effort <= 5 ? s.effort : 0;
    st = mipstarts_append(lp, static_cast<int64_t>(s.ind.size()), s.ind.data(), s.val.data(), effort,
                          s.name.empty() ? nullptr : s.name.c_str());
    if (st) return st;
  }
  return 0;
}

// The values read from a solution file become the LP's starting point:
// statuses when every row and column has one, primal values, and dual
// values when the file gives them for every item.
int install_lp_start(tvlenv *env, tvllp *lp, Reader &r) {
  auto all = [](const std::vector<char> &f) {
    for (char c : f)
      if (!c) return false;
    return true;
  };
  auto all_status = [](const std::vector<int> &s) {
    for (int v : s)
      if (v < 0) return false;
    return true;
  };
  const bool basis = all_status(r.cols.status) && all_status(r.rows.status);
  const bool dual = all(r.cols.has_dual) && all(r.rows.has_dual);
  const bool primal = all(r.cols.has_value);
  if (!basis && !primal) return 0;
  int st = TVLcopystart(env, lp, basis ? r.cols.status.data() : nullptr, basis ? r.rows.status.data() : nullptr,
                      primal ? r.cols.value.data() : nullptr,
                      primal && all(r.rows.has_value) ? r.rows.value.data() : nullptr,
                      dual ? r.cols.dual.data() : nullptr, dual ? r.rows.dual.data() : nullptr);
  return st ? -st : 0;  // already reported
}

int read_solution(tvlenv *env, tvllp *lp, const char *filename) {
  int st = check_modifiable(env, lp);
  if (!st) st = complete(env, lp);
  if (st) return st;
  Reader r(env, lp, true);
  if ((st = open_and_parse(env, filename, ".sol", r)) != 0) return st;
  if (r.documents() > 1) msg_warning(env, "Warning: more than one solution read, only first one processed.\n");
  if (!is_mip_type(lp->type)) return install_lp_start(env, lp, r);
  std::vector<int32_t> ind;
  std::vector<double> val;
  for (int32_t j = 0; j < lp->lp->ncols; ++j)
    if (r.cols.has_value[j]) ind.push_back(j), val.push_back(r.cols.value[j]);
  if (ind.empty()) {
    msg_warning(env, "Warning: no MIP start values read, no MIP start loaded.\n");
    return 0;
  }
  return mipstarts_append(lp, static_cast<int64_t>(ind.size()), ind.data(), val.data(), 0, nullptr);
}

}  // namespace

int solxml_read_starts(tvlenv *env, tvllp *lp, const char *filename, bool only_first) {
  return read_starts(env, lp, filename, only_first);
}

int solxml_read_solution(tvlenv *env, tvllp *lp, const char *filename) { return read_solution(env, lp, filename); }

}  // namespace tvl

extern "C" {

int TVLreadcopymipstarts(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_read_starts(env, lp, filename_str, false));
}

int TVLreadcopymipstart(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_read_starts(env, lp, filename_str, true));
}

int TVLreadcopysol(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_read_solution(env, lp, filename_str));
}

}  // extern "C"
