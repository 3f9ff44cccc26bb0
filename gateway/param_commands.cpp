// Parameter commands, all addressed by the library's parameter name:
// getParam (value, default and limits as a structure), changePrm,
// getParamNumber, getParamType, setDefault, readParam and writeParam; and
// the parameter tuner, tuneParam.
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "access.h"
#include "commands.h"
#include "gateway_object.h"
#include "model.h"
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

// One group of fixed parameters for tuneParam: the count and the parameter
// numbers.  The arrays of a group must hold at least `count` entries
// (10013 otherwise); a negative count is passed on for the library to
// refuse.
struct FixedGroup {
  int count = 0;
  std::vector<int> numbers;

  int read(Host& host, const Value* countArg, const Value* numbersArg) {
    double c = 0;
    if (!readScalar(host, countArg, &c)) c = 0;
    if (!(c > -2147483647.0 && c < 2147483647.0)) return kBadArguments;
    count = static_cast<int>(c);
    return fits(createmxVectori(host, numbersArg), numbers);
  }
  // The values of the group's parameters, from an optional array.
  template <typename T>
  int fits(std::optional<std::vector<T>> v, std::vector<T>& out) const {
    out = v.value_or(std::vector<T>{});
    return count > 0 && out.size() < static_cast<std::size_t>(count) ? kLengthNotEqual : 0;
  }
};

// The texts of the fixed string parameters: false when the value is not a
// cell or one of its first `count` elements is no text.
bool fixedTexts(Host& host, const Value* cell, int count, std::vector<std::string>& texts) {
  if (!cell || !host.isCell(cell) || host.getNumberOfElements(cell) < static_cast<std::size_t>(count)) return false;
  char text[TVL_STR_PARAM_MAX];
  for (int k = 0; k < count; ++k) {
    if (!readText(host, host.getCell(cell, static_cast<std::size_t>(k)), text, sizeof text)) return false;
    texts.emplace_back(text);
  }
  return true;
}

// tuneParam(intcnt, intnum, intval, dblcnt, dblnum, dblval, strcnt, strnum,
// strval): tunes the problem's parameters, keeping the given ones at the
// given values (the three groups: integer, double and string parameters,
// the string values as a cell of texts).  Without arguments nothing is
// fixed.  Ctrl-C and the terminate command stop the tuning; the settings
// it found best are left in the parameters.  With string parameters whose
// values are not a cell of texts the command does nothing and succeeds.
int tuneParam(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  if (nargs != 0 && nargs != 9) return kBadArguments;
  Host& host = t.host();
  FixedGroup ints, dbls, strs;
  std::vector<int> intval;
  std::vector<double> dblval;
  std::vector<std::string> texts;
  if (nargs == 9) {
    int status = ints.read(host, args[0], args[1]);
    if (status == 0) status = ints.fits(createmxVectori(host, args[2]), intval);
    if (status == 0) status = dbls.read(host, args[3], args[4]);
    if (status == 0) status = dbls.fits(createmxVector(host, args[5]), dblval);
    if (status == 0) status = strs.read(host, args[6], args[7]);
    if (status) return status;
    if (strs.count > 0 && !fixedTexts(host, args[8], strs.count, texts)) return 0;
  }
  std::vector<char*> strval;
  for (std::string& text : texts) strval.push_back(text.data());
  if (int status = updateProblem(t, object)) return status;
  if (int status = t.armTerminate()) return status;
  int tunestat = 0;
  const int status = TVLtuneparam(t.env, t.lp, ints.count, ints.numbers.data(), intval.data(), dbls.count,
                                  dbls.numbers.data(), dblval.data(), strs.count, strs.numbers.data(),
                                  strval.data(), &tunestat);
  t.keepOffScreen();
  return status;
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
  table.bind("tuneParam", tuneParam);
}

}  // namespace gateway
