#include "tavlolink.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "access.h"
#include "commands.h"
#include "gateway_object.h"
#include "param_tree.h"
#include "sigint.h"

namespace gateway {

namespace {

// The text of the error being raised.  Kept outside every stack frame so
// that nothing needs releasing once the host takes control.
char errorBuffer[1024];

[[noreturn]] void fail(Host& host, const char* format, ...) __attribute__((format(printf, 2, 3)));
[[noreturn]] void fail(Host& host, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(errorBuffer, sizeof errorBuffer, format, ap);
  va_end(ap);
  host.errMsgTxt(errorBuffer);
  __builtin_unreachable();  // the host's error does not return
}

// The library's message for a status, or a generic text when it has none.
std::string libraryMessage(int status) {
  char buffer[TVL_MSGBUFSIZE];
  if (TVLgeterrorstring(nullptr, status, buffer)) return buffer;
  char text[64];
  std::snprintf(text, sizeof text, "TAVLO Error %5d: Unknown error code.\n", status);
  return text;
}

void setOutput(Host& host, int nlhs, Value* plhs[], int k, Value* v) {
  if (k == 0 || k < nlhs) {
    plhs[k] = v;
  } else if (v) {
    host.destroyArray(v);
  }
}

// The elements of the argument cell; false when the third input is no cell
// or has too many elements.
bool collectArgs(Host& host, int nrhs, const Value* prhs[], std::vector<Value*>& args) {
  if (nrhs < 3) return true;
  if (!host.isCell(prhs[2])) return host.isEmpty(prhs[2]);
  const std::size_t n = host.getNumberOfElements(prhs[2]);
  if (n > static_cast<std::size_t>(kMaxArguments)) return false;
  for (std::size_t i = 0; i < n; ++i) args.push_back(host.getCell(prhs[2], i));
  return true;
}

void forward(Host& host, const char* function, int nlhs, Value* plhs[], const Value* object,
             const std::vector<Value*>& args) {
  std::vector<Value*> in{const_cast<Value*>(object)};
  in.insert(in.end(), args.begin(), args.end());
  Value* out[1] = {nullptr};
  if (host.callFunction(1, out, static_cast<int>(in.size()), in.data(), function) != 0)
    fail(host, "TAVLO could not call the function '%s'.", function);
  setOutput(host, nlhs, plhs, 0, host.duplicateArray(object));
  setOutput(host, nlhs, plhs, 1, out[0]);
}

// Stores the gateway object's address (or, for null, an empty value) in
// TvlPtr of the handle object held by the solver object's Handle.
int storeAddress(Host& host, const Value* handle, const Tavlo* t) {
  if (!handle) return 1001;
  Value* address = t ? createInt64(host, t) : host.createDoubleMatrix(0, 0);
  Held changed = setProperty(host, const_cast<Value*>(handle), "TvlPtr", address);
  host.destroyArray(address);
  return changed ? 0 : 1001;
}

void construct(Host& host, int nlhs, Value* plhs[], int nrhs, const Value* prhs[]) {
  char name[256] = "TAVLO";
  if (nrhs >= 3 && host.getString(prhs[2], name, sizeof name) != 0)
    fail(host, "The problem name given to the TAVLO constructor must be a text of at most 255 characters.");
  Tavlo* t = new Tavlo(host);
  int status = t->init(name);
  setSignalTarget(t);
  Held handle = getProperty(host, prhs[0], "Handle");
  bool stored = false;
  if (status == 0) stored = (status = storeAddress(host, handle.get(), t)) == 0;
  Value* version = nullptr;
  if (status == 0) version = t->version(&status);
  if (status == 0) status = t->setupMessages();
  if (status != 0) {
    if (version) host.destroyArray(version);
    if (stored) storeAddress(host, handle.get(), nullptr);
    delete t;
    handle.reset();
    const std::string message = libraryMessage(status);
    fail(host, "%s", message.c_str());
  }
  host.lock();
  setOutput(host, nlhs, plhs, 0, version);
  setOutput(host, nlhs, plhs, 1, host.createDoubleMatrix(0, 0));
}

void destruct(Host& host, int nlhs, Value* plhs[], const Value* handle) {
  if (Tavlo* t = getTavlo(host, handle)) {
    storeAddress(host, handle, nullptr);
    delete t;
  }
  host.unlock();
  setOutput(host, nlhs, plhs, 0, host.createDoubleMatrix(0, 0));
  setOutput(host, nlhs, plhs, 1, host.createDoubleMatrix(0, 0));
}

void paramHierarchy(Host& host, int nlhs, Value* plhs[]) {
  int status = 0;
  Value* tree = buildParamHierarchy(host, &status);
  if (!tree) {
    const std::string message = libraryMessage(status ? status : 1001);
    fail(host, "%s", message.c_str());
  }
  setOutput(host, nlhs, plhs, 0, tree);
  setOutput(host, nlhs, plhs, 1, host.createDoubleMatrix(0, 0));
}

// The error text of a failed table command.
std::string failureText(const Tavlo& t, int status, const char* command) {
  if (status == 1001) return libraryMessage(1001);
  if (const char* text = gatewayMessage(status)) return text;
  if (status == kNotImplemented) return std::string("TAVLO function '") + command + "' is not implemented yet.";
  if (status == kBadArguments) return std::string("Wrong arguments to TAVLO function '") + command + "'.";
  if (*t.lastError()) return t.lastError();
  return "TAVLO function '" + std::string(command) + "' failed with status " + std::to_string(status) + ".";
}

void runTableCommand(Host& host, int nlhs, Value* plhs[], const Value* object, const char* command,
                     std::vector<Value*>& args) {
  SigintScope sigint(isOptimisationCommand(command));
  const std::size_t nargs = args.size();
  if (std::strcmp(command, "addCols") == 0) {
    if (nargs > 4 && args[4] && host.isEmpty(args[4])) args[4] = nullptr;
    if (nargs == 6 && args[5] && host.isEmpty(args[5])) args[5] = nullptr;
  }
  const int k = CommandTable::find(command);
  if (k < 0) fail(host, "Unknown TAVLO function '%s'.", command);

  Tavlo* t = nullptr;
  {
    Held handle = getProperty(host, object, "Handle");
    if (!handle) {
      const std::string message = libraryMessage(1001);
      fail(host, "%s", message.c_str());
    }
    t = getTavlo(host, handle.get());
  }
  if (!t) fail(host, "This Tavlo object has no TAVLO problem: it was deleted or never constructed.");
  setOutput(host, nlhs, plhs, 0, host.duplicateArray(object));

  Value* writable = const_cast<Value*>(object);
  t->beginCommand(writable, getField(host, object, "DisplayFunc", 0, false));
  Value* result = nullptr;
  const Command handler = commandTable().handler(k);
  const int status = handler ? handler(*t, writable, object, static_cast<int>(nargs), args.data(), &result)
                             : static_cast<int>(kNotImplemented);
  t->endCommand();
  if (status == 0) {
    setOutput(host, nlhs, plhs, 1, result ? result : host.duplicateArray(object));
    return;
  }
  if (result) host.destroyArray(result);
  const std::string message = failureText(*t, status, command);
  fail(host, "%s", message.c_str());
}

}  // namespace

void entry(Host& host, int nlhs, Value* plhs[], int nrhs, const Value* prhs[]) {
  for (int k = 0; k < nlhs; ++k) plhs[k] = nullptr;
  if (nrhs < 2) fail(host, "At least 2 intput required");
  char command[256];
  if (!host.isChar(prhs[1]) || host.getString(prhs[1], command, sizeof command) != 0)
    fail(host, "The TAVLO function name must be a text of at most 255 characters.");

  if (std::strcmp(command, "constructor") == 0) return construct(host, nlhs, plhs, nrhs, prhs);
  if (std::strcmp(command, "destructor") == 0) return destruct(host, nlhs, plhs, prhs[0]);
  if (std::strcmp(command, "getParamHierarchy") == 0) return paramHierarchy(host, nlhs, plhs);

  std::vector<Value*> args;
  if (!collectArgs(host, nrhs, prhs, args))
    fail(host, "The arguments of TAVLO function '%s' must be a cell of at most %d elements.", command,
         kMaxArguments);
  if (command[0] == '~') return forward(host, command + 1, nlhs, plhs, prhs[0], args);
  runTableCommand(host, nlhs, plhs, prhs[0], command, args);
}

}  // namespace gateway
