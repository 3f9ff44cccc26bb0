// Public functions of the MIP starts: adding, counting, querying by the
// surplus convention, names, deletion.  Starts belong to MIP problems
// (3003 otherwise); queries of a problem without starts give 3020.
#include <cstring>

#include "frame/matrixcheck.h"
#include "frame/mipstarts.h"
#include "frame/parts_api.h"

namespace tvl {
namespace {

using namespace parts_api;

int enter_mip(const tvlenv *env, tvllp *lp) {
  int st = enter_query(env, lp);
  if (st) return st;
  return is_mip_type(lp->type) ? 0 : 3003;
}

// Starts present, and begin..end a valid range of them (1205/1206 name
// the function).
int enter_range(const tvlenv *env, tvllp *lp, const char *fname, int begin, int end) {
  int st = enter_mip(env, lp);
  if (st) return st;
  if (mipstarts_count(lp) == 0) return 3020;
  return check_range(env, fname, begin, end, mipstarts_count(lp));
}

int add_starts(const tvlenv *env, tvllp *lp, int mcnt, int nzcnt, const int *beg, const int *ind,
               const double *val, const int *effort, char **names) {
  int st = enter_mip(env, lp);
  if (st) return st;
  if (mcnt < 0 || nzcnt < 0) return 1003;
  if (mcnt == 0) return 0;
  if (!beg || (nzcnt > 0 && (!ind || !val))) return 1004;
  bool content = datacheck_on(env);
  st = check_matrix_starts(env, 'c', lp->lp->ncols, mcnt, nzcnt, beg, ind, val, content);
  if (st) return st;
  if (effort)
    for (int k = 0; k < mcnt; ++k)
      if (effort[k] < 0 || effort[k] > 5) return 1003;
  if (content && names && (st = check_names(env, names, mcnt)) != 0) return st;
  for (int k = 0; k < mcnt; ++k) {
    int64_t b = beg[k], e = k + 1 < mcnt ? beg[k + 1] : nzcnt;
    st = mipstarts_append(lp, e - b, ind + b, val + b, effort ? effort[k] : 0, names ? names[k] : nullptr);
    if (st) return st;
  }
  return 0;
}

// Opening of the two list queries: the range check, a valid space, and
// the room the starts begin..end take, `room(start)` each.
template <class Room>
int list_room(const tvlenv *env, tvllp *lp, const char *fname, int begin, int end, int space, Room room,
              int64_t *need) {
  int st = enter_range(env, lp, fname, begin, end);
  if (st) return st;
  if (space < 0) return 1003;
  *need = 0;
  for (int k = begin; k <= end; ++k) *need += room(lp->mipstarts->starts[k]);
  return 0;
}

int get_starts(const tvlenv *env, tvllp *lp, int *nzcnt_p, int *beg, int *ind, double *val, int *effort,
               int space, int *surplus_p, int begin, int end) {
  if (nzcnt_p) *nzcnt_p = 0;
  if (surplus_p) *surplus_p = 0;
  int64_t need = 0;
  int st = list_room(env, lp, "TVLgetmipstarts", begin, end, space,
                     [](const MipStart &s) { return static_cast<int64_t>(s.ind.size()); }, &need);
  if (st) return st;
  const std::vector<MipStart> &all = lp->mipstarts->starts;
  if (effort)
    for (int k = begin; k <= end; ++k) effort[k - begin] = all[k].effort;
  if (size_request(need, space, surplus_p, &st)) return st;
  if (!nzcnt_p || !beg || !ind || !val || !surplus_p) return 1004;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    beg[k - begin] = static_cast<int>(pos);
    const MipStart &s = all[k];
    for (size_t e = 0; e < s.ind.size() && pos < space; ++e, ++pos) {
      ind[pos] = s.ind[e];
      val[pos] = s.val[e];
    }
  }
  *nzcnt_p = static_cast<int>(pos);
  *surplus_p = static_cast<int>(space - need);
  return space < need ? 1207 : 0;
}

// Names of starts begin..end into one store under the surplus convention
// of the row and column name queries.
int get_names(const tvlenv *env, tvllp *lp, char **name, char *store, int space, int *surplus_p, int begin,
              int end) {
  if (surplus_p) *surplus_p = 0;
  int64_t need = 0;
  int st = list_room(env, lp, "TVLgetmipstartname", begin, end, space,
                     [](const MipStart &s) { return static_cast<int64_t>(s.name.size()) + 1; }, &need);
  if (st) return st;
  const std::vector<MipStart> &all = lp->mipstarts->starts;
  if (size_request(need, space, surplus_p, &st)) return st;
  if (!name || !store || !surplus_p) return 1004;
  int64_t pos = 0;
  for (int k = begin; k <= end; ++k) {
    int64_t len = static_cast<int64_t>(all[k].name.size()) + 1;
    if (pos + len > space) {
      name[k - begin] = nullptr;
      continue;
    }
    name[k - begin] = store + pos;
    std::memcpy(store + pos, all[k].name.c_str(), static_cast<size_t>(len));
    pos += len;
  }
  *surplus_p = static_cast<int>(space - need);
  return space < need ? 1207 : 0;
}

int get_index(const tvlenv *env, tvllp *lp, const char *name, int *index_p) {
  int st = enter_mip(env, lp);
  if (!st && (!name || !index_p)) st = 1004;
  if (!st && mipstarts_count(lp) == 0) st = 3020;
  if (st) return st;
  const std::vector<MipStart> &all = lp->mipstarts->starts;
  for (size_t k = 0; k < all.size(); ++k)
    if (all[k].name == name) {
      *index_p = static_cast<int>(k);
      return 0;
    }
  return 1210;
}

int delete_starts(const tvlenv *env, tvllp *lp, int begin, int end) {
  int st = enter_mip(env, lp);
  if (st) return st;
  if (mipstarts_count(lp) == 0) return 3020;
  if (begin < 0 || begin > end || end >= mipstarts_count(lp)) return 1200;
  std::vector<MipStart> &all = lp->mipstarts->starts;
  all.erase(all.begin() + begin, all.begin() + end + 1);
  if (all.empty()) mipstarts_free(lp);
  return 0;
}

}  // namespace
}  // namespace tvl

extern "C" {

int TVLaddmipstarts(TVLENVptr env, TVLLPptr lp, int mcnt, int nzcnt, const int *beg, const int *varindices,
                    const double *values, const int *effortlevel, char **mipstartname) {
  return tvl::boundary(env,
                       tvl::add_starts(env, lp, mcnt, nzcnt, beg, varindices, values, effortlevel, mipstartname));
}

int TVLgetnummipstarts(TVLCENVptr env, TVLCLPptr lp) {
  int st = tvl::parts_api::enter_query(env, tvl::parts_api::mut(lp));
  if (st) return tvl::boundary(env, st), 0;
  return tvl::mipstarts_count(lp);
}

int TVLgetmipstarts(TVLCENVptr env, TVLCLPptr lp, int *nzcnt_p, int *beg, int *varindices, double *values,
                    int *effortlevel, int startspace, int *surplus_p, int begin, int end) {
  return tvl::boundary(env, tvl::get_starts(env, tvl::parts_api::mut(lp), nzcnt_p, beg, varindices, values,
                                            effortlevel, startspace, surplus_p, begin, end));
}

int TVLgetmipstartname(TVLCENVptr env, TVLCLPptr lp, char **name, char *store, int storesz, int *surplus_p,
                       int begin, int end) {
  return tvl::boundary(env,
                       tvl::get_names(env, tvl::parts_api::mut(lp), name, store, storesz, surplus_p, begin, end));
}

int TVLgetmipstartindex(TVLCENVptr env, TVLCLPptr lp, const char *lname_str, int *index_p) {
  return tvl::boundary(env, tvl::get_index(env, tvl::parts_api::mut(lp), lname_str, index_p));
}

int TVLdelmipstarts(TVLENVptr env, TVLLPptr lp, int begin, int end) {
  return tvl::boundary(env, tvl::delete_starts(env, lp, begin, end));
}

}  // extern "C"
