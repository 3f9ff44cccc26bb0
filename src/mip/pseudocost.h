// Pseudo costs: the average objective degradation per unit change of a
// column's value observed in down and up branches (Benichou, Gauthier,
// Girodet, Hentges, Ribiere, Vincent 1971).  Columns without observations
// in a direction use the average over the columns that have them (1 when
// none has).
#pragma once

#include <cstdint>
#include <vector>

namespace tvl::mip {

// One recorded degradation, as update() takes it.
struct PcObservation {
  int32_t col;
  bool up;
  double gain, dist;
};

class Pseudocosts {
 public:
  explicit Pseudocosts(int32_t n);
  // Every later update is also appended to `journal` (nullptr: none), so
  // that a parallel search can replay one worker's observations on the
  // shared costs in a fixed order.
  void set_journal(std::vector<PcObservation> *journal) { journal_ = journal; }
  // Records a degradation `gain` (>= 0) for a move of `dist` (> 0).
  void update(int32_t col, bool up, double gain, double dist);
  double down(int32_t col) const;
  double up(int32_t col) const;
  int32_t count(int32_t col, bool up) const { return (up ? up_n_ : down_n_)[col]; }
  // Product score of down and up degradations (Achterberg 2007).
  static double score(double down_gain, double up_gain) { return (down_gain + 1e-6) * (up_gain + 1e-6); }

 private:
  std::vector<double> down_sum_, up_sum_;
  std::vector<int32_t> down_n_, up_n_;
  double down_total_ = 0.0, up_total_ = 0.0;
  int64_t down_obs_ = 0, up_obs_ = 0;
  std::vector<PcObservation> *journal_ = nullptr;
};

}  // namespace tvl::mip
