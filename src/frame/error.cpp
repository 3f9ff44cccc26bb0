// Status-code table, the per-environment code index, and the reporters that
// turn status codes into message lines on the error channel.
#include "frame/error.h"

#include <cstdio>
#include <cstring>

#include "frame/env.h"
#include "frame/errtable.h"
#include "frame/param.h"
#include "runtime/cfile.h"

namespace tvl {
namespace {

// The table in its fixed order, terminated by code 0.
const StatusEntry kStatusTable[] = {
#define TVLSTATUS(code, text) {code, text},
#include "frame/status_codes.def"
#undef TVLSTATUS
    {0, "End of error table"},
};

constexpr int kPrefixWidth = 5;

bool is_presolve_outcome(int code) {
  return code == 1101 || code == 1106 || code == 1117 || code == 1118 || code == 1123 ||
         code == 9025;
}

int lookup_linear(int code) {
  for (int k = 0; kStatusTable[k].code != 0; ++k)
    if (kStatusTable[k].code == code) return k;
  return -1;
}

int probe_next(int slot, int code) {
  return (slot - (code % (kErrIndexSlots - 2)) + (kErrIndexSlots - 2)) % kErrIndexSlots;
}

int lookup_indexed(const tvlenv *env, int code) {
  int slot = code % kErrIndexSlots;
  for (int steps = 0; steps < kErrIndexSlots; ++steps) {
    int pos = env->errindex[slot];
    if (pos < 0) return -1;
    if (kStatusTable[pos].code == code) return pos;
    slot = probe_next(slot, code);
  }
  return -1;
}

void vsend(tvlchannel *ch, const char *fmt, va_list ap) {
  if (!ch || !ch->head) return;
  char buf[TVL_MSGBUFSIZE];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  channel_send(ch, buf);
}

}  // namespace

void build_error_index(tvlenv *env) {
  for (int &slot : env->errindex) slot = -1;
  for (int k = 0; kStatusTable[k].code != 0; ++k) {
    int code = kStatusTable[k].code;
    int slot = code % kErrIndexSlots;
    while (env->errindex[slot] >= 0) slot = probe_next(slot, code);
    env->errindex[slot] = k;
  }
}

const char *status_text(const tvlenv *env, int code) {
  if (code < 1) return nullptr;
  int pos = (env && check_env(env) == 0) ? lookup_indexed(env, code) : lookup_linear(code);
  return pos < 0 ? nullptr : kStatusTable[pos].text;
}

void channel_send(tvlchannel *ch, const char *text) {
  if (!ch) return;
  for (tvldest *d = ch->head; d; d = d->next) {
    if (d->kind == 1)
      std::fputs(text, d->fp);
    else if (d->kind == 3)
      d->func(d->handle, text);
  }
}

int boundary(const tvlenv *env, int status) {
  if (status <= 0) return -status;
  if (check_env(env) != 0 && check_env(env) != 1804) return status;
  if (is_presolve_outcome(status) && param_int(env, kParamPresolveReport) == 0) return status;
  char line[TVL_MSGBUFSIZE];
  if (TVLgeterrorstring(env, status, line))
    TVLmsg(env->chan_error, "%s", line);
  else
    TVLmsg(env->chan_error, "TAVLO Error %5d:  Unknown error code.\n", status);
  return status;
}

int vreport(const tvlenv *env, int code, va_list ap) {
  if (check_env(env) != 0 && check_env(env) != 1804) return -code;
  tvlenv *e = const_cast<tvlenv *>(env);
  const char *text = status_text(env, code);
  if (text) {
    std::snprintf(e->msgbuf, sizeof e->msgbuf, "TAVLO Error %*d: %s.\n", kPrefixWidth, code, text);
    vsend(e->chan_error, e->msgbuf, ap);
  } else {
    std::snprintf(e->msgbuf, sizeof e->msgbuf, "Unknown error code %d.\n", code);
    channel_send(e->chan_error, e->msgbuf);
  }
  return -code;
}

int report(const tvlenv *env, int code, ...) {
  va_list ap;
  va_start(ap, code);
  int r = vreport(env, code, ap);
  va_end(ap);
  return r;
}

FILE *open_read_reported(const tvlenv *env, const char *filename, const char *mode,
                         const char *defext, bool noretry, bool allow_decompress, int *status) {
  const OpenFailed failed = [](const void *context, const char *name) {
    return report(static_cast<const tvlenv *>(context), 1423, name);
  };
  return cfile_open_read(filename, mode, defext, noretry, allow_decompress, status, failed, env);
}

#define TVL_DEFINE_MSG(fn, member)                  \
  void fn(const tvlenv *env, const char *fmt, ...) { \
    if (!env) return;                                \
    va_list ap;                                      \
    va_start(ap, fmt);                               \
    vsend(env->member, fmt, ap);                     \
    va_end(ap);                                      \
  }
TVL_DEFINE_MSG(msg_warning, chan_warning)
TVL_DEFINE_MSG(msg_results, chan_results)
TVL_DEFINE_MSG(msg_log, chan_log)
#undef TVL_DEFINE_MSG

}  // namespace tvl

extern "C" const char *TVLgeterrorstring(TVLCENVptr env, int errcode, char *buffer_str) {
  if (errcode < 1 || errcode > 99999 || !buffer_str) return nullptr;
  const char *text = tvl::status_text(env, errcode);
  std::snprintf(buffer_str, TVL_MSGBUFSIZE, "TAVLO Error %5d: %s.\n", errcode,
                text ? text : "Unknown error code");
  return text ? buffer_str : nullptr;
}
