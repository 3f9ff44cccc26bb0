// TVLreadcopyprob / TVLwriteprob on MPS and SAV files: bench instances
// read compressed with the manifest's counts, exact round trips through
// every format, and the failure cases (missing file, unknown type, a bad
// file leaving the problem unchanged).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "files/mps_image.h"
#include "support/image_diff.h"
#include "test_mps_util.h"

using filetest::Env;

namespace {

struct Counts {
  long rows = -1, cols = -1, nz = -1, ints = -1;
};

Counts manifest_line(const std::string &dir, const std::string &name) {
  std::ifstream in(dir + "/manifest.csv");
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream ss(line);
    std::string f[5];
    for (auto &x : f) std::getline(ss, x, ',');
    if (f[0] == name) return {std::stol(f[1]), std::stol(f[2]), std::stol(f[3]), std::stol(f[4])};
  }
  return {};
}

long integer_columns(TVLENVptr env, TVLLPptr lp) {
  int n = TVLgetnumcols(env, lp), type = TVLgetprobtype(env, lp);
  if (type != 1 || n == 0) return 0;
  std::string ct(static_cast<size_t>(n), ' ');
  EXPECT_EQ(TVLgetctype(env, lp, ct.data(), 0, n - 1), 0);
  long k = 0;
  for (char c : ct) k += c != 'C';
  return k;
}

std::string tmp_path(const char *name) { return std::string(TAVLO_BINARY_DIR) + "/" + name; }

tvl::ModelImage capture(TVLENVptr env, TVLLPptr lp) {
  tvl::ModelImage img;
  EXPECT_EQ(tvl::image_capture(env, lp, img), 0);
  return img;
}

void expect_round_trip(TVLENVptr env, TVLLPptr lp, const std::string &file, const char *type) {
  int st;
  ASSERT_EQ(TVLwriteprob(env, lp, file.c_str(), type), 0) << file;
  TVLLPptr back = TVLcreateprob(env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(env, back, file.c_str(), type), 0) << file;
  tvl::ModelImage a = capture(env, lp), b = capture(env, back);
  char what[256] = "";
  EXPECT_FALSE(tvltest::image_differs(a, b, what, sizeof what)) << file << ": " << what;
  TVLfreeprob(env, &back);
  std::remove(file.c_str());
}

}  // namespace

TEST(MpsFiles, BenchInstancesReadCompressedWithManifestCountsAndRoundTrip) {
  const char *sets[][2] = {{"netlib", "afiro"}, {"netlib", "e226"}, {"netlib", "sc50b"},
                           {"miplib", "p0033"}, {"miplib", "flugpl"}, {"miplib", "egout"}};
  for (auto &s : sets) {
    std::string dir = filetest::bench_dir() + "/" + s[0];
    std::string path = dir + "/" + s[1] + ".mps.gz";
    if (!filetest::file_exists(path)) GTEST_SKIP() << "bench instances not found under " << dir;
    Env e;
    int st;
    TVLLPptr lp = TVLcreateprob(e.env, &st, "x");
    ASSERT_EQ(TVLreadcopyprob(e.env, lp, path.c_str(), nullptr), 0) << e.err.text;
    Counts c = manifest_line(dir, s[1]);
    EXPECT_EQ(TVLgetnumrows(e.env, lp), c.rows) << s[1];
    EXPECT_EQ(TVLgetnumcols(e.env, lp), c.cols) << s[1];
    EXPECT_EQ(TVLgetnumnz(e.env, lp), c.nz) << s[1];
    EXPECT_EQ(integer_columns(e.env, lp), c.ints) << s[1];
    std::string base = tmp_path(s[1]);
    expect_round_trip(e.env, lp, base + ".mps", nullptr);
    expect_round_trip(e.env, lp, base + ".free", "FMPS");
    expect_round_trip(e.env, lp, base + ".sav", nullptr);
    expect_round_trip(e.env, lp, base + ".mps.gz", nullptr);
    EXPECT_TRUE(e.err.text.empty()) << e.err.text;
    TVLfreeprob(e.env, &lp);
  }
}

TEST(MpsFiles, E226ObjectiveConstantAndNames) {
  std::string path = filetest::bench_dir() + "/netlib/e226.mps.gz";
  if (!filetest::file_exists(path)) GTEST_SKIP();
  Env e;
  int st;
  TVLLPptr lp = TVLcreateprob(e.env, &st, "x");
  ASSERT_EQ(TVLreadcopyprob(e.env, lp, path.c_str(), nullptr), 0);
  tvl::ModelImage img = capture(e.env, lp);
  EXPECT_EQ(img.objoffset, 7.113);  // RHS -7.113 on the objective row
  char buf[64];
  int surplus;
  ASSERT_EQ(TVLgetprobname(e.env, lp, buf, sizeof buf, &surplus), 0);
  EXPECT_STREQ(buf, "E226");
  TVLfreeprob(e.env, &lp);
}

TEST(MpsFiles, FailuresLeaveTheProblemUnchanged) {
  Env e;
  int st;
  TVLLPptr lp = TVLcreateprob(e.env, &st, "keep");
  double obj[2] = {1, 2}, lb[2] = {0, 0}, ub[2] = {4, 5}, rhs[1] = {3}, val[2] = {1, 1};
  int beg[2] = {0, 1}, cnt[2] = {1, 1}, ind[2] = {0, 0};
  ASSERT_EQ(TVLcopylp(e.env, lp, 2, 1, 1, obj, rhs, "L", beg, cnt, ind, val, lb, ub, nullptr), 0);
  tvl::ModelImage before = capture(e.env, lp);

  std::string missing = tmp_path("no_such_model.mps");
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, missing.c_str(), nullptr), TVLERR_COULD_NOT_OPEN_FILE_FOR_READING);
  EXPECT_EQ(e.err.text, "TAVLO Error  1423: Could not open file '" + missing + "' for reading.\n");

  e.clear();
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, "model.xyz", nullptr), TVLERR_INVALID_FILETYPE);
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, "model.mps", "NOPE"), TVLERR_INVALID_FILETYPE);
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, "", nullptr), TVLERR_FILE_NAME_NOT_SPECIFIED);
  EXPECT_EQ(e.err.text,
            "TAVLO Error  1424: Invalid filetype.\nTAVLO Error  1424: Invalid filetype.\n"
            "TAVLO Error  1421: File name not specified.\n");

  // A file that breaks in its last section: nothing of it is loaded.
  std::string bad = tmp_path("bad_model.mps");
  {
    std::ofstream f(bad);
    f << "NAME bad\nROWS\n N obj\n L r\nCOLUMNS\n x obj 1 r 1\nRHS\n rhs r 1\nBOUNDS\n UP BND x 1\n UP BND x 2\n"
         "ENDATA\n";
  }
  e.clear();
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, bad.c_str(), nullptr), TVLERR_LINE_REPEATED_UPPER_BOUND);
  EXPECT_EQ(e.err.text, "TAVLO Error  1458: Line 11: Repeated upper bound.\n");
  // A SAV file cut short and a foreign file.
  std::string sav = tmp_path("cut.sav");
  ASSERT_EQ(TVLwriteprob(e.env, lp, sav.c_str(), nullptr), 0);
  std::string content;
  {
    std::ifstream f(sav, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(f), {});
  }
  {
    std::ofstream f(sav, std::ios::binary);
    f << content.substr(0, content.size() - 20);
  }
  e.clear();
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, sav.c_str(), nullptr), TVLERR_NOT_ENOUGH_DATA_IN_SAV_FILE);
  EXPECT_EQ(e.err.text, "TAVLO Error  1561: Not enough data in SAV file.\n");
  e.clear();
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, bad.c_str(), "SAV"), TVLERR_FILE_IS_NOT_A_SAV_FILE);
  EXPECT_EQ(e.err.text, "TAVLO Error  1560: File '" + bad + "' is not a SAV file.\n");
  {
    std::ofstream f(sav, std::ios::binary);
    std::string newer = content;
    newer[8] = 99;  // version field
    f << newer;
  }
  e.clear();
  EXPECT_EQ(TVLreadcopyprob(e.env, lp, sav.c_str(), nullptr), TVLERR_FILE_HAS_AN_INCOMPATIBLE_FORMAT);
  EXPECT_EQ(e.err.text, "TAVLO Error  1563: File '" + sav + "' has an incompatible format.\n");

  tvl::ModelImage after = capture(e.env, lp);
  char what[256] = "";
  EXPECT_FALSE(tvltest::image_differs(before, after, what, sizeof what)) << what;
  std::remove(bad.c_str());
  std::remove(sav.c_str());
  TVLfreeprob(e.env, &lp);
}

TEST(MpsFiles, ModelPartsAndOddValuesRoundTripThroughEveryFormat) {
  Env e;
  int st;
  TVLLPptr lp = TVLcreateprob(e.env, &st, "parts model");
  // Columns: x (I, bounds [-3, 7]), y (S, ub 8), b (B), z (C, lb -0.0, ub -2), w (N, [1, 9]), v (C free).
  double obj[6] = {1.0 / 3.0, -0.0, 2, 1e-320, 0, 5e300};
  double lb[6] = {-3, 0, 0, -0.0, 1, -1e20}, ub[6] = {7, 8, 1, -2, 9, 1e20};
  double rhs[3] = {0.1, -4, 2}, rng[3] = {0, -2.5, 0};
  int beg[6] = {0, 2, 3, 4, 5, 5}, cnt[6] = {2, 1, 1, 1, 0, 1}, ind[6] = {0, 1, 2, 0, 1, 2};
  double val[6] = {1, -1, 2.5, 1e-7, 3, 4};
  char *cn[6] = {(char *)"x", (char *)"y", (char *)"b", (char *)"z", (char *)"w", (char *)"v"};
  char *rn[3] = {(char *)"r1", (char *)"r2", (char *)"r3"};
  ASSERT_EQ(TVLcopylpwnames(e.env, lp, 6, 3, -1, obj, rhs, "GRE", beg, cnt, ind, val, lb, ub, rng, cn, rn), 0);
  ASSERT_EQ(TVLcopyctype(e.env, lp, "ISBCNC"), 0);
  char type[2] = {'1', '2'};
  int sbeg[2] = {0, 2}, sind[4] = {0, 1, 3, 4};
  double swt[4] = {1, 2, 1.5, 2.5};
  char *sname[2] = {(char *)"s1", nullptr};
  ASSERT_EQ(TVLcopysos(e.env, lp, 2, 4, type, sbeg, sind, swt, sname), 0);
  int qbeg[6] = {0, 2, 3, 3, 3, 3}, qcnt[6] = {2, 1, 0, 0, 0, 0}, qind[3] = {0, 1, 0};
  double qval[3] = {2, 1, 1};
  ASSERT_EQ(TVLcopyquad(e.env, lp, qbeg, qcnt, qind, qval), 0);
  int lind[2] = {0, 3}, qrow[2] = {0, 1}, qcol[2] = {0, 1};
  double lval[2] = {1, -1}, qv[2] = {1, 0.5};
  ASSERT_EQ(TVLaddqconstr(e.env, lp, 2, 2, 10, 'L', lind, lval, qrow, qcol, qv, "qc1"), 0);
  int iind[1] = {5};
  double ival[1] = {1};
  ASSERT_EQ(TVLEaddindconstr(e.env, lp, 2, 1, 1, 4, 'E', iind, ival, "ind1"), 0);
  EXPECT_EQ(TVLgetprobtype(e.env, lp), TVLPROB_MIQCP);
  // MPS names the objective row; without an objective name it is written as "obj".
  ASSERT_EQ(TVLcopyobjname(e.env, lp, "profit"), 0);
  std::string base = tmp_path("parts_model");
  expect_round_trip(e.env, lp, base + ".mps", nullptr);
  expect_round_trip(e.env, lp, base + ".mps", "FMPS");
  expect_round_trip(e.env, lp, base + ".sav", nullptr);
  expect_round_trip(e.env, lp, base + ".sav.bz2", nullptr);
  EXPECT_TRUE(e.err.text.empty()) << e.err.text;
  TVLfreeprob(e.env, &lp);
}

TEST(MpsFiles, ShortNumbersFitTheFixedFields) {
  Env e;
  int st;
  TVLLPptr lp = TVLcreateprob(e.env, &st, "short");
  double obj[1] = {1.0 / 3.0}, lb[1] = {-1e-5 / 3.0}, ub[1] = {12345678.901234}, rhs[1] = {2.0 / 3.0}, val[1] = {7};
  int beg[1] = {0}, cnt[1] = {1}, ind[1] = {0};
  ASSERT_EQ(TVLcopylp(e.env, lp, 1, 1, 1, obj, rhs, "L", beg, cnt, ind, val, lb, ub, nullptr), 0);
  ASSERT_EQ(TVLsetintparam(e.env, TVL_PARAM_MPSLONGNUM, 0), 0);
  std::string p = tmp_path("short.mps");
  ASSERT_EQ(TVLwriteprob(e.env, lp, p.c_str(), nullptr), 0);
  std::ifstream f(p);
  std::string line;
  while (std::getline(f, line)) EXPECT_LE(line.size(), 61u) << line;  // every field in its columns
  TVLLPptr back = TVLcreateprob(e.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(e.env, back, p.c_str(), nullptr), 0);
  double o, l, u;
  ASSERT_EQ(TVLgetobj(e.env, back, &o, 0, 0), 0);
  ASSERT_EQ(TVLgetlb(e.env, back, &l, 0, 0), 0);
  ASSERT_EQ(TVLgetub(e.env, back, &u, 0, 0), 0);
  EXPECT_NEAR(o, obj[0], 1e-10);
  EXPECT_NEAR(l, lb[0], 1e-12);
  EXPECT_NEAR(u, ub[0], 1e-3);
  EXPECT_NE(o, obj[0]);  // cut, no longer exact
  std::remove(p.c_str());
  TVLfreeprob(e.env, &back);
  TVLfreeprob(e.env, &lp);
}
