#include "conflict/filter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "conflict/unique_certificate.h"
#include "frame/error.h"
#include "frame/infinity.h"

namespace tvl::conflict {

namespace {

// Number of blocks the deletion filter starts with.
constexpr size_t kFirstBlocks = 8;
// Rounds of certificate reduction in a row.
constexpr int kCertificateRounds = 4;
// Points of feasible tests kept for later tests.
constexpr size_t kKeptPoints = 32;
// Slack a kept point may have on a member's bound (relative to the bound).
constexpr double kPointTol = 1e-6;
// How far from an integer an integer column's bound may lie and still count as it.
constexpr double kIntegralTol = 1e-9;

}  // namespace

Filter::Filter(const WorkModel &w, Tester &t, std::vector<Mark> marks, const FilterLog &log)
    : w_(w), t_(t), marks_(std::move(marks)), lo_(w.tight_lo), up_(w.tight_up), log_(log) {
  for (size_t k = 0; k < w_.items.size(); ++k)
    if (marks_[k] == Mark::Out) relax(k, true);
}

void Filter::relax(size_t item, bool relaxed) {
  const Item &it = w_.items[item];
  const int32_t var = w_.var_of(it);
  const size_t k = static_cast<size_t>(var);
  if (it.kind != Item::Upper) lo_[k] = bound_lo(w_, var, relaxed);
  if (it.kind != Item::Lower) up_[k] = bound_up(w_, var, relaxed);
  t_.set_bounds(var, lo_[k], up_[k]);
}

Verdict Filter::check() { return t_.solve(Tester::Scope::Whole); }

std::vector<size_t> Filter::drop_unused() {
  std::vector<size_t> dropped;
  if (t_.ray().empty()) return dropped;
  std::vector<char> uses_lo, uses_up;
  ray_sides(w_, t_.ray(), uses_lo, uses_up);
  for (size_t k = 0; k < w_.items.size(); ++k) {
    // A proved member is in every infeasible subset: it stays.
    if (marks_[k] != Mark::In) continue;
    const Item &it = w_.items[k];
    const size_t v = static_cast<size_t>(w_.var_of(it));
    const bool used = it.kind == Item::Row ? (uses_lo[v] || uses_up[v]) : it.kind == Item::Lower ? uses_lo[v] != 0
                                                                                                   : uses_up[v] != 0;
    if (used) continue;
    marks_[k] = Mark::Out;
    relax(k, true);
    dropped.push_back(k);
  }
  return dropped;
}

Verdict Filter::shrink_by_certificate() {
  for (int round = 0; round < kCertificateRounds; ++round) {
    std::vector<size_t> dropped = drop_unused();
    if (dropped.empty()) return Verdict::Infeasible;
    const Verdict v = t_.solve(Tester::Scope::Block);
    if (v == Verdict::Infeasible) continue;
    // The smaller set is not (shown) infeasible: back to the last one that was.
    for (size_t k : dropped) {
      marks_[k] = Mark::In;
      relax(k, false);
    }
    return v == Verdict::Stopped ? Verdict::Stopped : Verdict::Infeasible;
  }
  return Verdict::Infeasible;
}

Verdict Filter::certificate_phase() {
  const Verdict v = shrink_by_certificate();
  progress("after the certificate");
  if (v != Verdict::Stopped && prove_by_uniqueness()) progress("after the uniqueness proof");
  return v;
}

bool Filter::prove_by_uniqueness() {
  if (!t_.continuous() || t_.ray().empty()) return false;
  std::vector<char> member(marks_.size(), 0);
  bool open = false;
  for (size_t k = 0; k < marks_.size(); ++k) {
    member[k] = !excluded(marks_[k]);
    open |= marks_[k] == Mark::In;
  }
  bool robust = false;
  if (!open || !certificate_is_unique(w_, member, t_.ray(), &robust)) return false;
  for (Mark &m : marks_)
    if (m == Mark::In) m = Mark::Proved;
  certified_ = robust;
  return true;
}

Verdict Filter::deletion(Scope scope) {
  std::vector<size_t> order;
  for (size_t k = 0; k < w_.items.size(); ++k) {
    const bool row = w_.items[k].kind == Item::Row;
    if (marks_[k] == Mark::In && (scope == Scope::All || row == (scope == Scope::Rows))) order.push_back(k);
  }
  // Blocks are ranges of `order`, processed front to back; a block that
  // cannot go is halved and its halves processed next.
  std::vector<std::pair<size_t, size_t>> stack;
  const size_t size = std::max<size_t>(1, (order.size() + kFirstBlocks - 1) / kFirstBlocks);
  for (size_t end = order.size(); end > 0;) {
    const size_t begin = end > size ? end - size : 0;
    stack.emplace_back(begin, end);
    end = begin;
  }
  if (filter_blocks(order, stack, Tester::Scope::Single) == Verdict::Stopped) return Verdict::Stopped;
  // Candidates whose own test was undecided: once more each, with the
  // larger budget, now that every other candidate has been settled.
  for (size_t p = order.size(); p-- > 0;)
    if (marks_[order[p]] == Mark::In) stack.emplace_back(p, p + 1);
  if (filter_blocks(order, stack, Tester::Scope::Retry) == Verdict::Stopped) return Verdict::Stopped;
  progress("after filtering");
  return Verdict::Infeasible;
}

Verdict Filter::filter_blocks(const std::vector<size_t> &order, std::vector<std::pair<size_t, size_t>> &stack,
                              Tester::Scope single) {
  int64_t since_log = 0;
  while (!stack.empty()) {
    const auto [begin, end] = stack.back();
    stack.pop_back();
    std::vector<size_t> block;
    for (size_t p = begin; p < end; ++p)
      if (marks_[order[p]] == Mark::In) block.push_back(order[p]);
    if (block.empty()) continue;
    Verdict v = Verdict::Feasible;
    const bool region = block.size() == 1 && t_.tests_regions();
    if (known_feasible(block)) {
      ++tests_saved_;
    } else if (region) {
      v = test_beyond(block[0], single);
    } else {
      for (size_t k : block) relax(k, true);
      v = t_.solve(block.size() == 1 ? single : Tester::Scope::Block);
      if (v == Verdict::Feasible) keep_point();
    }
    if (v == Verdict::Infeasible) {
      for (size_t k : block) {
        marks_[k] = Mark::Out;
        if (region) relax(k, true);
      }
      if (!region && shrink_by_certificate() == Verdict::Stopped) return Verdict::Stopped;
      if (!region && prove_by_uniqueness()) progress("after the uniqueness proof");
    } else {
      for (size_t k : block) relax(k, false);
      if (v == Verdict::Stopped) return Verdict::Stopped;
      if (block.size() == 1) {
        // Unsure: the candidate stays a possible member.
        if (v == Verdict::Feasible) marks_[block[0]] = Mark::Proved;
      } else {
        // Halves of the live block: the positions of its middle member.
        size_t mid = begin;
        for (size_t p = begin, seen = 0; p < end; ++p)
          if (marks_[order[p]] == Mark::In && ++seen == block.size() / 2 + 1) {
            mid = p;
            break;
          }
        stack.emplace_back(mid, end);
        stack.emplace_back(begin, mid);
      }
    }
    if (log_.display >= 2 && ++since_log >= 10) {
      since_log = 0;
      progress("filtering");
    }
  }
  return Verdict::Infeasible;
}

Verdict Filter::test_beyond(size_t item, Tester::Scope scope) {
  const Item &it = w_.items[item];
  const int32_t var = w_.var_of(it);
  const size_t k = static_cast<size_t>(var);
  const double step = t_.integer(var) ? 1.0 : 0.0;
  // The regions as [lo, up] pairs: above the upper side, below the lower one.
  std::pair<double, double> regions[2];
  int count = 0;
  if (it.kind != Item::Lower && w_.tight_up[k] < kInfBound) {
    const double beyond = step > 0.0 ? std::floor(w_.tight_up[k] + kIntegralTol) + step : w_.tight_up[k];
    regions[count++] = {beyond, w_.base_up[k]};
  }
  if (it.kind != Item::Upper && w_.tight_lo[k] > -kInfBound) {
    const double beyond = step > 0.0 ? std::ceil(w_.tight_lo[k] - kIntegralTol) - step : w_.tight_lo[k];
    regions[count++] = {w_.base_lo[k], beyond};
  }
  Verdict v = Verdict::Infeasible;
  for (int r = 0; r < count && v != Verdict::Feasible && v != Verdict::Stopped; ++r) {
    // An empty region (a MIP start's value on the model's own bound) holds no point.
    if (regions[r].first > regions[r].second) continue;
    t_.set_bounds(var, regions[r].first, regions[r].second);
    const Verdict rv = t_.solve(scope);
    if (rv == Verdict::Feasible) keep_point();
    // Undecided on one side: the other may still show a point.
    if (rv != Verdict::Infeasible) v = rv;
  }
  t_.set_bounds(var, lo_[k], up_[k]);
  return v;
}

void Filter::keep_point() {
  if (t_.point().empty()) return;
  if (points_.size() == kKeptPoints) points_.erase(points_.begin());
  points_.push_back(t_.point());
}

bool Filter::known_feasible(const std::vector<size_t> &block) {
  if (points_.empty()) return false;
  auto inside = [](double v, double lo, double up) {
    return v >= lo - kPointTol * std::max(1.0, std::fabs(lo)) && v <= up + kPointTol * std::max(1.0, std::fabs(up));
  };
  in_block_.resize(w_.items.size(), 0);
  for (size_t k : block) in_block_[k] = 1;
  bool found = false;
  for (size_t p = 0; p < points_.size() && !found; ++p) {
    const std::vector<double> &x = points_[p];
    bool ok = true;
    for (size_t k = 0; k < w_.items.size() && ok; ++k) {
      if (excluded(marks_[k]) || in_block_[k]) continue;
      const Item &it = w_.items[k];
      const size_t v = static_cast<size_t>(w_.var_of(it));
      const double lo = it.kind == Item::Upper ? -kInfBound : w_.tight_lo[v];
      const double up = it.kind == Item::Lower ? kInfBound : w_.tight_up[v];
      ok = inside(x[v], lo, up);
    }
    found = ok;
  }
  for (size_t k : block) in_block_[k] = 0;
  return found;
}

int Filter::drop_unlocked_bounds() {
  const lp::CscMatrix &a = w_.lp.a;
  auto finite = [](double v) { return v > -kInfBound && v < kInfBound; };
  int dropped = 0;
  for (size_t k = 0; k < w_.items.size(); ++k) {
    const Item &it = w_.items[k];
    if (marks_[k] != Mark::In || it.kind == Item::Row) continue;
    // Whether some row of the set limits a rise / a fall of the column.
    bool rise = false, fall = false;
    for (int32_t p = a.start[it.index]; p < a.start[it.index + 1]; ++p) {
      const int32_t i = a.index[p];
      // A row of the model is limited by its slack's current bounds; a row
      // added for the test (i >= nrows) by its own.
      bool has_lo, has_up;
      if (i < w_.nrows) {
        const size_t s = static_cast<size_t>(w_.slack(i));
        has_lo = finite(lo_[s]);
        has_up = finite(up_[s]);
      } else {
        has_lo = finite(w_.lp.rowlo[static_cast<size_t>(i)]);
        has_up = finite(w_.lp.rowup[static_cast<size_t>(i)]);
      }
      const bool positive = a.value[p] > 0.0;
      rise |= positive ? has_up : has_lo;
      fall |= positive ? has_lo : has_up;
    }
    if (it.kind == Item::Upper ? fall : rise) continue;
    marks_[k] = Mark::Unlocked;
    ++dropped;
  }
  if (dropped > 0) progress("after unlocked bounds");
  return dropped;
}

bool Filter::all_proved() const {
  for (Mark m : marks_)
    if (m == Mark::In) return false;
  return true;
}

void Filter::count(int64_t &rows, int64_t &bounds, int64_t &proved) const {
  rows = bounds = proved = 0;
  for (size_t k = 0; k < marks_.size(); ++k) {
    if (excluded(marks_[k])) continue;
    (w_.items[k].kind == Item::Row ? rows : bounds) += 1;
    proved += marks_[k] == Mark::Proved;
  }
}

void Filter::progress(const char *what) {
  if (log_.display < 1) return;
  int64_t rows, bounds, proved;
  count(rows, bounds, proved);
  msg_results(log_.env, "%s %s: %lld rows, %lld bounds left, %lld proved (%lld tests, %lld spared by kept points, %lld iterations).\n",
              log_.phase, what, static_cast<long long>(rows), static_cast<long long>(bounds),
              static_cast<long long>(proved), static_cast<long long>(t_.tests()),
              static_cast<long long>(tests_saved_), static_cast<long long>(t_.iterations()));
}

}  // namespace tvl::conflict
