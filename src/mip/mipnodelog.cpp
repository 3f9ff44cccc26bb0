#include "mip/mipnodelog.h"

#include <cmath>
#include <cstdio>

#include "frame/error.h"
#include "frame/param.h"
#include "frame/solution.h"
#include "mip/mip_state.h"
#include "frame/env.h"

namespace tvl::mip {

namespace {

std::string format(const char *fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

}  // namespace

const char *cut_family_name(int family) {
  static const char *const kNames[] = {"Covers",  "GUBcuts",  "Flowcuts", "Cliques",   "Fract",    "MIRcuts",
                                       "Flowpaths", "Disjcuts", "Impl Bds", "ZeroHalf", "MCF",      "Local Cov",
                                       "Tighten", "ObjDisj",  "User",     "Table",     "Pool",     "Discard",
                                       "Local Cut", "GCS",    "EnumCover", "UserSoft", "Cone"};
  return family >= 0 && family < static_cast<int>(sizeof kNames / sizeof kNames[0]) ? kNames[family] : "";
}

std::string log_number(double value) {
  return format(std::fabs(value) >= 1e7 ? "%13.5e" : "%13.4f", value);
}

NodeLog::NodeLog(const tvlenv *env, int objsense, double start_time, bool cpu_clock)
    : env_(env),
      sense_(objsense),
      start_(start_time),
      cpu_(cpu_clock),
      display_(param_int(env, TVL_PARAM_MIPDISPLAY)),
      interval_(param_int(env, TVL_PARAM_MIPINTERVAL)),
      search_(param_int(env, TVL_PARAM_MIPSEARCH)) {}

void NodeLog::header() {
  header_done_ = true;
  if (display_ <= 0) return;
  if (display_ < 2) {
    msg_results(env_, "\nNode log . . .\n");
    return;
  }
  msg_results(env_, "\n        Nodes                                         Cuts/\n");
  msg_results(env_, "   Node  Left     Objective  IInf  Best Integer     Best Node    ItCnt     Gap");
  if (search_ == 1) msg_log(env_, "         Variable B NodeID Parent  Depth");
  msg_results(env_, "\n\n");
}

bool NodeLog::due(const LogRecord &r) const {
  if (r.incumbent) return true;
  if (!r.new_node) return false;
  if (interval_ >= 1) return r.node % interval_ == 0;
  double base = interval_ == 0 ? 1000.0 : -static_cast<double>(interval_);
  if (lines_ < 10) base *= 0.25;
  else if (lines_ < 100) base *= 1.0;
  else if (lines_ < 1000) base *= 4.0;
  else if (lines_ < 10000) base *= 16.0;
  else base *= 64.0;
  return r.node == 0 || lines_ == 0 || static_cast<double>(r.work) >= static_cast<double>(last_work_) + base * 1e6;
}

void NodeLog::record(const LogRecord &r) {
  if (r.cut_family != -2 && r.cut_count > 0) {
    cut_family_ = cut_family_ == -2 || cut_family_ == r.cut_family ? r.cut_family : -1;
    cut_count_ += r.cut_count;
  }
  if (display_ <= 0 || !due(r)) return;
  if (!header_done_) header();
  if (display_ == 1) {
    if (r.incumbent) short_line(r);
    return;
  }
  node_line(r);
  if (r.new_node && lines_ % 10 == 1) elapsed_line(r);
  if (cut_family_ != -2 && r.node != 0 && display_ >= 3) {
    msg_results(env_, "%c%6s%c%5s %19s %13s %13s %8s %8s\n", ' ', "", ' ', "", "", "", cuts_field().c_str(), "", "");
  }
  cut_family_ = -2;
  cut_count_ = 0;
}

std::string NodeLog::cuts_field() const {
  char buf[48];
  if (cut_family_ == -1) std::snprintf(buf, sizeof buf, "Cuts: %lld", static_cast<long long>(cut_count_));
  else std::snprintf(buf, sizeof buf, "%s: %lld", cut_family_name(cut_family_), static_cast<long long>(cut_count_));
  return buf;
}

std::string NodeLog::value_field(double internal) const { return log_number(internal * sense_); }

std::string NodeLog::bound_field(double b) const {
  if (std::fabs(b) < 1e7) return format("%13.4f", b * sense_);
  if (std::fabs(b) < 9.999999999999999e35) return format("%13.5e", b * sense_);
  return std::string(13, ' ');
}

void NodeLog::node_line(const LogRecord &r) {
  const bool have_inc = r.best_integer < kNoValue;
  std::string obj;
  if (r.incumbent && r.heuristic) {
    obj = "";
  } else if (r.incumbent) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%-13s %5d", "     integral", 0);
    obj = buf;
  } else if (r.status == 1) {
    obj = "   infeasible";
  } else if (r.status == 2) {
    obj = "       cutoff";
  } else if (r.status == 3) {
    obj = std::string(solution_status_brief(r.lp_status)).substr(0, 19);
  } else if (r.objective >= kNoValue) {
    obj = have_inc ? "       cutoff" : "   infeasible";
  } else {
    char buf[40];
    std::snprintf(buf, sizeof buf, std::fabs(r.objective) >= 1e7 ? "%13.5e %5d" : "%13.4f %5d",
                  r.objective * sense_, r.iinf);
    obj = buf;
  }
  const std::string best_int = have_inc ? value_field(r.best_integer) : "";
  const bool finite_bound = std::fabs(r.best_bound) < 9.999999999999999e35;
  std::string gap;
  if (have_inc && finite_bound) {
    const double g = 100.0 * relative_gap(1, r.best_integer, r.best_bound);
    gap = std::fabs(g) < 999.99 ? format("%7.2f%%", g) : "--- ";
  } else if (have_inc && r.status != 3) {
    gap = format("%7.2f%%", 0.0);
  }
  char line[256];
  const double it = static_cast<double>(r.iterations);
  std::snprintf(line, sizeof line, it >= 1e8 ? "%c%6d%c%5d %19s %13s %13s %8.2e %8s" : "%c%6d%c%5d %19s %13s %13s %8.0f %8s",
                r.incumbent ? '*' : ' ', static_cast<int>(r.node), r.incumbent && r.heuristic ? '+' : ' ',
                static_cast<int>(r.left), obj.c_str(), best_int.c_str(),
                (r.node == 0 && cut_family_ != -2 ? cuts_field() : bound_field(r.best_bound)).c_str(), it,
                gap.c_str());
  msg_results(env_, "%s", line);
  if (search_ == 1 && r.new_node) {
    char extra[128];
    if (!r.has_branch) {
      std::snprintf(extra, sizeof extra, "%-16s %c %6d %6s %6d", "", ' ', static_cast<int>(r.id), "",
                    static_cast<int>(r.depth));
    } else if (r.branch_col >= 0) {
      std::string name = name_ ? name_(name_owner_, r.branch_col) : "x" + std::to_string(r.branch_col + 1);
      if (name.size() < 16) name.resize(16, ' ');
      std::snprintf(extra, sizeof extra, "%s %c %6d %6d %6d", name.c_str(), r.dir, static_cast<int>(r.id),
                    static_cast<int>(r.parent), static_cast<int>(r.depth));
    } else {
      const char letter = r.dir == 'C' || r.dir == 'A' ? r.dir : 'X';
      std::snprintf(extra, sizeof extra, "%-16s %c %6d %6d %6d", "", letter, static_cast<int>(r.id),
                    static_cast<int>(r.parent), static_cast<int>(r.depth));
    }
    msg_log(env_, "%s", extra);
  }
  msg_results(env_, "\n");
  ++lines_;
  last_work_ = r.work;
}

void NodeLog::short_line(const LogRecord &r) {
  msg_results(env_, "Best integer = %14.6le  Node = %7d  Best node = ", r.best_integer * sense_,
              static_cast<int>(r.node));
  if (std::fabs(r.best_bound) >= kNoValueLimit) msg_results(env_, sense_ > 0 ? "-inf\n" : "+inf\n");
  else msg_results(env_, "%14.6le\n", r.best_bound * sense_);
}

void NodeLog::elapsed_line(const LogRecord &r) {
  const double now = env_time(env_);
  msg_results(env_, "%s%6.2f sec. (tree size = %5.2f MB", cpu_ ? "Elapsed time = " : "Elapsed real time = ",
              now - start_, tree_bytes_ * 9.5367431640625e-7);
  if (r.solutions >= 99999) msg_results(env_, ", solutions = %.1e", static_cast<double>(r.solutions));
  else if (r.solutions >= 0) msg_results(env_, ", solutions = %d", static_cast<int>(r.solutions));
  msg_results(env_, ")\n");
  if (file_bytes_ <= 0.0) return;
  const double mb = 9.5367431640625e-7;
  if (file_bytes_ == file_stored_) msg_results(env_, "Nodefile size = %5.2f MB\n", file_bytes_ * mb);
  else msg_results(env_, "Nodefile size = %5.2f MB (%.2f MB after compression)\n", file_bytes_ * mb, file_stored_ * mb);
}

}  // namespace tvl::mip
