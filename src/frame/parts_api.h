// Shared entry checks and output conventions of the model-part functions
// (special ordered sets, quadratic objective, quadratic and indicator
// constraints).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/derived.h"
#include "frame/error.h"
#include "frame/problem.h"

namespace tvl::parts_api {

// Scratch array of 32-bit integers from the library allocator.
class IntBuf {
 public:
  IntBuf(int64_t n, int32_t fill) : p_(mem_array<int32_t>(static_cast<size_t>(n > 0 ? n : 1))) {
    if (p_) std::fill(p_, p_ + n, fill);
  }
  ~IntBuf() { mem_free(p_); }
  IntBuf(const IntBuf &) = delete;
  IntBuf &operator=(const IntBuf &) = delete;
  bool ok() const { return p_ != nullptr; }
  int32_t &operator[](int64_t k) { return p_[k]; }
  int32_t *data() { return p_; }

 private:
  int32_t *p_;
};

inline tvllp *mut(TVLCLPptr lp) { return const_cast<tvllp *>(lp); }

// Validation and completion of pending changes for queries.
inline int enter_query(const tvlenv *env, tvllp *lp) {
  int st = check_problem(env, lp);
  return st ? st : complete(env, lp);
}

// The same for modifications (fixed types are refused).
inline int enter_change(const tvlenv *env, tvllp *lp) {
  int st = check_modifiable(env, lp);
  return st ? st : complete(env, lp);
}

// Begin/end range check: 1205/1206 printed with the function name, then 1200.
inline int check_range(const tvlenv *env, const char *fname, int begin, int end, int64_t count) {
  if (begin < 0) {
    report(env, 1205, fname, begin, 0);
    return 1200;
  }
  if (end > count - 1) {
    report(env, 1206, fname, end, static_cast<int>(count - 1));
    return 1200;
  }
  return 0;
}

// Numeric entry check used with data checking: 1225 for NaN, 1233 for
// infinity (both name the entry's position).
inline int check_value(const tvlenv *env, double v, int64_t pos) {
  if (std::isnan(v)) return report(env, 1225, static_cast<int>(pos));
  if (std::isinf(v)) return report(env, 1233, static_cast<int>(pos), 1.7976931348623157e308);
  return 0;
}

// Copies a private name (nullptr for none); false on allocation failure.
inline bool copy_name(const char *s, char **out) {
  *out = nullptr;
  if (!s) return true;
  size_t len = std::strlen(s) + 1;
  *out = mem_array<char>(len);
  if (!*out) return false;
  std::memcpy(*out, s, len);
  return true;
}

// The size request of the surplus convention: space 0 with a surplus
// pointer asks how much room `need` entries take.  Answers it (surplus
// -need; status -1207, or 0 when nothing is needed) and returns true, or
// returns false when the call is not a size request.
inline bool size_request(int64_t need, int space, int *surplus_p, int *status) {
  if (space != 0 || !surplus_p) return false;
  *surplus_p = static_cast<int>(-need);
  *status = need > 0 ? -1207 : 0;
  return true;
}

// Surplus convention for one name: space 0 asks for the size.
inline int single_name(const char *s, char *buf, int space, int *surplus_p) {
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  int64_t len = static_cast<int64_t>(std::strlen(s)) + 1;
  int st = 0;
  if (size_request(len, space, surplus_p, &st)) return st;
  if (!buf || !surplus_p) return 1004;
  std::memcpy(buf, s, static_cast<size_t>(std::min<int64_t>(len, space)));
  *surplus_p = static_cast<int>(space - len);
  return space < len ? 1207 : 0;
}

// Surplus convention for one index/value vector of `cnt` entries; `copy`
// copies entries [0, n).  Returns 0, -1207 (size request) or 1207/1004.
template <class Copy>
int single_vector(int64_t cnt, int *cnt_p, int space, int *surplus_p, bool arrays, Copy copy) {
  if (cnt_p) *cnt_p = 0;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  int st = 0;
  if (size_request(cnt, space, surplus_p, &st)) return st;
  if (!cnt_p || !arrays || !surplus_p) return 1004;
  int64_t n = std::min<int64_t>(cnt, space);
  if (n > 0) copy(n);
  *surplus_p = static_cast<int>(space - cnt);
  *cnt_p = static_cast<int>(n);
  return space < cnt ? 1207 : 0;
}

}  // namespace tvl::parts_api
