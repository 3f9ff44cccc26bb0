// Rows and columns added or deleted by the class: applied to the problem
// directly while it is a plain LP that is up to date, so that its basis
// survives; otherwise the next update rebuilds it from the Model, which the
// class has already changed.
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// Brings the problem up to date and tells whether the change can be
// applied to it directly: false when the problem is not a plain LP (it is
// then marked for a rebuild) or a rebuild is pending anyway.
bool appliesDirectly(Tavlo& t, Value* object) {
  updateProblem(t, object);  // a failure leaves the flags; the checks below decide
  if (TVLgetprobtype(t.env, t.lp) != 0) {
    t.dirty.mark(DirtyPart::kModel);
    return false;
  }
  return !t.dirty.model;
}

// Row kinds of new rows from their lower and upper values (no clamping:
// the library takes infinite right-hand sides as they are).
struct RowBounds {
  std::vector<double> rhs, range;
  std::vector<char> sense;
};

RowBounds rowBounds(const std::vector<double>& lhs, const std::vector<double>& rhs) {
  RowBounds r;
  for (std::size_t i = 0; i < lhs.size(); ++i) {
    const double l = lhs[i], u = rhs[i];
    char s = 'R';
    if (l == u) s = 'E';
    else if (l <= -TVL_INFBOUND) s = 'L';
    else if (u >= TVL_INFBOUND) s = 'G';
    r.sense.push_back(s);
    r.rhs.push_back(s == 'E' || s == 'L' ? u : l);
    r.range.push_back(s == 'R' ? u - l : 0.0);
  }
  return r;
}

int setRanges(Tavlo& t, const RowBounds& r, int first) {
  for (std::size_t i = 0; i < r.sense.size(); ++i) {
    if (r.sense[i] != 'R') continue;
    const int row = first + static_cast<int>(i);
    if (int status = TVLchgrngval(t.env, t.lp, 1, &row, &r.range[i])) return status;
  }
  return 0;
}

// addRows(lhs, block, rhs [, rowname]): the block holds one column per new
// row (n-by-r).
int addRowsCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  if (nargs < 3) return kBadArguments;
  if (!appliesDirectly(t, object)) return 0;
  Host& host = t.host();
  NameList names;
  const bool named = nargs >= 4 && names.parse(host, args[3]);
  const std::size_t r = vectorLength(host, args[0]);
  if (notVlenEqual(host, args[0], r) || notVlenEqual(host, args[2], r) || (named && names.size() != r))
    return kLengthNotEqual;
  const RowBounds rb = rowBounds(createmxVector(host, args[0]).value_or(std::vector<double>()),
                                 createmxVector(host, args[2]).value_or(std::vector<double>()));
  const int first = TVLgetnumrows(t.env, t.lp);
  const int count = static_cast<int>(r);
  const Value* block = args[1];
  char** rowNames = named ? names.names() : nullptr;
  if (!block || host.isEmpty(block)) {
    if (int status = TVLaddrows(t.env, t.lp, 0, count, 0, rb.rhs.data(), rb.sense.data(), nullptr, nullptr, nullptr,
                                nullptr, rowNames))
      return status;
  } else {
    if (host.getN(block) != r) return kLengthNotEqual;
    const SparseColumns rows = matrixColumns(host, block);
    if (int status = TVLaddrows(t.env, t.lp, 0, count, static_cast<int>(rows.ind.size()), rb.rhs.data(),
                                rb.sense.data(), rows.beg.data(), rows.ind.data(), rows.val.data(), nullptr, rowNames))
      return status;
  }
  return setRanges(t, rb, first);
}

std::vector<double> clamped(Host& host, const Value* v) {
  std::vector<double> x = createmxVector(host, v).value_or(std::vector<double>());
  for (double& value : x) value = clampInf(value);
  return x;
}

// addCols(obj, block, lb, ub [, ctype [, colname]]): the block is m-by-k.
int addColsCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  if (nargs < 4) return kBadArguments;
  if (!appliesDirectly(t, object)) return 0;
  Host& host = t.host();
  if (nargs >= 5 && args[4] && host.isChar(args[4])) {
    t.dirty.mark(DirtyPart::kModel);  // new column types: the problem becomes a MIP
    return 0;
  }
  NameList names;
  const bool named = nargs == 6 && names.parse(host, args[5]);
  const std::size_t k = vectorLength(host, args[0]);
  for (int a : {0, 2, 3})
    if (notVlenEqual(host, args[a], k)) return kLengthNotEqual;
  if (named && names.size() != k) return kLengthNotEqual;
  const std::vector<double> obj = clamped(host, args[0]), lb = clamped(host, args[2]), ub = clamped(host, args[3]);
  const Value* block = args[1];
  SparseColumns cols;
  if (block && !host.isEmpty(block)) {
    if (host.getN(block) != k) return kLengthNotEqual;
    cols = matrixColumns(host, block);
  }
  return TVLaddcols(t.env, t.lp, static_cast<int>(k), static_cast<int>(cols.ind.size()), obj.data(),
                    cols.beg.empty() ? nullptr : cols.beg.data(), cols.ind.data(), cols.val.data(), lb.data(), ub.data(),
                    named ? names.names() : nullptr);
}

// delRows / delCols (int32 list of sorted 0-based indices): a run of
// consecutive indices is deleted as a range, any other list through a mark
// array over the present rows or columns.
template <bool Columns>
int deleteCommand(Tavlo& t, Value*, const Value*, int nargs, Value* const* args, Value**) {
  if (nargs < 1) return kBadArguments;
  if (Columns && TVLgetprobtype(t.env, t.lp) != 0) t.dirty.mark(DirtyPart::kModel);
  const std::vector<int> idx = createmxVectori(t.host(), args[0]).value_or(std::vector<int>());
  if (t.dirty.model || idx.empty()) return 0;
  const int count = static_cast<int>(idx.size());
  if (isRange(count, idx.data()))
    return Columns ? TVLdelcols(t.env, t.lp, idx[0], idx[0] + count - 1)
                   : TVLdelrows(t.env, t.lp, idx[0], idx[0] + count - 1);
  const int present = Columns ? TVLgetnumcols(t.env, t.lp) : TVLgetnumrows(t.env, t.lp);
  std::vector<int> mark(static_cast<std::size_t>(present), 0);
  for (int i : idx)
    if (i >= 0 && i < present) mark[static_cast<std::size_t>(i)] = 1;
  return Columns ? TVLdelsetcols(t.env, t.lp, mark.data()) : TVLdelsetrows(t.env, t.lp, mark.data());
}

}  // namespace

void registerModelCommands(CommandTable& table) {
  table.bind("addRows", addRowsCommand);
  table.bind("addCols", addColsCommand);
  table.bind("delRows", deleteCommand<false>);
  table.bind("delCols", deleteCommand<true>);
}

}  // namespace gateway
