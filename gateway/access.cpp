#include "access.h"

#include <cmath>
#include <cstring>

#include "gateway_object.h"

namespace gateway {

namespace {

// Calls a host function of (value, name) with one output; the output is
// owned by the caller, null when the call fails.
Value* callWithName(Host& host, const char* function, const Value* v, const char* name) {
  Value* nameValue = host.createString(name);
  Value* in[2] = {const_cast<Value*>(v), nameValue};
  Value* out[1] = {nullptr};
  const int rc = host.callFunction(1, out, 2, in, function);
  host.destroyArray(nameValue);
  return rc == 0 ? out[0] : nullptr;
}

}  // namespace

bool isTavloObject(Host& host, const Value* v) { return v && host.isClass(v, "Tavlo"); }

bool hasField(Host& host, const Value* v, const char* name) {
  if (!v) return false;
  if (!isTavloObject(host, v)) return host.getFieldNumber(v, name) >= 0;
  Value* prop = callWithName(host, "findprop", v, name);
  const bool found = prop && host.getM(prop) >= 1;
  if (prop) host.destroyArray(prop);
  return found;
}

Held getProperty(Host& host, const Value* v, const char* name) {
  Value* out = v ? callWithName(host, "getfield", v, name) : nullptr;
  if (out && host.isEmpty(out)) {
    host.destroyArray(out);
    out = nullptr;
  }
  return Held(host, out, true);
}

Held getField(Host& host, const Value* v, const char* name, std::size_t index, bool allowEmpty) {
  if (!v) return {};
  if (isTavloObject(host, v)) return hasField(host, v, name) ? getProperty(host, v, name) : Held();
  const int f = host.getFieldNumber(v, name);
  if (f < 0) return {};
  Value* field = host.getFieldByNumber(v, index, f);
  if (!field || (!allowEmpty && host.isEmpty(field))) return {};
  return Held(host, field, false);
}

Held setProperty(Host& host, Value* v, const char* name, const Value* newValue) {
  Value* nameValue = host.createString(name);
  Value* in[3] = {v, nameValue, const_cast<Value*>(newValue)};
  Value* out[1] = {nullptr};
  const int rc = host.callFunction(1, out, 3, in, "setfield");
  host.destroyArray(nameValue);
  return Held(host, rc == 0 ? out[0] : nullptr, true);
}

int setField(Host& host, Value* v, const char* name, Value* newValue, std::size_t index) {
  if (isTavloObject(host, v)) {
    Held result = setProperty(host, v, name, newValue);
    host.destroyArray(newValue);
    return result ? 0 : 1001;
  }
  int f = host.getFieldNumber(v, name);
  if (f < 0) {
    f = host.addField(v, name);
    if (f < 0) {
      host.destroyArray(newValue);
      return 1001;
    }
  } else if (index == 0) {
    if (Value* old = host.getFieldByNumber(v, 0, f)) host.destroyArray(old);
  }
  host.setFieldByNumber(v, index, f, newValue);
  return 0;
}

void delField(Host& host, Value* v, const char* name) {
  if (!isTavloObject(host, v)) {
    const int f = host.getFieldNumber(v, name);
    if (f < 0) return;
    std::vector<Value*> values;
    for (std::size_t e = 0; e < host.getNumberOfElements(v); ++e)
      if (Value* x = host.getFieldByNumber(v, e, f)) values.push_back(x);
    host.removeField(v, f);
    for (Value* x : values) host.destroyArray(x);
    return;
  }
  if (!hasField(host, v, name)) return;
  Value* prop = callWithName(host, "findprop", v, name);
  if (!prop) return;
  Value* in[1] = {prop};
  host.callFunction(0, nullptr, 1, in, "delete");
  host.destroyArray(prop);
}

Tavlo* getTavlo(Host& host, const Value* handle) {
  Held ptr = getProperty(host, handle, "TvlPtr");
  if (!ptr || host.getClassId(ptr.get()) != kUint64Class) return nullptr;
  void* address = getInt64(host, ptr.get());
  return Tavlo::isLive(address) ? static_cast<Tavlo*>(address) : nullptr;
}

Value* createInt64(Host& host, const void* address) {
  const std::size_t dims[2] = {1, 1};
  Value* v = host.createNumericArray(2, dims, kUint64Class);
  if (!v) return nullptr;
  const std::uint64_t word = reinterpret_cast<std::uintptr_t>(address);
  std::memcpy(host.getData(v), &word, sizeof word);
  return v;
}

void* getInt64(Host& host, const Value* v) {
  const void* data = host.getData(v);
  if (!data || host.getNumberOfElements(v) == 0) return nullptr;
  std::uint64_t word;
  std::memcpy(&word, data, sizeof word);
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(word));
}

std::size_t vectorLength(Host& host, const Value* v) {
  const std::size_t m = host.getM(v);
  return m == 1 ? host.getN(v) : m;
}

int notVlenEqual(Host& host, const Value* v, std::size_t n) {
  const std::size_t len = host.getN(v) != 1 ? host.getN(v) : host.getM(v);
  return len == n ? 0 : 10013;
}

namespace {

// Sparse vectors: the non-zeros of a column go to their rows, those of a
// row to their columns; a sparse matrix of several rows and columns leaves
// the output zero.
template <typename T, typename Convert>
void scatterSparse(Host& host, const Value* v, std::vector<T>& out, Convert convert) {
  const std::size_t m = host.getM(v), n = host.getN(v);
  const Index* ir = host.getIr(v);
  const Index* jc = host.getJc(v);
  const double* pr = host.getPr(v);
  if (m == 1) {
    for (std::size_t j = 0; j < n; ++j)
      for (Index k = jc[j]; k < jc[j + 1]; ++k) out[j] = convert(pr[k]);
  } else if (n == 1) {
    for (Index k = jc[0]; k < jc[1]; ++k) out[static_cast<std::size_t>(ir[k])] = convert(pr[k]);
  }
}

bool isNullVector(Host& host, const Value* v) { return !v || (host.getM(v) == 0 && host.getN(v) == 0); }

}  // namespace

std::optional<std::vector<double>> createmxVector(Host& host, const Value* v) {
  if (isNullVector(host, v)) return std::nullopt;
  std::vector<double> out(vectorLength(host, v), 0.0);
  if (host.isSparse(v)) {
    scatterSparse(host, v, out, [](double x) { return x; });
  } else if (const double* pr = host.getPr(v)) {
    std::copy(pr, pr + out.size(), out.begin());
  }
  return out;
}

std::optional<std::vector<int>> createmxVectori(Host& host, const Value* v) {
  if (isNullVector(host, v)) return std::nullopt;
  std::vector<int> out(vectorLength(host, v), 0);
  auto truncate = [](double x) { return static_cast<int>(std::trunc(x)); };
  if (host.isSparse(v)) {
    scatterSparse(host, v, out, truncate);
    return out;
  }
  const void* data = host.getData(v);
  switch (host.getClassId(v)) {
    case kInt32Class: std::memcpy(out.data(), data, out.size() * sizeof(int)); break;
    case kInt64Class:
      for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int>(static_cast<const std::int64_t*>(data)[i]);
      break;
    default:
      if (const double* pr = host.getPr(v))
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = truncate(pr[i]);
  }
  return out;
}

bool isRange(int n, const int* index) {
  for (int i = 1; i < n; ++i)
    if (index[i] != index[0] + i) return false;
  return true;
}

}  // namespace gateway
