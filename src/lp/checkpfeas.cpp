// Primal feasibility of a problem's stored basis (TVLcheckpfeas and the
// automatic method choice): the basic solution is computed by a primal
// simplex run stopped before its first iteration, on the unscaled LP.
#include <algorithm>

#include "frame/basis.h"
#include "frame/param.h"
#include "frame/problem.h"
#include "lpmodel/lpbuild.h"
#include "lp/lpcomp.h"
#include "simplex/primopt.h"

namespace tvl::lp {

int basis_primal_infeasibilities(const tvlenv *env, const tvllp *lp, int &infeasible) {
  infeasible = 0;
  if (!basis_present(lp)) return TVLERR_NO_BASIS_EXISTS;
  LpModel model;
  build_model(*lp->lp, model);
  Basis start;
  if (!build_start(lp, model, start)) return TVLERR_NO_BASIS_EXISTS;
  SimplexControl control = simplex_control(env);
  control.itlim = 0;
  control.display = 0;
  control.scaling = -1;
  const LpResult r = primal_simplex(model, control, &start);
  if (r.status == LpStatus::NumericalTrouble || r.x.size() != static_cast<size_t>(model.a.n))
    return TVLERR_BASIS_SINGULAR;
  const double tol = param_dbl(env, TVL_PARAM_EPRHS);
  auto violates = [tol](double v, double lo, double up) { return v < lo - tol || v > up + tol; };
  for (int32_t j = 0; j < model.a.n; ++j)
    if (start.colstat[j] == 1 && violates(r.x[j], model.collo[j], model.colup[j])) ++infeasible;
  for (int32_t i = 0; i < model.a.m; ++i)
    if (start.rowstat[i] == 1 && violates(r.rowact[i], model.rowlo[i], model.rowup[i])) ++infeasible;
  return 0;
}

}  // namespace tvl::lp
