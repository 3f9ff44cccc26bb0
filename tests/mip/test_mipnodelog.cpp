// The node log as the results channel receives it: the header, the fixed
// column layout of node and incumbent lines, pacing by node count, the
// elapsed-time lines, the short form of display level 1, the user's sign
// in the columns, and the same log on every run.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/api_session.h"

namespace {

struct LoggedRun {
  std::vector<std::string> lines;
  int nodes = 0;
  int status = 0;
  double objective = 0.0;
  std::vector<double> x;
};

LoggedRun run(const char *name, int display, int interval, bool maximise = false) {
  tvltest::ApiSession s("log");
  std::string text;
  s.collect_results(text);
  s.read_miplib(name);
  const int n = TVLgetnumcols(s.env, s.lp);
  if (maximise) {
    // Maximise the negated objective: the same optimum with the other sign.
    std::vector<double> obj(static_cast<size_t>(n));
    std::vector<int> idx(static_cast<size_t>(n));
    TVLgetobj(s.env, s.lp, obj.data(), 0, n - 1);
    for (int j = 0; j < n; ++j) idx[static_cast<size_t>(j)] = j, obj[static_cast<size_t>(j)] *= -1.0;
    TVLchgobj(s.env, s.lp, n, idx.data(), obj.data());
    TVLchgobjsen(s.env, s.lp, TVL_MAX);
  }
  TVLsetintparam(s.env, TVL_PARAM_THREADS, 1);
  TVLsetintparam(s.env, TVL_PARAM_MIPDISPLAY, display);
  TVLsetintparam(s.env, TVL_PARAM_MIPINTERVAL, interval);
  // Incumbents from node LPs only (the heuristics' lines are checked in
  // tests/mip/heuristics).
  TVLsetintparam(s.env, TVL_PARAM_HEURFREQ, -1);
  TVLsetintparam(s.env, TVL_PARAM_FPHEUR, -1);
  TVLsetintparam(s.env, TVL_PARAM_RINSHEUR, -1);
  EXPECT_EQ(TVLmipopt(s.env, s.lp), 0);
  LoggedRun r;
  r.nodes = TVLgetnodecnt(s.env, s.lp);
  r.status = TVLgetstat(s.env, s.lp);
  TVLgetobjval(s.env, s.lp, &r.objective);
  r.x.resize(static_cast<size_t>(n));
  TVLgetx(s.env, s.lp, r.x.data(), 0, n - 1);
  std::stringstream ss(text);
  std::string line;
  while (std::getline(ss, line)) r.lines.push_back(line);
  return r;
}

bool is_node_line(const std::string &l) {
  return l.size() > 8 && (l[0] == ' ' || l[0] == '*') && std::isdigit(static_cast<unsigned char>(l[6]));
}

// Field of a node line by its columns: flag(1) node(6) heur(1) left(5)
// then blank-separated objective+IInf(19), best integer(13), best node(13),
// ItCnt(8), gap(8).
std::string field(const std::string &l, size_t from, size_t width) { return l.substr(from, width); }
double number(const std::string &f) { return std::strtod(f.c_str(), nullptr); }
bool blank(const std::string &f) { return f.find_first_not_of(' ') == std::string::npos; }

TEST(MipNodeLog, IntervalOneLogsEveryNodeInTheFixedColumns) {
  const LoggedRun r = run("p0033", 2, 1);
  ASSERT_EQ(r.status, TVLMIP_OPTIMAL);
  int nodes = 0, lines = 0, elapsed = 0, marked = 0, passes = 0;
  size_t header = 0;
  for (size_t k = 0; k + 1 < r.lines.size(); ++k)
    if (r.lines[k] == "        Nodes                                         Cuts/" &&
        r.lines[k + 1] == "   Node  Left     Objective  IInf  Best Integer     Best Node    ItCnt     Gap")
      header = k;
  ASSERT_GT(header, 0u);
  EXPECT_EQ(r.lines[header - 1], "");
  EXPECT_EQ(r.lines[header + 2], "");
  double last_bound = -1e300, last_z = 1e300;
  int improvements = 0;
  for (const std::string &l : r.lines) {
    if (l.rfind("Elapsed", 0) == 0) {
      ++elapsed;
      EXPECT_EQ((lines - 1) % 10, 0) << l;  // after lines 1, 11, 21, ...
      EXPECT_NE(l.find("sec. (tree size = "), std::string::npos) << l;
      EXPECT_EQ(l.back(), ')') << l;
      continue;
    }
    if (!is_node_line(l)) continue;
    ++lines;
    ASSERT_EQ(l.size(), 79u) << l;
    for (size_t sep : {7u, 13u, 33u, 47u, 61u, 70u}) EXPECT_EQ(l[sep], ' ') << l;
    const std::string best_int = field(l, 34, 13), best_node = field(l, 48, 13), gap = field(l, 71, 8);
    // The root's lines: the root LP, one per cut round with the round's
    // cuts in the Best Node column ("Cuts: n" or "Family: n"), the root
    // after the rounds.
    if (number(field(l, 1, 6)) == 0 && nodes == 1) {
      const size_t colon = best_node.find(':');
      if (colon != std::string::npos) {
        ++passes;
        EXPECT_GT(number(best_node.substr(colon + 1)), 0) << l;
      }
      continue;
    }
    ++nodes;
    EXPECT_EQ(number(field(l, 1, 6)), nodes - 1) << l;  // node numbers 0, 1, 2, ...
    // The bound of the search never falls.
    if (!blank(best_node)) {
      EXPECT_GE(number(best_node), last_bound - 1e-9) << l;
      last_bound = number(best_node);
    }
    if (l[0] == '*') {
      ++marked;
      EXPECT_EQ(field(l, 14, 19), "     integral     0") << l;
    }
    if (blank(best_int)) {
      EXPECT_TRUE(blank(gap)) << l;
      continue;
    }
    // The gap column is the relative gap of the line's own columns.
    const double z = number(best_int), b = number(best_node);
    char expect[16];
    std::snprintf(expect, sizeof expect, "%7.2f%%", 100.0 * (z - b) / (std::fabs(z) + 1e-10));
    EXPECT_EQ(gap, expect) << l;
    // Each new incumbent is marked, and improves on the last one.
    if (z != last_z) {
      EXPECT_EQ(l[0], '*') << l;
      EXPECT_LT(z, last_z) << l;
      ++improvements;
    }
    last_z = z;
  }
  EXPECT_EQ(last_z, 3089.0);
  EXPECT_EQ(nodes, r.nodes);
  EXPECT_GT(passes, 0);  // p0033 is cut at the root
  EXPECT_EQ(elapsed, (lines + 9) / 10);
  EXPECT_EQ(marked, improvements);
}

TEST(MipNodeLog, DisplayOnePrintsOnlyIncumbentLinesInTheUsersSign) {
  for (bool maximise : {false, true}) {
    const LoggedRun r = run("p0033", 1, 0, maximise);
    int incumbents = 0;
    for (const std::string &l : r.lines) {
      EXPECT_FALSE(is_node_line(l)) << l;
      if (l.rfind("Best integer = ", 0) != 0) continue;
      ++incumbents;
      double value = 0.0, bound = 0.0;
      int node = -1;
      ASSERT_EQ(std::sscanf(l.c_str(), "Best integer = %le  Node = %d  Best node = %le", &value, &node, &bound), 3)
          << l;
      EXPECT_EQ(value > 0.0, !maximise) << l;  // p0033's objective is positive
      // The bound lies on the side of the value the sense says.
      EXPECT_LE(maximise ? value - bound : bound - value, 1e-9) << l;
      EXPECT_EQ(l.substr(29, 9), "  Node = ") << l;
    }
    EXPECT_GE(incumbents, 1);
    EXPECT_NEAR(r.objective, maximise ? -3089.0 : 3089.0, 1e-6);
  }
}

TEST(MipNodeLog, RepeatedRunsPrintTheSameLogAndAnswerApartFromTimes) {
  auto strip = [](const LoggedRun &r) {
    std::vector<std::string> out;
    for (const std::string &l : r.lines)
      if (l.find("time") == std::string::npos && l.find(" sec.") == std::string::npos) out.push_back(l);
    return out;
  };
  for (int interval : {0, 7}) {
    const LoggedRun a = run("stein27", 2, interval), b = run("stein27", 2, interval);
    EXPECT_EQ(a.status, TVLMIP_OPTIMAL);
    EXPECT_GT(a.nodes, 100);
    EXPECT_EQ(a.nodes, b.nodes);
    EXPECT_EQ(a.objective, 18.0);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(strip(a), strip(b));
    EXPECT_GT(strip(a).size(), 8u);
  }
}

}  // namespace
