// Basis factor benchmark: factorization and solve times on bases reached by
// a simplex-like walk on Netlib instances and on generated matrices, and
// the work of sparse solves on bases of growing order (BENCH_LU_ONLY=sparse
// runs that part alone).
// Usage: bench_lu [netlib-dir] [precision 0|1]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "../tests/factor/lu_matrix_file.h"
#include "../tests/factor/lu_test_util.h"
#include "../tests/factor/lu_walk.h"
#include "factor/factor.h"

using namespace tvl::lp;
using namespace lutest;
using Clock = std::chrono::steady_clock;

namespace {

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Smallest time per call over five batches (the machine is shared).
template <class F>
double per_call(int calls, F &&body) {
  double best = 1e300;
  for (int batch = 0; batch < 5; ++batch) {
    const auto t0 = Clock::now();
    for (int c = 0; c < calls; ++c) body(c);
    best = std::min(best, seconds_since(t0) / calls);
  }
  return best;
}

void bench_basis(const char *label, const CscMatrix &a, int precision) {
  std::mt19937 rng(1);
  std::unique_ptr<BasisFactor> f(make_basis_factor(precision, a.m, a.n, FactorSettings{}));
  Walk w;
  start_walk(w, a);
  f->factorize(a, w.head, nullptr);
  const auto tw = Clock::now();
  walk(w, a, *f, a.m, rng);
  const double walk_s = seconds_since(tw);
  int64_t bnz = 0;
  int32_t structurals = 0;
  for (const int32_t v : w.head) {
    bnz += v < a.n ? a.start[v + 1] - a.start[v] : 1;
    structurals += v < a.n;
  }
  // Factorization.
  std::vector<int32_t> head = w.head;
  const int reps = std::max(2, static_cast<int>(400000 / (bnz + 1)));
  const double fact_s = per_call(reps, [&](int) {
    head = w.head;
    f->factorize(a, head, nullptr);
  });
  const int64_t fnz = f->factor_nonzeros();
  // FTRAN of structural columns, BTRAN of unit vectors, FTRAN of a dense vector.
  HVector v;
  v.setup(a.m);
  const int solves = 400;
  std::vector<int32_t> cols(solves), rows(solves);
  std::uniform_int_distribution<int32_t> col(0, a.n - 1), pos(0, a.m - 1);
  for (int s = 0; s < solves; ++s) { cols[s] = col(rng); rows[s] = pos(rng); }
  int64_t out_nz = 0;
  const double ftran_s = per_call(solves, [&](int s) {
    v.clear();
    const int32_t j = cols[s];
    for (int32_t e = a.start[j]; e < a.start[j + 1]; ++e) {
      v.array[a.index[e]] = a.value[e];
      v.index[v.count++] = a.index[e];
    }
    f->ftran(v, 0.0);
    out_nz += v.count;
  });
  const double ftran_nz = static_cast<double>(out_nz) / (5.0 * solves);
  out_nz = 0;
  const double btran_s = per_call(solves, [&](int s) {
    v.clear();
    v.array[rows[s]] = 1.0;
    v.index[v.count++] = rows[s];
    f->btran(v, 0.0);
    out_nz += v.count;
  });
  const double btran_nz = static_cast<double>(out_nz) / (5.0 * solves);
  const double dense_s = per_call(20, [&](int) {
    v.clear();
    for (int32_t i = 0; i < a.m; ++i) { v.array[i] = 1.0 + i % 7; v.index[v.count++] = i; }
    f->ftran(v, 1.0);
  });
  std::printf("%-10s m %6d bnz %7lld struct %5d fill %5.2f | factor %8.3f ms %6.1f ns/nz | "
              "ftran %7.2f us (%6.0f nz, %5.1f ns/fnz) btran %7.2f us (%6.0f nz) dense %7.2f us | "
              "walk %5d it %6.2f us/it refac %d\n",
              label, a.m, static_cast<long long>(bnz), structurals, static_cast<double>(fnz) / bnz,
              fact_s * 1e3, fact_s * 1e9 / bnz, ftran_s * 1e6, ftran_nz, ftran_s * 1e9 / fnz, btran_s * 1e6,
              btran_nz, dense_s * 1e6, w.steps, walk_s * 1e6 / std::max(1, w.steps), w.refactors);
}

// Block-diagonal basis of `m` columns: blocks of `chain` columns, each a
// lower bidiagonal chain (1 on the diagonal, -0.5 below), so that B^-1 e_i
// for the first row of a block has exactly `chain` nonzeros whatever m is.
CscMatrix chain_matrix(int32_t m, int32_t chain) {
  CscMatrix a;
  a.m = a.n = m;
  a.start.push_back(0);
  for (int32_t j = 0; j < m; ++j) {
    a.index.push_back(j);
    a.value.push_back(1.0);
    if (j % chain != chain - 1 && j + 1 < m) {
      a.index.push_back(j + 1);
      a.value.push_back(-0.5);
    }
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  return a;
}

// Work and time of FTRAN and BTRAN with a unit right-hand side whose result
// has a fixed number of nonzeros, on bases of growing order m.  Hyper-sparse
// solves keep both flat; a solve that touched every row would grow with m.
void bench_result_proportional(int precision) {
  constexpr int32_t kChain = 20;
  std::printf("\nsparse solves on growing bases (result %d nonzeros; ratios against the smallest m)\n", kChain);
  std::printf("(time grows at large m from cache misses on the larger arrays, not from work; the last column is the\n"
              " work of the same FTRAN through the loops over all pivots)\n");
  std::printf("%9s %10s %10s %10s %10s | %10s %10s %8s %8s | %12s\n", "m", "ftran ops", "btran ops", "ftran ns",
              "btran ns", "ops ratio", "time ratio", "ftran nz", "btran nz", "dense ops");
  double ops0 = 0.0, time0 = 0.0;
  for (const int32_t m : {1000, 10000, 100000, 1000000}) {
    const CscMatrix a = chain_matrix(m, kChain);
    std::unique_ptr<BasisFactor> f(make_basis_factor(precision, m, m, FactorSettings{}));
    std::vector<int32_t> head(static_cast<size_t>(m));
    for (int32_t k = 0; k < m; ++k) head[k] = k;
    f->factorize(a, head, nullptr);
    HVector v;
    v.setup(m);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> block(0, m / kChain - 1);
    const int solves = 2000;
    std::vector<int32_t> first(solves);
    for (int s = 0; s < solves; ++s) first[s] = block(rng) * kChain;
    auto unit = [&](int32_t i) {
      v.clear();
      v.array[i] = 1.0;
      v.index[0] = i;
      v.count = 1;
    };
    int32_t fnz = 0, bnz = 0;
    uint64_t w0 = f->work();
    for (int s = 0; s < solves; ++s) { unit(first[s]); f->ftran(v, 0.0); fnz = v.count; }
    const double fops = static_cast<double>(f->work() - w0) / solves;
    w0 = f->work();
    for (int s = 0; s < solves; ++s) { unit(first[s] + kChain - 1); f->btran(v, 0.0); bnz = v.count; }
    const double bops = static_cast<double>(f->work() - w0) / solves;
    // The same FTRANs through the loops over all pivots, for contrast.
    w0 = f->work();
    for (int s = 0; s < 20; ++s) { unit(first[s]); f->ftran(v, 1.0); }
    const double dops = static_cast<double>(f->work() - w0) / 20;
    const double ft = per_call(solves, [&](int s) { unit(first[s]); f->ftran(v, 0.0); });
    const double bt = per_call(solves, [&](int s) { unit(first[s] + kChain - 1); f->btran(v, 0.0); });
    if (ops0 == 0.0) { ops0 = fops + bops; time0 = ft + bt; }
    std::printf("%9d %10.1f %10.1f %10.1f %10.1f | %10.2f %10.2f %8d %8d | %12.0f\n", m, fops, bops, ft * 1e9,
                bt * 1e9, (fops + bops) / ops0, (ft + bt) / time0, fnz, bnz, dops);
  }
}

}  // namespace

int main(int argc, char **argv) {
  std::string here = __FILE__;
  here = here.substr(0, here.find_last_of('/'));
  const std::string dir = argc > 1 ? argv[1] : here + "/../../shared/bench/netlib";
  const int precision = argc > 2 ? std::atoi(argv[2]) : 0;
  std::printf("precision %d\n", precision);
  const char *names[] = {"scfxm2", "25fv47", "ship12l", "degen3", "pilot", "pilot87",
                         "d2q06c", "80bau3b", "greenbea", "fit2p", "dfl001"};
  const char *only = std::getenv("BENCH_LU_ONLY");
  for (const char *name : names) {
    if (only && std::string(only) != name) continue;
    CscMatrix a;
    if (read_matrix_file(dir + "/" + name + ".mps.gz", a)) bench_basis(name, a, precision);
  }
  if (!only || std::string(only) == "sparse") bench_result_proportional(precision);
  if (only && std::string(only) != "rand") return 0;
  std::mt19937 rng(42);
  for (const int32_t m : {1000, 4000}) {
    const CscMatrix a = random_matrix(m, 2 * m, 2.0 / m, rng);
    bench_basis(("rand" + std::to_string(m)).c_str(), a, precision);
  }
  return 0;
}
