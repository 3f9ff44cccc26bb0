// Pieces of the command-line solver `tavlo`: the command line, parameter
// settings, terminal output and result files, and the interrupt handling.
// The flow that joins them is in tavlo.cpp.
#pragma once

#include <string>
#include <vector>

#include "tavlo.h"

namespace tavlo_cli {

// Exit codes: a run that completes exits 0 whatever its verdict (optimal,
// infeasible, unbounded, a limit); a failure of the library or of a file
// exits 1; a malformed command line exits 2; a run stopped by Ctrl-C exits
// 130 after printing its summary and writing its files.
inline constexpr int kExitDone = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

struct Options {
  std::string model;
  std::vector<std::string> sets;        // "NAME=VALUE" as given
  std::vector<std::string> paramfiles;
  std::string solfile, basfile, startbasis, writefile, mipstart;
  double timelimit = -1.0;              // negative: none given
  int threads = -1;                     // negative: none given
  int method = -1;                      // TVL_PARAM_LPMETHOD value; negative: none given
  bool quiet = false;
  bool solve = true;                    // false with --no-solve
  bool populate = false;                // --populate: TVLpopulate for a MIP
  bool feasopt = false;                 // --feasopt: the feasibility relaxation instead of a solve
  std::string conflictfile;             // --conflict FILE: refine a conflict instead of solving
  std::string tunefile;                 // --tune FILE: tune the parameters instead of solving
};

enum class Request { Run, Help, Version };

// Sets the allocator policy of the process for a solver's churn of large
// work arrays (tavlo_heap.cpp); call first in main.
void prepare_heap();

// Parses the command line into opt; returns false after a message on
// standard error when the command line is malformed.
bool parse_args(int argc, char **argv, Options &opt, Request &req);
const char *usage_text();

// Applies a --set argument "NAME=VALUE" or "NUMBER=VALUE"; names are taken
// in any letter case, with or without the TVL_PARAM_ prefix.  Returns 0, or
// the library status (or -1 for a malformed argument) after a message that
// names the parameter and the argument.
int apply_set_argument(TVLENVptr env, const std::string &arg);

// After TVLreadcopyparam failed with `status` on `file`, names the line,
// the parameter and the value at fault.
void explain_param_file_error(const std::string &file, int status);

// Names the file and the accepted extensions after a 1424 for `file`.
void explain_filetype_error(const std::string &file);

// Connects the library's channels to the terminal: results, warnings and
// (unless quiet) the log to standard output; errors to standard error,
// except the messages that stand for a verdict or a limit reached during
// presolve (the summary reports those as the solution status).
int connect_output(TVLENVptr env, bool quiet);

// The outcome of an optimizer call as the user sees it.
struct Outcome {
  bool error = false;     // the call failed: no verdict
  int stat = 0;           // solution status code (TVL_STAT_...)
  const char *note = "";  // where it was decided, when not in the simplex
};
Outcome classify(TVLENVptr env, TVLLPptr lp, int status);

// True when the status carries an optimal objective value worth printing.
bool reports_objective(int stat);

// Prints the summary lines after a solve.
void print_summary(TVLENVptr env, TVLLPptr lp, const Outcome &out, double seconds);

// True for the mixed-integer problem types (solved by TVLmipopt).
bool is_mip(TVLENVptr env, TVLLPptr lp);

// Prints the summary lines after a MIP solve: status, objective of the
// incumbent, best bound, relative gap, nodes and iterations.
void print_mip_summary(TVLENVptr env, TVLLPptr lp, const Outcome &out, double seconds);

// Writes the status, and the column values and row activities when the run
// produced them, to `path`.  Returns 0, or -1 after a message.
int write_solution(TVLENVptr env, TVLLPptr lp, const Outcome &out, const std::string &path);

// Writes the final basis, or says on standard error that there is none.
// Returns 0 or the library status.
int write_basis(TVLENVptr env, TVLLPptr lp, const std::string &path);

// Text of a solution or conflict status ("unknown status" when none).
std::string status_text(int stat);

// --conflict: refines a conflict, prints its status and size and writes it
// as an LP file.  Returns an exit code.
int run_conflict(TVLENVptr env, TVLLPptr lp, const std::string &file);

// --tune: tunes with every parameter the command line set as a fixed one,
// prints the tuning status and writes the parameters left to `file`.
// Returns an exit code.
int run_tune(TVLENVptr env, TVLLPptr lp, const std::string &file);

// --feasopt: the feasibility relaxation with preference 1 for the
// right-hand side and range of every row and both bounds of every column.
// Returns the library's status.
int feasopt_everything(TVLENVptr env, TVLLPptr lp);

// Ctrl-C: the first one asks the library to stop (through the environment's
// termination request) and lets the run finish its output; the second ends
// the process at once.
void catch_interrupt(TVLENVptr env);
bool interrupted();

}  // namespace tavlo_cli
