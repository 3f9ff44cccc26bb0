#include "simplex/flow_refine.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "simplex/scaling.h"
#include "simplex/simplex_lp.h"
#include "simplex/simplex_result.h"

namespace tvl::lp {

namespace {

constexpr int kMaxRounds = 3;

// The basic system in the unknowns x (columns) and r (row activities):
// A x - r = 0 with the nonbasic ones at the values their statuses name.
// The factor's slack of row i is a unit column, i.e. the variable -r_i.
class BasicSystem {
 public:
  BasicSystem(const LpModel &model, const LpResult &res) : model_(model), res_(res) {}

  bool factorize() {
    const int32_t m = model_.a.m, n = model_.a.n;
    head_.clear();
    for (int32_t j = 0; j < n; ++j)
      if (res_.basis.colstat[j] == kBasic) head_.push_back(j);
    for (int32_t i = 0; i < m; ++i)
      if (res_.basis.rowstat[i] == kBasic) head_.push_back(n + i);
    if (static_cast<int32_t>(head_.size()) != m) return false;
    FactorSettings fs;
    fs.markowitz = 0.1;
    factor_.reset(make_basis_factor(0, m, n, fs));
    std::vector<int32_t> replaced;
    if (factor_->factorize(model_.a, head_, &replaced) != FactorStatus::Ok) return false;
    work_.setup(m);
    return true;
  }

  // x and r of the basis: nonbasic ones at their bounds, basic ones refined.
  // Returns the largest residual |A x - r| before and after.
  void refine_primal(std::vector<double> &x, std::vector<double> &r, double &before, double &after) {
    const int32_t m = model_.a.m, n = model_.a.n;
    x = res_.x;
    r = res_.rowact;
    for (int32_t j = 0; j < n; ++j) x[j] = nonbasic_value(res_.basis.colstat[j], model_.collo[j], model_.colup[j], x[j]);
    for (int32_t i = 0; i < m; ++i)
      r[i] = nonbasic_value(res_.basis.rowstat[i], model_.rowlo[i], model_.rowup[i], r[i]);
    before = after = primal_residual(x, r);
    for (int round = 0; round < kMaxRounds && after > 0.0; ++round) {
      // B dz = -(A x - r); position k holds dx_j or -dr_i.
      for (int32_t i = 0; i < m; ++i) work_.array[i] = -work_.array[i];
      work_.count = -1;
      factor_->ftran(work_, 1.0);
      std::vector<double> nx = x, nr = r;
      for (int32_t k = 0; k < m; ++k) {
        const int32_t v = head_[k];
        if (v < n) nx[v] += work_.array[k];
        else nr[v - n] -= work_.array[k];
      }
      clear_work();
      const double next = primal_residual(nx, nr);
      if (!(next < after)) break;
      x.swap(nx);
      r.swap(nr);
      after = next;
    }
    clear_work();
  }

  // Row duals with c_B - B'pi = 0; returns the largest residual before and after.
  void refine_dual(std::vector<double> &pi, double &before, double &after) {
    pi = res_.pi;
    before = after = dual_residual(pi);
    for (int round = 0; round < kMaxRounds && after > 0.0; ++round) {
      work_.count = -1;
      factor_->btran(work_, 1.0);
      std::vector<double> np = pi;
      for (int32_t i = 0; i < model_.a.m; ++i) np[i] += work_.array[i];
      clear_work();
      const double next = dual_residual(np);
      if (!(next < after)) break;
      pi.swap(np);
      after = next;
    }
    clear_work();
  }

 private:
  static double nonbasic_value(int8_t status, double lo, double up, double current) {
    if (status == kAtLower && lo > -kInfBound) return lo;
    if (status == kAtUpper && up < kInfBound) return up;
    return current;
  }

  void clear_work() {
    work_.count = -1;
    work_.clear();
  }

  // Leaves A x - r in work_ (indexed by rows) and returns its largest entry.
  double primal_residual(const std::vector<double> &x, const std::vector<double> &r) {
    const CscMatrix &a = model_.a;
    clear_work();
    for (int32_t j = 0; j < a.n; ++j) {
      if (x[j] == 0.0) continue;
      for (int32_t p = a.start[j]; p < a.start[j + 1]; ++p) work_.array[a.index[p]] += a.value[p] * x[j];
    }
    double worst = 0.0;
    for (int32_t i = 0; i < a.m; ++i) {
      work_.array[i] -= r[i];
      worst = std::max(worst, std::fabs(work_.array[i]));
    }
    return worst;
  }

  // Leaves c_B - B'pi in work_ (indexed by basis positions) and returns its
  // largest entry.
  double dual_residual(const std::vector<double> &pi) {
    const CscMatrix &a = model_.a;
    clear_work();
    double worst = 0.0;
    for (int32_t k = 0; k < a.m; ++k) {
      const int32_t v = head_[k];
      double e;
      if (v < a.n) {
        e = model_.cost[v];
        for (int32_t p = a.start[v]; p < a.start[v + 1]; ++p) e -= a.value[p] * pi[a.index[p]];
      } else {
        e = -pi[v - a.n];
      }
      work_.array[k] = e;
      worst = std::max(worst, std::fabs(e));
    }
    return worst;
  }

  const LpModel &model_;
  const LpResult &res_;
  std::vector<int32_t> head_;
  std::unique_ptr<BasisFactor> factor_;
  HVector work_;
};

}  // namespace

namespace {

// Largest bound violation, distance of a nonbasic row from its bound and
// wrong-signed reduced cost below which a solution is not refined.
constexpr double kAccurate = 1e-9;

// Whether the row activities put every row within its bounds and every
// nonbasic row on its bound, every column is within its bounds, and the
// duals have the signs their statuses ask for, all to kAccurate.  The
// activities are the result's own (A x, formed with x when the result was
// made), so the check costs no pass over the matrix.
bool accurate(const LpModel &model, const LpResult &res) {
  for (int32_t j = 0; j < model.a.n; ++j) {
    const double x = res.x[j];
    if (x < model.collo[j] - kAccurate || x > model.colup[j] + kAccurate) return false;
  }
  for (int32_t i = 0; i < model.a.m; ++i) {
    const double lo = model.rowlo[i], up = model.rowup[i], v = res.rowact[i];
    const int8_t s = res.basis.rowstat[i];
    if (v < lo - kAccurate * (1.0 + std::fabs(lo)) || v > up + kAccurate * (1.0 + std::fabs(up))) return false;
    if (s == kAtLower && lo > -kInfBound && std::fabs(v - lo) > kAccurate * (1.0 + std::fabs(lo))) return false;
    if (s == kAtUpper && up < kInfBound && std::fabs(v - up) > kAccurate * (1.0 + std::fabs(up))) return false;
  }
  return dual_violation(model, res) <= kAccurate;
}

}  // namespace

bool refine_basic_solution(const LpModel &model, LpResult &res) {
  const int32_t m = model.a.m, n = model.a.n;
  if (m == 0 || res.status != LpStatus::Optimal) return false;
  if (static_cast<int32_t>(res.x.size()) != n || static_cast<int32_t>(res.pi.size()) != m ||
      static_cast<int32_t>(res.rowact.size()) != m || static_cast<int32_t>(res.basis.colstat.size()) != n ||
      static_cast<int32_t>(res.basis.rowstat.size()) != m)
    return false;
  // Values this accurate leave nothing for refinement to win; the extra
  // factorization is then saved.
  if (accurate(model, res)) return false;
  BasicSystem sys(model, res);
  if (!sys.factorize()) return false;
  std::vector<double> x, r, pi;
  double p0, p1, d0, d1;
  sys.refine_primal(x, r, p0, p1);
  sys.refine_dual(pi, d0, d1);
  const bool primal = p1 < p0, dual = d1 < d0;
  if (!primal && !dual) return false;
  // Row activities, reduced costs and objective follow from x and pi.
  unscale_solution(model, Scaling(), primal ? x : res.x, dual ? pi : res.pi, basis_to_status(model, res.basis), res);
  return true;
}

}  // namespace tvl::lp
