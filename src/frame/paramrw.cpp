// Parameter files.  Writing lists the parameters that differ from their
// defaults; reading checks every line first and changes the parameters only
// when the whole file is valid.  Both go through the compressed-file layer.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/env.h"
#include "frame/error.h"
#include "frame/param.h"
#include "runtime/alloc.h"
#include "runtime/cfile.h"

namespace tvl {
namespace {

constexpr size_t kLineBuffer = 560;
constexpr const char *kHeader = "TAVLO Parameter File Version %s\n";

// ---- Writing -----------------------------------------------------------

void write_identifier(FILE *fp, const ParamRecord &r) {
  if (r.hidden)
    std::fprintf(fp, "%-32d ", r.number);
  else
    std::fprintf(fp, "%-32s ", r.name);
}

void write_value(FILE *fp, const tvlenv *env, const ParamRecord &r) {
  write_identifier(fp, r);
  switch (r.kind) {
    case kParamInt:
      std::fprintf(fp, "%-d\n", param_int(env, r.number));
      break;
    case kParamDbl:
      std::fprintf(fp, "%-23.14e\n", param_dbl(env, r.number));
      break;
    default:
      std::fprintf(fp, "\"%-s\"\n", param_str(env, r.number));
      break;
  }
}

// ---- Reading -----------------------------------------------------------

// One checked value waiting to be applied.
struct Pending {
  int32_t kind;
  int32_t number;
  int32_t ival;
  double dval;
  char sval[kParamStrMax + 2];
};

struct PendingList {
  Pending *items = nullptr;
  int count = 0;
  int capacity = 0;
  ~PendingList() { mem_free(items); }
  Pending *append() {
    if (count == capacity) {
      int grown = capacity == 0 ? 32 : 2 * capacity;
      if (!mem_grow(items, static_cast<size_t>(grown))) return nullptr;
      capacity = grown;
    }
    return &items[count++];
  }
};

// Cuts the line at its line break and at a '#' outside double quotes.
void strip_line(char *line) {
  bool quoted = false;
  for (char *p = line; *p != '\0'; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p == '\n' || (*p == '#' && !quoted)) {
      *p = '\0';
      break;
    }
  }
  size_t n = std::strlen(line);
  if (n > 0 && line[n - 1] == '\r') line[n - 1] = '\0';
}

const char *skip_blanks(const char *p) {
  while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

// Copies the token at p (up to white space) into out; returns its end.
const char *take_token(const char *p, char *out, size_t size) {
  size_t n = 0;
  while (p[n] != '\0' && !std::isspace(static_cast<unsigned char>(p[n]))) ++n;
  size_t k = n < size - 1 ? n : size - 1;
  std::memcpy(out, p, k);
  out[k] = '\0';
  return p + n;
}

bool parse_int(const char *tok, long *value) {
  char *end = nullptr;
  errno = 0;
  *value = std::strtol(tok, &end, 10);
  return end != tok;
}

class ParamFileReader {
 public:
  ParamFileReader(tvlenv *env, const char *filename) : env_(env), filename_(filename) {}

  // Reads and checks the whole file; positive or negated status.
  int read(FILE *fp) {
    char line[kLineBuffer];
    int lineno = 0;
    bool header = false;
    while (std::fgets(line, sizeof line, fp) != nullptr) {
      ++lineno;
      strip_line(line);
      if (line[0] == '\0') continue;
      int status = header ? parse_entry(line, lineno) : check_header(line, lineno);
      if (status != 0) return status;
      header = true;
    }
    return header ? 0 : report(env_, 1661, lineno > 0 ? lineno : 1);
  }

  // Resets to defaults and sets the pending values: integers, doubles, then
  // strings, each in file order.  A value refused now (a combination that
  // was valid line by line) restores everything as it was.
  int apply() {
    ParamBlocks *before = params_clone(env_->params);
    if (before == nullptr) return 1001;
    params_reset(env_);
    int status = 0;
    for (int kind : {kParamInt, kParamDbl, kParamStr}) {
      for (int i = 0; i < pending_.count && status == 0; ++i) {
        const Pending &p = pending_.items[i];
        if (p.kind != kind || p.number == kParamNamesOnly) continue;
        if (kind == kParamInt) status = param_apply_int(env_, p.number, p.ival);
        if (kind == kParamDbl) status = param_apply_dbl(env_, p.number, p.dval);
        if (kind == kParamStr) status = param_apply_str(env_, p.number, p.sval);
      }
    }
    if (status != 0) {
      param_blocks_copy(env_->params, before);
      apply_screen_indicator(env_, param_int(env_, TVL_PARAM_SCRIND));
      propagate_1124(env_);
    }
    params_free(before);
    return status;
  }

 private:
  int check_header(const char *line, int lineno) {
    char version[kLineBuffer];
    if (std::sscanf(line, "TAVLO Parameter File Version %559s", version) != 1) return report(env_, 1661, lineno);
    const char *mine = TVLversion(env_);
    if (mine != nullptr && std::strcmp(version, mine) != 0)
      msg_warning(env_,
                  "Warning:  TAVLO version found in file %s (%s) does not match\n"
                  "          this TAVLO version (%s).\n",
                  filename_, version, mine);
    return 0;
  }

  // Number of the parameter an identifier names; -1 with *status set on failure.
  int identify(const char *id, int *status) {
    long num = 0;
    char *end = nullptr;
    if (param_int(env_, kParamNamesOnly) != 1) {
      num = std::strtol(id, &end, 10);
      if (end == id || *end != '\0') end = nullptr;
    }
    if (end == nullptr) {
      num = param_lookup_name(id);
      if (num < 0) {
        *status = 1028;
        return -1;
      }
    }
    if (num < INT_MIN || num > INT_MAX || param_find(static_cast<int>(num)) == nullptr) {
      *status = 1013;
      return -1;
    }
    return static_cast<int>(num);
  }

  int parse_entry(const char *line, int lineno) {
    const char *p = skip_blanks(line);
    if (*p == '\0') return report(env_, 1660, lineno);
    char id[kLineBuffer];
    const char *value = skip_blanks(take_token(p, id, sizeof id));
    int status = 0;
    int num = identify(id, &status);
    if (num < 0) return status;
    const ParamRecord *r = param_find(num);
    if (r->kind == kParamNone) return 0;
    Pending *item = pending_.append();
    if (item == nullptr) return 1001;
    item->kind = r->kind;
    item->number = num;
    if (r->kind == kParamInt) return parse_int_value(item, value, lineno);
    if (r->kind == kParamDbl) return parse_dbl_value(item, value, lineno);
    return parse_str_value(item, value, lineno);
  }

  int parse_int_value(Pending *item, const char *value, int lineno) {
    char tok[kLineBuffer];
    take_token(value, tok, sizeof tok);
    long v = 0;
    if (!parse_int(tok, &v)) return report(env_, 1434, lineno, tok);
    if (tok[0] != '\0' && std::strpbrk(tok + 1, "-.") != nullptr)
      msg_warning(env_, "Warning, line %d: non-integral value specified for integer parameter.\n", lineno);
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    item->ival = static_cast<int32_t>(v);
    return param_check_int(env_, item->number, item->ival);
  }

  int parse_dbl_value(Pending *item, const char *value, int lineno) {
    char tok[kLineBuffer];
    take_token(value, tok, sizeof tok);
    char *end = nullptr;
    item->dval = std::strtod(tok, &end);
    if (end == tok) return report(env_, 1434, lineno, tok);
    return param_check_dbl(env_, item->number, item->dval);
  }

  // A double-quoted text (closed on the same line) or a single token.
  int parse_str_value(Pending *item, const char *value, int lineno) {
    char text[kLineBuffer];
    if (value[0] == '"') {
      const char *close = std::strchr(value + 1, '"');
      if (close == nullptr) return report(env_, 1660, lineno);
      size_t n = static_cast<size_t>(close - value - 1);
      std::memcpy(text, value + 1, n);
      text[n] = '\0';
    } else {
      take_token(value, text, sizeof text);
      if (text[0] == '\0') return report(env_, 1660, lineno);
    }
    int status = param_check_str(env_, item->number, text);
    if (status == 0) std::strcpy(item->sval, text);
    return status;
  }

  tvlenv *env_;
  const char *filename_;
  PendingList pending_;
};

}  // namespace
}  // namespace tvl

using namespace tvl;

int TVLwriteparam(TVLENVptr env, const char *filename_str) {
  int status = check_env(env);
  if (status != 0) return boundary(env, status);
  if (filename_str == nullptr || filename_str[0] == '\0') return boundary(env, 1421);
  FILE *fp = cfile_open_write(filename_str, "w", true);
  if (fp == nullptr) return boundary(env, report(env, 1422, filename_str));
  std::fprintf(fp, kHeader, TVLversion(env));
  for (int pos = 0; pos < kParamSlots; ++pos) {
    const ParamRecord &r = param_record_at(pos);
    if (r.kind == kParamNone || r.number == kParamNamesOnly || !param_changed(env->params, r)) continue;
    write_value(fp, env, r);
  }
  cfile_close_write(filename_str, &fp);
  return 0;
}

int TVLreadcopyparam(TVLENVptr env, const char *filename_str) {
  int status = check_env(env);
  if (status != 0) return boundary(env, status);
  FILE *fp = open_read_reported(env, filename_str, "r", ".prm", false, true, &status);
  if (fp == nullptr) return boundary(env, status != 0 ? status : 1423);
  ParamFileReader reader(env, filename_str);
  status = reader.read(fp);
  cfile_close_read(filename_str, &fp);
  if (status == 0) status = reader.apply();
  return boundary(env, status);
}
