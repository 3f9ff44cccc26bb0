// Parser of the LP format: reads the sections in their fixed order into an
// LpFileModel.  Columns are created in order of first mention in the
// objective and the constraint sections.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "files/lpfiledata.h"
#include "files/lpread_diag.h"
#include "files/lpread_lex.h"
#include "frame/infinity.h"

namespace tvl {

// "inf" or "infinity" in any case: an infinite value.
bool is_infinity_word(const LpToken &t);

class LpParser {
 public:
  LpParser(LpTokenStream &ts, LpDiag &diag, LpFileModel &m) : ts_(ts), diag_(diag), m_(m) {}

  // Reads the whole file.  Returns 0 or a negative status (already reported).
  int run();

 private:
  enum class ExprKind { Objective, Constraint, LinearOnly };
  enum class RowSection { Constraints, UserCuts, Lazy };

  // An expression as read: merged linear terms, quadratic terms, relation.
  struct Expr {
    std::vector<int> ind;
    std::vector<double> val;
    std::unordered_map<int, size_t> where;
    std::vector<LpQuadTerm> quad;
    bool has_quad = false;
    char sense = 0;
    double rhs = 0.0;
    double constant = 0.0;  // number terms without a name (objective only)
    int rel_line = 0;  // line of the relation
  };

  // Columns.
  static bool valid_identifier(const std::string &name);
  int find_column(const std::string &name) const;
  int column(const LpToken &t, int *j);

  // Sections.
  int read_objective();
  int read_rows(RowSection section);
  int read_bounds();
  int read_types(char type);
  int read_sos();
  int finish_model();

  // Expressions (lpread_expr.cpp).
  int parse_expr(ExprKind kind, Expr &e, bool &unfinished);
  int take_sign(const LpToken &t, double *sign);
  int parse_quad(ExprKind kind, double sign, Expr &e, bool &unfinished);
  int parse_rhs(double &rhs);
  int expr_end(ExprKind kind, bool pending, bool &unfinished);
  void add_linear(Expr &e, int j, double v);
  bool indicator_ahead();
  int parse_indicator(const std::string &label, bool labelled);
  std::string read_label(bool *labelled);

  // Bounds and special ordered sets (lpread_sections.cpp).
  int bound_line(const std::vector<LpToken> &v);
  int bound_value(const std::vector<LpToken> &v, size_t &i, double *value);
  int bound_column(const LpToken &t, int *j);
  void set_bound(int j, char rel, double value, bool column_first);
  int sos_header(LpFileSos &set);
  int sos_member(LpFileSos *set);

  LpTokenStream &ts_;
  LpDiag &diag_;
  LpFileModel &m_;
  std::unordered_map<std::string, int> colindex_;
  std::vector<char> ub_given_;
  std::vector<char> row_labelled_;
  bool types_seen_ = false;
};

// Range rows as written by the writer: an equality row N with the term
// "- RgN" whose column appears nowhere else becomes a ranged row again.
void lp_restore_ranges(LpFileModel &m);

}  // namespace tvl
