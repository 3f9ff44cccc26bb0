// LP files through the library interface: byte-exact writing of a problem
// with every part, reading back, failures, compressed files and round trips
// of Netlib instances.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "files/lpnames.h"
#include "support/bench_dir.h"
#include "test_lp_util.h"

namespace {

using lptest::CapturedEnv;

using lptest::slurp;
using lptest::spit;
using lptest::temp_path;

// Problem with names, a ranged row, types, a set, quadratic objective, a
// quadratic constraint and an indicator.
TVLLPptr demo_problem(TVLENVptr env) {
  int st = 0;
  TVLLPptr lp = TVLcreateprob(env, &st, "demo");
  double obj[] = {1, -2, 0, 3}, lb[] = {0, -1e20, -3, 0}, ub[] = {1e20, 1e20, 7, 1};
  double rhs[] = {10, 1, 2}, rng[] = {0, 0, 6};
  char sense[] = {'L', 'G', 'R'};
  int beg[] = {0, 2, 4, 6}, cnt[] = {2, 2, 2, 1}, ind[] = {0, 1, 0, 2, 0, 2, 1};
  double val[] = {1, 2, 1, 1, 1, 1, -1};
  const char *cn[] = {"x", "y", "z", "b"}, *rn[] = {"c1", "c2", "r3"};
  EXPECT_EQ(TVLcopylpwnames(env, lp, 4, 3, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, rng,
                            const_cast<char **>(cn), const_cast<char **>(rn)),
            0);
  EXPECT_EQ(TVLcopyctype(env, lp, "CCIB"), 0);
  char stype[] = {'1'};
  int sbeg[] = {0}, sind[] = {0, 1};
  double swt[] = {1, 2};
  EXPECT_EQ(TVLcopysos(env, lp, 1, 2, stype, sbeg, sind, swt, nullptr), 0);
  int qbeg[] = {0, 2, 4, 4}, qcnt[] = {2, 2, 0, 0}, qind[] = {0, 1, 0, 1};
  double qval[] = {2, 1, 1, 4};
  EXPECT_EQ(TVLcopyquad(env, lp, qbeg, qcnt, qind, qval), 0);
  int lind[] = {0}, qr[] = {0, 1}, qc[] = {0, 1};
  double lval[] = {1}, qv[] = {1, 1};
  EXPECT_EQ(TVLaddqconstr(env, lp, 1, 2, 4, 'L', lind, lval, qr, qc, qv, "q1"), 0);
  int iind[] = {0, 1};
  double ival[] = {1, 1};
  EXPECT_EQ(TVLEaddindconstr(env, lp, 3, 0, 2, 5, 'L', iind, ival, "ind1"), 0);
  return lp;
}

const char *kDemoText =
    "\\Problem name: demo\n\n"
    "Minimize\n"
    " obj: x - 2 y + 3 b + [ 2 x ^2 + 2 x * y + 4 y ^2 ] / 2\n"
    "Subject To\n"
    " c1: x + y + z <= 10\n"
    " c2: 2 x - b >= 1\n"
    " r3: y + z - Rgr3  = 2\n"
    " q1: x + [ x ^2 + y ^2 ] <= 4\n"
    " ind1: b = 1 -> x + y <= 5\n"
    "Bounds\n"
    "      y Free\n"
    "-3 <= z <= 7\n"
    " 0 <= b <= 1\n"
    " 0 <= Rgr3 <= 6\n"
    "Binaries\n"
    " b \n"
    "Generals\n"
    " z \n"
    "SOS\n"
    " s1: S1 ::  x : 1  y : 2\n"
    "End\n";

// Everything about a problem keyed by names, for comparisons that do not
// depend on the order of columns.
struct Snapshot {
  int objsense = 0;
  std::map<std::string, std::vector<double>> cols;  // obj, lb, ub, type
  std::map<std::string, std::vector<double>> rows;  // sense, rhs, range
  std::map<std::pair<std::string, std::string>, double> coefs;
};

// With `as_written`, names are taken as the LP writer prints them.
Snapshot snapshot(TVLENVptr env, TVLLPptr lp, bool as_written = false) {
  Snapshot s;
  int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
  s.objsense = TVLgetobjsen(env, lp);
  std::vector<double> obj(n + 1), lb(n + 1), ub(n + 1), rhs(m + 1), rng(m + 1, 0.0);
  std::vector<char> sense(m + 1), type(n + 1, 'C');
  std::vector<char *> cn(n + 1), rn(m + 1);
  std::vector<char> cstore(64 * (n + 1)), rstore(64 * (m + 1));
  int surplus = 0;
  if (n) {
    TVLgetobj(env, lp, obj.data(), 0, n - 1);
    TVLgetlb(env, lp, lb.data(), 0, n - 1);
    TVLgetub(env, lp, ub.data(), 0, n - 1);
    int t = TVLgetprobtype(env, lp);
    if (t == TVLPROB_MILP || t == TVLPROB_MIQP || t == TVLPROB_MIQCP) TVLgetctype(env, lp, type.data(), 0, n - 1);
    EXPECT_EQ(TVLgetcolname(env, lp, cn.data(), cstore.data(), static_cast<int>(cstore.size()), &surplus, 0, n - 1), 0);
  }
  if (m) {
    TVLgetrhs(env, lp, rhs.data(), 0, m - 1);
    TVLgetsense(env, lp, sense.data(), 0, m - 1);
    bool ranged = false;
    for (int i = 0; i < m; ++i) ranged = ranged || sense[i] == 'R';
    if (ranged) TVLgetrngval(env, lp, rng.data(), 0, m - 1);
    EXPECT_EQ(TVLgetrowname(env, lp, rn.data(), rstore.data(), static_cast<int>(rstore.size()), &surplus, 0, m - 1), 0);
    int nz = TVLgetnumnz(env, lp), got = 0;
    std::vector<int> beg(m), ind(nz + 1);
    std::vector<double> val(nz + 1);
    TVLgetrows(env, lp, &got, beg.data(), ind.data(), val.data(), nz + 1, &surplus, 0, m - 1);
    for (int i = 0; i < m; ++i) {
      int end = i + 1 < m ? beg[i + 1] : got;
      for (int k = beg[i]; k < end; ++k) s.coefs[{rn[i], cn[ind[k]]}] = val[k];
      s.rows[rn[i]] = {static_cast<double>(sense[i]), rhs[i], rng[i]};
    }
  }
  for (int j = 0; j < n; ++j) s.cols[cn[j]] = {obj[j], lb[j], ub[j], static_cast<double>(type[j])};
  if (!as_written) return s;
  std::vector<std::string> cols(cn.begin(), cn.begin() + n), rows(rn.begin(), rn.begin() + m);
  tvl::lp_legalize_names(cols);
  tvl::lp_legalize_names(rows);
  std::map<std::string, std::string> cmap, rmap;
  for (int j = 0; j < n; ++j) cmap[cn[j]] = cols[j];
  for (int i = 0; i < m; ++i) rmap[rn[i]] = rows[i];
  Snapshot w;
  w.objsense = s.objsense;
  for (auto &[k, v] : s.cols) w.cols[cmap[k]] = v;
  for (auto &[k, v] : s.rows) w.rows[rmap[k]] = v;
  for (auto &[k, v] : s.coefs) w.coefs[{rmap[k.first], cmap[k.second]}] = v;
  return w;
}

bool close(double a, double b) { return a == b || std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b)); }

void expect_same(const Snapshot &a, const Snapshot &b, const std::string &what) {
  EXPECT_EQ(a.objsense, b.objsense) << what;
  ASSERT_EQ(a.cols.size(), b.cols.size()) << what;
  ASSERT_EQ(a.rows.size(), b.rows.size()) << what;
  ASSERT_EQ(a.coefs.size(), b.coefs.size()) << what;
  int bad = 0;
  for (const auto &[name, v] : a.cols) {
    auto it = b.cols.find(name);
    ASSERT_NE(it, b.cols.end()) << what << " column " << name;
    for (size_t k = 0; k < v.size(); ++k)
      if (!close(v[k], it->second[k]) && ++bad < 5) ADD_FAILURE() << what << " column " << name << " item " << k;
  }
  for (const auto &[name, v] : a.rows) {
    auto it = b.rows.find(name);
    ASSERT_NE(it, b.rows.end()) << what << " row " << name;
    for (size_t k = 0; k < v.size(); ++k)
      if (!close(v[k], it->second[k]) && ++bad < 5) ADD_FAILURE() << what << " row " << name << " item " << k;
  }
  for (const auto &[key, v] : a.coefs) {
    auto it = b.coefs.find(key);
    ASSERT_NE(it, b.coefs.end()) << what << " coefficient " << key.first << "," << key.second;
    if (!close(v, it->second) && ++bad < 5) ADD_FAILURE() << what << " coefficient " << key.first;
  }
}

TEST(LpFileIo, WritesEveryPartByteForByteAndReadsItBack) {
  CapturedEnv ce;
  TVLLPptr lp = demo_problem(ce.env);
  std::string path = temp_path("demo.lp");
  ASSERT_EQ(TVLlpwrite(ce.env, lp, path.c_str()), 0) << ce.errors;
  EXPECT_EQ(slurp(path), kDemoText);
  EXPECT_EQ(ce.warnings, "Default sos names s1, s2 ... being created.\n");
  EXPECT_EQ(ce.errors, "");

  // Reading gives the same problem; from then on write and read are a
  // fixed point (the reader orders columns by first mention).
  int st = 0;
  TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  expect_same(snapshot(ce.env, lp), snapshot(ce.env, back), "demo");
  EXPECT_EQ(TVLgetprobtype(ce.env, back), TVLPROB_MIQCP);
  EXPECT_EQ(TVLgetnumsos(ce.env, back), 1);
  EXPECT_EQ(TVLgetnumqpnz(ce.env, back), 4);
  EXPECT_EQ(TVLgetnumqconstrs(ce.env, back), 1);
  EXPECT_EQ(TVLgetnumindconstrs(ce.env, back), 1);
  std::string path2 = temp_path("demo2.lp"), path3 = temp_path("demo3.lp");
  ASSERT_EQ(TVLwriteprob(ce.env, back, path2.c_str(), nullptr), 0);
  TVLLPptr again = TVLcreateprob(ce.env, &st, "again");
  ASSERT_EQ(TVLreadcopyprob(ce.env, again, path2.c_str(), "LP"), 0) << ce.errors;
  ASSERT_EQ(TVLlpwrite(ce.env, again, path3.c_str()), 0);
  std::string t2 = slurp(path2), t3 = slurp(path3);
  EXPECT_EQ(t2.substr(t2.find('\n')), t3.substr(t3.find('\n')));
  for (auto &p : {path, path2, path3}) std::remove(p.c_str());
  TVLfreeprob(ce.env, &lp);
  TVLfreeprob(ce.env, &back);
  TVLfreeprob(ce.env, &again);
}

TEST(LpFileIo, DefaultNamesAndRewrittenNames) {
  CapturedEnv ce;
  int st = 0;
  TVLLPptr lp = TVLcreateprob(ce.env, &st, "plain");
  double obj[] = {1, 1}, lb[] = {0, 0}, ub[] = {1e20, 1e20}, rhs[] = {1};
  char sense[] = {'G'};
  int beg[] = {0, 1}, cnt[] = {1, 0}, ind[] = {0};
  double val[] = {1};
  ASSERT_EQ(TVLcopylp(ce.env, lp, 2, 1, TVL_MAX, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  std::string path = temp_path("plain.lp");
  ASSERT_EQ(TVLlpwrite(ce.env, lp, path.c_str()), 0);
  EXPECT_EQ(slurp(path), "\\Problem name: plain\n\nMaximize\n obj: x1 + x2\nSubject To\n c1: x1 >= 1\nEnd\n");
  EXPECT_EQ(ce.warnings,
            "Default variable names x1, x2 ... being created.\nDefault row names c1, c2 ... being created.\n");
  ce.clear();
  const char *rn[] = {"row one"};
  int idx[] = {0};
  ASSERT_EQ(TVLchgrowname(ce.env, lp, 1, idx, const_cast<char **>(rn)), 0);
  ASSERT_EQ(TVLlpwrite(ce.env, lp, path.c_str()), 0);
  std::string text = slurp(path);
  EXPECT_NE(text.find(" row_one#0: x1 >= 1\n"), std::string::npos) << text;
  EXPECT_NE(ce.warnings.find("Warning:  Output names have been modified to conform to LP format.\n"),
            std::string::npos);
  EXPECT_EQ(ce.warnings.find("modified", ce.warnings.find("modified") + 1), std::string::npos);
  std::remove(path.c_str());
  TVLfreeprob(ce.env, &lp);
}

TEST(LpFileIo, FailuresAreReportedAndLeaveTheProblemUnchanged) {
  CapturedEnv ce;
  TVLLPptr lp = demo_problem(ce.env);
  EXPECT_EQ(TVLlpwrite(ce.env, lp, nullptr), 1421);
  EXPECT_EQ(ce.errors, "TAVLO Error  1421: File name not specified.\n");
  ce.clear();
  EXPECT_EQ(TVLlpwrite(ce.env, lp, "/nonexistent-dir/x.lp"), 1422);
  EXPECT_EQ(ce.errors, "TAVLO Error  1422: Could not open file '/nonexistent-dir/x.lp' for writing.\n");
  ce.clear();
  EXPECT_EQ(TVLclpwrite(ce.env, lp, "conflict.lp"), 1719);
  EXPECT_EQ(ce.errors, "TAVLO Error  1719: Conflict is not available.\n");
  EXPECT_EQ(TVLlpwrite(nullptr, lp, "x.lp"), 1002);

  std::string path = temp_path("bad.lp");
  spit(path, "Minimize\n obj: a + b\nSubject To\n c1: a + b >= 2\n c2: a - - b <= 3\nEnd\n");
  ce.clear();
  Snapshot before = snapshot(ce.env, lp);
  EXPECT_EQ(TVLreadcopyprob(ce.env, lp, path.c_str(), nullptr), 1602);
  EXPECT_EQ(ce.errors, "TAVLO Error  1602: Lines 5,5: Adjacent signs.\n");
  expect_same(before, snapshot(ce.env, lp), "after failed read");
  EXPECT_EQ(TVLgetnumsos(ce.env, lp), 1);
  std::remove(path.c_str());
  TVLfreeprob(ce.env, &lp);
}

TEST(LpFileIo, CompressedFilesGoThroughTheCompressionLayer) {
  CapturedEnv ce;
  TVLLPptr lp = demo_problem(ce.env);
  std::string path = temp_path("demo.lp.gz");
  ASSERT_EQ(TVLlpwrite(ce.env, lp, path.c_str()), 0) << ce.errors;
  std::string raw = slurp(path);
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x1f);
  EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0x8b);
  int st = 0;
  TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  expect_same(snapshot(ce.env, lp), snapshot(ce.env, back), "gzip");
  std::remove(path.c_str());
  TVLfreeprob(ce.env, &lp);
  TVLfreeprob(ce.env, &back);
}

TEST(LpFileIo, NetlibInstancesSurviveMpsToLpToProblem) {
  const char *instances[] = {"afiro", "adlittle", "kb2", "vtpbase", "capri", "etamacro", "finnis", "boeing1"};
  for (const char *name : instances) {
    CapturedEnv ce;
    std::string mps = tvltest::instance_path("netlib", name);
    if (access(mps.c_str(), R_OK) != 0) GTEST_SKIP() << "Netlib collection not available";
    int st = 0;
    TVLLPptr a = TVLcreateprob(ce.env, &st, name);
    ASSERT_EQ(TVLreadcopyprob(ce.env, a, mps.c_str(), nullptr), 0) << name << ce.errors;
    std::string lpfile = temp_path(std::string(name) + ".lp");
    ASSERT_EQ(TVLwriteprob(ce.env, a, lpfile.c_str(), nullptr), 0) << name << ce.errors;
    TVLLPptr b = TVLcreateprob(ce.env, &st, name);
    ASSERT_EQ(TVLreadcopyprob(ce.env, b, lpfile.c_str(), nullptr), 0) << name << ce.errors;
    expect_same(snapshot(ce.env, a, true), snapshot(ce.env, b), name);
    EXPECT_TRUE(ce.warnings.empty() ||
                ce.warnings == "Warning:  Output names have been modified to conform to LP format.\n")
        << name << ce.warnings;
    std::remove(lpfile.c_str());
    TVLfreeprob(ce.env, &a);
    TVLfreeprob(ce.env, &b);
  }
}

}  // namespace
