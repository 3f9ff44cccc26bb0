// Bad arguments on every public function that takes indices: out of range,
// negative and repeated entries, bad senses, types and counts.  Indices,
// senses, types and counts are refused with the same status and message
// under both settings of TVL_PARAM_DATACHECK, and the problem is left as it
// was; repeated indices are refused only with data checking on and have a
// defined meaning without it.
#include <functional>

#include "frame/test_problem_fixture.h"

namespace {

using probtest::ProblemTest;
using probtest::Snapshot;

enum Bad { kHigh, kNegative, kRepeat };

// One function under test.  `call` makes the call with the given kind of
// bad index at one position of its index argument.
struct Case {
  const char *name;
  int refused;          // status for an index out of range (high or negative)
  const char *message;  // text of the message naming it
  int repeat;           // status for a repeated index with data checking on
  std::function<int(TVLENVptr, TVLLPptr, Bad)> call;
};

// The bad index of each kind: past the end of the 3 x 4 test problem,
// negative, or a repetition of the valid index 1.
int bad(Bad b) { return b == kHigh ? 9 : b == kNegative ? -1 : 1; }

char *name_of(const char *s) { return const_cast<char *>(s); }

std::vector<Case> index_cases() {
  static double v2[] = {1.0, 2.0};
  static char *names2[] = {name_of("p"), name_of("q")};
  return {
      {"TVLcopylp", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         double obj[4] = {}, lb[4] = {}, ub[4] = {1, 1, 1, 1}, rhs[3] = {};
         int beg[] = {0, 2, 4, 5}, cnt[] = {2, 2, 1, 1}, ind[] = {1, bad(b), 0, 1, 1, 2};
         double val[] = {1, 5, 2, 3, 4, 6};
         return TVLcopylp(e, lp, 4, 3, 1, obj, rhs, "LGE", beg, cnt, ind, val, lb, ub, nullptr);
       }},
      {"TVLaddrows", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0}, ind[] = {1, bad(b)};
         return TVLaddrows(e, lp, 0, 1, 2, nullptr, "L", beg, ind, v2, nullptr, nullptr);
       }},
      {"TVLaddcols", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0}, ind[] = {1, bad(b)};
         return TVLaddcols(e, lp, 1, 2, nullptr, beg, ind, v2, nullptr, nullptr, nullptr);
       }},
      {"TVLchgobj", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgobj(e, lp, 2, ind, v2);
       }},
      {"TVLchgrhs", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgrhs(e, lp, 2, ind, v2);
       }},
      {"TVLchgsense", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgsense(e, lp, 2, ind, "GL");
       }},
      {"TVLchgrngval", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgrngval(e, lp, 2, ind, v2);
       }},
      {"TVLchgbds", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgbds(e, lp, 2, ind, "UL", v2);
       }},
      {"TVLtightenbds", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLtightenbds(e, lp, 2, ind, "BB", v2);
       }},
      {"TVLchgcoeflist rows", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int row[] = {1, bad(b)}, col[] = {2, 2};
         return TVLchgcoeflist(e, lp, 2, row, col, v2);
       }},
      {"TVLchgcoeflist columns", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int row[] = {2, 2}, col[] = {1, bad(b)};
         return TVLchgcoeflist(e, lp, 2, row, col, v2);
       }},
      {"TVLchgcoef", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) { return TVLchgcoef(e, lp, 1, b == kNegative ? -3 : bad(b), 8.0); }},
      {"TVLchgname", 1203, "Row index 0 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) { return TVLchgname(e, lp, 'r', bad(b), "z"); }},
      {"TVLchgrowname", 1203, "Row index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgrowname(e, lp, 2, ind, names2);
       }},
      {"TVLchgcolname", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgcolname(e, lp, 2, ind, names2);
       }},
      {"TVLchgctype", 1201, "Column index 1 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLchgctype(e, lp, 2, ind, "IB");
       }},
      {"TVLdelrows", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         return b == kNegative ? TVLdelrows(e, lp, -1, 1) : TVLdelrows(e, lp, 1, bad(b));
       }},
      {"TVLdelcols", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         return b == kNegative ? TVLdelcols(e, lp, -1, 1) : TVLdelcols(e, lp, 1, bad(b));
       }},
      {"TVLcopysos", 1201, "Column index 1 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0}, ind[] = {1, bad(b)};
         return TVLcopysos(e, lp, 1, 2, "1", beg, ind, v2, nullptr);
       }},
      {"TVLEchgsosname", 1200, "Index is outside range of valid values", 1200,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {bad(b)};
         return TVLEchgsosname(e, lp, 1, ind, names2);
       }},
      {"TVLcopyquad", 1201, "Column index 1 out of range", 5011,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0, 2, 2, 2}, cnt[] = {2, 0, 0, 0}, ind[] = {1, bad(b)};
         return TVLcopyquad(e, lp, beg, cnt, ind, v2);
       }},
      {"TVLaddqconstr linear", 1201, "Column index 1 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)}, q[] = {0};
         return TVLaddqconstr(e, lp, 2, 1, 1.0, 'L', ind, v2, q, q, v2, "qc");
       }},
      {"TVLaddqconstr quadratic", 1201, "Column index 0 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int row[] = {bad(b)}, col[] = {0};
         return TVLaddqconstr(e, lp, 0, 1, 1.0, 'L', nullptr, nullptr, row, col, v2, "qc");
       }},
      {"TVLEaddindconstr indicator", 1201, "Column index", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {0};
         return TVLEaddindconstr(e, lp, bad(b), 0, 1, 1.0, 'L', ind, v2, "ic");
       }},
      {"TVLEaddindconstr linear", 1201, "Column index 1 out of range", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {1, bad(b)};
         return TVLEaddindconstr(e, lp, 0, 0, 2, 1.0, 'L', ind, v2, "ic");
       }},
      {"TVLaddusercuts", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0}, ind[] = {1, bad(b)};
         return TVLaddusercuts(e, lp, 1, 2, v2, "L", beg, ind, v2, nullptr);
       }},
      {"TVLaddlazyconstraints", 1201, "Column index 1 out of range", 1222,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int beg[] = {0}, ind[] = {1, bad(b)};
         return TVLaddlazyconstraints(e, lp, 1, 2, v2, "G", beg, ind, v2, nullptr);
       }},
      {"TVLEchgqcname", 1200, "Index is outside range of valid values", 1200,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int ind[] = {bad(b)};
         return TVLEchgqcname(e, lp, 1, ind, names2);
       }},
      {"TVLgetobj", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         double out[16];
         return b == kNegative ? TVLgetobj(e, lp, out, -1, 1) : TVLgetobj(e, lp, out, 1, bad(b));
       }},
      {"TVLgetrows", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         int nz = 0, beg[16], ind[64], surplus = 0;
         double val[64];
         return b == kNegative ? TVLgetrows(e, lp, &nz, beg, ind, val, 64, &surplus, -1, 1)
                               : TVLgetrows(e, lp, &nz, beg, ind, val, 64, &surplus, 1, bad(b));
       }},
      {"TVLgetcoef", 1200, "Index is outside range of valid values", 0,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         double v = 0;
         return TVLgetcoef(e, lp, 1, b == kNegative ? -3 : bad(b), &v);
       }},
      {"TVLgetqconstr", 1200, "Index is outside range of valid values", 1200,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         return TVLgetqconstr(e, lp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                              nullptr, nullptr, 0, nullptr, bad(b));
       }},
      {"TVLgetindconstr", 1200, "Index is outside range of valid values", 1200,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         return TVLgetindconstr(e, lp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                bad(b));
       }},
      {"TVLbinvrow", 1200, "Index is outside range of valid values", 1258,
       [](TVLENVptr e, TVLLPptr lp, Bad b) {
         double y[8];
         return TVLbinvrow(e, lp, bad(b), y);
       }},
  };
}

// Counts of the model parts the cases may add to.
std::vector<int> part_counts(TVLENVptr env, TVLLPptr lp) {
  return {TVLgetnumsos(env, lp),       TVLgetnumquad(env, lp),          TVLgetnumqconstrs(env, lp),
          TVLgetnumindconstrs(env, lp), TVLgetnumusercuts(env, lp), TVLgetnumlazyconstraints(env, lp)};
}

class BadArguments : public ProblemTest {
 protected:
  // Runs `call` on a fresh copy of the test problem and checks that it is
  // refused with `status` and the message `message`, the problem unchanged.
  void expect_refused(const std::string &what, int status, const char *message,
                      const std::function<int(TVLENVptr, TVLLPptr)> &call) {
    SCOPED_TRACE(what);
    fresh_problem();
    const Snapshot before = snapshot();
    const std::vector<int> parts = part_counts(env, lp);
    errors.clear();
    EXPECT_EQ(call(env, lp), status);
    const std::string text = take_errors();
    EXPECT_NE(text.find(message), std::string::npos) << text;
    char code[16];
    std::snprintf(code, sizeof code, "%5d: ", status);
    EXPECT_NE(text.find(code), std::string::npos) << text;
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(part_counts(env, lp), parts);
  }

  void fresh_problem() {
    TVLfreeprob(env, &lp);
    int st = 0;
    lp = TVLcreateprob(env, &st, "bad");
    load_small(true);
  }
};

TEST_F(BadArguments, IndicesOutOfRangeRefusedUnderBothSettings) {
  for (int check : {0, 1}) {
    datacheck(check);
    for (const Case &c : index_cases()) {
      for (Bad b : {kHigh, kNegative}) {
        std::string what = std::string(c.name) + (b == kHigh ? " high" : " negative") + " datacheck " +
                           std::to_string(check);
        expect_refused(what, c.refused, c.message, [&](TVLENVptr e, TVLLPptr lp) { return c.call(e, lp, b); });
      }
    }
  }
}

// Repeated indices: refused with data checking on where the function
// checks them; never a crash, and the library stays usable, without.
TEST_F(BadArguments, RepeatedIndicesRefusedOnlyWithDataChecking) {
  for (const Case &c : index_cases()) {
    SCOPED_TRACE(c.name);
    datacheck(1);
    if (c.repeat != 0) {
      expect_refused(c.name, c.repeat, "", [&](TVLENVptr e, TVLLPptr lp) { return c.call(e, lp, kRepeat); });
    }
    datacheck(0);
    fresh_problem();
    const int st = c.call(env, lp, kRepeat);
    if (c.repeat != 1200 && c.repeat != 1258) {
      EXPECT_EQ(st, 0);
    }
    take_errors();
    EXPECT_EQ(TVLcompletelp(env, lp), 0);
    snapshot();  // every query still answers
    EXPECT_EQ(error_text(), "");
  }
}

// Without data checking a repeated matrix entry means the sum of the
// repetitions; a repeated item change takes the last value.
TEST_F(BadArguments, RepeatedEntriesWithoutDataChecking) {
  datacheck(0);
  double obj[2] = {}, lb[2] = {}, ub[2] = {1, 1}, rhs[3] = {};
  int beg[] = {0, 3}, cnt[] = {3, 2}, ind[] = {1, 0, 1, 0, 0};
  double val[] = {2, 7, 3, 4, -4};
  ASSERT_EQ(TVLcopylp(env, lp, 2, 3, 1, obj, rhs, "LLL", beg, cnt, ind, val, lb, ub, nullptr), 0);
  EXPECT_EQ(coef(1, 0), 5.0);
  EXPECT_EQ(coef(0, 0), 7.0);
  EXPECT_EQ(coef(0, 1), 0.0);  // 4 - 4 cancels
  EXPECT_EQ(TVLgetnumnz(env, lp), 2);

  int rbeg[] = {0}, rind[] = {1, 1};
  double rval[] = {1.5, 1.5};
  ASSERT_EQ(TVLaddrows(env, lp, 0, 1, 2, nullptr, "G", rbeg, rind, rval, nullptr, nullptr), 0);
  EXPECT_EQ(coef(3, 1), 3.0);
  EXPECT_EQ(coef(3, 0), 0.0);

  int cind[] = {3, 3};
  double cval[] = {1, 1};
  ASSERT_EQ(TVLaddcols(env, lp, 1, 2, nullptr, rbeg, cind, cval, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(coef(3, 2), 2.0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 4);

  int oind[] = {1, 1};
  double oval[] = {5, 7};
  ASSERT_EQ(TVLchgobj(env, lp, 2, oind, oval), 0);
  double got = 0;
  ASSERT_EQ(TVLgetobj(env, lp, &got, 1, 1), 0);
  EXPECT_EQ(got, 7.0);

  int qbeg[] = {0, 2, 2}, qcnt[] = {2, 0, 0}, qind[] = {0, 0};
  double qval[] = {1, 2};
  ASSERT_EQ(TVLcopyquad(env, lp, qbeg, qcnt, qind, qval), 0);
  EXPECT_EQ(TVLgetnumqpnz(env, lp), 1);
}

// A short row or column added to a wide model is scanned for repeats by
// sorting rather than by marking the whole index range; both ways must
// fold (no data checking) and refuse (data checking) the same entries.
TEST_F(BadArguments, RepeatsFoundInShortVectorsOfWideModels) {
  for (int width : {6, 400}) {
    SCOPED_TRACE(width);
    for (int check : {0, 1}) {
      datacheck(check);
      fresh_problem();
      ASSERT_EQ(TVLnewcols(env, lp, width - TVLgetnumcols(env, lp), nullptr, nullptr, nullptr, nullptr, nullptr), 0);
      const int last = width - 1;
      int rbeg[] = {0}, rind[] = {last, 0, last, 2, last};
      double rval[] = {1, 2, 3, 4, 5};
      const int rows = TVLgetnumrows(env, lp);
      int st = TVLaddrows(env, lp, 0, 1, 5, nullptr, "L", rbeg, rind, rval, nullptr, nullptr);
      int cind[] = {rows - 1, 0, 0};
      double cval[] = {1, 2, 3};
      int cst = TVLaddcols(env, lp, 1, 3, nullptr, rbeg, cind, cval, nullptr, nullptr, nullptr);
      take_errors();
      if (check) {
        EXPECT_EQ(st, 1222);
        EXPECT_EQ(cst, 1222);
        EXPECT_EQ(TVLgetnumrows(env, lp), rows);
        continue;
      }
      ASSERT_EQ(st, 0);
      ASSERT_EQ(cst, 0);
      EXPECT_EQ(coef(rows, last), 9.0);
      EXPECT_EQ(coef(rows, 0), 2.0);
      EXPECT_EQ(coef(rows, 2), 4.0);
      EXPECT_EQ(coef(0, width), 5.0);
      EXPECT_EQ(coef(rows - 1, width), 1.0);
    }
  }
}

// Senses, types, bound indicators, basis statuses and counts are checked
// whatever the setting, with the problem unchanged.
TEST_F(BadArguments, SensesTypesAndCountsRefusedUnderBothSettings) {
  using Call = std::function<int(TVLENVptr, TVLLPptr)>;
  double v[4] = {1, 2, 3, 4};
  int zero[] = {0, 0};
  struct Bad {
    const char *what;
    int status;
    const char *message;
    Call call;
  };
  const std::vector<Bad> cases = {
      {"TVLcopylp sense", 1215, "Illegal sense entry 2",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 0}, cnt[] = {0, 0};
         return TVLcopylp(e, lp, 2, 3, 1, v, v, "LEX", beg, cnt, zero, v, v, v, nullptr);
       }},
      {"TVLcopylp objective sense", 1003, "Bad argument",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 0}, cnt[] = {0, 0};
         return TVLcopylp(e, lp, 2, 3, 2, v, v, "LEG", beg, cnt, zero, v, v, v, nullptr);
       }},
      {"TVLcopylp ranged row without range values", 1003, "Bad argument",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 0}, cnt[] = {0, 0};
         return TVLcopylp(e, lp, 2, 3, 1, v, v, "LER", beg, cnt, zero, v, v, v, nullptr);
       }},
      {"TVLcopylp count", 1227, "Count entry 1 negative or larger than allowed",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 0}, cnt[] = {0, 4};
         return TVLcopylp(e, lp, 2, 3, 1, v, v, "LEG", beg, cnt, zero, v, v, v, nullptr);
       }},
      {"TVLcopylp overlapping columns", 1228, "Count entry 0 indicates overlapping entries",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 1}, cnt[] = {2, 1}, ind[] = {0, 1, 2};
         return TVLcopylp(e, lp, 2, 3, 1, v, v, "LEG", beg, cnt, ind, v, v, v, nullptr);
       }},
      {"TVLcopylp starts", 1226, "Array entry 1 not ascending",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {2, 0}, cnt[] = {0, 0};
         return TVLcopylp(e, lp, 2, 3, 1, v, v, "LEG", beg, cnt, zero, v, v, v, nullptr);
       }},
      {"TVLcopylp null name", 1224, "Null pointer 1 in name array",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0, 0}, cnt[] = {0, 0};
         char *cn[] = {name_of("a"), nullptr};
         return TVLcopylpwnames(e, lp, 2, 3, 1, v, v, "LEG", beg, cnt, zero, v, v, v, nullptr, cn, nullptr);
       }},
      {"TVLnewrows sense", 1215, "Illegal sense entry 1",
       [&](TVLENVptr e, TVLLPptr lp) { return TVLnewrows(e, lp, 2, nullptr, "Lx", nullptr, nullptr); }},
      {"TVLnewrows negative count", 1003, "Bad argument",
       [&](TVLENVptr e, TVLLPptr lp) { return TVLnewrows(e, lp, -1, nullptr, nullptr, nullptr, nullptr); }},
      {"TVLaddrows sense", 1215, "Illegal sense entry 0",
       [&](TVLENVptr e, TVLLPptr lp) {
         return TVLaddrows(e, lp, 0, 1, 0, nullptr, "=", nullptr, nullptr, nullptr, nullptr, nullptr);
       }},
      {"TVLaddrows start past the entries", 1227, "Count entry 0",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {3}, ind[] = {0};
         return TVLaddrows(e, lp, 0, 1, 1, nullptr, "L", beg, ind, v, nullptr, nullptr);
       }},
      {"TVLaddcols negative entry count", 1003, "Bad argument",
       [&](TVLENVptr e, TVLLPptr lp) {
         return TVLaddcols(e, lp, 1, -2, nullptr, zero, zero, v, nullptr, nullptr, nullptr);
       }},
      {"TVLchgsense", 1215, "Illegal sense entry 1",
       [&](TVLENVptr e, TVLLPptr lp) {
         int ind[] = {0, 1};
         return TVLchgsense(e, lp, 2, ind, "GX");
       }},
      {"TVLchgobj negative count", 1003, "Bad argument",
       [&](TVLENVptr e, TVLLPptr lp) { return TVLchgobj(e, lp, -1, zero, v); }},
      {"TVLnewcols type", 3021, "Illegal ctype entry 0",
       [&](TVLENVptr e, TVLLPptr lp) { return TVLnewcols(e, lp, 1, nullptr, nullptr, nullptr, "Q", nullptr); }},
      {"TVLcopyctype", 3021, "Illegal ctype entry 3",
       [&](TVLENVptr e, TVLLPptr lp) { return TVLcopyctype(e, lp, "CBIQ"); }},
      {"TVLchgctype", 3021, "Illegal ctype entry 1",
       [&](TVLENVptr e, TVLLPptr lp) {
         int ind[] = {0, 1};
         return TVLchgctype(e, lp, 2, ind, "Ic");
       }},
      {"TVLchgbds indicator", 1229, "Illegal bound change indicator entry 1",
       [&](TVLENVptr e, TVLLPptr lp) {
         int ind[] = {0, 1};
         return TVLchgbds(e, lp, 2, ind, "LX", v);
       }},
      {"TVLchgobjsen", 1003, "Bad argument", [&](TVLENVptr e, TVLLPptr lp) { return TVLchgobjsen(e, lp, 0); }},
      {"TVLcopysos type", 3009, "Illegal sostype entry 0",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0}, ind[] = {0, 1};
         return TVLcopysos(e, lp, 1, 2, "3", beg, ind, v, nullptr);
       }},
      {"TVLaddusercuts sense", 1215, "Illegal sense entry 0",
       [&](TVLENVptr e, TVLLPptr lp) {
         int beg[] = {0}, ind[] = {0};
         return TVLaddusercuts(e, lp, 1, 1, v, "R", beg, ind, v, nullptr);
       }},
      {"TVLaddqconstr sense", 6002, "Sense must be 'L' or 'G'",
       [&](TVLENVptr e, TVLLPptr lp) {
         int ind[] = {0};
         return TVLaddqconstr(e, lp, 1, 0, 1.0, 'E', ind, v, nullptr, nullptr, nullptr, "qc");
       }},
      {"TVLcopybase status", 1253, "Invalid status entry",
       [&](TVLENVptr e, TVLLPptr lp) {
         int cstat[] = {0, 1, 7, 0}, rstat[] = {1, 1, 1};
         return TVLcopybase(e, lp, cstat, rstat);
       }},
      {"TVLcopystart status", 1253, "Invalid status entry",
       [&](TVLENVptr e, TVLLPptr lp) {
         int cstat[] = {0, 0, 0, 0}, rstat[] = {1, -1, 1};
         return TVLcopystart(e, lp, cstat, rstat, nullptr, nullptr, nullptr, nullptr);
       }},
  };
  for (int check : {0, 1}) {
    datacheck(check);
    for (const Bad &c : cases) {
      expect_refused(std::string(c.what) + " datacheck " + std::to_string(check), c.status, c.message, c.call);
    }
  }
}

}  // namespace
