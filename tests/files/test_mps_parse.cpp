// MPS text to model image: both layouts, every section, the conventions
// for ranges, bounds and the objective constant, and the exact messages of
// malformed lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "files/mps_reader.h"
#include "test_mps_util.h"

using filetest::Env;

namespace {

std::string name_at(const tvl::NameList &l, int k) { return std::string(l.view(k)); }

// One data line of the fixed layout (fields at columns 2, 5, 15, 25, 40, 50).
std::string fx(const char *f1, const char *f2, const char *f3 = "", const char *f4 = "",
               const char *f5 = "", const char *f6 = "") {
  const int col[6] = {1, 4, 14, 24, 39, 49};
  const char *f[6] = {f1, f2, f3, f4, f5, f6};
  std::string line;
  for (int k = 0; k < 6; ++k) {
    if (!*f[k]) continue;
    line.resize(col[k], ' ');
    line += f[k];
  }
  return line + "\n";
}

const std::string kFixed =
    "* a comment line\n"
    "NAME          SMALL ONE\n"
    "OBJSENSE MAX\n"
    "ROWS\n" +
    fx("N", "COST") + fx("L", "LIM 1") + fx("G", "LIM2") + fx("E", "EQ+") + fx("E", "EQ-") + fx("N", "FREE") +
    fx("E", "PLAIN") + "COLUMNS\n" + fx("", "X 1", "COST", "1.5", "LIM 1", "1") +
    fx("", "X 1", "LIM2", "2", "FREE", "9") + fx("", "MARKER", "'MARKER'", "", "'INTORG'") +
    fx("", "Y", "COST", "-1", "EQ+", "1") + fx("", "Y", "EQ-", "1", "PLAIN", "0") +
    fx("", "MARKER", "'MARKER'", "", "'INTEND'") + fx("", "Z", "LIM 1", "3") + "RHS\n" +
    fx("", "RHS", "COST", "10", "LIM 1", "4") + fx("", "", "LIM2", "1", "EQ+", "2") + fx("", "RHS", "EQ-", "3") +
    "RANGES\n" + fx("", "RNG", "LIM 1", "2", "LIM2", "-3") + fx("", "RNG", "EQ+", "5", "EQ-", "-6") +
    "BOUNDS\n" + fx("UP", "BND", "X 1", "4") + fx("MI", "BND", "Y") + fx("UP", "BND", "Y", "7") +
    fx("UP", "BND", "Z", "-2") + "ENDATA\n";

}  // namespace

TEST(MpsParse, FixedLayoutSectionsAndConventions) {
  Env e;
  tvl::ModelImage img;
  ASSERT_EQ(tvl::mps_parse(e.env, kFixed, true, img), 0) << e.err.text;
  EXPECT_STREQ(img.probname.data(), "SMALL ONE");
  EXPECT_STREQ(img.objname.data(), "COST");
  EXPECT_EQ(img.objsense, -1);
  EXPECT_EQ(img.objoffset, -10.0);  // RHS on the objective row is minus the constant
  ASSERT_EQ(img.ncols, 3);
  ASSERT_EQ(img.nrows, 5);          // the second N row is dropped
  EXPECT_EQ(name_at(img.colnames, 0), "X 1");
  EXPECT_EQ(name_at(img.rownames, 0), "LIM 1");
  EXPECT_EQ(std::string(img.ctype.begin(), img.ctype.end()), "CIC");
  EXPECT_EQ(img.obj[0], 1.5);
  EXPECT_EQ(img.obj[1], -1.0);
  EXPECT_EQ(img.obj[2], 0.0);
  // Column X: LIM 1, LIM2 (FREE dropped); Y: EQ+, EQ- (zero dropped); Z: LIM 1.
  ASSERT_EQ(img.matbeg.size(), 4u);
  EXPECT_EQ(img.matbeg[1], 2);
  EXPECT_EQ(img.matbeg[2], 4);
  EXPECT_EQ(img.nnz(), 5);
  EXPECT_EQ(img.matind[2], 2);
  EXPECT_EQ(img.matind[3], 3);
  // L row 4 with range 2 -> [2, 4]; G row 1 with range -3 -> [1, 4];
  // E row 2 range 5 -> [2, 7]; E row 3 range -6 -> [-3, 3] (kept as 3, -6).
  EXPECT_EQ(std::string(img.sense.begin(), img.sense.end()), "RRRRE");
  EXPECT_EQ(img.rhs[0], 2.0);
  EXPECT_EQ(img.rngval[0], 2.0);
  EXPECT_EQ(img.rhs[1], 1.0);
  EXPECT_EQ(img.rngval[1], 3.0);
  EXPECT_EQ(img.rhs[2], 2.0);
  EXPECT_EQ(img.rngval[2], 5.0);
  EXPECT_EQ(img.rhs[3], 3.0);
  EXPECT_EQ(img.rngval[3], -6.0);
  EXPECT_EQ(img.rngval[4], 0.0);
  // Bounds: X [0,4]; Y [-inf,7]; Z: negative UP without a lower bound frees below.
  EXPECT_EQ(img.ub[0], 4.0);
  EXPECT_EQ(img.lb[1], -1e20);
  EXPECT_EQ(img.ub[1], 7.0);
  EXPECT_EQ(img.lb[2], -1e20);
  EXPECT_EQ(img.ub[2], -2.0);
  EXPECT_TRUE(e.err.text.empty());
}

TEST(MpsParse, FreeLayoutWithModelParts) {
  const char *text =
      "NAME free\n"
      "OBJSENSE\n"
      "    MAXIMIZE\n"
      "ROWS\n"
      " N obj\n"
      " L c1\n"
      " L q1\n"
      " G ind1\n"
      "COLUMNS\n"
      " x obj 1 c1 1\n"
      " x q1 2 ind1 1\n"
      " y obj 2 c1 1\n"
      " b c1 1\n"
      "RHS\n"
      " c1 10 q1 5\n"
      " rhs ind1 3\n"
      "BOUNDS\n"
      " BV BND b\n"
      " SC BND y 8\n"
      " LI BND x -1\n"
      " UI x 12\n"
      " FR y\n"
      "SOS\n"
      " S1 SOS s1 3\n"
      "    x 1\n"
      "    y 2\n"
      " S2 SOS\n"
      "    y:1\n"
      "    b:2\n"
      "QUADOBJ\n"
      " x x 2\n"
      " x y 1\n"
      "QCMATRIX q1\n"
      " x x 1\n"
      " x y 0.5\n"
      " y x 0.5\n"
      "INDICATORS\n"
      " IF ind1 b 0\n"
      "ENDATA\n";
  Env e;
  tvl::ModelImage img;
  // FR after SC on y is a second upper bound.
  EXPECT_EQ(tvl::mps_parse(e.env, text, false, img), -1455);
  EXPECT_EQ(e.err.text, "TAVLO Error  1455: Line 22: 'FR' bound type illegal when prior bound given.\n");
  std::string fixedtext(text);
  fixedtext.erase(fixedtext.find(" FR y\n"), 6);
  e.clear();
  ASSERT_EQ(tvl::mps_parse(e.env, fixedtext, false, img), 0) << e.err.text;
  EXPECT_EQ(img.objsense, -1);
  EXPECT_EQ(img.nrows, 1);
  EXPECT_EQ(img.ncols, 3);
  EXPECT_EQ(std::string(img.ctype.begin(), img.ctype.end()), "ISB");
  EXPECT_EQ(img.lb[0], -1.0);
  EXPECT_EQ(img.ub[0], 12.0);
  EXPECT_EQ(img.ub[1], 8.0);
  EXPECT_EQ(img.ub[2], 1.0);
  // SOS
  ASSERT_EQ(img.nsos(), 2);
  EXPECT_EQ(img.sostype[0], '1');
  EXPECT_EQ(img.sostype[1], '2');
  EXPECT_EQ(img.sosbeg[1], 2);
  EXPECT_EQ(img.sosbeg[2], 4);
  EXPECT_EQ(name_at(img.sosnames, 0), "s1");
  EXPECT_FALSE(img.sosnames.has(1));
  EXPECT_EQ(img.soswt[3], 2.0);
  // Quadratic objective: QUADOBJ upper triangle is mirrored.
  ASSERT_TRUE(img.has_qobj);
  EXPECT_EQ(img.qbeg[1], 2);  // column x: (x,x) 2, (x,y) 1
  EXPECT_EQ(img.qbeg[2], 3);  // column y: (y,x) 1
  EXPECT_EQ(img.qind[2], 0);
  // Quadratic constraint q1: x <= 5 linear part 2x, terms as written.
  ASSERT_EQ(img.nqc(), 1);
  EXPECT_EQ(img.qc_sense[0], 'L');
  EXPECT_EQ(img.qc_rhs[0], 5.0);
  EXPECT_EQ(img.qc_lbeg[1], 1);
  EXPECT_EQ(img.qc_lval[0], 2.0);
  EXPECT_EQ(img.qc_qbeg[1], 3);
  EXPECT_EQ(name_at(img.qc_names, 0), "q1");
  // Indicator: ind1 holds when b = 0.
  ASSERT_EQ(img.nic(), 1);
  EXPECT_EQ(img.ic_var[0], 2);
  EXPECT_EQ(img.ic_compl[0], 1);
  EXPECT_EQ(img.ic_sense[0], 'G');
  EXPECT_EQ(img.ic_rhs[0], 3.0);
  EXPECT_EQ(img.ic_beg[1], 1);
  EXPECT_EQ(img.ic_ind[0], 0);
}

TEST(MpsParse, MalformedLinesGiveTheirStatusAndText) {
  struct Case {
    const char *body;  // lines after "NAME t\n"
    int code;
    const char *msg;
  };
  const std::string head = "NAME t\nROWS\n N obj\n L r\nCOLUMNS\n";
  const Case cases[] = {
      {"ROWS\n N obj\nCOLUMNS\n x obj 1e999\nENDATA\n", 1435, "Line 5: Exponent '1e999' out of range"},
      {"ROWS\n N obj\nCOLUMNS\n x obj 1.2.3\nENDATA\n", 1434, "Line 5: Couldn't convert '1.2.3' to a number"},
      {"ROWS\n N obj\nCOLUMNS\n x obj nan\nENDATA\n", 1434, "Line 5: Couldn't convert 'nan' to a number"},
      {"ROWS\n X r\n", 1453, "Line 3: No row sense"},
      {"ROWS\n L\n", 1486, "Line 3: No row name"},
      {"ROWS\n L r\n", 1552, "'ENDATA' missing"},
      {"ROWS\n L r\nCOLUMNS\n", 1476, "Line 4: No objective row found"},
      {"ROWS\n N o\n L r\n G r\n", 1445, "Row 'r' repeats"},
      {"COLUMNS\n", 1471, "Line 2: No ROWS section"},
      {"ROWS\n N o\nRHS\n", 1472, "Line 4: No COLUMNS section"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nFOO\n", 1473,
       "Line 6: Unrecognized section indicator.\n      Expecting RANGES, BOUNDS, SOS, QMATRIX, or ENDATA"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nQMATRIX\nFOO\n", 1475,
       "Line 7: Unrecognized section indicator.\n      Expecting QMATRIX or ENDATA"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\nRANGES\n", 1474, "Line 7: 'RANGES' section out of order"},
      {"ROWS\n N o\nCOLUMNS\n x q 1\n", 1448, "Line 5: 'q' is not a row name"},
      {"ROWS\n N o\n L r\nCOLUMNS\n x r 1\n y r 1\n x o 1\n", 1446, "Column 'x' repeats"},
      {"ROWS\n N o\n L r\nCOLUMNS\n x r 1 r 2\n", 1443, "Column 'x' has repeated row 'r'"},
      {"ROWS\n N o\n L r\nCOLUMNS\n x r 1\nRHS\n B r 1\n B r 2\n", 1444, "RHS 'B' has repeated row 'r'"},
      {"ROWS\n N o\n L r\nCOLUMNS\n x r 1\nRHS\n B r 1\n C r 2\n", 1484, "Too many rim vectors"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n UP B y 1\n", 1449, "Line 7: 'y' is not a column name"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n XX B x 1\n", 1457, "Line 7: Unrecognized bound type 'XX'"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n UP B x 1\n UP B x 2\n", 1458, "Line 8: Repeated upper bound"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n LO B x 1\n MI B x\n", 1459, "Line 8: Repeated lower bound"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n LO B x 1\n FX B x 2\n", 1454,
       "Line 8: 'FX' bound type illegal when prior bound given"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nBOUNDS\n UP B x 1\n BV B x\n", 1456,
       "Line 8: 'BV' bound type illegal when prior bound given"},
      {"ROWS\n N o\nCOLUMNS\n M 'MARKER' 'INTORG'\n M 'MARKER' 'INTORG'\n", 1480,
       "Line 6: 'INTORG' found while reading integers"},
      {"ROWS\n N o\nCOLUMNS\n M 'MARKER' 'INTEND'\n", 1481, "Line 5: 'INTEND' found while not reading integers"},
      {"ROWS\n N o\nCOLUMNS\n M 'MARKER' 'SOSORG'\n M 'MARKER' 'SOSORG'\n", 1482,
       "Line 6: 'SOSORG' found while reading a SOS"},
      {"ROWS\n N o\nCOLUMNS\n M 'MARKER' 'SOSEND'\n", 1483, "Line 5: 'SOSEND' found while not reading a SOS"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nSOS\n S3 SOS s\n", 1442, "Line 7: Unrecognized SOS type: S3"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nSOS\n x 1\n", 3301, "Line 7: Missing SOS type"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nSOS\n S1 SOS s 1e12\n", 1463, "Line 7: Magnitude exceeds integer limit 2100000000"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nSOS\n S1 SOS s\n x 1\n x 2\n", 1447, "Line 9: SOS member 'x' repeats"},
      {"ROWS\n N o\nCOLUMNS\n x o 1\nQMATRIX\n x x 1\n x x 2\nENDATA\n", 1479, "Line 8: x x repeats"},
      {"ROWS\n N o\n E r\nCOLUMNS\n x o 1\nQCMATRIX r\n", 1437, "Line 7: Illegal quadratic constraint sense"},
      {"ROWS\n N o\n E r\nCOLUMNS\n x o 1\nINDICATORS\n IF r x 2\n", 1439, "Line 8: Illegal indicator constraint"},
      {"OBJSENSE UP\n", 1487, "Line 2: Unrecognized objective sense 'UP'"},
  };
  for (const Case &c : cases) {
    Env e;
    tvl::ModelImage img;
    std::string text = std::string("NAME t\n") + c.body;
    EXPECT_EQ(tvl::mps_parse(e.env, text, false, img), -c.code) << text;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "TAVLO Error %5d: ", c.code);
    EXPECT_EQ(e.err.text, std::string(prefix) + c.msg + ".\n") << text;
  }
  Env e;
  tvl::ModelImage img;
  EXPECT_EQ(tvl::mps_parse(e.env, "ROWS\n", false, img), -1441);
  EXPECT_EQ(e.err.text, "TAVLO Error  1441: Line 1: No NAME section.\n");
  e.clear();
  std::string longname = "NAME t\nROWS\n N " + std::string(300, 'a') + "\n";
  EXPECT_EQ(tvl::mps_parse(e.env, longname, false, img), -1464);
  EXPECT_EQ(e.err.text, "TAVLO Error  1464: Line 3: Identifier/name too long to process.\n");
  e.clear();
  std::string longline = "NAME t\n" + std::string(9000, ' ') + "x\n";
  EXPECT_EQ(tvl::mps_parse(e.env, longline, false, img), -1465);
  EXPECT_EQ(e.err.text, "TAVLO Error  1465: Line 2: Line longer than limit of 8191 characters.\n");
}

TEST(MpsParse, FixedLinesOffTheGridAreReadAsWords) {
  // Long names and long numbers overflow the columns; fields after an
  // overflowing number move right with it.
  const char *text =
      "NAME\n"
      "ROWS\n"
      " N  obj\n"
      " L  a_rather_long_row\n"
      " L  R 2\n"
      "COLUMNS\n"
      "    a_rather_long_column  a_rather_long_row  0.33333333333333331\n"
      "    C 1       R 2          0.33333333333333331   obj       -0.1\n"
      "RHS\n"
      "    RHS       R 2          1e-320\n"
      "ENDATA\n";
  Env e;
  tvl::ModelImage img;
  ASSERT_EQ(tvl::mps_parse(e.env, text, true, img), 0) << e.err.text;
  ASSERT_EQ(img.ncols, 2);
  EXPECT_EQ(name_at(img.colnames, 0), "a_rather_long_column");
  EXPECT_EQ(name_at(img.colnames, 1), "C 1");
  EXPECT_EQ(img.matval[0], 1.0 / 3.0);
  EXPECT_EQ(img.matind[1], 1);
  EXPECT_EQ(img.obj[1], -0.1);
  EXPECT_EQ(img.rhs[1], 1e-320);
  EXPECT_EQ(img.probname.size(), 1u);
}

TEST(MpsParse, WhatOtherToolsWriteIsRead) {
  // Fixed layout as other tools write it: fields shifted off their columns
  // that still fit the grid (two names run into one field, a row name in
  // the set name's place), D exponents, '$' comments, SI bounds and a
  // QSECTION holding one triangle of the quadratic objective.
  const std::string text =
      "NAME          OTHER\n"
      "$ written by another modeller\n"
      "ROWS\n"
      " N  COST\n"
      " L  LIM1\n"
      " G  LIM2\n"
      "COLUMNS\n"
      "    X1  LIM1  1.0D0\n" +
      fx("", "X1", "COST", "1.5d1", "LIM2", "2") +
      fx("", "Y", "COST", "-1", "$", "the rest is a comment") +
      fx("", "Y", "LIM1", "1.") +
      "RHS\n"
      "    LIM1      4.0D+2\n" +
      fx("", "RHS", "LIM2", "1", "$LIM1", "9") +
      "BOUNDS\n" +
      fx("UP", "BND", "X1", "4", "$", "cap") + fx("SI", "BND", "Y", "10") +
      "QSECTION      COST\n" +
      fx("", "X1", "X1", "2") + fx("", "X1", "Y", "0.5") +
      "ENDATA\n";
  Env e;
  tvl::ModelImage img;
  ASSERT_EQ(tvl::mps_parse(e.env, text, true, img), 0) << e.err.text;
  ASSERT_EQ(img.ncols, 2);
  ASSERT_EQ(img.nrows, 2);
  auto vec = [](const auto &v) { return std::vector<double>(v.begin(), v.end()); };
  using V = std::vector<double>;
  EXPECT_EQ(name_at(img.colnames, 0), "X1");
  EXPECT_EQ(vec(img.obj), (V{15, -1}));
  // X1: LIM1 1 (the shifted line), LIM2 2; Y: LIM1 1 after its comment.
  EXPECT_EQ(vec(img.matind), (V{0, 1, 0}));
  EXPECT_EQ(vec(img.matval), (V{1, 2, 1}));
  EXPECT_EQ(vec(img.rhs), (V{400, 1}));
  EXPECT_EQ(vec(img.ub), (V{4, 10}));
  EXPECT_EQ(std::string(img.ctype.begin(), img.ctype.end()), "CN");
  // The triangle is mirrored: (X1,X1) 2, (X1,Y) 0.5, (Y,X1) 0.5.
  ASSERT_TRUE(img.has_qobj);
  EXPECT_EQ(vec(img.qbeg), (V{0, 2, 3}));
  EXPECT_EQ(vec(img.qval), (V{2, 0.5, 0.5}));

  // A QSECTION that gives each off-diagonal term both ways is the whole
  // matrix; a QSECTION naming a constraint row is that row's quadratic part.
  const std::string whole =
      "NAME\nROWS\n N obj\n L q\nCOLUMNS\n x obj 1 q 1\n y obj 1\nRHS\n q 4\n"
      "QSECTION obj\n x y 0.5\n y x 0.5\n y y 1\n"
      "QSECTION q\n x x 1\nENDATA\n";
  e.clear();
  ASSERT_EQ(tvl::mps_parse(e.env, whole, false, img), 0) << e.err.text;
  EXPECT_EQ(vec(img.qbeg), (V{0, 1, 3}));
  ASSERT_EQ(img.nqc(), 1);
  EXPECT_EQ(img.qc_rhs[0], 4.0);
  EXPECT_EQ(img.nrows, 0);

  // The integer markers as many tools write them: the marker name in the
  // column field, its keywords far to the right, the row field blank.
  const std::string markers =
      "NAME\nROWS\n N obj\n L c\nCOLUMNS\n"
      "    MARKER                 'MARKER'                 'INTORG'\n"
      "    x         obj       1            c         1\n"
      "    MARKER                 'MARKER'                 'INTEND'\n"
      "    y         c         1\n"
      "RHS\n    rhs       c         3\nENDATA\n";
  e.clear();
  ASSERT_EQ(tvl::mps_parse(e.env, markers, true, img), 0) << e.err.text;
  ASSERT_EQ(img.ncols, 2);
  EXPECT_EQ(std::string(img.ctype.begin(), img.ctype.end()), "IC");
  EXPECT_EQ(vec(img.matval), (V{1, 1}));

  // Still refused, with their exact messages: a shifted line whose words
  // name no row either, a D without exponent digits, an unknown bound
  // type, and a QSECTION that is neither a whole matrix nor a triangle.
  const struct {
    std::string body;  // from line 6 on
    int code;
    const char *msg;
  } bad[] = {
      {"    X1  LIMX       1.0\n", 1448, "Line 6: 'LIMX' is not a row name"},
      {fx("", "X1", "LIM1", "1.0D"), 1434, "Line 6: Couldn't convert '1.0D' to a number"},
      {fx("", "X1", "LIM1", "1") + "BOUNDS\n" + fx("SX", "BND", "X1", "1"), 1457,
       "Line 8: Unrecognized bound type 'SX'"},
      {fx("", "X1", "LIM1", "1") + fx("", "Y", "LIM1", "1") + fx("", "Z", "LIM1", "1") + "QSECTION\n" +
           fx("", "X1", "Y", "1") + fx("", "Y", "X1", "1") + fx("", "X1", "Z", "1") + "ENDATA\n",
       1479, "Line 11: X1 Y repeats"},
  };
  for (const auto &c : bad) {
    const std::string file = "NAME\nROWS\n N  COST\n L  LIM1\nCOLUMNS\n" + c.body;
    e.clear();
    EXPECT_EQ(tvl::mps_parse(e.env, file, true, img), -c.code) << file;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "TAVLO Error %5d: ", c.code);
    EXPECT_EQ(e.err.text, std::string(prefix) + c.msg + ".\n") << file;
  }
}
