#include "interrupt_bridge.h"

#include <quit.h>

#include <chrono>

#include "../sigint.h"

namespace gateway {

namespace {

// The bridge of the command in progress (commands do not overlap: Octave
// runs one module call at a time, on its own thread).
InterruptBridge* current = nullptr;

}  // namespace

InterruptBridge::InterruptBridge(bool optimisation) : optimisation_(optimisation) {
  current = this;
  if (optimisation_) watcher_ = std::thread([this] { watch(); });
}

InterruptBridge::~InterruptBridge() {
  current = nullptr;
  if (!watcher_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_one();
  watcher_.join();
}

bool InterruptBridge::takeFirst() {
  if (!optimisation_ || taken_.exchange(true)) return false;
  requestTermination();
  return true;
}

// Polls every 10 ms: short against a person's reaction, negligible work.
// The end of the command wakes the watcher at once, so a short command does
// not wait for the rest of a polling interval.  The record is cleared before
// the caught-signal flag so that Octave's thread, should it look at the same
// moment, finds no interrupt to raise.
void InterruptBridge::watch() {
  std::unique_lock<std::mutex> hold(lock_);
  while (!stop_ && !taken_) {
    if (octave_interrupt_state > 0) {
      if (takeFirst()) {
        octave_interrupt_state = 0;
        octave_signal_caught = 0;
      }
      return;  // a second Ctrl-C belongs to Octave
    }
    wake_.wait_for(hold, std::chrono::milliseconds(10));
  }
}

void InterruptBridge::interrupted() {
  // Octave marks an interrupt being raised with a negative state; it is
  // handled here, so the record goes back to "none pending".
  octave_interrupt_state = 0;
  if (current && !current->takeFirst()) current->pending_ = true;
}

void InterruptBridge::raisePending() {
  if (!pending_) return;
  pending_ = false;
  octave_interrupt_state = -1;
  throw octave::interrupt_exception();
}

}  // namespace gateway
