#include "conflict/model_memo.h"

#include <cstring>

namespace tvl::conflict {

namespace {

// Infeasible models remembered; older ones are forgotten first.
constexpr size_t kRemembered = 64;

void put(std::vector<double> &data, double v) { data.push_back(v); }

template <class T>
void put_all(std::vector<double> &data, const std::vector<T> &values) {
  put(data, static_cast<double>(values.size()));
  for (const T &v : values) put(data, static_cast<double>(v));
}

uint64_t hash_of(const std::vector<double> &data) {
  uint64_t h = 0xcbf29ce484222325ULL;
  for (double v : data) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    h = (h ^ bits) * 0x100000001b3ULL;
  }
  return h;
}

}  // namespace

ModelMemo::Image ModelMemo::image_of(const mip::MipModel &m) {
  Image im;
  const lp::LpModel &lp = m.lp;
  im.data.reserve(lp.a.value.size() * 2 + (lp.collo.size() + lp.rowlo.size()) * 2 + lp.a.start.size() + 16);
  put(im.data, lp.a.m);
  put_all(im.data, lp.a.start);
  put_all(im.data, lp.a.index);
  put_all(im.data, lp.a.value);
  put_all(im.data, lp.collo);
  put_all(im.data, lp.colup);
  put_all(im.data, lp.rowlo);
  put_all(im.data, lp.rowup);
  put_all(im.data, m.integer);
  im.hash = hash_of(im.data);
  return im;
}

bool ModelMemo::known_infeasible(const mip::MipModel &m) {
  last_ = image_of(m);
  for (const Image &im : infeasible_)
    if (im.hash == last_.hash && im.data == last_.data) {
      ++hits_;
      return true;
    }
  return false;
}

void ModelMemo::add_infeasible() {
  if (last_.data.empty()) return;
  if (infeasible_.size() == kRemembered) infeasible_.pop_front();
  infeasible_.push_back(std::move(last_));
  last_ = Image{};
}

}  // namespace tvl::conflict
