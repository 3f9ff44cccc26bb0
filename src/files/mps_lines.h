// Input text and line splitting for the MPS reader.  The whole (possibly
// decompressed) stream is read into one buffer; lines and fields are views
// into it, so reading allocates nothing per line.
#pragma once

#include <cstdio>
#include <string_view>

#include "files/mps_image.h"

namespace tvl::mps {

// Longest line accepted (characters, without the line end).
inline constexpr int kMaxLineLength = 8191;
// Longest name accepted.
inline constexpr int kMaxNameLength = 255;

// Reads the rest of the stream; false on a read error.
bool read_stream(FILE *fp, Vec<char> &buf);

// Walks the lines of a buffer; the line end ("\n" or "\r\n") is not part of
// the line.
class LineCursor {
 public:
  LineCursor(const char *begin, const char *end) : p_(begin), end_(end) {}
  bool next(std::string_view &line);
  int number() const { return lineno_; }

 private:
  const char *p_;
  const char *end_;
  int lineno_ = 0;
};

// Cuts a data line by the columns of the fixed layout: fields at columns
// 2-3, 5-12, 15-22, 25-36, 40-47 and 50-61.  Names (fields 2, 3 and 5) are
// taken whole, blanks included; a numeric field (4 and 6) that overflows its
// columns moves the fields after it right by the same amount, so that long
// numbers keep the layout.  Returns false when the line does not follow the
// layout (a character where a separator belongs, a tab, a name longer than
// its field, text after the last field); such a line is read as blank
// separated words instead.
bool split_fixed(std::string_view line, std::string_view field[6]);

// The part of a data line before its comment: in the fixed layout a word
// that begins with '$' after the first `keep` words starts a comment (names
// in fields 3 and 5 therefore cannot begin with '$').
std::string_view cut_dollar_comment(std::string_view line, int keep);

// Cuts a line into blank- or tab-separated words; stores at most `max` and
// returns how many there are.
int split_words(std::string_view line, std::string_view *word, int max);

inline bool is_space(char c) { return c == ' ' || c == '\t'; }

}  // namespace tvl::mps
