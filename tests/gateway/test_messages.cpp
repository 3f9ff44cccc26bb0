// Routing of the library's channels to the host: log lines to the display
// function in order, also when they come from worker threads; error lines
// kept as the text of the next failure.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "gateway_fixture.h"

namespace gateway {
namespace {

class MessageTest : public GatewayTest {
 protected:
  void SetUp() override {
    GatewayTest::SetUp();
    construct();
    ASSERT_EQ(TVLgetchannels(tavlo()->env, &results, &warning, &error, &log), 0);
  }
  // A new command; the one before it (if any) has ended.
  void begin(Value* displayFunc) {
    tavlo()->endCommand();
    tavlo()->beginCommand(object, Held(host, displayFunc, true));
  }

  TVLCHANNELptr results = nullptr, warning = nullptr, error = nullptr, log = nullptr;
};

TEST_F(MessageTest, WorkerLinesWaitForTheNextLineOfTheHostThread) {
  begin(host.createFunctionHandle("show"));
  TVLmsgstr(log, "first\n");
  std::thread worker([this] {
    TVLmsgstr(log, "worker 1\n");
    TVLmsgstr(warning, "worker 2\n");
  });
  worker.join();
  EXPECT_EQ(displayed, std::vector<std::string>{"first\n"});
  TVLmsgstr(results, "host\n");
  EXPECT_EQ(displayed, (std::vector<std::string>{"first\n", "worker 1\n", "worker 2\n", "host\n"}));
  for (const Value* to : displayedTo) EXPECT_EQ(to, object);

  // Nothing is shown once terminate is set; error lines are never shown.
  tavlo()->terminate = 1;
  TVLmsgstr(log, "after terminate\n");
  tavlo()->terminate = 0;
  TVLmsgstr(error, "an error\n");
  EXPECT_EQ(displayed.size(), 4u);
  EXPECT_STREQ(tavlo()->lastError(), "an error\n");

  // Queued lines of one command are dropped at the start of the next.
  std::thread late([this] { TVLmsgstr(log, "stale\n"); });
  late.join();
  begin(host.createFunctionHandle("show"));
  TVLmsgstr(log, "fresh\n");
  EXPECT_EQ(displayed.back(), "fresh\n");
  EXPECT_EQ(displayed.size(), 5u);
  tavlo()->endCommand();
}

TEST_F(MessageTest, NoDisplayWithoutAFunctionHandle) {
  begin(host.createDoubleScalar(1));
  TVLmsgstr(log, "a line\n");
  begin(nullptr);
  TVLmsgstr(log, "another\n");
  tavlo()->endCommand();
  TVLmsgstr(log, "between commands\n");
  EXPECT_TRUE(displayed.empty());
}

TEST_F(MessageTest, ErrorTextKeepsTheLastLineCutTo255Characters) {
  const std::string longLine(400, 'e');
  TVLmsgstr(error, longLine.c_str());
  EXPECT_EQ(std::string(tavlo()->lastError()), longLine.substr(0, 255));
  TVLmsgstr(error, "short\n");
  EXPECT_STREQ(tavlo()->lastError(), "short\n");
}

// The override parameter file is read while the constructor captures
// standard error; the constructor neither blocks nor loses the settings.
TEST_F(GatewayTest, ConstructorReadsTheOverrideFileWhileCapturingStandardError) {
  const std::string path = ::testing::TempDir() + "gateway_override.prm";
  {
    std::ofstream out(path);
    out << "TAVLO Parameter File Version 0.1.0.0\nTVL_PARAM_ITLIM 77\n";
  }
  setenv("QARN_TAVLO_PARAMETER_FILE", path.c_str(), 1);
  Outcome o = callRaw("constructor", nullptr);
  unsetenv("QARN_TAVLO_PARAMETER_FILE");
  ASSERT_EQ(o.error, "");
  release(o);
  int itlim = 0;
  ASSERT_EQ(TVLgetintparam(tavlo()->env, TVL_PARAM_ITLIM, &itlim), 0);
  EXPECT_EQ(itlim, 77);
  EXPECT_GE(std::fputs("", stderr), 0);  // standard error is usable again
  std::remove(path.c_str());
}

}  // namespace
}  // namespace gateway
