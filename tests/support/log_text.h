// Log text without its clock readings ("Elapsed time = ...", "Presolve
// time = ..."), which differ between otherwise identical runs; what is left
// must repeat exactly.
#pragma once

#include <sstream>
#include <string>

namespace tvltest {

inline std::string untimed(const std::string &log) {
  std::istringstream in(log);
  std::string line, out;
  while (std::getline(in, line))
    if (line.find(" time = ") == std::string::npos) out += line + "\n";
  return out;
}

}  // namespace tvltest
