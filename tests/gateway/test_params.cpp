// The parameter tree and the parameter commands, checked against the
// library's own parameter table.
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>

#include "gateway_fixture.h"
#include "param_tree.h"

namespace gateway {
namespace {

// Field `name` of a 1-by-1 structure (borrowed), or null.
const Value* field(StandaloneHost& host, const Value* s, const char* name) {
  const int f = s ? host.getFieldNumber(s, name) : -1;
  return f < 0 ? nullptr : host.getFieldByNumber(s, 0, f);
}

double number(StandaloneHost& host, const Value* s, const char* name) {
  const Value* v = field(host, s, name);
  return v ? *host.getPr(v) : std::nan("");
}

std::vector<std::string> fieldNames(const Value* s) { return s->fieldNames; }

TEST(ParamTree, EveryLeafIsAPublicParameterOfTheLibraryOnce) {
  int status = 0;
  TVLENVptr env = TVLopenTAVLO(&status);
  ASSERT_EQ(status, 0);
  std::set<int> numbers;
  int leaves = 0;
  std::function<void(const ParamEntry*, const std::string&)> walk = [&](const ParamEntry* list,
                                                                      const std::string& path) {
    std::set<std::string> names;
    for (const ParamEntry* e = list; e->kind != kEndOfList; ++e) {
      EXPECT_TRUE(names.insert(e->shortName).second) << "repeated " << path << e->shortName;
      if (e->kind == kDirectory) {
        walk(e->directory, path + e->shortName + ".");
        continue;
      }
      ++leaves;
      int num = 0, type = 0;
      EXPECT_EQ(TVLgetparamnum(env, e->leaf.name, &num), 0) << path << e->shortName;
      EXPECT_EQ(num, e->leaf.number) << e->leaf.name;
      EXPECT_EQ(TVLgetparamtype(env, num, &type), 0);
      EXPECT_TRUE(numbers.insert(num).second) << e->leaf.name << " in two leaves";
      EXPECT_NE(num, TVL_PARAM_SCRIND);
      // One line of description, then optionally a blank line and the settings.
      const std::string help = e->leaf.help;
      const std::size_t nl = help.find('\n');
      EXPECT_FALSE(help.empty());
      if (nl != std::string::npos) {
        EXPECT_EQ(help.substr(nl, 6), "\n\n    ") << e->leaf.name;
      }
    }
  };
  walk(paramRoot(), "");
  EXPECT_EQ(leaves, 137);
  TVLcloseTAVLO(&env);
}

TEST_F(GatewayTest, ParamHierarchyIsAStructureOfNameAndHelpLeaves) {
  Outcome o = call("getParamHierarchy", {});
  ASSERT_EQ(o.error, "");
  const Value* param = field(host, o.out0, "Param");
  ASSERT_NE(param, nullptr);
  auto leaf = [&](std::initializer_list<const char*> path) {
    const Value* v = param;
    for (const char* p : path) v = field(host, v, p);
    return v;
  };
  EXPECT_EQ(StandaloneHost::text(field(host, leaf({"mip", "tolerances", "mipgap"}), "Name")), "TVL_PARAM_EPGAP");
  EXPECT_EQ(StandaloneHost::text(field(host, leaf({"simplex", "perturbation", "constant"}), "Name")),
            "TVL_PARAM_EPPER");
  EXPECT_EQ(StandaloneHost::text(field(host, leaf({"advance"}), "Help")),
            "indicator for advanced starting information\n\n    0 = no advanced start\n"
            "    1 = standard advanced start\n    2 = alternate advanced start");
  // Entries keep the table's order.
  EXPECT_EQ(fieldNames(leaf({"simplex", "tolerances"})),
            (std::vector<std::string>{"feasibility", "markowitz", "optimality"}));
  EXPECT_EQ(fieldNames(leaf({"advance"})), (std::vector<std::string>{"Name", "Help"}));
  release(o);
}

TEST_F(GatewayTest, GetParamReportsValueDefaultAndTheLimitsThatMean) {
  construct();
  auto get = [&](const char* name) { return call("getParam", {host.createString(name)}); };
  {  // integer with a range
    Outcome o = get("TVL_PARAM_LPMETHOD");
    EXPECT_EQ(fieldNames(o.out1), (std::vector<std::string>{"Min", "Max", "Cur", "Def", "Name"}));
    EXPECT_EQ(number(host, o.out1, "Max"), 6);
    EXPECT_EQ(StandaloneHost::text(field(host, o.out1, "Name")), "TVL_PARAM_LPMETHOD");
    release(o);
  }
  {  // integer switch: no limits
    Outcome o = get("TVL_PARAM_PREIND");
    EXPECT_EQ(fieldNames(o.out1), (std::vector<std::string>{"Cur", "Def", "Name"}));
    EXPECT_EQ(number(host, o.out1, "Cur"), 1);
    release(o);
  }
  {  // double without a range
    Outcome o = get("TVL_PARAM_OBJULIM");
    EXPECT_EQ(number(host, o.out1, "Min"), -INFINITY);
    EXPECT_EQ(number(host, o.out1, "Max"), INFINITY);
    EXPECT_EQ(number(host, o.out1, "Def"), 1e75);
    release(o);
  }
  {  // text
    ASSERT_EQ(TVLsetstrparam(tavlo()->env, TVL_PARAM_WORKDIR, "/tmp/work"), 0);
    Outcome o = get("TVL_PARAM_WORKDIR");
    EXPECT_EQ(fieldNames(o.out1), (std::vector<std::string>{"Cur", "Def", "Name"}));
    EXPECT_EQ(StandaloneHost::text(field(host, o.out1, "Cur")), "/tmp/work");
    release(o);
  }
  {  // unknown name: an empty structure, no error
    Outcome o = get("TVL_PARAM_NOSUCH");
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(host.getNumberOfFields(o.out1), 0);
    release(o);
  }
  Outcome n = call("getParamNumber", {host.createString("TVL_PARAM_EPGAP")});
  EXPECT_EQ(n.out1->cls, kInt32Class);
  EXPECT_EQ(*static_cast<int*>(host.getData(n.out1)), 2009);
  release(n);
  Outcome t = call("getParamType", {host.createString("TVL_PARAM_EPGAP")});
  EXPECT_EQ(*static_cast<int*>(host.getData(t.out1)), TVL_PARAMTYPE_DOUBLE);
  release(t);
}

TEST_F(GatewayTest, ChangePrmTruncatesIntegersAndLeavesRefusalsToTheErrorText) {
  construct();
  auto change = [&](const char* name, Value* value) {
    const char* names[] = {"Name"};
    Value* s = host.createStructMatrix(1, 1, 1, names);
    host.setFieldByNumber(s, 0, 0, host.createString(name));
    return call("changePrm", {s, value});
  };
  TVLENVptr env = tavlo()->env;
  int i = 0;
  double d = 0;
  release(change("TVL_PARAM_ITLIM", host.createDoubleScalar(2.9)));
  TVLgetintparam(env, TVL_PARAM_ITLIM, &i);
  EXPECT_EQ(i, 2);
  release(change("TVL_PARAM_ITLIM", host.createDoubleScalar(-0.5)));  // toward zero, and refused? no: 0 is allowed
  TVLgetintparam(env, TVL_PARAM_ITLIM, &i);
  EXPECT_EQ(i, 0);
  release(change("TVL_PARAM_LPMETHOD", host.createInt32Scalar(2)));
  TVLgetintparam(env, TVL_PARAM_LPMETHOD, &i);
  EXPECT_EQ(i, 2);
  release(change("TVL_PARAM_EPGAP", host.createDoubleScalar(1e-3)));
  TVLgetdblparam(env, TVL_PARAM_EPGAP, &d);
  EXPECT_EQ(d, 1e-3);
  // Out of range: the command succeeds, the value stays, the library's
  // message is the last error.
  Outcome refused = change("TVL_PARAM_EPOPT", host.createDoubleScalar(5));
  EXPECT_EQ(refused.error, "");
  release(refused);
  TVLgetdblparam(env, TVL_PARAM_EPOPT, &d);
  EXPECT_EQ(d, 1e-6);
  EXPECT_NE(std::string(tavlo()->lastError()).find("TAVLO Error  1015"), std::string::npos) << tavlo()->lastError();
  // Huge values do not wrap around when truncated.
  release(change("TVL_PARAM_ITLIM", host.createDoubleScalar(1e300)));
  TVLgetintparam(env, TVL_PARAM_ITLIM, &i);
  EXPECT_EQ(i, 0);
  release(change("TVL_PARAM_WORKDIR", host.createString("/tmp/w2")));
  char text[TVL_STR_PARAM_MAX];
  TVLgetstrparam(env, TVL_PARAM_WORKDIR, text);
  EXPECT_STREQ(text, "/tmp/w2");
  // Unknown name: the library's status and text.
  EXPECT_EQ(change("TVL_PARAM_NOSUCH", host.createDoubleScalar(1)).error,
            "TAVLO Error  1028: Bad parameter name to TAVLO parameter routine.\n");
  EXPECT_EQ(failure("changePrm", {host.createDoubleScalar(1), host.createDoubleScalar(1)}), "unknow parameter");
}

TEST_F(GatewayTest, ParameterFilesRoundTripThroughWriteReadAndDefaults) {
  construct();
  TVLENVptr env = tavlo()->env;
  ASSERT_EQ(TVLsetintparam(env, TVL_PARAM_ITLIM, 1234), 0);
  ASSERT_EQ(TVLsetdblparam(env, TVL_PARAM_EPRHS, 1e-7), 0);
  const std::string path = ::testing::TempDir() + "gateway_params.prm";
  release(call("writeParam", {host.createString(path.c_str())}));
  release(call("setDefault", {}));
  int i = 0;
  double d = 0;
  TVLgetintparam(env, TVL_PARAM_ITLIM, &i);
  EXPECT_NE(i, 1234);
  Outcome r = call("readParam", {host.createString(path.c_str())});
  EXPECT_EQ(r.error, "");
  release(r);
  TVLgetintparam(env, TVL_PARAM_ITLIM, &i);
  TVLgetdblparam(env, TVL_PARAM_EPRHS, &d);
  EXPECT_EQ(i, 1234);
  EXPECT_EQ(d, 1e-7);
  std::remove(path.c_str());
  // The file holds the gateway's screen indicator; reading it must not send
  // output to the terminal besides the display function.
  TVLCHANNELptr results = nullptr, warning = nullptr, error = nullptr, log = nullptr;
  TVLgetchannels(env, &results, &warning, &error, &log);
  ::testing::internal::CaptureStdout();
  TVLmsgstr(results, "not on the terminal\n");
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  // A file that does not exist: the library's message.
  EXPECT_NE(failure("readParam", {host.createString("/nonexistent/dir/x.prm")}).find("TAVLO Error"), std::string::npos);
}

}  // namespace
}  // namespace gateway
