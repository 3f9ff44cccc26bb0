#include "frame/cutrows.h"

#include <cstring>

#include "frame/error.h"

namespace tvl {

CutRows *cut_pool(tvllp *lp, CutPool which) {
  if (!lp->parts) return nullptr;
  return which == CutPool::User ? &lp->parts->usercuts : &lp->parts->lazy;
}

namespace {

// Drops the rows from `rows` on (and their terms from `terms` on).
void truncate(CutRows &c, int64_t rows, int64_t terms) {
  for (int64_t k = rows; k < c.name.size; ++k) mem_free(c.name[k]);
  if (c.name.size > rows) c.name.size = rows;
  c.rhs.size = c.sense.size = rows;
  c.beg.size = rows ? rows + 1 : 0;
  c.ind.size = c.val.size = terms;
}

}  // namespace

bool cutrows_append(CutRows &c, int rcnt, int nzcnt, const double *rhs, const char *sense, const int *rmatbeg,
                    const int *rmatind, const double *rmatval, char **names) {
  const int64_t rows0 = c.count(), terms0 = c.ind.size;
  bool ok = c.rhs.reserve(rows0 + rcnt) && c.sense.reserve(rows0 + rcnt) && c.beg.reserve(rows0 + rcnt + 1) &&
            c.ind.reserve(terms0 + nzcnt) && c.val.reserve(terms0 + nzcnt);
  // Names are kept per row once any row has one: earlier rows get none.
  if (ok && (names || c.name.size)) ok = c.name.resize(rows0, nullptr) && c.name.reserve(rows0 + rcnt);
  if (!ok) return truncate(c, rows0, terms0), false;
  if (c.beg.size == 0) c.beg.push(0);
  for (int r = 0; r < rcnt; ++r) {
    c.rhs.push(rhs ? rhs[r] : 0.0);
    c.sense.push(sense ? sense[r] : 'E');
    if (c.name.cap) c.name.push(mem_strdup(names ? names[r] : nullptr, &ok));
    int b = rmatbeg ? rmatbeg[r] : 0, e = !rmatbeg ? 0 : r + 1 < rcnt ? rmatbeg[r + 1] : nzcnt;
    for (int t = b; t < e; ++t)
      if (rmatval[t] != 0.0) {  // zero entries are not stored
        c.ind.push(rmatind[t]);
        c.val.push(rmatval[t]);
      }
    c.beg.push(static_cast<int32_t>(c.ind.size));
  }
  if (!ok) return truncate(c, rows0, terms0), false;
  return true;
}

void cutrows_free(CutRows &c) {
  for (int64_t k = 0; k < c.name.size; ++k) mem_free(c.name[k]);
  c.beg.release();
  c.ind.release();
  c.val.release();
  c.rhs.release();
  c.sense.release();
  c.name.release();
}

bool cutrows_clone(CutRows &dst, const CutRows &src) {
  bool ok = dst.beg.assign(src.beg) && dst.ind.assign(src.ind) && dst.val.assign(src.val) &&
            dst.rhs.assign(src.rhs) && dst.sense.assign(src.sense) && dst.name.resize(src.name.size, nullptr);
  for (int64_t k = 0; ok && k < src.name.size; ++k) dst.name[k] = mem_strdup(src.name[k], &ok);
  if (!ok) cutrows_free(dst);
  return ok;
}

void cutrows_drop_on_col_delete(const tvlenv *env, ModelParts *parts) {
  if (!parts) return;
  if (parts->usercuts.count()) {
    cutrows_free(parts->usercuts);
    msg_warning(env, "Warning:  User cuts freed during column deletion.\n");
  }
  if (parts->lazy.count()) {
    cutrows_free(parts->lazy);
    msg_warning(env, "Warning:  Lazy constraints freed during column deletion.\n");
  }
}

}  // namespace tvl
