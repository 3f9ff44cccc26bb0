// Model, basis, MIP-start and conflict files.  The formats are the
// library's (chosen from the file name; a conflict is written in the LP
// format); the gateway passes the name and brings the object's Model or
// Start in line with the problem afterwards.
#include "commands.h"
#include "gateway_object.h"
#include "model.h"
#include "values.h"

namespace gateway {

namespace {

// The single file name argument of a file command.
bool fileName(Host& host, int nargs, Value* const* args, char (&name)[256]) {
  return nargs == 1 && args[0] && host.getClassId(args[0]) == kCharClass && readText(host, args[0], name, sizeof name);
}

int readModelCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  char name[256];
  if (!fileName(t.host(), nargs, args, name)) return kWrongReadModel;
  if (int status = TVLreadcopyprob(t.env, t.lp, name, nullptr)) return status;
  int status = 0;
  Value* model = modelFromProblem(t, &status);
  if (!model) return status;
  if ((status = setField(t.host(), object, "Model", model, 0)) != 0) return status;
  // The problem now holds exactly the Model: nothing is left to push.
  t.dirty = DirtyFlags{};
  return 0;
}

// Commands that write the up-to-date problem (or a part of it, such as the
// conflict the refiner found) to a file.
template <int WrongArguments, auto Write>
int writeCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  char name[256];
  if (!fileName(t.host(), nargs, args, name)) return WrongArguments;
  if (int status = updateProblem(t, object)) return status;
  return Write(t.env, t.lp, name);
}

int writeProblem(TVLCENVptr env, TVLCLPptr lp, const char* name) { return TVLwriteprob(env, lp, name, nullptr); }

int writeMipStarts(TVLCENVptr env, TVLCLPptr lp, const char* name) {
  return TVLwritemipstarts(env, lp, name, 0, TVLgetnummipstarts(env, lp) - 1);
}

// Commands that read a start file (a basis, MIP starts) into the problem
// and show it in Start or MipStart.
template <int (*Read)(TVLENVptr, TVLLPptr, const char*)>
int readStartCommand(Tavlo& t, Value* object, const Value*, int nargs, Value* const* args, Value**) {
  char name[256];
  if (!fileName(t.host(), nargs, args, name)) return kBadArguments;
  if (int status = Read(t.env, t.lp, name)) return status;
  return setupStart(t, object);
}

}  // namespace

void registerFileCommands(CommandTable& table) {
  table.bind("readModel", readModelCommand);
  table.bind("writeModel", writeCommand<kWrongWriteModel, writeProblem>);
  table.bind("writeBasis", writeCommand<kWrongWriteParam, TVLmbasewrite>);
  table.bind("readBasis", readStartCommand<TVLreadcopybase>);
  table.bind("writeMipStart", writeCommand<kWrongWriteParam, writeMipStarts>);
  table.bind("readMipStart", readStartCommand<TVLreadcopymipstarts>);
  table.bind("writeConflict", writeCommand<kWrongWriteConflict, TVLclpwrite>);
}

}  // namespace gateway
