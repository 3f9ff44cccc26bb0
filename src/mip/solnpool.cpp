// Solution pool storage, admission, replacement and capacity changes.
#include "mip/solnpool.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <numeric>

#include "frame/listedit.h"
#include "frame/param.h"

namespace tvl {

bool PoolFilter::passes(const double *x) const {
  double s = 0.0;
  for (size_t k = 0; k < ind.size(); ++k) {
    double xj = x[ind[k]];
    if (type == kFilterDiversity)
      s += std::fabs(xj - val[k]) * (wt.empty() ? 1.0 : wt[k]);
    else
      s += val[k] * xj;
  }
  return !(s < lower || s > upper);
}

SolnPool::SolnPool(int32_t ncols, const char *ctype) : ncols_(ncols) {
  ctype_.assign(static_cast<size_t>(ncols), 'C');
  if (ctype) ctype_.assign(ctype, static_cast<size_t>(ncols));
}

void SolnPool::lock() {
  if (mtx_.try_lock()) return;
  auto t0 = std::chrono::steady_clock::now();
  mtx_.lock();
  contention_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void SolnPool::invalidate() {
  std::lock_guard<std::mutex> g(mtx_);
  sol_.clear();
  hashes_.clear();
  mean_.clear();
  mean_built_ = false;
  gap_best_ = 1e20;
  stale_ = true;
}

void SolnPool::renumber_cols(const int32_t *delstat, int32_t oldn) {
  std::lock_guard<std::mutex> g(mtx_);
  for (PoolFilter &f : filters_) {
    const bool weighted = !f.wt.empty();
    size_t kept = renumber_column_entries(f.ind, delstat, oldn, [&](size_t out, size_t k) {
      f.val[out] = f.val[k];
      if (weighted) f.wt[out] = f.wt[k];
    });
    f.val.resize(kept);
    if (weighted) f.wt.resize(kept);
  }
}

// FNV-1a over the bytes of the column values, with -0.0 read as 0.0 so
// that values comparing equal hash alike.
uint64_t SolnPool::hash_of(const double *x) const {
  uint64_t h = 1469598103934665603ull;
  for (int32_t j = 0; j < ncols_; ++j) {
    double v = x[j] == 0.0 ? 0.0 : x[j];
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int b = 0; b < 8; ++b) {
      h ^= (bits >> (8 * b)) & 0xffu;
      h *= 1099511628211ull;
    }
  }
  return h;
}

bool SolnPool::is_duplicate(const double *x, uint64_t h) const {
  if (hashes_.find(h) == hashes_.end()) return false;
  for (const PoolEntry &e : sol_) {
    if (e.hash != h) continue;
    if (std::equal(x, x + ncols_, e.v.begin())) return true;
  }
  return false;
}

bool SolnPool::gap_filter_passes(double f) {
  gap_best_ = std::min(gap_best_, f);
  const double b = gap_best_;
  double allow = 1e75;
  if (gap_rel_ < 1e20) allow = gap_rel_ * std::fabs(b);
  if (gap_abs_ < 1e20) allow = std::min(allow, gap_abs_ + (1.0 + std::fabs(b)) * 1e-10);
  return !(b + allow < f);
}

double SolnPool::draw() {
  // xorshift64*: the pool's own stream, independent of the environment's.
  rng_ ^= rng_ >> 12;
  rng_ ^= rng_ << 25;
  rng_ ^= rng_ >> 27;
  return static_cast<double>((rng_ * 2685821657736338717ull) >> 11) * (1.0 / 9007199254740992.0);
}

void SolnPool::build_mean() {
  mean_.assign(static_cast<size_t>(ncols_), 0.0);
  mean_built_ = true;
  if (sol_.empty()) return;
  for (const PoolEntry &e : sol_)
    for (int32_t j = 0; j < ncols_; ++j)
      if (ctype_[j] != 'C') mean_[j] += e.v[j];
  for (int32_t j = 0; j < ncols_; ++j) mean_[j] /= static_cast<double>(sol_.size());
}

// Keeps the mean in step with a solution about to be stored.
void SolnPool::mean_add(const double *x) {
  if (!mean_built_) return;
  double n = static_cast<double>(sol_.size());
  for (int32_t j = 0; j < ncols_; ++j)
    if (ctype_[j] != 'C') mean_[j] = (n * mean_[j] + x[j]) / (n + 1.0);
}

// Keeps the mean in step with a stored solution about to be removed.
void SolnPool::mean_remove(const double *x) {
  if (!mean_built_) return;
  double n = static_cast<double>(sol_.size());
  for (int32_t j = 0; j < ncols_; ++j)
    if (ctype_[j] != 'C') mean_[j] = n > 1.0 ? (n * mean_[j] - x[j]) / (n - 1.0) : 0.0;
}

double SolnPool::distance(const double *x) {
  double d = 0.0;
  for (int32_t j = 0; j < ncols_; ++j) {
    char t = ctype_[j];
    if (t == 'C') continue;
    if (t == 'B') {
      double r = x[j] - mean_[j];
      d += r * r;
    } else {
      double r = 0.25 * draw();
      d += r * r;
    }
  }
  return d;
}

int32_t SolnPool::victim_by_objective(double f, bool better) const {
  int32_t cnt = count();
  if (cnt == 1) return better ? 0 : -1;
  int32_t victim = -1;
  double worst = -1e300;
  for (int32_t k = cnt - 1; k >= 1; --k) {
    double o = sol_[k].obj();
    if (o >= f && o >= worst) {
      victim = k;
      worst = o;
    }
  }
  return victim;
}

int32_t SolnPool::victim_by_diversity(const double *x, bool better) {
  if (!mean_built_) build_mean();
  int32_t cnt = count();
  double best = better ? 1e75 : distance(x);
  int32_t last = cnt >= 2 ? 1 : 0;
  int32_t victim = -1;
  for (int32_t k = cnt - 1; k >= last; --k) {
    double d = distance(sol_[k].v.data());
    if (d <= best) {
      best = d;
      victim = k;
    }
  }
  return victim;
}

int32_t SolnPool::choose_victim(const double *x, double f, bool better) {
  switch (policy_) {
    case 1: return victim_by_objective(f, better);
    case 2: return victim_by_diversity(x, better);
    default:
      if (count() == 1) return better ? 0 : -1;
      return 1;
  }
}

std::string SolnPool::name_for(int32_t k) const {
  std::string base = "p" + std::to_string(k + 1);
  auto taken = [&](const std::string &s) {
    return std::any_of(sol_.begin(), sol_.end(), [&](const PoolEntry &e) { return e.name == s; });
  };
  if (!taken(base)) return base;
  for (char c = 'a'; c <= 'z'; ++c)
    if (!taken(base + c)) return base + c;
  return base + "_" + std::to_string(sol_.size());
}

bool SolnPool::append(const double *x, double f, uint64_t h) {
  try {
    PoolEntry e;
    e.v.reserve(static_cast<size_t>(ncols_) + 1);
    e.v.assign(x, x + ncols_);
    e.v.push_back(f);
    e.hash = h;
    e.name = name_for(count());
    sol_.reserve(sol_.size() + 1);
    hashes_.insert(h);
    mean_add(x);
    sol_.push_back(std::move(e));
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

void SolnPool::erase_at(int32_t k) {
  PoolEntry &e = sol_[k];
  mean_remove(e.v.data());
  auto it = hashes_.find(e.hash);
  if (it != hashes_.end()) hashes_.erase(it);
  sol_.erase(sol_.begin() + k);
}

int SolnPool::offer(const double *x, double f) {
  ++offered_call_;
  if (stale_ || capacity_ == 0 || alloc_ == 0) return kPoolNotKept;
  const uint64_t h = hash_of(x);
  if (is_duplicate(x, h)) return kPoolDuplicate;
  const bool better = improves(f);
  bool pass = gap_filter_passes(f);
  if (!better) {
    for (const PoolFilter &flt : filters_)
      if (!flt.passes(x)) {
        pass = false;
        break;
      }
    if (!pass) {
      ++rejected_;
      return kPoolFiltered;
    }
  }
  if (count() >= alloc_ && alloc_ < capacity_)
    alloc_ = static_cast<int32_t>(std::min<int64_t>(capacity_, 2 * int64_t{alloc_}));
  if (count() < alloc_) {
    if (!append(x, f, h)) return 1001;
    ++stored_call_;
    return kPoolAppended;
  }
  ++replaced_;
  int32_t victim = choose_victim(x, f, better);
  if (victim < 0) return kPoolDropped;
  try {
    sol_.reserve(sol_.size() + 1);
  } catch (const std::bad_alloc &) {
    --replaced_;
    return 1001;
  }
  erase_at(victim);
  if (!append(x, f, h)) return 1001;
  ++stored_call_;
  return kPoolReplaced;
}

void SolnPool::remove(const int32_t *del) {
  for (int32_t k = count() - 1; k >= 0; --k)
    if (del[k]) erase_at(k);
  if (sol_.empty()) mean_built_ = false;
}

int32_t SolnPool::find_name(const char *name) const {
  for (int32_t k = 0; k < count(); ++k)
    if (sol_[k].name == name) return k;
  return -1;
}

// Removes solutions by the policy until `cap` remain; each removal counts
// as a replacement.
void SolnPool::shrink_to(int32_t cap) {
  int32_t cnt = count();
  if (cap >= cnt) return;
  std::vector<int32_t> order(static_cast<size_t>(cnt));
  std::iota(order.begin(), order.end(), 0);
  const bool protect0 = cnt >= 2;
  if (policy_ == 1) {
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
      if (protect0 && (a == 0 || b == 0)) return a == 0 && b != 0;
      return sol_[a].obj() < sol_[b].obj();
    });
  } else if (policy_ == 2) {
    if (!mean_built_) build_mean();
    std::vector<double> score(static_cast<size_t>(cnt));
    for (int32_t k = 0; k < cnt; ++k) score[k] = protect0 && k == 0 ? 1e75 : distance(sol_[k].v.data());
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return score[a] > score[b]; });
  }
  std::vector<int32_t> del(static_cast<size_t>(cnt), 0);
  for (int32_t r = cap; r < cnt; ++r) del[order[r]] = 1;
  remove(del.data());
  replaced_ += cnt - cap;
}

void SolnPool::prepare(int32_t ncols, const char *ctype, int32_t capacity, int32_t policy, double relgap,
                       double absgap) {
  std::lock_guard<std::mutex> g(mtx_);
  if (stale_ || sol_.empty()) {
    // Nothing stored refers to the old columns: take the current ones.
    sol_.clear();
    hashes_.clear();
    ncols_ = ncols;
    ctype_.assign(static_cast<size_t>(ncols), 'C');
    if (ctype) ctype_.assign(ctype, static_cast<size_t>(ncols));
    mean_built_ = false;
    stale_ = false;
  }
  capacity_ = capacity;
  policy_ = policy;
  gap_rel_ = relgap;
  gap_abs_ = absgap;
  shrink_to(capacity);
  alloc_ = static_cast<int32_t>(std::min<int64_t>(capacity, std::max<int64_t>(1000, 2 * int64_t{count()})));
  offered_call_ = stored_call_ = 0;
}

// ---- driver entry points ----

SolnPool *solnpool_of(tvllp *lp) { return static_cast<SolnPool *>(lp->pool); }
const SolnPool *solnpool_of(const tvllp *lp) { return static_cast<const SolnPool *>(lp->pool); }

int solnpool_create(const tvlenv *env, tvllp *lp) {
  if (lp->pool) return 0;
  if (param_int(env, TVL_PARAM_SOLNPOOLCAPACITY) <= 0) return 3024;
  SolnPool *p = new (std::nothrow) SolnPool(lp->lp->ncols, lp->mip ? lp->mip->ctype : nullptr);
  if (!p) return 1001;
  lp->pool = p;
  return 0;
}

int solnpool_prepare(const tvlenv *env, tvllp *lp) {
  // The pool takes the problem's columns: pending ones must be in place.
  if (int st = complete(env, lp)) return st < 0 ? -st : st;
  int32_t cap = param_int(env, TVL_PARAM_SOLNPOOLCAPACITY);
  if (!lp->pool) {
    if (cap <= 0) return 0;
    int st = solnpool_create(env, lp);
    if (st) return st;
  }
  try {
    solnpool_of(lp)->prepare(lp->lp->ncols, lp->mip ? lp->mip->ctype : nullptr, cap,
                             param_int(env, TVL_PARAM_SOLNPOOLREPLACE), param_dbl(env, TVL_PARAM_SOLNPOOLGAP),
                             param_dbl(env, TVL_PARAM_SOLNPOOLAGAP));
  } catch (const std::bad_alloc &) {
    return 1001;
  }
  return 0;
}

int solnpool_offer(tvllp *lp, const double *x, double internal_objective) {
  SolnPool *p = solnpool_of(lp);
  if (!p) return kPoolNotKept;
  p->lock();
  int r = p->offer(x, internal_objective);
  p->unlock();
  return r;
}

}  // namespace tvl
