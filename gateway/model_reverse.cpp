// The way back: the problem as a Model structure, built after a model file
// was read.  Library infinities become the host's infinities.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

struct Sizes {
  int n, m;
  std::size_t un() const { return static_cast<std::size_t>(n); }
  std::size_t um() const { return static_cast<std::size_t>(m); }
};

// The names of entries begin..end as the library keeps them; an empty list
// when the problem has none.
template <typename Get>
std::vector<std::string> nameList(Tavlo& t, int count, Get get) {
  std::vector<std::string> out;
  if (count <= 0) return out;
  int surplus = 0;
  std::vector<char*> names(static_cast<std::size_t>(count));
  if (get(t.env, t.lp, names.data(), nullptr, 0, &surplus, 0, count - 1) != TVLERR_INSUFFICIENT_ARRAY_LENGTH ||
      surplus >= 0)
    return out;
  std::vector<char> store(static_cast<std::size_t>(-surplus));
  if (get(t.env, t.lp, names.data(), store.data(), -surplus, &surplus, 0, count - 1) != 0) return out;
  out.assign(names.begin(), names.end());
  return out;
}

// A text the library answers through a sized buffer (problem and objective
// names); empty when it has none.
template <typename Get>
std::string textOf(Tavlo& t, Get get) {
  int surplus = 0;
  if (get(t.env, t.lp, nullptr, 0, &surplus) != TVLERR_INSUFFICIENT_ARRAY_LENGTH || surplus >= 0) return {};
  std::vector<char> text(static_cast<std::size_t>(-surplus));
  return get(t.env, t.lp, text.data(), -surplus, &surplus) == 0 ? std::string(text.data()) : std::string();
}

Value* matrixValue(Host& host, std::size_t m, std::size_t n, const std::vector<int>& beg, const std::vector<int>& ind,
                   const std::vector<double>& val) {
  Value* a = host.createSparse(m, n, std::max<std::size_t>(val.size(), 1));
  if (!a) return nullptr;
  Index* jc = host.getJc(a);
  Index* ir = host.getIr(a);
  double* pr = host.getPr(a);
  for (std::size_t j = 0; j <= n; ++j) jc[j] = j < n ? beg[j] : static_cast<Index>(val.size());
  for (std::size_t k = 0; k < val.size(); ++k) ir[k] = ind[k], pr[k] = val[k];
  return a;
}

Value* constraintMatrix(Tavlo& t, const Sizes& s) {
  std::vector<int> beg(s.un() + 1, 0), ind;
  std::vector<double> val;
  const int nz = TVLgetnumnz(t.env, t.lp);
  if (s.n > 0 && nz > 0) {
    ind.resize(static_cast<std::size_t>(nz));
    val.resize(ind.size());
    int count = 0, surplus = 0;
    if (TVLgetcols(t.env, t.lp, &count, beg.data(), ind.data(), val.data(), nz, &surplus, 0, s.n - 1) != 0)
      return nullptr;
  }
  beg.pop_back();
  return matrixValue(t.host(), s.um(), s.un(), beg, ind, val);
}

bool putRowBounds(Tavlo& t, const Sizes& s, StructBuilder& model) {
  Host& host = t.host();
  std::vector<double> b(s.um()), r(s.um()), lhs(s.um()), rhs(s.um());
  std::vector<char> sense(s.um());
  if (s.m > 0 && (TVLgetrhs(t.env, t.lp, b.data(), 0, s.m - 1) || TVLgetsense(t.env, t.lp, sense.data(), 0, s.m - 1) ||
                  TVLgetrngval(t.env, t.lp, r.data(), 0, s.m - 1)))
    return false;
  const double inf = host.getInf();
  for (std::size_t i = 0; i < s.um(); ++i) {
    switch (sense[i]) {
      case 'E': lhs[i] = rhs[i] = b[i]; break;
      case 'G': lhs[i] = b[i], rhs[i] = inf; break;
      case 'L': lhs[i] = -inf, rhs[i] = b[i]; break;
      default:  // a range reaches from b towards b + r, whichever side r is on
        lhs[i] = r[i] > 0 ? b[i] : b[i] + r[i];
        rhs[i] = r[i] > 0 ? b[i] + r[i] : b[i];
    }
  }
  return model.put("rhs", doubleColumn(host, rhs.data(), s.um())) &&
         model.put("lhs", doubleColumn(host, lhs.data(), s.um()));
}

bool putNames(Tavlo& t, const Sizes& s, StructBuilder& model) {
  Host& host = t.host();
  const std::string name = textOf(t, TVLgetprobname);
  const std::string objname = textOf(t, TVLgetobjname);
  if (!model.put("name", host.createString(name.c_str()))) return false;
  if (!objname.empty() && !model.put("objname", host.createString(objname.c_str()))) return false;
  const auto colnames = nameList(t, s.n, TVLgetcolname);
  const auto rownames = nameList(t, s.m, TVLgetrowname);
  if (!colnames.empty() && !model.put("colname", nameMatrix(host, colnames))) return false;
  if (!rownames.empty() && !model.put("rowname", nameMatrix(host, rownames))) return false;
  return true;
}

bool putSos(Tavlo& t, const Sizes& s, StructBuilder& model) {
  Host& host = t.host();
  const int count = TVLgetnumsos(t.env, t.lp);
  if (count <= 0) return true;
  int nz = 0, surplus = 0;
  std::vector<char> types(static_cast<std::size_t>(count));
  std::vector<int> beg(types.size() + 1);
  TVLgetsos(t.env, t.lp, &nz, types.data(), beg.data(), nullptr, nullptr, 0, &surplus, 0, count - 1);
  const int total = -surplus;
  std::vector<int> ind(static_cast<std::size_t>(std::max(total, 0)));
  std::vector<double> wt(ind.size());
  if (TVLgetsos(t.env, t.lp, &nz, types.data(), beg.data(), ind.data(), wt.data(), total, &surplus, 0, count - 1))
    return false;
  beg[types.size()] = nz;
  const auto names = nameList(t, count, TVLgetsosname);
  const char* fields[] = {"type", "ind", "wt", "name"};
  Value* sos = host.createStructMatrix(types.size(), 1, 4, fields);
  for (std::size_t k = 0; k < types.size(); ++k) {
    const char type[2] = {types[k], '\0'};
    std::vector<int> members(ind.begin() + beg[k], ind.begin() + beg[k + 1]);
    for (int& j : members) ++j;
    host.setFieldByNumber(sos, k, 0, host.createString(type));
    host.setFieldByNumber(sos, k, 1, int32Column(host, members.data(), members.size()));
    host.setFieldByNumber(sos, k, 2, doubleColumn(host, wt.data() + beg[k], members.size()));
    host.setFieldByNumber(sos, k, 3, host.createString(k < names.size() ? names[k].c_str() : ""));
  }
  (void)s;
  return model.put("sos", sos);
}

bool putCtype(Tavlo& t, const Sizes& s, StructBuilder& model) {
  std::vector<char> ctype(s.un() + 1, '\0');
  if (s.n > 0 && TVLgetctype(t.env, t.lp, ctype.data(), 0, s.n - 1) != 0) return false;
  return model.put("ctype", t.host().createString(ctype.data())) && putSos(t, s, model);
}

// A column of n coefficients from the library's (index, value) list.
Value* sparseColumn(Host& host, std::size_t n, const std::vector<int>& ind, const std::vector<double>& val) {
  return sparseFromTriples(host, n, 1, ind, std::vector<int>(ind.size(), 0), val);
}

bool putIndicators(Tavlo& t, const Sizes& s, StructBuilder& model) {
  Host& host = t.host();
  const int count = TVLgetnumindconstrs(t.env, t.lp);
  if (count <= 0) return true;
  const char* fields[] = {"name", "variable", "complemented", "a", "rhs", "sense"};
  Value* ind = host.createStructMatrix(static_cast<std::size_t>(count), 1, 6, fields);
  for (int k = 0; k < count; ++k) {
    int var = 0, comp = 0, nz = 0, surplus = 0;
    double rhs = 0;
    char sense[2] = {};
    TVLgetindconstr(t.env, t.lp, &var, &comp, &nz, &rhs, sense, nullptr, nullptr, 0, &surplus, k);
    std::vector<int> idx(static_cast<std::size_t>(std::max(-surplus, 0)));
    std::vector<double> val(idx.size());
    if (TVLgetindconstr(t.env, t.lp, &var, &comp, &nz, &rhs, sense, idx.data(), val.data(),
                        static_cast<int>(idx.size()), &surplus, k) != 0) {
      host.destroyArray(ind);
      return false;
    }
    const std::string name = textOf(t, [k](TVLCENVptr env, TVLCLPptr lp, char* buf, int space, int* sp) {
      return TVLgetindconstrname(env, lp, buf, space, sp, k);
    });
    const auto e = static_cast<std::size_t>(k);
    host.setFieldByNumber(ind, e, 0, host.createString(name.c_str()));
    host.setFieldByNumber(ind, e, 1, int32Scalar(host, var + 1));
    host.setFieldByNumber(ind, e, 2, int32Scalar(host, comp));
    host.setFieldByNumber(ind, e, 3, sparseColumn(host, s.un(), idx, val));
    host.setFieldByNumber(ind, e, 4, host.createDoubleScalar(rhs));
    host.setFieldByNumber(ind, e, 5, host.createString(sense));
  }
  return model.put("indicator", ind);
}

bool putQuadratic(Tavlo& t, const Sizes& s, StructBuilder& model) {
  const int nz = TVLgetnumqpnz(t.env, t.lp);
  if (nz <= 0 || s.n <= 0) return true;
  std::vector<int> beg(s.un() + 1), ind(static_cast<std::size_t>(nz));
  std::vector<double> val(ind.size());
  int count = 0, surplus = 0;
  if (TVLgetquad(t.env, t.lp, &count, beg.data(), ind.data(), val.data(), nz, &surplus, 0, s.n - 1) != 0) return false;
  beg.pop_back();
  return model.put("Q", matrixValue(t.host(), s.un(), s.un(), beg, ind, val));
}

bool putQuadraticConstraints(Tavlo& t, const Sizes& s, StructBuilder& model) {
  Host& host = t.host();
  const int count = TVLgetnumqconstrs(t.env, t.lp);
  if (count <= 0) return true;
  const char* fields[] = {"name", "a", "rhs", "sense", "Q"};
  Value* qc = host.createStructMatrix(static_cast<std::size_t>(count), 1, 5, fields);
  for (int k = 0; k < count; ++k) {
    int lnz = 0, qnz = 0, lsur = 0, qsur = 0;
    double rhs = 0;
    char sense[2] = {};
    TVLgetqconstr(t.env, t.lp, &lnz, &qnz, &rhs, sense, nullptr, nullptr, 0, &lsur, nullptr, nullptr, nullptr, 0,
                  &qsur, k);
    std::vector<int> lind(static_cast<std::size_t>(std::max(-lsur, 0))), qrow(static_cast<std::size_t>(std::max(-qsur, 0)));
    std::vector<int> qcol(qrow.size());
    std::vector<double> lval(lind.size()), qval(qrow.size());
    if (TVLgetqconstr(t.env, t.lp, &lnz, &qnz, &rhs, sense, lind.data(), lval.data(), static_cast<int>(lind.size()),
                      &lsur, qrow.data(), qcol.data(), qval.data(), static_cast<int>(qrow.size()), &qsur, k) != 0) {
      host.destroyArray(qc);
      return false;
    }
    const std::string name = textOf(t, [k](TVLCENVptr env, TVLCLPptr lp, char* buf, int space, int* sp) {
      return TVLgetqconstrname(env, lp, buf, space, sp, k);
    });
    const auto e = static_cast<std::size_t>(k);
    host.setFieldByNumber(qc, e, 0, host.createString(name.c_str()));
    host.setFieldByNumber(qc, e, 1, sparseColumn(host, s.un(), lind, lval));
    host.setFieldByNumber(qc, e, 2, host.createDoubleScalar(rhs));
    host.setFieldByNumber(qc, e, 3, host.createString(sense));
    host.setFieldByNumber(qc, e, 4, sparseFromTriples(host, s.un(), s.un(), qrow, qcol, qval));
  }
  return model.put("qc", qc);
}

}  // namespace

Value* modelFromProblem(Tavlo& t, int* status) {
  Host& host = t.host();
  const Sizes s{TVLgetnumcols(t.env, t.lp), TVLgetnumrows(t.env, t.lp)};
  std::vector<double> obj(s.un()), lb(s.un()), ub(s.un());
  if (s.n > 0 && (TVLgetobj(t.env, t.lp, obj.data(), 0, s.n - 1) || TVLgetlb(t.env, t.lp, lb.data(), 0, s.n - 1) ||
                  TVLgetub(t.env, t.lp, ub.data(), 0, s.n - 1))) {
    *status = TVLERR_NO_PROBLEM_EXISTS;
    return nullptr;
  }
  StructBuilder model(host);
  const int type = TVLgetprobtype(t.env, t.lp);
  bool ok = model.put("sense", host.createString(TVLgetobjsen(t.env, t.lp) == TVL_MIN ? "minimize" : "maximize")) &&
            model.put("obj", doubleColumn(host, obj.data(), s.un())) &&
            model.put("lb", boundColumn(host, lb.data(), s.un())) &&
            model.put("ub", boundColumn(host, ub.data(), s.un())) && model.put("A", constraintMatrix(t, s)) &&
            putRowBounds(t, s, model) && putNames(t, s, model);
  if (ok && (type == 1 || type == 3 || type == 7 || type == 8 || type == 11)) ok = putCtype(t, s, model);
  if (ok) ok = putIndicators(t, s, model);
  if (ok && (type == 5 || type == 7 || type == 8 || type == 10 || type == 11)) ok = putQuadratic(t, s, model);
  if (ok) ok = putQuadraticConstraints(t, s, model);
  *status = ok ? 0 : 1001;
  return ok ? model.release() : nullptr;
}

}  // namespace gateway
