// Parameter settings of the tuner: whole sets of parameter values that a
// tuning run installs in the environment, the caller's fixed parameters,
// and the base set every candidate starts from.
//
// The base set is every parameter at its default, except
//   - the settings that belong to the caller rather than to the search:
//     the tuning parameters themselves (TVL_PARAM_TUNING*), the screen
//     switch TVL_PARAM_SCRIND, and the per-run limits TVL_PARAM_TILIM and
//     the deterministic time limit, which keep the values the environment
//     has when tuning starts;
//   - the caller's fixed parameters, which override both.
// A candidate is the base set with some non-fixed parameters changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/param.h"
#include "tavlo.h"

namespace tvl::tuning {

struct BlocksFree {
  void operator()(ParamBlocks *b) const { params_free(b); }
};

// A complete set of parameter values (a copy of an environment's blocks).
class ParamSet {
 public:
  ParamSet() = default;
  // A copy of the environment's current values; empty when out of memory.
  static ParamSet of(const tvlenv *env);
  ParamSet copy() const;
  bool empty() const { return !blocks_; }

  int get_int(int num) const;
  double get_dbl(int num) const;
  void set_int(int num, int value);
  void set_dbl(int num, double value);
  void set_str(int num, const char *value);
  // Every value at its default.
  void reset();
  // Copies the value of parameter `num` from `other`.
  void take(const ParamSet &other, int num);
  // Installs the values in the environment without side effects (the
  // screen switch is one of the kept parameters, so its channels already
  // match); hidden parameter 1124 is propagated.
  void install(tvlenv *env) const;

 private:
  std::unique_ptr<ParamBlocks, BlocksFree> blocks_;
};

// The caller's fixed parameters, in three groups of numbers and values.
struct FixedParams {
  std::vector<int> intnum, intval;
  std::vector<int> dblnum;
  std::vector<double> dblval;
  std::vector<int> strnum;
  std::vector<std::string> strval;

  bool fixes(int num) const;
  void apply(ParamSet &set) const;
};

// Reads and checks the three groups: a negative count gives 1003, a
// missing array with a positive count 1004, a number that is not a
// parameter of the group's kind 1013, a value outside the range the
// status TVLset*param gives.  0 when all are acceptable.
int read_fixed(const tvlenv *env, int intcnt, const int *intnum, const int *intval, int dblcnt,
               const int *dblnum, const double *dblval, int strcnt, const int *strnum, char **strval,
               FixedParams &out);

// The base set for tuning in `env` (see the file comment).
ParamSet base_settings(const tvlenv *env, const FixedParams &fixed);

}  // namespace tvl::tuning
