// Environments, channels and status reporting, checked through the public
// interface only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tavlo.h"

namespace {

struct Capture {
  std::vector<std::string> lines;
  static void fn(void *handle, const char *msg) {
    static_cast<Capture *>(handle)->lines.emplace_back(msg);
  }
  std::string all() const {
    std::string s;
    for (const auto &l : lines) s += l;
    return s;
  }
};

struct EnvGuard {
  TVLENVptr env = nullptr;
  EnvGuard() {
    int st = -1;
    env = TVLopenTAVLO(&st);
    EXPECT_EQ(st, 0);
  }
  ~EnvGuard() {
    if (env) TVLcloseTAVLO(&env);
  }
  TVLCHANNELptr channel(int which) {
    TVLCHANNELptr c[4] = {};
    TVLgetchannels(env, &c[0], &c[1], &c[2], &c[3]);
    return c[which];
  }
};

std::string slurp(FILE *f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

}  // namespace

TEST(ErrorStrings, TableLookupAndBoundaries) {
  char buf[TVL_MSGBUFSIZE];
  std::strcpy(buf, "untouched");
  EXPECT_EQ(TVLgeterrorstring(nullptr, 0, buf), nullptr);
  EXPECT_EQ(TVLgeterrorstring(nullptr, -5, buf), nullptr);
  EXPECT_EQ(TVLgeterrorstring(nullptr, 100000, buf), nullptr);
  EXPECT_STREQ(buf, "untouched");

  EXPECT_EQ(TVLgeterrorstring(nullptr, 1001, buf), buf);
  EXPECT_STREQ(buf, "TAVLO Error  1001: Out of memory.\n");
  EXPECT_EQ(TVLgeterrorstring(nullptr, 1005, buf), nullptr);
  EXPECT_STREQ(buf, "TAVLO Error  1005: Unknown error code.\n");
  EXPECT_NE(TVLgeterrorstring(nullptr, 9036, buf), nullptr);
  EXPECT_STREQ(buf, "TAVLO Error  9036: MT: Signals are block for this task.\n");

  // The environment's hashed index answers exactly like the linear scan,
  // for every code of the table and for codes that are not in it.
  EnvGuard g;
  char viaenv[TVL_MSGBUFSIZE];
  int found = 0;
  for (int code = 1; code <= 99999; ++code) {
    const char *a = TVLgeterrorstring(nullptr, code, buf);
    const char *b = TVLgeterrorstring(g.env, code, viaenv);
    ASSERT_EQ(a == nullptr, b == nullptr) << code;
    ASSERT_STREQ(buf, viaenv) << code;
    found += a != nullptr;
  }
  EXPECT_EQ(found, 249);
}

TEST(Channels, DestinationOrderDuplicatesAndRemoval) {
  EnvGuard g;
  TVLCHANNELptr ch = TVLaddchannel(g.env);
  ASSERT_NE(ch, nullptr);
  FILE *f = std::tmpfile();
  Capture cap, other;
  ASSERT_EQ(TVLaddfpdest(g.env, ch, f), 0);
  ASSERT_EQ(TVLaddfuncdest(g.env, ch, &cap, Capture::fn), 0);
  EXPECT_EQ(TVLmsg(ch, "x=%d\n", 42), 5);
  ASSERT_EQ(cap.lines.size(), 1u);
  EXPECT_EQ(cap.lines[0], "x=42\n");
  EXPECT_EQ(slurp(f), "x=42\n");

  // Same stream twice: every message arrives twice; one removal leaves one.
  ASSERT_EQ(TVLaddfpdest(g.env, ch, f), 0);
  TVLmsgstr(ch, "a%d");
  EXPECT_EQ(slurp(f), "x=42\na%da%d");
  EXPECT_EQ(TVLdelfpdest(g.env, ch, f), 0);
  TVLmsgstr(ch, "b");
  EXPECT_EQ(slurp(f), "x=42\na%da%db");

  // Argument errors are returned, not printed.
  EXPECT_EQ(TVLaddfpdest(g.env, nullptr, f), 1051);
  EXPECT_EQ(TVLaddfpdest(g.env, ch, nullptr), 1052);
  EXPECT_EQ(TVLaddfuncdest(g.env, ch, &cap, nullptr), 1053);
  EXPECT_EQ(TVLdelfuncdest(g.env, ch, &other, Capture::fn), 1053);  // other handle
  EXPECT_EQ(TVLdelfuncdest(g.env, ch, &cap, Capture::fn), 0);
  EXPECT_EQ(TVLdelfpdest(g.env, ch, f), 0);
  EXPECT_EQ(TVLdelfpdest(g.env, ch, f), 1052);
  EXPECT_EQ(TVLmsg(nullptr, "ignored"), 0);

  // Long messages are cut to the 1023 characters that fit the buffer.
  ASSERT_EQ(TVLaddfuncdest(g.env, ch, &cap, Capture::fn), 0);
  std::string big(5000, 'z');
  EXPECT_EQ(TVLmsgstr(ch, big.c_str()), 1023);
  EXPECT_EQ(cap.lines.back().size(), 1023u);
  EXPECT_EQ(TVLdelchannel(g.env, &ch), 0);
  EXPECT_EQ(ch, nullptr);
  std::fclose(f);
}

TEST(Channels, ScreenOutputAndLogFile) {
  EnvGuard g;
  TVLCHANNELptr res = g.channel(0), warn = g.channel(1), err = g.channel(2), log = g.channel(3);
  testing::internal::CaptureStdout();
  ASSERT_EQ(TVLsetintparam(g.env, TVL_PARAM_SCRIND, 1), 0);
  ASSERT_EQ(TVLsetintparam(g.env, TVL_PARAM_SCRIND, 1), 0);  // added once only
  TVLmsg(res, "R");
  TVLmsg(warn, "W");
  TVLmsg(err, "E");
  TVLmsg(log, "L");  // the log channel never gets standard output from the switch
  ASSERT_EQ(TVLsetintparam(g.env, TVL_PARAM_SCRIND, 0), 0);
  TVLmsg(res, "r");
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "RWE");

  FILE *a = std::tmpfile(), *b = std::tmpfile();
  ASSERT_EQ(TVLsetlogfile(g.env, a), 0);
  TVLmsg(res, "1");
  TVLmsg(log, "2");
  ASSERT_EQ(TVLsetlogfile(g.env, b), 0);  // replaces a on all four channels
  TVLmsg(warn, "3");
  TVLmsg(err, "4");
  FILE *cur = nullptr;
  TVLgetlogfile(g.env, &cur);
  EXPECT_EQ(cur, b);
  ASSERT_EQ(TVLsetlogfile(g.env, nullptr), 0);  // only detaches
  TVLmsg(log, "5");
  EXPECT_EQ(slurp(a), "12");
  EXPECT_EQ(slurp(b), "34");
  std::fclose(a);
  std::fclose(b);
}

TEST(Environment, CloseFreesResourcesAndInvalidatesHandle) {
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  ASSERT_EQ(st, 0);
  ASSERT_NE(TVLversion(env), nullptr);
  std::string version = TVLversion(env);
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3);
  for (int k = 0; k < 3; ++k) ASSERT_NE(TVLaddchannel(env), nullptr);
  TVLENVptr child = TVLparenv(env, &st);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(TVLcloseTAVLO(&env), 0);
  EXPECT_EQ(env, nullptr);
  EXPECT_EQ(TVLcloseTAVLO(&env), 1002);
  EXPECT_EQ(TVLversion(nullptr), nullptr);
  EXPECT_EQ(TVLgetchannels(nullptr, nullptr, nullptr, nullptr, nullptr), 1002);
}

TEST(Environment, ChildEnvironmentsAndTheirLimits) {
  EnvGuard g;
  Capture cap;
  TVLaddfuncdest(g.env, g.channel(2), &cap, Capture::fn);
  std::vector<TVLENVptr> kids;
  int st = 0;
  for (int k = 0; k < 16; ++k) {
    kids.push_back(TVLparenv(g.env, &st));
    ASSERT_EQ(st, 0);
  }
  EXPECT_EQ(TVLparenv(g.env, &st), nullptr);
  EXPECT_EQ(st, 1020);
  EXPECT_EQ(TVLparenv(kids[0], &st), nullptr);
  EXPECT_EQ(st, 1019);
  TVLENVptr child = kids[1];
  EXPECT_EQ(TVLcloseTAVLO(&child), 1021);
  EXPECT_NE(child, nullptr);
  EXPECT_EQ(TVLsetintparam(child, TVL_PARAM_SCRIND, 0), 0);  // still usable
  // The child reports on the destinations its parent had.
  EXPECT_EQ(TVLsetintparam(child, TVL_PARAM_SCRIND, 7), 1015);
  EXPECT_NE(cap.all().find("TAVLO Error  1015: Parameter value too big.\n"), std::string::npos);
  ASSERT_EQ(TVLfreeparenv(g.env, &kids[2]), 0);
  EXPECT_EQ(kids[2], nullptr);
  EXPECT_NE(TVLparenv(g.env, &st), nullptr);  // room again; freed at close
  EXPECT_EQ(st, 0);
}

TEST(Environment, AuditAndOverrideFiles) {
  std::string audit = testing::TempDir() + "tavlo_audit.txt";
  std::remove(audit.c_str());
  setenv("ZEB_QARN_TAVLO_AUDIT_FILE", audit.c_str(), 1);
  setenv("QARN_TAVLO_PARAMETER_FILE", "/nonexistent/override.prm", 1);
  testing::internal::CaptureStdout();
  int st = 0;
  TVLENVptr env = TVLopenTAVLO(&st);
  std::string out = testing::internal::GetCapturedStdout();
  unsetenv("QARN_TAVLO_PARAMETER_FILE");
  ASSERT_EQ(st, 0);
  EXPECT_EQ(out, "Reading override parameter file '/nonexistent/override.prm' failed.\n");
  ASSERT_EQ(TVLcloseTAVLO(&env), 0);
  unsetenv("ZEB_QARN_TAVLO_AUDIT_FILE");

  std::ifstream in(audit);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  std::vector<std::string> lines;
  std::istringstream ls(text);
  for (std::string l; std::getline(ls, l);) lines.push_back(l);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0].size(), 36u);  // "[" 16 ":" 16 "] ", then the text "\n"
  EXPECT_EQ(lines[0][0], '[');
  EXPECT_NE(lines[1].find("] ZEB QARN TAVLO Optimizers "), std::string::npos);
  EXPECT_NE(lines[1].find(" audit file started "), std::string::npos);
  EXPECT_NE(text.find(" audit file ended "), std::string::npos);
  EXPECT_EQ(lines[0].substr(0, 18), lines[1].substr(0, 18));  // same environment address

  // A readable override file is applied while the reading itself stays silent.
  std::string prm = testing::TempDir() + "tavlo_override.prm";
  {
    std::ofstream out(prm);
    out << "TAVLO Parameter File Version " << "0.0.0.0\n" << "TVL_PARAM_EPGAP 0.25\n";
  }
  setenv("QARN_TAVLO_PARAMETER_FILE", prm.c_str(), 1);
  testing::internal::CaptureStdout();
  env = TVLopenTAVLO(&st);
  out = testing::internal::GetCapturedStdout();
  unsetenv("QARN_TAVLO_PARAMETER_FILE");
  ASSERT_EQ(st, 0);
  EXPECT_EQ(out, "Reading override parameter file '" + prm + "' succeeded.\n");
  double gap = 0;
  TVLgetdblparam(env, TVL_PARAM_EPGAP, &gap);
  EXPECT_EQ(gap, 0.25);
  int scr = -1;
  TVLgetintparam(env, TVL_PARAM_SCRIND, &scr);
  EXPECT_EQ(scr, 0);
  TVLcloseTAVLO(&env);

  // An audit file that cannot be opened makes opening fail with 1422.
  setenv("ZEB_QARN_TAVLO_AUDIT_FILE", "/nonexistent/dir/audit", 1);
  env = TVLopenTAVLO(&st);
  unsetenv("ZEB_QARN_TAVLO_AUDIT_FILE");
  EXPECT_EQ(env, nullptr);
  EXPECT_EQ(st, 1422);
}
