#include "files/lpread_lex.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "files/lpnames.h"

namespace tvl {

// ---------------------------------------------------------------- lines

bool LpLineReader::read_physical() {
  std::string raw;
  int c;
  bool any = false;
  while ((c = std::fgetc(f_)) != EOF) {
    any = true;
    if (c == '\n') break;
    raw += static_cast<char>(c);
  }
  if (!any) return false;
  ++lineno_;
  // NUL and form feed end a line as the line feed does.
  size_t start = 0;
  for (size_t i = 0; i <= raw.size(); ++i) {
    if (i == raw.size() || raw[i] == '\0' || raw[i] == '\f') {
      queue_.push_back(raw.substr(start, i - start));
      start = i + 1;
    }
  }
  return true;
}

int LpLineReader::next(std::string &text, int &lineno) {
  for (;;) {
    if (queue_.empty() && !read_physical()) return 0;
    std::string piece = std::move(queue_.front());
    queue_.pop_front();
    size_t bs = piece.find('\\');
    if (bs != std::string::npos) piece.resize(bs);
    if (piece.size() >= kLineBuffer) {
      size_t cut = std::string::npos;
      for (size_t i = kLineBuffer - 1; i > 0; --i)
        if (piece[i] == '+' || piece[i] == '-') {
          cut = i;
          break;
        }
      if (cut == std::string::npos) {
        queue_.clear();
        return diag_.error(1464, lineno_);
      }
      queue_.push_front(piece.substr(cut));
      piece.resize(cut);
    }
    bool blank = true;
    for (unsigned char ch : piece)
      if (!lp_has(ch, kLpBlank)) {
        blank = false;
        break;
      }
    if (blank) continue;
    text = std::move(piece);
    lineno = lineno_;
    return 1;
  }
}

// ------------------------------------------------------------- keywords

namespace {

std::string upper_word(const std::string &s, size_t &pos) {
  while (pos < s.size() && lp_has(static_cast<unsigned char>(s[pos]), kLpBlank)) ++pos;
  std::string w;
  while (pos < s.size() && !lp_has(static_cast<unsigned char>(s[pos]), kLpBlank) && s[pos] != ':') {
    char c = s[pos++];
    w += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return w;
}

bool rest_blank(const std::string &s, size_t pos) {
  for (; pos < s.size(); ++pos)
    if (!lp_has(static_cast<unsigned char>(s[pos]), kLpBlank)) return false;
  return true;
}

bool label_follows(const std::string &s, size_t pos) {
  while (pos < s.size() && lp_has(static_cast<unsigned char>(s[pos]), kLpBlank)) ++pos;
  return pos < s.size() && s[pos] == ':';
}

bool leading_part(const std::string &w, const char *full, size_t minlen) {
  return w.size() >= minlen && w.size() <= std::strlen(full) && std::strncmp(w.c_str(), full, w.size()) == 0;
}

bool is_one_of(const std::string &w, std::initializer_list<const char *> words) {
  for (const char *k : words)
    if (w == k) return true;
  return false;
}

// Two-word keywords: "SUBJECT TO" and the like; the joined form also works.
LpKeyword two_word(const std::string &line, const std::string &w, size_t &pos) {
  struct Pair {
    const char *first, *second, *joined;
    LpKeyword kw;
  };
  static const Pair pairs[] = {{"SUBJECT", "TO", "SUBJECTTO", LpKeyword::Constraints},
                               {"SUCH", "THAT", "SUCHTHAT", LpKeyword::Constraints},
                               {"USER", "CUTS", "USERCUTS", LpKeyword::UserCuts},
                               {"LAZY", "CONSTRAINTS", "LAZYCONSTRAINTS", LpKeyword::Lazy}};
  for (const Pair &p : pairs) {
    if (w == p.joined) return p.kw;
    if (w == p.first) {
      size_t p2 = pos;
      if (upper_word(line, p2) == p.second) {
        pos = p2;
        return p.kw;
      }
    }
  }
  return LpKeyword::None;
}

LpKeyword alone_keyword(const std::string &w) {
  if (leading_part(w, "BOUNDS", 4)) return LpKeyword::Bounds;
  if (is_one_of(w, {"INT", "INTS", "INTEGER", "INTEGERS"})) return LpKeyword::Integers;
  if (is_one_of(w, {"BIN", "BINS", "BINARY", "BINARIES"})) return LpKeyword::Binaries;
  if (is_one_of(w, {"GEN", "GENS", "GENERAL", "GENERALS"})) return LpKeyword::Generals;
  if (is_one_of(w, {"SEMI", "SEMIS", "SEMI-CONTINUOUS"})) return LpKeyword::SemiContinuous;
  if (w == "SOS") return LpKeyword::Sos;
  if (w == "END") return LpKeyword::End;
  return LpKeyword::None;
}

}  // namespace

LpKeyword lp_classify_line(const std::string &line, size_t *content) {
  size_t pos = 0;
  std::string w = upper_word(line, pos);
  if (w.empty()) return LpKeyword::None;
  LpKeyword kw = LpKeyword::None;
  if (leading_part(w, "MINIMIZE", 3))
    kw = LpKeyword::Minimize;
  else if (leading_part(w, "MAXIMIZE", 3))
    kw = LpKeyword::Maximize;
  else if (is_one_of(w, {"ST", "S.T.", "ST.", "S.T"}))
    kw = LpKeyword::Constraints;
  else
    kw = two_word(line, w, pos);
  // A constraint-section word followed by a colon is the label of an
  // objective or a constraint named like the keyword ("st: x + y >= 2").
  if (kw != LpKeyword::None && kw != LpKeyword::Minimize && kw != LpKeyword::Maximize && label_follows(line, pos))
    return LpKeyword::None;
  if (kw != LpKeyword::None) {
    *content = pos;
    return kw;
  }
  kw = alone_keyword(w);
  if (kw != LpKeyword::None && rest_blank(line, pos)) {
    *content = line.size();
    return kw;
  }
  return LpKeyword::None;
}

// --------------------------------------------------------------- tokens

namespace {

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Scans a number starting at s[pos] (a digit or a period).
int scan_number(const std::string &s, size_t &pos, int lineno, LpDiag &diag, LpToken &t) {
  size_t start = pos;
  size_t ndig = 0;
  while (pos < s.size() && is_digit(s[pos])) ++pos, ++ndig;
  if (pos < s.size() && s[pos] == '.') {
    ++pos;
    while (pos < s.size() && is_digit(s[pos])) ++pos, ++ndig;
  }
  if (ndig == 0) {
    std::string text = s.substr(start, pos - start);
    return diag.error(1434, lineno, text.c_str());
  }
  size_t exp_start = pos;
  if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
    size_t q = pos + 1;
    bool sign = q < s.size() && (s[q] == '+' || s[q] == '-');
    if (sign) ++q;
    if (q < s.size() && is_digit(s[q])) {
      while (q < s.size() && is_digit(s[q])) ++q;
      pos = q;
    } else if (sign) {
      std::string text = s.substr(exp_start, q - exp_start);
      return diag.error(1618, lineno, text.c_str(), "ended");
    } else if (q >= s.size() || !lp_has(static_cast<unsigned char>(s[q]), kLpNameChar)) {
      std::string text = s.substr(exp_start, q - exp_start);
      return diag.error(1618, lineno, text.c_str(), "started");
    }
    // otherwise the letter e begins a name right after the number
  }
  t.kind = LpTok::Number;
  t.text = s.substr(start, pos - start);
  errno = 0;
  t.value = std::strtod(t.text.c_str(), nullptr);
  if (!std::isfinite(t.value) || (errno == ERANGE && t.value == 0.0)) {
    std::string text = pos > exp_start ? s.substr(exp_start, pos - exp_start) : t.text;
    return diag.error(1435, lineno, text.c_str());
  }
  t.ch = t.text[0];
  return 0;
}

void scan_name(const std::string &s, size_t &pos, int lineno, LpDiag &diag, LpToken &t) {
  size_t start = pos;
  while (pos < s.size() && lp_has(static_cast<unsigned char>(s[pos]), kLpNameChar)) ++pos;
  t.kind = LpTok::Name;
  t.text = s.substr(start, pos - start);
  if (t.text.size() > kLpMaxName) {
    t.text.resize(kLpMaxName);
    diag.name_warning("Warning, line %d: '%s' truncated.\n", lineno, t.text.c_str());
  }
  t.ch = t.text[0];
}

// Relations: <, <=, =<, >, >=, =>, =.
void scan_relation(const std::string &s, size_t &pos, LpToken &t) {
  char c = s[pos++];
  char n = pos < s.size() ? s[pos] : '\0';
  t.kind = LpTok::Rel;
  if (c == '<') {
    t.ch = 'L';
    if (n == '=') ++pos;
  } else if (c == '>') {
    t.ch = 'G';
    if (n == '=') ++pos;
  } else if (n == '<') {
    t.ch = 'L';
    ++pos;
  } else if (n == '>') {
    t.ch = 'G';
    ++pos;
  } else {
    t.ch = 'E';
  }
}

LpTok delimiter_kind(char c) {
  switch (c) {
    case ':': return LpTok::Colon;
    case '[': return LpTok::LBrack;
    case ']': return LpTok::RBrack;
    case '*': return LpTok::Star;
    case '/': return LpTok::Slash;
    case '^': return LpTok::Caret;
    case '|': return LpTok::Bar;
    default: return LpTok::Sign;
  }
}

}  // namespace

int lp_tokenize(const std::string &s, size_t pos, int lineno, int serial, LpDiag &diag,
                std::vector<LpToken> &out) {
  while (pos < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[pos]);
    unsigned cls = lp_char_class(c);
    if (cls & kLpBlank) {
      ++pos;
      continue;
    }
    LpToken t;
    t.line = lineno;
    t.serial = serial;
    size_t start = pos;
    if (is_digit(c) || c == '.') {
      int st = scan_number(s, pos, lineno, diag, t);
      if (st != 0) return st;
    } else if (cls & kLpNameChar) {
      scan_name(s, pos, lineno, diag, t);
    } else if (c == '<' || c == '>' || c == '=') {
      scan_relation(s, pos, t);
    } else if (cls & kLpDelim) {
      t.kind = delimiter_kind(static_cast<char>(c));
      t.ch = static_cast<char>(c);
      ++pos;
    } else {
      diag.warning("Warning, line %d: Unexpected character code %d skipped.\n", lineno, static_cast<int>(c));
      ++pos;
      continue;
    }
    if (t.kind == LpTok::Rel || t.kind == LpTok::Sign) t.text = s.substr(start, pos - start);
    out.push_back(std::move(t));
  }
  return 0;
}

// --------------------------------------------------------- token stream

bool LpTokenStream::keyword_allowed(LpKeyword kw) const {
  switch (kw) {
    case LpKeyword::Minimize:
    case LpKeyword::Maximize: return phase_ == kPhaseStart;
    case LpKeyword::Constraints: return phase_ < kPhaseConstraints;
    case LpKeyword::UserCuts:
    case LpKeyword::Lazy: return phase_ <= kPhaseConstraints && phase_ > kPhaseStart;
    case LpKeyword::Bounds: return phase_ < kPhaseBounds && phase_ > kPhaseStart;
    case LpKeyword::Integers:
    case LpKeyword::Binaries:
    case LpKeyword::Generals:
    case LpKeyword::SemiContinuous: return phase_ <= kPhaseTypes && phase_ > kPhaseStart;
    case LpKeyword::Sos: return phase_ < kPhaseSos && phase_ > kPhaseStart;
    case LpKeyword::End: return phase_ > kPhaseStart;
    default: return false;
  }
}

bool LpTokenStream::fetch_line() {
  if (ended_) return false;
  std::string text;
  int lineno = 0;
  int r = lines_.next(text, lineno);
  if (r < 0) {
    status_ = r;
    ended_ = true;
    keyword_ = LpKeyword::EndOfFile;
    return false;
  }
  if (r == 0) {
    ended_ = true;
    keyword_ = LpKeyword::EndOfFile;
    return false;
  }
  ++serial_;
  size_t content = 0;
  LpKeyword kw = lp_classify_line(text, &content);
  if (kw != LpKeyword::None && keyword_allowed(kw)) {
    ended_ = true;
    keyword_ = kw;
    pending_text_ = std::move(text);
    pending_from_ = content;
    pending_line_ = lineno;
    return false;
  }
  std::vector<LpToken> toks;
  int st = lp_tokenize(text, 0, lineno, serial_, diag_, toks);
  if (st != 0) {
    status_ = st;
    ended_ = true;
    keyword_ = LpKeyword::EndOfFile;
    return false;
  }
  for (LpToken &t : toks) buf_.push_back(std::move(t));
  return true;
}

const LpToken &LpTokenStream::peek(size_t k) {
  while (buf_.size() <= k)
    if (!fetch_line()) {
      end_ = LpToken();
      end_.line = ended_ && pending_line_ ? pending_line_ : lines_.lineno();
      return end_;
    }
  return buf_[k];
}

LpToken LpTokenStream::take() {
  if (buf_.empty() && !fetch_line()) return peek();
  LpToken t = std::move(buf_.front());
  buf_.pop_front();
  return t;
}

void LpTokenStream::skip_line(int serial) {
  while (!buf_.empty() && buf_.front().serial == serial) buf_.pop_front();
}

void LpTokenStream::open_section(int phase) {
  phase_ = phase;
  buf_.clear();
  ended_ = false;
  keyword_ = LpKeyword::None;
  if (!pending_text_.empty() && pending_from_ < pending_text_.size()) {
    std::vector<LpToken> toks;
    int st = lp_tokenize(pending_text_, pending_from_, pending_line_, ++serial_, diag_, toks);
    if (st != 0) {
      status_ = st;
      ended_ = true;
      keyword_ = LpKeyword::EndOfFile;
    }
    for (LpToken &t : toks) buf_.push_back(std::move(t));
  }
  pending_text_.clear();
  pending_line_ = 0;
}

}  // namespace tvl
