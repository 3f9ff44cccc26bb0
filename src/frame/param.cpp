// Parameter registry, name index and value blocks.
//
// The registry and the name index are computed at compile time from
// params.def, so they are shared read-only by every environment and need no
// initialisation at run time.  Values live in a ParamBlocks per environment.
#include "frame/param.h"

#include <unistd.h>

#include <array>
#include <cassert>
#include <cmath>
#include <cstring>

#include "frame/env.h"
#include "runtime/alloc.h"

namespace tvl {
namespace {

#define PARAM_T kLimitT
#define PARAM_T_MINUS_1 kLimitTMinus1
#define PARAM_NONE 0.0
constexpr ParamRecord kEntries[] = {
#define PARAM_INT(n, nm, d, lo, hi, ...) {kParamInt, nm, n, d, lo, hi, 0.0, 0.0, 0.0, nullptr, nm[0] == '\0', -1},
#define PARAM_DBL(n, nm, d, lo, hi, ...) {kParamDbl, nm, n, 0, 0, 0, d, lo, hi, nullptr, nm[0] == '\0', -1},
#define PARAM_STR(n, nm, d, ...) {kParamStr, nm, n, 0, 0, 0, 0.0, 0.0, 0.0, d, nm[0] == '\0', -1},
#include "frame/params.def"
#undef PARAM_INT
#undef PARAM_DBL
#undef PARAM_STR
};
#undef PARAM_T
#undef PARAM_T_MINUS_1
#undef PARAM_NONE

constexpr int number_at(int pos) {
  for (const ParamRange &r : kParamRanges)
    if (pos >= r.base && pos <= r.base + (r.hi - r.lo)) return r.lo + (pos - r.base);
  return -1;
}

// Dense registry: one record per number of every range; gaps keep kind 0.
// A misplaced or repeated entry in params.def stops the compilation.
constexpr std::array<ParamRecord, kParamSlots> build_registry() {
  std::array<ParamRecord, kParamSlots> t{};
  for (int pos = 0; pos < kParamSlots; ++pos)
    t[pos] = ParamRecord{kParamNone, "", number_at(pos), 0, 0, 0, 0.0, 0.0, 0.0, nullptr, 1, -1};
  int strings = 0;
  int last = -1;
  for (const ParamRecord &e : kEntries) {
    int pos = param_slot(e.number);
    if (pos < 0 || pos <= last || t[pos].kind != kParamNone) throw "params.def: entry out of order";
    last = pos;
    t[pos] = e;
    if (e.kind == kParamStr) t[pos].strslot = strings++;
  }
  return t;
}

constexpr auto kRegistry = build_registry();

constexpr int count_kind(int kind) {
  int n = 0;
  for (const ParamRecord &e : kEntries) n += e.kind == kind;
  return n;
}
constexpr int count_public() {
  int n = 0;
  for (const ParamRecord &e : kEntries) n += !e.hidden;
  return n;
}
constexpr int kStrCount = count_kind(kParamStr);
static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == 286, "286 registered parameters");
static_assert(count_public() == 153, "153 public parameters");

// ---- Name index -----------------------------------------------------------
// Hash: exclusive-or of the bytes, byte i shifted left by 8 * (i mod 4) bits,
// modulo the bucket count.  The bucket count is the first prime of the list
// not smaller than 0.35 times the entry capacity, which starts at 1 and
// doubles as names are added.
constexpr uint32_t kPrimes[] = {1021,    8191,    65521,    131071,   262139,  524287,
                                1048573, 2097143, 4194301, 8388593, 16777213};

constexpr uint32_t bucket_count(int names) {
  uint64_t capacity = 1;
  while (capacity < static_cast<uint64_t>(names)) capacity *= 2;
  for (uint32_t p : kPrimes)
    if (static_cast<double>(p) >= 0.35 * static_cast<double>(capacity)) return p;
  return kPrimes[sizeof(kPrimes) / sizeof(kPrimes[0]) - 1];
}

constexpr uint32_t name_hash(const char *name, uint32_t buckets) {
  uint32_t h = 0;
  for (uint32_t i = 0; name[i] != '\0'; ++i)
    h ^= static_cast<uint32_t>(static_cast<unsigned char>(name[i])) << (8 * (i % 4));
  return h % buckets;
}

constexpr uint32_t kBuckets = bucket_count(count_public());

constexpr bool same_name(const char *a, const char *b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// Chained buckets: head[bucket] and next[slot] hold registry positions (-1 ends).
struct NameIndex {
  std::array<int16_t, kBuckets> head{};
  std::array<int16_t, kParamSlots> next{};
};

constexpr NameIndex build_index() {
  NameIndex ix{};
  for (auto &h : ix.head) h = -1;
  for (auto &n : ix.next) n = -1;
  for (int pos = 0; pos < kParamSlots; ++pos) {
    const ParamRecord &r = kRegistry[pos];
    if (r.kind == kParamNone || r.hidden) continue;
    uint32_t b = name_hash(r.name, kBuckets);
    for (int q = ix.head[b]; q >= 0; q = ix.next[q])
      if (same_name(kRegistry[q].name, r.name)) throw "params.def: repeated name";
    ix.next[pos] = ix.head[b];
    ix.head[b] = static_cast<int16_t>(pos);
  }
  return ix;
}

constexpr NameIndex kNameIndex = build_index();

int online_threads() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  if (n > 16) n = 16;
  return n < 1 ? 1 : static_cast<int>(n);
}

}  // namespace

struct ParamBlocks {
  int32_t ints[kParamSlots];
  double dbls[kParamSlots];
  char strs[kStrCount][kParamStrMax + 1];
  int32_t threads;  // T, fixed when the blocks were created
};

const ParamRecord &param_record_at(int pos) { return kRegistry[pos]; }

const ParamRecord *param_find(int num) {
  int pos = param_slot(num);
  return pos < 0 ? nullptr : &kRegistry[pos];
}

int param_lookup_name(const char *name) {
  if (name == nullptr) return -1;
  for (int q = kNameIndex.head[name_hash(name, kBuckets)]; q >= 0; q = kNameIndex.next[q])
    if (std::strcmp(kRegistry[q].name, name) == 0) return kRegistry[q].number;
  return -1;
}

ParamBlocks *params_create() {
  auto *b = static_cast<ParamBlocks *>(mem_alloc(sizeof(ParamBlocks)));
  if (b == nullptr) return nullptr;
  b->threads = online_threads();
  param_blocks_reset(b);
  return b;
}

ParamBlocks *params_clone(const ParamBlocks *src) {
  auto *b = static_cast<ParamBlocks *>(mem_alloc(sizeof(ParamBlocks)));
  if (b != nullptr) std::memcpy(b, src, sizeof(ParamBlocks));
  return b;
}

void params_free(ParamBlocks *&blocks) { mem_free(blocks); }

void param_blocks_copy(ParamBlocks *dst, const ParamBlocks *src) { std::memcpy(dst, src, sizeof(ParamBlocks)); }

void param_blocks_reset(ParamBlocks *b) {
  for (int pos = 0; pos < kParamSlots; ++pos) {
    const ParamRecord &r = kRegistry[pos];
    b->ints[pos] = r.idef;
    b->dbls[pos] = r.ddef;
    if (r.kind == kParamStr) {
      std::strncpy(b->strs[r.strslot], r.sdef, kParamStrMax);
      b->strs[r.strslot][kParamStrMax] = '\0';
    }
  }
}

int32_t param_int(const tvlenv *env, int num) {
  int pos = param_slot(num);
  assert(pos >= 0 && kRegistry[pos].kind == kParamInt);
  return env->params->ints[pos];
}

double param_dbl(const tvlenv *env, int num) {
  int pos = param_slot(num);
  assert(pos >= 0 && kRegistry[pos].kind == kParamDbl);
  return env->params->dbls[pos];
}

const char *param_str(const tvlenv *env, int num) {
  int pos = param_slot(num);
  assert(pos >= 0 && kRegistry[pos].kind == kParamStr);
  return env->params->strs[kRegistry[pos].strslot];
}

int32_t param_imax(const ParamBlocks *b, const ParamRecord &r) {
  if (r.imax == kLimitT) return b->threads;
  if (r.imax == kLimitTMinus1) return b->threads - 1;
  return r.imax;
}

int32_t &param_int_ref(ParamBlocks *b, int slot) { return b->ints[slot]; }

ScopedIntParam::ScopedIntParam(tvlenv *env, int num, int32_t value)
    : slot_(param_int_ref(env->params, param_slot(num))), saved_(slot_) {
  slot_ = value;
}

ScopedIntParam::~ScopedIntParam() { slot_ = saved_; }
double &param_dbl_ref(ParamBlocks *b, int slot) { return b->dbls[slot]; }
char *param_str_ref(ParamBlocks *b, int strslot) { return b->strs[strslot]; }
const char *param_str_ref(const ParamBlocks *b, int strslot) { return b->strs[strslot]; }

bool param_changed(const ParamBlocks *b, const ParamRecord &r) {
  int pos = param_slot(r.number);
  switch (r.kind) {
    case kParamInt:
      return b->ints[pos] != r.idef;
    case kParamDbl:
      return std::isnan(b->dbls[pos]) || std::isnan(r.ddef) || b->dbls[pos] != r.ddef;
    case kParamStr:
      return std::strcmp(b->strs[r.strslot], r.sdef) != 0;
    default:
      return false;
  }
}

}  // namespace tvl
