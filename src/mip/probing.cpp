#include "mip/probing.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/activity.h"

namespace tvl::mip {

namespace {

// Derivations from activities or limits beyond this are not trusted.
constexpr double kHuge = 1e9;
// A derived continuous bound is moved outward by this (relative) amount,
// so that rounding in the activity sums cannot make it too tight.
constexpr double kSafety = 1e-9;
// One probe walks at most this many entries per model nonzero (plus a
// constant): a chain of small steps cannot run long.
constexpr int64_t kProbeWalksPerNonzero = 4;
// Implications kept at most (per column of the model, plus a constant).
constexpr size_t kImplicationsPerColumn = 10;

}  // namespace

Prober::Prober(const MipModel &model, double feastol) : model_(model), feastol_(feastol) {
  rows_.build(model.lp.a);
  queued_.assign(static_cast<size_t>(model.m()), 0);
}

bool Prober::significant(int32_t j, double old_b, double new_b) const {
  const double step = std::fabs(new_b - old_b);
  if (std::fabs(old_b) >= kInfBound) return true;
  if (model_.integer[static_cast<size_t>(j)]) return step > 0.5;
  const double range = up_[static_cast<size_t>(j)] - lo_[static_cast<size_t>(j)];
  const double floor_step = 1e-6 * std::max(1.0, std::fabs(new_b));
  return step > floor_step && (range >= kInfBound || step > 1e-3 * range);
}

void Prober::set(int32_t j, double lo, double up) {
  const size_t sj = static_cast<size_t>(j);
  trail_.push_back({j, lo_[sj], up_[sj]});
  lo_[sj] = lo;
  up_[sj] = up;
  const lp::CscMatrix &a = model_.lp.a;
  for (int32_t p = a.start[sj]; p < a.start[sj + 1]; ++p) {
    const int32_t i = a.index[static_cast<size_t>(p)];
    if (queued_[static_cast<size_t>(i)]) continue;
    queued_[static_cast<size_t>(i)] = 1;
    queue_.push_back(i);
  }
}

void Prober::undo(size_t mark) {
  while (trail_.size() > mark) {
    const Saved &s = trail_.back();
    lo_[static_cast<size_t>(s.col)] = s.lo;
    up_[static_cast<size_t>(s.col)] = s.up;
    trail_.pop_back();
  }
}

bool Prober::walk_row(int32_t i) {
  const int32_t b = rows_.begin(i), e = rows_.end(i);
  work_ += e - b;
  RowActivity act;
  for (int32_t p = b; p < e; ++p) {
    const size_t j = static_cast<size_t>(rows_.col[static_cast<size_t>(p)]);
    act.add(rows_.val[static_cast<size_t>(p)], lo_[j], up_[j]);
  }
  const double rlo = model_.lp.rowlo[static_cast<size_t>(i)], rup = model_.lp.rowup[static_cast<size_t>(i)];
  if (act.infeasible(rlo, rup, feastol_)) return false;
  for (int32_t p = b; p < e; ++p) {
    const int32_t j = rows_.col[static_cast<size_t>(p)];
    const double lo = lo_[static_cast<size_t>(j)], up = up_[static_cast<size_t>(j)];
    if (lo == up) continue;
    const double a = rows_.val[static_cast<size_t>(p)];
    const double rmin = act.rest_min(a, lo, up), rmax = act.rest_max(a, lo, up);
    double nlo = lo, nup = up;
    if (model_.integer[static_cast<size_t>(j)]) {
      implied_integer_bounds(a, rlo, rup, rmin, rmax, nlo, nup);
      if (nlo > nup) return false;
    } else {
      if (std::fabs(a) < 1e-9) continue;
      // a x <= rup - rest_min and a x >= rlo - rest_max.
      auto limit = [&](double side, double rest, bool upper_side) {
        if (std::fabs(side) >= kInfBound || std::fabs(rest) >= kHuge) return;
        const double lim = (side - rest) / a;
        if (std::fabs(lim) >= kHuge) return;
        const double pad = kSafety * std::max(1.0, std::fabs(lim)) + feastol_ / std::fabs(a);
        // upper_side: the limit is an upper bound on x when a > 0.
        if (upper_side == (a > 0)) nup = std::min(nup, lim + pad);
        else nlo = std::max(nlo, lim - pad);
      };
      limit(rup, rmin, true);
      limit(rlo, rmax, false);
      if (nlo > nup) {
        if (nlo - nup > feastol_ * (1.0 + std::fabs(nup))) return false;
        nlo = nup = 0.5 * (nlo + nup);
      }
      if (!significant(j, lo, nlo)) nlo = lo;
      if (!significant(j, up, nup)) nup = up;
    }
    if (nlo == lo && nup == up) continue;
    set(j, nlo, nup);
  }
  return true;
}

bool Prober::propagate() {
  const int64_t cap = work_ + kProbeWalksPerNonzero * static_cast<int64_t>(rows_.col.size()) + 1000;
  bool ok = true;
  size_t head = 0;
  for (; head < queue_.size() && ok && work_ < cap; ++head) {
    const int32_t i = queue_[head];
    queued_[static_cast<size_t>(i)] = 0;
    ok = walk_row(i);
  }
  for (; head < queue_.size(); ++head) queued_[static_cast<size_t>(queue_[head])] = 0;
  queue_.clear();
  return ok;
}

ProbingResult Prober::run(const std::vector<double> &lo, const std::vector<double> &up, const std::vector<double> &x,
                          int64_t budget, const std::function<bool()> &stop) {
  ProbingResult res;
  const int32_t n = model_.n();
  lo_ = lo;
  up_ = up;
  trail_.clear();
  work_ = 0;
  // Fractional binaries of the LP point first (most fractional first),
  // then the others in column order.
  std::vector<int32_t> order;
  for (int32_t j : model_.intcols)
    if (is_binary(model_, lo_, up_, j)) order.push_back(j);
  auto frac = [&](int32_t j) {
    return x.empty() ? 0.0 : std::min(x[static_cast<size_t>(j)], 1.0 - x[static_cast<size_t>(j)]);
  };
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    const double fa = frac(a), fb = frac(b);
    return (fa > 1e-6) != (fb > 1e-6) ? fa > 1e-6 : fa > fb + 1e-9;
  });
  const size_t max_impl = kImplicationsPerColumn * static_cast<size_t>(n) + 10000;
  std::vector<char> listed(static_cast<size_t>(n), 0);   // column already in probe[v]
  std::vector<int32_t> seen(static_cast<size_t>(n), -1);  // index into probe[0]
  std::vector<Saved> probe[2];
  // Probes y = v; the columns it moved go to probe[v] with their bounds.
  auto run_probe = [&](int32_t y, int v) {
    const size_t mark = trail_.size();
    set(y, v, v);
    const bool ok = propagate();
    probe[v].clear();
    if (ok) {
      for (size_t k = mark + 1; k < trail_.size(); ++k) {
        const int32_t c = trail_[k].col;
        if (listed[static_cast<size_t>(c)]) continue;
        listed[static_cast<size_t>(c)] = 1;
        probe[v].push_back({c, lo_[static_cast<size_t>(c)], up_[static_cast<size_t>(c)]});
      }
      for (const Saved &s : probe[v]) listed[static_cast<size_t>(s.col)] = 0;
    }
    undo(mark);
    return ok;
  };
  // A change that holds whatever y is: applied for good and propagated.
  auto commit = [&](int32_t c, double l, double u) {
    set(c, l, u);
    const bool ok = propagate();
    trail_.clear();
    return ok;
  };
  // A probe that fixes or tightens something earns ten more probes of the
  // average cost, up to four times the budget: on models where probing
  // pays it goes on (each fixing makes the next probes cheaper and
  // stronger), elsewhere it stops at the budget.
  int64_t limit = budget;
  auto reward = [&] { limit = std::min(4 * budget, limit + 10 * (work_ / std::max<int64_t>(1, res.probed))); };
  for (size_t k = 0; k < order.size() && work_ < limit; ++k) {
    if (k % 16 == 0 && stop && stop()) break;
    const int32_t y = order[k];
    if (lo_[static_cast<size_t>(y)] == up_[static_cast<size_t>(y)]) continue;
    const bool ok0 = run_probe(y, 0), ok1 = run_probe(y, 1);
    ++res.probed;
    if (!ok0 || !ok1) {
      if (!ok0 && !ok1) {
        res.infeasible = true;
        break;
      }
      ++res.fixed;
      reward();
      if (!commit(y, ok0 ? 0.0 : 1.0, ok0 ? 0.0 : 1.0)) {
        res.infeasible = true;
        break;
      }
      continue;
    }
    // Bounds both probes imply hold globally.
    for (size_t q = 0; q < probe[0].size(); ++q) seen[static_cast<size_t>(probe[0][q].col)] = static_cast<int32_t>(q);
    std::vector<Saved> both;
    for (const Saved &s1 : probe[1]) {
      const int32_t q = seen[static_cast<size_t>(s1.col)];
      if (q < 0) continue;
      const Saved &s0 = probe[0][static_cast<size_t>(q)];
      const size_t c = static_cast<size_t>(s1.col);
      const double l = std::min(s0.lo, s1.lo), u = std::max(s0.up, s1.up);
      if ((l > lo_[c] && significant(s1.col, lo_[c], l)) || (u < up_[c] && significant(s1.col, up_[c], u)))
        both.push_back({s1.col, l, u});
    }
    for (const Saved &s0 : probe[0]) seen[static_cast<size_t>(s0.col)] = -1;
    // Implications, against the global bounds before this binary's
    // global consequences (a weaker `other` keeps the cut valid).
    for (int v = 0; v < 2 && res.implications.size() < max_impl; ++v) {
      for (const Saved &s : probe[v]) {
        const size_t c = static_cast<size_t>(s.col);
        if (s.up < up_[c]) res.implications.push_back({y, s.col, s.up, up_[c], static_cast<int8_t>(v), 1});
        if (s.lo > lo_[c]) res.implications.push_back({y, s.col, s.lo, lo_[c], static_cast<int8_t>(v), 0});
      }
    }
    if (!both.empty()) reward();
    bool ok = true;
    for (size_t q = 0; q < both.size() && ok; ++q) {
      const size_t c = static_cast<size_t>(both[q].col);
      const double l = std::max(both[q].lo, lo_[c]), u = std::min(both[q].up, up_[c]);
      if (l > u) {
        ok = false;
        break;
      }
      ok = commit(both[q].col, l, u);
    }
    if (!ok) {
      res.infeasible = true;
      break;
    }
  }
  res.lo = lo_;
  res.up = up_;
  for (int32_t j = 0; j < n; ++j)
    if (lo_[static_cast<size_t>(j)] != lo[static_cast<size_t>(j)] || up_[static_cast<size_t>(j)] != up[static_cast<size_t>(j)])
      res.changed.push_back(j);
  return res;
}

}  // namespace tvl::mip
