// Number formatting of the model-file writers and the LP name rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "files/lpnames.h"
#include "files/numfmt.h"

namespace {

std::string fmt(double v, int *status = nullptr) {
  char buf[tvl::kNumBufSize];
  int st = tvl::format_number(v, buf);
  if (status) *status = st;
  return buf;
}

TEST(LpNumberFormat, PlainAndExponentialRanges) {
  EXPECT_EQ(fmt(0.0), "0");
  EXPECT_EQ(fmt(-0.0), "0");
  EXPECT_EQ(fmt(1.0), "1");
  EXPECT_EQ(fmt(0.5), "0.5");
  EXPECT_EQ(fmt(-2.25), "-2.25");
  EXPECT_EQ(fmt(0.000001), "0.000001");
  EXPECT_EQ(fmt(0.0000001), "1e-7");
  EXPECT_EQ(fmt(1.5e-7), "1.5e-7");
  EXPECT_EQ(fmt(1e15), "1e+15");
  EXPECT_EQ(fmt(999999999999999.0), "999999999999999");
  EXPECT_EQ(fmt(2e100), "2e+100");
  EXPECT_EQ(fmt(1e20), "1e+20");
  EXPECT_EQ(fmt(-1e-20), "-1e-20");
  EXPECT_EQ(fmt(123456.789), "123456.789");
  EXPECT_EQ(fmt(100.0), "100");
}

TEST(LpNumberFormat, FifteenDigitsCorrectlyRounded) {
  EXPECT_EQ(fmt(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(fmt(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(fmt(1.0000000000000002), "1");
  EXPECT_EQ(fmt(0.1 + 0.2), "0.3");
  EXPECT_EQ(fmt(9.9999999999999999e14), "1e+15");
  EXPECT_EQ(fmt(1234567890123456789.0), "1.23456789012346e+18");
}

TEST(LpNumberFormat, NonFiniteIsQuestionMarkWithStatus) {
  int st = 0;
  EXPECT_EQ(fmt(std::numeric_limits<double>::infinity(), &st), "?");
  EXPECT_EQ(st, 1650);
  EXPECT_EQ(fmt(std::nan(""), &st), "?");
  EXPECT_EQ(st, 1650);
  fmt(3.0, &st);
  EXPECT_EQ(st, 0);
}

TEST(LpNumberFormat, TextReadsBackWithinFifteenDigits) {
  unsigned seed = 12345;
  for (int k = 0; k < 2000; ++k) {
    seed = seed * 1103515245u + 12345u;
    double mant = (seed % 1000000007u) / 1000000007.0 + 0.1;
    int e = static_cast<int>(seed >> 20) % 60 - 30;
    double v = (k % 2 ? -1 : 1) * mant * std::pow(10.0, e);
    double back = std::strtod(fmt(v).c_str(), nullptr);
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << fmt(v);
  }
}

TEST(LpNames, CharacterClasses) {
  using tvl::lp_has;
  EXPECT_TRUE(lp_has('a', tvl::kLpNameStart));
  EXPECT_FALSE(lp_has('e', tvl::kLpNameStart));
  EXPECT_TRUE(lp_has('e', tvl::kLpNameChar));
  EXPECT_FALSE(lp_has('7', tvl::kLpNameStart));
  EXPECT_TRUE(lp_has('7', tvl::kLpNameChar));
  EXPECT_TRUE(lp_has(200, tvl::kLpNameStart));
  EXPECT_FALSE(lp_has(255, tvl::kLpNameChar));
  EXPECT_TRUE(lp_has('_', tvl::kLpNameChar));
  for (char c : std::string(":|[]*/^<>=+-")) EXPECT_TRUE(lp_has(c, tvl::kLpDelim)) << c;
  EXPECT_TRUE(lp_has('\f', tvl::kLpLineEnd));
  EXPECT_TRUE(lp_has('\\', tvl::kLpComment));
}

TEST(LpNames, LegalisationRewritesTheWholeKind) {
  std::vector<std::string> ok = {"x1", "y.2", "Z_(3)"};
  EXPECT_FALSE(tvl::lp_legalize_names(ok));
  EXPECT_EQ(ok[2], "Z_(3)");

  std::vector<std::string> v = {"a", "row 2", "3x", "p[1]*q/r^s|t:u<v>w=x+y-z", "e7", "tab\there"};
  EXPECT_TRUE(tvl::lp_legalize_names(v));
  EXPECT_EQ(v[0], "a#0");
  EXPECT_EQ(v[1], "row_2#1");
  EXPECT_EQ(v[2], "_3x#2");
  EXPECT_EQ(v[3], "p(1)aqdrcsbt.ulvgwexpymz#3");
  EXPECT_EQ(v[4], "_e7#4");
  EXPECT_EQ(v[5], "tab_here#5");
  EXPECT_EQ(tvl::lp_legalize_name("a\\b", 9), "a_b#9");
  EXPECT_EQ(tvl::lp_default_names("c", 3), (std::vector<std::string>{"c1", "c2", "c3"}));
}

}  // namespace
