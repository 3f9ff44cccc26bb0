// The memo of infeasible presolved models answers only for a model equal
// in everything that decides feasibility.
#include <gtest/gtest.h>

#include "conflict/model_memo.h"
#include "frame/infinity.h"

namespace tvl::conflict {
namespace {

mip::MipModel two_by_two() {
  mip::MipModel m;
  m.lp.a.m = 2;
  m.lp.a.n = 2;
  m.lp.a.start = {0, 2, 3};
  m.lp.a.index = {0, 1, 0};
  m.lp.a.value = {1, 2, 3};
  m.lp.cost = {1, 1};
  m.lp.collo = {0, 0};
  m.lp.colup = {1, 5};
  m.lp.rowlo = {-kInfBound, 1};
  m.lp.rowup = {4, kInfBound};
  m.integer = {1, 0};
  return m;
}

TEST(ConflictModelMemo, AnswersOnlyForAnEqualModel) {
  ModelMemo memo;
  const mip::MipModel base = two_by_two();
  EXPECT_FALSE(memo.known_infeasible(base));
  memo.add_infeasible();
  EXPECT_TRUE(memo.known_infeasible(base));
  mip::MipModel other_cost = base;  // the objective decides nothing
  other_cost.lp.cost = {5, -2};
  EXPECT_TRUE(memo.known_infeasible(other_cost));
  EXPECT_EQ(memo.hits(), 2);
  auto differs = [&](auto change) {
    mip::MipModel m = base;
    change(m);
    return !memo.known_infeasible(m);
  };
  EXPECT_TRUE(differs([](mip::MipModel &m) { m.lp.colup[1] = 6; }));
  EXPECT_TRUE(differs([](mip::MipModel &m) { m.lp.rowlo[1] = 0.5; }));
  EXPECT_TRUE(differs([](mip::MipModel &m) { m.lp.a.value[2] = 3.0000001; }));
  EXPECT_TRUE(differs([](mip::MipModel &m) { m.lp.a.index = {1, 0, 1}; }));
  EXPECT_TRUE(differs([](mip::MipModel &m) { m.integer = {1, 1}; }));
  // A model tested but not found infeasible is not remembered.
  mip::MipModel looser = base;
  looser.lp.rowup[0] = 40;
  EXPECT_FALSE(memo.known_infeasible(looser));
  EXPECT_FALSE(memo.known_infeasible(looser));
}

}  // namespace
}  // namespace tvl::conflict
