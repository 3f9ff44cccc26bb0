// Compressed file access: every reader and writer opens and closes its file
// through these primitives.  A name ending in ".gz"/".Z" (gzip) or ".bz2"
// (bzip2) is read or written through the external program over a pipe, so
// format code always sees a plain byte stream.
#pragma once

#include <cstdio>

#include "tavlo.h"

namespace tvl {

enum class Compression { None, Gzip, Bzip2 };

// Compression kind decided from the file name alone.
Compression compression_of(const char *filename);

// Told each name that cannot be opened for reading (the given name, then
// the name with the default extension when that was tried too); returns
// the status the open reports, e.g. after issuing a message.
using OpenFailed = int (*)(const void *context, const char *name);

// Opens for reading.  On failure returns nullptr and sets *status: 1421 (no
// name, silent), what `failed` returns for the given name (1423 without
// `failed`), -1423 (a decompressing program could not be started) or 1001.
// `defext` (e.g. ".lp") is appended once on failure unless `noretry`.
// frame/error.h has the form that reports the failures on an environment.
FILE *cfile_open_read(const char *filename, const char *mode, const char *defext, bool noretry,
                      bool allow_decompress, int *status, OpenFailed failed = nullptr,
                      const void *context = nullptr);
void cfile_close_read(const char *filename, FILE **slot);

// Opens for writing (never appends an extension); nullptr on failure.
FILE *cfile_open_write(const char *filename, const char *mode, bool allow_compress);
void cfile_close_write(const char *filename, FILE **slot);

}  // namespace tvl
