// Minimal reader of the constraint matrix of a gzip-compressed MPS file,
// for the basis-factor tests and benchmark only (the library's own model
// readers are separate).  Reads ROWS and COLUMNS; objective rows are left
// out; everything after COLUMNS is ignored.
#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "lp/factor.h"

namespace lutest {

inline bool read_mps_matrix(const std::string &path, tvl::lp::CscMatrix &a) {
  const std::string cmd = "gzip -dc '" + path + "' 2>/dev/null";
  FILE *pipe = popen(cmd.c_str(), "r");
  if (!pipe) return false;
  std::map<std::string, int32_t> rows;
  std::map<std::string, char> free_rows;
  std::string section, line, last_col;
  std::vector<std::vector<std::pair<int32_t, double>>> cols;
  char buf[4096];
  bool ok = true;
  while (fgets(buf, sizeof buf, pipe)) {
    line = buf;
    if (line.empty() || line[0] == '*' || line[0] == '\n') continue;
    std::istringstream in(line);
    std::vector<std::string> tok;
    for (std::string t; in >> t;) tok.push_back(t);
    if (tok.empty()) continue;
    if (line[0] != ' ' && line[0] != '\t') {
      section = tok[0];
      if (section != "NAME" && section != "ROWS" && section != "COLUMNS") break;
      continue;
    }
    if (section == "ROWS" && tok.size() >= 2) {
      if (tok[0] == "N") free_rows[tok[1]] = 1;
      else rows.emplace(tok[1], static_cast<int32_t>(rows.size()));
    } else if (section == "COLUMNS") {
      if (tok.size() >= 3 && tok[1] == "'MARKER'") continue;
      if (tok[0] != last_col) {
        last_col = tok[0];
        cols.emplace_back();
      }
      for (size_t t = 1; t + 1 < tok.size(); t += 2) {
        if (free_rows.count(tok[t])) continue;
        auto it = rows.find(tok[t]);
        if (it == rows.end()) { ok = false; continue; }
        const double v = std::stod(tok[t + 1]);
        if (v != 0.0) cols.back().emplace_back(it->second, v);
      }
    }
  }
  pclose(pipe);
  a = tvl::lp::CscMatrix{};
  a.m = static_cast<int32_t>(rows.size());
  a.n = static_cast<int32_t>(cols.size());
  a.start.push_back(0);
  for (const auto &c : cols) {
    for (const auto &[i, v] : c) {
      a.index.push_back(i);
      a.value.push_back(v);
    }
    a.start.push_back(static_cast<int32_t>(a.index.size()));
  }
  return ok && a.m > 0;
}

}  // namespace lutest
