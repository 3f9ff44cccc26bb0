// Irreducibility from a unique certificate: the proof must hold for an
// irreducible set and refuse every set that is not, whether the
// certificate leaves a member unused, the set has more rows than the
// certificate's equations can pin, or two rows are the same.
#include <gtest/gtest.h>

#include <vector>

#include "conflict/unique_certificate.h"
#include "conflict/work_model.h"
#include "frame/infinity.h"

namespace tvl::conflict {
namespace {

struct Row {
  std::vector<double> coef;
  double lo, up;
};

// An LP of free columns (unless `box` bounds them) from dense rows.
lp::LpModel dense_model(const std::vector<Row> &rows, int n, double box = kInfBound) {
  lp::LpModel l;
  const int m = static_cast<int>(rows.size());
  l.a.m = m;
  l.a.n = n;
  l.a.start = {0};
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < m; ++i)
      if (rows[static_cast<size_t>(i)].coef[static_cast<size_t>(j)] != 0.0) {
        l.a.index.push_back(i);
        l.a.value.push_back(rows[static_cast<size_t>(i)].coef[static_cast<size_t>(j)]);
      }
    l.a.start.push_back(static_cast<int32_t>(l.a.index.size()));
  }
  for (const Row &r : rows) {
    l.rowlo.push_back(r.lo);
    l.rowup.push_back(r.up);
  }
  l.collo.assign(static_cast<size_t>(n), -box);
  l.colup.assign(static_cast<size_t>(n), box);
  l.cost.assign(static_cast<size_t>(n), 0.0);
  return l;
}

// Membership flags: the rows listed, every column bound listed by column.
std::vector<char> members(const WorkModel &w, const std::vector<int> &rows, const std::vector<int> &bound_cols = {}) {
  std::vector<char> in(w.items.size(), 0);
  for (size_t k = 0; k < w.items.size(); ++k) {
    const Item &it = w.items[k];
    const std::vector<int> &list = it.kind == Item::Row ? rows : bound_cols;
    for (int v : list) in[k] |= v == it.index;
  }
  return in;
}

// x0 + x1 >= 3, x0 <= 1, x1 <= 1 and a fourth row the certificate does not
// need.  The certificate y = (1, -1, -1, 0): z = A'y is zero on x0 and
// x1, and the slacks' entries -y_i pick the lower side of row 0 and the
// upper sides of rows 1 and 2 (value -3 + 1 + 1 < 0).
TEST(UniqueCertificate, ProvesAnIrreducibleSetAndRefusesAnUnusedMember) {
  const lp::LpModel model =
      dense_model({{{1, 1}, 3, kInfBound}, {{1, 0}, -kInfBound, 1}, {{0, 1}, -kInfBound, 1}, {{1, -1}, -5, 5}}, 2);
  WorkModel w = make_work_model(model, 4, 2);
  collect_items(w);
  const std::vector<double> ray = {1, -1, -1, 0};
  EXPECT_TRUE(certificate_is_unique(w, members(w, {0, 1, 2}), ray));
  // Row 3 is in the set but the certificate leaves it out: not irreducible.
  EXPECT_FALSE(certificate_is_unique(w, members(w, {0, 1, 2, 3}), ray));
  // Without row 2 the set is feasible and the ray no certificate of it.
  EXPECT_FALSE(certificate_is_unique(w, members(w, {0, 1}), ray));
  // A ray on the wrong sides proves nothing.
  EXPECT_FALSE(certificate_is_unique(w, members(w, {0, 1, 2}), {-1, 1, 1, 0}));
  // The same set with x0 + x1 >= 2 + 1e-7 is infeasible by less than a
  // solver's tolerance, which would call it feasible: irreducible, but the
  // proof is not robust; by 1e-4 (and by 1 above) it is.
  bool robust = false;
  EXPECT_TRUE(certificate_is_unique(w, members(w, {0, 1, 2}), ray, &robust));
  EXPECT_TRUE(robust);
  WorkModel near = w;
  near.tight_lo[static_cast<size_t>(near.slack(0))] = 2.0 + 1e-7;
  EXPECT_TRUE(certificate_is_unique(near, members(near, {0, 1, 2}), ray, &robust));
  EXPECT_FALSE(robust);
  near.tight_lo[static_cast<size_t>(near.slack(0))] = 2.0 + 1e-4;
  EXPECT_TRUE(certificate_is_unique(near, members(near, {0, 1, 2}), ray, &robust));
  EXPECT_TRUE(robust);
}

// Columns bounded in [-4, 4]: bounds are candidates too, and a set that
// uses x1's upper bound in place of row 2 is irreducible as well; with both
// bounds of x1 in the set it is not.
TEST(UniqueCertificate, ColumnBoundsAsMembers) {
  const lp::LpModel model = dense_model({{{1, 1}, 3, kInfBound}, {{1, 0}, -kInfBound, 1}}, 2, 4.0);
  WorkModel w = make_work_model(model, 2, 2);
  collect_items(w);
  // x0 + x1 >= 3, x0 <= 1, x1 <= 4 is feasible; with x1 <= 1 it is not:
  // tighten x1's bound to 1 in the working form.
  w.tight_up[1] = w.lp.colup[1] = 1.0;
  const std::vector<double> ray = {1, -1};  // z = (0, 1, -1, 1): x1 upper, row 0 lower, row 1 upper
  std::vector<char> in = members(w, {0, 1});
  for (size_t k = 0; k < w.items.size(); ++k)
    if (w.items[k].kind == Item::Upper && w.items[k].index == 1) in[k] = 1;
  EXPECT_TRUE(certificate_is_unique(w, in, ray));
  for (size_t k = 0; k < w.items.size(); ++k)
    if (w.items[k].kind == Item::Lower && w.items[k].index == 1) in[k] = 1;
  EXPECT_FALSE(certificate_is_unique(w, in, ray));
}

// Two sets whose certificate uses every member but that are not
// irreducible: the same bound twice (x0 <= 1 as rows 1 and 2) with a ray
// that splits its weight between them; and the same with a third column
// in rows 0 and 3, which gives the proof as many equations as unknowns
// but two equal columns for the unknowns of rows 1 and 2.
TEST(UniqueCertificate, RefusesSetsWithTwoCertificates) {
  const lp::LpModel twice =
      dense_model({{{1, 1}, 3, kInfBound}, {{1, 0}, -kInfBound, 1}, {{1, 0}, -kInfBound, 1}, {{0, 1}, -kInfBound, 1}}, 2);
  WorkModel w = make_work_model(twice, 4, 2);
  collect_items(w);
  const std::vector<double> split = {1, -0.5, -0.5, -1};
  EXPECT_FALSE(certificate_is_unique(w, members(w, {0, 1, 2, 3}), split));
  EXPECT_TRUE(certificate_is_unique(w, members(w, {0, 1, 3}), {1, -1, 0, -1}));

  const lp::LpModel square = dense_model({{{1, 1, 1}, 3, kInfBound},
                                          {{1, 0, 0}, -kInfBound, 1},
                                          {{1, 0, 0}, -kInfBound, 1},
                                          {{0, 1, 1}, -kInfBound, 1}},
                                         3);
  WorkModel v = make_work_model(square, 4, 3);
  collect_items(v);
  EXPECT_FALSE(certificate_is_unique(v, members(v, {0, 1, 2, 3}), split));
  EXPECT_TRUE(certificate_is_unique(v, members(v, {0, 1, 3}), {1, -1, 0, -1}));
}

}  // namespace
}  // namespace tvl::conflict
