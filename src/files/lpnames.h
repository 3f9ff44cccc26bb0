// Character classes of the LP format and the rules that make names legal in
// it.  The reader and the writer share one 256-entry table.
#pragma once

#include <string>
#include <vector>

namespace tvl {

enum LpCharFlag : unsigned {
  kLpNameStart = 1u << 0,  // may start a name
  kLpNameChar = 1u << 1,   // may appear in a name
  kLpDelim = 1u << 2,      // one of : | [ ] * / ^ < > = + -
  kLpSign = 1u << 3,       // + or -
  kLpBlank = 1u << 4,      // skipped between tokens
  kLpLineEnd = 1u << 5,    // ends a line (line feed, NUL, form feed)
  kLpComment = 1u << 6,    // backslash: the rest of the line is a comment
  kLpDigit = 1u << 7,      // 0-9
  kLpExpLetter = 1u << 8,  // e or E: may start an exponent
};

unsigned lp_char_class(unsigned char c);

inline bool lp_has(unsigned char c, unsigned flag) { return (lp_char_class(c) & flag) != 0; }

// Longest name the format keeps.
inline constexpr size_t kLpMaxName = 255;

// True when `name` can be written unchanged: its first byte may start a
// name (e and E may not: they read like an exponent) and every byte may
// appear in a name.
bool lp_name_is_legal(const std::string &name);

// Rewritten form of name number `index`: "_" in front when the first byte
// may not start a name, each byte replaced by its substitute, "#index" at
// the end.
std::string lp_legalize_name(const std::string &name, int index);

// Rewrites all names of one kind when any of them is illegal.  Returns true
// when something was rewritten.
bool lp_legalize_names(std::vector<std::string> &names);

// Default names "<prefix>1", "<prefix>2", ... for `count` items.
std::vector<std::string> lp_default_names(const char *prefix, int count);

}  // namespace tvl
