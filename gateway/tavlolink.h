// The entry point of the `tavlolink` module, independent of the host: the
// module's mexFunction forwards to `entry` with its host realisation.
//
// Protocol: inputs (solver object, command name, argument cell), outputs
// (solver object, result).  Besides the 44 commands of the table there are
// the special commands `constructor` (third input: the problem name; first
// output: the library's version text), `destructor` (first input: the
// handle object), `getParamHierarchy` (first output: the parameter tree),
// and a command text beginning with '~', which calls the host function
// named by the rest of the text with (object, arguments...) and returns
// its one output as the second output.
//
// At most 21 arguments and a command name of at most 255 characters are
// accepted; anything longer is refused with an error.
#pragma once

#include "host.h"

namespace gateway {

inline constexpr const char* kModuleVersion = "MATLAB R14 native";
inline constexpr int kMaxArguments = 21;

void entry(Host& host, int nlhs, Value* plhs[], int nrhs, const Value* prhs[]);

}  // namespace gateway
