// The node log: the table of search progress on the results channel.
//
// The search hands one record per processed node (and one per heuristic
// incumbent); the log decides which records become lines: at interval
// i >= 1 (TVL_PARAM_MIPINTERVAL) every node whose number is a multiple of
// i; at i <= 0 by deterministic work since the last line (base -i, or 1000
// for 0, times 0.25 / 1 / 4 / 16 / 64 as the number of lines grows past
// 10, 100, 1000, 10000; in millions of work units); the first line, node 0
// and every new incumbent always.  Display level 1 prints only incumbent
// lines of the short form, 0 nothing.  After the 1st, 11th, 21st ... node
// line an elapsed-time line reports the time and tree size.
#pragma once

#include <cstdint>
#include <string>

#include "tavlo.h"

namespace tvl::mip {

struct LogRecord {
  uint64_t work = 0;              // work counter of the producing thread
  double objective = 1e75;        // node LP objective (internal form); >= 1e75 none
  double best_integer = 1e75;     // incumbent value then
  double best_bound = -1e75;      // best bound then
  int64_t node = 0;               // nodes processed so far
  int64_t left = 0;               // open nodes
  int status = 0;                 // 0 solved, 1 infeasible, 2 cut off, 3 stopped (lp_status set)
  int lp_status = 0;
  int iinf = 0;
  bool new_node = true;
  bool incumbent = false;         // reports a new incumbent
  bool heuristic = false;         // that incumbent came from a heuristic
  int64_t iterations = 0;         // simplex iterations of the search so far
  // Branching data for the traditional search columns.
  int64_t id = 0, parent = -1;
  int32_t depth = 0;
  int32_t branch_col = -1;
  char dir = 'N';
  bool has_branch = false;
  int64_t solutions = -1;         // solutions the pool kept in this run; -1 without a pool
  // Cuts added since the previous record: the family index when one
  // family, -1 for several, -2 for none; and how many.
  int cut_family = -2;
  int64_t cut_count = 0;
};

// Name of cut family `family` in the Best Node column ("Covers", "Fract", ...).
const char *cut_family_name(int family);

class NodeLog {
 public:
  NodeLog(const tvlenv *env, int objsense, double start_time, bool cpu_clock);
  void header();
  void record(const LogRecord &r);
  // Name of a column for the traditional search columns.
  void set_column_names(std::string (*name)(const void *, int32_t), const void *owner) {
    name_ = name;
    name_owner_ = owner;
  }
  // Size of the tree (in memory and in the node file) and of the node
  // file before and after compression, for the elapsed-time lines.
  void set_tree_bytes(double bytes, double file_bytes = 0.0, double file_stored = 0.0) {
    tree_bytes_ = bytes;
    file_bytes_ = file_bytes;
    file_stored_ = file_stored;
  }
  // No output at all (the searches run inside MIP start completion).
  void silence() { display_ = 0; }
  int display() const { return display_; }

 private:
  bool due(const LogRecord &r) const;
  void node_line(const LogRecord &r);
  void short_line(const LogRecord &r);
  void elapsed_line(const LogRecord &r);
  std::string value_field(double internal) const;
  std::string bound_field(double internal) const;
  std::string cuts_field() const;

  const tvlenv *env_;
  int sense_;
  double start_;
  bool cpu_;
  int display_, interval_, search_;
  bool header_done_ = false;
  int64_t lines_ = 0;
  uint64_t last_work_ = 0;
  double tree_bytes_ = 0.0, file_bytes_ = 0.0, file_stored_ = 0.0;
  int cut_family_ = -2;           // cut summary accumulated since the last line
  int64_t cut_count_ = 0;
  std::string (*name_)(const void *, int32_t) = nullptr;
  const void *name_owner_ = nullptr;
};

// The objective and bound formats of the log: "%13.4f" below 1e7 in
// magnitude, "%13.5e" from there on.
std::string log_number(double value);

}  // namespace tvl::mip
