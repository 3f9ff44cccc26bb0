// Structures beyond integrality, enforced by branching once the node LP
// solution is integral: semi-continuous and semi-integer columns
// (semicont.cpp), special ordered sets of type 1 and 2 (sos.cpp) and
// indicator constraints (indicator.cpp).  Each unit tells how far a point
// violates its structures and, for a violated one, the bound changes of two
// children that together keep every feasible point and both cut the
// point off.  The search takes the first violated structure in the order
// semi-continuous, SOS, indicator (deterministic, and the cheapest
// disjunctions first).
#pragma once

#include <cstdint>
#include <vector>

#include "frame/problem.h"
#include "mip/mip_model.h"
#include "mip/node.h"
#include "mip/node_lp.h"

namespace tvl::mip {

// A point counts as nonzero on a member above this.
inline constexpr double kSpecialTol = 1e-6;

struct SpecialBranch {
  std::vector<BoundChange> child[2];
  bool created[2] = {false, false};   // false: that child is empty
};

// Reads the problem's SOSs, semi-continuous and semi-integer columns and
// indicator constraints into the model (indicator rows and slack columns
// are appended; relaxation bounds of semi-continuous columns widened to 0).
void add_special_structures(const tvllp *lp, MipModel &model);

double special_violation(const MipModel &model, const std::vector<double> &x);

// Finds a violated structure at the node whose bounds `lp` holds; false
// when x satisfies them all.
bool find_special_branch(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, double epint,
                         SpecialBranch &out);

// The units.
double semicont_violation(const MipModel &model, const std::vector<double> &x);
bool branch_semicont(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, SpecialBranch &out);
void read_semicont(const tvllp *lp, MipModel &model);

double sos_violation(const MipModel &model, const std::vector<double> &x);
bool branch_sos(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, SpecialBranch &out);
void read_sos(const tvllp *lp, MipModel &model);

double indicator_violation(const MipModel &model, const std::vector<double> &x);
bool branch_indicator(const MipModel &model, const NodeLp &lp, const std::vector<double> &x, double epint,
                      SpecialBranch &out);
void read_indicators(const tvllp *lp, MipModel &model);

// Appends the change of column j to [lo, up] intersected with the node's
// bounds to `changes`; false when the intersection is empty.
bool restrict_col(const NodeLp &lp, int32_t j, double lo, double up, std::vector<BoundChange> &changes);

}  // namespace tvl::mip
