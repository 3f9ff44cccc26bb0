// The entry point on the stand-alone host: object lifecycle and module
// lock, special commands, the command table and the texts of its errors.
#include <signal.h>

#include <cstring>
#include <memory>

#include "commands.h"
#include "gateway_fixture.h"
#include "sigint.h"

namespace gateway {
namespace {

TEST_F(GatewayTest, ConstructorAndDestructorOwnTheProblemAndTheModuleLock) {
  // A name of more than 255 characters is refused before anything exists.
  const std::string longName(300, 'x');
  EXPECT_EQ(callRaw("constructor", host.createString(longName.c_str())).error,
            "The problem name given to the TAVLO constructor must be a text of at most 255 characters.");
  EXPECT_FALSE(constructed());
  EXPECT_EQ(host.lockCount(), 0);

  Outcome named = callRaw("constructor", host.createString("mine"));
  ASSERT_EQ(named.error, "");
  ASSERT_TRUE(constructed());
  EXPECT_EQ(StandaloneHost::text(named.out0), TVLversion(tavlo()->env));
  release(named);
  EXPECT_EQ(host.lockCount(), 1);
  Tavlo* t = tavlo();
  EXPECT_EQ(signalTarget(), t);
  char name[64] = {};
  int surplus = 0;
  ASSERT_EQ(TVLgetprobname(t->env, t->lp, name, sizeof name, &surplus), 0);
  EXPECT_STREQ(name, "mine");
  EXPECT_EQ(t->terminate, 0);
  // The address is a 1-by-1 uint64 in the handle object.
  const Value* ptr = StandaloneHost::property(handle(), "TvlPtr");
  EXPECT_EQ(ptr->cls, kUint64Class);
  EXPECT_EQ(getInt64(host, ptr), static_cast<void*>(t));

  release(call("destructor", {}, handle()));
  EXPECT_FALSE(constructed());
  EXPECT_EQ(host.lockCount(), 0);
  EXPECT_EQ(signalTarget(), nullptr);
  // A handle without an object only unlocks.
  release(call("destructor", {}, handle()));
  EXPECT_EQ(host.lockCount(), -1);
}

TEST_F(GatewayTest, DispatchErrorsNameTheProblem) {
  {
    Value* name = host.createString("solve");
    const Value* prhs[1] = {object};
    Value* plhs[2] = {nullptr, nullptr};
    try {
      entry(host, 2, plhs, 1, prhs);
      ADD_FAILURE() << "one input accepted";
    } catch (const HostError& e) {
      EXPECT_STREQ(e.what(), "At least 2 intput required");
    }
    delete name;
  }
  // An unknown command touches no gateway object: not even the object's
  // properties are read.
  construct();
  auto getfieldCalls = std::make_shared<int>(0);
  auto plain = std::make_shared<StandaloneHost>();  // its built-in getfield
  host.define("getfield", [getfieldCalls, plain](StandaloneHost&, int nout, Value** out, int nin, Value** in) {
    ++*getfieldCalls;
    return plain->callFunction(nout, out, nin, in, "getfield");
  });
  EXPECT_EQ(failure("Solve"), "Unknown TAVLO function 'Solve'.");
  EXPECT_EQ(*getfieldCalls, 0);
  release(call("changeObj", {}));
  EXPECT_GT(*getfieldCalls, 0);
}

TEST_F(GatewayTest, CommandsWithoutObjectOrHandlerFailClearly) {
  // Before the constructor there is no gateway object to work on; nor is
  // there behind an address that is not one of a live object (a stale
  // value loaded from a file) or not a uint64.
  const std::string none = "This Tavlo object has no TAVLO problem: it was deleted or never constructed.";
  EXPECT_EQ(failure("changeObj"), none);
  int notAnObject = 0;
  host.setProperty(handle(), "TvlPtr", createInt64(host, &notAnObject));
  EXPECT_EQ(failure("changeObj"), none);
  release(call("destructor", {}, handle()));  // only unlocks
  EXPECT_EQ(host.lockCount(), -1);
  host.unlock();
  host.setProperty(handle(), "TvlPtr", host.createDoubleScalar(12345));
  EXPECT_EQ(failure("changeObj"), none);
  construct();
  std::vector<Value*> many;
  for (int i = 0; i < 22; ++i) many.push_back(host.createDoubleScalar(i));
  EXPECT_EQ(failure("changeObj", many), "The arguments of TAVLO function 'changeObj' must be a cell of at most 21 elements.");
  EXPECT_EQ(failure(std::string(256, 'a')), "The TAVLO function name must be a text of at most 255 characters.");
  // Every name of the table is found and has its handler.
  for (const char* name : kCommandNames) {
    const int k = CommandTable::find(name);
    ASSERT_GE(k, 0) << name;
    EXPECT_STREQ(kCommandNames[static_cast<std::size_t>(k)], name);
    EXPECT_NE(commandTable().handler(k), nullptr) << name;
  }
  EXPECT_EQ(CommandTable::find("solve "), -1);
}

TEST_F(GatewayTest, FlagCommandsOnlyMarkTheirPartAndReturnTheObjectTwice) {
  construct();
  const std::pair<const char*, DirtyPart> cases[] = {
      {"changeObj", DirtyPart::kObj},         {"changeRhs", DirtyPart::kRhs},
      {"changeBds", DirtyPart::kBds},         {"change", DirtyPart::kModel},
      {"addSOSs", DirtyPart::kModel},         {"addQCs", DirtyPart::kModel},
      {"addIndicators", DirtyPart::kModel},   {"changeColName", DirtyPart::kColName},
      {"changeRowName", DirtyPart::kRowName}, {"changeObjName", DirtyPart::kObjName},
      {"changeQCName", DirtyPart::kQCName},   {"changeSOSName", DirtyPart::kSOSName},
      {"changeName", DirtyPart::kName},       {"installStart", DirtyPart::kStart}};
  for (const auto& [command, part] : cases) {
    tavlo()->dirty = DirtyFlags{};
    Outcome o = call(command, {});
    ASSERT_EQ(o.error, "") << command;
    DirtyFlags expected{};
    expected.mark(part);
    EXPECT_EQ(std::memcmp(&tavlo()->dirty, &expected, sizeof expected), 0) << command;
    // Both outputs are the solver object (the second a duplicate).
    ASSERT_TRUE(o.out0 && o.out1);
    EXPECT_EQ(o.out0->object, object->object);
    EXPECT_EQ(o.out1->object, object->object);
    EXPECT_NE(o.out1, object);
    release(o);
  }
  Outcome o = call("terminate", {});
  EXPECT_EQ(tavlo()->terminate, 1);
  release(o);
}

TEST_F(GatewayTest, TildeForwardsToTheNamedHostFunction) {
  std::vector<std::size_t> seen;
  host.define("isConsistent", [&seen](StandaloneHost& h, int nout, Value** out, int nin, Value** in) {
    seen.push_back(static_cast<std::size_t>(nin));
    if (nout != 1 || !in[0]->object) return 1;
    out[0] = h.createDoubleScalar(42);
    return 0;
  });
  // No gateway object is needed for forwarding.
  Outcome o = call("~isConsistent", {host.createDoubleScalar(1), host.createString("x")});
  ASSERT_EQ(o.error, "");
  EXPECT_EQ(seen, std::vector<std::size_t>{3});
  EXPECT_EQ(o.out0->object, object->object);
  EXPECT_EQ(*host.getPr(o.out1), 42);
  release(o);
  EXPECT_EQ(failure("~noSuchFunction"), "TAVLO could not call the function 'noSuchFunction'.");
}

TEST_F(GatewayTest, FailuresBecomeTheLibraryOrGatewayText) {
  construct();
  // A library failure: exactly the last line of the error channel.
  EXPECT_EQ(failure("getParamNumber", {host.createString("TVL_PARAM_NOSUCH")}),
            "TAVLO Error  1028: Bad parameter name to TAVLO parameter routine.\n");
  // A gateway code: the text of the error map.
  EXPECT_EQ(failure("getParamNumber", {host.createDoubleScalar(1)}), "unknow parameter");
  EXPECT_EQ(failure("writeParam", {}), "wrong parameters to Tavlo.writeParam");
  EXPECT_EQ(failure("readParam", {}), "Wrong arguments to TAVLO function 'readParam'.");
  EXPECT_STREQ(gatewayMessage(kLengthNotEqual), "length not equal");
  EXPECT_STREQ(gatewayMessage(kNotAnError), "not_an_error");
  EXPECT_EQ(gatewayMessage(kNotAnError + 1), nullptr);
}

// SIGINT during an optimisation command: the first signal sets the
// target's terminate flag and gives SIGINT back, the second reaches the
// previous handler; afterwards the previous handler is in force again.
volatile sig_atomic_t g_previousHandlerRuns = 0;
extern "C" void previousHandler(int) { g_previousHandlerRuns = g_previousHandlerRuns + 1; }

TEST_F(GatewayTest, FirstCtrlCStopsTheOptimisationTheSecondReachesTheHost) {
  construct();
  struct sigaction mine {}, saved{};
  mine.sa_handler = previousHandler;
  sigemptyset(&mine.sa_mask);
  sigaction(SIGINT, &mine, &saved);
  g_previousHandlerRuns = 0;
  {
    SigintScope scope(true);
    raise(SIGINT);
    EXPECT_EQ(tavlo()->terminate, 1);
    EXPECT_EQ(g_previousHandlerRuns, 0);
    raise(SIGINT);
    EXPECT_EQ(g_previousHandlerRuns, 1);
  }
  {
    SigintScope scope(true);  // no signal: the previous action comes back at the end
  }
  struct sigaction now {};
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, previousHandler);
  {
    SigintScope scope(false);  // other commands leave SIGINT alone
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, previousHandler);
  }
  sigaction(SIGINT, &saved, nullptr);
}

}  // namespace
}  // namespace gateway
