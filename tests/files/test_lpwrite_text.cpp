// Byte-exact layout of the LP writer on small models covering every part.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/lpnames.h"
#include "files/lpwrite_text.h"
#include "test_lp_util.h"

namespace {

using tvl::LpFileModel;
using tvl::LpFileRow;

std::string print(const LpFileModel &m, int *status = nullptr) { return lptest::print_model(m, status); }

LpFileModel columns(std::vector<std::string> names) {
  LpFileModel m;
  m.colnames = std::move(names);
  m.has_colnames = true;
  m.obj.assign(m.colnames.size(), 0.0);
  m.lb.assign(m.colnames.size(), 0.0);
  m.ub.assign(m.colnames.size(), 1e20);
  return m;
}

TEST(LpWriteText, LinearModelWithBoundsAndTypes) {
  LpFileModel m = columns({"x", "y", "z", "b", "n", "s", "f", "w"});
  m.probname = "small";
  m.objsense = -1;
  m.obj = {1, -2.5, 0, 1.0000000000001, 0, 0, 0, 0};
  m.lb = {0, -1e20, -3, 0, 0, 2, -1e20, 4};
  m.ub = {1e20, 1e20, 7, 1, 1e20, 10, 5, 4};
  m.ctype = {'C', 'C', 'I', 'B', 'I', 'S', 'C', 'N'};
  m.rows.push_back(lptest::make_row("c1", 'L', 10, {0, 1, 2}, {1, -1, 3}));
  m.rows.push_back(lptest::make_row("c2", 'G', -5, {1, 3}, {-1, 0.5}));
  m.rows.push_back(lptest::make_row("c3", 'E', 0, {0, 4, 5, 6}, {2, 1, 1, 1}));
  m.rows.push_back(lptest::make_row("r4", 'R', 2, {0, 7}, {1, 1}, 6));
  m.rows.push_back(lptest::make_row("r5", 'R', 1, {1}, {1}, -4));
  const char *expected =
      "\\Problem name: small\n\n"
      "Maximize\n"
      " obj: x - 2.5 y + b\n"
      "Subject To\n"
      " c1: x - y + 3 z <= 10\n"
      " c2: - y + 0.5 b >= -5\n"
      " c3: 2 x + n + s + f  = 0\n"
      " r4: x + w - Rgr4  = 2\n"
      " r5: y - Rgr5  = 1\n"
      "Bounds\n"
      "      y Free\n"
      "-3 <= z <= 7\n"
      " 0 <= b <= 1\n"
      "      n >= 0\n"
      " 2 <= s <= 10\n"
      " -Inf <= f <= 5\n"
      "      w = 4\n"
      " 0 <= Rgr4 <= 6\n"
      "-4 <= Rgr5 <= 0\n"
      "Binaries\n"
      " b \n"
      "Generals\n"
      " z  n  w \n"
      "Semi-Continuous\n"
      " s  w \n"
      "End\n";
  EXPECT_EQ(print(m), expected);
}

TEST(LpWriteText, ObjectiveMentionsColumnsOutsideConstraintsAndWrapsAt80) {
  std::vector<std::string> names;
  for (int j = 0; j < 14; ++j) names.push_back("column" + std::to_string(j));
  LpFileModel m = columns(names);
  m.probname = "wrap";
  m.objname = "cost";
  for (int j = 0; j < 14; ++j) m.obj[j] = j + 1;
  m.obj[13] = 0;
  m.ub[13] = 1e20;
  std::vector<int> ind;
  std::vector<double> val;
  for (int j = 0; j < 13; ++j) ind.push_back(j), val.push_back(j % 2 ? -1 : 1000);
  m.rows.push_back(lptest::make_row("long_row", 'L', 1e15, ind, val));
  std::string text = print(m);
  const char *expected =
      "\\Problem name: wrap\n\n"
      "Minimize\n"
      " cost: column0 + 2 column1 + 3 column2 + 4 column3 + 5 column4 + 6 column5\n"
      "       + 7 column6 + 8 column7 + 9 column8 + 10 column9 + 11 column10\n"
      "       + 12 column11 + 13 column12 + 0 column13\n"
      "Subject To\n"
      " long_row: 1000 column0 - column1 + 1000 column2 - column3 + 1000 column4\n"
      "           - column5 + 1000 column6 - column7 + 1000 column8 - column9\n"
      "           + 1000 column10 - column11 + 1000 column12 <= 1e+15\n"
      "End\n";
  EXPECT_EQ(text, expected);
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    EXPECT_LT(nl - start, 80u);
    start = nl + 1;
  }
}

TEST(LpWriteText, QuadraticIndicatorCutsAndSos) {
  LpFileModel m = columns({"x", "y", "z", "b"});
  m.probname = "parts";
  m.obj = {1, 0, 0, 0};
  m.objquad = {{0, 0, 2}, {0, 1, -3}, {1, 1, 1}};
  m.ctype = {'C', 'C', 'C', 'B'};
  m.ub[3] = 1;
  m.rows.push_back(lptest::make_row("c1", 'L', 4, {0, 1, 2, 3}, {1, 1, 1, 1}));
  tvl::LpFileQConstr q;
  q.name = "q1";
  q.sense = 'L';
  q.rhs = 9;
  q.ind = {2};
  q.val = {1};
  q.quad = {{0, 0, 1}, {0, 1, 2}};
  m.qconstrs.push_back(q);
  tvl::LpFileQConstr q2 = q;
  q2.name = "q2";
  q2.sense = 'G';
  q2.ind.clear();
  q2.val.clear();
  q2.quad = {{1, 1, -1}};
  m.qconstrs.push_back(q2);
  tvl::LpFileIndicator ic;
  ic.name = "i1";
  ic.var = 3;
  ic.sense = 'G';
  ic.rhs = 2;
  ic.ind = {0, 1};
  ic.val = {1, -1};
  m.indicators.push_back(ic);
  ic.name = "i2";
  ic.complemented = true;
  ic.type = tvl::kIndReverse;
  m.indicators.push_back(ic);
  ic.name = "i3";
  ic.type = tvl::kIndEquivalent;
  m.indicators.push_back(ic);
  m.usercuts.push_back(lptest::make_row("u1", 'L', 3, {0, 1}, {1, 1}));
  m.lazy.push_back(lptest::make_row("l1", 'G', -1, {2}, {-1}));
  tvl::LpFileSos s;
  s.name = "set1";
  s.type = '1';
  s.ind = {0, 1, 2};
  s.wt = {1, 2, -3.5};
  m.sos.push_back(s);
  s.name = "set2";
  s.type = '2';
  m.sos.push_back(s);
  const char *expected =
      "\\Problem name: parts\n\n"
      "Minimize\n"
      " obj: x + [ 2 x ^2 - 3 x * y + y ^2 ] / 2\n"
      "Subject To\n"
      " c1: x + y + z + b <= 4\n"
      " q1: z + [ x ^2 + 2 x * y ] <= 9\n"
      " q2: [ - y ^2 ] >= 9\n"
      " i1: b = 1 -> x - y >= 2\n"
      " i2: b = 0 <- x - y >= 2\n"
      " i3: b = 0 <-> x - y >= 2\n"
      "User Cuts\n"
      " u1: x + y <= 3\n"
      "Lazy Constraints\n"
      " l1: - z >= -1\n"
      "Bounds\n"
      " 0 <= b <= 1\n"
      "Binaries\n"
      " b \n"
      "SOS\n"
      " set1: S1 ::  x : 1  y : 2  z : -3.5\n"
      " set2: S2 ::  x : 1  y : 2  z : -3.5\n"
      "End\n";
  EXPECT_EQ(print(m), expected);
}

TEST(LpWriteText, UnwritableNumbersPrintAsQuestionMarks) {
  LpFileModel m = columns({"x"});
  m.rows.push_back(lptest::make_row("c1", 'E', 1, {0}, {2}));
  m.obj[0] = std::nan("");
  int st = 0;
  std::string text = print(m, &st);
  EXPECT_EQ(st, 1650);
  EXPECT_NE(text.find("Subject To\n c1: 2 x  = 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" obj: ? x\n"), std::string::npos) << text;
}

}  // namespace
