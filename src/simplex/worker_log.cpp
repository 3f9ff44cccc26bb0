// Message buffering for worker threads.
#include "simplex/worker_log.h"

#include <new>

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
    std::lock_guard<std::mutex> lock(tap->owner->mutex_);
    tap->owner->entries_.push_back(Entry{tap->channel, msg});
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

size_t WorkerLog::forward(TVLENVptr env) {
  std::vector<Entry> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(entries_);
  }
  TVLCHANNELptr chan[kChannels] = {};
  standard_channels(env, chan);
  for (const Entry &e : taken) TVLmsgstr(chan[e.channel], e.text.c_str());
  return taken.size();
}

}  // namespace tvl::lp
