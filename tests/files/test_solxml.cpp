// Solution and MIP-start documents: exact text of the writers, round trips
// through the readers, the readers' warnings and errors, and an LP solution
// of a Netlib instance written, read back and used as a start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "mip/solnpool.h"
#include "support/api_session.h"

namespace {

using tvltest::ApiSession;

std::string temp_path(const std::string &name) {
  return std::string(TAVLO_BINARY_DIR) + "/solxml_" + std::to_string(::getpid()) + "_" + name;
}

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void spit(const std::string &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Collects the warning channel beside the session's error and log text.
struct Session : ApiSession {
  std::string warnings;
  explicit Session(const char *name) : ApiSession(name) {
    TVLCHANNELptr w = nullptr;
    TVLgetchannels(env, nullptr, &w, nullptr, nullptr);
    TVLaddfuncdest(env, w, &warnings, tvltest::collect_text);
  }
  // Columns a<b&c (0-1), y (continuous), k (integer), caf\xe9 (0-1); one row.
  void load_named_mip() {
    char c0[] = "a<b&c", c1[] = "y", c2[] = "k", c3[] = "caf\xe9";
    char *names[] = {c0, c1, c2, c3};
    const double obj[] = {1, 1, 1, 1}, lb[] = {0, 0, 0, 0}, ub[] = {1, 10, 10, 1};
    ASSERT_EQ(TVLnewcols(env, lp, 4, obj, lb, ub, "BCIB", names), 0);
    char r0[] = "r1";
    char *rn[] = {r0};
    const double rhs = 4;
    ASSERT_EQ(TVLnewrows(env, lp, 1, &rhs, "L", nullptr, rn), 0);
    ASSERT_EQ(TVLchgprobname(env, lp, "demo"), 0);
  }
};

TEST(SolXml, MipStartsWrittenByteForByte) {
  Session s("demo");
  s.load_named_mip();
  char n0[] = "s'1\"";
  char *names[] = {n0, nullptr};
  // Start 0: a<b&c = 1, y = 0.1, k = 1e-20; start 1: k without a value, a<b&c = 0.
  const int beg[] = {0, 3}, ind[] = {0, 1, 2, 2, 0}, effort[] = {1, 0};
  const double val[] = {1.0, 0.1, 1e-20, 1e20, 0.0};
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 3, beg, ind, val, effort, names), 0);
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 2, beg, ind + 3, val + 3, effort + 1, nullptr), 0);
  const std::string path = temp_path("starts.mst");
  ASSERT_EQ(TVLwritemipstarts(s.env, s.lp, path.c_str(), 0, 1), 0);
  // Level 2 (the default for MIP starts) leaves out the continuous y.
  const std::string level2 =
      "<?xml version = \"1.0\" standalone=\"yes\"?>\n"
      "<TAVLOSolutions version=\"1.2\">\n"
      " <TAVLOSolution version=\"1.2\">\n"
      "  <header problemName=\"demo\" solutionName=\"s&apos;1&quot;\" solutionIndex=\"0\" MIPStartEffortLevel=\"1\" "
      "writeLevel=\"2\"/>\n"
      "  <variables>\n"
      "   <variable name=\"a&lt;b&amp;c\" index=\"0\" value=\"1\"/>\n"
      "   <variable name=\"k\" index=\"2\" value=\"1e-20\"/>\n"
      "  </variables>\n"
      " </TAVLOSolution>\n"
      " <TAVLOSolution version=\"1.2\">\n"
      "  <header problemName=\"demo\" solutionName=\"m2\" solutionIndex=\"1\" MIPStartEffortLevel=\"0\" "
      "writeLevel=\"2\"/>\n"
      "  <variables>\n"
      "   <variable name=\"k\" index=\"2\"/>\n"
      "   <variable name=\"a&lt;b&amp;c\" index=\"0\" value=\"0\"/>\n"
      "  </variables>\n"
      " </TAVLOSolution>\n"
      "</TAVLOSolutions>\n";
  EXPECT_EQ(slurp(path), level2);
  // Level 1 writes every entry; level 4 only nonzero discrete ones.
  s.set(TVL_PARAM_WRITELEVEL, 1);
  ASSERT_EQ(TVLwritemipstarts(s.env, s.lp, path.c_str(), 0, 0), 0);
  EXPECT_NE(slurp(path).find("   <variable name=\"y\" index=\"1\" value=\"0.1\"/>\n"), std::string::npos);
  s.set(TVL_PARAM_WRITELEVEL, 4);
  ASSERT_EQ(TVLwritemipstarts(s.env, s.lp, path.c_str(), 1, 1), 0);
  EXPECT_EQ(slurp(path).find("value=\"0\""), std::string::npos);
  s.set(TVL_PARAM_WRITELEVEL, 0);

  // Read back through TVLreadcopyprob (the .mst type): the same starts.
  Session t("demo");
  t.load_named_mip();
  ASSERT_EQ(TVLreadcopyprob(t.env, t.lp, path.c_str(), nullptr), 0);
  ASSERT_EQ(TVLwritemipstarts(s.env, s.lp, path.c_str(), 0, 1), 0);
  ASSERT_EQ(TVLreadcopymipstarts(t.env, t.lp, path.c_str()), 0);
  ASSERT_EQ(TVLgetnummipstarts(t.env, t.lp), 2);
  const tvltest::StartList got = tvltest::get_mipstarts(t.env, t.lp, 0, 1);
  ASSERT_EQ(got.status, 0);
  ASSERT_EQ(got.ind.size(), 4u);
  EXPECT_EQ(got.effort[0], 1);
  EXPECT_EQ(got.val[1], 1e-20);
  EXPECT_EQ(got.ind[2], 2);
  EXPECT_EQ(got.val[2], 1e20);  // no value in the file
  int surplus = 0;
  char *nm[2];
  char store[16];
  ASSERT_EQ(TVLgetmipstartname(t.env, t.lp, nm, store, sizeof store, &surplus, 0, 1), 0);
  EXPECT_STREQ(nm[0], "s'1\"");
  EXPECT_STREQ(nm[1], "m2");
  std::remove(path.c_str());
}

const char *kWarnedFile =
    "<?xml version = \"1.0\" standalone=\"yes\"?>\n"
    "<TAVLOSolutions version=\"1.2\">\n"
    " <TAVLOSolution version=\"1.2\">\n"
    "  <header problemName=\"demo\" solutionName=\"first\" MIPStartEffortLevel=\"3\" writeLevel=\"1\"/>\n"
    "  <variables>\n"
    "   <variable name=\"nosuch\" index=\"0\" value=\"1\"/>\n"
    "   <variable index=\"7\" value=\"1\"/>\n"
    "   <variable name=\"k\" value=\"2\"/>\n"
    "   <variable name=\"k\" value=\"3\"/>\n"
    "   <variable index=\"0\"/>\n"
    "   <variable index=\"0\" value=\"1\"/>\n"
    "  </variables>\n"
    " </TAVLOSolution>\n"
    " <TAVLOSolution version=\"1.2\">\n"
    "  <header solutionName=\"second\"/>\n"
    "  <variables>\n"
    "   <variable name=\"y\" value=\"0.5\"/>\n"
    "   <variable name=\"caf\xe9\" value=\"1\"/>\n"
    "  </variables>\n"
    " </TAVLOSolution>\n"
    "</TAVLOSolutions>\n";

TEST(SolXml, MipStartReaderWarnings) {
  Session s("demo");
  s.load_named_mip();
  const std::string path = temp_path("warned.mst");
  spit(path, kWarnedFile);
  // The default extension is tried when the name as given does not open.
  const std::string stem = path.substr(0, path.size() - 4);
  ASSERT_EQ(TVLreadcopymipstarts(s.env, s.lp, stem.c_str()), 0);
  EXPECT_EQ(s.warnings,
            "Warning, line 6: 'nosuch' is not a variable.\n"
            "Warning, line 7: Variable index '7' out of range.\n"
            "Warning, line 9: repeated entry for 'k'.\n"
            "Warning, line 11: repeated entry for variable index 0.\n");
  ASSERT_EQ(TVLgetnummipstarts(s.env, s.lp), 2);
  const tvltest::StartList got = tvltest::get_mipstarts(s.env, s.lp, 0, 1);
  ASSERT_EQ(got.status, 0);
  ASSERT_EQ(got.ind.size(), 4u);
  EXPECT_EQ(got.effort[0], 3);
  EXPECT_EQ(got.ind[0], 2);
  EXPECT_EQ(got.val[0], 2.0);
  EXPECT_EQ(got.ind[1], 0);
  EXPECT_EQ(got.val[1], 1e20);
  EXPECT_EQ(got.ind[3], 3);  // the Latin-1 name, folded back from UTF-8
  int which = -1;
  ASSERT_EQ(TVLgetmipstartindex(s.env, s.lp, "second", &which), 0);
  EXPECT_EQ(which, 1);

  // One start only: the first, with a warning.
  s.warnings.clear();
  ASSERT_EQ(TVLreadcopymipstart(s.env, s.lp, path.c_str()), 0);
  EXPECT_NE(s.warnings.find("Warning: more than one TAVLOSolution element in file, only first one processed.\n"),
            std::string::npos);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 1);

  // Twenty warnings at most; nothing read leaves the starts alone.
  std::string many = "<TAVLOSolutions>\n <TAVLOSolution>\n  <variables>\n";
  for (int k = 0; k < 25; ++k) many += "   <variable name=\"z" + std::to_string(k) + "\" value=\"1\"/>\n";
  many += "  </variables>\n </TAVLOSolution>\n</TAVLOSolutions>\n";
  spit(path, many);
  s.warnings.clear();
  ASSERT_EQ(TVLreadcopymipstarts(s.env, s.lp, path.c_str()), 0);
  EXPECT_NE(s.warnings.find("Warning, line 23: 'z19' is not a variable.\n"), std::string::npos);
  EXPECT_EQ(s.warnings.find("'z20'"), std::string::npos);
  EXPECT_NE(s.warnings.find("5 warnings not printed.\n"
                            "Warning: no MIP start values read, no MIP start loaded.\n"),
            std::string::npos);
  EXPECT_EQ(TVLgetnummipstarts(s.env, s.lp), 1);

  // A document that is not well formed.
  spit(path, "<TAVLOSolutions>\n <TAVLOSolution>\n</TAVLOSolutions>\n");
  s.errors.clear();
  EXPECT_EQ(TVLreadcopymipstarts(s.env, s.lp, path.c_str()), 1425);
  EXPECT_EQ(s.errors, "TAVLO Error  1425: XML parsing error at line 3: mismatched tag.\n");
  std::remove(path.c_str());
}

TEST(SolXml, WriterErrors) {
  Session s("demo");
  s.load_named_mip();
  EXPECT_EQ(TVLsolwrite(s.env, s.lp, ""), 1421);
  EXPECT_EQ(TVLwritemipstarts(s.env, s.lp, temp_path("x.mst").c_str(), 0, 0), TVLERR_NO_MIP_START_EXISTS);
  EXPECT_EQ(TVLsolwrite(s.env, s.lp, temp_path("x.sol").c_str()), TVLERR_NO_SOLUTION_EXISTS);
  EXPECT_EQ(TVLsolwritesolnpoolall(s.env, s.lp, temp_path("x.sol").c_str()), TVLERR_NO_SOLUTION_POOL_EXISTS);
  const int beg = 0, ind = 0;
  const double val = 1;
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 1, &beg, &ind, &val, nullptr, nullptr), 0);
  s.errors.clear();
  EXPECT_EQ(TVLwritemipstarts(s.env, s.lp, "/nonexistent/dir/x.mst", 0, 0), 1422);
  EXPECT_EQ(s.errors, "TAVLO Error  1422: Could not open file '/nonexistent/dir/x.mst' for writing.\n");
}

TEST(SolXml, PoolSolutionsWrittenAndReadAsStarts) {
  Session s("tiny");
  // max x + 2y, r1: x + y <= 4, x integer in [0,3], y >= 0.
  const double obj[] = {1, 2}, lb[] = {0, 0}, ub[] = {3, 1e20};
  char x[] = "x", y[] = "y";
  char *cn[] = {x, y};
  ASSERT_EQ(TVLnewcols(s.env, s.lp, 2, obj, lb, ub, "IC", cn), 0);
  char r[] = "r1";
  char *rn[] = {r};
  const double rhs = 4;
  ASSERT_EQ(TVLnewrows(s.env, s.lp, 1, &rhs, "L", nullptr, rn), 0);
  const int col[] = {0, 1}, row[] = {0, 0};
  const double one[] = {1, 1};
  ASSERT_EQ(TVLchgcoeflist(s.env, s.lp, 2, row, col, one), 0);
  ASSERT_EQ(TVLchgobjsen(s.env, s.lp, TVL_MAX), 0);
  ASSERT_EQ(tvl::solnpool_prepare(s.env, s.lp), 0);
  const double a[] = {1, 0.5}, b[] = {3, 1};
  ASSERT_EQ(tvl::solnpool_offer(s.lp, a, -2.0), tvl::kPoolAppended);
  ASSERT_EQ(tvl::solnpool_offer(s.lp, b, -5.0), tvl::kPoolAppended);

  const std::string path = temp_path("pool.sol");
  ASSERT_EQ(TVLsolwritesolnpool(s.env, s.lp, 0, path.c_str()), 0);
  EXPECT_EQ(slurp(path),
            "<?xml version = \"1.0\" standalone=\"yes\"?>\n"
            "<TAVLOSolution version=\"1.2\">\n"
            " <header problemName=\"tiny\" solutionName=\"p1\" solutionIndex=\"0\" objectiveValue=\"2\" "
            "solutionTypeValue=\"3\" solutionTypeString=\"primal\" solutionStatusValue=\"0\" "
            "solutionStatusString=\"\" solutionMethodString=\"mip\" primalFeasible=\"1\" dualFeasible=\"0\" "
            "MIPNodes=\"0\" MIPIterations=\"0\" writeLevel=\"1\"/>\n"
            " <quality epInt=\"1e-05\" epRHS=\"1e-06\" maxIntInfeas=\"0\" maxPrimalInfeas=\"0\" maxX=\"1\" "
            "maxSlack=\"2.5\"/>\n"
            " <linearConstraints>\n"
            "  <constraint name=\"r1\" index=\"0\" slack=\"2.5\"/>\n"
            " </linearConstraints>\n"
            " <variables>\n"
            "  <variable name=\"x\" index=\"0\" value=\"1\"/>\n"
            "  <variable name=\"y\" index=\"1\" value=\"0.5\"/>\n"
            " </variables>\n"
            "</TAVLOSolution>\n");
  ASSERT_EQ(TVLsolwritesolnpoolall(s.env, s.lp, path.c_str()), 0);
  std::string all = slurp(path);
  EXPECT_EQ(all.rfind("<TAVLOSolutions version=\"1.2\">\n", 60), 41u);
  EXPECT_NE(all.find("  <header problemName=\"tiny\" solutionName=\"p2\" solutionIndex=\"1\" objectiveValue=\"5\""),
            std::string::npos);
  EXPECT_NE(all.find("   <constraint name=\"r1\" index=\"0\" slack=\"0\"/>\n"), std::string::npos);

  // The pool as MIP starts (level 2: only x), read back into the problem.
  const std::string mst = temp_path("pool.mst.gz");
  ASSERT_EQ(TVLmstwritesolnpoolall(s.env, s.lp, mst.c_str()), 0);
  ASSERT_EQ(TVLreadcopymipstarts(s.env, s.lp, mst.c_str()), 0);
  const tvltest::StartList got = tvltest::get_mipstarts(s.env, s.lp, 0, TVLgetnummipstarts(s.env, s.lp) - 1);
  EXPECT_EQ(got.beg, (std::vector<int>{0, 1}));
  EXPECT_EQ(got.val, (std::vector<double>{1.0, 3.0}));
  std::remove(path.c_str());
  std::remove(mst.c_str());
}

TEST(SolXml, NetlibSolutionWrittenAndReadBackAsStart) {
  Session s("afiro");
  ASSERT_EQ(s.read_netlib("afiro"), 0);
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  ASSERT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  double opt = 0;
  ASSERT_EQ(TVLgetobjval(s.env, s.lp, &opt), 0);
  const std::string path = temp_path("afiro.sol.gz");
  ASSERT_EQ(TVLsolwrite(s.env, s.lp, path.c_str()), 0);

  Session t("afiro");
  ASSERT_EQ(t.read_netlib("afiro"), 0);
  ASSERT_EQ(TVLreadcopysol(t.env, t.lp, path.c_str()), 0);
  EXPECT_EQ(t.warnings, "");
  ASSERT_EQ(TVLlpopt(t.env, t.lp), 0);
  EXPECT_EQ(TVLgetstat(t.env, t.lp), TVL_STAT_OPTIMAL);
  EXPECT_EQ(TVLgetitcnt(t.env, t.lp), 0);  // the written basis is optimal
  double again = 0;
  ASSERT_EQ(TVLgetobjval(t.env, t.lp, &again), 0);
  EXPECT_NEAR(again, opt, 1e-9 * (1 + std::abs(opt)));

  // The plain file: header and one element per row and column, the
  // values as the solution queries give them (to 15 digits).
  const std::string plain = temp_path("afiro.sol");
  ASSERT_EQ(TVLwriteprob(s.env, s.lp, plain.c_str(), nullptr), 0);
  std::string text = slurp(plain);
  EXPECT_NE(text.find("solutionTypeString=\"basic\" solutionStatusValue=\"1\" solutionStatusString=\"optimal\""),
            std::string::npos);
  size_t rows = 0, cols = 0;
  for (size_t p = 0; (p = text.find("<constraint ", p)) != std::string::npos; ++p) ++rows;
  for (size_t p = 0; (p = text.find("<variable ", p)) != std::string::npos; ++p) ++cols;
  EXPECT_EQ(rows, static_cast<size_t>(TVLgetnumrows(s.env, s.lp)));
  EXPECT_EQ(cols, static_cast<size_t>(TVLgetnumcols(s.env, s.lp)));
  char buf[64];
  std::snprintf(buf, sizeof buf, "objectiveValue=\"%.15g\"", opt);
  EXPECT_NE(text.find(buf), std::string::npos);
  std::remove(path.c_str());
  std::remove(plain.c_str());
}

}  // namespace
