// The host layer realised on Octave's MEX API.  Each operation maps onto
// the MEX function of the same meaning, with these adaptations to Octave:
//
//  - errMsgTxt raises the error through Octave's `error` with a message
//    structure, so the text reaches the user exactly as the gateway wrote
//    it (Octave's own mexErrMsgTxt would prefix it with "tavlolink: ");
//    like every Octave error, it loses a final line break.
//  - Octave has no usable `findprop`.  The host function findprop is
//    answered here: for an existing property a 1-by-1 structure naming the
//    object and the property, otherwise an empty value.  getfield and
//    setfield on class objects are answered here too, reading and writing
//    the property directly (the interpreter's functions cost a third of a
//    millisecond and more per call).  `delete` of such a
//    structure cannot remove a property (classdef objects gain and lose no
//    properties at run time), so it sets the property to an empty value.
//  - Octave's module lock is a switch, not a count: lock and unlock count
//    here and lock the module while at least one solver object exists.
//  - Host functions that fail return a nonzero status instead of raising
//    the error in Octave (the trap flag is set for every call).
#pragma once

#include "../host.h"

namespace gateway {

class OctaveHost : public Host {
 public:
  int callFunction(int nout, Value* out[], int nin, Value* in[], const char* name) override;
  [[noreturn]] void errMsgTxt(const char* text) override;
  void printText(const char* text) override;
  void lock() override;
  void unlock() override;

  char* arrayToString(const Value* v) override;
  int getString(const Value* v, char* buf, std::size_t size) override;
  Value* createString(const char* text) override;
  Value* createCharMatrixFromStrings(std::size_t m, const char** strings) override;
  Value* createDoubleMatrix(std::size_t m, std::size_t n) override;
  Value* createDoubleScalar(double x) override;
  Value* createNumericMatrix(std::size_t m, std::size_t n, ClassId cls) override;
  Value* createNumericArray(std::size_t ndim, const std::size_t* dims, ClassId cls) override;
  Value* createSparse(std::size_t m, std::size_t n, std::size_t nzmax) override;
  Value* createStructMatrix(std::size_t m, std::size_t n, int nfields, const char** names) override;
  Value* duplicateArray(const Value* v) override;
  void destroyArray(Value* v) override;
  void freeMemory(void* p) override;

  Value* getCell(const Value* v, std::size_t i) override;
  std::size_t getNumberOfElements(const Value* v) override;
  std::size_t getNumberOfDimensions(const Value* v) override;
  std::size_t getM(const Value* v) override;
  std::size_t getN(const Value* v) override;
  double* getPr(const Value* v) override;
  void* getData(const Value* v) override;
  Index* getIr(const Value* v) override;
  Index* getJc(const Value* v) override;
  double getInf() override;
  ClassId getClassId(const Value* v) override;
  bool isClass(const Value* v, const char* name) override;
  bool isChar(const Value* v) override;
  bool isCell(const Value* v) override;
  bool isEmpty(const Value* v) override;
  bool isSparse(const Value* v) override;

  int getFieldNumber(const Value* v, const char* name) override;
  Value* getFieldByNumber(const Value* v, std::size_t index, int field) override;
  void setFieldByNumber(Value* v, std::size_t index, int field, Value* value) override;
  int addField(Value* v, const char* name) override;
  void removeField(Value* v, int field) override;
  int getNumberOfFields(const Value* v) override;

 private:
  int findProperty(Value* out[], Value* in[]);
  int getProperty(Value* out[], Value* in[]);
  int setProperty(Value* out[], Value* in[]);
  int clearProperty(Value* in[]);
  int locks_ = 0;
};

}  // namespace gateway
