// tavlo: parameter settings from --set and the diagnosis of a parameter
// file the library refused.  The library's messages for an unknown name or a
// value out of range do not say which setting was meant; these lines do.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tavlo_cli.h"

namespace tavlo_cli {

namespace {

const char kPrefix[] = "TVL_PARAM_";

// How a setting is read: --set accepts names in any case and without the
// prefix and wants whole integers; a parameter file names parameters
// exactly and takes the integer prefix of a value, as the library does.
enum class Rules { Command, File };

std::string upper(std::string s) {
  for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string full_name(const std::string &key) {
  std::string u = upper(key);
  return u.rfind(kPrefix, 0) == 0 ? u : kPrefix + u;
}

bool as_integer(const std::string &s, long *v) {
  char *end = nullptr;
  *v = std::strtol(s.c_str(), &end, 10);
  return end != s.c_str() && *end == '\0';
}

// Number of the parameter a key names, or -1 after a message.
int identify(TVLENVptr env, const std::string &key, Rules rules, const std::string &where) {
  long asnum = 0;
  int num = -1;
  if (as_integer(key, &asnum)) {
    int type = 0;
    if (asnum >= 1000 && asnum < 6000 && TVLgetparamtype(env, static_cast<int>(asnum), &type) == 0 &&
        type != TVL_PARAMTYPE_NONE)
      return static_cast<int>(asnum);
    std::fprintf(stderr, "tavlo: %s: no parameter has the number %s\n", where.c_str(), key.c_str());
    return -1;
  }
  const std::string name = rules == Rules::Command ? full_name(key) : key;
  if (TVLgetparamnum(env, name.c_str(), &num) == 0) return num;
  std::fprintf(stderr, "tavlo: %s: unknown parameter '%s'", where.c_str(), key.c_str());
  if (rules == Rules::File && TVLgetparamnum(env, full_name(key).c_str(), &num) == 0)
    std::fprintf(stderr, " (a parameter file names it exactly: %s)", full_name(key).c_str());
  std::fprintf(stderr, "\n");
  return -1;
}

// Name of a parameter for messages: its public name or its number.
std::string display_name(TVLENVptr env, int num) {
  char name[512] = "";
  if (TVLgetparamname(env, num, name) == 0 && name[0]) return name;
  return "parameter " + std::to_string(num);
}

// Explains a refused value, with the parameter's range when it has one.
void explain_refusal(TVLENVptr env, int num, int type, const std::string &value, int status,
                     const std::string &where) {
  const std::string name = display_name(env, num);
  std::string range;
  char text[64];
  if (type == TVL_PARAMTYPE_INT) {
    int def = 0, lo = 0, hi = 0;
    if (TVLinfointparam(env, num, &def, &lo, &hi) == 0)
      range = std::to_string(lo) + " to " + std::to_string(hi);
  } else if (type == TVL_PARAMTYPE_DOUBLE) {
    double def = 0, lo = 0, hi = 0;
    if (TVLinfodblparam(env, num, &def, &lo, &hi) == 0) {
      std::snprintf(text, sizeof text, "%g to %g", lo, hi);
      range = text;
    }
  }
  const char *why = status == 1014 ? "is below its range" : status == 1015 ? "is above its range" : "is refused";
  std::fprintf(stderr, "tavlo: %s: %s = %s %s%s%s\n", where.c_str(), name.c_str(), value.c_str(), why,
               range.empty() ? "" : ", ", range.c_str());
}

// Sets one parameter; 0, the library status, or -1 for an unknown
// parameter or a value that is not of the parameter's kind.  Prints a
// message on failure.
int apply(TVLENVptr env, const std::string &key, const std::string &value, Rules rules, const std::string &where) {
  const int num = identify(env, key, rules, where);
  if (num < 0) return -1;
  int type = 0;
  TVLgetparamtype(env, num, &type);
  char *end = nullptr;
  int st = -2;
  if (type == TVL_PARAMTYPE_INT) {
    long v = std::strtol(value.c_str(), &end, 10);
    const bool whole = end != value.c_str() && (*end == '\0' || rules == Rules::File);
    if (whole) st = TVLsetintparam(env, num, static_cast<int>(v));
  } else if (type == TVL_PARAMTYPE_DOUBLE) {
    double v = std::strtod(value.c_str(), &end);
    const bool whole = end != value.c_str() && (*end == '\0' || rules == Rules::File);
    if (whole) st = TVLsetdblparam(env, num, v);
  } else {
    st = TVLsetstrparam(env, num, value.c_str());
  }
  if (st == -2) {
    std::fprintf(stderr, "tavlo: %s: '%s' is not %s value for %s\n", where.c_str(), value.c_str(),
                 type == TVL_PARAMTYPE_INT ? "an integer" : "a numeric", display_name(env, num).c_str());
    return -1;
  }
  if (st > 0) {
    explain_refusal(env, num, type, value, st, where);
  }
  return st;
}

// A parameter-file line without its comment (a '#' outside double quotes).
std::string without_comment(const std::string &line) {
  bool quoted = false;
  for (size_t k = 0; k < line.size(); ++k) {
    if (line[k] == '"') quoted = !quoted;
    if (line[k] == '#' && !quoted) return line.substr(0, k);
  }
  return line;
}

// Splits "IDENTIFIER VALUE"; a value in double quotes may hold blanks.
bool split_entry(const std::string &line, std::string &id, std::string &value) {
  const char *blank = " \t\r\n";
  size_t b = line.find_first_not_of(blank);
  if (b == std::string::npos) return false;
  size_t e = line.find_first_of(blank, b);
  id = line.substr(b, e == std::string::npos ? std::string::npos : e - b);
  size_t v = e == std::string::npos ? std::string::npos : line.find_first_not_of(blank, e);
  value.clear();
  if (v == std::string::npos) return true;
  if (line[v] == '"') {
    size_t close = line.find('"', v + 1);
    value = line.substr(v + 1, close == std::string::npos ? std::string::npos : close - v - 1);
  } else {
    size_t w = line.find_first_of(blank, v);
    value = line.substr(v, w == std::string::npos ? std::string::npos : w - v);
  }
  return true;
}

}  // namespace

int apply_set_argument(TVLENVptr env, const std::string &arg) {
  const std::string where = "--set " + arg;
  const size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0) {
    std::fprintf(stderr, "tavlo: %s: expected NAME=VALUE\n", where.c_str());
    return -1;
  }
  return apply(env, arg.substr(0, eq), arg.substr(eq + 1), Rules::Command, where);
}

void explain_param_file_error(const std::string &file, int status) {
  // Unknown parameters and refused values; for the other statuses of a
  // file (header, missing value) the library's message says enough.
  if (status != 1013 && status != 1014 && status != 1015 && status != 1028 && status != 1434) return;
  std::ifstream in(file);
  if (!in) in.open(file + ".prm");
  if (!in) return;
  int st = 0;
  TVLENVptr scratch = TVLopenTAVLO(&st);  // silent: no channel reaches the terminal
  if (!scratch) return;
  std::string line, id, value;
  bool header = false;
  for (int lineno = 1; std::getline(in, line); ++lineno) {
    line = without_comment(line);
    if (!split_entry(line, id, value)) continue;
    if (!header) {
      header = true;
      continue;
    }
    const std::string where = file + ", line " + std::to_string(lineno);
    if (apply(scratch, id, value, Rules::File, where) != 0) break;
  }
  TVLcloseTAVLO(&scratch);
}

}  // namespace tavlo_cli
