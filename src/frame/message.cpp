// Message channels and their destinations (streams and functions), the
// message primitive TVLmsg, and the log file attached to all four channels.
#include <cstdarg>
#include <cstdio>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/channel.h"
#include "runtime/alloc.h"

namespace tvl {

tvlchannel *channel_create() {
  auto *ch = static_cast<tvlchannel *>(mem_alloc(sizeof(tvlchannel)));
  if (ch) ch->head = nullptr;
  return ch;
}

void channel_disconnect(tvlchannel *ch) {
  if (!ch) return;
  while (ch->head) {
    tvldest *d = ch->head;
    if (d->kind == 1 && d->fp) std::fflush(d->fp);
    ch->head = d->next;
    mem_release(d);
  }
}

void channel_destroy(tvlchannel *&ch) {
  channel_disconnect(ch);
  mem_free(ch);
}

bool channel_has_stream(const tvlchannel *ch, FILE *fp) {
  for (const tvldest *d = ch ? ch->head : nullptr; d; d = d->next)
    if (d->kind == 1 && d->fp == fp) return true;
  return false;
}

// Inserts a destination at the head of the channel's list.
static int push_dest(tvlchannel *ch, int kind, FILE *fp, void *handle, TVLmsgfunction func) {
  auto *d = static_cast<tvldest *>(mem_alloc(sizeof(tvldest)));
  if (!d) return 1001;
  *d = tvldest{ch, kind, ch->head, fp, handle, func};
  ch->head = d;
  return 0;
}

int channel_add_stream(tvlchannel *ch, FILE *fp) {
  if (!ch) return 1051;
  if (!fp) return 1052;
  return push_dest(ch, 1, fp, nullptr, nullptr);
}

int channel_remove_stream(tvlchannel *ch, FILE *fp) {
  if (!ch) return 1051;
  for (tvldest **link = &ch->head; *link; link = &(*link)->next) {
    tvldest *d = *link;
    if (d->kind == 1 && d->fp == fp) {
      *link = d->next;
      mem_release(d);
      return 0;
    }
  }
  return 1052;
}

}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLgetchannels(TVLCENVptr env, TVLCHANNELptr *results_p, TVLCHANNELptr *warning_p,
                   TVLCHANNELptr *error_p, TVLCHANNELptr *log_p) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (results_p) *results_p = env->chan_results;
  if (warning_p) *warning_p = env->chan_warning;
  if (error_p) *error_p = env->chan_error;
  if (log_p) *log_p = env->chan_log;
  return 0;
}

TVLCHANNELptr TVLaddchannel(TVLENVptr env) {
  int st = check_env(env);
  if (st) {
    boundary(env, st);
    return nullptr;
  }
  tvlchannel *ch = channel_create();
  if (!ch) {
    boundary(env, 1001);
    return nullptr;
  }
  st = resource_add(env, kResChannel, ch);
  if (st) {
    mem_free(ch);
    boundary(env, st);
    return nullptr;
  }
  return ch;
}

int TVLdelchannel(TVLENVptr env, TVLCHANNELptr *channel_p) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!channel_p || !*channel_p) return 0;
  resource_remove(env, *channel_p);
  channel_destroy(*channel_p);
  return 0;
}

int TVLdisconnectchannel(TVLENVptr env, TVLCHANNELptr channel) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  channel_disconnect(channel);
  return 0;
}

int TVLflushchannel(TVLENVptr env, TVLCHANNELptr channel) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  for (tvldest *d = channel ? channel->head : nullptr; d; d = d->next)
    if (d->kind == 1) std::fflush(d->fp);
  return 0;
}

int TVLflushstdchannels(TVLENVptr env) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  TVLflushchannel(env, env->chan_results);
  TVLflushchannel(env, env->chan_log);
  TVLflushchannel(env, env->chan_error);
  TVLflushchannel(env, env->chan_warning);
  return 0;
}

// Destination functions report failures only through the returned status.
int TVLaddfpdest(TVLENVptr env, TVLCHANNELptr channel, FILE *fileptr) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  return channel_add_stream(channel, fileptr);
}

int TVLdelfpdest(TVLENVptr env, TVLCHANNELptr channel, FILE *fileptr) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!channel) return 1051;
  return channel_remove_stream(channel, fileptr);
}

int TVLaddfuncdest(TVLENVptr env, TVLCHANNELptr channel, void *handle, TVLmsgfunction msgfunction) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!channel) return 1051;
  if (!msgfunction) return 1053;
  return push_dest(channel, 3, nullptr, handle, msgfunction);
}

int TVLdelfuncdest(TVLENVptr env, TVLCHANNELptr channel, void *handle, TVLmsgfunction msgfunction) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!channel) return 1051;
  for (tvldest **link = &channel->head; *link; link = &(*link)->next) {
    tvldest *d = *link;
    if (d->kind == 3 && d->func == msgfunction && d->handle == handle) {
      *link = d->next;
      mem_release(d);
      return 0;
    }
  }
  return 1053;
}

// Formats into a 1024-byte buffer; longer messages are truncated to 1023
// characters.  Returns the number of bytes delivered.
int TVLmsg(TVLCHANNELptr channel, const char *format, ...) {
  if (!channel || !format) return 0;
  char buf[TVL_MSGBUFSIZE];
  va_list ap;
  va_start(ap, format);
  int n = std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  if (n < 0) return 0;
  if (n >= TVL_MSGBUFSIZE) n = TVL_MSGBUFSIZE - 1;
  channel_send(channel, buf);
  return n;
}

int TVLmsgstr(TVLCHANNELptr channel, const char *msg_str) {
  return TVLmsg(channel, "%s", msg_str ? msg_str : "");
}

int TVLsetlogfile(TVLENVptr env, FILE *fileptr) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  tvlchannel *chans[4] = {env->chan_results, env->chan_warning, env->chan_error, env->chan_log};
  if (env->logfile)
    for (tvlchannel *ch : chans) channel_remove_stream(ch, env->logfile);
  for (tvlchannel *ch : chans) channel_add_stream(ch, fileptr);  // refused (1052) for none
  env->logfile = fileptr;
  return 0;
}

int TVLgetlogfile(TVLCENVptr env, FILE **fileptr_p) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!fileptr_p) return boundary(env, 1004);
  *fileptr_p = env->logfile;
  return 0;
}

}  // extern "C"
