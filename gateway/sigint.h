// Ctrl-C during an optimisation.  For the length of an optimisation
// command the gateway owns SIGINT: the first signal sets the terminate flag
// of the signal target (the most recently constructed gateway object),
// which the library's limit check reads, and gives SIGINT back to the
// action that was in force before, so that a second Ctrl-C reaches the
// host's own handler.  At the end of the command the previous action is
// restored if no signal came.
#pragma once

#include <string_view>

namespace gateway {

class Tavlo;

Tavlo* signalTarget();
void setSignalTarget(Tavlo* t);
// What a first Ctrl-C does to the running optimisation: sets the terminate
// flag of the signal target.  Async-signal-safe.
void requestTermination();
// The commands during which Ctrl-C stops the optimisation: solve,
// populate, feasOpt, refineConflict, refineMipStartConflict, tuneParam.
bool isOptimisationCommand(std::string_view command);

class SigintScope {
 public:
  // Installs the gateway's handler when `wanted`.
  explicit SigintScope(bool wanted);
  ~SigintScope();
  SigintScope(const SigintScope&) = delete;
  SigintScope& operator=(const SigintScope&) = delete;

 private:
  bool active_;
};

}  // namespace gateway
