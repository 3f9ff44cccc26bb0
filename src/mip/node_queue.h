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
// best-estimate (bound + estimate - incumbent) / (estimate + 1e-10).  In
// best-estimate mode every k-th selection (TVL_PARAM_BBINTERVAL) takes the
// best-bound node.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "mip/node.h"

namespace tvl::mip {

enum NodeSelMode { kDepthFirst = 0, kBestBound = 1, kBestEstimate = 2, kAltBestEstimate = 3 };

class NodeQueue {
 public:
  NodeQueue(int mode, int bbinterval, int root_iinf);
  void push(std::unique_ptr<Node> node, double incumbent);
  // The next node by the selection rule; nullptr when the queue is empty.
  std::unique_ptr<Node> pop();
  // Smallest lower bound of the open nodes (1e75 when none).
  double best_bound() const { return bounds_.empty() ? 1e75 : bounds_.begin()->first; }
  int64_t size() const { return static_cast<int64_t>(bounds_.size()); }
  bool empty() const { return bounds_.empty(); }
  // Integer infeasibilities of the root LP (known once the root is solved).
  void set_root_iinf(int iinf) { root_iinf_ = iinf; }
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
  std::unique_ptr<Node> take(int32_t slot);

  int mode_, bbinterval_, root_iinf_;
  int64_t selections_ = 0;
  std::vector<std::unique_ptr<Node>> slots_;
  std::vector<uint32_t> version_;
  std::vector<int32_t> free_;
  std::vector<Entry> heap_;
  std::set<std::pair<double, int32_t>> bounds_;
};

}  // namespace tvl::mip
