// Compressed file access.  The kind of compression is decided from the name
// alone; compressed files are streamed through the external gzip or bzip2
// program over a pipe, looked up on the PATH first, then in /usr/bin and
// /usr/sbin.
#include "runtime/cfile.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "frame/error.h"
#include "runtime/alloc.h"

namespace tvl {
namespace {

// Room for the program name, its options and a directory prefix.
constexpr size_t kCommandSlack = 200;
// The retry name (name plus default extension) fits in this buffer.
constexpr size_t kRetryBuffer = 512;

bool ends_with_nocase(const char *name, size_t len, const char *suffix) {
  size_t n = std::strlen(suffix);
  return len >= n && strcasecmp(name + len - n, suffix) == 0;
}

const char *program_of(Compression kind) { return kind == Compression::Bzip2 ? "bzip2" : "gzip"; }

// Starts "<dir><program> <args> <name>" for each directory in the search
// order until one pipe starts; returns the last attempt's result.  Sets
// *nomem when the command buffer cannot be allocated.
FILE *open_pipe(const char *program, const char *args, const char *filename, const char *pipe_mode,
                bool *nomem) {
  size_t size = std::strlen(filename) + kCommandSlack;
  char *cmd = mem_array<char>(size);
  if (cmd == nullptr) {
    *nomem = true;
    return nullptr;
  }
  static const char *const kDirs[] = {"", "/usr/bin/", "/usr/sbin/"};
  FILE *fp = nullptr;
  for (const char *dir : kDirs) {
    std::snprintf(cmd, size, "%s%s %s %s", dir, program, args, filename);
    fp = popen(cmd, pipe_mode);
    if (fp != nullptr) break;
  }
  mem_free(cmd);
  return fp;
}

// True when the file can be opened in this mode (the probe is closed again).
bool probe(const char *filename, const char *mode) {
  FILE *fp = std::fopen(filename, mode);
  if (fp == nullptr) return false;
  std::fclose(fp);
  return true;
}

FILE *open_decompressing(const tvlenv *env, const char *filename, const char *mode, Compression kind,
                         int *status) {
  if (!probe(filename, mode)) {
    *status = report(env, 1423, filename);
    return nullptr;
  }
  bool nomem = false;
  FILE *fp = open_pipe(program_of(kind), "-cd", filename, "r", &nomem);
  // A pipe that cannot be started is returned as nothing without a further
  // message; the status still tells the caller that the open failed.
  if (fp == nullptr) *status = nomem ? 1001 : -1423;
  return fp;
}

void close_by_name(const char *filename, FILE **slot) {
  if (slot == nullptr || *slot == nullptr) return;
  if (filename != nullptr && compression_of(filename) != Compression::None)
    pclose(*slot);
  else
    std::fclose(*slot);
  *slot = nullptr;
}

}  // namespace

Compression compression_of(const char *filename) {
  if (filename == nullptr) return Compression::None;
  size_t len = std::strlen(filename);
  if (len > 3 && ends_with_nocase(filename, len, ".bz2")) return Compression::Bzip2;
  if (len > 2 && (ends_with_nocase(filename, len, ".gz") || std::strcmp(filename + len - 2, ".Z") == 0))
    return Compression::Gzip;
  return Compression::None;
}

FILE *cfile_open_read(const tvlenv *env, const char *filename, const char *mode, const char *defext,
                      bool noretry, bool allow_decompress, int *status) {
  *status = 0;
  if (filename == nullptr || filename[0] == '\0') {
    *status = 1421;
    return nullptr;
  }
  Compression kind = compression_of(filename);
  if (allow_decompress && kind != Compression::None)
    return open_decompressing(env, filename, mode, kind, status);

  FILE *fp = std::fopen(filename, mode);
  if (fp != nullptr) return fp;

  char retry[kRetryBuffer];
  bool retried = false;
  size_t len = std::strlen(filename);
  if (!noretry && defext != nullptr && defext[0] != '\0' && !ends_with_nocase(filename, len, defext)) {
    size_t extlen = std::strlen(defext);
    size_t keep = len;
    if (keep + extlen > kRetryBuffer - 1) keep = extlen < kRetryBuffer - 1 ? kRetryBuffer - 1 - extlen : 0;
    std::memcpy(retry, filename, keep);
    std::snprintf(retry + keep, kRetryBuffer - keep, "%s", defext);
    retried = true;
    fp = std::fopen(retry, mode);
    if (fp != nullptr) return fp;
  }
  *status = report(env, 1423, filename);
  if (retried) report(env, 1423, retry);
  return nullptr;
}

void cfile_close_read(const char *filename, FILE **slot) { close_by_name(filename, slot); }

FILE *cfile_open_write(const char *filename, const char *mode, bool allow_compress) {
  if (filename == nullptr || filename[0] == '\0') return nullptr;
  Compression kind = compression_of(filename);
  if (!allow_compress || kind == Compression::None) return std::fopen(filename, mode);
  // Creating the file first truncates it and proves it can be written
  // before any program is started.
  if (!probe(filename, "wb")) return nullptr;
  bool nomem = false;
  return open_pipe(program_of(kind), "-c >", filename, "w", &nomem);
}

void cfile_close_write(const char *filename, FILE **slot) { close_by_name(filename, slot); }

void cfile_close(FILE **slot) {
  if (slot == nullptr || *slot == nullptr) return;
  std::fflush(*slot);
  std::fclose(*slot);
  *slot = nullptr;
}

}  // namespace tvl
