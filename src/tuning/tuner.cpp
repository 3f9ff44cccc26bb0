#include "tuning/tuner.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "frame/callback.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/infinity.h"
#include "runtime/workcount.h"
#include "tuning/tune_knobs.h"
#include "tuning/tune_run.h"

namespace tvl::tuning {

namespace {

constexpr double kWinShare = 0.95;  // a challenger must need at most this share of the incumbent's work

// The runs of one setting combined.
struct Measure {
  RunEnd end = RunEnd::Failed;
  int verdict = kVerdictNone;
  int code = 0;
  int runs = 0;
  double ticks = 0.0;    // deterministic work in ticks
  double seconds = 0.0;
  double gap = 1e75;
  bool capped = false;   // stopped at the incumbent's work
};

// Why the tuning stopped early.
enum class Stop { None, Abort, TimeLimit };

bool beats(const Measure &c, const Measure &inc) {
  if (c.end == RunEnd::Failed || c.capped) return false;
  if (c.end == RunEnd::Decided) {
    if (inc.end != RunEnd::Decided) return true;
    return c.verdict == inc.verdict && c.ticks <= kWinShare * inc.ticks;
  }
  return inc.end == RunEnd::Stopped && c.gap < inc.gap && c.gap <= kWinShare * inc.gap;
}

struct Candidate {
  int param = 0;
  int value = 0;
};

class Tuner {
 public:
  Tuner(tvlenv *env, tvllp *lp, bool mip, ParamSet base)
      : env_(env), lp_(lp), mip_(mip), incumbent_(std::move(base)) {
    measure_ = incumbent_.get_int(TVL_PARAM_TUNINGMEASURE);
    repeat_ = incumbent_.get_int(TVL_PARAM_TUNINGREPEAT);
    display_ = incumbent_.get_int(TVL_PARAM_TUNINGDISPLAY);
    run_seconds_ = incumbent_.get_dbl(TVL_PARAM_TILIM);
    run_ticks_ = incumbent_.get_dbl(kParamDetTimeLimit);
    start_ = env_time(env);
    deadline_ = start_ + incumbent_.get_dbl(TVL_PARAM_TUNINGTILIM);
  }

  // Runs the search; returns 0 with the tuning status, or the error of the
  // base settings' run.
  int run(const FixedParams &fixed, int *tunestat);
  const ParamSet &best() const { return incumbent_; }

 private:
  Stop measure(const ParamSet &setting, double cap_ticks, Measure &m);
  Stop before_run();
  Stop pass(const std::vector<Knob> &knobs, const FixedParams &fixed, bool *improved);
  void log_candidate(const Candidate &c, const Measure &m, bool won) const;
  std::string gap_text(const Measure &m) const;
  void log_summary(Stop stop, const std::vector<Knob> &knobs, const FixedParams &fixed) const;
  static int answer(const CallbackData *data, int wherefrom, int which, void *result);

  tvlenv *env_;
  tvllp *lp_;
  bool mip_;
  ParamSet incumbent_;
  Measure best_;
  int measure_ = 1, repeat_ = 1, display_ = 1;
  double run_seconds_ = kNoValue, run_ticks_ = kNoValue;
  double start_ = 0.0, deadline_ = kNoValue;
  int tried_ = 0, planned_ = 1;
};

Stop Tuner::before_run() {
  if (limit_check(env_) != 0) return Stop::Abort;
  const CallbackState *state = env_->callbacks;
  if (state && state->tuning.func) {
    CallbackData data;
    data.answer = answer;
    data.owner = this;
    if (state->tuning.func(env_, &data, TVL_CALLBACK_TUNING, state->tuning.handle) != 0) return Stop::Abort;
  }
  if (env_time(env_) >= deadline_) return Stop::TimeLimit;
  return Stop::None;
}

int Tuner::answer(const CallbackData *data, int, int which, void *result) {
  const auto *t = static_cast<const Tuner *>(data->owner);
  switch (which) {
    case TVL_CALLBACK_INFO_TUNING_PROGRESS:
      *static_cast<double *>(result) = std::min(1.0, static_cast<double>(t->tried_) / t->planned_);
      return 0;
    case TVL_CALLBACK_INFO_ENDTIME:
      *static_cast<double *>(result) = t->deadline_;
      return 0;
    default: return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  }
}

// Runs `setting` repeatedly and combines the runs; a run that reaches
// `cap_ticks` (below the caller's own limit) ends the measure as capped.
Stop Tuner::measure(const ParamSet &setting, double cap_ticks, Measure &m) {
  ParamSet run = setting.copy();
  if (run.empty()) throw std::bad_alloc();
  m = Measure{};
  const double ticks = std::min(run_ticks_, cap_ticks);
  for (int r = 0; r < repeat_; ++r) {
    if (Stop s = before_run(); s != Stop::None) return s;
    const double left = deadline_ - env_time(env_);
    const bool budget_binds = left < run_seconds_;
    run.set_dbl(TVL_PARAM_TILIM, std::max(0.0, std::min(run_seconds_, left)));
    run.set_dbl(kParamDetTimeLimit, ticks);
    const RunOutcome o = run_setting(env_, lp_, mip_, run, display_ >= 3);
    if (o.user_stop) return Stop::Abort;
    if (o.time_limit && budget_binds) return Stop::TimeLimit;
    const double t = static_cast<double>(o.work) / kWorkPerTick;
    if (display_ >= 2)
      msg_results(env_, "Tuning:   run %d: status %d, work %.2f ticks, %.2f sec.\n", r + 1, o.code, t, o.seconds);
    ++m.runs;
    const bool worse = m.runs == 1 || o.end > m.end;
    if (worse) {
      m.end = o.end;
      m.verdict = o.verdict;
      m.code = o.code;
    }
    if (measure_ == 2) {
      m.ticks = std::max(m.ticks, t);
      m.seconds = std::max(m.seconds, o.seconds);
      m.gap = m.runs == 1 ? o.gap : std::max(m.gap, o.gap);
    } else {
      m.ticks += (t - m.ticks) / m.runs;
      m.seconds += (o.seconds - m.seconds) / m.runs;
      m.gap = m.runs == 1 ? o.gap : m.gap + (o.gap - m.gap) / m.runs;
    }
    if (o.work_limit && cap_ticks < run_ticks_) m.capped = true;
    if (m.capped || o.end == RunEnd::Failed) break;
  }
  return Stop::None;
}

void Tuner::log_candidate(const Candidate &c, const Measure &m, bool won) const {
  if (display_ < 1) return;
  const char *verdict = won                        ? "best so far"
                        : m.capped                 ? "stopped at the best work"
                        : m.end == RunEnd::Failed  ? "failed"
                        : m.end == RunEnd::Stopped ? "stopped at a limit"
                                                   : "not better";
  msg_results(env_, "Tuning: %s %d: status %d, work %.2f ticks, %.2f sec%s (%s)\n", param_find(c.param)->name,
              c.value, m.code, m.ticks, m.seconds, gap_text(m).c_str(), verdict);
}

// ", gap N%" for a MIP measure that stopped at a limit, else empty.
std::string Tuner::gap_text(const Measure &m) const {
  if (!mip_ || m.end != RunEnd::Stopped || m.capped || m.gap >= kNoValueLimit) return "";
  char buf[48];
  std::snprintf(buf, sizeof buf, ", gap %.2f%%", 100.0 * m.gap);
  return buf;
}

Stop Tuner::pass(const std::vector<Knob> &knobs, const FixedParams &fixed, bool *improved) {
  for (const Knob &k : knobs) {
    if (fixed.fixes(k.param)) continue;
    for (int value : k.values) {
      if (incumbent_.get_int(k.param) == value) continue;
      ParamSet trial = incumbent_.copy();
      if (trial.empty()) throw std::bad_alloc();
      trial.set_int(k.param, value);
      const double cap = best_.end == RunEnd::Decided ? best_.ticks : kNoValue;
      Measure m;
      if (Stop s = measure(trial, cap, m); s != Stop::None) return s;
      ++tried_;
      const bool won = beats(m, best_);
      log_candidate({k.param, value}, m, won);
      if (won) {
        incumbent_ = std::move(trial);
        best_ = m;
        *improved = true;
      }
    }
  }
  return Stop::None;
}

void Tuner::log_summary(Stop stop, const std::vector<Knob> &knobs, const FixedParams &fixed) const {
  if (display_ < 1) return;
  const char *how = stop == Stop::Abort ? "stopped by request" : stop == Stop::TimeLimit ? "time limit reached" : "complete";
  std::string changed;
  for (const Knob &k : knobs) {
    const int v = incumbent_.get_int(k.param);
    if (v == param_find(k.param)->idef || fixed.fixes(k.param)) continue;
    changed += std::string(" ") + param_find(k.param)->name + "=" + std::to_string(v);
  }
  msg_results(env_, "Tuning %s after %.2f sec: %s%s\n", how, env_time(env_) - start_,
              changed.empty() ? "no setting beat the defaults" : "best settings", changed.c_str());
}

int Tuner::run(const FixedParams &fixed, int *tunestat) {
  const std::vector<Knob> &knobs = knobs_for(mip_);
  planned_ = 1;
  for (const Knob &k : knobs)
    if (!fixed.fixes(k.param)) planned_ += static_cast<int>(k.values.size());
  if (display_ >= 1)
    msg_results(env_, "Tuning %s: %d settings to try, %d run%s each, time limit %g sec.\n",
                mip_ ? "a MIP" : "an LP", planned_, repeat_, repeat_ == 1 ? "" : "s",
                incumbent_.get_dbl(TVL_PARAM_TUNINGTILIM));
  Stop stop = measure(incumbent_, kNoValue, best_);
  if (stop == Stop::None) {
    ++tried_;
    if (best_.end == RunEnd::Failed) return best_.code ? best_.code : TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
    if (display_ >= 1)
      msg_results(env_, "Tuning: defaults: status %d, work %.2f ticks, %.2f sec%s.\n", best_.code, best_.ticks,
                  best_.seconds, gap_text(best_).c_str());
    bool improved = true;
    for (int p = 0; p < 2 && improved && stop == Stop::None; ++p) {
      improved = false;
      stop = pass(knobs, fixed, &improved);
    }
  }
  log_summary(stop, knobs, fixed);
  *tunestat = stop == Stop::Abort ? TVL_TUNE_ABORT : stop == Stop::TimeLimit ? TVL_TUNE_TILIM : 0;
  return 0;
}

}  // namespace

int tune(tvlenv *env, tvllp *lp, const FixedParams &fixed, int *tunestat) {
  const int type = TVLgetprobtype(env, lp);
  if (type < 0) return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  const bool mip = type == TVLPROB_MILP || type == TVLPROB_MIQP || type == TVLPROB_MIQCP;
  ParamSet base = base_settings(env, fixed);
  if (base.empty()) return TVLERR_OUT_OF_MEMORY;
  Tuner tuner(env, lp, mip, std::move(base));
  int stat = 0;
  const int st = tuner.run(fixed, &stat);
  if (st) return st;
  tuner.best().install(env);
  *tunestat = stat;
  return 0;
}

}  // namespace tvl::tuning
