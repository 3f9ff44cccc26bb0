// Building and using the basis factor kept for the basis-solve functions
// (see binv_store.h for its life cycle and scaling rules).
#include "lp/binv_store.h"

#include <algorithm>
#include <new>

#include "frame/basis.h"
#include "frame/param.h"
#include "frame/solution.h"
#include "lpmodel/lpbuild.h"
#include "simplex/scaling.h"

namespace tvl {

namespace {


// Factor settings for a one-off factorization of a final basis: the
// caller's thresholds, no repair (a singular stored basis is an error).
lp::FactorSettings settings_of(const tvlenv *env) {
  lp::FactorSettings s;
  s.markowitz = param_dbl(env, TVL_PARAM_EPMRK);
  s.singtol = param_dbl(env, TVL_PARAM_SINGTOL);
  s.repair = false;
  return s;
}

// Records R and D of binv_store.h for the header.
void keep_scaling(FactorData &fd, const lp::Scaling &sc) {
  if (!sc.active()) return;
  fd.rowscale = sc.row;
  fd.posscale.resize(static_cast<size_t>(fd.m));
  for (int32_t k = 0; k < fd.m; ++k) {
    const int32_t var = fd.head[static_cast<size_t>(k)];
    fd.posscale[static_cast<size_t>(k)] =
        var < fd.n ? sc.col[static_cast<size_t>(var)] : 1.0 / sc.row[static_cast<size_t>(var - fd.n)];
  }
}

// Factorizes the stored basis of `lp` on the scaled problem.
int build(const tvlenv *env, const tvllp *lp, FactorData &fd) {
  const LpData &d = *lp->lp;
  if (!basic_header(*lp->basis, d.ncols, d.nrows, fd.head)) return TVLERR_NO_LU_FACTORIZATION_EXISTS;
  lp::LpModel model;
  lp::build_model(d, model);
  const int precision = param_int(env, kParamPrecision) > 0 ? 1 : 0;
  return lp::factor_model_basis(model, param_int(env, TVL_PARAM_SCAIND), precision, settings_of(env), fd);
}

}  // namespace

namespace lp {

int factor_model_basis(LpModel &model, int scaind, int precision, const FactorSettings &settings, FactorData &fd) {
  fd.m = model.a.m;
  fd.n = model.a.n;
  if (fd.m == 0) return 0;
  const Scaling sc = compute_scaling(model.a, scaind);
  if (sc.active()) apply_scaling(sc, model);
  keep_scaling(fd, sc);
  fd.factor.reset(make_basis_factor(precision, fd.m, fd.n, settings));
  if (!fd.factor) return TVLERR_OUT_OF_MEMORY;
  switch (fd.factor->factorize(model.a, fd.head, nullptr)) {
    case FactorStatus::Ok: break;
    case FactorStatus::OutOfMemory: return TVLERR_OUT_OF_MEMORY;
    default: return TVLERR_BASIS_SINGULAR;
  }
  fd.work.setup(fd.m);
  return 0;
}

}  // namespace lp

bool basic_header(const BasisData &basis, int32_t n, int32_t m, std::vector<int32_t> &head) {
  head.clear();
  head.reserve(static_cast<size_t>(m));
  for (int32_t j = 0; j < n; ++j) {
    if (basis.cstat[static_cast<size_t>(j)] == TVL_BASIC) head.push_back(j);
  }
  for (int32_t i = 0; i < m; ++i) {
    if (basis.rstat[static_cast<size_t>(i)] == TVL_BASIC) head.push_back(n + i);
  }
  return static_cast<int32_t>(head.size()) == m;
}

namespace lp {

int binv_factor(const tvlenv *env, const tvllp *lp, FactorData **out) {
  if (!lp->soln || !lp->soln->has_factor || !basis_present(lp)) return TVLERR_NO_LU_FACTORIZATION_EXISTS;
  auto *owner = const_cast<tvllp *>(lp);
  if (!owner->factor) {
    std::unique_ptr<FactorData> fd(new (std::nothrow) FactorData());
    if (!fd) return TVLERR_OUT_OF_MEMORY;
    int st;
    try {
      st = build(env, lp, *fd);
    } catch (const std::bad_alloc &) {
      st = TVLERR_OUT_OF_MEMORY;
    }
    if (st) return st;
    owner->factor = fd.release();
  }
  *out = kept_factor(owner);
  return 0;
}

void binv_solve(FactorData &fd, double *v, bool transpose) {
  if (fd.m == 0) return;
  HVector &w = fd.work;
  const std::vector<double> &in = transpose ? fd.posscale : fd.rowscale;
  const std::vector<double> &out = transpose ? fd.rowscale : fd.posscale;
  const bool scaled = !in.empty();
  for (int32_t k = 0; k < fd.m; ++k) {
    w.array[static_cast<size_t>(k)] = scaled ? v[k] * in[static_cast<size_t>(k)] : v[k];
  }
  w.count = -1;
  if (transpose) {
    fd.factor->btran(w, 1.0);
  } else {
    fd.factor->ftran(w, 1.0);
  }
  for (int32_t k = 0; k < fd.m; ++k) {
    const double r = w.array[static_cast<size_t>(k)];
    v[k] = scaled ? r * out[static_cast<size_t>(k)] : r;
  }
  w.count = -1;
  w.clear();
}

}  // namespace lp
}  // namespace tvl
