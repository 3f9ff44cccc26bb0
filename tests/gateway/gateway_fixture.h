// A solver object on the stand-alone host, and calls of the module's entry
// point as the host makes them.  Every test checks at its end that no host
// value is left alive.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "access.h"
#include "gateway_object.h"
#include "standalone_host.h"
#include "tavlolink.h"

namespace gateway {

class GatewayTest : public ::testing::Test {
 protected:
  struct Outcome {
    std::string error;  // empty when the call succeeded
    Value* out0 = nullptr;
    Value* out1 = nullptr;
  };

  void SetUp() override {
    baseline_ = StandaloneHost::liveValues();
    host.define("runDisplayFunc", [this](StandaloneHost& h, int, Value**, int nin, Value** in) {
      if (nin != 3) return 1;
      displayed.push_back(StandaloneHost::text(in[2]));
      displayedTo.push_back(in[0]);
      (void)h;
      return 0;
    });
    object = host.createObject("Tavlo", {{"Model", host.createStructMatrix(1, 1, 0, nullptr)},
                                         {"Param", host.createDoubleMatrix(0, 0)},
                                         {"Solution", host.createDoubleMatrix(0, 0)},
                                         {"DisplayFunc", host.createFunctionHandle("show")},
                                         {"Handle", host.createObject("TavloHandle",
                                                                      {{"TvlPtr", host.createDoubleMatrix(0, 0)}})}});
  }

  void TearDown() override {
    if (constructed()) release(call("destructor", {}, handle()));
    delete object;
    EXPECT_EQ(StandaloneHost::liveValues(), baseline_) << "host values leaked";
  }

  // Runs the entry point with (target, command, third); the third input is
  // taken over and may be null (two inputs).  Two output slots, as the class
  // always asks for.
  Outcome callRaw(const std::string& command, Value* third, Value* target = nullptr) {
    Value* name = host.createString(command.c_str());
    const Value* prhs[3] = {target ? target : object, name, third};
    Value* plhs[2] = {nullptr, nullptr};
    Outcome o;
    try {
      entry(host, 2, plhs, third ? 3 : 2, prhs);
    } catch (const HostError& e) {
      o.error = e.what();
      delete plhs[0];
      delete plhs[1];
      plhs[0] = plhs[1] = nullptr;
    }
    delete name;
    delete third;
    o.out0 = plhs[0];
    o.out1 = plhs[1];
    return o;
  }

  // The same with an argument cell of `args` (taken over).
  Outcome call(const std::string& command, std::vector<Value*> args, Value* target = nullptr) {
    return callRaw(command, host.createCell(args), target);
  }

  // The error text of a call that must fail.
  std::string failure(const std::string& command, std::vector<Value*> args = {}) {
    Outcome o = call(command, std::move(args));
    release(o);
    EXPECT_FALSE(o.error.empty()) << command << " succeeded";
    return o.error;
  }

  void release(Outcome& o) {
    delete o.out0;
    delete o.out1;
    o.out0 = o.out1 = nullptr;
  }
  void release(Outcome&& o) { release(o); }

  void construct() {
    Outcome o = callRaw("constructor", nullptr);
    ASSERT_EQ(o.error, "");
    release(o);
    ASSERT_TRUE(constructed());
  }

  Value* handle() { return StandaloneHost::property(object, "Handle"); }
  Tavlo* tavlo() { return getTavlo(host, handle()); }
  bool constructed() { return tavlo() != nullptr; }

  StandaloneHost host;
  Value* object = nullptr;
  std::vector<std::string> displayed;
  std::vector<const Value*> displayedTo;

 private:
  long baseline_ = 0;
};

}  // namespace gateway
