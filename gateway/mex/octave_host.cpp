#include "octave_host.h"

#include "interrupt_bridge.h"

#include <mex.h>
#include <quit.h>

#include <cstring>
#include <type_traits>

static_assert(std::is_same_v<mwIndex, gateway::Index>, "sparse index types of host layer and Octave differ");

namespace gateway {

namespace {

mxArray* mx(Value* v) { return reinterpret_cast<mxArray*>(v); }
const mxArray* mx(const Value* v) { return reinterpret_cast<const mxArray*>(v); }
Value* val(mxArray* a) { return reinterpret_cast<Value*>(a); }
mxArray** mx(Value** v) { return reinterpret_cast<mxArray**>(v); }

// Field names of the property token answered for findprop.
constexpr const char* kTokenFields[] = {"TavloPropertyOwner", "TavloPropertyName"};

bool isPropertyToken(const mxArray* a) {
  return mxIsStruct(a) && mxGetNumberOfElements(a) == 1 && mxGetFieldNumber(a, kTokenFields[0]) == 0 &&
         mxGetFieldNumber(a, kTokenFields[1]) == 1;
}

// Calls an Octave function; its errors come back as a nonzero result.  A
// Ctrl-C that Octave raises while the function runs must not unwind
// through the module and the library: it is handed to the interrupt bridge
// and the call counts as failed.
int call(int nout, mxArray* out[], int nin, mxArray* in[], const char* name) {
  mexSetTrapFlag(1);
  int rc = 1;
  try {
    rc = mexCallMATLAB(nout, out, nin, in, name);
  } catch (const octave::interrupt_exception&) {
    InterruptBridge::interrupted();
  }
  mexSetTrapFlag(0);
  return rc;
}

// Properties of class objects are read and written directly: through the
// interpreter, getfield on a class object costs about 0.35 ms and isprop
// 0.7 ms, the direct access well under a microsecond.  A class object is a
// value of unknown class id (classdef objects have no class id of their own).
bool isClassObject(const mxArray* a) { return mxGetClassID(a) == mxUNKNOWN_CLASS; }

// The value of a property (owned by the caller), or null when the object
// has no property of that name.
mxArray* propertyOf(const mxArray* object, const mxArray* name) {
  char text[256];
  if (!isClassObject(object) || mxGetString(name, text, sizeof text) != 0) return nullptr;
  return mxGetProperty(object, 0, text);
}

}  // namespace

int OctaveHost::getProperty(Value* out[], Value* in[]) {
  mxArray* value = propertyOf(mx(in[0]), mx(in[1]));
  if (!value) return call(1, mx(out), 2, mx(in), "getfield");
  out[0] = val(value);
  return 0;
}

int OctaveHost::setProperty(Value* out[], Value* in[]) {
  mxArray* old = propertyOf(mx(in[0]), mx(in[1]));
  if (!old) return call(1, mx(out), 3, mx(in), "setfield");
  mxDestroyArray(old);
  char text[256];
  mxGetString(mx(in[1]), text, sizeof text);
  mxSetProperty(mx(in[0]), 0, text, mx(in[2]));
  out[0] = val(mxDuplicateArray(mx(in[0])));
  return 0;
}

int OctaveHost::findProperty(Value* out[], Value* in[]) {
  mxArray* value = propertyOf(mx(in[0]), mx(in[1]));
  const bool found = value != nullptr;
  if (value) mxDestroyArray(value);
  if (!found) {
    out[0] = val(mxCreateDoubleMatrix(0, 0, mxREAL));
    return 0;
  }
  mxArray* token = mxCreateStructMatrix(1, 1, 2, const_cast<const char**>(kTokenFields));
  mxSetFieldByNumber(token, 0, 0, mxDuplicateArray(mx(in[0])));
  mxSetFieldByNumber(token, 0, 1, mxDuplicateArray(mx(in[1])));
  out[0] = val(token);
  return 0;
}

int OctaveHost::clearProperty(Value* in[]) {
  const mxArray* token = mx(in[0]);
  mxArray* empty = mxCreateDoubleMatrix(0, 0, mxREAL);
  mxArray* args[3] = {mxGetFieldByNumber(token, 0, 0), mxGetFieldByNumber(token, 0, 1), empty};
  mxArray* changed = nullptr;
  const int rc = call(1, &changed, 3, args, "setfield");
  if (changed) mxDestroyArray(changed);
  mxDestroyArray(empty);
  return rc;
}

int OctaveHost::callFunction(int nout, Value* out[], int nin, Value* in[], const char* name) {
  for (int i = 0; i < nout; ++i) out[i] = nullptr;
  if (std::strcmp(name, "findprop") == 0 && nout == 1 && nin == 2) return findProperty(out, in);
  if (std::strcmp(name, "getfield") == 0 && nout == 1 && nin == 2) return getProperty(out, in);
  if (std::strcmp(name, "setfield") == 0 && nout == 1 && nin == 3) return setProperty(out, in);
  if (std::strcmp(name, "delete") == 0 && nin == 1 && isPropertyToken(mx(in[0]))) return clearProperty(in);
  return call(nout, mx(out), nin, mx(in), name);
}

void OctaveHost::errMsgTxt(const char* text) {
  const char* field = "message";
  mxArray* err = mxCreateStructMatrix(1, 1, 1, &field);
  mxSetFieldByNumber(err, 0, 0, mxCreateString(text));
  mexSetTrapFlag(0);
  mexCallMATLAB(0, nullptr, 1, &err, "error");
  mexErrMsgTxt(text);  // not reached: error() does not return
  __builtin_unreachable();
}

void OctaveHost::printText(const char* text) { mexPrintf("%s", text); }

void OctaveHost::lock() {
  if (locks_++ == 0) mexLock();
}

void OctaveHost::unlock() {
  if (locks_ > 0 && --locks_ == 0) mexUnlock();
}

char* OctaveHost::arrayToString(const Value* v) { return mxArrayToString(mx(v)); }
int OctaveHost::getString(const Value* v, char* buf, std::size_t size) {
  return mxGetString(mx(v), buf, static_cast<mwSize>(size));
}
Value* OctaveHost::createString(const char* text) { return val(mxCreateString(text)); }
Value* OctaveHost::createCharMatrixFromStrings(std::size_t m, const char** strings) {
  return val(mxCreateCharMatrixFromStrings(static_cast<mwSize>(m), strings));
}
Value* OctaveHost::createDoubleMatrix(std::size_t m, std::size_t n) {
  return val(mxCreateDoubleMatrix(static_cast<mwSize>(m), static_cast<mwSize>(n), mxREAL));
}
Value* OctaveHost::createDoubleScalar(double x) { return val(mxCreateDoubleScalar(x)); }
Value* OctaveHost::createNumericMatrix(std::size_t m, std::size_t n, ClassId cls) {
  return val(mxCreateNumericMatrix(static_cast<mwSize>(m), static_cast<mwSize>(n), static_cast<mxClassID>(cls), mxREAL));
}
Value* OctaveHost::createNumericArray(std::size_t ndim, const std::size_t* dims, ClassId cls) {
  mwSize d[8];
  const std::size_t k = ndim < 8 ? ndim : 8;
  for (std::size_t i = 0; i < k; ++i) d[i] = static_cast<mwSize>(dims[i]);
  return val(mxCreateNumericArray(static_cast<mwSize>(k), d, static_cast<mxClassID>(cls), mxREAL));
}
Value* OctaveHost::createSparse(std::size_t m, std::size_t n, std::size_t nzmax) {
  return val(mxCreateSparse(static_cast<mwSize>(m), static_cast<mwSize>(n), static_cast<mwSize>(nzmax), mxREAL));
}
Value* OctaveHost::createStructMatrix(std::size_t m, std::size_t n, int nfields, const char** names) {
  return val(mxCreateStructMatrix(static_cast<mwSize>(m), static_cast<mwSize>(n), nfields, names));
}
Value* OctaveHost::duplicateArray(const Value* v) { return val(mxDuplicateArray(mx(v))); }
void OctaveHost::destroyArray(Value* v) { mxDestroyArray(mx(v)); }
void OctaveHost::freeMemory(void* p) { mxFree(p); }

Value* OctaveHost::getCell(const Value* v, std::size_t i) { return val(mxGetCell(mx(v), static_cast<mwIndex>(i))); }
std::size_t OctaveHost::getNumberOfElements(const Value* v) { return mxGetNumberOfElements(mx(v)); }
std::size_t OctaveHost::getNumberOfDimensions(const Value* v) {
  return static_cast<std::size_t>(mxGetNumberOfDimensions(mx(v)));
}
std::size_t OctaveHost::getM(const Value* v) { return mxGetM(mx(v)); }
std::size_t OctaveHost::getN(const Value* v) { return mxGetN(mx(v)); }
double* OctaveHost::getPr(const Value* v) { return mxGetPr(mx(v)); }
void* OctaveHost::getData(const Value* v) { return mxGetData(mx(v)); }
Index* OctaveHost::getIr(const Value* v) { return mxGetIr(mx(v)); }
Index* OctaveHost::getJc(const Value* v) { return mxGetJc(mx(v)); }
double OctaveHost::getInf() { return mxGetInf(); }
ClassId OctaveHost::getClassId(const Value* v) { return static_cast<ClassId>(mxGetClassID(mx(v))); }
bool OctaveHost::isClass(const Value* v, const char* name) { return mxIsClass(mx(v), name); }
bool OctaveHost::isChar(const Value* v) { return mxIsChar(mx(v)); }
bool OctaveHost::isCell(const Value* v) { return mxIsCell(mx(v)); }
bool OctaveHost::isEmpty(const Value* v) { return mxIsEmpty(mx(v)); }
bool OctaveHost::isSparse(const Value* v) { return mxIsSparse(mx(v)); }

int OctaveHost::getFieldNumber(const Value* v, const char* name) { return mxGetFieldNumber(mx(v), name); }
Value* OctaveHost::getFieldByNumber(const Value* v, std::size_t index, int field) {
  return val(mxGetFieldByNumber(mx(v), static_cast<mwIndex>(index), field));
}
void OctaveHost::setFieldByNumber(Value* v, std::size_t index, int field, Value* value) {
  mxSetFieldByNumber(mx(v), static_cast<mwIndex>(index), field, mx(value));
}
int OctaveHost::addField(Value* v, const char* name) { return mxAddField(mx(v), name); }
void OctaveHost::removeField(Value* v, int field) { mxRemoveField(mx(v), field); }
int OctaveHost::getNumberOfFields(const Value* v) { return mxGetNumberOfFields(mx(v)); }

}  // namespace gateway
