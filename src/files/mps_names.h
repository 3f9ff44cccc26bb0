// Hash index from names to integers, used by the model-file readers to
// resolve row and column names in constant time.  Keys are views into text
// that outlives the index (the reader's input buffer or a name pool).
#pragma once

#include <cstdint>
#include <string_view>

#include "files/mps_image.h"

namespace tvl {

class NameIndex {
 public:
  static constexpr int32_t kMissing = INT32_MIN;

  explicit NameIndex(int64_t expected = 64) { rehash(expected); }

  // Value stored for the name, or kMissing.
  int32_t find(std::string_view name) const {
    uint64_t h = hash(name);
    for (uint64_t i = h & mask_;; i = (i + 1) & mask_) {
      int32_t e = slot_[i];
      if (e < 0) return kMissing;
      if (hashes_[e] == h && keys_[e] == name) return vals_[e];
    }
  }

  // Inserts the name; when it is already present nothing changes and the
  // existing value is returned, otherwise kMissing.
  int32_t insert(std::string_view name, int32_t value) {
    if ((keys_.size() + 1) * 2 > slot_.size()) rehash(static_cast<int64_t>(keys_.size()) * 2 + 16);
    uint64_t h = hash(name);
    uint64_t i = h & mask_;
    for (;; i = (i + 1) & mask_) {
      int32_t e = slot_[i];
      if (e < 0) break;
      if (hashes_[e] == h && keys_[e] == name) return vals_[e];
    }
    slot_[i] = static_cast<int32_t>(keys_.size());
    keys_.push_back(name);
    vals_.push_back(value);
    hashes_.push_back(h);
    return kMissing;
  }

  // Changes the value of a present name.
  void set(std::string_view name, int32_t value) {
    uint64_t h = hash(name);
    for (uint64_t i = h & mask_;; i = (i + 1) & mask_) {
      int32_t e = slot_[i];
      if (e < 0) return;
      if (hashes_[e] == h && keys_[e] == name) {
        vals_[e] = value;
        return;
      }
    }
  }

  int64_t size() const { return static_cast<int64_t>(keys_.size()); }

 private:
  static uint64_t hash(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h ^ (h >> 29);
  }
  void rehash(int64_t expected) {
    size_t cap = 16;
    while (cap < static_cast<size_t>(expected) * 2) cap <<= 1;
    slot_.assign(cap, -1);
    mask_ = cap - 1;
    for (size_t e = 0; e < keys_.size(); ++e) {
      uint64_t i = hashes_[e] & mask_;
      while (slot_[i] >= 0) i = (i + 1) & mask_;
      slot_[i] = static_cast<int32_t>(e);
    }
  }

  Vec<int32_t> slot_;
  Vec<std::string_view> keys_;
  Vec<int32_t> vals_;
  Vec<uint64_t> hashes_;
  uint64_t mask_ = 0;
};

}  // namespace tvl
