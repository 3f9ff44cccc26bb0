// Modification: adding and deleting rows and columns, the pending-change
// cache, item changes with their checks, default names, array growth, and
// a randomized comparison against a dense model.
#include <map>
#include <random>

#include "frame/changecache.h"
#include "frame/problem.h"
#include "test_problem_fixture.h"

using probtest::ProblemTest;

TEST_F(ProblemTest, AddRowsAndColumnsWithDefaults) {
  load_small();
  // rcnt 0 adds nothing, not even the new columns.
  EXPECT_EQ(TVLaddrows(env, lp, 3, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetnumcols(env, lp), 4);
  EXPECT_EQ(TVLaddrows(env, lp, 0, 1, 2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  EXPECT_EQ(TVLaddcols(env, lp, 1, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  errors.clear();

  // Two new columns referenced by a new row; zeros are not stored.
  int beg = 0, ind[] = {0, 4, 5};
  double val[] = {1.5, 0.0, -2};
  ASSERT_EQ(TVLaddrows(env, lp, 2, 1, 3, nullptr, nullptr, &beg, ind, val, nullptr, nullptr), 0);
  EXPECT_EQ(TVLgetnumrows(env, lp), 4);  // pending rows and columns count
  EXPECT_EQ(TVLgetnumcols(env, lp), 6);
  EXPECT_TRUE(tvl::cache_pending(lp));
  EXPECT_EQ(TVLgetnumnz(env, lp), 8);
  EXPECT_FALSE(tvl::cache_pending(lp));
  EXPECT_EQ(coef(3, 0), 1.5);
  EXPECT_EQ(coef(3, 5), -2.0);
  double rhs, lb, ub, obj;
  char sense;
  ASSERT_EQ(TVLgetrhs(env, lp, &rhs, 3, 3), 0);
  ASSERT_EQ(TVLgetsense(env, lp, &sense, 3, 3), 0);
  ASSERT_EQ(TVLgetlb(env, lp, &lb, 5, 5), 0);
  ASSERT_EQ(TVLgetub(env, lp, &ub, 5, 5), 0);
  ASSERT_EQ(TVLgetobj(env, lp, &obj, 5, 5), 0);
  EXPECT_EQ(rhs, 0.0);
  EXPECT_EQ(sense, 'E');
  EXPECT_EQ(lb, 0.0);
  EXPECT_EQ(ub, 1e20);
  EXPECT_EQ(obj, 0.0);

  // New rows with a range create the range values of all rows.
  double r[] = {1, 2};
  char s[] = {'R', 'L'};
  double rng[] = {4, 0};
  ASSERT_EQ(TVLnewrows(env, lp, 2, r, s, rng, nullptr), 0);
  double got[6];
  ASSERT_EQ(TVLgetrngval(env, lp, got, 0, 5), 0);
  EXPECT_EQ((std::vector<double>(got, got + 6)), (std::vector<double>{0, 0, 0, 0, 4, 0}));

  // Columns given column-wise.
  int cb[] = {0, 1};
  int ci[] = {2, 5};
  double cv[] = {8, 9}, co[] = {1, 2};
  ASSERT_EQ(TVLaddcols(env, lp, 2, 2, co, cb, ci, cv, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(coef(2, 6), 8.0);
  EXPECT_EQ(coef(5, 7), 9.0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 10);
}

TEST_F(ProblemTest, PendingChangesApplyColumnsRowsCoefficientsTypes) {
  load_small();
  // Rows first (cached), then columns and coefficients that refer to the
  // pending rows; a column type for a pending column comes last.
  double rhs[] = {5, 6};
  int rb[] = {0, 1}, ri[] = {1, 3};
  double rv[] = {1, 1};
  ASSERT_EQ(TVLaddrows(env, lp, 0, 2, 2, rhs, nullptr, rb, ri, rv, nullptr, nullptr), 0);
  int cb = 0, ci[] = {4, 0};
  double cv[] = {2, 3};
  ASSERT_EQ(TVLaddcols(env, lp, 1, 2, nullptr, &cb, ci, cv, nullptr, nullptr, nullptr), 0);
  int rows[] = {3, 4, 0}, cols[] = {4, 1, 0};
  double vals[] = {7, 0, 0};  // set (3,4); (4,1) is absent; remove (0,0)
  ASSERT_EQ(TVLchgcoeflist(env, lp, 3, rows, cols, vals), 0);
  char i[] = "I";
  ASSERT_EQ(TVLnewcols(env, lp, 1, nullptr, nullptr, nullptr, i, nullptr), 0);
  EXPECT_EQ(lp->cache->cols.count, 2);
  EXPECT_EQ(lp->cache->rows.count, 2);
  EXPECT_EQ(TVLgetprobtype(env, lp), TVLPROB_MILP);
  EXPECT_EQ(coef(3, 4), 7.0);
  EXPECT_EQ(coef(0, 4), 3.0);
  EXPECT_EQ(coef(4, 4), 2.0);
  EXPECT_EQ(coef(4, 1), 0.0);
  EXPECT_EQ(coef(3, 1), 1.0);
  EXPECT_EQ(coef(0, 0), 0.0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 10);
  char ct[6];
  ASSERT_EQ(TVLgetctype(env, lp, ct, 0, 5), 0);
  EXPECT_EQ(std::string(ct, 6), "CCCCCI");
  // Matrix invariants: non-decreasing starts, no overlap, in capacity.
  const tvl::LpData *d = lp->lp;
  for (int j = 0; j + 1 < d->ncols; ++j) EXPECT_LE(d->matbeg[j] + d->matcnt[j], d->matbeg[j + 1]);
  EXPECT_LE(d->nzend(), d->nzcap);
}

TEST_F(ProblemTest, DeleteRowsAndColumns) {
  load_small(true);
  int delstat[] = {0, 1, 0, 1};
  EXPECT_EQ(TVLdelsetrows(env, lp, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  errors.clear();
  ASSERT_EQ(TVLnewrows(env, lp, 1, nullptr, nullptr, nullptr, std::vector<char *>{(char *)"r3"}.data()), 0);
  ASSERT_EQ(TVLdelsetrows(env, lp, delstat), 0);
  EXPECT_EQ((std::vector<int>(delstat, delstat + 4)), (std::vector<int>{0, -1, 1, -1}));
  EXPECT_EQ(TVLgetnumrows(env, lp), 2);
  EXPECT_EQ(names(true), (std::vector<std::string>{"r0", "r2"}));
  EXPECT_EQ(coef(1, 0), 5.0);
  EXPECT_EQ(coef(1, 3), 6.0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 4);

  probtest::Snapshot before = snapshot();
  EXPECT_EQ(TVLdelrows(env, lp, -1, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLdelrows(env, lp, 1, 0), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLdelcols(env, lp, 0, 4), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(take_errors(), std::string() +
                               "TAVLO Error  1200: Index is outside range of valid values.\n"
                               "TAVLO Error  1200: Index is outside range of valid values.\n"
                               "TAVLO Error  1200: Index is outside range of valid values.\n");
  EXPECT_EQ(snapshot(), before);

  char ct[] = "CIBS";
  ASSERT_EQ(TVLcopyctype(env, lp, ct), 0);
  ASSERT_EQ(TVLdelcols(env, lp, 1, 2), 0);
  EXPECT_EQ(names(false), (std::vector<std::string>{"a", "d"}));
  char out[2];
  ASSERT_EQ(TVLgetctype(env, lp, out, 0, 1), 0);
  EXPECT_EQ(std::string(out, 2), "CS");
  EXPECT_EQ(lp->mip->nnoncont, 1);
  double obj[2];
  ASSERT_EQ(TVLgetobj(env, lp, obj, 0, 1), 0);
  EXPECT_EQ(obj[1], 4.0);
  EXPECT_EQ(coef(0, 0), 1.0);
  EXPECT_EQ(coef(1, 1), 6.0);
  EXPECT_EQ(TVLgetnumnz(env, lp), 3);
}

TEST_F(ProblemTest, ItemChangesAndTheirChecks) {
  load_small();
  EXPECT_EQ(TVLchgcoef(env, lp, -1, -1, 1), TVLERR_RHS_HAS_NO_COEFFICIENT_IN_OBJ);
  EXPECT_EQ(TVLchgcoef(env, lp, 0, -2, 1), TVLERR_NO_RANGE_VALUES);
  EXPECT_EQ(TVLchgcoef(env, lp, 0, 4, 1), TVLERR_INDEX_IS_OUTSIDE_RANGE_OF_VALID_VALUES);
  EXPECT_EQ(TVLchgobjsen(env, lp, 0), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1211: 'rhs' has no coefficient in 'obj'.\n"
            "TAVLO Error  1216: No range values.\n"
            "TAVLO Error  1200: Index is outside range of valid values.\n"
            "TAVLO Error  1003: Bad argument to Callable Library function.\n");
  ASSERT_EQ(TVLchgcoef(env, lp, 1, 1, 0), 0);  // removes the entry
  EXPECT_EQ(TVLgetnumnz(env, lp), 5);
  ASSERT_EQ(TVLchgcoef(env, lp, -1, 3, 9), 0);
  ASSERT_EQ(TVLchgcoef(env, lp, 2, -1, 8), 0);
  EXPECT_EQ(coef(-1, 3), 9.0);
  EXPECT_EQ(coef(2, -1), 8.0);

  int r = 0;
  char R = 'R';
  ASSERT_EQ(TVLchgsense(env, lp, 1, &r, &R), 0);
  ASSERT_EQ(TVLchgcoef(env, lp, 0, -2, 3), 0);
  double rng[3];
  ASSERT_EQ(TVLgetrngval(env, lp, rng, 0, 2), 0);
  EXPECT_EQ((std::vector<double>(rng, rng + 3)), (std::vector<double>{3, 0, 0}));

  int idx[] = {0, 3};
  char lu[] = {'B', 'L'};
  double bd[] = {2, -1};
  ASSERT_EQ(TVLchgbds(env, lp, 2, idx, lu, bd), 0);
  double lb[4], ub[4];
  TVLgetlb(env, lp, lb, 0, 3);
  TVLgetub(env, lp, ub, 0, 3);
  EXPECT_EQ(lb[0], 2.0);
  EXPECT_EQ(ub[0], 2.0);
  EXPECT_EQ(lb[3], -1.0);
  EXPECT_EQ(ub[3], 1e20);
  ASSERT_EQ(TVLchgobjsen(env, lp, TVL_MAX), 0);
  EXPECT_EQ(TVLgetobjsen(env, lp), -1);
  EXPECT_EQ(TVLchgobj(env, lp, 0, nullptr, nullptr), 0);
  EXPECT_EQ(TVLchgobj(env, lp, 1, nullptr, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  errors.clear();

  // Data checking: positions in the caller's arrays.
  datacheck(1);
  probtest::Snapshot before = snapshot();
  int bad[] = {1, 4};
  int dup[] = {2, 2};
  double two[] = {1, 2};
  char badlu[] = {'U', 'X'};
  char badsense[] = {'G', 'Q'};
  int rows[] = {0, 3}, cols[] = {0, 1}, same[] = {1, 1};
  EXPECT_EQ(TVLchgobj(env, lp, 2, bad, two), TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  EXPECT_EQ(TVLchgrhs(env, lp, 2, dup, two), TVLERR_DUPLICATE_ENTRY);
  EXPECT_EQ(TVLchgbds(env, lp, 2, cols, badlu, two), TVLERR_ILLEGAL_BOUND_CHANGE_INDICATOR_ENTRY);
  EXPECT_EQ(TVLchgsense(env, lp, 2, cols, badsense), TVLERR_ILLEGAL_SENSE_ENTRY);
  EXPECT_EQ(TVLchgcoeflist(env, lp, 2, rows, cols, two), TVLERR_ROW_INDEX_OUT_OF_RANGE);
  EXPECT_EQ(TVLchgcoeflist(env, lp, 2, same, same, two), TVLERR_DUPLICATE_ENTRY);
  int rb = 0, ri[] = {0, 9};
  EXPECT_EQ(TVLaddrows(env, lp, 0, 1, 2, two, nullptr, &rb, ri, two, nullptr, nullptr),
            TVLERR_COLUMN_INDEX_OUT_OF_RANGE);
  char *nonames[] = {nullptr};
  EXPECT_EQ(TVLnewcols(env, lp, 1, nullptr, nullptr, nullptr, nullptr, nonames), TVLERR_NULL_POINTER_IN_NAME_ARRAY);
  char Rs[] = {'R'};
  EXPECT_EQ(TVLnewrows(env, lp, 1, nullptr, Rs, nullptr, nullptr), TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION);
  EXPECT_EQ(take_errors(),
            "TAVLO Error  1201: Column index 1 out of range.\n"
            "TAVLO Error  1222: Duplicate entry.\n"
            "TAVLO Error  1229: Illegal bound change indicator entry 1.\n"
            "TAVLO Error  1215: Illegal sense entry 1.\n"
            "TAVLO Error  1203: Row index 1 out of range.\n"
            "TAVLO Error  1222: Duplicate entry.\n"
            "TAVLO Error  1201: Column index 1 out of range.\n"
            "TAVLO Error  1224: Null pointer 0 in name array.\n"
            "TAVLO Error  1003: Bad argument to Callable Library function.\n");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ProblemTest, DefaultNamesSkipUsedNumbers) {
  load_small();
  // Changing one name of a problem without names names everything.
  int j = 1;
  char *nm[] = {(char *)"x3"};
  ASSERT_EQ(TVLchgcolname(env, lp, 1, &j, nm), 0);
  EXPECT_EQ(names(false), (std::vector<std::string>{"x1", "x3", "x3", "x4"}));
  EXPECT_EQ(TVLchgname(env, lp, 'z', 0, "ignored"), 0);
  EXPECT_EQ(TVLchgname(env, lp, 'r', 0, nullptr), TVLERR_NULL_POINTER_FOR_REQUIRED_DATA);
  errors.clear();
  ASSERT_EQ(TVLchgname(env, lp, 'r', 1, "c2"), 0);
  EXPECT_EQ(names(true), (std::vector<std::string>{"c1", "c2", "c3"}));
  ASSERT_EQ(TVLchgname(env, lp, 'r', 0, "c5"), 0);
  // New rows without names continue the numbering and skip "c5".
  ASSERT_EQ(TVLnewrows(env, lp, 3, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(names(true), (std::vector<std::string>{"c5", "c2", "c3", "c4", "c6", "c7"}));
  // Columns added with names to a problem whose rows are unnamed, mixed
  // with unnamed ones in the same batch.
  char *given[] = {(char *)"extra", nullptr};
  ASSERT_EQ(TVLnewcols(env, lp, 2, nullptr, nullptr, nullptr, nullptr, given), 0);
  EXPECT_EQ(names(false), (std::vector<std::string>{"x1", "x3", "x3", "x4", "extra", "x5"}));
}

TEST_F(ProblemTest, GrowthFollowsReserveParameters) {
  load_small();
  const tvl::LpData *d = lp->lp;
  ASSERT_EQ(TVLnewrows(env, lp, 1, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(TVLcompletelp(env, lp), 0);
  EXPECT_EQ(d->rowcap, 104);  // needed + 100 beats 1.2 * needed
  ASSERT_EQ(TVLnewcols(env, lp, 996, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(TVLcompletelp(env, lp), 0);
  EXPECT_EQ(d->colcap, 1200);  // 1.2 * 1000
  ASSERT_EQ(TVLsetintparam(env, 1046, 5), 0);
  ASSERT_EQ(TVLsetintparam(env, 1048, 0), 0);
  ASSERT_EQ(TVLnewrows(env, lp, 200, nullptr, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(TVLcompletelp(env, lp), 0);
  EXPECT_EQ(d->rowcap, 209);
  int beg = 0, ind = 0;
  double one = 1;
  int64_t nz = d->nzend();
  ASSERT_EQ(TVLaddcols(env, lp, 1, 1, nullptr, &beg, &ind, &one, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(d->nzcap, nz + 1);
  // Inserting into a full column shifts the later ones but keeps order.
  ASSERT_EQ(TVLchgcoef(env, lp, 1, 0, 2.5), 0);
  EXPECT_EQ(coef(1, 0), 2.5);
  EXPECT_EQ(coef(2, 0), 5.0);
  EXPECT_EQ(coef(0, 1000), 1.0);
  for (int j = 0; j + 1 < d->ncols; ++j) ASSERT_LE(d->matbeg[j] + d->matcnt[j], d->matbeg[j + 1]);
}

// Random additions, deletions and changes applied both to the problem and
// to a dense model, compared after every step.
TEST_F(ProblemTest, RandomEditsMatchDenseModel) {
  std::mt19937 rng(7);
  std::vector<std::vector<double>> a;  // a[i][j]
  std::vector<double> rhs, obj;
  int m = 0, n = 0;
  auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<unsigned>(k)); };
  auto value = [&]() { return pick(3) == 0 ? 0.0 : static_cast<double>(pick(19) - 9); };
  for (int step = 0; step < 300; ++step) {
    int op = pick(7);
    if (op == 0 || m == 0) {  // add a row (maybe with new columns)
      int ccnt = pick(2);
      std::vector<int> ind;
      std::vector<double> val;
      for (int j = 0; j < n + ccnt; ++j)
        if (pick(3) == 0) ind.push_back(j), val.push_back(value());
      int beg = 0;
      double r = pick(10);
      ASSERT_EQ(TVLaddrows(env, lp, ccnt, 1, static_cast<int>(ind.size()), &r, nullptr, &beg, ind.data(),
                           val.data(), nullptr, nullptr),
                0);
      for (int c = 0; c < ccnt; ++c) {
        for (auto &row : a) row.push_back(0);
        obj.push_back(0);
      }
      n += ccnt;
      a.emplace_back(n, 0.0);
      for (size_t t = 0; t < ind.size(); ++t) a[m][ind[t]] = val[t];
      rhs.push_back(r);
      ++m;
    } else if (op == 1) {  // add a column
      std::vector<int> ind;
      std::vector<double> val;
      for (int i = 0; i < m; ++i)
        if (pick(3) == 0) ind.push_back(i), val.push_back(value());
      int beg = 0;
      double o = pick(5);
      ASSERT_EQ(TVLaddcols(env, lp, 1, static_cast<int>(ind.size()), &o, &beg, ind.data(), val.data(), nullptr,
                           nullptr, nullptr),
                0);
      for (auto &row : a) row.push_back(0);
      for (size_t t = 0; t < ind.size(); ++t) a[ind[t]][n] = val[t];
      obj.push_back(o);
      ++n;
    } else if (op == 2 && n > 0) {  // coefficient changes
      int i = pick(m), j = pick(n);
      double v = value();
      ASSERT_EQ(TVLchgcoef(env, lp, i, j, v), 0);
      a[i][j] = v;
    } else if (op == 3 && m > 1) {  // delete a set of rows
      std::vector<int> del(m);
      for (int &x : del) x = pick(4) == 0;
      ASSERT_EQ(TVLdelsetrows(env, lp, del.data()), 0);
      std::vector<std::vector<double>> na;
      std::vector<double> nr;
      for (int i = 0; i < m; ++i)
        if (del[i] >= 0) na.push_back(a[i]), nr.push_back(rhs[i]);
      a.swap(na);
      rhs.swap(nr);
      m = static_cast<int>(a.size());
    } else if (op == 4 && n > 1) {  // delete a range of columns
      int b = pick(n), e = std::min(n - 1, b + pick(2));
      ASSERT_EQ(TVLdelcols(env, lp, b, e), 0);
      for (auto &row : a) row.erase(row.begin() + b, row.begin() + e + 1);
      obj.erase(obj.begin() + b, obj.begin() + e + 1);
      n -= e - b + 1;
    } else if (op == 5 && n > 0) {  // a list of changes that may refer to pending data
      int k = 1 + pick(3);
      std::map<std::pair<int, int>, double> ch;
      for (int t = 0; t < k; ++t) ch[{pick(m), pick(n)}] = value();
      std::vector<int> ri, ci;
      std::vector<double> vi;
      for (auto &[p, v] : ch) ri.push_back(p.first), ci.push_back(p.second), vi.push_back(v), a[p.first][p.second] = v;
      ASSERT_EQ(TVLchgcoeflist(env, lp, static_cast<int>(ri.size()), ri.data(), ci.data(), vi.data()), 0);
    }
    if (step % 10 != 9) continue;
    ASSERT_EQ(TVLgetnumrows(env, lp), m);
    ASSERT_EQ(TVLgetnumcols(env, lp), n);
    int nz = 0;
    for (auto &row : a)
      for (double v : row) nz += v != 0.0;
    ASSERT_EQ(TVLgetnumnz(env, lp), nz) << "step " << step;
    for (int i = 0; i < m; ++i)
      for (int j = 0; j < n; ++j) ASSERT_EQ(coef(i, j), a[i][j]) << i << "," << j << " step " << step;
    if (m > 0) {
      std::vector<double> r(m);
      ASSERT_EQ(TVLgetrhs(env, lp, r.data(), 0, m - 1), 0);
      ASSERT_EQ(r, rhs);
      // Row-wise view agrees with the dense model too.
      std::vector<int> beg(m), ind(nz + 1);
      std::vector<double> val(nz + 1);
      int cnt, surplus;
      ASSERT_EQ(TVLgetrows(env, lp, &cnt, beg.data(), ind.data(), val.data(), nz + 1, &surplus, 0, m - 1), 0);
      for (int i = 0; i < m; ++i) {
        int e = i + 1 < m ? beg[i + 1] : cnt;
        for (int t = beg[i]; t < e; ++t) ASSERT_EQ(val[t], a[i][ind[t]]);
      }
    }
    if (n > 0) {
      std::vector<double> o(n);
      ASSERT_EQ(TVLgetobj(env, lp, o.data(), 0, n - 1), 0);
      ASSERT_EQ(o, obj);
    }
  }
  EXPECT_EQ(error_text(), "");
}
