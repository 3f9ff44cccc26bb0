// Reads every bench instance (compressed, as it lies), checks its rows,
// columns, nonzeros and integer columns against manifest.csv, then writes
// it as fixed MPS, free MPS, SAV (and LP when that format is available),
// reads each file back and compares the two problems bit for bit (LP:
// within the writer's printed precision).
//
//   check_files [bench-dir] [tmp-dir]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/mps_image.h"
#include "tavlo.h"

namespace {

struct Entry {
  std::string name;
  long rows = 0, cols = 0, nz = 0, ints = 0;
};

std::vector<Entry> manifest(const std::string &dir) {
  std::vector<Entry> out;
  std::ifstream in(dir + "/manifest.csv");
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::stringstream ss(line);
    std::string f[6];
    for (auto &x : f) std::getline(ss, x, ',');
    if (f[0].empty()) continue;
    out.push_back({f[0], std::atol(f[1].c_str()), std::atol(f[2].c_str()), std::atol(f[3].c_str()),
                   std::atol(f[4].c_str())});
  }
  return out;
}

double seconds_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

long count_integers(TVLENVptr env, TVLLPptr lp) {
  int n = TVLgetnumcols(env, lp);
  int type = TVLgetprobtype(env, lp);
  if (n == 0 || (type != 1 && type != 7 && type != 11)) return 0;
  std::vector<char> ct(n);
  TVLgetctype(env, lp, ct.data(), 0, n - 1);
  long k = 0;
  for (char c : ct) k += c != 'C';
  return k;
}

// LP files carry at most 15 significant digits: compare values relatively.
bool close_images(const tvl::ModelImage &a, const tvl::ModelImage &b, std::string &why) {
  auto close = [](const tvl::Vec<double> &x, const tvl::Vec<double> &y) {
    if (x.size() != y.size()) return false;
    for (size_t k = 0; k < x.size(); ++k)
      if (std::fabs(x[k] - y[k]) > 1e-14 * std::max(1.0, std::fabs(x[k]))) return false;
    return true;
  };
  if (a.ncols != b.ncols || a.nrows != b.nrows || a.nnz() != b.nnz()) return why = "sizes", false;
  if (!close(a.obj, b.obj)) return why = "obj", false;
  if (!close(a.rhs, b.rhs)) return why = "rhs", false;
  if (!close(a.matval, b.matval)) return why = "matrix", false;
  return true;
}

struct Totals {
  int read = 0, counted = 0, total = 0;
  int trip[4] = {0, 0, 0, 0};
};

void check_instance(TVLENVptr env, const std::string &dir, const Entry &e, const std::string &tmp, Totals &t,
                    bool with_lp) {
  ++t.total;
  std::string path = dir + "/" + e.name + ".mps.gz";
  int st;
  TVLLPptr lp = TVLcreateprob(env, &st, e.name.c_str());
  auto t0 = std::chrono::steady_clock::now();
  st = TVLreadcopyprob(env, lp, path.c_str(), nullptr);
  double secs = seconds_since(t0);
  if (st) {
    std::printf("%-12s READ FAILED (%d)\n", e.name.c_str(), st);
    TVLfreeprob(env, &lp);
    return;
  }
  ++t.read;
  long m = TVLgetnumrows(env, lp), n = TVLgetnumcols(env, lp), nz = TVLgetnumnz(env, lp);
  long ints = count_integers(env, lp);
  bool counts = m == e.rows && n == e.cols && nz == e.nz && ints == e.ints;
  t.counted += counts;
  std::printf("%-12s read %7.3fs  %s", e.name.c_str(), secs, counts ? "counts ok" : "COUNTS DIFFER");
  if (!counts) std::printf(" (%ld %ld %ld %ld)", m, n, nz, ints);
  tvl::ModelImage a;
  tvl::image_capture(env, lp, a);
  const char *types[4] = {"MPS", "FMPS", "SAV", "LP"};
  const char *ext[4] = {".mps", ".fmps", ".sav", ".lp"};
  for (int f = 0; f < (with_lp ? 4 : 3); ++f) {
    std::string out = tmp + "/" + e.name + ext[f];
    TVLLPptr back = TVLcreateprob(env, &st, "back");
    bool ok = TVLwriteprob(env, lp, out.c_str(), types[f]) == 0 &&
              TVLreadcopyprob(env, back, out.c_str(), types[f]) == 0;
    std::string why = "write/read";
    if (ok) {
      tvl::ModelImage b;
      tvl::image_capture(env, back, b);
      char what[256];
      if (f == 3) ok = close_images(a, b, why);
      else if (tvl::image_differs(a, b, what, sizeof what)) ok = false, why = what;
    }
    t.trip[f] += ok;
    std::printf("  %s %s", types[f], ok ? "ok" : ("DIFFERS: " + why).c_str());
    TVLfreeprob(env, &back);
    std::remove(out.c_str());
  }
  std::printf("\n");
  TVLfreeprob(env, &lp);
}

}  // namespace

int main(int argc, char **argv) {
  std::string bench = argc > 1 ? argv[1] : "../shared/bench";
  std::string tmp = argc > 2 ? argv[2] : "/tmp";
  int st;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return 1;
  TVLLPptr probe = TVLcreateprob(env, &st, "probe");
  std::string lpname = tmp + "/check_files_probe.lp";
  bool with_lp = TVLwriteprob(env, probe, lpname.c_str(), "LP") == 0;
  std::remove(lpname.c_str());
  TVLfreeprob(env, &probe);
  Totals t;
  for (const char *set : {"netlib", "miplib"}) {
    std::string dir = bench + "/" + set;
    for (const Entry &e : manifest(dir)) check_instance(env, dir, e, tmp, t, with_lp);
  }
  std::printf("\nread %d/%d, counts equal to the manifest %d/%d\n", t.read, t.total, t.counted, t.total);
  std::printf("round trips: MPS %d, free MPS %d, SAV %d, LP %s\n", t.trip[0], t.trip[1], t.trip[2],
              with_lp ? std::to_string(t.trip[3]).c_str() : "not available");
  TVLcloseTAVLO(&env);
  bool all = t.read == t.total && t.counted == t.total && t.trip[0] == t.total && t.trip[1] == t.total &&
             t.trip[2] == t.total && (!with_lp || t.trip[3] == t.total);
  return all ? 0 : 1;
}
