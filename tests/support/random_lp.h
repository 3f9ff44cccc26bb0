// Random linear programs for cross-checking the LP optimizers against each
// other.  Each instance is built around a point x0 inside the column
// bounds, with row right-hand sides set from A x0 so that it is feasible,
// and then seasoned with the structures presolve reduces: duplicate and
// scaled rows and columns, singleton and empty rows, empty and fixed
// columns, doubleton equations, free column singletons, ranged rows.  Some
// instances get a conflicting copy of a row (infeasible).  Most objectives
// are built as c = A'y + d from row duals y and reduced costs d of the
// signs the row relations and column bounds allow, which makes the dual
// feasible and so the LP bounded (dual_feasible is set); the others are
// random and may leave the LP unbounded, or both primal and dual
// infeasible.  The generator uses only the raw output of a
// 64-bit Mersenne twister, so an instance depends on its seed alone.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "tavlo.h"

namespace tvltest {

struct RandomLp {
  int n = 0, m = 0, objsense = TVL_MIN;
  bool dual_feasible = false;  // bounded unless infeasible
  std::vector<double> obj, lb, ub, rhs, rngval;
  std::vector<char> sense;
  std::vector<int> beg, cnt, ind;
  std::vector<double> val;

  int copy_to(TVLENVptr env, TVLLPptr lp) const {
    return TVLcopylp(env, lp, n, m, objsense, obj.data(), rhs.data(), sense.data(), beg.data(), cnt.data(),
                     ind.data(), val.data(), lb.data(), ub.data(), rngval.data());
  }
};

class RandomLpMaker {
 public:
  explicit RandomLpMaker(uint64_t seed) : rng_(seed) {}

  // An instance with about m rows and n columns (before the added
  // structures); with `wide` a third of the instances have coefficients
  // spread over six decades.
  RandomLp make(int m, int n, bool wide = false) {
    start(m, n, wide);
    fill_columns();
    add_structures();
    set_rows();
    if (below(100) < 15) add_conflict();
    set_objective();
    return finish();
  }

 private:

  uint64_t next() { return rng_(); }
  int below(int k) { return static_cast<int>(next() % static_cast<uint64_t>(k)); }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double uniform(double a, double b) { return a + (b - a) * unit(); }
  // Small integers or reals of both signs, never zero.
  double coefficient() {
    if (wide_) {  // magnitudes over six decades, as in badly scaled models
      const double v = std::pow(10.0, uniform(-3.0, 3.0));
      return below(2) ? v : -v;
    }
    if (integral_) {
      const int v = 1 + below(6);
      return below(2) ? v : -v;
    }
    const double v = std::exp(uniform(std::log(0.1), std::log(20.0)));
    return below(2) ? v : -v;
  }

  void start(int m, int n, bool wide) {
    m_ = m;
    n_ = n;
    integral_ = below(2) == 0;
    wide_ = wide && !integral_ && below(3) == 0;
    entries_.clear();
    lb_.assign(n, 0.0);
    ub_.assign(n, TVL_INFBOUND);
    x0_.assign(n, 0.0);
    for (int j = 0; j < n; ++j) set_bounds(j);
  }

  // Bound types: [0, inf), [l, u], (-inf, u], free, fixed, [l, inf).
  void set_bounds(int j) {
    const int kind = below(10);
    const double l = std::round(uniform(-5.0, 5.0)), w = 1.0 + below(8);
    if (kind < 4) { lb_[j] = 0.0; ub_[j] = TVL_INFBOUND; }
    else if (kind < 6) { lb_[j] = l; ub_[j] = l + w; }
    else if (kind < 7) { lb_[j] = -TVL_INFBOUND; ub_[j] = l; }
    else if (kind < 8) { lb_[j] = -TVL_INFBOUND; ub_[j] = TVL_INFBOUND; }
    else if (kind < 9) { lb_[j] = ub_[j] = l; }
    else { lb_[j] = l; ub_[j] = TVL_INFBOUND; }
    const double lo = lb_[j] > -TVL_INFBOUND ? lb_[j] : (ub_[j] < TVL_INFBOUND ? ub_[j] - 10.0 : -10.0);
    const double up = ub_[j] < TVL_INFBOUND ? ub_[j] : lo + 10.0;
    // Often at a bound, which makes the instance degenerate.
    const int at = below(3);
    x0_[j] = at == 0 ? lo : at == 1 ? up : std::round(uniform(lo, up) * 4.0) / 4.0;
  }

  void fill_columns() {
    for (int j = 0; j < n_; ++j) {
      const int k = 1 + below(std::min(4, m_));
      for (int t = 0; t < k; ++t) entries_[{below(m_), j}] = coefficient();
    }
  }

  std::vector<std::pair<int, double>> row_entries(int i) const {
    std::vector<std::pair<int, double>> out;
    for (const auto &[key, v] : entries_)
      if (key.first == i) out.push_back({key.second, v});
    return out;
  }
  std::vector<std::pair<int, double>> column_entries(int j) const {
    std::vector<std::pair<int, double>> out;
    for (const auto &[key, v] : entries_)
      if (key.second == j) out.push_back({key.first, v});
    return out;
  }
  int add_column(double lo, double up, double x0) {
    lb_.push_back(lo);
    ub_.push_back(up);
    x0_.push_back(x0);
    return n_++;
  }

  void add_structures() {
    const int count = 1 + below(std::max(1, m_ / 3));
    for (int t = 0; t < count; ++t) {
      switch (below(7)) {
        case 0: {  // scaled copy of a row
          const double f = below(2) ? 2.0 : -0.5;
          const int src = below(m_), dst = m_++;
          for (const auto &[j, v] : row_entries(src)) entries_[{dst, j}] = f * v;
          break;
        }
        case 1: {  // scaled copy of a column with its own bounds
          const int src = below(n_);
          const int dst = add_column(0.0, below(2) ? TVL_INFBOUND : 4.0, 0.0);
          for (const auto &[i, v] : column_entries(src)) entries_[{i, dst}] = 2.0 * v;
          break;
        }
        case 2:  // singleton row
          entries_[{m_++, below(n_)}] = coefficient();
          break;
        case 3:  // empty row
          ++m_;
          break;
        case 4:  // empty column, bounded on both sides
          add_column(-1.0, 2.0, 0.0);
          break;
        case 5: {  // doubleton equation
          const int a = below(n_), b = below(n_);
          if (a == b) break;
          entries_[{m_, a}] = coefficient();
          entries_[{m_, b}] = coefficient();
          equality_rows_.push_back(m_++);
          break;
        }
        default: {  // free column singleton in an existing row
          const int j = add_column(-TVL_INFBOUND, TVL_INFBOUND, std::round(uniform(-3.0, 3.0)));
          entries_[{below(m_), j}] = coefficient();
          break;
        }
      }
    }
  }

  void set_rows() {
    activity_.assign(m_, 0.0);
    for (const auto &[key, v] : entries_) activity_[key.first] += v * x0_[key.second];
    rhs_.assign(m_, 0.0);
    rng_val_.assign(m_, 0.0);
    sense_.assign(m_, 'E');
    for (int i = 0; i < m_; ++i) {
      const double slack = below(3) == 0 ? 0.0 : std::round(uniform(0.0, 5.0));
      const bool eq = std::find(equality_rows_.begin(), equality_rows_.end(), i) != equality_rows_.end();
      const int kind = eq ? 2 : below(20);
      if (kind < 7) { sense_[i] = 'L'; rhs_[i] = activity_[i] + slack; }
      else if (kind < 12) { sense_[i] = 'G'; rhs_[i] = activity_[i] - slack; }
      else if (kind < 17) { sense_[i] = 'E'; rhs_[i] = activity_[i]; }
      else { sense_[i] = 'R'; rhs_[i] = activity_[i] - slack; rng_val_[i] = slack + 1.0 + below(3); }
    }
    equality_rows_.clear();
  }

  // A row whose relation cannot hold together with an existing one.
  void add_conflict() {
    const int src = below(m_);
    const auto row = row_entries(src);
    if (row.empty()) return;
    const int dst = m_++;
    for (const auto &[j, v] : row) entries_[{dst, j}] = v;
    double lo = -TVL_INFBOUND, up = TVL_INFBOUND;
    if (sense_[src] == 'L') up = rhs_[src];
    else if (sense_[src] == 'G') lo = rhs_[src];
    else if (sense_[src] == 'E') lo = up = rhs_[src];
    else { lo = rhs_[src]; up = rhs_[src] + rng_val_[src]; }
    if (up < TVL_INFBOUND) { sense_.push_back('G'); rhs_.push_back(up + 1.0); }
    else { sense_.push_back('L'); rhs_.push_back(lo - 1.0); }
    rng_val_.push_back(0.0);
  }

  // A third of the instances maximise.
  void set_objective() {
    objsense_ = below(3) == 0 ? TVL_MAX : TVL_MIN;
    obj_.assign(n_, 0.0);
    dual_feasible_ = below(4) != 0;
    if (!dual_feasible_) {
      for (int j = 0; j < n_; ++j)
        if (below(4) != 0) obj_[j] = integral_ ? static_cast<double>(below(11) - 5) : uniform(-10.0, 10.0);
      return;
    }
    // Minimisation form: y <= 0 on less-equal rows, y >= 0 on greater-equal
    // rows, any sign on equations and ranges; d >= 0 needs a finite lower
    // bound, d <= 0 a finite upper bound.
    std::vector<double> y(m_, 0.0);
    for (int i = 0; i < m_; ++i) {
      if (below(3) == 0) continue;
      const double v = integral_ ? static_cast<double>(1 + below(4)) : uniform(0.1, 5.0);
      y[i] = sense_[i] == 'L' ? -v : sense_[i] == 'G' ? v : below(2) ? v : -v;
    }
    for (const auto &[key, v] : entries_) obj_[key.second] += v * y[key.first];
    for (int j = 0; j < n_; ++j) {
      if (below(2) == 0) continue;
      const double d = integral_ ? static_cast<double>(1 + below(3)) : uniform(0.1, 3.0);
      const bool flo = lb_[j] > -TVL_INFBOUND, fup = ub_[j] < TVL_INFBOUND;
      if (flo && (!fup || below(2))) obj_[j] += d;
      else if (fup) obj_[j] -= d;
    }
    if (objsense_ == TVL_MAX)
      for (double &c : obj_) c = -c;
  }

  RandomLp finish() {
    RandomLp lp;
    lp.n = n_;
    lp.m = m_;
    lp.objsense = objsense_;
    lp.dual_feasible = dual_feasible_;
    lp.obj = obj_;
    lp.lb = lb_;
    lp.ub = ub_;
    lp.rhs = rhs_;
    lp.sense = sense_;
    lp.rngval = rng_val_;
    lp.beg.assign(n_, 0);
    lp.cnt.assign(n_, 0);
    std::vector<std::vector<std::pair<int, double>>> cols(n_);
    for (const auto &[key, v] : entries_) cols[key.second].push_back({key.first, v});
    for (int j = 0; j < n_; ++j) {
      lp.beg[j] = static_cast<int>(lp.ind.size());
      lp.cnt[j] = static_cast<int>(cols[j].size());
      for (const auto &[i, v] : cols[j]) {
        lp.ind.push_back(i);
        lp.val.push_back(v);
      }
    }
    if (lp.ind.empty()) {  // TVLcopylp wants non-null arrays
      lp.ind.push_back(0);
      lp.val.push_back(0.0);
    }
    return lp;
  }

  std::mt19937_64 rng_;
  int m_ = 0, n_ = 0, objsense_ = TVL_MIN;
  bool integral_ = false, wide_ = false, dual_feasible_ = false;
  std::map<std::pair<int, int>, double> entries_;  // (row, column) -> value
  std::vector<double> lb_, ub_, x0_, activity_, rhs_, rng_val_, obj_;
  std::vector<char> sense_;
  std::vector<int> equality_rows_;
};

}  // namespace tvltest
