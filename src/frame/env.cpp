// Environments: opening and closing, child environments for parallel
// workers, the resource list of objects created in an environment, and the
// validation every public function performs on entry.
#include "frame/env.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "frame/audit.h"
#include "frame/callback.h"
#include "frame/channel.h"
#include "frame/error.h"
#include "frame/errtable.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "runtime/alloc.h"
#include "runtime/clock.h"

#ifndef TAVLO_VERSION_TEXT
#define TAVLO_VERSION_TEXT "0.0.0.0"
#endif

namespace tvl {

const tvlenv *root_env(const tvlenv *env) {
  while (env->parent) env = env->parent;
  return env;
}

static bool is_env(const tvlenv *env) { return env && env->tag == env && env->params; }

int check_env(const tvlenv *env, const tvllp *lp) {
  if (!is_env(env)) return 1002;
  const tvlenv *root = root_env(env);
  if (lp && lp->env != root) return 1806;
  if (root->in_info_callback) {
    for (const tvlenv *e = env; e; e = e->parent)
      if (e->callback_permitted) return 0;
    return 1804;
  }
  return 0;
}

int resource_add(tvlenv *env, ResourceKind kind, void *object) {
  if (!env->tracking) return 0;
  auto *r = static_cast<tvlresource *>(mem_alloc(sizeof(tvlresource)));
  if (!r) return 1001;
  *r = tvlresource{kind, object, nullptr};
  if (env->res_tail)
    env->res_tail->next = r;
  else
    env->res_head = r;
  env->res_tail = r;
  return 0;
}

void resource_remove(tvlenv *env, void *object) {
  tvlresource *prev = nullptr;
  for (tvlresource *r = env->res_head; r; prev = r, r = r->next) {
    if (r->object != object) continue;
    (prev ? prev->next : env->res_head) = r->next;
    if (env->res_tail == r) env->res_tail = prev;
    mem_release(r);
    return;
  }
}

double env_time(const tvlenv *env) {
  if (!env) return wall_seconds();
  return clock_seconds(param_int(env, TVL_PARAM_CLOCKTYPE), param_int(env, TVL_PARAM_THREADS));
}

namespace {

// Frees every object still on the resource list, always taking the head;
// each free removes its own record.
void free_resources(tvlenv *env) {
  while (env->res_head) {
    tvlresource *r = env->res_head;
    void *obj = r->object;
    switch (r->kind) {
      case kResProblem: {
        auto *lp = static_cast<TVLLPptr>(obj);
        TVLfreeprob(env, &lp);
        break;
      }
      case kResChannel: {
        auto *ch = static_cast<TVLCHANNELptr>(obj);
        TVLdelchannel(env, &ch);
        break;
      }
      case kResChildEnv: {
        auto *child = static_cast<TVLENVptr>(obj);
        TVLfreeparenv(env, &child);
        break;
      }
      default:
        break;
    }
    if (env->res_head == r) resource_remove(env, obj);  // never loop on a stuck record
  }
}

// Releases everything the record owns; used by close and by a failed open.
void destroy_env(tvlenv *&env) {
  free_resources(env);
  callbacks_free(env);
  delete env->mutex;
  env->mutex = nullptr;
  channel_destroy(env->chan_error);
  channel_destroy(env->chan_warning);
  channel_destroy(env->chan_results);
  channel_destroy(env->chan_log);
  params_free(env->params);
  mem_free(env->auditpath);
  env->tag = nullptr;
  mem_free(env);
}

tvlenv *alloc_env(int *status) {
  auto *env = static_cast<tvlenv *>(mem_calloc(1, sizeof(tvlenv)));
  if (!env) {
    *status = 1001;
    return nullptr;
  }
  env->tag = env;
  env->mutex = new (std::nothrow) std::mutex;
  env->maxchildren = kMaxChildren;
  std::snprintf(env->version, sizeof env->version, "%s", TAVLO_VERSION_TEXT);
  env->chan_error = channel_create();
  env->chan_warning = channel_create();
  env->chan_results = channel_create();
  env->chan_log = channel_create();
  if (!env->mutex || !env->chan_error || !env->chan_warning || !env->chan_results ||
      !env->chan_log) {
    *status = 1001;
    destroy_env(env);
    return nullptr;
  }
  env->open_wallclock = wall_seconds();
  env->rng_state = 0x9E3779B97F4A7C15ull;
  return env;
}

// Reads the file named by the override variable with screen output off for
// the reading itself but on for the announcement and its outcome.
void read_override_file(tvlenv *env, const char *path) {
  TVLsetintparam(env, TVL_PARAM_SCRIND, 1);
  msg_warning(env, "Reading override parameter file '%s' ", path);
  TVLsetintparam(env, TVL_PARAM_SCRIND, 0);
  int st = TVLreadcopyparam(env, path);
  TVLsetintparam(env, TVL_PARAM_SCRIND, 1);
  msg_warning(env, "%s", st ? "failed.\n" : "succeeded.\n");
  TVLflushchannel(env, env->chan_warning);
  TVLsetintparam(env, TVL_PARAM_SCRIND, 0);
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

TVLENVptr TVLopenTAVLO(int *status_p) {
  int dummy = 0;
  int *status = status_p ? status_p : &dummy;
  *status = 0;
  tvlenv *env = alloc_env(status);
  if (!env) return nullptr;
  env->params = params_create();
  if (!env->params) {
    *status = 1001;
    destroy_env(env);
    return nullptr;
  }
  TVLsetdefaults(env);
  env->tracking = true;
  build_error_index(env);

  if (const char *path = std::getenv("QARN_TAVLO_PARAMETER_FILE")) read_override_file(env, path);

  if (const char *audit = std::getenv("ZEB_QARN_TAVLO_AUDIT_FILE")) {
    size_t len = std::strlen(audit) + 1;
    env->auditpath = mem_array<char>(len);
    if (!env->auditpath) {
      *status = 1001;
      destroy_env(env);
      return nullptr;
    }
    std::memcpy(env->auditpath, audit, len);
    int st = audit_session_line(env, true);
    if (st) {
      *status = st;
      destroy_env(env);
      return nullptr;
    }
  }
  return env;
}

int TVLcloseTAVLO(TVLENVptr *env_p) {
  if (!env_p) return 1002;
  tvlenv *env = *env_p;
  int st = check_env(env);
  if (st == 1804) st = 0;
  if (st) return boundary(env, st);
  if (env->parent) return boundary(env, 1021);
  if (env->auditpath) audit_session_line(env, false);
  destroy_env(env);
  *env_p = nullptr;
  return 0;
}

const char *TVLversion(TVLCENVptr env) {
  if (check_env(env) == 1002) return nullptr;
  return env->version;
}

TVLENVptr TVLparenv(TVLENVptr env, int *status_p) {
  int dummy = 0;
  int *status = status_p ? status_p : &dummy;
  int st = check_env(env);
  if (!st && env->parent) st = 1019;
  if (!st && env->nchildren >= env->maxchildren) st = 1020;
  if (st) {
    *status = boundary(env, st);
    return nullptr;
  }
  tvlenv *child = alloc_env(status);
  if (!child) {
    *status = boundary(env, *status);
    return nullptr;
  }
  child->params = params_clone(env->params);
  st = child->params ? 0 : 1001;
  // The child's channels deliver where the parent's do at the time of creation.
  tvlchannel *from[4] = {env->chan_error, env->chan_warning, env->chan_results, env->chan_log};
  tvlchannel *to[4] = {child->chan_error, child->chan_warning, child->chan_results,
                       child->chan_log};
  for (int c = 0; c < 4 && !st; ++c) {
    // Copy in reverse so that the child's list order matches the parent's.
    int n = 0;
    for (tvldest *d = from[c]->head; d; d = d->next) ++n;
    for (int k = n - 1; k >= 0 && !st; --k) {
      tvldest *d = from[c]->head;
      for (int i = 0; i < k; ++i) d = d->next;
      st = d->kind == 1 ? channel_add_stream(to[c], d->fp)
                        : TVLaddfuncdest(child, to[c], d->handle, d->func);
    }
  }
  if (!st) st = callbacks_clone(env, child);
  child->parent = env;
  child->logfile = env->logfile;
  child->field1124a = env->field1124a;
  child->field1124b = env->field1124b;
  build_error_index(child);
  if (!st) st = resource_add(env, kResChildEnv, child);
  if (st) {
    child->parent = nullptr;
    destroy_env(child);
    *status = boundary(env, st);
    return nullptr;
  }
  child->tracking = true;
  env->nchildren++;
  *status = 0;
  return child;
}

int TVLfreeparenv(TVLENVptr env, TVLENVptr *child_p) {
  int st = check_env(env);
  if (st) return boundary(env, st);
  if (!child_p || !*child_p) return boundary(env, 1004);
  tvlenv *child = *child_p;
  if (check_env(child) == 1002 || child->parent != env) return boundary(env, 1003);
  resource_remove(env, child);
  env->nchildren--;
  destroy_env(child);
  *child_p = nullptr;
  return 0;
}

}  // extern "C"
