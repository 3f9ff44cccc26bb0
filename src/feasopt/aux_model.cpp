#include "feasopt/aux_model.h"

#include <cmath>

#include "frame/derived.h"
#include "frame/infinity.h"
#include "frame/solution.h"

namespace tvl::feasopt {

namespace {

bool is_mip_problem(int type) { return type == TVLPROB_MILP || type == TVLPROB_MIQP || type == TVLPROB_MIQCP; }

// Solution statuses that prove the auxiliary model's optimum (the MIP's
// within its gap tolerances) or its infeasibility.
bool proves_optimum(int stat) { return stat == 1 || stat == 5 || stat == 101 || stat == 102 || stat == 115; }
bool proves_infeasible(int stat) { return stat == 3 || stat == 4 || stat == 103 || stat == 119; }

}  // namespace

AuxModel::~AuxModel() {
  if (lp_) TVLfreeprob(env_, &lp_);
}

int AuxModel::build(tvllp *orig, std::vector<Item> &items) {
  int st = strip(orig);
  if (!st) st = add_violation_columns(items);
  if (!st) st = link_bounds(items);
  if (!st && kind_ == Measure::Number) st = add_indicators(items);
  if (!st && kind_ == Measure::Squares) st = add_epigraphs(items);
  if (!st) mip_ = is_mip_problem(TVLgetprobtype(env_, lp_));
  return st;
}

// A copy of the problem without what a relaxation must not inherit: MIP
// starts and user cuts (valid for the problem, not for its relaxation),
// the quadratic objective and the objective offset; the objective is 0 and
// minimised until phase 2.
int AuxModel::strip(tvllp *orig) {
  int st = 0;
  lp_ = TVLcloneprob(env_, orig, &st);
  if (!lp_) return st;
  const LpData &d = *orig->lp;
  n_ = d.ncols;
  objsense_ = d.objsense;
  obj_.assign(d.obj, d.obj + n_);
  discard_derived(lp_, kDropAll & ~kDropBasis);
  lp_->lp->objoffset = 0.0;
  const int type = TVLgetprobtype(env_, lp_);
  if (type == TVLPROB_QP) st = TVLchgprobtype(env_, lp_, TVLPROB_LP);
  if (type == TVLPROB_MIQP) st = TVLchgprobtype(env_, lp_, TVLPROB_MILP);
  const int starts = TVLgetnummipstarts(env_, lp_);
  if (!st && starts > 0) st = TVLdelmipstarts(env_, lp_, 0, starts - 1);
  if (!st && TVLgetnumusercuts(env_, lp_) > 0) st = TVLfreeusercuts(env_, lp_);
  std::vector<int> ind(static_cast<size_t>(n_));
  for (int32_t j = 0; j < n_; ++j) ind[j] = j;
  const std::vector<double> zero(static_cast<size_t>(n_), 0.0);
  if (!st && n_ > 0) st = TVLchgobj(env_, lp_, n_, ind.data(), zero.data());
  if (!st) st = TVLchgobjsen(env_, lp_, TVL_MIN);
  return st;
}

int AuxModel::add_columns(int count, const double *obj, const int *beg, const int *ind, const double *val,
                          const double *lb, const double *ub, int32_t &first) {
  first = TVLgetnumcols(env_, lp_);
  if (count == 0) return 0;
  const int nz = beg ? beg[count] : 0;
  return TVLaddcols(env_, lp_, count, nz, obj, beg, ind, val, lb, ub, nullptr);
}

int AuxModel::add_violation_columns(std::vector<Item> &items) {
  const size_t k = items.size();
  std::vector<double> obj(k), lb(k, 0.0), ub(k, kInfBound), val;
  std::vector<int> beg(k + 1, 0), ind;
  for (size_t c = 0; c < k; ++c) {
    const Item &it = items[c];
    obj[c] = kind_ == Measure::Sum ? it.weight : 0.0;
    if (kind_ == Measure::Number) ub[c] = kNumberMaxMove * (1.0 + std::fabs(it.limit));
    if (it.side == Side::RowLow || it.side == Side::RowUp) {
      ind.push_back(it.index);
      val.push_back(it.side == Side::RowLow ? 1.0 : -1.0);
    }
    beg[c + 1] = static_cast<int>(ind.size());
  }
  int32_t first = 0;
  const int st = add_columns(static_cast<int>(k), obj.data(), beg.data(), ind.data(), val.data(), lb.data(),
                             ub.data(), first);
  for (size_t c = 0; c < k; ++c) items[c].vcol = first + static_cast<int32_t>(c);
  return st;
}

// Rows x_j + v >= lb_j and x_j - v <= ub_j replace the movable bounds.
int AuxModel::link_bounds(const std::vector<Item> &items) {
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<int> beg, ind, bdind, typeind;
  std::vector<double> val, bdval;
  std::vector<char> lu, btype;
  for (const Item &it : items) {
    if (it.side != Side::ColLow && it.side != Side::ColUp) continue;
    const bool low = it.side == Side::ColLow;
    beg.push_back(static_cast<int>(ind.size()));
    rhs.push_back(it.limit);
    sense.push_back(low ? 'G' : 'L');
    ind.insert(ind.end(), {it.index, it.vcol});
    val.insert(val.end(), {1.0, low ? 1.0 : -1.0});
    bdind.push_back(it.index);
    lu.push_back(low ? 'L' : 'U');
    bdval.push_back(low ? -kInfBound : kInfBound);
    if (lp_->mip && lp_->mip->ctype[it.index] == 'B') typeind.push_back(it.index);
  }
  if (rhs.empty()) return 0;
  beg.push_back(static_cast<int>(ind.size()));
  int st = TVLaddrows(env_, lp_, 0, static_cast<int>(rhs.size()), static_cast<int>(ind.size()), rhs.data(),
                      sense.data(), beg.data(), ind.data(), val.data(), nullptr, nullptr);
  // A binary whose bound moves becomes a general integer.
  btype.assign(typeind.size(), 'I');
  if (!st && !typeind.empty()) st = TVLchgctype(env_, lp_, static_cast<int>(typeind.size()), typeind.data(), btype.data());
  if (!st) st = TVLchgbds(env_, lp_, static_cast<int>(bdind.size()), bdind.data(), lu.data(), bdval.data());
  return st;
}

int AuxModel::add_indicators(std::vector<Item> &items) {
  int st = is_mip_problem(TVLgetprobtype(env_, lp_)) ? 0 : TVLchgprobtype(env_, lp_, TVLPROB_MILP);
  const size_t k = items.size();
  std::vector<double> obj(k), lb(k, 0.0), ub(k, 1.0);
  for (size_t c = 0; c < k; ++c) obj[c] = items[c].weight;
  int32_t first = 0;
  if (!st) st = add_columns(static_cast<int>(k), obj.data(), nullptr, nullptr, nullptr, lb.data(), ub.data(), first);
  std::vector<int> zind(k);
  for (size_t c = 0; c < k; ++c) zind[c] = items[c].zcol = first + static_cast<int32_t>(c);
  const std::vector<char> binary(k, 'B');
  if (!st && k) st = TVLchgctype(env_, lp_, static_cast<int>(k), zind.data(), binary.data());
  const double one = 1.0;
  for (size_t c = 0; c < k && !st; ++c)
    st = TVLEaddindconstr(env_, lp_, items[c].zcol, 1, 1, 0.0, 'L', &items[c].vcol, &one, nullptr);
  return st;
}

int AuxModel::add_epigraphs(std::vector<Item> &items) {
  const size_t k = items.size();
  std::vector<double> obj(k), lb(k, 0.0), ub(k, kInfBound);
  for (size_t c = 0; c < k; ++c) obj[c] = items[c].weight;
  int32_t first = 0;
  const int st = add_columns(static_cast<int>(k), obj.data(), nullptr, nullptr, nullptr, lb.data(), ub.data(), first);
  for (size_t c = 0; c < k; ++c) items[c].tcol = first + static_cast<int32_t>(c);
  return st;
}

Outcome AuxModel::solve(int64_t &iterations, bool reoptimize) {
  Outcome out;
  out.error = mip_ ? TVLmipopt(env_, lp_) : reoptimize ? TVLdualopt(env_, lp_) : TVLlpopt(env_, lp_);
  if (lp_->soln) iterations += lp_->soln->itcnt;
  // Verdicts of presolve come back as errors: they are outcomes here.
  switch (out.error) {
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE:
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE_OR_UNBOUNDED:
      out.stat = mip_ ? TVLMIP_INForUNBD : TVL_STAT_INForUNBD;
      out.infeasible = true;
      out.error = 0;
      return out;
    case TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_UNBOUNDED:
      out.stat = mip_ ? TVLMIP_UNBOUNDED : TVL_STAT_UNBOUNDED;
      out.error = 0;
      return out;
    case TVLERR_ABORTED_DURING_PRESOLVE:
    case TVLERR_TIME_LIMIT_EXCEEDED_DURING_PRESOLVE:
      out.stat = TVLMIP_ABORT_RELAXED;
      out.error = 0;
      return out;
    default:
      break;
  }
  if (out.error) return out;
  out.stat = TVLgetstat(env_, lp_);
  out.optimal = proves_optimum(out.stat);
  out.infeasible = proves_infeasible(out.stat);
  const SolutionRecord *s = lp_->soln;
  out.point = out.optimal || (mip_ && s && s->incumbent && s->has_primal);
  if (!out.point) return out;
  out.x.resize(static_cast<size_t>(TVLgetnumcols(env_, lp_)));
  out.error = TVLgetx(env_, lp_, out.x.data(), 0, static_cast<int>(out.x.size()) - 1);
  if (!out.error) out.error = TVLgetobjval(env_, lp_, &out.objval);
  return out;
}

// The auxiliary column whose weighted sum is the measure of `kind`.
static int32_t measure_col(const Item &it, Measure kind) {
  return kind == Measure::Sum ? it.vcol : kind == Measure::Number ? it.zcol : it.tcol;
}

int AuxModel::bound_measure(const std::vector<Item> &items, double bound) {
  std::vector<int> ind;
  std::vector<double> val;
  for (const Item &it : items) {
    if (it.weight == 0.0) continue;
    ind.push_back(measure_col(it, kind_));
    val.push_back(it.weight);
  }
  const int beg[2] = {0, static_cast<int>(ind.size())};
  const char sense = 'L';
  int st = TVLaddrows(env_, lp_, 0, 1, beg[1], &bound, &sense, beg, ind.data(), val.data(), nullptr, nullptr);
  // The problem's own objective on its columns, nothing on the others.
  const int ncols = TVLgetnumcols(env_, lp_);
  std::vector<int> all(static_cast<size_t>(ncols));
  std::vector<double> obj(static_cast<size_t>(ncols), 0.0);
  for (int j = 0; j < ncols; ++j) all[j] = j;
  std::copy(obj_.begin(), obj_.end(), obj.begin());
  if (!st && ncols) st = TVLchgobj(env_, lp_, ncols, all.data(), obj.data());
  if (!st) st = TVLchgobjsen(env_, lp_, objsense_);
  return st;
}

int AuxModel::weigh_violations(const std::vector<Item> &items, bool on) {
  std::vector<int> ind;
  std::vector<double> val;
  for (const Item &it : items) {
    ind.insert(ind.end(), {it.vcol, it.tcol});
    val.insert(val.end(), {on ? it.weight : 0.0, on ? 0.0 : it.weight});
  }
  return ind.empty() ? 0 : TVLchgobj(env_, lp_, static_cast<int>(ind.size()), ind.data(), val.data());
}

int AuxModel::add_tangents(const std::vector<const Item *> &items, const std::vector<double> &at) {
  if (items.empty()) return 0;
  const size_t k = items.size();
  std::vector<double> rhs(k), val;
  std::vector<int> beg(k + 1), ind;
  const std::vector<char> sense(k, 'G');
  for (size_t c = 0; c < k; ++c) {
    beg[c] = static_cast<int>(ind.size());
    ind.insert(ind.end(), {items[c]->tcol, items[c]->vcol});
    val.insert(val.end(), {1.0, -2.0 * at[c]});
    rhs[c] = -at[c] * at[c];
  }
  beg[k] = static_cast<int>(ind.size());
  return TVLaddrows(env_, lp_, 0, static_cast<int>(k), static_cast<int>(ind.size()), rhs.data(), sense.data(),
                    beg.data(), ind.data(), val.data(), nullptr, nullptr);
}

}  // namespace tvl::feasopt
