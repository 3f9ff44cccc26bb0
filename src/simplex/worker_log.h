// Message buffering for worker threads.
//
// A worker running in a child environment must not write to the caller's
// destinations while other threads do, or lines of several workers would
// interleave.  WorkerLog takes over the child's four standard channels:
// every message sent on them is kept, tagged with its channel, in arrival
// order.  forward() replays the kept messages on the matching channels of
// another environment, each message as one unit, and drops them; called
// on the caller's thread while the worker runs, it streams the worker's
// log with a delay of one call interval.
#pragma once

#include <mutex>
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
  // Sends the messages kept so far to the same channels of `env`, in
  // order, and drops them.  Safe while the worker still adds messages.
  // Returns the number of messages sent.
  size_t forward(TVLENVptr env);

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
  std::mutex mutex_;  // guards entries_ (worker adds, caller takes)
  std::vector<Entry> entries_;
};

}  // namespace tvl::lp
