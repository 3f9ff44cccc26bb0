// The MIP as the search sees it: the LP relaxation in the optimizers'
// minimisation form, which columns must take integer values, and the
// checks of a candidate solution against the model.
//
// Structures beyond integrality (special ordered sets, semi-continuous and
// semi-integer columns, indicator constraints) are kept beside the
// relaxation and enforced by branching (mip/structures/structures.h).  An
// indicator constraint a'x (sense) rhs becomes a row a'x - s = 0 with a
// free slack column s appended after the problem's columns; the constraint
// holds when s lies in [lower, upper], which its branch imposes as bounds.
#pragma once

#include <cstdint>
#include <vector>

#include "frame/problem.h"
#include "lpmodel/lpmodel.h"

namespace tvl::mip {

// Candidate solutions must satisfy every bound, row and integrality
// within this to be accepted.
inline constexpr double kAcceptTol = 1e-6;

struct SosSet {
  char type = '1';                // '1': at most one nonzero; '2': at most two, adjacent
  std::vector<int32_t> cols;      // members by ascending weight
  std::vector<double> weights;
};

// Column that must be 0 or lie in [lower, upper] (lower > 0); a
// semi-integer column is also integer.  Its relaxation bounds are
// [min(0, lower), max(0, upper)].
struct SemiCont {
  int32_t col;
  double lower, upper;
};

struct Indicator {
  int32_t z;                      // binary column
  double active;                  // the value of z that switches the row on
  int32_t slack;                  // slack column s of its row
  double lower, upper;            // bounds of s while switched on
};

struct MipModel {
  lp::LpModel lp;                 // relaxation: cost and offset already times the sense
  std::vector<char> integer;      // per column: must take an integer value
  std::vector<int32_t> intcols;   // the integer columns, ascending
  // Objective granularity: every solution can be improved or kept to one
  // whose objective value (internal form) is offset + granularity * k for
  // an integer k, so that a node whose bound exceeds the next such value
  // below the incumbent holds nothing better; 0 when none was found.
  double granularity = 0.0;
  double granularity_offset = 0.0;
  std::vector<SosSet> sos;
  std::vector<SemiCont> semicont;
  std::vector<Indicator> indicators;
  int32_t user_cols = 0;          // columns of the problem; indicator slacks follow
  bool has_special() const { return !sos.empty() || !semicont.empty() || !indicators.empty(); }
  int32_t n() const { return lp.a.n; }
  int32_t m() const { return lp.a.m; }
};

// Builds the model of the problem ('B' and 'I' columns are integer; a 'B'
// column's bounds are clipped to [0, 1]).  Throws std::bad_alloc.
void build_mip_model(const tvllp *lp, MipModel &model);

// Derives what follows from `lp` and `integer`: the integer columns' list,
// their bounds rounded to integers, the objective granularity.
void complete_mip_model(MipModel &model);

// Distance of v to the nearest integer.
double fractionality(double v);

// Whether column j is a binary: integer with bounds exactly [0, 1] in lo/up.
inline bool is_binary(const MipModel &model, const std::vector<double> &lo, const std::vector<double> &up, int32_t j) {
  const size_t k = static_cast<size_t>(j);
  return model.integer[k] && lo[k] == 0.0 && up[k] == 1.0;
}

// Largest violation of bounds, row ranges, integrality and the special
// structures by x (the row activities are recomputed from x).
double max_violation(const MipModel &model, const std::vector<double> &x);

// Objective of x in internal form (offset included).
double objective_of(const MipModel &model, const std::vector<double> &x);

}  // namespace tvl::mip
