#include "files/numfmt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tvl {

namespace {

constexpr int kStatusNotRepresentable = 1650;

// Splits |value| into its significant digits (trailing zeros removed) and
// the decimal point position p, so that |value| = 0.<digits> * 10^p.
int decompose(double value, char *digits, int *ndigits) {
  char tmp[kNumBufSize];
  std::snprintf(tmp, sizeof tmp, "%.14e", std::fabs(value));
  // tmp looks like "d.ddddddddddddddde[+-]xx"
  int n = 0;
  const char *s = tmp;
  for (; *s != 'e'; ++s)
    if (*s != '.') digits[n++] = *s;
  int exp10 = std::atoi(s + 1);
  while (n > 1 && digits[n - 1] == '0') --n;
  digits[n] = '\0';
  *ndigits = n;
  return exp10 + 1;
}

char *write_plain(char *out, const char *digits, int n, int p) {
  if (p <= 0) {
    *out++ = '0';
    *out++ = '.';
    for (int i = 0; i < -p; ++i) *out++ = '0';
    std::memcpy(out, digits, n);
    return out + n;
  }
  if (p >= n) {
    std::memcpy(out, digits, n);
    out += n;
    for (int i = n; i < p; ++i) *out++ = '0';
    return out;
  }
  std::memcpy(out, digits, p);
  out += p;
  *out++ = '.';
  std::memcpy(out, digits + p, n - p);
  return out + (n - p);
}

char *write_exponential(char *out, const char *digits, int n, int p) {
  *out++ = digits[0];
  if (n > 1) {
    *out++ = '.';
    std::memcpy(out, digits + 1, n - 1);
    out += n - 1;
  }
  int e = p - 1;
  return out + std::sprintf(out, "e%c%d", e < 0 ? '-' : '+', e < 0 ? -e : e);
}

}  // namespace

int format_number(double value, char *buf) {
  if (!std::isfinite(value)) {
    std::strcpy(buf, "?");
    return kStatusNotRepresentable;
  }
  if (value == 0.0) {
    std::strcpy(buf, "0");
    return 0;
  }
  char digits[24];
  int n = 0;
  int p = decompose(value, digits, &n);
  char *out = buf;
  if (value < 0) *out++ = '-';
  if (p >= -5 && p <= 15)
    out = write_plain(out, digits, n, p);
  else
    out = write_exponential(out, digits, n, p);
  *out = '\0';
  return 0;
}

}  // namespace tvl
