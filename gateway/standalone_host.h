// A stand-alone realisation of the host layer: a small value type with the
// host's kinds of arrays (double, logical, char, int32/int64/uint64, sparse,
// cell, struct, function handle, and a class-object stand-in with reference
// semantics and properties) and the host operations over it.  Host
// functions called by name are emulated: findprop, getfield, setfield,
// delete and transpose are built in; tests register the others.
//
// Every value counts itself; `liveValues()` is the number not yet
// destroyed, so a test can check that the gateway leaks none.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host.h"

namespace gateway {

// Raised by StandaloneHost::errMsgTxt in place of a host error.
struct HostError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Properties of a class object; shared by every copy of the object, as the
// host's handle objects are.
struct ObjectData {
  std::string className;
  std::vector<std::pair<std::string, Value*>> props;  // values owned
  ~ObjectData();
};

struct Value {
  ClassId cls = kDoubleClass;
  std::size_t m = 0, n = 0;
  std::vector<unsigned char> data;  // numeric and logical elements, column-major
  std::string chars;                // char elements, column-major
  bool sparse = false;
  std::vector<Index> ir, jc;
  std::vector<Value*> cells;              // cell elements (owned, null = empty)
  std::vector<std::string> fieldNames;    // struct field names
  std::vector<Value*> fieldValues;        // element e, field f at e*nfields+f (owned)
  std::string function;                   // function handle: the function's name
  std::shared_ptr<ObjectData> object;     // class object
  // A property meta-object (the result of findprop): owner and name.
  std::shared_ptr<ObjectData> propOwner;
  std::string propName;

  Value();
  ~Value();
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  static long live();
};

class StandaloneHost : public Host {
 public:
  using Function = std::function<int(StandaloneHost&, int nout, Value** out, int nin, Value** in)>;

  StandaloneHost();

  // Registers (or replaces) a host function callable by name.
  void define(const std::string& name, Function f) { functions_[name] = std::move(f); }
  int lockCount() const { return locks_; }
  const std::string& printed() const { return printed_; }
  void clearPrinted() { printed_.clear(); }
  static long liveValues() { return Value::live(); }

  // Convenience constructors for tests and the built-in functions.
  Value* createDoubleVector(const std::vector<double>& x, bool column = true);
  Value* createInt32Scalar(int x);
  Value* createCell(const std::vector<Value*>& elements);  // takes ownership
  Value* createFunctionHandle(const std::string& name);
  // A class object with the given properties (values owned by the object).
  Value* createObject(const std::string& className,
                      const std::vector<std::pair<std::string, Value*>>& props);
  // The value of property `name` of a class object (borrowed), or null.
  static Value* property(const Value* object, const std::string& name);
  // Replaces property `name` (adds it when missing); takes ownership.
  void setProperty(Value* object, const std::string& name, Value* value);
  // Text of a char array, or "" for anything else.
  static std::string text(const Value* v);

  int callFunction(int nout, Value* out[], int nin, Value* in[], const char* name) override;
  [[noreturn]] void errMsgTxt(const char* text) override;
  void printText(const char* text) override { printed_ += text; }
  void lock() override { ++locks_; }
  void unlock() override { --locks_; }

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
  void destroyArray(Value* v) override { delete v; }
  void freeMemory(void* p) override;

  Value* getCell(const Value* v, std::size_t i) override;
  std::size_t getNumberOfElements(const Value* v) override { return v->m * v->n; }
  std::size_t getNumberOfDimensions(const Value*) override { return 2; }
  std::size_t getM(const Value* v) override { return v->m; }
  std::size_t getN(const Value* v) override { return v->n; }
  double* getPr(const Value* v) override;
  void* getData(const Value* v) override;
  Index* getIr(const Value* v) override;
  Index* getJc(const Value* v) override;
  double getInf() override;
  ClassId getClassId(const Value* v) override { return v->cls; }
  bool isClass(const Value* v, const char* name) override;
  bool isChar(const Value* v) override { return v->cls == kCharClass; }
  bool isCell(const Value* v) override { return v->cls == kCellClass; }
  bool isEmpty(const Value* v) override { return v->m == 0 || v->n == 0; }
  bool isSparse(const Value* v) override { return v->sparse; }

  int getFieldNumber(const Value* v, const char* name) override;
  Value* getFieldByNumber(const Value* v, std::size_t index, int field) override;
  void setFieldByNumber(Value* v, std::size_t index, int field, Value* value) override;
  int addField(Value* v, const char* name) override;
  void removeField(Value* v, int field) override;
  int getNumberOfFields(const Value* v) override;

 private:
  void defineBuiltins();
  std::map<std::string, Function> functions_;
  std::string printed_;
  int locks_ = 0;
};

// Owns one host value of a StandaloneHost for the length of a scope.
struct ValueGuard {
  Value* v;
  explicit ValueGuard(Value* value) : v(value) {}
  ~ValueGuard() { delete v; }
  ValueGuard(const ValueGuard&) = delete;
  ValueGuard& operator=(const ValueGuard&) = delete;
};

}  // namespace gateway
