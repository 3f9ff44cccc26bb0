// Optional model parts for the LP reader: special ordered sets, quadratic
// objective, quadratic constraints, indicator constraints, user cuts and
// lazy constraints, loaded through the model-part functions.
#include <string>
#include <vector>

#include "files/lpread_load.h"

namespace tvl {

namespace {

int reported(int status) { return status > 0 ? -status : status; }

const char *name_or_null(const std::string &s) { return s.empty() ? nullptr : s.c_str(); }

int load_sos(tvlenv *env, tvllp *lp, const LpFileModel &m) {
  if (m.sos.empty()) return 0;
  std::vector<char> type;
  std::vector<int> beg, ind;
  std::vector<double> wt;
  std::vector<std::string> names;
  for (size_t s = 0; s < m.sos.size(); ++s) {
    const LpFileSos &set = m.sos[s];
    type.push_back(set.type);
    beg.push_back(static_cast<int>(ind.size()));
    ind.insert(ind.end(), set.ind.begin(), set.ind.end());
    wt.insert(wt.end(), set.wt.begin(), set.wt.end());
    names.push_back(set.name.empty() ? "s" + std::to_string(s + 1) : set.name);
  }
  std::vector<char *> ptr;
  for (std::string &n : names) ptr.push_back(n.data());
  int nz = static_cast<int>(ind.size());
  ind.push_back(0);
  wt.push_back(0.0);
  int st = TVLcopysos(env, lp, static_cast<int>(m.sos.size()), nz, type.data(), beg.data(), ind.data(), wt.data(),
                      m.has_sosnames ? ptr.data() : nullptr);
  return reported(st);
}

// Terms c*x_i*x_j of "[ ... ] / 2" become Q with both triangles:
// Q_ii = c on the diagonal, Q_ij = Q_ji = c/2 off it.
int load_objquad(tvlenv *env, tvllp *lp, const LpFileModel &m) {
  if (m.objquad.empty()) return 0;
  int n = m.numcols();
  std::vector<std::vector<std::pair<int, double>>> cols(n);
  auto add = [&](int i, int j, double v) {
    for (auto &e : cols[j])
      if (e.first == i) {
        e.second += v;
        return;
      }
    cols[j].push_back({i, v});
  };
  for (const LpQuadTerm &q : m.objquad) {
    if (q.i == q.j) {
      add(q.i, q.i, q.coef);
    } else {
      add(q.i, q.j, q.coef / 2);
      add(q.j, q.i, q.coef / 2);
    }
  }
  std::vector<int> beg(n + 1), cnt(n + 1), ind;
  std::vector<double> val;
  for (int j = 0; j < n; ++j) {
    beg[j] = static_cast<int>(ind.size());
    for (const auto &e : cols[j])
      if (e.second != 0.0) {
        ind.push_back(e.first);
        val.push_back(e.second);
      }
    cnt[j] = static_cast<int>(ind.size()) - beg[j];
  }
  ind.push_back(0);
  val.push_back(0.0);
  return reported(TVLcopyquad(env, lp, beg.data(), cnt.data(), ind.data(), val.data()));
}

int load_qconstrs(tvlenv *env, tvllp *lp, const LpFileModel &m) {
  for (const LpFileQConstr &q : m.qconstrs) {
    std::vector<int> ind = q.ind, qr, qc;
    std::vector<double> val = q.val, qv;
    for (const LpQuadTerm &t : q.quad) {
      qr.push_back(t.i);
      qc.push_back(t.j);
      qv.push_back(t.coef);
    }
    int lnz = static_cast<int>(ind.size()), qnz = static_cast<int>(qr.size());
    ind.push_back(0);
    val.push_back(0.0);
    qr.push_back(0);
    qc.push_back(0);
    qv.push_back(0.0);
    int st = TVLaddqconstr(env, lp, lnz, qnz, q.rhs, q.sense, ind.data(), val.data(), qr.data(), qc.data(), qv.data(),
                           name_or_null(q.name));
    if (st != 0) return reported(st);
  }
  return 0;
}

int load_indicators(tvlenv *env, tvllp *lp, const LpFileModel &m) {
  for (const LpFileIndicator &ic : m.indicators) {
    std::vector<int> ind = ic.ind;
    std::vector<double> val = ic.val;
    int nz = static_cast<int>(ind.size());
    ind.push_back(0);
    val.push_back(0.0);
    int st = TVLEaddindconstr(env, lp, ic.var, ic.complemented ? 1 : 0, nz, ic.rhs, ic.sense, ind.data(), val.data(),
                              name_or_null(ic.name));
    if (st != 0) return reported(st);
  }
  return 0;
}

using AddRowsFn = int (*)(TVLENVptr, TVLLPptr, int, int, const double *, const char *, const int *, const int *,
                         const double *, char **);

// User cuts or lazy constraints; unlabelled rows among labelled ones get
// the default name of their position.
int load_cut_rows(tvlenv *env, tvllp *lp, const std::vector<LpFileRow> &rows, bool has_names, const char *prefix,
                  AddRowsFn add) {
  if (rows.empty()) return 0;
  std::vector<int> beg, ind;
  std::vector<double> val, rhs;
  std::vector<char> sense;
  std::vector<std::string> names;
  for (size_t r = 0; r < rows.size(); ++r) {
    beg.push_back(static_cast<int>(ind.size()));
    ind.insert(ind.end(), rows[r].ind.begin(), rows[r].ind.end());
    val.insert(val.end(), rows[r].val.begin(), rows[r].val.end());
    rhs.push_back(rows[r].rhs);
    sense.push_back(rows[r].sense);
    names.push_back(rows[r].name.empty() ? prefix + std::to_string(r + 1) : rows[r].name);
  }
  std::vector<char *> ptr;
  for (std::string &n : names) ptr.push_back(n.data());
  int nz = static_cast<int>(ind.size());
  ind.push_back(0);
  val.push_back(0.0);
  return reported(add(env, lp, static_cast<int>(rows.size()), nz, rhs.data(), sense.data(), beg.data(), ind.data(),
                      val.data(), has_names ? ptr.data() : nullptr));
}

}  // namespace

int lp_load_extras(tvlenv *env, tvllp *lp, const LpFileModel &m) {
  if (int st = load_sos(env, lp, m)) return st;
  if (int st = load_objquad(env, lp, m)) return st;
  if (int st = load_qconstrs(env, lp, m)) return st;
  if (int st = load_indicators(env, lp, m)) return st;
  if (int st = load_cut_rows(env, lp, m.usercuts, m.has_usercutnames, "u", TVLaddusercuts)) return st;
  return load_cut_rows(env, lp, m.lazy, m.has_lazynames, "l", TVLaddlazyconstraints);
}

}  // namespace tvl
