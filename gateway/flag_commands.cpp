// Commands that only record what the host changed: each sets one dirty
// flag and succeeds; the problem is brought up to date lazily by the next
// command that needs it.  Also `terminate`, which asks a running
// optimisation to stop.
#include "commands.h"
#include "gateway_object.h"

namespace gateway {

namespace {

template <DirtyPart Part>
int markDirty(Tavlo& t, Value*, const Value*, int, Value* const*, Value**) {
  t.dirty.mark(Part);
  return 0;
}

int terminateCommand(Tavlo& t, Value*, const Value*, int, Value* const*, Value**) {
  t.terminate = 1;
  return 0;
}

}  // namespace

void registerFlagCommands(CommandTable& table) {
  table.bind("changeObj", markDirty<DirtyPart::kObj>);
  table.bind("changeRhs", markDirty<DirtyPart::kRhs>);
  table.bind("changeBds", markDirty<DirtyPart::kBds>);
  table.bind("change", markDirty<DirtyPart::kModel>);
  table.bind("addSOSs", markDirty<DirtyPart::kModel>);
  table.bind("addQCs", markDirty<DirtyPart::kModel>);
  table.bind("addIndicators", markDirty<DirtyPart::kModel>);
  table.bind("changeColName", markDirty<DirtyPart::kColName>);
  table.bind("changeRowName", markDirty<DirtyPart::kRowName>);
  table.bind("changeObjName", markDirty<DirtyPart::kObjName>);
  table.bind("changeQCName", markDirty<DirtyPart::kQCName>);
  table.bind("changeSOSName", markDirty<DirtyPart::kSOSName>);
  table.bind("changeName", markDirty<DirtyPart::kName>);
  table.bind("installStart", markDirty<DirtyPart::kStart>);
  table.bind("terminate", terminateCommand);
}

}  // namespace gateway
