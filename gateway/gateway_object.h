// The gateway object: one per solver object of the host, created by the
// `constructor` command and deleted by `destructor`.  It owns one library
// environment and one problem for its whole life, the dirty flags that
// tell which parts of the host's Model must be pushed into the problem at
// the next update, and the routing of the library's message channels to
// the host's display function.
#pragma once

#include <pthread.h>

#include <mutex>
#include <string>
#include <vector>

#include "access.h"
#include "host.h"
#include "tavlo.h"

namespace gateway {

enum class DirtyPart { kModel, kObj, kRhs, kBds, kName, kObjName, kRowName, kColName, kSOSName, kQCName, kStart };

// Parts of the Model changed on the host side since the last update.
struct DirtyFlags {
  void mark(DirtyPart part);

  bool model : 1 = false;
  bool obj : 1 = false;
  bool rhs : 1 = false;
  bool bds : 1 = false;
  bool name : 1 = false;
  bool objName : 1 = false;
  bool rowName : 1 = false;
  bool colName : 1 = false;
  bool sosName : 1 = false;
  bool qcName : 1 = false;
  bool start : 1 = false;
};

// Lines that reached a channel on a thread other than the host's, kept in
// arrival order until the host thread can deliver them.  The lock is held
// only while a line is appended or the whole queue is taken over.
class PendingLines {
 public:
  void add(const char* line);
  std::vector<std::string> take();
  void clear() { take(); }

 private:
  std::mutex lock_;
  std::vector<std::string> lines_;
};

class Tavlo {
 public:
  explicit Tavlo(Host& host);
  // Frees the problem and closes the environment.
  ~Tavlo();
  // Whether `address` is a gateway object that exists now.  An address read
  // from a host value may be stale (a solver object saved and loaded in
  // another session, a handle edited by hand): it is used only when live.
  static bool isLive(const void* address);
  Tavlo(const Tavlo&) = delete;
  Tavlo& operator=(const Tavlo&) = delete;

  // Opens the environment and creates the problem `name`; whatever the
  // environment prints on standard error while opening is captured and its
  // first line shown on the host console.
  int init(const char* name);
  // Replaces the problem by an empty one named `name` (full model rebuild).
  int clear(const char* name);
  // The library's version text, or null (status 1).
  Value* version(int* status);
  // Screen output on; every destination of the four standard channels
  // replaced by this object's message functions.
  int setupMessages();
  // Takes standard output off the channels again after a parameter change
  // that may have put it there (the screen indicator set by a parameter
  // file, a reset to defaults, or a direct change): all output goes to the
  // host's display function only.
  void keepOffScreen();
  // Clears the terminate flag and hands its address to the library, so that
  // Ctrl-C and the terminate command reach the run that follows (and a flag
  // left at 1 by an earlier Ctrl-C does not stop it at once).
  int armTerminate();

  // Per-command context, set by the dispatcher before a table command runs
  // and dropped after it.  Commands may nest: the inner one keeps the
  // outer one's context.
  void beginCommand(Value* object, Held displayFunc);
  void endCommand();
  // Whether a command runs and the caller is on the thread that entered it
  // (the only thread that may call the host).
  bool onHostThread() const;
  // Nothing more of this command's output reaches the display function.
  void silence() { displayFunc_.reset(); }

  // Channel destinations (the handle is the Tavlo object).
  static void errMsgFunc(void* handle, const char* text);
  static void outMsgFunc(void* handle, const char* text);

  Host& host() const { return host_; }
  // The last line the library wrote on the error channel ("" when none).
  const char* lastError() const { return lastError_ ? lastError_ : ""; }
  Value* object() const { return object_; }

  TVLENVptr env = nullptr;
  TVLLPptr lp = nullptr;
  volatile int terminate = 0;
  DirtyFlags dirty;

 private:
  void deliver(const char* line);

  Host& host_;
  const char* lastError_ = nullptr;
  char errorText_[256] = {};
  PendingLines pending_;
  Held displayFunc_;              // the solver object's DisplayFunc
  Value* object_ = nullptr;       // the solver object of the current command
  pthread_t threadId_{};
  int depth_ = 0;                 // commands running (nested ones included)
};

}  // namespace gateway
