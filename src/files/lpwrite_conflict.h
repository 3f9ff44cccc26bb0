// The conflict variant of the LP writer: a gathered model cut down to the
// last conflict of its problem (frame/conflict_record.h).
//
// What is written: the conflict's rows (members and possible members);
// every column's bounds as the conflict has them (a bound that is not part
// of the conflict is infinite, except where a MIP start's conflict keeps
// a column's own bound); column types, special ordered sets and indicator
// constraints as in the model; a zero objective; no user cuts or lazy
// constraints; after the rows, the sum of the conflict's equality rows as
// a comment.  Columns that take part in nothing that is written (no row,
// no finite bound, no set or indicator) are left out.
#pragma once

#include "files/lpfiledata.h"
#include "frame/conflict_record.h"

namespace tvl {

void lp_conflict_subset(LpFileModel &m, const ConflictRecord &rec);

}  // namespace tvl
