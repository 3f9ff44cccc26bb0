#include "gateway_object.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "sigint.h"

namespace gateway {

void PendingLines::add(const char* line) {
  std::string copy(line);
  std::lock_guard<std::mutex> guard(lock_);
  lines_.push_back(std::move(copy));
}

std::vector<std::string> PendingLines::take() {
  std::vector<std::string> taken;
  std::lock_guard<std::mutex> guard(lock_);
  taken.swap(lines_);
  return taken;
}

void DirtyFlags::mark(DirtyPart part) {
  switch (part) {
    case DirtyPart::kModel: model = true; break;
    case DirtyPart::kObj: obj = true; break;
    case DirtyPart::kRhs: rhs = true; break;
    case DirtyPart::kBds: bds = true; break;
    case DirtyPart::kName: name = true; break;
    case DirtyPart::kObjName: objName = true; break;
    case DirtyPart::kRowName: rowName = true; break;
    case DirtyPart::kColName: colName = true; break;
    case DirtyPart::kSOSName: sosName = true; break;
    case DirtyPart::kQCName: qcName = true; break;
    case DirtyPart::kStart: start = true; break;
  }
}

namespace {

// Every gateway object in existence.  Objects are made and destroyed on the
// host's thread only.
std::unordered_set<const void*>& liveObjects() {
  static std::unordered_set<const void*> objects;
  return objects;
}

}  // namespace

Tavlo::Tavlo(Host& host) : host_(host) { liveObjects().insert(this); }

bool Tavlo::isLive(const void* address) { return liveObjects().count(address) != 0; }

Tavlo::~Tavlo() {
  liveObjects().erase(this);
  if (signalTarget() == this) setSignalTarget(nullptr);
  endCommand();
  if (lp) TVLfreeprob(env, &lp);
  if (env) TVLcloseTAVLO(&env);
}

namespace {

// Standard error redirected into a pipe for the length of a scope; the
// original descriptor comes back when the scope ends, whatever happened.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    if (saved_ < 0 || pipe(pipe_) != 0) return;
    if (dup2(pipe_[1], STDERR_FILENO) < 0) return;
    active_ = true;
  }
  ~StderrCapture() {
    restore();
    for (int fd : pipe_)
      if (fd >= 0) close(fd);
  }
  // The first line written to standard error since the capture started.
  // A newline is written first so that the read never waits on an empty pipe.
  std::string firstLine() {
    if (!active_) return {};
    std::fputc('\n', stderr);
    std::fflush(stderr);
    restore();
    close(pipe_[1]);
    pipe_[1] = -1;
    FILE* in = fdopen(pipe_[0], "r");
    if (!in) return {};
    pipe_[0] = -1;  // owned by the stream now
    char line[100] = {};
    if (!std::fgets(line, sizeof line, in)) line[0] = '\0';
    std::fclose(in);
    return line;
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }
  int saved_ = -1;
  int pipe_[2] = {-1, -1};
  bool active_ = false;
};

}  // namespace

int Tavlo::init(const char* name) {
  int status = 0;
  {
    StderrCapture capture;
    env = TVLopenTAVLO(&status);
    if (env && status == 0) {
      const std::string line = capture.firstLine();
      if (line.size() > 1) host_.printText(line.c_str());
    }
  }
  if (!env || status != 0) return status ? status : 1001;
  lp = TVLcreateprob(env, &status, name);
  if (status == 0) terminate = 0;
  return status;
}

int Tavlo::clear(const char* name) {
  if (lp) TVLfreeprob(env, &lp);
  int status = 0;
  lp = TVLcreateprob(env, &status, name);
  return status;
}

Value* Tavlo::version(int* status) {
  const char* text = TVLversion(env);
  *status = text ? 0 : 1;
  return text ? host_.createString(text) : nullptr;
}

int Tavlo::setupMessages() {
  int status = TVLsetintparam(env, TVL_PARAM_SCRIND, 1);
  if (status) return status;
  TVLCHANNELptr results = nullptr, warning = nullptr, error = nullptr, log = nullptr;
  if ((status = TVLgetchannels(env, &results, &warning, &error, &log)) != 0) return status;
  for (TVLCHANNELptr c : {results, warning, error, log})
    if ((status = TVLdisconnectchannel(env, c)) != 0) return status;
  if ((status = TVLaddfuncdest(env, error, this, errMsgFunc)) != 0) return status;
  for (TVLCHANNELptr c : {warning, results, log})
    if ((status = TVLaddfuncdest(env, c, this, outMsgFunc)) != 0) return status;
  return 0;
}

void Tavlo::keepOffScreen() {
  TVLCHANNELptr results = nullptr, warning = nullptr, error = nullptr, log = nullptr;
  if (TVLgetchannels(env, &results, &warning, &error, &log) != 0) return;
  for (TVLCHANNELptr c : {results, warning, error}) TVLdelfpdest(env, c, stdout);  // 1052 when absent: fine
}

int Tavlo::armTerminate() {
  terminate = 0;
  return TVLsetterminate(env, &terminate);
}

void Tavlo::beginCommand(Value* object, Held displayFunc) {
  // A command issued while another runs (the information callback asking
  // for the incumbent during a solve) works in the running command's
  // context, so that the solve keeps its object and display function.
  if (depth_++ > 0) return;
  object_ = object;
  displayFunc_ = std::move(displayFunc);
  threadId_ = pthread_self();
  pending_.clear();
}

void Tavlo::endCommand() {
  if (depth_ > 0 && --depth_ > 0) return;
  displayFunc_.reset();
  object_ = nullptr;
}

bool Tavlo::onHostThread() const { return depth_ > 0 && pthread_equal(pthread_self(), threadId_); }

void Tavlo::errMsgFunc(void* handle, const char* text) {
  Tavlo* t = static_cast<Tavlo*>(handle);
  std::snprintf(t->errorText_, sizeof t->errorText_, "%s", text ? text : "");
  t->lastError_ = t->errorText_;
}

void Tavlo::outMsgFunc(void* handle, const char* text) {
  Tavlo* t = static_cast<Tavlo*>(handle);
  if (t->terminate || !t->displayFunc_ || !text) return;
  if (t->host_.getClassId(t->displayFunc_.get()) != kFunctionClass) return;
  if (!pthread_equal(pthread_self(), t->threadId_)) {
    t->pending_.add(text);
    return;
  }
  for (const std::string& line : t->pending_.take()) t->deliver(line.c_str());
  t->deliver(text);
}

// Calls the host's runDisplayFunc(object, displayFunc, line).
void Tavlo::deliver(const char* line) {
  Value* text = host_.createString(line);
  Value* in[3] = {object_, displayFunc_.get(), text};
  host_.callFunction(0, nullptr, 3, in, "runDisplayFunc");
  host_.destroyArray(text);
}

}  // namespace gateway
