// Special ordered sets: loading, queries and names.  A problem with sets
// is a MIP (its column types are created when absent).
#include "frame/parts_api.h"

namespace tvl {
namespace {

using namespace parts_api;

// Structural checks that keep the stored sets addressable (always on):
// types, starts and column indices.
int check_sets(const tvlenv *env, int numsos, int numsosnz, const char *sostype, const int *sosbeg,
               const int *sosind, int32_t n) {
  for (int k = 0; k < numsos; ++k)
    if (sostype[k] != '1' && sostype[k] != '2') return report(env, 3009, k);
  for (int k = 0; k < numsos; ++k) {
    if (k + 1 < numsos && sosbeg[k] > sosbeg[k + 1]) return report(env, 1226, k + 1);
    if (sosbeg[k] < 0 || sosbeg[k] > numsosnz) return 1200;
  }
  for (int p = 0; p < numsosnz; ++p)
    if (sosind[p] < 0 || sosind[p] >= n) return report(env, 1201, p);
  return 0;
}

// Content checks run with data checking: weights, unique weights.
int check_set_content(const tvlenv *env, int numsos, int numsosnz, const int *sosbeg, const double *soswt) {
  for (int p = 0; p < numsosnz; ++p)
    if (int st = check_value(env, soswt[p], p)) return st;
  for (int k = 0; k < numsos; ++k) {
    int b = sosbeg[k], e = k + 1 < numsos ? sosbeg[k + 1] : numsosnz;
    for (int p = b; p < e; ++p)
      for (int q = p + 1; q < e; ++q)
        if (soswt[p] == soswt[q]) return 3010;
  }
  return 0;
}

bool fill_sets(SosData &s, int numsos, int numsosnz, const char *sostype, const int *sosbeg, const int *sosind,
               const double *soswt, char **sosname) {
  if (!s.sostype.append(sostype, numsos) || !s.sosind.append(sosind, numsosnz) ||
      !s.soswt.append(soswt, numsosnz) || !s.sosbeg.reserve(numsos + 1))
    return false;
  for (int k = 0; k < numsos; ++k) s.sosbeg.push(sosbeg[k]);
  s.sosbeg.push(numsosnz);
  if (!sosname) return true;
  if (!s.sosname.resize(numsos, nullptr)) return false;
  for (int k = 0; k < numsos; ++k)
    if (!copy_name(sosname[k], &s.sosname[k])) return false;
  return true;
}

int copy_sos(const tvlenv *env, tvllp *lp, int numsos, int numsosnz, const char *sostype, const int *sosbeg,
             const int *sosind, const double *soswt, char **sosname) {
  int st = enter_change(env, lp);
  if (st) return st;
  if (numsos < 0 || numsosnz < 0) return 1003;
  if (numsos > 0 && (!sostype || !sosbeg)) return 1004;
  if (numsosnz > 0 && (!sosind || !soswt)) return 1004;
  if (numsos == 0) numsosnz = 0;
  if ((st = check_sets(env, numsos, numsosnz, sostype, sosbeg, sosind, lp->lp->ncols)) != 0) return st;
  if (datacheck_on(env) && (st = check_set_content(env, numsos, numsosnz, sosbeg, soswt)) != 0)
    return st;
  SosData fresh;
  ModelParts tmp;
  if (!fill_sets(fresh, numsos, numsosnz, sostype, sosbeg, sosind, soswt, sosname)) {
    tmp.sos = fresh;
    parts_free_sos(&tmp);
    return 1001;
  }
  if (!ensure_parts(lp) || (numsos > 0 && !ensure_mip(lp))) {
    tmp.sos = fresh;
    parts_free_sos(&tmp);
    return 1001;
  }
  parts_free_sos(lp->parts);
  lp->parts->sos = fresh;
  rederive_type(lp);
  note_change(env, lp, ChangeKind::Other, kDropOnChange);
  return 0;
}

int get_sos(const tvlenv *env, tvllp *lp, int *nz_p, char *sostype, int *sosbeg, int *sosind, double *soswt,
            int space, int *surplus_p, int begin, int end) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (nz_p) *nz_p = 0;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  const SosData *s = lp->parts ? &lp->parts->sos : nullptr;
  if (!s || s->count() == 0) return 3015;
  if ((st = check_range(env, "TVLgetsos", begin, end, s->count())) != 0) return st;
  if (begin > end) return 0;
  if (sostype)
    for (int k = begin; k <= end; ++k) sostype[k - begin] = s->sostype[k];
  int64_t total = s->sosbeg[end + 1] - s->sosbeg[begin];
  if (space == 0 && surplus_p) {
    if (sosbeg)
      for (int k = begin; k <= end; ++k) sosbeg[k - begin] = 0;
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!nz_p || !sosbeg || !sosind || !soswt || !surplus_p) return 1004;
  int64_t base = s->sosbeg[begin];
  for (int k = begin; k <= end; ++k) sosbeg[k - begin] = static_cast<int>(s->sosbeg[k] - base);
  int64_t n = std::min<int64_t>(total, space);
  if (n > 0) {
    std::memcpy(sosind, s->sosind.data + base, sizeof(int) * static_cast<size_t>(n));
    std::memcpy(soswt, s->soswt.data + base, sizeof(double) * static_cast<size_t>(n));
  }
  *surplus_p = static_cast<int>(space - total);
  *nz_p = static_cast<int>(n);
  return space < total ? 1207 : 0;
}

int get_sos_names(const tvlenv *env, tvllp *lp, char **name, char *store, int space, int *surplus_p, int begin,
                  int end) {
  int st = enter_query(env, lp);
  if (st) return st;
  if (surplus_p) *surplus_p = 0;
  if (space < 0) return 1003;
  const SosData *s = lp->parts ? &lp->parts->sos : nullptr;
  int64_t count = s ? s->count() : 0;
  if ((st = check_range(env, "TVLgetsosname", begin, end, count)) != 0) return st;
  if (!s || s->sosname.size == 0) return 1219;
  auto text = [s](int k) { return s->sosname[k] ? s->sosname[k] : ""; };
  int64_t total = 0;
  for (int k = begin; k <= end; ++k) total += static_cast<int64_t>(std::strlen(text(k))) + 1;
  if (space == 0 && surplus_p) {
    *surplus_p = static_cast<int>(-total);
    return total > 0 ? -1207 : 0;
  }
  if (!name || !store || !surplus_p) return 1004;
  int64_t run = 0;
  for (int k = begin; k <= end; ++k) {
    int64_t len = static_cast<int64_t>(std::strlen(text(k))) + 1;
    if (run < space) {
      name[k - begin] = store + run;
      std::memcpy(store + run, text(k), static_cast<size_t>(std::min<int64_t>(len, space - run)));
    }
    run += len;
  }
  *surplus_p = static_cast<int>(space - total);
  return space < total ? 1207 : 0;
}

int change_sos_names(const tvlenv *env, tvllp *lp, int cnt, const int *indices, char **newname) {
  int st = check_modifiable(env, lp);
  if (st) return st;
  if (cnt < 0) return 1003;
  if (cnt == 0) return 0;
  if (!indices || !newname) return 1004;
  SosData *s = lp->parts ? &lp->parts->sos : nullptr;
  int64_t count = s ? s->count() : 0;
  for (int k = 0; k < cnt; ++k)
    if (indices[k] < 0 || indices[k] >= count) return 1200;
  if (s->sosname.size == 0 && !s->sosname.resize(count, nullptr)) return 1001;
  for (int k = 0; k < cnt; ++k) {
    char *copy;
    if (!copy_name(newname[k], &copy)) return 1001;
    mem_free(s->sosname[indices[k]]);
    s->sosname[indices[k]] = copy;
  }
  return 0;
}

}  // namespace
}  // namespace tvl

using namespace tvl;

extern "C" {

int TVLcopysos(TVLENVptr env, TVLLPptr lp, int numsos, int numsosnz, const char *sostype, const int *sosbeg,
               const int *sosind, const double *soswt, char **sosname) {
  return boundary(env, copy_sos(env, lp, numsos, numsosnz, sostype, sosbeg, sosind, soswt, sosname));
}

int TVLgetnumsos(TVLCENVptr env, TVLCLPptr lp) {
  int st = parts_api::enter_query(env, parts_api::mut(lp));
  if (st) return boundary(env, st), 0;
  return lp->parts ? static_cast<int>(lp->parts->sos.count()) : 0;
}

int TVLgetsos(TVLCENVptr env, TVLCLPptr lp, int *numsosnz_p, char *sostype, int *sosbeg, int *sosind,
              double *soswt, int sosspace, int *surplus_p, int begin, int end) {
  return boundary(env, get_sos(env, parts_api::mut(lp), numsosnz_p, sostype, sosbeg, sosind, soswt, sosspace,
                               surplus_p, begin, end));
}

int TVLgetsosname(TVLCENVptr env, TVLCLPptr lp, char **name, char *namestore, int storespace, int *surplus_p,
                  int begin, int end) {
  return boundary(env, get_sos_names(env, parts_api::mut(lp), name, namestore, storespace, surplus_p, begin, end));
}

int TVLEchgsosname(TVLENVptr env, TVLLPptr lp, int cnt, const int *indices, char **newname) {
  return boundary(env, change_sos_names(env, lp, cnt, indices, newname));
}

}  // extern "C"
