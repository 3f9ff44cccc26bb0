// Pushing the host's Model into the problem: the full rebuild and the
// incremental updates of objective, bounds, row bounds and names.
#include <cstdio>
#include <cstring>
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// The Model and its always-present parts, borrowed from the fetched Model.
struct ModelView {
  Held model;
  const Value* A = nullptr;
  int m = 0, n = 0;

  const Value* field(Host& host, const char* name, std::size_t index = 0) const {
    return getField(host, model.get(), name, index, true).get();
  }
};

int missingField(Tavlo& t, const char* part, std::size_t element, const char* name) {
  char text[160];
  std::snprintf(text, sizeof text, "Tavlo.Model.%s(%zu) has no field '%s'.\n", part, element + 1, name);
  return reportFailure(t, TVLERR_NULL_POINTER_FOR_REQUIRED_DATA, text);
}

// A vector of exactly `length` values, clamped to the library's infinity.
int clampedVector(Host& host, const Value* v, int length, int missingStatus, std::vector<double>& out) {
  if (!v) return length == 0 ? (out.clear(), 0) : missingStatus;
  if (notVlenEqual(host, v, static_cast<std::size_t>(length)) != 0) return kLengthNotEqual;
  out = createmxVector(host, v).value_or(std::vector<double>());
  out.resize(static_cast<std::size_t>(length), 0.0);
  for (double& x : out) x = clampInf(x);
  return 0;
}

std::vector<int> firstIndices(int count) {
  std::vector<int> idx(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) idx[static_cast<std::size_t>(i)] = i;
  return idx;
}

// Names from a char matrix of exactly `count` rows; false when the field
// holds no char matrix.  A matrix of another row count is a length error.
int readNames(Host& host, const Value* v, int count, NameList& names, bool* present) {
  *present = names.parse(host, v);
  if (*present && names.size() != static_cast<std::size_t>(count)) return kLengthNotEqual;
  return 0;
}

int rebuildColumns(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  if (mv.n == 0) return 0;
  NameList colnames;
  bool named = false;
  if (int status = readNames(host, mv.field(host, "colname"), mv.n, colnames, &named)) return status;
  // All columns in one call: the same problem as one call per column, with
  // one pass over the library's storage.
  SparseColumns cols = matrixColumns(host, mv.A);
  return TVLaddcols(t.env, t.lp, mv.n, static_cast<int>(cols.ind.size()), nullptr, cols.beg.data(),
                    cols.ind.data(), cols.val.data(), nullptr, nullptr, named ? colnames.names() : nullptr);
}

int rebuildCtype(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  const Value* ctype = mv.field(host, "ctype");
  if (!ctype || host.isEmpty(ctype)) return 0;
  std::vector<char> text(static_cast<std::size_t>(mv.n) + 1, '\0');
  if (!readText(host, ctype, text.data(), text.size())) return 0;  // does not fit: not installed
  return TVLcopyctype(t.env, t.lp, text.data());
}

// The first character of a text field, 0 when there is none.
char firstChar(Host& host, const Value* v) {
  char text[256] = {};
  return readText(host, v, text, sizeof text) ? text[0] : '\0';
}

int rebuildIndicators(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  const Value* ind = mv.field(host, "indicator");
  if (!ind || host.isEmpty(ind)) return 0;
  std::vector<int> idx;
  std::vector<double> val;
  for (std::size_t e = 0; e < host.getNumberOfElements(ind); ++e) {
    auto part = [&](const char* name) { return getField(host, ind, name, e, true).get(); };
    char name[256] = {};
    const bool named = readText(host, part("name"), name, sizeof name);
    double variable = 0, complemented = 0, rhs = 0;
    for (const char* f : {"variable", "complemented", "sense", "rhs", "a"})
      if (!part(f)) return missingField(t, "indicator", e, f);
    readScalar(host, part("variable"), &variable);
    readScalar(host, part("complemented"), &complemented);
    readScalar(host, part("rhs"), &rhs);
    const Value* a = part("a");
    if (host.getM(a) == 0) continue;
    vectorNonzeros(host, a, idx, val);
    const int status = TVLEaddindconstr(t.env, t.lp, static_cast<int>(variable) - 1, static_cast<int>(complemented),
                                        static_cast<int>(idx.size()), clampInf(rhs), firstChar(host, part("sense")),
                                        idx.data(), val.data(), named ? name : nullptr);
    if (status) return status;
  }
  return 0;
}

int rebuildSos(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  const Value* sos = mv.field(host, "sos");
  if (!sos || host.isEmpty(sos)) return 0;
  const std::size_t count = host.getNumberOfElements(sos);
  std::vector<char> types(count, '1');
  std::vector<int> beg, members;
  std::vector<double> weights;
  for (std::size_t e = 0; e < count; ++e) {
    beg.push_back(static_cast<int>(members.size()));
    const Value* type = getField(host, sos, "type", e, true).get();
    const Value* ind = getField(host, sos, "ind", e, true).get();
    const Value* wt = getField(host, sos, "wt", e, true).get();
    if (type) types[e] = firstChar(host, type);
    if (!type || !ind || !wt) continue;
    const auto i = createmxVectori(host, ind).value_or(std::vector<int>());
    const auto w = createmxVector(host, wt).value_or(std::vector<double>());
    if (w.size() != i.size()) return kLengthNotEqual;
    for (int k : i) members.push_back(k - 1);
    weights.insert(weights.end(), w.begin(), w.end());
  }
  return TVLcopysos(t.env, t.lp, static_cast<int>(count), static_cast<int>(members.size()), types.data(), beg.data(),
                    members.data(), weights.data(), nullptr);
}

int rebuildQuadratic(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  const Value* q = mv.field(host, "Q");
  if (!q || host.isEmpty(q)) return 0;
  if (host.getM(q) != host.getN(q) || mv.n == 1) {
    std::vector<double> diagonal = createmxVector(host, q).value_or(std::vector<double>());
    if (diagonal.size() != static_cast<std::size_t>(mv.n)) return kLengthNotEqual;
    return TVLcopyqpsep(t.env, t.lp, diagonal.data());
  }
  if (host.getN(q) != static_cast<std::size_t>(mv.n)) return kLengthNotEqual;
  SparseColumns cols = matrixColumns(host, q);
  std::vector<int> cnt(static_cast<std::size_t>(mv.n));
  for (std::size_t j = 0; j < cnt.size(); ++j) cnt[j] = cols.count(j);
  return TVLcopyquad(t.env, t.lp, cols.beg.data(), cnt.data(), cols.ind.data(), cols.val.data());
}

int rebuildQuadraticConstraints(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  const Value* qc = mv.field(host, "qc");
  if (!qc || host.isEmpty(qc)) return 0;
  std::vector<int> lind, qrow, qcol;
  std::vector<double> lval;
  for (std::size_t e = 0; e < host.getNumberOfElements(qc); ++e) {
    auto part = [&](const char* name) { return getField(host, qc, name, e, true).get(); };
    for (const char* f : {"sense", "rhs", "a", "Q"})
      if (!part(f)) return missingField(t, "qc", e, f);
    double rhs = 0;
    readScalar(host, part("rhs"), &rhs);
    vectorNonzeros(host, part("a"), lind, lval);
    SparseColumns quad = matrixColumns(host, part("Q"));
    qrow = quad.ind;
    qcol.clear();
    for (std::size_t j = 0; j + 1 < quad.beg.size(); ++j) qcol.insert(qcol.end(), quad.count(j), static_cast<int>(j));
    const int status = TVLaddqconstr(t.env, t.lp, static_cast<int>(lind.size()), static_cast<int>(qrow.size()),
                                     clampInf(rhs), firstChar(host, part("sense")), lind.data(), lval.data(),
                                     qrow.data(), qcol.data(), quad.val.data(), nullptr);
    if (status) return status;
  }
  return 0;
}

int rebuild(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  char name[256] = "";
  if (const Value* v = mv.field(host, "name"); v && !readText(host, v, name, sizeof name))
    std::strcpy(name, "TAVLO");
  if (int status = t.clear(name)) return status;
  NameList rownames;
  bool named = false;
  if (int status = readNames(host, mv.field(host, "rowname"), mv.m, rownames, &named)) return status;
  if (mv.m > 0) {
    if (int status = TVLnewrows(t.env, t.lp, mv.m, nullptr, nullptr, nullptr, named ? rownames.names() : nullptr))
      return status;
  }
  for (auto step : {rebuildColumns, rebuildCtype, rebuildIndicators, rebuildSos, rebuildQuadratic,
                    rebuildQuadraticConstraints})
    if (int status = step(t, mv)) return status;
  return 0;
}

int updateObjective(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  char sense[256] = {};
  if (!readText(host, mv.field(host, "sense"), sense, sizeof sense)) return kNoModelSense;
  const int objsen = std::strcmp(sense, "minimize") == 0 ? TVL_MIN : std::strcmp(sense, "maximize") == 0 ? TVL_MAX : 0;
  if (objsen == 0) return kNoModelSense;
  std::vector<double> obj;
  if (int status = clampedVector(host, mv.field(host, "obj"), mv.n, kNoModelObj, obj)) return status;
  if (int status = TVLchgobjsen(t.env, t.lp, objsen)) return status;
  const std::vector<int> idx = firstIndices(mv.n);
  return mv.n ? TVLchgobj(t.env, t.lp, mv.n, idx.data(), obj.data()) : 0;
}

int updateBounds(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  std::vector<double> lb, ub;
  if (int status = clampedVector(host, mv.field(host, "lb"), mv.n, kNoModelLb, lb)) return status;
  if (int status = clampedVector(host, mv.field(host, "ub"), mv.n, kNoModelUb, ub)) return status;
  if (mv.n == 0) return 0;
  const std::vector<int> idx = firstIndices(mv.n);
  const std::vector<char> lower(static_cast<std::size_t>(mv.n), 'L'), upper(static_cast<std::size_t>(mv.n), 'U');
  int status = TVLchgbds(t.env, t.lp, mv.n, idx.data(), lower.data(), lb.data());
  if (status == 0) status = TVLchgbds(t.env, t.lp, mv.n, idx.data(), upper.data(), ub.data());
  return status;
}

int updateRowBounds(Tavlo& t, const ModelView& mv) {
  Host& host = t.host();
  std::vector<double> lhs, rhs;
  if (int status = clampedVector(host, mv.field(host, "lhs"), mv.m, kNoModelLhs, lhs)) return status;
  if (int status = clampedVector(host, mv.field(host, "rhs"), mv.m, kNoModelRhs, rhs)) return status;
  if (mv.m == 0) return 0;
  std::vector<char> sense(static_cast<std::size_t>(mv.m));
  std::vector<double> b(sense.size());
  std::vector<int> rangeRows;
  std::vector<double> ranges;
  for (std::size_t i = 0; i < sense.size(); ++i) {
    const double l = lhs[i], u = rhs[i];
    if (l == u) {
      sense[i] = 'E', b[i] = u;
    } else if (l <= -TVL_INFBOUND) {
      sense[i] = 'L', b[i] = u;
    } else if (u >= TVL_INFBOUND) {
      sense[i] = 'G', b[i] = l;
    } else {
      sense[i] = 'R', b[i] = l;
      rangeRows.push_back(static_cast<int>(i));
      ranges.push_back(u - l);
    }
  }
  const std::vector<int> idx = firstIndices(mv.m);
  int status = TVLchgrhs(t.env, t.lp, mv.m, idx.data(), b.data());
  if (status == 0) status = TVLchgsense(t.env, t.lp, mv.m, idx.data(), sense.data());
  if (status == 0 && !rangeRows.empty())
    status = TVLchgrngval(t.env, t.lp, static_cast<int>(rangeRows.size()), rangeRows.data(), ranges.data());
  return status;
}

// Renames the entries that have a name; the others keep their present one.
template <typename Change>
int updateNames(Tavlo& t, const Value* v, int count, Change change) {
  NameList names;
  bool present = false;
  if (int status = readNames(t.host(), v, count, names, &present); status || !present) return status;
  std::vector<int> idx;
  std::vector<char*> given;
  for (int i = 0; i < count; ++i)
    if (char* s = names[static_cast<std::size_t>(i)]) idx.push_back(i), given.push_back(s);
  return idx.empty() ? 0 : change(t.env, t.lp, static_cast<int>(idx.size()), idx.data(), given.data());
}

// Renames element i of a structure array with a `name` field, for the
// elements the problem has.
template <typename Change>
int updateElementNames(Tavlo& t, const Value* s, int present, Change change) {
  Host& host = t.host();
  if (!s || present <= 0) return 0;
  const int count = std::min(present, static_cast<int>(host.getNumberOfElements(s)));
  for (int i = 0; i < count; ++i) {
    char name[256];
    if (!readText(host, getField(host, s, "name", static_cast<std::size_t>(i), true).get(), name, sizeof name))
      continue;
    char* names[1] = {name};
    if (int status = change(t.env, t.lp, 1, &i, names)) return status;
  }
  return 0;
}

int updateTexts(Tavlo& t, const ModelView& mv, const DirtyFlags& d) {
  Host& host = t.host();
  char text[256];
  int status = 0;
  if (d.rowName) status = updateNames(t, mv.field(host, "rowname"), mv.m, TVLchgrowname);
  if (!status && d.colName) status = updateNames(t, mv.field(host, "colname"), mv.n, TVLchgcolname);
  if (!status && d.objName && readText(host, mv.field(host, "objname"), text, sizeof text))
    status = TVLcopyobjname(t.env, t.lp, text);
  if (!status && d.name && readText(host, mv.field(host, "name"), text, sizeof text))
    status = TVLchgprobname(t.env, t.lp, text);
  if (!status && d.sosName)
    status = updateElementNames(t, mv.field(host, "sos"), TVLgetnumsos(t.env, t.lp), TVLEchgsosname);
  if (!status && d.qcName)
    status = updateElementNames(t, mv.field(host, "qc"), TVLgetnumqconstrs(t.env, t.lp), TVLEchgqcname);
  return status;
}

int checkConsistency(Tavlo& t, Value* object) {
  int datacheck = 0;
  if (TVLgetintparam(t.env, TVL_PARAM_DATACHECK, &datacheck) != 0 || datacheck != 1) return 0;
  Host& host = t.host();
  Value* in[1] = {object};
  Value* out[1] = {nullptr};
  if (int status = host.callFunction(1, out, 1, in, "isConsistent")) return status;
  Held answer(host, out[0], true);
  double ok = 0;
  return readScalar(host, answer.get(), &ok) && ok != 0 ? 0 : kNoModel;
}

}  // namespace

int updateProblem(Tavlo& t, Value* object) {
  Host& host = t.host();
  if (int status = checkConsistency(t, object)) return status;
  ModelView mv;
  mv.model = getField(host, object, "Model", 0, false);
  if (!mv.model) return kNoModel;
  mv.A = mv.field(host, "A");
  if (!mv.A) return kNoModelA;
  mv.m = static_cast<int>(host.getM(mv.A));
  mv.n = static_cast<int>(host.getN(mv.A));

  DirtyFlags d = t.dirty;
  if (d.model) {
    if (int status = rebuild(t, mv)) return status;
    d.obj = d.rhs = d.bds = d.name = d.objName = d.sosName = d.qcName = d.start = true;
    d.rowName = d.colName = false;
  }
  int status = 0;
  if (d.obj) status = updateObjective(t, mv);
  if (!status && d.bds) status = updateBounds(t, mv);
  if (!status && d.rhs) status = updateRowBounds(t, mv);
  if (!status) status = updateTexts(t, mv, d);
  if (!status && d.start) status = installStart(t, object, t.dirty.model && !t.dirty.start);
  if (status == 0) t.dirty = DirtyFlags{};
  return status;
}

}  // namespace gateway
