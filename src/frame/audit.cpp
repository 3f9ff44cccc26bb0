#include "frame/audit.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "frame/error.h"

namespace tvl {
namespace {

// Appends "[envhi envlo:taghi taglo] text".  The tag is derived from the
// stream position right after opening for append.
int audit_line(tvlenv *env, bool opening, const char *text) {
  FILE *f = std::fopen(env->auditpath, "a");
  if (!f) {
    report(env, 1422, env->auditpath);
    return 1422;
  }
  uint64_t pos = static_cast<uint64_t>(std::ftell(f));
  uint64_t tag = pos * 16 + (pos % 16);
  if (!opening) tag -= 15;
  uint64_t addr = reinterpret_cast<uintptr_t>(env);
  std::fprintf(f, "[%08lx%08lx:%08lx%08lx] %s", static_cast<unsigned long>(addr >> 32),
               static_cast<unsigned long>(addr & 0xffffffffu), static_cast<unsigned long>(tag >> 32),
               static_cast<unsigned long>(tag & 0xffffffffu), text);
  std::fclose(f);
  return 0;
}

}  // namespace

int audit_session_line(tvlenv *env, bool opening) {
  int st = audit_line(env, opening, "\n");
  if (st) return st;
  char when[64];
  time_t now = std::time(nullptr);
  ctime_r(&now, when);
  char text[256];
  std::snprintf(text, sizeof text, "ZEB QARN TAVLO Optimizers %s audit file %s %s\n", env->version,
                opening ? "started" : "ended", when);
  return audit_line(env, opening, text);
}

}  // namespace tvl
