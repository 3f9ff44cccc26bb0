// Basis files: the writer's exact text (pairing, letters, defaults,
// values), and the reader's grammar, warnings and failures.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "test_mps_util.h"

using filetest::Env;

namespace {

std::string path_of(const char *name) { return std::string(TAVLO_BINARY_DIR) + "/" + name; }

std::string read_text(const std::string &p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void write_text(const std::string &p, const std::string &s) {
  std::ofstream f(p, std::ios::binary);
  f << s;
}

// 3 columns, rows R1 (L), R2 (G), optionally named.
TVLLPptr small_lp(TVLENVptr env, bool names) {
  int st;
  TVLLPptr lp = TVLcreateprob(env, &st, "small");
  double obj[3] = {1, 2, 3}, lb[3] = {0, 0, 0}, ub[3] = {4, 4, 4}, rhs[2] = {5, 1}, val[4] = {1, 1, 1, 1};
  int beg[3] = {0, 2, 3}, cnt[3] = {2, 1, 1}, ind[4] = {0, 1, 0, 1};
  char *cn[3] = {(char *)"X", (char *)"Y", (char *)"Z"};
  char *rn[2] = {(char *)"R1", (char *)"R2"};
  EXPECT_EQ(TVLcopylpwnames(env, lp, 3, 2, 1, obj, rhs, "LG", beg, cnt, ind, val, lb, ub, nullptr,
                            names ? cn : nullptr, names ? rn : nullptr),
            0);
  return lp;
}

}  // namespace

TEST(BasisFile, WriterTextPairsColumnsWithRowsAndUsesDefaults) {
  Env e;
  std::string p = path_of("writer.bas");
  TVLLPptr lp = small_lp(e.env, false);
  EXPECT_EQ(TVLmbasewrite(e.env, lp, p.c_str()), TVLERR_NO_BASIS_EXISTS);
  // Slack basis, all columns at lower bound: only the header and ENDATA.
  int cs[3] = {0, 0, 0}, rs[2] = {1, 1};
  ASSERT_EQ(TVLcopybase(e.env, lp, cs, rs), 0);
  e.clear();
  ASSERT_EQ(TVLmbasewrite(e.env, lp, p.c_str()), 0);
  EXPECT_EQ(read_text(p), "NAME          small\nENDATA\n");
  EXPECT_EQ(e.warn.text,
            "Default variable names x1, x2 ... to be created.\nDefault row names c1, c2 ... to be created.\n");
  // Columns 0 and 2 basic, both rows nonbasic (row 1 is a G row: XU even at
  // status 0), column 1 at its upper bound.
  int cs2[3] = {1, 2, 1}, rs2[2] = {0, 0};
  ASSERT_EQ(TVLcopybase(e.env, lp, cs2, rs2), 0);
  ASSERT_EQ(TVLmbasewrite(e.env, lp, p.c_str()), 0);
  EXPECT_EQ(read_text(p), "NAME          small\n XL x1  c1\n XU x3  c2\n UL x2\nENDATA\n");
  // One basic column too many for the rows.
  int cs3[3] = {1, 1, 1}, rs3[2] = {0, 1};
  ASSERT_EQ(TVLcopybase(e.env, lp, cs3, rs3), 0);
  e.clear();
  EXPECT_EQ(TVLmbasewrite(e.env, lp, p.c_str()), TVLERR_BASIC_VARIABLE_S);
  EXPECT_EQ(e.err.text, "TAVLO Error  1555: 2 extra basic variable(s).\n");
  EXPECT_EQ(read_text(p), "");
  EXPECT_EQ(TVLmbasewrite(e.env, lp, ""), TVLERR_FILE_NAME_NOT_SPECIFIED);
  std::remove(p.c_str());
  TVLfreeprob(e.env, &lp);
}

TEST(BasisFile, ReaderInstallsStatusesAndRoundTrips) {
  Env e;
  std::string p = path_of("reader.bas");
  TVLLPptr lp = small_lp(e.env, true);
  write_text(p, "NAME          small\n XU Y  R1\n UL Z\n LL Q\nENDATA\n");
  ASSERT_EQ(TVLreadcopybase(e.env, lp, p.c_str()), 0) << e.err.text;
  int cs[3], rs[2];
  ASSERT_EQ(TVLgetbase(e.env, lp, cs, rs), 0);
  EXPECT_EQ(std::vector<int>(cs, cs + 3), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(std::vector<int>(rs, rs + 2), (std::vector<int>{2, 1}));
  EXPECT_EQ(e.warn.text, "Warning, line 4: 'Q' is not a variable.\n");
  // Written again and read back: the same statuses.
  std::string q = path_of("again.bas");
  ASSERT_EQ(TVLmbasewrite(e.env, lp, q.c_str()), 0);
  TVLLPptr other = small_lp(e.env, true);
  ASSERT_EQ(TVLreadcopybase(e.env, other, q.c_str()), 0);
  int cs2[3], rs2[2];
  ASSERT_EQ(TVLgetbase(e.env, other, cs2, rs2), 0);
  EXPECT_EQ(std::vector<int>(cs2, cs2 + 3), std::vector<int>(cs, cs + 3));
  EXPECT_EQ(std::vector<int>(rs2, rs2 + 2), std::vector<int>(rs, rs + 2));
  TVLfreeprob(e.env, &other);
  std::remove(q.c_str());
  std::remove(p.c_str());
  TVLfreeprob(e.env, &lp);
}

TEST(BasisFile, ReaderMessagesAndFailures) {
  Env e;
  std::string p = path_of("bad.bas");
  TVLLPptr lp = small_lp(e.env, true);
  struct Case {
    const char *text;
    int status;
    const char *err;
  } cases[] = {
      {"NAMES x\n", 0, ""},
      {"BASIS\n", 1441, "TAVLO Error  1441: Line 1: No NAME section.\n"},
      {"NAME\n xu X R1\nENDATA\n", 1551, "TAVLO Error  1551: Line 2: Unrecognized basis indicator 'xu'.\n"},
      {"NAME\n QQ X\nENDATA\n", 1551, "TAVLO Error  1551: Line 2: Unrecognized basis indicator 'QQ'.\n"},
      {"NAME\n XU X\nENDATA\n", 1553, "TAVLO Error  1553: Line 2: Wrong number of entries.\n"},
      {"NAME\n SC X 1.5\nENDATA\n", 1550, "TAVLO Error  1550: Basis missing some basic values.\n"},
  };
  for (const Case &c : cases) {
    write_text(p, c.text);
    e.clear();
    EXPECT_EQ(TVLreadcopybase(e.env, lp, p.c_str()), c.status) << c.text;
    EXPECT_EQ(e.err.text, c.err) << c.text;
  }
  // Missing ENDATA is accepted with a warning; 25 unknown names print 20.
  std::string text = "NAME\n";
  for (int k = 0; k < 25; ++k) text += " LL C" + std::to_string(k) + "\n";
  write_text(p, text);
  e.clear();
  EXPECT_EQ(TVLreadcopybase(e.env, lp, p.c_str()), 0);
  EXPECT_NE(e.warn.text.find("Warning, line 21: 'C19' is not a variable.\n5 warnings not printed.\n"
                             "Warning: 'ENDATA' missing.\n"),
            std::string::npos)
      << e.warn.text;
  EXPECT_EQ(e.warn.text.find("'C20'"), std::string::npos);
  // Without names the basis cannot be matched; a missing file is 1423.
  TVLLPptr anon = small_lp(e.env, false);
  e.clear();
  EXPECT_EQ(TVLreadcopybase(e.env, anon, p.c_str()), TVLERR_NO_NAMES_EXIST);
  std::string none = path_of("none_such");
  EXPECT_EQ(TVLreadcopybase(e.env, lp, none.c_str()), TVLERR_COULD_NOT_OPEN_FILE_FOR_READING);
  TVLfreeprob(e.env, &anon);
  std::remove(p.c_str());
  TVLfreeprob(e.env, &lp);
}
