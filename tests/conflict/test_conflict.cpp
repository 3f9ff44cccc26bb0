// The conflict refiner on infeasible variants of real instances (each
// result checked independently for infeasibility and irreducibility), on
// feasible models, under limits, on MIPs whose relaxation is feasible, on
// MIP starts, and the conflict LP file read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/api_session.h"
#include "support/conflict_check.h"
#include "support/conflict_variants.h"

namespace {

using tvltest::ApiSession;

std::string text_of(const std::string &path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool has_possible(const tvltest::ConflictSet &c) {
  for (int s : c.rowstat)
    if (s == TVL_CONFLICT_POSSIBLE_MEMBER) return true;
  for (int s : c.colstat)
    if (s <= TVL_CONFLICT_POSSIBLE_UB) return true;
  return false;
}

TEST(ConflictRefiner, NetlibVariantsGiveIrreducibleSets) {
  for (const char *name : {"afiro", "adlittle", "blend", "kb2", "boeing1"}) {
    for (const char *kind : {"objcut", "row", "bound"}) {
      ApiSession s("conflict");
      if (s.read_netlib(name) != 0) continue;
      ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, kind)) << name << " " << kind;
      const tvltest::CheckBounds bounds = tvltest::problem_bounds(s.env, s.lp);
      const int rows = TVLgetnumrows(s.env, s.lp);
      int nr = -1, nc = -1;
      ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0) << name << " " << kind << s.errors;
      const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
      EXPECT_EQ(c.status, TVL_STAT_CONFLICT_MINIMAL) << name << " " << kind;
      EXPECT_EQ(static_cast<int>(c.rows.size()), nr);
      EXPECT_EQ(static_cast<int>(c.cols.size()), nc);
      EXPECT_GT(nr + nc, 0);
      for (int code : c.colstat) EXPECT_GE(code, TVL_CONFLICT_MEMBER);
      EXPECT_EQ(tvltest::check_conflict(s.env, s.lp, c, bounds), "") << name << " " << kind;
      // The caller's problem is unchanged.
      EXPECT_EQ(tvltest::problem_bounds(s.env, s.lp).lo, bounds.lo);
      EXPECT_EQ(tvltest::problem_bounds(s.env, s.lp).up, bounds.up);
      EXPECT_EQ(TVLgetnumrows(s.env, s.lp), rows);
    }
  }
}

// cycle with an objective cut: the kept dual solver runs out of
// singularity repairs on the very first test; the primal from a slack
// basis decides it, and the dual from the primal's basis gives the
// certificate (this ended in error 1720).  The set is checked member by
// member as above.
TEST(ConflictRefiner, DualTroubleFallsBackToThePrimal) {
  ApiSession s("conflict");
  ASSERT_EQ(s.read_netlib("cycle"), 0);
  ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, "objcut"));
  const tvltest::CheckBounds bounds = tvltest::problem_bounds(s.env, s.lp);
  int nr = -1, nc = -1;
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0) << s.errors;
  const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
  EXPECT_EQ(c.status, TVL_STAT_CONFLICT_MINIMAL);
  EXPECT_GT(nr + nc, 0);
  EXPECT_EQ(tvltest::check_conflict(s.env, s.lp, c, bounds), "");
}

TEST(ConflictRefiner, AvailabilityAndFeasibleModels) {
  ApiSession s("conflict");
  ASSERT_EQ(s.read_netlib("afiro"), 0);
  int stat = 0;
  EXPECT_EQ(TVLgetconflict(s.env, s.lp, &stat, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            TVLERR_CONFLICT_IS_NOT_AVAILABLE);
  EXPECT_EQ(TVLclpwrite(s.env, s.lp, "never_written.lp"), TVLERR_CONFLICT_IS_NOT_AVAILABLE);
  EXPECT_FALSE(std::ifstream("never_written.lp").good());
  // A solved problem keeps its solution through a refinement that finds it feasible.
  ASSERT_EQ(TVLlpopt(s.env, s.lp), 0);
  double before = 0.0, after = 0.0;
  TVLgetobjval(s.env, s.lp, &before);
  int nr = -1, nc = -1;
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0);
  EXPECT_EQ(nr, 0);
  EXPECT_EQ(nc, 0);
  int r = -1, c = -1;
  ASSERT_EQ(TVLgetconflict(s.env, s.lp, &stat, nullptr, nullptr, &r, nullptr, nullptr, &c), 0);
  EXPECT_EQ(stat, TVL_STAT_CONFLICT_FEASIBLE);
  EXPECT_EQ(r + c, 0);
  EXPECT_EQ(TVLgetstat(s.env, s.lp), TVL_STAT_OPTIMAL);
  TVLgetobjval(s.env, s.lp, &after);
  EXPECT_EQ(before, after);
  EXPECT_EQ(TVLclpwrite(s.env, s.lp, "never_written.lp"), TVLERR_CONFLICT_IS_NOT_AVAILABLE);
  // An infeasible variant's conflict goes with the next change of the model.
  ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, "objcut"));
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, nullptr, nullptr), 0);
  ASSERT_EQ(TVLgetconflict(s.env, s.lp, &stat, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(stat, TVL_STAT_CONFLICT_MINIMAL);
  const int j = 0;
  const char u = 'U';
  const double ub = 1e6;
  ASSERT_EQ(TVLchgbds(s.env, s.lp, 1, &j, &u, &ub), 0);
  EXPECT_EQ(TVLgetconflict(s.env, s.lp, &stat, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            TVLERR_CONFLICT_IS_NOT_AVAILABLE);
}

TEST(ConflictRefiner, ConflictFileReadsBackInfeasibleWithTheConflictRows) {
  ApiSession s("conflict");
  ASSERT_EQ(s.read_netlib("afiro"), 0);
  ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, "row"));
  int nr = 0, nc = 0;
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0);
  const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
  const std::string file = std::string(TAVLO_BINARY_DIR) + "/conflict_afiro.lp";
  ASSERT_EQ(TVLclpwrite(s.env, s.lp, file.c_str()), 0) << s.errors;
  const std::string text = text_of(file);
  EXPECT_NE(text.find("\\Sum of equality rows in the conflict:\n"), std::string::npos);
  // The file holds the conflict's rows in their order, and its columns
  // under their own names (afiro's names are legal in the format).
  ApiSession back("back");
  ASSERT_EQ(TVLreadcopyprob(back.env, back.lp, file.c_str(), nullptr), 0) << back.errors;
  ASSERT_EQ(TVLgetnumrows(back.env, back.lp), nr);
  for (int j = 0; j < TVLgetnumcols(back.env, back.lp); ++j) {
    char store[64], *name = nullptr;
    int surplus = 0, index = -1;
    ASSERT_EQ(TVLgetcolname(back.env, back.lp, &name, store, sizeof store, &surplus, j, j), 0);
    EXPECT_EQ(TVLgetcolindex(s.env, s.lp, name, &index), 0) << name;
  }
  for (int k = 0; k < nr; ++k) {
    int na = 0, nb = 0, beg = 0, surplus = 0;
    TVLgetrows(s.env, s.lp, &na, &beg, nullptr, nullptr, 0, &surplus, c.rows[static_cast<size_t>(k)],
               c.rows[static_cast<size_t>(k)]);
    na = -surplus;
    TVLgetrows(back.env, back.lp, &nb, &beg, nullptr, nullptr, 0, &surplus, k, k);
    nb = -surplus;
    EXPECT_EQ(na, nb) << k;
  }
  // Infeasible: by the optimizer, or already by its presolve.
  const int rc = TVLlpopt(back.env, back.lp);
  if (rc == 0) {
    const int st = TVLgetstat(back.env, back.lp);
    EXPECT_TRUE(st == TVL_STAT_INFEASIBLE || st == TVL_STAT_INForUNBD) << st;
  } else {
    EXPECT_EQ(rc, TVLERR_PRESOLVE_DETERMINES_PROBLEM_IS_INFEASIBLE);
  }
  std::remove(file.c_str());
}
TEST(ConflictRefiner, LimitsStopWithPossibleMembersOrALimitStatus) {
  // The iteration limit counts the simplex iterations of all tests: small
  // limits stop before an infeasible set is known (34), larger ones during
  // the filter (32 with possible members, the set still infeasible), and a
  // large one lets it finish (31).  adlittle's objective cut: the set of
  // its first certificate is not irreducible, so the filter has tests to
  // stop.
  ApiSession s("conflict");
  ASSERT_EQ(s.read_netlib("adlittle"), 0);
  ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, "objcut"));
  const tvltest::CheckBounds bounds = tvltest::problem_bounds(s.env, s.lp);
  bool saw_nonminimal = false, saw_limit = false, saw_minimal = false;
  for (int itlim = 1; itlim < 100000 && !saw_minimal; ++itlim) {
    int st = 0;
    TVLLPptr copy = TVLcloneprob(s.env, s.lp, &st);
    s.set(TVL_PARAM_ITLIM, itlim);
    int nr = 0, nc = 0;
    ASSERT_EQ(TVLrefineconflict(s.env, copy, &nr, &nc), 0);
    const tvltest::ConflictSet c = tvltest::get_conflict(s.env, copy);
    s.set(TVL_PARAM_ITLIM, 2100000000);
    if (c.status == TVL_STAT_CONFLICT_ABORT_IT_LIM) {
      EXPECT_FALSE(saw_nonminimal) << itlim;
      saw_limit = true;
      EXPECT_EQ(nr + nc, 0);
    } else if (c.status == TVL_STAT_CONFLICT_NONMINIMAL) {
      EXPECT_TRUE(has_possible(c)) << itlim;
      if (!saw_nonminimal) {
        const std::string why = tvltest::check_conflict(s.env, copy, c, bounds);
        EXPECT_EQ(why.find("the set is not infeasible"), std::string::npos) << itlim;
      }
      saw_nonminimal = true;
    } else {
      EXPECT_EQ(c.status, TVL_STAT_CONFLICT_MINIMAL) << itlim;
      EXPECT_FALSE(has_possible(c));
      saw_minimal = true;
    }
    TVLfreeprob(s.env, &copy);
  }
  EXPECT_TRUE(saw_limit);
  EXPECT_TRUE(saw_nonminimal);
  EXPECT_TRUE(saw_minimal);
}

TEST(ConflictRefiner, TerminateRequestAbortsRefinement) {
  ApiSession s("conflict");
  ASSERT_EQ(s.read_netlib("blend"), 0);
  ASSERT_TRUE(tvltest::make_variant(s.env, s.lp, "objcut"));
  volatile int stop = 1;
  ASSERT_EQ(TVLsetterminate(s.env, &stop), 0);
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, nullptr, nullptr), 0);
  const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
  EXPECT_EQ(c.status, TVL_STAT_CONFLICT_ABORT_USER);
  EXPECT_TRUE(c.rows.empty() && c.cols.empty());
}

// min 0  s.t.  r0: x + y = 1,  r1: x - y = 0,  r2: x + z <= 5,  r3: y + z >= 1;
// x, y binary, z in [0, 4] continuous.  The relaxation is feasible
// (x = y = 1/2); the MIP is not, and {r0, r1} explains it.
void load_parity_mip(ApiSession &s) {
  const double obj[] = {1.0, 1.0, 1.0}, rhs[] = {1.0, 0.0, 5.0, 1.0}, lb[] = {0.0, 0.0, 0.0},
               ub[] = {1.0, 1.0, 4.0};
  const char sense[] = {'E', 'E', 'L', 'G'};
  const int beg[] = {0, 3, 6}, cnt[] = {3, 3, 2}, ind[] = {0, 1, 2, 0, 1, 3, 2, 3};
  const double val[] = {1.0, 1.0, 1.0, 1.0, -1.0, 1.0, 1.0, 1.0};
  ASSERT_EQ(TVLcopylp(s.env, s.lp, 3, 4, TVL_MIN, obj, rhs, sense, beg, cnt, ind, val, lb, ub, nullptr), 0);
  const int cols[] = {0, 1};
  const char types[] = {'B', 'B'};
  ASSERT_EQ(TVLchgctype(s.env, s.lp, 2, cols, types), 0);
}

TEST(ConflictRefiner, MipConflictsNeedIntegrality) {
  const int cols_xy[] = {0, 1};
  ApiSession s("mip");
  load_parity_mip(s);
  std::string results;
  s.collect_results(results);
  int nr = 0, nc = 0;
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0) << s.errors;
  const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
  EXPECT_EQ(c.status, TVL_STAT_CONFLICT_MINIMAL);
  EXPECT_EQ(c.rows, (std::vector<int>{0, 1}));
  EXPECT_EQ(tvltest::check_conflict(s.env, s.lp, c, tvltest::problem_bounds(s.env, s.lp)), "");
  EXPECT_NE(results.find("Conflict: "), std::string::npos) << results;
  // The conflict file names every column it keeps as the problem does.
  char n0[] = "pick", n1[] = "skip", *names[] = {n0, n1};
  ASSERT_EQ(TVLchgcolname(s.env, s.lp, 2, cols_xy, names), 0);
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0);
  const std::string file = std::string(TAVLO_BINARY_DIR) + "/conflict_parity.lp";
  ASSERT_EQ(TVLclpwrite(s.env, s.lp, file.c_str()), 0) << s.errors;
  const std::string text = text_of(file);
  EXPECT_NE(text.find("c1: pick + skip  = 1"), std::string::npos) << text;
  std::remove(file.c_str());
  // The same model with continuous columns is feasible.
  const char types[] = {'C', 'C'};
  ASSERT_EQ(TVLchgctype(s.env, s.lp, 2, cols_xy, types), 0);
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, &nr, &nc), 0);
  EXPECT_EQ(tvltest::get_conflict(s.env, s.lp).status, TVL_STAT_CONFLICT_FEASIBLE);
}

TEST(ConflictRefiner, MipStartConflictNamesTheStartsValues) {
  ApiSession s("mip");
  load_parity_mip(s);
  // Without the parity rows the model is feasible; the start x = 1, y = 1
  // breaks r0 (x + y = 1) on its own.
  int del[] = {0, 1, 0, 0};
  ASSERT_EQ(TVLdelsetrows(s.env, s.lp, del), 0);  // rows: r0, r2, r3
  int stat = 0;
  EXPECT_EQ(TVLrefinemipstartconflict(s.env, s.lp, 0, nullptr, nullptr), TVLERR_NO_MIP_START_EXISTS);
  const int beg = 0, ind[] = {0, 1}, effort = 0;
  const double val[] = {1.0, 1.0};
  ASSERT_EQ(TVLaddmipstarts(s.env, s.lp, 1, 2, &beg, ind, val, &effort, nullptr), 0);
  EXPECT_EQ(TVLrefinemipstartconflict(s.env, s.lp, 1, nullptr, nullptr), 1200);
  EXPECT_NE(s.errors.find("TVLrefinemipstartconflict"), std::string::npos);
  int nr = 0, nc = 0;
  ASSERT_EQ(TVLrefinemipstartconflict(s.env, s.lp, 0, &nr, &nc), 0) << s.errors;
  const tvltest::ConflictSet c = tvltest::get_conflict(s.env, s.lp);
  EXPECT_EQ(c.status, TVL_STAT_CONFLICT_MINIMAL);
  EXPECT_EQ(c.rows, (std::vector<int>{0}));
  EXPECT_EQ(c.cols, (std::vector<int>{0, 1}));
  EXPECT_EQ(c.colstat, (std::vector<int>{TVL_CONFLICT_LB, TVL_CONFLICT_LB}));
  // Checked with the start's values as the bounds its columns have.
  tvltest::CheckBounds b = tvltest::problem_bounds(s.env, s.lp);
  for (int j : {0, 1}) {
    b.base_lo[static_cast<size_t>(j)] = b.lo[static_cast<size_t>(j)];
    b.base_up[static_cast<size_t>(j)] = b.up[static_cast<size_t>(j)];
    b.lo[static_cast<size_t>(j)] = b.up[static_cast<size_t>(j)] = 1.0;
  }
  EXPECT_EQ(tvltest::check_conflict(s.env, s.lp, c, b), "");
  // The problem itself is feasible: its own conflict says so.
  ASSERT_EQ(TVLrefineconflict(s.env, s.lp, nullptr, nullptr), 0);
  ASSERT_EQ(TVLgetconflict(s.env, s.lp, &stat, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(stat, TVL_STAT_CONFLICT_FEASIBLE);
}

}  // namespace
