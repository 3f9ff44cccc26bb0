#include "tuning/tune_knobs.h"

#include "tavlo.h"

namespace tvl::tuning {

const std::vector<Knob> &knobs_for(bool mip) {
  static const std::vector<Knob> kLp = {
      {TVL_PARAM_LPMETHOD, {TVL_ALG_DUAL, TVL_ALG_PRIMAL, TVL_ALG_CONCURRENT}},
      {TVL_PARAM_DPRIIND, {1, 2, 3, 4, 5}},
      {TVL_PARAM_PPRIIND, {-1, 1, 2, 4}},
      {TVL_PARAM_PREIND, {0}},
      {TVL_PARAM_SCAIND, {-1, 1}},
      {TVL_PARAM_PREDUAL, {1}},
  };
  static const std::vector<Knob> kMip = {
      {TVL_PARAM_VARSEL, {3, 2, 4, 1, -1}},
      {TVL_PARAM_NODESEL, {0, 2, 3}},
      {TVL_PARAM_MIPEMPHASIS, {1}},
      {TVL_PARAM_CUTPASS, {-1, 1}},
      {TVL_PARAM_FRACCUTS, {-1, 2}},
      {TVL_PARAM_MIRCUTS, {-1, 2}},
      {TVL_PARAM_COVERS, {-1, 2}},
      {TVL_PARAM_CLIQUES, {-1, 2}},
      {TVL_PARAM_HEURFREQ, {-1, 5}},
      {TVL_PARAM_RINSHEUR, {-1}},
      {TVL_PARAM_FPHEUR, {-1, 1}},
      {TVL_PARAM_BRDIR, {-1, 1}},
      {TVL_PARAM_PREIND, {0}},
  };
  return mip ? kMip : kLp;
}

}  // namespace tvl::tuning
