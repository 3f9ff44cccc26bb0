// tavlo: command-line solver.  Reads a model file (any format and
// compression the library reads), optionally writes it in another format,
// solves it, streams the optimizer log and prints status, objective,
// iterations and time; optionally starts from a basis file and writes the
// solution and the final basis.  Instead of a solve it can refine a
// conflict, run the feasibility relaxation or tune the parameters
// (tavlo_modes.cpp).  Exit codes are listed in tavlo_cli.h and
// in --help.
#include <cstdio>
#include <string>

#include "tavlo_cli.h"

namespace tavlo_cli {
namespace {

// Settings from the command line: parameter files, then --set in order,
// then the dedicated options.  Returns an exit code, kExitDone when all
// were accepted.
int apply_settings(TVLENVptr env, const Options &opt) {
  for (const std::string &file : opt.paramfiles) {
    if (int st = TVLreadcopyparam(env, file.c_str())) {
      explain_param_file_error(file, st);
      return kExitError;
    }
  }
  for (const std::string &setting : opt.sets)
    if (apply_set_argument(env, setting)) return kExitUsage;
  int st = 0;
  if (opt.timelimit >= 0.0) st = TVLsetdblparam(env, TVL_PARAM_TILIM, opt.timelimit);
  if (!st && opt.threads >= 0) st = TVLsetintparam(env, TVL_PARAM_THREADS, opt.threads);
  if (!st && opt.method >= 0) st = TVLsetintparam(env, TVL_PARAM_LPMETHOD, opt.method);
  return st ? kExitUsage : kExitDone;
}

// Reads the model and prints its first line: version, file and size.
int read_model(TVLENVptr env, TVLLPptr lp, const Options &opt) {
  int st = TVLreadcopyprob(env, lp, opt.model.c_str(), nullptr);
  if (st == TVLERR_INVALID_FILETYPE) explain_filetype_error(opt.model);
  if (st) return st;
  if (!opt.quiet)
    std::printf("TAVLO %s - %s: %d rows, %d columns, %d nonzeros\n", TVLversion(env), opt.model.c_str(),
                TVLgetnumrows(env, lp), TVLgetnumcols(env, lp), TVLgetnumnz(env, lp));
  if (!opt.writefile.empty()) {
    st = TVLwriteprob(env, lp, opt.writefile.c_str(), nullptr);
    if (st == TVLERR_INVALID_FILETYPE) explain_filetype_error(opt.writefile);
  }
  if (!st && !opt.startbasis.empty()) st = TVLreadcopybase(env, lp, opt.startbasis.c_str());
  if (!st && !opt.mipstart.empty()) st = TVLreadcopymipstarts(env, lp, opt.mipstart.c_str());
  return st;
}

// Solves, prints the summary and writes the result files.
int solve(TVLENVptr env, TVLLPptr lp, const Options &opt) {
  double t0 = 0.0, t1 = 0.0;
  TVLgettime(env, &t0);
  const bool mip = is_mip(env, lp);
  if (opt.populate && !mip) {
    std::fprintf(stderr, "tavlo: --populate needs a model with integer columns\n");
    return kExitUsage;
  }
  const int st = opt.feasopt    ? feasopt_everything(env, lp)
                 : !mip          ? TVLlpopt(env, lp)
                 : opt.populate  ? TVLpopulate(env, lp)
                                 : TVLmipopt(env, lp);
  const Outcome out = classify(env, lp, st);
  TVLgettime(env, &t1);
  if (out.error) return kExitError;
  if (mip) print_mip_summary(env, lp, out, t1 - t0);
  else print_summary(env, lp, out, t1 - t0);
  std::fflush(stdout);
  int code = kExitDone;
  if (!opt.solfile.empty() && write_solution(env, lp, out, opt.solfile)) code = kExitError;
  if (!opt.basfile.empty() && write_basis(env, lp, opt.basfile)) code = kExitError;
  return code;
}

int run(const Options &opt) {
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) {
    char buf[TVL_MSGBUFSIZE];
    std::fprintf(stderr, "%s", TVLgeterrorstring(nullptr, st, buf) ? buf : "tavlo: no environment\n");
    return kExitError;
  }
  catch_interrupt(env);
  int code = connect_output(env, opt.quiet) ? kExitError : apply_settings(env, opt);
  TVLLPptr lp = nullptr;
  if (code == kExitDone) {
    lp = TVLcreateprob(env, &st, opt.model.c_str());
    if (!lp || read_model(env, lp, opt) != 0) code = kExitError;
  }
  if (code == kExitDone && opt.solve) {
    if (!opt.conflictfile.empty()) code = run_conflict(env, lp, opt.conflictfile);
    else if (!opt.tunefile.empty()) code = run_tune(env, lp, opt.tunefile);
    else code = solve(env, lp, opt);
  }
  if (lp) TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  std::fflush(stdout);
  if (code != kExitUsage && interrupted()) return kExitInterrupted;
  return code;
}

}  // namespace
}  // namespace tavlo_cli

int main(int argc, char **argv) {
  using namespace tavlo_cli;
  prepare_heap();
  // The log is read as it comes, also through a pipe or in a file.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  Options opt;
  Request req = Request::Run;
  if (!parse_args(argc, argv, opt, req)) return kExitUsage;
  if (req == Request::Help) {
    std::printf("%s", usage_text());
    return kExitDone;
  }
  if (req == Request::Version) {
    int st = 0;
    TVLENVptr env = TVLopenTAVLO(&st);
    if (!env) return kExitError;
    std::printf("tavlo %s\n", TVLversion(env));
    TVLcloseTAVLO(&env);
    return kExitDone;
  }
  return run(opt);
}
