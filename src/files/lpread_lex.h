// Input side of the LP reader: physical lines cut into useful pieces,
// section keywords, and tokens.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "files/lpread_diag.h"

namespace tvl {

// Reads lines, strips comments, skips empty lines and cuts lines longer
// than the 560-character buffer at their last sign.
class LpLineReader {
 public:
  LpLineReader(FILE *f, LpDiag &diag) : f_(f), diag_(diag) {}
  // 1 with the next useful line, 0 at end of file, negative status on error.
  int next(std::string &text, int &lineno);
  int lineno() const { return lineno_; }

 private:
  static constexpr size_t kLineBuffer = 560;
  bool read_physical();
  FILE *f_;
  LpDiag &diag_;
  std::deque<std::string> queue_;  // pieces of the current physical line
  int lineno_ = 0;
};

enum class LpKeyword {
  None,
  Minimize,
  Maximize,
  Constraints,
  UserCuts,
  Lazy,
  Bounds,
  Integers,
  Binaries,
  Generals,
  SemiContinuous,
  Sos,
  End,
  EndOfFile,
};

// Recognises a section keyword at the start of a line.  For the objective
// and constraint keywords *content receives the position where the rest of
// the line starts; the other keywords count only when nothing follows.
LpKeyword lp_classify_line(const std::string &line, size_t *content);

enum class LpTok { End, Name, Number, Sign, Colon, LBrack, RBrack, Star, Slash, Caret, Rel, Bar };

struct LpToken {
  LpTok kind = LpTok::End;
  std::string text;   // name, number or relation text
  double value = 0;   // numbers
  char ch = 0;        // first character; for Rel: 'L', 'G' or 'E'
  int line = 0;       // physical line number
  int serial = 0;     // which useful line it came from
};

// Cuts one useful line into tokens.  Returns 0 or a negative status.
int lp_tokenize(const std::string &line, size_t from, int lineno, int serial, LpDiag &diag,
                std::vector<LpToken> &out);

// Phases of the fixed section order.
enum LpPhase : int { kPhaseStart = 0, kPhaseObjective, kPhaseConstraints, kPhaseBounds, kPhaseTypes, kPhaseSos };

// Tokens of the current section.  A line whose first word is a keyword
// that may follow in the current phase ends the section.
class LpTokenStream {
 public:
  LpTokenStream(LpLineReader &lines, LpDiag &diag) : lines_(lines), diag_(diag) {}

  void set_phase(int phase) { phase_ = phase; }
  const LpToken &peek(size_t k = 0);
  LpToken take();
  // Drops the buffered tokens that come from the given useful line.
  void skip_line(int serial);
  // Status of a failed read of lines or tokens (0 when none).
  int status() const { return status_; }
  // Keyword that ended the section (valid once peek() returned End).
  LpKeyword keyword() const { return keyword_; }
  // Starts the section of the pending keyword; its content on the keyword
  // line becomes the section's first tokens.
  void open_section(int phase);
  int line() const { return lines_.lineno(); }

 private:
  bool keyword_allowed(LpKeyword kw) const;
  bool fetch_line();
  LpLineReader &lines_;
  LpDiag &diag_;
  std::deque<LpToken> buf_;
  LpToken end_;
  int phase_ = kPhaseStart;
  int serial_ = 0;
  int status_ = 0;
  bool ended_ = false;
  LpKeyword keyword_ = LpKeyword::None;
  std::string pending_text_;
  size_t pending_from_ = 0;
  int pending_line_ = 0;
};

}  // namespace tvl
