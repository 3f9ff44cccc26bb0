// The conflict refiner: refineConflict explains why the Model is
// infeasible, refineMipStartConflict why one of its MIP starts is.  Both
// bring the problem up to date, drop the Solution (it no longer describes
// the problem's latest run) and store what the refiner found as the
// object's Conflict: its status and the rows and columns that take part,
// with 1-based indices and each member's code (TVL_CONFLICT_*).
#include <vector>

#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// Reads the conflict of the last refinement into a structure with the
// fields status, colind, colbdstat, rowind, rowbdstat.  An empty conflict
// (a feasible model: nothing to explain) is not stored, and a Conflict of
// an earlier refinement is removed, so that Conflict never describes
// another model than the one just refined.
int storeConflict(Tavlo& t, Value* object, int rows, int cols) {
  Host& host = t.host();
  // At least one entry each, so that the library always gets arrays.
  std::vector<int> rowind(static_cast<std::size_t>(rows) + 1), rowbdstat(rowind.size());
  std::vector<int> colind(static_cast<std::size_t>(cols) + 1), colbdstat(colind.size());
  int confstat = 0;
  if (int status = TVLgetconflict(t.env, t.lp, &confstat, rowind.data(), rowbdstat.data(), &rows, colind.data(),
                                  colbdstat.data(), &cols))
    return status;
  delField(host, object, "Conflict");
  if (rows <= 0 && cols <= 0) return 0;
  for (int i = 0; i < rows; ++i) ++rowind[static_cast<std::size_t>(i)];
  for (int j = 0; j < cols; ++j) ++colind[static_cast<std::size_t>(j)];
  const auto nr = static_cast<std::size_t>(rows > 0 ? rows : 0);
  const auto nc = static_cast<std::size_t>(cols > 0 ? cols : 0);
  StructBuilder s(host);
  if (!s.put("status", int32Scalar(host, confstat)) || !s.put("colind", int32Column(host, colind.data(), nc)) ||
      !s.put("colbdstat", int32Column(host, colbdstat.data(), nc)) ||
      !s.put("rowind", int32Column(host, rowind.data(), nr)) ||
      !s.put("rowbdstat", int32Column(host, rowbdstat.data(), nr)))
    return 1001;
  return setField(host, object, "Conflict", s.release(), 0);
}

// The steps both commands share around the refiner call `refine`, which
// reports the numbers of rows and columns in the conflict.  The terminate
// flag is armed as for solve: Ctrl-C stops the refinement, which then
// reports the conflict it has so far.
template <typename Refine>
int refine(Tavlo& t, Value* object, Refine run) {
  if (int status = updateProblem(t, object)) return status;
  if (int status = t.armTerminate()) return status;
  delField(t.host(), object, "Solution");
  int rows = 0, cols = 0;
  if (int status = run(&rows, &cols)) return status;
  return storeConflict(t, object, rows, cols);
}

int refineConflictCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const*, Value**) {
  if (nargs != 0) return kBadArguments;
  return refine(t, object, [&](int* rows, int* cols) { return TVLrefineconflict(t.env, t.lp, rows, cols); });
}

// refineMipStartConflict(k): k is the 1-based number of the MIP start
// (truncated toward zero), as MipStart(k) shows it.
int refineMipStartConflictCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  double k = 0;
  if (nargs != 1 || !readScalar(t.host(), args[0], &k) || !(k > -2147483647.0 && k < 2147483647.0))
    return kBadArguments;
  const int start = static_cast<int>(k) - 1;
  return refine(t, object, [&](int* rows, int* cols) {
    return TVLrefinemipstartconflict(t.env, t.lp, start, rows, cols);
  });
}

}  // namespace

void registerConflictCommands(CommandTable& table) {
  table.bind("refineConflict", refineConflictCommand);
  table.bind("refineMipStartConflict", refineMipStartConflictCommand);
}

}  // namespace gateway
