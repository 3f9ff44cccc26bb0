#include "mip/node_queue.h"

#include <algorithm>
#include <cmath>

#include "frame/infinity.h"
#include "mip/incumbent.h"

namespace tvl::mip {

namespace {

// The search passes kNoValue as the incumbent's value while it has none.
bool no_incumbent(double incumbent) { return incumbent >= kNoValue; }

// Memory a queued node holds: the node, its bound changes, its share of
// the basis it has in common with its siblings, and the queue's entries.
double node_bytes(const Node &node) {
  double b = sizeof(Node) + 64.0 + static_cast<double>(node.changes.capacity() * sizeof(BoundChange));
  if (node.basis) {
    const double basis = sizeof(lp::Basis) + static_cast<double>(node.basis->colstat.size() + node.basis->rowstat.size());
    b += basis / static_cast<double>(std::max<long>(node.basis.use_count(), 1));
  }
  return b;
}

}  // namespace

NodeQueue::NodeQueue(int mode, int bbinterval, int root_iinf)
    : mode_(mode), bbinterval_(bbinterval), root_iinf_(root_iinf) {}

double NodeQueue::key_of(const Node &node, double incumbent) const {
  switch (mode_) {
    case kDepthFirst:
      return -static_cast<double>(node.depth);
    case kBestEstimate:
      return node.bound + node.estimate;
    case kAltBestEstimate:
      if (!no_incumbent(incumbent)) return (node.bound + node.estimate - incumbent) / (node.estimate + 1e-10);
      return node.bound + node.estimate;
    case kPopulate: {
      const double u = next_uniform();
      if (no_incumbent(incumbent)) return u;
      const double scale = std::fabs(incumbent) + 1.0;
      double gap = pool_gap(pool_relgap_, pool_absgap_, incumbent);
      if (gap >= kNoValueLimit) gap = 0.1 * scale;
      return node.bound <= incumbent + gap + scale * 1e-10 ? u : 1.0 + u;
    }
    default:
      // Best bound before the first incumbent goes by estimate: with
      // nothing to prune against, the deep nodes that promise an integer
      // point come first (a model with equality rows over general
      // integers: best bound met its first point after 590,000 nodes,
      // the estimate after 120,000).
      if (no_incumbent(incumbent) && estimate_first_) return node.bound + node.estimate;
      return node.bound +
             (static_cast<double>(node.iinf) / std::max(root_iinf_, 1)) * 1e-14 * (std::fabs(node.bound) + 1.0);
  }
}

double NodeQueue::next_uniform() const {
  // splitmix64: a full-period generator that needs one word of state.
  uint64_t z = (stream_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
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
    slot_bytes_.push_back(0.0);
  }
  slot_bytes_[slot] = node_bytes(*node);
  memory_bytes_ += slot_bytes_[slot];
  if (mode_ == kBestBound && estimate_first_ && no_incumbent(incumbent) != estimate_keys_) {
    estimate_keys_ = no_incumbent(incumbent);
    if (!estimate_keys_) rekey(incumbent);
  }
  const double key = key_of(*node, incumbent);
  bounds_.emplace(node->bound, slot);
  slots_[slot] = std::move(node);
  heap_.push_back(Entry{key, slot, version_[slot]});
  std::push_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
  if (file_ && memory_bytes_ > memory_budget_) spill();
}

double NodeQueue::best_bound() const {
  double b = bounds_.empty() ? kNoValue : bounds_.begin()->first;
  if (!filed_.empty()) b = std::min(b, filed_.begin()->first);
  return b;
}

void NodeQueue::set_node_file(std::unique_ptr<NodeFile> file, double memory_bytes) {
  file_ = std::move(file);
  memory_budget_ = memory_bytes;
}

void NodeQueue::spill() {
  while (bounds_.size() > 1 && memory_bytes_ > 0.75 * memory_budget_) {
    const auto [bound, slot] = *std::prev(bounds_.end());
    const int64_t record = file_->put(*slots_[slot]);
    if (record < 0) return;
    filed_.emplace(bound, record);
    take(slot);
  }
}

std::unique_ptr<Node> NodeQueue::take_filed() {
  const int64_t record = filed_.begin()->second;
  filed_.erase(filed_.begin());
  return file_->take(record);
}

std::unique_ptr<Node> NodeQueue::take(int32_t slot) {
  std::unique_ptr<Node> node = std::move(slots_[slot]);
  memory_bytes_ -= slot_bytes_[slot];
  bounds_.erase({node->bound, slot});
  ++version_[slot];
  free_.push_back(slot);
  return node;
}

void NodeQueue::rekey(double incumbent) {
  heap_.clear();
  for (const auto &[bound, slot] : bounds_) heap_.push_back(Entry{key_of(*slots_[slot], incumbent), slot, version_[slot]});
  std::make_heap(heap_.begin(), heap_.end(), std::greater<Entry>());
}

std::unique_ptr<Node> NodeQueue::pop() {
  if (empty() || error()) return nullptr;
  const bool by_estimate = mode_ == kBestEstimate || (mode_ == kBestBound && estimate_keys_);
  const bool bound_turn = by_estimate && bbinterval_ > 0 && selections_ % bbinterval_ == 0;
  ++selections_;
  const bool by_bound = bound_turn || (!by_estimate && mode_ == kBestBound);
  if (!filed_.empty() && (bounds_.empty() || (by_bound && filed_.begin()->first < bounds_.begin()->first)))
    return take_filed();
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
  while (!filed_.empty() && discard(std::prev(filed_.end())->first)) {
    file_->drop(std::prev(filed_.end())->second);
    filed_.erase(std::prev(filed_.end()));
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
