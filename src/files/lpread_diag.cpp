#include "files/lpread_diag.h"

#include <cstdarg>
#include <cstdio>

#include "frame/error.h"

namespace tvl {

namespace {

void send_warning(const tvlenv *env, const char *fmt, va_list ap) {
  char buf[TVL_MSGBUFSIZE];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  msg_warning(env, "%s", buf);
}

}  // namespace

void LpDiag::warning(const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  send_warning(env_, fmt, ap);
  va_end(ap);
}

void LpDiag::name_warning(const char *fmt, ...) {
  if (++name_warnings_ > kMaxNameWarnings) return;
  va_list ap;
  va_start(ap, fmt);
  send_warning(env_, fmt, ap);
  va_end(ap);
}

int LpDiag::error(int code, ...) {
  va_list ap;
  va_start(ap, code);
  int r = vreport(env_, code, ap);
  va_end(ap);
  return r;
}

void LpDiag::finish() {
  if (name_warnings_ > kMaxNameWarnings) warning("%d name warnings not printed.\n", name_warnings_ - kMaxNameWarnings);
}

}  // namespace tvl
