// Message buffering for worker threads.
#include "simplex/worker_log.h"

#include <iterator>
#include <new>

#include "runtime/workcount.h"

namespace tvl::lp {

namespace {

// The four standard channels of an environment, in the order of
// WorkerLog::Channel.
void standard_channels(TVLENVptr env, TVLCHANNELptr out[4]) {
  TVLgetchannels(env, &out[2], &out[1], &out[0], &out[3]);
}

}  // namespace

void WorkerLog::receive(void *handle, const char *msg) {
  auto *tap = static_cast<Tap *>(handle);
  try {
    WorkerLog &log = *tap->owner;
    const uint64_t stamp = log.stamping_.load() ? thread_work() - log.origin_ : 0;
    std::lock_guard<std::mutex> lock(log.mutex_);
    log.entries_.push_back(Entry{tap->channel, stamp, msg});
  } catch (const std::bad_alloc &) {
    // A message that cannot be kept is lost; the run itself goes on.
  }
}

int WorkerLog::attach(TVLENVptr child) {
  TVLCHANNELptr chan[kChannels] = {};
  standard_channels(child, chan);
  for (int c = 0; c < kChannels; ++c) {
    TVLdisconnectchannel(child, chan[c]);
    if (int st = TVLaddfuncdest(child, chan[c], &taps_[c], receive)) return st;
  }
  return 0;
}

void WorkerLog::start_stamps() {
  origin_ = thread_work();
  stamping_.store(true);
}

size_t WorkerLog::forward(TVLENVptr env, uint64_t limit) {
  std::vector<Entry> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Stamps grow along the list: the messages sent form a prefix.
    size_t count = 0;
    while (count < entries_.size() && entries_[count].stamp <= limit) ++count;
    if (count == entries_.size()) {
      taken.swap(entries_);
    } else {
      taken.assign(std::make_move_iterator(entries_.begin()),
                   std::make_move_iterator(entries_.begin() + static_cast<std::ptrdiff_t>(count)));
      entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(count));
    }
  }
  TVLCHANNELptr chan[kChannels] = {};
  standard_channels(env, chan);
  for (const Entry &e : taken) TVLmsgstr(chan[e.channel], e.text.c_str());
  return taken.size();
}

}  // namespace tvl::lp
