// Section driver of the LP reader: objective, constraint sections, bounds,
// variable types, special ordered sets and the end marker.
#include "files/lpread_parse.h"

#include <strings.h>

#include "files/lpnames.h"

namespace tvl {

bool is_infinity_word(const LpToken &t) {
  return t.kind == LpTok::Name &&
         (strcasecmp(t.text.c_str(), "inf") == 0 || strcasecmp(t.text.c_str(), "infinity") == 0);
}

bool LpParser::valid_identifier(const std::string &name) {
  if (name.empty()) return false;
  unsigned char c0 = static_cast<unsigned char>(name[0]);
  if (c0 == 'e' || c0 == 'E') {
    if (name.size() == 1) return false;
    unsigned char c1 = static_cast<unsigned char>(name[1]);
    if (c1 >= '0' && c1 <= '9') return false;
  }
  return true;
}

int LpParser::find_column(const std::string &name) const {
  auto it = colindex_.find(name);
  return it == colindex_.end() ? -1 : it->second;
}

// Column named by a token, created when it is new.
int LpParser::column(const LpToken &t, int *j) {
  if (!valid_identifier(t.text)) return diag_.error(1617, t.line, t.text.c_str());
  int k = find_column(t.text);
  if (k < 0) {
    k = m_.numcols();
    colindex_.emplace(t.text, k);
    m_.colnames.push_back(t.text);
    m_.obj.push_back(0.0);
    m_.lb.push_back(0.0);
    m_.ub.push_back(kInfBound);
    ub_given_.push_back(0);
  }
  *j = k;
  return 0;
}

int LpParser::read_objective() {
  bool labelled = false;
  if (ts_.peek().kind == LpTok::Colon) return diag_.error(1609, ts_.peek().line);
  std::string label = read_label(&labelled);
  if (labelled && label != "obj") m_.objname = label;
  Expr e;
  bool unfinished = false;
  int st = parse_expr(ExprKind::Objective, e, unfinished);
  if (st != 0) return st;
  for (size_t k = 0; k < e.ind.size(); ++k) m_.obj[e.ind[k]] += e.val[k];
  m_.objoffset = e.constant;
  for (LpQuadTerm q : e.quad) {
    if (q.i > q.j) std::swap(q.i, q.j);
    bool merged = false;
    for (LpQuadTerm &o : m_.objquad)
      if (o.i == q.i && o.j == q.j) {
        o.coef += q.coef;
        merged = true;
        break;
      }
    if (!merged) m_.objquad.push_back(q);
  }
  return 0;
}

int LpParser::read_rows(RowSection section) {
  for (;;) {
    const LpToken &t = ts_.peek();
    if (t.kind == LpTok::End) return ts_.status();
    if (t.kind == LpTok::Colon) return diag_.error(1609, t.line);
    bool labelled = false;
    std::string label = read_label(&labelled);
    if (indicator_ahead()) {
      if (section != RowSection::Constraints) return diag_.error(1438, ts_.peek().line);
      if (int st = parse_indicator(label, labelled)) return st;
      continue;
    }
    Expr e;
    bool unfinished = false;
    // User cuts and lazy constraints are linear rows: an indicator (above)
    // gives 1438, a quadratic bracket 1605.
    ExprKind kind = section == RowSection::Constraints ? ExprKind::Constraint : ExprKind::LinearOnly;
    if (int st = parse_expr(kind, e, unfinished)) return st;
    if (unfinished) {
      diag_.warning("Warning, line %d: Unfinished constraint is discarded.\n", ts_.peek().line);
      continue;
    }
    std::vector<int> ind;
    std::vector<double> val;
    for (size_t k = 0; k < e.ind.size(); ++k)
      if (e.val[k] != 0.0) {
        ind.push_back(e.ind[k]);
        val.push_back(e.val[k]);
      }
    if (e.has_quad) {
      if (e.sense == 'E') return diag_.error(1437, e.rel_line);
      LpFileQConstr q;
      q.name = label;
      q.sense = e.sense;
      q.rhs = e.rhs;
      q.ind = std::move(ind);
      q.val = std::move(val);
      q.quad = std::move(e.quad);
      if (labelled) m_.has_qcnames = true;
      m_.qconstrs.push_back(std::move(q));
      continue;
    }
    LpFileRow r;
    r.name = label;
    r.sense = e.sense;
    r.rhs = e.rhs;
    r.ind = std::move(ind);
    r.val = std::move(val);
    if (section == RowSection::Constraints) {
      if (labelled) m_.has_rownames = true;
      m_.rows.push_back(std::move(r));
    } else if (section == RowSection::UserCuts) {
      if (labelled) m_.has_usercutnames = true;
      m_.usercuts.push_back(std::move(r));
    } else {
      if (labelled) m_.has_lazynames = true;
      m_.lazy.push_back(std::move(r));
    }
  }
}

int LpParser::read_bounds() {
  for (;;) {
    const LpToken &t = ts_.peek();
    if (t.kind == LpTok::End) return ts_.status();
    int serial = t.serial;
    std::vector<LpToken> line;
    while (ts_.peek().kind != LpTok::End && ts_.peek().serial == serial) line.push_back(ts_.take());
    if (int st = bound_line(line)) return st;
  }
}

int LpParser::read_types(char type) {
  types_seen_ = true;
  if (m_.ctype.size() < m_.obj.size()) m_.ctype.resize(m_.obj.size(), 'C');
  for (;;) {
    LpToken t = ts_.peek();
    if (t.kind == LpTok::End) return ts_.status();
    ts_.take();
    std::string text = t.kind == LpTok::Name || t.kind == LpTok::Number ? t.text : std::string(1, t.ch);
    if (t.kind != LpTok::Name || !valid_identifier(t.text)) {
      diag_.name_warning("Warning, line %d: '%s' not valid identifier.\n", t.line, text.c_str());
      continue;
    }
    int j = find_column(t.text);
    if (j < 0) {
      diag_.name_warning("Warning, line %d: Name '%s' does not exist.\n", t.line, t.text.c_str());
      continue;
    }
    char &c = m_.ctype[j];
    if (type == 'I')
      c = (c == 'S' || c == 'N') ? 'N' : 'I';
    else if (type == 'S')
      c = (c == 'I' || c == 'N') ? 'N' : 'S';
    else
      c = type;
  }
}

int LpParser::read_sos() {
  LpFileSos *current = nullptr;
  for (;;) {
    const LpToken &t = ts_.peek();
    if (t.kind == LpTok::End) return ts_.status();
    if (t.kind != LpTok::Name) return diag_.error(1616, t.line, t.ch);
    const LpToken &t1 = ts_.peek(1);
    if (t1.kind != LpTok::Colon) return diag_.error(1627, t1.line, t1.kind == LpTok::End ? ' ' : t1.ch);
    const LpToken &t2 = ts_.peek(2);
    // "label: S1 ::" -- the type word is S (or s) and one more character.
    bool labelled_header = t2.kind == LpTok::Name && t2.text.size() == 2 && (t2.ch == 'S' || t2.ch == 's') &&
                           ts_.peek(3).kind == LpTok::Colon;
    if (t2.kind == LpTok::Colon && ts_.peek(3).kind == LpTok::Colon) return diag_.error(3301, t2.line);
    if (!labelled_header && t2.kind != LpTok::Colon) {
      if (current == nullptr) return diag_.error(3301, t.line);
      if (int st = sos_member(current)) return st;
      continue;
    }
    LpFileSos set;
    if (int st = sos_header(set)) return st;
    m_.sos.push_back(std::move(set));
    current = &m_.sos.back();
  }
}

// Checks binaries' bounds, restores ranged rows and completes the types.
int LpParser::finish_model() {
  if (!m_.ctype.empty()) {
    m_.ctype.resize(m_.obj.size(), 'C');
    bool odd = false;
    for (size_t j = 0; j < m_.ctype.size(); ++j) {
      if (m_.ctype[j] != 'B') continue;
      if (!ub_given_[j] && m_.ub[j] >= kInfBound) m_.ub[j] = 1.0;
      if (m_.lb[j] != 0.0 || m_.ub[j] != 1.0) odd = true;
    }
    if (odd) diag_.warning("Warning:  Binary variables declared with bounds other than 0 and 1.\n");
  }
  lp_restore_ranges(m_);
  m_.has_colnames = true;
  return 0;
}

int LpParser::run() {
  ts_.set_phase(kPhaseStart);
  if (ts_.peek().kind != LpTok::End || ts_.keyword() == LpKeyword::EndOfFile) {
    if (ts_.status() != 0) return ts_.status();
    return diag_.error(1436);
  }
  m_.objsense = ts_.keyword() == LpKeyword::Maximize ? -1 : 1;
  ts_.open_section(kPhaseObjective);
  if (int st = read_objective()) return st;
  for (;;) {
    if (ts_.peek().kind != LpTok::End) return diag_.error(1607, ts_.peek().line, ts_.peek().ch);
    if (ts_.status() != 0) return ts_.status();
    int st = 0;
    switch (ts_.keyword()) {
      case LpKeyword::Constraints:
        ts_.open_section(kPhaseConstraints);
        st = read_rows(RowSection::Constraints);
        break;
      case LpKeyword::UserCuts:
        ts_.open_section(kPhaseConstraints);
        st = read_rows(RowSection::UserCuts);
        break;
      case LpKeyword::Lazy:
        ts_.open_section(kPhaseConstraints);
        st = read_rows(RowSection::Lazy);
        break;
      case LpKeyword::Bounds:
        ts_.open_section(kPhaseBounds);
        st = read_bounds();
        break;
      case LpKeyword::Integers:
      case LpKeyword::Generals:
        ts_.open_section(kPhaseTypes);
        st = read_types('I');
        break;
      case LpKeyword::Binaries:
        ts_.open_section(kPhaseTypes);
        st = read_types('B');
        break;
      case LpKeyword::SemiContinuous:
        ts_.open_section(kPhaseTypes);
        st = read_types('S');
        break;
      case LpKeyword::Sos:
        ts_.open_section(kPhaseSos);
        st = read_sos();
        break;
      case LpKeyword::End:
        return finish_model();
      default:
        diag_.warning("Warning: 'End' missing.\n");
        return finish_model();
    }
    if (st != 0) return st;
  }
}

}  // namespace tvl
