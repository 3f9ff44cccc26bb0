#include "commands.h"

namespace gateway {

namespace {

constexpr const char* kErrorMap[] = {
    "No Tavlo.Model found",
    "No Tavlo.Model.sense found",
    "No Tavlo.Model.lb found",
    "No Tavlo.Model.ub found",
    "No Tavlo.Model.obj found",
    "No Tavlo.Model.lhs found",
    "No Tavlo.Model.rhs found",
    "No Tavlo.Model.A found",
    "wrong parameters to Tavlo.writeModel",
    "wrong parameters to Tavlo.readModel",
    "wrong probtype",
    "No Tavlo.Start.basis.colstat or Tavlo.Start.basis.rowstat found",
    "No Tavlo.MipStart.x found",
    "length not equal",
    "unknow parameter",
    "wrong parameters to Tavlo.writeParam",
    "wrong parameters to Tavlo.writeConflict",
    "No Tavlo.Solution found",
    "No indicator slack found",
    "not_an_error",
};

CommandTable buildTable() {
  CommandTable table;
  registerFlagCommands(table);
  registerParamCommands(table);
  registerModelCommands(table);
  registerSolveCommands(table);
  registerFileCommands(table);
  registerCallbackCommands(table);
  registerConflictCommands(table);
  return table;
}

}  // namespace

const char* gatewayMessage(int status) {
  const int k = status - kNoModel;
  return k >= 0 && k < static_cast<int>(std::size(kErrorMap)) ? kErrorMap[k] : nullptr;
}

bool CommandTable::bind(std::string_view name, Command handler) {
  const int k = find(name);
  if (k < 0) return false;
  handlers_[static_cast<std::size_t>(k)] = handler;
  return true;
}

int CommandTable::find(std::string_view name) {
  for (std::size_t k = 0; k < kCommandNames.size(); ++k)
    if (name == kCommandNames[k]) return static_cast<int>(k);
  return -1;
}

const CommandTable& commandTable() {
  static const CommandTable table = buildTable();
  return table;
}

}  // namespace gateway
