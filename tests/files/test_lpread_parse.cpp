// LP reader: keywords, expressions, bounds, types, sets and every message
// with its exact text.
#include <gtest/gtest.h>

#include <string>

#include "test_lp_util.h"

namespace {

using lptest::CapturedEnv;
using lptest::parse_text;
using tvl::LpFileModel;

int col(const LpFileModel &m, const std::string &name) {
  for (size_t j = 0; j < m.colnames.size(); ++j)
    if (m.colnames[j] == name) return static_cast<int>(j);
  return -1;
}

// Status and error text of a file that must fail.
std::string fail_text(const std::string &text, int *status = nullptr) {
  CapturedEnv ce;
  LpFileModel m;
  int st = parse_text(ce, text, m);
  if (status) *status = -st;
  return ce.errors;
}

TEST(LpReadParse, ObjectiveAndConstraintKeywords) {
  for (const char *kw : {"MAXIMIZE", "max", "Maximize", "maxi", "MaXiMiZe"}) {
    CapturedEnv ce;
    LpFileModel m;
    ASSERT_EQ(parse_text(ce, std::string(kw) + "\n x + y\nst\n c: x <= 1\nend\n", m), 0) << kw;
    EXPECT_EQ(m.objsense, -1) << kw;
  }
  for (const char *kw : {"MIN", "minimize", "Minimiz"}) {
    CapturedEnv ce;
    LpFileModel m;
    ASSERT_EQ(parse_text(ce, std::string(kw) + "\n x\nend\n", m), 0) << kw;
    EXPECT_EQ(m.objsense, 1);
  }
  EXPECT_EQ(fail_text("ma\n x\nend\n"), "TAVLO Error  1436: Max or Min missing.\n");
  EXPECT_EQ(fail_text(""), "TAVLO Error  1436: Max or Min missing.\n");
  for (const char *st : {"SUBJECT TO", "subject to", "Such That", "such that", "ST", "st", "S.T.", "s.t.",
                         "ST.", "S.T", "subjectto", "SUCHTHAT"}) {
    CapturedEnv ce;
    LpFileModel m;
    ASSERT_EQ(parse_text(ce, std::string("min\n x\n") + st + "\n c1: x + y >= 2\nend\n", m), 0) << st;
    ASSERT_EQ(m.rows.size(), 1u) << st;
    EXPECT_EQ(m.rows[0].name, "c1");
    EXPECT_EQ(m.rows[0].sense, 'G');
    EXPECT_EQ(ce.warnings, "");
  }
}

TEST(LpReadParse, ContentAfterKeywordsAndSectionsOfAllKinds) {
  CapturedEnv ce;
  LpFileModel m;
  const char *text =
      "\\ comment line\n"
      "Maximize obj2: 3 x + 2 y - z \\ trailing comment\n"
      "Subject To c1: x + y <= 4\n"
      " c2: x + z\n"
      "   + y >= 1\n"
      " -x -y = -1\n"
      " c4: 2 x <= 3 x\n"
      "User Cuts\n"
      " u1: x + y <= 5\n"
      "LAZY CONSTRAINTS\n"
      " l1: x - y >= -2\n"
      "bound\n"
      " x <= 10\n"
      "general\n"
      " x\n"
      "SOS\n"
      " s1: S1 :: x : 1 y : 2\n"
      "   z : 3\n"
      " S2 :: y:1 z:2\n"
      "end\n"
      "anything after end is ignored\n";
  ASSERT_EQ(parse_text(ce, text, m), 0) << ce.errors;
  EXPECT_EQ(ce.warnings, "Warning, line 7: Characters after RHS value are ignored.\n");
  EXPECT_EQ(m.objname, "obj2");
  EXPECT_EQ(m.colnames, (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(m.obj, (std::vector<double>{3, 2, -1}));
  ASSERT_EQ(m.rows.size(), 4u);
  EXPECT_EQ(m.rows[1].ind, (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(m.rows[2].name, "");
  EXPECT_EQ(m.rows[2].sense, 'E');
  EXPECT_EQ(m.rows[2].rhs, -1);
  EXPECT_EQ(m.rows[3].rhs, 3);
  ASSERT_EQ(m.usercuts.size(), 1u);
  ASSERT_EQ(m.lazy.size(), 1u);
  EXPECT_EQ(m.lazy[0].val, (std::vector<double>{1, -1}));
  EXPECT_EQ(m.ub[0], 10);
  EXPECT_EQ(m.ctype, (std::vector<char>{'I', 'C', 'C'}));
  ASSERT_EQ(m.sos.size(), 2u);
  EXPECT_EQ(m.sos[0].name, "s1");
  EXPECT_EQ(m.sos[0].ind, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.sos[1].type, '2');
  EXPECT_EQ(m.sos[1].wt, (std::vector<double>{1, 2}));
}

TEST(LpReadParse, KeywordsWithTrailingWordsAreOrdinaryLines) {
  CapturedEnv ce;
  LpFileModel m;
  // "bounds x" is not the bounds keyword: it reads as two names of the
  // objective.
  EXPECT_NE(parse_text(ce, "min\n x\nbounds x\nend\n", m), 0);
  EXPECT_EQ(ce.errors, "TAVLO Error  1607: Line 3: Expected '+' or '-', found 'b'.\n");
  ce.clear();
  LpFileModel m1;
  EXPECT_EQ(parse_text(ce, "min\n x\nbounds\n x <= 1\nend\n", m1), 0);
  EXPECT_EQ(m1.ub[0], 1);
  ce.clear();
  LpFileModel m2;
  EXPECT_NE(parse_text(ce, "min\n x\nst\n c: x >= 1\nbounds x <= 3\nend\n", m2), 0);
  EXPECT_EQ(ce.errors, "TAVLO Error  1608: Line 5: Expected '+','-' or sense, found 'x'.\n");
}

TEST(LpReadParse, ObjectiveAndConstraintsNamedLikeKeywords) {
  // A section word followed by a colon is a label: other tools write
  // objectives and constraints with such names.
  CapturedEnv ce;
  LpFileModel m;
  ASSERT_EQ(parse_text(ce,
                       "Minimize\n st: x + y\nSubject To\n usercuts: x + y >= 2\n subjectto : x - y <= 1\n"
                       " bounds: x <= 4\n end: y <= 5\nBounds\n x <= 3\nEnd\n",
                       m),
            0)
      << ce.errors;
  EXPECT_EQ(m.objname, "st");
  ASSERT_EQ(m.rows.size(), 4u);
  EXPECT_EQ(m.rows[0].name, "usercuts");
  EXPECT_EQ(m.rows[1].name, "subjectto");
  EXPECT_EQ(m.rows[2].name, "bounds");
  EXPECT_EQ(m.rows[3].name, "end");
  EXPECT_EQ(m.ub[col(m, "x")], 3);
  // The keyword itself still opens its section, with content on its line.
  ce.clear();
  LpFileModel m2;
  ASSERT_EQ(parse_text(ce, "Minimize\n x\nst c1: x >= 1\nuser cuts\n u1: x <= 8\nEnd\n", m2), 0) << ce.errors;
  ASSERT_EQ(m2.rows.size(), 1u);
  EXPECT_EQ(m2.rows[0].name, "c1");
  // A label on a keyword that is not a constraint section is not rescued.
  EXPECT_EQ(fail_text("Minimize:\n x\nEnd\n"), "TAVLO Error  1609: Line 1: Expected identifier first.\n");
}

TEST(LpReadParse, ExpressionErrorsAndWarnings) {
  struct Case {
    const char *text;
    const char *error;
  } cases[] = {
      {"min\n x + - y\nend\n", "TAVLO Error  1602: Lines 2,2: Adjacent signs.\n"},
      {"min\n x +\n - y\nend\n", "TAVLO Error  1602: Lines 2,3: Adjacent signs.\n"},
      {"min\n x <= 2\nend\n", "TAVLO Error  1603: Line 2: RHS sense in objective.\n"},
      {"min\n x\nst\n x + <= 2\nend\n", "TAVLO Error  1604: Lines 4,4: Adjacent sign and sense.\n"},
      {"min\n x\nst\nuser cuts\n u: x + [ x ^2 ] <= 2\nend\n",
       "TAVLO Error  1605: Line 5: Illegal quadratic term in a constraint.\n"},
      {"min\n x + [ x ^2 + ^2 ] / 2\nend\n", "TAVLO Error  1606: Lines 2,2: Adjacent sign and quadratic character.\n"},
      {"min\n x y\nend\n", "TAVLO Error  1607: Line 2: Expected '+' or '-', found 'y'.\n"},
      {"min\n x\nst\n c: x y <= 2\nend\n", "TAVLO Error  1608: Line 4: Expected '+','-' or sense, found 'y'.\n"},
      {"min\n x\nst\n : x <= 2\nend\n", "TAVLO Error  1609: Line 4: Expected identifier first.\n"},
      {"min\n x\nst\n c: x <= y\nend\n", "TAVLO Error  1610: Line 4: Expected RHS coefficient.\n"},
      {"min\n [ x ^ ] / 2\nend\n", "TAVLO Error  1612: Line 2: Expected quadratic exponent.\n"},
      {"min\n [ x ^3 ] / 2\nend\n", "TAVLO Error  1613: Line 2: Quadratic exponent must be 2.\n"},
      {"min\n [ x y ] / 2\nend\n", "TAVLO Error  1614: Line 2: Expected '^' or '*'.\n"},
      {"min\n 3 : x\nend\n", "TAVLO Error  1616: Line 2: Expected identifier, found ':'.\n"},
      {"min\n 2 e1\nend\n", "TAVLO Error  1617: Line 2: 'e1' not valid identifier.\n"},
      {"min\n x + E\nend\n", "TAVLO Error  1617: Line 2: 'E' not valid identifier.\n"},
      {"min\n x + E2x\nend\n", "TAVLO Error  1617: Line 2: 'E2x' not valid identifier.\n"},
      {"min\n 2e+ x\nend\n", "TAVLO Error  1618: Line 2: Exponent 'e+' not ended with number.\n"},
      {"min\n 2e x\nend\n", "TAVLO Error  1618: Line 2: Exponent 'e' not started with number.\n"},
      {"min\n [ x ^2 ] / 3\nend\n", "TAVLO Error  1619: Line 2: Missing or incorrect divisor for Q terms.\n"},
      {"min\n 1e999 x\nend\n", "TAVLO Error  1435: Line 2: Exponent 'e999' out of range.\n"},
      {"min\n . x\nend\n", "TAVLO Error  1434: Line 2: Couldn't convert '.' to a number.\n"},
      {"min\n x\nst\n q: [ x ^2 ] = 1\nend\n", "TAVLO Error  1437: Line 4: Illegal quadratic constraint sense.\n"},
      {"min\n x\nst\n i: b = 2 -> x <= 1\nend\n", "TAVLO Error  1439: Line 4: Illegal indicator constraint.\n"},
      {"min\n x\nlazy constraints\n i: b = 1 -> x <= 1\nend\n",
       "TAVLO Error  1438: Line 4: Illegal lazy constraint or user cut.\n"},
  };
  for (const Case &c : cases) {
    int status = 0;
    EXPECT_EQ(fail_text(c.text, &status), c.error) << c.text;
    EXPECT_GT(status, 0) << c.text;
  }
  CapturedEnv ce;
  LpFileModel m;
  ASSERT_EQ(parse_text(ce, "min\n x + ex1 + Ea2\nst\n c: x >= 1\n d: x + 3\nend\n", m), 0);
  EXPECT_EQ(m.colnames, (std::vector<std::string>{"x", "ex1", "Ea2"}));
  EXPECT_EQ(ce.warnings, "Warning, line 6: Unfinished constraint is discarded.\n");
  ce.clear();
  LpFileModel m2;
  ASSERT_EQ(parse_text(ce, "min\n x +\nst\n c: x >= 1\nend", m2), 0);
  EXPECT_EQ(ce.warnings, "Warning, line 3: Objective ended unexpectedly.\n");
  ce.clear();
  LpFileModel m3;
  ASSERT_EQ(parse_text(ce, "min\n x + [ x ^2 + 3 x * y ]\nst\n c: x >= 1\n", m3), 0);
  EXPECT_EQ(ce.warnings, "Warning, line 2: Deprecated format, expecting '] / 2'.\nWarning: 'End' missing.\n");
  ASSERT_EQ(m3.objquad.size(), 2u);
  EXPECT_EQ(m3.objquad[0].coef, 2);
  EXPECT_EQ(m3.objquad[1].coef, 6);
}

TEST(LpReadParse, QuadraticAndIndicatorSyntax) {
  CapturedEnv ce;
  LpFileModel m;
  const char *text =
      "min\n obj: x + [ 2 x ^2 - 3 x * y + y * x + y^2 ] / 2\n"
      "st\n q1: z + [ x ^2 + 2 x * y ] <= 9\n q2: - [ y ^2 ] >= -4\n"
      " i1: b = 1 -> x - y >= 2\n i2: b = 0 -> x <= 1\n c: b = 1\n"
      "end\n";
  ASSERT_EQ(parse_text(ce, text, m), 0) << ce.errors;
  ASSERT_EQ(m.objquad.size(), 3u);
  EXPECT_EQ(m.objquad[1].coef, -2);  // -3 x*y + y*x merged
  ASSERT_EQ(m.qconstrs.size(), 2u);
  EXPECT_EQ(m.qconstrs[0].quad.size(), 2u);
  EXPECT_EQ(m.qconstrs[1].quad[0].coef, -1);
  ASSERT_EQ(m.indicators.size(), 2u);
  EXPECT_EQ(m.indicators[0].var, col(m, "b"));
  EXPECT_FALSE(m.indicators[0].complemented);
  EXPECT_TRUE(m.indicators[1].complemented);
  ASSERT_EQ(m.rows.size(), 1u);
  EXPECT_EQ(m.rows[0].sense, 'E');
  EXPECT_EQ(m.rows[0].rhs, 1);
}

TEST(LpReadParse, BoundSyntax) {
  CapturedEnv ce;
  LpFileModel m;
  const char *text =
      "min\n a + b + c + d + f + g + h + k + p\nst\n c1: a + b >= 1\n"
      "bounds\n"
      " a free\n"
      " b >= -inf\n"
      " -INFINITY <= c <= 4\n"
      " 2 <= d <= 3\n"
      " f = 5\n"
      " 7 >= g\n"
      " 1 <= h\n"
      " 1 <= k >= 3\n"
      " p <= +Inf\n"
      " nosuch <= 3\n"
      " e5 <= 3\n"
      "end\n";
  ASSERT_EQ(parse_text(ce, text, m), 0) << ce.errors;
  auto lb = [&](const char *n) { return m.lb[col(m, n)]; };
  auto ub = [&](const char *n) { return m.ub[col(m, n)]; };
  EXPECT_EQ(lb("a"), -1e20);
  EXPECT_EQ(ub("a"), 1e20);
  EXPECT_EQ(lb("b"), -1e20);
  EXPECT_EQ(ub("b"), 1e20);
  EXPECT_EQ(lb("c"), -1e20);
  EXPECT_EQ(ub("c"), 4);
  EXPECT_EQ(lb("d"), 2);
  EXPECT_EQ(ub("d"), 3);
  EXPECT_EQ(lb("f"), 5);
  EXPECT_EQ(ub("f"), 5);
  EXPECT_EQ(ub("g"), 7);
  EXPECT_EQ(lb("h"), 1);
  EXPECT_EQ(lb("k"), 3);
  EXPECT_EQ(ub("p"), 1e20);
  EXPECT_EQ(ce.warnings,
            "Warning, line 13: Possible sense conflict.\n"
            "Warning, line 15: Name 'nosuch' does not exist.\n"
            "Warning, line 16: 'e5' not valid identifier.\n");
  struct Case {
    const char *line;
    const char *error;
  } cases[] = {
      {" a 3\n", "TAVLO Error  1621: Line 5: No bound sense.\n"},
      {" a\n", "TAVLO Error  1621: Line 5: No bound sense.\n"},
      {" a : 3\n", "TAVLO Error  1622: Line 5: Invalid bound sense.\n"},
      {" a <=\n", "TAVLO Error  1623: Line 5: Missing bound number.\n"},
      {" 1 <= a <= \n", "TAVLO Error  1623: Line 5: Missing bound number.\n"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(fail_text(std::string("min\n a\nst\nbounds\n") + c.line + "end\n"), c.error) << c.line;
}

TEST(LpReadParse, TypesSosAndNameWarningLimit) {
  std::string text = "min\n x + y + z\nst\n c: x + y + z <= 4\nbounds\n 0 <= y <= 5\nbinaries\n x y\n";
  text += "generals\n z\nsemi-continuous\n z\nintegers\n";
  for (int k = 0; k < 25; ++k) text += " missing" + std::to_string(k) + "\n";
  text += "end\n";
  CapturedEnv ce;
  LpFileModel m;
  ASSERT_EQ(parse_text(ce, text, m), 0) << ce.errors;
  EXPECT_EQ(m.ctype, (std::vector<char>{'B', 'B', 'N'}));
  EXPECT_EQ(m.ub[0], 1);
  EXPECT_EQ(m.ub[1], 5);
  EXPECT_NE(ce.warnings.find("Warning, line 14: Name 'missing0' does not exist.\n"), std::string::npos);
  EXPECT_EQ(ce.warnings.find("missing20"), std::string::npos);
  EXPECT_NE(ce.warnings.find("Warning:  Binary variables declared with bounds other than 0 and 1.\n"
                             "5 name warnings not printed.\n"),
            std::string::npos)
      << ce.warnings;

  EXPECT_EQ(fail_text("min\n x\nst\nsos\n s1: S3 :: x : 1\nend\n"),
            "TAVLO Error  1442: Line 5: Unrecognized SOS type: S3.\n");
  EXPECT_EQ(fail_text("min\n x\nst\nsos\n s1: S1 : x : 1\nend\n"),
            "TAVLO Error  1627: Line 5: Expected ':', found 'x'.\n");
  EXPECT_EQ(fail_text("min\n x\nst\nsos\n x : 1\nend\n"), "TAVLO Error  3301: Line 5: Missing SOS type.\n");
  EXPECT_EQ(fail_text("min\n x\nst\nsos\n s1: :: x : 1\nend\n"), "TAVLO Error  3301: Line 5: Missing SOS type.\n");
  EXPECT_EQ(fail_text("min\n x\nst\nsos\n s: S1 :: x : y\nend\n"),
            "TAVLO Error  1615: Line 5: Expected number, found 'y'.\n");
}

TEST(LpReadParse, LinesCharactersAndLongNames) {
  CapturedEnv ce;
  LpFileModel m;
  std::string longname(300, 'n');
  std::string text = "min\n x\nst\n c: x";
  for (int k = 0; k < 200; ++k) text += " + v" + std::to_string(k);
  text += " + " + longname + " <= 1\x01\nend\n";
  ASSERT_EQ(parse_text(ce, text, m), 0) << ce.errors;
  ASSERT_EQ(m.rows.size(), 1u);
  EXPECT_EQ(m.rows[0].ind.size(), 202u);
  EXPECT_EQ(m.colnames.back(), std::string(255, 'n'));
  EXPECT_EQ(ce.warnings, "Warning, line 4: '" + std::string(255, 'n') +
                             "' truncated.\nWarning, line 4: Unexpected character code 1 skipped.\n");
  std::string nocut = "min\n x\nst\n c: " + std::string(600, 'a') + " <= 1\nend\n";
  EXPECT_EQ(fail_text(nocut), "TAVLO Error  1464: Line 4: Identifier/name too long to process.\n");
  // A long comment is no problem; form feed and NUL end lines.
  CapturedEnv ce2;
  LpFileModel m2;
  std::string t2 = std::string("min\n x \\") + std::string(1000, 'c') + "\nst\f c: x >= 1\nend\n";
  t2.insert(t2.find("end"), std::string(1, '\0') + " d: x <= 4\n");
  ASSERT_EQ(parse_text(ce2, t2, m2), 0) << ce2.errors;
  EXPECT_EQ(m2.rows.size(), 2u);
}

}  // namespace
