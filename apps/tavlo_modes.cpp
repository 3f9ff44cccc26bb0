// tavlo: the runs other than a solve: refining a conflict, tuning the
// parameters, and the feasibility relaxation's library call.
#include <cstdio>
#include <string>
#include <vector>

#include "tavlo_cli.h"

namespace tavlo_cli {

namespace {

const char *tune_status_text(int tunestat) {
  switch (tunestat) {
    case 0: return "complete";
    case TVL_TUNE_ABORT: return "stopped by request";
    case TVL_TUNE_TILIM: return "tuning time limit reached";
    default: return "unknown";
  }
}

// The parameters that differ from their defaults, in three groups, as the
// tuner takes its fixed parameters.
struct ChangedParams {
  std::vector<int> intnum, intval, dblnum, strnum;
  std::vector<double> dblval;
  std::vector<std::string> text;
  std::vector<char *> strval;
};

int changed_params(TVLENVptr env, ChangedParams &c) {
  int cnt = 0, surplus = 0;
  int st = TVLgetchgparam(env, &cnt, nullptr, 0, &surplus);
  if (st && st != TVLERR_INSUFFICIENT_ARRAY_LENGTH) return st;
  std::vector<int> nums(static_cast<size_t>(-surplus));
  if (!nums.empty() && (st = TVLgetchgparam(env, &cnt, nums.data(), static_cast<int>(nums.size()), &surplus)))
    return st;
  for (int num : nums) {
    int type = 0;
    if ((st = TVLgetparamtype(env, num, &type))) return st;
    if (type == TVL_PARAMTYPE_INT) {
      int v = 0;
      TVLgetintparam(env, num, &v);
      c.intnum.push_back(num);
      c.intval.push_back(v);
    } else if (type == TVL_PARAMTYPE_DOUBLE) {
      double v = 0.0;
      TVLgetdblparam(env, num, &v);
      c.dblnum.push_back(num);
      c.dblval.push_back(v);
    } else if (type == TVL_PARAMTYPE_STRING) {
      char buf[TVL_STR_PARAM_MAX] = {};
      TVLgetstrparam(env, num, buf);
      c.strnum.push_back(num);
      c.text.emplace_back(buf);
    }
  }
  for (std::string &t : c.text) c.strval.push_back(t.data());
  return 0;
}

}  // namespace

int run_conflict(TVLENVptr env, TVLLPptr lp, const std::string &file) {
  int rows = 0, cols = 0;
  double t0 = 0.0, t1 = 0.0;
  TVLgettime(env, &t0);
  if (TVLrefineconflict(env, lp, &rows, &cols)) return kExitError;
  TVLgettime(env, &t1);
  int confstat = 0;
  if (TVLgetconflict(env, lp, &confstat, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)) return kExitError;
  std::printf("\nConflict status: %d (%s)\n", confstat, status_text(confstat).c_str());
  std::printf("Conflict size:   %d rows, %d columns\n", rows, cols);
  std::printf("Refine time:     %.3f sec.\n", t1 - t0);
  std::fflush(stdout);
  if (confstat == TVL_STAT_CONFLICT_FEASIBLE) {
    std::fprintf(stderr, "tavlo: the model is feasible; there is no conflict to write to '%s'\n", file.c_str());
    return kExitDone;
  }
  if (TVLclpwrite(env, lp, file.c_str())) return kExitError;
  return kExitDone;
}

int run_tune(TVLENVptr env, TVLLPptr lp, const std::string &file) {
  ChangedParams fixed;
  if (changed_params(env, fixed)) return kExitError;
  int tunestat = 0;
  const int st = TVLtuneparam(env, lp, static_cast<int>(fixed.intnum.size()), fixed.intnum.data(),
                              fixed.intval.data(), static_cast<int>(fixed.dblnum.size()), fixed.dblnum.data(),
                              fixed.dblval.data(), static_cast<int>(fixed.strnum.size()), fixed.strnum.data(),
                              fixed.strval.data(), &tunestat);
  if (st) return kExitError;
  std::printf("\nTuning status:   %d (%s)\n", tunestat, tune_status_text(tunestat));
  std::fflush(stdout);
  if (TVLwriteparam(env, file.c_str())) return kExitError;
  std::printf("Parameters written to %s\n", file.c_str());
  return kExitDone;
}

int feasopt_everything(TVLENVptr env, TVLLPptr lp) {
  const std::vector<double> rowpref(static_cast<size_t>(TVLgetnumrows(env, lp)), 1.0);
  const std::vector<double> colpref(static_cast<size_t>(TVLgetnumcols(env, lp)), 1.0);
  return TVLfeasopt(env, lp, rowpref.data(), rowpref.data(), colpref.data(), colpref.data());
}

}  // namespace tavlo_cli
