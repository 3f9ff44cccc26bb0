// The LP as the simplex codes and presolve see it, and the result they hand
// back.  The frame builds an LpModel from a problem object; the optimizers
// never touch the problem object themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "factor/factor.h"
#include "frame/callback.h"
#include "frame/infinity.h"

struct tvlenv;

namespace tvl::lp {

// The infinity of the working forms of presolve and the simplex: model
// bounds at or beyond kInfBound become +-kWorkInf there.
inline constexpr double kWorkInf = std::numeric_limits<double>::infinity();

// minimise  cost'x + offset  subject to  rowlo <= A x <= rowup,  collo <= x <= colup.
// Maximisation problems arrive with negated cost and objsense = -1 so that
// reported objectives can be converted back.
struct LpModel {
  CscMatrix a;                  // m x n, column-wise, no gaps, no zeros
  std::vector<double> cost;     // n
  std::vector<double> collo, colup;  // n
  std::vector<double> rowlo, rowup;  // m
  double offset = 0.0;
  int objsense = 1;
};

// Basis status per variable: 0 at lower, 1 basic, 2 at upper, 3 free/superbasic.
// A row's status describes its activity A_i x: at lower means A_i x = rowlo.
struct Basis {
  std::vector<int8_t> colstat;  // n
  std::vector<int8_t> rowstat;  // m
  bool empty() const { return colstat.empty() && rowstat.empty(); }
};

enum class LpStatus {
  Unknown,
  Optimal,
  Infeasible,       // primal infeasible (dual ray available)
  Unbounded,        // primal unbounded (primal ray available)
  InfOrUnbd,
  IterLimit,
  TimeLimit,
  DetTimeLimit,
  Aborted,          // terminate request / user callback
  ObjLimit,         // objective limit reached (dual simplex: OBJULIM)
  NumericalTrouble,
};

// What the verify-and-repair step (simplex/verify_repair.h) did for a result.
struct VerifyCounts {
  int refactorizations = 0;  // final factor rebuilt because it carried updates
  int refinements = 0;       // unscaled values refined on the final basis
  int cleanups = 0;          // remedy 1: same method, unscaled, tightened tolerances
  int switches = 0;          // remedy 2: the other method from the basis
  int unreduced = 0;         // remedy 3: re-solve without presolve
  bool doubtful = false;     // the result handed back still failed its check
  int remedies() const { return cleanups + switches + unreduced; }
  void add(const VerifyCounts &o) {
    refactorizations += o.refactorizations;
    refinements += o.refinements;
    cleanups += o.cleanups;
    switches += o.switches;
    unreduced += o.unreduced;
  }
};

struct LpResult {
  LpStatus status = LpStatus::Unknown;
  double objval = 0.0;            // in minimisation form, including offset
  std::vector<double> x;          // n
  std::vector<double> rowact;     // m: A x
  std::vector<double> pi;         // m: row duals (minimisation form)
  std::vector<double> dj;         // n: reduced costs (minimisation form)
  Basis basis;
  std::vector<double> ray;        // dual ray (m) when Infeasible, primal ray (n) when Unbounded
  int64_t iterations = 0;
  int64_t phase1_iterations = 0;
  bool primal_feasible = false, dual_feasible = false;
  double kappa = 0.0;             // condition estimate of the final basis (0 if unknown)
  bool basis_singular = false;    // the run stopped because the repair limit was exhausted
  VerifyCounts verify;            // what the verify-and-repair step did
};

// A running simplex as its limit check sees it: describes the current
// iterate for the information items of the LP callback (on request only,
// each description costs a pass over the variables).
class SimplexProbe {
 public:
  virtual void describe(LpIterate &out) const = 0;

 protected:
  virtual ~SimplexProbe() = default;
};

// What the simplex needs from its caller: tolerances, limits, the channel to
// log on, and a limit check (time, deterministic time, terminate flag,
// callbacks) that returns the status to stop with, or Unknown to go on.
struct SimplexControl {
  const tvlenv *env = nullptr;  // for log output through the log channel
  double feastol = 1e-6;        // TVL_PARAM_EPRHS
  double opttol = 1e-6;         // TVL_PARAM_EPOPT
  int64_t itlim = 2100000000;   // TVL_PARAM_ITLIM
  int pricing = 0;              // TVL_PARAM_DPRIIND / TVL_PARAM_PPRIIND
  int pricelim = 0;             // TVL_PARAM_PRICELIM: partial pricing segment (0 automatic)
  int scaling = 0;              // TVL_PARAM_SCAIND
  int perturb_always = 0;       // TVL_PARAM_PERIND
  int perlim = 0;               // TVL_PARAM_PERLIM
  int crash = 1;                // TVL_PARAM_CRAIND: the primal's start (simplex/crash.h)
  double epper = 1e-6;          // TVL_PARAM_EPPER
  int display = 1;              // TVL_PARAM_SIMDISPLAY
  double objllim = -kNoValue, objulim = kNoValue;
  FactorSettings factor;
  int singlim = 10;
  int precision_policy = 0;     // hidden parameter 1093
  std::function<LpStatus(int64_t iteration, const SimplexProbe &probe)> limit_check;
  // The caller's name of variable j of the model solved: structural column
  // j < n, or the row of slack n+i.  Used by the per-iteration log lines
  // and the singularity repair messages; without it default names ("x1",
  // "c1") are used.
  std::function<std::string(int32_t j)> var_name;
  // The last remedy of the verify step (simplex/verify_repair.h): a re-solve of
  // the caller's LP without presolve, offered by the flow for the final
  // solve after postsolve; empty elsewhere.
  std::function<LpResult()> unreduced;
  // Under the automatic dual pricing, a run from a basis given from outside
  // starts steepest-edge pricing from unit weights instead of standard
  // pricing for its first 100 iterations.  Right for the node LPs of a
  // search: their bases come from a parent node, and their re-solves are
  // long enough for the weights to pay.
  bool given_basis_steepest = false;
  // A run that ends optimal with at most this many factor updates since
  // its last factorization settles its values with the updated factor
  // instead of refactorizing (at the end of the run and in the verify
  // step, which refactorizes only when the check then fails).  Right for
  // the short re-solves of a search's node LPs, where the final
  // refactorization costs as much as the iterations; 0 (LP solves): always
  // refactorize.
  int updates_kept_at_end = 0;
  // The simplex works to a primal feasibility tolerance of feastol times
  // this in its scaled form; the verify step checks feastol on the
  // unscaled model, where scale factors magnify a violation.  Node LPs use
  // 0.1: on big-M models (mod011) a third of their solves failed that
  // check at 1, and each failure cost a re-solve.
  double working_feastol_factor = 1.0;
  double working_feastol() const { return feastol * working_feastol_factor; }
  // Whether the verify step refines an optimal result that is less
  // accurate than 1e-9 on a fresh factorization of the unscaled basis
  // before checking it.  Feasibility tests that need only the verdict
  // (the conflict refiner's thousands of short re-solves) skip it: there it
  // cost four times the iterations.
  bool refine_values = true;
};

}  // namespace tvl::lp
