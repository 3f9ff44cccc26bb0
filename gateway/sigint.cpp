#include "sigint.h"

#include <signal.h>

#include <cstring>

#include "gateway_object.h"

namespace gateway {

namespace {

Tavlo* tavlohandle = nullptr;
struct sigaction act;   // the gateway's action
struct sigaction oact;  // the action in force before it

// Only async-signal-safe work: one store and one sigaction.
extern "C" void signalHandler(int) {
  sigaction(SIGINT, &oact, &act);
  requestTermination();
}

}  // namespace

Tavlo* signalTarget() { return tavlohandle; }

void requestTermination() {
  if (tavlohandle) tavlohandle->terminate = 1;
}

bool isOptimisationCommand(std::string_view c) {
  return c == "solve" || c == "populate" || c == "feasOpt" || c == "refineMipStartConflict" ||
         c == "refineConflict" || c == "tuneParam";
}
void setSignalTarget(Tavlo* t) { tavlohandle = t; }

SigintScope::SigintScope(bool wanted) : active_(wanted) {
  if (!active_) return;
  std::memset(&act, 0, sizeof act);
  act.sa_handler = signalHandler;
  sigemptyset(&act.sa_mask);
  act.sa_flags = 0;
  sigaction(SIGINT, &act, &oact);
}

SigintScope::~SigintScope() {
  if (!active_) return;
  struct sigaction now;
  if (sigaction(SIGINT, nullptr, &now) == 0 && now.sa_handler == signalHandler) sigaction(SIGINT, &oact, nullptr);
}

}  // namespace gateway
