// Element writer of the solution and MIP-start documents: one element per
// line, indented by one blank per nesting level, attributes written as
//   texts    name="escaped text"   (& < > ' " as entity references)
//   integers name="%d"
//   doubles  name="%.15g" (at most 15 significant digits, exponent form
//            for exponents below -4 or from 15 on)
// A write error is remembered and reported by close().
#pragma once

#include <cstdio>

namespace tvl {

class XmlOut {
 public:
  explicit XmlOut(FILE *fp) : fp_(fp) {}

  void prolog();
  // "<name": the caller adds attributes, then ends with open() for a
  // container (depth grows) or empty() for an element without content.
  void begin(const char *name);
  void text(const char *attr, const char *value);
  void integer(const char *attr, long long value);
  void number(const char *attr, double value);
  void open();
  void empty();
  void end(const char *name);
  bool failed() const { return failed_ || std::ferror(fp_) != 0; }

 private:
  void indent();
  void put(const char *s);
  FILE *fp_;
  int depth_ = 0;
  bool failed_ = false;
};

}  // namespace tvl
