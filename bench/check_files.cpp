// Reads every bench instance (compressed, as it lies), checks its rows,
// columns, nonzeros and integer columns against manifest.csv, then writes
// it as fixed MPS, free MPS, SAV and LP, reads each file back and compares
// the two problems bit for bit (LP: names, senses, types and patterns
// exactly, numbers within the writer's printed precision).
//
//   check_files [bench-dir] [tmp-dir] [name-part]
//
// With name-part only the instances whose name contains it are checked.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <utility>
#include <string>
#include <vector>

#include "files/lpnames.h"
#include "files/mps_image.h"
#include "support/image_diff.h"
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

// LP files carry at most 15 significant digits, correctly rounded: a value
// read back differs from the stored one by at most half a unit in the 15th
// digit (5e-15 relative) plus the rounding of the conversion.  Magnitudes
// within 1e-13 of 1 are written as an implicit coefficient 1.
constexpr double kLpRelTol = 5.0e-15 + 2.3e-16;

struct LpCompare {
  bool renamed = false;  // the writer had to rewrite names
  long values = 0;    // numbers compared
  long exact = 0;     // of these, bit-equal
  double maxrel = 0;  // largest relative difference (implicit 1s excluded)
  std::string why;

  bool num(double a, double b, const char *what) {
    ++values;
    if (a == b) return ++exact, true;
    double rel = std::fabs(a - b) / std::max(std::fabs(a), 1e-300);
    bool unit = std::fabs(std::fabs(a) - 1.0) <= 1e-13 && std::fabs(b) == 1.0 && (a < 0) == (b < 0);
    if (!unit) maxrel = std::max(maxrel, rel);
    if (unit || rel <= kLpRelTol) return true;
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %.17g vs %.17g", what, a, b);
    why = buf;
    return false;
  }
  bool fail(const std::string &w) {
    why = w;
    return false;
  }
};

std::string item_name(const tvl::NameList &l, int64_t k, const char *prefix) {
  if (l.size() > k && l.has(k)) return std::string(l.view(k));
  return prefix + std::to_string(k + 1);
}

// Names of one kind as the LP writer prints them: defaults for missing
// names, cut to 255 bytes, and all rewritten when any is not legal.
std::vector<std::string> printed_names(const tvl::NameList &l, int64_t count, const char *prefix, bool &rewritten) {
  std::vector<std::string> v;
  for (int64_t k = 0; k < count; ++k) {
    v.push_back(item_name(l, k, prefix));
    if (v.back().size() > tvl::kLpMaxName) v.back().resize(tvl::kLpMaxName);
  }
  rewritten = tvl::lp_legalize_names(v) || rewritten;
  return v;
}

// Sorted (row, value) entries of column j.
std::vector<std::pair<int, double>> column_entries(const tvl::ModelImage &img, int j) {
  std::vector<std::pair<int, double>> v;
  for (int32_t p = img.matbeg[j]; p < img.matbeg[j + 1]; ++p) v.push_back({img.matind[p], img.matval[p]});
  std::sort(v.begin(), v.end());
  return v;
}

// Compares a model with the one read back from its LP file.  Rows keep
// their order; columns are matched by name because the reader numbers them
// in order of first mention.
bool lp_images_match(const tvl::ModelImage &a, const tvl::ModelImage &b, LpCompare &c) {
  if (a.ncols != b.ncols || a.nrows != b.nrows || a.nnz() != b.nnz()) return c.fail("sizes");
  if (a.objsense != b.objsense) return c.fail("objective sense");
  if (!c.num(a.objoffset, b.objoffset, "objective constant")) return false;
  std::vector<std::string> acols = printed_names(a.colnames, a.ncols, "x", c.renamed);
  std::vector<std::string> arows = printed_names(a.rownames, a.nrows, "c", c.renamed);
  std::unordered_map<std::string, int> bcol;
  for (int j = 0; j < b.ncols; ++j) bcol.emplace(item_name(b.colnames, j, "x"), j);
  std::vector<int> map(a.ncols, -1);
  for (int j = 0; j < a.ncols; ++j) {
    auto it = bcol.find(acols[j]);
    if (it == bcol.end()) return c.fail("column name " + acols[j]);
    map[j] = it->second;
  }
  for (int i = 0; i < a.nrows; ++i) {
    if (arows[i] != item_name(b.rownames, i, "c")) return c.fail("row name " + arows[i]);
    if (a.sense[i] != b.sense[i]) return c.fail("row sense");
    if (!c.num(a.rhs[i], b.rhs[i], "rhs")) return false;
    if (a.sense[i] == 'R' && !c.num(a.rngval[i], b.rngval[i], "range")) return false;
  }
  for (int j = 0; j < a.ncols; ++j) {
    int k = map[j];
    char ta = a.ctype.empty() ? 'C' : a.ctype[j], tb = b.ctype.empty() ? 'C' : b.ctype[k];
    if (ta != tb) return c.fail("column type");
    if (!c.num(a.obj[j], b.obj[k], "objective") || !c.num(a.lb[j], b.lb[k], "lower bound") ||
        !c.num(a.ub[j], b.ub[k], "upper bound"))
      return false;
    auto ea = column_entries(a, j), eb = column_entries(b, k);
    if (ea.size() != eb.size()) return c.fail("column length");
    for (size_t t = 0; t < ea.size(); ++t) {
      if (ea[t].first != eb[t].first) return c.fail("matrix pattern");
      if (!c.num(ea[t].second, eb[t].second, "matrix")) return false;
    }
  }
  if (a.nsos() != b.nsos() || a.sosind.size() != b.sosind.size()) return c.fail("sets");
  for (size_t p = 0; p < a.sosind.size(); ++p) {
    if (map[a.sosind[p]] != b.sosind[p]) return c.fail("set member");
    if (!c.num(a.soswt[p], b.soswt[p], "set weight")) return false;
  }
  if (a.has_qobj != b.has_qobj || a.nqc() != b.nqc() || a.nic() != b.nic()) return c.fail("quadratic/indicator parts");
  return true;
}

struct Totals {
  int read = 0, counted = 0, total = 0;
  int trip[4] = {0, 0, 0, 0};
  long lp_values = 0, lp_exact = 0;
  int lp_renamed = 0;
  double lp_maxrel = 0;
};

void check_instance(TVLENVptr env, const std::string &dir, const Entry &e, const std::string &tmp, Totals &t) {
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
  for (int f = 0; f < 4; ++f) {
    std::string out = tmp + "/" + e.name + ext[f];
    TVLLPptr back = TVLcreateprob(env, &st, "back");
    bool ok = TVLwriteprob(env, lp, out.c_str(), types[f]) == 0 &&
              TVLreadcopyprob(env, back, out.c_str(), types[f]) == 0;
    std::string why = "write/read";
    if (ok) {
      tvl::ModelImage b;
      tvl::image_capture(env, back, b);
      char what[256];
      if (f == 3) {
        LpCompare c;
        ok = lp_images_match(a, b, c);
        why = c.why;
        t.lp_values += c.values;
        t.lp_renamed += c.renamed;
        t.lp_exact += c.exact;
        t.lp_maxrel = std::max(t.lp_maxrel, c.maxrel);
      }
      else if (tvltest::image_differs(a, b, what, sizeof what)) ok = false, why = what;
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
  Totals t;
  for (const char *set : {"netlib", "miplib"}) {
    std::string dir = bench + "/" + set;
    for (const Entry &e : manifest(dir))
      if (argc <= 3 || e.name.find(argv[3]) != std::string::npos) check_instance(env, dir, e, tmp, t);
  }
  std::printf("\nread %d/%d, counts equal to the manifest %d/%d\n", t.read, t.total, t.counted, t.total);
  std::printf("round trips: MPS %d, free MPS %d, SAV %d, LP %d of %d\n", t.trip[0], t.trip[1], t.trip[2],
              t.trip[3], t.total);
  std::printf("LP names rewritten to legal form in %d instances\n", t.lp_renamed);
  std::printf("LP values compared %ld, bit-equal %ld, largest relative difference %.3g (bound %.3g)\n", t.lp_values,
                t.lp_exact, t.lp_maxrel, kLpRelTol);
  TVLcloseTAVLO(&env);
  bool all = t.read == t.total && t.counted == t.total && t.trip[0] == t.total && t.trip[1] == t.total &&
             t.trip[2] == t.total && t.trip[3] == t.total;
  return all ? 0 : 1;
}
