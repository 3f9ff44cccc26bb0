// The deletion filter of the conflict refiner over a tester whose verdicts
// come from enumerating the integer points of a small box: the filter
// must end at the irreducible set, and points of feasible tests, kept and
// reused, must spare tests without changing the set.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "conflict/filter.h"
#include "conflict/work_model.h"
#include "frame/infinity.h"
#include "simplex/dualopt.h"

namespace tvl::conflict {
namespace {

// Integer points of [-3, 3]^n against the current bounds of the working
// form (columns, then one slack per row with s_i = a_i x).  With
// `give_points` a feasible verdict comes with its point.
class EnumeratingTester : public Tester {
 public:
  EnumeratingTester(const WorkModel &w, bool give_points, bool regions = false)
      : w_(w), lo_(w.tight_lo), up_(w.tight_up), give_points_(give_points), regions_(regions) {}
  void set_bounds(int32_t var, double lo, double up) override {
    lo_[static_cast<size_t>(var)] = lo;
    up_[static_cast<size_t>(var)] = up;
  }
  bool tests_regions() const override { return regions_; }
  bool integer(int32_t var) const override { return var < w_.ncols; }
  // Tests in which a column or slack was confined to one side beyond its
  // bound: lower side above the tight upper one, or the reverse.
  int64_t region_tests() const { return region_tests_; }
  Verdict solve(Scope) override {
    ++tests_;
    point_.clear();
    for (size_t k = 0; k < lo_.size(); ++k)
      if (lo_[k] > w_.tight_up[k] || up_[k] < w_.tight_lo[k]) {
        ++region_tests_;
        break;
      }
    const int32_t n = w_.ncols, m = w_.nrows;
    std::vector<double> x(static_cast<size_t>(n + m));
    std::vector<int> digit(static_cast<size_t>(n), -3);
    for (;;) {
      for (int32_t j = 0; j < n; ++j) x[static_cast<size_t>(j)] = digit[static_cast<size_t>(j)];
      if (fits(x)) {
        if (give_points_) point_ = x;
        return Verdict::Feasible;
      }
      int32_t j = 0;
      while (j < n && digit[static_cast<size_t>(j)] == 3) digit[static_cast<size_t>(j++)] = -3;
      if (j == n) return Verdict::Infeasible;
      ++digit[static_cast<size_t>(j)];
    }
  }

 private:
  bool fits(std::vector<double> &x) const {
    const lp::CscMatrix &a = w_.lp.a;
    for (int32_t i = 0; i < w_.nrows; ++i) x[static_cast<size_t>(w_.slack(i))] = 0.0;
    for (int32_t j = 0; j < w_.ncols; ++j)
      for (int32_t p = a.start[j]; p < a.start[j + 1]; ++p)
        x[static_cast<size_t>(w_.slack(a.index[p]))] += a.value[p] * x[static_cast<size_t>(j)];
    for (size_t k = 0; k < x.size(); ++k)
      if (x[k] < lo_[k] || x[k] > up_[k]) return false;
    return true;
  }

  const WorkModel &w_;
  std::vector<double> lo_, up_;
  bool give_points_;
  bool regions_;
  int64_t region_tests_ = 0;
};

// Rows 2, 5 and 8 (x0 + x1 >= 3, x0 <= 1, x1 <= 1) are the only
// irreducible infeasible set; the other rows never bind in the box, and
// the columns' bounds [0, 2] are not needed.  Seventeen rows make the
// filter's first blocks three rows long, with a member last in each of
// the first three: the point of a block's feasible test then proves that
// member once the rows before it have gone.
lp::LpModel small_model() {
  lp::LpModel l;
  const int m = 17;
  l.a.m = m;
  l.a.n = 3;
  std::vector<std::vector<double>> row(m, std::vector<double>(3, 0.0));
  l.rowlo.assign(m, -kInfBound);
  l.rowup.assign(m, kInfBound);
  auto set = [&](int i, std::vector<double> coef, double lo, double up) {
    row[static_cast<size_t>(i)] = coef;
    l.rowlo[static_cast<size_t>(i)] = lo;
    l.rowup[static_cast<size_t>(i)] = up;
  };
  set(0, {0, 0, 1}, -kInfBound, 5);
  set(1, {0, 0, 1}, -5, kInfBound);
  set(2, {1, 1, 0}, 3, kInfBound);
  set(3, {1, 0, 1}, -kInfBound, 9);
  set(4, {0, 1, -1}, -9, kInfBound);
  set(5, {1, 0, 0}, -kInfBound, 1);
  set(6, {1, 1, 1}, -kInfBound, 10);
  set(7, {0, 0, 1}, -kInfBound, 6);
  set(8, {0, 1, 0}, -kInfBound, 1);
  for (int i = 9; i < m; ++i) set(i, {0, 0, 1}, -kInfBound, i - 2);
  l.a.start = {0};
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < m; ++i)
      if (row[static_cast<size_t>(i)][static_cast<size_t>(j)] != 0.0) {
        l.a.index.push_back(i);
        l.a.value.push_back(row[static_cast<size_t>(i)][static_cast<size_t>(j)]);
      }
    l.a.start.push_back(static_cast<int32_t>(l.a.index.size()));
  }
  l.collo = {0, 0, 0};
  l.colup = {2, 2, 2};
  l.cost = {0, 0, 0};
  return l;
}

std::vector<Mark> refine(const WorkModel &w, Tester &t) {
  Filter f(w, t, std::vector<Mark>(w.items.size(), Mark::In), FilterLog{});
  EXPECT_EQ(f.check(), Verdict::Infeasible);
  EXPECT_EQ(f.deletion(Filter::Scope::Rows), Verdict::Infeasible);
  EXPECT_EQ(f.deletion(Filter::Scope::Bounds), Verdict::Infeasible);
  EXPECT_TRUE(f.all_proved());
  return f.marks();
}

TEST(ConflictFilter, EndsIrreducibleAndKeptPointsSpareTests) {
  WorkModel w = make_work_model(small_model(), 17, 3);
  collect_items(w);
  EnumeratingTester plain(w, false), with_points(w, true);
  const std::vector<Mark> a = refine(w, plain), b = refine(w, with_points);
  EXPECT_EQ(a, b);
  EXPECT_LT(with_points.tests(), plain.tests());
  // The members left are infeasible together, and each is needed.
  std::vector<size_t> members;
  for (size_t k = 0; k < a.size(); ++k)
    if (a[k] != Mark::Out) members.push_back(k);
  auto feasible_without = [&](size_t skip) {
    EnumeratingTester t(w, false);
    // Rebuild the bounds the way the filter does: relaxed sides fall back.
    std::vector<double> lo = w.tight_lo, up = w.tight_up;
    for (size_t k = 0; k < w.items.size(); ++k) {
      if (!(a[k] == Mark::Out || k == skip)) continue;
      const Item &it = w.items[k];
      const size_t v = static_cast<size_t>(w.var_of(it));
      if (it.kind != Item::Upper) lo[v] = w.base_lo[v];
      if (it.kind != Item::Lower) up[v] = w.base_up[v];
    }
    for (size_t v = 0; v < lo.size(); ++v) t.set_bounds(static_cast<int32_t>(v), lo[v], up[v]);
    return t.solve(Tester::Scope::Whole) == Verdict::Feasible;
  };
  EXPECT_FALSE(feasible_without(a.size()));
  ASSERT_EQ(members.size(), 3u);
  for (size_t k : members) {
    EXPECT_EQ(w.items[k].kind, Item::Row);
    EXPECT_TRUE(w.items[k].index == 2 || w.items[k].index == 5 || w.items[k].index == 8);
  }
  for (size_t k : members) EXPECT_TRUE(feasible_without(k)) << k;
}

// A single candidate tested only on the region beyond its bound (an
// integer column above its upper bound plus one, a row's slack past its
// side) gets the same verdict as the whole set without it, since the set
// with it is infeasible: the filter ends at the same set.
TEST(ConflictFilter, SingleCandidatesTestedBeyondTheirBoundsEndTheSame) {
  WorkModel w = make_work_model(small_model(), 17, 3);
  collect_items(w);
  EnumeratingTester whole(w, false), beyond(w, false, true);
  const std::vector<Mark> a = refine(w, whole), b = refine(w, beyond);
  EXPECT_EQ(a, b);
  EXPECT_EQ(whole.region_tests(), 0);
  EXPECT_GT(beyond.region_tests(), 0);
}

// Once the rows are down to 2, 5 and 8, x2 is in none of them: nothing
// resists moving it, so both its bounds go without a test (and stay in the
// tests, marked Unlocked); x0 and x1 each have a row on either side.  The
// set ends the same as with tests, with fewer of them.
TEST(ConflictFilter, BoundsNoRowResistsGoWithoutATest) {
  WorkModel w = make_work_model(small_model(), 17, 3);
  collect_items(w);
  EnumeratingTester tested(w, false), unlocked(w, false);
  const std::vector<Mark> by_tests = refine(w, tested);
  Filter f(w, unlocked, std::vector<Mark>(w.items.size(), Mark::In), FilterLog{});
  ASSERT_EQ(f.check(), Verdict::Infeasible);
  ASSERT_EQ(f.deletion(Filter::Scope::Rows), Verdict::Infeasible);
  EXPECT_EQ(f.drop_unlocked_bounds(), 2);
  for (size_t k = 0; k < w.items.size(); ++k) {
    const Item &it = w.items[k];
    if (it.kind != Item::Row) {
      EXPECT_EQ(f.marks()[k] == Mark::Unlocked, it.index == 2) << k;
    }
  }
  ASSERT_EQ(f.deletion(Filter::Scope::Bounds), Verdict::Infeasible);
  EXPECT_TRUE(f.all_proved());
  for (size_t k = 0; k < w.items.size(); ++k) EXPECT_EQ(excluded(f.marks()[k]), excluded(by_tests[k])) << k;
  EXPECT_LT(unlocked.tests(), tested.tests());
}

// The problem's own form of a working LP with relaxed candidates: rows
// take their slacks' bounds (a dropped row is free), columns keep the
// bounds set on them, and the slack columns go.  Solved, it agrees with
// the working form: infeasible with all rows (a certificate over the same
// rows), feasible once row 5 (x0 <= 1) is dropped.
TEST(ConflictWorkModel, OriginalFormMatchesTheWorkingForm) {
  const lp::LpModel model = small_model();
  const WorkModel w = make_work_model(model, 17, 3);
  lp::LpModel current = w.lp;
  lp::LpModel o = original_form(w, current);
  EXPECT_EQ(o.a.n, 3);
  EXPECT_EQ(o.a.m, 17);
  EXPECT_EQ(o.a.start, model.a.start);
  EXPECT_EQ(o.a.index, model.a.index);
  EXPECT_EQ(o.rowlo, model.rowlo);
  EXPECT_EQ(o.rowup, model.rowup);
  EXPECT_EQ(o.collo, model.collo);
  lp::SimplexControl ctl;
  ctl.display = 0;
  lp::LpResult r = lp::dual_simplex(o, ctl, nullptr);
  ASSERT_EQ(r.status, lp::LpStatus::Infeasible);
  EXPECT_GT(lp::farkas_margin(o, r.ray), 0.0);
  EXPECT_GT(lp::farkas_margin(w.lp, r.ray), 0.0);  // the same rows prove the working form infeasible
  const size_t s5 = static_cast<size_t>(w.slack(5));
  current.collo[s5] = -kInfBound;
  current.colup[s5] = kInfBound;
  current.colup[0] = 7.0;
  o = original_form(w, current);
  EXPECT_EQ(o.rowup[5], kInfBound);
  EXPECT_EQ(o.colup[0], 7.0);
  r = lp::dual_simplex(o, ctl, nullptr);
  EXPECT_EQ(r.status, lp::LpStatus::Optimal);
}

}  // namespace
}  // namespace tvl::conflict
