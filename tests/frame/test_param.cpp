// Parameter registry and access functions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "frame/env.h"
#include "frame/param.h"
#include "tavlo.h"

namespace {

void collect(void *handle, const char *msg) { static_cast<std::string *>(handle)->append(msg); }

// An environment whose error and results channels are captured in strings.
struct ParamEnv : ::testing::Test {
  TVLENVptr env = nullptr;
  std::string errors, results;
  void SetUp() override {
    int status = -1;
    env = TVLopenTAVLO(&status);
    ASSERT_EQ(status, 0);
    TVLCHANNELptr res, err;
    TVLgetchannels(env, &res, nullptr, &err, nullptr);
    TVLaddfuncdest(env, err, &errors, collect);
    TVLaddfuncdest(env, res, &results, collect);
  }
  void TearDown() override { TVLcloseTAVLO(&env); }
};

bool has_stdout(const tvlchannel *ch) {
  int n = 0;
  for (const tvldest *d = ch->head; d; d = d->next) n += d->kind == 1 && d->fp == stdout;
  return n == 1;
}

TEST_F(ParamEnv, IntegerLimitsAndStatuses) {
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_ITLIM, -1), 1014);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_SCRIND, 2), 1015);
  EXPECT_EQ(TVLsetintparam(env, 6000, 0), 1013);
  EXPECT_EQ(TVLsetintparam(env, 1000, 0), 1013);
  EXPECT_EQ(TVLsetintparam(env, 1011, 0), 1013);  // gap inside a range
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_EPGAP, 0), 1013);  // a double
  EXPECT_EQ(errors,
            "TAVLO Error  1014: Parameter value too small.\n"
            "TAVLO Error  1015: Parameter value too big.\n"
            "TAVLO Error  1013: Bad parameter number to TAVLO parameter routine.\n"
            "TAVLO Error  1013: Bad parameter number to TAVLO parameter routine.\n"
            "TAVLO Error  1013: Bad parameter number to TAVLO parameter routine.\n"
            "TAVLO Error  1013: Bad parameter number to TAVLO parameter routine.\n");
  int v = 0;
  EXPECT_EQ(TVLgetintparam(env, TVL_PARAM_ITLIM, &v), 0);
  EXPECT_EQ(v, 2100000000);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_ITLIM, 0), 0);
  EXPECT_EQ(TVLgetintparam(env, TVL_PARAM_ITLIM, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(TVLgetintparam(env, TVL_PARAM_ITLIM, nullptr), 1004);
  EXPECT_EQ(TVLgetintparam(env, TVL_PARAM_EPGAP, &v), 1013);
  EXPECT_EQ(TVLgetintparam(env, 7000, &v), 1013);
  EXPECT_EQ(TVLsetintparam(nullptr, TVL_PARAM_ITLIM, 0), 1002);

  // Limits of T depend on the processors online: T in [1, 16].
  int def, lo, hi;
  EXPECT_EQ(TVLinfointparam(env, TVL_PARAM_THREADS, &def, &lo, &hi), 0);
  EXPECT_EQ(def, 0);
  EXPECT_GE(hi, 1);
  EXPECT_LE(hi, 16);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_THREADS, hi), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_THREADS, hi + 1), 1015);
  int auxhi;
  EXPECT_EQ(TVLinfointparam(env, TVL_PARAM_AUXROOTTHREADS, nullptr, &lo, &auxhi), 0);
  EXPECT_EQ(lo, -1);
  EXPECT_EQ(auxhi, hi - 1);
  EXPECT_EQ(TVLinfointparam(env, 2014, nullptr, nullptr, &auxhi), 0);  // hidden, [0, T]
  EXPECT_EQ(auxhi, hi);
  EXPECT_EQ(TVLinfointparam(env, TVL_PARAM_EPGAP, &def, &lo, &hi), 1013);
}

TEST_F(ParamEnv, DoubleAndStringParameters) {
  double d = 0;
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_OBJULIM, -5.0), 0);  // no range
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_OBJULIM, 1e80), 0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_EPOPT, 1.0), 1015);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_EPOPT, 1e-10), 1014);
  EXPECT_EQ(TVLgetdblparam(env, TVL_PARAM_EPOPT, &d), 0);
  EXPECT_EQ(d, 1e-6);
  double def, lo, hi;
  EXPECT_EQ(TVLinfodblparam(env, TVL_PARAM_CUTLO, &def, &lo, &hi), 0);
  EXPECT_EQ(def, -1e75);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 0.0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_ITLIM, 1.0), 1013);

  char buf[TVL_STR_PARAM_MAX];
  EXPECT_EQ(TVLgetstrparam(env, TVL_PARAM_WORKDIR, buf), 0);
  EXPECT_STREQ(buf, ".");
  EXPECT_EQ(TVLsetstrparam(env, TVL_PARAM_WORKDIR, "/tmp/work dir"), 0);
  EXPECT_EQ(TVLgetstrparam(env, TVL_PARAM_WORKDIR, buf), 0);
  EXPECT_STREQ(buf, "/tmp/work dir");
  std::string longest(511, 'x');
  EXPECT_EQ(TVLsetstrparam(env, 1106, longest.c_str()), 0);
  EXPECT_EQ(TVLsetstrparam(env, 1106, (longest + "y").c_str()), 1026);
  EXPECT_EQ(TVLgetstrparam(env, 1106, buf), 0);
  EXPECT_EQ(std::string(buf), longest);
  EXPECT_EQ(TVLinfostrparam(env, 1106, buf), 0);
  EXPECT_STREQ(buf, ".lp");
  EXPECT_EQ(TVLsetstrparam(env, TVL_PARAM_EPGAP, "x"), 1013);
  EXPECT_EQ(TVLgetstrparam(env, TVL_PARAM_ITLIM, buf), 1013);
}

TEST_F(ParamEnv, PolishCompatibility) {
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHTIME, 10.0), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 100), 1807);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERINTSOL, 5), 1807);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 2100000000), 0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHAFTEREPGAP, 0.1), 1807);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHAFTEREPGAP, 2.0), 1807);  // before the range result
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHAFTERTIME, 5.0), 1807);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHAFTEREPAGAP, 0.0), 0);

  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHTIME, 0.0), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 100), 0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHTIME, 1.0), 1807);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 209999999), 0);  // still "in use"
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHTIME, 1.0), 1807);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 210000000), 0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_POLISHTIME, 1.0), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_POLISHAFTERNODE, 210000000), 1807);
}

TEST_F(ParamEnv, ScreenEchoAndTwinField) {
  tvlenv *e = env;
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_SCRIND, 1), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_SCRIND, 1), 0);
  EXPECT_TRUE(has_stdout(e->chan_results));
  EXPECT_TRUE(has_stdout(e->chan_warning));
  EXPECT_TRUE(has_stdout(e->chan_error));
  EXPECT_EQ(e->chan_log->head, nullptr);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_SCRIND, 0), 0);
  EXPECT_FALSE(has_stdout(e->chan_results));
  EXPECT_FALSE(has_stdout(e->chan_error));

  EXPECT_EQ(e->field1124a, 201004084);
  EXPECT_EQ(TVLsetintparam(env, 1124, 7), 0);
  EXPECT_EQ(e->field1124a, 7);
  EXPECT_EQ(e->field1124b, 7);

  EXPECT_EQ(TVLsetintparam(env, 1075, 1), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_ITLIM, 9), 0);
  EXPECT_EQ(TVLsetdblparam(env, TVL_PARAM_EPGAP, 0.5), 0);
  EXPECT_EQ(TVLsetstrparam(env, TVL_PARAM_WORKDIR, "w"), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_ITLIM, -9), 1014);  // no echo on failure
  EXPECT_EQ(results,
            "Parameter 1075 set to 1.\n"
            "Parameter 1020 set to 9.\n"
            "Parameter 2009 set to 0.5.\n"
            "Parameter 1064 set to \"w\".\n");

  EXPECT_EQ(TVLsetintparam(env, 1075, 0), 0);
  EXPECT_EQ(TVLsetintparam(env, TVL_PARAM_SCRIND, 1), 0);
  EXPECT_EQ(TVLsetdefaults(env), 0);
  EXPECT_FALSE(has_stdout(e->chan_results));
  EXPECT_EQ(e->field1124a, 201004084);
  int v;
  TVLgetintparam(env, TVL_PARAM_ITLIM, &v);
  EXPECT_EQ(v, 2100000000);
  char buf[TVL_STR_PARAM_MAX];
  TVLgetstrparam(env, TVL_PARAM_WORKDIR, buf);
  EXPECT_STREQ(buf, ".");
}

// Every public name in the table maps to its number and back; kinds agree.
TEST_F(ParamEnv, NamesNumbersAndKinds) {
  int publics = 0, hidden = 0;
  char name[TVL_STR_PARAM_MAX];
  for (int pos = 0; pos < tvl::kParamSlots; ++pos) {
    const tvl::ParamRecord &r = tvl::param_record_at(pos);
    int kind = -1;
    ASSERT_EQ(TVLgetparamtype(env, r.number, &kind), 0);
    EXPECT_EQ(kind, r.kind);
    ASSERT_EQ(TVLgetparamname(env, r.number, name), 0);
    if (r.kind == 0) continue;
    if (r.hidden) {
      ++hidden;
      EXPECT_STREQ(name, "");
      continue;
    }
    ++publics;
    int num = 0;
    ASSERT_EQ(TVLgetparamnum(env, name, &num), 0) << name;
    EXPECT_EQ(num, r.number);
  }
  EXPECT_EQ(publics, 153);
  EXPECT_EQ(hidden, 133);

  int num = 0;
  EXPECT_EQ(TVLgetparamnum(env, "TVL_PARAM_EPGAP", &num), 0);
  EXPECT_EQ(num, 2009);
  errors.clear();
  EXPECT_EQ(TVLgetparamnum(env, "tvl_param_epgap", &num), 1028);
  EXPECT_EQ(num, -1);
  EXPECT_EQ(errors, "TAVLO Error  1028: Bad parameter name to TAVLO parameter routine.\n");
  EXPECT_EQ(TVLgetparamnum(env, "", &num), 1028);
  EXPECT_EQ(TVLgetparamnum(env, "TVL_PARAM_EPGAP", nullptr), 1004);

  std::strcpy(name, "junk");
  EXPECT_EQ(TVLgetparamname(env, 1500, name), 1013);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(TVLgetparamname(env, 4005, name), 0);  // gap in the QP range
  EXPECT_STREQ(name, "");
  int kind = -1;
  EXPECT_EQ(TVLgetparamtype(env, 5006, &kind), 1013);
  EXPECT_EQ(TVLgetparamtype(env, 1064, &kind), 0);
  EXPECT_EQ(kind, 3);
}

TEST_F(ParamEnv, ChangedParametersWithSurplus) {
  int cnt = -1, surplus = -1;
  int nums[4] = {0, 0, 0, 0};
  EXPECT_EQ(TVLgetchgparam(env, &cnt, nums, 0, &surplus), 0);
  EXPECT_EQ(surplus, 0);

  // Registry order puts the network range (5001-5005) before QP (4001-4010);
  // hidden parameters are never listed.
  TVLsetintparam(env, TVL_PARAM_QPNZREADLIM, 7);
  TVLsetintparam(env, TVL_PARAM_NETITLIM, 7);
  TVLsetdblparam(env, TVL_PARAM_EPGAP, std::nan(""));
  TVLsetintparam(env, TVL_PARAM_ADVIND, 0);
  TVLsetintparam(env, 1004, 5);
  errors.clear();
  EXPECT_EQ(TVLgetchgparam(env, &cnt, nums, 0, &surplus), 1207);
  EXPECT_EQ(errors, "");
  EXPECT_EQ(surplus, -4);
  EXPECT_EQ(TVLgetchgparam(env, &cnt, nums, 4, &surplus), 0);
  EXPECT_EQ(cnt, 4);
  EXPECT_EQ(surplus, 0);
  EXPECT_EQ(std::vector<int>(nums, nums + 4), (std::vector<int>{1001, 2009, 5001, 4001}));
  int few[2];
  EXPECT_EQ(TVLgetchgparam(env, &cnt, few, 2, &surplus), 1207);
  EXPECT_EQ(errors, "TAVLO Error  1207: Insufficient array length.\n");
  EXPECT_EQ(cnt, 2);
  EXPECT_EQ(surplus, -2);
  EXPECT_EQ(few[1], 2009);
}

TEST(ParamChild, ChildCopiesValuesAndChangesThemIndependently) {
  int status;
  TVLENVptr env = TVLopenTAVLO(&status);
  TVLsetintparam(env, TVL_PARAM_ITLIM, 77);
  TVLENVptr child = TVLparenv(env, &status);
  ASSERT_NE(child, nullptr);
  int v;
  TVLgetintparam(child, TVL_PARAM_ITLIM, &v);
  EXPECT_EQ(v, 77);
  TVLsetintparam(child, TVL_PARAM_ITLIM, 5);
  TVLgetintparam(env, TVL_PARAM_ITLIM, &v);
  EXPECT_EQ(v, 77);
  EXPECT_EQ(tvl::param_int(child, TVL_PARAM_ITLIM), 5);
  TVLfreeparenv(env, &child);
  TVLcloseTAVLO(&env);
}

}  // namespace
