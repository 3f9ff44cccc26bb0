// Loads a model file through the library's reader (TVLreadcopyprob) and
// translates it to the optimizers' LpModel; for the LP tests and benchmarks.
#pragma once

#include <string>

#include "frame/problem.h"
#include "lpmodel/lpbuild.h"
#include "lpmodel/lpmodel.h"
#include "tavlo.h"

namespace tvl::lp::testing {

inline bool read_model_file(const std::string &path, LpModel &model) {
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  if (env == nullptr || status != 0) return false;
  TVLLPptr lp = TVLcreateprob(env, &status, "model");
  bool ok = lp != nullptr && status == 0 && TVLreadcopyprob(env, lp, path.c_str(), nullptr) == 0;
  if (ok) build_model(*lp->lp, model);
  if (lp != nullptr) TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return ok;
}

}  // namespace tvl::lp::testing
