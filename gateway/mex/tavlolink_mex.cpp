// The exports of the `tavlolink` module: the entry point and the
// interface generation it speaks.
#include <mex.h>

#include "../tavlolink.h"
#include "octave_host.h"

extern "C" {

__attribute__((visibility("default"))) void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  static gateway::OctaveHost host;
  gateway::entry(host, nlhs, reinterpret_cast<gateway::Value**>(plhs), nrhs,
                 reinterpret_cast<const gateway::Value**>(prhs));
}

__attribute__((visibility("default"))) const char* mexVersion() { return gateway::kModuleVersion; }

}
