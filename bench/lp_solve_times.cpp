// Seconds per cold solve of LP files with the library called directly:
//   lp_solve_times REPEATS FILE...
// Each repetition reads the file into a fresh problem (not timed) and times
// TVLlpopt alone.  Prints one line per file: its name, the shortest time of
// a solve in seconds (the least disturbed by other load on the machine) and
// the objective.  bench/octave_overhead.m compares these times
// with solves of the same models from Octave.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tavlo.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s REPEATS FILE...\n", argv[0]);
    return 2;
  }
  const int repeats = std::atoi(argv[1]);
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  if (!env) return 1;
  for (int f = 2; f < argc; ++f) {
    double seconds = 1e300, objval = 0;
    for (int r = 0; r < repeats; ++r) {
      TVLLPptr lp = TVLcreateprob(env, &status, "bench");
      if (!lp || TVLreadcopyprob(env, lp, argv[f], nullptr) != 0) return 1;
      const auto start = std::chrono::steady_clock::now();
      status = TVLlpopt(env, lp);
      seconds = std::min(seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      if (status != 0 || TVLgetobjval(env, lp, &objval) != 0) return 1;
      TVLfreeprob(env, &lp);
    }
    std::string name = argv[f];
    name = name.substr(name.find_last_of('/') + 1);
    std::printf("%s %.9f %.12g\n", name.substr(0, name.find('.')).c_str(), seconds, objval);
  }
  TVLcloseTAVLO(&env);
  return 0;
}
