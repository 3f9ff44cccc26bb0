// Condition estimate of a stored basis: ||B||_1 times an estimate of
// ||B^-1||_1 by the iteration of W. W. Hager, "Condition estimates",
// SIAM J. Sci. Stat. Comput. 5 (1984), as refined by N. J. Higham (1988):
// a few FTRAN/BTRAN pairs with sign vectors and unit vectors.  The quality
// queries are entered here, since measure 39 needs this estimate.
#include <cmath>
#include <memory>
#include <new>

#include "frame/basis.h"
#include "frame/error.h"
#include "frame/solution_view.h"
#include "lp/binv_store.h"
#include "factor/factor.h"
#include "lpmodel/lpbuild.h"

namespace tvl::lp {

namespace {

// ||B||_1: largest column sum of absolute values (slack columns are units).
double basis_norm1(const CscMatrix &a, const std::vector<int32_t> &head) {
  double norm = 0.0;
  for (int32_t var : head) {
    double sum = 1.0;
    if (var < a.n) {
      sum = 0.0;
      for (int32_t p = a.start[static_cast<size_t>(var)]; p < a.start[static_cast<size_t>(var) + 1]; ++p) {
        sum += std::fabs(a.value[static_cast<size_t>(p)]);
      }
    }
    norm = std::max(norm, sum);
  }
  return norm;
}

// Estimate of ||B^-1||_1 from the factor.
double inverse_norm1(const BasisFactor &factor, int32_t m) {
  HVector x, z;
  x.setup(m);
  z.setup(m);
  for (int32_t i = 0; i < m; ++i) x.array[static_cast<size_t>(i)] = 1.0 / m;
  x.count = -1;
  double estimate = 0.0;
  for (int round = 0; round < 5; ++round) {
    factor.ftran(x, 1.0);
    estimate = 0.0;
    for (int32_t k = 0; k < m; ++k) estimate += std::fabs(x.array[static_cast<size_t>(k)]);
    std::fill(z.array.begin(), z.array.end(), 0.0);
    for (int32_t k = 0; k < m; ++k) z.array[static_cast<size_t>(k)] = x.array[static_cast<size_t>(k)] >= 0.0 ? 1.0 : -1.0;
    z.count = -1;
    factor.btran(z, 1.0);
    int32_t best = 0;
    for (int32_t i = 1; i < m; ++i) {
      if (std::fabs(z.array[static_cast<size_t>(i)]) > std::fabs(z.array[static_cast<size_t>(best)])) best = i;
    }
    // z'x of the previous x equals ||y||_1 for the current sign vector; the
    // iteration stops when no unit vector improves on it.
    if (round > 0 && std::fabs(z.array[static_cast<size_t>(best)]) <= estimate) break;
    std::fill(x.array.begin(), x.array.end(), 0.0);
    x.array[static_cast<size_t>(best)] = 1.0;
    x.count = -1;
  }
  return estimate;
}

// Condition estimate (1-norm) of the basis stored for the problem's data:
// 1e300 when it is singular, -1 when it cannot be formed.
double estimate_kappa(const LpData &data, const BasisData &basis) {
  const int32_t m = data.nrows, n = data.ncols;
  if (m == 0) return 1.0;
  if (static_cast<int32_t>(basis.cstat.size()) != n || static_cast<int32_t>(basis.rstat.size()) != m) {
    return -1.0;
  }
  try {
    LpModel model;
    build_model(data, model);
    std::vector<int32_t> head;
    if (!basic_header(basis, n, m, head)) return -1.0;
    std::unique_ptr<BasisFactor> factor(make_basis_factor(0, m, n, FactorSettings()));
    if (!factor) return -1.0;
    std::vector<int32_t> replaced;
    const FactorStatus st = factor->factorize(model.a, head, &replaced);
    if (st == FactorStatus::OutOfMemory || st == FactorStatus::Singular) return -1.0;
    if (st == FactorStatus::Repaired) return 1e300;  // the stored basis is singular
    return basis_norm1(model.a, head) * inverse_norm1(*factor, m);
  } catch (const std::bad_alloc &) {
    return -1.0;
  }
}

}  // namespace
}  // namespace tvl::lp

extern "C" {

int TVLgetdblquality(TVLCENVptr env, TVLCLPptr lp, double *quality_p, int what) {
  return tvl::boundary(env, tvl::dbl_quality(env, lp, quality_p, what, &tvl::lp::estimate_kappa));
}

int TVLgetintquality(TVLCENVptr env, TVLCLPptr lp, int *quality_p, int what) {
  return tvl::boundary(env, tvl::int_quality(env, lp, quality_p, what, &tvl::lp::estimate_kappa));
}

}  // extern "C"
