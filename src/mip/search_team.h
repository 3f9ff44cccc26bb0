// The workers of a parallel branch-and-bound search.
//
// The coordinating Search (the one TVLmipopt runs) solves the root alone
// and then, with two or more threads, builds a team: one worker Search per
// thread, each with its own copy of the node LP (rows and cuts of the
// root included), propagator, heuristics and child environment (workers
// after the first; the first runs on the coordinator's thread and
// environment).  Workers hold no shared state: the coordinator copies the
// incumbent and pseudo costs into each before a round and merges what
// each produced after it, in worker order (mip/mipbb.h explains the
// rounds).
#pragma once

#include <exception>
#include <memory>
#include <vector>

#include "mip/mipbb.h"
#include "runtime/round_pool.h"

namespace tvl::mip {

// Most search threads a run uses (the child environments of one
// environment are limited to 16).
inline constexpr int kMaxSearchThreads = 16;

struct Search::Team {
  explicit Team(tvlenv *parent) : parent(parent) {}
  ~Team();
  // Smallest bound of the nodes the workers hold (1e75 when none).
  double held_bound() const;
  // Round body of worker k (on its own thread): processes its node.
  void run_worker(int k);

  tvlenv *parent;
  std::vector<tvlenv *> envs;  // child environment of worker k >= 1 (null for 0)
  std::vector<std::unique_ptr<MipRecord>> records;
  std::vector<std::unique_ptr<Search>> workers;
  std::vector<char> active;    // worker k has a node this round
  std::vector<std::exception_ptr> failures;  // what a worker's round threw
  std::unique_ptr<RoundPool> pool;
};

}  // namespace tvl::mip
