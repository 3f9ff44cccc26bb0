// Ctrl-C inside Octave.  Octave blocks SIGINT in its interpreter thread and
// takes it in a watcher thread of its own, so the module's SIGINT handler
// never runs there; Octave only records the interrupt and raises it (as a
// C++ exception) at its next check, which is either after the module has
// returned or, during an optimisation, inside Octave code the module calls
// back (a display function, an information callback).
//
// For the length of an optimisation command the bridge makes the first
// Ctrl-C stop the optimisation (the gateway's terminate flag), exactly as
// the module's handler would, wherever Octave sees it:
//  - a watcher thread takes it from Octave's record while the library
//    computes;
//  - when Octave raises it inside a call back into Octave, the host layer
//    catches it there (interrupted()) instead of letting it unwind through
//    the library.
// Any later Ctrl-C belongs to Octave: the watcher leaves it in the record,
// and one raised inside a call back is kept and raised again once the
// command has finished (raisePending()).  Commands that do not optimise
// keep no watcher, and an interrupt raised inside their calls back is
// likewise raised again at their end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace gateway {

class InterruptBridge {
 public:
  explicit InterruptBridge(bool optimisation);
  ~InterruptBridge();
  InterruptBridge(const InterruptBridge&) = delete;
  InterruptBridge& operator=(const InterruptBridge&) = delete;

  // Octave raised its interrupt inside a call the module made back into
  // it: the first one of an optimisation stops the optimisation, any other
  // is kept for raisePending().  Called on Octave's thread.
  static void interrupted();
  // Raises a kept interrupt in Octave (throws); call after the command.
  void raisePending();

 private:
  void watch();
  // Takes the first Ctrl-C of an optimisation (once): false when it was
  // taken already or the command does not optimise.
  bool takeFirst();
  const bool optimisation_;
  std::atomic<bool> taken_{false};
  bool pending_ = false;  // Octave's thread only
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;  // guarded by lock_
  std::thread watcher_;
};

}  // namespace gateway
