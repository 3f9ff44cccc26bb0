#include "values.h"

#include <algorithm>
#include <utility>
#include <cstdint>
#include <cstring>

#include "gateway_object.h"

namespace gateway {

bool readText(Host& host, const Value* v, char* buffer, std::size_t size) {
  return v && host.isChar(v) && host.getString(v, buffer, size) == 0;
}

bool readScalar(Host& host, const Value* v, double* x) {
  if (!v || host.isEmpty(v)) return false;
  if (host.isSparse(v)) {
    const Index* jc = host.getJc(v);
    *x = jc[1] > 0 && host.getIr(v)[0] == 0 ? host.getPr(v)[0] : 0.0;
    return true;
  }
  const void* data = host.getData(v);
  switch (host.getClassId(v)) {
    case kDoubleClass: *x = *static_cast<const double*>(data); return true;
    case kLogicalClass: *x = *static_cast<const bool*>(data) ? 1.0 : 0.0; return true;
    case kInt32Class: *x = *static_cast<const std::int32_t*>(data); return true;
    case kInt64Class: *x = static_cast<double>(*static_cast<const std::int64_t*>(data)); return true;
    case kUint64Class: *x = static_cast<double>(*static_cast<const std::uint64_t*>(data)); return true;
    default: return false;
  }
}

Value* doubleColumn(Host& host, const double* x, std::size_t n) {
  Value* v = host.createDoubleMatrix(n, 1);
  if (v && n) std::memcpy(host.getPr(v), x, n * sizeof(double));
  return v;
}

Value* int32Column(Host& host, const int* x, std::size_t n) {
  Value* v = host.createNumericMatrix(n, 1, kInt32Class);
  if (v && n) std::memcpy(host.getData(v), x, n * sizeof(int));
  return v;
}

Value* int32Scalar(Host& host, int x) { return int32Column(host, &x, 1); }

Value* boundColumn(Host& host, const double* x, std::size_t n) {
  Value* v = doubleColumn(host, x, n);
  if (!v) return v;
  double* pr = host.getPr(v);
  const double inf = host.getInf();
  for (std::size_t i = 0; i < n; ++i) {
    if (pr[i] >= TVL_INFBOUND) pr[i] = inf;
    if (pr[i] <= -TVL_INFBOUND) pr[i] = -inf;
  }
  return v;
}

SparseColumns matrixColumns(Host& host, const Value* a) {
  SparseColumns c;
  const std::size_t m = host.getM(a), n = host.getN(a);
  c.beg.assign(n + 1, 0);
  const double* pr = host.getPr(a);
  if (host.isSparse(a)) {
    const Index* jc = host.getJc(a);
    const Index* ir = host.getIr(a);
    const auto nz = static_cast<std::size_t>(jc[n]);
    for (std::size_t j = 0; j <= n; ++j) c.beg[j] = static_cast<int>(jc[j]);
    c.ind.assign(ir, ir + nz);
    c.val.assign(pr, pr + nz);
    return c;
  }
  for (std::size_t j = 0; j < n; ++j) {
    for (std::size_t i = 0; i < m; ++i) {
      const double x = pr[j * m + i];
      if (x == 0.0) continue;
      c.ind.push_back(static_cast<int>(i));
      c.val.push_back(x);
    }
    c.beg[j + 1] = static_cast<int>(c.ind.size());
  }
  return c;
}

Value* sparseFromTriples(Host& host, std::size_t m, std::size_t n, const std::vector<int>& rows,
                         const std::vector<int>& cols, const std::vector<double>& vals) {
  std::vector<std::size_t> order(vals.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return cols[a] != cols[b] ? cols[a] < cols[b] : rows[a] < rows[b];
  });
  Value* v = host.createSparse(m, n, vals.size());
  if (!v) return nullptr;
  Index* jc = host.getJc(v);
  Index* ir = host.getIr(v);
  double* pr = host.getPr(v);
  for (std::size_t k = 0; k < order.size(); ++k) {
    ir[k] = rows[order[k]];
    pr[k] = vals[order[k]];
    ++jc[cols[order[k]] + 1];
  }
  for (std::size_t j = 0; j < n; ++j) jc[j + 1] += jc[j];
  return v;
}

void vectorNonzeros(Host& host, const Value* v, std::vector<int>& ind, std::vector<double>& val) {
  ind.clear();
  val.clear();
  const std::size_t m = host.getM(v), n = host.getN(v);
  if (host.isSparse(v)) {
    // A column's stored entries are at their rows, a row's at their columns.
    const Index* jc = host.getJc(v);
    const Index* ir = host.getIr(v);
    const double* pr = host.getPr(v);
    for (std::size_t j = 0; j < n; ++j)
      for (Index k = jc[j]; k < jc[j + 1]; ++k) {
        ind.push_back(static_cast<int>(n == 1 ? ir[k] : static_cast<Index>(j)));
        val.push_back(pr[k]);
      }
    return;
  }
  const double* pr = host.getPr(v);
  for (std::size_t i = 0; i < m * n; ++i)
    if (pr[i] != 0.0) ind.push_back(static_cast<int>(i)), val.push_back(pr[i]);
}

bool NameList::parse(Host& host, const Value* v) {
  if (!v || !host.isChar(v)) return false;
  const std::size_t rows = host.getM(v), width = host.getN(v);
  Value* in[1] = {const_cast<Value*>(v)};
  Value* out[1] = {nullptr};
  if (host.callFunction(1, out, 1, in, "transpose") != 0 || !out[0]) return false;
  char* text = host.arrayToString(out[0]);
  host.destroyArray(out[0]);
  if (!text) return false;
  const std::size_t length = std::strlen(text);
  store_.assign(rows * (width + 1), '\0');
  names_.assign(rows, nullptr);
  for (std::size_t i = 0; i < rows; ++i) {
    char* slot = &store_[i * (width + 1)];
    for (std::size_t k = 0; k < width && i * width + k < length; ++k) {
      const char c = text[i * width + k];
      if (c != ' ') slot[k] = c;
    }
    if (slot[0] != '\0') names_[i] = slot;
  }
  host.freeMemory(text);
  return true;
}

Value* nameMatrix(Host& host, const std::vector<std::string>& names) {
  std::vector<const char*> rows;
  rows.reserve(names.size());
  for (const std::string& s : names) rows.push_back(s.c_str());
  return host.createCharMatrixFromStrings(rows.size(), rows.data());
}

StructBuilder::StructBuilder(Host& host) : host_(host), s_(host.createStructMatrix(1, 1, 0, nullptr)) {}

StructBuilder::~StructBuilder() {
  if (s_) host_.destroyArray(s_);
}

bool StructBuilder::put(const char* name, Value* v) {
  if (!s_ || !v) {
    if (v) host_.destroyArray(v);
    return false;
  }
  return setField(host_, s_, name, v, 0) == 0;
}

bool StructBuilder::empty() const { return !s_ || host_.getNumberOfFields(s_) == 0; }

Value* StructBuilder::release() { return std::exchange(s_, nullptr); }

int reportFailure(Tavlo& t, int status, const char* text) {
  Tavlo::errMsgFunc(&t, text);
  return status;
}

int reportLibraryStatus(Tavlo& t, int status) {
  char buffer[TVL_MSGBUFSIZE] = {};
  if (!TVLgeterrorstring(nullptr, status, buffer)) return status;
  return reportFailure(t, status, buffer);
}

}  // namespace gateway
