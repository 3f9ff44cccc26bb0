// Basis factor interface used by the simplex codes: a sparse LU of the basis
// matrix B (one column per basic variable) with updates after basis changes
// and hyper-sparse FTRAN/BTRAN.  One template source serves double and
// extended precision (lu_d / lu_q instantiate it).
#pragma once

#include <cstdint>
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

// Outcome of factorize().
enum class FactorStatus { Ok, Repaired, OutOfMemory };

struct FactorSettings {
  double markowitz = 0.01;     // relative pivot threshold (TVL_PARAM_EPMRK)
  double singtol = 1e-13;      // smallest acceptable pivot (TVL_PARAM_SINGTOL)
  int32_t update_limit = 0;    // 0: automatic refactorization rule (TVL_PARAM_REINV)
  double rfilemul = 3.0, cfilemul = 3.0;
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
  virtual void ftran(HVector &x, double expected_density) const = 0;
  virtual void btran(HVector &y, double expected_density) const = 0;
  // Replaces the basic variable at position r; `col` is the FTRAN'd entering
  // column (B^-1 a_q) as returned by ftran.  Returns false when the caller
  // must refactorize (update limit reached, growth or instability).
  virtual bool update(int32_t r, const HVector &col) = 0;
  virtual int32_t updates_since_factor() const = 0;
  virtual bool wants_refactor() const = 0;
  virtual int64_t factor_nonzeros() const = 0;
  virtual int precision() const = 0;  // 0 double, 1 extended
  // Deterministic work: operations counted since construction.
  virtual uint64_t work() const = 0;
};

// Creates a factor of the given precision (0 double, 1 extended) for m rows and n structurals.
BasisFactor *make_basis_factor(int precision, int32_t m, int32_t n, const FactorSettings &settings);

}  // namespace tvl::lp
