// Loading LP data: stored layout, zero entries, capacities, and the data
// checks with their exact statuses and messages.
#include <cfloat>
#include <cmath>
#include <limits>

#include "frame/problem.h"
#include "test_problem_fixture.h"

using probtest::ProblemTest;

namespace {

// Arguments of a 3x4 load that individual cases spoil one at a time.
struct Load {
  int ncols = 4, nrows = 3, objsense = 1;
  std::vector<double> obj{1, 2, 3, 4}, rhs{10, 2, 7}, lb{0, 0, 0, 0}, ub{10, 20, 30, 1e20};
  std::string sense = "LGE";
  std::vector<int> beg{0, 2, 4, 5}, cnt{2, 2, 1, 1}, ind{0, 2, 0, 1, 1, 2};
  std::vector<double> val{1, 5, 2, 3, 4, 6};
  std::vector<double> rng;
  std::vector<char *> cn, rn;
  int run(TVLENVptr env, TVLLPptr lp) {
    return TVLcopylpwnames(env, lp, ncols, nrows, objsense, obj.data(), rhs.data(), sense.data(), beg.data(),
                           cnt.data(), ind.data(), val.data(), lb.data(), ub.data(),
                           rng.empty() ? nullptr : rng.data(), cn.empty() ? nullptr : cn.data(),
                           rn.empty() ? nullptr : rn.data());
  }
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST_F(ProblemTest, LoadStoresDataDropsZerosAndSizesArraysByRanges) {
  Load a;
  a.val = {1, 0, 2, 3, 4, 6};  // entry (2,0) is zero
  a.sense = "LRE";
  a.rng = {0, 5, 0};
  ASSERT_EQ(a.run(env, lp), 0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 5);
  EXPECT_EQ(coef(2, 0), 0.0);
  EXPECT_EQ(coef(0, 0), 1.0);
  EXPECT_EQ(coef(1, 2), 4.0);
  const tvl::LpData *d = lp->lp;
  EXPECT_EQ(d->matcnt[0], 1);
  EXPECT_EQ(d->matbeg[1], 2);  // starts keep the caller's positions
  EXPECT_EQ(d->colcap, 5);     // columns + ranged rows
  EXPECT_EQ(d->rowcap, 3);
  EXPECT_EQ(d->nzcap, 7);      // nonzeros + ranged rows
  double r[3];
  ASSERT_EQ(TVLgetrngval(env, lp, r, 0, 2), 0);
  EXPECT_EQ(r[1], 5.0);

  // A column whose values are all 0 is stored with count 0.
  Load b;
  b.val = {0, 0, 2, 3, 4, 6};
  ASSERT_EQ(b.run(env, lp), 0);
  EXPECT_EQ(lp->lp->matcnt[0], 0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 4);

  // No columns at all.
  Load c;
  c.ncols = 0;
  ASSERT_EQ(c.run(env, lp), 0);
  EXPECT_EQ(TVLgetnumcols(env, lp), 0);
  EXPECT_EQ(TVLgetnumrows(env, lp), 3);
  EXPECT_EQ(TVLgetnumnz(env, lp), 0);
}

TEST_F(ProblemTest, LoadNamesArePooledExactly) {
  Load a;
  char n0[] = "alpha", n1[] = "b", n2[] = "gamma", n3[] = "d", r0[] = "R0", r1[] = "R1", r2[] = "R2";
  a.cn = {n0, n1, n2, n3};
  a.rn = {r0, r1, r2};
  ASSERT_EQ(a.run(env, lp), 0);
  EXPECT_EQ(names(false), (std::vector<std::string>{"alpha", "b", "gamma", "d"}));
  EXPECT_EQ(names(true), (std::vector<std::string>{"R0", "R1", "R2"}));
  EXPECT_EQ(lp->lp->colnames.cap, 16);  // 6+2+6+2 bytes, multiple of 4
  EXPECT_EQ(lp->lp->rownames.cap, 12);  // 9 bytes rounded up
  // Loading without names drops the existing ones.
  Load b;
  ASSERT_EQ(b.run(env, lp), 0);
  int idx;
  EXPECT_EQ(TVLgetcolindex(env, lp, "alpha", &idx), TVLERR_NO_NAMES_EXIST);
}

TEST_F(ProblemTest, LoadArgumentErrorsInCheckingOrder) {
  load_small();
  probtest::Snapshot before = snapshot();
  Load a;
  a.ncols = -1;
  EXPECT_EQ(a.run(env, lp), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  Load b;
  EXPECT_EQ(TVLcopylp(env, lp, 4, 3, 1, b.obj.data(), b.rhs.data(), b.sense.data(), b.beg.data(), b.cnt.data(),
                      b.ind.data(), b.val.data(), nullptr, b.ub.data(), nullptr),
            TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLcopylp(nullptr, lp, 4, 3, 1, b.obj.data(), b.rhs.data(), b.sense.data(), b.beg.data(),
                      b.cnt.data(), b.ind.data(), b.val.data(), b.lb.data(), b.ub.data(), nullptr),
            TVLERR_NO_ENVIRONMENT);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1003: Bad argument to Callable Library function.\n"
            "TAVLO Error  1004: Null pointer for required data.\n");
  EXPECT_EQ(snapshot(), before);
}

// Each spoiled argument with data checking on: status, exact message, and
// the problem left as it was.
TEST_F(ProblemTest, LoadDataChecksNamePositions) {
  load_small(true);
  probtest::Snapshot before = snapshot();
  datacheck(1);
  struct Case {
    const char *what;
    void (*spoil)(Load &);
    int status;
    std::string message;
  };
  char dbl_max[64];
  std::snprintf(dbl_max, sizeof dbl_max, "%g", DBL_MAX);
  const std::string big = std::string(" is larger than allowed maximum of ") + dbl_max + ".\n";
  std::vector<Case> cases = {
      {"objsense", [](Load &l) { l.objsense = 0; }, 1003, "TAVLO Error  1003: Bad argument to Callable Library function.\n"},
      {"obj nan", [](Load &l) { l.obj[1] = kNaN; }, 1225,
       "TAVLO Error  1225: Numeric entry 1 is not a double precison number (NAN).\n"},
      {"rhs inf", [](Load &l) { l.rhs[2] = kInf; }, 1233, "TAVLO Error  1233: Numeric entry 2" + big},
      {"sense", [](Load &l) { l.sense = "LGX"; }, 1215, "TAVLO Error  1215: Illegal sense entry 2.\n"},
      {"ranged without values", [](Load &l) { l.sense = "LRE"; }, 1003,
       "TAVLO Error  1003: Bad argument to Callable Library function.\n"},
      {"starts", [](Load &l) { l.beg = {0, 2, 1, 5}; }, 1226, "TAVLO Error  1226: Array entry 2 not ascending.\n"},
      {"negative start", [](Load &l) { l.beg = {-1, 2, 4, 5}; }, 1200,
       "TAVLO Error  1200: Index is outside range of valid values.\n"},
      {"count", [](Load &l) { l.cnt[1] = 4; }, 1227,
       "TAVLO Error  1227: Count entry 1 negative or larger than allowed.\n"},
      {"overlap", [](Load &l) { l.cnt = {3, 3, 1, 1}; }, 1228,
       "TAVLO Error  1228: Count entry 0 indicates overlapping entries.\n"
       "TAVLO Error  1228: Count entry 1 indicates overlapping entries.\n"},
      {"row index", [](Load &l) { l.ind[3] = 3; }, 1203, "TAVLO Error  1203: Row index 3 out of range.\n"},
      {"duplicate", [](Load &l) { l.ind[3] = 0; }, 1222, "TAVLO Error  1222: Duplicate entry.\n"},
      {"matrix value", [](Load &l) { l.val[3] = kNaN; }, 1225,
       "TAVLO Error  1225: Numeric entry 1 is not a double precison number (NAN).\n"},
      {"lb", [](Load &l) { l.lb[0] = -kInf; }, 1233, "TAVLO Error  1233: Numeric entry 0" + big},
      {"ub", [](Load &l) { l.ub[3] = kNaN; }, 1225,
       "TAVLO Error  1225: Numeric entry 3 is not a double precison number (NAN).\n"},
      {"rngval", [](Load &l) { l.rng = {0, kNaN, 0}; }, 1225,
       "TAVLO Error  1225: Numeric entry 1 is not a double precison number (NAN).\n"},
      {"column name", [](Load &l) { l.cn = {(char *)"a", (char *)"b", nullptr, (char *)"d"}; }, 1224,
       "TAVLO Error  1224: Null pointer 2 in name array.\n"},
      {"row name", [](Load &l) { l.rn = {nullptr, (char *)"b", (char *)"c"}; }, 1224,
       "TAVLO Error  1224: Null pointer 0 in name array.\n"},
  };
  for (const Case &c : cases) {
    Load l;
    c.spoil(l);
    EXPECT_EQ(l.run(env, lp), c.status) << c.what;
    EXPECT_EQ(take_errors(), c.message) << c.what;
    EXPECT_EQ(snapshot(), before) << c.what;
  }
  // Bounds at or beyond 1e20 are legal values (infinite bounds).
  Load ok;
  ok.lb[0] = -1e30;
  ok.ub[0] = 1e25;
  EXPECT_EQ(ok.run(env, lp), 0);
  EXPECT_EQ(error_text(), "");
}

// Values are checked only with data checking on; a sense always.
TEST_F(ProblemTest, LoadWithoutDataCheckAcceptsUncheckedValues) {
  Load l;
  l.obj[0] = kNaN;
  EXPECT_EQ(l.run(env, lp), 0);
  double obj = 0;
  ASSERT_EQ(TVLgetobj(env, lp, &obj, 0, 0), 0);
  EXPECT_TRUE(std::isnan(obj));
  l.sense = "LGX";
  EXPECT_EQ(l.run(env, lp), TVLERR_ILLEGAL_SENSE_ENTRY);
}

TEST_F(ProblemTest, LoadResetsTypeAndDropsColumnTypes) {
  load_small();
  char ct[] = "CBIC";
  ASSERT_EQ(TVLcopyctype(env, lp, ct), 0);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_MILP);
  load_small();
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_LP);
  char out[4];
  EXPECT_EQ(TVLgetctype(env, lp, out, 0, 3), TVLERR_NOT_A_MIXED_INTEGER_PROBLEM);
  EXPECT_TRUE(warnings.empty());
  // With data checking the freeing is announced.
  ASSERT_EQ(TVLcopyctype(env, lp, ct), 0);
  datacheck(1);
  load_small();
  EXPECT_EQ(warnings, std::vector<std::string>{"Freeing MIP data.\n"});
  // A node problem keeps its type.
  lp->type = TVLPROB_NODELP;
  load_small();
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_NODELP);
}
