// Parameter registry and the environment's parameter values.
//
// The registry is one dense record per number in five ranges, built at
// compile time from params.def.  Every environment owns a ParamBlocks with
// one value per record; a child environment copies its parent's blocks.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl {

struct ParamBlocks;

enum ParamKind : int32_t { kParamNone = 0, kParamInt = 1, kParamDbl = 2, kParamStr = 3 };

// Longest string value (the storage holds one more byte for the NUL).
inline constexpr int kParamStrMax = 511;

// Integer limits that depend on the number of online processors.
inline constexpr int32_t kLimitT = INT32_MIN + 1;        // T
inline constexpr int32_t kLimitTMinus1 = INT32_MIN + 2;  // T - 1

struct ParamRecord {
  int32_t kind;      // ParamKind
  const char *name;  // "" for hidden parameters
  int32_t number;
  int32_t idef, imin, imax;  // kind 1 (imax may be kLimitT / kLimitTMinus1)
  double ddef, dmin, dmax;   // kind 2 (dmin == dmax: no range check)
  const char *sdef;          // kind 3
  int32_t hidden;
  int32_t strslot;  // index of the string storage for kind 3, else -1
};

// Numbers of the hidden parameters the library reads, named after the
// internal name params.def gives them (kParamPrecision for Precision).
/* BEGIN GENERATED HIDDEN PARAMETERS */
inline constexpr int kParamRestartBasis = 1041;
inline constexpr int kParamPresolveReport = 1043;
inline constexpr int kParamRowReserve = 1046;
inline constexpr int kParamColReserve = 1047;
inline constexpr int kParamNzReserve = 1048;
inline constexpr int kParamNamesOnly = 1053;
inline constexpr int kParamCompression = 1066;
inline constexpr int kParamEcho = 1075;
inline constexpr int kParamPrecision = 1093;
inline constexpr int kParamTwinField = 1124;
inline constexpr int kParamDetTimeLimit = 1127;
/* END GENERATED HIDDEN PARAMETERS */

// The five ranges in registration order; slots are numbered densely across them.
struct ParamRange {
  int32_t lo, hi, base;
};
inline constexpr ParamRange kParamRanges[5] = {
    {1001, 1127, 0}, {2000, 2139, 127}, {3001, 3034, 267}, {5001, 5005, 301}, {4001, 4010, 306}};
inline constexpr int kParamSlots = 316;

// Registry position of a number, or -1 outside the five ranges.
constexpr int param_slot(int num) {
  for (const ParamRange &r : kParamRanges)
    if (num >= r.lo && num <= r.hi) return r.base + (num - r.lo);
  return -1;
}

// Record at a registry position (0 <= pos < kParamSlots).
const ParamRecord &param_record_at(int pos);
// Record of a number, or nullptr outside the ranges (kind 0 records exist).
const ParamRecord *param_find(int num);
// Number of a public parameter by name (case-sensitive), or -1.
int param_lookup_name(const char *name);

// Creates value blocks holding every parameter at its default.
ParamBlocks *params_create();
ParamBlocks *params_clone(const ParamBlocks *src);
void params_free(ParamBlocks *&blocks);

// Fast typed reads used throughout the library (no checks beyond an assert).
int32_t param_int(const tvlenv *env, int num);
double param_dbl(const tvlenv *env, int num);
const char *param_str(const tvlenv *env, int num);

// Resolved integer maximum of a record for these blocks (T substituted).
int32_t param_imax(const ParamBlocks *b, const ParamRecord &r);

// Raw slot access (no checks, no side effects) for the parameter modules.
int32_t &param_int_ref(ParamBlocks *b, int slot);
double &param_dbl_ref(ParamBlocks *b, int slot);
char *param_str_ref(ParamBlocks *b, int strslot);
const char *param_str_ref(const ParamBlocks *b, int strslot);
void param_blocks_copy(ParamBlocks *dst, const ParamBlocks *src);
void param_blocks_reset(ParamBlocks *b);
// True when the current value of the record differs from its default
// (doubles also when either is not a number).
bool param_changed(const ParamBlocks *b, const ParamRecord &r);

// Sets an integer parameter for the object's lifetime (no checks, no side
// effects) and puts the previous value back.
class ScopedIntParam {
 public:
  ScopedIntParam(tvlenv *env, int num, int32_t value);
  ~ScopedIntParam();
  ScopedIntParam(const ScopedIntParam &) = delete;
  ScopedIntParam &operator=(const ScopedIntParam &) = delete;

 private:
  int32_t &slot_;
  int32_t saved_;
};

// Checked stores: validate (1013, 1014, 1015, 1807, 1026) and store; with
// store == false only the status is computed.  Positive status, no message.
// Side effects (screen output, 1124, echo) are applied by param_apply_*.
int param_check_int(const tvlenv *env, int num, int value);
int param_check_dbl(const tvlenv *env, int num, double value);
int param_check_str(const tvlenv *env, int num, const char *value);

// Full set with side effects and echo; positive status, no message.
int param_apply_int(tvlenv *env, int num, int value);
int param_apply_dbl(tvlenv *env, int num, double value);
int param_apply_str(tvlenv *env, int num, const char *value);

// Resets every value to its default, then applies the screen side effect of
// the default and propagates 1124 (TVLsetdefaults and parameter files).
void params_reset(tvlenv *env);

// Copies hidden parameter 1124 into the environment's two fields.
void propagate_1124(tvlenv *env);

// Applies the screen-output side effect for the given value of TVL_PARAM_SCRIND.
void apply_screen_indicator(tvlenv *env, int value);

// True when one of the polish-after conditions is in use (the test shared by
// the compatibility rules and the MIP optimizer).
bool polish_after_in_use(const tvlenv *env);

}  // namespace tvl
