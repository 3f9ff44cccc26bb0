// Mutation engine for the robustness runs of the model and basis readers
// (used by tests/files/test_fuzz.cpp and bench/fuzz_readers.cpp).  Each
// round takes a seed file, damages it in one of several ways and reads it
// with the matching reader; a round passes when the reader returns a
// status (with a message on the error channel when it is not 0).  Crashes,
// hangs and leaks are left to the sanitizer build to catch.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tavlo.h"

namespace fuzz {

enum class Kind { Mps, FreeMps, Sav, Lp, Basis, Param };

struct Seed {
  std::string name;
  Kind kind;
  std::string data;
  std::string model;  // basis seeds: the fixed MPS text of the model they belong to
};

// Small deterministic generator (xorshift64*).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed ? seed : 0x9e3779b97f4a7c15ull) {}
  uint64_t next() {
    s_ ^= s_ >> 12, s_ ^= s_ << 25, s_ ^= s_ >> 27;
    return s_ * 2685821657736338717ull;
  }
  size_t below(size_t n) { return n ? static_cast<size_t>(next() % n) : 0; }

 private:
  uint64_t s_;
};

inline std::vector<std::string> split_lines(const std::string &s) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < s.size()) {
    size_t q = s.find('\n', p);
    if (q == std::string::npos) q = s.size();
    out.push_back(s.substr(p, q - p));
    p = q + 1;
  }
  return out;
}

inline std::string join_lines(const std::vector<std::string> &l) {
  std::string s;
  for (const auto &x : l) s += x, s += '\n';
  return s;
}

// Replaces one blank-separated word of a random line by `word`.
inline std::string replace_word(const std::string &data, Rng &rng, const std::string &word) {
  std::vector<std::string> l = split_lines(data);
  if (l.empty()) return data;
  std::string &line = l[rng.below(l.size())];
  std::vector<std::pair<size_t, size_t>> words;
  for (size_t p = 0; p < line.size();) {
    while (p < line.size() && line[p] == ' ') ++p;
    size_t q = p;
    while (q < line.size() && line[q] != ' ') ++q;
    if (q > p) words.push_back({p, q - p});
    p = q;
  }
  if (words.empty()) return data;
  auto [at, len] = words[rng.below(words.size())];
  line.replace(at, len, word);
  return join_lines(l);
}

// One damaged copy of the data; `what` names the mutation.
inline std::string mutate(const std::string &data, Rng &rng, const char **what) {
  static const char *const kNumbers[] = {"1e999999", "-1e400", "1e-400", "99999999999999999999999999999",
                                         "NaN", "nan", "inf", "-Infinity", "0x1p3", "1.2.3", "--1", "+", ".",
                                         "1e", "4e+", "2147483648", "-2147483649", "1e20", "-0"};
  std::string s = data;
  switch (rng.below(10)) {
    case 0:
      *what = "truncate";
      s.resize(rng.below(s.size() + 1));
      break;
    case 1: {
      *what = "flip bytes";
      size_t k = 1 + rng.below(8);
      for (size_t i = 0; i < k && !s.empty(); ++i) s[rng.below(s.size())] ^= static_cast<char>(1 + rng.below(255));
      break;
    }
    case 2: {
      *what = "delete line";
      auto l = split_lines(s);
      if (!l.empty()) l.erase(l.begin() + static_cast<long>(rng.below(l.size())));
      s = join_lines(l);
      break;
    }
    case 3: {
      *what = "duplicate line";
      auto l = split_lines(s);
      if (!l.empty()) {
        size_t k = rng.below(l.size());
        l.insert(l.begin() + static_cast<long>(rng.below(l.size())), l[k]);
      }
      s = join_lines(l);
      break;
    }
    case 4: {
      *what = "swap lines";
      auto l = split_lines(s);
      if (l.size() > 1) std::swap(l[rng.below(l.size())], l[rng.below(l.size())]);
      s = join_lines(l);
      break;
    }
    case 5:
      *what = "odd number";
      s = replace_word(s, rng, kNumbers[rng.below(sizeof kNumbers / sizeof kNumbers[0])]);
      break;
    case 6:
      *what = "overlong name";
      s = replace_word(s, rng, std::string(200 + rng.below(9000), static_cast<char>('a' + rng.below(26))));
      break;
    case 7: {
      *what = "insert bytes";
      std::string junk;
      size_t k = 1 + rng.below(16);
      for (size_t i = 0; i < k; ++i) junk += static_cast<char>(rng.below(256));
      s.insert(rng.below(s.size() + 1), junk);
      break;
    }
    case 8: {
      *what = "overwrite block";
      if (!s.empty()) {
        size_t at = rng.below(s.size()), len = 1 + rng.below(64);
        for (size_t i = at; i < at + len && i < s.size(); ++i) s[i] = static_cast<char>(rng.below(256));
      }
      break;
    }
    default:
      *what = "two mutations";
      s = mutate(mutate(s, rng, what), rng, what);
      break;
  }
  return s;
}

struct Capture {
  std::string text;
  static void fn(void *h, const char *m) { static_cast<Capture *>(h)->text += m; }
};

struct Outcome {
  int status = 0;
  bool message = false;  // an error message accompanied a failure
};

// Reads the data with its reader through a file of the given path.
inline Outcome read_one(TVLENVptr env, Capture &err, const Seed &seed, const std::string &data,
                        const std::string &path) {
  static const char *const kType[] = {"MPS", "FMPS", "SAV", "LP", nullptr};
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  int st;
  TVLLPptr lp = TVLcreateprob(env, &st, "fuzz");
  err.text.clear();
  Outcome out;
  if (seed.kind == Kind::Param) {
    // Parameter files are read into a child environment (whose channels
    // deliver where the parent's do) so that damaged values do not change
    // the reading environment's settings.
    TVLENVptr child = TVLparenv(env, &st);
    out.status = TVLreadcopyparam(child, path.c_str());
    TVLfreeparenv(env, &child);
  } else if (seed.kind == Kind::Basis) {
    std::string model = path + ".model.mps";
    f = std::fopen(model.c_str(), "wb");
    if (f) {
      std::fwrite(seed.model.data(), 1, seed.model.size(), f);
      std::fclose(f);
    }
    TVLreadcopyprob(env, lp, model.c_str(), "MPS");
    std::remove(model.c_str());
    err.text.clear();
    out.status = TVLreadcopybase(env, lp, path.c_str());
  } else {
    out.status = TVLreadcopyprob(env, lp, path.c_str(), kType[static_cast<int>(seed.kind)]);
  }
  out.message = !err.text.empty();
  TVLfreeprob(env, &lp);
  return out;
}

inline std::string slurp_file(const std::string &path);

// A parameter file seed: the environment's non-default settings after a
// few changes of each parameter type.
inline void add_param_seed(TVLENVptr env, const std::string &tmp, std::vector<Seed> &out) {
  int st;
  TVLENVptr child = TVLparenv(env, &st);
  TVLsetintparam(child, TVL_PARAM_SCRIND, 0);
  TVLsetintparam(child, TVL_PARAM_ITLIM, 12345);
  TVLsetdblparam(child, TVL_PARAM_EPOPT, 1e-7);
  TVLsetdblparam(child, TVL_PARAM_TILIM, 99.5);
  TVLsetintparam(child, TVL_PARAM_LPMETHOD, 2);
  std::string path = tmp + "/fuzz_param.prm";
  if (TVLwriteparam(child, path.c_str()) == 0) out.push_back({"param.prm", Kind::Param, slurp_file(path), {}});
  std::remove(path.c_str());
  TVLfreeparenv(env, &child);
}

inline std::string slurp_file(const std::string &path) {
  std::string s;
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return s;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

// Seeds from a problem: fixed and free MPS, SAV, LP, and a basis file (rows
// basic except the first, whose place the first column takes).
inline void add_seeds(TVLENVptr env, TVLLPptr lp, const std::string &name, const std::string &tmp,
                      std::vector<Seed> &out) {
  const char *types[4] = {"MPS", "FMPS", "SAV", "LP"};
  const Kind kinds[4] = {Kind::Mps, Kind::FreeMps, Kind::Sav, Kind::Lp};
  std::string mps;
  for (int k = 0; k < 4; ++k) {
    std::string path = tmp + "/" + name + ".seed";
    if (TVLwriteprob(env, lp, path.c_str(), types[k]) != 0) continue;
    out.push_back({name + "." + types[k], kinds[k], slurp_file(path), {}});
    if (k == 0) mps = out.back().data;
    std::remove(path.c_str());
  }
  int n = TVLgetnumcols(env, lp), m = TVLgetnumrows(env, lp);
  if (n == 0 || m == 0) return;
  std::vector<int> cstat(n, TVL_AT_LOWER), rstat(m, TVL_BASIC);
  cstat[0] = TVL_BASIC, rstat[0] = TVL_AT_LOWER;
  if (n > 1) cstat[n - 1] = TVL_AT_UPPER;
  std::string path = tmp + "/" + name + ".bas";
  if (TVLcopybase(env, lp, cstat.data(), rstat.data()) == 0 && TVLmbasewrite(env, lp, path.c_str()) == 0)
    out.push_back({name + ".bas", Kind::Basis, slurp_file(path), mps});
  std::remove(path.c_str());
}

}  // namespace fuzz
