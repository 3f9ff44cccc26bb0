// Construction speed and memory of problem objects: TVLcopylp at 1e4, 1e5
// and 1e6 nonzeros, then 1e5 rows added one TVLaddrows call at a time and
// 1e5 columns added one TVLaddcols call at a time.  Prints nanoseconds per
// nonzero (CPU time of the thread, so that other load on the machine does
// not count) and the library's heap bytes per nonzero (live after the step
// and peak during it, counted by heap/heap_count.h).  Each load is
// repeated and the fastest run reported, with the C allocator told to keep
// freed memory: otherwise every large load pays for the operating system
// handing out fresh pages (several microseconds per page on virtual
// machines), which says nothing about the library.  The first, cold run of
// each size is printed too.
#include <malloc.h>

#include <ctime>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "heap/heap_count.h"
#include "tavlo.h"

namespace {

struct Clock {
  using time_point = double;
  static double now() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
  }
};

constexpr int kPerVector = 5;  // nonzeros per column (copy) or per row/column (adds)

double ns_since(double t0) { return Clock::now() - t0; }

struct Matrix {
  int m = 0, n = 0;
  std::vector<int> beg, cnt, ind;
  std::vector<double> val, obj, lb, ub, rhs;
  std::vector<char> sense;
};

// n columns with kPerVector distinct random rows each, m = n rows.
Matrix random_matrix(int nz, std::mt19937 &rng) {
  Matrix a;
  a.n = a.m = nz / kPerVector;
  for (int j = 0; j < a.n; ++j) {
    a.beg.push_back(static_cast<int>(a.ind.size()));
    int first = static_cast<int>(rng() % static_cast<unsigned>(a.m - kPerVector));
    for (int t = 0; t < kPerVector; ++t) {
      a.ind.push_back(first + t);
      a.val.push_back(1.0 + static_cast<double>(rng() % 100));
    }
    a.cnt.push_back(kPerVector);
  }
  a.obj.assign(a.n, 1.0), a.lb.assign(a.n, 0.0), a.ub.assign(a.n, 1e20);
  a.rhs.assign(a.m, 1.0), a.sense.assign(a.m, 'L');
  return a;
}

struct Measure {
  double ns = 0;
  double cold_ns = 0;
  int64_t live = 0, peak = 0;
};

void print(const char *what, int64_t nz, const Measure &r) {
  std::printf("%-34s %9lld nz  %8.1f ns/nz  %6.1f B/nz live  %6.1f B/nz peak\n", what,
              static_cast<long long>(nz), r.ns / static_cast<double>(nz),
              static_cast<double>(r.live) / static_cast<double>(nz), static_cast<double>(r.peak) / static_cast<double>(nz));
}

// Loads the matrix `reps` times into one problem; reports the fastest load.
Measure copy_lp(TVLENVptr env, const Matrix &a, int reps) {
  Measure best;
  best.ns = 1e300;
  for (int r = 0; r < reps; ++r) {
    int st = 0;
    int64_t base = heapcount::live_bytes();
    TVLLPptr lp = TVLcreateprob(env, &st, "bench");
    heapcount::reset_peak();
    auto t0 = Clock::now();
    st = TVLcopylp(env, lp, a.n, a.m, 1, a.obj.data(), a.rhs.data(), a.sense.data(), a.beg.data(), a.cnt.data(),
                   a.ind.data(), a.val.data(), a.lb.data(), a.ub.data(), nullptr);
    double ns = ns_since(t0);
    if (st) std::fprintf(stderr, "TVLcopylp failed: %d\n", st);
    if (r == 0) best.cold_ns = ns;
    if (ns < best.ns) {
      best.ns = ns;
      best.live = heapcount::live_bytes() - base;
      best.peak = heapcount::peak_bytes() - base;
    }
    TVLfreeprob(env, &lp);
  }
  return best;
}

// Memory once the row-wise copy exists (built by a row query).
int64_t with_row_copy(TVLENVptr env, const Matrix &a) {
  int st = 0;
  int64_t base = heapcount::live_bytes();
  TVLLPptr lp = TVLcreateprob(env, &st, "bench");
  TVLcopylp(env, lp, a.n, a.m, 1, a.obj.data(), a.rhs.data(), a.sense.data(), a.beg.data(), a.cnt.data(),
            a.ind.data(), a.val.data(), a.lb.data(), a.ub.data(), nullptr);
  int nz = 0, surplus = 0, beg = 0, ind[kPerVector * 4];
  double val[kPerVector * 4];
  TVLgetrows(env, lp, &nz, &beg, ind, val, kPerVector * 4, &surplus, 0, 0);
  int64_t bytes = heapcount::live_bytes() - base;
  TVLfreeprob(env, &lp);
  return bytes;
}

Measure add_rows_one_by_one(TVLENVptr env, TVLLPptr lp, int count, std::mt19937 &rng) {
  int n = TVLgetnumcols(env, lp);
  int64_t base = heapcount::live_bytes();
  heapcount::reset_peak();
  int ind[kPerVector];
  double val[kPerVector];
  int beg = 0;
  double rhs = 1.0;
  char sense = 'L';
  auto t0 = Clock::now();
  for (int r = 0; r < count; ++r) {
    int first = static_cast<int>(rng() % static_cast<unsigned>(n - kPerVector));
    for (int t = 0; t < kPerVector; ++t) ind[t] = first + t, val[t] = 1.0 + t;
    TVLaddrows(env, lp, 0, 1, kPerVector, &rhs, &sense, &beg, ind, val, nullptr, nullptr);
  }
  TVLcompletelp(env, lp);
  Measure m;
  m.ns = ns_since(t0);
  m.live = heapcount::live_bytes() - base;
  m.peak = heapcount::peak_bytes() - base;
  return m;
}

Measure add_cols_one_by_one(TVLENVptr env, TVLLPptr lp, int count, std::mt19937 &rng) {
  int m = TVLgetnumrows(env, lp);
  int64_t base = heapcount::live_bytes();
  heapcount::reset_peak();
  int ind[kPerVector];
  double val[kPerVector];
  int beg = 0;
  double obj = 1.0;
  auto t0 = Clock::now();
  for (int c = 0; c < count; ++c) {
    int first = static_cast<int>(rng() % static_cast<unsigned>(m - kPerVector));
    for (int t = 0; t < kPerVector; ++t) ind[t] = first + t, val[t] = 1.0 + t;
    TVLaddcols(env, lp, 1, kPerVector, &obj, &beg, ind, val, nullptr, nullptr, nullptr);
  }
  TVLcompletelp(env, lp);
  Measure r;
  r.ns = ns_since(t0);
  r.live = heapcount::live_bytes() - base;
  r.peak = heapcount::peak_bytes() - base;
  return r;
}

}  // namespace

int main() {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return 1;
  std::mt19937 rng(12345);
  std::printf("TVLcopylp (%d nonzeros per column, square)\n", kPerVector);
  double ns_small = 0, ns_large = 0;
  for (int nz : {10000, 100000, 1000000}) {
    Matrix a = random_matrix(nz, rng);
    Measure r = copy_lp(env, a, nz >= 1000000 ? 5 : 20);
    char label[64];
    std::snprintf(label, sizeof label, "copylp %d", nz);
    print(label, nz, r);
    std::printf("%-34s %9d nz  %8.1f ns/nz (first run, fresh pages)\n", "", nz, r.cold_ns / nz);
    if (nz == 10000) ns_small = r.ns / nz;
    if (nz == 1000000) {
      ns_large = r.ns / nz;
      std::printf("%-34s %9d nz  %25.1f B/nz live (with the row-wise copy)\n", "copylp + row-wise copy", nz,
                  static_cast<double>(with_row_copy(env, a)) / nz);
    }
  }
  std::printf("ns/nz at 1e6 relative to 1e4: %.2f\n\n", ns_large / ns_small);

  const int kAdds = 100000;
  TVLLPptr lp = TVLcreateprob(env, &st, "adds");
  TVLnewcols(env, lp, kAdds, nullptr, nullptr, nullptr, nullptr, nullptr);
  TVLcompletelp(env, lp);
  print("addrows x 1e5, one row per call", int64_t{kAdds} * kPerVector, add_rows_one_by_one(env, lp, kAdds, rng));
  print("addcols x 1e5, one column per call", int64_t{kAdds} * kPerVector,
        add_cols_one_by_one(env, lp, kAdds, rng));
  std::printf("problem: %d rows, %d columns, %d nonzeros\n", TVLgetnumrows(env, lp), TVLgetnumcols(env, lp),
              TVLgetnumnz(env, lp));
  TVLfreeprob(env, &lp);
  TVLcloseTAVLO(&env);
  return 0;
}
