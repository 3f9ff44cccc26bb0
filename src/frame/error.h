// Status reporting: the boundary reporter every public function ends with,
// and detailed reports that name positions, lines or names.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "tavlo.h"

namespace tvl {

// Template text of a status code, or nullptr when the code is not in the table.
const char *status_text(const tvlenv *env, int code);

// Boundary reporter: status <= 0 is returned negated without a message; a
// positive status is printed once on the error channel ("TAVLO Error ...").
// Presolve outcomes are silent while hidden parameter 1043 is 0.
int boundary(const tvlenv *env, int status);

// Detailed report: prints "TAVLO Error %5d: " + template + ".\n" filled with
// the arguments on the error channel and returns -code (already reported).
int report(const tvlenv *env, int code, ...);
int vreport(const tvlenv *env, int code, va_list ap);

// Opens a file for reading as cfile_open_read of runtime/cfile.h does and
// reports each name that cannot be opened as 1423 on env's error channel
// (*status is then -1423).
FILE *open_read_reported(const tvlenv *env, const char *filename, const char *mode,
                         const char *defext, bool noretry, bool allow_decompress, int *status);

// Sends formatted text to one of the environment's standard channels.
void msg_warning(const tvlenv *env, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void msg_results(const tvlenv *env, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void msg_log(const tvlenv *env, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

// Sends preformatted text to a channel (no formatting, any length).
void channel_send(tvlchannel *ch, const char *text);

}  // namespace tvl
