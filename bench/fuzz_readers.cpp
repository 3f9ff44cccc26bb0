// Long robustness run of the model, basis and parameter-file readers: seeds
// are real bench instances (read compressed, then written as fixed MPS,
// free MPS, SAV, LP and a basis file), the instance files themselves and a
// parameter file; each round damages one
// seed (truncation, flipped bytes, deleted/duplicated/swapped lines, odd
// numbers such as NaN, inf or 1e999999, overlong names, junk bytes) and
// reads it.  Run it in the sanitizer build to catch crashes and leaks.
//
//   fuzz_readers [rounds=5000] [seed=1] [bench-dir] [tmp-dir]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "../tests/files/test_fuzz_core.h"
#include "../tests/support/gunzip.h"
#include "tavlo.h"

using tvltest::gunzip;

int main(int argc, char **argv) {
  long rounds = argc > 1 ? std::atol(argv[1]) : 5000;
  uint64_t seedval = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  std::string bench = argc > 3 ? argv[3] : "../shared/bench";
  std::string tmp = argc > 4 ? argv[4] : "/tmp";
  int st;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return 1;
  fuzz::Capture err;
  TVLCHANNELptr res, wrn, er, log;
  TVLgetchannels(env, &res, &wrn, &er, &log);
  TVLaddfuncdest(env, er, &err, fuzz::Capture::fn);
  std::vector<fuzz::Seed> seeds;
  const char *instances[] = {"netlib/afiro", "netlib/sc50a", "netlib/kb2", "netlib/e226", "netlib/boeing1",
                             "miplib/p0033", "miplib/flugpl", "miplib/egout", "miplib/stein27", "miplib/misc07"};
  for (const char *inst : instances) {
    std::string path = bench + "/" + inst + ".mps.gz";
    std::string text = gunzip(path);
    if (text.empty()) continue;
    seeds.push_back({std::string(inst) + ".orig", fuzz::Kind::Mps, text, {}});
    TVLLPptr lp = TVLcreateprob(env, &st, "seed");
    if (TVLreadcopyprob(env, lp, path.c_str(), nullptr) == 0) fuzz::add_seeds(env, lp, inst + 7, tmp, seeds);
    TVLfreeprob(env, &lp);
  }
  fuzz::add_param_seed(env, tmp, seeds);
  if (seeds.empty()) {
    std::fprintf(stderr, "no seeds found under %s\n", bench.c_str());
    return 1;
  }
  std::vector<std::vector<size_t>> groups;
  for (int k = 0; k < 6; ++k) {
    std::vector<size_t> g;
    for (size_t i = 0; i < seeds.size(); ++i)
      if (static_cast<int>(seeds[i].kind) == k) g.push_back(i);
    if (!g.empty()) groups.push_back(g);
  }
  fuzz::Rng rng(seedval);
  std::string path = tmp + "/fuzz_readers_round";
  std::map<int, long> by_status;
  long by_kind[6] = {0, 0, 0, 0, 0, 0}, failed_kind[6] = {0, 0, 0, 0, 0, 0};
  long silent = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (long r = 0; r < rounds; ++r) {
    // Every reader gets the same share of rounds: a kind first, then one
    // of its seeds.
    const std::vector<size_t> &group = groups[rng.below(groups.size())];
    const fuzz::Seed &seed = seeds[group[rng.below(group.size())]];
    const char *what = "";
    std::string data = fuzz::mutate(seed.data, rng, &what);
    fuzz::Outcome o = fuzz::read_one(env, err, seed, data, path);
    ++by_status[o.status];
    ++by_kind[static_cast<int>(seed.kind)];
    failed_kind[static_cast<int>(seed.kind)] += o.status != 0;
    if (o.status != 0 && !o.message) {
      ++silent;
      std::printf("round %ld: %s (%s) failed with %d and no message\n", r, seed.name.c_str(), what, o.status);
    }
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::remove(path.c_str());
  std::printf("%ld rounds over %zu seeds in %.1f s; statuses:", rounds, seeds.size(), secs);
  for (auto [s, n] : by_status) std::printf(" %d:%ld", s, n);
  static const char *const kKind[6] = {"MPS", "free MPS", "SAV", "LP", "basis", "parameter"};
  std::printf("\nrounds (refused) per reader:");
  for (int k = 0; k < 6; ++k) std::printf(" %s %ld (%ld)", kKind[k], by_kind[k], failed_kind[k]);
  std::printf("\nfailures without a message: %ld\n", silent);
  TVLcloseTAVLO(&env);
  return silent ? 1 : 0;
}
