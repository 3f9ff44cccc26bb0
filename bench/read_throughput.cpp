// MPS read throughput on the largest bench instances: each is decompressed
// once to a plain file, then read by TVLreadcopyprob and by the peer
// `glpsol --mps FILE --check` (GLPK, when installed); best of three runs
// each.  Prints MB/s of uncompressed MPS and the peer's time over ours.
//
//   read_throughput [bench-dir] [tmp-dir]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "tavlo.h"

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long file_size(const std::string &p) {
  FILE *f = std::fopen(p.c_str(), "rb");
  if (!f) return -1;
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return n;
}

}  // namespace

int main(int argc, char **argv) {
  std::string bench = argc > 1 ? argv[1] : "../shared/bench";
  std::string tmp = argc > 2 ? argv[2] : "/tmp";
  const char *instances[] = {"miplib/nw04", "netlib/fit2p", "netlib/pilot87", "netlib/dfl001",
                             "miplib/air03", "miplib/mod011", "miplib/mitre", "netlib/80bau3b"};
  bool peer = std::system("glpsol --version > /dev/null 2>&1") == 0;
  int st;
  TVLENVptr env = TVLopenTAVLO(&st);
  if (!env) return 1;
  std::printf("%-10s %9s %9s %9s %9s %9s %7s\n", "instance", "MB", "ours cpu", "ours s", "MB/s", "glpsol s", "ratio");
  double mb_total = 0, ours_total = 0, peer_total = 0;
  for (const char *inst : instances) {
    std::string gz = bench + "/" + inst + ".mps.gz";
    std::string plain = tmp + "/throughput_" + std::string(inst + 7) + ".mps";
    if (std::system(("gzip -cd '" + gz + "' > '" + plain + "' 2>/dev/null").c_str()) != 0) continue;
    double mb = file_size(plain) / 1e6;
    double ours = 1e30, theirs = 1e30, cpu = 1e30;
    bool free_peer = false;
    for (int r = 0; r < 3; ++r) {
      TVLLPptr lp = TVLcreateprob(env, &st, "t");
      double t0 = now();
      std::clock_t c0 = std::clock();
      st = TVLreadcopyprob(env, lp, plain.c_str(), "MPS");
      cpu = std::min(cpu, static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
      ours = std::min(ours, now() - t0);
      TVLfreeprob(env, &lp);
      if (st) break;
      if (peer) {
        t0 = now();
        // The peer refuses tabs in fixed files (even in comments): its free reader then.
        int rc = std::system(("glpsol --" + std::string(free_peer ? "freemps" : "mps") + " '" + plain +
                              "' --check > /dev/null 2>&1").c_str());
        if (rc != 0 && !free_peer) {
          free_peer = true;
          t0 = now();
          rc = std::system(("glpsol --freemps '" + plain + "' --check > /dev/null 2>&1").c_str());
        }
        if (rc == 0) theirs = std::min(theirs, now() - t0);
      }
    }
    std::remove(plain.c_str());
    if (st) {
      std::printf("%-10s read failed (%d)\n", inst + 7, st);
      continue;
    }
    mb_total += mb, ours_total += ours;
    if (theirs < 1e30) {
      peer_total += theirs;
      std::printf("%-10s %9.2f %9.3f %9.3f %9.1f %9.3f %7.2f\n", inst + 7, mb, cpu, ours, mb / ours, theirs,
                  theirs / ours);
    } else {
      std::printf("%-10s %9.2f %9.3f %9.3f %9.1f %9s %7s\n", inst + 7, mb, cpu, ours, mb / ours, "-", "-");
    }
  }
  std::printf("total      %9.2f %9s %9.3f %9.1f", mb_total, "", ours_total, ours_total > 0 ? mb_total / ours_total : 0.0);
  if (peer && peer_total > 0)
    std::printf(" %9.3f %7.2f\n", peer_total, peer_total / ours_total);
  else
    std::printf("  (glpsol not installed: apt-get install glpk-utils)\n");
  TVLcloseTAVLO(&env);
  return 0;
}
