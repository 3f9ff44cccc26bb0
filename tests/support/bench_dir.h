// Where tests find the benchmark instances (gzip-compressed MPS files with a
// manifest.csv per collection, collections "netlib" and "miplib").
//
// Looked up in this order: $TAVLO_BENCH_DIR; the full collections beside
// the checkout (../shared/bench); /work/shared/bench; the small subset
// bundled with the sources under tests/data, so that a bare clone still
// exercises the optimizers on real instances.  Tests skip an instance
// that is in none of them.
#pragma once

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tvltest {

inline bool has_manifest(const std::string &root) {
  return std::ifstream(root + "/netlib/manifest.csv").good();
}

inline std::string bench_dir() {
  if (const char *d = std::getenv("TAVLO_BENCH_DIR")) return d;
  const std::string candidates[] = {TAVLO_SOURCE_DIR "/../shared/bench", "/work/shared/bench",
                                    TAVLO_SOURCE_DIR "/tests/data"};
  for (const std::string &c : candidates) {
    if (has_manifest(c)) return c;
  }
  return candidates[2];
}

// Directory of one collection ("netlib" or "miplib").
inline std::string collection_dir(const std::string &collection) {
  return bench_dir() + "/" + collection;
}

// Path of an instance, e.g. instance_path("netlib", "afiro"); the file may
// not exist when only the bundled subset is at hand.
inline std::string instance_path(const std::string &collection, const std::string &name) {
  return collection_dir(collection) + "/" + name + ".mps.gz";
}

// Published optimal objective of a MIPLIB instance from the collection's
// manifest (column 7); NaN when the instance is not listed.
inline double published_optimum(const std::string &name) {
  std::ifstream in(collection_dir("miplib") + "/manifest.csv");
  std::string line;
  while (std::getline(in, line)) {
    size_t start = 0;
    std::vector<std::string> f;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
      f.push_back(line.substr(start, comma - start));
    f.push_back(line.substr(start));
    if (f.size() > 6 && f[0] == name) return std::stod(f[6]);
  }
  return std::nan("");
}

}  // namespace tvltest
