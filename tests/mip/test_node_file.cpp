// Node files: records read back exactly as written (packed or not, with
// and without a basis, truncated ones refused), the queue that moves nodes
// out under a memory budget keeps the same bound, count, order and pruning,
// and whole searches with a tiny budget still find the optimum, report the
// file in the node log and end with 116/117 when the file cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mip/node_file.h"
#include "mip/node_queue.h"
#include "support/api_session.h"

namespace {

using tvl::mip::Node;
using tvl::mip::NodeFile;
using tvl::mip::NodeQueue;

std::unique_ptr<Node> make_node(int64_t id, double bound, int ncols = 7, int nrows = 5) {
  auto node = std::make_unique<Node>();
  node->id = id;
  node->parent = id / 2;
  node->bound = bound;
  node->estimate = 0.25 * static_cast<double>(id);
  node->parent_obj = bound - 1.0;
  node->depth = static_cast<int32_t>(id % 9);
  node->iinf = 3;
  node->branch_col = static_cast<int32_t>(id % ncols);
  node->dir = id % 2 ? 'U' : 'D';
  node->branch_dist = 0.375;
  for (int k = 0; k < static_cast<int>(id % 4) + 1; ++k)
    node->changes.push_back({k, static_cast<double>(k), static_cast<double>(k + id)});
  auto basis = std::make_shared<tvl::lp::Basis>();
  for (int j = 0; j < ncols; ++j) basis->colstat.push_back(static_cast<int8_t>((j + id) % 4));
  for (int i = 0; i < nrows; ++i) basis->rowstat.push_back(static_cast<int8_t>((i * 3 + id) % 4));
  node->basis = basis;
  return node;
}

void expect_same(const Node &a, const Node &b) {
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(a.parent, b.parent);
  EXPECT_EQ(a.bound, b.bound);
  EXPECT_EQ(a.estimate, b.estimate);
  EXPECT_EQ(a.parent_obj, b.parent_obj);
  EXPECT_EQ(a.depth, b.depth);
  EXPECT_EQ(a.iinf, b.iinf);
  EXPECT_EQ(a.branch_col, b.branch_col);
  EXPECT_EQ(a.dir, b.dir);
  EXPECT_EQ(a.branch_dist, b.branch_dist);
  ASSERT_EQ(a.changes.size(), b.changes.size());
  for (size_t k = 0; k < a.changes.size(); ++k) {
    EXPECT_EQ(a.changes[k].col, b.changes[k].col);
    EXPECT_EQ(a.changes[k].lower, b.changes[k].lower);
    EXPECT_EQ(a.changes[k].upper, b.changes[k].upper);
  }
  ASSERT_EQ(a.basis == nullptr, b.basis == nullptr);
  if (a.basis) {
    EXPECT_EQ(a.basis->colstat, b.basis->colstat);
    EXPECT_EQ(a.basis->rowstat, b.basis->rowstat);
  }
}

TEST(NodeFile, RecordsComeBackExactlyAndCompressionPaysOnTheBasis) {
  for (bool packed : {false, true}) {
    std::unique_ptr<Node> node = make_node(13, -4.5, 301, 97);
    std::vector<char> bytes;
    tvl::mip::encode_node(*node, packed, bytes);
    Node back;
    ASSERT_TRUE(tvl::mip::decode_node(bytes, back));
    expect_same(*node, back);
    if (packed) {
      EXPECT_LT(bytes.size(), tvl::mip::raw_record_size(*node) / 2);
    } else {
      EXPECT_EQ(bytes.size(), tvl::mip::raw_record_size(*node));
    }
    // Every shorter prefix is refused, not read past its end.
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
      std::vector<char> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
      EXPECT_FALSE(tvl::mip::decode_node(part, back)) << cut;
    }
  }
  // A node without a basis, and statuses that do not fit two bits.
  std::unique_ptr<Node> bare = make_node(4, 1.0);
  bare->basis.reset();
  std::vector<char> bytes;
  tvl::mip::encode_node(*bare, true, bytes);
  Node back;
  ASSERT_TRUE(tvl::mip::decode_node(bytes, back));
  expect_same(*bare, back);
  std::unique_ptr<Node> odd = make_node(5, 1.0);
  auto basis = std::make_shared<tvl::lp::Basis>(*odd->basis);
  basis->colstat[2] = 7;
  odd->basis = basis;
  tvl::mip::encode_node(*odd, true, bytes);
  ASSERT_TRUE(tvl::mip::decode_node(bytes, back));
  expect_same(*odd, back);
}

TEST(NodeFile, EveryModeStoresTakesAndDropsWithItsSizes) {
  for (int mode : {1, 2, 3}) {
    NodeFile file(mode, ".");
    std::vector<std::unique_ptr<Node>> nodes;
    std::vector<int64_t> records;
    for (int64_t id = 0; id < 20; ++id) {
      nodes.push_back(make_node(id, static_cast<double>(id), 64, 40));
      records.push_back(file.put(*nodes.back()));
      ASSERT_GE(records.back(), 0) << mode;
    }
    ASSERT_EQ(file.error(), 0);
    if (mode == 2) {
      EXPECT_EQ(file.bytes(), file.stored_bytes());
    } else {
      EXPECT_LT(file.stored_bytes(), file.bytes());
    }
    // Taken in another order than written, some dropped.
    for (int64_t id = 19; id >= 0; --id) {
      if (id % 3 == 0) {
        file.drop(records[static_cast<size_t>(id)]);
        continue;
      }
      std::unique_ptr<Node> back = file.take(records[static_cast<size_t>(id)]);
      ASSERT_TRUE(back) << mode << " " << id;
      expect_same(*nodes[static_cast<size_t>(id)], *back);
    }
    EXPECT_EQ(file.bytes(), 0.0);
    EXPECT_EQ(file.stored_bytes(), 0.0);
    // Empty again: the file starts over and still works.
    const int64_t again = file.put(*nodes[1]);
    ASSERT_GE(again, 0);
    expect_same(*nodes[1], *file.take(again));
  }
  NodeFile nowhere(2, "/nonexistent/tavlo/dir");
  EXPECT_EQ(nowhere.put(*make_node(1, 0.0)), -1);
  EXPECT_EQ(nowhere.error(), TVLERR_COULD_NOT_OPEN_TEMPORARY_FILE);
}

TEST(NodeFile, QueueWithATinyBudgetKeepsBoundsOrderAndPruning) {
  for (int mode : {tvl::mip::kBestBound, tvl::mip::kBestEstimate, tvl::mip::kDepthFirst}) {
    NodeQueue plain(mode, 7, 3), filed(mode, 7, 3);
    filed.set_node_file(std::make_unique<NodeFile>(1, "."), 2000.0);
    // Distinct bounds so that the order is fixed; ids give depth and estimate.
    for (int64_t id = 0; id < 60; ++id) {
      const double bound = static_cast<double>((id * 37) % 61);
      plain.push(make_node(id, bound), 1e75);
      filed.push(make_node(id, bound), 1e75);
    }
    ASSERT_GT(filed.node_file()->bytes(), 0.0);
    EXPECT_LT(filed.memory_bytes(), plain.memory_bytes());
    EXPECT_EQ(filed.size(), plain.size());
    EXPECT_EQ(filed.best_bound(), plain.best_bound());
    EXPECT_EQ(filed.prune([](double b) { return b >= 50.0; }), plain.prune([](double b) { return b >= 50.0; }));
    EXPECT_EQ(filed.size(), plain.size());
    // By bound the file gives its nodes back in the same order; other rules
    // pick among the nodes in memory first, so only the set is the same.
    std::vector<int64_t> a, b;
    while (!plain.empty()) a.push_back(plain.pop()->id);
    while (!filed.empty()) {
      std::unique_ptr<Node> n = filed.pop();
      ASSERT_TRUE(n);
      b.push_back(n->id);
    }
    ASSERT_EQ(filed.error(), 0);
    if (mode == tvl::mip::kBestBound) {
      EXPECT_EQ(a, b);
    } else {
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      EXPECT_EQ(a, b);
    }
  }
}

struct FileRun {
  int status = 0;
  double objective = 0.0;
  std::string log;
};

FileRun solve_with_node_file(int mode, double workmem_mb, const char *workdir = ".") {
  tvltest::ApiSession s("nodefile");
  FileRun r;
  s.collect_results(r.log);
  s.read_miplib("flugpl");
  s.set(TVL_PARAM_NODEFILEIND, mode);
  s.set(TVL_PARAM_MIPDISPLAY, 2);
  s.set(TVL_PARAM_MIPINTERVAL, 1);  // every node line, and so an elapsed line every ten
  TVLsetdblparam(s.env, TVL_PARAM_WORKMEM, workmem_mb);
  TVLsetstrparam(s.env, TVL_PARAM_WORKDIR, workdir);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0) << s.errors;
  r.status = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &r.objective);
  return r;
}

TEST(NodeFile, SearchesWithATinyBudgetFindTheOptimumAndReportTheFile) {
  for (int mode : {0, 1, 2, 3}) {
    const FileRun r = solve_with_node_file(mode, 0.001);
    EXPECT_EQ(r.status == TVLMIP_OPTIMAL || r.status == TVLMIP_OPTIMAL_TOL, true) << mode << " " << r.status;
    EXPECT_NEAR(r.objective, 1201500.0, 1e-6) << mode;
    const bool reported = r.log.find("Nodefile size = ") != std::string::npos;
    EXPECT_EQ(reported, mode > 0) << mode;
    if (mode == 1 || mode == 3) {
      EXPECT_NE(r.log.find("MB after compression)"), std::string::npos) << mode;
    }
  }
  // A directory that does not exist ends the search once nodes must move.
  const FileRun bad = solve_with_node_file(2, 0.001, "/nonexistent/tavlo/dir");
  EXPECT_TRUE(bad.status == TVLMIP_FAIL_FEAS_NO_TREE || bad.status == TVLMIP_FAIL_INFEAS_NO_TREE) << bad.status;
}

}  // namespace
