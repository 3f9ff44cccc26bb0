#include "mip/node_queue.h"

#include <algorithm>
#include <cmath>

namespace tvl::mip {

NodeQueue::NodeQueue(int mode, int bbinterval, int root_iinf)
    : mode_(mode), bbinterval_(bbinterval), root_iinf_(root_iinf) {}

double NodeQueue::key_of(const Node &node, double incumbent) const {
  switch (mode_) {
    case kDepthFirst:
      return -static_cast<double>(node.depth);
    case kBestEstimate:
      return node.bound + node.estimate;
    case kAltBestEstimate:
      if (incumbent < 1e75) return (node.bound + node.estimate - incumbent) / (node.estimate + 1e-10);
      return node.bound + node.estimate;
    default:
      return node.bound +
             (static_cast<double>(node.iinf) / std::max(root_iinf_, 1)) * 1e-14 * (std::fabs(node.bound) + 1.0);
  }
}

void NodeQueue::push(std::unique_ptr<Node> node, double incumbent) {
  int32_t slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    slot = static_cast<int32_t>(slots_.size());
    slots_.emplace_back();
    version_.push_back(0);
  }
  const double key = key_of(*node, incumbent);
  bounds_.emplace(node->bound, slot);
  slots_[slot] = std::move(node);
  heap_.push_back(Entry{key, slot, version_[slot]});
  std::push_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
}

std::unique_ptr<Node> NodeQueue::take(int32_t slot) {
  std::unique_ptr<Node> node = std::move(slots_[slot]);
  bounds_.erase({node->bound, slot});
  ++version_[slot];
  free_.push_back(slot);
  return node;
}

std::unique_ptr<Node> NodeQueue::pop() {
  if (bounds_.empty()) return nullptr;
  const bool bound_turn = mode_ == kBestEstimate && bbinterval_ > 0 && selections_ % bbinterval_ == 0;
  ++selections_;
  if (bound_turn) return take(bounds_.begin()->second);
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
    const Entry e = heap_.back();
    heap_.pop_back();
    if (slots_[e.slot] && version_[e.slot] == e.version) return take(e.slot);
  }
  return take(bounds_.begin()->second);
}

int64_t NodeQueue::prune(const std::function<bool(double)> &discard) {
  int64_t removed = 0;
  while (!bounds_.empty()) {
    auto last = std::prev(bounds_.end());
    if (!discard(last->first)) break;
    take(last->second);
    ++removed;
  }
  // Stale heap entries are dropped once they outnumber the live ones.
  if (heap_.size() > 2 * bounds_.size() + 64) {
    std::vector<Entry> live;
    for (const Entry &e : heap_)
      if (slots_[e.slot] && version_[e.slot] == e.version) live.push_back(e);
    heap_.swap(live);
    std::make_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
  }
  return removed;
}

}  // namespace tvl::mip
