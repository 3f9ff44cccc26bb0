#include "conflict/refine.h"

#include <memory>
#include <new>
#include <optional>

#include "conflict/filter.h"
#include "frame/callback.h"
#include "frame/conflict_record.h"
#include "frame/derived.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/param.h"
#include "lpmodel/lpbuild.h"

namespace tvl::conflict {

namespace {

struct Outcome {
  int error = 0;   // a library status instead of a conflict
  int status = 0;  // conflict status
  std::vector<Mark> marks;
  bool certified = false;  // an LP set with a robust uniqueness proof (no re-solve needed)
};

Outcome ended(int status, std::vector<Mark> marks) { return Outcome{0, status, std::move(marks)}; }

// Status of a filter that ran to its end or was stopped with an infeasible set.
Outcome settled(const Filter &f, Verdict v) {
  const bool minimal = v != Verdict::Stopped && f.all_proved();
  Outcome out = ended(minimal ? TVL_STAT_CONFLICT_MINIMAL : TVL_STAT_CONFLICT_NONMINIMAL, f.marks());
  out.certified = minimal && f.certified();
  return out;
}

// Certificate phase and deletion filter on a set the filter found
// infeasible: over all candidates at once, or rows before bounds (MIP
// tests, see conflict/filter.h).
// Bounds that no row resists go before each deletion over bounds (when
// `locks` allows: no special structures), so that no test is spent on them.
Verdict reduce(Filter &f, bool rows_first, bool locks) {
  Verdict r = f.certificate_phase();
  if (r != Verdict::Stopped && !rows_first && locks) f.drop_unlocked_bounds();
  if (r != Verdict::Stopped) r = rows_first ? f.deletion(Filter::Scope::Rows) : f.deletion();
  if (r != Verdict::Stopped && rows_first && locks) f.drop_unlocked_bounds();
  if (r != Verdict::Stopped && rows_first) r = f.deletion(Filter::Scope::Bounds);
  return r;
}

// A refinement pass: the filter's set is solved, then reduced when
// infeasible.
Outcome refine_set(Filter &f, const Tester &t, bool rows_first, bool locks) {
  const Verdict v = f.check();
  if (v == Verdict::Feasible) return ended(TVL_STAT_CONFLICT_FEASIBLE, {});
  if (v == Verdict::Stopped) return ended(t.stop_status(), {});
  if (v == Verdict::Unsure) return Outcome{TVLERR_CONFLICT_DETECTION_COULD_NOT_REPRODUCE_PREVIOUSLY_FOUND_INFEASIBILITY, 0, {}};
  return settled(f, reduce(f, rows_first, locks));
}

// The marks a second pass starts from: every member left a candidate again.
std::vector<Mark> reopened(std::vector<Mark> marks) {
  for (Mark &m : marks)
    if (m == Mark::Proved) m = Mark::In;
  return marks;
}

Outcome run_lp(tvlenv *env, const WorkModel &w, const FilterLog &log, bool confirm) {
  LpTester t(env, w, confirm);
  Filter f(w, t, std::vector<Mark>(w.items.size(), Mark::In), log);
  return refine_set(f, t, false, true);
}

Outcome run_mip(tvlenv *env, const tvllp *lp, const WorkModel &w, const mip::MipModel &mm, FilterLog log) {
  std::vector<Mark> marks(w.items.size(), Mark::In);
  {
    log.phase = "LP relaxation";
    LpTester t(env, w);
    Filter f(w, t, marks, log);
    const Verdict v = f.check();
    if (v == Verdict::Stopped) return ended(t.stop_status(), {});
    if (v == Verdict::Infeasible) {
      // An infeasible set of the relaxation is one of the MIP as well.
      if (reduce(f, false, !mm.has_special()) == Verdict::Stopped) return ended(TVL_STAT_CONFLICT_NONMINIMAL, f.marks());
      marks = reopened(f.marks());
    }
  }
  log.phase = "MIP";
  MipTester t(env, lp, w, mm);
  Filter f(w, t, marks, log);
  return refine_set(f, t, true, !mm.has_special());
}

// An independent re-solve of the final set from scratch; for an LP the
// working form and the problem's own form must both find it infeasible.
// (Not for a set proved by its certificate's uniqueness: that proof holds
// beyond the solvers' tolerances, unique_certificate.h.)
bool reproduced(tvlenv *env, const tvllp *lp, const WorkModel &w, const mip::MipModel *mm, const std::vector<Mark> &marks) {
  FilterLog quiet{env, 0, ""};
  std::unique_ptr<Tester> t;
  if (mm) t = std::make_unique<MipTester>(env, lp, w, *mm);
  else t = std::make_unique<LpTester>(env, w, true);
  Filter f(w, *t, marks, quiet);
  return f.check() != Verdict::Feasible;
}

// The start's values become the bounds of its columns; relaxing one falls
// back to the column's own bound.
void fix_start(WorkModel &w, const MipStart &s) {
  for (size_t k = 0; k < s.ind.size(); ++k) {
    const int32_t j = s.ind[k];
    const double v = s.val[k];
    if (j < 0 || j >= w.ncols || v >= kNoStartValue) continue;
    const size_t c = static_cast<size_t>(j);
    w.base_lo[c] = w.tight_lo[c];
    w.base_up[c] = w.tight_up[c];
    w.tight_lo[c] = w.tight_up[c] = v;
    w.lp.collo[c] = w.lp.colup[c] = v;
  }
}

ConflictRecord *make_record(const WorkModel &w, const Outcome &out) {
  auto *rec = new ConflictRecord;
  rec->status = out.status;
  const size_t n = static_cast<size_t>(w.ncols);
  rec->row.assign(static_cast<size_t>(w.nrows), ConflictSide::Excluded);
  rec->lo_side.assign(n, ConflictSide::Excluded);
  rec->up_side.assign(n, ConflictSide::Excluded);
  rec->lo.assign(w.tight_lo.begin(), w.tight_lo.begin() + static_cast<std::ptrdiff_t>(n));
  rec->up.assign(w.tight_up.begin(), w.tight_up.begin() + static_cast<std::ptrdiff_t>(n));
  rec->base_lo.assign(w.base_lo.begin(), w.base_lo.begin() + static_cast<std::ptrdiff_t>(n));
  rec->base_up.assign(w.base_up.begin(), w.base_up.begin() + static_cast<std::ptrdiff_t>(n));
  for (size_t k = 0; k < out.marks.size(); ++k) {
    if (excluded(out.marks[k])) continue;
    const ConflictSide side = out.marks[k] == Mark::Proved ? ConflictSide::Proved : ConflictSide::Possible;
    const Item &it = w.items[k];
    const size_t i = static_cast<size_t>(it.index);
    (it.kind == Item::Row ? rec->row[i] : it.kind == Item::Lower ? rec->lo_side[i] : rec->up_side[i]) = side;
  }
  return rec;
}

int start_index_status(const tvlenv *env, const tvllp *lp, int start) {
  if (!is_mip_type(lp->type)) return TVLERR_NOT_A_MIXED_INTEGER_PROBLEM;
  const int32_t count = mipstarts_count(lp);
  if (count == 0) return TVLERR_NO_MIP_START_EXISTS;
  if (start < 0) {
    report(env, 1205, "TVLrefinemipstartconflict", start, 0);
    return 1200;
  }
  if (start >= count) {
    report(env, 1206, "TVLrefinemipstartconflict", start, count - 1);
    return 1200;
  }
  return 0;
}

}  // namespace

int refine(tvlenv *env, tvllp *lp, int start, int *nrows_p, int *ncols_p) {
  if (nrows_p) *nrows_p = 0;
  if (ncols_p) *ncols_p = 0;
  discard_derived(lp, kDropConflict);
  if (lp->parts && lp->parts->qcons.size > 0) return 1031;
  if (start != kNoMipStart) {
    if (int st = start_index_status(env, lp, start)) return st;
  }
  const bool mip = is_mip_type(lp->type) && lp->mip != nullptr;
  RunScope run(env);
  const double t0 = env_time(env);
  FilterLog log{env, param_int(env, TVL_PARAM_CONFLICTDISPLAY), mip ? "MIP" : "LP"};
  std::optional<mip::MipModel> mm;
  WorkModel w;
  try {
    if (mip) {
      mm.emplace();
      mip::build_mip_model(lp, *mm);
      w = make_work_model(mm->lp, lp->lp->nrows, lp->lp->ncols);
    } else {
      lp::LpModel model;
      lp::build_model(*lp->lp, model);
      w = make_work_model(model, lp->lp->nrows, lp->lp->ncols);
    }
    if (start != kNoMipStart) fix_start(w, mipstarts_of(lp)->starts[static_cast<size_t>(start)]);
    collect_items(w);
    if (log.display >= 1) {
      msg_results(env, "Refining conflict%s: %d rows, %d columns, %lld candidates.\n",
                  start != kNoMipStart ? " of a MIP start" : "", w.nrows, w.ncols,
                  static_cast<long long>(w.items.size()));
    }
    Outcome out = mip ? run_mip(env, lp, w, *mm, log) : run_lp(env, w, log, false);
    if (out.error) return out.error;
    auto confirmed = [&] {
      return (out.status != TVL_STAT_CONFLICT_MINIMAL && out.status != TVL_STAT_CONFLICT_NONMINIMAL) ||
             out.certified || reproduced(env, lp, w, mip ? &*mm : nullptr, out.marks);
    };
    bool ok = confirmed();
    if (!mip && !ok) {
      // Some warm test took a set for infeasible that a fresh solve does
      // not: refine once more, each infeasible verdict confirmed afresh.
      if (log.display >= 1) msg_results(env, "Conflict not confirmed by a fresh solve; refining with fresh checks.\n");
      out = run_lp(env, w, log, true);
      if (out.error) return out.error;
      ok = confirmed();
    }
    if (!ok) return TVLERR_CONFLICT_DETECTION_COULD_NOT_REPRODUCE_PREVIOUSLY_FOUND_INFEASIBILITY;
    ConflictRecord *rec = make_record(w, out);
    lp->conflict = rec;
    if (nrows_p) *nrows_p = rec->row_members();
    if (ncols_p) *ncols_p = rec->col_members();
    if (log.display >= 1) {
      char text[TVL_MSGBUFSIZE];
      msg_results(env, "Conflict: %d rows, %d columns; %s (%.2f sec.).\n", rec->row_members(), rec->col_members(),
                  TVLgetstatstring(env, rec->status, text) ? text : "", env_time(env) - t0);
    }
  } catch (const std::bad_alloc &) {
    return TVLERR_OUT_OF_MEMORY;
  }
  return 0;
}

}  // namespace tvl::conflict
