#include "mip/presolve/gcd_rows.h"

#include <cmath>
#include <numeric>

#include "frame/infinity.h"
#include "mip/row_view.h"
#include "presolve/presolve_msg.h"
#include "runtime/workcount.h"

namespace tvl::mip {

namespace {

constexpr int64_t kMaxDenominator = 1000;
constexpr double kMaxScale = 1e6;
constexpr double kMaxInteger = 1e12;
constexpr double kRelTol = 1e-9;
// A coefficient counts as the fraction p/q only this close to it
// (relative): 0.333333333 is not 1/3, since on large integer values the
// difference would move the activity off the grid by more than the
// feasibility tolerance.
constexpr double kFractionTol = 1e-12;

// Denominator q <= kMaxDenominator of a fraction p/q equal to v within
// kFractionTol, by the continued fraction of v; 0 when there is none.
int64_t denominator(double v) {
  v = std::fabs(v);
  const double tol = kFractionTol * std::max(1.0, v);
  double x = v;
  int64_t p0 = 1, q0 = 0, p1 = static_cast<int64_t>(std::floor(x)), q1 = 1;
  for (int step = 0; step < 64; ++step) {
    if (std::fabs(v - static_cast<double>(p1) / static_cast<double>(q1)) <= tol) return q1;
    const double frac = x - std::floor(x);
    if (frac < 1e-15) return 0;
    x = 1.0 / frac;
    const int64_t a = static_cast<int64_t>(std::floor(x));
    const int64_t p2 = a * p1 + p0, q2 = a * q1 + q0;
    if (q2 > kMaxDenominator || q2 <= 0) return 0;
    p0 = p1, q0 = q1, p1 = p2, q1 = q2;
  }
  return 0;
}

// The largest multiple of `step` above `origin` that is at most v (or, with
// up == false, the smallest at least v), v within `tol` steps of it counting as on it.
double round_to_grid(double v, double origin, double step, double tol, bool up) {
  const double t = (v - origin) / step;
  const double k = up ? std::floor(t + tol) : std::ceil(t - tol);
  return origin + k * step;
}

// x mod m in [0, m).
int64_t mod(__int128 x, int64_t m) {
  const __int128 r = x % m;
  return static_cast<int64_t>(r < 0 ? r + m : r);
}

// Inverse of a modulo m (gcd(a, m) = 1), by the extended Euclidean algorithm.
int64_t inverse(int64_t a, int64_t m) {
  __int128 r0 = m, r1 = a, t0 = 0, t1 = 1;
  while (r1 != 0) {
    const __int128 q = r0 / r1;
    std::swap(r0, r1);
    r1 -= q * r0;
    std::swap(t0, t1);
    t1 -= q * t0;
  }
  return mod(t0, m);
}

// Rounds the bounds of every integer column of the equality row
// sum k_j x_j = rhs (integer k_j, rhs) to its congruence: with G the gcd of
// the other coefficients, k_j x_j = rhs (mod G), so x_j lies on x0 + M Z with
// M = G / gcd(k_j, G).  9 x + 10 y - 10 z = 0 puts x on 10 Z.  Returns the
// column left without a value, or -1; `moved` counts the bounds changed.
int32_t congruence_bounds(lp::LpModel &m, const RowView &rows, int32_t i, const std::vector<int64_t> &k, int64_t rhs,
                          int &moved) {
  const size_t len = k.size();
  std::vector<int64_t> suffix(len + 1, 0);
  for (size_t p = len; p-- > 0;) suffix[p] = std::gcd(suffix[p + 1], k[p]);
  int64_t prefix = 0;
  for (size_t p = 0; p < len; prefix = std::gcd(prefix, k[p]), ++p) {
    const int64_t g_other = std::gcd(prefix, suffix[p + 1]);
    if (g_other <= 1) continue;
    const int64_t d = std::gcd(std::abs(k[p]), g_other), modulus = g_other / d;
    if (modulus <= 1 || rhs % d != 0) continue;
    const int64_t x0 = mod(static_cast<__int128>(mod(rhs / d, modulus)) * inverse(mod(k[p] / d, modulus), modulus), modulus);
    const size_t j = static_cast<size_t>(rows.col[static_cast<size_t>(rows.begin(i)) + p]);
    double &lo = m.collo[j], &up = m.colup[j];
    const bool has_lo = std::fabs(lo) < kMaxInteger, has_up = std::fabs(up) < kMaxInteger;
    if (has_lo) {
      const int64_t l = static_cast<int64_t>(std::ceil(lo - 1e-9));
      const double nl = static_cast<double>(l + mod(static_cast<__int128>(x0) - l, modulus));
      if (nl > lo) lo = nl, ++moved;
    }
    if (has_up) {
      const int64_t u = static_cast<int64_t>(std::floor(up + 1e-9));
      const double nu = static_cast<double>(u - mod(static_cast<__int128>(u) - x0, modulus));
      if (nu < up) up = nu, ++moved;
    }
    if (lo > up) return static_cast<int32_t>(j);
  }
  return -1;
}

}  // namespace

bool integer_grid(const std::vector<double> &values, double &scale, int64_t &gcd) {
  int64_t s = 1;
  for (double v : values) {
    const int64_t q = denominator(v);
    if (q == 0) return false;
    s = std::lcm(s, q);
    if (static_cast<double>(s) > kMaxScale) return false;
  }
  int64_t g = 0;
  for (double v : values) {
    const double k = std::round(std::fabs(v) * static_cast<double>(s));
    if (k > kMaxInteger || k < 1.0) return false;
    g = std::gcd(g, static_cast<int64_t>(k));
  }
  scale = static_cast<double>(s);
  gcd = g;
  return g > 0;
}

namespace {

// Row i as the grid sees it: the coefficients of its integer columns (in
// row order) and at most one continuous column that is in no other row.
struct GridRow {
  std::vector<double> coef;
  int32_t cont = -1;
  double cont_coef = 0.0;
};

// False when the row has another continuous column.
bool read_grid_row(const MipModel &model, const RowView &rows, int32_t i, GridRow &row) {
  const lp::CscMatrix &a = model.lp.a;
  row.coef.clear();
  row.cont = -1;
  for (int32_t p = rows.begin(i); p < rows.end(i); ++p) {
    const size_t j = static_cast<size_t>(rows.col[static_cast<size_t>(p)]);
    const double v = rows.val[static_cast<size_t>(p)];
    if (model.integer[j]) {
      row.coef.push_back(v);
    } else if (row.cont < 0 && a.start[j + 1] - a.start[j] == 1) {
      row.cont = static_cast<int32_t>(j);
      row.cont_coef = v;
    } else {
      return false;
    }
  }
  return !row.coef.empty();
}

// The range that rounds to the grid: the row's sides, or, with a
// continuous column c, the range of a_c x_c (which lies on rhs + grid).
void grid_range(const lp::LpModel &m, int32_t i, const GridRow &row, double &lo, double &up, double &origin) {
  const size_t r = static_cast<size_t>(i);
  origin = 0.0;
  if (row.cont < 0) {
    lo = m.rowlo[r];
    up = m.rowup[r];
    return;
  }
  origin = m.rowlo[r];
  const size_t c = static_cast<size_t>(row.cont);
  const double a = row.cont_coef;
  const double from = a > 0 ? m.collo[c] : m.colup[c], to = a > 0 ? m.colup[c] : m.collo[c];
  lo = std::fabs(from) < kInfBound ? a * from : -kInfBound;
  up = std::fabs(to) < kInfBound ? a * to : kInfBound;
}

// Writes the rounded range back: the row's sides, or x_c's bounds.
void set_grid_range(lp::LpModel &m, int32_t i, const GridRow &row, bool has_lo, bool has_up, double lo, double up) {
  if (row.cont < 0) {
    m.rowlo[static_cast<size_t>(i)] = lo;
    m.rowup[static_cast<size_t>(i)] = up;
    return;
  }
  const size_t c = static_cast<size_t>(row.cont);
  const double a = row.cont_coef;
  double &from = a > 0 ? m.collo[c] : m.colup[c], &to = a > 0 ? m.colup[c] : m.collo[c];
  if (has_lo) from = lo / a;
  if (has_up) to = up / a;
}

}  // namespace

ReductionOutcome GcdRowTightening::apply(MipModel &model) {
  ReductionOutcome out;
  lp::LpModel &m = model.lp;
  if (model.intcols.empty() || m.a.m == 0) return out;
  RowView rows;
  rows.build(m.a);
  work_add(static_cast<uint64_t>(2 * rows.col.size()));
  GridRow row;
  std::vector<int64_t> kint;
  for (int32_t i = 0; i < m.a.m; ++i) {
    if (!read_grid_row(model, rows, i, row)) continue;
    const bool equality = m.rowlo[static_cast<size_t>(i)] == m.rowup[static_cast<size_t>(i)];
    if (row.cont >= 0 && !equality) continue;
    double scale = 1.0;
    int64_t g = 0;
    if (!integer_grid(row.coef, scale, g)) continue;
    const double step = static_cast<double>(g) / scale;  // the activity's grid
    const double tol = feastol_ / step;
    double lo, up, origin;
    grid_range(m, i, row, lo, up, origin);
    const bool has_lo = lo > -kInfBound, has_up = up < kInfBound;
    const double nlo = has_lo ? round_to_grid(lo, origin, step, tol, false) : lo;
    const double nup = has_up ? round_to_grid(up, origin, step, tol, true) : up;
    if (has_lo && has_up && nlo > nup + 0.5 * step) {
      say("Row '" + row_name(i) + "' has no integer solution: its coefficients' divisor rules out every value in its range.\n");
      out.status = 1117;
      return out;
    }
    const double r = m.rowlo[static_cast<size_t>(i)] * scale;
    if (row.cont < 0 && equality && std::fabs(r) < kMaxInteger && std::fabs(r - std::round(r)) <= feastol_ * scale) {
      kint.clear();
      for (double a : row.coef) kint.push_back(static_cast<int64_t>(std::llround(a * scale)));
      int moved = 0;
      const int32_t j = congruence_bounds(m, rows, i, kint, static_cast<int64_t>(std::llround(r)), moved);
      if (j >= 0) {
        say(lp::pre::msg_integer_infeasible_col(col_name(j)));
        out.status = 1117;
        return out;
      }
      tightened_ += moved;
      out.changed |= moved > 0;
    }
    const bool moved = (has_lo && nlo > lo + kRelTol * std::max(1.0, std::fabs(lo))) ||
                       (has_up && nup < up - kRelTol * std::max(1.0, std::fabs(up)));
    if (!moved) continue;
    set_grid_range(m, i, row, has_lo, has_up, nlo, nup);
    ++tightened_;
    out.changed = true;
  }
  return out;
}

}  // namespace tvl::mip
