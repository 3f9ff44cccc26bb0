#include "files/lpwrite_text.h"

#include <cmath>
#include <cstdio>

#include "files/lpnames.h"
#include "files/numfmt.h"
#include "frame/infinity.h"

namespace tvl {

namespace {

constexpr int kWrapColumn = 80;
constexpr double kUnitTolerance = 1e-13;

// Assembles one logical item and breaks it into physical lines before any
// piece that would reach column 80.  Continuation lines are indented by the
// width of the item's label.
class ItemLine {
 public:
  explicit ItemLine(const LpTextSink &sink) : sink_(sink) {}

  void start(const std::string &label) {
    buf_ = label;
    indent_ = label.size();
  }
  // Every physical line of the item is written as a comment.
  void set_comment() { comment_ = true; }
  void add(const std::string &piece) {
    if (buf_.size() + piece.size() >= kWrapColumn && buf_.size() > indent_) {
      emit();
      buf_.assign(indent_, ' ');
    }
    buf_ += piece;
  }
  void finish() {
    emit();
    buf_.clear();
  }

 private:
  void emit() {
    std::string line;
    line.reserve(buf_.size() + 3);
    if (comment_) line += '\\';
    line += buf_;
    line += '\n';
    sink_(line);
  }

  const LpTextSink &sink_;
  std::string buf_;
  size_t indent_ = 0;
  bool comment_ = false;
};

class Writer {
 public:
  Writer(const LpFileModel &m, const LpWriteNames &n, const LpTextSink &sink)
      : m_(m), n_(n), sink_(sink) {}

  int run() {
    put("\\Problem name: " + cut255(m_.probname) + "\n\n");
    put(m_.objsense == -1 ? "Maximize\n" : "Minimize\n");
    write_objective();
    put("Subject To\n");
    for (size_t i = 0; i < m_.rows.size(); ++i) write_row(m_.rows[i], n_.rows[i]);
    if (m_.conflict) write_equality_sum();
    for (size_t i = 0; i < m_.qconstrs.size(); ++i) write_qconstr(m_.qconstrs[i], n_.qconstrs[i]);
    for (size_t i = 0; i < m_.indicators.size(); ++i) write_indicator(m_.indicators[i], n_.indicators[i]);
    write_row_section("User Cuts\n", m_.usercuts, n_.usercuts);
    write_row_section("Lazy Constraints\n", m_.lazy, n_.lazy);
    write_bounds();
    write_type_list("Binaries\n", [](char t) { return t == 'B'; });
    write_type_list("Generals\n", [](char t) { return t == 'I' || t == 'N'; });
    write_type_list("Semi-Continuous\n", [](char t) { return t == 'S' || t == 'N'; });
    write_sos();
    put("End\n");
    return status_;
  }

 private:
  static std::string cut255(const std::string &s) { return s.size() > 255 ? s.substr(0, 255) : s; }

  void put(const std::string &text) { sink_(text); }

  std::string num(double v) {
    char buf[kNumBufSize];
    if (format_number(v, buf) != 0) status_ = 1650;
    return buf;
  }

  // Sign token, optional coefficient, then the name pieces: " + 2 x".
  std::string term(double coef, bool first, const std::string &rest) {
    std::string piece;
    if (coef < 0)
      piece = " -";
    else if (!first)
      piece = " +";
    double a = std::fabs(coef);
    if (!(std::fabs(a - 1.0) <= kUnitTolerance)) piece += " " + num(a);
    return piece + rest;
  }

  const std::string &col(int j) const { return n_.cols[j]; }

  void add_linear(ItemLine &line, const std::vector<int> &ind, const std::vector<double> &val, bool &first) {
    for (size_t k = 0; k < ind.size(); ++k) {
      line.add(term(val[k], first, " " + col(ind[k])));
      first = false;
    }
  }

  std::string quad_piece(const LpQuadTerm &q, bool first) {
    if (q.i == q.j) return term(q.coef, first, " " + col(q.i) + " ^2");
    return term(q.coef, first, " " + col(q.i) + " * " + col(q.j));
  }

  void add_quadratic(ItemLine &line, const std::vector<LpQuadTerm> &quad, bool linear_before) {
    line.add(linear_before ? " + [" : " [");
    bool first = true;
    for (const LpQuadTerm &q : quad) {
      line.add(quad_piece(q, first));
      first = false;
    }
  }

  std::string relation(char sense, double rhs) {
    const char *rel = sense == 'L' ? " <= " : sense == 'G' ? " >= " : "  = ";
    return rel + num(rhs);
  }

  void write_objective() {
    ItemLine line(sink_);
    // An objective name the reader could not take back as a label is
    // replaced by the default label.
    std::string label = cut255(m_.objname);
    if (!lp_name_is_legal(label)) label = "obj";
    line.start(" " + label + ":");
    std::vector<char> in_rows(m_.obj.size(), 0);
    for (const LpFileRow &r : m_.rows)
      for (int j : r.ind) in_rows[j] = 1;
    bool first = true;
    for (size_t j = 0; j < m_.obj.size(); ++j) {
      if (m_.obj[j] == 0.0 && in_rows[j]) continue;
      line.add(term(m_.obj[j], first, " " + col(static_cast<int>(j))));
      first = false;
    }
    // The constant is a term without a name; its number is always written.
    if (m_.objoffset != 0.0) {
      std::string piece = m_.objoffset < 0 ? " -" : first ? "" : " +";
      line.add(piece + " " + num(std::fabs(m_.objoffset)));
      first = false;
    }
    if (!m_.objquad.empty()) {
      add_quadratic(line, m_.objquad, !first);
      line.add(" ] / 2");
    }
    line.finish();
  }

  void write_row(const LpFileRow &r, const std::string &name) {
    ItemLine line(sink_);
    line.start(" " + name + ":");
    bool first = true;
    add_linear(line, r.ind, r.val, first);
    if (r.sense == 'R') {
      line.add(term(-1.0, first, " Rg" + name));
      first = false;
    }
    line.add(relation(r.sense, r.rhs));
    line.finish();
  }

  // The sum of a conflict's equality rows, as a commented constraint: a
  // reader sees at a glance what the equalities imply together.
  void write_equality_sum() {
    put("\\Sum of equality rows in the conflict:\n");
    const LpFileRow &r = m_.eqsum;
    if (r.sense != 'E') return;
    ItemLine line(sink_);
    line.set_comment();
    line.start(" eqsum:");
    bool first = true;
    add_linear(line, r.ind, r.val, first);
    // Terms that cancel leave the contradiction in plain sight: 0 = rhs.
    if (first) line.add(" 0");
    line.add(relation('E', r.rhs));
    line.finish();
  }

  void write_row_section(const char *keyword, const std::vector<LpFileRow> &rows,
                         const std::vector<std::string> &names) {
    if (rows.empty()) return;
    put(keyword);
    for (size_t i = 0; i < rows.size(); ++i) write_row(rows[i], names[i]);
  }

  void write_qconstr(const LpFileQConstr &q, const std::string &name) {
    ItemLine line(sink_);
    line.start(" " + name + ":");
    bool first = true;
    add_linear(line, q.ind, q.val, first);
    if (!q.quad.empty()) {
      add_quadratic(line, q.quad, !first);
      line.add(" ]");
    }
    line.add(relation(q.sense, q.rhs));
    line.finish();
  }

  void write_indicator(const LpFileIndicator &ic, const std::string &name) {
    ItemLine line(sink_);
    line.start(" " + name + ":");
    line.add(" " + col(ic.var));
    line.add(ic.complemented ? " = 0 " : " = 1 ");
    line.add(ic.type == kIndImplies ? "->" : ic.type == kIndReverse ? "<-" : ic.type == kIndEquivalent ? "<->" : "?");
    bool first = true;
    add_linear(line, ic.ind, ic.val, first);
    line.add(relation(ic.sense, ic.rhs));
    line.finish();
  }

  // One bound line, or the empty text when the bounds are the defaults.
  std::string bound_line(const std::string &name, double l, double u, char type) {
    bool l_inf = l <= -kInfBound, u_inf = u >= kInfBound;
    bool special = type == 'B' || type == 'I';
    if (!special && l == 0.0 && u_inf) return "";
    if (l_inf && u_inf) return "      " + name + " Free";
    if (l == u) return "      " + name + " = " + num(l);
    if (type == 'B' && u_inf) return num(l) + " <= " + name + " <= Inf";
    if (u_inf) return "      " + name + " >= " + num(l);
    if (l_inf) return " -Inf <= " + name + " <= " + num(u);
    return (l < 0 ? "" : " ") + num(l) + " <= " + name + " <= " + num(u);
  }

  void write_bounds() {
    std::vector<std::string> lines;
    for (size_t j = 0; j < m_.obj.size(); ++j) {
      char t = m_.ctype.empty() ? 'C' : m_.ctype[j];
      std::string s = bound_line(col(static_cast<int>(j)), m_.lb[j], m_.ub[j], t);
      if (!s.empty()) lines.push_back(s);
    }
    for (size_t i = 0; i < m_.rows.size(); ++i) {
      const LpFileRow &r = m_.rows[i];
      if (r.sense != 'R') continue;
      double l = r.rng >= 0 ? 0.0 : r.rng, u = r.rng >= 0 ? r.rng : 0.0;
      std::string s = bound_line("Rg" + n_.rows[i], l, u, 'C');
      if (!s.empty()) lines.push_back(s);
    }
    if (lines.empty()) return;
    put("Bounds\n");
    for (const std::string &s : lines) {
      ItemLine line(sink_);
      line.start("");
      line.add(s);
      line.finish();
    }
  }

  template <class Pred>
  void write_type_list(const char *keyword, Pred qualifies) {
    if (m_.ctype.empty()) return;
    ItemLine line(sink_);
    bool any = false;
    for (size_t j = 0; j < m_.ctype.size(); ++j) {
      if (!qualifies(m_.ctype[j])) continue;
      if (!any) {
        put(keyword);
        line.start("");
        any = true;
      }
      line.add(" " + col(static_cast<int>(j)) + " ");
    }
    if (any) line.finish();
  }

  void write_sos() {
    if (m_.sos.empty()) return;
    put("SOS\n");
    for (size_t s = 0; s < m_.sos.size(); ++s) {
      const LpFileSos &set = m_.sos[s];
      ItemLine line(sink_);
      line.start(" " + n_.sos[s] + ":");
      line.add(std::string(" S") + set.type + " ::");
      for (size_t k = 0; k < set.ind.size(); ++k) line.add("  " + col(set.ind[k]) + " : " + num(set.wt[k]));
      line.finish();
    }
  }

  const LpFileModel &m_;
  const LpWriteNames &n_;
  const LpTextSink &sink_;
  int status_ = 0;
};

}  // namespace

int lp_format_model(const LpFileModel &m, const LpWriteNames &names, const LpTextSink &sink) {
  Writer w(m, names, sink);
  return w.run();
}

}  // namespace tvl
