#include "simplex/simplex_base.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

#include "runtime/workcount.h"

namespace tvl::lp {

namespace {

// Removes v from the ascending list; false when it was not there.
bool erase_sorted(std::vector<int32_t> &list, int32_t v) {
  const auto it = std::lower_bound(list.begin(), list.end(), v);
  if (it == list.end() || *it != v) return false;
  list.erase(it);
  return true;
}

void insert_sorted(std::vector<int32_t> &list, int32_t v) {
  list.insert(std::lower_bound(list.begin(), list.end(), v), v);
}

}  // namespace

SimplexBase::SimplexBase(SimplexLp lp, const SimplexControl &ctl, bool nonbasic_by_cost)
    : lp_(std::move(lp)), ctl_(ctl), repair_(ctl.singlim, ctl.precision_policy), nonbasic_by_cost_(nonbasic_by_cost) {
  const int32_t m = lp_.m, n = lp_.n;
  lower_ = lp_.lower;
  upper_ = lp_.upper;
  factor_.reset(make_basis_factor(ctl.precision_policy > 0 ? 1 : 0, m, n, ctl.factor));
  row_mark_.assign(static_cast<size_t>(n + m), 0);
  x_.assign(static_cast<size_t>(n + m), 0.0);
  d_.assign(static_cast<size_t>(n + m), 0.0);
  y_.assign(static_cast<size_t>(m), 0.0);
  scratch_.setup(m);
  primal_tol_ = ctl.working_feastol();
}

SimplexBase::~SimplexBase() = default;

double SimplexBase::nonbasic_value(int32_t j) const {
  switch (status_[j]) {
    case kAtLower: return lower_[j];
    case kAtUpper: return upper_[j];
    default: return 0.0;
  }
}

void SimplexBase::place_nonbasic(int32_t j) {
  const bool flo = simplex_finite(lower_[j]), fup = simplex_finite(upper_[j]);
  if (flo && fup) {
    if (lower_[j] == upper_[j]) status_[j] = kAtLower;
    else if (status_[j] != kAtLower && status_[j] != kAtUpper)
      status_[j] = !nonbasic_by_cost_ || d_[j] >= 0.0 ? kAtLower : kAtUpper;
  } else if (flo) {
    status_[j] = kAtLower;
  } else if (fup) {
    status_[j] = kAtUpper;
  } else {
    status_[j] = kFreeNb;
  }
  x_[j] = nonbasic_value(j);
}

void SimplexBase::rebuild_positions() {
  pos_.assign(static_cast<size_t>(lp_.num_vars()), -1);
  for (int32_t k = 0; k < lp_.m; ++k) pos_[head_[k]] = k;
  movable_ok_ = false;
}

void SimplexBase::collect_movable(std::vector<int32_t> &list, std::vector<int32_t> &rows,
                                  int64_t &fixed_entries) const {
  const int32_t n = lp_.n;
  list.clear();
  rows.clear();
  fixed_entries = 0;
  for (int32_t j = 0; j < n; ++j) {
    if (status_[j] == kBasic) continue;
    if (lp_.lower[j] != lp_.upper[j]) list.push_back(j);
    else fixed_entries += lp_.a.start[j + 1] - lp_.a.start[j];
  }
  for (int32_t i = 0; i < lp_.m; ++i)
    if (status_[n + i] != kBasic && lp_.lower[n + i] != lp_.upper[n + i]) rows.push_back(i);
}

void SimplexBase::movable_flags(std::vector<int8_t> &flag) const {
  flag.assign(static_cast<size_t>(lp_.n), 0);
  for (int32_t j : movable_) flag[static_cast<size_t>(j)] = 1;
}

const std::vector<int32_t> &SimplexBase::movable_columns() {
  if (!movable_ok_) {
    collect_movable(movable_, movable_rows_, fixed_nb_entries_);
    movable_ok_ = true;
    row_part_current_ = false;
  }
#ifndef NDEBUG
  // Debug builds check the kept lists against fresh ones at every use.
  std::vector<int32_t> fresh, fresh_rows;
  int64_t fixed_entries = 0;
  collect_movable(fresh, fresh_rows, fixed_entries);
  assert(fresh == movable_ && fresh_rows == movable_rows_ && fixed_entries == fixed_nb_entries_);
#endif
  return movable_;
}

const RowPartition &SimplexBase::movable_row_partition() {
  movable_columns();
  if (!row_part_current_) {
    // The matrix is fixed for the solver's life: a built copy only moves
    // the columns whose status or bounds changed.
    movable_flags(movable_flag_);
    if (row_part_built_) row_part_.refresh(lp_, movable_flag_);
    else row_part_.build(lp_, movable_flag_);
    row_part_built_ = row_part_current_ = true;
  }
#ifndef NDEBUG
  // Debug builds check the kept copy against the statuses now and then
  // (a check reads the whole matrix; at every pivot row it would make the
  // sanitizer runs of the larger models crawl).
  if (++row_part_checks_ % 16 == 1) {
    movable_flags(movable_flag_);
    assert(row_part_.consistent(lp_, movable_flag_));
  }
#endif
  return row_part_;
}

// q entered the basis and p left it.  The lists stay sorted (an insertion
// moves the entries behind it: a few microseconds at most on the widest
// models), so that the pivot rows list their entries in variable order and
// the iterations do not depend on the lists' history.
void SimplexBase::update_movable(int32_t q, int32_t p) {
  const int32_t n = lp_.n;
  auto entries = [&](int32_t j) { return lp_.a.start[j + 1] - lp_.a.start[j]; };
  if (q >= n) erase_sorted(movable_rows_, q - n);
  else if (!erase_sorted(movable_, q)) fixed_nb_entries_ -= entries(q);
  else if (row_part_current_) row_part_.deactivate(lp_, q);
  if (lp_.lower[p] == lp_.upper[p]) {
    if (p < n) fixed_nb_entries_ += entries(p);
  } else if (p < n) {
    insert_sorted(movable_, p);
    if (row_part_current_) row_part_.activate(lp_, p);
  } else {
    insert_sorted(movable_rows_, p - n);
  }
}

bool SimplexBase::adopt_status(const std::vector<int8_t> &status) {
  const int32_t m = lp_.m, nv = lp_.num_vars();
  if (static_cast<int32_t>(status.size()) != nv ||
      std::count(status.begin(), status.end(), static_cast<int8_t>(kBasic)) != m)
    return false;
  status_ = status;
  head_.clear();
  for (int32_t j = 0; j < nv; ++j) {
    if (status_[j] == kBasic) head_.push_back(j);
    else place_nonbasic(j);
  }
  rebuild_positions();
  have_factor_ = false;
  return true;
}

bool SimplexBase::adopt_pivoted_status(const std::vector<int8_t> &status) {
  const int32_t m = lp_.m, nv = lp_.num_vars();
  if (static_cast<int32_t>(head_.size()) != m || static_cast<int32_t>(status.size()) != nv ||
      std::count(status.begin(), status.end(), static_cast<int8_t>(kBasic)) != m)
    return false;
  int32_t next = 0;
  for (int32_t k = 0; k < m; ++k) {
    if (status[head_[k]] == kBasic) continue;
    while (status[next] != kBasic || status_[next] == kBasic) ++next;
    head_[k] = next++;
  }
  status_ = status;
  for (int32_t j = 0; j < nv; ++j)
    if (status_[j] != kBasic) place_nonbasic(j);
  rebuild_positions();
  have_factor_ = false;
  return true;
}

bool SimplexBase::set_basis(const std::vector<int8_t> &status) {
  // The basis the solver holds already: its factor and weights stay.
  if (have_factor_ && factor_->valid() && status == status_) return true;
  if (!adopt_status(status)) {
    set_slack_basis();
    return false;
  }
  reset_weights();
  return true;
}

void SimplexBase::slack_header() {
  const int32_t m = lp_.m, n = lp_.n;
  head_.resize(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    head_[i] = n + i;
    status_[n + i] = kBasic;
  }
  rebuild_positions();
  have_factor_ = false;
}

bool SimplexBase::factorize_header(int display, const std::function<void(const std::string &)> &say) {
  replaced_.clear();
  FactorStatus fs = factor_->factorize(lp_.a, head_, &replaced_);
  if (fs == FactorStatus::Repaired) {
    fs = repair_.handle(factor_, lp_.a, head_, replaced_, ctl_.factor, iter_ > 0, display,
                        [this](int32_t j) { return var_name(j); }, say);
  }
  if (fs == FactorStatus::OutOfMemory || fs == FactorStatus::Singular) return false;
  if (factor_->report().threshold_raised && iter_ > 0) {
    char line[64];
    std::snprintf(line, sizeof line, "Markowitz threshold set to %g\n", factor_->report().markowitz);
    say(line);
  }
  for (int32_t j : replaced_) {
    // Displaced by a singularity repair: nonbasic at the nearer bound.
    status_[j] = kFreeNb;
    if (simplex_finite(lower_[j]) && simplex_finite(upper_[j]))
      status_[j] = (upper_[j] - x_[j] > x_[j] - lower_[j]) ? kAtLower : kAtUpper;
    place_nonbasic(j);
  }
  for (int32_t k = 0; k < lp_.m; ++k) status_[head_[k]] = kBasic;
  rebuild_positions();
  have_factor_ = true;
  ++factor_count_;
  return true;
}

void SimplexBase::load_column(int32_t q, HVector &v) const { tvl::lp::load_column(lp_, q, v); }

void SimplexBase::compute_primal_values(HVector &work) {
  const int32_t m = lp_.m, nv = lp_.num_vars();
  for (int32_t j = 0; j < nv; ++j)
    if (status_[j] != kBasic) x_[j] = nonbasic_value(j);
  for (int32_t k = 0; k < m; ++k) x_[head_[k]] = 0.0;
  solve_basic_correction(work);
  solve_basic_correction(work);
}

void SimplexBase::solve_basic_correction(HVector &v) {
  const int32_t m = lp_.m, n = lp_.n;
  v.clear();
  std::vector<double> &rhs = v.array;
  for (int32_t j = 0; j < n; ++j) {
    const double xj = x_[j];
    if (xj == 0.0) continue;
    for (int32_t k = lp_.a.start[j]; k < lp_.a.start[j + 1]; ++k) rhs[lp_.a.index[k]] -= lp_.a.value[k] * xj;
  }
  for (int32_t i = 0; i < m; ++i) rhs[i] -= x_[n + i];
  v.count = 0;
  for (int32_t i = 0; i < m; ++i)
    if (rhs[i] != 0.0) v.index[v.count++] = i;
  factor_->ftran(v, 1.0);
  for (int32_t k = 0; k < m; ++k) x_[head_[k]] += v.array[k];
  v.count = -1;
  v.clear();
  work_add(static_cast<uint64_t>(lp_.a.start[n]) + static_cast<uint64_t>(n) + 4 * static_cast<uint64_t>(m));
}

bool SimplexBase::refresh(int kept_updates) {
  if (factor_carries_updates(kept_updates) && !factorize_for_refresh()) return false;
  compute_primal_values(scratch_);
  compute_duals(lp_.cost, &lp_.cost, scratch_);
  return true;
}

void SimplexBase::compute_duals(const std::vector<double> &basic_cost, const std::vector<double> *nonbasic_cost,
                                HVector &work) {
  const int32_t m = lp_.m, n = lp_.n;
  work.clear();
  for (int32_t k = 0; k < m; ++k) {
    const double c = basic_cost[head_[k]];
    if (c != 0.0) {
      work.array[k] = c;
      work.index[work.count++] = k;
    }
  }
  factor_->btran(work, 1.0);
  for (int32_t i = 0; i < m; ++i) y_[i] = work.array[i];
  work.count = -1;
  work.clear();
  auto cost = [&](int32_t j) { return nonbasic_cost ? (*nonbasic_cost)[j] : 0.0; };
  for (int32_t j = 0; j < n; ++j) {
    if (status_[j] == kBasic) {
      d_[j] = 0.0;
      continue;
    }
    double s = cost(j);
    for (int32_t k = lp_.a.start[j]; k < lp_.a.start[j + 1]; ++k) s -= lp_.a.value[k] * y_[lp_.a.index[k]];
    d_[j] = s;
  }
  for (int32_t i = 0; i < m; ++i) d_[n + i] = status_[n + i] == kBasic ? 0.0 : cost(n + i) - y_[i];
  work_add(static_cast<uint64_t>(lp_.a.start[n]) + static_cast<uint64_t>(n) + 4 * static_cast<uint64_t>(m));
}

LpStatus SimplexBase::check_limits() {
  if (repair_.exhausted()) return LpStatus::NumericalTrouble;
  if (iter_ >= ctl_.itlim) return LpStatus::IterLimit;
  if (ctl_.limit_check) return ctl_.limit_check(iter_, *this);
  return LpStatus::Unknown;
}

LpStatus SimplexBase::limit_reached() {
  const LpStatus lim = check_limits();
  if (lim != LpStatus::Unknown && factor_->updates_since_factor() > 0) refactor();
  return lim;
}

bool SimplexBase::stopped_by_limit(LpStatus st) {
  switch (st) {
    case LpStatus::IterLimit: case LpStatus::TimeLimit: case LpStatus::DetTimeLimit:
    case LpStatus::Aborted: case LpStatus::ObjLimit:
      return true;
    default:
      return false;
  }
}

void SimplexBase::describe(LpIterate &out) const {
  const std::vector<double> &work = working_costs();
  double true_obj = 0.0, work_obj = 0.0, pinf = 0.0, dinf = 0.0, pmax = 0.0, dmax = 0.0;
  for (int32_t j = 0; j < lp_.num_vars(); ++j) {
    true_obj += lp_.cost[j] * x_[j];
    work_obj += work[j] * x_[j];
    double v = 0.0;
    if (status_[j] == kBasic) {
      v = std::max(0.0, lower_[j] - x_[j]) + std::max(0.0, x_[j] - upper_[j]);
      pinf += v;
      pmax = std::max(pmax, v);
    } else if (lower_[j] != upper_[j]) {
      // A reduced cost that asks to move the variable where its bound or
      // status does not let it go.
      const double dj = d_[j];
      if (status_[j] == kFreeNb) v = std::fabs(dj);
      else if (status_[j] == kAtLower) v = std::max(0.0, -dj);
      else if (status_[j] == kAtUpper) v = std::max(0.0, dj);
      dinf += v;
      dmax = std::max(dmax, v);
    }
  }
  out.primal_obj = lp_.objsense * (true_obj + lp_.offset);
  out.dual_obj = lp_.objsense * (work_obj + lp_.offset);
  out.primal_infeas = pinf;
  out.dual_infeas = dinf;
  out.primal_feas = pmax <= primal_tol_ ? 1 : 0;
  out.dual_feas = dmax <= dual_tol_ ? 1 : 0;
}

bool SimplexBase::summary_due(int phase) {
  if (factor_count_ == last_logged_factor_ && phase == last_logged_phase_) return false;
  last_logged_factor_ = factor_count_;
  last_logged_phase_ = phase;
  return true;
}

std::string SimplexBase::var_name(int32_t j) const {
  if (j < 0) return std::string();
  const bool slack = j >= lp_.n;
  std::string name;
  if (ctl_.var_name) name = ctl_.var_name(j);
  else name = slack ? "c" + std::to_string(j - lp_.n + 1) : "x" + std::to_string(j + 1);
  return slack ? name + " sla" : name;
}

void SimplexBase::unit_row_btran(int32_t r, HVector &rho, double density) {
  rho.clear();
  rho.array[r] = 1.0;
  rho.index[0] = r;
  rho.count = 1;
  factor_->btran(rho, density);
}

void SimplexBase::swap_into_basis(int32_t q, int32_t p, int32_t r) {
  last_enter_ = q;
  last_leave_ = p;
  head_[r] = q;
  pos_[q] = r;
  pos_[p] = -1;
  status_[q] = kBasic;
  if (movable_ok_) update_movable(q, p);
}

}  // namespace tvl::lp
