// Parameter files: writing, reading back (plain and compressed), and the
// diagnostics and all-or-nothing behaviour of malformed files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tavlo.h"

namespace {

void collect(void *handle, const char *msg) { static_cast<std::string *>(handle)->append(msg); }

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct ParamFile : ::testing::Test {
  TVLENVptr env = nullptr;
  std::string errors, warnings, results;
  std::string dir;

  void SetUp() override {
    int status = -1;
    env = TVLopenTAVLO(&status);
    ASSERT_EQ(status, 0);
    capture(env);
    dir = ::testing::TempDir() + "tvl_prm_" + std::to_string(getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  }
  void TearDown() override {
    TVLcloseTAVLO(&env);
    std::system(("rm -rf '" + dir + "'").c_str());
  }
  void capture(TVLENVptr e) {
    TVLCHANNELptr res, warn, err;
    TVLgetchannels(e, &res, &warn, &err, nullptr);
    TVLaddfuncdest(e, err, &errors, collect);
    TVLaddfuncdest(e, warn, &warnings, collect);
    TVLaddfuncdest(e, res, &results, collect);
  }
  std::string header() const { return std::string("TAVLO Parameter File Version ") + TVLversion(env) + "\n"; }
  std::string put(const std::string &name, const std::string &text) {
    std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  int intp(int num) {
    int v = 0;
    EXPECT_EQ(TVLgetintparam(env, num, &v), 0);
    return v;
  }
  double dblp(int num) {
    double v = 0;
    EXPECT_EQ(TVLgetdblparam(env, num, &v), 0);
    return v;
  }
};

TEST_F(ParamFile, WritesChangedValuesInRegistryOrder) {
  std::string path = dir + "/fresh.prm";
  ASSERT_EQ(TVLwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(slurp(path), header());

  TVLsetintparam(env, TVL_PARAM_QPNZREADLIM, 9);
  TVLsetintparam(env, TVL_PARAM_NETITLIM, 8);
  TVLsetdblparam(env, TVL_PARAM_EPGAP, 0.01);
  TVLsetstrparam(env, TVL_PARAM_WORKDIR, "my dir # here");
  TVLsetintparam(env, 1004, 12);
  TVLsetintparam(env, 1053, 1);  // never written
  ASSERT_EQ(TVLwriteparam(env, path.c_str()), 0);
  EXPECT_EQ(slurp(path), header() +
                             "1004                             12\n"
                             "TVL_PARAM_WORKDIR                \"my dir # here\"\n"
                             "TVL_PARAM_EPGAP                  1.00000000000000e-02   \n"
                             "TVL_PARAM_NETITLIM               8\n"
                             "TVL_PARAM_QPNZREADLIM            9\n");

  EXPECT_EQ(TVLwriteparam(env, ""), 1421);
  EXPECT_EQ(TVLwriteparam(env, (dir + "/missing/x.prm").c_str()), 1422);
  EXPECT_EQ(errors, "TAVLO Error  1421: File name not specified.\n"
                    "TAVLO Error  1422: Could not open file '" + dir + "/missing/x.prm' for writing.\n");
}

// Round trip through plain and compressed files into a second environment
// whose own changes are reset by the read.
TEST_F(ParamFile, RoundTripPlainAndCompressed) {
  TVLsetdblparam(env, TVL_PARAM_EPGAP, 0.01);
  TVLsetdblparam(env, TVL_PARAM_OBJULIM, 1.0 / 3.0);
  TVLsetintparam(env, TVL_PARAM_MIPINTERVAL, -7);
  TVLsetstrparam(env, TVL_PARAM_WORKDIR, "a dir#1");
  TVLsetstrparam(env, 1116, ".mps");
  TVLsetintparam(env, 2083, -32);

  for (const char *name : {"p.prm", "p.prm.gz", "p.PRM.BZ2", "p.prm.Z"}) {
    std::string path = dir + "/" + name;
    ASSERT_EQ(TVLwriteparam(env, path.c_str()), 0) << name;
    std::string raw = slurp(path);
    if (std::string(name) != "p.prm") {
      EXPECT_NE(raw.substr(0, 5), "TAVLO") << name;
    }

    int status;
    TVLENVptr other = TVLopenTAVLO(&status);
    TVLsetintparam(other, TVL_PARAM_NODELIM, 3);
    ASSERT_EQ(TVLreadcopyparam(other, path.c_str()), 0) << name;
    int n = 0;
    EXPECT_EQ(TVLgetchgparam(other, &n, nullptr, 0, &status), 1207);
    EXPECT_EQ(status, -4);  // EPGAP, OBJULIM, MIPINTERVAL, WORKDIR
    double d;
    TVLgetdblparam(other, TVL_PARAM_EPGAP, &d);
    EXPECT_EQ(d, 0.01);
    TVLgetdblparam(other, TVL_PARAM_OBJULIM, &d);
    EXPECT_NEAR(d, 1.0 / 3.0, 1e-15);  // 15 significant digits in the file
    int v;
    TVLgetintparam(other, TVL_PARAM_NODELIM, &v);
    EXPECT_EQ(v, 2100000000);
    TVLgetintparam(other, 2083, &v);
    EXPECT_EQ(v, -32);
    char buf[TVL_STR_PARAM_MAX];
    TVLgetstrparam(other, TVL_PARAM_WORKDIR, buf);
    EXPECT_STREQ(buf, "a dir#1");
    TVLgetstrparam(other, 1116, buf);
    EXPECT_STREQ(buf, ".mps");
    TVLcloseTAVLO(&other);
  }
}

TEST_F(ParamFile, ReadingHeaderCommentsWarningsAndOrder) {
  TVLsetintparam(env, TVL_PARAM_NODELIM, 3);
  std::string path = put("ok.prm",
                         "# leading comment\n"
                         "\n" +
                             header() +
                             "1075 1   # echo the sets\n"
                             "TVL_PARAM_EPGAP 0.5\n"
                             "TVL_PARAM_WORKDIR \"x # y\"  # trailing\n"
                             "  TVL_PARAM_ITLIM   1.5\n"
                             "1011 99\n");  // no parameter 1011: ignored
  ASSERT_EQ(TVLreadcopyparam(env, path.c_str()), 0);
  EXPECT_EQ(warnings, "Warning, line 7: non-integral value specified for integer parameter.\n");
  EXPECT_EQ(results,
            "Parameter 1075 set to 1.\n"
            "Parameter 1020 set to 1.\n"
            "Parameter 2009 set to 0.5.\n"
            "Parameter 1064 set to \"x # y\".\n");
  EXPECT_EQ(intp(TVL_PARAM_NODELIM), 2100000000);
  EXPECT_EQ(errors, "");

  // Default extension, and a version that differs from the library's.
  TVLsetintparam(env, 1075, 0);
  put("other.prm", "TAVLO Parameter File Version 9.9.9.9\nTVL_PARAM_ITLIM 4\n");
  warnings.clear();
  ASSERT_EQ(TVLreadcopyparam(env, (dir + "/other").c_str()), 0);
  EXPECT_EQ(warnings, "Warning:  TAVLO version found in file " + dir + "/other (9.9.9.9) does not match\n" +
                          "          this TAVLO version (" + TVLversion(env) + ").\n");
  EXPECT_EQ(intp(TVL_PARAM_ITLIM), 4);
}

// Every malformed file fails with its message and leaves all values as they were.
TEST_F(ParamFile, MalformedFilesChangeNothing) {
  TVLsetintparam(env, TVL_PARAM_ITLIM, 77);
  TVLsetdblparam(env, TVL_PARAM_EPGAP, 0.25);
  const std::string h = header();
  struct Case {
    const char *text;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"TVL_PARAM_ITLIM 5\n", 1661, "TAVLO Error  1661: Line 1:  Missing or invalid header.\n"},
      {"", 1661, "TAVLO Error  1661: Line 1:  Missing or invalid header.\n"},
      {"#c\nTAVLO Parameter File\n", 1661, "TAVLO Error  1661: Line 2:  Missing or invalid header.\n"},
      {"HDR1020 abc\n", 1434, "TAVLO Error  1434: Line 2: Couldn't convert 'abc' to a number.\n"},
      {"HDRTVL_PARAM_EPGAP\n", 1434, "TAVLO Error  1434: Line 2: Couldn't convert '' to a number.\n"},
      {"HDRTVL_PARAM_ITLIM 5\n   \t\n", 1660, "TAVLO Error  1660: Line 3:  Not enough entries.\n"},
      {"HDRTVL_PARAM_WORKDIR \"open\n", 1660, "TAVLO Error  1660: Line 2:  Not enough entries.\n"},
      {"HDRTVL_PARAM_WORKDIR # none\n", 1660, "TAVLO Error  1660: Line 2:  Not enough entries.\n"},
      {"HDRTVL_PARAM_ITLIMIT 5\n", 1028, "TAVLO Error  1028: Bad parameter name to TAVLO parameter routine.\n"},
      {"HDR1500 5\n", 1013, "TAVLO Error  1013: Bad parameter number to TAVLO parameter routine.\n"},
      {"HDRTVL_PARAM_EPGAP 1\nTVL_PARAM_SCRIND 2\n", 1015, "TAVLO Error  1015: Parameter value too big.\n"},
      {"HDRTVL_PARAM_POLISHTIME 1\nTVL_PARAM_POLISHAFTERNODE 5\n", 1807,
       "TAVLO Error  1807: Incompatible parameters.\n"},
  };
  for (const Case &c : cases) {
    std::string text = c.text;
    if (text.rfind("HDR", 0) == 0) text = h + text.substr(3);
    std::string path = put("bad.prm", text);
    errors.clear();
    EXPECT_EQ(TVLreadcopyparam(env, path.c_str()), c.status) << text;
    EXPECT_EQ(errors, c.message) << text;
    EXPECT_EQ(intp(TVL_PARAM_ITLIM), 77);
    EXPECT_EQ(dblp(TVL_PARAM_EPGAP), 0.25);
  }

  // With 1053 on, numbers are taken as names.
  TVLsetintparam(env, 1053, 1);
  errors.clear();
  EXPECT_EQ(TVLreadcopyparam(env, put("num.prm", h + "1020 5\n").c_str()), 1028);
  TVLsetintparam(env, 1053, 0);

  errors.clear();
  EXPECT_EQ(TVLreadcopyparam(env, (dir + "/absent").c_str()), 1423);
  EXPECT_EQ(errors, "TAVLO Error  1423: Could not open file '" + dir + "/absent' for reading.\n" +
                        "TAVLO Error  1423: Could not open file '" + dir + "/absent.prm' for reading.\n");
  EXPECT_EQ(intp(TVL_PARAM_ITLIM), 77);
}

}  // namespace
