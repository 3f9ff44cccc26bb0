// Decompressed content of a gzip file through the gzip program (empty when
// it cannot be read); the tests and the fuzz harness mutate instance texts.
#pragma once

#include <cstdio>
#include <string>

namespace tvltest {

inline std::string gunzip(const std::string &path) {
  std::string cmd = "gzip -cd '" + path + "' 2>/dev/null";
  FILE *p = popen(cmd.c_str(), "r");
  std::string s;
  if (!p) return s;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) s.append(buf, n);
  pclose(p);
  return s;
}

}  // namespace tvltest
