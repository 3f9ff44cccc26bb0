// Message buffering for worker threads.
//
// A worker running in a child environment must not write to the caller's
// destinations while other threads do, or lines of several workers would
// interleave.  WorkerLog takes over the child's four standard channels:
// every message sent on them is kept, tagged with its channel, in arrival
// order.  forward() later replays the kept messages on the matching
// channels of another environment, each message as one unit.
#pragma once

#include <string>
#include <vector>

#include "tavlo.h"

namespace tvl::lp {

class WorkerLog {
 public:
  WorkerLog() = default;
  WorkerLog(const WorkerLog &) = delete;
  WorkerLog &operator=(const WorkerLog &) = delete;

  // Replaces the destinations of the child's standard channels by this
  // buffer.  Returns 0 or a status (1001).
  int attach(TVLENVptr child);
  // Sends the kept messages to the same channels of `env`, in order.
  void forward(TVLENVptr env) const;
  // Number of messages kept so far.
  size_t size() const { return entries_.size(); }

 private:
  enum Channel { kError, kWarning, kResults, kLog, kChannels };
  struct Entry {
    Channel channel;
    std::string text;
  };
  struct Tap {
    WorkerLog *owner;
    Channel channel;
  };
  static void receive(void *handle, const char *msg);

  Tap taps_[kChannels] = {{this, kError}, {this, kWarning}, {this, kResults}, {this, kLog}};
  std::vector<Entry> entries_;
};

}  // namespace tvl::lp
