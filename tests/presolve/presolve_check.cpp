#include "presolve_check.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace tvl::lp::testing {

namespace {

using Dense = std::vector<std::vector<double>>;

// Column k of [A | -I] as a dense vector.
std::vector<double> column(const LpModel &lp, int k) {
  std::vector<double> c(lp.a.m, 0.0);
  if (k < lp.a.n) {
    for (int p = lp.a.start[k]; p < lp.a.start[k + 1]; ++p) c[lp.a.index[p]] = lp.a.value[p];
  } else {
    c[k - lp.a.n] = -1.0;
  }
  return c;
}

// Solves M y = rhs (M square, row-major) in place; false when singular.
bool solve(Dense M, std::vector<double> &rhs) {
  const int m = static_cast<int>(M.size());
  for (int c = 0; c < m; ++c) {
    int piv = c;
    for (int r = c + 1; r < m; ++r) if (std::fabs(M[r][c]) > std::fabs(M[piv][c])) piv = r;
    if (std::fabs(M[piv][c]) < 1e-9) return false;
    std::swap(M[piv], M[c]);
    std::swap(rhs[piv], rhs[c]);
    for (int r = c + 1; r < m; ++r) {
      const double f = M[r][c] / M[c][c];
      if (f == 0.0) continue;
      for (int k = c; k < m; ++k) M[r][k] -= f * M[c][k];
      rhs[r] -= f * rhs[c];
    }
  }
  for (int c = m - 1; c >= 0; --c) {
    for (int k = c + 1; k < m; ++k) rhs[c] -= M[c][k] * rhs[k];
    rhs[c] /= M[c][c];
  }
  return true;
}

double lo_of(const LpModel &lp, int k) { return k < lp.a.n ? lp.collo[k] : lp.rowlo[k - lp.a.n]; }
double up_of(const LpModel &lp, int k) { return k < lp.a.n ? lp.colup[k] : lp.rowup[k - lp.a.n]; }
bool fin(double v) { return std::fabs(v) < kInfBound; }

// Tries basis `basic` (size m); fills r on success.
bool try_basis(const LpModel &lp, const std::vector<int> &basic, LpResult &r) {
  const int m = lp.a.m, n = lp.a.n, N = n + m;
  std::vector<std::vector<double>> cols(N);
  for (int k = 0; k < N; ++k) cols[k] = column(lp, k);
  Dense MT(m, std::vector<double>(m));  // transpose of the basis matrix
  Dense M(m, std::vector<double>(m));
  for (int p = 0; p < m; ++p)
    for (int i = 0; i < m; ++i) { M[i][p] = cols[basic[p]][i]; MT[p][i] = cols[basic[p]][i]; }
  std::vector<double> pi(m);
  for (int p = 0; p < m; ++p) pi[p] = basic[p] < n ? lp.cost[basic[p]] : 0.0;
  if (m > 0 && !solve(MT, pi)) return false;
  std::vector<char> isbasic(N, 0);
  for (int k : basic) isbasic[k] = 1;
  std::vector<double> d(N), val(N, 0.0);
  std::vector<int8_t> stat(N, 1);
  std::vector<int> ties;  // nonbasic with zero reduced cost and two finite bounds
  for (int k = 0; k < N; ++k) {
    double dk = k < n ? lp.cost[k] : 0.0;
    for (int i = 0; i < m; ++i) dk -= cols[k][i] * pi[i];
    d[k] = dk;
    if (isbasic[k]) continue;
    const double lo = lo_of(lp, k), up = up_of(lp, k);
    const double tol = 1e-9;
    if (dk > tol) { if (!fin(lo)) return false; val[k] = lo; stat[k] = 0; }
    else if (dk < -tol) { if (!fin(up)) return false; val[k] = up; stat[k] = 2; }
    else if (fin(lo)) { val[k] = lo; stat[k] = 0; if (fin(up) && up != lo) ties.push_back(k); }
    else if (fin(up)) { val[k] = up; stat[k] = 2; }
    else { val[k] = 0.0; stat[k] = 3; }
  }
  if (ties.size() > 10) ties.resize(10);
  bool found = false;
  for (unsigned mask = 0; mask < (1u << ties.size()) && !found; ++mask) {
    for (size_t t = 0; t < ties.size(); ++t) {
      const int k = ties[t];
      const bool upper = (mask >> t) & 1u;
      val[k] = upper ? up_of(lp, k) : lo_of(lp, k);
      stat[k] = upper ? 2 : 0;
    }
    std::vector<double> rhs(m, 0.0);
    for (int k = 0; k < N; ++k)
      if (!isbasic[k]) for (int i = 0; i < m; ++i) rhs[i] -= cols[k][i] * val[k];
    if (m > 0 && !solve(M, rhs)) return false;
    found = true;
    for (int p = 0; p < m; ++p) {
      const int k = basic[p];
      const double v = rhs[p];
      const double lo = lo_of(lp, k), up = up_of(lp, k);
      if ((fin(lo) && v < lo - 1e-9 * (1 + std::fabs(lo))) || (fin(up) && v > up + 1e-9 * (1 + std::fabs(up)))) {
        found = false;
        break;
      }
      val[k] = v;
      d[k] = 0.0;
    }
  }
  if (!found) return false;
  r = LpResult{};
  r.status = LpStatus::Optimal;
  r.x.assign(val.begin(), val.begin() + n);
  r.rowact.assign(val.begin() + n, val.end());
  r.pi = pi;
  r.dj.assign(d.begin(), d.begin() + n);
  r.basis.colstat.assign(stat.begin(), stat.begin() + n);
  r.basis.rowstat.assign(stat.begin() + n, stat.end());
  r.objval = lp.offset;
  for (int j = 0; j < n; ++j) r.objval += lp.cost[j] * r.x[j];
  r.primal_feasible = r.dual_feasible = true;
  return true;
}

bool enumerate(const LpModel &lp, std::vector<int> &basic, int next, LpResult &r) {
  const int m = lp.a.m, N = lp.a.n + m;
  if (static_cast<int>(basic.size()) == m) return try_basis(lp, basic, r);
  for (int k = next; k <= N - (m - static_cast<int>(basic.size())); ++k) {
    basic.push_back(k);
    if (enumerate(lp, basic, k + 1, r)) return true;
    basic.pop_back();
  }
  return false;
}

}  // namespace

LpResult brute_force_solve(const LpModel &lp) {
  LpResult r;
  std::vector<int> basic;
  if (!enumerate(lp, basic, 0, r)) r.status = LpStatus::Unknown;
  return r;
}

bool basis_nonsingular(const LpModel &lp, const Basis &b) {
  const int m = lp.a.m, n = lp.a.n;
  Dense M(m, std::vector<double>(m, 0.0));
  int p = 0;
  for (int k = 0; k < n + m; ++k) {
    const int8_t s = k < n ? b.colstat[k] : b.rowstat[k - n];
    if (s != 1) continue;
    if (p >= m) return false;
    const std::vector<double> c = column(lp, k);
    for (int i = 0; i < m; ++i) M[i][p] = c[i];
    ++p;
  }
  if (p != m) return false;
  std::vector<double> rhs(m, 1.0);
  return m == 0 || solve(M, rhs);
}

std::string check_optimal_basis(const LpModel &lp, const LpResult &r, double tol) {
  const int m = lp.a.m, n = lp.a.n;
  char buf[256];
  if (static_cast<int>(r.x.size()) != n || static_cast<int>(r.pi.size()) != m ||
      static_cast<int>(r.dj.size()) != n || static_cast<int>(r.rowact.size()) != m)
    return "wrong sizes";
  if (static_cast<int>(r.basis.colstat.size()) != n || static_cast<int>(r.basis.rowstat.size()) != m)
    return "wrong basis sizes";
  std::vector<double> act(m, 0.0), dj(lp.cost);
  for (int j = 0; j < n; ++j)
    for (int p = lp.a.start[j]; p < lp.a.start[j + 1]; ++p) {
      act[lp.a.index[p]] += lp.a.value[p] * r.x[j];
      dj[j] -= lp.a.value[p] * r.pi[lp.a.index[p]];
    }
  int basic = 0;
  auto check = [&](const char *what, int k, double v, double lo, double up, double d, int8_t s) -> bool {
    const double t = tol * (1.0 + std::fabs(v));
    bool ok = true;
    if (fin(lo) && v < lo - t) ok = false;
    if (fin(up) && v > up + t) ok = false;
    if (s == 1) { ++basic; if (std::fabs(d) > tol) ok = false; }
    else if (s == 0) { if (!fin(lo) || std::fabs(v - lo) > t || d < -tol) ok = false; }
    else if (s == 2) { if (!fin(up) || std::fabs(v - up) > t || d > tol) ok = false; }
    else if (std::fabs(d) > tol) ok = false;
    if (!ok) std::snprintf(buf, sizeof buf, "%s %d: value %.10g in [%g, %g], dual %.3g, status %d", what, k, v, lo, up, d, s);
    return ok;
  };
  for (int j = 0; j < n; ++j)
    if (!check("column", j, r.x[j], lp.collo[j], lp.colup[j], dj[j], r.basis.colstat[j])) return buf;
  for (int i = 0; i < m; ++i)
    if (!check("row", i, act[i], lp.rowlo[i], lp.rowup[i], r.pi[i], r.basis.rowstat[i])) return buf;
  if (basic != m) { std::snprintf(buf, sizeof buf, "%d basic variables for %d rows", basic, m); return buf; }
  for (int j = 0; j < n; ++j)
    if (std::fabs(dj[j] - r.dj[j]) > tol * (1 + std::fabs(dj[j]))) return "reported dj differ from c - A'pi";
  for (int i = 0; i < m; ++i)
    if (std::fabs(act[i] - r.rowact[i]) > tol * (1 + std::fabs(act[i]))) return "reported row activity differs from Ax";
  if (m <= 200 && !basis_nonsingular(lp, r.basis)) return "basis matrix singular";
  return "";
}

}  // namespace tvl::lp::testing
