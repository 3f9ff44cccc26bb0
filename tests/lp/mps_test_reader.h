// Minimal reader of (gzip) MPS files for the LP tests and benchmarks only;
// the library's own model reader replaces it once available.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "lp/lpmodel.h"

namespace tvl::lp::testing {

inline bool read_mps(const std::string &path, LpModel &model) {
  const bool gz = path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
  const std::string cmd = (gz ? "gzip -dc '" : "cat '") + path + "'";
  FILE *f = popen(cmd.c_str(), "r");
  if (f == nullptr) return false;
  std::string text;
  char buf[65536];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
  if (pclose(f) != 0 || text.empty()) return false;

  std::map<std::string, int> rowid, colid;
  std::vector<char> sense;
  std::string objname;
  std::vector<double> rhs, range;
  std::vector<bool> has_range;
  std::vector<std::vector<std::pair<int, double>>> cols;
  std::vector<double> cost, lo, up;
  double offset = 0.0;
  std::string section;
  std::istringstream in(text);
  std::string line;
  auto num = [](const std::string &s) { return std::strtod(s.c_str(), nullptr); };
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '*') continue;
    std::istringstream ls(line);
    std::vector<std::string> t;
    std::string w;
    while (ls >> w) t.push_back(w);
    if (t.empty()) continue;
    if (line[0] != ' ' && line[0] != '\t') {
      section = t[0];
      if (section == "ENDATA") break;
      continue;
    }
    if (section == "ROWS") {
      const char s = t[0][0];
      if (s == 'N') {
        if (objname.empty()) objname = t[1];
        else rowid[t[1]] = -2;  // free row, dropped
        continue;
      }
      rowid[t[1]] = static_cast<int>(sense.size());
      sense.push_back(s);
      rhs.push_back(0.0);
      range.push_back(0.0);
      has_range.push_back(false);
    } else if (section == "COLUMNS") {
      if (t.size() >= 3 && t[1] == "'MARKER'") continue;
      auto it = colid.find(t[0]);
      int j;
      if (it == colid.end()) {
        j = static_cast<int>(cols.size());
        colid[t[0]] = j;
        cols.emplace_back();
        cost.push_back(0.0);
        lo.push_back(0.0);
        up.push_back(kInf);
      } else {
        j = it->second;
      }
      for (size_t k = 1; k + 1 < t.size(); k += 2) {
        const double v = num(t[k + 1]);
        if (t[k] == objname) { cost[j] += v; continue; }
        auto r = rowid.find(t[k]);
        if (r == rowid.end()) return false;
        if (r->second < 0 || v == 0.0) continue;
        cols[j].push_back({r->second, v});
      }
    } else if (section == "RHS" || section == "RANGES") {
      const size_t first = (t.size() % 2 == 1) ? 1 : 0;
      for (size_t k = first; k + 1 < t.size(); k += 2) {
        const double v = num(t[k + 1]);
        if (t[k] == objname) {
          if (section == "RHS") offset = -v;
          continue;
        }
        auto r = rowid.find(t[k]);
        if (r == rowid.end()) return false;
        if (r->second < 0) continue;
        if (section == "RHS") rhs[r->second] = v;
        else { range[r->second] = v; has_range[r->second] = true; }
      }
    } else if (section == "BOUNDS") {
      const std::string &type = t[0];
      const bool novalue = type == "FR" || type == "MI" || type == "PL" || type == "BV";
      std::string cname;
      double v = 0.0;
      if (novalue) cname = t.size() >= 3 ? t[2] : t[1];
      else {
        cname = t.size() >= 4 ? t[2] : t[1];
        v = num(t.back());
      }
      auto c = colid.find(cname);
      if (c == colid.end()) return false;
      const int j = c->second;
      if (type == "UP" || type == "UI") {
        up[j] = v;
        if (v < 0.0 && lo[j] == 0.0) lo[j] = -kInf;
      } else if (type == "LO" || type == "LI") lo[j] = v;
      else if (type == "FX") lo[j] = up[j] = v;
      else if (type == "FR") { lo[j] = -kInf; up[j] = kInf; }
      else if (type == "MI") lo[j] = -kInf;
      else if (type == "PL") up[j] = kInf;
      else if (type == "BV") { lo[j] = 0.0; up[j] = 1.0; }
    }
  }
  const int m = static_cast<int>(sense.size()), n = static_cast<int>(cols.size());
  model = LpModel();
  model.a.m = m;
  model.a.n = n;
  model.a.start.assign(n + 1, 0);
  for (int j = 0; j < n; ++j) {
    for (auto &e : cols[j]) {
      model.a.index.push_back(e.first);
      model.a.value.push_back(e.second);
    }
    model.a.start[j + 1] = static_cast<int32_t>(model.a.index.size());
  }
  model.cost = cost;
  model.collo = lo;
  model.colup = up;
  model.offset = offset;
  model.rowlo.resize(m);
  model.rowup.resize(m);
  for (int i = 0; i < m; ++i) {
    double l = -kInf, u = kInf;
    const double b = rhs[i], r = range[i];
    switch (sense[i]) {
      case 'L': u = b; if (has_range[i]) l = b - std::abs(r); break;
      case 'G': l = b; if (has_range[i]) u = b + std::abs(r); break;
      default:
        l = u = b;
        if (has_range[i]) { if (r > 0) u = b + r; else l = b + r; }
    }
    model.rowlo[i] = l;
    model.rowup[i] = u;
  }
  return true;
}

}  // namespace tvl::lp::testing
