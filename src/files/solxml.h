// Solution, solution-pool and MIP-start documents (XML): the writers
// (solxml_write.cpp) and the readers (solxml_read.cpp).  Each returns 0 or
// a status for the boundary reporter.
#pragma once

#include "tavlo.h"

namespace tvl {

int solxml_write_solution(const tvlenv *env, const tvllp *lp, const char *filename);
int solxml_write_pool_solution(const tvlenv *env, const tvllp *lp, int soln, const char *filename);
// Every pool solution, as solutions or (as_starts) as MIP starts.
int solxml_write_pool(const tvlenv *env, const tvllp *lp, const char *filename, bool as_starts);
int solxml_write_starts(const tvlenv *env, const tvllp *lp, const char *filename, int begin, int end);

// Replaces the problem's MIP starts by those of the file (only_first: by
// the first of them).
int solxml_read_starts(tvlenv *env, tvllp *lp, const char *filename, bool only_first);
int solxml_read_solution(tvlenv *env, tvllp *lp, const char *filename);

}  // namespace tvl
