#include "simplex/matrix_compress.h"

#include <algorithm>
#include <bit>
#include <new>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "runtime/alloc.h"

namespace tvl::lp {

namespace {


uint64_t bits_of(double v) { return std::bit_cast<uint64_t>(v); }

// Signed difference of two row indices as an unsigned code with small
// values for small magnitudes of either sign.
uint32_t zigzag(int64_t delta) {
  return static_cast<uint32_t>(delta < 0 ? ((-delta) << 1) - 1 : delta << 1);
}
int64_t unzigzag(uint32_t code) {
  return (code & 1u) ? -static_cast<int64_t>((code + 1u) >> 1) : static_cast<int64_t>(code >> 1);
}

void put_varint(std::vector<uint8_t> &out, uint32_t v) {
  while (v >= 0x80u) {
    out.push_back(static_cast<uint8_t>(v | 0x80u));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}
uint32_t get_varint(const uint8_t *&p) {
  uint32_t v = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t b = *p++;
    v |= static_cast<uint32_t>(b & 0x7fu) << shift;
    if (b < 0x80u) return v;
  }
}

int index_width(size_t pool_size) {
  if (pool_size <= 0x100u) return 1;
  if (pool_size <= 0x10000u) return 2;
  return 4;
}

void put_code(uint8_t *dst, int width, uint32_t k) {
  for (int b = 0; b < width; ++b) dst[b] = static_cast<uint8_t>(k >> (8 * b));
}
uint32_t get_code(const uint8_t *src, int width) {
  uint32_t k = 0;
  for (int b = 0; b < width; ++b) k |= static_cast<uint32_t>(src[b]) << (8 * b);
  return k;
}

// Distinct bit patterns of the values in the used slots, ascending.
std::vector<uint64_t> distinct_values(const LpData &d) {
  std::vector<uint64_t> keys;
  for (int32_t j = 0; j < d.ncols; ++j)
    for (int64_t p = d.matbeg[j], e = p + d.matcnt[j]; p < e; ++p) keys.push_back(bits_of(d.matval[p]));
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

void encode(const LpData &d, const std::vector<uint64_t> &keys, CompressedMatrix &c) {
  c.pool.resize(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) c.pool[k] = std::bit_cast<double>(keys[k]);
  c.width = index_width(keys.size());
  int64_t nz = 0;
  for (int32_t j = 0; j < d.ncols; ++j) nz += d.matcnt[j];
  c.codes.resize(static_cast<size_t>(nz) * static_cast<size_t>(c.width));
  c.rows.reserve(static_cast<size_t>(nz) + static_cast<size_t>(nz) / 4);
  size_t at = 0;
  for (int32_t j = 0; j < d.ncols; ++j) {
    int64_t prev = 0;
    for (int64_t p = d.matbeg[j], e = p + d.matcnt[j]; p < e; ++p) {
      put_varint(c.rows, zigzag(int64_t{d.matind[p]} - prev));
      prev = d.matind[p];
      const auto k = std::lower_bound(keys.begin(), keys.end(), bits_of(d.matval[p])) - keys.begin();
      put_code(&c.codes[at], c.width, static_cast<uint32_t>(k));
      at += static_cast<size_t>(c.width);
    }
  }
  c.rows.shrink_to_fit();
}

void decode(const CompressedMatrix &c, LpData &d) {
  const uint8_t *r = c.rows.data();
  const uint8_t *code = c.codes.data();
  for (int32_t j = 0; j < d.ncols; ++j) {
    int64_t prev = 0;
    for (int64_t p = d.matbeg[j], e = p + d.matcnt[j]; p < e; ++p) {
      prev += unzigzag(get_varint(r));
      d.matind[p] = static_cast<int32_t>(prev);
      d.matval[p] = c.pool[get_code(code, c.width)];
      code += c.width;
    }
  }
}

}  // namespace

size_t expanded_bytes(const LpData &d) {
  return static_cast<size_t>(d.nzcap) * (sizeof(int32_t) + sizeof(double));
}

bool compress_matrix(LpData &d, CompressedMatrix &c) {
  if (c.active || !d.matind || !d.matval) return false;
  try {
    CompressedMatrix built;
    encode(d, distinct_values(d), built);
    c = std::move(built);
  } catch (const std::bad_alloc &) {
    return false;
  }
  c.active = true;
  mem_free(d.matind);
  mem_free(d.matval);
  return true;
}

bool expand_matrix(LpData &d, CompressedMatrix &c) {
  if (!c.active) return true;
  const size_t slots = static_cast<size_t>(d.nzcap);
  int32_t *ind = static_cast<int32_t *>(mem_calloc(slots, sizeof(int32_t)));
  double *val = static_cast<double *>(mem_calloc(slots, sizeof(double)));
  if (!ind || !val) {
    mem_free(ind);
    mem_free(val);
    return false;
  }
  d.matind = ind;
  d.matval = val;
  decode(c, d);
  c = CompressedMatrix{};
  return true;
}

bool compression_wanted(const tvlenv *env) {
  const int setting = param_int(env, kParamCompression);
  return setting == 1 || (setting == 0 && param_int(env, TVL_PARAM_MEMORYEMPHASIS) != 0);
}

CompressedScope::CompressedScope(tvlenv *env, LpData &d) : d_(d) {
  if (!compression_wanted(env) || !d.matind || !d.matval) return;
  const double t0 = env_time(env);
  const size_t before = expanded_bytes(d);
  if (!compress_matrix(d, c_)) {
    status_ = TVLERR_OUT_OF_MEMORY;
    return;
  }
  if (param_int(env, TVL_PARAM_SIMDISPLAY) == 0) return;
  constexpr double kMB = 1024.0 * 1024.0;
  msg_log(env, "Compression time = %7.2f sec.\n", env_time(env) - t0);
  msg_log(env, "Compression reduced %.2f MB A matrix to %.2f MB\n", static_cast<double>(before) / kMB,
          static_cast<double>(c_.bytes()) / kMB);
}

}  // namespace tvl::lp
