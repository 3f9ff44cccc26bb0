// Irreducibility of an LP's conflict set from the uniqueness of its Farkas
// certificate.
//
// Follows J. Gleeson and J. Ryan, "Identifying minimally infeasible
// subsystems of inequalities", ORSA Journal on Computing 2(1), 1990: the
// irreducible infeasible subsystems of a linear system are the supports of
// the vertices of its alternative polyhedron, so a set whose certificate is
// the only one with support in the set (up to scale) is irreducible.
//
// In the working form (rows a_i x - s_i = 0, every candidate a bound of a
// variable), a certificate is a row vector y with reduced values d = A'y:
// a variable with d_k > 0 uses its upper bound, one with d_k < 0 its lower
// bound, and every variable without a member bound in the set needs
// d_k = 0.  With the sides the latest certificate uses, the test builds
// the square system
//   d_k(y) = 0              for every variable without a member bound,
//   sum_k d_k(y) b_k = -1   (b_k: the bound of the side in use)
// over y on the set's rows (rows outside the set have free slacks, so
// y_i = 0 there), factorizes it with the basis factor and asks that
//  - no unknown be dependent (then at most one certificate exists: a
//    certificate of the set without member m is a solution of the same
//    equations, hence the same y, but that y uses m);
//  - the solution use every member, on the side assumed, by a clear margin
//    (then it proves the set infeasible and every member necessary).
// The proof is robust when it also holds with every member bound b moved
// outward by 1e-6 max(1, |b|): the set is then no nearer feasible than a
// solver's feasibility tolerance, a solve of the set from scratch (which
// accepts points within that tolerance) calls it infeasible too, and the
// refiner needs no re-solve to confirm it.
// Any doubt (a dependent unknown, a small pivot, a member used weakly, a
// column with both bounds in the set, a bound that is not a candidate)
// answers false, and the refiner tests the members one by one instead.
//
// Only for an LP's working form: a MIP's conflict needs integer points,
// and rows or columns that are not candidates are constraints a member's
// removal cannot relax, which the uniqueness argument does not cover.
#pragma once

#include <vector>

#include "conflict/work_model.h"

namespace tvl::conflict {

// Whether the members (member[k] for item k of w) form an irreducible
// infeasible set, judged from the certificate `ray` (one entry per row of
// w.lp, signs as ray_sides reads them) as described above; `robust`, when
// given, tells whether the proof is robust.
bool certificate_is_unique(const WorkModel &w, const std::vector<char> &member, const std::vector<double> &ray,
                           bool *robust = nullptr);

}  // namespace tvl::conflict
