#include "simplex/verify_repair.h"

#include <algorithm>
#include <memory>

#include "frame/error.h"
#include "simplex/dual_simplex.h"
#include "simplex/dualopt.h"
#include "simplex/flow_refine.h"
#include "simplex/primal_simplex.h"
#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {

namespace {

// Tightening of the cleanup's tolerances, and their floor.
constexpr double kCleanupTighten = 0.1;
constexpr double kCleanupFloor = 1e-9;
// Dual pricing 0 and primal pricing 0 are both the automatic choice.
constexpr int kAutomaticPricing = 0;
// The primal cleanup runs with devex weights.
constexpr int kPrimalDevex = 1;

const char *method_name(SimplexMethod m) { return m == SimplexMethod::Dual ? "dual" : "primal"; }

SimplexMethod other(SimplexMethod m) { return m == SimplexMethod::Dual ? SimplexMethod::Primal : SimplexMethod::Dual; }

// Whether remedy lines go to the log.
bool talks(const SimplexControl &ctl) { return ctl.display > 0 && ctl.env != nullptr; }

// Steps 1 and 2 on a solver that has run, then the unscaled result; the
// factor is kept when it carries at most `kept_updates` updates.
LpResult settle_values(const LpModel &model, const Scaling &sc, SimplexBase &solver, LpStatus status,
                       VerifyCounts &counts, int kept_updates = 0) {
  if (solver.factor_carries_updates(kept_updates)) ++counts.refactorizations;
  if (!solver.refresh(kept_updates) && status == LpStatus::Optimal) status = LpStatus::NumericalTrouble;
  LpResult res;
  extract_result(model, sc, solver, status, res);
  return res;
}

// Step 3: whether the result stands on the unscaled model.  An optimal
// result is refined first when its values are not accurate.
bool passes(const LpModel &model, const SimplexControl &ctl, LpResult &res, VerifyCounts &counts) {
  // A solve started from a basis postsolved from an optimum (the caller
  // then offers the unreduced re-solve) contradicts that optimum with any
  // verdict.
  const bool optimum_expected = static_cast<bool>(ctl.unreduced);
  switch (res.status) {
    case LpStatus::Optimal:
      if (ctl.refine_values && refine_basic_solution(model, res)) ++counts.refinements;
      return primal_violation(model, res) <= ctl.feastol && dual_violation(model, res) <= ctl.opttol;
    case LpStatus::Infeasible:
    case LpStatus::Unbounded:
    case LpStatus::NumericalTrouble:
      if (optimum_expected) return false;
      break;
    default:
      return true;
  }
  switch (res.status) {
    case LpStatus::Infeasible:
      return farkas_margin(model, res.ray) > 0.0;
    case LpStatus::Unbounded:
      return proves_unbounded(model, res.ray);
    default:
      return res.basis_singular;
  }
}

std::unique_ptr<SimplexBase> make_method(SimplexMethod method, SimplexLp lp, const SimplexControl &ctl, bool scaled) {
  if (method == SimplexMethod::Dual) return std::make_unique<DualSimplex>(std::move(lp), ctl, scaled);
  return std::make_unique<PrimalSimplex>(std::move(lp), ctl, scaled);
}

// One remedy: `method` from `start` on `model` scaled by `sc`, with `ctl`
// and what is left of its iteration limit after `used` iterations.
LpResult attempt(SimplexMethod method, const LpModel &model, const Scaling &sc, SimplexControl ctl, const Basis &start,
                 int64_t used, VerifyCounts &counts) {
  ctl.itlim = std::max<int64_t>(0, ctl.itlim - used);
  ctl.unreduced = nullptr;
  std::unique_ptr<SimplexBase> solver = make_method(method, working_lp(model, sc), ctl, sc.active());
  if (!start.empty()) solver->set_basis(basis_to_status(model, start));
  const LpStatus st = solver->run();
  return settle_values(model, sc, *solver, st, counts);
}

// The caller's controls with the method's automatic pricing, for a switch
// of method.
SimplexControl automatic_pricing(SimplexControl ctl) {
  ctl.pricing = kAutomaticPricing;
  return ctl;
}

const char *subject(LpStatus st) {
  switch (st) {
    case LpStatus::Optimal: return "Optimal solution";
    case LpStatus::Infeasible: return "Infeasibility";
    case LpStatus::Unbounded: return "Unboundedness";
    default: return "Final basis";
  }
}

// Takes the outcome of a remedy: iterations add up, and an attempt that
// ended in numerical trouble keeps the result it started from.
void take(LpResult &res, LpResult next) {
  next.iterations += res.iterations;
  next.phase1_iterations += res.phase1_iterations;
  next.verify = res.verify;
  if (next.status == LpStatus::NumericalTrouble && res.status != LpStatus::NumericalTrouble) {
    res.iterations = next.iterations;
    res.phase1_iterations = next.phase1_iterations;
    return;
  }
  res = std::move(next);
}

}  // namespace

LpResult verify_and_repair(const LpModel &model, const Scaling &sc, const SimplexControl &ctl, SimplexMethod method,
                           SimplexBase &solver, LpStatus status) {
  VerifyCounts counts;
  LpResult res = settle_values(model, sc, solver, status, counts, ctl.updates_kept_at_end);
  bool ok = passes(model, ctl, res, counts);
  SimplexMethod last = method;
  if (res.status == LpStatus::NumericalTrouble && res.basis_singular) {
    // 0. the repair limit ran out: the bases this run reached are near
    // singular, so the other method starts afresh from a slack basis
    // (dfl001 with an objective cut: the dual met a singular basis every
    // hundred iterations; the primal solves it without one).  When it too
    // runs out of repairs, 1256 stands.
    ++counts.switches;
    last = other(method);
    if (talks(ctl)) msg_log(ctl.env, "Basis singular; switching to %s simplex from a slack basis.\n", method_name(last));
    take(res, attempt(last, model, sc, automatic_pricing(ctl), Basis{}, res.iterations, counts));
    ok = passes(model, ctl, res, counts);
  }
  if (!ok && res.status == LpStatus::Optimal) {
    // a. cleanup by the same method on the unscaled model.
    ++counts.cleanups;
    if (talks(ctl))
      msg_log(ctl.env, "Cleaning up unscaled infeasibilities (max. primal %.3e, max. dual %.3e).\n",
              primal_violation(model, res), dual_violation(model, res));
    SimplexControl tight = ctl;
    tight.feastol = std::max(kCleanupFloor, kCleanupTighten * ctl.feastol);
    tight.opttol = std::max(kCleanupFloor, kCleanupTighten * ctl.opttol);
    if (method == SimplexMethod::Primal) tight.pricing = kPrimalDevex;
    take(res, attempt(method, model, Scaling(), tight, res.basis, res.iterations, counts));
    ok = passes(model, ctl, res, counts);
  }
  if (!ok) {
    // b. the other method from the basis reached so far.
    ++counts.switches;
    last = other(method);
    if (talks(ctl))
      msg_log(ctl.env, "%s not confirmed on the unscaled problem; switching to %s simplex.\n", subject(res.status),
              method_name(last));
    take(res, attempt(last, model, sc, automatic_pricing(ctl), res.basis, res.iterations, counts));
    ok = passes(model, ctl, res, counts);
  }
  if (!ok && ctl.unreduced) {
    // c. the caller's LP from scratch without presolve.
    ++counts.unreduced;
    if (talks(ctl)) msg_log(ctl.env, "%s not confirmed; re-solving without presolve.\n", subject(res.status));
    const int64_t before = res.iterations, phase1 = res.phase1_iterations;
    const VerifyCounts kept = counts;
    res = ctl.unreduced();
    res.iterations += before;
    res.phase1_iterations += phase1;
    counts = kept;
    counts.add(res.verify);
    ok = !res.verify.doubtful;
  }
  counts.doubtful = !ok;
  res.verify = counts;
  return res;
}

}  // namespace tvl::lp
