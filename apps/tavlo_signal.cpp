// tavlo: Ctrl-C.  The first SIGINT sets the integer that the environment's
// termination request points to; the optimizer sees it at its next limit
// check and stops with the "aborted" status, so the run still prints its
// summary and writes its files.  The handler is installed with
// SA_RESETHAND: a second SIGINT finds the default action and ends the
// process at once.
#include <signal.h>
#include <unistd.h>

#include "tavlo_cli.h"

namespace tavlo_cli {

namespace {

// Read by the library's limit check on the solving thread; written only
// here and by the handler.
volatile int g_terminate = 0;

void on_interrupt(int) {
  g_terminate = 1;
  static const char kNote[] = "\ntavlo: interrupted, stopping (Ctrl-C again quits at once)\n";
  // write() is safe in a signal handler; its result is of no use here.
  ssize_t ignored = write(STDERR_FILENO, kNote, sizeof kNote - 1);
  (void)ignored;
}

}  // namespace

void catch_interrupt(TVLENVptr env) {
  TVLsetterminate(env, &g_terminate);
  struct sigaction sa = {};
  sa.sa_handler = on_interrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
}

bool interrupted() { return g_terminate != 0; }

}  // namespace tavlo_cli
