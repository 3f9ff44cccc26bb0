// Storage of the MIP starts on a problem and its adjustments.
#include "frame/mipstarts.h"

#include <new>

#include "frame/listedit.h"

namespace tvl {

int mipstarts_append(tvllp *lp, int64_t cnt, const int32_t *ind, const double *val, int32_t effort,
                     const char *name) {
  try {
    if (!lp->mipstarts) lp->mipstarts = new MipStartSet;
    std::vector<MipStart> &all = lp->mipstarts->starts;
    MipStart s;
    s.ind.assign(ind, ind + cnt);
    s.val.assign(val, val + cnt);
    s.effort = effort;
    s.name = name ? std::string(name) : "m" + std::to_string(all.size() + 1);
    all.push_back(std::move(s));
  } catch (const std::bad_alloc &) {
    return 1001;
  }
  return 0;
}

void mipstarts_mark_installed(tvllp *lp) {
  if (!lp->mipstarts) return;
  for (MipStart &s : lp->mipstarts->starts) s.pending = false;
}

void mipstarts_free(tvllp *lp) {
  delete lp->mipstarts;
  lp->mipstarts = nullptr;
}

bool mipstarts_clone(const tvllp *src, tvllp *dst) {
  if (!src->mipstarts) return true;
  try {
    dst->mipstarts = new MipStartSet(*src->mipstarts);
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

void mipstarts_delete_cols(tvllp *lp, const int32_t *delstat, int32_t oldn) {
  if (!lp->mipstarts) return;
  for (MipStart &s : lp->mipstarts->starts)
    s.val.resize(renumber_column_entries(s.ind, delstat, oldn, [&](size_t out, size_t k) { s.val[out] = s.val[k]; }));
}

}  // namespace tvl
