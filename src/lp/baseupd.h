// Factor update after a basis change and the refactorization rules.
//
// The update appends a product-form eta (Dantzig & Orchard-Hays 1954,
// "The product form for the inverse in the simplex method"): with
// alpha = B^-1 a_q and leaving position r, the new inverse is E^-1 B^-1
// where E is the identity with column r replaced by alpha.
//
// Refactorization is requested when the update limit is reached (interval
// setting v > 0 gives v - 1 updates; 0 gives 10000 with the automatic
// rule), when the eta file would exceed its cap, when the pivot is too
// small to be applied, or by the automatic rule: the amortized cost per
// iteration Q = (w (F + 0.1 T) + N0) / (k + 1), with F the entering-column
// work scaled by N0 / nnz(B) and T the solve work since factorization,
// starts to rise after at least 61 updates.
#pragma once

#include <cmath>

#include "lp/lu.h"

namespace tvl::lp {

inline constexpr int64_t kEtaFileCap = 524999999;
inline constexpr double kEtaPivotTiny = 1e-11;

template <class T>
void LuFactor<T>::reset_update_state() {
  updates_ = 0;
  refactor_due_ = false;
  n0_ = lu_.l_nonzeros + lu_.u_nonzeros + m_;
  basis_nonzeros_ = std::max<int64_t>(1, cols_.start.empty() ? m_ : cols_.start[m_]);
  entering_work_ = 0.0;
  work_at_factor_ = work_;
  last_cost_ = 1e75;
}

template <class T>
void LuFactor<T>::note_update_cost(const HVector &col) {
  entering_work_ += col.count >= 0 ? col.count : m_;
  if (!automatic_) return;
  const double f = entering_work_ * static_cast<double>(n0_) / static_cast<double>(basis_nonzeros_);
  const double t = static_cast<double>(work_ - work_at_factor_);
  const double q = (weight_ * (f + 0.1 * t) + static_cast<double>(n0_)) / (updates_ + 1);
  if (q > last_cost_ && updates_ >= 61) refactor_due_ = true;
  else last_cost_ = q;
}

template <class T>
bool LuFactor<T>::update(int32_t r, const HVector &col) {
  if (!valid_) return false;
  const double piv = col.array[r];
  const int64_t add = col.count >= 0 ? col.count : m_;
  if (updates_ >= update_limit_ || std::fabs(piv) < kEtaPivotTiny || eta_.entries() + add > kEtaFileCap) {
    valid_ = false;
    return false;
  }
  eta_.pos.push_back(r);
  eta_.pivot.push_back(T(piv));
  auto put = [&](int32_t i) {
    const double v = col.array[i];
    if (i == r || v == 0.0) return;
    eta_.index.push_back(i);
    eta_.value.push_back(T(v));
  };
  if (col.count >= 0) {
    for (int32_t t = 0; t < col.count; ++t) put(col.index[t]);
  } else {
    for (int32_t i = 0; i < m_; ++i) put(i);
  }
  eta_.start.push_back(static_cast<int32_t>(eta_.index.size()));
  work_ += add;
  ++updates_;
  note_update_cost(col);
  if (eta_.entries() > 20 * (n0_ + m_)) refactor_due_ = true;
  return !refactor_due_;
}

template <class T>
bool LuFactor<T>::wants_refactor() const {
  return !valid_ || refactor_due_ || updates_ >= update_limit_;
}

template <class T>
bool LuFactor<T>::confirm_refactor(double uniform01) {
  const int32_t k = updates_;
  bool yes;
  if (forced_refactors_ >= 20) yes = k > 0 && uniform01 < 0.05;
  else if (k == 1) yes = uniform01 < 0.5;
  else yes = k > 1;
  if (yes && k < 20) ++forced_refactors_;
  return yes;
}

}  // namespace tvl::lp
