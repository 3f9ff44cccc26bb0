// The open nodes of the tree and the choice of the next node.
//
// Nodes are kept in slots; a selection heap orders them by the key of the
// selection mode and an ordered set by lower bound (the best-bound node and
// the best bound of the tree).  Entries of the selection heap whose node
// has left the queue by another way (best-bound turn, pruning) are skipped
// when they surface.
//
// Keys (smaller first): depth-first -depth; best-bound bound + (i / max(r,
// 1)) * 1e-14 * (|bound| + 1) with i the node's and r the root's integer
// infeasibilities; best-estimate bound + estimate; alternative
// best-estimate (bound + estimate - incumbent) / (estimate + 1e-10);
// populate (best-bound in populate phase II) a random u in [0, 1) when the
// node's bound lies within the pool gap of the incumbent, else 1 + u, so
// that the nodes near the incumbent come first in random order.  The pool
// gap is min(relative gap * |z|, absolute gap), 0.1 (|z| + 1) when neither
// is set, plus (|z| + 1) 1e-10.  When asked to (set_estimate_first),
// best bound takes the best-estimate key while no incumbent exists (the
// keys are made again when the first arrives).  In best-estimate mode, and in best-bound mode before the
// first incumbent, every k-th selection (TVL_PARAM_BBINTERVAL) takes the
// best-bound node.
//
// With a node file (mip/node_file.h), nodes held in memory beyond the
// working-memory budget move out to the file, those with the largest bound
// first (the last ones any rule would pick), until the memory in use is
// back below three quarters of the budget.  A node comes back from the file
// when the memory holds no node, or when the choice goes by bound and the
// file holds a smaller one than any node in memory.  Counts, the best
// bound and pruning cover both places.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "mip/node.h"
#include "mip/node_file.h"

namespace tvl::mip {

enum NodeSelMode { kDepthFirst = 0, kBestBound = 1, kBestEstimate = 2, kAltBestEstimate = 3, kPopulate = 4 };

class NodeQueue {
 public:
  NodeQueue(int mode, int bbinterval, int root_iinf);
  void push(std::unique_ptr<Node> node, double incumbent);
  // The next node by the selection rule; nullptr when the queue is empty.
  std::unique_ptr<Node> pop();
  // Smallest lower bound of the open nodes (1e75 when none).
  double best_bound() const;
  int64_t size() const { return static_cast<int64_t>(bounds_.size() + filed_.size()); }
  bool empty() const { return bounds_.empty() && filed_.empty(); }
  // Moves nodes out to `file` while those in memory take more than
  // `memory_bytes`.
  void set_node_file(std::unique_ptr<NodeFile> file, double memory_bytes);
  const NodeFile *node_file() const { return file_.get(); }
  // Estimated bytes of the open nodes held in memory.
  double memory_bytes() const { return memory_bytes_; }
  // 0, or the node file's failure (pop() then answers nullptr).
  int error() const { return file_ ? file_->error() : 0; }
  // Integer infeasibilities of the root LP (known once the root is solved).
  void set_root_iinf(int iinf) { root_iinf_ = iinf; }
  // The pool gaps of the populate mode (1e75 or more: not set).
  void set_pool_gaps(double relgap, double absgap) {
    pool_relgap_ = relgap;
    pool_absgap_ = absgap;
  }
  // Best bound orders by estimate until the first incumbent (see above).
  void set_estimate_first(bool on) { estimate_first_ = on; }
  // Removes every node for which `discard(bound)` holds; returns how many.
  int64_t prune(const std::function<bool(double)> &discard);

 private:
  struct Entry {
    double key;
    int32_t slot;
    uint32_t version;
    bool operator>(const Entry &o) const { return key > o.key || (key == o.key && slot > o.slot); }
  };
  double key_of(const Node &node, double incumbent) const;
  // Rebuilds the selection heap with the keys under `incumbent`.
  void rekey(double incumbent);
  std::unique_ptr<Node> take(int32_t slot);
  std::unique_ptr<Node> take_filed();
  void spill();

  // Next number in [0, 1) of the populate mode's stream.
  double next_uniform() const;

  int mode_, bbinterval_, root_iinf_;
  double pool_relgap_ = 1e75, pool_absgap_ = 1e75;
  mutable uint64_t stream_ = 0x9e3779b97f4a7c15ULL;  // fixed seed: the same order on every run
  int64_t selections_ = 0;
  bool estimate_first_ = false;
  bool estimate_keys_ = false;  // best bound keyed by estimate (no incumbent yet)
  std::vector<std::unique_ptr<Node>> slots_;
  std::vector<uint32_t> version_;
  std::vector<int32_t> free_;
  std::vector<Entry> heap_;
  std::set<std::pair<double, int32_t>> bounds_;
  std::vector<double> slot_bytes_;
  double memory_bytes_ = 0.0, memory_budget_ = 0.0;
  std::unique_ptr<NodeFile> file_;
  std::set<std::pair<double, int64_t>> filed_;  // bound and record of the nodes in the file
};

}  // namespace tvl::mip
