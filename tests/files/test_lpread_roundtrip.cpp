// What the LP writer prints, the LP reader reads back into the same model;
// and mutated files never crash the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <string>

#include "files/lpwrite_text.h"
#include "test_lp_util.h"

namespace {

using lptest::CapturedEnv;
using tvl::LpFileModel;
using tvl::LpFileRow;

std::string print(const LpFileModel &m) { return lptest::print_model(m); }

// A model with every part; values chosen to need 15 digits or exponents.
LpFileModel sample_model() {
  LpFileModel m;
  m.probname = "sample";
  m.objsense = -1;
  m.colnames = {"x", "y", "z", "b", "g", "s", "k"};
  m.has_colnames = true;
  m.obj = {1.0 / 3.0, -2.5e-9, 0, 7, 0, 1e16, 0};
  m.lb = {0, -1e20, -3, 0, 0, 2, -5};
  m.ub = {1e20, 1e20, 7.125, 1, 1e20, 10, -5};
  m.ctype = {'C', 'C', 'C', 'B', 'I', 'S', 'C'};
  m.rows.push_back(lptest::make_row("c1", 'L', 10, {0, 1, 2}, {1, -1, 3.000000000001}));
  m.rows.push_back(lptest::make_row("c2", 'G', -5e-7, {1, 3, 4}, {-1, 0.5, 2}));
  m.rows.push_back(lptest::make_row("r3", 'R', 2, {0, 5, 6}, {1, 1, 1}, 6));
  m.rows.push_back(lptest::make_row("r4", 'R', 1, {1}, {1}, -4));
  m.rows.push_back(lptest::make_row("r5", 'R', -1, {2}, {4}, 0));
  m.has_rownames = true;
  m.objquad = {{0, 0, 2}, {0, 1, -3}, {1, 1, 1}};
  tvl::LpFileQConstr q;
  q.name = "q1";
  q.rhs = 9;
  q.ind = {2};
  q.val = {1};
  q.quad = {{0, 0, 1}, {0, 1, 2}};
  m.qconstrs.push_back(q);
  m.has_qcnames = true;
  tvl::LpFileIndicator ic;
  ic.name = "i1";
  ic.var = 3;
  ic.complemented = true;
  ic.sense = 'G';
  ic.rhs = 2;
  ic.ind = {0, 1};
  ic.val = {1, -1};
  m.indicators.push_back(ic);
  m.has_indnames = true;
  m.usercuts.push_back(lptest::make_row("u1", 'L', 3, {0, 1}, {1, 1}));
  m.has_usercutnames = true;
  m.lazy.push_back(lptest::make_row("l1", 'G', -1, {2}, {-1}));
  m.has_lazynames = true;
  tvl::LpFileSos s;
  s.name = "set1";
  s.type = '2';
  s.ind = {0, 1, 2};
  s.wt = {1, 2, 3.5};
  m.sos.push_back(s);
  m.has_sosnames = true;
  return m;
}

// Everything keyed by name so that the column order may differ.
struct Canon {
  std::map<std::string, std::tuple<double, double, double, char>> cols;
  std::map<std::string, std::tuple<char, double, double, std::map<std::string, double>>> rows;
  std::map<std::pair<std::string, std::string>, double> objquad;
  size_t nq = 0, nind = 0, ncuts = 0, nlazy = 0, nsos = 0;
};

Canon canon(const LpFileModel &m) {
  Canon c;
  for (int j = 0; j < m.numcols(); ++j)
    c.cols[m.colnames[j]] = {m.obj[j], m.lb[j], m.ub[j], m.ctype.empty() ? 'C' : m.ctype[j]};
  for (const LpFileRow &r : m.rows) {
    std::map<std::string, double> coefs;
    for (size_t k = 0; k < r.ind.size(); ++k) coefs[m.colnames[r.ind[k]]] = r.val[k];
    c.rows[r.name] = {r.sense, r.rhs, r.rng, coefs};
  }
  for (const auto &q : m.objquad) {
    std::string a = m.colnames[q.i], b = m.colnames[q.j];
    c.objquad[{std::min(a, b), std::max(a, b)}] = q.coef;
  }
  c.nq = m.qconstrs.size();
  c.nind = m.indicators.size();
  c.ncuts = m.usercuts.size();
  c.nlazy = m.lazy.size();
  c.nsos = m.sos.size();
  return c;
}

void expect_same(const Canon &a, const Canon &b) {
  ASSERT_EQ(a.cols.size(), b.cols.size());
  for (const auto &[name, v] : a.cols) {
    ASSERT_TRUE(b.cols.count(name)) << name;
    const auto &w = b.cols.at(name);
    EXPECT_NEAR(std::get<0>(v), std::get<0>(w), 1e-14 * std::max(1.0, std::fabs(std::get<0>(v)))) << name;
    EXPECT_EQ(std::get<1>(v), std::get<1>(w)) << name;
    EXPECT_EQ(std::get<2>(v), std::get<2>(w)) << name;
    EXPECT_EQ(std::get<3>(v), std::get<3>(w)) << name;
  }
  ASSERT_EQ(a.rows.size(), b.rows.size());
  for (const auto &[name, v] : a.rows) {
    ASSERT_TRUE(b.rows.count(name)) << name;
    const auto &w = b.rows.at(name);
    EXPECT_EQ(std::get<0>(v), std::get<0>(w)) << name;
    EXPECT_EQ(std::get<1>(v), std::get<1>(w)) << name;
    EXPECT_EQ(std::get<2>(v), std::get<2>(w)) << name;
    ASSERT_EQ(std::get<3>(v).size(), std::get<3>(w).size()) << name;
    for (const auto &[col, coef] : std::get<3>(v)) EXPECT_NEAR(coef, std::get<3>(w).at(col), 1e-12) << name;
  }
  EXPECT_EQ(a.objquad, b.objquad);
  EXPECT_EQ(a.nq, b.nq);
  EXPECT_EQ(a.nind, b.nind);
  EXPECT_EQ(a.ncuts, b.ncuts);
  EXPECT_EQ(a.nlazy, b.nlazy);
  EXPECT_EQ(a.nsos, b.nsos);
}

TEST(LpReadRoundTrip, WrittenModelReadsBackAndPrintsTheSame) {
  LpFileModel m = sample_model();
  std::string text = print(m);
  CapturedEnv ce;
  LpFileModel back;
  ASSERT_EQ(lptest::parse_text(ce, text, back), 0) << ce.errors << text;
  EXPECT_EQ(ce.warnings, "");
  expect_same(canon(m), canon(back));
  EXPECT_EQ(back.rows[3].rng, -4);
  EXPECT_EQ(back.colnames[back.indicators[0].var], "b");
  EXPECT_TRUE(back.indicators[0].complemented);
  EXPECT_EQ(back.sos[0].type, '2');
  EXPECT_EQ(back.qconstrs[0].quad.size(), 2u);
  // The reader orders columns by first mention; from then on printing and
  // reading is a fixed point.
  std::string text2 = print(back);
  LpFileModel again;
  ASSERT_EQ(lptest::parse_text(ce, text2, again), 0);
  again.probname = back.probname;
  EXPECT_EQ(print(again), text2);
}

TEST(LpReadRoundTrip, MutatedFilesNeverCrashTheReader) {
  std::string base = print(sample_model());
  const std::string alphabet = "+-<>=:[]*/^\\ \n\t0123456789.eExyzSsINFinf\x01\xff";
  std::mt19937 rng(20261206);
  int accepted = 0;
  for (int iter = 0; iter < 400; ++iter) {
    std::string t = base;
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !t.empty(); ++e) {
      size_t pos = rng() % t.size();
      switch (rng() % 4) {
        case 0: t[pos] = alphabet[rng() % alphabet.size()]; break;
        case 1: t.erase(pos, 1 + rng() % 8); break;
        case 2: t.insert(pos, 1, alphabet[rng() % alphabet.size()]); break;
        default: t.insert(pos, t.substr(rng() % t.size(), rng() % 40)); break;
      }
    }
    CapturedEnv ce;
    LpFileModel m;
    if (lptest::parse_text(ce, t, m) == 0) {
      ++accepted;
      // Whatever is accepted is a consistent model.
      for (const LpFileRow &r : m.rows)
        for (int j : r.ind) ASSERT_LT(j, m.numcols());
      ASSERT_EQ(m.obj.size(), m.colnames.size());
    } else {
      EXPECT_NE(ce.errors.find("TAVLO Error"), std::string::npos) << t;
    }
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
