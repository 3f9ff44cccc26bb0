// The audit file named by ZEB_QARN_TAVLO_AUDIT_FILE: one line when an
// environment opens and one when it closes, each appended by opening the
// file, writing and closing it again.
#pragma once

#include "frame/env.h"

namespace tvl {

// Writes the blank line and the "started"/"ended" line.  On an unopenable
// file prints message 1422 on the error channel and returns 1422.
int audit_session_line(tvlenv *env, bool opening);

}  // namespace tvl
