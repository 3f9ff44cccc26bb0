// Internal layout of a problem object.  The LP data block is owned by the
// problem module; the attachable parts (model extras, basis, solution,
// factor, presolved model, MIP state, pool) are owned by the modules named
// beside them, each reached through one pointer so that they attach without
// reshaping the record.  Modules that own a part provide clone/free and
// row/column deletion hooks that the problem module calls.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tvl {
struct LpData;         // columns, rows, matrix, names (problem module)
struct ChangeCache;    // pending added rows/columns and coefficient batch
struct MipData;        // column types
struct ModelParts;     // SOS, quadratic objective, quadratic and indicator constraints
struct BasisData;      // stored basis (statuses per column and row)
struct SolutionRecord; // last optimizer outcome (status, x, pi, slacks, dj, ...)
struct FactorData;     // basis factor of the last optimization
struct PresolveData;   // presolved model and its postsolve stack
struct MipState;       // MIP search data and incumbents
struct SolnPool;       // solution pool
}  // namespace tvl

struct tvllp {
  tvllp *tag;                   // refers to itself while valid
  tvlenv *env;                  // root environment it was created in
  int32_t type;                 // problem type code
  char *name;
  tvl::LpData *lp;              // always present for a valid problem
  tvl::ChangeCache *cache;
  tvl::MipData *mip;
  tvl::ModelParts *parts;
  tvl::BasisData *basis;
  tvl::SolutionRecord *soln;
  tvl::FactorData *factor;
  tvl::PresolveData *presolve;
  tvl::MipState *mipstate;
  tvl::SolnPool *pool;
  tvllp *inner;                 // fixed types: the fixed continuous model
};
