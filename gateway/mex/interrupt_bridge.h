// Ctrl-C inside Octave.  Octave blocks SIGINT in its interpreter thread and
// takes it in a watcher thread of its own, so the module's SIGINT handler
// never runs there; Octave only records the interrupt and raises it when
// the module returns.  For the length of an optimisation command the
// bridge watches that record: the first Ctrl-C is taken from Octave and
// stops the optimisation (the gateway's terminate flag), exactly as the
// module's handler would; a second one is left to Octave, which raises its
// interrupt once the command has returned.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace gateway {

class InterruptBridge {
 public:
  explicit InterruptBridge(bool active);
  ~InterruptBridge();
  InterruptBridge(const InterruptBridge&) = delete;
  InterruptBridge& operator=(const InterruptBridge&) = delete;

 private:
  void watch();
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;  // guarded by lock_
  std::thread watcher_;
};

}  // namespace gateway
