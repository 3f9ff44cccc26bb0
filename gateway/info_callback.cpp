#include "info_callback.h"

#include <cmath>
#include <unordered_set>
#include <vector>

#include "access.h"
#include "commands.h"
#include "gateway_object.h"
#include "values.h"

namespace gateway {

// The context of the latest callback invocation of one MIP solve.
struct CallbackRecord {
  Tavlo* tavlo = nullptr;
  int ncols = 0;
  Value* info = nullptr;  // the information object (owned)
  TVLCENVptr env = nullptr;
  void* cbdata = nullptr;
  int wherefrom = 0;
};

namespace {

// Parameters the callback needs while it is installed, and their values.
constexpr int kCallbackParams[3] = {TVL_PARAM_MIPCBREDLP, TVL_PARAM_REDUCE, TVL_PARAM_PRELINEAR};
constexpr int kCallbackValues[3] = {0, 2, 0};

// Records of the callbacks installed now: an address read back from a host
// value is used only when it names one of them.
std::unordered_set<const void*>& liveRecords() {
  static std::unordered_set<const void*> records;
  return records;
}

bool isInfoCallback(Host& host, const Value* setting) {
  if (!setting || host.getClassId(setting) != kStructClass) return false;
  Held func = getField(host, setting, "func", 0, false);
  return func && host.getClassId(func.get()) == kFunctionClass;
}

// One host function applied to a value, with one result (null on failure).
Value* apply(Host& host, const char* function, Value* argument) {
  Value* out[1] = {nullptr};
  Value* in[1] = {argument};
  if (host.callFunction(1, out, 1, in, function) != 0) return nullptr;
  return out[0];
}

int infoInt(const CallbackRecord& r, int which, double* value) {
  int v = 0;
  const int status = TVLgetcallbackinfo(r.env, r.cbdata, r.wherefrom, which, &v);
  *value = v;
  return status;
}

int infoDouble(const CallbackRecord& r, int which, double* value) {
  return TVLgetcallbackinfo(r.env, r.cbdata, r.wherefrom, which, value);
}

// Called by the library before each node of the MIP search.
int callback(TVLCENVptr env, void* cbdata, int wherefrom, void* handle) {
  auto& r = *static_cast<CallbackRecord*>(handle);
  Tavlo& t = *r.tavlo;
  // The host may only be called from the thread that entered the command.
  if (!t.onHostThread()) return 0;
  Host& host = t.host();
  r.env = env;
  r.cbdata = cbdata;
  r.wherefrom = wherefrom;
  Value* address = createInt64(host, &r);
  Held changed = setProperty(host, r.info, "CbHandle", address);
  host.destroyArray(address);
  if (!changed) return 1001;
  // nodes, iterations, cutoff, best bound, best integer, gap.
  double values[6] = {};
  int status = infoInt(r, TVL_CALLBACK_INFO_NODE_COUNT, &values[0]);
  if (!status) status = infoInt(r, TVL_CALLBACK_INFO_MIP_ITERATIONS, &values[1]);
  if (!status) status = infoDouble(r, TVL_CALLBACK_INFO_CUTOFF, &values[2]);
  if (!status) status = infoDouble(r, TVL_CALLBACK_INFO_BEST_REMAINING, &values[3]);
  if (!status) status = infoDouble(r, TVL_CALLBACK_INFO_BEST_INTEGER, &values[4]);
  if (!status) status = infoDouble(r, TVL_CALLBACK_INFO_MIP_REL_GAP, &values[5]);
  if (status) return status;
  Value* in[7] = {r.info};
  for (int k = 0; k < 6; ++k) in[k + 1] = host.createDoubleScalar(values[k]);
  Value* out[1] = {nullptr};
  status = host.callFunction(1, out, 7, in, "callback");
  for (int k = 1; k < 7; ++k) host.destroyArray(in[k]);
  if (status) return status;
  double stop = 0;
  const bool read = out[0] && readScalar(host, out[0], &stop);
  if (out[0]) host.destroyArray(out[0]);
  const int result = read ? static_cast<int>(std::trunc(stop)) : 0;
  if (result) t.silence();
  return result;
}

int getCallbackXCommand(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value** result) {
  Host& host = t.host();
  if (nargs != 1 || !args[0] || host.getClassId(args[0]) != kUint64Class) return kBadArguments;
  const void* address = getInt64(host, args[0]);
  if (!liveRecords().count(address)) return kBadArguments;
  const auto& r = *static_cast<const CallbackRecord*>(address);
  if (!r.cbdata) return kBadArguments;
  std::vector<double> x(static_cast<std::size_t>(r.ncols));
  if (r.ncols > 0) {
    if (int status = TVLgetcallbackincumbent(r.env, r.cbdata, r.wherefrom, x.data(), 0, r.ncols - 1)) return status;
  }
  *result = doubleColumn(host, x.data(), x.size());
  return 0;
}

}  // namespace

InfoCallbackScope::InfoCallbackScope(Tavlo& t, Value* object) : t_(t) {
  Host& host = t.host();
  Held setting = getField(host, object, "InfoCallback", 0, false);
  if (!isInfoCallback(host, setting.get())) return;
  Value* info = apply(host, "TvlInfo", object);
  Value* opened = info ? apply(host, "open", info) : nullptr;
  if (info) host.destroyArray(info);
  if (!opened) {
    status_ = reportFailure(t, kBadArguments, "TAVLO could not create the information object of InfoCallback.");
    return;
  }
  record_ = new CallbackRecord{&t, TVLgetnumcols(t.env, t.lp), opened};
  liveRecords().insert(record_);
  for (int k = 0; k < 3; ++k) {
    TVLgetintparam(t.env, kCallbackParams[k], &saved_[k]);
    TVLsetintparam(t.env, kCallbackParams[k], kCallbackValues[k]);
  }
  status_ = TVLsetinfocallbackfunc(t.env, callback, record_);
}

InfoCallbackScope::~InfoCallbackScope() {
  if (!record_) return;
  TVLsetinfocallbackfunc(t_.env, nullptr, nullptr);
  for (int k = 0; k < 3; ++k) TVLsetintparam(t_.env, kCallbackParams[k], saved_[k]);
  liveRecords().erase(record_);
  t_.host().destroyArray(record_->info);
  delete record_;
}

void registerCallbackCommands(CommandTable& table) { table.bind("getCallbackX", getCallbackXCommand); }

}  // namespace gateway
