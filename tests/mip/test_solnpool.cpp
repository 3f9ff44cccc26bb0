// Solution pool: admission results, replacement policies, filters, the
// gap filter, capacity changes and invalidation, on the pool object itself.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mip/solnpool.h"

namespace {

using tvl::SolnPool;

// A pool over `n` columns of the given types, prepared with the settings.
std::unique_ptr<SolnPool> make_pool(const std::string &ctype, int cap, int policy, double rel = 1e75,
                                    double abs = 1e75) {
  auto p = std::make_unique<SolnPool>(static_cast<int32_t>(ctype.size()), ctype.c_str());
  p->prepare(static_cast<int32_t>(ctype.size()), ctype.c_str(), cap, policy, rel, abs);
  return p;
}

tvl::PoolFilter filter(int type, std::vector<int32_t> ind, std::vector<double> val, double lower, double upper) {
  tvl::PoolFilter f;
  f.type = type;
  f.ind = std::move(ind);
  f.val = std::move(val);
  f.lower = lower;
  f.upper = upper;
  return f;
}

std::vector<double> objectives(const SolnPool &p) {
  std::vector<double> o;
  for (int k = 0; k < p.count(); ++k) o.push_back(p.entry(k).obj());
  return o;
}

TEST(SolnPool, CapacityOneFirstInFirstOut) {
  auto p_owner = make_pool("BB", 1, 0);
  SolnPool &p = *p_owner;
  double a[] = {1, 0}, b[] = {0, 1}, c[] = {1, 1};
  EXPECT_EQ(p.offer(a, 5.0), tvl::kPoolAppended);
  EXPECT_EQ(p.offer(a, 5.0), tvl::kPoolDuplicate);
  // A worse solution finds the pool full and no victim.
  EXPECT_EQ(p.offer(b, 7.0), tvl::kPoolDropped);
  EXPECT_EQ(p.replaced(), 1);
  // A better one replaces position 0.
  EXPECT_EQ(p.offer(c, 3.0), tvl::kPoolReplaced);
  EXPECT_EQ(p.replaced(), 2);
  ASSERT_EQ(p.count(), 1);
  EXPECT_EQ(p.entry(0).v, (std::vector<double>{1, 1, 3}));
  EXPECT_EQ(p.offered_this_call(), 4);
  EXPECT_EQ(p.stored_this_call(), 2);
}

TEST(SolnPool, FirstInFirstOutKeepsPositionZero) {
  auto p_owner = make_pool("I", 3, 0);
  SolnPool &p = *p_owner;
  for (int k = 0; k < 5; ++k) {
    double x = k;
    p.offer(&x, 10.0 - k);
  }
  // Positions 1 went twice; position 0 (the first solution) stays.
  EXPECT_EQ(objectives(p), (std::vector<double>{10, 7, 6}));
  EXPECT_EQ(p.replaced(), 2);
  // Names follow the storing position: 7 went to position 2 while the
  // solution stored there first (8, "p3") was still present.
  EXPECT_EQ(p.entry(0).name, "p1");
  EXPECT_EQ(p.entry(1).name, "p3a");
  EXPECT_EQ(p.entry(2).name, "p3");
  EXPECT_EQ(p.find_name("p3"), 2);
  EXPECT_EQ(p.find_name("p9"), -1);
}

TEST(SolnPool, ObjectivePolicyReplacesWorstAtLowestPosition) {
  auto p_owner = make_pool("I", 3, 1);
  SolnPool &p = *p_owner;
  double x0 = 0, x1 = 1, x2 = 2, x3 = 3, x4 = 4;
  p.offer(&x0, 5.0);
  p.offer(&x1, 9.0);
  p.offer(&x2, 9.0);
  EXPECT_EQ(p.offer(&x3, 7.0), tvl::kPoolReplaced);
  // Position 1 (first of the tied 9s) went; the candidate is appended.
  EXPECT_EQ(objectives(p), (std::vector<double>{5, 9, 7}));
  EXPECT_EQ(p.entry(1).v[0], 2.0);
  // Every stored solution (beyond position 0) is better: dropped.
  EXPECT_EQ(p.offer(&x4, 9.5), tvl::kPoolDropped);
  EXPECT_EQ(p.replaced(), 2);
}

TEST(SolnPool, DiversityPolicyReplacesLeastDistant) {
  auto p_owner = make_pool("BBBB", 3, 2);
  SolnPool &p = *p_owner;
  double a[] = {0, 0, 0, 0}, b[] = {1, 1, 1, 1}, c[] = {0, 0, 0, 1};
  p.offer(a, 1.0);
  p.offer(b, 2.0);
  p.offer(c, 2.0);
  // Mean (1/3,1/3,1/3,2/3): b lies at 13/9, c at 4/9 (a, at position 0,
  // is protected).  The candidate (13/9) displaces the least distant, c.
  double d[] = {1, 1, 0, 0};
  EXPECT_EQ(p.offer(d, 3.0), tvl::kPoolReplaced);
  EXPECT_EQ(p.entry(2).v, (std::vector<double>{1, 1, 0, 0, 3}));
  EXPECT_EQ(p.entry(1).v[0], 1.0);
  // Mean now (2/3,2/3,1/3,1/3): b at 10/9, d at 4/9; the candidate lies at
  // 7/9, so d goes.
  double e[] = {1, 0, 0, 0};
  EXPECT_EQ(p.offer(e, 3.0), tvl::kPoolReplaced);
  EXPECT_EQ(p.entry(2).v[1], 0.0);
}

TEST(SolnPool, FiltersRejectUnlessCandidateImprovesPool) {
  auto p_owner = make_pool("BBC", 10, 0);
  SolnPool &p = *p_owner;
  // At least one of x0, x1 must differ from 1; 2 * x2 <= 4.
  tvl::PoolFilter div = filter(tvl::kFilterDiversity, {0, 1}, {1, 1}, 1.0, 2.0);
  tvl::PoolFilter rng = filter(tvl::kFilterRange, {2}, {2.0}, -1e20, 4.0);
  p.filters() = {div, rng};
  double a[] = {0, 0, 1.0};
  EXPECT_EQ(p.offer(a, 10.0), tvl::kPoolAppended);
  double b[] = {1, 1, 0.0};  // diversity distance 0: rejected
  EXPECT_EQ(p.offer(b, 11.0), tvl::kPoolFiltered);
  double c[] = {1, 0, 3.0};  // passes diversity, fails range
  EXPECT_EQ(p.offer(c, 11.0), tvl::kPoolFiltered);
  EXPECT_EQ(p.rejected(), 2);
  // Better than position 0: the filters are not consulted.
  EXPECT_EQ(p.offer(b, 9.0), tvl::kPoolAppended);
  double d[] = {1, 0, 1.5};
  EXPECT_EQ(p.offer(d, 12.0), tvl::kPoolAppended);
}

TEST(SolnPool, GapFilterAgainstBestOffered) {
  auto rel_owner = make_pool("I", 10, 0, 0.1, 1e75);
  SolnPool &rel = *rel_owner;
  double x[] = {0, 1, 2, 3, 4};
  EXPECT_EQ(rel.offer(&x[0], -100.0), tvl::kPoolAppended);
  EXPECT_EQ(rel.offer(&x[1], -89.0), tvl::kPoolFiltered);  // allowance 10
  EXPECT_EQ(rel.offer(&x[2], -90.0), tvl::kPoolAppended);
  auto abs_owner = make_pool("I", 10, 0, 1e75, 2.0);
  SolnPool &abs = *abs_owner;
  EXPECT_EQ(abs.offer(&x[0], 5.0), tvl::kPoolAppended);
  EXPECT_EQ(abs.offer(&x[1], 7.0), tvl::kPoolAppended);
  EXPECT_EQ(abs.offer(&x[2], 7.01), tvl::kPoolFiltered);
  // The best value seen moves with better candidates.
  EXPECT_EQ(abs.offer(&x[3], 1.0), tvl::kPoolAppended);
  EXPECT_EQ(abs.offer(&x[4], 5.0), tvl::kPoolFiltered);
}

TEST(SolnPool, CapacityReductionAndGrowth) {
  auto fifo_owner = make_pool("I", 10, 0);
  SolnPool &fifo = *fifo_owner;
  for (int k = 0; k < 10; ++k) {
    double x = k;
    fifo.offer(&x, k);
  }
  fifo.prepare(1, "I", 3, 0, 1e75, 1e75);
  EXPECT_EQ(objectives(fifo), (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(fifo.replaced(), 7);
  EXPECT_EQ(fifo.allocated(), 3);

  auto obj_owner = make_pool("I", 10, 1);
  SolnPool &obj = *obj_owner;
  const double vals[] = {6, 2, 9, 1, 5};
  for (int k = 0; k < 5; ++k) {
    double x = k;
    obj.offer(&x, vals[k]);
  }
  obj.prepare(1, "I", 3, 1, 1e75, 1e75);
  // Position 0 ranks first; then the best objectives, in stored order.
  EXPECT_EQ(objectives(obj), (std::vector<double>{6, 2, 1}));

  auto grow_owner = make_pool("I", 1500, 0);
  SolnPool &grow = *grow_owner;
  EXPECT_EQ(grow.allocated(), 1000);
  for (int k = 0; k < 1001; ++k) {
    double x = k;
    ASSERT_EQ(grow.offer(&x, 0.0), tvl::kPoolAppended);
  }
  EXPECT_EQ(grow.allocated(), 1500);

  auto none_owner = make_pool("I", 0, 0);
  SolnPool &none = *none_owner;
  double x = 1;
  EXPECT_EQ(none.offer(&x, 0.0), tvl::kPoolNotKept);
}

TEST(SolnPool, InvalidationAndColumnRenumbering) {
  auto p_owner = make_pool("BBB", 5, 0);
  SolnPool &p = *p_owner;
  tvl::PoolFilter f = filter(tvl::kFilterRange, {0, 2}, {1.0, 3.0}, 0, 10);
  p.filters().push_back(f);
  double x[] = {1, 0, 1};
  p.offer(x, 1.0);
  p.invalidate();
  EXPECT_FALSE(p.valid());
  EXPECT_EQ(p.count(), 0);
  EXPECT_EQ(p.offer(x, 1.0), tvl::kPoolNotKept);
  const int32_t delstat[] = {-1, 0, 1};
  p.renumber_cols(delstat, 3);
  EXPECT_EQ(p.filters()[0].ind, (std::vector<int32_t>{1}));
  EXPECT_EQ(p.filters()[0].val, (std::vector<double>{3.0}));
  p.prepare(2, "BB", 5, 0, 1e75, 1e75);
  EXPECT_TRUE(p.valid());
  EXPECT_EQ(p.numcols(), 2);
  double y[] = {0, 1};
  EXPECT_EQ(p.offer(y, 2.0), tvl::kPoolAppended);
  EXPECT_EQ(p.offer(y, 2.0), tvl::kPoolDuplicate);
}

}  // namespace
