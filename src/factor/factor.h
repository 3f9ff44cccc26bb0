// Basis factor interface used by the simplex codes: a sparse LU of the basis
// matrix B (one column per basic variable) with updates after basis changes
// and hyper-sparse FTRAN/BTRAN.  One template source serves double and
// extended precision (lu_d / lu_q instantiate it).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tvl::lp {

// Column-compressed matrix without gaps (the simplex's view of A).
struct CscMatrix {
  int32_t m = 0, n = 0;
  std::vector<int32_t> start;  // n + 1 entries
  std::vector<int32_t> index;  // row indices
  std::vector<double> value;
};

// Sparse work vector: dense values plus the list of (possibly) nonzero
// positions.  count < 0 means "index list not maintained; treat as dense".
struct HVector {
  int32_t size = 0;
  int32_t count = 0;
  std::vector<int32_t> index;
  std::vector<double> array;
  void setup(int32_t n) { size = n; count = 0; index.assign(n, 0); array.assign(n, 0.0); }
  void clear() {
    if (count < 0 || count > size / 3) { std::fill(array.begin(), array.end(), 0.0); }
    else { for (int32_t k = 0; k < count; ++k) array[index[k]] = 0.0; }
    count = 0;
  }
};

// Running estimate of the result density of a stream of similar solves
// (the columns of one basis, say), handed to the next solve as its hint.
struct DensityEstimate {
  double value = 0.05;
  void observe(const HVector &v) {
    const double d = v.size == 0 ? 0.0 : v.count < 0 ? 1.0 : static_cast<double>(v.count) / v.size;
    value = 0.95 * value + 0.05 * d;
  }
};

// Outcome of factorize().  Singular is returned only when repair is off
// (FactorSettings::repair == false); the factor is then unusable.
enum class FactorStatus { Ok, Repaired, OutOfMemory, Singular };

struct FactorSettings {
  double markowitz = 0.01;     // relative pivot threshold (TVL_PARAM_EPMRK)
  double singtol = 1e-13;      // smallest acceptable pivot (TVL_PARAM_SINGTOL)
  int32_t update_limit = 0;    // 0: automatic refactorization rule (TVL_PARAM_REINV)
  double rfilemul = 3.0, cfilemul = 3.0;
  bool repair = true;          // replace dependent columns by slacks
  double dense_switch = 0.5;   // active-submatrix density that starts the dense kernel
  // The dense kernel's pivot rule: sparsity order with a threshold (false)
  // or partial pivoting in the given column order (true); factor_dense.h.
  bool dense_partial_pivoting = false;
};

// What the last factorize() did, for the caller's messages and bookkeeping.
// positions[i] is a basis position whose variable old_vars[i] was displaced
// by the slack head[positions[i]] (= n + row).  When threshold_raised is
// set the caller prints "Markowitz threshold set to %g" with `markowitz`.
struct FactorReport {
  std::vector<int32_t> positions;
  std::vector<int32_t> old_vars;
  int32_t attempts = 0;           // factorization passes in the last call
  int32_t singular_rounds = 0;    // passes that found a singular basis
  bool threshold_raised = false;  // u rose by more than 0.01 in one step
  double markowitz = 0.0;         // threshold in force after the call
  double max_pivot = 1.0, min_pivot = 1.0;  // stability statistics
};

// Polymorphic so that the simplex dispatches on precision once.
class BasisFactor {
 public:
  virtual ~BasisFactor() = default;
  // Factorizes the basis given by head[0..m-1] (variable j < n: column j of
  // A; j >= n: slack of row j-n, a unit column).  Singular positions are
  // repaired by replacing their variables with slacks; the replaced entries
  // of head are rewritten and their old variables reported in `replaced`.
  virtual FactorStatus factorize(const CscMatrix &a, std::vector<int32_t> &head,
                                 std::vector<int32_t> *replaced) = 0;
  // x := B^-1 x and y := B^-T y, exploiting sparsity of the right-hand side.
  // FTRAN takes x indexed by rows and returns it indexed by basis positions;
  // BTRAN takes y indexed by positions (e.g. e_r for the pivot row) and
  // returns it indexed by rows.  The input index list is used when
  // count >= 0, otherwise the whole array is scanned.  On output the index
  // list is exact (count = number of nonzeros; entries below 1e-14 are
  // dropped).  expected_density is a hint: above 0.3 the solves skip the
  // symbolic (hyper-sparse) path.  Work is added to work() and to the
  // calling thread's deterministic work counter.
  virtual void ftran(HVector &x, double expected_density) const = 0;
  virtual void btran(HVector &y, double expected_density) const = 0;
  // Replaces the basic variable at position r; `col` is the FTRAN'd entering
  // column (B^-1 a_q) as returned by ftran.  Returns false when the caller
  // must refactorize (update limit reached, growth, tiny pivot or the
  // automatic rule); the caller then calls factorize() with the new header
  // before the next solve.  The head passed to factorize is the caller's;
  // the factor never keeps a copy.
  virtual bool update(int32_t r, const HVector &col) = 0;
  virtual int32_t updates_since_factor() const = 0;
  virtual int64_t factor_nonzeros() const = 0;
  virtual int precision() const = 0;  // 0 double, 1 extended
  // Operations counted since construction (factorizations, solves and
  // updates), which the calls also add to the thread's work counter.
  virtual uint64_t work() const = 0;

  // Details of the last factorize() (repairs, threshold changes, pivots).
  virtual const FactorReport &report() const = 0;
  // Current relative pivot threshold (raised at run time on instability
  // and at the first repaired singularity of a call).
  virtual double markowitz() const = 0;
  virtual void set_markowitz(double u) = 0;
  // False before the first factorize(), after one that failed and after a
  // refused update; solves must not be called until the next factorize().
  virtual bool valid() const = 0;
  // A copy of this factor, and the return of this factor to such a copy:
  // a caller that leaves a basis for a few pivots and comes back (strong
  // branching) restores the factor instead of refactorizing.
  virtual std::unique_ptr<BasisFactor> clone() const = 0;
  virtual void assign(const BasisFactor &copy) = 0;
};

// Creates a factor of the given precision (0 double, 1 extended) for m rows and n structurals.
BasisFactor *make_basis_factor(int precision, int32_t m, int32_t n, const FactorSettings &settings);

}  // namespace tvl::lp
