// The command table of `tavlolink`: the 44 command names the solver class
// sends, in their fixed order, each bound to a handler.
//
// Adding commands
// ---------------
// The handlers of a group of commands live in their own source file, which
// offers one registration function, for example
//
//     void registerSolveCommands(CommandTable& table) {
//       table.bind("solve", solveCommand);
//       table.bind("populate", populateCommand);
//     }
//
// and adds a call of it to registerAllCommands() (commands.cpp).  A handler
// has the signature of `Command`: the gateway object, the solver object
// (writable, and the same object again read-only), the number of arguments
// and the arguments of the host's argument cell in order (an element may be
// null, see addCols), and `result`, null on entry, where the handler may
// store the command's second output.  It returns 0 on success, a library
// status code (its text is the last line of the error channel), 1001 (out
// of memory), or a gateway code of GatewayStatus.  A handler never raises a
// host error itself: the dispatcher turns the status into at most one error
// at the end of the command.
//
// A name of the table no file has bound answers "TAVLO function '<name>'
// is not implemented yet." (status kNotImplemented), never a silent
// success.
#pragma once

#include <array>
#include <string_view>

#include "host.h"

namespace gateway {

class Tavlo;

using Command = int (*)(Tavlo& tavlo, Value* object, const Value* objectIn, int nargs, Value* const* args,
                        Value** result);

// The gateway's own status codes and their texts.
enum GatewayStatus : int {
  kNoModel = 10000,
  kNoModelSense = 10001,
  kNoModelLb = 10002,
  kNoModelUb = 10003,
  kNoModelObj = 10004,
  kNoModelLhs = 10005,
  kNoModelRhs = 10006,
  kNoModelA = 10007,
  kWrongWriteModel = 10008,
  kWrongReadModel = 10009,
  kWrongProbType = 10010,
  kNoStartBasis = 10011,
  kNoMipStartX = 10012,
  kLengthNotEqual = 10013,
  kUnknownParameter = 10014,
  kWrongWriteParam = 10015,
  kWrongWriteConflict = 10016,
  kNoSolution = 10017,
  kNoIndicatorSlack = 10018,
  kNotAnError = 10019,
  // Not a code of the error map: the command exists in the table but no
  // handler has been built for it yet.
  kNotImplemented = 10100,
  // Not a code of the error map: the arguments do not fit the command
  // ("Wrong arguments to TAVLO function '<name>'.").
  kBadArguments = 10101,
};

// The text of a gateway code 10000-10019, or null.
const char* gatewayMessage(int status);

inline constexpr std::array<const char*, 44> kCommandNames = {
    "readModel",      "writeModel",       "readParam",      "writeParam",
    "writeConflict",  "solve",            "addRows",        "addCols",
    "delRows",        "delCols",          "addSOSs",        "addQCs",
    "addIndicators",  "refineConflict",   "refineMipStartConflict",
    "populate",       "feasOpt",          "tuneParam",      "getProbType",
    "setDefault",     "writeMipStart",    "readMipStart",   "writeBasis",
    "readBasis",      "terminate",        "getCallbackX",   "changeObj",
    "changeRhs",      "changeBds",        "changePrm",      "change",
    "changeColName",  "changeRowName",    "changeObjName",  "changeQCName",
    "changeSOSName",  "changeName",       "installStart",   "getParam",
    "getParamType",   "getParamNumber",   "getQuality",     "getQualityOfPool",
    "getQualityHierarchy"};

class CommandTable {
 public:
  // Binds `name`, which must be a name of the table (otherwise false).
  bool bind(std::string_view name, Command handler);
  // Position of `name` in the table (exact, case-sensitive), or -1.
  static int find(std::string_view name);
  // The handler at a position; null when none is bound.
  Command handler(int index) const { return handlers_[static_cast<std::size_t>(index)]; }

 private:
  std::array<Command, kCommandNames.size()> handlers_{};
};

// The table with every handler group registered (built once).
const CommandTable& commandTable();

// Registration functions of the handler groups.
void registerFlagCommands(CommandTable& table);
void registerParamCommands(CommandTable& table);
void registerModelCommands(CommandTable& table);
void registerSolveCommands(CommandTable& table);
void registerFileCommands(CommandTable& table);
void registerCallbackCommands(CommandTable& table);
void registerConflictCommands(CommandTable& table);

}  // namespace gateway
