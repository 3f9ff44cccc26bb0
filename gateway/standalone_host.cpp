#include "standalone_host.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace gateway {

namespace {

std::atomic<long> g_live{0};

std::size_t elementSize(ClassId cls) {
  switch (cls) {
    case kLogicalClass: return 1;
    case kInt32Class: return 4;
    case kDoubleClass:
    case kInt64Class:
    case kUint64Class: return 8;
    default: return 0;
  }
}

Value* copyValue(const Value* v);

void copyInto(Value* d, const Value* v) {
  d->cls = v->cls;
  d->m = v->m;
  d->n = v->n;
  d->data = v->data;
  d->chars = v->chars;
  d->sparse = v->sparse;
  d->ir = v->ir;
  d->jc = v->jc;
  d->function = v->function;
  d->object = v->object;  // class objects are references
  d->propOwner = v->propOwner;
  d->propName = v->propName;
  d->fieldNames = v->fieldNames;
  for (const Value* c : v->cells) d->cells.push_back(copyValue(c));
  for (const Value* f : v->fieldValues) d->fieldValues.push_back(copyValue(f));
}

Value* copyValue(const Value* v) {
  if (!v) return nullptr;
  Value* d = new Value;
  copyInto(d, v);
  return d;
}

}  // namespace

Value::Value() { ++g_live; }

Value::~Value() {
  for (Value* c : cells) delete c;
  for (Value* f : fieldValues) delete f;
  --g_live;
}

long Value::live() { return g_live.load(); }

ObjectData::~ObjectData() {
  for (auto& p : props) delete p.second;
}

StandaloneHost::StandaloneHost() { defineBuiltins(); }

// findprop answers a 1-by-1 property object for an existing property and an
// empty value otherwise; getfield and setfield work on structures and class
// objects (setfield on a class object changes it in place, a handle object's
// behaviour); delete on a property object removes the property; transpose
// transposes char and numeric dense matrices.
void StandaloneHost::defineBuiltins() {
  define("findprop", [](StandaloneHost& h, int, Value** out, int nin, Value** in) {
    if (nin != 2 || !in[0]->object) return 1;
    const std::string name = text(in[1]);
    if (!property(in[0], name)) {
      out[0] = h.createDoubleMatrix(0, 0);
      return 0;
    }
    Value* p = new Value;
    p->cls = kObjectClass;
    p->m = p->n = 1;
    p->propOwner = in[0]->object;
    p->propName = name;
    out[0] = p;
    return 0;
  });
  define("getfield", [](StandaloneHost& h, int, Value** out, int nin, Value** in) {
    if (nin != 2) return 1;
    const std::string name = text(in[1]);
    if (in[0]->object) {
      const Value* p = property(in[0], name);
      if (!p) return 1;
      out[0] = h.duplicateArray(p);
      return 0;
    }
    const int f = h.getFieldNumber(in[0], name.c_str());
    if (f < 0 || h.getNumberOfElements(in[0]) == 0) return 1;
    out[0] = h.duplicateArray(h.getFieldByNumber(in[0], 0, f));
    return 0;
  });
  define("setfield", [](StandaloneHost& h, int, Value** out, int nin, Value** in) {
    if (nin != 3) return 1;
    const std::string name = text(in[1]);
    if (in[0]->object) {
      if (!property(in[0], name)) return 1;  // class objects gain no properties
      h.setProperty(in[0], name, h.duplicateArray(in[2]));
      out[0] = h.duplicateArray(in[0]);
      return 0;
    }
    Value* s = h.duplicateArray(in[0]);
    int f = h.getFieldNumber(s, name.c_str());
    if (f < 0) f = h.addField(s, name.c_str());
    if (s->m * s->n == 0) s->m = s->n = 1, s->fieldValues.resize(s->fieldNames.size(), nullptr);
    h.setFieldByNumber(s, 0, f, h.duplicateArray(in[2]));
    out[0] = s;
    return 0;
  });
  define("delete", [](StandaloneHost&, int, Value**, int nin, Value** in) {
    if (nin != 1 || !in[0]->propOwner) return 1;
    auto& props = in[0]->propOwner->props;
    for (auto it = props.begin(); it != props.end(); ++it) {
      if (it->first == in[0]->propName) {
        delete it->second;
        props.erase(it);
        return 0;
      }
    }
    return 1;
  });
  define("transpose", [](StandaloneHost&, int, Value** out, int nin, Value** in) {
    if (nin != 1 || in[0]->sparse || (in[0]->cls != kCharClass && elementSize(in[0]->cls) == 0)) return 1;
    const Value* a = in[0];
    Value* t = copyValue(a);
    t->m = a->n;
    t->n = a->m;
    const std::size_t es = a->cls == kCharClass ? 1 : elementSize(a->cls);
    const unsigned char* src = a->cls == kCharClass ? reinterpret_cast<const unsigned char*>(a->chars.data())
                                                    : a->data.data();
    unsigned char* dst = a->cls == kCharClass ? reinterpret_cast<unsigned char*>(t->chars.data()) : t->data.data();
    for (std::size_t i = 0; i < a->m; ++i)
      for (std::size_t j = 0; j < a->n; ++j) std::memcpy(dst + (i * a->n + j) * es, src + (j * a->m + i) * es, es);
    out[0] = t;
    return 0;
  });
}

Value* StandaloneHost::createDoubleVector(const std::vector<double>& x, bool column) {
  Value* v = column ? createDoubleMatrix(x.size(), 1) : createDoubleMatrix(1, x.size());
  if (!x.empty()) std::memcpy(v->data.data(), x.data(), x.size() * sizeof(double));
  return v;
}

Value* StandaloneHost::createInt32Scalar(int x) {
  Value* v = createNumericMatrix(1, 1, kInt32Class);
  std::memcpy(v->data.data(), &x, sizeof x);
  return v;
}

Value* StandaloneHost::createCell(const std::vector<Value*>& elements) {
  Value* v = new Value;
  v->cls = kCellClass;
  v->m = 1;
  v->n = elements.size();
  v->cells = elements;
  return v;
}

Value* StandaloneHost::createFunctionHandle(const std::string& name) {
  Value* v = new Value;
  v->cls = kFunctionClass;
  v->m = v->n = 1;
  v->function = name;
  return v;
}

Value* StandaloneHost::createObject(const std::string& className,
                                    const std::vector<std::pair<std::string, Value*>>& props) {
  Value* v = new Value;
  v->cls = kObjectClass;
  v->m = v->n = 1;
  v->object = std::make_shared<ObjectData>();
  v->object->className = className;
  v->object->props = props;
  return v;
}

Value* StandaloneHost::property(const Value* object, const std::string& name) {
  if (!object || !object->object) return nullptr;
  for (auto& p : object->object->props)
    if (p.first == name) return p.second;
  return nullptr;
}

void StandaloneHost::setProperty(Value* object, const std::string& name, Value* value) {
  for (auto& p : object->object->props) {
    if (p.first == name) {
      delete p.second;
      p.second = value;
      return;
    }
  }
  object->object->props.emplace_back(name, value);
}

std::string StandaloneHost::text(const Value* v) {
  if (!v || v->cls != kCharClass) return {};
  // A char matrix reads column by column, as the host stores it.
  return v->chars;
}

int StandaloneHost::callFunction(int nout, Value* out[], int nin, Value* in[], const char* name) {
  for (int i = 0; i < nout; ++i) out[i] = nullptr;
  auto it = functions_.find(name);
  if (it == functions_.end()) return 1;
  Function f = it->second;  // a function may redefine itself while running
  const int rc = f(*this, nout, out, nin, in);
  if (rc != 0) {
    for (int i = 0; i < nout; ++i) {
      delete out[i];
      out[i] = nullptr;
    }
  }
  return rc;
}

void StandaloneHost::errMsgTxt(const char* text) { throw HostError(text ? text : ""); }

char* StandaloneHost::arrayToString(const Value* v) {
  if (!v || v->cls != kCharClass) return nullptr;
  char* s = static_cast<char*>(std::malloc(v->chars.size() + 1));
  std::memcpy(s, v->chars.data(), v->chars.size());
  s[v->chars.size()] = '\0';
  return s;
}

int StandaloneHost::getString(const Value* v, char* buf, std::size_t size) {
  if (!v || v->cls != kCharClass || size == 0) return 1;
  const std::size_t k = std::min(v->chars.size(), size - 1);
  std::memcpy(buf, v->chars.data(), k);
  buf[k] = '\0';
  return k < v->chars.size() ? 1 : 0;  // truncated: failure, as the host reports it
}

Value* StandaloneHost::createString(const char* text) {
  Value* v = new Value;
  v->cls = kCharClass;
  v->chars = text ? text : "";
  v->m = v->chars.empty() ? 0 : 1;
  v->n = v->chars.size();
  return v;
}

Value* StandaloneHost::createCharMatrixFromStrings(std::size_t m, const char** strings) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < m; ++i) width = std::max(width, std::strlen(strings[i]));
  Value* v = new Value;
  v->cls = kCharClass;
  v->m = m;
  v->n = width;
  v->chars.assign(m * width, ' ');
  for (std::size_t i = 0; i < m; ++i)
    for (std::size_t j = 0; strings[i][j]; ++j) v->chars[j * m + i] = strings[i][j];
  return v;
}

Value* StandaloneHost::createDoubleMatrix(std::size_t m, std::size_t n) {
  return createNumericMatrix(m, n, kDoubleClass);
}

Value* StandaloneHost::createDoubleScalar(double x) {
  Value* v = createDoubleMatrix(1, 1);
  std::memcpy(v->data.data(), &x, sizeof x);
  return v;
}

Value* StandaloneHost::createNumericMatrix(std::size_t m, std::size_t n, ClassId cls) {
  if (elementSize(cls) == 0) return nullptr;
  Value* v = new Value;
  v->cls = cls;
  v->m = m;
  v->n = n;
  v->data.assign(m * n * elementSize(cls), 0);
  return v;
}

Value* StandaloneHost::createNumericArray(std::size_t ndim, const std::size_t* dims, ClassId cls) {
  std::size_t n = 1;
  for (std::size_t k = 1; k < ndim; ++k) n *= dims[k];
  return createNumericMatrix(ndim ? dims[0] : 0, n, cls);
}

Value* StandaloneHost::createSparse(std::size_t m, std::size_t n, std::size_t nzmax) {
  Value* v = new Value;
  v->cls = kDoubleClass;
  v->sparse = true;
  v->m = m;
  v->n = n;
  nzmax = std::max<std::size_t>(nzmax, 1);
  v->data.assign(nzmax * sizeof(double), 0);
  v->ir.assign(nzmax, 0);
  v->jc.assign(n + 1, 0);
  return v;
}

Value* StandaloneHost::createStructMatrix(std::size_t m, std::size_t n, int nfields, const char** names) {
  Value* v = new Value;
  v->cls = kStructClass;
  v->m = m;
  v->n = n;
  for (int f = 0; f < nfields; ++f) v->fieldNames.emplace_back(names[f]);
  v->fieldValues.assign(m * n * nfields, nullptr);
  return v;
}

Value* StandaloneHost::duplicateArray(const Value* v) { return copyValue(v); }

void StandaloneHost::freeMemory(void* p) { std::free(p); }

Value* StandaloneHost::getCell(const Value* v, std::size_t i) {
  return v->cls == kCellClass && i < v->cells.size() ? v->cells[i] : nullptr;
}

double* StandaloneHost::getPr(const Value* v) {
  return v->cls == kDoubleClass ? reinterpret_cast<double*>(const_cast<unsigned char*>(v->data.data())) : nullptr;
}

void* StandaloneHost::getData(const Value* v) {
  if (v->cls == kCharClass) return const_cast<char*>(v->chars.data());
  return v->data.empty() ? nullptr : const_cast<unsigned char*>(v->data.data());
}

Index* StandaloneHost::getIr(const Value* v) { return v->sparse ? const_cast<Index*>(v->ir.data()) : nullptr; }
Index* StandaloneHost::getJc(const Value* v) { return v->sparse ? const_cast<Index*>(v->jc.data()) : nullptr; }

double StandaloneHost::getInf() { return std::numeric_limits<double>::infinity(); }

bool StandaloneHost::isClass(const Value* v, const char* name) {
  if (v->object) return v->object->className == name;
  static const char* const names[] = {"unknown", "cell",  "struct", "logical", "char",   "void",
                                      "double",  "single", "int8",  "uint8",   "int16",  "uint16",
                                      "int32",   "uint32", "int64", "uint64",  "function_handle"};
  return v->cls <= kFunctionClass && std::strcmp(names[v->cls], name) == 0;
}

int StandaloneHost::getFieldNumber(const Value* v, const char* name) {
  if (v->cls != kStructClass) return -1;
  for (std::size_t f = 0; f < v->fieldNames.size(); ++f)
    if (v->fieldNames[f] == name) return static_cast<int>(f);
  return -1;
}

Value* StandaloneHost::getFieldByNumber(const Value* v, std::size_t index, int field) {
  const std::size_t nf = v->fieldNames.size();
  if (v->cls != kStructClass || field < 0 || static_cast<std::size_t>(field) >= nf || index >= v->m * v->n)
    return nullptr;
  return v->fieldValues[index * nf + field];
}

void StandaloneHost::setFieldByNumber(Value* v, std::size_t index, int field, Value* value) {
  const std::size_t nf = v->fieldNames.size();
  if (v->cls != kStructClass || field < 0 || static_cast<std::size_t>(field) >= nf || index >= v->m * v->n)
    return;
  // The host does not free the previous value: the caller destroys it first.
  v->fieldValues[index * nf + field] = value;
}

int StandaloneHost::addField(Value* v, const char* name) {
  if (v->cls != kStructClass) return -1;
  const int existing = getFieldNumber(v, name);
  if (existing >= 0) return existing;
  const std::size_t nf = v->fieldNames.size(), ne = v->m * v->n;
  std::vector<Value*> values;
  for (std::size_t e = 0; e < ne; ++e) {
    for (std::size_t f = 0; f < nf; ++f) values.push_back(v->fieldValues[e * nf + f]);
    values.push_back(nullptr);
  }
  v->fieldNames.emplace_back(name);
  v->fieldValues = std::move(values);
  return static_cast<int>(nf);
}

void StandaloneHost::removeField(Value* v, int field) {
  const std::size_t nf = v->fieldNames.size(), ne = v->m * v->n;
  if (v->cls != kStructClass || field < 0 || static_cast<std::size_t>(field) >= nf) return;
  // The host drops the field without freeing its values: the caller does.
  std::vector<Value*> values;
  for (std::size_t e = 0; e < ne; ++e)
    for (std::size_t f = 0; f < nf; ++f)
      if (f != static_cast<std::size_t>(field)) values.push_back(v->fieldValues[e * nf + f]);
  v->fieldNames.erase(v->fieldNames.begin() + field);
  v->fieldValues = std::move(values);
}

int StandaloneHost::getNumberOfFields(const Value* v) {
  return v->cls == kStructClass ? static_cast<int>(v->fieldNames.size()) : 0;
}

}  // namespace gateway
