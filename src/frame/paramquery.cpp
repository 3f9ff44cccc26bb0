// Reading parameters: values, defaults and limits, names, numbers, kinds and
// the list of changed parameters.
#include <cstring>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"

namespace tvl {
namespace {

constexpr int kFirstNumber = 1001;
constexpr int kLastNumber = 5999;

// Common entry of the typed reads: environment, number range, the output
// pointer, then the kind.  Returns the record through *rec on success.
int typed_entry(const tvlenv *env, int num, const void *out, int kind, const ParamRecord **rec) {
  int status = check_env(env);
  if (status != 0) return status;
  if (num < kFirstNumber || num > kLastNumber) return 1013;
  if (out == nullptr) return 1004;
  const ParamRecord *r = param_find(num);
  if (r == nullptr || r->kind != kind) return 1013;
  *rec = r;
  return 0;
}

// Kind check for the info functions, whose outputs are optional.
int info_entry(const tvlenv *env, int num, int kind, const ParamRecord **rec) {
  int status = check_env(env);
  if (status != 0) return status;
  const ParamRecord *r = param_find(num);
  if (r == nullptr || r->kind != kind) return 1013;
  *rec = r;
  return 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

int TVLgetintparam(TVLCENVptr env, int whichparam, int *value_p) {
  const ParamRecord *r = nullptr;
  int status = typed_entry(env, whichparam, value_p, kParamInt, &r);
  if (status == 0) *value_p = param_int(env, whichparam);
  return boundary(env, status);
}

int TVLgetdblparam(TVLCENVptr env, int whichparam, double *value_p) {
  const ParamRecord *r = nullptr;
  int status = typed_entry(env, whichparam, value_p, kParamDbl, &r);
  if (status == 0) *value_p = param_dbl(env, whichparam);
  return boundary(env, status);
}

int TVLgetstrparam(TVLCENVptr env, int whichparam, char *value_str) {
  const ParamRecord *r = nullptr;
  int status = typed_entry(env, whichparam, value_str, kParamStr, &r);
  if (status == 0) std::strcpy(value_str, param_str(env, whichparam));
  return boundary(env, status);
}

int TVLinfointparam(TVLCENVptr env, int whichparam, int *defvalue_p, int *minvalue_p, int *maxvalue_p) {
  const ParamRecord *r = nullptr;
  int status = info_entry(env, whichparam, kParamInt, &r);
  if (status == 0) {
    if (defvalue_p != nullptr) *defvalue_p = r->idef;
    if (minvalue_p != nullptr) *minvalue_p = r->imin;
    if (maxvalue_p != nullptr) *maxvalue_p = param_imax(env->params, *r);
  }
  return boundary(env, status);
}

int TVLinfodblparam(TVLCENVptr env, int whichparam, double *defvalue_p, double *minvalue_p,
                    double *maxvalue_p) {
  const ParamRecord *r = nullptr;
  int status = info_entry(env, whichparam, kParamDbl, &r);
  if (status == 0) {
    if (defvalue_p != nullptr) *defvalue_p = r->ddef;
    if (minvalue_p != nullptr) *minvalue_p = r->dmin;
    if (maxvalue_p != nullptr) *maxvalue_p = r->dmax;
  }
  return boundary(env, status);
}

int TVLinfostrparam(TVLCENVptr env, int whichparam, char *defvalue_str) {
  const ParamRecord *r = nullptr;
  int status = info_entry(env, whichparam, kParamStr, &r);
  if (status == 0 && defvalue_str == nullptr) status = 1004;
  if (status == 0) std::strcpy(defvalue_str, r->sdef);
  return boundary(env, status);
}

int TVLgetparamname(TVLCENVptr env, int whichparam, char *name_str) {
  int status = check_env(env);
  if (status == 0 && name_str == nullptr) status = 1004;
  if (status == 0) {
    name_str[0] = '\0';
    const ParamRecord *r = param_find(whichparam);
    if (r == nullptr)
      status = 1013;
    else
      std::strcpy(name_str, r->name);
  }
  return boundary(env, status);
}

int TVLgetparamnum(TVLCENVptr env, const char *name_str, int *whichparam_p) {
  if (whichparam_p != nullptr) *whichparam_p = -1;
  int status = check_env(env);
  if (status == 0 && (whichparam_p == nullptr || name_str == nullptr)) status = 1004;
  if (status == 0) {
    int num = param_lookup_name(name_str);
    if (num < 0)
      status = 1028;
    else
      *whichparam_p = num;
  }
  return boundary(env, status);
}

int TVLgetparamtype(TVLCENVptr env, int whichparam, int *paramtype) {
  int status = check_env(env);
  if (status == 0 && paramtype == nullptr) status = 1004;
  if (status == 0) {
    const ParamRecord *r = param_find(whichparam);
    if (r == nullptr)
      status = 1013;
    else
      *paramtype = r->kind;
  }
  return boundary(env, status);
}

// Changed public parameters in registry order, with the surplus convention:
// space 0 asks for the size (silent 1207 and minus the count as surplus);
// a short array is filled up to its space and reported with 1207.
int TVLgetchgparam(TVLCENVptr env, int *cnt_p, int *paramnum, int pspace, int *surplus_p) {
  int status = check_env(env);
  if (status != 0) return boundary(env, status);
  if (cnt_p != nullptr) *cnt_p = 0;
  if (surplus_p != nullptr) *surplus_p = 0;
  if (pspace < 0) return boundary(env, 1003);

  int total = 0;
  for (int pos = 0; pos < kParamSlots; ++pos) {
    const ParamRecord &r = param_record_at(pos);
    if (r.kind == kParamNone || r.hidden || !param_changed(env->params, r)) continue;
    if (pspace > 0 && paramnum != nullptr && total < pspace) paramnum[total] = r.number;
    ++total;
  }

  if (pspace == 0 && surplus_p != nullptr) {
    *surplus_p = -total;
    return total > 0 ? boundary(env, -1207) : 0;
  }
  if (cnt_p == nullptr || paramnum == nullptr || surplus_p == nullptr) return boundary(env, 1004);
  *surplus_p = pspace - total;
  if (*surplus_p < 0) {
    *cnt_p = pspace;
    return boundary(env, 1207);
  }
  *cnt_p = total;
  return 0;
}
