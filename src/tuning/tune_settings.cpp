#include "tuning/tune_settings.h"

#include <algorithm>
#include <cstring>

#include "frame/env.h"

namespace tvl::tuning {

namespace {

// Parameters whose values the tuner takes from the environment as they are.
constexpr int kKept[] = {TVL_PARAM_TUNINGMEASURE, TVL_PARAM_TUNINGREPEAT, TVL_PARAM_TUNINGTILIM,
                         TVL_PARAM_TUNINGDISPLAY, TVL_PARAM_SCRIND,       TVL_PARAM_TILIM,
                         kParamDetTimeLimit};

int slot_of(int num) { return param_slot(num); }

// Checks one group: its count and arrays, then each number and value.
template <class Check>
int check_group(int cnt, const int *num, const void *val, Check check) {
  if (cnt < 0) return TVLERR_BAD_ARGUMENT_TO_CALLABLE_LIBRARY_FUNCTION;
  if (cnt > 0 && (!num || !val)) return TVLERR_NULL_POINTER_FOR_REQUIRED_DATA;
  for (int k = 0; k < cnt; ++k)
    if (int st = check(k)) return st;
  return 0;
}

}  // namespace

ParamSet ParamSet::of(const tvlenv *env) {
  ParamSet s;
  s.blocks_.reset(params_clone(env->params));
  return s;
}

ParamSet ParamSet::copy() const {
  ParamSet s;
  if (blocks_) s.blocks_.reset(params_clone(blocks_.get()));
  return s;
}

int ParamSet::get_int(int num) const { return param_int_ref(blocks_.get(), slot_of(num)); }
double ParamSet::get_dbl(int num) const { return param_dbl_ref(blocks_.get(), slot_of(num)); }
void ParamSet::set_int(int num, int value) { param_int_ref(blocks_.get(), slot_of(num)) = value; }
void ParamSet::set_dbl(int num, double value) { param_dbl_ref(blocks_.get(), slot_of(num)) = value; }

void ParamSet::set_str(int num, const char *value) {
  char *to = param_str_ref(blocks_.get(), param_find(num)->strslot);
  std::strncpy(to, value, kParamStrMax);
  to[kParamStrMax] = '\0';
}

void ParamSet::reset() { param_blocks_reset(blocks_.get()); }

void ParamSet::take(const ParamSet &other, int num) {
  const ParamRecord *r = param_find(num);
  if (r->kind == kParamInt) set_int(num, other.get_int(num));
  else if (r->kind == kParamDbl) set_dbl(num, other.get_dbl(num));
  else if (r->kind == kParamStr) set_str(num, param_str_ref(other.blocks_.get(), r->strslot));
}

void ParamSet::install(tvlenv *env) const {
  const int screen = param_int(env, TVL_PARAM_SCRIND);
  param_blocks_copy(env->params, blocks_.get());
  if (param_int(env, TVL_PARAM_SCRIND) != screen) apply_screen_indicator(env, param_int(env, TVL_PARAM_SCRIND));
  propagate_1124(env);
}

bool FixedParams::fixes(int num) const {
  auto has = [num](const std::vector<int> &v) { return std::find(v.begin(), v.end(), num) != v.end(); };
  return has(intnum) || has(dblnum) || has(strnum);
}

void FixedParams::apply(ParamSet &set) const {
  for (size_t k = 0; k < intnum.size(); ++k) set.set_int(intnum[k], intval[k]);
  for (size_t k = 0; k < dblnum.size(); ++k) set.set_dbl(dblnum[k], dblval[k]);
  for (size_t k = 0; k < strnum.size(); ++k) set.set_str(strnum[k], strval[k].c_str());
}

int read_fixed(const tvlenv *env, int intcnt, const int *intnum, const int *intval, int dblcnt,
               const int *dblnum, const double *dblval, int strcnt, const int *strnum, char **strval,
               FixedParams &out) {
  int st = check_group(intcnt, intnum, intval, [&](int k) { return param_check_int(env, intnum[k], intval[k]); });
  if (!st)
    st = check_group(dblcnt, dblnum, dblval, [&](int k) { return param_check_dbl(env, dblnum[k], dblval[k]); });
  if (!st)
    st = check_group(strcnt, strnum, strval, [&](int k) { return param_check_str(env, strnum[k], strval[k]); });
  if (st) return st;
  out.intnum.assign(intnum, intnum + intcnt);
  out.intval.assign(intval, intval + intcnt);
  out.dblnum.assign(dblnum, dblnum + dblcnt);
  out.dblval.assign(dblval, dblval + dblcnt);
  out.strnum.assign(strnum, strnum + strcnt);
  out.strval.assign(strval, strval + strcnt);
  return 0;
}

ParamSet base_settings(const tvlenv *env, const FixedParams &fixed) {
  ParamSet current = ParamSet::of(env);
  ParamSet base = current.copy();
  if (base.empty()) return base;
  base.reset();
  for (int num : kKept) base.take(current, num);
  fixed.apply(base);
  return base;
}

}  // namespace tvl::tuning
