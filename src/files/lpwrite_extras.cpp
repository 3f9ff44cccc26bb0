// Optional model parts for the LP writer: special ordered sets, quadratic
// objective, quadratic constraints, indicator constraints, user cuts and
// lazy constraints.  Values come
// from the query functions; whether an item has a name is looked up in the
// model parts so that a missing name is not reported as an error.
#include <map>
#include <string>
#include <vector>

#include "files/lpwrite_gather.h"
#include "frame/problem.h"

namespace tvl {

namespace {

int reported(int status) { return status > 0 ? -status : status; }

// Size requests answer 1207 (without a message) when data exists.
bool size_ok(int st) { return st == 0 || st == TVLERR_INSUFFICIENT_ARRAY_LENGTH; }

int gather_sos(tvlenv *env, tvllp *lp, LpFileModel &m) {
  int nsos = TVLgetnumsos(env, lp);
  if (nsos <= 0) return 0;
  int nz = 0, surplus = 0;
  std::vector<char> type(nsos);
  std::vector<int> beg(nsos);
  int st = TVLgetsos(env, lp, &nz, type.data(), beg.data(), nullptr, nullptr, 0, &surplus, 0, nsos - 1);
  if (!size_ok(st)) return reported(st);
  int space = -surplus;
  std::vector<int> ind(space > 0 ? space : 1);
  std::vector<double> wt(space > 0 ? space : 1);
  if (space > 0) {
    st = TVLgetsos(env, lp, &nz, type.data(), beg.data(), ind.data(), wt.data(), space, &surplus, 0, nsos - 1);
    if (st != 0) return reported(st);
  }
  const SosData &sd = lp->parts->sos;
  for (int s = 0; s < nsos; ++s) {
    LpFileSos set;
    set.type = type[s];
    int end = s + 1 < nsos ? beg[s + 1] : space;
    set.ind.assign(ind.begin() + beg[s], ind.begin() + end);
    set.wt.assign(wt.begin() + beg[s], wt.begin() + end);
    if (sd.sosname.size > s && sd.sosname[s]) {
      set.name = sd.sosname[s];
      m.has_sosnames = true;
    }
    m.sos.push_back(std::move(set));
  }
  for (int s = 0; s < nsos && m.has_sosnames; ++s)
    if (m.sos[s].name.empty()) m.sos[s].name = "s" + std::to_string(s + 1);
  return 0;
}

// The objective's Q (both triangles stored) as one term per pair i <= j:
// the diagonal entry, or the sum of the two off-diagonal entries.
int gather_objquad(tvlenv *env, tvllp *lp, LpFileModel &m) {
  int n = m.numcols();
  int nz = TVLgetnumqpnz(env, lp);
  if (n == 0 || nz <= 0) return 0;
  std::vector<int> beg(n), ind(nz);
  std::vector<double> val(nz);
  int got = 0, surplus = 0;
  int st = TVLgetquad(env, lp, &got, beg.data(), ind.data(), val.data(), nz, &surplus, 0, n - 1);
  if (st != 0) return reported(st);
  std::map<std::pair<int, int>, double> pairs;
  for (int j = 0; j < n; ++j) {
    int end = j + 1 < n ? beg[j + 1] : got;
    for (int k = beg[j]; k < end; ++k) pairs[{std::min(ind[k], j), std::max(ind[k], j)}] += val[k];
  }
  for (const auto &[key, v] : pairs)
    if (v != 0.0) m.objquad.push_back({key.first, key.second, v});
  return 0;
}

int gather_qconstrs(tvlenv *env, tvllp *lp, LpFileModel &m) {
  int nq = TVLgetnumqconstrs(env, lp);
  for (int k = 0; k < nq; ++k) {
    int lnz = 0, qnz = 0, lsur = 0, qsur = 0;
    double rhs = 0;
    char sense = 'L';
    int st = TVLgetqconstr(env, lp, &lnz, &qnz, &rhs, &sense, nullptr, nullptr, 0, &lsur, nullptr, nullptr,
                           nullptr, 0, &qsur, k);
    if (!size_ok(st)) return reported(st);
    int ls = -lsur, qs = -qsur;
    LpFileQConstr q;
    q.ind.resize(ls > 0 ? ls : 1);
    q.val.resize(ls > 0 ? ls : 1);
    std::vector<int> qr(qs > 0 ? qs : 1), qc(qs > 0 ? qs : 1);
    std::vector<double> qv(qs > 0 ? qs : 1);
    st = TVLgetqconstr(env, lp, &lnz, &qnz, &q.rhs, &q.sense, q.ind.data(), q.val.data(), ls > 0 ? ls : 1, &lsur,
                       qr.data(), qc.data(), qv.data(), qs > 0 ? qs : 1, &qsur, k);
    if (st != 0) return reported(st);
    q.ind.resize(lnz);
    q.val.resize(lnz);
    for (int t = 0; t < qnz; ++t) q.quad.push_back({qr[t], qc[t], qv[t]});
    const QConstr &rec = lp->parts->qcons[k];
    if (rec.name) {
      q.name = rec.name;
      m.has_qcnames = true;
    }
    m.qconstrs.push_back(std::move(q));
  }
  for (int k = 0; k < nq && m.has_qcnames; ++k)
    if (m.qconstrs[k].name.empty()) m.qconstrs[k].name = "q" + std::to_string(k + 1);
  return 0;
}

int gather_indicators(tvlenv *env, tvllp *lp, LpFileModel &m) {
  int ni = TVLgetnumindconstrs(env, lp);
  for (int k = 0; k < ni; ++k) {
    LpFileIndicator ic;
    int compl_ = 0, nz = 0, surplus = 0;
    int st = TVLgetindconstr(env, lp, &ic.var, &compl_, &nz, &ic.rhs, &ic.sense, nullptr, nullptr, 0, &surplus, k);
    if (!size_ok(st)) return reported(st);
    int space = -surplus;
    ic.ind.resize(space > 0 ? space : 1);
    ic.val.resize(space > 0 ? space : 1);
    st = TVLgetindconstr(env, lp, &ic.var, &compl_, &nz, &ic.rhs, &ic.sense, ic.ind.data(), ic.val.data(),
                         space > 0 ? space : 1, &surplus, k);
    if (st != 0) return reported(st);
    ic.ind.resize(nz);
    ic.val.resize(nz);
    ic.complemented = compl_ != 0;
    ic.type = kIndImplies;
    const IndConstr &rec = lp->parts->indcons[k];
    if (rec.name) {
      ic.name = rec.name;
      m.has_indnames = true;
    }
    m.indicators.push_back(std::move(ic));
  }
  for (int k = 0; k < ni && m.has_indnames; ++k)
    if (m.indicators[k].name.empty()) m.indicators[k].name = "i" + std::to_string(k + 1);
  return 0;
}

// User cuts or lazy constraints, straight from the pool; rows without a
// name among named ones get the default name of their position.
void gather_cut_rows(const CutRows &c, const char *prefix, std::vector<LpFileRow> &out, bool &has_names) {
  has_names = c.name.size > 0;
  for (int64_t r = 0; r < c.count(); ++r) {
    LpFileRow row;
    row.sense = c.sense[r];
    row.rhs = c.rhs[r];
    row.ind.assign(c.ind.data + c.beg[r], c.ind.data + c.beg[r + 1]);
    row.val.assign(c.val.data + c.beg[r], c.val.data + c.beg[r + 1]);
    if (has_names) row.name = c.name[r] ? c.name[r] : "";
    out.push_back(std::move(row));
  }
  if (has_names)
    for (size_t r = 0; r < out.size(); ++r)
      if (out[r].name.empty()) out[r].name = prefix + std::to_string(r + 1);
}

}  // namespace

int lp_gather_extras(tvlenv *env, tvllp *lp, LpFileModel &m) {
  if (lp->parts == nullptr) return 0;
  if (int st = gather_sos(env, lp, m)) return st;
  if (int st = gather_objquad(env, lp, m)) return st;
  if (int st = gather_qconstrs(env, lp, m)) return st;
  if (int st = gather_indicators(env, lp, m)) return st;
  gather_cut_rows(lp->parts->usercuts, "u", m.usercuts, m.has_usercutnames);
  gather_cut_rows(lp->parts->lazy, "l", m.lazy, m.has_lazynames);
  return 0;
}

}  // namespace tvl
