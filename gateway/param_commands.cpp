// Parameter commands, all addressed by the library's parameter name:
// getParam (value, default and limits as a structure), changePrm,
// getParamNumber, getParamType, setDefault, readParam and writeParam.
#include <climits>
#include <cmath>
#include <cstring>

#include "access.h"
#include "commands.h"
#include "gateway_object.h"
#include "values.h"

namespace gateway {

namespace {

// Number and type of a named parameter; the library's status otherwise.
int lookUp(Tavlo& t, const char* name, int* number, int* type) {
  int status = TVLgetparamnum(t.env, name, number);
  if (status == 0) status = TVLgetparamtype(t.env, *number, type);
  return status;
}

int addNumber(Host& host, Value* s, const char* field, double x) {
  return setField(host, s, field, host.createDoubleScalar(x), 0);
}

int addText(Host& host, Value* s, const char* field, const char* text) {
  return setField(host, s, field, host.createString(text), 0);
}

// Fields Min, Max, Cur, Def (those that apply) of an integer or double
// parameter; a switch (0 to 1) has no Min and Max, a double without range
// (0 to 0) shows -Inf and Inf.
int describeNumeric(Tavlo& t, Value* s, int number, int type) {
  Host& host = t.host();
  double def = 0, lo = 0, hi = 0, cur = 0;
  int status;
  bool showRange = true;
  if (type == TVL_PARAMTYPE_INT) {
    int d = 0, l = 0, h = 0, c = 0;
    status = TVLinfointparam(t.env, number, &d, &l, &h);
    if (status == 0) status = TVLgetintparam(t.env, number, &c);
    def = d, lo = l, hi = h, cur = c;
    showRange = !(l == 0 && h == 1);
  } else {
    status = TVLinfodblparam(t.env, number, &def, &lo, &hi);
    if (status == 0) status = TVLgetdblparam(t.env, number, &cur);
    if (lo == 0 && hi == 0) lo = -host.getInf(), hi = host.getInf();
  }
  if (status) return status;
  if (showRange && ((status = addNumber(host, s, "Min", lo)) || (status = addNumber(host, s, "Max", hi))))
    return status;
  if ((status = addNumber(host, s, "Cur", cur)) || (status = addNumber(host, s, "Def", def))) return status;
  return 0;
}

int describeString(Tavlo& t, Value* s, int number) {
  char def[TVL_STR_PARAM_MAX] = {}, cur[TVL_STR_PARAM_MAX] = {};
  int status = TVLinfostrparam(t.env, number, def);
  if (status == 0) status = TVLgetstrparam(t.env, number, cur);
  if (status == 0) status = addText(t.host(), s, "Cur", cur);
  if (status == 0) status = addText(t.host(), s, "Def", def);
  return status;
}

int getParam(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  Host& host = t.host();
  char name[256];
  if (nargs < 1 || !readText(host, args[0], name, sizeof name)) return kUnknownParameter;
  Value* s = host.createStructMatrix(1, 1, 0, nullptr);
  if (!s) return 1001;
  int number = 0, type = 0;
  if (lookUp(t, name, &number, &type) == 0) {
    int status = type == TVL_PARAMTYPE_STRING ? describeString(t, s, number) : describeNumeric(t, s, number, type);
    if (status == 0) status = addText(host, s, "Name", name);
    if (status) {
      host.destroyArray(s);
      return status;
    }
  }
  *result = s;
  return 0;
}

int changePrm(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value**) {
  Host& host = t.host();
  char name[256];
  if (nargs < 2) return kUnknownParameter;
  {
    Held field = getField(host, args[0], "Name", 0, false);
    if (!readText(host, field.get(), name, sizeof name)) return kUnknownParameter;
  }
  int number = 0, type = 0;
  if (const int status = lookUp(t, name, &number, &type)) return status;
  // A value the library refuses leaves the command successful: the
  // library's message is the gateway object's last error.
  if (type == TVL_PARAMTYPE_STRING) {
    char text[256];
    if (!readText(host, args[1], text, sizeof text)) return kUnknownParameter;
    TVLsetstrparam(t.env, number, text);
    return 0;
  }
  struct Quiet {
    Tavlo& t;
    ~Quiet() { t.keepOffScreen(); }
  } quiet{t};
  double x = 0;
  if (!readScalar(host, args[1], &x) || std::isnan(x)) return kUnknownParameter;
  if (type == TVL_PARAMTYPE_INT) {
    const double clamped = std::fmax(static_cast<double>(INT_MIN), std::fmin(static_cast<double>(INT_MAX), x));
    TVLsetintparam(t.env, number, static_cast<int>(std::trunc(clamped)));
  } else {
    TVLsetdblparam(t.env, number, x);
  }
  return 0;
}

int getParamNumber(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  char name[256];
  if (nargs < 1 || !readText(t.host(), args[0], name, sizeof name)) return kUnknownParameter;
  int number = 0;
  if (const int status = TVLgetparamnum(t.env, name, &number)) return status;
  *result = int32Scalar(t.host(), number);
  return *result ? 0 : 1001;
}

int getParamType(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  char name[256];
  if (nargs < 1 || !readText(t.host(), args[0], name, sizeof name)) return kUnknownParameter;
  int number = 0, type = 0;
  if (const int status = lookUp(t, name, &number, &type)) return status;
  *result = int32Scalar(t.host(), type);
  return *result ? 0 : 1001;
}

int setDefault(Tavlo& t, Value*, const Value*, int, Value* const*, Value**) {
  const int status = TVLsetdefaults(t.env);
  t.keepOffScreen();
  return status;
}

int readParam(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value**) {
  char file[256];
  if (nargs < 1 || !readText(t.host(), args[0], file, sizeof file)) return kBadArguments;
  const int status = TVLreadcopyparam(t.env, file);
  t.keepOffScreen();
  return status;
}

int writeParam(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value**) {
  char file[256];
  if (nargs < 1 || !readText(t.host(), args[0], file, sizeof file)) return kWrongWriteParam;
  return TVLwriteparam(t.env, file);
}

}  // namespace

void registerParamCommands(CommandTable& table) {
  table.bind("getParam", getParam);
  table.bind("changePrm", changePrm);
  table.bind("getParamNumber", getParamNumber);
  table.bind("getParamType", getParamType);
  table.bind("setDefault", setDefault);
  table.bind("readParam", readParam);
  table.bind("writeParam", writeParam);
}

}  // namespace gateway
