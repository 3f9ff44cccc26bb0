// The parameter tree: short names grouped into directories (mip, then
// tolerances, then mipgap), each leaf naming one library parameter.  The
// host-side class reads the tree once and maps a path such as
// Param.mip.tolerances.mipgap to the leaf's parameter name, with which it
// calls the parameter commands.
//
// The tree is a set of static lists fixed at build time.  A list is an
// array of entries ended by an entry of kind kEndOfList; an entry of kind
// kDirectory points to another list, one of kind kLeaf holds a ParamLeaf.
#pragma once

#include "host.h"

namespace gateway {

struct ParamLeaf {
  int number;        // library parameter number
  const char* name;  // library parameter name, e.g. "TVL_PARAM_EPGAP"
  const char* help;  // one line of description, optionally a blank line and one line per value
};

enum ParamEntryKind : int { kEndOfList = -1, kLeaf = 0, kDirectory = 1 };

struct ParamEntry {
  const char* shortName;
  int kind;
  const ParamEntry* directory;  // kDirectory: the list of the directory
  ParamLeaf leaf;               // kLeaf
};

// The root list (the directory Param).
const ParamEntry* paramRoot();

// A structure with one field Param holding the tree: a directory becomes a
// structure of its entries, a leaf a structure with Name and Help.  Null
// with status 1001 when a structure cannot be built.
Value* buildParamHierarchy(Host& host, int* status);

}  // namespace gateway
