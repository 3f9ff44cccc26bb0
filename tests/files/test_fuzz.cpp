// Short robustness run of the MPS, SAV, LP, basis and parameter-file
// readers on damaged files
// (the long run is bench/fuzz_readers): every read ends with a status, and
// every failure is reported on the error channel.
#include <gtest/gtest.h>

#include "test_fuzz_core.h"
#include "test_mps_util.h"

TEST(FuzzReaders, DamagedFilesGiveAStatusAndAMessage) {
  filetest::Env e;
  fuzz::Capture err;
  TVLCHANNELptr res, wrn, er, log;
  TVLgetchannels(e.env, &res, &wrn, &er, &log);
  TVLaddfuncdest(e.env, er, &err, fuzz::Capture::fn);
  std::string tmp = TAVLO_BINARY_DIR;
  std::vector<fuzz::Seed> seeds;
  for (const char *inst : {"netlib/afiro", "miplib/p0033"}) {
    std::string path = filetest::bench_dir() + "/" + inst + ".mps.gz";
    if (!filetest::file_exists(path)) continue;
    int st;
    TVLLPptr lp = TVLcreateprob(e.env, &st, "seed");
    ASSERT_EQ(TVLreadcopyprob(e.env, lp, path.c_str(), nullptr), 0);
    fuzz::add_seeds(e.env, lp, inst + 7, tmp, seeds);
    TVLfreeprob(e.env, &lp);
  }
  // A small model with every section, written by hand.
  seeds.push_back({"parts", fuzz::Kind::FreeMps,
                   "NAME p\nOBJSENSE MAX\nROWS\n N o\n L c\n L q\n G i\nCOLUMNS\n M 'MARKER' 'INTORG'\n"
                   " x o 1 c 1\n x q 1 i 1\n M 'MARKER' 'INTEND'\n y o 2 c 1\n b c 1\nRHS\n c 4 q 9\n"
                   " o 3\nRANGES\n c 2\nBOUNDS\n UP B x 4\n BV B b\n SC B y 3\nSOS\n S1 SOS s 1\n x 1\n y 2\n"
                   "QUADOBJ\n x x 1\n x y 2\nQCMATRIX q\n x x 1\n y y 1\nINDICATORS\n IF i b 1\nENDATA\n",
                   {}});
  // An LP file with every section, user cuts and lazy constraints included.
  seeds.push_back({"parts.lp", fuzz::Kind::Lp,
                   "\\Problem name: p\nMaximize\n obj: x + 2 y - 3 + [ x ^2 + 2 x * y ] / 2\nSubject To\n"
                   " c: x + y + b <= 4\n r: y - Rgr = 1\n q: x + [ x ^2 + y ^2 ] <= 9\n i: b = 1 -> x >= 1\n"
                   "User Cuts\n u1: x + y <= 3\nLazy Constraints\n l1: x - y >= -2\nBounds\n -1 <= x <= 4\n"
                   " 0 <= Rgr <= 2\n y Free\nBinaries\n b\nGenerals\n x\nSemi-Continuous\n y\n"
                   "SOS\n s1: S1 :: x : 1 y : 2\nEnd\n",
                   {}});
  fuzz::add_param_seed(e.env, tmp, seeds);
  fuzz::Rng rng(12345);
  std::string path = tmp + "/fuzz_round";
  int rounds = 0, failures = 0;
  for (int r = 0; r < 300; ++r) {
    const fuzz::Seed &seed = seeds[rng.below(seeds.size())];
    const char *what = "";
    std::string data = fuzz::mutate(seed.data, rng, &what);
    fuzz::Outcome o = fuzz::read_one(e.env, err, seed, data, path);
    ++rounds;
    failures += o.status != 0;
    EXPECT_TRUE(o.status >= 0);
    if (o.status != 0) {
      EXPECT_TRUE(o.message) << seed.name << " " << what << " status " << o.status;
    }
  }
  std::remove(path.c_str());
  EXPECT_GT(failures, rounds / 4);  // the mutations do break most files
}
