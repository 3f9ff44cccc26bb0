// Solution polishing after the search: when it runs, the lines that open
// it, and that the continued search keeps its incumbent and reaches the
// optimum that the regular search was stopped short of.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "support/api_session.h"

namespace {

struct Polished {
  std::string log;
  int status = 0;
  int nodes = 0;
  double objective = 0.0;
};

// Runs stein27 (optimum 18) with the integer and double settings given.
Polished run_stein27(std::initializer_list<std::pair<int, int>> ints,
                     std::initializer_list<std::pair<int, double>> dbls) {
  tvltest::ApiSession s("polish");
  Polished r;
  TVLCHANNELptr results = nullptr;
  TVLgetchannels(s.env, &results, nullptr, nullptr, nullptr);
  TVLaddfuncdest(s.env, results, &r.log, tvltest::collect_text);
  const std::string file = tvltest::instance_path("miplib", "stein27");
  EXPECT_EQ(TVLreadcopyprob(s.env, s.lp, file.c_str(), nullptr), 0);
  for (auto [num, v] : ints) EXPECT_EQ(TVLsetintparam(s.env, num, v), 0) << num;
  for (auto [num, v] : dbls) EXPECT_EQ(TVLsetdblparam(s.env, num, v), 0) << num;
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0);
  r.status = TVLgetstat(s.env, s.lp);
  r.nodes = TVLgetnodecnt(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &r.objective);
  for (auto [num, v] : ints) {
    int now = 0;
    TVLgetintparam(s.env, num, &now);
    EXPECT_EQ(now, v) << "parameter " << num << " not restored";
  }
  return r;
}

std::string status_line(int status) {
  char buf[TVL_MSGBUFSIZE];
  std::string s = TVLgetstatstring(nullptr, status, buf);
  s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return "\n" + s + ".\n";
}

bool optimal(int status) { return status == TVLMIP_OPTIMAL || status == TVLMIP_OPTIMAL_TOL; }

TEST(MipPolish, PolishingTimeAfterARegularLimitContinuesToTheOptimum) {
  const Polished plain = run_stein27({{TVL_PARAM_NODELIM, 40}}, {});
  ASSERT_EQ(plain.status, TVLMIP_NODE_LIM_FEAS);
  EXPECT_EQ(plain.log.find("olish"), std::string::npos) << "no polishing lines without a request";

  const Polished p = run_stein27({{TVL_PARAM_NODELIM, 40}}, {{TVL_PARAM_POLISHTIME, 1000.0}});
  EXPECT_NE(p.log.find(status_line(TVLMIP_NODE_LIM_FEAS) + "Spending an additional 1000 seconds polishing solution.\n\n"),
            std::string::npos)
      << p.log;
  EXPECT_TRUE(optimal(p.status)) << p.status;
  EXPECT_NEAR(p.objective, 18.0, 1e-9);
  EXPECT_GT(p.nodes, 40);

  const Polished big = run_stein27({{TVL_PARAM_NODELIM, 40}}, {{TVL_PARAM_POLISHTIME, 2e6}});
  EXPECT_NE(big.log.find("Spending an additional 2.0000e+06 seconds polishing solution.\n\n"), std::string::npos);
}

TEST(MipPolish, PolishAfterConditionsEndTheSearchAndNameThemselves) {
  struct Case {
    int param;
    int value;
    const char *reason;
  };
  for (const Case &c : {Case{TVL_PARAM_POLISHAFTERNODE, 30, " (PolishAfterNode)"},
                        Case{TVL_PARAM_POLISHAFTERINTSOL, 1, " (PolishAfterIntSol)"}}) {
    SCOPED_TRACE(c.reason);
    const Polished p = run_stein27({{c.param, c.value}}, {});
    EXPECT_NE(p.log.find(std::string("\nStarting condition for polishing reached") + c.reason +
                         ".\nStarting solution polishing.\n\n"),
              std::string::npos)
        << p.log;
    EXPECT_TRUE(optimal(p.status)) << p.status;
    EXPECT_NEAR(p.objective, 18.0, 1e-9);
  }
  // A polish-after gap of 100%: the first incumbent closes it.
  const Polished gap = run_stein27({}, {{TVL_PARAM_POLISHAFTEREPGAP, 1.0}});
  EXPECT_NE(gap.log.find("reached (PolishAfterEpGap, PolishAfterEpAGap).\n"), std::string::npos) << gap.log;
  EXPECT_TRUE(optimal(gap.status));
  EXPECT_NEAR(gap.objective, 18.0, 1e-9);
}

TEST(MipPolish, NothingToPolishWithoutAnIncumbent) {
  const Polished p = run_stein27({{TVL_PARAM_NODELIM, 0}, {TVL_PARAM_HEURFREQ, -1}, {TVL_PARAM_FPHEUR, -1},
                                  {TVL_PARAM_RINSHEUR, -1}},
                                 {{TVL_PARAM_POLISHTIME, 5.0}});
  EXPECT_EQ(p.status, TVLMIP_FAIL_INFEAS);
  EXPECT_NE(p.log.find("\nPolishing requested, but no solution to polish.\n\n"), std::string::npos) << p.log;
  EXPECT_EQ(p.nodes, 1);
}

}  // namespace
