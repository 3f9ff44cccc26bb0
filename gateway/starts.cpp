// Starting points between the solver object and the problem: Start (basis,
// primal and dual values of an LP) installed before an optimisation and
// refreshed after it, so that the next solve of a changed model starts from
// the last solution.
#include <optional>
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// One optional vector part of a Start element: absent, or of `length`.
int startPart(Host& host, const Value* v, int length, std::optional<std::vector<double>>& out) {
  if (!v) return 0;
  if (notVlenEqual(host, v, static_cast<std::size_t>(length)) != 0) return kLengthNotEqual;
  out = createmxVector(host, v);
  if (out) out->resize(static_cast<std::size_t>(length));
  return 0;
}

int basisPart(Host& host, const Value* basis, int n, int m, std::optional<std::vector<int>>& cstat,
              std::optional<std::vector<int>>& rstat) {
  if (!basis) return 0;
  Held colstat = getField(host, basis, "colstat", 0, true);
  Held rowstat = getField(host, basis, "rowstat", 0, true);
  if (!colstat || !rowstat) return kNoStartBasis;
  if (notVlenEqual(host, colstat.get(), static_cast<std::size_t>(n)) != 0 ||
      notVlenEqual(host, rowstat.get(), static_cast<std::size_t>(m)) != 0)
    return kLengthNotEqual;
  cstat = createmxVectori(host, colstat.get()).value_or(std::vector<int>());
  rstat = createmxVectori(host, rowstat.get()).value_or(std::vector<int>());
  return 0;
}

template <typename T>
const T* dataOf(const std::optional<std::vector<T>>& v) {
  return v && !v->empty() ? v->data() : nullptr;
}

int installElement(Tavlo& t, const Value* start, std::size_t e, int n, int m) {
  Host& host = t.host();
  auto part = [&](const char* name) { return getField(host, start, name, e, true).get(); };
  std::optional<std::vector<int>> cstat, rstat;
  std::optional<std::vector<double>> x, ax, dual;
  int status = basisPart(host, part("basis"), n, m, cstat, rstat);
  if (!status) status = startPart(host, part("x"), n, x);
  if (!status) status = startPart(host, part("Ax"), m, ax);
  if (!status) status = startPart(host, part("dual"), m, dual);
  if (status) return status;
  if (ax && m > 0) {
    // The library takes a row's value as its activity less its right-hand side.
    std::vector<double> rhs(static_cast<std::size_t>(m));
    if ((status = TVLgetrhs(t.env, t.lp, rhs.data(), 0, m - 1)) != 0) return status;
    for (std::size_t i = 0; i < rhs.size(); ++i) (*ax)[i] -= rhs[i];
  }
  if (!cstat && !x && !ax && !dual) return 0;
  return TVLcopystart(t.env, t.lp, dataOf(cstat), dataOf(rstat), dataOf(x), dataOf(ax), nullptr, dataOf(dual));
}

}  // namespace

int installStart(Tavlo& t, Value* object, bool afterRebuild) {
  Host& host = t.host();
  if (!isContinuousType(TVLgetprobtype(t.env, t.lp))) return installMipStarts(t, object, afterRebuild);
  Held start = getField(host, object, "Start", 0, false);
  if (!start || host.getClassId(start.get()) != kStructClass) return 0;
  const int n = TVLgetnumcols(t.env, t.lp), m = TVLgetnumrows(t.env, t.lp);
  for (std::size_t e = 0; e < host.getNumberOfElements(start.get()); ++e) {
    const int status = installElement(t, start.get(), e, n, m);
    // After a rebuild the Start may describe the model as it was before.
    if (status == kLengthNotEqual && afterRebuild) continue;
    if (status) return status;
  }
  return 0;
}

int setupStart(Tavlo& t, Value* object) {
  Host& host = t.host();
  if (!isContinuousType(TVLgetprobtype(t.env, t.lp))) return setupMipStarts(t, object);
  const int n = TVLgetnumcols(t.env, t.lp), m = TVLgetnumrows(t.env, t.lp);
  const auto un = static_cast<std::size_t>(n), um = static_cast<std::size_t>(m);
  std::vector<double> x(un), dual(um), ax(um), dj(un);
  std::vector<int> cstat(un), rstat(um);
  StructBuilder s(host);
  auto query = [](int count, auto get) { return count == 0 || get(0, count - 1) == 0; };
  if (query(n, [&](int b, int e) { return TVLgetx(t.env, t.lp, x.data(), b, e); }))
    s.put("x", doubleColumn(host, x.data(), un));
  if (query(m, [&](int b, int e) { return TVLgetpi(t.env, t.lp, dual.data(), b, e); }))
    s.put("dual", doubleColumn(host, dual.data(), um));
  if (query(m, [&](int b, int e) { return TVLgetax(t.env, t.lp, ax.data(), b, e); }))
    s.put("Ax", doubleColumn(host, ax.data(), um));
  if (query(n, [&](int b, int e) { return TVLgetdj(t.env, t.lp, dj.data(), b, e); }))
    s.put("reducedcost", doubleColumn(host, dj.data(), un));
  if (TVLgetbase(t.env, t.lp, cstat.data(), rstat.data()) == 0) {
    StructBuilder basis(host);
    basis.put("colstat", int32Column(host, cstat.data(), un));
    basis.put("rowstat", int32Column(host, rstat.data(), um));
    s.put("basis", basis.release());
  }
  if (s.empty()) return 0;
  return setField(host, object, "Start", s.release(), 0);
}

}  // namespace gateway
