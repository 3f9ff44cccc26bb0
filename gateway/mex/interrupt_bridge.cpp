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
  stop_ = true;
  watcher_.join();
}

// Polls every 10 ms: short against a person's reaction, negligible work.
void InterruptBridge::watch() {
  while (!stop_) {
    if (octave_interrupt_state > 0) {
      octave_interrupt_state = 0;
      octave_signal_caught = 0;
      requestTermination();
      return;  // a second Ctrl-C belongs to Octave
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace gateway
