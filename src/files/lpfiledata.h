// The model as the LP-format reader and writer see it: plain arrays, names
// and the extra parts.  The writer fills it from a problem through the
// query functions and then prints it; the reader fills it from the text and
// then loads it into the problem in one go, so that a failed read leaves
// the problem untouched.
#pragma once

#include <string>
#include <vector>

namespace tvl {

// A linear row (constraint, user cut or lazy constraint).
struct LpFileRow {
  std::string name;
  char sense = 'L';  // 'L', 'G', 'E' or 'R'
  double rhs = 0.0;
  double rng = 0.0;  // range value of an 'R' row
  std::vector<int> ind;
  std::vector<double> val;
};

// A quadratic term coefficient * x_i * x_j.
struct LpQuadTerm {
  int i;
  int j;
  double coef;
};

struct LpFileQConstr {
  std::string name;
  char sense = 'L';
  double rhs = 0.0;
  std::vector<int> ind;
  std::vector<double> val;
  std::vector<LpQuadTerm> quad;  // coefficient of x_i x_j as written
};

// Kinds of indicator link, written "->", "<-" and "<->".
enum LpIndicatorType : int { kIndImplies = 1, kIndReverse = 2, kIndEquivalent = 3 };

struct LpFileIndicator {
  std::string name;
  int var = 0;
  bool complemented = false;
  int type = kIndImplies;
  char sense = 'L';
  double rhs = 0.0;
  std::vector<int> ind;
  std::vector<double> val;
};

struct LpFileSos {
  std::string name;
  char type = '1';  // '1' or '2'
  std::vector<int> ind;
  std::vector<double> wt;
};

struct LpFileModel {
  std::string probname;
  std::string objname;
  int objsense = 1;  // 1 minimise, -1 maximise
  double objoffset = 0.0;  // constant term of the objective

  std::vector<std::string> colnames;
  bool has_colnames = false;
  std::vector<double> obj, lb, ub;
  std::vector<char> ctype;  // empty when the model has no column types

  std::vector<LpFileRow> rows;
  bool has_rownames = false;

  // Objective quadratic part as written inside "[ ... ] / 2": one term per
  // unordered pair i <= j.
  std::vector<LpQuadTerm> objquad;

  std::vector<LpFileQConstr> qconstrs;
  bool has_qcnames = false;
  std::vector<LpFileIndicator> indicators;
  bool has_indnames = false;
  std::vector<LpFileRow> usercuts;
  bool has_usercutnames = false;
  std::vector<LpFileRow> lazy;
  bool has_lazynames = false;
  std::vector<LpFileSos> sos;
  bool has_sosnames = false;

  // Conflict output: the rows are a conflict's, and the sum of its
  // equality rows follows them as a comment (sense 'E' when the conflict
  // has equality rows, otherwise no sum is written).
  bool conflict = false;
  LpFileRow eqsum;

  int numcols() const { return static_cast<int>(obj.size()); }
};

}  // namespace tvl
