// MIP starts between the solver object and the problem: MipStart, a
// structure array with one element per start (x, and optionally xindices,
// effortlevel and name), installed before an optimisation and rebuilt from
// the problem after one or after a MIP-start file was read.
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// One element of MipStart as the library takes it.
struct MipStartEntry {
  std::vector<int> indices;
  std::vector<double> values;
  int effort = 0;
  std::optional<std::string> name;
};

int readEntry(Host& host, const Value* starts, std::size_t e, int n, MipStartEntry& entry) {
  auto part = [&](const char* name) { return getField(host, starts, name, e, true); };
  Held x = part("x");
  if (!x) return kNoMipStartX;
  Held xindices = part("xindices");
  if (xindices) {
    const std::size_t k = vectorLength(host, xindices.get());
    if (notVlenEqual(host, x.get(), k) != 0) return kLengthNotEqual;
    entry.indices = createmxVectori(host, xindices.get()).value_or(std::vector<int>());
    for (int& j : entry.indices) --j;
  } else {
    if (notVlenEqual(host, x.get(), static_cast<std::size_t>(n)) != 0) return kLengthNotEqual;
    entry.indices.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) entry.indices[static_cast<std::size_t>(j)] = j;
  }
  entry.values = createmxVector(host, x.get()).value_or(std::vector<double>());
  entry.values.resize(entry.indices.size());
  double effort = 0;
  if (Held level = part("effortlevel"); level && readScalar(host, level.get(), &effort))
    entry.effort = static_cast<int>(effort);
  if (Held name = part("name")) {
    char text[256];
    if (readText(host, name.get(), text, sizeof text)) entry.name = text;
  }
  return 0;
}

int addEntry(Tavlo& t, MipStartEntry& entry) {
  const int beg = 0;
  char* name = entry.name ? entry.name->data() : nullptr;
  return TVLaddmipstarts(t.env, t.lp, 1, static_cast<int>(entry.values.size()), &beg, entry.indices.data(),
                         entry.values.data(), &entry.effort, entry.name ? &name : nullptr);
}

// The name of start i, or nothing when it has none (or it cannot be read).
std::optional<std::string> startName(Tavlo& t, int i) {
  char* name = nullptr;
  int surplus = 0;
  const int status = TVLgetmipstartname(t.env, t.lp, &name, nullptr, 0, &surplus, i, i);
  if (status != TVLERR_INSUFFICIENT_ARRAY_LENGTH || surplus >= 0) return std::nullopt;
  std::vector<char> store(static_cast<std::size_t>(-surplus));
  if (TVLgetmipstartname(t.env, t.lp, &name, store.data(), -surplus, &surplus, i, i) != 0 || !name)
    return std::nullopt;
  return std::string(name);
}

// The fields of MipStart element i; false when the start cannot be read.
bool putStart(Tavlo& t, Value* starts, int i) {
  Host& host = t.host();
  int nzcnt = 0, beg = 0, effort = 0, surplus = 0;
  TVLgetmipstarts(t.env, t.lp, &nzcnt, &beg, nullptr, nullptr, &effort, 0, &surplus, i, i);
  const int k = -surplus;
  if (k <= 0) return true;
  std::vector<int> indices(static_cast<std::size_t>(k));
  std::vector<double> values(static_cast<std::size_t>(k));
  if (TVLgetmipstarts(t.env, t.lp, &nzcnt, &beg, indices.data(), values.data(), &effort, k, &surplus, i, i) != 0)
    return false;
  for (int& j : indices) ++j;
  const auto e = static_cast<std::size_t>(i);
  setField(host, starts, "x", doubleColumn(host, values.data(), values.size()), e);
  setField(host, starts, "xindices", int32Column(host, indices.data(), indices.size()), e);
  setField(host, starts, "effortlevel", int32Scalar(host, effort), e);
  if (std::optional<std::string> name = startName(t, i)) setField(host, starts, "name", host.createString(name->c_str()), e);
  return true;
}

}  // namespace

int installMipStarts(Tavlo& t, Value* object, bool afterRebuild) {
  Host& host = t.host();
  if (const int count = TVLgetnummipstarts(t.env, t.lp); count > 0) {
    if (int status = TVLdelmipstarts(t.env, t.lp, 0, count - 1)) return status;
  }
  Held starts = getField(host, object, "MipStart", 0, false);
  if (!starts || host.getClassId(starts.get()) != kStructClass) return 0;
  const int n = TVLgetnumcols(t.env, t.lp);
  for (std::size_t e = 0; e < host.getNumberOfElements(starts.get()); ++e) {
    MipStartEntry entry;
    int status = readEntry(host, starts.get(), e, n, entry);
    // After a rebuild a start may describe the model as it was before.
    if (status == kLengthNotEqual && afterRebuild) continue;
    if (!status) status = addEntry(t, entry);
    if (status) return status;
  }
  return 0;
}

int setupMipStarts(Tavlo& t, Value* object) {
  Host& host = t.host();
  const int count = TVLgetnummipstarts(t.env, t.lp);
  if (count <= 0) return 0;
  Value* starts = host.createStructMatrix(1, static_cast<std::size_t>(count), 0, nullptr);
  if (!starts) return 1001;
  for (int i = 0; i < count; ++i) {
    if (!putStart(t, starts, i)) {
      host.destroyArray(starts);
      return 1001;
    }
  }
  return setField(host, object, "MipStart", starts, 0);
}

}  // namespace gateway
