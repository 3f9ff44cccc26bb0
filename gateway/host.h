// The host layer: every operation the gateway performs on the numerical
// host (its arrays, its interpreter, its console, its module lock) goes
// through this one interface, and through nothing else.  The operations
// carry the meaning of the host's own mx/mex functions of the same name.
//
// Two realisations exist:
//   - StandaloneHost (standalone_host.h): a self-contained value type used
//     by the unit tests, which exercise the gateway's logic without any
//     interpreter and check that no value is leaked;
//   - the Octave realisation (octave_host.cpp), built only into the
//     `tavlolink` module, which maps each operation onto Octave's MEX API.
//
// Ownership follows the host's rules: a value returned by a create,
// duplicate or callFunction operation belongs to the caller until it is
// destroyed or handed back as a module output; values obtained with getCell
// or getFieldByNumber are borrowed from their container; setFieldByNumber
// hands ownership of the new value to the container.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gateway {

// Index type of sparse arrays (row indices and column starts).
using Index = std::int64_t;

// A host value.  Opaque to the gateway: only the host realisation knows
// its layout (in the Octave module it is the host's own array type).
struct Value;

// Class codes of the host (the values of its class-identifier enumeration).
enum ClassId : int {
  kUnknownClass = 0,
  kCellClass = 1,
  kStructClass = 2,
  kLogicalClass = 3,
  kCharClass = 4,
  kDoubleClass = 6,
  kInt32Class = 12,
  kInt64Class = 14,
  kUint64Class = 15,
  kFunctionClass = 16,
  kObjectClass = 18,  // a class object (handle object) of the interpreter
};

class Host {
 public:
  virtual ~Host() = default;

  // mexCallMATLAB: calls the host function `name` with `nin` inputs and
  // `nout` outputs (stored into `out`, owned by the caller); nonzero when
  // the call fails (the outputs are then null).
  virtual int callFunction(int nout, Value* out[], int nin, Value* in[], const char* name) = 0;
  // mexErrMsgTxt: raises a host error with `text`; does not return.
  [[noreturn]] virtual void errMsgTxt(const char* text) = 0;
  // mexPrintf with the text printed verbatim.
  virtual void printText(const char* text) = 0;
  virtual void lock() = 0;    // mexLock
  virtual void unlock() = 0;  // mexUnlock

  virtual char* arrayToString(const Value* v) = 0;  // freed with freeMemory
  virtual int getString(const Value* v, char* buf, std::size_t size) = 0;
  virtual Value* createString(const char* text) = 0;
  virtual Value* createCharMatrixFromStrings(std::size_t m, const char** strings) = 0;
  virtual Value* createDoubleMatrix(std::size_t m, std::size_t n) = 0;
  virtual Value* createDoubleScalar(double x) = 0;
  virtual Value* createNumericMatrix(std::size_t m, std::size_t n, ClassId cls) = 0;
  virtual Value* createNumericArray(std::size_t ndim, const std::size_t* dims, ClassId cls) = 0;
  virtual Value* createSparse(std::size_t m, std::size_t n, std::size_t nzmax) = 0;
  virtual Value* createStructMatrix(std::size_t m, std::size_t n, int nfields, const char** names) = 0;
  virtual Value* duplicateArray(const Value* v) = 0;
  virtual void destroyArray(Value* v) = 0;
  virtual void freeMemory(void* p) = 0;  // mxFree

  virtual Value* getCell(const Value* v, std::size_t i) = 0;
  virtual std::size_t getNumberOfElements(const Value* v) = 0;
  virtual std::size_t getNumberOfDimensions(const Value* v) = 0;
  virtual std::size_t getM(const Value* v) = 0;
  virtual std::size_t getN(const Value* v) = 0;
  virtual double* getPr(const Value* v) = 0;
  virtual void* getData(const Value* v) = 0;
  virtual Index* getIr(const Value* v) = 0;
  virtual Index* getJc(const Value* v) = 0;
  virtual double getInf() = 0;
  virtual ClassId getClassId(const Value* v) = 0;
  virtual bool isClass(const Value* v, const char* name) = 0;
  virtual bool isChar(const Value* v) = 0;
  virtual bool isCell(const Value* v) = 0;
  virtual bool isEmpty(const Value* v) = 0;
  virtual bool isSparse(const Value* v) = 0;

  virtual int getFieldNumber(const Value* v, const char* name) = 0;
  virtual Value* getFieldByNumber(const Value* v, std::size_t index, int field) = 0;
  virtual void setFieldByNumber(Value* v, std::size_t index, int field, Value* value) = 0;
  virtual int addField(Value* v, const char* name) = 0;  // field number, -1 on failure
  virtual void removeField(Value* v, int field) = 0;
  virtual int getNumberOfFields(const Value* v) = 0;
};

}  // namespace gateway
