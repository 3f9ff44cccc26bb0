// Expressions of the LP format: the objective, constraint rows, quadratic
// brackets, right-hand sides and indicator constraints.
#include <cmath>
#include <strings.h>

#include "files/lpread_parse.h"

namespace tvl {

void LpParser::add_linear(Expr &e, int j, double v) {
  auto it = e.where.find(j);
  if (it != e.where.end()) {
    e.val[it->second] += v;
    return;
  }
  e.where.emplace(j, e.ind.size());
  e.ind.push_back(j);
  e.val.push_back(v);
}

// The section ended inside an expression.  The objective is kept (with a
// warning when a term was left open); a row is discarded by the caller.
int LpParser::expr_end(ExprKind kind, bool pending, bool &unfinished) {
  if (ts_.status() != 0) return ts_.status();
  if (kind == ExprKind::Objective) {
    if (pending) diag_.warning("Warning, line %d: Objective ended unexpectedly.\n", ts_.peek().line);
    return 0;
  }
  unfinished = true;
  return 0;
}

// Right-hand side: optional sign, then a number or infinity.  Anything
// after it on the same line is ignored with a warning.
int LpParser::parse_rhs(double &rhs) {
  LpToken t = ts_.peek();
  double sign = 1.0;
  if (t.kind == LpTok::Sign) {
    int sign_line = t.line;
    sign = t.ch == '-' ? -1.0 : 1.0;
    ts_.take();
    t = ts_.peek();
    if (t.kind == LpTok::Sign) return diag_.error(1602, sign_line, t.line);
  }
  if (t.kind == LpTok::Number)
    rhs = sign * t.value;
  else if (is_infinity_word(t))
    rhs = sign * kInfBound;
  else if (t.kind == LpTok::End && ts_.status() != 0)
    return ts_.status();
  else
    return diag_.error(1610, t.line);
  ts_.take();
  const LpToken &after = ts_.peek();
  if (after.kind != LpTok::End && after.serial == t.serial) {
    diag_.warning("Warning, line %d: Characters after RHS value are ignored.\n", t.line);
    ts_.skip_line(t.serial);
  }
  return 0;
}

// Consumes the sign token t and checks what follows it: another sign, a
// relation or an operator cannot follow a sign.
int LpParser::take_sign(const LpToken &t, double *sign) {
  *sign = t.ch == '-' ? -1.0 : 1.0;
  ts_.take();
  const LpToken &n = ts_.peek();
  if (n.kind == LpTok::Sign) return diag_.error(1602, t.line, n.line);
  if (n.kind == LpTok::Rel) return diag_.error(1604, t.line, n.line);
  if (n.kind == LpTok::RBrack || n.kind == LpTok::Caret || n.kind == LpTok::Star || n.kind == LpTok::Slash)
    return diag_.error(1606, t.line, n.line);
  return 0;
}

// Terms inside "[ ... ]": coefficient with "x ^2" or "x * y".
int LpParser::parse_quad(ExprKind kind, double sign, Expr &e, bool &unfinished) {
  bool first = true;
  int close_line = 0;
  std::vector<LpQuadTerm> terms;
  for (;;) {
    LpToken t = ts_.peek();
    if (t.kind == LpTok::End) return expr_end(kind, true, unfinished);
    if (t.kind == LpTok::RBrack) {
      close_line = t.line;
      ts_.take();
      break;
    }
    double s = 1.0;
    if (t.kind == LpTok::Sign) {
      if (int st = take_sign(t, &s)) return st;
    } else if (!first) {
      return diag_.error(1607, t.line, t.ch);
    }
    double coef = 1.0;
    if (ts_.peek().kind == LpTok::Number) coef = ts_.take().value;
    LpToken nt = ts_.peek();
    if (nt.kind == LpTok::End) return expr_end(kind, true, unfinished);
    if (nt.kind != LpTok::Name) return diag_.error(1616, nt.line, nt.ch);
    int i = 0, j = 0;
    if (int st = column(nt, &i)) return st;
    ts_.take();
    LpToken op = ts_.peek();
    if (op.kind == LpTok::Caret) {
      ts_.take();
      LpToken ex = ts_.peek();
      if (ex.kind != LpTok::Number) return diag_.error(1612, op.line);
      if (ex.value != 2.0) return diag_.error(1613, ex.line);
      ts_.take();
      j = i;
    } else if (op.kind == LpTok::Star) {
      ts_.take();
      LpToken n2 = ts_.peek();
      if (n2.kind == LpTok::End) return expr_end(kind, true, unfinished);
      if (n2.kind != LpTok::Name) return diag_.error(1616, n2.line, n2.ch);
      if (int st = column(n2, &j)) return st;
      ts_.take();
    } else if (op.kind == LpTok::End) {
      return expr_end(kind, true, unfinished);
    } else {
      return diag_.error(1614, op.line);
    }
    terms.push_back({i, j, sign * s * coef});
    first = false;
  }
  double factor = 1.0;
  if (kind == ExprKind::Objective) {
    const LpToken &t = ts_.peek();
    if (t.kind == LpTok::Slash) {
      int slash_line = t.line;
      ts_.take();
      const LpToken &d = ts_.peek();
      if (d.kind != LpTok::Number || d.value != 2.0) return diag_.error(1619, slash_line);
      ts_.take();
    } else {
      diag_.warning("Warning, line %d: Deprecated format, expecting '] / 2'.\n", close_line);
      factor = 2.0;
    }
  } else if (ts_.peek().kind == LpTok::Slash) {
    return diag_.error(1619, ts_.peek().line);
  }
  for (LpQuadTerm q : terms) {
    q.coef *= factor;
    e.quad.push_back(q);
  }
  e.has_quad = true;
  return 0;
}

// Linear terms, optional quadratic brackets and (for rows) the relation
// with its right-hand side.
int LpParser::parse_expr(ExprKind kind, Expr &e, bool &unfinished) {
  unfinished = false;
  bool first = true;
  for (;;) {
    LpToken t = ts_.peek();
    if (t.kind == LpTok::End) return expr_end(kind, false, unfinished);
    double sign = 1.0;
    if (t.kind == LpTok::Sign) {
      if (int st = take_sign(t, &sign)) return st;
      if (ts_.peek().kind == LpTok::End) return expr_end(kind, true, unfinished);
      t = ts_.peek();
    } else if (!first && t.kind != LpTok::Rel) {
      return diag_.error(kind == ExprKind::Objective ? 1607 : 1608, t.line, t.ch);
    }
    if (t.kind == LpTok::Rel) {
      if (kind == ExprKind::Objective) return diag_.error(1603, t.line);
      ts_.take();
      e.sense = t.ch;
      e.rel_line = t.line;
      return parse_rhs(e.rhs);
    }
    if (t.kind == LpTok::LBrack) {
      if (kind == ExprKind::LinearOnly) return diag_.error(1605, t.line);
      ts_.take();
      int st = parse_quad(kind, sign, e, unfinished);
      if (st != 0 || unfinished) return st;
      first = false;
      continue;
    }
    double coef = 1.0;
    if (t.kind == LpTok::Number) {
      coef = t.value;
      ts_.take();
    }
    LpToken n = ts_.peek();
    if (n.kind == LpTok::Name) {
      int j = 0;
      if (int st = column(n, &j)) return st;
      ts_.take();
      add_linear(e, j, sign * coef);
      first = false;
      continue;
    }
    // In the objective a number followed by a sign, a bracket or the end of
    // the objective is a constant term.
    if (kind == ExprKind::Objective && t.kind == LpTok::Number &&
        (n.kind == LpTok::Sign || n.kind == LpTok::LBrack || (n.kind == LpTok::End && ts_.status() == 0))) {
      e.constant += sign * coef;
      first = false;
      continue;
    }
    if (n.kind == LpTok::End) return expr_end(kind, true, unfinished);
    return diag_.error(1616, n.line, n.ch);
  }
}

std::string LpParser::read_label(bool *labelled) {
  *labelled = false;
  const LpToken &t = ts_.peek();
  if (t.kind == LpTok::Name && ts_.peek(1).kind == LpTok::Colon) {
    std::string name = ts_.take().text;
    ts_.take();
    *labelled = true;
    return name;
  }
  return std::string();
}

// "name = 0|1" followed by an arrow starts an indicator constraint.
bool LpParser::indicator_ahead() {
  if (ts_.peek(0).kind != LpTok::Name) return false;
  const LpToken &eq = ts_.peek(1);
  if (eq.kind != LpTok::Rel || eq.text != "=") return false;
  if (ts_.peek(2).kind != LpTok::Number) return false;
  const LpToken &a = ts_.peek(3);
  const LpToken &b = ts_.peek(4);
  if (a.kind == LpTok::Sign && a.ch == '-' && b.kind == LpTok::Rel && b.text == ">") return true;
  return a.kind == LpTok::Rel && a.text == "<" && b.kind == LpTok::Sign && b.ch == '-';
}

int LpParser::parse_indicator(const std::string &label, bool labelled) {
  LpToken var = ts_.take();
  ts_.take();  // "="
  LpToken value = ts_.take();
  if (value.value != 0.0 && value.value != 1.0) return diag_.error(1439, value.line);
  LpFileIndicator ic;
  if (int st = column(var, &ic.var)) return st;
  ic.complemented = value.value == 0.0;
  LpToken a = ts_.take();
  ts_.take();
  if (a.kind == LpTok::Sign) {
    ic.type = kIndImplies;
  } else if (ts_.peek().kind == LpTok::Rel && ts_.peek().text == ">") {
    ts_.take();
    ic.type = kIndEquivalent;
  } else {
    ic.type = kIndReverse;
  }
  // The problem holds implications only.
  if (ic.type != kIndImplies) return diag_.error(1439, a.line);
  Expr e;
  bool unfinished = false;
  int st = parse_expr(ExprKind::LinearOnly, e, unfinished);
  if (st != 0) return st;
  if (unfinished || e.sense == 0) return diag_.error(1439, ts_.peek().line);
  ic.name = labelled ? label : std::string();
  ic.sense = e.sense;
  ic.rhs = e.rhs;
  for (size_t k = 0; k < e.ind.size(); ++k)
    if (e.val[k] != 0.0) {
      ic.ind.push_back(e.ind[k]);
      ic.val.push_back(e.val[k]);
    }
  if (labelled) m_.has_indnames = true;
  m_.indicators.push_back(std::move(ic));
  return 0;
}

}  // namespace tvl
