#include "files/lpnames.h"

#include <array>
#include <cstring>

namespace tvl {

namespace {

using ClassTable = std::array<unsigned, 256>;

ClassTable build_class_table() {
  ClassTable t{};
  for (int c = 'a'; c <= 'z'; ++c) t[c] = kLpNameStart | kLpNameChar;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = kLpNameStart | kLpNameChar;
  t['e'] = t['E'] = kLpNameChar | kLpExpLetter;
  for (int c = 128; c <= 254; ++c) t[c] = kLpNameStart | kLpNameChar;
  for (int c = '0'; c <= '9'; ++c) t[c] = kLpNameChar | kLpDigit;
  t['.'] = kLpNameChar;
  for (const char *p = "!\"#$%&'(),;?@_`{}~"; *p; ++p)
    t[static_cast<unsigned char>(*p)] = kLpNameStart | kLpNameChar;
  for (const char *p = ":|[]*/^<>=+-"; *p; ++p) t[static_cast<unsigned char>(*p)] = kLpDelim;
  t['+'] |= kLpSign;
  t['-'] |= kLpSign;
  t[' '] = t['\t'] = t['\r'] = t['\v'] = kLpBlank;
  t['\n'] = t['\0'] = t['\f'] = kLpLineEnd;
  t['\\'] = kLpComment;
  return t;
}

const ClassTable &class_table() {
  static const ClassTable table = build_class_table();
  return table;
}

char substitute(unsigned char c) {
  switch (c) {
    case '[': return '(';
    case ']': return ')';
    case '^': return 'c';
    case '|': return 'b';
    case '*': return 'a';
    case '/': return 'd';
    case ':': return '.';
    case '<': return 'l';
    case '>': return 'g';
    case '=': return 'e';
    case '+': return 'p';
    case '-': return 'm';
    default: break;
  }
  if (c == '\\' || !lp_has(c, kLpNameChar)) return '_';
  return static_cast<char>(c);
}

}  // namespace

unsigned lp_char_class(unsigned char c) { return class_table()[c]; }

bool lp_name_is_legal(const std::string &name) {
  if (name.empty() || !lp_has(static_cast<unsigned char>(name[0]), kLpNameStart)) return false;
  for (unsigned char c : name)
    if (!lp_has(c, kLpNameChar)) return false;
  return true;
}

std::string lp_legalize_name(const std::string &name, int index) {
  std::string out;
  out.reserve(name.size() + 12);
  if (name.empty() || !lp_has(static_cast<unsigned char>(name[0]), kLpNameStart)) out += '_';
  for (unsigned char c : name) out += substitute(c);
  out += '#';
  out += std::to_string(index);
  return out;
}

bool lp_legalize_names(std::vector<std::string> &names) {
  bool any = false;
  for (const std::string &n : names)
    if (!lp_name_is_legal(n)) {
      any = true;
      break;
    }
  if (!any) return false;
  for (size_t i = 0; i < names.size(); ++i) names[i] = lp_legalize_name(names[i], static_cast<int>(i));
  return true;
}

std::vector<std::string> lp_default_names(const char *prefix, int count) {
  std::vector<std::string> out;
  out.reserve(count > 0 ? count : 0);
  for (int i = 1; i <= count; ++i) out.push_back(prefix + std::to_string(i));
  return out;
}

}  // namespace tvl
