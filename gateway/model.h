// The host's Model and the library's problem.
//
// The problem is a cache of the solver object's Model: the class marks what
// it changed with the flag commands, and updateProblem() pushes exactly the
// marked parts into the problem before any command that needs it current.
// modelFromProblem() is the way back, used after a model file was read.
// The starting points (Start, MipStart) travel the same two ways.
#pragma once

#include "host.h"

namespace gateway {

class Tavlo;

// Brings the problem up to date with the marked parts of the object's Model
// (a full rebuild when the whole Model is marked).  On success every flag
// is cleared; on failure the flags stay as they were so that the next
// update redoes the work.
int updateProblem(Tavlo& t, Value* object);

// The Model structure of the present problem, or null with the status.
Value* modelFromProblem(Tavlo& t, int* status);

// Installs the object's Start (LP) or MipStart (MIP) into the problem.  `afterRebuild` is set
// when the install follows a full rebuild rather than an explicit request:
// a Start whose sizes no longer fit the rebuilt problem is then left out
// instead of failing the command.
int installStart(Tavlo& t, Value* object, bool afterRebuild);
// Replaces the object's Start with the problem's present solution and basis
// (fields the library cannot answer are left out; nothing when none can).
// For a MIP, MipStart is rebuilt from the problem's MIP starts instead.
int setupStart(Tavlo& t, Value* object);

// The MIP side of the two: the problem's MIP starts replaced by the
// object's MipStart (a start that no longer fits a rebuilt problem is left
// out after a rebuild), and MipStart rebuilt from the problem's starts
// (left as it is when the problem has none).
int installMipStarts(Tavlo& t, Value* object, bool afterRebuild);
int setupMipStarts(Tavlo& t, Value* object);

// The library's problem type codes the gateway distinguishes.
inline bool isContinuousType(int type) { return type == 0 || type == 5 || type == 10; }

}  // namespace gateway
