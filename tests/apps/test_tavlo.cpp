// The command-line solver as a user runs it: output, verdicts, files, exit
// codes, conversion and Ctrl-C.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/bench_dir.h"

extern char **environ;

namespace {

struct CliRun {
  int exit_code = -1;
  int signal = 0;  // the signal that ended the process, if any
  std::string out;
};

const std::string kTavlo = std::string(TAVLO_BINARY_DIR) + "/tavlo";
const std::string kExample = std::string(TAVLO_SOURCE_DIR) + "/examples/afiro.mps";

// Each test runs in a process of its own, and CTest runs them side by
// side: the process id keeps one test's files (a background run's log, a
// FIFO) from being truncated by another's.
std::string temp(const std::string &name) {
  return ::testing::TempDir() + "tavlo_cli_" + std::to_string(getpid()) + "_" + name;
}

std::string slurp(const std::string &path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void put(const std::string &path, const std::string &text) { std::ofstream(path) << text; }

bool has(const std::string &text, const std::string &piece) { return text.find(piece) != std::string::npos; }

// Runs tavlo with the given shell arguments, standard output and standard
// error together.
CliRun run_tavlo(const std::string &args) {
  const std::string cmd = kTavlo + " " + args + " 2>&1";
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

// A tavlo process started in the background with its output in a file.
class Background {
 public:
  explicit Background(std::vector<std::string> args) : log_(temp("background.log")) {
    args.insert(args.begin(), kTavlo);
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    ok_ = posix_spawn(&pid_, kTavlo.c_str(), &fa, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&fa);
  }
  ~Background() {
    if (ok_ && !done_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return ok_; }
  bool running() {
    if (done_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    record(status);
    return false;
  }
  void interrupt() { kill(pid_, SIGINT); }
  CliRun finish() {
    if (!done_) {
      int status = 0;
      waitpid(pid_, &status, 0);
      record(status);
    }
    result_.out = slurp(log_);
    return result_;
  }
  std::string output() const { return slurp(log_); }

 private:
  void record(int status) {
    done_ = true;
    result_.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  std::string log_;
  pid_t pid_ = 0;
  bool ok_ = false, done_ = false;
  CliRun result_;
};

// Opens a FIFO for writing once its reader (tavlo) has opened it; -1 when
// the process ended first or after 60 seconds.
int open_writer(const std::string &fifo, Background &proc) {
  for (int k = 0; k < 6000 && proc.running(); ++k) {
    int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return fd;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

bool have_tavlo() { return std::ifstream(kTavlo).good(); }

TEST(TavloCli, SolvesWritesSolutionAndBasis) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string sol = temp("afiro.txt"), bas = temp("afiro.bas");
  CliRun r = run_tavlo("--set preind=0 --set 1062=2 -o " + sol + " -b " + bas + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  // The first line names the version, the file and its size.
  EXPECT_EQ(r.out.rfind("TAVLO ", 0), 0u) << r.out;
  EXPECT_TRUE(has(r.out.substr(0, r.out.find('\n')), kExample + ": 27 rows, 32 columns, 83 nonzeros")) << r.out;
  EXPECT_TRUE(has(r.out, "Iteration log"));
  EXPECT_TRUE(has(r.out, "Solution status: 1 (optimal)\n"));
  EXPECT_TRUE(has(r.out, "Objective value: -4.6475314286e+02"));
  EXPECT_TRUE(has(r.out, "Iterations:"));
  const std::string table = slurp(sol);
  EXPECT_EQ(table.rfind("Status     1 optimal\nObjective  -464.753142857", 0), 0u) << table;
  EXPECT_TRUE(has(table, "X01"));
  EXPECT_TRUE(has(table, "R09"));
  EXPECT_EQ(slurp(bas).rfind("NAME", 0), 0u);
  // Started from the optimal basis, presolve is skipped and no pivot is needed.
  r = run_tavlo("-B " + bas + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_FALSE(has(r.out, "Presolve time")) << r.out;
  EXPECT_TRUE(has(r.out, "Iterations:      0")) << r.out;
  EXPECT_EQ(run_tavlo("-B /nonexistent/start.bas " + kExample).exit_code, 1);
  // A name ending in .sol gets the XML solution document.
  const std::string xml = temp("afiro.sol");
  r = run_tavlo("-q -o " + xml + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  const std::string doc = slurp(xml);
  EXPECT_EQ(doc.rfind("<?xml version = \"1.0\" standalone=\"yes\"?>\n<TAVLOSolution version=\"1.2\">\n", 0), 0u)
      << doc;
  EXPECT_TRUE(has(doc, "solutionStatusValue=\"1\" solutionStatusString=\"optimal\""));
  EXPECT_TRUE(has(doc, "<variable name=\"X01\" index=\"0\" status=\""));
  std::remove(xml.c_str());
  std::remove(sol.c_str());
  std::remove(bas.c_str());
  // Quiet mode keeps the summary only; --threads and --method reach the optimizer.
  r = run_tavlo("-q --threads 1 --method primal " + kExample);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_FALSE(has(r.out, "Iteration log"));
  EXPECT_FALSE(has(r.out, "TAVLO "));
  EXPECT_TRUE(has(r.out, "Solution status: 1 (optimal)"));
  r = run_tavlo("--version");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out.rfind("tavlo 0.", 0), 0u) << r.out;
}

TEST(TavloCli, ReadsMipStarts) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string model = temp("start.lp"), mst = temp("start.mst");
  put(model, "max\n x + y\nst\n c1: x + y <= 4\nGeneral\n x\nend\n");
  put(mst, "<TAVLOSolutions>\n <TAVLOSolution>\n  <variables>\n   <variable name=\"x\" value=\"2\"/>\n"
           "   <variable name=\"w\" value=\"1\"/>\n  </variables>\n </TAVLOSolution>\n</TAVLOSolutions>\n");
  CliRun r = run_tavlo("--no-solve -m " + mst + " " + model);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Warning, line 5: 'w' is not a variable.")) << r.out;
  put(mst, "<TAVLOSolutions>\n");
  r = run_tavlo("--no-solve -m " + mst + " " + model);
  EXPECT_EQ(r.exit_code, 1) << r.out;
  EXPECT_TRUE(has(r.out, "TAVLO Error  1425: XML parsing error at line ")) << r.out;
  std::remove(model.c_str());
  std::remove(mst.c_str());
}

TEST(TavloCli, VerdictsAreResultsWhicheverComponentProvesThem) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  // Presolve proves the first infeasible (two rows that contradict each
  // other) and finds the second unbounded or infeasible (y improves the
  // objective without limit once the row that holds it is gone); without
  // presolve the simplex proves both verdicts.
  const std::string infeasible = temp("infeasible.lp"), unbounded = temp("unbounded.lp");
  put(infeasible, "min\n x + y\nst\n c1: x + y >= 4\n c2: x + y <= 2\nend\n");
  put(unbounded, "max\n x + 2 y\nst\n c1: x - y <= 1\n c2: x <= 3\nend\n");
  const std::string sol = temp("verdict.txt");
  const struct {
    std::string file, by_presolve, by_simplex;
  } cases[] = {{infeasible, "3 (infeasible), proved by presolve", "3 (infeasible)\n"},
               {unbounded, "4 (unbounded or infeasible), proved by presolve", "2 (unbounded)\n"}};
  for (const auto &c : cases) {
    for (const std::string settings : {"", "--set preind=0 ", "--method dual ", "--method primal --set preind=0 "}) {
      std::remove(sol.c_str());
      CliRun r = run_tavlo(settings + "-o " + sol + " -b " + temp("verdict.bas") + " " + c.file);
      const std::string what = c.file + " " + settings + "\n" + r.out;
      const std::string &status = has(settings, "preind=0") ? c.by_simplex : c.by_presolve;
      EXPECT_EQ(r.exit_code, 0) << what;
      EXPECT_TRUE(has(r.out, "Solution status: " + status)) << what;
      EXPECT_FALSE(has(r.out, "TAVLO Error")) << what;
      EXPECT_FALSE(has(r.out, "Objective value")) << what;
      // The solution file carries the status in every outcome.
      const std::string table = slurp(sol);
      EXPECT_EQ(table.rfind("Status     " + status.substr(0, 1) + " ", 0), 0u) << table;
      EXPECT_FALSE(has(table, "Objective")) << table;
    }
  }
  // Limits are results too, in presolve or in the simplex.
  CliRun r = run_tavlo("-q --time-limit 0 " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 11 (time limit exceeded), during presolve")) << r.out;
  EXPECT_FALSE(has(r.out, "TAVLO Error")) << r.out;
  r = run_tavlo("-q --time-limit 0 --set TVL_PARAM_PREIND=0 " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 11 (time limit exceeded)\n")) << r.out;
  std::remove(sol.c_str());
  std::remove(infeasible.c_str());
  std::remove(unbounded.c_str());
}

TEST(TavloCli, WriteConvertsBetweenFormats) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  for (const char *ext : {".lp", ".sav.gz", ".mps.bz2", ".fmps"}) {
    const std::string copy = temp("afiro") + ext;
    CliRun r = run_tavlo("--no-solve --write " + copy + " " + kExample);
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_FALSE(has(r.out, "Solution status")) << r.out;
    r = run_tavlo("-q " + copy);
    EXPECT_EQ(r.exit_code, 0) << ext << r.out;
    EXPECT_TRUE(has(r.out, "Objective value: -4.6475314286e+02")) << ext << r.out;
    std::remove(copy.c_str());
  }
  // Writing while solving; an extension that names no format is an error
  // that names the file and the accepted extensions.
  const std::string copy = temp("afiro.lp");
  CliRun r = run_tavlo("-q --write " + copy + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 1 (optimal)"));
  EXPECT_TRUE(has(slurp(copy), "\nMinimize\n"));
  std::remove(copy.c_str());
  r = run_tavlo("--no-solve --write " + temp("afiro.txt") + " " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1424: Invalid filetype.")) << r.out;
  EXPECT_TRUE(has(r.out, temp("afiro.txt") + "'")) << r.out;
  EXPECT_TRUE(has(r.out, ".gz, .bz2 or .Z")) << r.out;
  r = run_tavlo("--help");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_TRUE(has(r.out, ".Z"));
  EXPECT_TRUE(has(r.out, "--write FILE"));
}

TEST(TavloCli, UsageErrorsExit2AndParameterErrorsNameTheSetting) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  EXPECT_EQ(run_tavlo("").exit_code, 2);
  for (const char *args : {"--bogus", "--time-limit soon", "--threads many", "--method simplex", "-o",
                           "--set EPOPT", "--set NO_SUCH_PARAMETER=1", "--set epopt=fast", "--set 99=1",
                           "--no-solve -o x.sol", "a.mps", "--tune", "--tune t.prm --populate",
                           "--conflict c.lp -o x.txt", "--feasopt --no-solve", "--tune t.prm --conflict c.lp"}) {
    CliRun r = run_tavlo(std::string(args) + " " + kExample);
    EXPECT_EQ(r.exit_code, 2) << args << "\n" << r.out;
  }
  // A value out of range: the library's message and one naming the setting.
  CliRun r = run_tavlo("--set epopt=2.0 " + kExample);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1015: Parameter value too big.")) << r.out;
  EXPECT_TRUE(has(r.out, "tavlo: --set epopt=2.0: TVL_PARAM_EPOPT = 2.0 is above its range, 1e-09 to 0.1"))
      << r.out;
  // Names in any case, with or without the prefix.
  r = run_tavlo("-q --set Itlim=3 --set tvl_param_preind=0 " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 10 (iteration limit exceeded)")) << r.out;
  // Parameter files: a good one applies; a bad line is named with its parameter.
  const std::string prm = temp("params.prm");
  put(prm, "TAVLO Parameter File Version 0.1.0.0\nTVL_PARAM_ITLIM                  3\n");
  r = run_tavlo("-q -p " + prm + " " + kExample);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 10 (iteration limit exceeded)")) << r.out;
  put(prm, "TAVLO Parameter File Version 0.1.0.0\n# limits\nTVL_PARAM_ITLIM 3\n\nTVL_PARAM_EPRHS 5 # too big\n");
  r = run_tavlo("-q -p " + prm + " " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1015")) << r.out;
  EXPECT_TRUE(has(r.out, prm + ", line 5: TVL_PARAM_EPRHS = 5 is above its range")) << r.out;
  put(prm, "TAVLO Parameter File Version 0.1.0.0\nTVL_PARAM_EPOPT   tight\n");
  r = run_tavlo("-q -p " + prm + " " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1434: Line 2: Couldn't convert 'tight' to a number.")) << r.out;
  EXPECT_TRUE(has(r.out, prm + ", line 2: 'tight' is not a numeric value for TVL_PARAM_EPOPT")) << r.out;
  put(prm, "TAVLO Parameter File Version 0.1.0.0\ntvl_param_itlim 3\n");
  r = run_tavlo("-q -p " + prm + " " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1028")) << r.out;
  EXPECT_TRUE(has(r.out, prm + ", line 2: unknown parameter 'tvl_param_itlim' (a parameter file names it exactly: "
                               "TVL_PARAM_ITLIM)"))
      << r.out;
  std::remove(prm.c_str());
  // Library failures exit 1 with the library's message.
  r = run_tavlo("/nonexistent/model.mps");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1423")) << r.out;
  r = run_tavlo("--set TVL_PARAM_LPMETHOD=4 " + kExample);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_TRUE(has(r.out, "TAVLO Error  1292")) << r.out;
}

// --tune on a MIP: the command line's settings stay fixed, the parameter
// file it writes holds them and what the tuning chose, and solving with
// that file reaches the same optimum.
TEST(TavloCli, TuneWritesAParameterFileThatKeepsTheFixedSettings) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string model = tvltest::instance_path("miplib", "p0033");
  const std::string prm = temp("tuned.prm");
  std::remove(prm.c_str());
  CliRun r = run_tavlo("--set nodesel=2 --set epgap=1e-6 --tune " + prm + " " + model);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Tuning a MIP: ")) << r.out;
  EXPECT_TRUE(has(r.out, "Tuning: defaults: status 101")) << r.out;
  EXPECT_FALSE(has(r.out, "TVL_PARAM_NODESEL ")) << r.out;  // fixed: never tried
  EXPECT_TRUE(has(r.out, "Tuning status:   0 (complete)")) << r.out;
  EXPECT_TRUE(has(r.out, "Parameters written to " + prm)) << r.out;
  const std::string file = slurp(prm);
  EXPECT_TRUE(has(file, "TVL_PARAM_NODESEL")) << file;
  EXPECT_TRUE(has(file, "TVL_PARAM_EPGAP")) << file;
  r = run_tavlo("-q -p " + prm + " " + model);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Objective value: 3.0890000000e+03")) << r.out;
  // A budget that cannot fit the repeats ends it with its status; the file
  // is still written.
  r = run_tavlo("-q --set tuningtilim=1 --set tuningrepeat=1000000 --tune " + prm + " " + model);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_TRUE(has(r.out, "Tuning status:   2 (tuning time limit reached)")) << r.out;
  EXPECT_TRUE(has(slurp(prm), "TVL_PARAM_TUNINGREPEAT")) << slurp(prm);
  std::remove(prm.c_str());
}

TEST(TavloCli, CtrlCStopsTheRunAndKeepsWhatExists) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  // The model arrives through a FIFO: tavlo waits for it with its handler
  // installed, takes the interrupt, then reads and solves, and the
  // optimizer stops at its first check of the termination request.
  const std::string fifo = temp("fifo.mps"), sol = temp("ctrlc.txt"), bas = temp("ctrlc.bas");
  const std::string model = slurp(kExample);
  for (const char *presolve : {"preind=0", "preind=1"}) {
    std::remove(fifo.c_str());
    std::remove(sol.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Background proc({"--set", presolve, "-o", sol, "-b", bas, fifo});
    ASSERT_TRUE(proc.started());
    int fd = open_writer(fifo, proc);
    ASSERT_GE(fd, 0) << proc.output();
    proc.interrupt();
    EXPECT_EQ(write(fd, model.data(), model.size()), static_cast<ssize_t>(model.size()));
    close(fd);
    CliRun r = proc.finish();
    EXPECT_EQ(r.exit_code, 130) << r.out;
    EXPECT_TRUE(has(r.out, "tavlo: interrupted")) << r.out;
    EXPECT_TRUE(has(r.out, "Solution status: 13 (user aborted)")) << r.out;
    EXPECT_FALSE(has(r.out, "TAVLO Error")) << r.out;
    EXPECT_EQ(slurp(sol).rfind("Status     13 user aborted", 0), 0u) << presolve;
  }
  // A second Ctrl-C ends the process at once.
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Background proc({fifo});
  int fd = open_writer(fifo, proc);
  ASSERT_GE(fd, 0);
  proc.interrupt();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  proc.interrupt();
  CliRun r = proc.finish();
  close(fd);
  EXPECT_EQ(r.signal, SIGINT) << r.out;
  std::remove(fifo.c_str());
  std::remove(sol.c_str());
  std::remove(bas.c_str());
}

TEST(TavloCli, CtrlCDuringALongNetlibSolve) {
  if (!have_tavlo()) GTEST_SKIP() << "tavlo not built";
  const std::string model = tvltest::bench_dir() + "/netlib/pilot87.mps.gz";
  if (!std::ifstream(model).good()) GTEST_SKIP() << "pilot87 not available";
  const std::string sol = temp("pilot87.txt");
  std::remove(sol.c_str());
  Background proc({"-o", sol, model});
  ASSERT_TRUE(proc.started());
  // Interrupt two seconds after the model has been read (its first line).
  for (int k = 0; k < 600 && proc.running() && !has(proc.output(), "nonzeros\n"); ++k)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::this_thread::sleep_for(std::chrono::seconds(2));
  if (!proc.running()) GTEST_SKIP() << "pilot87 was solved before the interrupt";
  proc.interrupt();
  CliRun r = proc.finish();
  EXPECT_EQ(r.exit_code, 130) << r.out;
  EXPECT_TRUE(has(r.out, "Solution status: 13 (user aborted)")) << r.out;
  const std::string table = slurp(sol);
  EXPECT_EQ(table.rfind("Status     13 user aborted", 0), 0u) << table.substr(0, 200);
  std::remove(sol.c_str());
}

}  // namespace
