// The command-line solver as a user runs it: output, files and exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct CliRun {
  int exit_code = -1;
  std::string out;
};

// Runs the installed-to-be executable with the given arguments, capturing
// standard output and standard error together.
CliRun run_tavlo(const std::string &args) {
  const std::string cmd = std::string(TAVLO_BINARY_DIR) + "/tavlo " + args + " 2>&1";
  CliRun r;
  FILE *p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, got);
  const int status = pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string slurp(const std::string &path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

const std::string kExample = std::string(TAVLO_SOURCE_DIR) + "/examples/afiro.mps";

bool have_tavlo() { return std::ifstream(std::string(TAVLO_BINARY_DIR) + "/tavlo").good(); }

TEST(LpOptCli, SolvesWritesSolutionAndBasis) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string sol = ::testing::TempDir() + "tavlo_cli.sol";
  const std::string bas = ::testing::TempDir() + "tavlo_cli.bas";
  CliRun r = run_tavlo("--set TVL_PARAM_PREIND=0 --set 1062=2 -o " + sol + " -b " + bas + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("Iteration log"), std::string::npos);
  EXPECT_NE(r.out.find("Solution status: 1 (optimal)"), std::string::npos);
  EXPECT_NE(r.out.find("Objective value: -4.6475314286e+02"), std::string::npos);
  EXPECT_NE(r.out.find("Iterations:"), std::string::npos);
  const std::string table = slurp(sol);
  EXPECT_NE(table.find("Objective  -464.753142857"), std::string::npos);
  EXPECT_NE(table.find("X01"), std::string::npos);
  EXPECT_NE(table.find("R09"), std::string::npos);
  EXPECT_EQ(slurp(bas).rfind("NAME", 0), 0u);
  // Started from the optimal basis, presolve is skipped and no pivot is needed.
  r = run_tavlo("-B " + bas + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out.find("Presolve time"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Iterations:      0"), std::string::npos) << r.out;
  EXPECT_EQ(run_tavlo("-B /nonexistent/start.bas " + kExample).exit_code, 1);
  std::remove(sol.c_str());
  std::remove(bas.c_str());
  // Quiet mode keeps the summary only.
  r = run_tavlo("-q " + kExample);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out.find("Iteration log"), std::string::npos);
  EXPECT_NE(r.out.find("Solution status: 1 (optimal)"), std::string::npos);
}

TEST(LpOptCli, FailuresCarryTheLibraryMessageAndExitStatus) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  CliRun r = run_tavlo("/nonexistent/model.mps");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("TAVLO Error  1423"), std::string::npos) << r.out;
  r = run_tavlo("--set NO_SUCH_PARAMETER=1 " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("TAVLO Error  1028"), std::string::npos) << r.out;
  r = run_tavlo("--set TVL_PARAM_EPOPT=2.0 " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("TAVLO Error  1015"), std::string::npos) << r.out;
  r = run_tavlo("--set TVL_PARAM_LPMETHOD=4 " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("TAVLO Error  1292"), std::string::npos) << r.out;
  // Usage errors exit with 2; --help with 0.
  EXPECT_EQ(run_tavlo("").exit_code, 2);
  EXPECT_EQ(run_tavlo("--time-limit soon " + kExample).exit_code, 2);
  EXPECT_EQ(run_tavlo("--bogus " + kExample).exit_code, 2);
  r = run_tavlo("--help");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("--time-limit"), std::string::npos);
  EXPECT_NE(r.out.find("-B FILE"), std::string::npos);
}

TEST(LpOptCli, ParameterFileAndTimeLimit) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string prm = ::testing::TempDir() + "tavlo_cli.prm";
  {
    std::ofstream f(prm);
    f << "TAVLO Parameter File Version 0.1.0.0\n"
      << "TVL_PARAM_ITLIM                  3\n";
  }
  CliRun r = run_tavlo("-q -p " + prm + " " + kExample);
  std::remove(prm.c_str());
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("Solution status: 10 (iteration limit exceeded)"), std::string::npos) << r.out;
  // A zero time limit stops presolve (an error) or, without presolve, the simplex.
  r = run_tavlo("-q --time-limit 0 " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("TAVLO Error  1123"), std::string::npos) << r.out;
  r = run_tavlo("-q --time-limit 0 --set TVL_PARAM_PREIND=0 " + kExample);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("Solution status: 11 (time limit exceeded)"), std::string::npos) << r.out;
}

}  // namespace
