#include "interrupt_bridge.h"

#include <quit.h>

#include <chrono>

#include "../sigint.h"

namespace gateway {

InterruptBridge::InterruptBridge(bool active) {
  if (active) watcher_ = std::thread([this] { watch(); });
}

InterruptBridge::~InterruptBridge() {
  if (!watcher_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_one();
  watcher_.join();
}

// Polls every 10 ms: short against a person's reaction, negligible work.
// The end of the command wakes the watcher at once, so a short command does
// not wait for the rest of a polling interval.
void InterruptBridge::watch() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!stop_) {
    if (octave_interrupt_state > 0) {
      octave_interrupt_state = 0;
      octave_signal_caught = 0;
      requestTermination();
      return;  // a second Ctrl-C belongs to Octave
    }
    wake_.wait_for(hold, std::chrono::milliseconds(10));
  }
}

}  // namespace gateway
