// LP writer entry points: file handling, the private output channel and the
// preparation of names.
#include <string>
#include <vector>

#include "files/lpformat.h"
#include "files/lpnames.h"
#include "files/lpwrite_conflict.h"
#include "files/lpwrite_gather.h"
#include "files/lpwrite_text.h"
#include "frame/conflict_record.h"
#include "frame/env.h"
#include "frame/error.h"
#include "frame/problem.h"
#include "runtime/cfile.h"

namespace tvl {

namespace {

struct NameKind {
  const std::vector<std::string> *given;  // names from the problem (when has)
  bool has;
  int count;
  const char *prefix;
  const char *notice;
  std::vector<std::string> *out;
};

// Names of each kind as printed: cut to 255, made legal, or defaults.
void prepare_names(const tvlenv *env, const LpFileModel &m, LpWriteNames &n) {
  auto names_of = [](const auto &items) {
    std::vector<std::string> v;
    v.reserve(items.size());
    for (const auto &it : items) v.push_back(it.name);
    return v;
  };
  std::vector<std::string> rows = names_of(m.rows), qcs = names_of(m.qconstrs),
                           inds = names_of(m.indicators), cuts = names_of(m.usercuts), lazy = names_of(m.lazy),
                           sos = names_of(m.sos);
  NameKind kinds[] = {
      {&m.colnames, m.has_colnames, m.numcols(), "x", "Default variable names x1, x2 ... being created.\n", &n.cols},
      {&rows, m.has_rownames, static_cast<int>(m.rows.size()), "c", "Default row names c1, c2 ... being created.\n",
       &n.rows},
      {&sos, m.has_sosnames, static_cast<int>(m.sos.size()), "s", "Default sos names s1, s2 ... being created.\n",
       &n.sos},
      {&qcs, m.has_qcnames, static_cast<int>(m.qconstrs.size()), "q",
       "Default quadratic constraint names q1, q2 ... being created.\n", &n.qconstrs},
      {&inds, m.has_indnames, static_cast<int>(m.indicators.size()), "i",
       "Default indicator names i1, i2 ... being created.\n", &n.indicators},
      {&cuts, m.has_usercutnames, static_cast<int>(m.usercuts.size()), "u",
       "Default user cut names u1, u2 ... being created.\n", &n.usercuts},
      {&lazy, m.has_lazynames, static_cast<int>(m.lazy.size()), "l",
       "Default lazy constraint names l1, l2 ... being created.\n", &n.lazy},
  };
  bool rewritten = false;
  for (NameKind &k : kinds) {
    if (!k.has) continue;
    *k.out = *k.given;
    for (std::string &s : *k.out)
      if (s.size() > kLpMaxName) s.resize(kLpMaxName);
    if (lp_legalize_names(*k.out)) rewritten = true;
  }
  if (rewritten) msg_warning(env, "Warning:  Output names have been modified to conform to LP format.\n");
  for (NameKind &k : kinds) {
    if (k.has) continue;
    *k.out = lp_default_names(k.prefix, k.count);
    if (k.count > 0) msg_warning(env, "%s", k.notice);
  }
}

// Prints the model through a private channel whose only destination is f.
int print_model(tvlenv *env, FILE *f, const LpFileModel &m) {
  LpWriteNames names;
  prepare_names(env, m, names);
  TVLCHANNELptr ch = TVLaddchannel(env);
  if (ch == nullptr) return -TVLERR_OUT_OF_MEMORY;
  int st = TVLaddfpdest(env, ch, f);
  if (st == 0) st = lp_format_model(m, names, [ch](const std::string &text) { channel_send(ch, text.c_str()); });
  TVLdelchannel(env, &ch);
  return st;
}

// Opens the named file, runs the writer and closes it again.
template <class Body>
int write_named(tvlenv *env, tvllp *lp, const char *filename, Body body) {
  if (int st = check_problem(env, lp)) return st;
  if (filename == nullptr || filename[0] == '\0') return TVLERR_FILE_NAME_NOT_SPECIFIED;
  FILE *f = cfile_open_write(filename, "w", true);
  if (f == nullptr) return report(env, TVLERR_COULD_NOT_OPEN_FILE_FOR_WRITING, filename);
  int st = body(f);
  cfile_close_write(filename, &f);
  return st;
}

// The last conflict of the problem as an LP file (files/lpwrite_conflict.h).
int write_conflict(tvlenv *env, tvllp *lp, FILE *f) {
  LpFileModel m;
  if (int st = lp_gather_model(env, lp, m)) return st;
  const ConflictRecord *rec = conflict_of(lp);
  if (!rec) return TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  lp_conflict_subset(m, *rec);
  return print_model(env, f, m);
}

// A conflict with members exists (refined, unchanged since).
int conflict_status(tvlenv *env, tvllp *lp) {
  if (int st = check_problem(env, lp)) return st;
  if (int st = complete(env, lp)) return st;
  const ConflictRecord *rec = conflict_of(lp);
  if (!rec || (rec->status != TVL_STAT_CONFLICT_MINIMAL && rec->status != TVL_STAT_CONFLICT_NONMINIMAL))
    return TVLERR_CONFLICT_IS_NOT_AVAILABLE;
  return 0;
}

}  // namespace

int lp_write(const tvlenv *cenv, const tvllp *clp, FILE *f, const char *) {
  // The writer only queries the problem; the query interface takes mutable
  // handles because pending changes are completed first.
  tvlenv *env = const_cast<tvlenv *>(cenv);
  tvllp *lp = const_cast<tvllp *>(clp);
  LpFileModel m;
  if (int st = lp_gather_model(env, lp, m)) return st;
  return print_model(env, f, m);
}

}  // namespace tvl

using tvl::boundary;

extern "C" {

TVLPUBLIC int TVLlpwrite(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  int st = tvl::write_named(env, lp, filename_str,
                            [&](FILE *f) { return tvl::lp_write(env, lp, f, filename_str); });
  return boundary(env, st);
}

TVLPUBLIC int TVLclpwrite(TVLENVptr env, TVLLPptr lp, const char *filename_str) {
  int st = tvl::conflict_status(env, lp);
  if (st == 0) st = tvl::write_named(env, lp, filename_str, [&](FILE *f) { return tvl::write_conflict(env, lp, f); });
  return boundary(env, st);
}

}  // extern "C"
