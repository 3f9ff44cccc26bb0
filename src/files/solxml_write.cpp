// Writers of solution, solution-pool and MIP-start documents.
//
// A single-solution document is a TAVLOSolution root holding header,
// quality, linearConstraints, quadraticConstraints, indicatorConstraints
// and variables; several solutions or MIP starts sit under a TAVLOSolutions
// root.  What each kind shows:
//   header   problemName, solutionName, solutionIndex, objectiveValue,
//            solutionTypeValue/String, solutionStatusValue/String,
//            solutionMethodString, primalFeasible, dualFeasible, then
//            simplexIterations (continuous solutions of a simplex method),
//            barrierIterations (barrier solutions), MIPIterations (MIP
//            solutions), writeLevel.  The current solution is named
//            "incumbent" with index -1; a pool solution carries its pool
//            name and position.
//   quality  MIP solutions: epInt, epRHS, maxIntInfeas, maxPrimalInfeas,
//            maxX, maxSlack (plus maxQCSlackInfeas, maxQCSlack with
//            quadratic constraints), computed from the solution's values.
//            Continuous solutions: epRHS, epOpt and the quality measures of
//            the solution record that it can answer (primal measures with
//            primal values, dual measures with dual values, kappa when a
//            condition estimate exists).
//   rows     name, index, status (with a basis), slack, dual (with duals);
//   columns  name, index, status (with a basis), value, reducedCost (with
//            duals).  Quadratic and indicator constraints: name, index, slack.
// Write levels (TVL_PARAM_WRITELEVEL, 0 meaning 1 for solutions and 2 for
// MIP starts): 1 every row and column; 2 only the non-continuous columns
// and no row sections; 3 like 1 but without the items whose values are all
// zero; 4 like 2 without the zero values.
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "files/solxml.h"
#include "files/xmlout.h"
#include "frame/basis.h"
#include "frame/error.h"
#include "frame/mipstarts.h"
#include "frame/param.h"
#include "frame/poolholder.h"
#include "frame/solution_view.h"
#include "runtime/cfile.h"

namespace tvl {
namespace {

const char *method_text(int method) {
  switch (method) {
    case TVL_ALG_PRIMAL: return "primal";
    case TVL_ALG_DUAL: return "dual";
    case TVL_ALG_NET: return "network";
    case TVL_ALG_BARRIER: return "barrier";
    case TVL_ALG_SIFTING: return "sifting";
    case TVL_ALG_CONCURRENT: return "concurrent";
    case TVL_ALG_FEASOPT: return "feasopt";
    case TVL_ALG_MIP: return "mip";
    default: return "unknown";
  }
}

const char *type_text(int type) {
  switch (type) {
    case TVL_BASIC_SOLN: return "basic";
    case TVL_NONBASIC_SOLN: return "nonbasic";
    case TVL_PRIMAL_SOLN: return "primal";
    default: return "unknown";
  }
}

const char *status_code_text(int st) {
  static const char *const kText[] = {"LL", "BS", "UL", "SB"};
  return st >= 0 && st <= 3 ? kText[st] : "LL";
}

std::string item_name(const NameTable &t, char prefix, int32_t k) {
  if (t.present()) return t.get(k);
  return std::string(1, prefix) + std::to_string(k + 1);
}

bool discrete(const tvllp *lp, int32_t j) { return lp->mip && lp->mip->ctype[j] != 'C'; }

// Everything one single-solution document shows.
struct SolDoc {
  std::string name;
  int index = -1;
  bool mip = false;
  std::vector<double> x, slack, pi, dj;  // pi, dj empty without duals
  const BasisData *basis = nullptr;       // with statuses for all items
  double obj = 0.0;
  int status = 0, method = TVL_ALG_NONE, type = TVL_NO_SOLN;
  bool pfeas = false, dfeas = false;
  int64_t itcnt = 0, baritcnt = 0;
  int64_t nodes = 0;  // MIP solutions: nodes of the search
};

int resolve_level(const tvlenv *env, bool mst) {
  int level = param_int(env, TVL_PARAM_WRITELEVEL);
  return level == 0 ? (mst ? 2 : 1) : level;
}

// ---- quality ----

double max_abs(const std::vector<double> &v) {
  double m = 0.0;
  for (double a : v) m = std::max(m, std::fabs(a));
  return m;
}

double row_violation(const LpData *d, int32_t i, double slack) {
  double lo, up;
  row_range(d, i, &lo, &up);
  double act = d->rhs[i] - slack;
  return std::max({0.0, lo - act, act - up});
}

double qc_slack(const QConstr &c, const double *x) {
  double act = 0.0;
  for (int64_t k = 0; k < c.lind.size; ++k) act += c.lval[k] * x[c.lind[k]];
  for (int64_t k = 0; k < c.qval.size; ++k) act += c.qval[k] * x[c.qrow[k]] * x[c.qcol[k]];
  return c.rhs - act;
}

double qc_violation(const QConstr &c, double s) {
  if (c.sense == 'L') return std::max(0.0, -s);
  if (c.sense == 'G') return std::max(0.0, s);
  return std::fabs(s);
}

void mip_quality(const tvlenv *env, const tvllp *lp, const SolDoc &s, XmlOut &out) {
  const LpData *d = lp->lp;
  double intinf = 0.0, pinf = 0.0;
  for (int32_t j = 0; j < d->ncols; ++j) {
    double v = s.x[j];
    if (discrete(lp, j) && lp->mip->ctype[j] != 'S') intinf = std::max(intinf, std::fabs(v - std::round(v)));
    // A semi-continuous or semi-integer column may also take 0: its
    // violation is the distance to {0} or [lb, ub], whichever is nearer.
    double bound_viol = std::max({0.0, d->lb[j] - v, v - d->ub[j]});
    const char t = lp->mip->ctype[j];
    if (t == 'S' || t == 'N') bound_viol = std::min(bound_viol, std::fabs(v));
    pinf = std::max(pinf, bound_viol);
  }
  for (int32_t i = 0; i < d->nrows; ++i) pinf = std::max(pinf, row_violation(d, i, s.slack[i]));
  out.number("epInt", param_dbl(env, TVL_PARAM_EPINT));
  out.number("epRHS", param_dbl(env, TVL_PARAM_EPRHS));
  out.number("maxIntInfeas", intinf);
  out.number("maxPrimalInfeas", pinf);
  out.number("maxX", max_abs(s.x));
  out.number("maxSlack", max_abs(s.slack));
  if (lp->parts && lp->parts->qcons.size > 0) {
    double qinf = 0.0, qmax = 0.0;
    for (int64_t q = 0; q < lp->parts->qcons.size; ++q) {
      double sl = qc_slack(lp->parts->qcons[q], s.x.data());
      qinf = std::max(qinf, qc_violation(lp->parts->qcons[q], sl));
      qmax = std::max(qmax, std::fabs(sl));
    }
    out.number("maxQCSlackInfeas", qinf);
    out.number("maxQCSlack", qmax);
  }
}

void lp_quality(const tvlenv *env, const tvllp *lp, const SolDoc &s, XmlOut &out) {
  struct Measure {
    const char *attr;
    int what;
    bool dual;
  };
  static const Measure kMeasures[] = {
      {"maxPrimalInfeas", TVL_MAX_PRIMAL_INFEAS, false}, {"maxDualInfeas", TVL_MAX_DUAL_INFEAS, true},
      {"maxPrimalResidual", TVL_MAX_PRIMAL_RESIDUAL, false}, {"maxDualResidual", TVL_MAX_DUAL_RESIDUAL, true},
      {"maxX", TVL_MAX_X, false}, {"maxPi", TVL_MAX_PI, true}, {"maxSlack", TVL_MAX_SLACK, false},
      {"maxRedCost", TVL_MAX_RED_COST, true},
  };
  out.number("epRHS", param_dbl(env, TVL_PARAM_EPRHS));
  out.number("epOpt", param_dbl(env, TVL_PARAM_EPOPT));
  for (const Measure &m : kMeasures) {
    if (m.dual && s.pi.empty()) continue;
    double v = 0.0;
    if (TVLgetdblquality(env, lp, &v, m.what) == 0) out.number(m.attr, v);
  }
  const SolutionRecord *rec = lp->soln;
  if (rec && rec->has_factor && rec->kappa >= 0.0) out.number("kappa", rec->kappa);
}

// ---- document parts ----

void write_header(const tvlenv *env, const tvllp *lp, const SolDoc &s, int level, XmlOut &out) {
  out.begin("header");
  out.text("problemName", lp->name);
  out.text("solutionName", s.name.c_str());
  out.integer("solutionIndex", s.index);
  out.number("objectiveValue", s.obj);
  out.integer("solutionTypeValue", s.type);
  out.text("solutionTypeString", type_text(s.type));
  out.integer("solutionStatusValue", s.status);
  char buf[TVL_MSGBUFSIZE];
  const char *stext = TVLgetstatstring(env, s.status, buf);
  out.text("solutionStatusString", stext ? stext : "");
  out.text("solutionMethodString", method_text(s.method));
  out.integer("primalFeasible", s.pfeas);
  out.integer("dualFeasible", s.dfeas);
  if (s.mip) {
    out.integer("MIPNodes", s.nodes);
    out.integer("MIPIterations", s.itcnt);
  } else if (s.method == TVL_ALG_BARRIER) {
    out.integer("barrierIterations", s.baritcnt);
  } else {
    out.integer("simplexIterations", s.itcnt);
  }
  out.integer("writeLevel", level);
  out.empty();
}

void write_rows(const tvllp *lp, const SolDoc &s, int level, XmlOut &out) {
  const LpData *d = lp->lp;
  if (d->nrows == 0 || level == 2 || level == 4) return;
  out.begin("linearConstraints");
  out.open();
  for (int32_t i = 0; i < d->nrows; ++i) {
    double dual = s.pi.empty() ? 0.0 : s.pi[i];
    if (level == 3 && s.slack[i] == 0.0 && dual == 0.0) continue;
    out.begin("constraint");
    out.text("name", item_name(d->rownames, 'c', i).c_str());
    out.integer("index", i);
    if (s.basis) out.text("status", status_code_text(s.basis->rstat[i]));
    out.number("slack", s.slack[i]);
    if (!s.pi.empty()) out.number("dual", dual);
    out.empty();
  }
  out.end("linearConstraints");
}

template <class Items, class Slack>
void write_named_slacks(const char *section, const Items &items, char prefix, Slack slack, XmlOut &out) {
  if (items.size == 0) return;
  out.begin(section);
  out.open();
  for (int64_t k = 0; k < items.size; ++k) {
    out.begin("constraint");
    const char *nm = items[k].name;
    out.text("name", nm ? nm : (std::string(1, prefix) + std::to_string(k + 1)).c_str());
    out.integer("index", k);
    out.number("slack", slack(items[k]));
    out.empty();
  }
  out.end(section);
}

void write_extra_rows(const tvllp *lp, const SolDoc &s, int level, XmlOut &out) {
  if (!lp->parts || level == 2 || level == 4) return;
  const double *x = s.x.data();
  write_named_slacks("quadraticConstraints", lp->parts->qcons, 'q', [&](const QConstr &c) { return qc_slack(c, x); },
                     out);
  write_named_slacks("indicatorConstraints", lp->parts->indcons, 'i',
                     [&](const IndConstr &c) {
                       double act = 0.0;
                       for (int64_t k = 0; k < c.ind.size; ++k) act += c.val[k] * x[c.ind[k]];
                       return c.rhs - act;
                     },
                     out);
}

bool column_wanted(const tvllp *lp, int32_t j, double value, int level) {
  if ((level == 2 || level == 4) && !discrete(lp, j)) return false;
  if ((level == 3 || level == 4) && value == 0.0) return false;
  return true;
}

void write_columns(const tvllp *lp, const SolDoc &s, int level, XmlOut &out) {
  const LpData *d = lp->lp;
  out.begin("variables");
  out.open();
  for (int32_t j = 0; j < d->ncols; ++j) {
    bool nonzero_dj = !s.dj.empty() && s.dj[j] != 0.0;
    if (!column_wanted(lp, j, nonzero_dj ? 1.0 : s.x[j], level)) continue;
    out.begin("variable");
    out.text("name", item_name(d->colnames, 'x', j).c_str());
    out.integer("index", j);
    if (s.basis) out.text("status", status_code_text(s.basis->cstat[j]));
    out.number("value", s.x[j]);
    if (!s.dj.empty()) out.number("reducedCost", s.dj[j]);
    out.empty();
  }
  out.end("variables");
}

void write_solution(const tvlenv *env, const tvllp *lp, const SolDoc &s, XmlOut &out) {
  int level = resolve_level(env, false);
  out.begin("TAVLOSolution");
  out.text("version", "1.2");
  out.open();
  write_header(env, lp, s, level, out);
  out.begin("quality");
  if (s.mip)
    mip_quality(env, lp, s, out);
  else
    lp_quality(env, lp, s, out);
  out.empty();
  write_rows(lp, s, level, out);
  write_extra_rows(lp, s, level, out);
  write_columns(lp, s, level, out);
  out.end("TAVLOSolution");
}

// One MIP start: entries (ind, val) with values of 1e20 or more written
// without a value.
void write_start(const tvlenv *env, const tvllp *lp, const char *name, int index, int effort, int64_t cnt,
                 const int32_t *ind, const double *val, XmlOut &out) {
  int level = resolve_level(env, true);
  out.begin("TAVLOSolution");
  out.text("version", "1.2");
  out.open();
  out.begin("header");
  out.text("problemName", lp->name);
  out.text("solutionName", name);
  out.integer("solutionIndex", index);
  out.integer("MIPStartEffortLevel", effort);
  out.integer("writeLevel", level);
  out.empty();
  out.begin("variables");
  out.open();
  for (int64_t k = 0; k < cnt; ++k) {
    int32_t j = ind ? ind[k] : static_cast<int32_t>(k);
    if (!column_wanted(lp, j, val[k], level)) continue;
    out.begin("variable");
    out.text("name", item_name(lp->lp->colnames, 'x', j).c_str());
    out.integer("index", j);
    if (val[k] < kNoStartValue) out.number("value", val[k]);
    out.empty();
  }
  out.end("variables");
  out.end("TAVLOSolution");
}

// ---- gathering ----

// A MIP solution: primal only, with the node and iteration counts of the
// search that produced the problem's record.
void mip_fields(const SolutionRecord &r, SolDoc &s) {
  s.mip = true;
  s.method = TVL_ALG_MIP;
  s.type = TVL_PRIMAL_SOLN;
  s.pfeas = true;
  s.dfeas = false;
  s.status = r.status;
  s.itcnt = r.itcnt;
  s.nodes = r.mipnodes;
}

int current_solution(const tvlenv *env, const tvllp *lp, SolDoc &s) {
  SolutionView v;
  int st = open_view(env, lp, &v);
  if (!st) st = need_primal(v);
  if (st) return st;
  const SolutionRecord &r = *v.soln;
  s.name = "incumbent";
  s.x = r.x;
  s.slack = r.slack;
  s.obj = r.objval;
  s.status = r.status;
  s.itcnt = r.itcnt;
  if (v.mip) {
    mip_fields(r, s);
    return 0;
  }
  s.pfeas = r.pfeas;
  s.dfeas = r.dfeas;
  s.baritcnt = r.baritcnt;
  s.method = r.method;
  if (need_dual(v) == 0) {
    s.pi = r.pi;
    s.dj = r.dj;
  }
  const bool simplex = r.method == TVL_ALG_PRIMAL || r.method == TVL_ALG_DUAL || r.method == TVL_ALG_CONCURRENT;
  if (v.lp == lp && simplex && basis_present(lp)) s.basis = lp->basis;
  s.type = s.basis ? TVL_BASIC_SOLN : (s.pi.empty() ? TVL_PRIMAL_SOLN : TVL_NONBASIC_SOLN);
  return 0;
}

int pool_of(const tvlenv *env, const tvllp *lp, const PoolHolder **pool) {
  (void)env;
  if (!is_mip_type(lp->type)) return 3003;
  if (!lp->pool || !lp->pool->valid()) return 3024;
  *pool = lp->pool;
  return 0;
}

void pool_solution(const tvllp *lp, const PoolHolder &pool, int k, SolDoc &s) {
  const LpData *d = lp->lp;
  const double *v = pool.solution(k);
  s.name = pool.solution_name(k);
  s.index = k;
  s.mip = true;
  s.x.assign(v, v + d->ncols);
  s.obj = v[d->ncols] * d->objsense;
  s.slack.assign(d->rhs, d->rhs + d->nrows);
  for (int32_t j = 0; j < d->ncols; ++j)
    for (int64_t e = d->matbeg[j]; e < int64_t{d->matbeg[j]} + d->matcnt[j]; ++e)
      s.slack[d->matind[e]] -= d->matval[e] * s.x[j];
  mip_fields(lp->soln ? *lp->soln : SolutionRecord{}, s);
}

// ---- file frame ----

// Opens the file, writes prolog and body, closes it in every case.
template <class Body>
int write_file(const tvlenv *env, const char *filename, Body body) {
  if (!filename || !*filename) return 1421;
  FILE *fp = cfile_open_write(filename, "w", true);
  if (!fp) return report(env, 1422, filename);
  XmlOut out(fp);
  out.prolog();
  int st = 0;
  try {
    st = body(out);
  } catch (const std::bad_alloc &) {
    st = 1001;
  }
  bool failed = out.failed();
  cfile_close_write(filename, &fp);
  if (!st && failed) return report(env, 1422, filename);
  return st;
}

int enter(const tvlenv *env, const tvllp *lp) {
  int st = check_problem(env, lp);
  return st ? st : complete(env, const_cast<tvllp *>(lp));
}

}  // namespace

int solxml_write_solution(const tvlenv *env, const tvllp *lp, const char *filename) {
  int st = enter(env, lp);
  if (st) return st;
  if (!filename || !*filename) return 1421;
  SolDoc s;
  if ((st = current_solution(env, lp, s)) != 0) return st;
  return write_file(env, filename, [&](XmlOut &out) {
    write_solution(env, lp, s, out);
    return 0;
  });
}

int solxml_write_pool_solution(const tvlenv *env, const tvllp *lp, int soln, const char *filename) {
  if (soln == -1) return solxml_write_solution(env, lp, filename);
  int st = enter(env, lp);
  const PoolHolder *pool = nullptr;
  if (!st) st = pool_of(env, lp, &pool);
  if (!st && (soln < 0 || soln >= pool->count())) st = 1200;
  if (!st && (!filename || !*filename)) st = 1421;
  if (st) return st;
  SolDoc s;
  pool_solution(lp, *pool, soln, s);
  return write_file(env, filename, [&](XmlOut &out) {
    write_solution(env, lp, s, out);
    return 0;
  });
}

int solxml_write_pool(const tvlenv *env, const tvllp *lp, const char *filename, bool as_starts) {
  int st = enter(env, lp);
  const PoolHolder *pool = nullptr;
  if (!st) st = pool_of(env, lp, &pool);
  if (!st && (!filename || !*filename)) st = 1421;
  if (st) return st;
  return write_file(env, filename, [&](XmlOut &out) {
    out.begin("TAVLOSolutions");
    out.text("version", "1.2");
    out.open();
    for (int k = 0; k < pool->count(); ++k) {
      if (as_starts) {
        write_start(env, lp, pool->solution_name(k), k, 0, lp->lp->ncols, nullptr, pool->solution(k), out);
      } else {
        SolDoc s;
        pool_solution(lp, *pool, k, s);
        write_solution(env, lp, s, out);
      }
    }
    out.end("TAVLOSolutions");
    return 0;
  });
}

int solxml_write_starts(const tvlenv *env, const tvllp *lp, const char *filename, int begin, int end) {
  int st = enter(env, lp);
  if (st) return st;
  if (!is_mip_type(lp->type)) return 3003;
  int32_t count = mipstarts_count(lp);
  if (count == 0) return 3020;
  if (begin < 0 || begin > end || end >= count) return 1200;
  if (!filename || !*filename) return 1421;
  return write_file(env, filename, [&](XmlOut &out) {
    out.begin("TAVLOSolutions");
    out.text("version", "1.2");
    out.open();
    for (int k = begin; k <= end; ++k) {
      const MipStart &m = lp->mipstarts->starts[k];
      write_start(env, lp, m.name.c_str(), k, m.effort, static_cast<int64_t>(m.ind.size()), m.ind.data(),
                  m.val.data(), out);
    }
    out.end("TAVLOSolutions");
    return 0;
  });
}

}  // namespace tvl

extern "C" {

int TVLsolwrite(TVLCENVptr env, TVLCLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_write_solution(env, lp, filename_str));
}

int TVLsolwritesolnpool(TVLCENVptr env, TVLCLPptr lp, int soln, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_write_pool_solution(env, lp, soln, filename_str));
}

int TVLsolwritesolnpoolall(TVLCENVptr env, TVLCLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_write_pool(env, lp, filename_str, false));
}

int TVLmstwritesolnpoolall(TVLCENVptr env, TVLCLPptr lp, const char *filename_str) {
  return tvl::boundary(env, tvl::solxml_write_pool(env, lp, filename_str, true));
}

int TVLwritemipstarts(TVLCENVptr env, TVLCLPptr lp, const char *filename_str, int begin, int end) {
  return tvl::boundary(env, tvl::solxml_write_starts(env, lp, filename_str, begin, end));
}

}  // extern "C"
