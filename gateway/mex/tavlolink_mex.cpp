// The exports of the `tavlolink` module: the entry point and the
// interface generation it speaks.
#include <mex.h>

#include "../sigint.h"
#include "../tavlolink.h"
#include "interrupt_bridge.h"
#include "octave_host.h"

namespace {

bool isOptimisation(int nrhs, const mxArray* prhs[]) {
  char command[256];
  return nrhs >= 2 && mxIsChar(prhs[1]) && mxGetString(prhs[1], command, sizeof command) == 0 &&
         gateway::isOptimisationCommand(command);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static gateway::OctaveHost host;
  gateway::InterruptBridge bridge(isOptimisation(nrhs, prhs));
  gateway::entry(host, nlhs, reinterpret_cast<gateway::Value**>(plhs), nrhs,
                 reinterpret_cast<const gateway::Value**>(prhs));
  bridge.raisePending();
}

__attribute__((visibility("default"))) const char* mexVersion() { return gateway::kModuleVersion; }

}
