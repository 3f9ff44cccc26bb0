// LP presolve: builds a reduced LP from an LpModel, and maps an optimal
// solution and basis of the reduced LP back to the original one.
//
// Typical use by the simplex flow:
//
//   PresolveSettings s;            // filled from the environment's parameters
//   PresolvedLp pre;
//   PresolveOutcome out = presolve(model, s, pre);
//   if (out.status != 0)           -> end with out.status (1101, 1117, 1118,
//                                     1106, 1123, 9025; 1001 = run unpresolved)
//   else if (!out.reduced_any)     -> solve `model` itself
//   else {
//     LpResult red;                // empty when out.all_eliminated
//     if (!out.all_eliminated) solve pre.reduced (optionally from
//                              crush_basis(pre, model_basis)) into red;
//     LpResult full;
//     postsolve(pre, red, full);   // x, row activities, pi, dj, basis of `model`
//     final solve of `model` from full.basis (usually 0 iterations)
//   }
//
// Sign conventions are those of LpResult: minimisation form, dj = c - A'pi,
// a row at its lower bound has pi >= 0, a column at its lower bound dj >= 0.
//
// Reductions (each family in its own unit, see the presolve_*.h headers):
// empty rows and columns, fixed columns, singleton rows, redundant and forcing
// rows, column singletons (implied free and slack columns), dominated columns
// and dual fixing, doubleton equations (the aggregator), duplicate rows and
// duplicate columns, and (on request) linearly dependent equality rows.  Every reduction records what postsolve needs on a
// stack; postsolve undoes them in reverse order and keeps a valid basis.
//
// Not provided: forming the dual problem (the dual flag stays 0 whatever
// TVL_PARAM_PREDUAL says).  The dependency checker runs before the pass loop
// (TVL_PARAM_DEPIND 1 or 3) and after the aggregator (2 or 3); the automatic
// value -1 leaves it off.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lpmodel/lpmodel.h"
#include "presolve/presolve_stack.h"

namespace tvl::lp {

enum PresolveFamily : unsigned {
  kFamDominated = 1u << 0,     // dual fixing and dominated columns
  kFamColumns = 1u << 1,       // fixed and empty columns
  kFamSingletonRows = 1u << 2,
  kFamRedundantRows = 1u << 3,
  kFamColSingletons = 1u << 4,
  kFamForcingRows = 1u << 5,
  kFamDoubletons = 1u << 6,
  kFamFreeSubst = 1u << 7,
  kFamDuplicateRows = 1u << 8,
  kFamDuplicateCols = 1u << 9,
};

struct PresolveSettings {
  int reduce = 3;         // TVL_PARAM_REDUCE: bit 1 primal families, value > 1 dual families
  int prelinear = 1;      // TVL_PARAM_PRELINEAR (informational for an LP)
  int predual = 0;        // TVL_PARAM_PREDUAL (1 forms the dual; 0 and -1 never do)
  int depind = -1;        // TVL_PARAM_DEPIND: -1 automatic (off), 0 off, 1 first, 2 last, 3 both
  int aggind = -1;        // TVL_PARAM_AGGIND: -1 automatic (one application), 0 none, >0 limit
  int aggfill = 10;       // TVL_PARAM_AGGFILL: largest fill one substitution may create
  int prepass = -1;       // TVL_PARAM_PREPASS: -1 automatic, 0 none, >0 limit of passes
  bool messages = true;   // hidden parameter 1043
  bool repeated = false;  // presolve of an already reduced problem ("Reduced presolve ...")
  // The dual simplex solves the reduced LP: substitutions (doubletons, free
  // columns) must not add dual infeasibilities to its slack start.
  bool dual_start = true;
  double feastol = 1e-6;  // TVL_PARAM_EPRHS: infeasibility beyond this is declared
  const char *kind = "LP";
  // Per column: must take an integer value (a MIP).  Empty for an LP.
  std::vector<char> integer;
  // Families to run (bits of PresolveFamily); for experiments and tests.
  unsigned families = ~0u;
  // Stop reducing after this many postsolve steps (diagnosis only).
  int64_t step_limit = -1;

  // Names used in messages; defaults are "R<i>" and "C<j>" (1-based).
  std::function<std::string(int32_t)> rowname, colname;
  // Where messages go.  When unset and `env` is given, the log channel.
  std::function<void(const std::string &)> sink;
  const tvlenv *env = nullptr;
  // Called at the start of every pass.  lp_callback returns nonzero to abort
  // (1106); termination returns 0 to go on, 11 (time limit: 1123), 900
  // (deterministic time limit: 9025) or another code (1106).
  std::function<int()> lp_callback;
  std::function<int()> termination;
  // Seconds since an arbitrary origin, for the 5-second progress messages.
  std::function<double()> clock;
};

struct PresolveOutcome {
  int status = 0;              // 0 or a presolve status (see above)
  bool reduced_any = false;    // false: solve the original problem
  bool all_eliminated = false; // no reduced problem; postsolve alone gives the solution
  bool dual_formed = false;    // the reduced LP was dualized (presolve_dual.h)
};

struct PresolveCounts {
  int32_t rows_removed = 0, cols_removed = 0, aggregations = 0, bound_changes = 0;
  int32_t passes = 0, aggregator_runs = 0;
};

struct PresolvedLp {
  LpModel original;                // copy of the problem presolve started from
  LpModel reduced;
  std::vector<int32_t> rowmap;     // reduced row -> original row
  std::vector<int32_t> colmap;     // reduced column -> original column
  pre::PostsolveStack stack;
  PresolveCounts counts;
};

PresolveOutcome presolve(const LpModel &orig, const PresolveSettings &s, PresolvedLp &out);

// Maps the reduced result (x, pi, dj, basis of pre.reduced) to the original
// problem: x, row activities, pi, dj, objective and a basis with exactly m
// basic variables.  Status, iteration counts and flags are copied.  Returns
// false when the reduced result does not match the reduced problem's size.
bool postsolve(const PresolvedLp &pre, const LpResult &reduced, LpResult &original);

// Maps a basis of the original problem to a basis of the reduced problem
// (statuses of surviving rows and columns; the basic count is repaired by
// making row slacks basic or nonbasic).  Returns an empty basis when the input
// is empty.
Basis crush_basis(const PresolvedLp &pre, const Basis &original);

}  // namespace tvl::lp
