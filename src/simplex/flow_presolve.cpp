#include "simplex/flow_presolve.h"

#include <memory>
#include <new>
#include <string>

#include "frame/callback.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "presolve/presolve_dual.h"
#include "presolve/presolve_msg.h"

namespace tvl::lp {

namespace {


// Name of row or column k for presolve messages: the stored name or the
// default name ("c1" for rows, "x1" for columns).
std::string item_name(const NameTable &t, int32_t k, char letter) {
  if (t.present() && t.off[k] >= 0) return t.get(k);
  return pre::format("%c%d", letter, k + 1);
}

}  // namespace

std::function<std::string(int32_t)> caller_var_names(const LpData *d, const PresolvedLp *pre) {
  if (!pre) {
    const int32_t n = d->ncols;
    return [d, n](int32_t j) { return j < n ? item_name(d->colnames, j, 'x') : item_name(d->rownames, j - n, 'c'); };
  }
  const int32_t n = pre->reduced.a.n;
  return [d, pre, n](int32_t j) {
    return j < n ? item_name(d->colnames, pre->colmap[j], 'x') : item_name(d->rownames, pre->rowmap[j - n], 'c');
  };
}

PresolveSettings presolve_settings(const tvlenv *env, const tvllp *lp, bool dual) {
  PresolveSettings s;
  s.dual_start = dual;
  s.reduce = param_int(env, TVL_PARAM_REDUCE);
  s.prelinear = param_int(env, TVL_PARAM_PRELINEAR);
  s.predual = param_int(env, TVL_PARAM_PREDUAL);
  s.depind = param_int(env, TVL_PARAM_DEPIND);
  s.aggind = param_int(env, TVL_PARAM_AGGIND);
  s.aggfill = param_int(env, TVL_PARAM_AGGFILL);
  s.prepass = param_int(env, TVL_PARAM_PREPASS);
  s.messages = param_int(env, kParamPresolveReport) != 0;
  s.feastol = param_dbl(env, TVL_PARAM_EPRHS);
  s.kind = "LP";
  const LpData *d = lp->lp;
  s.rowname = [d](int32_t i) { return item_name(d->rownames, i, 'c'); };
  s.colname = [d](int32_t j) { return item_name(d->colnames, j, 'x'); };
  s.env = env;
  return s;
}

namespace {

// The settings a stored copy must have been built with to be reused.
std::array<double, 9> key_of(const PresolveSettings &s) {
  return {double(s.reduce), double(s.prelinear), double(s.predual), double(s.depind),
          double(s.aggind), double(s.aggfill), double(s.prepass), s.feastol, double(s.dual_start)};
}

// Marks the copy as to be solved through its dual when the settings ask
// for it.
void decide_dual(tvlenv *env, const PresolveSettings &s, PresolveData &copy) {
  if (copy.outcome.all_eliminated || !should_form_dual(s.predual, copy.pre.reduced)) return;
  copy.outcome.dual_formed = true;
  if (s.messages) msg_log(env, "DUAL formed by presolve\n");
}

// Runs presolve into a new copy; 0 with `data` set, 0 with `data` null when
// nothing was reduced or memory ran out, or the status that ends the call.
int run_presolve(tvlenv *env, tvllp *lp, const LpModel &model, bool dual, PresolveData *&data) {
  PresolveSettings s = presolve_settings(env, lp, dual);
  LpProgress progress;
  lp_progress_init(progress);
  progress.lp = lp;
  s.lp_callback = [env, &progress] { return call_lp_callback(env, TVL_CALLBACK_PRESOLVE, progress); };
  s.termination = [env] { return limit_check(env); };
  s.clock = [env] { return env_time(env); };
  const bool display = param_int(env, TVL_PARAM_SIMDISPLAY) != 0;
  const double t0 = env_time(env);
  std::unique_ptr<PresolveData> copy;
  int status = 0;
  try {
    copy = std::make_unique<PresolveData>();
    copy->outcome = presolve(model, s, copy->pre);
    status = copy->outcome.status;
  } catch (const std::bad_alloc &) {
    copy.reset();
    status = TVLERR_OUT_OF_MEMORY;
  }
  if (status == 0 && copy->outcome.reduced_any) decide_dual(env, s, *copy);
  if (display) msg_log(env, "Presolve time = %7.2f sec.\n", env_time(env) - t0);
  if (status == TVLERR_OUT_OF_MEMORY) {
    if (display) msg_log(env, "Insufficient memory for presolve.\n");
    return 0;
  }
  if (status != 0 || !copy->outcome.reduced_any) return status;
  copy->key = key_of(s);
  data = copy.release();
  lp->presolve = data;
  return 0;
}

}  // namespace

int prepare_presolve(tvlenv *env, tvllp *lp, const LpModel &model, bool advanced_start, bool dual,
                     PresolveData *&data) {
  data = nullptr;
  if (param_int(env, TVL_PARAM_PREIND) == 0) return 0;
  const int advind = param_int(env, TVL_PARAM_ADVIND);
  PresolveData *kept = presolve_data(lp);
  if (kept && kept->key != key_of(presolve_settings(env, lp, dual))) {
    discard_derived(lp, kDropPresolve);
    kept = nullptr;
  }
  if (kept) {
    // A copy without a basis of its own would lose the problem's basis.
    if (kept->basis.empty() && advanced_start && advind != 0) {
      discard_derived(lp, kDropPresolve);
      return 0;
    }
    data = kept;
    return 0;
  }
  const bool keep_start = (advind == 1 && advanced_start) ||
                          (advind == 2 && param_int(env, TVL_PARAM_PREDUAL) == 1);
  if (keep_start) return 0;
  return run_presolve(env, lp, model, dual, data);
}

}  // namespace tvl::lp
