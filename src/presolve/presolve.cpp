// Presolve driver: pass loop over the reduction families, aggregator,
// duplicate detection, progress and summary messages, and the build of the
// reduced LpModel.
#include "presolve/presolve.h"

#include <algorithm>

#include "frame/error.h"
#include "presolve/presolve_colsingleton.h"
#include "presolve/presolve_depend.h"
#include "presolve/presolve_dominated.h"
#include "presolve/presolve_doubleton.h"
#include "presolve/presolve_duplicate.h"
#include "presolve/presolve_empty.h"
#include "presolve/presolve_forcing.h"
#include "presolve/presolve_freesubst.h"
#include "presolve/presolve_msg.h"
#include "presolve/presolve_rowsingleton.h"
#include "presolve/presolve_work.h"
#include "runtime/workcount.h"

namespace tvl::lp {

using namespace pre;

namespace {

class Driver {
 public:
  Driver(const LpModel &orig, const PresolveSettings &s) : s_(s), w_(orig, s.feastol) {
    w_.rowname = [this](int32_t i) { return s_.rowname ? s_.rowname(i) : format("R%d", i + 1); };
    w_.colname = [this](int32_t j) { return s_.colname ? s_.colname(j) : format("C%d", j + 1); };
    primal_ = (s.reduce & 1) != 0;
    dual_ = s.reduce >= 2;
    w_.dual_reductions = dual_;
    w_.guard_dual_start = s.dual_start;
    w_.integer = s.integer;
    if (s.step_limit >= 0) w_.step_limit = static_cast<size_t>(s.step_limit);
    pass_limit_ = s.prepass < 0 ? 1000 : s.prepass;
    // The automatic setting leaves the checker off for an LP: the simplex
    // copes with dependent equality rows through its slack repairs.
    const int depind = s.depind < 0 ? 0 : s.depind;
    dep_first_ = primal_ && (depind == 1 || depind == 3);
    dep_last_ = primal_ && depind >= 2;
    agg_limit_ = s.aggind < 0 ? 1 : s.aggind;
    last_progress_ = now();
  }

  int run();
  // Adds the operations counted since the last call to the thread's work
  // counter (once per pass, so a deterministic limit sees presolve work).
  void flush_work() {
    work_add(static_cast<uint64_t>(w_.work - flushed_));
    flushed_ = w_.work;
  }
  Work &work() { return w_; }
  int32_t passes() const { return passes_; }
  int32_t aggregator_runs() const { return agg_runs_; }
  void emit(const std::string &text) const;

 private:
  double now() const { return s_.clock ? s_.clock() : 0.0; }
  int progress_check();
  int pass_loop();
  int aggregator();
  int32_t alive() const { return w_.rows_alive + w_.cols_alive; }
  bool on(unsigned fam) const { return (s_.families & fam) != 0; }

  const PresolveSettings &s_;
  Work w_;
  bool primal_ = true, dual_ = true;
  bool dep_first_ = false, dep_last_ = false;
  int32_t pass_limit_ = 0, agg_limit_ = 0;
  int32_t passes_ = 0, agg_runs_ = 0;
  double last_progress_ = 0.0;
  int64_t flushed_ = 0;  // w_.work already added to the thread's counter
};

void Driver::emit(const std::string &text) const {
  if (!s_.messages || text.empty()) return;
  if (s_.sink) s_.sink(text);
  else if (s_.env) tvl::msg_log(s_.env, "%s", text.c_str());
}

int Driver::progress_check() {
  flush_work();
  const double t = now();
  if (t - last_progress_ > 5.0) {
    last_progress_ = t;
    emit(msg_progress(w_.m - w_.rows_alive, w_.n - w_.cols_alive, w_.aggregations, agg_limit_ > 0,
                      w_.bound_improvements));
  }
  if (s_.lp_callback && s_.lp_callback() != 0) return 1106;
  if (s_.termination) {
    const int code = s_.termination();
    if (code == 11) return 1123;
    if (code == 900) return 9025;
    if (code != 0) return 1106;
  }
  return 0;
}

// Runs passes until one eliminates nothing or the pass limit is reached.
int Driver::pass_loop() {
  for (int32_t p = 0; p < pass_limit_; ++p) {
    if (const int st = progress_check()) return st;
    ++passes_;
    const int32_t before = alive();
    // Each family scans the live rows or columns.
    w_.work += 2 * static_cast<int64_t>(before);
    if (primal_ && dual_ && on(kFamDominated)) reduce_dominated_cols(w_);
    if (primal_ && !w_.failed() && on(kFamColumns)) reduce_fixed_and_empty_cols(w_);
    if ((primal_ || dual_) && !w_.failed()) {
      if (on(kFamSingletonRows)) reduce_singleton_rows(w_);
      if (!w_.failed() && on(kFamRedundantRows)) reduce_redundant_rows(w_);
    }
    if (primal_ && !w_.failed() && on(kFamColSingletons)) reduce_col_singletons(w_);
    if (primal_ && !w_.failed() && on(kFamForcingRows)) reduce_forcing_rows(w_);
    if (!w_.failed()) remove_empty_rows(w_);
    if (w_.failed()) return w_.issue.status;
    if (alive() == before) break;
  }
  return 0;
}

// Each application substitutes doubleton equations until none is left,
// cleaning up with the pass loop in between.
int Driver::aggregator() {
  while (agg_runs_ < agg_limit_ && primal_) {
    ++agg_runs_;
    bool any = false;
    for (int sweep = 0; sweep < 100; ++sweep) {
      int32_t done = on(kFamDoubletons) ? reduce_doubleton_equations(w_, s_.aggfill) : 0;
      if (!w_.failed() && on(kFamFreeSubst)) done += reduce_free_substitutions(w_, s_.aggfill);
      if (w_.failed()) return w_.issue.status;
      if (done == 0) break;
      any = true;
      if (const int st = pass_loop()) return st;
    }
    if (!any) break;
  }
  return 0;
}

int Driver::run() {
  if (dep_first_) {
    reduce_dependent_rows(w_);
    if (w_.failed()) return w_.issue.status;
  }
  if (pass_limit_ > 0) {
    if (const int st = pass_loop()) return st;
  }
  if (const int st = aggregator()) return st;
  if (agg_limit_ > 0 && primal_) emit(msg_aggregator_tries(agg_runs_));
  if (dep_last_) {
    reduce_dependent_rows(w_);
    if (w_.failed()) return w_.issue.status;
  }
  if (primal_) {
    for (int round = 0; round < 10; ++round) {
      const int32_t before = alive();
      if (on(kFamDuplicateRows)) reduce_duplicate_rows(w_);
      if (!w_.failed() && on(kFamDuplicateCols)) reduce_duplicate_cols(w_);
      if (w_.failed()) return w_.issue.status;
      if (alive() == before) break;
      if (pass_limit_ > 0) {
        if (const int st = pass_loop()) return st;
      }
    }
  }
  return 0;
}

double to_model(double v) {
  if (v >= kInfBound) return kInfBound;
  if (v <= -kInfBound) return -kInfBound;
  return v;
}

void build_reduced(const Work &w, const LpModel &orig, PresolvedLp &out) {
  std::vector<int32_t> newrow(w.m, -1);
  out.rowmap.clear();
  out.colmap.clear();
  for (int32_t i = 0; i < w.m; ++i) {
    if (w.row_alive[i]) { newrow[i] = static_cast<int32_t>(out.rowmap.size()); out.rowmap.push_back(i); }
  }
  for (int32_t j = 0; j < w.n; ++j) {
    if (w.col_alive[j]) out.colmap.push_back(j);
  }
  LpModel &r = out.reduced;
  r = LpModel{};
  r.objsense = orig.objsense;
  r.offset = w.offset;
  const int32_t m = static_cast<int32_t>(out.rowmap.size()), n = static_cast<int32_t>(out.colmap.size());
  r.a.m = m;
  r.a.n = n;
  r.a.start.assign(n + 1, 0);
  std::vector<std::pair<int32_t, double>> col;
  for (int32_t jj = 0; jj < n; ++jj) {
    const int32_t j = out.colmap[jj];
    col.clear();
    for (int32_t e = w.chead[j]; e >= 0; e = w.cnext[e]) col.emplace_back(newrow[w.erow[e]], w.eval[e]);
    std::sort(col.begin(), col.end());
    for (const auto &[i, v] : col) { r.a.index.push_back(i); r.a.value.push_back(v); }
    r.a.start[jj + 1] = static_cast<int32_t>(r.a.index.size());
    r.cost.push_back(w.cost[j]);
    r.collo.push_back(to_model(w.clo[j]));
    r.colup.push_back(to_model(w.cup[j]));
  }
  for (int32_t ii = 0; ii < m; ++ii) {
    r.rowlo.push_back(to_model(w.rlo[out.rowmap[ii]]));
    r.rowup.push_back(to_model(w.rup[out.rowmap[ii]]));
  }
}

}  // namespace

PresolveOutcome presolve(const LpModel &orig, const PresolveSettings &s, PresolvedLp &out) {
  PresolveOutcome res;
  out = PresolvedLp{};
  Driver d(orig, s);
  res.status = d.run();
  d.flush_work();
  Work &w = d.work();
  if (res.status != 0) {
    d.emit(w.issue.message);
    return res;
  }
  out.counts.rows_removed = w.m - w.rows_alive;
  out.counts.cols_removed = w.n - w.cols_alive;
  out.counts.aggregations = w.aggregations;
  out.counts.bound_changes = w.bound_improvements;
  out.counts.passes = d.passes();
  out.counts.aggregator_runs = d.aggregator_runs();
  SummaryData sum;
  sum.kind = s.kind;
  sum.repeated = s.repeated;
  sum.rows_removed = out.counts.rows_removed;
  sum.cols_removed = out.counts.cols_removed;
  sum.aggregations = w.aggregations;
  if (w.stack.steps.empty()) {
    sum.nothing_reduced = true;
    d.emit(msg_summary(sum));
    return res;
  }
  res.reduced_any = true;
  out.original = orig;
  out.stack = std::move(w.stack);
  build_reduced(w, orig, out);
  res.all_eliminated = out.reduced.a.m == 0 && out.reduced.a.n == 0;
  sum.all_eliminated = res.all_eliminated;
  sum.m = out.reduced.a.m;
  sum.n = out.reduced.a.n;
  sum.nz = static_cast<int64_t>(out.reduced.a.index.size());
  d.emit(msg_summary(sum));
  return res;
}

Basis crush_basis(const PresolvedLp &pre, const Basis &orig) {
  Basis b;
  if (orig.empty()) return b;
  const int32_t m = static_cast<int32_t>(pre.rowmap.size());
  const int32_t n = static_cast<int32_t>(pre.colmap.size());
  b.colstat.resize(n);
  b.rowstat.resize(m);
  int32_t basic = 0;
  for (int32_t j = 0; j < n; ++j) {
    b.colstat[j] = orig.colstat[pre.colmap[j]];
    if (b.colstat[j] == kBasic) ++basic;
  }
  for (int32_t i = 0; i < m; ++i) {
    b.rowstat[i] = orig.rowstat[pre.rowmap[i]];
    if (b.rowstat[i] == kBasic) ++basic;
  }
  // Repair the count: surplus basics leave (rows first, then columns, last
  // index first); missing ones are supplied by row slacks.
  auto leave_status = [](double lo, double up) -> int8_t {
    if (lo > -kInfBound) return kAtLower;
    if (up < kInfBound) return kAtUpper;
    return kFree;
  };
  for (int32_t i = m - 1; i >= 0 && basic > m; --i) {
    if (b.rowstat[i] == kBasic) { b.rowstat[i] = leave_status(pre.reduced.rowlo[i], pre.reduced.rowup[i]); --basic; }
  }
  for (int32_t j = n - 1; j >= 0 && basic > m; --j) {
    if (b.colstat[j] == kBasic) { b.colstat[j] = leave_status(pre.reduced.collo[j], pre.reduced.colup[j]); --basic; }
  }
  for (int32_t i = 0; i < m && basic < m; ++i) {
    if (b.rowstat[i] != kBasic) { b.rowstat[i] = kBasic; ++basic; }
  }
  // Nonbasic statuses must name a finite bound of the reduced problem.
  auto settle = [&leave_status](int8_t &st, double lo, double up) {
    if (st == kBasic) return;
    if ((st == kAtLower && lo <= -kInfBound) || (st == kAtUpper && up >= kInfBound) || (st == kFree && (lo > -kInfBound || up < kInfBound)))
      st = leave_status(lo, up);
  };
  for (int32_t j = 0; j < n; ++j) settle(b.colstat[j], pre.reduced.collo[j], pre.reduced.colup[j]);
  for (int32_t i = 0; i < m; ++i) settle(b.rowstat[i], pre.reduced.rowlo[i], pre.reduced.rowup[i]);
  return b;
}

}  // namespace tvl::lp
