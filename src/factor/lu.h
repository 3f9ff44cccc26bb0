// Sparse LU factor of a simplex basis, one template for double and extended
// precision (lu_d.cpp and lu_q.cpp instantiate it).
//
// Factorization: a triangular pre-pass takes column singletons and then row
// singletons (slack-heavy simplex bases are mostly triangular); the
// remaining nucleus is eliminated by Markowitz pivoting with a relative
// row threshold (Markowitz 1957; count buckets and limited search after
// Suhl & Suhl 1990, "Computing sparse LU factorizations for large-scale
// linear programming bases"), and once the active submatrix becomes dense
// it is finished by LU with partial pivoting on a dense array.
// Solves: Gilbert & Peierls 1988 symbolic reach for sparse right-hand
// sides, ordinary pivot-order loops otherwise.  Updates: Forrest & Tomlin
// 1972 (row etas, U permuted in place) with the refactorization rules in
// baseupd.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "factor/factor.h"
#include "runtime/workcount.h"

namespace tvl::lp {

// Compressed lists addressed by node: entries of node v are
// [start[v], end[v]).  Used for the four solve graphs.
template <class T>
struct NodeLists {
  std::vector<int32_t> start, end;
  std::vector<int32_t> index;
  std::vector<T> value;
};

// Node lists that change after factorization (the two U graphs under the
// update): node v may grow up to limit[v]; a node that outgrows its room
// moves to the free tail [used, capacity) and the storage is compacted when
// the tail runs out (factor_lists.h).
template <class T>
struct GrowLists : NodeLists<T> {
  std::vector<int32_t> limit;
  int32_t used = 0;
  std::vector<int32_t> spare_index;  // compaction target, same capacity
  std::vector<T> spare_value;
  void seal(int32_t m);                          // after filling: room for growth
  void append(int32_t v, int32_t idx, T val);
  bool remove(int32_t v, int32_t idx);           // false when idx is not in v
  void clear_node(int32_t v) { this->end[v] = this->start[v]; }
  void reserve(int32_t v, int32_t n);            // room for n more entries in v

 private:
  void compact(int32_t need);
};

// Row-eta file of the Forrest-Tomlin update: eta t replaces the entry of
// row pos[t] by itself minus the sum of value * entry over its (row, value)
// pairs [start[t], start[t+1]).
template <class T>
struct RowEtaFile {
  std::vector<int32_t> pos;
  std::vector<int32_t> start{0};
  std::vector<int32_t> index;
  std::vector<T> value;
  void clear() { pos.clear(); start.assign(1, 0); index.clear(); value.clear(); }
  int32_t count() const { return static_cast<int32_t>(pos.size()); }
  int64_t entries() const { return static_cast<int64_t>(index.size()); }
};

// The factor as the solves see it.  Pivot k pairs row prow[k] with basis
// position pcol[k]; the row/position spaces stay unpermuted.  L keeps the
// factorization order prow; U is triangular in the order uprow/upcol, which
// the update changes by moving the replaced pivot to the end.
template <class T>
struct LuData {
  int32_t m = 0;
  std::vector<int32_t> prow, pcol;          // pivot order of the factorization
  std::vector<int32_t> uprow, upcol;        // current pivot order of U
  std::vector<int32_t> pos_of_row, row_of_pos;
  std::vector<T> dinv_row, dinv_pos;        // reciprocal pivots by row / position
  NodeLists<T> lcol;   // row r_k -> (row i, l_ik), i pivoted after k      (FTRAN L)
  NodeLists<T> lrow;   // row i -> (row r_k, l_ik)                          (BTRAN L')
  GrowLists<T> ucol;   // row r_k -> (row r_j, u_jk), j before k in U order (FTRAN U)
  GrowLists<T> urow;   // position c_k -> (position c_j, u_kj), j after k    (BTRAN U')
  std::vector<int32_t> lpivots;             // pivots k with a nonempty L column
  int64_t l_nonzeros = 0, u_nonzeros = 0;
};

// Raw factor produced by the elimination before it is arranged for solves.
template <class T>
struct LuRaw {
  std::vector<int32_t> prow, pcol;
  std::vector<T> diag;
  std::vector<int32_t> lstart{0}, lindex;   // L column per pivot (rows)
  std::vector<T> lvalue;
  std::vector<int32_t> ustart{0}, uindex;   // U row per pivot (positions)
  std::vector<T> uvalue;
  std::vector<int32_t> singular_pos;        // positions left without a pivot
  std::vector<int32_t> unpivoted_rows;      // rows left without a pivot
  double dense_ops = 0.0;
  void clear();
  void add_pivot(int32_t row, int32_t pos, T d) {
    prow.push_back(row);
    pcol.push_back(pos);
    diag.push_back(d);
  }
  void close_l() { lstart.push_back(static_cast<int32_t>(lindex.size())); }
  void close_u() { ustart.push_back(static_cast<int32_t>(uindex.size())); }
};

// Basis columns gathered from A and the slacks (column per position).
struct BasisColumns {
  int32_t m = 0;
  std::vector<int32_t> start, index;
  std::vector<double> value;
  void gather(const CscMatrix &a, const std::vector<int32_t> &head, int32_t m, int32_t n);
};

// Elimination engine (triangular pre-pass, Markowitz phase, dense kernel);
// defined in factor_markowitz.h.
template <class T>
class LuBuilder;

// Solve workspace (kept between calls; solves allocate nothing).
template <class T>
struct SolveWork {
  std::vector<T> row, pos;
  std::vector<int32_t> list_a, list_b, stack, ptr, mark;
  int32_t stamp = 0;
  void setup(int32_t m);
  int32_t next_stamp();
};

// Spikes (FTRAN results after L and the row etas, before U) of the last few
// FTRANs, so that the update finds the spike of the entering column without
// recomputing it.  A slot belongs to the vector object it was computed for,
// is valid for one factor version, and carries the count and sums of the
// FTRAN result to confirm the column handed to update() is that result.
template <class T>
struct SpikeSlot {
  const HVector *owner = nullptr;
  uint64_t version = 0;
  int32_t count = -1, n = 0;
  double sum = 0.0, wsum = 0.0;
  std::vector<int32_t> index;
  std::vector<T> value;
};

// Scratch of the factorization that a copy of the factor neither shares
// nor copies: the copy starts with an empty one of its own.
template <class W>
class Workspace {
 public:
  Workspace() : p_(std::make_unique<W>()) {}
  Workspace(const Workspace &) : Workspace() {}
  Workspace &operator=(const Workspace &) { return *this; }
  W *operator->() const { return p_.get(); }
  W &operator*() const { return *p_; }

 private:
  std::unique_ptr<W> p_;
};

template <class T>
class LuFactor final : public BasisFactor {
 public:
  LuFactor(int32_t m, int32_t n, const FactorSettings &settings);
  ~LuFactor() override;

  FactorStatus factorize(const CscMatrix &a, std::vector<int32_t> &head,
                         std::vector<int32_t> *replaced) override;
  void ftran(HVector &x, double expected_density) const override;
  void btran(HVector &y, double expected_density) const override;
  bool update(int32_t r, const HVector &col) override;
  int32_t updates_since_factor() const override { return updates_; }
  int64_t factor_nonzeros() const override;
  int precision() const override { return sizeof(T) == sizeof(double) ? 0 : 1; }
  uint64_t work() const override { return work_; }
  const FactorReport &report() const override { return report_; }
  double markowitz() const override { return u_; }
  void set_markowitz(double u) override { u_ = u; }
  bool valid() const override { return valid_; }
  std::unique_ptr<BasisFactor> clone() const override { return std::make_unique<LuFactor>(*this); }
  void assign(const BasisFactor &copy) override;

  // Exposed for tests and the benchmark.
  const LuData<T> &data() const { return lu_; }
  const RowEtaFile<T> &etas() const { return eta_; }

 private:
  int factorize_once(const BasisColumns &b);  // 0 ok, 1 singular, 2 unstable, 3 memory
  void arrange(const LuRaw<T> &raw);
  bool stable(double &pmax, double &pmin) const;
  void repair(std::vector<int32_t> &head, std::vector<int32_t> *replaced);
  void raise_threshold();
  void reset_update_state();
  void note_update_cost();
  // Forrest-Tomlin stages (baseupd.h).
  int32_t spike_from(const HVector &col);
  int32_t spike_cached(const HVector &col);
  void keep_spike(const HVector &x, int32_t rhs_nnz, int32_t cnt) const;
  void seal_spike(const HVector &x) const;
  int32_t row_multipliers(int32_t p);
  T new_diagonal(int32_t p, int32_t nmult) const;
  void drop_update(int32_t nspike, int32_t nmult);
  void record_row_eta(int32_t row, int32_t nmult);
  void replace_column(int32_t p, T diag, int32_t nspike);
  void move_pivot_last(int32_t p);

  // Solve stages (ftsolve_sparse.h).
  int32_t load(const HVector &x, std::vector<T> &w, std::vector<int32_t> &list) const;
  int32_t lower_solve(int32_t cnt, bool sparse) const;
  template <class NodeAt>
  int32_t upper_pass(T *vec, const NodeLists<T> &g, const T *dinv, int32_t cnt, bool sparse, NodeAt node_at) const;
  int32_t upper_solve(int32_t cnt, bool sparse) const;
  int32_t upper_tsolve(int32_t cnt, bool sparse) const;
  int32_t lower_tsolve(int32_t cnt, bool sparse) const;
  int32_t row_etas_forward(int32_t cnt) const;
  int32_t row_etas_backward(int32_t cnt) const;
  int32_t pos_to_row(int32_t cnt) const;
  template <class Place>
  void store(HVector &x, T *w, int32_t cnt, Place place) const;

  int32_t m_, n_;
  FactorSettings settings_;
  double u_;
  double dense_switch_;
  bool valid_ = false;
  LuData<T> lu_;
  Workspace<LuRaw<T>> raw_;
  Workspace<LuBuilder<T>> builder_;
  BasisColumns cols_;
  RowEtaFile<T> eta_;
  std::vector<int32_t> spike_list_;  // update scratch: rows of the spike
  static constexpr int kSpikeSlots = 4;
  mutable SpikeSlot<T> spikes_[kSpikeSlots];
  mutable int32_t spike_next_ = 0;   // slot of the last kept spike
  uint64_t version_ = 0;             // factor version: bumped by factorize and update
  FactorReport report_;
  mutable SolveWork<T> sw_;
  // Operations counted by the factorization, solves and updates; each
  // public call also adds its share to the thread's work counter.  Extended
  // precision arithmetic costs about twice as much, so its work counts
  // double there.
  mutable uint64_t work_ = 0;
  static constexpr unsigned kWorkShift = sizeof(T) > sizeof(double) ? 1 : 0;

  // Update bookkeeping (baseupd.h).
  int32_t updates_ = 0;
  int32_t update_limit_ = 10000;
  bool automatic_ = true;
  bool refactor_due_ = false;
  int64_t n0_ = 0;                 // factor nonzeros at factorization
  uint64_t work_at_start_ = 0;     // work when the last factorize() began
  uint64_t factor_work_ = 0;       // work of the last factorize()
  uint64_t work_at_factor_ = 0;
  double work_at_update_ = 0.0;    // solve work since factorization at the last update
  double recent_work_ = 0.0;       // running per-iteration solve work
};

}  // namespace tvl::lp
