// User cuts and lazy constraints (storage, queries, clone, column deletion)
// and how the model files carry them, together with the objective
// constant and the priorities of special ordered sets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame/problem.h"
#include "test_lp_util.h"

namespace {

using lptest::CapturedEnv;

using lptest::slurp;
using lptest::spit;
using lptest::temp_path;

// Three named columns x, y, z and one row c1: x + y + z <= 4.
TVLLPptr small_problem(TVLENVptr env, bool names = true) {
  int st = 0;
  TVLLPptr lp = TVLcreateprob(env, &st, "small");
  double obj[] = {1, 2, 3}, lb[] = {0, 0, 0}, ub[] = {1e20, 1e20, 1e20}, rhs[] = {4}, val[] = {1, 1, 1};
  char sense[] = {'L'};
  int beg[] = {0, 1, 2}, cnt[] = {1, 1, 1}, ind[] = {0, 0, 0};
  const char *cn[] = {"x", "y", "z"}, *rn[] = {"c1"};
  EXPECT_EQ(TVLcopylpwnames(env, lp, 3, 1, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr,
                            names ? const_cast<char **>(cn) : nullptr, names ? const_cast<char **>(rn) : nullptr),
            0);
  return lp;
}

struct Rows {
  std::vector<double> rhs;
  std::vector<char> sense;
  std::vector<int> beg, ind;
  std::vector<double> val;
};

using GetRows = int (*)(TVLCENVptr, TVLCLPptr, int *, double *, char *, int *, int *, double *, int, int *, int, int);

Rows get_rows(TVLENVptr env, TVLLPptr lp, int count, GetRows get) {
  Rows r;
  r.rhs.resize(count);
  r.sense.resize(count);
  r.beg.resize(count);
  int nz = 0, surplus = 0;
  EXPECT_EQ(get(env, lp, &nz, r.rhs.data(), r.sense.data(), r.beg.data(), nullptr, nullptr, 0, &surplus, 0, count - 1),
            TVLERR_INSUFFICIENT_ARRAY_LENGTH);
  r.ind.resize(-surplus);
  r.val.resize(-surplus);
  EXPECT_EQ(get(env, lp, &nz, r.rhs.data(), r.sense.data(), r.beg.data(), r.ind.data(), r.val.data(), -surplus,
                &surplus, 0, count - 1),
            0);
  EXPECT_EQ(surplus, 0);
  return r;
}

TEST(CutPools, AddQueryCloneFreeAndRefuseBadRows) {
  CapturedEnv ce;
  TVLLPptr lp = small_problem(ce.env);
  double rhs[] = {1, 2};
  char sense[] = {'G', 'E'};
  int beg[] = {0, 2}, ind[] = {0, 2, 1};
  double val[] = {1, -1, 0};  // the zero entry is not stored
  const char *names[] = {"cutA", "cutB"};
  ASSERT_EQ(TVLaddusercuts(ce.env, lp, 2, 3, rhs, sense, beg, ind, val, const_cast<char **>(names)), 0);
  int lind[] = {1};
  double lval[] = {5};
  int lbeg[] = {0};
  ASSERT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, nullptr, nullptr, lbeg, lind, lval, nullptr), 0);
  EXPECT_EQ(TVLgetnumusercuts(ce.env, lp), 2);
  EXPECT_EQ(TVLgetnumlazyconstraints(ce.env, lp), 1);
  Rows u = get_rows(ce.env, lp, 2, TVLgetusercuts);
  EXPECT_EQ(u.rhs, (std::vector<double>{1, 2}));
  EXPECT_EQ(u.sense, (std::vector<char>{'G', 'E'}));
  EXPECT_EQ(u.beg, (std::vector<int>{0, 2}));
  EXPECT_EQ(u.ind, (std::vector<int>{0, 2}));
  Rows l = get_rows(ce.env, lp, 1, TVLgetlazyconstraints);
  EXPECT_EQ(l.rhs, (std::vector<double>{0}));  // absent rhs and sense: 0 and 'E'
  EXPECT_EQ(l.sense, (std::vector<char>{'E'}));

  // Refusals leave the pools as they were.
  int bad[] = {0, 3};
  EXPECT_EQ(TVLaddusercuts(ce.env, lp, 1, 2, rhs, sense, beg, bad, val, nullptr), 1201);
  char ranged[] = {'R'};
  EXPECT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, rhs, ranged, lbeg, lind, lval, nullptr), 1215);
  EXPECT_EQ(TVLaddusercuts(ce.env, lp, -1, 0, rhs, sense, beg, ind, val, nullptr), 1003);
  EXPECT_EQ(TVLaddusercuts(ce.env, lp, 1, 1, rhs, sense, nullptr, ind, val, nullptr), 1004);
  EXPECT_EQ(TVLgetusercuts(ce.env, lp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0, 2), 1200);
  EXPECT_EQ(TVLgetnumusercuts(ce.env, lp), 2);
  EXPECT_EQ(TVLgetnumlazyconstraints(ce.env, lp), 1);

  int st = 0;
  TVLLPptr copy = TVLcloneprob(ce.env, lp, &st);
  ASSERT_EQ(st, 0);
  ASSERT_EQ(TVLfreeusercuts(ce.env, lp), 0);
  EXPECT_EQ(TVLgetnumusercuts(ce.env, lp), 0);
  EXPECT_EQ(TVLgetnumusercuts(ce.env, copy), 2);
  EXPECT_STREQ(copy->parts->usercuts.name[1], "cutB");
  EXPECT_EQ(get_rows(ce.env, copy, 1, TVLgetlazyconstraints).val, (std::vector<double>{5}));
  TVLfreeprob(ce.env, &copy);
  TVLfreeprob(ce.env, &lp);
}

TEST(CutPools, ColumnDeletionFreesBothPoolsWithTheirWarningsInOrder) {
  CapturedEnv ce;
  TVLLPptr lp = small_problem(ce.env);
  int beg[] = {0}, ind[] = {0};
  double val[] = {1}, rhs[] = {1};
  char sense[] = {'L'};
  ASSERT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, rhs, sense, beg, ind, val, nullptr), 0);
  ASSERT_EQ(TVLaddusercuts(ce.env, lp, 1, 1, rhs, sense, beg, ind, val, nullptr), 0);
  ce.clear();
  ASSERT_EQ(TVLdelcols(ce.env, lp, 2, 2), 0);
  EXPECT_EQ(ce.warnings,
            "Warning:  User cuts freed during column deletion.\n"
            "Warning:  Lazy constraints freed during column deletion.\n");
  EXPECT_EQ(TVLgetnumusercuts(ce.env, lp), 0);
  EXPECT_EQ(TVLgetnumlazyconstraints(ce.env, lp), 0);
  // Only the pool that exists is announced; deleting rows keeps the pools.
  ASSERT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, rhs, sense, beg, ind, val, nullptr), 0);
  ASSERT_EQ(TVLdelrows(ce.env, lp, 0, 0), 0);
  EXPECT_EQ(TVLgetnumlazyconstraints(ce.env, lp), 1);
  ce.clear();
  ASSERT_EQ(TVLdelcols(ce.env, lp, 0, 0), 0);
  EXPECT_EQ(ce.warnings, "Warning:  Lazy constraints freed during column deletion.\n");
  TVLfreeprob(ce.env, &lp);
}

TEST(CutPools, LpFilesWriteAndReadBothSectionsWithDefaultNames) {
  CapturedEnv ce;
  TVLLPptr lp = small_problem(ce.env);
  int beg[] = {0, 2}, ind[] = {0, 1, 2};
  double val[] = {1, 2.5, -1}, rhs[] = {3, -1};
  char sense[] = {'L', 'G'};
  ASSERT_EQ(TVLaddusercuts(ce.env, lp, 2, 3, rhs, sense, beg, ind, val, nullptr), 0);
  const char *lname[] = {"late"};
  ASSERT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, rhs, sense + 1, beg, ind + 2, val + 2,
                                  const_cast<char **>(lname)),
            0);
  std::string path = temp_path("cuts.lp");
  ce.clear();
  ASSERT_EQ(TVLwriteprob(ce.env, lp, path.c_str(), nullptr), 0) << ce.errors;
  EXPECT_EQ(ce.warnings, "Default user cut names u1, u2 ... being created.\n");
  EXPECT_EQ(slurp(path),
            "\\Problem name: small\n\n"
            "Minimize\n"
            " obj: x + 2 y + 3 z\n"
            "Subject To\n"
            " c1: x + y + z <= 4\n"
            "User Cuts\n"
            " u1: x + 2.5 y <= 3\n"
            " u2: - z >= -1\n"
            "Lazy Constraints\n"
            " late: - z >= 3\n"
            "End\n");
  int st = 0;
  TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  ASSERT_EQ(TVLgetnumusercuts(ce.env, back), 2);
  ASSERT_EQ(TVLgetnumlazyconstraints(ce.env, back), 1);
  Rows u = get_rows(ce.env, back, 2, TVLgetusercuts);
  EXPECT_EQ(u.ind, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(u.val, (std::vector<double>{1, 2.5, -1}));
  EXPECT_EQ(u.sense, (std::vector<char>{'L', 'G'}));
  EXPECT_STREQ(back->parts->usercuts.name[0], "u1");
  EXPECT_STREQ(back->parts->lazy.name[0], "late");

  // Rows that cannot be user cuts or lazy constraints.
  struct Illegal {
    const char *text;
    int status;
  } illegal[] = {
      {"Minimize\n obj: x\nSubject To\n c: x >= 1\nUser Cuts\n u: x + [ x ^2 ] <= 2\nEnd\n", 1605},
      {"Minimize\n obj: x + b\nSubject To\n c: x >= 1\nLazy Constraints\n l: b = 1 -> x <= 2\nEnd\n", 1438},
  };
  for (const Illegal &c : illegal) {
    spit(path, c.text);
    ce.clear();
    EXPECT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), "LP"), c.status) << c.text;
    EXPECT_NE(ce.errors.find("Line 6:"), std::string::npos) << ce.errors;
    EXPECT_EQ(TVLgetnumusercuts(ce.env, back), 2);  // the failed read changed nothing
  }
  std::remove(path.c_str());
  TVLfreeprob(ce.env, &back);
  TVLfreeprob(ce.env, &lp);
}

TEST(CutPools, ObjectiveConstantIsAnUnnamedTermOfTheObjective) {
  CapturedEnv ce;
  TVLLPptr lp = small_problem(ce.env, false);
  lp->lp->objoffset = -7.113;
  std::string path = temp_path("const.lp");
  ASSERT_EQ(TVLlpwrite(ce.env, lp, path.c_str()), 0);
  std::string text = slurp(path);
  EXPECT_NE(text.find(" obj: x1 + 2 x2 + 3 x3 - 7.113\n"), std::string::npos) << text;
  int st = 0;
  TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  EXPECT_EQ(back->lp->objoffset, -7.113);
  // Several constants add up, also around a quadratic part; a constant
  // alone is an objective too.
  spit(path, "Maximize\n obj: 3 + x - 1 + [ x ^2 ] / 2 + 0.5\nSubject To\n c: x <= 1\nEnd\n");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  EXPECT_EQ(back->lp->objoffset, 2.5);
  spit(path, "Minimize\n obj: 1\nSubject To\n c: x <= 1\nEnd\n");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 0) << ce.errors;
  EXPECT_EQ(back->lp->objoffset, 1.0);
  // In a constraint a number without a name is still an error.
  spit(path, "Minimize\n obj: x\nSubject To\n c: x + 2 <= 1\nEnd\n");
  EXPECT_EQ(TVLreadcopyprob(ce.env, back, path.c_str(), nullptr), 1616);
  std::remove(path.c_str());
  TVLfreeprob(ce.env, &back);
  TVLfreeprob(ce.env, &lp);
}

TEST(CutPools, SavCarriesCutsAndSetPrioritiesAndMpsCarriesPriorities) {
  CapturedEnv ce;
  TVLLPptr lp = small_problem(ce.env);
  int beg[] = {0}, ind[] = {1};
  double val[] = {4}, rhs[] = {2};
  char sense[] = {'G'};
  const char *cname[] = {"cc"};
  ASSERT_EQ(TVLaddusercuts(ce.env, lp, 1, 1, rhs, sense, beg, ind, val, const_cast<char **>(cname)), 0);
  ASSERT_EQ(TVLaddlazyconstraints(ce.env, lp, 1, 1, rhs, sense, beg, ind, val, nullptr), 0);
  std::string mps = temp_path("prio.mps");
  spit(mps,
       "NAME          prio\nROWS\n N  obj\n L  c1\nCOLUMNS\n    x         obj       1   c1   1\n"
       "    y         c1        1\n    z         c1        1\nRHS\n    rhs       c1        4\nSOS\n"
       " S1 SOS       s1        7\n    s1        x         1\n    s1        y         2\n"
       " S2 SOS       s2\n    s2        y         1\n    s2        z         2\nENDATA\n");
  int st = 0;
  TVLLPptr sets = TVLcreateprob(ce.env, &st, "sets");
  ASSERT_EQ(TVLreadcopyprob(ce.env, sets, mps.c_str(), nullptr), 0) << ce.errors;
  const tvl::SosData &s = sets->parts->sos;
  ASSERT_EQ(s.sospri.size, 2);
  EXPECT_EQ(s.sospri[0], 7);
  EXPECT_EQ(s.sospri[1], 0);
  // The sets join the cut problem through a SAV and MPS round trip each.
  for (const char *type : {"SAV", "MPS", "FMPS"}) {
    std::string out = temp_path(std::string("prio.") + type);
    ASSERT_EQ(TVLwriteprob(ce.env, sets, out.c_str(), type), 0) << type;
    TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
    ASSERT_EQ(TVLreadcopyprob(ce.env, back, out.c_str(), type), 0) << type << ce.errors;
    ASSERT_EQ(back->parts->sos.sospri.size, 2) << type;
    EXPECT_EQ(back->parts->sos.sospri[0], 7) << type;
    TVLfreeprob(ce.env, &back);
    std::remove(out.c_str());
  }
  std::string sav = temp_path("cuts.sav");
  ASSERT_EQ(TVLwriteprob(ce.env, lp, sav.c_str(), nullptr), 0);
  TVLLPptr back = TVLcreateprob(ce.env, &st, "back");
  ASSERT_EQ(TVLreadcopyprob(ce.env, back, sav.c_str(), nullptr), 0) << ce.errors;
  EXPECT_EQ(get_rows(ce.env, back, 1, TVLgetusercuts).val, (std::vector<double>{4}));
  EXPECT_EQ(TVLgetnumlazyconstraints(ce.env, back), 1);
  EXPECT_STREQ(back->parts->usercuts.name[0], "cc");
  EXPECT_EQ(back->parts->lazy.name.size, 0);
  for (auto &p : {mps, sav}) std::remove(p.c_str());
  TVLfreeprob(ce.env, &back);
  TVLfreeprob(ce.env, &sets);
  TVLfreeprob(ce.env, &lp);
}

}  // namespace
