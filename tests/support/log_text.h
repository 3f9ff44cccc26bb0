// Log text without its clock readings ("Elapsed time = ...", "Presolve
// time = ...", a closing "(0.01 sec.)"), which differ between otherwise identical runs; what is left
// must repeat exactly.
#pragma once

#include <sstream>
#include <string>

namespace tvltest {

inline std::string untimed(const std::string &log) {
  std::istringstream in(log);
  std::string line, out;
  while (std::getline(in, line)) {
    if (line.find(" time = ") != std::string::npos) continue;
    // A trailing "(0.01 sec.)" is a time too.
    const size_t open = line.rfind(" (");
    if (open != std::string::npos && line.size() >= 6 && line.compare(line.size() - 6, 6, " sec.)") == 0)
      line.erase(open);
    out += line + "\n";
  }
  return out;
}

}  // namespace tvltest
