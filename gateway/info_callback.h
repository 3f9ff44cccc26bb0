// The information callback of a MIP solve: when the solver object's
// InfoCallback is a structure whose field `func` is a function handle, the
// MIP optimizer calls back into the host before each node.  The host side
// gets an information object (the host function TvlInfo applied to the
// solver object, then `open` applied to that); at each call the gateway
// stores its context address in the object's CbHandle and calls the host
// function `callback` with the object and six numbers: nodes processed,
// simplex iterations, cutoff, best bound, best integer value and relative
// gap.  A nonzero result stops the optimization (aborted status) and
// silences the rest of the command's log.  While `callback` runs, the
// command getCallbackX with that CbHandle gives the incumbent's columns.
#pragma once

#include "host.h"

namespace gateway {

class Tavlo;
struct CallbackRecord;

// Installs the information callback for one MIP solve, when the object
// asks for one, and removes it again when the scope ends: the callback
// function, the parameters it needs (MIPCBREDLP 0, REDUCE 2, PRELINEAR 0,
// the caller's values restored afterwards), and the information object.
class InfoCallbackScope {
 public:
  InfoCallbackScope(Tavlo& t, Value* object);
  ~InfoCallbackScope();
  InfoCallbackScope(const InfoCallbackScope&) = delete;
  InfoCallbackScope& operator=(const InfoCallbackScope&) = delete;
  // 0, or the status of a failed installation (nothing is left installed).
  int status() const { return status_; }

 private:
  Tavlo& t_;
  CallbackRecord* record_ = nullptr;
  int saved_[3] = {};
  int status_ = 0;
};

}  // namespace gateway
