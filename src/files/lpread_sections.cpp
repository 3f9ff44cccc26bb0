// Bound lines, special ordered sets and ranged rows of the LP reader.
#include <strings.h>

#include <algorithm>

#include "files/lpread_parse.h"

namespace tvl {

namespace {

char token_char(const std::vector<LpToken> &v, size_t i) { return i < v.size() ? v[i].ch : ' '; }

}  // namespace

// A bound number: optional sign, then a number or INF/INFINITY.
int LpParser::bound_value(const std::vector<LpToken> &v, size_t &i, double *value) {
  double sign = 1.0;
  size_t k = i;
  if (k < v.size() && v[k].kind == LpTok::Sign) {
    sign = v[k].ch == '-' ? -1.0 : 1.0;
    ++k;
  }
  if (k >= v.size()) return 1;
  if (v[k].kind == LpTok::Number)
    *value = sign * v[k].value;
  else if (is_infinity_word(v[k]))
    *value = sign * kInfBound;
  else
    return 1;
  i = k + 1;
  return 0;
}

// Column of a bound line; 1 (after a name warning) when there is none.
int LpParser::bound_column(const LpToken &t, int *j) {
  if (!valid_identifier(t.text)) {
    diag_.name_warning("Warning, line %d: '%s' not valid identifier.\n", t.line, t.text.c_str());
    return 1;
  }
  *j = find_column(t.text);
  if (*j < 0) {
    diag_.name_warning("Warning, line %d: Name '%s' does not exist.\n", t.line, t.text.c_str());
    return 1;
  }
  return 0;
}

// Applies "column rel value" (column_first) or "value rel column".
void LpParser::set_bound(int j, char rel, double value, bool column_first) {
  if (value >= kInfBound) value = kInfBound;
  if (value <= -kInfBound) value = -kInfBound;
  bool upper = rel == 'E' || (rel == 'L') == column_first;
  bool lower = rel == 'E' || (rel == 'G') == column_first;
  if (upper) {
    m_.ub[j] = value;
    ub_given_[j] = 1;
  }
  if (lower) m_.lb[j] = value;
}

int LpParser::bound_line(const std::vector<LpToken> &v) {
  const int line = v[0].line;
  // "inf <= x" starts with a number even though INF reads as a name.
  bool column_first = v[0].kind == LpTok::Name && !(is_infinity_word(v[0]) && v.size() >= 3 && v[2].kind == LpTok::Name);
  if (column_first) {
    if (v.size() == 1) return diag_.error(1621, line);
    if (v[1].kind == LpTok::Name && strcasecmp(v[1].text.c_str(), "free") == 0) {
      int j = 0;
      if (bound_column(v[0], &j) != 0) return 0;
      m_.lb[j] = -kInfBound;
      m_.ub[j] = kInfBound;
      ub_given_[j] = 1;
      return 0;
    }
    if (v[1].kind != LpTok::Rel)
      return v[1].kind == LpTok::Name || v[1].kind == LpTok::Number ? diag_.error(1621, line)
                                                                      : diag_.error(1622, line);
    size_t i = 2;
    double value = 0;
    if (bound_value(v, i, &value) != 0) return diag_.error(1623, line);
    if (i < v.size()) diag_.warning("Warning, line %d: Characters after RHS value are ignored.\n", line);
    int j = 0;
    if (bound_column(v[0], &j) != 0) return 0;
    set_bound(j, v[1].ch, value, true);
    return 0;
  }
  size_t i = 0;
  double first = 0;
  if (bound_value(v, i, &first) != 0) return diag_.error(1623, line);
  if (i >= v.size()) return diag_.error(1621, line);
  if (v[i].kind != LpTok::Rel) return v[i].kind == LpTok::Name ? diag_.error(1621, line) : diag_.error(1622, line);
  char rel1 = v[i++].ch;
  if (i >= v.size() || v[i].kind != LpTok::Name) return diag_.error(1616, line, token_char(v, i));
  const LpToken &col = v[i++];
  char rel2 = 0;
  double second = 0;
  if (i < v.size()) {
    if (v[i].kind != LpTok::Rel) return diag_.error(1622, line);
    rel2 = v[i++].ch;
    if (bound_value(v, i, &second) != 0) return diag_.error(1623, line);
    if (i < v.size()) diag_.warning("Warning, line %d: Characters after RHS value are ignored.\n", line);
    if (rel2 != rel1) diag_.warning("Warning, line %d: Possible sense conflict.\n", line);
  }
  int j = 0;
  if (bound_column(col, &j) != 0) return 0;
  set_bound(j, rel1, first, false);
  if (rel2 != 0) set_bound(j, rel2, second, true);
  return 0;
}

// "name: S1 ::" or "S1 ::" opening a set.
int LpParser::sos_header(LpFileSos &set) {
  LpToken first = ts_.take();
  LpToken type = first;
  bool labelled = false;
  if (ts_.peek().kind == LpTok::Colon && ts_.peek(1).kind == LpTok::Colon) {
    ts_.take();  // unlabelled: "S1 ::"
  } else {
    ts_.take();  // the label's colon
    labelled = true;
    type = ts_.peek();
    if (type.kind == LpTok::Colon) return diag_.error(3301, type.line);
    if (type.kind != LpTok::Name) return diag_.error(3301, type.line);
    ts_.take();
    const LpToken &c = ts_.peek();
    if (c.kind != LpTok::Colon) return diag_.error(1627, c.line, c.kind == LpTok::End ? ' ' : c.ch);
    ts_.take();
  }
  const LpToken &c2 = ts_.peek();
  if (c2.kind != LpTok::Colon) return diag_.error(1627, c2.line, c2.kind == LpTok::End ? ' ' : c2.ch);
  ts_.take();
  const std::string &tt = type.text;
  char t0 = tt.empty() ? ' ' : tt[0];
  char t1 = tt.size() > 1 ? tt[1] : ' ';
  if (tt.size() != 2 || (t0 != 'S' && t0 != 's') || (t1 != '1' && t1 != '2'))
    return diag_.error(1442, type.line, t0, t1);
  set.type = t1;
  if (labelled) {
    set.name = first.text;
    m_.has_sosnames = true;
  }
  return 0;
}

// "name : weight" member of the current set.
int LpParser::sos_member(LpFileSos *set) {
  LpToken name = ts_.take();
  ts_.take();  // colon
  double sign = 1.0;
  if (ts_.peek().kind == LpTok::Sign) sign = ts_.take().ch == '-' ? -1.0 : 1.0;
  const LpToken &w = ts_.peek();
  if (w.kind != LpTok::Number) return diag_.error(1615, w.line, w.kind == LpTok::End ? ' ' : w.ch);
  double weight = sign * ts_.take().value;
  int j = 0;
  if (bound_column(name, &j) != 0) return 0;
  set->ind.push_back(j);
  set->wt.push_back(weight);
  return 0;
}

// ------------------------------------------------------------ ranged rows

namespace {

// Counts in how many places each column is used outside the objective.
std::vector<int> column_uses(const LpFileModel &m) {
  std::vector<int> uses(m.obj.size(), 0);
  auto rows = [&](const std::vector<LpFileRow> &rs) {
    for (const LpFileRow &r : rs)
      for (int j : r.ind) ++uses[j];
  };
  rows(m.rows);
  rows(m.usercuts);
  rows(m.lazy);
  for (const LpFileQConstr &q : m.qconstrs) {
    for (int j : q.ind) ++uses[j];
    for (const LpQuadTerm &t : q.quad) uses[t.i] += 2, uses[t.j] += 2;
  }
  for (const LpFileIndicator &ic : m.indicators) {
    uses[ic.var] += 2;
    for (int j : ic.ind) ++uses[j];
  }
  for (const LpQuadTerm &t : m.objquad) uses[t.i] += 2, uses[t.j] += 2;
  for (const LpFileSos &s : m.sos)
    for (int j : s.ind) uses[j] += 2;
  return uses;
}

void renumber(std::vector<int> &ind, const std::vector<int> &map) {
  for (int &j : ind) j = map[j];
}

void remove_columns(LpFileModel &m, const std::vector<char> &drop) {
  std::vector<int> map(m.obj.size(), -1);
  int n = 0;
  for (size_t j = 0; j < m.obj.size(); ++j)
    if (!drop[j]) {
      map[j] = n;
      if (static_cast<size_t>(n) != j) m.colnames[n] = std::move(m.colnames[j]);
      m.obj[n] = m.obj[j];
      m.lb[n] = m.lb[j];
      m.ub[n] = m.ub[j];
      if (!m.ctype.empty()) m.ctype[n] = m.ctype[j];
      ++n;
    }
  m.colnames.resize(n);
  m.obj.resize(n);
  m.lb.resize(n);
  m.ub.resize(n);
  if (!m.ctype.empty()) m.ctype.resize(n);
  for (auto *rs : {&m.rows, &m.usercuts, &m.lazy})
    for (LpFileRow &r : *rs) renumber(r.ind, map);
  for (LpFileQConstr &q : m.qconstrs) {
    renumber(q.ind, map);
    for (LpQuadTerm &t : q.quad) t.i = map[t.i], t.j = map[t.j];
  }
  for (LpFileIndicator &ic : m.indicators) {
    ic.var = map[ic.var];
    renumber(ic.ind, map);
  }
  for (LpQuadTerm &t : m.objquad) t.i = map[t.i], t.j = map[t.j];
  for (LpFileSos &s : m.sos) renumber(s.ind, map);
}

}  // namespace

void lp_restore_ranges(LpFileModel &m) {
  if (m.rows.empty() || m.obj.empty()) return;
  std::unordered_map<std::string, int> colindex;
  for (size_t j = 0; j < m.colnames.size(); ++j) colindex.emplace(m.colnames[j], static_cast<int>(j));
  std::vector<int> uses = column_uses(m);
  std::vector<char> drop(m.obj.size(), 0);
  bool any = false;
  for (LpFileRow &r : m.rows) {
    if (r.sense != 'E' || r.name.empty()) continue;
    auto it = colindex.find("Rg" + r.name);
    if (it == colindex.end()) continue;
    int j = it->second;
    auto pos = std::find(r.ind.begin(), r.ind.end(), j);
    if (pos == r.ind.end() || uses[j] != 1 || m.obj[j] != 0.0 || drop[j]) continue;
    size_t k = static_cast<size_t>(pos - r.ind.begin());
    if (r.val[k] != -1.0 || (!m.ctype.empty() && m.ctype[j] != 'C')) continue;
    double l = m.lb[j], u = m.ub[j];
    if (l <= -kInfBound) continue;
    r.sense = 'R';
    if (l == 0.0) {
      r.rng = u;
    } else if (u == 0.0) {
      r.rng = l;
    } else {
      r.rhs += l;
      r.rng = u - l;
    }
    r.ind.erase(r.ind.begin() + k);
    r.val.erase(r.val.begin() + k);
    drop[j] = 1;
    any = true;
  }
  if (any) remove_columns(m, drop);
}

}  // namespace tvl
