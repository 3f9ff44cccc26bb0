// Warnings and errors of the LP reader: warnings go to the warning channel,
// name warnings are capped at 20, errors are detailed reports on the error
// channel (the caller receives the negated status).
#pragma once

#include "tavlo.h"

namespace tvl {

class LpDiag {
 public:
  explicit LpDiag(const tvlenv *env) : env_(env) {}

  void warning(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
  // Warnings about names; at most 20 are printed.
  void name_warning(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
  // Detailed report of a status with its template's arguments; returns -code.
  int error(int code, ...);
  // Reports how many name warnings were suppressed.
  void finish();

 private:
  static constexpr int kMaxNameWarnings = 20;
  const tvlenv *env_;
  int name_warnings_ = 0;
};

}  // namespace tvl
