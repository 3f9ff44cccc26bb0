// Message buffering for worker threads.
//
// A worker running in a child environment must not write to the caller's
// destinations while other threads do, or lines of several workers would
// interleave.  WorkerLog takes over the child's four standard channels:
// every message sent on them is kept, tagged with its channel, in arrival
// order, with the deterministic work the worker had done when it was sent
// (its stamp).  forward() replays the kept messages on the matching
// channels of another environment, each message as one unit, and drops
// them; called on the caller's thread while the worker runs, it streams
// the worker's log with a delay of one call interval.  A work limit holds
// back the messages stamped later, so that what is shown can be made not
// to depend on thread timing.
#pragma once

#include <atomic>
#include <cstdint>
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
  // Called on the worker's thread when its run starts: stamps count the
  // work from here (messages before it are stamped 0).
  void start_stamps();
  // Sends the messages kept so far with a stamp of at most `limit` to the
  // same channels of `env`, in order, and drops them.  Safe while the
  // worker still adds messages.  Returns the number of messages sent.
  size_t forward(TVLENVptr env, uint64_t limit = UINT64_MAX);

 private:
  enum Channel { kError, kWarning, kResults, kLog, kChannels };
  struct Entry {
    Channel channel;
    uint64_t stamp;
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
  std::atomic<bool> stamping_{false};
  uint64_t origin_ = 0;  // the worker thread's work counter at start_stamps()
};

}  // namespace tvl::lp
