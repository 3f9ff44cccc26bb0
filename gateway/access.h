// Access to the fields of the host's solver object and of structures, and
// the vector conversions every command uses.
//
// A value is treated as a class object when the host says it is of class
// "Tavlo"; anything else is read as a structure.  Class objects are read and
// written through the host functions findprop, getfield and setfield, so a
// property is reached the same way whatever the object's internal layout.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "host.h"

namespace gateway {

// A host value that may or may not be owned by the holder: values returned
// by host calls are owned (destroyed with the holder), fields of a structure
// are borrowed from it.
class Held {
 public:
  Held() = default;
  Held(Host& host, Value* v, bool owned) : host_(&host), v_(v), owned_(owned && v) {}
  ~Held() { reset(); }
  Held(Held&& o) noexcept : host_(o.host_), v_(o.v_), owned_(o.owned_) { o.owned_ = false, o.v_ = nullptr; }
  Held& operator=(Held&& o) noexcept {
    if (this != &o) reset(), host_ = o.host_, v_ = o.v_, owned_ = o.owned_, o.owned_ = false, o.v_ = nullptr;
    return *this;
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

  Value* get() const { return v_; }
  explicit operator bool() const { return v_ != nullptr; }
  // Gives up the value; the caller owns it when it was owned.
  Value* release() { owned_ = false; return std::exchange(v_, nullptr); }
  void reset() {
    if (owned_) host_->destroyArray(v_);
    v_ = nullptr;
    owned_ = false;
  }

 private:
  Host* host_ = nullptr;
  Value* v_ = nullptr;
  bool owned_ = false;
};

class Tavlo;

bool isTavloObject(Host& host, const Value* v);
// Whether the object has the property, or the structure the field.
bool hasField(Host& host, const Value* v, const char* name);
// The property's value (getfield), or empty when it is missing or empty.
Held getProperty(Host& host, const Value* v, const char* name);
// A class object's property (when it exists) or element `index` of a
// structure's field; an empty value only when `allowEmpty`.
Held getField(Host& host, const Value* v, const char* name, std::size_t index, bool allowEmpty);
// setfield(v, name, newValue); the result (the changed object) is returned.
Held setProperty(Host& host, Value* v, const char* name, const Value* newValue);
// Stores `newValue` (ownership passes to this function) as property `name`
// of a class object or as element `index` of field `name` of a structure,
// adding the field when missing.  Status 0, or 1001 when the field cannot
// be added or the property not set.
int setField(Host& host, Value* v, const char* name, Value* newValue, std::size_t index);
// Removes a structure's field, destroying its values; a class object's
// property is removed with delete on its property object.
void delField(Host& host, Value* v, const char* name);

// The gateway object whose address the handle object keeps in TvlPtr;
// null unless TvlPtr is a uint64 holding the address of a live object.
Tavlo* getTavlo(Host& host, const Value* handle);
// A 1-by-1 uint64 array holding an address, and the address back.
Value* createInt64(Host& host, const void* address);
void* getInt64(Host& host, const Value* v);

// Length of a vector: rows, unless there is just one row.
std::size_t vectorLength(Host& host, const Value* v);
// 0 when the array's length is n, else 10013.
int notVlenEqual(Host& host, const Value* v, std::size_t n);
// The array's elements as doubles (sparse vectors scattered to their
// positions; a sparse matrix with several rows and columns gives zeros);
// nothing for a null or 0-by-0 input.
std::optional<std::vector<double>> createmxVector(Host& host, const Value* v);
// The same as 32-bit integers: int32 and int64 arrays converted element by
// element, anything else read as doubles and truncated toward zero.
std::optional<std::vector<int>> createmxVectori(Host& host, const Value* v);
// True when n < 2 or the indices are consecutive from the first.
bool isRange(int n, const int* index);

}  // namespace gateway
