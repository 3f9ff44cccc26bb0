// Internal layout of an environment and the validation every public
// function performs on entry.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>

#include "tavlo.h"

namespace tvl {
struct ParamBlocks;      // parameter values (param.h)
struct CallbackState;    // callback registrations and termination request (callback.h)
}  // namespace tvl

// One destination of a message channel.
struct tvldest {
  struct tvlchannel *owner;  // channel whose list holds this node
  int kind;                  // 1 stream, 3 function
  tvldest *next;
  FILE *fp;
  void *handle;
  TVLmsgfunction func;
};

// A channel is the head of a singly linked list of destinations.
struct tvlchannel {
  tvldest *head;
};

// Kinds of objects on an environment's resource list.
enum ResourceKind : int32_t { kResProblem = 1, kResChannel = 2, kResChildEnv = 3, kResNetwork = 4 };

struct tvlresource {
  int32_t kind;
  void *object;
  tvlresource *next;
};

inline constexpr int kErrIndexSlots = 479;
inline constexpr int kMaxChildren = 16;

struct tvlenv {
  tvlenv *tag;                  // refers to itself while the environment is valid
  tvl::ParamBlocks *params;     // parameter values; absent means "not an environment"
  FILE *logfile;                // current log file (none initially)
  tvlchannel *chan_error;
  tvlchannel *chan_warning;
  tvlchannel *chan_results;
  tvlchannel *chan_log;
  int32_t errindex[kErrIndexSlots];
  char msgbuf[TVL_MSGBUFSIZE];
  tvlresource *res_head;
  tvlresource *res_tail;
  bool tracking;
  tvlenv *parent;
  int nchildren;
  int maxchildren;
  char version[32];
  char *auditpath;
  std::mutex *mutex;
  bool in_info_callback;        // set on the root while an informational callback runs
  bool callback_permitted;      // library calls allowed from within such a callback
  tvl::CallbackState *callbacks;
  int32_t field1124a;           // copies of hidden parameter 1124 read by the optimizers
  int32_t field1124b;
  uint64_t rng_state;           // environment's pseudo-random generator
  double open_wallclock;        // wall-clock time at open (seconds)
};

namespace tvl {

// Validates an environment (and optionally a problem created in it).
// Returns 0, 1002, 1806 or 1804.
int check_env(const tvlenv *env, const struct tvllp *lp = nullptr);

// Root environment (follows parent references).
const tvlenv *root_env(const tvlenv *env);

// Resource list maintenance; both are no-ops when tracking is off.
int resource_add(tvlenv *env, ResourceKind kind, void *object);
void resource_remove(tvlenv *env, void *object);

// Time on the environment's clock (TVL_PARAM_CLOCKTYPE with
// TVL_PARAM_THREADS, see clock_seconds of runtime/clock.h); wall-clock time
// without an environment.
double env_time(const tvlenv *env);

}  // namespace tvl
